#include "settingstestsupport.h"

#include "settings/shoppertexts.h"
#include "support/testsupport.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace settingstest;

TEST(TillboxGlobalSettings, Defaults)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    expectJsonSubset(s.toJson(), R"({"cartIconSetIndex": 1, "cartAlignmentIndex": 1, "cartProductImagesSize": 64,
        "cartPriceColumnWidth": 20, "cartPriceColumnWidthUnitIndex": 1, "cartTextColor": [1, 1, 1, 1],
        "htmlPageFooter": "", "enablePayPal": true, "enableSisow": false, "cartExpiration": 24,
        "directOrderText": "Thank you for your order:", "directOrderEmailFieldTag": 5, "smtpHost": null,
        "cartReturnURL": null, "directOrderField4": "", "directOrderField15": "Notes"})");
    EXPECT_EQ(s.cartBackgroundColor()->qmvHexValue(), QStringLiteral("222222"));
    EXPECT_EQ(s.pageHeader(), StyledText());
    EXPECT_EQ(s.customLayout(), s.defaultLayout());
    EXPECT_EQ(s.localizableStrings(), s.defaultLocalizableStrings());
}

TEST(TillboxGlobalSettings, LocalizedDefaultsFallBackToTheirKeys)
{
    TestBundle bundle({}, {});
    TillboxGlobalSettings s(bundle.bundle());
    EXPECT_EQ(s.directOrderSubject(), QStringLiteral("DirectOrderSubjectLabel"));
    EXPECT_EQ(s.cartDisclaimerLabel(), QStringLiteral("CartDisclaimerLabel"));
    EXPECT_EQ(s.localizableStrings().value(QStringLiteral("i18nSubtotal")), QStringLiteral("i18nSubtotal"));
    // Without the templates there is no layout.
    EXPECT_TRUE(s.customLayout().isNull());
    EXPECT_TRUE(s.templateCart().isNull());
}

TEST(TillboxGlobalSettings, TemplatesAreReadAsUtf8)
{
    TestBundle bundle({}, {{QStringLiteral("template_cart"), QStringLiteral("")}});
    TillboxGlobalSettings s(bundle.bundle());
    EXPECT_EQ(s.templateCart(), QStringLiteral(""));
    EXPECT_FALSE(s.templateCart().isNull());

    TestBundle standard;
    EXPECT_EQ(TillboxGlobalSettings(standard.bundle()).defaultLayout(),
              QStringLiteral("<div class=\"item\">%NAME% – %PRICE%</div>"));

    testsupport::writeFile(standard.bundle().resourcesPath() + QStringLiteral("/template_item.html"),
                           QByteArray("<div>\xff\xfe</div>"));
    EXPECT_TRUE(TillboxGlobalSettings(standard.bundle()).defaultLayout().isNull());
}

// --- Layout values ------------------------------------------------------------

