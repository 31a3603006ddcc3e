#include "settingstestsupport.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace settingstest;

namespace {

// The stored keys, in the order of the record's fields.
const QStringList kArchiveKeys = {
    "CartFontSize", "CartFontSizeUnitIndex", "CartWidth", "CartWidthUnitIndex", "CartIconSetIndex",
    "CartPositionIndex", "CartAlignmentIndex", "CartProductImagesSize", "CartPriceColumnWidth",
    "CartPriceColumnWidthIndex", "CartBackgroundColor", "CartBorderColor", "CartButtonColor", "CartTextColor",
    "CartImageBackgroundColor", "UseHtmlPageHeader", "PageHeader", "HtmlPageHeader", "UseHtmlPageFooter", "PageFooter",
    "HtmlPageFooter", "EnableCompatibilityMode", "WarnAboutMissingPHP", "PreserveImageFormat", "EnableCoupons",
    "EnableDisclaimer", "EnablePayPal", "EnableGoogleCheckout", "EnableEJunkie", "EnableDirectOrder", "EnableSisow",
    "Currency", "DecimalNumberIndex", "DecimalSeparatorIndex", "DefaultTaxRate", "ShowPricesIncludingTaxes", "CartID",
    "CartExpiration", "PayPalAccount", "PayPalLanguageTag", "PayPalLanguageCode", "EnablePayPalSandbox",
    "GoogleCheckoutAccount", "EJunkieAccount", "SisowAccount", "DirectOrderEmail", "DirectOrderSubject",
    "DirectOrderText", "DirectOrderEmailFieldTag", "DirectOrderUniqueIDEnabled", "DirectOrderUniqueIDPrefix",
    "DirectOrderField1", "DirectOrderField2", "DirectOrderField3", "DirectOrderField4", "DirectOrderField5",
    "DirectOrderField6", "DirectOrderField7", "DirectOrderField8", "DirectOrderField9", "DirectOrderField10",
    "DirectOrderField11", "DirectOrderField12", "DirectOrderField13", "DirectOrderField14", "DirectOrderField15",
    "DirectOrderField1Required", "DirectOrderField2Required", "DirectOrderField3Required", "DirectOrderField4Required",
    "DirectOrderField5Required", "DirectOrderField6Required", "DirectOrderField7Required", "DirectOrderField8Required",
    "DirectOrderField9Required", "DirectOrderField10Required", "DirectOrderField11Required",
    "DirectOrderField12Required", "DirectOrderField13Required", "DirectOrderField14Required",
    "DirectOrderField15Required", "NormalisationThreshold", "NormaliseOnSave", "MailUseSMTP", "SmtpHost", "SmtpPort",
    "SmtpUsername", "SmtpPassword", "SmtpUseSSL", "AdditionalCostsDescription", "AdditionalCostsTypeTag",
    "AdditionalCostsLimit0", "AdditionalCostsLimit1", "AdditionalCostsLimit2", "AdditionalCostsLimit3",
    "AdditionalCostsLimit4", "AdditionalCostsValue0", "AdditionalCostsValue1", "AdditionalCostsValue2",
    "AdditionalCostsValue3", "AdditionalCostsValue4", "ShowQuantityField", "EffectsDuration", "CartColumnsIndex",
    "UseCustomLayout", "CustomLayout", "CartDisclaimerLabel", "LocalizableStrings", "CartReturnURL",
};

// Gives every field a value other than its default.
void changeEveryField(TillboxGlobalSettings &s)
{
    s.setCartFontSize(14.5f);
    s.setCartFontSizeUnitIndex(1);
    s.setCartWidth(75);
    s.setCartWidthUnitIndex(1);
    s.setCartIconSetIndex(0);
    s.setCartPositionIndex(1);
    s.setCartAlignmentIndex(2);
    s.setCartProductImagesSize(48);
    s.setCartPriceColumnWidth(120);
    s.setCartPriceColumnWidthUnitIndex(0);
    s.setCartBackgroundColor(Color(0.1, 0.2, 0.3, 0.4));
    s.setCartBorderColor(Color(0.5, 0.6, 0.7, 1.0));
    s.setCartButtonColor(Color(1.0, 0.0, 0.0, 1.0));
    s.setCartTextColor(Color(0.0, 1.0, 0.0, 0.5));
    s.setCartImageBackgroundColor(Color(0.25, 0.25, 0.25, 1.0));
    s.setUseHtmlPageHeader(true);
    StyledText header;
    header.append(QStringLiteral("Welcome "), TextAttributes{TextFont{QStringLiteral("Helvetica-Bold"), 18.0}});
    header.append(QStringLiteral("to the shop"));
    s.setPageHeader(header);
    s.setHtmlPageHeader(QStringLiteral("<h1>Shop</h1>"));
    s.setUseHtmlPageFooter(true);
    s.setPageFooter(StyledText(QStringLiteral("Footer")));
    s.setHtmlPageFooter(QStringLiteral("<p>© 2024</p>"));
    s.setEnableCompatibilityMode(true);
    s.setWarnAboutMissingPHP(false);
    s.setPreserveImageFormat(true);
    s.setEnableCoupons(true);
    s.setEnableDisclaimer(true);
    s.setEnablePayPal(false);
    s.setEnableGoogleCheckout(true);
    s.setEnableEJunkie(true);
    s.setEnableDirectOrder(true);
    s.setEnableSisow(true);
    auto currency = std::make_shared<TillboxCurrency>();
    currency->setTag(80);
    currency->setCode(QStringLiteral("CZK"));
    currency->setSymbol(QStringLiteral("Kč"));
    currency->setShownOnLeft(false);
    currency->setSpaceBetweenSymbolAndPrice(false);
    s.setCurrency(currency);
    s.setDecimalNumberIndex(3);
    s.setDecimalSeparatorIndex(1);
    s.setDefaultTaxRate(21.0f);
    s.setShowPricesIncludingTaxes(true);
    s.setCartID(QStringLiteral("myshop"));
    s.setCartExpiration(72);
    s.setPayPalAccount(QStringLiteral("owner@shop.test"));
    s.setPayPalLanguageTag(99999);
    s.setPayPalLanguageCode(QStringLiteral("NL"));
    s.setEnablePayPalSandbox(true);
    s.setGoogleCheckoutAccount(QStringLiteral("123456789012345"));
    s.setEJunkieAccount(QStringLiteral("54321"));
    s.setSisowAccount(QStringLiteral("sisow-1"));
    s.setDirectOrderEmail(QStringLiteral("orders@shop.test"));
    s.setDirectOrderSubject(QStringLiteral("New order"));
    s.setDirectOrderText(QStringLiteral("Order details:"));
    s.setDirectOrderEmailFieldTag(7);
    s.setDirectOrderUniqueIDEnabled(true);
    s.setDirectOrderUniqueIDPrefix(QStringLiteral("ORD-"));
    for (int n = 1; n <= TillboxGlobalSettings::OrderFieldCount; ++n) {
        s.setDirectOrderField(n, QStringLiteral("Field %1").arg(n));
        s.setDirectOrderFieldRequired(n, !s.directOrderFieldRequired(n));
    }
    s.setNormalisationThreshold(2048);
    s.setNormaliseOnSave(true);
    s.setMailUseSMTP(true);
    s.setSmtpHost(QStringLiteral("smtp.shop.test"));
    s.setSmtpPort(587);
    s.setSmtpUsername(QStringLiteral("mailer"));
    s.setSmtpPassword(QStringLiteral("secret"));
    s.setSmtpUseSSL(true);
    s.setAdditionalCostsDescription(QStringLiteral("Freight"));
    s.setAdditionalCostsTypeTag(30);
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        s.setAdditionalCostsLimit(tier, 10.5f * float(tier + 1));
        s.setAdditionalCostsValue(tier, 0.1f * float(tier + 1));
    }
    s.setShowQuantityField(true);
    s.setEffectsDuration(1.25f);
    s.setCartColumnsIndex(2);
    s.setUseCustomLayout(true);
    s.setCustomLayout(QStringLiteral("<li>%NAME%</li>"));
    s.setCartDisclaimerLabel(QStringLiteral("Terms apply"));
    s.setLocalizableStrings({{QStringLiteral("Total"), QStringLiteral("Grand total")}});
    s.setCartReturnURL(QStringLiteral("https://shop.test/thanks"));
}

