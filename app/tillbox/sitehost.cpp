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
        m_pages.push_back(LoadedPage{page, hostPage, plugin, plugin->changeBroadcastCount()});
    }
    return true;
}

TillboxPlugin *SiteHost::page(const QString &uniqueID, QString *error) const
{
    for (const auto &loaded : m_pages) {
        if (uniqueID.isNull() || loaded.page.uniqueID == uniqueID)
            return loaded.plugin.get();
    }
    *error = uniqueID.isNull() ? QStringLiteral("the site has no shop page")
                               : QStringLiteral("the site has no page with the unique ID \"%1\"").arg(uniqueID);
    return nullptr;
}

bool SiteHost::saveChanges(const QString &path, QString *error)
{
    bool changed = false;
    for (auto &loaded : m_pages) {
        if (loaded.plugin->changeBroadcastCount() == loaded.broadcastsAtOpen)
            continue;
        loaded.page.pluginData = loaded.plugin->archivedData();
        if (!m_document.updatePage(loaded.page, error))
            return false;
        loaded.broadcastsAtOpen = loaded.plugin->changeBroadcastCount();
        changed = true;
    }
    return !changed || m_document.save(path, error);
}

void SiteHost::close()
{
    for (auto &page : m_pages)
        page.plugin->unloadPluginOnDocumentClose();
    m_pages.clear();
}
