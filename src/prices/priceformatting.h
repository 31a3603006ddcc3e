#pragma once

#include "prices/lkssmartformatter.h"

#include <QString>

class TillboxGlobalSettings;

// Price texts and number formatters built from the shop settings and its
// currency. Nothing is cached: every call reads the settings as they are now.
//
// Machine-readable prices (for scripts and server files) are plain decimals
// with "." and no grouping; shown prices use the shop's symbol, side,
// separators and number of decimals.
class PriceFormatting
{
public:
    explicit PriceFormatting(const TillboxGlobalSettings &settings) : m_settings(settings) {}

    // Separators only: "." and "," for separator index 0, else "," and ".".
    LKSSmartFormatter basicFormatter() const;
    QString priceFormatterString() const;
    LKSSmartFormatter priceFormatter() const;
    // Signed pattern for option surcharges and additional costs.
    QString optionPriceFormatterString() const;
    LKSSmartFormatter optionPriceFormatter() const;
    // "#,##0.00" for weights.
    LKSSmartFormatter weightFormatter() const;
    // "+ #,##0.00;± 0.00;- #,##0.00" for weight surcharges.
    LKSSmartFormatter signedWeightFormatter() const;
    // "#,##0" for item counts.
    LKSSmartFormatter itemCountFormatter() const;
    // "0.00 %", bounds 0 to 100, multiplier 1: tax rates and percentage coupons.
    LKSSmartFormatter percentFormatter() const;

    QString localizedStringWithPrice(double price) const;
    // "%.4f" without the limit; with it, the shop's number of decimals.
    QString stringWithPrice(double price, bool precisionLimit) const;
    // price * (taxRate + 100) / 100 when prices are shown with taxes.
    double shownPrice(double price, double taxRate) const;
    // The tax of one unit as the page states it for the cart: the product in
    // single precision, the division in double.
    static double unitTax(float taxRate, float price);

    // The number of decimals that decimalNumberIndex stands for (0 to 4, else 2).
    static int decimalsForIndex(int decimalNumberIndex);

private:
    // One of five templates, by the number of decimals, filled with the
    // currency's pieces.
    QString pattern(const char *const (&templates)[5], const QString &symbol) const;

    const TillboxGlobalSettings &m_settings;
};
