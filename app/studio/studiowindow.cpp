#include "studiowindow.h"

#include "alertrelay.h"
#include "dialoghooks.h"
#include "previewpane.h"
#include "siteexport.h"
#include "siteexportjob.h"
#include "studio.h"
#include "studiodocument.h"

#include "editor/shopeditor.h"
#include "exchange/cataloguecsv.h"
#include "exchange/ferrulesync.h"
#include "exchange/productimageexport.h"
#include "exchange/shopclipboard.h"
#include "export/pagesnapshot.h"
#include "host/bundle.h"
#include "host/ferruleplugin.h"
#include "host/rwhost.h"
#include "plugin/tillboxplugin.h"
#include "plugin/weblinks.h"
#include "util/atomicfile.h"

#include <QAction>
#include <QUndoStack>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>

namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kStateKey = QStringLiteral("window/state");
const QString kSplitterKey = QStringLiteral("window/splitter");
const QString kExportFolderKey = QStringLiteral("lastExportFolder");
const QString kCsvFileKey = QStringLiteral("lastCatalogueCsv");
const QString kImagesFolderKey = QStringLiteral("lastImagesFolder");
const QString kFerruleCatalogueKey = QStringLiteral("ferrule/catalogue");

StudioWindow::EditorFactory &editorFactory()
{
    static StudioWindow::EditorFactory factory = [](TillboxPlugin &plugin, AlertRelay *alerts, QUndoStack *undo) {
        auto editor = std::make_unique<ShopEditor>(plugin, undo);
        QPointer<AlertRelay> relay(alerts);
        editor->setAlertHandler([relay](const QStringList &alert) {
            if (relay)
                relay->runAlert(alert);
        });
        return std::unique_ptr<PluginEditor>(std::move(editor));
    };
    return factory;
}

QString quoted(const QString &text)
{
    return QStringLiteral("\u201c%1\u201d").arg(text);
}

bool isSiteFile(const QUrl &url)
{
    return url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".tillbox"), Qt::CaseInsensitive);
}

} // namespace

void StudioWindow::setEditorFactory(EditorFactory factory)
{
    editorFactory() = std::move(factory);
}

StudioWindow::StudioWindow(Studio &studio, std::unique_ptr<StudioDocument> document)
    : m_studio(studio), m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setWindowIcon(Studio::applicationIcon());
    m_alerts = new AlertRelay(this);

    buildActions();
    auto *splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("mainSplitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildPagesPanel());

    m_tabs = new QTabWidget(splitter);
    m_tabs->setAccessibleName(QStringLiteral("Page views"));
    m_editorSlot = new QStackedWidget(m_tabs);
    m_editorSlot->setAccessibleName(QStringLiteral("Page editor"));
    m_noPage = new QLabel(QStringLiteral("Add a shop page to start."), m_editorSlot);
    m_noPage->setAlignment(Qt::AlignCenter);
    m_editorSlot->addWidget(m_noPage);
    m_preview = new PreviewPane(m_tabs);
    m_tabs->addTab(m_editorSlot, QStringLiteral("&Editor"));
    m_tabs->addTab(m_preview, QStringLiteral("Pre&view"));
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 1000});
    setCentralWidget(splitter);
    buildMenus();
    statusBar();

    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(600);
    connect(m_previewTimer, &QTimer::timeout, this, &StudioWindow::refreshPreview);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_preview)
            refreshPreview();
    });
    connect(m_preview, &PreviewPane::reloadRequested, this, &StudioWindow::refreshPreview);

    connect(m_document.get(), &StudioDocument::modifiedChanged, this, &StudioWindow::updateTitle);
    connect(m_document.get(), &StudioDocument::filePathChanged, this, &StudioWindow::updateTitle);
    connect(m_document.get(), &StudioDocument::pagesChanged, this, &StudioWindow::reloadPageList);
    connect(m_document.get(), &StudioDocument::pageContentChanged, this, &StudioWindow::onPageContentChanged);
    connect(&m_studio, &Studio::recentFilesChanged, this, &StudioWindow::updateRecentMenu);

    const QSettings settings;
    resize(1280, 800);
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    restoreState(settings.value(kStateKey).toByteArray());
    splitter->restoreState(settings.value(kSplitterKey).toByteArray());

    reloadPageList();
    updateTitle();
    updateRecentMenu();
    if (m_document->pageCount() > 0)
        selectPage(0);
}

StudioWindow::~StudioWindow()
{
    m_exportJob.reset();
    if (TillboxPlugin *shown = m_shownPlugin)
        shown->pluginWasDeselected();
    // Editors go before the pages they edit; the document unloads the pages.
    for (auto &[plugin, editor] : m_editors)
        plugin->setEditor(nullptr);
    m_editors.clear();
    m_document.reset();
}

// --- Building -----------------------------------------------------------------------

