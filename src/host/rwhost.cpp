#include "host/rwhost.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <mutex>

namespace {
QString g_version = QStringLiteral("7.2.0");
} // namespace

QString RWHost::shortVersionString()
{
    return g_version;
}

void RWHost::setShortVersionStringForTesting(const QString &version)
{
    g_version = version;
}

QString RWHost::scratchRoot()
{
    // A function-local static is destroyed at exit, which removes the folder.
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/tillbox-host-XXXXXX"));
    return root.path();
}