QString lowerFirst(QString text)
{
    text[0] = text[0].toLower();
    return text;
}

} // namespace

TEST(TillboxGlobalSettingsArchive, RoundTripKeepsEveryChangedField)
{
    TestBundle bundle;
    const TillboxGlobalSettings defaults(bundle.bundle());
    TillboxGlobalSettings settings(bundle.bundle());
    changeEveryField(settings);

    const QJsonObject before = settings.toJson();
    const QJsonObject defaultJson = defaults.toJson();
    for (const QString &field : before.keys()) {
        if (field != QStringLiteral("additionalCostsZero"))
            EXPECT_NE(before.value(field), defaultJson.value(field)) << field.toStdString() << " left at its default";
    }

    const auto decoded = decodeSettings(KeyedArchiver::archivedData(settings), bundle.bundle());
    ASSERT_TRUE(decoded);
    const QJsonObject after = decoded->toJson();
    for (const QString &field : before.keys())
        EXPECT_EQ(after.value(field), before.value(field)) << field.toStdString();
    EXPECT_EQ(decoded->pageHeader(), settings.pageHeader());
    EXPECT_EQ(decoded->currency()->symbol(), QStringLiteral("Kč"));
}

TEST(TillboxGlobalSettingsArchive, RoundTripKeepsAbsentAndEmptyApart)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    settings.setCartID(QString());
    settings.setSmtpHost(QStringLiteral(""));
    settings.setCartBorderColor(std::nullopt);
    settings.setPageFooter(std::nullopt);

    const auto decoded = decodeSettings(KeyedArchiver::archivedData(settings), bundle.bundle());
    ASSERT_TRUE(decoded);
    // "CartID" is only read when present, so a stored absent id stays absent.
    EXPECT_TRUE(decoded->cartID().isNull());
    EXPECT_FALSE(decoded->smtpHost().isNull());
    EXPECT_TRUE(decoded->smtpHost().isEmpty());
    EXPECT_FALSE(decoded->cartBorderColor().has_value());
    EXPECT_FALSE(decoded->pageFooter().has_value());
}

