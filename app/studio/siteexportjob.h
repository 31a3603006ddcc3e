#pragma once

#include "siteexport.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>

class QThread;

// Exports a site's pages on a thread of its own, so the author can keep
// working while it runs. Each page comes as a task made on the GUI thread
// from a snapshot of the page, so the worker never touches the live records.
// Cancelling stops before the next page; every file reported as written was
// written whole (each write replaces its file atomically).
class SiteExportJob : public QObject
{
    Q_OBJECT

public:
    struct Page
    {
        QString title;
        int pictures = 0;  // products on the page: one picture (and thumbnail) each
        std::function<SiteExport::PageResult(const ExportFileSet::Progress &)> run;
    };

    struct Summary
    {
        QString folder;
        int pages = 0;
        int pagesDone = 0;
        int written = 0;  // files written for the pages (the shared files are not counted)
        QStringList failures;  // "Page “Shop”, product “Tea”: why", in the order they happened
        bool cancelled = false;
        // The words the author reads when the export ends.
        QString text() const;
    };

    SiteExportJob(QList<Page> pages, const QString &folder, QObject *parent = nullptr);
    // Cancels and waits for the worker.
    ~SiteExportJob() override;

    void start();
    void cancel() { m_cancel = true; }
    void wait();
    bool isRunning() const;
    int totalPictures() const;
    // Complete once finished() has arrived.
    const Summary &summary() const { return m_summary; }

Q_SIGNALS:
    // page counts from 0; pictures over the whole site.
    void progressed(int page, int pages, const QString &title, int pictures, int totalPictures);
    void finished();

private:
    void run();

    QList<Page> m_pages;
    Summary m_summary;
    std::atomic<bool> m_cancel = false;
    QThread *m_thread = nullptr;
};
