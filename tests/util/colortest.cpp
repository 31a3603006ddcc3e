#include "util/color.h"

#include <gtest/gtest.h>
#include <limits>

// Components are scaled and truncated (0.5 is 7f, not 80), extended-range
// ones clamped, alpha ignored: always six digits. A colour without an RGB
// form has no hex value.
TEST(Color, HexValueTruncatesScaledComponents)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        double red, green, blue, alpha;
        const char *expected;
    } cases[] = {
        {1, 1, 1, 1, "ffffff"},          {0, 0, 0, 1, "000000"},   {0.5, 0.5, 0.5, 1, "7f7f7f"},
        {1, 0, 0.5, 1, "ff007f"},        {0.2, 0.4, 0.6, 1, "336699"},
        {1.0 / 255, 254.0 / 255, 0.999, 1, "01feff"},              {0.2, 0.4, 0.6, 0, "336699"},
        {1.2, -0.5, kNaN, 1, "ff0000"},  {1e300, -1e300, 0, 1, "ff0000"},
    };
    for (const auto &c : cases) {
        const Color color(c.red, c.green, c.blue, c.alpha);
        EXPECT_EQ(color.qmvHexValue(), QString::fromLatin1(c.expected)) << c.expected;
        EXPECT_EQ(color.hexValue(), color.qmvHexValue());
    }
    EXPECT_FALSE(Color::withoutRgbForm().qmvHexValue().has_value());
    EXPECT_FALSE(Color::withoutRgbForm().hexValue().has_value());
}
