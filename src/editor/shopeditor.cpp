#include "editor/shopeditor.h"

#include "editor/newspanel.h"
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
        m_mainTabView->setObjectName(QStringLiteral("mainTabView"));
        // After the shop's tab; deleting the views detaches it from the news timer.
        m_mainTabView->addTab(new NewsPanel(m_mainTabView), QStringLiteral("News"));
    }
    return m_mainTabView;
}

void ShopEditor::runAlert(const QStringList &alert)
{
    if (m_alert)
        m_alert(alert);
}
