#pragma once

#include <QString>

// Number texts exactly as the C library's "%.Nf" prints them in the "C"
// locale: "." as decimal point whatever the user's locale, and the exact
// binary value rounded to nearest with ties to even (2.5 gives "2").
class CFormat
{
public:
    static QString fixed(double value, int decimals);
    // "%.Ng": at most N significant digits, no trailing zeros or point.
    static QString general(double value, int significantDigits);
};
