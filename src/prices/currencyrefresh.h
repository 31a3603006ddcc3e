#pragma once

#include "prices/lkssmartformatter.h"

#include <QString>
#include <optional>

// What the editor's numeric fields get when the currency or number format
// changes, worked out headless by the plug-in and applied by the editor in
// this order: price fields, option value prices, currency controls, weight,
// option value weights, additional-cost ranges, additional-cost values, tax
// rates, coupon value.
struct CurrencyRefresh
{
    LKSSmartFormatter priceFormatter;        // price, special price, shipping fields
    LKSSmartFormatter optionPriceFormatter;  // option value prices
    bool customCurrencyControlsEnabled = false; // code, symbol, position: custom currency only
    LKSSmartFormatter weightFormatter;       // product weight
    LKSSmartFormatter signedWeightFormatter; // option value weights
    // Range fields of the additional costs; absent: leave them as they are.
    std::optional<LKSSmartFormatter> additionalCostsRangesFormatter;
    LKSSmartFormatter additionalCostsValuesFormatter;
    LKSSmartFormatter percentFormatter;      // product and default tax rates
    QString fixedCouponTitle;                // second entry of the coupon type choice
    LKSSmartFormatter couponValueFormatter;  // by the selected product's coupon type
};
