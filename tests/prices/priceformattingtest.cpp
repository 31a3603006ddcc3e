#include "prices/priceformatting.h"

#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

struct Shop
{
    int decimalNumberIndex = 2;
    int decimalSeparatorIndex = 0;
    QString symbol = QStringLiteral("$");
    bool shownOnLeft = true;
    bool space = true;
};

void configure(TillboxGlobalSettings &settings, const Shop &shop)
{
    settings.setDecimalNumberIndex(shop.decimalNumberIndex);
    settings.setDecimalSeparatorIndex(shop.decimalSeparatorIndex);
    settings.currency()->setSymbol(shop.symbol);
    settings.currency()->setShownOnLeft(shop.shownOnLeft);
    settings.currency()->setSpaceBetweenSymbolAndPrice(shop.space);
}

Shop euro(int decimals = 2)
{
    return Shop{decimals, 1, QStringLiteral("€"), false, true};
}

// --- Patterns --------------------------------------------------------------------------

// A shop's two patterns, and how values read in them: as a price
// (localizedStringWithPrice) and as an option's surcharge.
struct PatternCase
{
    const char *name;
    Shop shop;
    const char *pricePattern;
    const char *optionPattern;
    std::vector<std::tuple<double, const char *, const char *>> shown = {};
};

class PricePatternTest : public ::testing::TestWithParam<PatternCase>
{
protected:
    TillboxGlobalSettings settings;
};

