#pragma once

#include "export/exportfileset.h"
#include "export/exportsource.h"
#include "host/exportparameters.h"
#include "host/rwabstractplugin.h"
#include "plugin/objectcontroller.h"
#include "plugin/productcontroller.h"
#include "prices/currencyrefresh.h"
#include "prices/priceformatting.h"

#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <vector>

class Bundle;
class ExportParameters;
class KeyedArchiver;
class KeyedUnarchiver;
class PageSnapshot;
class PluginEditor;
class TillboxGlobalSettings;
class TillboxProduct;

// The notification posted after every change around the selected product;
// product rows redraw on it.
inline const QString TBXProductChangedNotification = QStringLiteral("TBXProductChangedNotification");

// One shop page: its settings, its products in listing order and the version
// of the output last produced for it. The host creates one per shop page,
// fresh (constructor) or from the page's stored archive (initWithCoder), and
// calls the export operations on it.
//
// The object runs headless until an editor is attached (setEditor): whatever
// touches views then does nothing.
class TillboxPlugin : public RWAbstractPlugin,
                      public ExportSource,
                      public std::enable_shared_from_this<TillboxPlugin>
{
    Q_OBJECT

public:
    using ProductList = QList<std::shared_ptr<TillboxProduct>>;

    // --- Class operations -------------------------------------------------
    // Keeps the plug-in's bundle on the first call; true when it is present.
    static bool initializeClass(const Bundle *bundle);
    static const Bundle &pluginBundle();
    static std::vector<std::shared_ptr<TillboxPlugin>> pluginsAvailable();
    static QString pluginName();
    static QString pluginAuthor();
    static QString pluginDescription();
    static QImage pluginIcon();
    static bool hasHTMLDescription() { return true; }

    // The site-wide registry of product IDs and SKUs.
    static int32_t productIDwithProposedID(int32_t proposedID);
    static void handleChangeForProduct(const std::shared_ptr<TillboxProduct> &product, const QString &oldSKU,
                                       const QString &newSKU);
    static ProductList allOrderedProducts();
    static QList<QVariantMap> allProducts();

    // --- Life cycle ----------------------------------------------------------
    // A fresh page: default settings, no products.
    TillboxPlugin();
    ~TillboxPlugin() override;

    static QStringList archiveClassNames();
    static std::shared_ptr<TillboxPlugin> initWithCoder(KeyedUnarchiver &coder);
    void encodeWithCoder(KeyedArchiver &coder) const;
    // The page's stored form, and a page read back from it. On a damaged
    // archive returns null and sets *error.
    QByteArray archivedData() const;
    static std::shared_ptr<TillboxPlugin> fromArchivedData(const QByteArray &data, QString *error);

    // Frees the page's product IDs; the host calls it when the document
    // closes, and destruction calls it again (the second run does nothing).
    void unloadPluginOnDocumentClose();

    // Every field of the page, its settings and its products.
    QJsonObject toJson() const;

    // --- Host entry points ---------------------------------------------------
    QObject *userInteractionAndEditingView() const;
    QObject *optionsAndConfigurationView() const;
    // The export-version check: a page last produced by another plug-in
    // version is marked changed once, then carries the current version.
    void pluginWasSelected();
    void pluginWasDeselected() {}
    bool canEmbedContent() const { return true; }
    QString defaultFolderName() const { return QStringLiteral("tillbox"); }
    QString sidebarHTML(const ExportParameters &) const { return QString(QLatin1String("")); }
    TillboxPlugin *pluginForStyledTextView(QObject *) { return this; }

    // --- Export -------------------------------------------------------------
    // The page body: header, one block per listed product, footer.
    QString contentHTML(const ExportParameters &params);
    // The cart's configuration block for the page head; absent when the
    // header template cannot be read.
    std::optional<QString> pageContentHeaders(const ExportParameters &params) const;
    std::optional<QString> pageContentHeadersTemplateWithParams(const std::optional<ExportParameters> &params) const;
    // Writes the page's own files (pictures, "coupons.php") into the scratch
    // folder and returns their paths; writes the files every shop page shares
    // into the site's shared folder.
    QStringList extraFilesNeededInExportFolder(const ExportParameters &params);
    QString pathRemovingLocation(const ExportParameters &params) const;
    QString relativePathFromAbsolutePath(const ExportParameters &params) const;
    QString pathForTemporaryFileWithPrefix(const QString &prefix) const;
    // What the last extraFilesNeededInExportFolder() could not write; each is
    // also logged as a line beginning "Tillbox: ".
    const QStringList &lastExportFailures() const { return m_lastExportFailures; }
    void setExportProgressHandler(const ExportFileSet::Progress &progress) { m_exportProgress = progress; }
    bool isOnSnowLeopardOrBetter() const { return true; }

    // What an export reads, live (ExportSource): the records themselves, the
    // editor's header and footer, alerts through the editor.
    TillboxGlobalSettings &exportSettings() override { return *m_globalSettings; }
    const QList<std::shared_ptr<TillboxProduct>> &exportProducts() const override { return m_products; }
    QString exportScratchFolder(const QString &name) override { return tempFilesDirectory(name); }
    std::unique_ptr<RMHTML> exportStyledTextExporter(const ExportParameters &params) const override;
    const RWPage *exportPage() const override;
    std::optional<StyledText> pendingPageHeader() const override;
    std::optional<StyledText> pendingPageFooter() const override;
    void runExportAlert(const QStringList &alert) override;
    // A frozen copy of the page for an export on another thread; its files
    // go below scratchFolder. Call on the page's own thread.
    std::unique_ptr<PageSnapshot> exportSnapshot(const QString &scratchFolder) const;

    // --- State --------------------------------------------------------------
    const QString &currentExportVersion() const { return m_currentExportVersion; }
    void setCurrentExportVersion(const QString &version) { m_currentExportVersion = version; }
    const std::shared_ptr<TillboxGlobalSettings> &globalSettings() const { return m_globalSettings; }
    void setGlobalSettings(const std::shared_ptr<TillboxGlobalSettings> &settings);
    const ProductList &products() const { return m_products; }
    void setProducts(const ProductList &products);

    ObjectController &globalSettingsController() { return m_globalSettingsController; }
    ProductController &productController() { return m_productController; }
    const ProductController &productController() const { return m_productController; }

    PluginEditor *editor() const { return m_editor; }
    // Attaches the editor (null detaches it) and shows the page in its views:
    // header, footer, the selected product's description and the formatters.
    void setEditor(PluginEditor *editor);

    // --- Change tracking ------------------------------------------------------
    void registerAsObserverForPluginChanges();
    void unregisterAsObserverForPluginChanges();
    // The watcher: which field (key path) of which object changed.
    void observeValueForKeyPath(const QString &keyPath, const QObject *object);
    // Copies the description view into the selected product, then tells the host.
    void broadcastPluginChanged() override;

    // --- Prices ---------------------------------------------------------------
    PriceFormatting prices() const { return PriceFormatting(*m_globalSettings); }
    LKSSmartFormatter basicFormatter() const { return prices().basicFormatter(); }
    QString priceFormatterString() const { return prices().priceFormatterString(); }
    LKSSmartFormatter priceFormatter() const { return prices().priceFormatter(); }
    QString optionPriceFormatterString() const { return prices().optionPriceFormatterString(); }
    LKSSmartFormatter optionPriceFormatter() const { return prices().optionPriceFormatter(); }
    QString localizedStringWithPrice(double price) const { return prices().localizedStringWithPrice(price); }
    QString stringWithPrice(double price, bool precisionLimit) const
    {
        return prices().stringWithPrice(price, precisionLimit);
    }
    double shownPrice(double price, double taxRate) const { return prices().shownPrice(price, taxRate); }
    // The formatters the editor's numeric fields get now.
    CurrencyRefresh currencyRefresh() const;
    void handleCurrencyChange();
    void handleCheckoutChange();

    // --- Editor actions (model side) -----------------------------------------
    // menuTag: the tag of the menu item chosen; absent when another control sent it.
    void setCurrency(std::optional<int> menuTag);
    void setPayPalLanguage(std::optional<int> menuTag);
    void useDefaultLayout();
    void useDefaultLocalizableStrings();
    // Gives the selected product a new ID; its old one stays taken.
    void resetProductID();

private:
    void connectCurrency();
    void showSelectedDescription();

    QString m_currentExportVersion;
    std::shared_ptr<TillboxGlobalSettings> m_globalSettings;
    ProductList m_products;
    ObjectController m_globalSettingsController;
    ProductController m_productController;
    PluginEditor *m_editor = nullptr;
    QList<QMetaObject::Connection> m_observations;
    QMetaObject::Connection m_currencyObservation;
    bool m_unloaded = false;
    QStringList m_lastExportFailures;
    ExportFileSet::Progress m_exportProgress;
};
