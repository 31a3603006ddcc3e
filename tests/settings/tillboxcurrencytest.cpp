#include "settingstestsupport.h"
#include "support/testsupport.h"

#include "settings/tillboxcurrency.h"

#include <gtest/gtest.h>

using namespace settingstest;

using testsupport::unarchive;


TEST(TillboxCurrency, RoundTripKeepsAllFiveFields)
{
    TillboxCurrency currency;
    currency.setTag(99999);
    currency.setCode(QStringLiteral("XBT"));
    currency.setSymbol(QStringLiteral("₿"));
    currency.setShownOnLeft(false);
    currency.setSpaceBetweenSymbolAndPrice(false);

    const QByteArray archive = KeyedArchiver::archivedData(currency);
    EXPECT_EQ(rootObjectKeySet(archive),
              QSet<QString>({"Tag", "Code", "Symbol", "ShownOnLeft", "SpaceBetweenSymbolAndPrice"}));
    const auto decoded = unarchive<TillboxCurrency>(archive);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->toJson(), currency.toJson());
    EXPECT_EQ(decoded->symbol(), QStringLiteral("₿"));
}

TEST(TillboxCurrency, ReadingStartsFromAnEmptyRecord)
{
    const auto decoded = unarchive<TillboxCurrency>(testsupport::storedArchive<TillboxCurrency>(
        [](KeyedArchiver &coder) { coder.encodeString("Code", QStringLiteral("EUR")); }));
    ASSERT_TRUE(decoded);
    // Tag 0 matches no menu item.
    expectJsonSubset(decoded->toJson(), R"({"tag": 0, "code": "EUR", "symbol": null, "shownOnLeft": false,
                                            "spaceBetweenSymbolAndPrice": false})");
}

TEST(TillboxCurrency, SettersAnnounceRealChangesOnly)
{
    TillboxCurrency currency;
    QStringList changes;
    collectChanges(currency, changes);
    currency.setCode(QStringLiteral("USD"));
    currency.setShownOnLeft(true);
    currency.setSymbol(QStringLiteral("€"));
    currency.setSymbol(QStringLiteral("€"));
    currency.setSpaceBetweenSymbolAndPrice(false);
    currency.setTag(20);
    EXPECT_EQ(changes, QStringList({"symbol", "spaceBetweenSymbolAndPrice", "tag"}));

    // Empty and absent are different values.
    changes.clear();
    currency.setCode(QStringLiteral(""));
    currency.setCode(QString());
    currency.setCode(QString());
    EXPECT_EQ(changes, QStringList({"code", "code"}));
    EXPECT_TRUE(currency.code().isNull());
}

// The tables of older versions' menus: spot checks, the separators (present
// but empty) and the fallback outside them.
TEST(CurrencyTables, OldIndexTables)
{
    for (const auto &[index, code, symbol] : {std::tuple{0, "USD", "$"}, {1, "EUR", "€"}, {2, "", ""},
                                              {15, "GBP", "£"}, {19, "", ""}, {20, "CNY", "元"}, {24, "THB", "฿"},
                                              {25, "USD", "$"}, {-1, "USD", "$"}}) {
        EXPECT_EQ(TillboxGlobalSettings::currencyPayPalForOldIndex(index), QString::fromUtf8(code)) << index;
        EXPECT_EQ(TillboxGlobalSettings::currencySymbolForOldIndex(index), QString::fromUtf8(symbol)) << index;
    }
    EXPECT_FALSE(TillboxGlobalSettings::currencyPayPalForOldIndex(19).isNull());
    const QMap<int, QString> languages = {{2, "US"}, {4, "AU"}, {5, "GB"}, {6, "FR"},
                                          {7, "DE"}, {8, "IT"}, {9, "ES"}};
    for (int index = -2; index <= 11; ++index) {
        const QString code = TillboxGlobalSettings::payPalLanguageForOldIndex(index);
        EXPECT_EQ(code, languages.value(index, QStringLiteral(""))) << index;
        EXPECT_FALSE(code.isNull());
    }
}

// From euros without a space, tag 20 as the menu would have left it: a tag of
// the table fills code, symbol and side in place; the custom tag only moves
// the tag; a tag outside the table changes nothing at all.
TEST(SetCurrencyByTag, FillsCodeSymbolAndSideOnly)
{
    for (const auto &[tag, code, symbol, left, storedTag] :
         {std::tuple{70, "CNY", "元", false, 20}, {260, "CHF", "CHF", true, 20}, {10, "USD", "$", true, 20},
          {280, "THB", "฿", true, 20}, {99999, "EUR", "€", true, 99999}, {15, "EUR", "€", true, 20},
          {0, "EUR", "€", true, 20}, {290, "EUR", "€", true, 20}}) {
        SCOPED_TRACE(tag);
        TestBundle bundle;
        TillboxGlobalSettings settings(bundle.bundle());
        const auto currency = settings.currency();
        currency->setTag(20);
        settings.setCurrencyByTag(20);
        currency->setSpaceBetweenSymbolAndPrice(false);

        settings.setCurrencyByTag(tag);
        EXPECT_EQ(settings.currency(), currency);
        EXPECT_EQ(currency->code(), QString::fromUtf8(code));
        EXPECT_EQ(currency->symbol(), QString::fromUtf8(symbol));
        EXPECT_EQ(currency->shownOnLeft(), left);
        EXPECT_EQ(currency->tag(), storedTag);
        EXPECT_FALSE(currency->spaceBetweenSymbolAndPrice());
    }
}

TEST(SetPayPalLanguageByTag, FillsTheCodeAndStoresOnlyTheCustomTag)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const QMap<int, QString> expected = {{10, ""}, {30, "UK"}, {40, "CN"}, {70, "DE"}, {90, "ES"}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        settings.setPayPalLanguageCode(QStringLiteral("XX"));
        settings.setPayPalLanguageByTag(it.key());
        EXPECT_EQ(settings.payPalLanguageCode(), it.value()) << it.key();
        EXPECT_FALSE(settings.payPalLanguageCode().isNull());
        EXPECT_EQ(settings.payPalLanguageTag(), 10);
    }

    settings.setPayPalLanguageCode(QStringLiteral("NL"));
    settings.setPayPalLanguageByTag(99999);
    EXPECT_EQ(settings.payPalLanguageTag(), 99999);
    EXPECT_EQ(settings.payPalLanguageCode(), QStringLiteral("NL"));

    settings.setPayPalLanguageByTag(35);
    EXPECT_EQ(settings.payPalLanguageTag(), 99999);
    EXPECT_EQ(settings.payPalLanguageCode(), QStringLiteral("NL"));
}
