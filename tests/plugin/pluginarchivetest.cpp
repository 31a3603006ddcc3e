#include "plugin/recordingeditor.h"
#include "support/testsupport.h"

#include "archive/keyedarchiver.h"
#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/exportparameters.h"
#include "host/sitedocument.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using testsupport::StoredAs;
using StoredProduct = StoredAs<TillboxProduct>;
const auto storedPage = testsupport::storedArchive<TillboxPlugin>;

QString bundleExportVersion()
{
    return TillboxPlugin::pluginBundle().infoValue(QStringLiteral("QMVXExportVersion"));
}

StyledText boldText(const QString &text)
{
    TextAttributes bold;
    bold.font = TextFont{QStringLiteral("Helvetica-Bold"), 18.0};
    StyledText styled;
    styled.append(text, bold);
    styled.append(QStringLiteral(" !"));
    return styled;
}

class PluginArchiveTest : public ::testing::Test
{
protected:
    // Loading must succeed for these tests; a failure says why.
    static std::shared_ptr<TillboxPlugin> load(const QByteArray &archive)
    {
        QString error;
        auto plugin = TillboxPlugin::fromArchivedData(archive, &error);
        EXPECT_TRUE(plugin) << qPrintable(error);
        return plugin;
    }
    static std::shared_ptr<TillboxProduct> addProduct(TillboxPlugin &plugin, const QString &sku)
    {
        auto product = TillboxProduct::create();
        product->setSKU(sku);
        plugin.productController().addObject(product);
        return product;
    }
    static QStringList skus(const TillboxPlugin &plugin)
    {
        QStringList result;
        for (const auto &product : plugin.products())
            result << product->SKU();
        return result;
    }
};

} // namespace

TEST_F(PluginArchiveTest, NewPageStartsFromDefaultsAndStaysUnchanged)
{
    auto plugin = std::make_shared<TillboxPlugin>();
    EXPECT_EQ(plugin->globalSettingsController().content(), plugin->globalSettings());
    EXPECT_TRUE(plugin->currentExportVersion().isNull());
    EXPECT_TRUE(ProductRegistry::hasAllProductsTable());
    EXPECT_EQ(plugin->defaultFolderName(), QStringLiteral("tillbox"));
    EXPECT_TRUE(plugin->sidebarHTML(ExportParameters()).isEmpty());
    EXPECT_FALSE(plugin->sidebarHTML(ExportParameters()).isNull());

    // An absent export version stays absent through a save, so the reloaded
    // page is still marked changed on its first selection.
    const auto reloaded = load(plugin->archivedData());
    ASSERT_TRUE(reloaded);
    EXPECT_TRUE(reloaded->currentExportVersion().isNull());
    EXPECT_TRUE(reloaded->products().isEmpty());
    EXPECT_EQ(reloaded->globalSettings()->toJson(), TillboxGlobalSettings().toJson());
    EXPECT_EQ(reloaded->changeBroadcastCount(), 0);
}

// --- Export version --------------------------------------------------------------

struct ExportVersionCase
{
    const char *name;
    std::optional<QString> stored; // nullopt: the key is missing
    int broadcastsOnFirstSelection;
};

class ExportVersionTest : public PluginArchiveTest, public ::testing::WithParamInterface<ExportVersionCase>
{
};

