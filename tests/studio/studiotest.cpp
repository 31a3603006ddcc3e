#include "support/testsupport.h"

#include "alertrelay.h"
#include "dialoghooks.h"
#include "previewpane.h"
#include "siteexportjob.h"
#include "studio.h"
#include "studiodocument.h"
#include "studiowindow.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/shopeditorview.h"
#include "exchange/ferrulesync.h"
#include "exchange/shopclipboard.h"
#include "host/bundle.h"
#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QStackedWidget>
#include <QEventLoop>
#include <QFile>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QListWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Every file below root, by path relative to it, with its bytes.
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), testsupport::readFile(path));
    }
    return files;
}

// One studio on a copy of the demo shop, with every dialog answered by the
// test and every answer recorded.
class StudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        site = dir.filePath(QStringLiteral("demo.tillbox"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TILLBOX_SOURCE_DIR "/demo/demo-shop.tillbox"), site));
        QFile::setPermissions(site, QFile::ReadOwner | QFile::WriteOwner);
        DialogHooks &hooks = DialogHooks::current();
        hooks.unsavedChanges = [this](QWidget *, const QString &) {
            ++questions;
            return answer;
        };
        hooks.confirm = [this](QWidget *, const QString &, const QString &) { return confirmAnswer; };
        hooks.error = [this](QWidget *, const QString &, const QString &text) { errors << text; };
        hooks.information = [this](QWidget *, const QString &, const QString &text) { messages << text; };
        hooks.alert = [this](QWidget *, const QStringList &alert) {
            alerts << alert;
            alertThreads << QThread::currentThread();
        };
        hooks.saveFileName = [this](QWidget *, const QString &) { return saveAsPath; };
        hooks.exportFolder = [this](QWidget *, const QString &) { return exportPath; };
        hooks.csvFileName = [this](QWidget *, const QString &) { return exportPath; };
        hooks.ferruleCatalogue = [this](QWidget *, const QString &) {
            ++questions;
            return exportPath;
        };
        window = studio.openFile(site);
        ASSERT_NE(window, nullptr);
        // The demo page is first selected here; its version check may mark it.
        window->document().setModified(false);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    void TearDown() override
    {
        answer = QMessageBox::Discard;
        studio.closeAll();
        DialogHooks::current() = DialogHooks::standard();
        QTest::qWait(1);
    }

    // What the command-line program writes to its output.
    static QByteArray runCli(const QStringList &arguments)
    {
        QProcess cli;
        cli.start(QStringLiteral(TILLBOX_CLI), arguments);
        EXPECT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return cli.readAllStandardOutput();
    }

    TillboxPlugin &plugin(int page = 0) { return *window->document().page(page).plugin; }

    // An edit as the editor makes it: a settings field through the plug-in.
    void edit() { plugin().globalSettings()->setCartWidth(plugin().globalSettings()->cartWidth() + 1); }

    QTemporaryDir dir;
    QString site;
    Studio studio;
    StudioWindow *window = nullptr;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    bool confirmAnswer = true;
    int questions = 0;
    QStringList errors, messages;
    QList<QStringList> alerts;
    QList<QThread *> alertThreads;
    QString saveAsPath, exportPath;
};

} // namespace

// Undo and redo run through the Edit menu on the document's stack: undoing
// back to the saved state takes the unsaved mark away, unless something the
// stack does not track changed as well. What was saved is what reopens.
TEST_F(StudioTest, UndoAndSaveSetTheUnsavedMarkAndTheSavedEditReopens)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("demo.tillbox[*] \u2014 Tillbox Studio"));
    auto *view = window->findChild<ShopEditorView *>();
    ASSERT_NE(view, nullptr);
    QLineEdit cartID;
    view->context().settings().bind(&cartID, QStringLiteral("cartID"));
    QAction *undo = window->action(QStringLiteral("undo"));
    QAction *redo = window->action(QStringLiteral("redo"));

    cartID.setText(QStringLiteral("spring-cart"));
    Q_EMIT cartID.editingFinished();
    EXPECT_TRUE(window->isWindowModified());
    undo->trigger();
    EXPECT_FALSE(window->isWindowModified());
    redo->trigger();
    EXPECT_TRUE(window->isWindowModified());

    window->action(QStringLiteral("save"))->trigger();
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(studio.recentFiles().value(0), QFileInfo(site).absoluteFilePath());
    undo->trigger();
    EXPECT_TRUE(window->isWindowModified()) << "the file holds the redone value";
    redo->trigger();
    EXPECT_FALSE(window->isWindowModified());

    edit();
    undo->trigger();
    EXPECT_TRUE(window->isWindowModified()) << "the change outside the stack is still unsaved";

    answer = QMessageBox::Discard;
    ASSERT_TRUE(window->close());
    QTest::qWait(1);
    window = studio.openFile(site);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(plugin().globalSettings()->cartID(), QStringLiteral("spring-cart"));
}

