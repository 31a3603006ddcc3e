#include "util/cocoacryptohashing.h"

#include <gtest/gtest.h>

namespace {

struct DigestCase
{
    QByteArray input;
    const char *hex;
};

class Sha1Table : public testing::TestWithParam<DigestCase> {};

TEST_P(Sha1Table, MatchesKnownDigest)
{
    const DigestCase &c = GetParam();
    const QString hex = CocoaCryptoHashing::sha1HexHash(c.input);
    EXPECT_EQ(hex, QString::fromLatin1(c.hex));
    EXPECT_EQ(hex.size(), 40);
    const QByteArray raw = CocoaCryptoHashing::sha1Hash(c.input);
    EXPECT_EQ(raw.size(), 20);
    EXPECT_EQ(raw, QByteArray::fromHex(c.hex));
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Sha1Table,
    testing::Values(DigestCase{QByteArray(), "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
                    DigestCase{QByteArray("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
                    DigestCase{QByteArray("\0\0\0", 3), "29e2dcfbb16f63bb0254df7585a15bb6fb5e927d"},
                    // Leading zero byte must stay as "00".
                    DigestCase{QByteArray("tillbox80"), "00beaa55aed8aad516a9869e44db0d7c33095b41"}));

TEST(CocoaCryptoHashing, StringsHashTheirUtf8Bytes)
{
    EXPECT_EQ(CocoaCryptoHashing::sha1HexHash(QString::fromUtf8("ä")),
              QStringLiteral("961fa22f61a56e19f3f5f8867901ac8cf5e6d11f"));
    EXPECT_EQ(CocoaCryptoHashing::sha1Hash(QStringLiteral("abc")),
              CocoaCryptoHashing::sha1Hash(QByteArray("abc")));
    EXPECT_EQ(CocoaCryptoHashing::sha1HexHash(QString()),
              QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709"));
}

TEST(CocoaCryptoHashing, StringWithoutUtf8FormHasNoDigest)
{
    const QString loneSurrogate = QStringLiteral("a") + QChar(0xDC00);
    EXPECT_TRUE(CocoaCryptoHashing::sha1HexHash(loneSurrogate).isNull());
    EXPECT_TRUE(CocoaCryptoHashing::sha1Hash(loneSurrogate).isNull());
}

} // namespace
