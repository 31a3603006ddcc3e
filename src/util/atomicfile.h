#pragma once

#include <QByteArray>
#include <QString>

// Writes whole files atomically: the bytes go to a temporary file in the same
// folder, which then replaces the target. A failed write leaves the old file
// untouched.
class AtomicFile
{
public:
    // Documents are flushed to the disk before they replace the old file.
    // Export output is rebuilt by the next export, so it skips that flush
    // (which would cost far more than the writing); errors the system reports
    // while writing or renaming still fail the write.
    enum class Flush { ToDisk, None };

    // On failure returns false and sets *error (when given) to a message that
    // names the file and the reason.
    [[nodiscard]] static bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                                    Flush flush = Flush::ToDisk);
    [[nodiscard]] static bool writeText(const QString &path, const QString &text, QString *error = nullptr,
                                        Flush flush = Flush::ToDisk)
    {
        return write(path, text.toUtf8(), error, flush);
    }
};
