#include "util/color.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

struct HexCase
{
    double red, green, blue, alpha;
    const char *expected;
};

class ColorHexTable : public testing::TestWithParam<HexCase> {};

TEST_P(ColorHexTable, TruncatesScaledComponents)
{
    const HexCase &c = GetParam();
    const Color color(c.red, c.green, c.blue, c.alpha);
    ASSERT_TRUE(color.qmvHexValue().has_value());
    EXPECT_EQ(*color.qmvHexValue(), QString::fromLatin1(c.expected));
    EXPECT_EQ(color.hexValue(), color.qmvHexValue());
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, ColorHexTable,
    testing::Values(HexCase{1, 1, 1, 1, "ffffff"},
                    HexCase{0, 0, 0, 1, "000000"},
                    HexCase{0.5, 0.5, 0.5, 1, "7f7f7f"}, // 127.99... truncated, not 80
                    HexCase{1, 0, 0.5, 1, "ff007f"},
                    HexCase{0.2, 0.4, 0.6, 1, "336699"},
                    HexCase{1.0 / 255, 254.0 / 255, 0.999, 1, "01feff"},
                    HexCase{0.2, 0.4, 0.6, 0, "336699"}, // alpha is ignored
                    // Extended-range components are clamped: six digits always.
                    HexCase{1.2, -0.5, kNaN, 1, "ff0000"},
                    HexCase{1e300, -1e300, 0, 1, "ff0000"}));

TEST(Color, WithoutRgbFormHasNoHexValue)
{
    const Color pattern = Color::withoutRgbForm();
    EXPECT_FALSE(pattern.qmvHexValue().has_value());
    EXPECT_FALSE(pattern.hexValue().has_value());
}

} // namespace
