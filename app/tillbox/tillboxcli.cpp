#include "tillboxcli.h"

#include "siteexport.h"
#include "sitehost.h"

#include "archive/keyedarchiver.h"
#include "catalogue/tillboxproduct.h"
#include "exchange/catalogueimport.h"
#include "exchange/cataloguecsv.h"
#include "exchange/ferrulesync.h"
#include "exchange/productimageexport.h"
#include "exchange/producttransfer.h"
#include "host/ferruleplugin.h"
#include "images/picture.h"
#include "host/exportparameters.h"
#include "host/bundle.h"
#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/shopcolorcheck.h"
#include "settings/tillboxglobalsettings.h"
#include "util/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

bool readFile(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// A stored page is a keyed archive; anything else is taken for a site document.
bool isKeyedArchive(const QByteArray &bytes)
{
    KeyedUnarchiver probe;
    return probe.open(bytes);
}

// One line per colour pair of the page whose text falls below the contrast
// that text needs. Styled texts are taken on the page theme's white.
QStringList contrastWarnings(const TillboxPlugin &plugin)
{
    const TillboxGlobalSettings &settings = *plugin.globalSettings();
    QList<ColorContrastWarning> warnings = ShopColorCheck::settingsWarnings(settings);
    const Color page(1.0, 1.0, 1.0);
    const auto addText = [&](bool isHtml, const std::optional<StyledText> &text) {
        if (!isHtml && text)
            warnings += ShopColorCheck::styledTextWarnings(*text, page);
    };
    addText(settings.useHtmlPageHeader(), settings.pageHeader());
    addText(settings.useHtmlPageFooter(), settings.pageFooter());
    for (const auto &product : plugin.products()) {
        if (product && product->status() != TillboxProduct::StatusHidden)
            addText(product->useHtmlDescription(), product->styledProductDescription());
    }
    QStringList lines;
    for (const ColorContrastWarning &warning : std::as_const(warnings)) {
        if (!lines.contains(warning.message()))
            lines << warning.message();
    }
    return lines;
}

// Takes "--name VALUE" out of args; false when the option has no value.
bool takeOption(QStringList &args, const QString &name, QString *value)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= args.size())
        return false;
    *value = args[at + 1];
    args.remove(at, 2);
    return true;
}

bool hasUnknownOption(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--")))
            return true;
    }
    return false;
}

} // namespace

TillboxCli::TillboxCli() : m_out(stdout), m_err(stderr) {}

int TillboxCli::run(const QStringList &arguments)
{
    QStringList args = arguments.mid(1);
    // Options that apply to every command.
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] == QLatin1String("--resources") && i + 1 < args.size()) {
            Bundle::setPluginOverrideDirectory(args[i + 1]);
            args.remove(i, 2);
        } else if (args[i] == QLatin1String("-q") || args[i] == QLatin1String("--quiet")) {
            m_quiet = true;
            args.remove(i);
        } else {
            ++i;
        }
    }
    if (args.isEmpty())
        return usage(2);
    const QString command = args.takeFirst();
    if (command == QLatin1String("inspect"))
        return inspect(args);
    if (command == QLatin1String("resave"))
        return resave(args);
    if (command == QLatin1String("new-site"))
        return newSite(args);
    if (command == QLatin1String("add-page"))
        return addPage(args);
    if (command == QLatin1String("export"))
        return exportSite(args);
    if (command == QLatin1String("csv"))
        return csv(args);
    if (command == QLatin1String("images"))
        return images(args);
    if (command == QLatin1String("sync"))
        return sync(args);
    if (command == QLatin1String("add-product"))
        return addProduct(args);
    if (command == QLatin1String("import-csv"))
        return importCsv(args);
    if (command == QLatin1String("help") || command == QLatin1String("--help"))
        return usage(0);
    m_err << "tillbox: unknown command \"" << command << "\"\n";
    return usage(2);
}

