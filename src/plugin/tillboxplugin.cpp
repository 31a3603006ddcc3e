#include "plugin/tillboxplugin.h"

#include "export/pagesnapshot.h"

#include "archive/keyedarchiver.h"
#include "catalogue/tillboxproduct.h"
#include "export/cartheader.h"
#include "export/productlisting.h"
#include "host/bundle.h"
#include "host/rmhtml.h"
#include "host/rwdocument.h"
#include "host/rwpage.h"
#include "host/notificationcenter.h"
#include "plugin/plugineditor.h"
#include "catalogue/productregistry.h"
#include "settings/tillboxglobalsettings.h"

#include <QJsonArray>

namespace {

const Bundle *g_pluginBundle = nullptr;
bool g_classInitialized = false;

// Settings keys that also change how prices and checkouts show in the editor.
bool refreshesCurrencyDisplay(const QString &keyPath)
{
    static const QStringList keys{QStringLiteral("decimalSeparatorIndex"), QStringLiteral("decimalNumberIndex"),
                                  QStringLiteral("enableGoogleCheckout"), QStringLiteral("enableEJunkie"),
                                  QStringLiteral("enableDirectOrder")};
    return keys.contains(keyPath);
}

constexpr int kCustomCurrencyTag = 99999;

} // namespace

// --- Class operations ---------------------------------------------------------

bool TillboxPlugin::initializeClass(const Bundle *bundle)
{
    if (g_classInitialized)
        return true;
    g_classInitialized = true;
    g_pluginBundle = bundle;
    return bundle != nullptr;
}

const Bundle &TillboxPlugin::pluginBundle()
{
    return g_pluginBundle ? *g_pluginBundle : Bundle::plugin();
}

std::vector<std::shared_ptr<TillboxPlugin>> TillboxPlugin::pluginsAvailable()
{
    return {std::make_shared<TillboxPlugin>()};
}

QString TillboxPlugin::pluginName()
{
    return pluginBundle().localizedString(QStringLiteral("PluginName"));
}

QString TillboxPlugin::pluginAuthor()
{
    return pluginBundle().localizedString(QStringLiteral("AuthorName"));
}

QString TillboxPlugin::pluginDescription()
{
    return pluginBundle().localizedString(QStringLiteral("PluginDescription"));
}

QImage TillboxPlugin::pluginIcon()
{
    return QImage(pluginBundle().pathForImageResource(QStringLiteral("plugin_icon")));
}

int32_t TillboxPlugin::productIDwithProposedID(int32_t proposedID)
{
    return ProductRegistry::productIDwithProposedID(proposedID);
}

void TillboxPlugin::handleChangeForProduct(const std::shared_ptr<TillboxProduct> &product, const QString &oldSKU,
                                           const QString &newSKU)
{
    ProductRegistry::handleChangeForProduct(product, oldSKU, newSKU);
}

TillboxPlugin::ProductList TillboxPlugin::allOrderedProducts()
{
    return ProductRegistry::allOrderedProducts();
}

QList<QVariantMap> TillboxPlugin::allProducts()
{
    return ProductRegistry::allProducts();
}

// --- Life cycle -----------------------------------------------------------------

TillboxPlugin::TillboxPlugin()
{
    // The number formatter is our own class, so there is no framework to load.
    m_globalSettings = std::make_shared<TillboxGlobalSettings>(pluginBundle());
    m_globalSettingsController.setContent(m_globalSettings);
    ProductRegistry::ensureAllProductsTable();
    m_productController.setContent(&m_products);
    registerAsObserverForPluginChanges();
    handleCurrencyChange();
}

TillboxPlugin::~TillboxPlugin()
{
    unloadPluginOnDocumentClose();
    unregisterAsObserverForPluginChanges();
}

QStringList TillboxPlugin::archiveClassNames()
{
    return {QStringLiteral("TillboxPlugin"), QStringLiteral("RWAbstractPlugin"), QStringLiteral("NSObject")};
}

std::shared_ptr<TillboxPlugin> TillboxPlugin::initWithCoder(KeyedUnarchiver &coder)
{
    auto plugin = std::make_shared<TillboxPlugin>();
    plugin->m_currentExportVersion = coder.decodeString("ExportVersion");

    // Observation moves from the default settings to the stored record.
    plugin->unregisterAsObserverForPluginChanges();
    if (auto settings = coder.decodeObject<TillboxGlobalSettings>("GlobalSettings"))
        plugin->m_globalSettings = settings;
    plugin->registerAsObserverForPluginChanges();
    plugin->m_globalSettingsController.setContent(plugin->m_globalSettings);
    plugin->handleCurrencyChange();
    // The header and footer reach the editor's views when it is attached.

    // Added through the controller, in stored order, as one change: a large
    // catalogue then costs one selection announcement, not one per product.
    if (const auto products = coder.decodeObjectList<TillboxProduct>("Products"))
        plugin->m_productController.addObjects(*products);
    return plugin;
}

