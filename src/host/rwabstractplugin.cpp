#include "host/rwabstractplugin.h"

#include "host/rmhtml.h"
#include "host/rwhost.h"

#include <QDir>
#include <QUuid>

RWAbstractPlugin::RWAbstractPlugin(QObject *parent) : QObject(parent) {}

RWAbstractPlugin::~RWAbstractPlugin() = default;

void RWAbstractPlugin::broadcastPluginChanged()
{
    ++m_changeBroadcasts;
    Q_EMIT pluginChanged();
}

void RWAbstractPlugin::broadcastPluginSettingsRequest()
{
    Q_EMIT pluginSettingsRequested();
}

void RWAbstractPlugin::setHostPage(RWDocument *document, RWPage *page)
{
    m_document = document;
    m_page = page;
}

QString RWAbstractPlugin::tempFilesDirectory(const QString &name)
{
    // One folder per plug-in object, so pages exporting side by side never
    // see each other's files.
    if (m_scratchFolder.isEmpty())
        m_scratchFolder = RWHost::scratchRoot() + QLatin1Char('/')
            + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString path = m_scratchFolder + QLatin1Char('/') + name;
    if (!QDir().mkpath(path))
        return QString();
    return path;
}

std::unique_ptr<RMHTML> RWAbstractPlugin::exporterWithParams(const ExportParameters &) const
{
    return nullptr;
}