int TillboxCli::usage(int status)
{
    QTextStream &s = status == 0 ? m_out : m_err;
    s << "usage: tillbox [--resources DIR] [-q] COMMAND ...\n"
         "  inspect FILE                       print a stored page or a site document as JSON\n"
         "  resave IN OUT                      write a stored page back in the current form\n"
         "  new-site FILE                      create a site document with one new shop page\n"
         "  add-page SITE PAGEFILE --title T --location L\n"
         "                                     add a stored page to a site document\n"
         "  export SITE OUTDIR [--preview]     export every page of a site document into OUTDIR\n"
         "  csv SITE [OUT]                     the catalogue of every page as comma-separated text\n"
         "  images SITE DIR                    every product's picture into DIR/Tillbox images\n"
         "  sync SITE FERRULE_JSON [--page UNIQUE_ID]\n"
         "                                     take over the products of a Ferrule catalogue file\n"
         "  add-product SITE --name N --sku S [--description D] [--image FILE] [--page UNIQUE_ID]\n"
         "                                     add one product to a page\n"
         "  import-csv SITE FILE [--page UNIQUE_ID]\n"
         "                                     update products by SKU from a catalogue text; new SKUs\n"
         "                                     are added to the page\n";
    s.flush();
    return status;
}

int TillboxCli::fail(const QString &message)
{
    m_err << "tillbox: " << message << '\n';
    m_err.flush();
    return 1;
}

int TillboxCli::inspect(const QStringList &args)
{
    if (args.size() != 1)
        return usage(2);
    const QString path = args.first();
    QByteArray bytes;
    QString error;
    if (!readFile(path, &bytes, &error))
        return fail(error);

    QJsonObject json;
    if (isKeyedArchive(bytes)) {
        const auto plugin = TillboxPlugin::fromArchivedData(bytes, &error);
        if (!plugin)
            return fail(QStringLiteral("cannot read %1: %2").arg(path, error));
        json = plugin->toJson();
    } else {
        SiteHost host;
        if (!host.open(path, &error))
            return fail(error);
        QJsonArray pages;
        for (const auto &page : host.pages()) {
            QJsonObject entry;
            entry.insert(QStringLiteral("title"), page.page.title);
            entry.insert(QStringLiteral("location"), page.page.location);
            entry.insert(QStringLiteral("page"), page.plugin->toJson());
            pages.append(entry);
        }
        json.insert(QStringLiteral("pages"), pages);
    }
    m_out << QJsonDocument(json).toJson(QJsonDocument::Indented);
    m_out.flush();
    return 0;
}

int TillboxCli::resave(const QStringList &args)
{
    if (args.size() != 2)
        return usage(2);
    QByteArray bytes;
    QString error;
    if (!readFile(args[0], &bytes, &error))
        return fail(error);
    const auto plugin = TillboxPlugin::fromArchivedData(bytes, &error);
    if (!plugin)
        return fail(QStringLiteral("cannot read %1: %2").arg(args[0], error));
    if (!AtomicFile::write(args[1], plugin->archivedData(), &error))
        return fail(error);
    return 0;
}

int TillboxCli::newSite(const QStringList &args)
{
    if (args.size() != 1)
        return usage(2);
    const QString path = args.first();
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 already exists; not overwriting it").arg(path));
    SiteDocument document;
    document.setSiteName(QFileInfo(path).completeBaseName());
    SitePage page;
    page.uniqueID = SiteDocument::newUniqueID();
    page.title = QStringLiteral("Shop");
    page.location = QStringLiteral("");
    page.fileName = QStringLiteral("index.html");
    auto plugin = std::make_shared<TillboxPlugin>();
    page.pluginData = plugin->archivedData();
    QString error;
    if (!document.addPage(page, &error) || !document.save(path, &error))
        return fail(error);
    return 0;
}

