#pragma once

#include "sitehost.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

// One open site document in the studio: its file, its pages with their
// plug-ins, the undo stack its page editors share, and whether it has changes
// not yet saved. Edits made through the undo stack count as unsaved until the
// stack returns to where it was saved; any other change (a page added, a
// change broadcast that no undo step made) counts until the next save.
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
    // true: a change outside the undo stack; false: saved (the stack's
    // current state becomes the saved one).
    void setModified(bool modified);

    QUndoStack *undoStack() { return &m_undoStack; }

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
    void updateModified();

    SiteHost m_site;
    QString m_path;
    QUndoStack m_undoStack;
    bool m_changedOutsideStack = false;
    bool m_modified = false;
};
