#include "screenshottour.h"

#include "dialoghooks.h"
#include "editor/localpageserver.h"
#include "editor/newspanel.h"
#include "previewpane.h"
#include "studio.h"
#include "studiodocument.h"
#include "studiowindow.h"

#include "editor/productlistpane.h"
#include "editor/producttablemodel.h"
#include "editor/shopeditorview.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTabWidget>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kTitleBar = 30;

void settle(int milliseconds = 100)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits for a signal, at most timeout milliseconds; true when it came.
template <typename Sender, typename Signal>
bool waitFor(Sender *sender, Signal signal, int timeout)
{
    QEventLoop loop;
    bool arrived = false;
    auto connection = QObject::connect(sender, signal, &loop, [&] {
        arrived = true;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return arrived;
}

class Shooter
{
public:
    explicit Shooter(const QString &folder) : m_folder(folder) {}

    void save(const QString &name, const QPixmap &picture)
    {
        const QString path = QDir(m_folder).filePath(name);
        if (picture.save(path, "PNG")) {
            m_written << path;
        } else {
            m_failed = true;
            QTextStream(stderr) << "tillbox-studio: cannot write " << path << '\n';
        }
    }
    bool failed() const { return m_failed; }
    const QStringList &written() const { return m_written; }

private:
    QString m_folder;
    QStringList m_written;
    bool m_failed = false;
};

// A file name for a shot of the editor: the next number, then what it shows.
QString editorShotName(int &number, const QString &what)
{
    QString name = what.toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    return QStringLiteral("%1-editor-%2.png").arg(number++, 2, 10, QLatin1Char('0')).arg(name.remove(QLatin1Char('&')));
}

// The shop editor of the shown page: each section and product page, then the
// page's options dialog tab by tab, each checkout back-end's page and the
// sheets that open from it.
void shootEditor(StudioWindow *window, Shooter &shooter, int &number)
{
    auto *view = window->findChild<ShopEditorView *>();
    if (!view)
        return;
    window->tabs()->setCurrentIndex(0);
    view->mainTabView()->setCurrentIndex(0);
    view->handlePluginToolbarClick(0);
    const QStringList pages = {QStringLiteral("product general"), QStringLiteral("product description"),
                               QStringLiteral("product pricing"), QStringLiteral("product options")};
    for (int page = 0; page < pages.size(); ++page) {
        view->handleProductToolbarClick(page);
        settle(150);
        shooter.save(editorShotName(number, pages[page]), ScreenshotTour::compose(window));
    }
    view->handleProductToolbarClick(0);
    // The product table narrowed by its search field to the second product's first word.
    if (ProductListPane *list = view->productList(); list->model()->rowCount() > 1) {
        list->searchField()->setText(list->model()->index(1, 0).data().toString().section(QLatin1Char(' '), 0, 0));
        settle(150);
        shooter.save(editorShotName(number, QStringLiteral("product search")), ScreenshotTour::compose(window));
        list->searchField()->clear();
    }
    for (const auto &[section, what] : {std::pair(1, QStringLiteral("shipping")), std::pair(2, QStringLiteral("header footer"))}) {
        view->handlePluginToolbarClick(section);
        settle(150);
        shooter.save(editorShotName(number, what), ScreenshotTour::compose(window));
    }
    view->handlePluginToolbarClick(0);

    std::unique_ptr<QDialog> dialog = window->makeOptionsDialog();
    if (!dialog)
        return;
    dialog->show();
    settle(150);
    auto *tabs = dialog->findChild<QTabWidget *>();
    for (int tab = 0; tabs && tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        settle(100);
        shooter.save(editorShotName(number, QStringLiteral("options ") + tabs->tabText(tab)),
                     ScreenshotTour::compose(window, dialog.get()));
        auto *checkouts = tabs->widget(tab)->findChild<QComboBox *>(QStringLiteral("checkoutPopUpButton"));
        for (int item = 1; checkouts && item < checkouts->count(); ++item) {
            checkouts->setCurrentIndex(item);
            Q_EMIT checkouts->activated(item);
            settle(100);
            shooter.save(editorShotName(number, QStringLiteral("checkout ") + checkouts->itemText(item)),
                         ScreenshotTour::compose(window, dialog.get()));
        }
        if (checkouts) {
            checkouts->setCurrentIndex(0);
            Q_EMIT checkouts->activated(0);
        }
    }
    for (const char *sheetName : {"smtpOptionWindow", "directOrderCustomizationWindow"}) {
        auto *sheet = dialog->findChild<QDialog *>(QLatin1String(sheetName));
        if (!sheet)
            sheet = window->findChild<QDialog *>(QLatin1String(sheetName));
        if (!sheet)
            continue;
        sheet->show();
        settle(150);
        shooter.save(editorShotName(number, QLatin1String(sheetName)), ScreenshotTour::compose(window, sheet));
        sheet->hide();
    }
    dialog->hide();
    window->releaseOptionsView(dialog.get());
}

// The editor's news tab showing a notice from a feed served on this machine;
// nothing when the editor has no news tab.
void shootNews(StudioWindow *window, Shooter &shooter, int &number)
{
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("mainTabView"));
    auto *panel = tabs ? tabs->findChild<NewsPanel *>() : nullptr;
    if (!panel)
        return;
    LocalPageServer server;
    QFile notice(QStringLiteral(":/tour/news-notice.html"));
    if (!notice.open(QIODevice::ReadOnly))
        return;
    server.setPage(QStringLiteral("/notice.html"), notice.readAll());
    server.setPage(QStringLiteral("/feed.json"),
                   QStringLiteral(R"([{"displayURL": "%1", "openURL": "%1"}])")
                       .arg(server.url(QStringLiteral("/notice.html")).toString())
                       .toUtf8(),
                   "application/json");
    window->tabs()->setCurrentIndex(0);
    NewsFeed::shared().setBaseFeedURL(server.url(QStringLiteral("/feed.json")));
    NewsFeed::shared().checkFeed();
    if (waitFor(panel, &NewsPanel::webViewIsLoadingChanged, 10000) && panel->webViewIsLoading())
        waitFor(panel, &NewsPanel::webViewIsLoadingChanged, 30000);
    settle(500);
    shooter.save(editorShotName(number, QStringLiteral("news")), ScreenshotTour::compose(window));
    NewsFeed::shared().setBaseFeedURL(QUrl());
    tabs->setCurrentIndex(0);
}

} // namespace

