#include "studiodocument.h"

#include "editor/editorcommand.h"
#include "plugin/tillboxplugin.h"

#include <QFileInfo>

StudioDocument::StudioDocument(QObject *parent) : QObject(parent)
{
    connect(&m_undoStack, &QUndoStack::cleanChanged, this, [this] { updateModified(); });
}

StudioDocument::~StudioDocument() = default;

void StudioDocument::createNew()
{
    (void)addShopPage();
    setModified(false);
}

bool StudioDocument::open(const QString &path, QString *error)
{
    // A document opens once, into a fresh window; a failed open leaves it empty.
    if (!m_site.open(path, error))
        return false;
    for (const auto &page : m_site.pages())
        watch(page.plugin.get());
    m_path = QFileInfo(path).absoluteFilePath();
    Q_EMIT filePathChanged(m_path);
    Q_EMIT pagesChanged();
    setModified(false);
    return true;
}

bool StudioDocument::saveAs(const QString &path, QString *error)
{
    const QString previousName = m_site.siteName();
    // The site folder is named after the document until the author names it.
    if (previousName.isEmpty())
        m_site.setSiteName(QFileInfo(path).completeBaseName());
    if (!m_site.save(path, error)) {
        m_site.setSiteName(previousName);
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != m_path) {
        m_path = absolute;
        Q_EMIT filePathChanged(m_path);
    }
    setModified(false);
    return true;
}

QString StudioDocument::displayName() const
{
    return m_path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(m_path).fileName();
}

void StudioDocument::setModified(bool modified)
{
    m_changedOutsideStack = modified;
    if (!modified)
        m_undoStack.setClean();
    updateModified();
}

void StudioDocument::updateModified()
{
    const bool modified = m_changedOutsideStack || !m_undoStack.isClean();
    if (modified == m_modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

int StudioDocument::addShopPage()
{
    // Each new page gets its own folder and a title that is free, so adding
    // pages never makes two write the same file.
    int n = pageCount() + 1;
    auto taken = [this](const QString &location) {
        for (const auto &page : m_site.pages())
            if (page.page.location == location)
                return true;
        return false;
    };
    SitePage page;
    page.uniqueID = SiteDocument::newUniqueID();
    if (pageCount() == 0) {
        page.title = QStringLiteral("Shop");
        page.location = QStringLiteral("");
    } else {
        while (taken(QStringLiteral("shop-%1").arg(n)))
            ++n;
        page.title = QStringLiteral("Shop %1").arg(n);
        page.location = QStringLiteral("shop-%1").arg(n);
    }
    page.fileName = QStringLiteral("index.html");
    auto plugin = std::make_shared<TillboxPlugin>();
    QString error;
    if (!m_site.addPage(page, plugin, &error))
        return -1;
    watch(plugin.get());
    Q_EMIT pagesChanged();
    setModified(true);
    return pageCount() - 1;
}

void StudioDocument::removePage(int index)
{
    if (index < 0 || index >= pageCount())
        return;
    m_site.removePage(index);
    // Its editor is gone, and with it what the steps on the stack edit.
    m_undoStack.clear();
    Q_EMIT pagesChanged();
    setModified(true);
}

void StudioDocument::movePage(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= pageCount() || to >= pageCount())
        return;
    m_site.movePage(from, to);
    Q_EMIT pagesChanged();
    setModified(true);
}

bool StudioDocument::setPageInfo(int index, const QString &title, const QString &location, const QString &fileName,
                                 QString *error)
{
    if (index < 0 || index >= pageCount())
        return false;
    const SitePage &current = page(index).page;
    if (current.title == title && current.location == location && current.fileName == fileName)
        return true;
    if (!m_site.setPageInfo(index, title, location, fileName, error))
        return false;
    Q_EMIT pagesChanged();
    setModified(true);
    return true;
}

void StudioDocument::watch(TillboxPlugin *plugin)
{
    connect(plugin, &RWAbstractPlugin::pluginChanged, this, [this, plugin] {
        // The stack tracks the changes its own steps make.
        if (!EditorCommand::isApplying())
            setModified(true);
        for (int i = 0; i < pageCount(); ++i)
            if (page(i).plugin.get() == plugin)
                Q_EMIT pageContentChanged(i);
    });
}
