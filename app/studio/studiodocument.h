#pragma once

#include "sitehost.h"

#include <QObject>
#include <QString>

// One open site document in the studio: its file, its pages with their
// plug-ins, and whether it has changes not yet saved. A page's change
// broadcast marks the document changed; a successful save clears the mark.
class StudioDocument : public QObject
{
    Q_OBJECT

public:
    explicit StudioDocument(QObject *parent = nullptr);
    ~StudioDocument() override;

    // A new site: one shop page, no file yet.
    void createNew();
    // False with *error naming the file and the reason; nothing is opened then.
    [[nodiscard]] bool open(const QString &path, QString *error);
    // Writes atomically to path and makes it the document's file; on failure
    // the file on disk and the document are as they were.
    [[nodiscard]] bool saveAs(const QString &path, QString *error);

    QString filePath() const { return m_path; }
    // The file's name, or "Untitled" before the first save.
    QString displayName() const;
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    SiteHost &site() { return m_site; }
    const SiteHost &site() const { return m_site; }
    int pageCount() const { return int(m_site.pages().size()); }
    const SiteHost::LoadedPage &page(int index) const { return m_site.pages()[size_t(index)]; }

    // Page edits; each marks the document changed.
    [[nodiscard]] int addShopPage();  // index of the new page
    void removePage(int index);
    void movePage(int from, int to);
    [[nodiscard]] bool setPageInfo(int index, const QString &title, const QString &location, const QString &fileName,
                                   QString *error);

Q_SIGNALS:
    void modifiedChanged(bool modified);
    void filePathChanged(const QString &path);
    void pagesChanged();
    // The page's plug-in broadcast a change.
    void pageContentChanged(int index);

private:
    void watch(TillboxPlugin *plugin);

    SiteHost m_site;
    QString m_path;
    bool m_modified = false;
};
