#pragma once

#include "editor/editorcommand.h"
#include "editor/recordlistmodel.h"

#include <QPointer>

// Rows dragged to another place in their table: they go there as one block,
// in their order, and stay selected; undo puts every row back.
class MoveRowsCommand : public EditorCommand
{
public:
    // order and destination as RecordListModel::moveOrder() gives them.
    MoveRowsCommand(RecordListModel *model, const QList<int> &rows, const QList<int> &order,
                    const QList<int> &destination);

protected:
    void apply() override;
    void revert() override;

private:
    QPointer<RecordListModel> m_model;
    RecordListModel::Owner m_owner;
    QList<int> m_rows;
    QList<int> m_order;
    QList<int> m_destination;
};