TEST_P(ExportVersionTest, PageIsMarkedChangedOnceAndSavesTheBundleVersion)
{
    const QString current = bundleExportVersion();
    ASSERT_FALSE(current.isEmpty()) << "the bundle's Info.plist lacks QMVXExportVersion";
    const ExportVersionCase &c = GetParam();
    const QString stored = c.stored ? (*c.stored == QLatin1String("<bundle>") ? current : *c.stored) : QString();

    const auto page = load(storedPage([&](KeyedArchiver &coder) {
        if (c.stored)
            coder.encodeString("ExportVersion", stored);
    }));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->changeBroadcastCount(), 0) << "loading alone must not mark the page changed";

    RecordingEditor editor;
    page->setEditor(&editor);
    editor.clear();
    // The host must see the page changed while it still carries the old
    // version: broadcast first, then store.
    QStringList versionsSeenByHost;
    QObject::connect(page.get(), &RWAbstractPlugin::pluginChanged,
                     [&] { versionsSeenByHost << page->currentExportVersion(); });

    page->pluginWasSelected();
    EXPECT_EQ(page->changeBroadcastCount(), c.broadcastsOnFirstSelection);
    EXPECT_EQ(page->currentExportVersion(), current);
    if (c.broadcastsOnFirstSelection) {
        EXPECT_EQ(versionsSeenByHost, QStringList{stored});
    }
    page->pluginWasSelected();
    page->pluginWasDeselected();
    page->pluginWasSelected();
    EXPECT_EQ(page->changeBroadcastCount(), c.broadcastsOnFirstSelection) << "only the first selection counts";
    EXPECT_EQ(editor.checkoutChanges, 3) << "every selection refreshes the checkout menu";

    const auto saved = load(page->archivedData());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->currentExportVersion(), current);
    saved->pluginWasSelected();
    EXPECT_EQ(saved->changeBroadcastCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(StoredVersions, ExportVersionTest,
                         ::testing::Values(ExportVersionCase{"Missing", std::nullopt, 1},
                                           ExportVersionCase{"Empty", QStringLiteral(""), 1},
                                           ExportVersionCase{"Older", QStringLiteral("0.9.1"), 1},
                                           ExportVersionCase{"Newer", QStringLiteral("99.0"), 1},
                                           ExportVersionCase{"Current", QStringLiteral("<bundle>"), 0}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Saving with an editor ---------------------------------------------------------

TEST_F(PluginArchiveTest, SaveStoresWhatIsStillBeingTyped)
{
    RecordingEditor editor;
    auto plugin = std::make_shared<TillboxPlugin>();
    plugin->setEditor(&editor);
    const auto product = addProduct(*plugin, QStringLiteral("A"));

    // Two fields still being edited: one bound to the settings (committed
    // when editing ends) and one bound to the selected product (committed by
    // the product list controller).
    editor.pendingInput = [&] { plugin->globalSettings()->setCartID(QStringLiteral("typed-cart")); };
    QObject::connect(&plugin->productController(), &ProductController::commitEditingRequested,
                     [&] { product->setName(QStringLiteral("typed name")); });

    const QByteArray archive = plugin->archivedData();
    EXPECT_EQ(editor.endEditingCount, 1);

    plugin->unloadPluginOnDocumentClose();
    const auto reloaded = load(archive);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->globalSettings()->cartID(), QStringLiteral("typed-cart"));
    ASSERT_EQ(reloaded->products().size(), 1);
    EXPECT_EQ(reloaded->products().first()->name(), QStringLiteral("typed name"));
}

TEST_F(PluginArchiveTest, HeaderTypedInTheEditorReachesTheArchiveAndSurvivesASaveWithoutViews)
{
    RecordingEditor editor;
    TillboxPlugin plugin;
    plugin.setEditor(&editor);
    editor.header = boldText(QStringLiteral("Welcome")); // typed; the settings hear nothing of it
    const auto reloaded = load(plugin.archivedData());
    ASSERT_TRUE(reloaded && reloaded->globalSettings()->pageHeader());
    EXPECT_EQ(*reloaded->globalSettings()->pageHeader(), *editor.header);

    editor.header.reset();
    editor.footer.reset();
    const auto again = load(plugin.archivedData());
    ASSERT_TRUE(again && again->globalSettings()->pageHeader());
    EXPECT_EQ(*again->globalSettings()->pageHeader(), boldText(QStringLiteral("Welcome")));
}

// The host loads a page first and opens its editor later; the editor's views
// must show the stored texts and the selected product's description, or the
// next save (or broadcast) copies empty views over them.
TEST_F(PluginArchiveTest, StoredTextsReachAnEditorAttachedAfterLoading)
{
    QByteArray archive;
    {
        TillboxPlugin original;
        original.globalSettings()->setPageHeader(boldText(QStringLiteral("Welcome")));
        original.globalSettings()->setPageFooter(StyledText(QStringLiteral("Bye")));
        addProduct(original, QStringLiteral("A"))->setStyledProductDescription(StyledText(QStringLiteral("first")));
        addProduct(original, QStringLiteral("B"))->setStyledProductDescription(StyledText(QStringLiteral("hand-made")));
        archive = original.archivedData();
    }
    const auto page = load(archive);
    ASSERT_TRUE(page);
    RecordingEditor editor;
    page->setEditor(&editor);
    ASSERT_TRUE(editor.header && editor.footer);
    EXPECT_EQ(*editor.header, boldText(QStringLiteral("Welcome")));
    EXPECT_EQ(editor.footer->text(), QStringLiteral("Bye"));
    EXPECT_FALSE(editor.refreshes.empty()) << "the editor's fields get their formatters";
    ASSERT_FALSE(editor.shownDescriptions.empty());
    EXPECT_EQ(page->productController().selectedProduct()->SKU(), QStringLiteral("B"));
    EXPECT_EQ(editor.shownDescriptions.back(), QStringLiteral("hand-made"));

    const auto saved = load(page->archivedData());
    ASSERT_TRUE(saved && saved->globalSettings()->pageHeader() && saved->globalSettings()->pageFooter());
    EXPECT_EQ(*saved->globalSettings()->pageHeader(), boldText(QStringLiteral("Welcome")));
    EXPECT_EQ(saved->globalSettings()->pageFooter()->text(), QStringLiteral("Bye"));
    EXPECT_EQ(saved->products()[1]->styledProductDescription()->text(), QStringLiteral("hand-made"));
}

// --- Products ----------------------------------------------------------------------

TEST_F(PluginArchiveTest, ProductsLoadInStoredOrderWithTheirIDs)
{
    QByteArray archive;
    {
        TillboxPlugin original;
        for (const char *sku : {"c-last", "A-first", "b-middle"})
            addProduct(original, QString::fromLatin1(sku));
        original.products()[1]->setProductID(ProductRegistry::productIDwithProposedID(7));
        archive = original.archivedData();
    } // the document closes: its IDs are free again

    const auto page = load(archive);
    ASSERT_TRUE(page);
    EXPECT_EQ(skus(*page), (QStringList{"c-last", "A-first", "b-middle"}));
    EXPECT_EQ(page->productController().arrangedObjects(), page->products());
    QList<int32_t> ids;
    for (const auto &product : page->products())
        ids << product->productID();
    EXPECT_EQ(ids, (QList<int32_t>{0, 7, 2}));
    EXPECT_EQ(page->changeBroadcastCount(), 0);
}

TEST_F(PluginArchiveTest, ClosingFreesIDsOnceForLaterProducts)
{
    auto first = std::make_shared<TillboxPlugin>();
    addProduct(*first, QStringLiteral("A"));
    addProduct(*first, QStringLiteral("B"));
    TillboxPlugin second;
    const auto other = addProduct(second, QStringLiteral("C"));
    EXPECT_EQ(other->productID(), 2);

    first->unloadPluginOnDocumentClose();
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(0));
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(1));
    const auto reused = addProduct(second, QStringLiteral("D"));
    EXPECT_EQ(reused->productID(), 0);

    // Destroying the closed page runs the unload again; it must not free the
    // ID that the other page has taken since.
    first.reset();
    EXPECT_TRUE(ProductRegistry::isProductIDTaken(0));
    const auto next = addProduct(second, QStringLiteral("E"));
    EXPECT_EQ(next->productID(), 1);
    EXPECT_NE(next->productID(), reused->productID());
}

