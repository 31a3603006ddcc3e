#include "support/testsupport.h"

#include "catalogue/tillboxproduct.h"
#include "images/imagenormalizer.h"
#include "catalogue/productregistry.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::shared_ptr<const Picture> jpegPicture(int width, int height)
{
    return std::make_shared<const Picture>(encoded(samplePicture(width, height), "jpeg", 90));
}

} // namespace

// The longer side is capped, a picture is never enlarged, one within the cap
// is only redrawn; the same answer on plain pixels. 3000 x 1001 capped is
// 341.67 high, on a 342-pixel canvas; no usable threshold means the default.
TEST(ImageNormalizer, CapsTheLongerSideAndNeverEnlarges)
{
    for (const auto &[source, threshold, size, same] :
         {std::tuple{QSize(2000, 1000), 1024, QSize(1024, 512), false},
          {QSize(1000, 2000), 1024, QSize(512, 1024), false},
          {QSize(2000, 2000), 1024, QSize(1024, 1024), false}, {QSize(800, 600), 1024, QSize(800, 600), false},
          {QSize(1024, 300), 1024, QSize(1024, 300), true}, {QSize(300, 1024), 1024, QSize(300, 1024), true},
          {QSize(1024, 1024), 1024, QSize(1024, 1024), true}, {QSize(3000, 1001), 1024, QSize(1024, 342), false},
          {QSize(600, 400), 300, QSize(300, 200), false}, {QSize(2048, 1024), 0, QSize(1024, 512), false}}) {
        SCOPED_TRACE(testing::Message() << source.width() << "x" << source.height() << " cap " << threshold);
        const auto picture = jpegPicture(source.width(), source.height());
        const auto result = ImageNormalizer::normalizeImage(picture, threshold, false);
        ASSERT_TRUE(result);
        EXPECT_EQ(result == picture, same);
        EXPECT_EQ(result->size(), size);
        bool unchanged = false;
        const QImage pixels = ImageNormalizer::normalizeImage(picture->image(), threshold, false, &unchanged);
        EXPECT_EQ(unchanged, same);
        EXPECT_EQ(pixels.size(), size);
    }
}

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
