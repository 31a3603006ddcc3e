#pragma once

#include <QByteArray>
#include <QString>

// Writes whole files atomically: the bytes go to a temporary file in the same
// folder, which then replaces the target. A failed write leaves the old file
// untouched.
class AtomicFile
{
public:
    // On failure returns false and sets *error (when given) to a message that
    // names the file and the reason.
    [[nodiscard]] static bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);
    [[nodiscard]] static bool writeText(const QString &path, const QString &text, QString *error = nullptr)
    {
        return write(path, text.toUtf8(), error);
    }
};
