#pragma once

#include <QObject>
#include <QString>
#include <memory>

class ExportParameters;
class RMHTML;
class RWDocument;
class RWPage;

// The base of every plug-in the host runs: the calls a plug-in makes into the
// host. The host connects to the signals.
class RWAbstractPlugin : public QObject
{
    Q_OBJECT

public:
    explicit RWAbstractPlugin(QObject *parent = nullptr);
    ~RWAbstractPlugin() override;

    // The page is now changed: the host marks the document edited and
    // produces the page's output again.
    virtual void broadcastPluginChanged();
    // The host shows the plug-in's options view.
    virtual void broadcastPluginSettingsRequest();

    RWDocument *document() const { return m_document; }
    RWPage *page() const { return m_page; }
    // Called by the host when it places the plug-in on a page.
    void setHostPage(RWDocument *document, RWPage *page);

    // An existing, writable scratch folder named name for this plug-in
    // object; empty when it cannot be created. Removed when the host ends.
    QString tempFilesDirectory(const QString &name);

    // A styled-text exporter of the plug-in's own; null means "use RMHTML".
    virtual std::unique_ptr<RMHTML> exporterWithParams(const ExportParameters &params) const;

    int changeBroadcastCount() const { return m_changeBroadcasts; }

Q_SIGNALS:
    void pluginChanged();
    void pluginSettingsRequested();

private:
    RWDocument *m_document = nullptr;
    RWPage *m_page = nullptr;
    QString m_scratchFolder;
    int m_changeBroadcasts = 0;
};
