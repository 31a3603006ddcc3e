#include "settings/shopcolorcheck.h"

#include "settings/tillboxglobalsettings.h"
#include "util/colorcontrast.h"
#include "util/styledtext.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

const auto hex = testsupport::hexColor;

TEST(ShopColorCheck, NamesEachFailingPairWithTheColourToChange)
{
    TillboxGlobalSettings settings;
    EXPECT_TRUE(ShopColorCheck::settingsWarnings(settings).isEmpty()) << "the defaults pass";

    settings.setCartButtonColor(hex(0xe07a5f));
    settings.setCartBackgroundColor(hex(0x888888));
    const QList<ColorContrastWarning> warnings = ShopColorCheck::settingsWarnings(settings);
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[0].field, QStringLiteral("cartTextColor"));
    EXPECT_EQ(warnings[1].field, QStringLiteral("cartButtonColor"));
    EXPECT_TRUE(warnings[1].message().startsWith(
        QStringLiteral("button text #ffffff on #e07a5f: contrast 2.95:1, below 4.50:1; nearest passing cartButtonColor: #")));
    // Each suggestion, put in place of its colour, passes.
    EXPECT_GE(ColorContrast::ratio(warnings[0].suggestion, hex(0x888888)), ColorContrast::MinimumTextRatio);
    EXPECT_GE(ColorContrast::ratio(hex(0xffffff), warnings[1].suggestion), ColorContrast::MinimumTextRatio);
}

TEST(ShopColorCheck, StyledTextGivesOneWarningPerFaintColour)
{
    StyledText text;
    TextAttributes coral;
    coral.color = hex(0xc9654b);
    TextAttributes navy;
    navy.color = hex(0x1f3a5f);
    text.append(QStringLiteral("Sale "), coral);
    text.append(QStringLiteral("now "), navy);
    text.append(QStringLiteral("on"), coral);
    text.append(QStringLiteral(" plain"));
    const QList<ColorContrastWarning> warnings = ShopColorCheck::styledTextWarnings(text, hex(0xffffff));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].place, QStringLiteral("page text"));
    EXPECT_TRUE(warnings[0].field.isEmpty());
    EXPECT_EQ(ColorContrast::ratioText(warnings[0].ratio), QStringLiteral("3.85:1"));
}

} // namespace
