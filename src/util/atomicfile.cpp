#include "util/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes a temporary file beside the target and renames it over the target.
bool writeUnflushed(const QString &path, const QByteArray &bytes, QString *reason)
{
    static std::atomic<unsigned> counter = 0;
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp-" + QByteArray::number(qint64(getpid())) + '-'
                                 + QByteArray::number(counter++);
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            *reason = QString::fromLocal8Bit(std::strerror(written < 0 ? errno : ENOSPC));
            ::close(fd);
            ::unlink(temporary.constData());
            return false;
        }
        data += written;
        left -= written;
    }
    if (::close(fd) != 0 || ::rename(temporary.constData(), target.constData()) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace

bool AtomicFile::write(const QString &path, const QByteArray &bytes, QString *error, Flush flush)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (flush == Flush::None) {
        // No look at the target first: renaming onto a folder fails anyway.
        QString reason;
        return writeUnflushed(path, bytes, &reason) || fail(reason);
    }
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
