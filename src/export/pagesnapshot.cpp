#include "export/pagesnapshot.h"

#include "catalogue/tillboxproduct.h"
#include "host/rmhtml.h"
#include "settings/tillboxglobalsettings.h"

#include <QDir>

PageSnapshot::PageSnapshot(const TillboxGlobalSettings &settings,
                           const QList<std::shared_ptr<TillboxProduct>> &products, const QString &scratchFolder,
                           const RWPage *page)
    : m_settings(settings.copy()),
      m_scratchRoot(scratchFolder)
{
    m_products.reserve(products.size());
    for (const auto &product : products) {
        if (product)
            m_products.append(product->snapshot());
    }
    if (page) {
        // A copy of the page's names only; the host's plug-in stays with the host.
        m_page.emplace(page->uniqueID(), page->title(), page->location(), page->fileName());
    }
}

PageSnapshot::~PageSnapshot() = default;

void PageSnapshot::setPendingPageTexts(const std::optional<StyledText> &header, const std::optional<StyledText> &footer)
{
    m_header = header;
    m_footer = footer;
}

QString PageSnapshot::exportScratchFolder(const QString &name)
{
    if (m_scratchRoot.isEmpty())
        return QString();
    const QString path = m_scratchRoot + QLatin1Char('/') + name;
    return QDir().mkpath(path) ? path : QString();
}

std::unique_ptr<RMHTML> PageSnapshot::exportStyledTextExporter(const ExportParameters &) const
{
    return nullptr;
}

void PageSnapshot::runExportAlert(const QStringList &alert)
{
    if (m_alertHandler)
        m_alertHandler(alert);
}