void TillboxPlugin::encodeWithCoder(KeyedArchiver &coder) const
{
    auto *self = const_cast<TillboxPlugin *>(this);
    // Typed values that are still being edited go into the records first.
    if (m_editor)
        m_editor->endEditing();
    self->m_globalSettingsController.commitEditing();
    if (m_editor) {
        if (const auto header = m_editor->headerText())
            m_globalSettings->setPageHeader(*header);
        if (const auto footer = m_editor->footerText())
            m_globalSettings->setPageFooter(*footer);
    }
    coder.encodeObject("GlobalSettings", m_globalSettingsController.content());
    self->m_productController.commitEditing();
    coder.encodeObjectList("Products", m_productController.arrangedObjects());
    coder.encodeString("ExportVersion", m_currentExportVersion);
}

QByteArray TillboxPlugin::archivedData() const
{
    return KeyedArchiver::archivedData(*this);
}

std::shared_ptr<TillboxPlugin> TillboxPlugin::fromArchivedData(const QByteArray &data, QString *error)
{
    KeyedUnarchiver coder;
    std::shared_ptr<TillboxPlugin> plugin;
    if (coder.open(data))
        plugin = coder.decodeRootObject<TillboxPlugin>();
    if (coder.hasError() || !plugin) {
        // The page never opens, so its products must not stay in the site's
        // catalogue; their IDs are freed when the plug-in goes.
        if (plugin) {
            for (const auto &product : std::as_const(plugin->m_products))
                ProductRegistry::forgetProduct(product);
        }
        if (error)
            *error = coder.hasError() ? coder.errorString() : QStringLiteral("the archive holds no shop page");
        return nullptr;
    }
    return plugin;
}

void TillboxPlugin::unloadPluginOnDocumentClose()
{
    // A second run must not free IDs that other pages have taken since.
    if (m_unloaded)
        return;
    m_unloaded = true;
    NotificationCenter::defaultCenter().removeObserver(this);
    for (const auto &product : std::as_const(m_products))
        ProductRegistry::freeProductID(product->productID());
}

QJsonObject TillboxPlugin::toJson() const
{
    QJsonArray products;
    for (const auto &product : m_products)
        products.append(product->toJson());
    QJsonObject object;
    object.insert(QStringLiteral("currentExportVersion"),
                  m_currentExportVersion.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(m_currentExportVersion));
    object.insert(QStringLiteral("globalSettings"), m_globalSettings->toJson());
    object.insert(QStringLiteral("products"), products);
    return object;
}

// --- Host entry points ------------------------------------------------------------

QObject *TillboxPlugin::userInteractionAndEditingView() const
{
    return m_editor ? m_editor->userInteractionAndEditingView() : nullptr;
}

QObject *TillboxPlugin::optionsAndConfigurationView() const
{
    return m_editor ? m_editor->optionsAndConfigurationView() : nullptr;
}

void TillboxPlugin::pluginWasSelected()
{
    const QString bundleVersion = pluginBundle().infoValue(QStringLiteral("QMVXExportVersion"));
    if (m_currentExportVersion.isNull() || m_currentExportVersion != bundleVersion) {
        broadcastPluginChanged();
        m_currentExportVersion = bundleVersion;
    }
    handleCheckoutChange();
}

// --- Export -----------------------------------------------------------------------

QString TillboxPlugin::contentHTML(const ExportParameters &params)
{
    return ProductListing(*this, pluginBundle()).contentHTML(params);
}

std::optional<QString> TillboxPlugin::pageContentHeaders(const ExportParameters &params) const
{
    return pageContentHeadersTemplateWithParams(params);
}

std::optional<QString>
TillboxPlugin::pageContentHeadersTemplateWithParams(const std::optional<ExportParameters> &params) const
{
    return CartHeader(*m_globalSettings, pluginBundle()).pageContentHeadersTemplateWithParams(params);
}

QStringList TillboxPlugin::extraFilesNeededInExportFolder(const ExportParameters &params)
{
    ExportFileSet files(*this, pluginBundle());
    files.setProgressHandler(m_exportProgress);
    const QStringList paths = files.extraFilesNeededInExportFolder(params);
    m_lastExportFailures = files.failures();
    return paths;
}

std::unique_ptr<RMHTML> TillboxPlugin::exportStyledTextExporter(const ExportParameters &params) const
{
    return exporterWithParams(params);
}

