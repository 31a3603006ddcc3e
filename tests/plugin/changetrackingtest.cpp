#include "plugin/recordingeditor.h"

#include "catalogue/tillboxproduct.h"
#include "host/notificationcenter.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A page with an editor attached, counting what each change sets off: host
// broadcasts, formatter refreshes, checkout refreshes and product
// notifications.
class ChangeTrackingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin->setEditor(&editor);
        QObject::connect(plugin.get(), &RWAbstractPlugin::pluginChanged, [this] { ++hostSignals; });
        notifications = QObject::connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted,
                                         [this](const QString &name, QObject *object) {
                                             EXPECT_EQ(object, nullptr);
                                             if (name == TBXProductChangedNotification)
                                                 ++productNotifications;
                                         });
        reset();
    }
    void TearDown() override { QObject::disconnect(notifications); }

    void reset()
    {
        editor.clear();
        broadcastsBefore = plugin->changeBroadcastCount();
        hostSignals = 0;
        productNotifications = 0;
    }
    int broadcasts() const
    {
        const int count = plugin->changeBroadcastCount() - broadcastsBefore;
        EXPECT_EQ(hostSignals, count) << "every broadcast reaches the host";
        EXPECT_EQ(editor.descriptionUpdates, count) << "the description is copied in before each broadcast";
        return count;
    }
    // Nothing at all happened since the last reset().
    void expectQuiet() const
    {
        EXPECT_EQ(broadcasts(), 0);
        EXPECT_TRUE(editor.refreshes.empty());
        EXPECT_EQ(editor.checkoutChanges, 0);
        EXPECT_TRUE(editor.couponWarnings.empty());
        EXPECT_TRUE(editor.shownDescriptions.empty());
        EXPECT_EQ(editor.tableRedraws, 0);
        EXPECT_EQ(productNotifications, 0);
    }

    std::shared_ptr<TillboxProduct> addProduct(const QString &sku, const QString &description = QString())
    {
        auto product = TillboxProduct::create();
        product->setSKU(sku);
        if (!description.isNull())
            product->setStyledProductDescription(StyledText(description));
        plugin->productController().addObject(product);
        return product;
    }
    TillboxGlobalSettings &settings() { return *plugin->globalSettings(); }

    RecordingEditor editor;
    std::shared_ptr<TillboxPlugin> plugin = std::make_shared<TillboxPlugin>();
    QMetaObject::Connection notifications;
    int broadcastsBefore = 0;
    int hostSignals = 0;
    int productNotifications = 0;
};

} // namespace

// --- Settings and currency fields ----------------------------------------------------

// Every key the page watches broadcasts once; those that change how prices
// read also refresh the editor's formatters and the checkout menu.
TEST_F(ChangeTrackingTest, EveryWatchedSettingsKeyBroadcastsOnce)
{
    const QStringList refreshing{"decimalSeparatorIndex", "decimalNumberIndex", "enableGoogleCheckout",
                                 "enableEJunkie", "enableDirectOrder"};
    ASSERT_EQ(TillboxGlobalSettings::watchedKeys().size(), 69);
    for (const QString &key : TillboxGlobalSettings::watchedKeys()) {
        SCOPED_TRACE(qPrintable(key));
        reset();
        Q_EMIT settings().valueChanged(key);
        EXPECT_EQ(broadcasts(), 1);
        const int refreshes = refreshing.contains(key) ? 1 : 0;
        EXPECT_EQ(int(editor.refreshes.size()), refreshes);
        EXPECT_EQ(editor.checkoutChanges, refreshes);
    }
}

