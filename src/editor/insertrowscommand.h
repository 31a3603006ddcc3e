#pragma once

#include "editor/editorcommand.h"
#include "editor/recordlistmodel.h"

#include <QPointer>

// Adds records to a list (add, duplicate, files dropped): they take the
// given rows and the last one is selected; undo takes them out and restores the
// selection there was. Both mark the page changed.
class InsertRowsCommand : public EditorCommand
{
public:
    InsertRowsCommand(RecordListModel *model, const QList<int> &rows, RecordListModel::Items items,
                      const QString &text);

protected:
    void apply() override;
    void revert() override;

private:
    QPointer<RecordListModel> m_model;
    RecordListModel::Owner m_owner;
    QList<int> m_rows;
    RecordListModel::Items m_items;
    int m_selectionBefore;
};
