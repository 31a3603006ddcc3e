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
        place(page, plugin);
    }
    return true;
}

void SiteHost::place(const SitePage &page, std::shared_ptr<TillboxPlugin> plugin)
{
    RWPage *hostPage = m_hostDocument.addPage(page.uniqueID, page.title, page.location, page.fileName);
    hostPage->setPlugin(plugin.get());
    plugin->setHostPage(&m_hostDocument, hostPage);
    m_pages.push_back(LoadedPage{page, hostPage, plugin, plugin->changeBroadcastCount()});
}

bool SiteHost::addPage(const SitePage &page, std::shared_ptr<TillboxPlugin> plugin, QString *error)
{
    if (!m_document.addPage(page, error))
        return false;
    place(page, plugin ? std::move(plugin) : std::make_shared<TillboxPlugin>());
    return true;
}

void SiteHost::removePage(int index)
{
    if (index < 0 || index >= int(m_pages.size()))
        return;
    LoadedPage &loaded = m_pages[index];
    loaded.plugin->unloadPluginOnDocumentClose();
    loaded.plugin->setHostPage(nullptr, nullptr);
    (void)m_document.removePage(loaded.page.uniqueID);
    m_hostDocument.removePage(loaded.page.uniqueID);
    m_pages.erase(m_pages.begin() + index);
}

void SiteHost::movePage(int from, int to)
{
    const int count = int(m_pages.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    LoadedPage moved = std::move(m_pages[from]);
    m_pages.erase(m_pages.begin() + from);
    m_pages.insert(m_pages.begin() + to, std::move(moved));
    // The document keeps the same order, for saveChanges().
    for (const LoadedPage &loaded : m_pages) {
        const std::optional<SitePage> stored = m_document.pageFromUniqueID(loaded.page.uniqueID);
        (void)m_document.removePage(loaded.page.uniqueID);
        (void)m_document.addPage(stored.value_or(loaded.page));
    }
}

bool SiteHost::setPageInfo(int index, const QString &title, const QString &location, const QString &fileName,
                           QString *error)
{
    if (index < 0 || index >= int(m_pages.size()))
        return false;
    LoadedPage &loaded = m_pages[index];
    SitePage page = loaded.page;
    page.title = title;
    page.location = location;
    page.fileName = fileName;
    if (!m_document.updatePage(page, error))
        return false;
    loaded.page = page;
    loaded.hostPage->setInfo(title, location, fileName);
    return true;
}

bool SiteHost::save(const QString &path, QString *error) const
{
    SiteDocument document;
    document.setSiteName(m_document.siteName());
    for (const LoadedPage &loaded : m_pages) {
        SitePage page = loaded.page;
        page.pluginData = loaded.plugin->archivedData();
        if (!document.addPage(page, error))
            return false;
    }
    return document.save(path, error);
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
