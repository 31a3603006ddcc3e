#include "host/rwdocument.h"

RWDocument::RWDocument(const QString &siteName) : m_siteName(siteName) {}

RWPage *RWDocument::addPage(const QString &uniqueID, const QString &title, const QString &location,
                            const QString &fileName)
{
    m_pages.push_back(std::make_unique<RWPage>(uniqueID, title, location, fileName));
    return m_pages.back().get();
}

void RWDocument::removePage(const QString &uniqueID)
{
    std::erase_if(m_pages, [&uniqueID](const auto &page) { return page->uniqueID() == uniqueID; });
}

RWPage *RWDocument::pageFromUniqueID(const QString &uniqueID) const
{
    for (const auto &page : m_pages)
        if (page->uniqueID() == uniqueID)
            return page.get();
    return nullptr;
}
