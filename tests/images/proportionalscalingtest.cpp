#include "support/testsupport.h"

#include "images/proportionalscaling.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QImage solid(int width, int height, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

// 1-pixel checkerboard: any filter that skips pixels shows it as stripes.
QImage checkerboard(int side, QImage::Format format)
{
    QImage image(side, side, format);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, ((x + y) & 1) ? 0xffffffff : 0xff000000);
    return image;
}

// Every pixel of the box is the picture's or transparent.
void expectDrawnIn(const QImage &result, const QRect &drawn, QRgb colour)
{
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            ASSERT_EQ(result.pixel(x, y), drawn.contains(x, y) ? colour : qRgba(0, 0, 0, 0)) << x << "," << y;
}

} // namespace

// Shrunk or enlarged, the picture is drawn centred with transparent margins;
// 300 x 200 fits a 90 x 100 box as 90 x 60 at y = 20.
TEST(ProportionalScaling, DrawsCentredWithTransparentMargins)
{
    for (const auto &[source, box, drawn] :
         {std::tuple{QSize(200, 100), QSize(100, 100), QRect(0, 25, 100, 50)},
          {QSize(100, 200), QSize(100, 100), QRect(25, 0, 50, 100)},
          {QSize(20, 10), QSize(100, 100), QRect(0, 25, 100, 50)},
          {QSize(300, 200), QSize(90, 100), QRect(0, 20, 90, 60)}}) {
        const QImage result = ProportionalScaling::imageByScalingProportionallyToSize(
            solid(source.width(), source.height(), Qt::red), box.width(), box.height(), false);
        ASSERT_EQ(result.size(), box);
        EXPECT_EQ(ProportionalScaling::pixelRect(source, box.width(), box.height()), drawn);
        expectDrawnIn(result, drawn, qRgba(255, 0, 0, 255));
    }
}

TEST(ProportionalScaling, DrawingRectUsesSinglePrecisionAndSnapsToPixels)
{
    // Factors 0.3003 and 0.3: the picture is 99.9 wide, centred at x = 0.05.
    const QRectF exact = ProportionalScaling::drawingRect(QSize(333, 200), 100, 60);
    EXPECT_FLOAT_EQ(float(exact.width()), 333.0f * (60.0f / 200.0f));
    EXPECT_FLOAT_EQ(float(exact.x()), (100.0f - 333.0f * (60.0f / 200.0f)) * 0.5f);
    EXPECT_EQ(exact.y(), 0);
    EXPECT_EQ(ProportionalScaling::pixelRect(QSize(333, 200), 100, 60), QRect(0, 0, 100, 60));
    // The same size draws the whole box.
    EXPECT_EQ(ProportionalScaling::drawingRect(QSize(64, 48), 64, 48), QRectF(0, 0, 64, 48));
    // Canvas sizes round to whole pixels.
    EXPECT_EQ(ProportionalScaling::canvasSize(341.67, 1024), QSize(342, 1024));
    EXPECT_EQ(ProportionalScaling::canvasSize(0.2, 10), QSize(1, 10));
    EXPECT_TRUE(ProportionalScaling::canvasSize(0, 10).isEmpty());
}

TEST(ProportionalScaling, OpaqueCoverStaysOpaqueAndAlphaStaysAlpha)
{
    const QImage opaque = ProportionalScaling::imageByScalingProportionallyToSize(samplePicture(400, 300), 200, 150,
                                                                                  false);
    EXPECT_FALSE(opaque.hasAlphaChannel());
    const QImage withAlpha = ProportionalScaling::imageByScalingProportionallyToSize(
        samplePicture(400, 300, true), 200, 150, false);
    EXPECT_TRUE(withAlpha.hasAlphaChannel());
    EXPECT_EQ(qAlpha(withAlpha.pixel(10, 10)), 0);
    // Margins need alpha even for an opaque picture.
    EXPECT_TRUE(ProportionalScaling::imageByScalingProportionallyToSize(samplePicture(400, 300), 200, 200, false)
                    .hasAlphaChannel());
}

