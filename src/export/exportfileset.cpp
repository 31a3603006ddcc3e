#include "export/exportfileset.h"

#include "catalogue/tillboxproduct.h"
#include "export/cartheader.h"
#include "export/cataloguetable.h"
#include "export/exportsource.h"
#include "export/productimagewriter.h"
#include "prices/priceformatting.h"
#include "host/bundle.h"
#include "host/exportparameters.h"
#include "host/rwpage.h"
#include "settings/tillboxglobalsettings.h"
#include "util/atomicfile.h"
#include "util/customreplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>
#include <QtDebug>

namespace {

const QString ScratchFolderName = QStringLiteral("TillboxPlugin");
const QString CouponsFileName = QStringLiteral("coupons.php");
const QString OrderMailerFileName = QStringLiteral("orderMailer.php");

struct SharedFolder
{
    QString name;
    QStringList files;
};

// Copied from the bundle, same names. The order mailer is generated into
// "tillbox" besides these, and the icons go to "theme".
const QList<SharedFolder> &sharedFolders()
{
    static const QList<SharedFolder> folders = {
        {QStringLiteral("tillbox"),
         {QStringLiteral("mootools.tillbox.js"), QStringLiteral("class.phpmailer.php"),
          QStringLiteral("class.smtp.php"), QStringLiteral("couponChecker.php"), QStringLiteral("json.php"),
          QStringLiteral("cartTotals.php"),
          QStringLiteral("backgroundBottom.png"), QStringLiteral("backgroundTop.png"), QStringLiteral("tillbox.css")}},
        {QStringLiteral("mootools"), {QStringLiteral("mootools.core.js"), QStringLiteral("mootools.more.js")}},
        {QStringLiteral("remooz"),
         {QStringLiteral("mootools.remooz.js"), QStringLiteral("remo_bg_e.png"), QStringLiteral("remo_bg_n.png"),
          QStringLiteral("remo_bg_ne.png"), QStringLiteral("remo_bg_nw.png"), QStringLiteral("remo_bg_s.png"),
          QStringLiteral("remo_bg_se.png"), QStringLiteral("remo_bg_sw.png"), QStringLiteral("remo_bg_w.png"),
          QStringLiteral("closebox.gif"), QStringLiteral("closebox.png"), QStringLiteral("spinner.gif"),
          QStringLiteral("remooz.css")}},
    };
    return folders;
}

const QString ThemeFolderName = QStringLiteral("theme");

// Like the platform's path operations: trailing slashes do not make an empty
// last component, and the root is its own last component.
QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString lastPathComponent(const QString &path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == QLatin1String("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString deletingLastPathComponent(const QString &path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString(QLatin1String(""));
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}

QStringList pathComponents(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString dateText(const std::optional<QDateTime> &date)
{
    if (!date || !date->isValid())
        return QString();
    return QLocale::c().toString(date->toLocalTime(), QStringLiteral("yyyy-MM-dd"));
}

// Every placeholder of the PHP templates stands inside a single-quoted PHP
// string: escaped for that, a value reaches PHP exactly ("$" and "\"
// included) and can never end the string.
void fillPhp(QString &text, const QString &target, const QString &value)
{
    text = CustomReplace::stringByCustomReplacingOccurrencesOfString(text, target,
                                                                     CustomReplace::phpSingleQuoted(value),
                                                                     EscapeMode::Plain);
}

std::optional<QByteArray> readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

ExportFileSet::ExportFileSet(ExportSource &source, const Bundle &bundle) : m_source(source), m_bundle(bundle) {}

const QStringList &ExportFileSet::cartIconNames()
{
    static const QStringList names = {
        QStringLiteral("iconTotal.png"),     QStringLiteral("iconEmpty.png"),     QStringLiteral("iconCheckout.png"),
        QStringLiteral("iconAgree.png"),     QStringLiteral("iconHide.png"),      QStringLiteral("iconCartEmpty.png"),
        QStringLiteral("iconSend.png"),      QStringLiteral("iconLoader.png"),    QStringLiteral("iconBack.png"),
        QStringLiteral("iconCartFull.png"),  QStringLiteral("iconSearch.png"),    QStringLiteral("iconRemove.png"),
        QStringLiteral("iconIncrease0.png"), QStringLiteral("iconIncrease1.png"), QStringLiteral("iconDecrease0.png"),
        QStringLiteral("iconDecrease1.png"), QStringLiteral("iconDelete0.png"),   QStringLiteral("iconDelete1.png"),
    };
    return names;
}

QString ExportFileSet::pathRemovingLocation(const ExportParameters &params)
{
    QString path = params.path();
    const QStringList components = pathComponents(params.location());
    for (auto it = components.crbegin(); it != components.crend(); ++it) {
        if (*it != lastPathComponent(path))
            break;
        path = deletingLastPathComponent(path);
    }
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + TBXCommonFilePath;
}

QString ExportFileSet::relativePathFromAbsolutePath(const ExportParameters &params)
{
    QString relative;
    const QString siteFolderName = lastPathComponent(params.base());
    const QStringList components = pathComponents(params.location());
    for (auto it = components.crbegin(); it != components.crend(); ++it) {
        if (*it == siteFolderName)
            break;
        relative += QStringLiteral("../");
    }
    return relative + TBXCommonFilePath;
}

QString ExportFileSet::pathForTemporaryFileWithPrefix(const QString &prefix)
{
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return QDir(QDir::tempPath()).filePath(prefix + QLatin1Char('-') + uuid);
}

void ExportFileSet::fail(const QString &message)
{
    m_failures.append(message);
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    qWarning().noquote() << QStringLiteral("Tillbox: ") + line;
}

QString ExportFileSet::phpTemplate(const QString &name)
{
    const auto text = m_bundle.resourceText(name, QStringLiteral("php"));
    if (!text) {
        fail(QStringLiteral("missing or unreadable template %1.php").arg(name));
        return QString();
    }
    return *text;
}

bool ExportFileSet::makeFolder(const QString &path, int fileCount)
{
    if (QDir().mkpath(path))
        return true;
    fail(QStringLiteral("cannot create folder %1; its %2 files were not written")
             .arg(QDir::toNativeSeparators(path))
             .arg(fileCount));
    return false;
}

void ExportFileSet::writeText(const QString &path, const QString &text)
{
    QString error;
    if (!AtomicFile::writeText(path, text, &error, AtomicFile::Flush::None))
        fail(error);
}

std::optional<QByteArray> ExportFileSet::resourceBytes(const QString &name, const QString &destination)
{
    const QString source = m_bundle.pathForResource(name, QString());
    if (source.isEmpty()) {
        fail(QStringLiteral("missing resource %1; it was not copied to %2")
                 .arg(name, QDir::toNativeSeparators(destination)));
        return std::nullopt;
    }
    QString error;
    auto bytes = readFile(source, &error);
    if (!bytes)
        fail(error);
    return bytes;
}

void ExportFileSet::copyResource(const QString &name, const QString &folder)
{
    const auto bytes = resourceBytes(name, folder);
    if (!bytes)
        return;
    // Replaced so that a newer plug-in's scripts reach the site, but left
    // alone when equal, so an upload of changed files skips them.
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo(target).isFile()) {
        QFile existing(target);
        if (existing.open(QIODevice::ReadOnly) && existing.size() == bytes->size() && existing.readAll() == *bytes)
            return;
    }
    QString error;
    if (!AtomicFile::write(target, *bytes, &error, AtomicFile::Flush::None))
        fail(error);
}

void ExportFileSet::copyIcon(const QString &resource, const QString &target)
{
    // The theme may hold the owner's own icons: never replaced.
    if (QFileInfo::exists(target))
        return;
    const auto bytes = resourceBytes(resource, target);
    QString error;
    if (bytes && !AtomicFile::write(target, *bytes, &error, AtomicFile::Flush::None))
        fail(error);
}

QString ExportFileSet::couponEntry(const QString &couponTemplate, const TillboxProduct &product) const
{
    const PriceFormatting prices(m_source.exportSettings());
    QString entry = couponTemplate;
    fillPhp(entry, QStringLiteral("%CODE%"), product.couponCode());
    fillPhp(entry, QStringLiteral("%TEXT%"), product.couponDescription());
    fillPhp(entry, QStringLiteral("%FROM%"), dateText(product.couponStart()));
    fillPhp(entry, QStringLiteral("%TO%"), dateText(product.couponEnd()));
    fillPhp(entry, QStringLiteral("%VALUE%"), prices.stringWithPrice(product.couponValue(), true));
    fillPhp(entry, QStringLiteral("%TYPE%"), product.couponType() == 0 ? QStringLiteral("%") : QStringLiteral("$"));
    fillPhp(entry, QStringLiteral("%APPLY%"), product.SKU());
    return entry;
}

QString ExportFileSet::orderMailer(const QString &mailerTemplate) const
{
    const TillboxGlobalSettings &s = m_source.exportSettings();
    QString mailer = mailerTemplate;
    // Only the host depends on the switch: without a host the server's own
    // mail transport sends the order.
    fillPhp(mailer, QStringLiteral("%MAIL_SMTP_HOST%"), s.mailUseSMTP() ? s.smtpHost() : QStringLiteral(""));
    fillPhp(mailer, QStringLiteral("%MAIL_SMTP_PORT%"), QString::number(s.smtpPort()));
    fillPhp(mailer, QStringLiteral("%MAIL_SMTP_USERNAME%"), s.smtpUsername());
    fillPhp(mailer, QStringLiteral("%MAIL_SMTP_PASSWORD%"), s.smtpPassword());
    fillPhp(mailer, QStringLiteral("%MAIL_SMTP_USE_SSL%"), boolText(s.smtpUseSSL()));
    fillPhp(mailer, QStringLiteral("%MAIL_TO%"), s.directOrderEmail());
    fillPhp(mailer, QStringLiteral("%MAIL_SUBJECT%"), s.directOrderSubject());
    fillPhp(mailer, QStringLiteral("%MAIL_TEXT%"), s.directOrderText());
    fillPhp(mailer, QStringLiteral("%MAIL_EMAIL_FIELD%"), QString::number(s.directOrderEmailFieldTag()));
    fillPhp(mailer, QStringLiteral("%MAIL_UID_ENABLED%"), boolText(s.directOrderUniqueIDEnabled()));
    fillPhp(mailer, QStringLiteral("%MAIL_UID_PREFIX%"), s.directOrderUniqueIDPrefix());
    fillPhp(mailer, QStringLiteral("%MAIL_REQUIRED%"), CartHeader::orderRequiredString(s));
    return mailer;
}

QStringList ExportFileSet::extraFilesNeededInExportFolder(const ExportParameters &params)
{
    m_failures.clear();
    const TillboxGlobalSettings &settings = m_source.exportSettings();

    const QString scratch = m_source.exportScratchFolder(ScratchFolderName);
    if (scratch.isEmpty()) {
        // Without it every page file would land in the working folder.
        fail(QStringLiteral("the host gave no scratch folder; no file of the page was written"));
        return {};
    }

    // The jobs are made here, on the thread that owns the products; the
    // pictures are then written in parallel from the jobs alone.
    QList<ProductImageWriter::Job> jobs;
    QString coupons = QStringLiteral("");
    std::optional<QString> couponTemplate;
    // Read once for all the products without a picture of their own.
    std::optional<QByteArray> placeholder;
    for (const auto &product : m_source.exportProducts()) {
        if (!product)
            continue;
        if (product->image().isEmpty() && !placeholder)
            placeholder = Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray());
        jobs.append(ProductImageWriter::jobForProduct(*product, placeholder.value_or(QByteArray())));
        if (settings.enableCoupons() && product->hasCouponCode()) {
            if (!couponTemplate)
                couponTemplate = phpTemplate(QStringLiteral("template_coupons"));
            if (!couponTemplate->isNull())
                coupons += couponEntry(*couponTemplate, *product) + QLatin1Char('\n');
        }
    }

    QStringList pictureFailures;
    QStringList paths = ProductImageWriter::writeAll(jobs, scratch, settings.normalisationThreshold(),
                                                     settings.preserveImageFormat(), m_progress, &pictureFailures,
                                                     m_pictureThreads);
    // The owner knows the page by its title (the host may give none).
    const RWPage *hostPage = m_source.exportPage();
    const QString page = hostPage ? QStringLiteral("page \"%1\", ").arg(hostPage->title()) : QString();
    for (const QString &failure : pictureFailures)
        fail(page + failure);

    // Written on every export, empty when there are no coupons, so a table
    // left from an earlier export never stays valid.
    const QString couponsPath = QDir(scratch).filePath(CouponsFileName);
    writeText(couponsPath, coupons);
    paths.append(couponsPath);
    // Beside it, what the order mailer checks an order's figures against.
    const QString cataloguePath = QDir(scratch).filePath(CatalogueTable::FileName);
    writeText(cataloguePath, CatalogueTable::phpText(settings, m_source.exportProducts()));
    paths.append(cataloguePath);

    if (params.path().isEmpty()) {
        // The shared folder would otherwise be "/rw_common/...".
        fail(QStringLiteral("the export names no page folder (\"path\"); the shared files were not written"));
        return paths;
    }
    const QDir shared(pathRemovingLocation(params));

    for (const SharedFolder &folder : sharedFolders()) {
        const QString folderPath = shared.filePath(folder.name);
        const bool isTillbox = folder.name == QLatin1String("tillbox");
        if (!makeFolder(folderPath, int(folder.files.size()) + (isTillbox ? 1 : 0)))
            continue;
        for (const QString &file : folder.files)
            copyResource(file, folderPath);
        if (isTillbox) {
            const QString mailerTemplate = phpTemplate(QStringLiteral("template_orderMailer"));
            if (!mailerTemplate.isNull())
                writeText(QDir(folderPath).filePath(OrderMailerFileName), orderMailer(mailerTemplate));
        }
    }

    const QString themePath = shared.filePath(ThemeFolderName);
    if (makeFolder(themePath, int(cartIconNames().size()))) {
        const QString prefix = settings.cartIconSetPrefixString();
        for (const QString &icon : cartIconNames())
            copyIcon(prefix + QLatin1Char('_') + icon, QDir(themePath).filePath(icon));
    }
    return paths;
}