void StudioWindow::buildActions()
{
    auto make = [this](const QString &name, const QString &text, QKeySequence shortcut, auto slot) {
        auto *action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    make(QStringLiteral("new"), QStringLiteral("&New Site"), QKeySequence::New, [this] { m_studio.newDocument(); });
    make(QStringLiteral("open"), QStringLiteral("&Open\u2026"), QKeySequence::Open,
         [this] { m_studio.openWithDialog(this); });
    make(QStringLiteral("save"), QStringLiteral("&Save"), QKeySequence::Save, [this] { save(); });
    make(QStringLiteral("saveAs"), QStringLiteral("Save &As\u2026"), QKeySequence::SaveAs, [this] { saveAs(); });
    make(QStringLiteral("exportSite"), QStringLiteral("&Export Site\u2026"), QKeySequence(Qt::CTRL | Qt::Key_E),
         [this] { exportSite(); });
    make(QStringLiteral("close"), QStringLiteral("&Close"), QKeySequence::Close, [this] { close(); });
    make(QStringLiteral("quit"), QStringLiteral("&Quit"), QKeySequence::Quit, [this] {
        if (m_studio.closeAll())
            QCoreApplication::quit();
    });
    make(QStringLiteral("addPage"), QStringLiteral("&Add Shop Page"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
         [this] { addPage(); });
    make(QStringLiteral("removePage"), QStringLiteral("&Remove Page\u2026"), QKeySequence(),
         [this] { removePage(); });
    make(QStringLiteral("moveUp"), QStringLiteral("Move Page &Up"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up),
         [this] { movePage(-1); });
    make(QStringLiteral("moveDown"), QStringLiteral("Move Page &Down"),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down), [this] { movePage(1); });
    make(QStringLiteral("pageOptions"), QStringLiteral("Page &Options\u2026"), QKeySequence(), [this] {
        if (TillboxPlugin *plugin = selectedPlugin())
            plugin->broadcastPluginSettingsRequest();
    });
    make(QStringLiteral("showEditor"), QStringLiteral("&Editor"), QKeySequence(Qt::CTRL | Qt::Key_1),
         [this] { m_tabs->setCurrentWidget(m_editorSlot); });
    make(QStringLiteral("showPreview"), QStringLiteral("&Preview"), QKeySequence(Qt::CTRL | Qt::Key_2),
         [this] { showPreview(); });
    make(QStringLiteral("reloadPreview"), QStringLiteral("&Reload Preview"), QKeySequence::Refresh,
         [this] { showPreview(); });
    make(QStringLiteral("documentation"), QStringLiteral("Tillbox &Documentation"), QKeySequence::HelpContents,
         [] { QDesktopServices::openUrl(QUrl(TBXDocumentationURL)); });
    make(QStringLiteral("ejunkie"), QStringLiteral("Open an &E-junkie Seller Account"), QKeySequence(),
         [] { QDesktopServices::openUrl(QUrl(TBXEjunkieTrialURL)); });
    make(QStringLiteral("sisow"), QStringLiteral("Sign Up as a &Sisow Merchant"), QKeySequence(),
         [] { QDesktopServices::openUrl(QUrl(TBXSisowRegistrationURL)); });
    make(QStringLiteral("about"), QStringLiteral("&About Tillbox Studio"), QKeySequence(), [this] { showAbout(); });
    buildExchangeActions();
}

void StudioWindow::buildExchangeActions()
{
    auto make = [this](const char *name, const QString &text, const QString &tip, auto slot) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(tip);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    make("exportCatalogueCsv", QStringLiteral("Export Catalogue as &CSV\u2026"),
         QStringLiteral("Save every product of the open shop pages as comma-separated text"),
         [this] { exportCatalogueCsv(); });
    make("exportProductImages", QStringLiteral("Export Product &Images\u2026"),
         QStringLiteral("Save every product's picture into a folder"), [this] { exportProductImages(); });
    make("syncFerrule", QStringLiteral("S&ync from Ferrule\u2026"),
         QStringLiteral("Take the products of the Ferrule catalogue over into this page"),
         [this] { syncFromFerrule(false); });
    make("chooseFerrule", QStringLiteral("Choose Ferrule Catalo&gue\u2026"),
         QStringLiteral("Choose another Ferrule catalogue, then sync from it"), [this] { syncFromFerrule(true); });
    make("copyShopTexts", QStringLiteral("Copy Shop &Texts"),
         QStringLiteral("Copy this page's shopper texts to the clipboard"), [this] { copyToClipboard(false); });
    make("pasteShopTexts", QStringLiteral("Paste Shop Te&xts"),
         QStringLiteral("Take the copied shopper texts over into this page"), [this] { pasteFromClipboard(false); });
    make("copyShopSettings", QStringLiteral("Copy Shop &Settings"),
         QStringLiteral("Copy this page's shop settings to the clipboard"), [this] { copyToClipboard(true); });
    make("pasteShopSettings", QStringLiteral("Paste Shop Setti&ngs"),
         QStringLiteral("Replace this page's shop settings by the copied ones"), [this] { pasteFromClipboard(true); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &StudioWindow::updateExchangeActions);
}

QAction *StudioWindow::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName, Qt::FindDirectChildrenOnly);
}