// Setters announce the keys the page watches: those that change how prices
// read also refresh; the currency's tag, the settings the page does not
// watch and a value set again do nothing.
TEST_F(ChangeTrackingTest, SettersAndCurrencyChangesSetOffTheirRefreshes)
{
    const std::tuple<const char *, std::function<void(TillboxGlobalSettings &)>, int, int> cases[] = {
        // name, change, broadcasts, refreshes of prices and checkout
        {"cart width", [](auto &s) { s.setCartWidth(640); }, 1, 0},
        {"separator", [](auto &s) { s.setDecimalSeparatorIndex(1); }, 1, 1},
        {"cost limit", [](auto &s) { s.setAdditionalCostsLimit(4, 99.f); }, 1, 0},
        {"symbol", [](auto &s) { s.currency()->setSymbol(QStringLiteral("€")); }, 1, 1},
        {"code", [](auto &s) { s.currency()->setCode(QStringLiteral("EUR")); }, 1, 1},
        {"side", [](auto &s) { s.currency()->setShownOnLeft(false); }, 1, 1},
        {"space", [](auto &s) { s.currency()->setSpaceBetweenSymbolAndPrice(false); }, 1, 1},
        {"tag", [](auto &s) { s.currency()->setTag(30); }, 0, 0},
        {"same width", [](auto &s) { s.setCartWidth(s.cartWidth()); }, 0, 0},
        {"icons", [](auto &s) { s.setCartIconSetIndex(0); }, 0, 0},
        {"coupons", [](auto &s) { s.setEnableCoupons(true); }, 0, 0},
        {"header", [](auto &s) { s.setPageHeader(StyledText(QStringLiteral("header"))); }, 0, 0},
        {"order field", [](auto &s) { s.setDirectOrderField(3, QStringLiteral("Phone")); }, 0, 0},
    };
    for (const auto &[name, change, broadcastCount, refreshCount] : cases) {
        SCOPED_TRACE(name);
        reset();
        change(settings());
        EXPECT_EQ(broadcasts(), broadcastCount);
        EXPECT_EQ(int(editor.refreshes.size()), refreshCount);
        EXPECT_EQ(editor.checkoutChanges, refreshCount);
        EXPECT_EQ(productNotifications, 0);
    }
}

// Registering twice still broadcasts once; replaced settings and a replaced
// currency record are no longer watched, their replacements are.
TEST_F(ChangeTrackingTest, WatchesTheCurrentSettingsAndCurrencyOnce)
{
    const auto old = plugin->globalSettings();
    const auto replacement = std::make_shared<TillboxGlobalSettings>();
    plugin->unregisterAsObserverForPluginChanges();
    plugin->setGlobalSettings(replacement);
    plugin->registerAsObserverForPluginChanges();
    plugin->registerAsObserverForPluginChanges();
    EXPECT_EQ(plugin->globalSettingsController().content(), replacement);
    const auto oldCurrency = replacement->currency();
    const auto newCurrency = std::make_shared<TillboxCurrency>();
    replacement->setCurrency(newCurrency);
    reset();

    old->setCartWidth(1);
    old->setDecimalSeparatorIndex(1);
    old->currency()->setSymbol(QStringLiteral("X"));
    oldCurrency->setSymbol(QStringLiteral("X"));
    expectQuiet();

    replacement->setCartWidth(1);
    newCurrency->setSymbol(QStringLiteral("Y"));
    EXPECT_EQ(broadcasts(), 2);
    EXPECT_EQ(editor.refreshes.size(), 1u);
}

TEST_F(ChangeTrackingTest, LoadedPageWatchesItsStoredSettings)
{
    QString error;
    const auto loaded = TillboxPlugin::fromArchivedData(plugin->archivedData(), &error);
    ASSERT_TRUE(loaded) << qPrintable(error);
    loaded->globalSettings()->setCartWidth(500);
    loaded->globalSettings()->currency()->setSymbol(QStringLiteral("€"));
    EXPECT_EQ(loaded->changeBroadcastCount(), 2);
}

// --- The selected product ----------------------------------------------------------------

TEST_F(ChangeTrackingTest, SelectionChangesPostTheProductNotificationButDoNotMarkThePage)
{
    addProduct(QStringLiteral("A"));
    EXPECT_GT(productNotifications, 0) << "adding selects the new product";
    addProduct(QStringLiteral("B"));
    reset();
    plugin->productController().setSelectionIndex(0);
    EXPECT_GT(productNotifications, 0);
    EXPECT_EQ(broadcasts(), 0);

    reset();
    plugin->products().first()->setPrice(9.5f);
    EXPECT_EQ(productNotifications, 1);
    EXPECT_EQ(broadcasts(), 0);
}

