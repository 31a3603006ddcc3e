#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>

#include "siteexportjob.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>

class AlertRelay;
class PageSnapshot;
class PluginEditor;
class QDialog;
class QUndoStack;
class PreviewPane;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class SiteExportJob;
class Studio;
class StudioDocument;
class TillboxPlugin;

// The window of one site document: the pages list beside the selected
// page's editor and its preview, and the menus that act on the document.
class StudioWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Makes the editor that a page's plug-in hands the window as its view.
    using EditorFactory = std::function<std::unique_ptr<PluginEditor>(TillboxPlugin &, AlertRelay *, QUndoStack *)>;
    static void setEditorFactory(EditorFactory factory);

    StudioWindow(Studio &studio, std::unique_ptr<StudioDocument> document);
    ~StudioWindow() override;

    StudioDocument &document() const { return *m_document; }
    // False once the window has agreed to close.
    bool isOpen() const { return !m_closed; }

    // -1 when no page is selected.
    int selectedPage() const;
    void selectPage(int index);

    // The document's commands; false when the author cancelled or it failed.
    bool save();
    bool saveAs();
    void showPreview();
    void refreshPreview();
    void exportSite();
    void showOptions();
    // The dialog that shows the selected page's options view; null without a
    // page. Give it back with releaseOptionsView() before deleting it.
    std::unique_ptr<QDialog> makeOptionsDialog();
    void releaseOptionsView(QDialog *dialog);
    // True while the site's export runs.
    bool isExporting() const;

    QListWidget *pageList() const { return m_pageList; }
    QTabWidget *tabs() const { return m_tabs; }
    QStackedWidget *editorSlot() const { return m_editorSlot; }
    PreviewPane *preview() const { return m_preview; }
    QLineEdit *titleEdit() const { return m_titleEdit; }
    QLineEdit *folderEdit() const { return m_folderEdit; }
    QLineEdit *fileNameEdit() const { return m_fileNameEdit; }
    QPushButton *addPageButton() const { return m_addPage; }
    QPushButton *removePageButton() const { return m_removePage; }
    QPushButton *moveUpButton() const { return m_moveUp; }
    QPushButton *moveDownButton() const { return m_moveDown; }
    QMenu *pageMenu() const { return m_pageMenu; }
    QAction *action(const QString &objectName) const;

Q_SIGNALS:
    void previewExported(const QString &pageFile);
    // Pictures done so far over all pages, while the site exports.
    void exportProgressed(int page, int pages, int pictures, int totalPictures);
    void exportFinished(const QString &summary);
    // The export's worker is about to start; tests reach it here.
    void exportStarted(SiteExportJob *job);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildActions();
    void buildMenus();
    QWidget *buildPagesPanel();
    void updateTitle();
    void updateRecentMenu();
    void reloadPageList();
    void showPageInfo();
    void applyPageInfo();
    void onPageSelected(int index);
    void onPageContentChanged(int index);
    void addPage();
    void removePage();
    void movePage(int delta);
    bool maybeSave();
    void saveWindowState();
    void showAbout();
    // The catalogue exchange of the Page menu.
    void buildExchangeActions();
    void exportCatalogueCsv();
    void exportProductImages();
    void syncFromFerrule(bool chooseCatalogue);
    void copyToClipboard(bool settings);
    void pasteFromClipboard(bool settings);
    void updateExchangeActions();
    PluginEditor *editorFor(TillboxPlugin &plugin);
    void dropEditor(TillboxPlugin *plugin);
    TillboxPlugin *selectedPlugin() const;
    void finishExport();
    // A frozen copy of the page for one export, alerts going to the author.
    std::shared_ptr<PageSnapshot> snapshotOf(TillboxPlugin &plugin);

    Studio &m_studio;
    std::unique_ptr<StudioDocument> m_document;
    AlertRelay *m_alerts = nullptr;
    std::map<TillboxPlugin *, std::unique_ptr<PluginEditor>> m_editors;
    TillboxPlugin *m_shownPlugin = nullptr;
    QTemporaryDir m_previewFolder;
    QTimer *m_previewTimer = nullptr;
    std::map<TillboxPlugin *, std::shared_ptr<std::atomic<bool>>> m_warned;
    std::unique_ptr<SiteExportJob> m_exportJob;
    QPointer<QWidget> m_exportProgress;
    bool m_closed = false;
    bool m_reloadingList = false;

    QListWidget *m_pageList = nullptr;
    QPushButton *m_addPage = nullptr;
    QPushButton *m_removePage = nullptr;
    QPushButton *m_moveUp = nullptr;
    QPushButton *m_moveDown = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    QLineEdit *m_folderEdit = nullptr;
    QLineEdit *m_fileNameEdit = nullptr;
    QTabWidget *m_tabs = nullptr;
    QStackedWidget *m_editorSlot = nullptr;
    QLabel *m_noPage = nullptr;
    PreviewPane *m_preview = nullptr;
    QMenu *m_recentMenu = nullptr;
    QMenu *m_pageMenu = nullptr;
};
