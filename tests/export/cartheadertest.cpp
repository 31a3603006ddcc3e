#include "exporttestsupport.h"

#include "export/cartheader.h"
#include "host/exportparameters.h"
#include "host/rwhost.h"
#include "settings/tillboxglobalsettings.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace exporttest;

namespace {

class CartHeaderTest : public ::testing::Test
{
protected:
    void TearDown() override { RWHost::setShortVersionStringForTesting(QStringLiteral("7.2.0")); }

    QString header(const QString &templ, const std::optional<ExportParameters> &params = std::nullopt)
    {
        bundle.write("template_header.html", templ.toUtf8());
        const auto result = CartHeader(settings, bundle.bundle()).pageContentHeadersTemplateWithParams(params);
        EXPECT_TRUE(result.has_value());
        return result.value_or(QString());
    }

    TestBundle bundle;
    TillboxGlobalSettings settings{bundle.bundle()};
};

TEST_F(CartHeaderTest, DefaultSettingsWithoutParameters)
{
    EXPECT_EQ(header("%FONT_SIZE%|%CART_WIDTH%|%COLUMN_WIDTH%|%EFFECTS_DURATION%|%COLOR_CART%|%DECIMALS%|"
                     "%SHOW_TAXES%|%CART_EXPIRATION%|%REL_PATH%"),
              "1.20em|900px|20%|400|222222|2|false|24|rw_common/plugins/tillbox");
    EXPECT_EQ(header("%VERSION%|%CART_POSITION%|%CART_ALIGN%|%ICON_SIZE%|%COLOR_BORDER%|%COLOR_BUTTON%|"
                     "%COLOR_TEXT%|%COLOR_IMAGE%|%DECIMAL_SEPARATOR%|%COOKIE%"),
              "2.5.1|top|center|64|333333|000000|ffffff|000000|.|");
    EXPECT_EQ(header("%PAYPAL_CURRENCY%|%GOOGLE_CHECKOUT_CURRENCY%|%CURRENCY_SYMBOL%|%CURRENCY_POSITION%|"
                     "%CURRENCY_SPACE%|%PAYPAL_LANGUAGE%"),
              "USD|USD|$|left|true|");
    EXPECT_EQ(header("%ENABLE_PAYPAL%|%ENABLE_COUPONS%|%ENABLE_SISOW%|%ENABLE_PAYPAL_SANDBOX%|%ORDER_ENABLEUID%|"
                     "%ORDER_EMAIL_FIELD%|%ORDER_REQUIRED%"),
              "true|false|false|false|false|5|111011011110000");
}

TEST_F(CartHeaderTest, SharedFolderPathAndCartLifetime)
{
    // Host version, export mode (null: no parameters at all), expected.
    const QList<std::tuple<QString, const char *, QString>> cases = {
        {"6.1.3", "preview", "0|/Sites/out/rw_common/plugins/tillbox"},
        {"6.1.3", "masterStyle", "0|/Sites/out/rw_common/plugins/tillbox"},
        {"6.1.3", "publish", "24|../../rw_common/plugins/tillbox"},
        {"6.1.3", nullptr, "24|rw_common/plugins/tillbox"},
        {"7.0", "preview", "24|../../rw_common/plugins/tillbox"},
        {"7.2.0", "masterStyle", "24|../../rw_common/plugins/tillbox"},
        {"12.1", "preview", "24|../../rw_common/plugins/tillbox"},
        {"7.2.0", nullptr, "24|rw_common/plugins/tillbox"}};
    for (const auto &[hostVersion, mode, expected] : cases) {
        RWHost::setShortVersionStringForTesting(hostVersion);
        std::optional<ExportParameters> params;
        if (mode)
            params = ExportParameters::forPage(mode, "/Sites/out/shop/sale", "files", "shop/sale", "/Users/me/Site");
        EXPECT_EQ(header("%CART_EXPIRATION%|%REL_PATH%", params), expected)
            << qPrintable(hostVersion) << " " << (mode ? mode : "none");
    }
}

TEST_F(CartHeaderTest, AccountsAreBase64AndSisowIsSigned)
{
    settings.setSisowAccount("12345");
    const QString templ = "%PAYPAL_ACCOUNT%|%MERCHANT_ID%|%EJUNKIE_ACCOUNT%|%ORDER_ACCOUNT%|%SISOW_ACCOUNT%|"
                          "%SISOW_SIGNATURE%";
    EXPECT_EQ(header(templ), "cGF5cGFsQHNob3AuZXhhbXBsZQ==|MDAwMDAwMDAwMDAwMDAw|MDAwMDA=|b3JkZXJzQHNob3AuZXhhbXBsZQ==|"
                             "MTIzNDU=|OTQ2NzgzNmU1YWIxZDM3YTBmZDA4MjY0OTU3ZmRmZGQ2YTdjZWI2NQ==");

    settings.setSisowAccount("12346");
    EXPECT_EQ(header("%SISOW_ACCOUNT%|%SISOW_SIGNATURE%"),
              "MTIzNDY=|NzVhZDFmMzNkNzJkNmNjOGE3MWU5ZTBiMjAyZjYzZmYwNmY3ZjdjYQ==");

    // An absent account signs like an empty one, not as a "(null)" text.
    settings.setSisowAccount(QString());
    EXPECT_EQ(header("%SISOW_ACCOUNT%|%SISOW_SIGNATURE%"),
              "|MTEzNWNjNGNkZTcxYjk3NjZhN2M5OGRkZjAxMmI3ZGY5N2IzNzQ2Ng==");
}

TEST_F(CartHeaderTest, ReturnAddress)
{
    EXPECT_EQ(header("[%RETURN_URL%]"), "[]"); // absent
    settings.setCartReturnURL("");
    EXPECT_EQ(header("[%RETURN_URL%]"), "[]");
    settings.setCartReturnURL("https://shop.example/thanks?a=1&b=2");
    EXPECT_EQ(header("[%RETURN_URL%]"), "[aHR0cHM6Ly9zaG9wLmV4YW1wbGUvdGhhbmtzP2E9MSZiPTI=]");
}

// Values typed by the owner sit inside script strings, escaped so that they
// cannot end the string or the script element; the disclaimer is HTML.
TEST_F(CartHeaderTest, TextsAreEscapedForScriptStringsAndTheDisclaimerForHtml)
{
    settings.setDirectOrderField1("Say \"hi\"\r\nnow");
    settings.setCartDisclaimerLabel("Say \"hi\"\nnow & 'then'");
    settings.setDirectOrderSubject("</script> C:\\orders\\");
    settings.setCartID(QStringLiteral("shop\"cart\\1"));
    settings.currency()->setSymbol(QStringLiteral("\"$\""));
    EXPECT_EQ(header("\"%FIELD_1%\" <p>%DISCLAIMER%</p> \"%ORDER_SUBJECT%\" %COOKIE%|%CURRENCY_SYMBOL%"),
              "\"Say \\\"hi\\\"\\nnow\" <p>Say &quot;hi&quot;<br />now & &#39;then&#39;</p> "
              "\"<\\/script> C:\\\\orders\\\\\" shop\\\"cart\\\\1|\\\"$\\\"");
}

TEST_F(CartHeaderTest, RequiredOrderFieldsAndShippingTiers)
{
    settings.setDirectOrderFieldRequired(4, true);
    settings.setDirectOrderFieldRequired(1, false);
    settings.setAdditionalCostsLimit(0, 10.0f);
    settings.setAdditionalCostsValue(4, 2.5f);
    settings.setDecimalNumberIndex(3);
    EXPECT_EQ(header("%ORDER_REQUIRED%|%SHIPPING_LIMIT_0%|%SHIPPING_LIMIT_4%|%SHIPPING_VALUE_0%|%SHIPPING_VALUE_4%"),
              "011111011110000|10.000|0.000|0.000|2.500");
}

TEST_F(CartHeaderTest, ShippingTypeByTag)
{
    const QList<std::pair<int, QString>> cases = {
        {10, "item"}, {20, "price"}, {30, "weight"}, {40, "%SHIPPING_TYPE%"}};
    for (const auto &[tag, expected] : cases) {
        settings.setAdditionalCostsTypeTag(tag);
        EXPECT_EQ(header("%SHIPPING_TYPE%"), expected) << tag;
    }
}

TEST_F(CartHeaderTest, ShopperTextsAreLookedUpByTheirLocalizedDefaultAndFilledInHeaderOrder)
{
    EXPECT_EQ(header("%TOTAL%|%ENTER_COUPON%|%ORDER_NO%"), "Total|i18nEnterCoupon|i18nOrderFailed");

    settings.setLocalizableStrings({{"Total", "Sum \"all\""}});
    EXPECT_EQ(header("\"%TOTAL%\""), "\"Sum \\\"all\\\"\"");

    // A strings table whose texts the settings do not hold as keys: empty,
    // neither the key nor the table's text.
    TestBundle german("\"i18nTotal\" = \"Gesamt\";\n");
    german.write("template_header.html", "[%TOTAL%]");
    EXPECT_EQ(CartHeader(settings, german.bundle()).pageContentHeadersTemplateWithParams(std::nullopt), "[]");

    // Coupon texts come after %TOTAL% but before %REQUIRED_FIELD%: a
    // placeholder inside a text is filled only when its row comes later.
    settings.setLocalizableStrings({{"Total", "T %ENTER_COUPON%"}, {"i18nRequired", "R %ENTER_COUPON%"}});
    EXPECT_EQ(header("%TOTAL%|%REQUIRED_FIELD%"), "T i18nEnterCoupon|R %ENTER_COUPON%");
}

TEST_F(CartHeaderTest, MissingTemplateGivesNoHeader)
{
    bundle.remove("template_header.html");
    EXPECT_FALSE(CartHeader(settings, bundle.bundle()).pageContentHeadersTemplateWithParams(std::nullopt));
    bundle.write("template_header.html", QByteArray("bad \xff\xfe utf-8"));
    EXPECT_FALSE(CartHeader(settings, bundle.bundle()).pageContentHeadersTemplateWithParams(std::nullopt));
}

TEST_F(CartHeaderTest, ShippedBundleCarriesAWellFormedSisowSecret)
{
    const QString secret = Bundle::plugin().infoValue(CartHeader::SisowSecretInfoKey);
    EXPECT_EQ(secret.size(), 40);
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{40}$").match(secret).hasMatch()) << qPrintable(secret);
}

} // namespace
