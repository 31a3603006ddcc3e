#include "editor/shopeditor.h"

#include "plugin/tillboxplugin.h"

#include <QTabWidget>

ShopEditor::ShopEditor(TillboxPlugin &plugin, QUndoStack *undoStack) : m_plugin(plugin), m_undoStack(undoStack) {}

ShopEditor::~ShopEditor()
{
    // The views go with their editor, wherever the host put them.
    delete m_mainTabView;
}

QObject *ShopEditor::userInteractionAndEditingView()
{
    if (!m_mainTabView) {
        m_mainTabView = new QTabWidget;
        m_mainTabView->setAccessibleName(QStringLiteral("Shop page editor"));
    }
    return m_mainTabView;
}

void ShopEditor::runAlert(const QStringList &alert)
{
    if (m_alert)
        m_alert(alert);
}