const RWPage *TillboxPlugin::exportPage() const
{
    const RWPage *page = RWPageForPlugin(this);
    return page && document() ? document()->pageFromUniqueID(page->uniqueID()) : nullptr;
}

std::optional<StyledText> TillboxPlugin::pendingPageHeader() const
{
    return m_editor ? m_editor->headerText() : std::nullopt;
}

std::optional<StyledText> TillboxPlugin::pendingPageFooter() const
{
    return m_editor ? m_editor->footerText() : std::nullopt;
}

// Only the alert is the editor's: without one there is nobody to tell.
void TillboxPlugin::runExportAlert(const QStringList &alert)
{
    if (m_editor)
        m_editor->runAlert(alert);
}

std::unique_ptr<PageSnapshot> TillboxPlugin::exportSnapshot(const QString &scratchFolder) const
{
    auto snapshot = std::make_unique<PageSnapshot>(*m_globalSettings, m_products, scratchFolder, exportPage());
    snapshot->setPendingPageTexts(pendingPageHeader(), pendingPageFooter());
    return snapshot;
}

QString TillboxPlugin::pathRemovingLocation(const ExportParameters &params) const
{
    return ExportFileSet::pathRemovingLocation(params);
}

QString TillboxPlugin::relativePathFromAbsolutePath(const ExportParameters &params) const
{
    return ExportFileSet::relativePathFromAbsolutePath(params);
}

QString TillboxPlugin::pathForTemporaryFileWithPrefix(const QString &prefix) const
{
    return ExportFileSet::pathForTemporaryFileWithPrefix(prefix);
}

// --- State ------------------------------------------------------------------------

void TillboxPlugin::setEditor(PluginEditor *editor)
{
    if (editor == m_editor)
        return;
    m_editor = editor;
    if (!m_editor)
        return;
    // The views start out empty, and saving and broadcasting copy them back
    // into the records: unless they show the stored texts first, the next
    // save or change would wipe the header, footer and description.
    if (const auto header = m_globalSettings->pageHeader())
        m_editor->setHeaderText(*header);
    if (const auto footer = m_globalSettings->pageFooter())
        m_editor->setFooterText(*footer);
    showSelectedDescription();
    handleCurrencyChange();
    // The coupon warning otherwise shows only after the next change.
    if (const auto product = m_productController.selectedProduct())
        m_editor->setCouponWarningVisible(product->hasCouponCode() && product->SKU().isEmpty());
}

void TillboxPlugin::setGlobalSettings(const std::shared_ptr<TillboxGlobalSettings> &settings)
{
    Q_ASSERT(settings);
    if (!settings || settings == m_globalSettings)
        return;
    m_globalSettings = settings;
    m_globalSettingsController.setContent(settings);
}

void TillboxPlugin::setProducts(const ProductList &products)
{
    m_products = products;
    m_productController.rearrangeObjects();
}

// --- Change tracking ----------------------------------------------------------------

void TillboxPlugin::registerAsObserverForPluginChanges()
{
    unregisterAsObserverForPluginChanges();
    TillboxGlobalSettings *settings = m_globalSettings.get();
    m_observations << connect(settings, &TillboxGlobalSettings::valueChanged, this,
                              [this, settings](const QString &key) {
                                  if (key == QLatin1String("currency"))
                                      connectCurrency();
                                  if (TillboxGlobalSettings::watchedKeys().contains(key))
                                      observeValueForKeyPath(key, settings);
                              });
    connectCurrency();
    m_observations << connect(&m_productController, &ProductController::keyPathChanged, this,
                              [this](const QString &keyPath) { observeValueForKeyPath(keyPath, &m_productController); });
}

void TillboxPlugin::connectCurrency()
{
    disconnect(m_currencyObservation);
    TillboxCurrency *currency = m_globalSettings->currency().get();
    if (!currency)
        return;
    m_currencyObservation = connect(currency, &TillboxCurrency::valueChanged, this, [this, currency](const QString &key) {
        if (TillboxCurrency::watchedKeys().contains(key))
            observeValueForKeyPath(key, currency);
    });
}

void TillboxPlugin::unregisterAsObserverForPluginChanges()
{
    for (const auto &connection : std::as_const(m_observations))
        disconnect(connection);
    m_observations.clear();
    disconnect(m_currencyObservation);
}

