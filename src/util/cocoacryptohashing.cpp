#include "util/cocoacryptohashing.h"

#include <QCryptographicHash>
#include <QStringEncoder>

QByteArray CocoaCryptoHashing::sha1Hash(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

QString CocoaCryptoHashing::sha1HexHash(const QByteArray &data)
{
    // toHex() writes lower-case digits, two per byte.
    return QString::fromLatin1(sha1Hash(data).toHex());
}

bool CocoaCryptoHashing::utf8Bytes(const QString &text, QByteArray *bytes)
{
    // QString::toUtf8() would silently substitute unpaired surrogates; the
    // encoder reports them instead.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    *bytes = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray CocoaCryptoHashing::sha1Hash(const QString &text)
{
    QByteArray bytes;
    if (!utf8Bytes(text, &bytes))
        return QByteArray();
    return sha1Hash(bytes);
}

QString CocoaCryptoHashing::sha1HexHash(const QString &text)
{
    QByteArray bytes;
    if (!utf8Bytes(text, &bytes))
        return QString();
    return sha1HexHash(bytes);
}
