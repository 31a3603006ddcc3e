#include "settingstestsupport.h"

#include "settings/currencytables.h"
#include "settings/tillboxcurrency.h"

#include <gtest/gtest.h>

using namespace settingstest;

namespace {

// A currency entry written by hand, to build partial stored forms.
struct RawCurrency
{
    std::function<void(KeyedArchiver &)> write;
    static QStringList archiveClassNames() { return TillboxCurrency::archiveClassNames(); }
    void encodeWithCoder(KeyedArchiver &coder) const { write(coder); }
};

std::shared_ptr<TillboxCurrency> decodeCurrency(const QByteArray &archive)
{
    KeyedUnarchiver coder;
    EXPECT_TRUE(coder.open(archive));
    auto currency = coder.decodeRootObject<TillboxCurrency>();
    EXPECT_FALSE(coder.hasError()) << coder.errorString().toStdString();
    return currency;
}

} // namespace

TEST(TillboxCurrency, DefaultsAreUsDollarsOnTheLeftWithSpace)
{
    TillboxCurrency currency;
    EXPECT_EQ(currency.tag(), 10);
    EXPECT_EQ(currency.code(), QStringLiteral("USD"));
    EXPECT_EQ(currency.symbol(), QStringLiteral("$"));
    EXPECT_TRUE(currency.shownOnLeft());
    EXPECT_TRUE(currency.spaceBetweenSymbolAndPrice());
}

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
    const auto decoded = decodeCurrency(archive);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->toJson(), currency.toJson());
    EXPECT_EQ(decoded->symbol(), QStringLiteral("₿"));
}

