#include "exporttestsupport.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/catalogueutil.h"
#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"
#include "export/pagesnapshot.h"
#include "export/productlisting.h"
#include "host/exportparameters.h"
#include "plugin/recordingeditor.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace exporttest;

namespace {

using catalogueutil::option;

class ProductListingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bundle.write("template_item.html", "<li>%NAME%</li>");
        bundle.write("template_item_option_input.html", "<input name=\"%OPTION_NAME%\" data-id=\"%ID%\">");
        bundle.write("template_item_option_textarea.html",
                     "<textarea name=\"%OPTION_NAME%\" data-id=\"%ID%\"></textarea>");
        bundle.write("template_item_option_select.html",
                     "<select name=\"%OPTION_NAME%\" data-id=\"%ID%\">%TEMPLATE_OPTION_VALUES%</select>");
        bundle.write("template_option_value.html",
                     "<option value=\"%OPTION_VALUE%\" p=\"%OPTION_PRICE%\" t=\"%OPTION_TAXES%\" "
                     "w=\"%OPTION_WEIGHT%\">%OPTION_VALUE_AND_PRICE%</option>");
        bundle.write("template_old_price.html", "<del>%I18N_OLD_PRICE% was %I18N_PRICE%</del>");
        plugin = makePlugin(bundle.bundle());
    }

    TillboxGlobalSettings &settings() { return *plugin->globalSettings(); }

    void useLayout(const QString &layout)
    {
        settings().setUseCustomLayout(true);
        settings().setCustomLayout(layout);
    }

    std::shared_ptr<TillboxProduct> addProduct(int32_t id)
    {
        auto product = TillboxProduct::create();
        product->setProductID(id);
        product->setImage(opaqueJpeg());
        product->setHasShipping(false);
        auto products = plugin->products();
        products.append(product);
        plugin->setProducts(products);
        return product;
    }

    // The listing without the product area's frame.
    QString items(const ExportParameters &params = ExportParameters::forPage(
                      QStringLiteral("publish"), QStringLiteral("/site/shop"), QStringLiteral("files"),
                      QStringLiteral("shop"), QStringLiteral("/site")))
    {
        const QString html = ProductListing(*plugin, bundle.bundle()).contentHTML(params);
        const QString opening = QStringLiteral("\n<div>\n");
        const QString closing = QStringLiteral("\n</div>\n");
        EXPECT_TRUE(html.startsWith(opening)) << qPrintable(html);
        EXPECT_TRUE(html.endsWith(closing)) << qPrintable(html);
        return html.mid(opening.size(), html.size() - opening.size() - closing.size());
    }

    TestBundle bundle;
    std::shared_ptr<TillboxPlugin> plugin;
};

TEST_F(ProductListingTest, EmptyCatalogueIsHeaderFrameAndFooter)
{
    const ExportParameters params;
    EXPECT_EQ(ProductListing(*plugin, bundle.bundle()).contentHTML(params), "\n<div>\n\n</div>\n");

    settings().setUseHtmlPageHeader(true);
    settings().setHtmlPageHeader("<h1>Shop & more</h1>");
    settings().setUseHtmlPageFooter(true);
    settings().setHtmlPageFooter("<p>Bye</p>");
    EXPECT_EQ(ProductListing(*plugin, bundle.bundle()).contentHTML(params),
              "<h1>Shop & more</h1>\n<div>\n\n</div>\n<p>Bye</p>");
}

TEST_F(ProductListingTest, StyledHeaderTypedInTheEditorIsUsedAndStored)
{
    RecordingEditor editor;
    plugin->setEditor(&editor);
    editor.header = StyledText("Welcome"); // typed once the editor is open
    EXPECT_EQ(ProductListing(*plugin, bundle.bundle()).contentHTML({}), "<p>Welcome</p>\n<div>\n\n</div>\n");
    EXPECT_EQ(settings().pageHeader(), StyledText("Welcome"));
    plugin->setEditor(nullptr);
}

TEST_F(ProductListingTest, HiddenProductsAreNeitherListedNorCountedForRowBreaks)
{
    useLayout("[%ID%|%COLUMN_STYLE%]");
    settings().setCartColumnsIndex(2);
    for (int id = 1; id <= 8; ++id) {
        if (id == 1 || id == 6)
            addProduct(id)->setStatus(TillboxProduct::StatusHidden);
        else
            addProduct(id);
    }
    EXPECT_EQ(items(), "[2|3][3|3][4|3]<div class=\"tbClear\"></div>[5|3][7|3][8|3]<div class=\"tbClear\"></div>");

    settings().setCartColumnsIndex(1);
    EXPECT_EQ(items(), "[2|2][3|2]<div class=\"tbClear\"></div>[4|2][5|2]<div class=\"tbClear\"></div>"
                       "[7|2][8|2]<div class=\"tbClear\"></div>");

    settings().setCartColumnsIndex(0);
    EXPECT_EQ(items(), "[2|1][3|1][4|1][5|1][7|1][8|1]");
}