TEST_F(ChangeTrackingTest, SelectingAnotherProductShowsItsDescription)
{
    addProduct(QStringLiteral("A"), QStringLiteral("first description"));
    addProduct(QStringLiteral("B"), QStringLiteral("second description"));
    addProduct(QStringLiteral("C"))->setStyledProductDescription(std::nullopt);
    reset();

    plugin->productController().setSelectionIndex(0);
    ASSERT_FALSE(editor.shownDescriptions.empty());
    EXPECT_EQ(editor.shownDescriptions.back(), QStringLiteral("first description"));
    plugin->productController().setSelectionIndex(1);
    EXPECT_EQ(editor.shownDescriptions.back(), QStringLiteral("second description"));

    // Left in the view, the previous text would be copied into this product
    // by the next broadcast.
    plugin->productController().setSelectionIndex(2);
    EXPECT_EQ(editor.shownDescriptions.back(), QStringLiteral("")) << "a product without description clears the view";

    reset();
    editor.descriptionViewPresent = false;
    plugin->productController().setSelectionIndex(0);
    EXPECT_TRUE(editor.shownDescriptions.empty());
}

TEST_F(ChangeTrackingTest, CouponWithoutSKUShowsTheWarningUntilASKUIsTyped)
{
    const auto product = addProduct(QString());
    reset();
    product->setHasCouponCode(true);
    EXPECT_EQ(editor.lastCouponWarning(), true);
    product->setSKU(QStringLiteral("SKU-1"));
    EXPECT_EQ(editor.lastCouponWarning(), false);
    product->setSKU(QStringLiteral(""));
    EXPECT_EQ(editor.lastCouponWarning(), true);
    product->setHasCouponCode(false);
    EXPECT_EQ(editor.lastCouponWarning(), false);

    // Moving onto a product with a coupon but no SKU shows it as well.
    const auto other = addProduct(QStringLiteral("B"));
    product->setHasCouponCode(true);
    reset();
    plugin->productController().setSelectionIndex(0);
    EXPECT_EQ(editor.lastCouponWarning(), true);
    plugin->productController().setSelectionIndex(1);
    EXPECT_EQ(editor.lastCouponWarning(), false);

    // An editor attached to a page already showing such a product warns at once.
    plugin->productController().setSelectionIndex(0);
    plugin->setEditor(nullptr);
    reset();
    plugin->setEditor(&editor);
    EXPECT_EQ(editor.lastCouponWarning(), true);
}

TEST_F(ChangeTrackingTest, StatusRedrawsTheTableAndCouponTypeRefreshesTheCouponField)
{
    const auto product = addProduct(QStringLiteral("A"));
    reset();
    product->setStatus(TillboxProduct::StatusOutOfStock);
    EXPECT_EQ(editor.tableRedraws, 1);
    EXPECT_TRUE(editor.refreshes.empty());

    product->setCouponType(1);
    ASSERT_EQ(editor.refreshes.size(), 1u);
    EXPECT_EQ(editor.refreshes.back().couponValueFormatter, plugin->priceFormatter());
    product->setCouponType(0);
    ASSERT_EQ(editor.refreshes.size(), 2u);
    EXPECT_EQ(editor.refreshes.back().couponValueFormatter.format(), QStringLiteral("0.00 %"));
    EXPECT_EQ(broadcasts(), 0);
}

TEST_F(ChangeTrackingTest, ProductsThatAreNotSelectedTriggerNothing)
{
    const auto first = addProduct(QStringLiteral("A"));
    const auto second = addProduct(QStringLiteral("B")); // selected
    reset();
    first->setPrice(3.f);
    first->setSKU(QString());
    first->setHasCouponCode(true);
    first->setStatus(TillboxProduct::StatusHidden);
    first->setCouponType(1);
    expectQuiet();

    // A product taken off the page is no longer watched either.
    plugin->productController().removeObjectAtArrangedObjectIndex(1);
    reset();
    second->setPrice(4.f);
    second->setStatus(TillboxProduct::StatusHidden);
    expectQuiet();

    // Nor is the last one once the page is empty.
    plugin->productController().removeObjectAtArrangedObjectIndex(0);
    reset();
    first->setStatus(TillboxProduct::StatusAvailable);
    expectQuiet();
}
