#include "support/testsupport.h"

#include "catalogue/tillboxproduct.h"
#include "images/imagenormalizer.h"
#include "catalogue/productregistry.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

struct NormalizeCase
{
    QSize source;
    int threshold;
    QSize result;
    bool same; // the very same picture comes back
};

class NormalizeTest : public ::testing::TestWithParam<NormalizeCase>
{
};

std::shared_ptr<const Picture> jpegPicture(int width, int height)
{
    return std::make_shared<const Picture>(encoded(samplePicture(width, height), "jpeg", 90));
}

} // namespace

TEST_P(NormalizeTest, CapsTheLongerSideAndNeverEnlarges)
{
    const NormalizeCase &c = GetParam();
    const auto picture = jpegPicture(c.source.width(), c.source.height());
    const auto result = ImageNormalizer::normalizeImage(picture, c.threshold, false);
    ASSERT_TRUE(result);
    EXPECT_EQ(result == picture, c.same);
    EXPECT_EQ(result->size(), c.result);
    // The same answer on plain pixels.
    bool unchanged = false;
    const QImage pixels = ImageNormalizer::normalizeImage(picture->image(), c.threshold, false, &unchanged);
    EXPECT_EQ(unchanged, c.same);
    EXPECT_EQ(pixels.size(), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Threshold1024, NormalizeTest,
    ::testing::Values(NormalizeCase{{2000, 1000}, 1024, {1024, 512}, false},
                      NormalizeCase{{1000, 2000}, 1024, {512, 1024}, false},
                      NormalizeCase{{2000, 2000}, 1024, {1024, 1024}, false},
                      NormalizeCase{{800, 600}, 1024, {800, 600}, false}, // redrawn at its own size
                      NormalizeCase{{1024, 300}, 1024, {1024, 300}, true},
                      NormalizeCase{{300, 1024}, 1024, {300, 1024}, true},
                      NormalizeCase{{1024, 1024}, 1024, {1024, 1024}, true},
                      // 3000 x 1001 capped: 341.67 high, on a 342-pixel canvas.
                      NormalizeCase{{3000, 1001}, 1024, {1024, 342}, false},
                      NormalizeCase{{600, 400}, 300, {300, 200}, false},
                      // No usable threshold: the default cap.
                      NormalizeCase{{2048, 1024}, 0, {1024, 512}, false}));

TEST(ImageNormalizer, CapAppliesToPixelsNotPoints)
{
    // 144 pixels per inch: the point size is half the pixel size.
    QImage image = samplePicture(2000, 1000);
    image.setDotsPerMeterX(5669);
    image.setDotsPerMeterY(5669);
    const auto picture = std::make_shared<const Picture>(encoded(image, "png"));
    EXPECT_EQ(ImageNormalizer::normalizeImage(picture, 1024, false)->size(), QSize(1024, 512));
}

TEST(ImageNormalizer, NormalizedPixelsFollowTheSource)
{
    const auto picture = jpegPicture(2000, 1000);
    const QImage result = ImageNormalizer::normalizeImage(picture, 1024, false)->image();
    const QImage direct = picture->image().scaled(1024, 512, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int worst = 0;
    for (int y = 0; y < 512; y += 7)
        for (int x = 0; x < 1024; x += 7)
            worst = std::max(worst, std::abs(qGreen(result.pixel(x, y)) - qGreen(direct.pixel(x, y))));
    EXPECT_LE(worst, 4);
}

TEST(ImageNormalizer, ReplacesAndCountsEveryPictureButExactCaps)
{
    const auto product = [](const QString &iconName, const QByteArray &image) {
        auto p = TillboxProduct::create();
        p->setIconName(iconName);
        p->setImage(image);
        return p;
    };
    const auto wide = product(QStringLiteral("wide"), encoded(samplePicture(2000, 1000), "jpeg", 90));
    const auto small = product(QStringLiteral("small"), encoded(samplePicture(800, 600, true), "png"));
    const auto exact = product(QStringLiteral("exact"), encoded(samplePicture(1024, 300), "jpeg", 90));
    const auto none = product(QStringLiteral("none"), QByteArray());
    const auto exactIcon = exact->icon();
    ASSERT_FALSE(none->icon());

    EXPECT_EQ(TillboxProduct::normaliseImages({wide, small, exact, none}, 1024), 2);

    EXPECT_EQ(wide->icon()->size(), QSize(1024, 512));
    // An opaque photo stays a JPEG; a picture with alpha becomes a PNG.
    EXPECT_EQ(wide->imageName(), QStringLiteral("wide.jpg"));
    EXPECT_EQ(wide->icon()->format(), QByteArray("jpeg"));
    EXPECT_EQ(small->icon()->size(), QSize(800, 600));
    EXPECT_EQ(small->imageName(), QStringLiteral("small.png"));
    EXPECT_TRUE(small->icon()->hasAlphaChannel());
    EXPECT_EQ(exact->icon(), exactIcon);
    EXPECT_FALSE(none->icon());
    // The thumbnail height follows the new picture.
    wide->setIconWidth(100);
    EXPECT_EQ(wide->iconHeight(), 50);
}