TEST(ProportionalScaling, ShrinkingAveragesEverySourcePixel)
{
    // A checkerboard shrunk 4 times is an even grey everywhere; point or
    // bilinear sampling would keep black and white pixels. The ARGB32 case
    // at 1.5 times is the one Qt would otherwise draw with bilinear filtering.
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage result = ProportionalScaling::resampled(checkerboard(400, format), QSize(100, 100));
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_NEAR(qRed(result.pixel(x, y)), 127, 2) << format << " " << x << "," << y;
        const QImage third = ProportionalScaling::resampled(checkerboard(150, format), QSize(100, 100));
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_NEAR(qRed(third.pixel(x, y)), 127, 16) << format << " " << x << "," << y;
    }
}

TEST(ProportionalScaling, ShadowGrowsTheCanvasByTwiceTheRadius)
{
    struct Case
    {
        QSize box;
        float radius;
        QSize canvas;
    };
    for (const Case &c : {Case{{100, 100}, 5.0f, {110, 110}}, Case{{512, 400}, 5.12f, {522, 410}},
                          Case{{128, 96}, 5.0f, {138, 106}}, Case{{1000, 800}, 10.0f, {1020, 820}}}) {
        EXPECT_FLOAT_EQ(ProportionalScaling::shadowRadius(c.box.width(), c.box.height()), c.radius);
        const QImage result = ProportionalScaling::imageByScalingProportionallyToSize(
            samplePicture(300, 300), c.box.width(), c.box.height(), true);
        EXPECT_EQ(result.size(), c.canvas) << c.box.width() << "x" << c.box.height();
    }
}

TEST(ProportionalScaling, ShadowFallsBelowAndStaysHalfTransparentBlack)
{
    const QImage result =
        ProportionalScaling::imageByScalingProportionallyToSize(solid(100, 100, Qt::red), 100, 100, true);
    ASSERT_EQ(result.size(), QSize(110, 110));
    const QRect picture(5, 5, 100, 100);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = result.pixel(x, y);
            if (picture.contains(x, y)) {
                ASSERT_EQ(pixel, qRgba(255, 0, 0, 255)) << x << "," << y;
            } else {
                ASSERT_LE(qAlpha(pixel), 127) << x << "," << y;
                ASSERT_EQ(qRed(pixel) | qGreen(pixel) | qBlue(pixel), 0) << x << "," << y;
            }
        }
    }
    // Below the picture is darker than the same distance above it.
    for (int distance = 1; distance <= 5; ++distance)
        EXPECT_GT(qAlpha(result.pixel(55, 104 + distance)), qAlpha(result.pixel(55, 5 - distance))) << distance;
    // Left and right stay alike.
    EXPECT_EQ(qAlpha(result.pixel(2, 55)), qAlpha(result.pixel(107, 55)));
    // The far corners stay clear; the shadow is visible at the bottom edge.
    EXPECT_EQ(qAlpha(result.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(result.pixel(109, 0)), 0);
    EXPECT_GT(qAlpha(result.pixel(55, 109)), 20);
}

TEST(ProportionalScaling, ShadowFollowsTheDrawnPictureNotTheBox)
{
    // A wide picture in a square box: the shadow hugs the 100 x 50 drawing.
    const QImage result =
        ProportionalScaling::imageByScalingProportionallyToSize(solid(200, 100, Qt::blue), 100, 100, true);
    ASSERT_EQ(result.size(), QSize(110, 110));
    EXPECT_EQ(qAlpha(result.pixel(55, 10)), 0);  // top margin, far above the drawing
    EXPECT_EQ(qAlpha(result.pixel(55, 30)), 255); // the drawing (y = 30...79)
    EXPECT_GT(qAlpha(result.pixel(55, 82)), 0);  // its shadow
}

TEST(ProportionalScaling, UndrawableSourceGivesNothingOrTheEmptyShadowCanvas)
{
    EXPECT_TRUE(ProportionalScaling::imageByScalingProportionallyToSize(QImage(), 100, 100, false).isNull());
    const QImage padded = ProportionalScaling::imageByScalingProportionallyToSize(QImage(), 100, 100, true);
    ASSERT_EQ(padded.size(), QSize(110, 110));
    expectDrawnIn(padded, QRect(), 0);
}