TEST(TillboxCurrency, ReadingStartsFromAnEmptyRecord)
{
    const auto decoded = decodeCurrency(KeyedArchiver::archivedData(RawCurrency{[](KeyedArchiver &coder) {
        coder.encodeString("Code", QStringLiteral("EUR"));
    }}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->tag(), 0); // matches no menu item
    EXPECT_EQ(decoded->code(), QStringLiteral("EUR"));
    EXPECT_TRUE(decoded->symbol().isNull());
    EXPECT_FALSE(decoded->shownOnLeft());
    EXPECT_FALSE(decoded->spaceBetweenSymbolAndPrice());
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

TEST(TillboxCurrency, WatchedKeysAreTheFourDisplayFields)
{
    EXPECT_EQ(TillboxCurrency::watchedKeys(),
              QStringList({"code", "symbol", "shownOnLeft", "spaceBetweenSymbolAndPrice"}));
}

TEST(CurrencyTables, CurrencyMenuMatchesTheFixedTable)
{
    struct Row
    {
        int tag;
        const char *code;
        const char *symbol;
        bool left;
    };
    const Row expected[] = {
        {10, "USD", "$", true},     {20, "EUR", "€", true},     {30, "GBP", "£", true},   {40, "AUD", "$", true},
        {50, "BRL", "R$", true},    {60, "CAD", "$", true},     {70, "CNY", "元", false}, {80, "CZK", "Kč", true},
        {90, "DKK", "kr", true},    {100, "HKD", "$", true},    {110, "HUF", "Ft", true}, {120, "ILS", "₪", true},
        {130, "JPY", "¥", true},    {140, "JOD", "JOD", true},  {150, "MYR", "RM", true}, {160, "MXN", "$", true},
        {170, "NOK", "kr", true},   {180, "NZD", "$", true},    {190, "PHP", "₱", true},  {200, "PLN", "zł", true},
        {210, "RON", "L", true},    {220, "RUB", "руб", true},  {230, "SGD", "$", true},  {240, "KRW", "₩", true},
        {250, "SEK", "kr", true},   {260, "CHF", "CHF", true},  {270, "TWD", "$", true},  {280, "THB", "฿", true},
    };
    const auto &table = CurrencyTables::currencies();
    ASSERT_EQ(table.size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(expected[i].code);
        EXPECT_EQ(table[i].tag, expected[i].tag);
        EXPECT_EQ(table[i].code, QString::fromUtf8(expected[i].code));
        EXPECT_EQ(table[i].symbol, QString::fromUtf8(expected[i].symbol));
        EXPECT_EQ(table[i].shownOnLeft, expected[i].left);
    }
}

TEST(CurrencyTables, OldIndexTables)
{
    const char *codes[] = {"USD", "EUR", "",    "AUD", "CAD", "CZK", "DKK", "HKD", "HUF", "ILS", "JPY", "MXN", "NOK",
                           "NZD", "PLN", "GBP", "SGD", "SEK", "CHF", "",    "CNY", "RON", "RUB", "KRW", "THB"};
    const char *symbols[] = {"$", "€", "", "$", "$", "Kč", "kr", "$",  "Ft", "₪",   "¥", "$", "kr",
                             "$", "zł", "£", "$", "kr", "CHF", "", "元", "L",  "руб", "₩", "฿"};
    for (int index = 0; index < 25; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(TillboxGlobalSettings::currencyPayPalForOldIndex(index), QString::fromUtf8(codes[index]));
        EXPECT_EQ(TillboxGlobalSettings::currencySymbolForOldIndex(index), QString::fromUtf8(symbols[index]));
    }
    // The separators give present, empty texts.
    EXPECT_FALSE(TillboxGlobalSettings::currencyPayPalForOldIndex(19).isNull());
    for (int index : {25, -1, 1000}) {
        EXPECT_EQ(TillboxGlobalSettings::currencyPayPalForOldIndex(index), QStringLiteral("USD"));
        EXPECT_EQ(TillboxGlobalSettings::currencySymbolForOldIndex(index), QStringLiteral("$"));
    }

    const QMap<int, QString> languages = {{2, "US"}, {4, "AU"}, {5, "GB"}, {6, "FR"},
                                          {7, "DE"}, {8, "IT"}, {9, "ES"}};
    for (int index = -2; index <= 11; ++index) {
        SCOPED_TRACE(index);
        const QString code = TillboxGlobalSettings::payPalLanguageForOldIndex(index);
        EXPECT_EQ(code, languages.value(index, QStringLiteral("")));
        EXPECT_FALSE(code.isNull());
    }
}

struct CurrencyTagCase
{
    int tag;
    QString code;
    QString symbol;
    bool left;
    int storedTag;
};

class SetCurrencyByTag : public ::testing::TestWithParam<CurrencyTagCase>
{
};

// Starts from euros without a space, tag 20 as the menu would have left it.
TEST_P(SetCurrencyByTag, FillsCodeSymbolAndSideOnly)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const auto currency = settings.currency();
    currency->setTag(20);
    settings.setCurrencyByTag(20);
    currency->setSpaceBetweenSymbolAndPrice(false);

    const CurrencyTagCase c = GetParam();
    settings.setCurrencyByTag(c.tag);
    EXPECT_EQ(settings.currency(), currency); // changed in place
    EXPECT_EQ(currency->code(), c.code);
    EXPECT_EQ(currency->symbol(), c.symbol);
    EXPECT_EQ(currency->shownOnLeft(), c.left);
    EXPECT_EQ(currency->tag(), c.storedTag);
    EXPECT_FALSE(currency->spaceBetweenSymbolAndPrice());
}

INSTANTIATE_TEST_SUITE_P(
    Tags, SetCurrencyByTag,
    ::testing::Values(CurrencyTagCase{70, "CNY", "元", false, 20}, CurrencyTagCase{260, "CHF", "CHF", true, 20},
                      CurrencyTagCase{10, "USD", "$", true, 20}, CurrencyTagCase{280, "THB", "฿", true, 20},
                      // custom: only the tag moves
                      CurrencyTagCase{99999, "EUR", "€", true, 99999},
                      // not in the table: nothing at all
                      CurrencyTagCase{15, "EUR", "€", true, 20}, CurrencyTagCase{0, "EUR", "€", true, 20},
                      CurrencyTagCase{290, "EUR", "€", true, 20}));

TEST(SetPayPalLanguageByTag, FillsTheCodeAndStoresOnlyTheCustomTag)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const QMap<int, QString> expected = {{10, ""},   {20, "US"}, {30, "UK"}, {40, "CN"}, {50, "AU"},
                                         {60, "FR"}, {70, "DE"}, {80, "IT"}, {90, "ES"}};
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
