#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QWidget;
class StudioWindow;

// The studio application: one window per open document, the recent files
// and the settings every window shares.
class Studio : public QObject
{
    Q_OBJECT

public:
    explicit Studio(QObject *parent = nullptr);
    ~Studio() override;

    // The organisation and application names under which settings are kept.
    static void setApplicationNames();
    // The studio's icon, drawn in every size it ships.
    static QIcon applicationIcon();

    // A window with a new, unsaved site.
    StudioWindow *newDocument();
    // The window of the document at path: the one already open, or a new
    // one. Null when it cannot be read; the author is told why, in front of
    // errorParent.
    StudioWindow *openFile(const QString &path, QWidget *errorParent = nullptr);
    // Asks the author to choose a site to open.
    StudioWindow *openWithDialog(QWidget *parent);

    QList<StudioWindow *> windows() const;
    StudioWindow *windowFor(const QString &path) const;

    static constexpr int MaxRecentFiles = 8;
    QStringList recentFiles() const;
    void noteRecentFile(const QString &path);
    void clearRecentFiles();

    // Closes every window, each asking about its unsaved changes; false
    // when the author cancelled one, which keeps the rest open.
    bool closeAll();

Q_SIGNALS:
    void recentFilesChanged();

private:
    StudioWindow *adopt(StudioWindow *window);

    QList<QPointer<StudioWindow>> m_windows;
};
