#pragma once

#include <QString>

class RWAbstractPlugin;
class RWDocument;

// A page of a site document as the host shows it to its plug-in.
class RWPage
{
public:
    RWPage(const QString &uniqueID, const QString &title, const QString &location, const QString &fileName);

    const QString &uniqueID() const { return m_uniqueID; }
    const QString &title() const { return m_title; }
    // The page's folder below the site root ("" for the root, "shop/sale").
    const QString &location() const { return m_location; }
    const QString &fileName() const { return m_fileName; }
    // The author renamed the page or moved it to another folder.
    void setInfo(const QString &title, const QString &location, const QString &fileName);

    RWAbstractPlugin *plugin() const { return m_plugin; }
    void setPlugin(RWAbstractPlugin *plugin) { m_plugin = plugin; }

private:
    QString m_uniqueID;
    QString m_title;
    QString m_location;
    QString m_fileName;
    RWAbstractPlugin *m_plugin = nullptr;
};

// The page that holds plugin; null for a plug-in the host has not placed.
RWPage *RWPageForPlugin(const RWAbstractPlugin *plugin);
