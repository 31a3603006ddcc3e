#pragma once

#include "plugin/plugineditor.h"

#include <QPointer>
#include <QStringList>
#include <functional>

class QTabWidget;
class QUndoStack;
class TillboxPlugin;

// The editor of one shop page: the views the host shows for it. Tab 0 of
// its main tab view edits the shop, tab 1 shows the makers' news.
class ShopEditor : public PluginEditor
{
public:
    using AlertHandler = std::function<void(const QStringList &)>;

    // undoStack: the document's; every edit made in the views goes on it.
    ShopEditor(TillboxPlugin &plugin, QUndoStack *undoStack);
    ~ShopEditor() override;

    // Where runAlert() sends its title, text and button label.
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }

    QObject *userInteractionAndEditingView() override;
    void runAlert(const QStringList &alert) override;

    TillboxPlugin &plugin() const { return m_plugin; }
    QUndoStack *undoStack() const { return m_undoStack; }
    QTabWidget *mainTabView() const { return m_mainTabView; }

private:
    TillboxPlugin &m_plugin;
    QUndoStack *m_undoStack;
    AlertHandler m_alert;
    QPointer<QTabWidget> m_mainTabView;
};