void TillboxPlugin::observeValueForKeyPath(const QString &keyPath, const QObject *object)
{
    const QObject *currency = m_globalSettings->currency().get();
    if (object == m_globalSettings.get() || (currency && object == currency)) {
        broadcastPluginChanged();
        if (object == currency || refreshesCurrencyDisplay(keyPath)) {
            handleCurrencyChange();
            handleCheckoutChange();
        }
        return;
    }
    if (object != &m_productController || m_products.isEmpty())
        return;
    const std::shared_ptr<TillboxProduct> product = m_productController.selectedProduct();
    if (!product)
        return;
    if (keyPath == QLatin1String("selectionIndex"))
        showSelectedDescription();
    if (keyPath == QLatin1String("selection.status") && m_editor)
        m_editor->redrawProductTable();
    if (m_editor) {
        // A coupon names its product by SKU, so a coupon without one is useless.
        m_editor->setCouponWarningVisible(product->hasCouponCode() && product->SKU().isEmpty());
    }
    if (keyPath == QLatin1String("selection.couponType"))
        handleCurrencyChange();
    NotificationCenter::defaultCenter().postNotificationName(TBXProductChangedNotification);
}

void TillboxPlugin::showSelectedDescription()
{
    if (!m_editor || !m_editor->hasDescriptionView())
        return;
    const auto product = m_productController.selectedProduct();
    if (!product)
        return;
    // A product without a description shows an empty one: left in the view,
    // the previous product's text would be copied into this product by the
    // next broadcast.
    m_editor->showDescription(product->styledProductDescription().value_or(StyledText()));
}

void TillboxPlugin::broadcastPluginChanged()
{
    if (m_editor)
        m_editor->updateDescriptionView();
    RWAbstractPlugin::broadcastPluginChanged();
}

// --- Prices ---------------------------------------------------------------------------

CurrencyRefresh TillboxPlugin::currencyRefresh() const
{
    const PriceFormatting p = prices();
    CurrencyRefresh refresh;
    refresh.priceFormatter = p.priceFormatter();
    refresh.optionPriceFormatter = p.optionPriceFormatter();
    refresh.customCurrencyControlsEnabled = m_globalSettings->currency()->tag() == kCustomCurrencyTag;
    refresh.weightFormatter = p.weightFormatter();
    refresh.signedWeightFormatter = p.signedWeightFormatter();
    switch (m_globalSettings->additionalCostsTypeTag()) {
    case 10: refresh.additionalCostsRangesFormatter = p.itemCountFormatter(); break;
    case 20: refresh.additionalCostsRangesFormatter = p.priceFormatter(); break;
    case 30: refresh.additionalCostsRangesFormatter = refresh.weightFormatter; break;
    default: break;
    }
    refresh.additionalCostsValuesFormatter = p.optionPriceFormatter();
    refresh.percentFormatter = p.percentFormatter();
    refresh.fixedCouponTitle = m_globalSettings->currency()->symbol();
    const auto product = m_productController.selectedProduct();
    const bool fixedCoupon = product && product->couponType() != 0;
    refresh.couponValueFormatter = fixedCoupon ? p.priceFormatter() : refresh.percentFormatter;
    return refresh;
}

void TillboxPlugin::handleCurrencyChange()
{
    if (m_editor)
        m_editor->applyCurrencyRefresh(currencyRefresh());
}

void TillboxPlugin::handleCheckoutChange()
{
    if (m_editor)
        m_editor->handleCheckoutChange();
}

// --- Editor actions ---------------------------------------------------------------------

void TillboxPlugin::setCurrency(std::optional<int> menuTag)
{
    if (menuTag) {
        // The menu's selection is tied to the stored tag; the table then
        // fills in the values (and stores the tag itself only for custom).
        if (*menuTag != kCustomCurrencyTag)
            m_globalSettings->currency()->setTag(*menuTag);
        m_globalSettings->setCurrencyByTag(*menuTag);
    }
    handleCurrencyChange();
}

void TillboxPlugin::setPayPalLanguage(std::optional<int> menuTag)
{
    if (menuTag) {
        if (*menuTag != kCustomCurrencyTag)
            m_globalSettings->setPayPalLanguageTag(*menuTag);
        m_globalSettings->setPayPalLanguageByTag(*menuTag);
    }
    handleCheckoutChange();
}

void TillboxPlugin::useDefaultLayout()
{
    m_globalSettings->setCustomLayout(m_globalSettings->defaultLayout());
}

void TillboxPlugin::useDefaultLocalizableStrings()
{
    m_globalSettings->setLocalizableStrings(m_globalSettings->defaultLocalizableStrings());
    if (m_editor)
        m_editor->reloadShopperTexts();
}

void TillboxPlugin::resetProductID()
{
    const auto product = m_productController.selectedProduct();
    if (!product)
        return;
    product->setProductID(productIDwithProposedID(0));
}