void StudioWindow::buildMenus()
{
    auto add = [this](QMenu *menu, const char *name) { menu->addAction(action(QString::fromLatin1(name))); };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, "new");
    add(file, "open");
    m_recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    file->addSeparator();
    add(file, "save");
    add(file, "saveAs");
    file->addSeparator();
    add(file, "exportSite");
    file->addSeparator();
    add(file, "close");
    add(file, "quit");

    // Undo and redo of every edit made in the page editors.
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction *undo = m_document->undoStack()->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction *redo = m_document->undoStack()->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("redo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);

    m_pageMenu = menuBar()->addMenu(QStringLiteral("&Page"));
    add(m_pageMenu, "addPage");
    add(m_pageMenu, "removePage");
    add(m_pageMenu, "moveUp");
    add(m_pageMenu, "moveDown");
    m_pageMenu->addSeparator();
    add(m_pageMenu, "pageOptions");
    m_pageMenu->addSeparator();
    add(m_pageMenu, "exportCatalogueCsv");
    add(m_pageMenu, "exportProductImages");
    m_pageMenu->addSeparator();
    add(m_pageMenu, "syncFerrule");
    add(m_pageMenu, "chooseFerrule");
    m_pageMenu->addSeparator();
    add(m_pageMenu, "copyShopTexts");
    add(m_pageMenu, "pasteShopTexts");
    add(m_pageMenu, "copyShopSettings");
    add(m_pageMenu, "pasteShopSettings");

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    add(view, "showEditor");
    add(view, "showPreview");
    add(view, "reloadPreview");

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, "documentation");
    help->addSeparator();
    add(help, "ejunkie");
    add(help, "sisow");
    help->addSeparator();
    add(help, "about");
}

QWidget *StudioWindow::buildPagesPanel()
{
    auto *panel = new QWidget(this);
    panel->setAccessibleName(QStringLiteral("Pages panel"));
    auto *heading = new QLabel(QStringLiteral("&Pages"), panel);
    m_pageList = new QListWidget(panel);
    m_pageList->setAccessibleName(QStringLiteral("Pages"));
    m_pageList->setAccessibleDescription(QStringLiteral("The site's shop pages, in order"));
    heading->setBuddy(m_pageList);

    auto button = [panel](const QString &text, const QString &name, const QString &tip) {
        auto *b = new QPushButton(text, panel);
        b->setAccessibleName(name);
        b->setToolTip(tip);
        return b;
    };
    m_addPage = button(QStringLiteral("Add"), QStringLiteral("Add shop page"), QStringLiteral("Add a shop page"));
    m_removePage = button(QStringLiteral("Remove"), QStringLiteral("Remove page"),
                          QStringLiteral("Remove the selected page"));
    m_moveUp = button(QStringLiteral("Up"), QStringLiteral("Move page up"), QStringLiteral("Move the page up"));
    m_moveDown = button(QStringLiteral("Down"), QStringLiteral("Move page down"),
                        QStringLiteral("Move the page down"));
    connect(m_addPage, &QPushButton::clicked, this, &StudioWindow::addPage);
    connect(m_removePage, &QPushButton::clicked, this, &StudioWindow::removePage);
    connect(m_moveUp, &QPushButton::clicked, this, [this] { movePage(-1); });
    connect(m_moveDown, &QPushButton::clicked, this, [this] { movePage(1); });
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_addPage, m_removePage, m_moveUp, m_moveDown})
        buttons->addWidget(b);

    auto line = [panel](const QString &name) {
        auto *edit = new QLineEdit(panel);
        edit->setAccessibleName(name);
        return edit;
    };
    m_titleEdit = line(QStringLiteral("Page title"));
    m_folderEdit = line(QStringLiteral("Page folder"));
    m_folderEdit->setPlaceholderText(QStringLiteral("site root"));
    m_folderEdit->setToolTip(QStringLiteral("The folder below the site's root that holds the page, such as shop/sale"));
    m_fileNameEdit = line(QStringLiteral("Page file name"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Title:"), m_titleEdit);
    form->addRow(QStringLiteral("&Folder:"), m_folderEdit);
    form->addRow(QStringLiteral("File &name:"), m_fileNameEdit);
    for (QLineEdit *edit : {m_titleEdit, m_folderEdit, m_fileNameEdit})
        connect(edit, &QLineEdit::editingFinished, this, &StudioWindow::applyPageInfo);

    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(heading);
    layout->addWidget(m_pageList, 1);
    layout->addLayout(buttons);
    layout->addLayout(form);
    panel->setMinimumWidth(240);

    setTabOrder(m_pageList, m_addPage);
    setTabOrder(m_addPage, m_removePage);
    setTabOrder(m_removePage, m_moveUp);
    setTabOrder(m_moveUp, m_moveDown);
    setTabOrder(m_moveDown, m_titleEdit);
    setTabOrder(m_titleEdit, m_folderEdit);
    setTabOrder(m_folderEdit, m_fileNameEdit);

    connect(m_pageList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_reloadingList)
            onPageSelected(row);
    });
    return panel;
}

