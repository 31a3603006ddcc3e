#include "host/rwpage.h"

#include "host/rwabstractplugin.h"

RWPage::RWPage(const QString &uniqueID, const QString &title, const QString &location, const QString &fileName)
    : m_uniqueID(uniqueID), m_title(title), m_location(location), m_fileName(fileName)
{
}

void RWPage::setInfo(const QString &title, const QString &location, const QString &fileName)
{
    m_title = title;
    m_location = location;
    m_fileName = fileName;
}

RWPage *RWPageForPlugin(const RWAbstractPlugin *plugin)
{
    return plugin ? plugin->page() : nullptr;
}