// The cart's style sheet values, with their units; indexes out of range fall
// back to the first unit, the "v" icons, the top and the centre.
TEST(TillboxGlobalSettings, LayoutValuesAndSeparators)
{
    enum Value { Font, Width, PriceColumn, Icons, Position, Alignment };
    const struct
    {
        Value what;
        double value;
        int unit;
        const char *expected;
    } cases[] = {
        {Font, 1.2, 0, "1.20em"},      {Font, 1.2, 1, "1px"},         {Font, 12.6, 1, "13px"},
        {Font, 0.875, 2, "0.88em"},    {Font, -1.5, 0, "-1.50em"},    {Width, 900, 0, "900px"},
        {Width, 900, 1, "900%"},       {Width, 40, 7, "40px"},        {PriceColumn, 20, 1, "20%"},
        {PriceColumn, 80, 0, "80px"},  {Icons, 0, 0, "x"},            {Icons, 1, 0, "v"},
        {Icons, -1, 0, "v"},           {Position, 0, 0, "top"},       {Position, 1, 0, "bottom"},
        {Position, 2, 0, "top"},       {Alignment, 0, 0, "left"},     {Alignment, 1, 0, "center"},
        {Alignment, 2, 0, "right"},    {Alignment, 3, 0, "center"},   {Alignment, -1, 0, "center"},
    };
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    for (const auto &c : cases) {
        QString text;
        switch (c.what) {
        case Font:
            s.setCartFontSize(float(c.value));
            s.setCartFontSizeUnitIndex(c.unit);
            text = s.cartFontSizeString();
            break;
        case Width:
            s.setCartWidth(int(c.value));
            s.setCartWidthUnitIndex(c.unit);
            text = s.cartWidthString();
            break;
        case PriceColumn:
            s.setCartPriceColumnWidth(int(c.value));
            s.setCartPriceColumnWidthUnitIndex(c.unit);
            text = s.cartPriceColumnWidthString();
            break;
        case Icons:
            s.setCartIconSetIndex(int(c.value));
            text = s.cartIconSetPrefixString();
            break;
        case Position:
            s.setCartPositionIndex(int(c.value));
            text = s.cartPositionString();
            break;
        case Alignment:
            s.setCartAlignmentIndex(int(c.value));
            text = s.cartAlignmentString();
            break;
        }
        EXPECT_EQ(text, QLatin1String(c.expected)) << c.what << " " << c.value << " " << c.unit;
    }

    EXPECT_EQ(TillboxGlobalSettings::unitWithIndex(1), QStringLiteral("%"));
    for (int i : {0, 2, -1})
        EXPECT_EQ(TillboxGlobalSettings::unitWithIndex(i), QStringLiteral("px"));
    for (const auto &[index, separator] : {std::pair{0, "."}, {1, ","}, {2, "."}, {-1, "."}}) {
        s.setDecimalSeparatorIndex(index);
        EXPECT_EQ(s.decimalSeparator(), QLatin1String(separator)) << index;
    }
}

// Layout values are for style sheets and ignore the locale; the effects
// duration is shown to the owner in theirs.
TEST(TillboxGlobalSettings, OnlyTheEffectsDurationFollowsTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    EXPECT_EQ(s.effectsDurationString(), QStringLiteral("0,40 s"));
    EXPECT_EQ(s.cartFontSizeString(), QStringLiteral("1.20em"));
    s.setEffectsDuration(1234.5f);
    EXPECT_EQ(s.effectsDurationString(), QStringLiteral("1234,50 s"));

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    s.setEffectsDuration(0.125f);
    EXPECT_EQ(s.effectsDurationString(), QStringLiteral("0.12 s")); // printf rounds the exact tie to even
    QLocale::setDefault(previous);
}

// --- Shopper texts --------------------------------------------------------------

TEST(TillboxGlobalSettings, DefaultTextsMapEachLocalizedTextToItself)
{
    QMap<QString, QString> strings = TestBundle::standardStrings();
    // Two keys with the same translation collapse into one entry.
    strings.insert(QStringLiteral("i18nClose"), QStringLiteral("Close"));
    strings.insert(QStringLiteral("i18nHideCart"), QStringLiteral("Close"));
    TestBundle bundle(strings);
    TillboxGlobalSettings s(bundle.bundle());
    const auto defaults = s.defaultLocalizableStrings();
    EXPECT_EQ(defaults.size(), 36);
    EXPECT_EQ(defaults.value(QStringLiteral("Close")), QStringLiteral("Close"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("i18nTotal")));
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        EXPECT_EQ(it.key(), it.value());
    // Each shopper text has a key of its own.
    const QStringList keys = ShopperTexts::keys();
    EXPECT_EQ(QSet<QString>(keys.cbegin(), keys.cend()).size(), ShopperTexts::entries().size());
}

