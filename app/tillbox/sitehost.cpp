#include "sitehost.h"

#include "plugin/tillboxplugin.h"

SiteHost::SiteHost() = default;

SiteHost::~SiteHost()
{
    close();
}

bool SiteHost::open(const QString &path, QString *error)
{
    if (!m_document.load(path, error))
        return false;
    m_hostDocument = RWDocument(m_document.siteName());
    for (const SitePage &page : m_document.pages()) {
        QString reason;
        auto plugin = TillboxPlugin::fromArchivedData(page.pluginData, &reason);
        if (!plugin) {
            if (error)
                *error = QStringLiteral("cannot read page \"%1\" of %2: %3").arg(page.title, path, reason);
            close();
            return false;
        }
        RWPage *hostPage = m_hostDocument.addPage(page.uniqueID, page.title, page.location, page.fileName);
        hostPage->setPlugin(plugin.get());
        plugin->setHostPage(&m_hostDocument, hostPage);
        m_pages.push_back(LoadedPage{page, hostPage, plugin});
    }
    return true;
}

void SiteHost::close()
{
    for (auto &page : m_pages)
        page.plugin->unloadPluginOnDocumentClose();
    m_pages.clear();
}