QString ScreenshotTour::demoShopPath()
{
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tillbox/demo/demo-shop.tillbox");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).absoluteFilePath();
    const QString source = QStringLiteral(TILLBOX_SOURCE_DIR "/demo/demo-shop.tillbox");
    return QFileInfo::exists(source) ? source : QString();
}

QPixmap ScreenshotTour::compose(QWidget *window, QWidget *dialog)
{
    QPixmap shot(kWidth, kHeight);
    shot.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter painter(&shot);
    // The window manager's title bar, so the title and its unsaved mark show.
    painter.fillRect(0, 0, kWidth, kTitleBar, QColor(0x2b, 0x30, 0x36));
    painter.setPen(Qt::white);
    QString title = window->windowTitle();
    title.replace(QLatin1String("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
    painter.drawText(QRect(0, 0, kWidth, kTitleBar), Qt::AlignCenter, title);
    painter.drawPixmap(0, kTitleBar, window->grab());
    if (dialog) {
        painter.fillRect(0, kTitleBar, kWidth, kHeight - kTitleBar, QColor(0, 0, 0, 70));
        dialog->adjustSize();
        const QPixmap face = dialog->grab();
        // The dialog with its own title bar.
        const int bar = 26;
        const QPoint at((kWidth - face.width()) / 2, (kHeight - face.height()) / 3);
        const QRect frame(at - QPoint(0, bar), QSize(face.width(), face.height() + bar));
        painter.fillRect(frame.translated(4, 6), QColor(0, 0, 0, 60));
        painter.fillRect(QRect(frame.topLeft(), QSize(frame.width(), bar)), QColor(0x3a, 0x40, 0x47));
        painter.setPen(Qt::white);
        painter.drawText(QRect(frame.topLeft(), QSize(frame.width(), bar)), Qt::AlignCenter, dialog->windowTitle());
        painter.drawPixmap(at, face);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(frame.adjusted(-1, -1, 0, 0));
    }
    return shot;
}

int ScreenshotTour::run(const QString &folder, const QString &site)
{
    QTextStream err(stderr);
    const QString sitePath = site.isEmpty() ? demoShopPath() : site;
    if (sitePath.isEmpty()) {
        err << "tillbox-studio: the demo shop was not found; name a site to open\n";
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        err << "tillbox-studio: cannot create " << folder << '\n';
        return 1;
    }
    // The tour must not touch the author's recent files or window layout.
    QTemporaryDir scratch;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.filePath(QStringLiteral("settings")));
    // Nor fetch the makers' news: the news shot serves its own.
    qputenv("TILLBOX_FEED_URL", "");
    DialogHooks &hooks = DialogHooks::current();
    const DialogHooks real = hooks;

    Studio studio;
    StudioWindow *window = studio.openFile(sitePath);
    if (!window) {
        err << "tillbox-studio: cannot open " << sitePath << '\n';
        return 1;
    }
    window->setGeometry(0, 0, kWidth, kHeight - kTitleBar);
    window->show();
    window->selectPage(0);
    settle(300);
    Shooter shooter(folder);
    shooter.save(QStringLiteral("01-document.png"), compose(window));

    // The first preview of a shop that takes coupons or e-mail orders warns
    // that they need PHP.
    hooks.alert = [&](QWidget *parent, const QStringList &alert) {
        QMessageBox box(QMessageBox::Information, alert.value(0), alert.value(0), QMessageBox::NoButton, parent);
        box.setInformativeText(alert.value(1));
        box.addButton(alert.value(2), QMessageBox::AcceptRole);
        box.show();
        settle(50);
        shooter.save(QStringLiteral("02-preview-warning.png"), compose(window, &box));
    };
    window->showPreview();
    waitFor(window->preview(), &PreviewPane::loadFinished, 30000);
    settle(1500);
    shooter.save(QStringLiteral("03-preview.png"), compose(window));
    window->tabs()->setCurrentIndex(0);

    // Export: the progress half-way through the pictures, then the summary.
    hooks.exportFolder = [&](QWidget *, const QString &) { return scratch.filePath(QStringLiteral("Website")); };
    bool progressShot = false;
    QObject::connect(window, &StudioWindow::exportProgressed, window,
                     [&](int, int, int pictures, int total) {
                         if (progressShot || pictures * 2 < total)
                             return;
                         progressShot = true;
                         settle(50);
                         auto dialogs = window->findChildren<QProgressDialog *>();
                         shooter.save(QStringLiteral("04-export-progress.png"),
                                      compose(window, dialogs.isEmpty() ? nullptr : dialogs.first()));
                     });
    auto summary = [&](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
        box.show();
        settle(50);
        shooter.save(QStringLiteral("05-export-summary.png"), compose(window, &box));
    };
    hooks.information = summary;
    hooks.error = summary;
    const bool hasPages = window->document().pageCount() > 0;
    window->exportSite();
    if (window->isExporting())
        waitFor(window, &StudioWindow::exportFinished, 120000);
    if (!progressShot && hasPages)
        err << "tillbox-studio: the export showed no progress to capture\n";
    hooks.error = real.error;
    hooks.information = real.information;

    // The Page menu, open under its title in the menu bar.
    if (QMenu *menu = window->pageMenu()) {
        const QRect title = window->menuBar()->actionGeometry(menu->menuAction());
        menu->popup(window->menuBar()->mapToGlobal(title.bottomLeft()));
        settle(100);
        QPixmap shot = compose(window);
        QPainter painter(&shot);
        const QPoint at = window->menuBar()->mapTo(window, title.bottomLeft()) + QPoint(0, kTitleBar);
        painter.fillRect(QRect(at, menu->size()).translated(3, 4), QColor(0, 0, 0, 50));
        painter.drawPixmap(at, menu->grab());
        painter.end();
        shooter.save(QStringLiteral("06-page-menu.png"), shot);
        menu->hide();
    }

    int number = 8;
    shootEditor(window, shooter, number);
    shootNews(window, shooter, number);

    // An edit, then closing: the unsaved-changes question.
    window->titleEdit()->setText(window->titleEdit()->text() + QStringLiteral(" (new season)"));
    Q_EMIT window->titleEdit()->editingFinished();
    settle(100);
    hooks.unsavedChanges = [&](QWidget *parent, const QString &name) {
        std::unique_ptr<QMessageBox> box(DialogHooks::unsavedChangesBox(parent, name));
        box->show();
        settle(50);
        shooter.save(QStringLiteral("07-unsaved-changes.png"), compose(window, box.get()));
        return QMessageBox::Discard;
    };
    window->close();
    hooks = real;
    settle(50);

    QTextStream out(stdout);
    for (const QString &path : shooter.written())
        out << path << '\n';
    return shooter.failed() || (!progressShot && hasPages) ? 1 : 0;
}