// --- Title, recent files, pages list ------------------------------------------------

void StudioWindow::updateTitle()
{
    setWindowTitle(QStringLiteral("%1[*] \u2014 Tillbox Studio").arg(m_document->displayName()));
    setWindowModified(m_document->isModified());
    setWindowFilePath(m_document->filePath());
}

void StudioWindow::updateRecentMenu()
{
    m_recentMenu->clear();
    const QStringList files = m_studio.recentFiles();
    for (const QString &path : files) {
        QAction *open = m_recentMenu->addAction(QFileInfo(path).fileName());
        open->setToolTip(path);
        open->setStatusTip(QDir::toNativeSeparators(path));
        connect(open, &QAction::triggered, this, [this, path] { m_studio.openFile(path, this); });
    }
    if (!files.isEmpty())
        m_recentMenu->addSeparator();
    QAction *clear = m_recentMenu->addAction(QStringLiteral("&Clear Menu"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, &m_studio, &Studio::clearRecentFiles);
}

void StudioWindow::reloadPageList()
{
    // Selection follows the page, not the row, across a reload.
    TillboxPlugin *keep = m_shownPlugin;
    m_reloadingList = true;
    m_pageList->clear();
    int keepRow = -1;
    for (int i = 0; i < m_document->pageCount(); ++i) {
        const SitePage &page = m_document->page(i).page;
        const QString where = page.location.isEmpty() ? page.fileName : page.location + QLatin1Char('/') + page.fileName;
        auto *item = new QListWidgetItem(QStringLiteral("%1\n%2").arg(page.title, where), m_pageList);
        item->setData(Qt::AccessibleTextRole, page.title);
        if (m_document->page(i).plugin.get() == keep)
            keepRow = i;
    }
    m_reloadingList = false;
    const bool hasPages = m_document->pageCount() > 0;
    for (QWidget *w : std::initializer_list<QWidget *>{m_removePage, m_titleEdit, m_folderEdit, m_fileNameEdit})
        w->setEnabled(hasPages);
    action(QStringLiteral("removePage"))->setEnabled(hasPages);
    action(QStringLiteral("pageOptions"))->setEnabled(hasPages);
    if (keepRow >= 0) {
        m_reloadingList = true;
        m_pageList->setCurrentRow(keepRow);
        m_reloadingList = false;
        showPageInfo();
    } else {
        onPageSelected(hasPages ? 0 : -1);
        if (hasPages) {
            m_reloadingList = true;
            m_pageList->setCurrentRow(0);
            m_reloadingList = false;
        }
    }
    const int row = m_pageList->currentRow();
    m_moveUp->setEnabled(row > 0);
    m_moveDown->setEnabled(row >= 0 && row + 1 < m_document->pageCount());
    action(QStringLiteral("moveUp"))->setEnabled(m_moveUp->isEnabled());
    action(QStringLiteral("moveDown"))->setEnabled(m_moveDown->isEnabled());
}

void StudioWindow::showPageInfo()
{
    const int index = selectedPage();
    const SitePage page = index >= 0 ? m_document->page(index).page : SitePage{};
    m_titleEdit->setText(index >= 0 ? page.title : QString());
    m_folderEdit->setText(index >= 0 ? page.location : QString());
    m_fileNameEdit->setText(index >= 0 ? page.fileName : QString());
}

void StudioWindow::applyPageInfo()
{
    const int index = selectedPage();
    if (index < 0)
        return;
    QString error;
    if (!m_document->setPageInfo(index, m_titleEdit->text(), m_folderEdit->text().trimmed(),
                                 m_fileNameEdit->text().trimmed(), &error)) {
        showPageInfo();
        DialogHooks::current().error(this, QStringLiteral("Cannot Rename the Page"), error);
    }
}

int StudioWindow::selectedPage() const
{
    for (int i = 0; i < m_document->pageCount(); ++i)
        if (m_document->page(i).plugin.get() == m_shownPlugin)
            return i;
    return -1;
}

TillboxPlugin *StudioWindow::selectedPlugin() const
{
    return m_shownPlugin;
}

void StudioWindow::selectPage(int index)
{
    m_pageList->setCurrentRow(index);
}

PluginEditor *StudioWindow::editorFor(TillboxPlugin &plugin)
{
    auto it = m_editors.find(&plugin);
    if (it != m_editors.end())
        return it->second.get();
    std::unique_ptr<PluginEditor> editor = editorFactory()(plugin, m_alerts, m_document->undoStack());
    PluginEditor *raw = editor.get();
    m_editors.emplace(&plugin, std::move(editor));
    plugin.setEditor(raw);
    connect(&plugin, &RWAbstractPlugin::pluginSettingsRequested, this, [this, p = &plugin] {
        if (p == m_shownPlugin)
            showOptions();
    });
    return raw;
}

void StudioWindow::dropEditor(TillboxPlugin *plugin)
{
    auto it = m_editors.find(plugin);
    if (it == m_editors.end())
        return;
    plugin->setEditor(nullptr);
    disconnect(plugin, nullptr, this, nullptr);
    m_editors.erase(it);
    // A page added later may take this address; it must warn afresh.
    m_warned.erase(plugin);
}

void StudioWindow::onPageSelected(int index)
{
    TillboxPlugin *next = index >= 0 && index < m_document->pageCount() ? m_document->page(index).plugin.get() : nullptr;
    if (next != m_shownPlugin) {
        // The host's order: the page left hears first, then the page chosen
        // is selected (its export-version check) and asked for its view.
        if (m_shownPlugin)
            m_shownPlugin->pluginWasDeselected();
        m_shownPlugin = next;
        if (next) {
            editorFor(*next);
            next->pluginWasSelected();
            QWidget *view = qobject_cast<QWidget *>(next->userInteractionAndEditingView());
            if (view) {
                if (m_editorSlot->indexOf(view) < 0)
                    m_editorSlot->addWidget(view);
                m_editorSlot->setCurrentWidget(view);
            } else {
                m_noPage->setText(QStringLiteral("This page has no editor."));
                m_editorSlot->setCurrentWidget(m_noPage);
            }
        } else {
            m_noPage->setText(QStringLiteral("Add a shop page to start."));
            m_editorSlot->setCurrentWidget(m_noPage);
        }
    }
    showPageInfo();
    const int row = selectedPage();
    m_moveUp->setEnabled(row > 0);
    m_moveDown->setEnabled(row >= 0 && row + 1 < m_document->pageCount());
    action(QStringLiteral("moveUp"))->setEnabled(m_moveUp->isEnabled());
    action(QStringLiteral("moveDown"))->setEnabled(m_moveDown->isEnabled());
    updateExchangeActions();
    if (m_tabs && m_tabs->currentWidget() == m_preview)
        refreshPreview();
}

void StudioWindow::onPageContentChanged(int index)
{
    if (index == selectedPage() && m_tabs->currentWidget() == m_preview)
        m_previewTimer->start();
}

void StudioWindow::addPage()
{
    const int index = m_document->addShopPage();
    if (index >= 0)
        selectPage(index);
}

void StudioWindow::removePage()
{
    const int index = selectedPage();
    if (index < 0)
        return;
    const SitePage &page = m_document->page(index).page;
    const qsizetype products = m_document->page(index).plugin->products().size();
    if (!DialogHooks::current().confirm(
            this, QStringLiteral("Remove Page"),
            QStringLiteral("Remove the page %1 and its %2 products from the site?").arg(quoted(page.title)).arg(products)))
        return;
    TillboxPlugin *plugin = m_document->page(index).plugin.get();
    plugin->pluginWasDeselected();
    m_shownPlugin = nullptr;
    dropEditor(plugin);
    m_document->removePage(index);
    if (m_document->pageCount() > 0)
        selectPage(std::min(index, m_document->pageCount() - 1));
}

void StudioWindow::movePage(int delta)
{
    const int index = selectedPage();
    if (index < 0)
        return;
    m_document->movePage(index, index + delta);
}

// --- Saving and closing --------------------------------------------------------------

bool StudioWindow::save()
{
    if (m_document->filePath().isEmpty())
        return saveAs();
    QString error;
    if (!m_document->saveAs(m_document->filePath(), &error)) {
        DialogHooks::current().error(this, QStringLiteral("Cannot Save the Site"),
                                     QStringLiteral("The site could not be saved; the file on disk is unchanged.\n\n%1")
                                         .arg(error));
        return false;
    }
    m_studio.noteRecentFile(m_document->filePath());
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(m_document->filePath())), 4000);
    return true;
}

