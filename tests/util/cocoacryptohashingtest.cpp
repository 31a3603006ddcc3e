#include "util/cocoacryptohashing.h"

#include <gtest/gtest.h>

// Known digests; a leading zero byte stays "00"; strings hash their UTF-8
// bytes, and a string without a UTF-8 form has no digest.
TEST(CocoaCryptoHashing, MatchesKnownDigests)
{
    for (const auto &[input, hex] : {std::pair{QByteArray(), "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
                                     {QByteArray("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
                                     {QByteArray("\0\0\0", 3), "29e2dcfbb16f63bb0254df7585a15bb6fb5e927d"},
                                     {QByteArray("tillbox80"), "00beaa55aed8aad516a9869e44db0d7c33095b41"},
                                     {QByteArray("ä"), "961fa22f61a56e19f3f5f8867901ac8cf5e6d11f"}}) {
        EXPECT_EQ(CocoaCryptoHashing::sha1HexHash(input), QLatin1String(hex));
        EXPECT_EQ(CocoaCryptoHashing::sha1Hash(input), QByteArray::fromHex(hex));
        EXPECT_EQ(CocoaCryptoHashing::sha1HexHash(QString::fromUtf8(input)), QLatin1String(hex));
        EXPECT_EQ(CocoaCryptoHashing::sha1Hash(QString::fromUtf8(input)), QByteArray::fromHex(hex));
    }
    const QString loneSurrogate = QStringLiteral("a") + QChar(0xDC00);
    EXPECT_TRUE(CocoaCryptoHashing::sha1HexHash(loneSurrogate).isNull());
    EXPECT_TRUE(CocoaCryptoHashing::sha1Hash(loneSurrogate).isNull());
}
