#include "support/testsupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace testsupport {

QString dataPath(const QString &relative)
{
    return QStringLiteral(TILLBOX_TEST_DATA) + QLatin1Char('/') + relative;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

} // namespace testsupport