bool StudioWindow::saveAs()
{
    QString suggested = m_document->filePath();
    if (suggested.isEmpty())
        suggested = QDir::home().filePath(QStringLiteral("Untitled.tillbox"));
    QString path = DialogHooks::current().saveFileName(this, suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".tillbox");
    QString error;
    if (!m_document->saveAs(path, &error)) {
        DialogHooks::current().error(this, QStringLiteral("Cannot Save the Site"),
                                     QStringLiteral("The site could not be saved as %1.\n\n%2")
                                         .arg(quoted(QDir::toNativeSeparators(path)), error));
        return false;
    }
    m_studio.noteRecentFile(m_document->filePath());
    return true;
}

bool StudioWindow::maybeSave()
{
    if (!m_document->isModified())
        return true;
    switch (DialogHooks::current().unsavedChanges(this, m_document->displayName())) {
    case QMessageBox::Save:
        return save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void StudioWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed || !maybeSave()) {
        event->setAccepted(m_closed);
        if (!m_closed)
            event->ignore();
        return;
    }
    m_closed = true;
    // The export reads only its snapshots, but its progress belongs here.
    if (m_exportJob) {
        m_exportJob->cancel();
        m_exportJob->wait();
        m_exportJob.reset();
    }
    saveWindowState();
    event->accept();
}

