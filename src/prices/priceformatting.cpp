#include "prices/priceformatting.h"

#include "settings/tillboxglobalsettings.h"
#include "util/cformat.h"

namespace {

struct PatternPieces
{
    QString prefix;
    QString suffix;
};

PatternPieces pieces(const TillboxCurrency &currency, const QString &symbol)
{
    const QString spacer = currency.spaceBetweenSymbolAndPrice() ? QStringLiteral(" ") : QString();
    if (currency.shownOnLeft())
        return {symbol + spacer, QString()};
    return {QString(), spacer + symbol};
}

// Fills a template's "%@" places, in order, from values.
QString fill(const char *templ, const QStringList &values)
{
    QString result;
    qsizetype next = 0;
    const QString text = QString::fromUtf8(templ);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size() && text[i + 1] == QLatin1Char('@')) {
            result += next < values.size() ? values[next] : QString();
            ++next;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

int PriceFormatting::decimalsForIndex(int decimalNumberIndex)
{
    return decimalNumberIndex >= 0 && decimalNumberIndex <= 4 ? decimalNumberIndex : 2;
}

LKSSmartFormatter PriceFormatting::basicFormatter() const
{
    LKSSmartFormatter formatter;
    if (m_settings.decimalSeparatorIndex() == 0) {
        formatter.setDecimalSeparator(QStringLiteral("."));
        formatter.setThousandSeparator(QStringLiteral(","));
    } else {
        formatter.setDecimalSeparator(QStringLiteral(","));
        formatter.setThousandSeparator(QStringLiteral("."));
    }
    return formatter;
}

QString PriceFormatting::priceFormatterString() const
{
    // A symbol must never read as a separator: its full stops and commas
    // become look-alike characters.
    QString symbol = m_settings.currency()->symbol();
    symbol.replace(QLatin1Char('.'), QChar(0x2024));
    symbol.replace(QLatin1Char(','), QChar(0x201A));
    // The negative segment carries a "-": without it a negative amount would
    // show exactly like the positive one.
    static const char *const templates[] = {
        "%@#,##0%@;%@0%@;-%@#,##0%@",
        "%@#,##0.0%@;%@0%@0%@;-%@#,##0.0%@",
        "%@#,##0.00%@;%@0%@00%@;-%@#,##0.00%@",
        "%@#,##0.000%@;%@0%@000%@;-%@#,##0.000%@",
        "%@#,##0.0000%@;%@0%@0000%@;-%@#,##0.0000%@",
    };
    return pattern(templates, symbol);
}

LKSSmartFormatter PriceFormatting::priceFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setFormat(priceFormatterString());
    return formatter;
}

QString PriceFormatting::optionPriceFormatterString() const
{
    static const char *const templates[] = {
        "+ %@#,##0%@;± %@0%@;- %@#,##0%@",
        "+ %@#,##0.0%@;± %@0%@0%@;- %@#,##0.0%@",
        "+ %@#,##0.00%@;± %@0%@00%@;- %@#,##0.00%@",
        "+ %@#,##0.000%@;± %@0%@000%@;- %@#,##0.000%@",
        "+ %@#,##0.0000%@;± %@0%@0000%@;- %@#,##0.0000%@",
    };
    return pattern(templates, m_settings.currency()->symbol());
}

QString PriceFormatting::pattern(const char *const (&templates)[5], const QString &symbol) const
{
    // The places are filled in the order prefix, suffix, prefix, (decimal
    // separator,) suffix, prefix, suffix; without decimals the zero segment
    // has no separator place.
    const PatternPieces p = pieces(*m_settings.currency(), symbol);
    const int decimals = decimalsForIndex(m_settings.decimalNumberIndex());
    if (decimals == 0)
        return fill(templates[0], {p.prefix, p.suffix, p.prefix, p.suffix, p.prefix, p.suffix});
    const QString d = basicFormatter().decimalSeparator();
    return fill(templates[decimals], {p.prefix, p.suffix, p.prefix, d, p.suffix, p.prefix, p.suffix});
}

LKSSmartFormatter PriceFormatting::optionPriceFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setFormat(optionPriceFormatterString());
    return formatter;
}

LKSSmartFormatter PriceFormatting::weightFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setFormat(QStringLiteral("#,##0.00"));
    return formatter;
}

LKSSmartFormatter PriceFormatting::signedWeightFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setFormat(QStringLiteral("+ #,##0.00;± 0.00;- #,##0.00"));
    return formatter;
}

LKSSmartFormatter PriceFormatting::itemCountFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setFormat(QStringLiteral("#,##0"));
    return formatter;
}

LKSSmartFormatter PriceFormatting::percentFormatter() const
{
    LKSSmartFormatter formatter = basicFormatter();
    formatter.setMaximum(100.0);
    formatter.setMinimum(0.0);
    formatter.setFormat(QStringLiteral("0.00 %"));
    formatter.setMultiplier(1.0);
    return formatter;
}

QString PriceFormatting::localizedStringWithPrice(double price) const
{
    return priceFormatter().stringFromNumber(price);
}

QString PriceFormatting::stringWithPrice(double price, bool precisionLimit) const
{
    return CFormat::fixed(price, precisionLimit ? decimalsForIndex(m_settings.decimalNumberIndex()) : 4);
}

double PriceFormatting::unitTax(float taxRate, float price)
{
    const float product = taxRate * price;
    return double(product) / 100.0;
}

double PriceFormatting::shownPrice(double price, double taxRate) const
{
    if (!m_settings.showPricesIncludingTaxes())
        return price;
    return (taxRate + 100.0) * price / 100.0;
}
