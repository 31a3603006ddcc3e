#pragma once

#include "host/rwdocument.h"
#include "host/sitedocument.h"

#include <QString>
#include <memory>
#include <vector>

class TillboxPlugin;

// The command-line host: a site document opened the way the desktop host
// opens it, every shop page loaded into this one process, in order.
class SiteHost
{
public:
    struct LoadedPage
    {
        SitePage page;
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
    SiteDocument m_document;
    RWDocument m_hostDocument;
    std::vector<LoadedPage> m_pages;
};