void StudioWindow::saveWindowState()
{
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kStateKey, saveState());
    if (auto *splitter = findChild<QSplitter *>(QStringLiteral("mainSplitter")))
        settings.setValue(kSplitterKey, splitter->saveState());
}

void StudioWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), isSiteFile))
        event->acceptProposedAction();
}

void StudioWindow::dropEvent(QDropEvent *event)
{
    for (const QUrl &url : event->mimeData()->urls())
        if (isSiteFile(url))
            m_studio.openFile(url.toLocalFile(), this);
    event->acceptProposedAction();
}

// --- Preview, options, about ---------------------------------------------------------

void StudioWindow::showPreview()
{
    if (m_tabs->currentWidget() == m_preview)
        refreshPreview();
    else
        m_tabs->setCurrentWidget(m_preview);
}

void StudioWindow::refreshPreview()
{
    m_previewTimer->stop();
    const int index = selectedPage();
    if (index < 0 || !m_previewFolder.isValid()) {
        m_preview->showPage(QUrl());
        return;
    }
    const SiteHost::LoadedPage &loaded = m_document->page(index);
    const QString site = m_previewFolder.filePath(QStringLiteral("site"));
    const SiteExport::PageResult result =
        SiteExport::exportPage(m_document->site().siteName(), loaded.page, *snapshotOf(*loaded.plugin), site, true);
    const QString pageFile = SiteExport::pageFilePath(loaded.page, site);
    if (!result.written.contains(pageFile)) {
        m_preview->showPage(QUrl());
        statusBar()->showMessage(QStringLiteral("The preview could not be written."), 6000);
        return;
    }
    m_preview->showPage(QUrl::fromLocalFile(pageFile));
    Q_EMIT previewExported(pageFile);
}

void StudioWindow::showOptions()
{
    std::unique_ptr<QDialog> dialog = makeOptionsDialog();
    if (!dialog)
        return;
    dialog->exec();
    releaseOptionsView(dialog.get());
}

std::unique_ptr<QDialog> StudioWindow::makeOptionsDialog()
{
    TillboxPlugin *plugin = m_shownPlugin;
    if (!plugin)
        return nullptr;
    auto dialog = std::make_unique<QDialog>(this);
    dialog->setWindowTitle(QStringLiteral("Options of %1").arg(quoted(m_document->page(selectedPage()).page.title)));
    auto *layout = new QVBoxLayout(dialog.get());
    QWidget *view = qobject_cast<QWidget *>(plugin->optionsAndConfigurationView());
    if (view) {
        layout->addWidget(view);
        view->show();
    } else {
        auto *none = new QLabel(QStringLiteral("This page has no options to set."), dialog.get());
        layout->addWidget(none);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog.get());
    connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

void StudioWindow::releaseOptionsView(QDialog *dialog)
{
    // The view belongs to the page's editor, which shows it again next time.
    for (QWidget *child : dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (m_shownPlugin && child == m_shownPlugin->optionsAndConfigurationView())
            child->setParent(nullptr);
    }
}

void StudioWindow::showAbout()
{
    const Bundle &bundle = TillboxPlugin::pluginBundle();
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("About Tillbox Studio"));
    box.setIconPixmap(Studio::applicationIcon().pixmap(64, 64));
    box.setText(QStringLiteral("<h3>Tillbox Studio %1</h3>").arg(QCoreApplication::applicationVersion()));
    box.setInformativeText(QStringLiteral("<p><b>%1</b> %2</p><p>%3</p><p>By %4</p>")
                               .arg(TillboxPlugin::pluginName().toHtmlEscaped(),
                                    bundle.infoValue(QStringLiteral("CFBundleShortVersionString")).toHtmlEscaped(),
                                    TillboxPlugin::pluginDescription().toHtmlEscaped(),
                                    TillboxPlugin::pluginAuthor().toHtmlEscaped()));
    box.exec();
}

// --- Export -------------------------------------------------------------------------

