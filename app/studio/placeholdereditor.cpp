#include "placeholdereditor.h"

#include "alertrelay.h"

#include "plugin/tillboxplugin.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderEditor::PlaceholderEditor(TillboxPlugin &plugin, AlertRelay *alerts) : m_plugin(plugin), m_alerts(alerts) {}

PlaceholderEditor::~PlaceholderEditor()
{
    // The view goes with its editor, wherever the window put it.
    delete m_view;
}

QObject *PlaceholderEditor::userInteractionAndEditingView()
{
    if (!m_view) {
        m_view = new QWidget;
        m_view->setAccessibleName(QStringLiteral("Shop page editor"));
        auto *layout = new QVBoxLayout(m_view);
        m_count = new QLabel(m_view);
        m_count->setAlignment(Qt::AlignCenter);
        m_count->setWordWrap(true);
        m_count->setAccessibleName(QStringLiteral("Product count"));
        layout->addWidget(m_count);
        QObject::connect(&m_plugin.productController(), &ProductController::arrangedObjectsChanged, m_view,
                         [this] { refresh(); });
        refresh();
    }
    return m_view;
}

void PlaceholderEditor::refresh()
{
    if (!m_count)
        return;
    const qsizetype count = m_plugin.products().size();
    m_count->setText(count == 1 ? QStringLiteral("This shop page lists 1 product.")
                                : QStringLiteral("This shop page lists %1 products.").arg(count));
}

void PlaceholderEditor::runAlert(const QStringList &alert)
{
    if (m_alerts)
        m_alerts->runAlert(alert);
}
