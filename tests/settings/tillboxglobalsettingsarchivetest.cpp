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

// Gives every field a value other than its default, each number and text
// one of its own (so that two fields stored under each other's keys show).
void changeEveryField(TillboxGlobalSettings &s)
{
    using S = TillboxGlobalSettings;
    int n = 0;
    for (const auto set : {&S::setCartFontSizeUnitIndex, &S::setCartWidth, &S::setCartWidthUnitIndex,
                           &S::setCartIconSetIndex, &S::setCartPositionIndex, &S::setCartAlignmentIndex,
                           &S::setCartProductImagesSize, &S::setCartPriceColumnWidth,
                           &S::setCartPriceColumnWidthUnitIndex, &S::setDecimalNumberIndex,
                           &S::setDecimalSeparatorIndex, &S::setCartExpiration, &S::setPayPalLanguageTag,
                           &S::setDirectOrderEmailFieldTag, &S::setNormalisationThreshold, &S::setSmtpPort,
                           &S::setAdditionalCostsTypeTag, &S::setCartColumnsIndex})
        (s.*set)(100 + ++n);
    for (const auto set : {&S::setCartFontSize, &S::setDefaultTaxRate, &S::setEffectsDuration})
        (s.*set)(0.25f + float(++n));
    for (const auto set : {&S::setHtmlPageHeader, &S::setHtmlPageFooter, &S::setCartID, &S::setPayPalAccount,
                           &S::setPayPalLanguageCode, &S::setGoogleCheckoutAccount, &S::setEJunkieAccount,
                           &S::setSisowAccount, &S::setDirectOrderEmail, &S::setDirectOrderSubject,
                           &S::setDirectOrderText, &S::setDirectOrderUniqueIDPrefix, &S::setSmtpHost,
                           &S::setSmtpUsername, &S::setSmtpPassword, &S::setAdditionalCostsDescription,
                           &S::setCustomLayout, &S::setCartDisclaimerLabel, &S::setCartReturnURL})
        (s.*set)(QStringLiteral("<p>Grüße %1</p>").arg(++n));
    for (const auto set : {&S::setUseHtmlPageHeader, &S::setUseHtmlPageFooter, &S::setEnableCompatibilityMode,
                           &S::setPreserveImageFormat, &S::setEnableCoupons, &S::setEnableDisclaimer,
                           &S::setEnableGoogleCheckout, &S::setEnableEJunkie, &S::setEnableDirectOrder,
                           &S::setEnableSisow, &S::setShowPricesIncludingTaxes, &S::setEnablePayPalSandbox,
                           &S::setDirectOrderUniqueIDEnabled, &S::setNormaliseOnSave, &S::setMailUseSMTP,
                           &S::setSmtpUseSSL, &S::setShowQuantityField, &S::setUseCustomLayout})
        (s.*set)(true);
    s.setWarnAboutMissingPHP(false);
    s.setEnablePayPal(false);
    for (const auto set : {&S::setCartBackgroundColor, &S::setCartBorderColor, &S::setCartButtonColor,
                           &S::setCartTextColor, &S::setCartImageBackgroundColor})
        (s.*set)(Color(0.1, 0.2, 0.3, 0.1 * (++n % 10)));
    StyledText header;
    header.append(QStringLiteral("Welcome "), TextAttributes{TextFont{QStringLiteral("Helvetica-Bold"), 18.0}});
    header.append(QStringLiteral("to the shop"));
    s.setPageHeader(header);
    s.setPageFooter(StyledText(QStringLiteral("Footer")));
    for (int field = 1; field <= TillboxGlobalSettings::OrderFieldCount; ++field) {
        s.setDirectOrderField(field, QStringLiteral("Field %1").arg(field));
        s.setDirectOrderFieldRequired(field, !s.directOrderFieldRequired(field));
    }
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        s.setAdditionalCostsLimit(tier, 10.5f * float(tier + 1));
        s.setAdditionalCostsValue(tier, 0.1f * float(tier + 1));
    }
    auto currency = std::make_shared<TillboxCurrency>();
    currency->setTag(80);
    currency->setCode(QStringLiteral("CZK"));
    currency->setSymbol(QStringLiteral("Kč"));
    currency->setShownOnLeft(false);
    currency->setSpaceBetweenSymbolAndPrice(false);
    s.setCurrency(currency);
    s.setLocalizableStrings({{QStringLiteral("Total"), QStringLiteral("Grand total")}});
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
        if (field != QStringLiteral("additionalCostsZero")) {
            EXPECT_NE(before.value(field), defaultJson.value(field)) << field.toStdString() << " left at its default";
        }
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

