#include "siteexportjob.h"

#include <QDir>
#include <QRegularExpression>
#include <QThread>

namespace {

QString quoted(const QString &text)
{
    return QStringLiteral("\u201c%1\u201d").arg(text);
}

// The author reads file names, not the scratch and export folders' paths:
// files inside the export keep their place in the site, others their name.
QString forAuthor(QString reason, const QString &folder)
{
    reason.replace(QDir::toNativeSeparators(folder) + QDir::separator(), QString());
    static const QRegularExpression folders(QStringLiteral("(?:^|(?<=[\\s\"(]))/(?:[^\\s/\":]+/)+"));
    return reason.replace(folders, QString());
}

} // namespace

QString SiteExportJob::Summary::text() const
{
    const QString pagesText =
        pages == 1 ? QStringLiteral("page was") : QStringLiteral("%1 pages were").arg(pages);
    QString text = cancelled
        ? QStringLiteral("The export was cancelled after %1 of %2 pages; %3 files were written into %4.")
              .arg(pagesDone)
              .arg(pages)
              .arg(written)
              .arg(QDir::toNativeSeparators(folder))
        : QStringLiteral("The site's %1 exported into %2: %3 files for %4, and the cart's files in %5.")
              .arg(pagesText, QDir::toNativeSeparators(folder))
              .arg(written)
              .arg(pages == 1 ? QStringLiteral("the page") : QStringLiteral("the pages"))
              .arg(TBXCommonFilePath);
    if (!failures.isEmpty())
        text += QStringLiteral("\n\nThese could not be exported:\n\u2022 ") + failures.join(QStringLiteral("\n\u2022 "));
    return text;
}

SiteExportJob::SiteExportJob(QList<Page> pages, const QString &folder, QObject *parent)
    : QObject(parent), m_pages(std::move(pages))
{
    m_summary.folder = folder;
    m_summary.pages = int(m_pages.size());
}

SiteExportJob::~SiteExportJob()
{
    cancel();
    wait();
}

void SiteExportJob::start()
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    m_thread->start();
}

void SiteExportJob::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

bool SiteExportJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

int SiteExportJob::totalPictures() const
{
    int total = 0;
    for (const Page &page : m_pages)
        total += page.pictures;
    return total;
}

void SiteExportJob::run()
{
    const int pages = int(m_pages.size());
    const int total = totalPictures();
    int before = 0;
    for (int i = 0; i < pages; ++i) {
        if (m_cancel) {
            m_summary.cancelled = true;
            break;
        }
        const Page &page = m_pages[i];
        Q_EMIT progressed(i, pages, page.title, before, total);
        const SiteExport::PageResult result = page.run([&](int done, int) {
            Q_EMIT progressed(i, pages, page.title, before + done, total);
        });
        before += page.pictures;
        ++m_summary.pagesDone;
        m_summary.written += int(result.written.size());
        for (const SiteExport::Failure &failure : result.failures) {
            const QString reason = forAuthor(failure.reason, m_summary.folder);
            m_summary.failures << (failure.product.isEmpty()
                                       ? QStringLiteral("Page %1: %2").arg(quoted(page.title), reason)
                                       : QStringLiteral("Page %1, product %2: %3")
                                             .arg(quoted(page.title), quoted(failure.product), reason));
        }
    }
    Q_EMIT finished();
}
