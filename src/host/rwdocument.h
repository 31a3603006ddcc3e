#pragma once

#include "host/rwpage.h"

#include <QString>
#include <memory>
#include <vector>

// An open site document: its pages, in order. Plug-ins find pages through it.
class RWDocument
{
public:
    explicit RWDocument(const QString &siteName = QString());

    const QString &siteName() const { return m_siteName; }
    // The new page is owned by the document.
    RWPage *addPage(const QString &uniqueID, const QString &title, const QString &location,
                    const QString &fileName);
    const std::vector<std::unique_ptr<RWPage>> &pages() const { return m_pages; }
    RWPage *pageFromUniqueID(const QString &uniqueID) const;
    // Deletes the page; its plug-in must not use it any more.
    void removePage(const QString &uniqueID);

private:
    QString m_siteName;
    std::vector<std::unique_ptr<RWPage>> m_pages;
};
