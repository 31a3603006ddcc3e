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

struct LayoutCase
{
    const char *what;
    std::function<void(TillboxGlobalSettings &)> set;
    std::function<QString(const TillboxGlobalSettings &)> get;
    QString expected;
};

void PrintTo(const LayoutCase &c, std::ostream *os)
{
    *os << c.what;
}

class LayoutValue : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(LayoutValue, Text)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    GetParam().set(s);
    EXPECT_EQ(GetParam().get(s), GetParam().expected);
}

namespace {

auto fontSize(float size, int unit)
{
    return [=](TillboxGlobalSettings &s) {
        s.setCartFontSize(size);
        s.setCartFontSizeUnitIndex(unit);
    };
}
auto width(int value, int unit)
{
    return [=](TillboxGlobalSettings &s) {
        s.setCartWidth(value);
        s.setCartWidthUnitIndex(unit);
    };
}
auto priceColumn(int value, int unit)
{
    return [=](TillboxGlobalSettings &s) {
        s.setCartPriceColumnWidth(value);
        s.setCartPriceColumnWidthUnitIndex(unit);
    };
}
auto index(void (TillboxGlobalSettings::*setter)(int), int value)
{
    return [=](TillboxGlobalSettings &s) { (s.*setter)(value); };
}

const auto kFont = &TillboxGlobalSettings::cartFontSizeString;
const auto kWidth = &TillboxGlobalSettings::cartWidthString;
const auto kPriceColumn = &TillboxGlobalSettings::cartPriceColumnWidthString;
const auto kIcons = &TillboxGlobalSettings::cartIconSetPrefixString;
const auto kPosition = &TillboxGlobalSettings::cartPositionString;
const auto kAlignment = &TillboxGlobalSettings::cartAlignmentString;
const auto kSetIcons = &TillboxGlobalSettings::setCartIconSetIndex;
const auto kSetPosition = &TillboxGlobalSettings::setCartPositionIndex;
const auto kSetAlignment = &TillboxGlobalSettings::setCartAlignmentIndex;

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Values, LayoutValue,
    ::testing::Values(LayoutCase{"font em", fontSize(1.2f, 0), kFont, "1.20em"},
                      LayoutCase{"font px", fontSize(1.2f, 1), kFont, "1px"},
                      LayoutCase{"font px rounds", fontSize(12.6f, 1), kFont, "13px"},
                      LayoutCase{"font unknown unit", fontSize(0.875f, 2), kFont, "0.88em"},
                      LayoutCase{"font negative", fontSize(-1.5f, 0), kFont, "-1.50em"},
                      LayoutCase{"width px", width(900, 0), kWidth, "900px"},
                      LayoutCase{"width percent", width(900, 1), kWidth, "900%"},
                      LayoutCase{"width unknown unit", width(40, 7), kWidth, "40px"},
                      LayoutCase{"price column percent", priceColumn(20, 1), kPriceColumn, "20%"},
                      LayoutCase{"price column px", priceColumn(80, 0), kPriceColumn, "80px"},
                      LayoutCase{"icons 0", index(kSetIcons, 0), kIcons, "x"},
                      LayoutCase{"icons 1", index(kSetIcons, 1), kIcons, "v"},
                      LayoutCase{"icons -1", index(kSetIcons, -1), kIcons, "v"},
                      LayoutCase{"top", index(kSetPosition, 0), kPosition, "top"},
                      LayoutCase{"bottom", index(kSetPosition, 1), kPosition, "bottom"},
                      LayoutCase{"position 2", index(kSetPosition, 2), kPosition, "top"},
                      LayoutCase{"left", index(kSetAlignment, 0), kAlignment, "left"},
                      LayoutCase{"center", index(kSetAlignment, 1), kAlignment, "center"},
                      LayoutCase{"right", index(kSetAlignment, 2), kAlignment, "right"},
                      LayoutCase{"alignment 3", index(kSetAlignment, 3), kAlignment, "center"},
                      LayoutCase{"alignment -1", index(kSetAlignment, -1), kAlignment, "center"}),
    [](const ::testing::TestParamInfo<LayoutCase> &info) {
        std::string name = info.param.what;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(TillboxGlobalSettings, UnitAndSeparator)
{
    EXPECT_EQ(TillboxGlobalSettings::unitWithIndex(1), QStringLiteral("%"));
    for (int i : {0, 2, -1})
        EXPECT_EQ(TillboxGlobalSettings::unitWithIndex(i), QStringLiteral("px"));

    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
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

TEST(TillboxGlobalSettings, SettersAnnounceEachRealChangeOnce)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    QStringList changes;
    collectChanges(s, changes);

    s.setCartWidth(900); // unchanged
    s.setCartWidth(640);
    s.setCartWidth(640);
    s.setEnablePayPal(true); // unchanged
    s.setCartBorderColor(Color(0.2, 0.2, 0.2, 1.0)); // unchanged
    s.setCartBorderColor(Color(0.2, 0.2, 0.2, 0.5));
    s.setEJunkieAccount(QStringLiteral("12345"));
    s.setSisowAccount(QStringLiteral("s"));
    s.setDirectOrderField3Required(false);
    s.setAdditionalCostsValue(4, 2.5f);
    s.setAdditionalCostsValue4(2.5f); // unchanged
    s.setCartID(QString()); // "" -> absent is a change
    s.setCartID(QString());
    EXPECT_EQ(changes, QStringList({"cartWidth", "cartBorderColor", "EJunkieAccount", "SisowAccount",
                                    "directOrderField3Required", "additionalCostsValue4", "cartID"}));

    changes.clear();
    s.setEffectsDuration(0.4f); // unchanged
    s.setEffectsDuration(0.5f);
    EXPECT_EQ(changes, QStringList({"effectsDuration", "effectsDurationString"}));

    changes.clear();
    const auto shared = std::make_shared<TillboxCurrency>();
    s.setCurrency(shared);
    s.setCurrency(shared);
    EXPECT_EQ(changes, QStringList({"currency"}));
    EXPECT_EQ(s.currency(), shared);
}

TEST(TillboxGlobalSettings, CurrencyOperationsAnnounceOnTheCurrency)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    QStringList settingsChanges, currencyChanges;
    collectChanges(s, settingsChanges);
    collectChanges(*s.currency(), currencyChanges);
    s.setCurrencyByTag(20);
    EXPECT_TRUE(settingsChanges.isEmpty());
    EXPECT_EQ(currencyChanges, QStringList({"code", "symbol"}));
}

// Editors read and write fields by name: storing a field's own value changes
// nothing, and a store goes through the setter's rules and announcement.
TEST(TillboxGlobalSettings, FieldAccessByName)
{
    TestBundle bundle;
    TillboxGlobalSettings s(bundle.bundle());
    QStringList announced;
    QObject::connect(&s, &TillboxGlobalSettings::valueChanged, [&](const QString &key) { announced << key; });
    for (const QString &field : s.toJson().keys())
        s.setFieldValue(field, s.fieldValue(field));
    EXPECT_TRUE(announced.isEmpty()) << announced.join(u',').toStdString();

    s.setFieldValue(u"eJunkieAccount", QStringLiteral("shop-42"));
    s.setFieldValue(u"cartBackgroundColor", QVariant());
    s.setFieldValue(u"effectsDuration", 1.5);
    s.setFieldValue(u"cartWidth", 640.0);
    EXPECT_EQ(s.eJunkieAccount(), QStringLiteral("shop-42"));
    EXPECT_FALSE(s.cartBackgroundColor().has_value());
    EXPECT_EQ(s.fieldValue(u"effectsDurationString"), s.effectsDurationString());
    EXPECT_NE(s.effectsDurationString(), TillboxGlobalSettings(bundle.bundle()).effectsDurationString());
    EXPECT_EQ(s.cartWidth(), 640);
    EXPECT_EQ(announced.first(), QStringLiteral("EJunkieAccount"));
}