TEST_F(StudioTest, ClosingWithChangesDoesWhatTheAnswerSays)
{
    struct Case
    {
        QMessageBox::StandardButton answer;
        bool closes;
        bool fileChanges;
    };
    for (const Case c : {Case{QMessageBox::Cancel, false, false}, Case{QMessageBox::Discard, true, false},
                         Case{QMessageBox::Save, true, true}}) {
        SCOPED_TRACE(int(c.answer));
        if (!window || !window->isOpen())
            window = studio.openFile(site);
        ASSERT_NE(window, nullptr);
        const QByteArray before = testsupport::readFile(site);
        edit();
        answer = c.answer;
        questions = 0;
        EXPECT_EQ(window->close(), c.closes);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(testsupport::readFile(site) != before, c.fileChanges);
        if (!c.closes) {
            EXPECT_TRUE(window->isWindowModified());
        }
        QTest::qWait(1);
    }
    window = nullptr;
}

TEST_F(StudioTest, DamagedDocumentAndFailedSaveAsLoseNothing)
{
    // A damaged document opens nothing, names the file and stays as it was.
    const QString damaged = dir.filePath(QStringLiteral("damaged.tillbox"));
    QByteArray bytes = testsupport::readFile(site);
    bytes.truncate(bytes.size() / 2);
    testsupport::writeFile(damaged, bytes);
    const int windows = int(studio.windows().size());
    EXPECT_EQ(studio.openFile(damaged), nullptr);
    EXPECT_EQ(studio.windows().size(), windows);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(damaged)) << errors[0].toStdString();
    EXPECT_EQ(testsupport::readFile(damaged), bytes);

    // Save As where no file can be made: a message, the document still
    // changed and still saved to its own file, which is untouched.
    const QByteArray before = testsupport::readFile(site);
    edit();
    saveAsPath = site + QStringLiteral("/inside-a-file.tillbox");
    EXPECT_FALSE(window->saveAs());
    EXPECT_EQ(errors.size(), 2);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->document().filePath(), QFileInfo(site).absoluteFilePath());
    EXPECT_EQ(testsupport::readFile(site), before);
}

