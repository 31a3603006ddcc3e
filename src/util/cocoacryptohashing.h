#pragma once

#include <QByteArray>
#include <QString>

// SHA-1 digests of byte buffers and of strings (their UTF-8 bytes).
class CocoaCryptoHashing
{
public:
    // The 20 raw digest bytes.
    static QByteArray sha1Hash(const QByteArray &data);
    // 40 lower-case hex digits, two per digest byte, leading zeros kept.
    static QString sha1HexHash(const QByteArray &data);

    // The same over the string's UTF-8 bytes. A string that has no lossless
    // UTF-8 form (an unpaired surrogate) gives a null result rather than the
    // digest of a substituted text.
    static QByteArray sha1Hash(const QString &text);
    static QString sha1HexHash(const QString &text);

private:
    static bool utf8Bytes(const QString &text, QByteArray *bytes);
};
