#include "util/atomicfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool AtomicFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("it is a folder"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
