#include "plugin/recordingeditor.h"

#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCustomTag = 99999;

class EditorActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin->setEditor(&editor);
        editor.clear();
    }
    TillboxGlobalSettings &settings() { return *plugin->globalSettings(); }
    const CurrencyRefresh &lastRefresh() const { return editor.refreshes.back(); }

    RecordingEditor editor;
    std::shared_ptr<TillboxPlugin> plugin = std::make_shared<TillboxPlugin>();
};

} // namespace

TEST_F(EditorActionsTest, ChoosingACurrencyFillsItInAndEnablesCustomControlsOnlyForCustom)
{
    plugin->setCurrency(20); // the table's own mapping is checked with the settings
    EXPECT_EQ(settings().currency()->tag(), 20);
    ASSERT_FALSE(editor.refreshes.empty());
    EXPECT_FALSE(lastRefresh().customCurrencyControlsEnabled);
    EXPECT_EQ(lastRefresh().fixedCouponTitle, QStringLiteral("€"));
    EXPECT_EQ(lastRefresh().priceFormatter.stringFromNumber(3), QStringLiteral("€ 3.00"));

    // Custom: the typed-in values stay, the controls open up.
    plugin->setCurrency(kCustomTag);
    EXPECT_EQ(settings().currency()->tag(), kCustomTag);
    EXPECT_EQ(settings().currency()->code(), QStringLiteral("EUR"));
    EXPECT_TRUE(lastRefresh().customCurrencyControlsEnabled);
    settings().currency()->setSymbol(QStringLiteral("Fr."));
    EXPECT_TRUE(lastRefresh().customCurrencyControlsEnabled);
    EXPECT_EQ(lastRefresh().fixedCouponTitle, QStringLiteral("Fr."));

    plugin->setCurrency(30);
    EXPECT_FALSE(lastRefresh().customCurrencyControlsEnabled);

    // Sent by another control: no currency change, but the editor refreshes.
    editor.clear();
    plugin->setCurrency(std::nullopt);
    EXPECT_EQ(settings().currency()->tag(), 30);
    EXPECT_EQ(editor.refreshes.size(), 1u);
}

TEST_F(EditorActionsTest, ChoosingAPayPalLanguage)
{
    plugin->setPayPalLanguage(70);
    EXPECT_EQ(settings().payPalLanguageTag(), 70);
    EXPECT_EQ(settings().payPalLanguageCode(), QStringLiteral("DE"));
    EXPECT_GE(editor.checkoutChanges, 1);

    plugin->setPayPalLanguage(kCustomTag);
    EXPECT_EQ(settings().payPalLanguageTag(), kCustomTag);
    EXPECT_EQ(settings().payPalLanguageCode(), QStringLiteral("DE")) << "a custom code is typed in, not reset";

    editor.clear();
    plugin->setPayPalLanguage(std::nullopt);
    EXPECT_EQ(settings().payPalLanguageTag(), kCustomTag);
    EXPECT_EQ(editor.checkoutChanges, 1);
}

TEST_F(EditorActionsTest, DefaultLayoutAndTextsReplaceTheShopsOwn)
{
    ASSERT_FALSE(settings().defaultLayout().isEmpty());
    settings().setCustomLayout(QStringLiteral("<div>%NAME%</div>"));
    const int before = plugin->changeBroadcastCount();
    plugin->useDefaultLayout();
    EXPECT_EQ(settings().customLayout(), settings().defaultLayout());
    EXPECT_EQ(plugin->changeBroadcastCount(), before + 1);

    const auto defaults = settings().defaultLocalizableStrings();
    ASSERT_FALSE(defaults.isEmpty());
    const QString key = defaults.firstKey();
    settings().setLocalizableStrings({{key, QStringLiteral("my own text")}});
    ASSERT_EQ(settings().localizableStrings().value(key), QStringLiteral("my own text"));
    plugin->useDefaultLocalizableStrings();
    EXPECT_EQ(settings().localizableStrings(), defaults);
    EXPECT_EQ(editor.shopperTextReloads, 1);
}

TEST_F(EditorActionsTest, ResetProductIDGivesTheSelectedProductAFreshID)
{
    plugin->resetProductID(); // no products: nothing happens
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(0));

    auto first = TillboxProduct::create();
    auto second = TillboxProduct::create();
    plugin->productController().addObject(first);
    plugin->productController().addObject(second);
    plugin->productController().setSelectionIndex(0);
    ASSERT_EQ(first->productID(), 0);

    plugin->resetProductID();
    EXPECT_EQ(first->productID(), 2);
    EXPECT_EQ(second->productID(), 1);
    EXPECT_TRUE(ProductRegistry::isProductIDTaken(0)) << "the old ID stays taken";

    plugin->productController().setSelectionIndex(-1);
    plugin->resetProductID();
    EXPECT_EQ(first->productID(), 2);
    EXPECT_EQ(second->productID(), 1);
}
