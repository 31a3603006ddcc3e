#pragma once

#include <QString>
#include <optional>

// The number formatter behind every price, weight and percentage text and
// every numeric editing field. A plain value: configure it, then use it to
// turn numbers into text and typed text back into numbers.
//
// Pattern (setFormat): one segment, or three separated by ";" (positive; zero;
// negative); two segments are read as positive; negative. In a segment "#" and
// "0" are digit positions, "," asks for grouping by thousands (group size: the
// digit positions after the last ","), "." is the decimal point, and every
// digit position after it is a fixed decimal. The number part is the run that
// starts at the first digit position and is made of "#0,.", cut back to its
// last digit position; everything before and after it is literal text (so a
// symbol such as "Fr." or "kr," before or after the number stays literal).
// "0" positions before the decimal point give the minimum integer digits.
//
// Output rules:
// - The separators set here are always used, whatever the system locale.
// - The literal text of the chosen segment is the only sign shown: a negative
//   number is shown by its absolute value in the negative segment; with no
//   negative segment it gets a leading "-".
// - A number that rounds to zero at the chosen segment's decimals is shown as
//   the zero segment, character for character; without a zero segment it is
//   shown as zero in the positive segment (never "-0.00").
// - Rounding: half away from zero at the segment's decimals, applied to the
//   shortest decimal form of the double (so 1.005 gives 1.01, 2.5 gives 3).
// - A non-finite number gives a null string.
// - Without a pattern the number is written in its shortest decimal form with
//   the decimal separator, no grouping.
//
// Parsing (numberFromString) is lenient about form and strict about digits:
// surrounding whitespace, the literal text of any segment (symbols compared
// case-insensitively, U+2024/U+201A matching "."/","), one sign ("+", "-",
// U+2212 or "±") before or after the leading symbol, and grouping separators
// or none are all accepted; grouping, when used, must be well formed (so with
// "," as decimal and "." as thousands separator "1.5" is rejected rather than
// read as 15). The zero segment's text reads as 0. The result is the typed
// value divided by the multiplier; it is rejected (nullopt) when empty,
// malformed, not finite, or outside the bounds.
class LKSSmartFormatter
{
public:
    LKSSmartFormatter() = default;

    // Default ".".  An empty separator is taken as ".".
    const QString &decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(const QString &separator);
    // Default ",". An empty separator turns grouping off.
    const QString &thousandSeparator() const { return m_thousandSeparator; }
    void setThousandSeparator(const QString &separator);

    const QString &format() const { return m_format; }
    void setFormat(const QString &format);

    // Bounds on the parsed (stored) value, inclusive; nullopt for none. They
    // only restrict parsing: stringFromNumber shows any number.
    std::optional<double> maximum() const { return m_maximum; }
    void setMaximum(std::optional<double> maximum);
    std::optional<double> minimum() const { return m_minimum; }
    void setMinimum(std::optional<double> minimum);

    // Shown value = stored value x multiplier; parsed value = typed value /
    // multiplier. Default 1. With 0 every typed text is rejected.
    double multiplier() const { return m_multiplier; }
    void setMultiplier(double multiplier);

    QString stringFromNumber(double number) const;
    std::optional<double> numberFromString(const QString &text) const;

    friend bool operator==(const LKSSmartFormatter &, const LKSSmartFormatter &) = default;

private:
    struct Segment
    {
        QString text;   // as written; the zero segment is shown as it is
        QString prefix; // literal text before the number part
        QString suffix; // literal text after the number part
        int minimumIntegerDigits = 1;
        int decimals = 0;
        int groupingSize = 0; // 0: no grouping
        friend bool operator==(const Segment &, const Segment &) = default;
    };
    struct Digits
    {
        QString integer;  // no leading zeros; empty for zero
        QString fraction; // exactly the requested number of digits
        bool isZero() const;
    };

    static Segment parseSegment(const QString &text);
    static Digits roundedDigits(double magnitude, int decimals);
    QString numberInSegment(const Segment &segment, const Digits &digits) const;
    QString plainText(double number) const;
    std::optional<double> parsePlainNumber(QStringView text) const;

    QString m_format;
    QString m_decimalSeparator = QStringLiteral(".");
    QString m_thousandSeparator = QStringLiteral(",");
    std::optional<double> m_maximum;
    std::optional<double> m_minimum;
    double m_multiplier = 1.0;
    std::optional<Segment> m_positive;
    std::optional<Segment> m_zero;
    std::optional<Segment> m_negative;
};
