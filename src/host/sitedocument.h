#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One page of a site as the site document stores it.
struct SitePage
{
    QString uniqueID;
    QString title;                                // null when the page has none
    QString location;                             // folder below the site root; "" for the root
    QString fileName = QStringLiteral("index.html");
    QByteArray pluginData;                        // the page's keyed archive; null when none

    friend bool operator==(const SitePage &, const SitePage &) = default;
};

// The file that holds a site: a binary property list whose root dictionary
// has "SiteName" (the site folder's name) and "Pages", an array of page
// dictionaries ("UniqueID", "Title", "Location", "FileName", "PluginData").
//
// Saving is atomic: the new contents replace the file only once they are
// completely written, so a failed save leaves the old file as it was. A file
// that exists but cannot be read as a site document is never replaced, and a
// failed load leaves the document unchanged. Error texts name the file and
// the reason; for a damaged structure, the key and page at fault.
class SiteDocument
{
public:
    QString siteName() const { return m_siteName; }
    void setSiteName(const QString &name) { m_siteName = name; }

    const QList<SitePage> &pages() const { return m_pages; }
    std::optional<SitePage> pageFromUniqueID(const QString &uniqueID) const;

    // Adds a page at the end. Fails when its unique ID is empty or taken, or
    // when its location or file name would lead outside the site folder.
    [[nodiscard]] bool addPage(const SitePage &page, QString *error = nullptr);
    // Replaces the page with the same unique ID; the same checks as addPage.
    [[nodiscard]] bool updatePage(const SitePage &page, QString *error = nullptr);
    // False when no page has that ID.
    bool removePage(const QString &uniqueID);

    // A fresh unique ID for a page: a UUID without braces.
    static QString newUniqueID();

    [[nodiscard]] bool load(const QString &path, QString *error);
    [[nodiscard]] bool save(const QString &path, QString *error) const;
    // The same from and to the file's bytes, without a file (errors name no file).
    [[nodiscard]] bool loadData(const QByteArray &bytes, QString *error);
    QByteArray data() const;

    friend bool operator==(const SiteDocument &, const SiteDocument &) = default;

private:
    qsizetype indexOf(const QString &uniqueID) const;

    QString m_siteName;
    QList<SitePage> m_pages;
};
