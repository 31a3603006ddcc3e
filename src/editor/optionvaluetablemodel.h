#pragma once

#include "editor/recordlistmodel.h"

class TillboxOption;
class TillboxOptionValue;

// The values of one option (the selected one), by name, with the selection
// of the value whose fields are shown. An empty name is refused.
class OptionValueTableModel : public RecordListModel
{
    Q_OBJECT

public:
    explicit OptionValueTableModel(EditorContext &context, QObject *parent = nullptr);

    void setOption(const std::shared_ptr<TillboxOption> &option);
    const std::shared_ptr<TillboxOption> &option() const { return m_option; }
    Owner owner() const override { return m_option; }
    // The selected value; null when there is none.
    std::shared_ptr<TillboxOptionValue> selectedValue() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int selectionIndex() const override { return m_selection; }
    void setSelectionIndex(int row) override;

    void addValue();
    void removeValues(const QList<int> &rows);
    // Shows every row again (a value's name changed in a field).
    void refreshRows();

protected:
    Items content(const Owner &owner) const override;
    void setContent(const Owner &owner, const Items &items) override;

private:
    std::shared_ptr<TillboxOption> m_option;
    int m_selection = -1;
    Item m_selected;
};
