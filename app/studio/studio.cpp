#include "studio.h"

#include "dialoghooks.h"
#include "studiodocument.h"
#include "studiowindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kRecentFilesKey = QStringLiteral("recentFiles");
const QString kLastOpenFolderKey = QStringLiteral("lastOpenFolder");

} // namespace

Studio::Studio(QObject *parent) : QObject(parent) {}

Studio::~Studio()
{
    for (const auto &window : std::as_const(m_windows))
        delete window;
}

QIcon Studio::applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void Studio::setApplicationNames()
{
    Q_INIT_RESOURCE(studio);
    QCoreApplication::setOrganizationName(QStringLiteral("Tillbox"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tillbox.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Tillbox Studio"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tillbox-studio"));
}

StudioWindow *Studio::adopt(StudioWindow *window)
{
    m_windows.append(window);
    connect(window, &QObject::destroyed, this, [this] { m_windows.removeAll(nullptr); });
    window->show();
    return window;
}

StudioWindow *Studio::newDocument()
{
    auto document = std::make_unique<StudioDocument>();
    document->createNew();
    return adopt(new StudioWindow(*this, std::move(document)));
}

StudioWindow *Studio::openFile(const QString &path, QWidget *errorParent)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (StudioWindow *open = windowFor(absolute)) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto document = std::make_unique<StudioDocument>();
    QString error;
    if (!document->open(absolute, &error)) {
        DialogHooks::current().error(errorParent, QStringLiteral("Cannot Open Site"),
                                     QStringLiteral("The site \u201c%1\u201d could not be opened.\n\n%2")
                                         .arg(QDir::toNativeSeparators(absolute), error));
        return nullptr;
    }
    noteRecentFile(absolute);
    QSettings().setValue(kLastOpenFolderKey, QFileInfo(absolute).absolutePath());
    return adopt(new StudioWindow(*this, std::move(document)));
}

StudioWindow *Studio::openWithDialog(QWidget *parent)
{
    const QString folder = QSettings().value(kLastOpenFolderKey, QDir::homePath()).toString();
    const QString path = DialogHooks::current().openFileName(parent, folder);
    return path.isEmpty() ? nullptr : openFile(path, parent);
}

QList<StudioWindow *> Studio::windows() const
{
    QList<StudioWindow *> open;
    // A closed window lingers until the event loop deletes it.
    for (const auto &window : m_windows)
        if (window && window->isOpen())
            open.append(window);
    return open;
}

StudioWindow *Studio::windowFor(const QString &path) const
{
    for (StudioWindow *window : windows())
        if (!path.isEmpty() && window->document().filePath() == path)
            return window;
    return nullptr;
}

QStringList Studio::recentFiles() const
{
    return QSettings().value(kRecentFilesKey).toStringList();
}

void Studio::noteRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    QSettings().setValue(kRecentFilesKey, files);
    Q_EMIT recentFilesChanged();
}

void Studio::clearRecentFiles()
{
    QSettings().remove(kRecentFilesKey);
    Q_EMIT recentFilesChanged();
}

bool Studio::closeAll()
{
    for (StudioWindow *window : windows()) {
        if (!window->close())
            return false;
    }
    return true;
}
