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
    };

    SiteHost();
    ~SiteHost();

    // Loads the document and every page; false with *error naming the file
    // (and the page) that could not be read.
    [[nodiscard]] bool open(const QString &path, QString *error);

    const SiteDocument &document() const { return m_document; }
    const std::vector<LoadedPage> &pages() const { return m_pages; }

    // Closes the document: every page unloads, freeing its product IDs.
    void close();

private:
    SiteDocument m_document;
    RWDocument m_hostDocument;
    std::vector<LoadedPage> m_pages;
};
