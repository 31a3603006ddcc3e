#include "util/colorcontrast.h"

#include <gtest/gtest.h>

namespace {

Color hex(unsigned rgb)
{
    return Color(((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

struct RatioCase
{
    unsigned a, b;
    const char *expected; // as ratioText writes it
};

class ContrastRatioTable : public testing::TestWithParam<RatioCase> {};

TEST_P(ContrastRatioTable, MatchesTheWcagFigures)
{
    const RatioCase &c = GetParam();
    EXPECT_EQ(ColorContrast::ratioText(ColorContrast::ratio(hex(c.a), hex(c.b))), QString::fromLatin1(c.expected));
    EXPECT_DOUBLE_EQ(ColorContrast::ratio(hex(c.a), hex(c.b)), ColorContrast::ratio(hex(c.b), hex(c.a)));
}

INSTANTIATE_TEST_SUITE_P(Cases, ContrastRatioTable,
                         testing::Values(RatioCase{0x000000, 0xffffff, "21.00:1"},
                                         RatioCase{0x777777, 0x777777, "1.00:1"},
                                         RatioCase{0xffffff, 0xe07a5f, "2.95:1"},
                                         RatioCase{0xc9654b, 0xffffff, "3.85:1"},
                                         // 4.48 shows as 4.47, never rounded up towards a pass
                                         RatioCase{0x777777, 0xffffff, "4.47:1"},
                                         RatioCase{0x767676, 0xffffff, "4.54:1"},
                                         RatioCase{0xffffff, 0x222222, "15.90:1"}));

struct ShadeCase
{
    unsigned colour, other;
    int direction; // 0 unchanged, -1 darker, +1 lighter
};

class NearestShadeTable : public testing::TestWithParam<ShadeCase> {};

TEST_P(NearestShadeTable, PassesByTheSmallestStepTowardsBlackOrWhite)
{
    const ShadeCase &c = GetParam();
    const Color shade = ColorContrast::nearestPassingShade(hex(c.colour), hex(c.other));
    const double ratio = ColorContrast::ratio(shade, hex(c.other));
    EXPECT_GE(ratio, ColorContrast::MinimumTextRatio);
    if (c.direction == 0) {
        EXPECT_EQ(shade.qmvHexValue(), hex(c.colour).qmvHexValue());
        return;
    }
    // Nearest: just over the line, not far beyond it.
    EXPECT_LT(ratio, ColorContrast::MinimumTextRatio + 0.1);
    const double before = ColorContrast::relativeLuminance(hex(c.colour));
    const double after = ColorContrast::relativeLuminance(shade);
    EXPECT_EQ(after > before ? 1 : -1, c.direction);
}

INSTANTIATE_TEST_SUITE_P(Cases, NearestShadeTable,
                         testing::Values(ShadeCase{0xffffff, 0x000000, 0},
                                         ShadeCase{0xe07a5f, 0xffffff, -1}, // a button under white text
                                         ShadeCase{0xc9654b, 0xffffff, -1}, // text on a white page
                                         ShadeCase{0x777777, 0x1f3a5f, +1}, // grey text on navy
                                         ShadeCase{0x808080, 0x777777, -1}));  // either way: the shorter

} // namespace
