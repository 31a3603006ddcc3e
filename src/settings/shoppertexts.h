#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The texts that the published cart and listing show to shoppers: each text
// key of the strings table with the template placeholder it fills. The shop's
// own texts are stored keyed by the localized text of each key, never by the
// key itself.
class ShopperTexts
{
public:
    struct Entry
    {
        QString key;         // e.g. "i18nTotal"
        QString placeholder; // e.g. "%TOTAL%"
    };

    // All 37 in their fixed order. "i18nAddToCart" and "i18nOutOfStock" share
    // "%ADD_TO_CART%": the listing picks one by the product's stock.
    static const QList<Entry> &entries();
    static QStringList keys();
};
