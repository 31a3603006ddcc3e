#include "editor/moverowscommand.h"

#include "editor/editorcontext.h"

#include <QObject>

MoveRowsCommand::MoveRowsCommand(RecordListModel *model, const QList<int> &rows, const QList<int> &order,
                                 const QList<int> &destination)
    : EditorCommand(QObject::tr("Move Rows")), m_model(model), m_owner(model->owner()), m_rows(rows),
      m_order(order), m_destination(destination)
{
}

void MoveRowsCommand::apply()
{
    if (!m_model)
        return;
    m_model->reorder(m_owner, m_order);
    if (m_model->owner() == m_owner)
        m_model->selectRows(m_destination);
    m_model->context().broadcastChange();
}

void MoveRowsCommand::revert()
{
    if (!m_model)
        return;
    QList<int> back(m_order.size());
    for (int i = 0; i < m_order.size(); ++i)
        back[m_order[i]] = i;
    m_model->reorder(m_owner, back);
    if (m_model->owner() == m_owner)
        m_model->selectRows(m_rows);
    m_model->context().broadcastChange();
}
