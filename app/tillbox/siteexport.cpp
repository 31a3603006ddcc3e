#include "siteexport.h"

#include "pagetheme.h"

#include "catalogue/tillboxproduct.h"
#include "export/cartheader.h"
#include "export/exportsource.h"
#include "export/productlisting.h"
#include "host/exportparameters.h"
#include "plugin/tillboxplugin.h"
#include "util/atomicfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

namespace {

// The product whose picture a failure names: the file set returns a full
// picture and a thumbnail per product, in list order, and names the file in
// its message.
QString productNamed(const QString &reason, const QStringList &files, const ExportSource &source)
{
    const auto &products = source.exportProducts();
    for (qsizetype i = 0; i < files.size() && i / 2 < products.size(); ++i) {
        if (reason.contains(QDir::toNativeSeparators(files[i])) && products[i / 2])
            return products[i / 2]->name();
    }
    return QString();
}

// Moves the scratch folder that holds exactly the page's files, and nothing
// else, to filesFolder in one step, where filesFolder is new or empty and on
// the same disk: one rename instead of one per file. False when it cannot,
// with nothing moved.
bool moveWholeFolder(const QStringList &files, const QString &filesFolder)
{
    if (files.isEmpty())
        return false;
    const QString scratch = QFileInfo(files.first()).path();
    QSet<QString> names;
    names.reserve(files.size());
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.path() != scratch)
            return false;
        names.insert(info.fileName());
    }
    if (names.size() != files.size())
        return false; // a name twice: left to the file by file move, which reports it
    qsizetype found = 0;
    for (QDirIterator it(scratch, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
         it.hasNext();) {
        it.next();
        if (!names.contains(it.fileName()))
            return false;
        ++found;
    }
    return found == names.size()
           && std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(filesFolder).constData()) == 0;
}

} // namespace

ExportParameters SiteExport::parametersFor(const SitePage &page, const QString &outDir, bool preview)
{
    const QString pageFolder = page.location.isEmpty() ? outDir : outDir + QLatin1Char('/') + page.location;
    const QString filesFolderName = QFileInfo(page.fileName).completeBaseName() + QStringLiteral("_files");
    return ExportParameters::forPage(preview ? QStringLiteral("preview") : QStringLiteral("export"), pageFolder,
                                     filesFolderName, page.location, outDir);
}

QString SiteExport::pageFilePath(const SitePage &page, const QString &outDir)
{
    return parametersFor(page, outDir, false).path() + QLatin1Char('/') + page.fileName;
}

bool SiteExport::prepareOutputFolder(const QString &outDir, QString *error)
{
    if (!QDir().mkpath(outDir)) {
        *error = QStringLiteral("cannot create the output folder %1").arg(outDir);
        return false;
    }
    QString probeError;
    const QString probe = outDir + QStringLiteral("/.tillbox-write-test");
    if (!AtomicFile::write(probe, QByteArray("ok"), &probeError)) {
        *error = QStringLiteral("cannot write into the output folder %1").arg(outDir);
        return false;
    }
    QFile::remove(probe);
    return true;
}

SiteExport::PageResult SiteExport::exportPage(const QString &siteName, const SitePage &page, ExportSource &source,
                                              const QString &outDir, bool preview,
                                              const ExportFileSet::Progress &progress)
{
    PageResult result;
    const ExportParameters params = parametersFor(page, outDir, preview);
    const QString pageFolder = params.path();
    if (!QDir().mkpath(pageFolder)) {
        result.failures.append({QString(), QStringLiteral("cannot create %1").arg(pageFolder)});
        return result;
    }

    // The host's calls, in the host's order: body, header, files.
    const Bundle &bundle = TillboxPlugin::pluginBundle();
    const QString body = ProductListing(source, bundle).contentHTML(params);
    const QString head =
        CartHeader(source.exportSettings(), bundle).pageContentHeadersTemplateWithParams(params).value_or(QString());
    ExportFileSet fileSet(source, bundle);
    fileSet.setProgressHandler(progress);
    const QStringList files = fileSet.extraFilesNeededInExportFolder(params);
    for (const QString &reason : fileSet.failures())
        result.failures.append({productNamed(reason, files, source), reason, true});

    // The host moves the page's own files from the scratch folder into the
    // page's files folder: the whole folder at once where it can, else file
    // by file (copied where they cannot be moved). A file the export could
    // not make has been reported already.
    const QString filesFolder = pageFolder + QLatin1Char('/') + params.filesFolderName();
    if (moveWholeFolder(files, filesFolder)) {
        for (const QString &file : files)
            result.written.append(filesFolder + QLatin1Char('/') + QFileInfo(file).fileName());
    } else if (!QDir().mkpath(filesFolder)) {
        result.failures.append({QString(), QStringLiteral("cannot create %1").arg(filesFolder)});
    } else {
        for (const QString &file : files) {
            QFile input(file);
            QString copyError;
            const QString target = filesFolder + QLatin1Char('/') + QFileInfo(file).fileName();
            if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(target).constData()) == 0) {
                result.written.append(target);
            } else if (!input.exists() && !fileSet.failures().isEmpty()) {
                continue;
            } else if (!input.open(QIODevice::ReadOnly)) {
                result.failures.append({productNamed(file, files, source), QStringLiteral("cannot read %1").arg(file)});
            } else if (!AtomicFile::write(target, input.readAll(), &copyError, AtomicFile::Flush::None)) {
                result.failures.append({productNamed(file, files, source), copyError});
            } else {
                result.written.append(target);
            }
        }
    }

    const QString html = PageTheme::render({siteName, page.title, head, body});
    const QString htmlPath = pageFolder + QLatin1Char('/') + page.fileName;
    QString error;
    if (AtomicFile::writeText(htmlPath, html, &error, AtomicFile::Flush::None))
        result.written.append(htmlPath);
    else
        result.failures.append({QString(), error});
    return result;
}
