#include "support/testsupport.h"

#include "images/picture.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace testsupport;

// Size, alpha and format come from the header (orientation applied like Qt
// does); the pixels are decoded on first use, once, also when threads race.
TEST(Picture, HeaderAnswersFirstPixelsAreDecodedOnce)
{
    const Picture picture(encodedPicture(640, 480, "jpeg"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(640, 480));
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.format(), QByteArray("jpeg"));
    EXPECT_FALSE(picture.isDecoded());
    const QImage image = picture.image();
    EXPECT_TRUE(picture.isDecoded());
    EXPECT_EQ(image.size(), QSize(640, 480));
    EXPECT_EQ(picture.image().cacheKey(), image.cacheKey());

    const QByteArray turned = encodedPicture(64, 48, "jpeg", false, QImageIOHandler::TransformationRotate90);
    EXPECT_EQ(Picture(turned).size(), QSize(48, 64));
    EXPECT_EQ(Picture(turned).image().size(), QImage::fromData(turned).size());

    const auto shared = std::make_shared<const Picture>(encodedPicture(320, 240, "png", true));
    std::vector<qint64> keys(6);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < keys.size(); ++i)
        threads.emplace_back([&, i] { keys[i] = shared->image().cacheKey(); });
    for (auto &thread : threads)
        thread.join();
    for (const qint64 key : keys)
        EXPECT_EQ(key, keys.front());
}

TEST(Picture, PaletteTransparencyIsFoundInThePixels)
{
    QImage indexed(8, 8, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 255)});
    indexed.fill(1);
    const Picture picture(encoded(indexed, "png"));
    EXPECT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.size(), QSize(8, 8));
}

TEST(Picture, UndecodableBytesMakeANullPictureAndAreKept)
{
    for (const QByteArray &bytes : {QByteArray(), QByteArray("not a picture at all"),
                                    encodedPicture(16, 16, "jpeg").left(2)}) {
        const Picture picture(bytes);
        EXPECT_TRUE(picture.isNull());
        EXPECT_TRUE(picture.image().isNull());
        EXPECT_EQ(picture.encodedData(), bytes);
    }
}
