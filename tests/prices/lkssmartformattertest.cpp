#include "prices/lkssmartformatter.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <limits>
#include <optional>

namespace {

struct Separators
{
    QString decimal;
    QString thousand;
};

LKSSmartFormatter formatter(const Separators &separators, const QString &format)
{
    LKSSmartFormatter f;
    f.setDecimalSeparator(separators.decimal);
    f.setThousandSeparator(separators.thousand);
    f.setFormat(format);
    return f;
}

const Separators kDot{".", ","};
const Separators kComma{",", "."};

struct FormatCase
{
    const char *name;
    QString format;
    Separators separators;
    double number;
    QString expected; // null: no text
    double multiplier = 1.0;
};

const QString kEuroPrice = QString::fromUtf8("#,##0.00 €;0,00 €;#,##0.00 €");
const QString kEuroOption = QString::fromUtf8("+ #,##0.00 €;± 0,00 €;- #,##0.00 €");
const QString kSignedWeight = QString::fromUtf8("+ #,##0.00;± 0.00;- #,##0.00");
constexpr double kInf = std::numeric_limits<double>::infinity();

const FormatCase kFormatCases[] = {
    {"singleSegmentEuro", QString::fromUtf8("#,##0.00 €"), kComma, 1234.5, QString::fromUtf8("1.234,50 €")},
    {"priceNegativeShowsOnlyItsLiteral", kEuroPrice, kComma, -2, QString::fromUtf8("2,00 €")},
    {"optionNearZeroIsZeroSegment", kEuroOption, kComma, -0.004, QString::fromUtf8("± 0,00 €")},
    {"dollarNoDecimals", "$#,##0;$0;$#,##0", kDot, 1234.5, "$1,235"},
    {"dollarRoundsUpIntoGroup", "$#,##0;$0;$#,##0", kDot, 999.5, "$1,000"},
    {"dollarBelowHalfIsZero", "$#,##0;$0;$#,##0", kDot, 0.4, "$0"},
    {"signedWeightZeroLiteral", kSignedWeight, kComma, 0, QString::fromUtf8("± 0.00")},
    {"signedWeightNegative", kSignedWeight, kComma, -1234.5, "- 1.234,50"},
    {"weightNegativeGetsMinus", "#,##0.00", kDot, -3.5, "-3.50"},
    {"weightNoNegativeZero", "#,##0.00", kDot, -0.001, "0.00"},
    {"itemCount", "#,##0", kDot, 12345, "12,345"},
    {"itemCountHalfAwayFromZero", "#,##0", kDot, 2.5, "3"},
    {"itemCountNegativeHalf", "#,##0", kDot, -2.5, "-3"},
    {"percent", "0.00 %", kDot, 19, "19.00 %"},
    {"percentMultiplier", "0 %", kDot, 0.19, "19 %", 100},
    {"fourDecimals", "#,##0.0000", kDot, 12.5, "12.5000"},
    {"roundsTypedTie", "0.00", kDot, 1.005, "1.01"},
    {"roundCarries", "#,##0.00", kDot, 999999.995, "1,000,000.00"},
    {"hugeNumber", "#,##0", kDot, 1e21, "1,000,000,000,000,000,000,000"},
    {"priceSymbolLookAlike", QString::fromUtf8("Fr․ #,##0.00;Fr․ 0.00;Fr․ #,##0.00"), kDot, 5,
     QString::fromUtf8("Fr․ 5.00")},
    {"optionSymbolWithDotLeft", QString::fromUtf8("+ Fr.#,##0;± Fr.0;- Fr.#,##0"), kComma, -1234,
     "- Fr.1.234"},
    {"optionSymbolWithDotRight", QString::fromUtf8("+ #,##0.00Fr.;± 0.00Fr.;- #,##0.00Fr."), kDot, 1.5,
     "+ 1.50Fr."},
    {"optionSymbolWithCommaRight", QString::fromUtf8("+ #,##0 kr,;± 0 kr,;- #,##0 kr,"), kDot, 1234,
     "+ 1,234 kr,"},
    {"noFormat", "", kComma, -1234.25, "-1234,25"},
    {"nanHasNoText", "#,##0.00", kDot, std::nan(""), QString()},
    {"infinityHasNoText", "#,##0.00", kDot, -kInf, QString()},
};

TEST(LKSSmartFormatter, Formats)
{
    for (const FormatCase &c : kFormatCases) {
        LKSSmartFormatter f = formatter(c.separators, c.format);
        f.setMultiplier(c.multiplier);
        const QString text = f.stringFromNumber(c.number);
        EXPECT_EQ(text, c.expected) << c.name;
        EXPECT_EQ(text.isNull(), c.expected.isNull()) << c.name;
    }
}

struct ParseCase
{
    const char *name;
    QString format;
    Separators separators;
    QString text;
    std::optional<double> expected;
};

const QString kFrancPrice = QString::fromUtf8("Fr․ #,##0.00;Fr․ 0.00;Fr․ #,##0.00");
const QString kFrancOptionLeft = QString::fromUtf8("+ Fr.#,##0;± Fr.0;- Fr.#,##0");

const ParseCase kParseCases[] = {
    {"bareMinus", kEuroOption, kComma, "-2", -2},
    {"typographicMinus", kEuroOption, kComma, QString::fromUtf8("−3,5 €"), -3.5},
    {"bareNumber", kEuroOption, kComma, " 2 ", 2},
    {"groupedWithoutSymbol", kEuroOption, kComma, "1.234,5", 1234.5},
    {"symbolWithoutSpace", kEuroOption, kComma, QString::fromUtf8("2€"), 2},
    {"wrongDecimalIsBadGrouping", kEuroOption, kComma, "1.5", std::nullopt},
    {"twoDecimalSeparators", kEuroOption, kComma, "1,2,3", std::nullopt},
    {"letters", kEuroOption, kComma, "abc", std::nullopt},
    {"empty", kEuroOption, kComma, "", std::nullopt},
    {"symbolOnly", kEuroOption, kComma, QString::fromUtf8("€"), std::nullopt},
    {"doubleSign", kEuroOption, kComma, "--2", std::nullopt},
    {"doubleSymbol", kEuroOption, kComma, QString::fromUtf8("2 € €"), std::nullopt},
    {"unknownSymbol", kEuroOption, kComma, "2 USD", std::nullopt},
    {"innerSpace", kEuroOption, kComma, "1 000", std::nullopt},
    {"exponent", "#,##0.00", kDot, "1e3", std::nullopt},
    {"tooLarge", "#,##0", kDot, QString(400, QLatin1Char('9')), std::nullopt},
    {"leadingDecimal", "#,##0.00", kDot, ".5", 0.5},
    {"signedWeightZeroLiteral", kSignedWeight, kComma, QString::fromUtf8("± 0.00"), 0},
    {"signedWeightPlus", kSignedWeight, kComma, "+ 1,5", 1.5},
    {"priceLookAlikeTypedAsDot", kFrancPrice, kDot, "Fr. 1,234.50", 1234.5},
    {"symbolCaseInsensitive", kFrancPrice, kDot, "fr.5", 5},
    {"signBeforeSymbol", kFrancOptionLeft, kComma, "- Fr.5", -5},
    {"signAfterSymbol", kFrancOptionLeft, kComma, "Fr. -5", -5},
    {"symbolWithDotGrouped", kFrancOptionLeft, kComma, "+ Fr.1.234", 1234},
    {"itemCountGrouped", "#,##0", kDot, "12,345", 12345},
    {"itemCountBadGroup", "#,##0", kDot, "12,34", std::nullopt},
    {"negativeOnlyLiteral", "#,##0;0;(#,##0)", kDot, "(5)", -5},
    {"singleSegmentMinus", "#,##0.00", kDot, "-3.50", -3.5},
};

TEST(LKSSmartFormatter, Parses)
{
    for (const ParseCase &c : kParseCases) {
        const std::optional<double> number = formatter(c.separators, c.format).numberFromString(c.text);
        ASSERT_EQ(number.has_value(), c.expected.has_value()) << c.name;
        if (number) {
            EXPECT_DOUBLE_EQ(*number, *c.expected) << c.name;
        }
    }
}

TEST(LKSSmartFormatter, PercentFormatterBoundsAndMultiplier)
{
    LKSSmartFormatter percent = formatter(kDot, "0.00 %");
    percent.setMaximum(100);
    percent.setMinimum(0);
    percent.setMultiplier(1);
    EXPECT_EQ(percent.stringFromNumber(19), QStringLiteral("19.00 %"));
    EXPECT_EQ(percent.numberFromString(QStringLiteral("19%")), 19.0);
    EXPECT_EQ(percent.numberFromString(QStringLiteral("100")), 100.0);
    EXPECT_FALSE(percent.numberFromString(QStringLiteral("100.01")));
    EXPECT_FALSE(percent.numberFromString(QStringLiteral("-1")));
    // Bounds restrict typing only.
    EXPECT_EQ(percent.stringFromNumber(250), QStringLiteral("250.00 %"));

    LKSSmartFormatter scaled = formatter(kDot, "0 %");
    scaled.setMultiplier(100);
    EXPECT_DOUBLE_EQ(*scaled.numberFromString(QStringLiteral("19 %")), 0.19);
    scaled.setMultiplier(0);
    EXPECT_FALSE(scaled.numberFromString(QStringLiteral("19 %")));
}

} // namespace
