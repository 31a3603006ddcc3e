#include "editor/insertrowscommand.h"

#include "editor/editorcontext.h"

InsertRowsCommand::InsertRowsCommand(RecordListModel *model, const QList<int> &rows, RecordListModel::Items items,
                                     const QString &text)
    : EditorCommand(text), m_model(model), m_owner(model->owner()), m_rows(rows), m_items(std::move(items)),
      m_selectionBefore(model->selectionIndex())
{
    Q_ASSERT(m_rows.size() == m_items.size());
}

void InsertRowsCommand::apply()
{
    if (!m_model)
        return;
    m_model->insertItems(m_owner, m_rows, m_items);
    // As when each was added in turn: the last one is selected.
    if (m_model->owner() == m_owner && !m_rows.isEmpty())
        m_model->selectRows({m_rows.last()});
    m_model->context().broadcastChange();
}

void InsertRowsCommand::revert()
{
    if (!m_model)
        return;
    m_model->removeItems(m_owner, m_rows);
    if (m_model->owner() == m_owner)
        m_model->selectRows(m_selectionBefore >= 0 ? QList<int>{m_selectionBefore} : QList<int>{});
    m_model->context().broadcastChange();
}