TEST_F(ProductListingTest, QuantityFieldAndDefaultLayout)
{
    addProduct(1)->setName("Tea");
    useLayout("<p style=\"display:%DISPLAY_QUANTITY%\">%NAME%</p>");
    EXPECT_EQ(items(), "<p style=\"display:none\">Tea</p>");
    settings().setShowQuantityField(true);
    EXPECT_EQ(items(), "<p style=\"display:inline\">Tea</p>");

    // An empty custom layout, or one switched off, falls back to template_item.
    settings().setCustomLayout("");
    EXPECT_EQ(items(), "<li>Tea</li>");
    settings().setCustomLayout("<b>%NAME%</b>");
    settings().setUseCustomLayout(false);
    EXPECT_EQ(items(), "<li>Tea</li>");
}

TEST_F(ProductListingTest, NameAndSkuAreEscapedForHtmlAndHtmlDescriptionIsKept)
{
    useLayout("<b>%NAME%</b> <i>%SKU%</i> %DESCRIPTION%");
    auto product = addProduct(1);
    product->setName("Shirt \"Red\"\r\nXL");
    product->setSKU("A&B'1");
    product->setUseHtmlDescription(true);
    product->setHtmlProductDescription("<p>Fine & \"dandy\"</p>");
    EXPECT_EQ(items(), "<b>Shirt &quot;Red&quot;<br />XL</b> <i>A&B&#39;1</i> <p>Fine & \"dandy\"</p>");

    product->setUseHtmlDescription(false);
    product->setStyledProductDescription(StyledText("Soft"));
    EXPECT_EQ(items(), "<b>Shirt &quot;Red&quot;<br />XL</b> <i>A&B&#39;1</i> <p>Soft</p>");
}

TEST_F(ProductListingTest, RegularAndSpecialPricesWithTaxes)
{
    useLayout("%PRICE%|%I18N_PRICE%|%TEMPLATE_OLD_PRICE%|%TAXES%");
    auto product = addProduct(1);
    product->setPrice(10.0f);
    product->setTaxRate(20.0f);
    EXPECT_EQ(items(), "10.0000|$ 10.00||2.0000");

    product->setHasSpecialPrice(true);
    product->setSpecialPrice(8.0f);
    EXPECT_EQ(items(), "8.0000|$ 8.00|<del>$ 10.00 was $ 10.00</del>|1.6000");

    settings().setShowPricesIncludingTaxes(true);
    EXPECT_EQ(items(), "8.0000|$ 9.60|<del>$ 12.00 was $ 12.00</del>|1.6000");

    product->setHasSpecialPrice(false);
    product->setPrice(12.5f);
    EXPECT_EQ(items(), "12.5000|$ 15.00||2.5000");
}

TEST_F(ProductListingTest, ShownPriceFollowsTheNumberFormatButDataPriceDoesNot)
{
    useLayout("%PRICE%|%I18N_PRICE%|%SHIPPING_1%");
    auto product = addProduct(1);
    product->setPrice(1234.25f);
    product->setHasShipping(true);
    product->setShipping(3.5f);
    const QList<std::tuple<int, int, QString>> cases = {{2, 0, "1234.2500|$ 1,234.25|3.5000"},
                                                        {2, 1, "1234.2500|$ 1.234,25|3.5000"},
                                                        {4, 1, "1234.2500|$ 1.234,2500|3.5000"}};
    for (const auto &[decimals, separator, expected] : cases) {
        settings().setDecimalNumberIndex(decimals);
        settings().setDecimalSeparatorIndex(separator);
        EXPECT_EQ(items(), expected);
    }
}

TEST_F(ProductListingTest, ShippingLimitWeightAndCurrencySymbol)
{
    useLayout("%SHIPPING_1%|%SHIPPING_2%|%CURRENCY_SYMBOL%|%PURCHASE_LIMIT%|%WEIGHT%");
    auto product = addProduct(1);
    product->setPurchaseLimit(3);
    product->setWeight(1.5f);
    EXPECT_EQ(items(), "|||3|1.500000");

    product->setHasShipping(true);
    product->setShipping(4.5f);
    product->setAdditionalItemShipping(1.25f);
    product->setPurchaseLimit(-1);
    EXPECT_EQ(items(), "4.5000|1.2500||-1|1.500000");
}

TEST_F(ProductListingTest, AvailabilityTextsComeFromTheShopTexts)
{
    useLayout("<button %OUT_OF_STOCK%>%ADD_TO_CART%</button>");
    auto product = addProduct(1);
    EXPECT_EQ(items(), "<button >Add to cart</button>");

    product->setStatus(TillboxProduct::StatusOutOfStock);
    EXPECT_EQ(items(), "<button disabled=true>Sold out</button>");

    // Stored under the localized default text; escaped for HTML.
    settings().setLocalizableStrings({{QStringLiteral("Sold out"), QStringLiteral("Gone \"soon\"")}});
    EXPECT_EQ(items(), "<button disabled=true>Gone &quot;soon&quot;</button>");
}

