#include "prices/currencyrefresh.h"

#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

#include <gtest/gtest.h>

namespace {

class CurrencyRefreshTest : public ::testing::Test
{
protected:
    TillboxGlobalSettings &settings() { return *plugin.globalSettings(); }

    TillboxPlugin plugin;
};

// Every formatter the editor's numeric fields receive.
QList<LKSSmartFormatter> allFormatters(const CurrencyRefresh &refresh)
{
    QList<LKSSmartFormatter> list{refresh.priceFormatter,
                                  refresh.optionPriceFormatter,
                                  refresh.weightFormatter,
                                  refresh.signedWeightFormatter,
                                  refresh.additionalCostsValuesFormatter,
                                  refresh.percentFormatter,
                                  refresh.couponValueFormatter};
    if (refresh.additionalCostsRangesFormatter)
        list << *refresh.additionalCostsRangesFormatter;
    return list;
}

} // namespace

// Every field uses the shop's separators; each kind of field has its pattern.
TEST_F(CurrencyRefreshTest, FormattersForEachKindOfField)
{
    settings().setAdditionalCostsTypeTag(20);
    for (const int separatorIndex : {0, 1}) {
        settings().setDecimalSeparatorIndex(separatorIndex);
        for (const LKSSmartFormatter &formatter : allFormatters(plugin.currencyRefresh())) {
            SCOPED_TRACE(qPrintable(formatter.format()));
            EXPECT_EQ(formatter.decimalSeparator(), separatorIndex ? QStringLiteral(",") : QStringLiteral("."));
            EXPECT_EQ(formatter.thousandSeparator(), separatorIndex ? QStringLiteral(".") : QStringLiteral(","));
        }
    }
    const CurrencyRefresh refresh = plugin.currencyRefresh();
    EXPECT_EQ(refresh.priceFormatter, plugin.priceFormatter());
    EXPECT_EQ(refresh.optionPriceFormatter, plugin.optionPriceFormatter());
    EXPECT_EQ(refresh.additionalCostsValuesFormatter, plugin.optionPriceFormatter());
    EXPECT_EQ(refresh.weightFormatter.stringFromNumber(1234.5), QStringLiteral("1.234,50"));
    // The zero of a weight surcharge is written with "." whatever the separator.
    EXPECT_EQ(refresh.signedWeightFormatter.stringFromNumber(0), QStringLiteral("± 0.00"));
    EXPECT_EQ(refresh.signedWeightFormatter.stringFromNumber(-1.5), QStringLiteral("- 1,50"));

    const LKSSmartFormatter &percent = refresh.percentFormatter;
    EXPECT_EQ(percent.stringFromNumber(19), QStringLiteral("19,00 %"));
    EXPECT_EQ(percent.numberFromString(QStringLiteral("7,5 %")), 7.5);
    EXPECT_FALSE(percent.numberFromString(QStringLiteral("101")));
    EXPECT_FALSE(percent.numberFromString(QStringLiteral("-1")));
    EXPECT_EQ(percent.multiplier(), 1.0);
}

TEST_F(CurrencyRefreshTest, AdditionalCostRangesFollowTheirKind)
{
    struct Case
    {
        int typeTag;
        std::optional<QString> format; // nullopt: the fields keep their formatter
    };
    const QString pricePattern = plugin.priceFormatterString();
    for (const Case &c : {Case{10, QStringLiteral("#,##0")}, Case{20, pricePattern},
                          Case{30, QStringLiteral("#,##0.00")}, Case{0, std::nullopt}, Case{40, std::nullopt}}) {
        SCOPED_TRACE(c.typeTag);
        settings().setAdditionalCostsTypeTag(c.typeTag);
        const auto ranges = plugin.currencyRefresh().additionalCostsRangesFormatter;
        ASSERT_EQ(ranges.has_value(), c.format.has_value());
        if (ranges) {
            EXPECT_EQ(ranges->format(), *c.format);
        }
    }
    settings().setAdditionalCostsTypeTag(30);
    const CurrencyRefresh refresh = plugin.currencyRefresh();
    EXPECT_EQ(*refresh.additionalCostsRangesFormatter, refresh.weightFormatter);
}

TEST_F(CurrencyRefreshTest, CouponValueFollowsTheSelectedProductsCouponType)
{
    settings().currency()->setSymbol(QStringLiteral("€"));
    EXPECT_EQ(plugin.currencyRefresh().fixedCouponTitle, QStringLiteral("€"));
    EXPECT_EQ(plugin.currencyRefresh().couponValueFormatter.format(), QStringLiteral("0.00 %"))
        << "no product: the percentage field";

    auto percentage = TillboxProduct::create();
    auto fixed = TillboxProduct::create();
    fixed->setCouponType(1);
    plugin.productController().addObject(percentage);
    plugin.productController().addObject(fixed);

    plugin.productController().setSelectionIndex(1);
    EXPECT_EQ(plugin.currencyRefresh().couponValueFormatter, plugin.priceFormatter());
    plugin.productController().setSelectionIndex(0);
    EXPECT_EQ(plugin.currencyRefresh().couponValueFormatter, plugin.currencyRefresh().percentFormatter);
}