TEST(TillboxGlobalSettings, SettingTextsMerges)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    const auto defaults = s.defaultLocalizableStrings();
    QStringList changes;
    collectChanges(s, changes);

    s.setLocalizableStrings({{QStringLiteral("Total"), QStringLiteral("Sum")},
                             {QStringLiteral("i18nSubtotal"), QStringLiteral("Text key, not a text")}});
    EXPECT_EQ(s.localizableStrings().value(QStringLiteral("Total")), QStringLiteral("Sum"));
    EXPECT_EQ(s.localizableStrings().value(QStringLiteral("Subtotal")), QStringLiteral("Subtotal"));
    EXPECT_FALSE(s.localizableStrings().contains(QStringLiteral("i18nSubtotal")));
    EXPECT_EQ(s.localizableStrings().size(), defaults.size());
    EXPECT_EQ(changes, QStringList({"localizableStrings"}));

    // Unknown keys only, or nothing at all: no change.
    changes.clear();
    s.setLocalizableStrings({{QStringLiteral("Unknown"), QStringLiteral("x")}});
    s.setLocalizableStrings({});
    EXPECT_EQ(s.localizableStrings().value(QStringLiteral("Total")), QStringLiteral("Sum"));
    EXPECT_TRUE(changes.isEmpty());

    // Resetting to the defaults brings the changed text back.
    s.setLocalizableStrings(s.defaultLocalizableStrings());
    EXPECT_EQ(s.localizableStrings(), defaults);
    EXPECT_EQ(changes, QStringList({"localizableStrings"}));
}

// --- Change announcements ---------------------------------------------------------

// Each real change is announced once, under the key editors watch; editors
// read and write fields by name through the same setters, so storing a
// field's own value announces nothing.
TEST(TillboxGlobalSettings, SettersAndFieldAccessAnnounceEachRealChangeOnce)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    QStringList changes, currencyChanges;
    collectChanges(s, changes);
    collectChanges(*s.currency(), currencyChanges);
    for (const QString &field : s.toJson().keys())
        s.setFieldValue(field, s.fieldValue(field));
    s.setCartWidth(900);
    s.setEnablePayPal(true);
    s.setCartBorderColor(Color(0.2, 0.2, 0.2, 1.0));
    s.setEffectsDuration(0.4f);
    EXPECT_TRUE(changes.isEmpty()) << changes.join(u',').toStdString();

    s.setCartWidth(640);
    s.setCartWidth(640);
    s.setCartBorderColor(Color(0.2, 0.2, 0.2, 0.5));
    s.setEJunkieAccount(QStringLiteral("12345"));
    s.setSisowAccount(QStringLiteral("s"));
    s.setDirectOrderField3Required(false);
    s.setAdditionalCostsValue(4, 2.5f);
    s.setAdditionalCostsValue4(2.5f); // unchanged
    s.setCartID(QString()); // "" -> absent is a change
    s.setCartID(QString());
    s.setEffectsDuration(0.5f);
    EXPECT_EQ(changes, QStringList({"cartWidth", "cartBorderColor", "EJunkieAccount", "SisowAccount",
                                    "directOrderField3Required", "additionalCostsValue4", "cartID", "effectsDuration",
                                    "effectsDurationString"}));

    // Choosing a currency from the menu changes the record in place.
    changes.clear();
    s.setCurrencyByTag(20);
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_EQ(currencyChanges, QStringList({"code", "symbol"}));
    const auto shared = std::make_shared<TillboxCurrency>();
    s.setCurrency(shared);
    s.setCurrency(shared);
    EXPECT_EQ(changes, QStringList({"currency"}));
    EXPECT_EQ(s.currency(), shared);

    changes.clear();
    s.setFieldValue(u"eJunkieAccount", QStringLiteral("shop-42"));
    s.setFieldValue(u"cartBackgroundColor", QVariant());
    s.setFieldValue(u"effectsDuration", 1.5);
    s.setFieldValue(u"cartWidth", 320.0);
    EXPECT_EQ(s.eJunkieAccount(), QStringLiteral("shop-42"));
    EXPECT_FALSE(s.cartBackgroundColor().has_value());
    EXPECT_EQ(s.fieldValue(u"effectsDurationString"), s.effectsDurationString());
    EXPECT_EQ(s.cartWidth(), 320);
    EXPECT_EQ(changes, QStringList({"EJunkieAccount", "cartBackgroundColor", "effectsDuration",
                                    "effectsDurationString", "cartWidth"}));
}
