#pragma once

#include <QList>
#include <QString>
#include <optional>

// The fixed choices behind the editor's currency and PayPal language menus,
// and the index tables of older stored pages, which kept a menu position
// instead of a currency record or a language code.
class CurrencyTables
{
public:
    // Menu tag of the custom entry, whose values the owner types in.
    static constexpr int CustomTag = 99999;

    struct Currency
    {
        int tag;
        QString code;
        QString symbol;
        bool shownOnLeft;
    };
    struct PayPalLanguage
    {
        int tag;
        QString code; // "" is PayPal's own default
    };

    // In menu order (without the custom entry).
    static const QList<Currency> &currencies();
    static const QList<PayPalLanguage> &payPalLanguages();

    // The row of a menu tag; absent for unknown tags and for CustomTag.
    static std::optional<Currency> currencyForTag(int tag);
    static std::optional<QString> payPalLanguageCodeForTag(int tag);

    // Older pages: currency index 0 to 24 (2 and 19 were menu separators and
    // give ""); any other index gives US dollars.
    static QString oldCurrencyCode(int index);
    static QString oldCurrencySymbol(int index);
    // Older pages: PayPal language index; unknown indexes give "".
    static QString oldPayPalLanguageCode(int index);
};