TEST(TillboxGlobalSettingsArchive, WritesExactlyTheCurrentKeys)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const QByteArray archive = KeyedArchiver::archivedData(settings);
    const QSet<QString> keys = rootObjectKeySet(archive);

    EXPECT_EQ(keys, QSet<QString>(kArchiveKeys.cbegin(), kArchiveKeys.cend()));
    EXPECT_TRUE(keys.contains(QStringLiteral("CartPriceColumnWidthIndex")));
    for (const char *old : {"CartPriceColumnWidthUnitIndex", "CurrencyIndex", "PayPalLanguageIndex",
                            "EffectsDurationString", "AdditionalCostsZero"})
        EXPECT_FALSE(keys.contains(QLatin1String(old))) << old;
}

TEST(TillboxGlobalSettingsArchive, WritesEachKeyInItsValueKind)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const auto entries = rootObjectEntries(KeyedArchiver::archivedData(settings));
    for (const char *key : {"PreserveImageFormat", "EnablePayPalSandbox", "NormaliseOnSave"})
        EXPECT_EQ(entries.value(QLatin1String(key)), EntryForm::InlineBool) << key;
    EXPECT_EQ(entries.value(QStringLiteral("NormalisationThreshold")), EntryForm::InlineInteger);
    // Number objects and all other values are stored as objects.
    for (const char *key : {"CartFontSize", "CartWidth", "EnablePayPal", "WarnAboutMissingPHP", "SmtpPort",
                            "DirectOrderField1Required", "EffectsDuration", "Currency", "LocalizableStrings"})
        EXPECT_EQ(entries.value(QLatin1String(key)), EntryForm::Reference) << key;
}