TEST_F(StudioTest, PagesAreAddedRenamedMovedAndRemovedThroughTheList)
{
    QAbstractItemModelTester tester(window->pageList()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const int pages = window->document().pageCount();
    QTest::mouseClick(window->addPageButton(), Qt::LeftButton);
    ASSERT_EQ(window->document().pageCount(), pages + 1);
    EXPECT_EQ(window->selectedPage(), pages);
    EXPECT_TRUE(window->isWindowModified());
    // The new page was selected the host's way: its version check ran.
    EXPECT_EQ(plugin(pages).currentExportVersion(),
              TillboxPlugin::pluginBundle().infoValue(QStringLiteral("QMVXExportVersion")));
    // Its editor is whatever the plug-in handed the window.
    EXPECT_EQ(window->editorSlot()->currentWidget(), plugin(pages).userInteractionAndEditingView());

    window->titleEdit()->setText(QStringLiteral("Sale"));
    window->folderEdit()->setText(QStringLiteral("shop/sale"));
    Q_EMIT window->folderEdit()->editingFinished();
    EXPECT_EQ(window->document().page(pages).page.title, QStringLiteral("Sale"));
    EXPECT_EQ(window->document().page(pages).page.location, QStringLiteral("shop/sale"));
    // A folder that climbs out of the site is refused and the old one shown.
    window->folderEdit()->setText(QStringLiteral("../outside"));
    Q_EMIT window->folderEdit()->editingFinished();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(window->folderEdit()->text(), QStringLiteral("shop/sale"));

    TillboxPlugin *sale = &plugin(pages);
    QTest::mouseClick(window->moveUpButton(), Qt::LeftButton);
    EXPECT_EQ(&plugin(pages - 1), sale);
    EXPECT_EQ(window->selectedPage(), pages - 1);

    confirmAnswer = false;
    QTest::mouseClick(window->removePageButton(), Qt::LeftButton);
    EXPECT_EQ(window->document().pageCount(), pages + 1);
    confirmAnswer = true;
    QTest::mouseClick(window->removePageButton(), Qt::LeftButton);
    EXPECT_EQ(window->document().pageCount(), pages);
    EXPECT_NE(&plugin(0), sale);
}

TEST_F(StudioTest, ExportEqualsTheCommandLineAndCancelReportsOnlyWholeFiles)
{
    // Two pages, so a cancel after the first leaves the second unwritten.
    QTest::mouseClick(window->addPageButton(), Qt::LeftButton);
    window->folderEdit()->setText(QStringLiteral("second"));
    Q_EMIT window->folderEdit()->editingFinished();
    window->action(QStringLiteral("save"))->trigger();

    const QString byCli = dir.filePath(QStringLiteral("cli"));
    runCli({QStringLiteral("-q"), QStringLiteral("export"), site, byCli});

    exportPath = dir.filePath(QStringLiteral("studio"));
    QString summary;
    QObject::connect(window, &StudioWindow::exportFinished, window, [&](const QString &text) { summary = text; });
    window->exportSite();
    // The author goes on editing; the export has its own copy of the pages.
    ASSERT_TRUE(window->isExporting());
    const int width = plugin().globalSettings()->cartWidth();
    const QString name = plugin().products().first()->name();
    edit();
    plugin().products().first()->setName(QStringLiteral("Renamed while exporting"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isExporting(); }, 30000));
    plugin().globalSettings()->setCartWidth(width);
    plugin().products().first()->setName(name);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    const auto expected = tree(byCli);
    EXPECT_EQ(tree(exportPath), expected);
    EXPECT_TRUE(summary.contains(QStringLiteral("pages were exported"))) << summary.toStdString();

    exportPath = dir.filePath(QStringLiteral("cancelled"));
    // Cancelled from the worker as the first page starts, so the second
    // never does.
    auto cancel = QObject::connect(window, &StudioWindow::exportStarted, window, [](SiteExportJob *job) {
        QObject::connect(job, &SiteExportJob::progressed, job, [job] { job->cancel(); }, Qt::DirectConnection);
    });
    window->exportSite();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isExporting(); }, 30000));
    QObject::disconnect(cancel);
    EXPECT_TRUE(summary.contains(QStringLiteral("cancelled after 1 of 2 pages"))) << summary.toStdString();
    const auto partial = tree(exportPath);
    EXPECT_LT(partial.size(), expected.size());
    // Each page's own files are whole; the shared folder holds the last
    // page's order mailer, so it is compared in the full export only.
    for (auto it = partial.cbegin(); it != partial.cend(); ++it)
        if (!it.key().startsWith(QLatin1String("rw_common/"))) {
            EXPECT_EQ(it.value(), expected.value(it.key())) << it.key().toStdString();
        }
    EXPECT_FALSE(partial.contains(QStringLiteral("second/index.html")));

    // A picture that cannot be written is named by page and product, and
    // its path is given inside the site.
    exportPath = dir.filePath(QStringLiteral("blocked"));
    const QString picture = QDir(exportPath).filePath(QStringLiteral("shop/index_files/0_bag_harbour.jpg"));
    ASSERT_TRUE(expected.contains(QStringLiteral("shop/index_files/0_bag_harbour.jpg")));
    ASSERT_TRUE(QDir().mkpath(picture));
    window->exportSite();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isExporting(); }, 30000));
    ASSERT_EQ(errors.size(), 1);
    const QString product = plugin().products().first()->name();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Page \u201cShop\u201d, product \u201c%1\u201d: ").arg(product)))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral(": cannot write shop/index_files/0_bag_harbour.jpg")))
        << errors[0].toStdString();
}

TEST_F(StudioTest, PreviewLoadsInTheWebViewAndWarnsOnlyOnce)
{
    plugin().globalSettings()->setWarnAboutMissingPHP(true);
    plugin().globalSettings()->setEnableDirectOrder(true);
    bool loaded = false;
    QObject::connect(window->preview(), &PreviewPane::loadFinished, window, [&](bool ok) { loaded = ok; });
    QTest::keyClick(window, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentWidget(), window->preview());
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 30000));
    QString title;
    window->preview()->view()->page()->runJavaScript(QStringLiteral("document.querySelectorAll('.content').length"),
                                                     [&](const QVariant &v) { title = v.toString(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 30000));
    EXPECT_EQ(title, QStringLiteral("1"));

    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].value(0), TillboxPlugin::pluginBundle().localizedString(QStringLiteral("PHPWarningTitle")));
    QTest::mouseClick(window->preview()->reloadButton(), Qt::LeftButton);
    EXPECT_EQ(alerts.size(), 1);
}

TEST_F(StudioTest, AlertsFromAnotherThreadWaitForTheAuthorOnTheGuiThread)
{
    AlertRelay relay(window);
    std::atomic<bool> returned = false;
    std::thread worker([&] {
        relay.runAlert({QStringLiteral("Title"), QStringLiteral("100 % sure"), QStringLiteral("OK")});
        returned = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 10000));
    worker.join();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alertThreads[0], QThread::currentThread());
    EXPECT_EQ(alerts[0].value(1), QStringLiteral("100 % sure"));
}

