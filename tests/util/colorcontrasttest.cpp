#include "util/colorcontrast.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using testsupport::hexColor;
constexpr auto hex = &hexColor;

// The WCAG figures, either way round; 4.48 shows as 4.47, never rounded up
// towards a pass.
TEST(ColorContrast, RatioMatchesTheWcagFigures)
{
    for (const auto &[a, b, expected] :
         {std::tuple{0x000000u, 0xffffffu, "21.00:1"}, {0x777777u, 0x777777u, "1.00:1"},
          {0xffffffu, 0xe07a5fu, "2.95:1"}, {0xc9654bu, 0xffffffu, "3.85:1"}, {0x777777u, 0xffffffu, "4.47:1"},
          {0x767676u, 0xffffffu, "4.54:1"}, {0xffffffu, 0x222222u, "15.90:1"}}) {
        EXPECT_EQ(ColorContrast::ratioText(ColorContrast::ratio(hex(a), hex(b))), QLatin1String(expected));
        EXPECT_DOUBLE_EQ(ColorContrast::ratio(hex(a), hex(b)), ColorContrast::ratio(hex(b), hex(a)));
    }
}

// A failing colour passes by the smallest step towards black or white (just
// over the line, not far beyond it); a passing one stays as it is.
TEST(ColorContrast, NearestShadePassesByTheSmallestStep)
{
    // colour, other, direction: 0 unchanged, -1 darker, +1 lighter
    for (const auto &[colour, other, direction] :
         {std::tuple{0xffffffu, 0x000000u, 0}, {0xe07a5fu, 0xffffffu, -1}, {0xc9654bu, 0xffffffu, -1},
          {0x777777u, 0x1f3a5fu, +1}, {0x808080u, 0x777777u, -1}}) {
        SCOPED_TRACE(colour);
        const Color shade = ColorContrast::nearestPassingShade(hex(colour), hex(other));
        const double ratio = ColorContrast::ratio(shade, hex(other));
        EXPECT_GE(ratio, ColorContrast::MinimumTextRatio);
        if (direction == 0) {
            EXPECT_EQ(shade.qmvHexValue(), hex(colour).qmvHexValue());
            continue;
        }
        EXPECT_LT(ratio, ColorContrast::MinimumTextRatio + 0.1);
        const double before = ColorContrast::relativeLuminance(hex(colour));
        EXPECT_EQ(ColorContrast::relativeLuminance(shade) > before ? 1 : -1, direction);
    }
}