TEST(TillboxGlobalSettingsArchive, JsonNamesEveryField)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const QJsonObject json = settings.toJson();

    QStringList expected;
    for (const QString &key : kArchiveKeys)
        expected.append(lowerFirst(key));
    expected.replace(expected.indexOf(QStringLiteral("cartPriceColumnWidthIndex")),
                     QStringLiteral("cartPriceColumnWidthUnitIndex"));
    expected << QStringLiteral("additionalCostsZero") << QStringLiteral("effectsDurationString");
    const QStringList keys = json.keys();
    EXPECT_EQ(QSet<QString>(keys.cbegin(), keys.cend()), QSet<QString>(expected.cbegin(), expected.cend()));

    EXPECT_EQ(json.value(QStringLiteral("currency")).toObject().value(QStringLiteral("code")),
              QJsonValue(QStringLiteral("USD")));
    EXPECT_EQ(json.value(QStringLiteral("cartFontSize")), QJsonValue(1.2));
    EXPECT_EQ(json.value(QStringLiteral("smtpHost")), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(json.value(QStringLiteral("enablePayPal")), QJsonValue(true));
    EXPECT_EQ(json.value(QStringLiteral("cartBorderColor")).toArray().at(0).toDouble(), 0.2);
}

TEST(TillboxGlobalSettingsArchive, ThePlugInEntryPointDecodes)
{
    TillboxGlobalSettings settings;
    settings.setCartWidth(640);
    KeyedUnarchiver coder;
    ASSERT_TRUE(coder.open(KeyedArchiver::archivedData(settings)));
    const auto decoded = coder.decodeRootObject<TillboxGlobalSettings>();
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->cartWidth(), 640);
    EXPECT_EQ(&decoded->bundle(), &Bundle::plugin());
}

// --- Older and partial archives ------------------------------------------------

