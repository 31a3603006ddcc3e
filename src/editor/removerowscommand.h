#pragma once

#include "editor/editorcommand.h"
#include "editor/recordlistmodel.h"

#include <QPointer>

// Takes records out of a list; the row where the first one stood (or the
// last row left) is selected. Undo puts them back where they were, selected.
class RemoveRowsCommand : public EditorCommand
{
public:
    // rows: ascending, not empty.
    RemoveRowsCommand(RecordListModel *model, const QList<int> &rows, const QString &text);

protected:
    void apply() override;
    void revert() override;

private:
    QPointer<RecordListModel> m_model;
    RecordListModel::Owner m_owner;
    QList<int> m_rows;
    RecordListModel::Items m_items;
};
