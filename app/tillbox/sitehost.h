#pragma once

#include "host/rwdocument.h"
#include "host/sitedocument.h"

#include <QString>
#include <memory>
#include <vector>

class TillboxPlugin;

// A site document opened the way the desktop host opens it: every shop page
// loaded into this one process, in order. The command line reads it; the
// studio also adds, removes, reorders and renames pages and saves it back.
class SiteHost
{
public:
    struct LoadedPage
    {
        SitePage page;  // its plug-in data is what was loaded, not kept current
        RWPage *hostPage = nullptr;
        std::shared_ptr<TillboxPlugin> plugin;
        int broadcastsAtOpen = 0;
    };

    SiteHost();
    ~SiteHost();

    // Loads the document and every page; false with *error naming the file
    // (and the page) that could not be read.
    [[nodiscard]] bool open(const QString &path, QString *error);

    const SiteDocument &document() const { return m_document; }
    const std::vector<LoadedPage> &pages() const { return m_pages; }

    QString siteName() const { return m_document.siteName(); }
    void setSiteName(const QString &name) { m_document.setSiteName(name); }

    // Adds a page at the end, run by plugin (a fresh page when null). False
    // with *error when the page's unique ID, folder or file name is refused.
    [[nodiscard]] bool addPage(const SitePage &page, std::shared_ptr<TillboxPlugin> plugin, QString *error);
    // Unloads the page's plug-in and drops the page.
    void removePage(int index);
    void movePage(int from, int to);
    // New title, folder and file name for the page at index (its unique ID
    // stays); the same checks as addPage.
    [[nodiscard]] bool setPageInfo(int index, const QString &title, const QString &location,
                                   const QString &fileName, QString *error);

    // Archives every page and writes the document atomically: on failure the
    // file on disk stays as it was.
    [[nodiscard]] bool save(const QString &path, QString *error) const;

    // The page with that unique ID, or the first page for a null ID; null,
    // with *error, when there is no such page.
    TillboxPlugin *page(const QString &uniqueID, QString *error) const;

    // Stores every page that marked itself changed since open() back into
    // the document and saves it to path atomically. Nothing changed: the
    // file is left alone.
    [[nodiscard]] bool saveChanges(const QString &path, QString *error);

    // Closes the document: every page unloads, freeing its product IDs.
    void close();

private:
    void place(const SitePage &page, std::shared_ptr<TillboxPlugin> plugin);

    SiteDocument m_document;
    RWDocument m_hostDocument;
    std::vector<LoadedPage> m_pages;
};