void StudioWindow::exportSite()
{
    if (m_document->pageCount() == 0 || isExporting())
        return;
    QSettings settings;
    const QString folder = DialogHooks::current().exportFolder(
        this, settings.value(kExportFolderKey, QDir::homePath()).toString());
    if (folder.isEmpty())
        return;
    settings.setValue(kExportFolderKey, folder);
    const QString outDir = QDir(folder).absolutePath();
    QString error;
    if (!SiteExport::prepareOutputFolder(outDir, &error)) {
        DialogHooks::current().error(this, QStringLiteral("Cannot Export the Site"), error);
        return;
    }

    // Each page is frozen here, on the GUI thread; the worker exports the
    // copies, so the author can go on editing meanwhile.
    QList<SiteExportJob::Page> pages;
    const QString siteName = m_document->site().siteName();
    for (int i = 0; i < m_document->pageCount(); ++i) {
        const SiteHost::LoadedPage &loaded = m_document->page(i);
        const SitePage page = loaded.page;
        std::shared_ptr<PageSnapshot> snapshot = snapshotOf(*loaded.plugin);
        pages.append({page.title, int(snapshot->exportProducts().size()),
                      [siteName, page, snapshot, outDir](const ExportFileSet::Progress &progress) {
                          return SiteExport::exportPage(siteName, page, *snapshot, outDir, false, progress);
                      }});
    }
    m_exportJob = std::make_unique<SiteExportJob>(std::move(pages), outDir);
    action(QStringLiteral("exportSite"))->setEnabled(false);

    auto *progress = new QProgressDialog(QStringLiteral("Exporting\u2026"), QStringLiteral("Cancel"), 0,
                                         std::max(m_exportJob->totalPictures(), 1), this);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setWindowTitle(QStringLiteral("Export Site"));
    progress->setMinimumDuration(0);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setAccessibleName(QStringLiteral("Export progress"));
    m_exportProgress = progress;
    connect(m_exportJob.get(), &SiteExportJob::progressed, progress,
            [this, progress](int page, int pages, const QString &title, int pictures, int total) {
                progress->setMaximum(std::max(total, 1));
                progress->setValue(pictures);
                progress->setLabelText(QStringLiteral("Page %1 of %2: %3\n%4 of %5 pictures")
                                           .arg(page + 1)
                                           .arg(pages)
                                           .arg(quoted(title))
                                           .arg(pictures)
                                           .arg(total));
                Q_EMIT exportProgressed(page, pages, pictures, total);
            });
    connect(progress, &QProgressDialog::canceled, m_exportJob.get(), &SiteExportJob::cancel);
    connect(m_exportJob.get(), &SiteExportJob::finished, this, &StudioWindow::finishExport);
    Q_EMIT exportStarted(m_exportJob.get());
    m_exportJob->start();
    progress->show();
}

void StudioWindow::finishExport()
{
    if (!m_exportJob)
        return;
    m_exportJob->wait();
    const SiteExportJob::Summary summary = m_exportJob->summary();
    m_exportJob.reset();
    if (m_exportProgress)
        m_exportProgress->close();
    action(QStringLiteral("exportSite"))->setEnabled(true);
    Q_EMIT exportFinished(summary.text());
    if (summary.failures.isEmpty())
        DialogHooks::current().information(this, QStringLiteral("Export Finished"), summary.text());
    else
        DialogHooks::current().error(this, QStringLiteral("Export Incomplete"), summary.text());
}

bool StudioWindow::isExporting() const
{
    return m_exportJob != nullptr;
}