TEST_F(ProductListingTest, OptionsOfEveryTag)
{
    useLayout("<form id=\"%ID%\">%TEMPLATE_ITEM_OPTIONS%</form>");
    auto product = addProduct(7);
    product->setTaxRate(10.0f);
    product->setOptionsArray({
        option(TillboxOption::OneLineTextTag, "Engraving"),
        option(TillboxOption::MultiLineTextTag, "Note", {{"kept out", 1.0f, 1.0f}}),
        option(TillboxOption::ValueListTag, "Size \"EU\"", {{"S", 0.0f, 0.0f}, {"L \"big\"", 2.5f, 0.25f}}),
        option(99, "Ignored", {{"never", 1.0f, 1.0f}}),
        option(TillboxOption::ValueListTag, "Colour", {}),
    });
    EXPECT_EQ(items(),
              "<form id=\"7\">"
              "<input name=\"Engraving\" data-id=\"7\">"
              "<textarea name=\"Note\" data-id=\"7\"></textarea>"
              "<select name=\"Size &quot;EU&quot;\" data-id=\"7\">"
              "<option value=\"S\" p=\"0.0000\" t=\"0.0000\" w=\"0.000000\">S</option>"
              "<option value=\"L &quot;big&quot;\" p=\"2.5000\" t=\"0.2500\" w=\"0.250000\">L &quot;big&quot;</option>"
              "</select>"
              "<select name=\"Colour\" data-id=\"7\"></select>"
              "</form>");
}

TEST_F(ProductListingTest, PreviewWarnsAboutMissingPhpOnlyWhenItMatters)
{
    RecordingEditor editor;
    plugin->setEditor(&editor);
    // Coupons, direct orders, the warning on, the mode: whether the owner is warned.
    const QList<std::tuple<bool, bool, bool, QString, bool>> cases = {
        {false, false, true, "preview", false}, {true, false, true, "publish", false},
        {true, false, true, "preview", true},   {false, true, true, "preview", true},
        {false, true, false, "preview", false}};
    for (const auto &[coupons, directOrder, warn, mode, warned] : cases) {
        settings().setEnableCoupons(coupons);
        settings().setEnableDirectOrder(directOrder);
        settings().setWarnAboutMissingPHP(warn);
        ExportParameters params;
        params.insert(ExportParameters::ModeKey, mode);
        editor.alerts.clear();
        ProductListing(*plugin, bundle.bundle()).contentHTML(params);
        EXPECT_EQ(editor.alerts.size(), warned ? 1u : 0u) << coupons << directOrder << warn << qPrintable(mode);
        if (warned && !editor.alerts.empty()) {
            EXPECT_EQ(editor.alerts[0],
                      QStringList({"No PHP in preview", "Coupons and direct orders need a web server.", "OK"}));
        }
    }
    plugin->setEditor(nullptr);
}

} // namespace

TEST_F(ProductListingTest, SnapshotListsThePageAsItWasWithoutTouchingTheRegistry)
{
    useLayout("[%ID%|%NAME%|%TEMPLATE_OPTIONS%]");
    addProduct(7)->setOptionsArray({option(TillboxOption::ValueListTag, "Size", {{"Large", 1.5f, 0}})});
    addProduct(8)->setName("Mug");
    RecordingEditor editor;
    plugin->setEditor(&editor);
    editor.header = StyledText("Welcome");
    const auto registered = ProductRegistry::allOrderedProducts().size();

    QTemporaryDir scratch;
    const auto snapshot = plugin->exportSnapshot(scratch.path());
    EXPECT_EQ(ProductRegistry::allOrderedProducts().size(), registered);
    QList<QStringList> alerts;
    snapshot->setAlertHandler([&](const QStringList &alert) { alerts.append(alert); });

    const ExportParameters preview = ExportParameters::forPage(QStringLiteral("preview"), QStringLiteral("/site/shop"),
                                                               QStringLiteral("files"), QStringLiteral("shop"),
                                                               QStringLiteral("/site"));
    settings().setEnableCoupons(true);
    const QString live = ProductListing(*plugin, bundle.bundle()).contentHTML(preview);
    plugin->products().last()->setName("Changed after the snapshot");
    plugin->products().first()->optionsArray().first()->setOptionName("Changed too");
    settings().setEnableCoupons(false);
    snapshot->exportSettings().setEnableCoupons(true);
    EXPECT_EQ(ProductListing(*snapshot, bundle.bundle()).contentHTML(preview), live);
    EXPECT_TRUE(live.contains("<p>Welcome</p>")) << qPrintable(live);
    // The preview warning reaches whoever the snapshot's owner named, not the editor.
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(editor.alerts.size(), 1u);
    EXPECT_EQ(snapshot->exportScratchFolder("x"), scratch.filePath("x"));
    plugin->setEditor(nullptr);
}