int TillboxCli::addPage(const QStringList &arguments)
{
    QStringList args = arguments;
    QString title, location;
    for (qsizetype i = 0; i < args.size();) {
        if ((args[i] == QLatin1String("--title") || args[i] == QLatin1String("--location")) && i + 1 < args.size()) {
            (args[i] == QLatin1String("--title") ? title : location) = args[i + 1];
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (args.size() != 2)
        return usage(2);
    QString error;
    SiteDocument document;
    if (!document.load(args[0], &error))
        return fail(error);
    QByteArray bytes;
    if (!readFile(args[1], &bytes, &error))
        return fail(error);
    // Only a page that loads may enter the site.
    if (!TillboxPlugin::fromArchivedData(bytes, &error))
        return fail(QStringLiteral("cannot read %1: %2").arg(args[1], error));
    SitePage page;
    page.uniqueID = SiteDocument::newUniqueID();
    page.title = title.isNull() ? QFileInfo(args[1]).completeBaseName() : title;
    page.location = location.isNull() ? QStringLiteral("") : location;
    page.fileName = QStringLiteral("index.html");
    page.pluginData = bytes;
    if (!document.addPage(page, &error) || !document.save(args[0], &error))
        return fail(error);
    return 0;
}

int TillboxCli::exportSite(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool preview = args.removeAll(QStringLiteral("--preview")) > 0;
    if (args.size() != 2)
        return usage(2);
    const QString sitePath = args[0];
    const QString outDir = QDir(args[1]).absolutePath();

    // Refuse an output folder that cannot be made or written before any work.
    QString error;
    if (!SiteExport::prepareOutputFolder(outDir, &error))
        return fail(error);

    SiteHost host;
    if (!host.open(sitePath, &error))
        return fail(error);

    QStringList failures;
    qsizetype loggedProblems = 0;
    for (const auto &loaded : host.pages()) {
        const SitePage &page = loaded.page;
        if (!m_quiet) {
            // The export keeps the author's colours; the author is told.
            for (const QString &warning : contrastWarnings(*loaded.plugin))
                m_err << "tillbox: " << page.title << ": warning: " << warning << '\n';
            m_err.flush();
        }
        ExportFileSet::Progress progress;
        if (!m_quiet) {
            progress = [this, &page](int done, int total) {
                m_err << page.title << ": " << done << '/' << total << " products\n";
                m_err.flush();
            };
        }
        const SiteExport::PageResult result =
            SiteExport::exportPage(host.document().siteName(), page, *loaded.plugin, outDir, preview, progress);
        // The plug-in has logged each of its own problems on a line already.
        for (const SiteExport::Failure &failure : result.failures) {
            if (failure.logged)
                ++loggedProblems;
            else
                failures << failure.reason;
        }
    }

    if (!failures.isEmpty() || loggedProblems > 0) {
        for (const QString &failure : std::as_const(failures))
            m_err << "tillbox: " << failure << '\n';
        m_err << "tillbox: the export is incomplete (" << failures.size() + loggedProblems << " problems)\n";
        m_err.flush();
        return 1;
    }
    return 0;
}

int TillboxCli::csv(const QStringList &args)
{
    if (args.size() != 1 && args.size() != 2)
        return usage(2);
    SiteHost host;
    QString error;
    if (!host.open(args[0], &error))
        return fail(error);
    const QByteArray text = CatalogueCsv::allProductsCSV().toUtf8();
    if (args.size() == 2) {
        if (!AtomicFile::write(args[1], text, &error))
            return fail(error);
        return 0;
    }
    m_out.flush();
    const size_t size = size_t(text.size());
    if (std::fwrite(text.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0)
        return fail(QStringLiteral("cannot write to standard output"));
    return 0;
}

int TillboxCli::images(const QStringList &args)
{
    if (args.size() != 2)
        return usage(2);
    const QString folder = QDir(args[1]).absolutePath();
    SiteHost host;
    QString error;
    if (!host.open(args[0], &error))
        return fail(error);
    // The folder must take files at all; single products may still fail.
    const QString probe = folder + QStringLiteral("/.tillbox-write-test");
    if (!QDir().mkpath(folder) || !AtomicFile::write(probe, QByteArray("ok"), &error))
        return fail(QStringLiteral("cannot write into the folder %1").arg(folder));
    QFile::remove(probe);
    ProductImageExport::exportProductImages(folder, [this](const QString &line) {
        m_err << line << '\n';
        m_err.flush();
    });
    return 0;
}

// The site's page with that unique ID (the first shop page without one), opened in host.
TillboxPlugin *TillboxCli::openPage(SiteHost &host, const QString &site, const QString &pageID, QString *error)
{
    if (!host.open(site, error))
        return nullptr;
    return host.page(pageID, error);
}

int TillboxCli::sync(const QStringList &arguments)
{
    QStringList args = arguments;
    QString pageID;
    if (!takeOption(args, QStringLiteral("--page"), &pageID) || hasUnknownOption(args) || args.size() != 2)
        return usage(2);
    SiteHost host;
    QString error;
    TillboxPlugin *page = openPage(host, args[0], pageID, &error);
    if (!page)
        return fail(error);
    if (!FerrulePlugin::registerCatalogue(args[1], &error))
        return fail(error);
    const FerruleSync::Result result = FerruleSync::syncFerruleProducts(*page);
    if (!host.saveChanges(args[0], &error))
        return fail(error);
    m_out << FerruleSync::resultMessage(result.added, result.updated) << '\n';
    m_out.flush();
    return 0;
}

int TillboxCli::addProduct(const QStringList &arguments)
{
    QStringList args = arguments;
    QString pageID, name, sku, description, imagePath;
    if (!takeOption(args, QStringLiteral("--page"), &pageID) || !takeOption(args, QStringLiteral("--name"), &name)
        || !takeOption(args, QStringLiteral("--sku"), &sku)
        || !takeOption(args, QStringLiteral("--description"), &description)
        || !takeOption(args, QStringLiteral("--image"), &imagePath) || hasUnknownOption(args) || args.size() != 1
        || name.isNull() || sku.isNull())
        return usage(2);
    QVariantMap record{{QStringLiteral("name"), name}, {QStringLiteral("SKU"), sku}};
    if (!description.isNull())
        record.insert(QStringLiteral("description"), description);
    QString error;
    if (!imagePath.isNull()) {
        QByteArray bytes;
        if (!readFile(imagePath, &bytes, &error))
            return fail(error);
        if (Picture(bytes).isNull())
            return fail(QStringLiteral("%1 is not a picture").arg(imagePath));
        record.insert(QStringLiteral("image"), bytes);
    }
    SiteHost host;
    TillboxPlugin *page = openPage(host, args[0], pageID, &error);
    if (!page)
        return fail(error);
    ProductTransfer::handleTransfer(*page, record);
    if (!host.saveChanges(args[0], &error))
        return fail(error);
    return 0;
}

int TillboxCli::importCsv(const QStringList &arguments)
{
    QStringList args = arguments;
    QString pageID;
    if (!takeOption(args, QStringLiteral("--page"), &pageID) || hasUnknownOption(args) || args.size() != 2)
        return usage(2);
    SiteHost host;
    QString error;
    TillboxPlugin *page = openPage(host, args[0], pageID, &error);
    if (!page)
        return fail(error);
    QByteArray bytes;
    if (!readFile(args[1], &bytes, &error))
        return fail(error);
    QList<TillboxPlugin *> pages;
    for (const auto &loaded : host.pages())
        pages << loaded.plugin.get();
    CatalogueImport::Result result;
    if (!CatalogueImport::importCSV(bytes, pages, *page, &result, &error))
        return fail(QStringLiteral("%1: %2; nothing was changed").arg(args[1], error));
    for (const QString &warning : std::as_const(result.warnings))
        m_err << "tillbox: " << args[1] << ": " << warning << '\n';
    m_err.flush();
    if (!host.saveChanges(args[0], &error))
        return fail(error);
    m_out << "added " << result.added << ", updated " << result.updated << '\n';
    m_out.flush();
    return 0;
}
