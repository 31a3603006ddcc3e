#pragma once

#include "export/exportfileset.h"
#include "host/sitedocument.h"

#include <QString>
#include <QStringList>

class ExportParameters;
class ExportSource;

// Writes shop pages the way the hosts publish them: each page's body and cart
// header in the host's page theme, the page's own files copied into its files
// folder, the files every shop page shares into the site's folder. The
// command line and the studio both export through it, so their output is the
// same byte for byte.
class SiteExport
{
public:
    // What one page's export left behind.
    struct Failure
    {
        QString product;  // the product's name when the failure is one of its pictures
        QString reason;
    };
    struct PageResult
    {
        QStringList written;  // files the host wrote for the page, absolute paths
        QList<Failure> failures;
    };

    // The export parameters of page inside the site folder outDir.
    static ExportParameters parametersFor(const SitePage &page, const QString &outDir, bool preview);
    // The page's HTML file inside outDir.
    static QString pageFilePath(const SitePage &page, const QString &outDir);

    // Makes outDir and proves it writable before any work starts.
    [[nodiscard]] static bool prepareOutputFolder(const QString &outDir, QString *error);

    // Exports one page of the site siteName into outDir from source: the
    // plug-in itself, or a snapshot of it when the export runs on another
    // thread. progress reports the page's pictures as they are done.
    static PageResult exportPage(const QString &siteName, const SitePage &page, ExportSource &source,
                                 const QString &outDir, bool preview,
                                 const ExportFileSet::Progress &progress = {});
};