// The stored keys, each in the value kind older versions read: inline
// booleans and integers where they wrote them, number objects elsewhere; and
// the JSON names of the same fields.
TEST(TillboxGlobalSettingsArchive, WritesExactlyTheCurrentKeysInTheirKinds)
{
    TestBundle bundle;
    TillboxGlobalSettings settings(bundle.bundle());
    const QByteArray archive = KeyedArchiver::archivedData(settings);
    EXPECT_EQ(rootObjectKeySet(archive), QSet<QString>(kArchiveKeys.cbegin(), kArchiveKeys.cend()));
    const auto entries = rootObjectEntries(archive);
    for (const char *key : {"PreserveImageFormat", "EnablePayPalSandbox", "NormaliseOnSave"})
        EXPECT_EQ(entries.value(QLatin1String(key)), EntryForm::InlineBool) << key;
    EXPECT_EQ(entries.value(QStringLiteral("NormalisationThreshold")), EntryForm::InlineInteger);
    for (const char *key : {"CartFontSize", "CartWidth", "EnablePayPal", "WarnAboutMissingPHP", "SmtpPort",
                            "DirectOrderField1Required", "EffectsDuration", "Currency", "LocalizableStrings"})
        EXPECT_EQ(entries.value(QLatin1String(key)), EntryForm::Reference) << key;

    const QJsonObject json = settings.toJson();
    QStringList expected;
    for (const QString &key : kArchiveKeys)
        expected.append(lowerFirst(key));
    expected.replace(expected.indexOf(QStringLiteral("cartPriceColumnWidthIndex")),
                     QStringLiteral("cartPriceColumnWidthUnitIndex"));
    expected << QStringLiteral("additionalCostsZero") << QStringLiteral("effectsDurationString");
    const QStringList keys = json.keys();
    EXPECT_EQ(QSet<QString>(keys.cbegin(), keys.cend()), QSet<QString>(expected.cbegin(), expected.cend()));
}

// --- Older and partial archives ------------------------------------------------