namespace {

struct OldArchiveCase
{
    const char *name;
    std::function<void(KeyedArchiver &)> write;
    std::function<void(const TillboxGlobalSettings &)> check;
};

void PrintTo(const OldArchiveCase &c, std::ostream *os)
{
    *os << c.name;
}

class OldArchive : public ::testing::TestWithParam<OldArchiveCase>
{
};

TEST_P(OldArchive, ReadsAsDescribed)
{
    TestBundle bundle;
    const auto settings = decodeSettings(archiveOldSettings(GetParam().write), bundle.bundle());
    ASSERT_TRUE(settings);
    GetParam().check(*settings);
}

const QString kTotal = QStringLiteral("Total");

const OldArchiveCase kOldArchiveCases[] = {
    {"NothingStored",
     [](KeyedArchiver &) {},
     [](const TillboxGlobalSettings &s) {
         // Groups keep their defaults...
         EXPECT_EQ(s.cartWidth(), 900);
         EXPECT_EQ(s.cartBackgroundColor(), Color(34.0 / 255, 34.0 / 255, 34.0 / 255, 1.0));
         EXPECT_EQ(s.googleCheckoutAccount(), QStringLiteral("000000000000000"));
         EXPECT_EQ(s.directOrderSubject(), QStringLiteral("Your order"));
         EXPECT_EQ(s.directOrderField5(), QStringLiteral("E-mail"));
         EXPECT_EQ(s.smtpPort(), 25);
         EXPECT_EQ(s.additionalCostsDescription(), QStringLiteral("Shipping"));
         EXPECT_EQ(s.additionalCostsTypeTag(), 20);
         EXPECT_EQ(s.cartDisclaimerLabel(), QStringLiteral("I agree to the terms"));
         EXPECT_EQ(s.localizableStrings().value(kTotal), kTotal);
         // ...as do the keys read only when present...
         EXPECT_TRUE(s.warnAboutMissingPHP());
         EXPECT_EQ(s.decimalNumberIndex(), 2);
         EXPECT_EQ(s.cartID(), QStringLiteral(""));
         EXPECT_FALSE(s.cartID().isNull());
         EXPECT_EQ(s.sisowAccount(), QStringLiteral(""));
         EXPECT_EQ(s.effectsDuration(), 0.4f);
         EXPECT_EQ(s.normalisationThreshold(), 1024);
         EXPECT_EQ(s.currency()->code(), QStringLiteral("USD"));
         EXPECT_EQ(s.payPalLanguageCode(), QStringLiteral(""));
         EXPECT_EQ(s.payPalLanguageTag(), 10);
         // ...while unguarded keys read their zero value.
         EXPECT_FALSE(s.enablePayPal());
         EXPECT_EQ(s.cartExpiration(), 0);
         EXPECT_TRUE(s.customLayout().isNull());
         EXPECT_TRUE(s.payPalAccount().isNull());
         EXPECT_TRUE(s.htmlPageHeader().isNull());
         EXPECT_FALSE(s.pageHeader().has_value());
         EXPECT_EQ(s.defaultTaxRate(), 0.0f);
     }},
    {"LayoutValuesWithoutTheirGuard",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartWidth", 500);
         c.encodeFloatNumber("CartFontSize", 2.0f);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.cartWidth(), 900);
         EXPECT_EQ(s.cartFontSize(), 1.2f);
     }},
    {"LayoutGuardAlone",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartFontSizeUnitIndex", 1);
         c.encodeIntNumber("CartPriceColumnWidthUnitIndex", 0);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.cartFontSizeUnitIndex(), 1);
         EXPECT_EQ(s.cartWidth(), 0);
         EXPECT_EQ(s.cartFontSize(), 0.0f);
         EXPECT_EQ(s.cartIconSetIndex(), 0);
         EXPECT_EQ(s.cartAlignmentIndex(), 0);
         EXPECT_EQ(s.cartProductImagesSize(), 0);
         // Only the key without "Unit" is read.
         EXPECT_EQ(s.cartPriceColumnWidthUnitIndex(), 0);
     }},
    {"PriceColumnUnitUnderItsStoredKey",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartFontSizeUnitIndex", 0);
         c.encodeIntNumber("CartPriceColumnWidthIndex", 1);
         c.encodeIntNumber("CartPriceColumnWidth", 33);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.cartPriceColumnWidthUnitIndex(), 1);
         EXPECT_EQ(s.cartPriceColumnWidthString(), QStringLiteral("33%"));
     }},
    {"ColoursWithoutTheirGuard",
     [](KeyedArchiver &c) { c.encodeColor("CartBorderColor", Color(1, 0, 0)); },
     [](const TillboxGlobalSettings &s) { EXPECT_EQ(s.cartBorderColor(), Color(0.2, 0.2, 0.2, 1.0)); }},
    {"ColourGuardAlone",
     [](KeyedArchiver &c) { c.encodeColor("CartBackgroundColor", Color(0, 0, 1)); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.cartBackgroundColor(), Color(0, 0, 1));
         EXPECT_FALSE(s.cartBorderColor().has_value());
         EXPECT_FALSE(s.cartImageBackgroundColor().has_value());
     }},
    {"WarningStoredOff",
     [](KeyedArchiver &c) { c.encodeBoolNumber("WarnAboutMissingPHP", false); },
     [](const TillboxGlobalSettings &s) { EXPECT_FALSE(s.warnAboutMissingPHP()); }},
    {"SwitchesInEitherNumberForm",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("EnablePayPal", 1);
         c.encodeBool("EnableSisow", true);
         c.encodeBool("PreserveImageFormat", true);
         c.encodeBoolNumber("NormaliseOnSave", true);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_TRUE(s.enablePayPal());
         EXPECT_TRUE(s.enableSisow());
         EXPECT_TRUE(s.preserveImageFormat());
         EXPECT_TRUE(s.normaliseOnSave());
     }},
    {"ThresholdStoredAsZero",
     [](KeyedArchiver &c) { c.encodeInt32("NormalisationThreshold", 0); },
     [](const TillboxGlobalSettings &s) { EXPECT_EQ(s.normalisationThreshold(), 1024); }},
    {"ThresholdStored",
     [](KeyedArchiver &c) { c.encodeInt32("NormalisationThreshold", 300); },
     [](const TillboxGlobalSettings &s) { EXPECT_EQ(s.normalisationThreshold(), 300); }},
    {"OldCurrencyIndex",
     [](KeyedArchiver &c) { c.encodeIntNumber("CurrencyIndex", 1); },
     [](const TillboxGlobalSettings &s) {
         const auto currency = s.currency();
         EXPECT_EQ(currency->code(), QStringLiteral("EUR"));
         EXPECT_EQ(currency->symbol(), QStringLiteral("€"));
         EXPECT_EQ(currency->tag(), 10);
         EXPECT_TRUE(currency->shownOnLeft());
         EXPECT_TRUE(currency->spaceBetweenSymbolAndPrice());
     }},
    {"OldCurrencySeparatorIndex",
     [](KeyedArchiver &c) { c.encodeIntNumber("CurrencyIndex", 19); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.currency()->code(), QStringLiteral(""));
         EXPECT_EQ(s.currency()->symbol(), QStringLiteral(""));
     }},
    {"CurrencyRecordWinsOverOldIndex",
     [](KeyedArchiver &c) {
         TillboxCurrency pounds;
         pounds.setTag(30);
         pounds.setCode(QStringLiteral("GBP"));
         pounds.setSymbol(QStringLiteral("£"));
         c.encodeObject("Currency", pounds);
         c.encodeIntNumber("CurrencyIndex", 1);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.currency()->code(), QStringLiteral("GBP"));
         EXPECT_EQ(s.currency()->tag(), 30);
     }},
    {"NullCurrencyEntry",
     [](KeyedArchiver &c) { c.encodeNull("Currency"); },
     [](const TillboxGlobalSettings &s) {
         ASSERT_TRUE(s.currency());
         EXPECT_EQ(s.currency()->code(), QStringLiteral("USD"));
     }},
    {"OldPayPalLanguageIndex",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("PayPalLanguageIndex", 5);
         c.encodeIntNumber("PayPalLanguageTag", 70);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.payPalLanguageCode(), QStringLiteral("GB"));
         EXPECT_EQ(s.payPalLanguageTag(), 10);
     }},
    {"PayPalLanguageCodeWithoutTag",
     [](KeyedArchiver &c) {
         c.encodeString("PayPalLanguageCode", QStringLiteral("DE"));
         c.encodeIntNumber("PayPalLanguageIndex", 5);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.payPalLanguageCode(), QStringLiteral("DE"));
         EXPECT_EQ(s.payPalLanguageTag(), 0);
     }},
    {"AccountsGuardAlone",
     [](KeyedArchiver &c) {
         c.encodeString("GoogleCheckoutAccount", QStringLiteral("42"));
         c.encodeString("SisowAccount", QStringLiteral("s-9"));
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.googleCheckoutAccount(), QStringLiteral("42"));
         EXPECT_TRUE(s.eJunkieAccount().isNull());
         EXPECT_TRUE(s.directOrderSubject().isNull());
         EXPECT_EQ(s.sisowAccount(), QStringLiteral("s-9"));
     }},
    {"AccountsWithoutTheirGuard",
     [](KeyedArchiver &c) { c.encodeString("EJunkieAccount", QStringLiteral("777")); },
     [](const TillboxGlobalSettings &s) { EXPECT_EQ(s.eJunkieAccount(), QStringLiteral("00000")); }},
    {"OrderFormGuard",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("DirectOrderEmailFieldTag", 3);
         c.encodeString("DirectOrderField2", QStringLiteral("Last name"));
         c.encodeBoolNumber("DirectOrderField2Required", true);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.directOrderEmailFieldTag(), 3);
         EXPECT_TRUE(s.directOrderField1().isNull());
         EXPECT_FALSE(s.directOrderField1Required());
         EXPECT_EQ(s.directOrderField2(), QStringLiteral("Last name"));
         EXPECT_TRUE(s.directOrderField2Required());
         EXPECT_TRUE(s.directOrderField15().isNull());
         EXPECT_TRUE(s.directOrderUniqueIDPrefix().isNull());
     }},
    {"OrderFormWithoutItsGuard",
     [](KeyedArchiver &c) { c.encodeString("DirectOrderField1", QStringLiteral("Vorname")); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.directOrderField1(), QStringLiteral("Name"));
         EXPECT_EQ(s.directOrderEmailFieldTag(), 5);
     }},
    {"MailWithoutPort",
     [](KeyedArchiver &c) {
         c.encodeBoolNumber("MailUseSMTP", true);
         c.encodeString("SmtpHost", QStringLiteral("smtp.test"));
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_FALSE(s.mailUseSMTP());
         EXPECT_TRUE(s.smtpHost().isNull());
         EXPECT_EQ(s.smtpPort(), 25);
     }},
    {"MailPortAlone",
     [](KeyedArchiver &c) { c.encodeIntNumber("SmtpPort", 465); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.smtpPort(), 465);
         EXPECT_FALSE(s.smtpUseSSL());
     }},
    {"ShippingGuard",
     [](KeyedArchiver &c) {
         c.encodeString("AdditionalCostsDescription", QStringLiteral("Freight"));
         c.encodeFloatNumber("AdditionalCostsLimit2", 10.0f);
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.additionalCostsDescription(), QStringLiteral("Freight"));
         EXPECT_EQ(s.additionalCostsTypeTag(), 0);
         EXPECT_EQ(s.additionalCostsLimit2(), 10.0f);
     }},
    {"ShippingWithoutItsGuard",
     [](KeyedArchiver &c) { c.encodeIntNumber("AdditionalCostsTypeTag", 30); },
     [](const TillboxGlobalSettings &s) { EXPECT_EQ(s.additionalCostsTypeTag(), 20); }},
    {"EffectsDurationStored",
     [](KeyedArchiver &c) { c.encodeFloatNumber("EffectsDuration", 0.0f); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.effectsDuration(), 0.0f);
         EXPECT_TRUE(s.effectsDurationString().startsWith(QLatin1Char('0')));
         EXPECT_TRUE(s.effectsDurationString().endsWith(QStringLiteral("00 s")));
     }},
    {"TextsMergedIntoTheDefaults",
     [](KeyedArchiver &c) {
         c.encodeStringDictionary("LocalizableStrings", QMap<QString, QString>{{"Total", "Sum"}, {"Gone", "x"}});
     },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.localizableStrings().value(kTotal), QStringLiteral("Sum"));
         EXPECT_FALSE(s.localizableStrings().contains(QStringLiteral("Gone")));
         EXPECT_EQ(s.localizableStrings().value(QStringLiteral("Subtotal")), QStringLiteral("Subtotal"));
         EXPECT_EQ(s.localizableStrings().size(), 37);
         // Read under the texts' guard, so missing means absent.
         EXPECT_TRUE(s.cartDisclaimerLabel().isNull());
     }},
    {"DisclaimerWithoutTheTexts",
     [](KeyedArchiver &c) { c.encodeString("CartDisclaimerLabel", QStringLiteral("Custom")); },
     [](const TillboxGlobalSettings &s) {
         EXPECT_EQ(s.cartDisclaimerLabel(), QStringLiteral("I agree to the terms"));
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, OldArchive, ::testing::ValuesIn(kOldArchiveCases),
                         [](const ::testing::TestParamInfo<OldArchiveCase> &info) { return info.param.name; });

} // namespace