// --- Incomplete and damaged archives -------------------------------------------------

TEST_F(PluginArchiveTest, MissingOrNullSettingsKeepTheDefaults)
{
    for (const bool writeNull : {false, true}) {
        SCOPED_TRACE(writeNull ? "GlobalSettings is $null" : "GlobalSettings is missing");
        const auto page = load(storedPage([&](KeyedArchiver &coder) {
            if (writeNull)
                coder.encodeNull("GlobalSettings");
            coder.encodeString("ExportVersion", QStringLiteral("0.5"));
        }));
        ASSERT_TRUE(page);
        ASSERT_TRUE(page->globalSettings());
        EXPECT_EQ(page->globalSettings()->toJson(), TillboxGlobalSettings().toJson());
        EXPECT_EQ(page->globalSettingsController().content(), page->globalSettings());
        EXPECT_EQ(page->currentExportVersion(), QStringLiteral("0.5"));
        EXPECT_TRUE(page->products().isEmpty());

        // The kept record is the one being watched.
        page->globalSettings()->setCartWidth(640);
        EXPECT_EQ(page->changeBroadcastCount(), 1);
    }
}

TEST_F(PluginArchiveTest, DamagedArchivesGiveNoPageAndAMessage)
{
    const QByteArray good = TillboxPlugin().archivedData();
    const std::pair<const char *, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"cut short", good.left(good.size() / 2)},
        {"a product instead of a page", KeyedArchiver::archivedData(*TillboxProduct::create())},
    };
    for (const auto &[name, bytes] : cases) {
        SCOPED_TRACE(name);
        QString error;
        const auto page = TillboxPlugin::fromArchivedData(bytes, &error);
        EXPECT_FALSE(page);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_NO_FATAL_FAILURE(TillboxPlugin::fromArchivedData(bytes, nullptr));
    }
}