TEST_F(StudioTest, EveryControlIsNamedAndTheWindowFitsTheSmallScreen)
{
    const auto controls = window->findChildren<QWidget *>();
    for (QWidget *w : controls) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QListWidget *>(w) || qobject_cast<QTabWidget *>(w) || qobject_cast<QWebEngineView *>(w);
        if (control && w->isVisibleTo(window) && w->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className() << " "
                                                        << qPrintable(w->objectName());
        }
    }
    // Tab order through the pages panel follows the panel from top to bottom.
    QTest::mouseClick(window->addPageButton(), Qt::LeftButton);
    window->selectPage(0);
    QWidget *w = window->pageList();
    for (QWidget *next : std::initializer_list<QWidget *>{window->addPageButton(), window->removePageButton(),
                                                          window->moveDownButton(), window->titleEdit(),
                                                          window->folderEdit(), window->fileNameEdit()}) {
        w = w->nextInFocusChain();
        while (!w->isEnabled() || w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        EXPECT_EQ(w, next) << qPrintable(next->accessibleName());
    }
    EXPECT_LE(window->minimumSizeHint().width(), 1280);
    EXPECT_LE(window->minimumSizeHint().height(), 770);
    const QSize before = window->editorSlot()->size();
    window->resize(1600, 1000);
    QTest::qWait(10);
    EXPECT_GT(window->editorSlot()->width(), before.width());
}

TEST_F(StudioTest, ADroppedSiteOpensInAWindowOfItsOwnOnce)
{
    const QString other = dir.filePath(QStringLiteral("other.tillbox"));
    ASSERT_TRUE(QFile::copy(site, other));
    auto dragAndDrop = [this](const QString &path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
    };
    dragAndDrop(other);
    dragAndDrop(other);
    dragAndDrop(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_EQ(studio.windows().size(), 2) << errors.join(u'\n').toStdString();
    EXPECT_NE(studio.windowFor(QFileInfo(other).absoluteFilePath()), window);
    EXPECT_EQ(studio.recentFiles().value(0), QFileInfo(other).absoluteFilePath());
}

TEST_F(StudioTest, PageMenuExchangesTheCatalogueAndTheShopSettings)
{
    auto trigger = [this](const char *name) { window->action(QString::fromLatin1(name))->trigger(); };
    auto enabled = [this](const char *name) { return window->action(QString::fromLatin1(name))->isEnabled(); };

    // The catalogue as the command line writes it, byte for byte.
    const QByteArray csv = runCli({QStringLiteral("csv"), site});
    exportPath = dir.filePath(QStringLiteral("catalogue.csv"));
    trigger("exportCatalogueCsv");
    EXPECT_EQ(testsupport::readFile(exportPath), csv);
    // A file that cannot be made is named in the message.
    exportPath = site + QStringLiteral("/inside-a-file.csv");
    trigger("exportCatalogueCsv");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("inside-a-file.csv"))) << errors[0].toStdString();
    errors.clear();

    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("plain text"));
    EXPECT_FALSE(enabled("pasteShopTexts"));
    EXPECT_FALSE(enabled("pasteShopSettings"));

    // Settings copied from page A and pasted into a new page B.
    TillboxPlugin &a = plugin();
    edit();
    trigger("copyShopSettings");
    EXPECT_TRUE(enabled("pasteShopSettings"));
    EXPECT_FALSE(enabled("pasteShopTexts"));
    QTest::mouseClick(window->addPageButton(), Qt::LeftButton);
    TillboxPlugin &b = plugin(window->selectedPage());
    ASSERT_NE(&a, &b);
    EXPECT_TRUE(enabled("pasteShopSettings")) << "still offered after the page changed";
    window->document().setModified(false);
    trigger("pasteShopSettings");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(ShopClipboard::encodeGlobalSettings(*b.globalSettings()),
              ShopClipboard::encodeGlobalSettings(*a.globalSettings()));
    EXPECT_TRUE(window->isWindowModified());

    // Damaged settings change nothing and say so.
    auto damaged = std::make_unique<QMimeData>();
    damaged->setData(ShopClipboard::globalSettingsType(), QByteArray("not an archive"));
    clipboard->setMimeData(damaged.release());
    window->document().setModified(false);
    const auto settings = b.globalSettings();
    trigger("pasteShopSettings");
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(b.globalSettings(), settings);
    EXPECT_FALSE(window->isWindowModified());

    // The Ferrule catalogue is asked for once: the second sync updates in
    // place what the first added.
    exportPath = QStringLiteral(TILLBOX_SOURCE_DIR "/demo/ferrule-catalogue.json");
    questions = 0;
    const qsizetype products = b.products().size();
    trigger("syncFerrule");
    trigger("syncFerrule");
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(b.products().size(), products + 3);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].value(0), TillboxPlugin::pluginBundle().localizedString(QStringLiteral("SyncResult")));
    EXPECT_EQ(alerts[0].value(1), FerruleSync::resultMessage(3, 0));
    EXPECT_EQ(alerts[1].value(1), FerruleSync::resultMessage(0, 3));
    EXPECT_TRUE(window->isWindowModified());
}