std::shared_ptr<PageSnapshot> StudioWindow::snapshotOf(TillboxPlugin &plugin)
{
    // A folder of its own, so a preview and an export of the same page never
    // write each other's scratch files.
    const QString scratch = RWHost::scratchRoot() + QStringLiteral("/snapshot-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::shared_ptr<PageSnapshot> snapshot = plugin.exportSnapshot(scratch);
    // The missing-PHP warning comes with the first preview of a page, not
    // with every one: the preview follows each edit.
    std::shared_ptr<std::atomic<bool>> &warned = m_warned[&plugin];
    if (!warned)
        warned = std::make_shared<std::atomic<bool>>(false);
    snapshot->setAlertHandler([relay = m_alerts, warned](const QStringList &alert) {
        if (!warned->exchange(true))
            relay->runAlert(alert);
    });
    return snapshot;
}

// --- Catalogue exchange ----------------------------------------------------------------

void StudioWindow::updateExchangeActions()
{
    const bool page = m_shownPlugin != nullptr;
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    for (const char *name : {"exportCatalogueCsv", "exportProductImages", "syncFerrule", "chooseFerrule",
                             "copyShopTexts", "copyShopSettings"})
        action(QString::fromLatin1(name))->setEnabled(page);
    action(QStringLiteral("pasteShopTexts"))->setEnabled(page && ShopClipboard::canPasteLocalizableStrings(clipboard));
    action(QStringLiteral("pasteShopSettings"))->setEnabled(page && ShopClipboard::canPasteGlobalSettings(clipboard));
}

void StudioWindow::exportCatalogueCsv()
{
    QSettings settings;
    const QString suggested =
        settings.value(kCsvFileKey, QDir::home().filePath(m_document->site().siteName() + QStringLiteral(".csv")))
            .toString();
    const QString path = DialogHooks::current().csvFileName(this, suggested);
    if (path.isEmpty())
        return;
    settings.setValue(kCsvFileKey, path);
    QString error;
    if (!AtomicFile::writeText(path, CatalogueCsv::allProductsCSV(), &error)) {
        DialogHooks::current().error(this, QStringLiteral("Cannot Export the Catalogue"),
                                     QStringLiteral("The catalogue could not be saved as %1.\n\n%2")
                                         .arg(quoted(QDir::toNativeSeparators(path)), error));
        return;
    }
    statusBar()->showMessage(QStringLiteral("Catalogue saved as %1").arg(QDir::toNativeSeparators(path)), 4000);
}

void StudioWindow::exportProductImages()
{
    QSettings settings;
    const QString message =
        TillboxPlugin::pluginBundle().localizedString(QStringLiteral("ExportImagesDialogMessage"));
    const QString folder = DialogHooks::current().imagesFolder(
        this, message, settings.value(kImagesFolderKey, QDir::homePath()).toString());
    if (folder.isEmpty())
        return;
    settings.setValue(kImagesFolderKey, folder);
    QStringList problems;
    const ProductImageExport::Summary summary = ProductImageExport::exportProductImages(
        folder, [&problems](const QString &line) { problems << line; });
    const QString where = quoted(QDir::toNativeSeparators(QDir(folder).filePath(ProductImageExport::folderName())));
    if (problems.isEmpty()) {
        DialogHooks::current().information(
            this, QStringLiteral("Product Images Exported"),
            QStringLiteral("%1 pictures saved in %2.").arg(summary.written).arg(where));
        return;
    }
    // A long list is cut short: the first lines say what went wrong.
    constexpr int kShown = 10;
    QStringList shown = problems.mid(0, kShown);
    if (problems.size() > kShown)
        shown << QStringLiteral("\u2026 and %1 more").arg(problems.size() - kShown);
    DialogHooks::current().error(this, QStringLiteral("Product Images Incomplete"),
                                 QStringLiteral("%1 pictures saved in %2, %3 skipped:\n\n%4")
                                     .arg(summary.written)
                                     .arg(where)
                                     .arg(summary.skipped)
                                     .arg(shown.join(u'\n')));
}

void StudioWindow::syncFromFerrule(bool chooseCatalogue)
{
    TillboxPlugin *plugin = m_shownPlugin;
    if (!plugin)
        return;
    QSettings settings;
    QString path = settings.value(kFerruleCatalogueKey).toString();
    if (chooseCatalogue || path.isEmpty() || !QFileInfo::exists(path)) {
        path = DialogHooks::current().ferruleCatalogue(
            this, path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath());
        if (path.isEmpty())
            return;
        settings.setValue(kFerruleCatalogueKey, path);
    }
    QString error;
    if (!FerrulePlugin::registerCatalogue(path, &error)) {
        // The next sync asks for the file again rather than failing the same way.
        settings.remove(kFerruleCatalogueKey);
        DialogHooks::current().error(this, QStringLiteral("Cannot Read the Ferrule Catalogue"),
                                     QStringLiteral("%1\n\n%2").arg(quoted(QDir::toNativeSeparators(path)), error));
        return;
    }
    // The sync reports through the page's editor; the selected page has one,
    // and its alerts go through the window's relay.
    editorFor(*plugin);
    FerruleSync::syncFerruleProducts(*plugin);
}

void StudioWindow::copyToClipboard(bool settings)
{
    if (const TillboxPlugin *plugin = m_shownPlugin)
        QGuiApplication::clipboard()->setMimeData(settings ? ShopClipboard::copyGlobalSettings(*plugin).release()
                                                           : ShopClipboard::copyLocalizableStrings(*plugin).release());
}

void StudioWindow::pasteFromClipboard(bool settings)
{
    TillboxPlugin *plugin = m_shownPlugin;
    if (!plugin)
        return;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QString error;
    const bool pasted = settings ? ShopClipboard::pasteGlobalSettings(*plugin, data, &error)
                                 : ShopClipboard::pasteLocalizableStrings(*plugin, data, &error);
    if (!pasted)
        DialogHooks::current().error(
            this, settings ? QStringLiteral("Cannot Paste the Shop Settings") : QStringLiteral("Cannot Paste the Shop Texts"),
            QStringLiteral("Nothing was changed.\n\n%1").arg(error));
}
