#include "editor/removerowscommand.h"

#include "editor/editorcontext.h"

RemoveRowsCommand::RemoveRowsCommand(RecordListModel *model, const QList<int> &rows, const QString &text)
    : EditorCommand(text), m_model(model), m_owner(model->owner()), m_rows(rows)
{
    Q_ASSERT(!rows.isEmpty());
}

void RemoveRowsCommand::apply()
{
    if (!m_model)
        return;
    m_items = m_model->removeItems(m_owner, m_rows);
    if (m_model->owner() == m_owner) {
        const int left = int(m_model->items().size());
        const int next = std::min(m_rows.first(), left - 1);
        m_model->selectRows(next >= 0 ? QList<int>{next} : QList<int>{});
    }
    m_model->context().broadcastChange();
}

void RemoveRowsCommand::revert()
{
    if (!m_model)
        return;
    m_model->insertItems(m_owner, m_rows, m_items);
    if (m_model->owner() == m_owner)
        m_model->selectRows(m_rows);
    m_model->context().broadcastChange();
}