namespace {

// An archive as an older version wrote it, and the fields it reads as (JSON
// of the loaded record, only the keys given).
struct OldArchiveCase
{
    const char *name;
    std::function<void(KeyedArchiver &)> write;
    const char *expected;
};

// Groups of keys are read only under their guard key; the rest of a group keeps
// its default when the guard is missing, and reads zero or absent when it is
// there without them.
const OldArchiveCase kOldArchiveCases[] = {
    {"NothingStored", [](KeyedArchiver &) {},
     R"({"cartWidth": 900, "googleCheckoutAccount": "000000000000000", "directOrderSubject": "Your order",
         "directOrderField5": "E-mail", "smtpPort": 25, "additionalCostsDescription": "Shipping",
         "additionalCostsTypeTag": 20, "cartDisclaimerLabel": "I agree to the terms",
         "localizableStrings": {"Total": "Total"}, "warnAboutMissingPHP": true, "decimalNumberIndex": 2,
         "cartID": "", "sisowAccount": "", "effectsDuration": 0.4, "normalisationThreshold": 1024,
         "currency": {"code": "USD"}, "payPalLanguageCode": "", "payPalLanguageTag": 10, "enablePayPal": false,
         "cartExpiration": 0, "customLayout": null, "payPalAccount": null, "htmlPageHeader": null,
         "pageHeader": null, "defaultTaxRate": 0})"},
    {"LayoutValuesWithoutTheirGuard",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartWidth", 500);
         c.encodeFloatNumber("CartFontSize", 2.0f);
     },
     R"({"cartWidth": 900, "cartFontSize": 1.2})"},
    // Only the price column's key without "Unit" is read.
    {"LayoutGuardAlone",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartFontSizeUnitIndex", 1);
         c.encodeIntNumber("CartPriceColumnWidthUnitIndex", 0);
     },
     R"({"cartFontSizeUnitIndex": 1, "cartWidth": 0, "cartFontSize": 0, "cartIconSetIndex": 0,
         "cartAlignmentIndex": 0, "cartProductImagesSize": 0, "cartPriceColumnWidthUnitIndex": 0})"},
    {"PriceColumnUnitUnderItsStoredKey",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("CartFontSizeUnitIndex", 0);
         c.encodeIntNumber("CartPriceColumnWidthIndex", 1);
         c.encodeIntNumber("CartPriceColumnWidth", 33);
     },
     R"({"cartPriceColumnWidthUnitIndex": 1, "cartPriceColumnWidth": 33})"},
    {"ColoursWithoutTheirGuard", [](KeyedArchiver &c) { c.encodeColor("CartBorderColor", Color(1, 0, 0)); },
     R"({"cartBorderColor": [0.2, 0.2, 0.2, 1]})"},
    {"ColourGuardAlone", [](KeyedArchiver &c) { c.encodeColor("CartBackgroundColor", Color(0, 0, 1)); },
     R"({"cartBackgroundColor": [0, 0, 1, 1], "cartBorderColor": null, "cartImageBackgroundColor": null})"},
    {"WarningStoredOff", [](KeyedArchiver &c) { c.encodeBoolNumber("WarnAboutMissingPHP", false); },
     R"({"warnAboutMissingPHP": false})"},
    {"SwitchesInEitherNumberForm",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("EnablePayPal", 1);
         c.encodeBool("EnableSisow", true);
         c.encodeBool("PreserveImageFormat", true);
         c.encodeBoolNumber("NormaliseOnSave", true);
     },
     R"({"enablePayPal": true, "enableSisow": true, "preserveImageFormat": true, "normaliseOnSave": true})"},
    {"ThresholdStoredAsZero", [](KeyedArchiver &c) { c.encodeInt32("NormalisationThreshold", 0); },
     R"({"normalisationThreshold": 1024})"},
    {"ThresholdStored", [](KeyedArchiver &c) { c.encodeInt32("NormalisationThreshold", 300); },
     R"({"normalisationThreshold": 300})"},
    {"OldCurrencyIndex", [](KeyedArchiver &c) { c.encodeIntNumber("CurrencyIndex", 1); },
     R"({"currency": {"code": "EUR", "symbol": "€", "tag": 10, "shownOnLeft": true,
                      "spaceBetweenSymbolAndPrice": true}})"},
    {"OldCurrencySeparatorIndex", [](KeyedArchiver &c) { c.encodeIntNumber("CurrencyIndex", 19); },
     R"({"currency": {"code": "", "symbol": ""}})"},
    {"CurrencyRecordWinsOverOldIndex",
     [](KeyedArchiver &c) {
         TillboxCurrency pounds;
         pounds.setTag(30);
         pounds.setCode(QStringLiteral("GBP"));
         c.encodeObject("Currency", pounds);
         c.encodeIntNumber("CurrencyIndex", 1);
     },
     R"({"currency": {"code": "GBP", "tag": 30}})"},
    {"NullCurrencyEntry", [](KeyedArchiver &c) { c.encodeNull("Currency"); }, R"({"currency": {"code": "USD"}})"},
    {"OldPayPalLanguageIndex",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("PayPalLanguageIndex", 5);
         c.encodeIntNumber("PayPalLanguageTag", 70);
     },
     R"({"payPalLanguageCode": "GB", "payPalLanguageTag": 10})"},
    {"PayPalLanguageCodeWithoutTag",
     [](KeyedArchiver &c) {
         c.encodeString("PayPalLanguageCode", QStringLiteral("DE"));
         c.encodeIntNumber("PayPalLanguageIndex", 5);
     },
     R"({"payPalLanguageCode": "DE", "payPalLanguageTag": 0})"},
    {"AccountsGuardAlone",
     [](KeyedArchiver &c) {
         c.encodeString("GoogleCheckoutAccount", QStringLiteral("42"));
         c.encodeString("SisowAccount", QStringLiteral("s-9"));
     },
     R"({"googleCheckoutAccount": "42", "eJunkieAccount": null, "directOrderSubject": null,
         "sisowAccount": "s-9"})"},
    {"AccountsWithoutTheirGuard", [](KeyedArchiver &c) { c.encodeString("EJunkieAccount", QStringLiteral("777")); },
     R"({"eJunkieAccount": "00000"})"},
    {"OrderFormGuard",
     [](KeyedArchiver &c) {
         c.encodeIntNumber("DirectOrderEmailFieldTag", 3);
         c.encodeString("DirectOrderField2", QStringLiteral("Last name"));
         c.encodeBoolNumber("DirectOrderField2Required", true);
     },
     R"({"directOrderEmailFieldTag": 3, "directOrderField1": null, "directOrderField1Required": false,
         "directOrderField2": "Last name", "directOrderField2Required": true, "directOrderField15": null,
         "directOrderUniqueIDPrefix": null})"},
    {"OrderFormWithoutItsGuard",
     [](KeyedArchiver &c) { c.encodeString("DirectOrderField1", QStringLiteral("Vorname")); },
     R"({"directOrderField1": "Name", "directOrderEmailFieldTag": 5})"},
    {"MailWithoutPort",
     [](KeyedArchiver &c) {
         c.encodeBoolNumber("MailUseSMTP", true);
         c.encodeString("SmtpHost", QStringLiteral("smtp.test"));
     },
     R"({"mailUseSMTP": false, "smtpHost": null, "smtpPort": 25})"},
    {"MailPortAlone", [](KeyedArchiver &c) { c.encodeIntNumber("SmtpPort", 465); },
     R"({"smtpPort": 465, "smtpUseSSL": false})"},
    {"ShippingGuard",
     [](KeyedArchiver &c) {
         c.encodeString("AdditionalCostsDescription", QStringLiteral("Freight"));
         c.encodeFloatNumber("AdditionalCostsLimit2", 10.0f);
     },
     R"({"additionalCostsDescription": "Freight", "additionalCostsTypeTag": 0, "additionalCostsLimit2": 10})"},
    {"ShippingWithoutItsGuard", [](KeyedArchiver &c) { c.encodeIntNumber("AdditionalCostsTypeTag", 30); },
     R"({"additionalCostsTypeTag": 20})"},
    {"EffectsDurationStored", [](KeyedArchiver &c) { c.encodeFloatNumber("EffectsDuration", 0.0f); },
     R"({"effectsDuration": 0})"},
    // The texts are merged into the defaults; the disclaimer is read under
    // their guard, so missing means absent.
    {"TextsMergedIntoTheDefaults",
     [](KeyedArchiver &c) {
         c.encodeStringDictionary("LocalizableStrings", QMap<QString, QString>{{"Total", "Sum"}, {"Gone", "x"}});
     },
     R"({"localizableStrings": {"Total": "Sum", "Gone": null, "Subtotal": "Subtotal"},
         "cartDisclaimerLabel": null})"},
    {"DisclaimerWithoutTheTexts",
     [](KeyedArchiver &c) { c.encodeString("CartDisclaimerLabel", QStringLiteral("Custom")); },
     R"({"cartDisclaimerLabel": "I agree to the terms"})"},
};

TEST(TillboxGlobalSettingsArchive, OlderArchivesReadAsDescribed)
{
    TestBundle bundle;
    for (const OldArchiveCase &c : kOldArchiveCases) {
        SCOPED_TRACE(c.name);
        const auto settings = decodeSettings(archiveOldSettings(c.write), bundle.bundle());
        ASSERT_TRUE(settings);
        expectJsonSubset(settings->toJson(), c.expected);
    }
}

} // namespace
