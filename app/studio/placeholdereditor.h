#pragma once

#include "plugin/plugineditor.h"

#include <QPointer>

class AlertRelay;
class QLabel;
class QWidget;
class TillboxPlugin;

// The page's editor until the shop editor takes its place: a view that
// names the page's product count. It answers the plug-in's alerts through
// the window's relay, so they reach the author from any thread.
class PlaceholderEditor : public PluginEditor
{
public:
    PlaceholderEditor(TillboxPlugin &plugin, AlertRelay *alerts);
    ~PlaceholderEditor() override;

    QObject *userInteractionAndEditingView() override;
    void runAlert(const QStringList &alert) override;

private:
    void refresh();

    TillboxPlugin &m_plugin;
    QPointer<AlertRelay> m_alerts;
    QPointer<QWidget> m_view;
    QPointer<QLabel> m_count;
};