TEST_P(PricePatternTest, PatternsFollowTheShopSettings)
{
    const PatternCase &c = GetParam();
    configure(settings, c.shop);
    const PriceFormatting prices(settings);
    EXPECT_EQ(prices.priceFormatterString(), QString::fromUtf8(c.pricePattern));
    EXPECT_EQ(prices.optionPriceFormatterString(), QString::fromUtf8(c.optionPattern));
    EXPECT_EQ(prices.priceFormatter().format(), prices.priceFormatterString());
    EXPECT_EQ(prices.optionPriceFormatter().format(), prices.optionPriceFormatterString());
    for (const auto &[value, price, option] : c.shown) {
        EXPECT_EQ(prices.localizedStringWithPrice(value), QString::fromUtf8(price));
        EXPECT_EQ(prices.optionPriceFormatter().stringFromNumber(value), QString::fromUtf8(option));
    }
    const QString decimal = c.shop.decimalSeparatorIndex == 0 ? QStringLiteral(".") : QStringLiteral(",");
    const QString thousand = c.shop.decimalSeparatorIndex == 0 ? QStringLiteral(",") : QStringLiteral(".");
    for (const LKSSmartFormatter &f :
         {prices.basicFormatter(), prices.priceFormatter(), prices.optionPriceFormatter()}) {
        EXPECT_EQ(f.decimalSeparator(), decimal);
        EXPECT_EQ(f.thousandSeparator(), thousand);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shops, PricePatternTest,
    ::testing::Values(
        PatternCase{"NoDecimalsDollarLeftTight", Shop{0, 0, "$", true, false}, "$#,##0;$0;-$#,##0",
                    "+ $#,##0;± $0;- $#,##0", {{1234567.0, "$1,234,567", "+ $1,234,567"}}},
        PatternCase{"OneDecimalEuroRightSpaced", Shop{1, 1, "€", false, true}, "#,##0.0 €;0,0 €;-#,##0.0 €",
                    "+ #,##0.0 €;± 0,0 €;- #,##0.0 €"},
        // Without its "-" a negative price would read like the positive one.
        PatternCase{"TwoDecimalsEuroRightSpaced", euro(), "#,##0.00 €;0,00 €;-#,##0.00 €",
                    "+ #,##0.00 €;± 0,00 €;- #,##0.00 €",
                    {{1234.5, "1.234,50 €", "+ 1.234,50 €"}, {1.5, "1,50 €", "+ 1,50 €"}, {0.0, "0,00 €", "± 0,00 €"},
                     {-0.001, "0,00 €", "± 0,00 €"}, {-2.0, "-2,00 €", "- 2,00 €"}}},
        PatternCase{"TwoDecimalsDollarLeftTight", Shop{2, 0, "$", true, false}, "$#,##0.00;$0.00;-$#,##0.00",
                    "+ $#,##0.00;± $0.00;- $#,##0.00", {{-5.0, "-$5.00", "- $5.00"}}},
        PatternCase{"ThreeDecimalsPoundLeftSpaced", Shop{3, 0, "£", true, true}, "£ #,##0.000;£ 0.000;-£ #,##0.000",
                    "+ £ #,##0.000;± £ 0.000;- £ #,##0.000"},
        PatternCase{"FourDecimalsDollarLeftSpaced", Shop{4, 0, "$", true, true}, "$ #,##0.0000;$ 0.0000;-$ #,##0.0000",
                    "+ $ #,##0.0000;± $ 0.0000;- $ #,##0.0000", {{0.12345, "$ 0.1235", "+ $ 0.1235"}}},
        PatternCase{"FourDecimalsKronaRightTight", Shop{4, 1, "kr", false, false},
                    "#,##0.0000kr;0,0000kr;-#,##0.0000kr", "+ #,##0.0000kr;± 0,0000kr;- #,##0.0000kr"},
        PatternCase{"UnknownIndexMeansTwoDecimals", Shop{7, 0, "$", true, true}, "$ #,##0.00;$ 0.00;-$ #,##0.00",
                    "+ $ #,##0.00;± $ 0.00;- $ #,##0.00"},
        PatternCase{"NegativeIndexMeansTwoDecimals", Shop{-1, 1, "$", false, false}, "#,##0.00$;0,00$;-#,##0.00$",
                    "+ #,##0.00$;± 0,00$;- #,##0.00$"},
        // Full stops and commas in a symbol are disguised in price patterns only.
        PatternCase{"SymbolWithFullStop", Shop{2, 1, "Fr.", true, true}, "Fr․ #,##0.00;Fr․ 0,00;-Fr․ #,##0.00",
                    "+ Fr. #,##0.00;± Fr. 0,00;- Fr. #,##0.00", {{1234.5, "Fr․ 1.234,50", "+ Fr. 1.234,50"}}},
        PatternCase{"SymbolWithComma", Shop{0, 0, "k,r.", false, true}, "#,##0 k‚r․;0 k‚r․;-#,##0 k‚r․",
                    "+ #,##0 k,r.;± 0 k,r.;- #,##0 k,r."},
        PatternCase{"NoSymbol", Shop{2, 0, "", true, false}, "#,##0.00;0.00;-#,##0.00",
                    "+ #,##0.00;± 0.00;- #,##0.00"}),
    [](const auto &info) { return std::string(info.param.name); });

// Every pattern a shop's settings can give, and the fixed ones of weights,
// counts and percentages: each shows exactly its decimals with the symbol in
// place (full stops and commas disguised in prices), signed forms show their
// sign, and the editing fields read back what they show.
TEST(PriceFormattingTest, EveryPatternShowsItsDecimalsAndReadsBack)
{
    const double numbers[] = {0, 0.004, 0.05, 1.5, 12.345, 19, 100, 999.999, 1234.5, 1234567.891, -2, -0.3, -1234.5};
    const auto check = [&](const LKSSmartFormatter &f, int decimals, int separator, const QString &shown, bool sign) {
        const double scale = std::pow(10.0, decimals);
        for (const double number : numbers) {
            const QString text = f.stringFromNumber(number);
            SCOPED_TRACE((f.format() + QStringLiteral(" -> ") + text).toStdString());
            const double rounded = std::round(number * scale) / scale;
            EXPECT_TRUE(text.contains(shown));
            if (sign && rounded != 0) {
                EXPECT_TRUE(text.startsWith(rounded > 0 ? QStringLiteral("+ ") : QStringLiteral("- ")));
            }
            if (rounded != 0 && decimals > 0) {
                qsizetype last = text.size() - 1;
                while (last >= 0 && !text.at(last).isDigit())
                    --last;
                ASSERT_GE(last, decimals);
                EXPECT_EQ(text.at(last - decimals), separator ? QLatin1Char(',') : QLatin1Char('.'));
            }
            const std::optional<double> parsed = f.numberFromString(text);
            ASSERT_TRUE(parsed.has_value());
            EXPECT_NEAR(*parsed, rounded, 1e-9 * std::max(1.0, std::fabs(rounded)));
        }
    };
    TillboxGlobalSettings settings;
    for (const int separator : {0, 1}) {
        for (const auto &[symbol, left, space] : {std::tuple{"€", false, true}, {"$", true, false}, {"Fr.", true, true},
                                                  {"Fr.", false, false}, {"kr,", false, true}, {",-", false, false},
                                                  {"CHF", true, true}, {"", false, true}}) {
            for (const int index : {0, 1, 2, 3, 4, 7, -1}) {
                configure(settings, Shop{index, separator, QString::fromUtf8(symbol), left, space});
                const PriceFormatting prices(settings);
                const int decimals = index >= 0 && index <= 4 ? index : 2;
                QString disguised = QString::fromUtf8(symbol);
                disguised.replace(QLatin1Char('.'), QChar(0x2024)).replace(QLatin1Char(','), QChar(0x201A));
                check(prices.priceFormatter(), decimals, separator, disguised, false);
                check(prices.optionPriceFormatter(), decimals, separator, QString::fromUtf8(symbol), true);
            }
        }
        for (const auto &[pattern, decimals, sign] :
             {std::tuple{"#,##0.00", 2, false}, {"+ #,##0.00;± 0.00;- #,##0.00", 2, true}, {"#,##0", 0, false},
              {"0.00 %", 2, false}}) {
            LKSSmartFormatter f;
            f.setDecimalSeparator(separator ? QStringLiteral(",") : QStringLiteral("."));
            f.setThousandSeparator(separator ? QStringLiteral(".") : QStringLiteral(","));
            f.setFormat(QString::fromUtf8(pattern));
            check(f, decimals, separator, QString(), sign);
        }
    }
}

// --- Machine-readable prices ----------------------------------------------------------------

// Scripts need "." and no grouping: neither the shop's separators nor the
// user's locale may leak in. Without the limit four decimals; exact ties go
// to the even neighbour.
TEST(PriceFormattingTest, MachinePricesArePlainDecimals)
{
    TillboxGlobalSettings settings;
    settings.setDecimalSeparatorIndex(1);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const auto &[price, decimalNumberIndex, limit, expected] :
         {std::tuple{12.5, 2, false, "12.5000"}, {12.5, 0, false, "12.5000"}, {12.5, 7, false, "12.5000"},
          {12.5, 7, true, "12.50"}, {12.5, -3, true, "12.50"}, {12.4, 0, true, "12"}, {2.5, 0, true, "2"},
          {3.5, 0, true, "4"}, {0.125, 2, true, "0.12"}, {1234.5678, 1, true, "1234.6"},
          {1234.5678, 3, true, "1234.568"},
          {1234567.25, 4, true, "1234567.2500"}, {-3.75, 1, true, "-3.8"}, {0.0, 2, true, "0.00"}}) {
        settings.setDecimalNumberIndex(decimalNumberIndex);
        EXPECT_EQ(PriceFormatting(settings).stringWithPrice(price, limit), QLatin1String(expected))
            << price << (limit ? " limited" : "");
    }
    QLocale::setDefault(previous);
}

// Nothing is cached: each call reads the settings as they are now.
TEST(PriceFormattingTest, TaxesAndPatternsFollowTheSettingsAtEachCall)
{
    TillboxGlobalSettings settings;
    const PriceFormatting prices(settings);
    settings.setShowPricesIncludingTaxes(true);
    EXPECT_DOUBLE_EQ(prices.shownPrice(100, 19), 119.0);
    EXPECT_DOUBLE_EQ(prices.shownPrice(50, 7.5), 53.75);
    settings.setShowPricesIncludingTaxes(false);
    EXPECT_DOUBLE_EQ(prices.shownPrice(12.34, 19), 12.34);

    EXPECT_EQ(prices.localizedStringWithPrice(2), QStringLiteral("$ 2.00"));
    configure(settings, euro(0));
    EXPECT_EQ(prices.localizedStringWithPrice(2), QStringLiteral("2 €"));
    EXPECT_EQ(prices.stringWithPrice(2, true), QStringLiteral("2"));
}

} // namespace