// Inputs that once broke a part of the loader (kept from fuzzing): each
// loads, or says why not; a page that loads saves and loads again.
TEST_F(PluginArchiveTest, RegressionInputsLoadOrSayWhy)
{
    for (const char *folder : {"archive/regressions", "plugin/regressions"}) {
        const QDir dir(testsupport::dataPath(folder));
        for (const QFileInfo &file : dir.entryInfoList(QDir::Files)) {
            SCOPED_TRACE(file.fileName().toStdString());
            ProductRegistry::resetForTesting();
            QString error;
            const auto page = TillboxPlugin::fromArchivedData(testsupport::readFile(file.filePath()), &error);
            if (!page) {
                EXPECT_FALSE(error.isEmpty());
                continue;
            }
            const QByteArray resaved = page->archivedData();
            page->unloadPluginOnDocumentClose();
            EXPECT_TRUE(TillboxPlugin::fromArchivedData(resaved, &error)) << qPrintable(error);
        }
    }
}

// A stored page loaded and saved unchanged is written byte for byte as before.
TEST_F(PluginArchiveTest, StoredPagesResaveToTheSameBytes)
{
    SiteDocument demo;
    QString error;
    ASSERT_TRUE(demo.load(QStringLiteral(TILLBOX_TEST_SOURCES "/../demo/demo-shop.tillbox"), &error))
        << qPrintable(error);
    const QByteArray pages[] = {testsupport::readFile(testsupport::dataPath(QStringLiteral("app/page-with-products.tillbox"))),
                                demo.pages().first().pluginData};
    for (const QByteArray &stored : pages) {
        ProductRegistry::resetForTesting();
        const auto page = TillboxPlugin::fromArchivedData(stored, &error);
        ASSERT_TRUE(page) << qPrintable(error);
        EXPECT_TRUE(page->archivedData() == stored);
        page->unloadPluginOnDocumentClose();
    }
}

TEST_F(PluginArchiveTest, PageFailingHalfwayLeavesNoTraceInTheRegistry)
{
    // Another page is open, with one product in the catalogue.
    TillboxPlugin openPage;
    const auto openProduct = addProduct(openPage, QStringLiteral("kept"));

    // The damaged page: its first product loads, its second is corrupt.
    using Items = QList<std::shared_ptr<StoredProduct>>;
    const Items items{std::make_shared<StoredProduct>(StoredProduct{[](KeyedArchiver &coder) {
                          coder.encodeInt32("ProductID", 5);
                          coder.encodeString("SKU", QStringLiteral("ghost"));
                      }}),
                      std::make_shared<StoredProduct>(StoredProduct{[](KeyedArchiver &coder) {
                          coder.encodeInt32("ProductID", 6);
                          coder.encodeIntNumber("Name", 42); // a number where a string belongs
                      }})};
    const QByteArray damaged = storedPage([&](KeyedArchiver &coder) { coder.encodeObjectList("Products", items); });

    QString error;
    EXPECT_FALSE(TillboxPlugin::fromArchivedData(damaged, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(5));
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(6));
    // A page that never opened has no products in the site's catalogue.
    const auto catalogue = ProductRegistry::allOrderedProducts();
    ASSERT_EQ(catalogue.size(), 1);
    EXPECT_EQ(catalogue.first(), openProduct);
}
