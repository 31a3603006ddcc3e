#include "settings/currencytables.h"

namespace {

struct OldCurrency
{
    QString code;
    QString symbol;
};

// Indexed by the old menu position.
const QList<OldCurrency> &oldCurrencies()
{
    static const QList<OldCurrency> table = {
        {QStringLiteral("USD"), QStringLiteral("$")},
        {QStringLiteral("EUR"), QStringLiteral("€")},
        {QStringLiteral(""), QStringLiteral("")},
        {QStringLiteral("AUD"), QStringLiteral("$")},
        {QStringLiteral("CAD"), QStringLiteral("$")},
        {QStringLiteral("CZK"), QStringLiteral("Kč")},
        {QStringLiteral("DKK"), QStringLiteral("kr")},
        {QStringLiteral("HKD"), QStringLiteral("$")},
        {QStringLiteral("HUF"), QStringLiteral("Ft")},
        {QStringLiteral("ILS"), QStringLiteral("₪")},
        {QStringLiteral("JPY"), QStringLiteral("¥")},
        {QStringLiteral("MXN"), QStringLiteral("$")},
        {QStringLiteral("NOK"), QStringLiteral("kr")},
        {QStringLiteral("NZD"), QStringLiteral("$")},
        {QStringLiteral("PLN"), QStringLiteral("zł")},
        {QStringLiteral("GBP"), QStringLiteral("£")},
        {QStringLiteral("SGD"), QStringLiteral("$")},
        {QStringLiteral("SEK"), QStringLiteral("kr")},
        {QStringLiteral("CHF"), QStringLiteral("CHF")},
        {QStringLiteral(""), QStringLiteral("")},
        {QStringLiteral("CNY"), QStringLiteral("元")},
        {QStringLiteral("RON"), QStringLiteral("L")},
        {QStringLiteral("RUB"), QStringLiteral("руб")},
        {QStringLiteral("KRW"), QStringLiteral("₩")},
        {QStringLiteral("THB"), QStringLiteral("฿")},
    };
    return table;
}

const OldCurrency &oldCurrency(int index)
{
    const auto &table = oldCurrencies();
    return index >= 0 && index < table.size() ? table.at(index) : table.at(0);
}

} // namespace

const QList<CurrencyTables::Currency> &CurrencyTables::currencies()
{
    static const QList<Currency> table = {
        {10, QStringLiteral("USD"), QStringLiteral("$"), true},
        {20, QStringLiteral("EUR"), QStringLiteral("€"), true},
        {30, QStringLiteral("GBP"), QStringLiteral("£"), true},
        {40, QStringLiteral("AUD"), QStringLiteral("$"), true},
        {50, QStringLiteral("BRL"), QStringLiteral("R$"), true},
        {60, QStringLiteral("CAD"), QStringLiteral("$"), true},
        {70, QStringLiteral("CNY"), QStringLiteral("元"), false},
        {80, QStringLiteral("CZK"), QStringLiteral("Kč"), true},
        {90, QStringLiteral("DKK"), QStringLiteral("kr"), true},
        {100, QStringLiteral("HKD"), QStringLiteral("$"), true},
        {110, QStringLiteral("HUF"), QStringLiteral("Ft"), true},
        {120, QStringLiteral("ILS"), QStringLiteral("₪"), true},
        {130, QStringLiteral("JPY"), QStringLiteral("¥"), true},
        {140, QStringLiteral("JOD"), QStringLiteral("JOD"), true},
        {150, QStringLiteral("MYR"), QStringLiteral("RM"), true},
        {160, QStringLiteral("MXN"), QStringLiteral("$"), true},
        {170, QStringLiteral("NOK"), QStringLiteral("kr"), true},
        {180, QStringLiteral("NZD"), QStringLiteral("$"), true},
        {190, QStringLiteral("PHP"), QStringLiteral("₱"), true},
        {200, QStringLiteral("PLN"), QStringLiteral("zł"), true},
        {210, QStringLiteral("RON"), QStringLiteral("L"), true},
        {220, QStringLiteral("RUB"), QStringLiteral("руб"), true},
        {230, QStringLiteral("SGD"), QStringLiteral("$"), true},
        {240, QStringLiteral("KRW"), QStringLiteral("₩"), true},
        {250, QStringLiteral("SEK"), QStringLiteral("kr"), true},
        {260, QStringLiteral("CHF"), QStringLiteral("CHF"), true},
        {270, QStringLiteral("TWD"), QStringLiteral("$"), true},
        {280, QStringLiteral("THB"), QStringLiteral("฿"), true},
    };
    return table;
}

const QList<CurrencyTables::PayPalLanguage> &CurrencyTables::payPalLanguages()
{
    static const QList<PayPalLanguage> table = {
        {10, QStringLiteral("")},
        {20, QStringLiteral("US")},
        {30, QStringLiteral("UK")},
        {40, QStringLiteral("CN")},
        {50, QStringLiteral("AU")},
        {60, QStringLiteral("FR")},
        {70, QStringLiteral("DE")},
        {80, QStringLiteral("IT")},
        {90, QStringLiteral("ES")},
    };
    return table;
}

std::optional<CurrencyTables::Currency> CurrencyTables::currencyForTag(int tag)
{
    for (const Currency &row : currencies()) {
        if (row.tag == tag)
            return row;
    }
    return std::nullopt;
}

std::optional<QString> CurrencyTables::payPalLanguageCodeForTag(int tag)
{
    for (const PayPalLanguage &row : payPalLanguages()) {
        if (row.tag == tag)
            return row.code;
    }
    return std::nullopt;
}

QString CurrencyTables::oldCurrencyCode(int index)
{
    return oldCurrency(index).code;
}

QString CurrencyTables::oldCurrencySymbol(int index)
{
    return oldCurrency(index).symbol;
}

QString CurrencyTables::oldPayPalLanguageCode(int index)
{
    switch (index) {
    case 2: return QStringLiteral("US");
    case 4: return QStringLiteral("AU");
    case 5: return QStringLiteral("GB");
    case 6: return QStringLiteral("FR");
    case 7: return QStringLiteral("DE");
    case 8: return QStringLiteral("IT");
    case 9: return QStringLiteral("ES");
    default: return QStringLiteral("");
    }
}
