#include "editor/optionvaluetablemodel.h"

#include "editor/editorcontext.h"
#include "editor/rowdrag.h"
#include "editor/setfieldcommand.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"

OptionValueTableModel::OptionValueTableModel(EditorContext &context, QObject *parent)
    : RecordListModel(context, TBXOptionValueRowType, parent)
{
}

void OptionValueTableModel::setOption(const std::shared_ptr<TillboxOption> &option)
{
    if (option == m_option)
        return;
    beginResetModel();
    m_option = option;
    endResetModel();
    m_selection = -2;
    m_selected.reset();
    setSelectionIndex(rowCount() > 0 ? 0 : -1);
}

std::shared_ptr<TillboxOptionValue> OptionValueTableModel::selectedValue() const
{
    return m_option ? m_option->optionValuesArray().value(m_selection) : nullptr;
}

int OptionValueTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_option ? 0 : int(m_option->optionValuesArray().size());
}

QVariant OptionValueTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_option->optionValuesArray().at(index.row())->optionValueName();
    return {};
}

bool OptionValueTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const QString name = value.toString();
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount() || name.isEmpty())
        return false;
    const auto optionValue = m_option->optionValuesArray().at(index.row());
    if (name != optionValue->optionValueName())
        context().push(new SetFieldCommand(context(), nullptr, BoundRecord(optionValue),
                                           QStringLiteral("optionValueName"), optionValue->optionValueName(), name));
    return true;
}

void OptionValueTableModel::setSelectionIndex(int row)
{
    if (row < 0 || row >= rowCount())
        row = -1;
    // The same row may hold another record after an edit of the list.
    Item selected = row >= 0 ? Item(m_option->optionValuesArray().at(row)) : nullptr;
    if (row == m_selection && selected == m_selected)
        return;
    m_selection = row;
    m_selected = std::move(selected);
    Q_EMIT selectionIndexChanged();
}

void OptionValueTableModel::addValue()
{
    if (m_option)
        addItems({TillboxOptionValue::create()}, tr("Add Option Value"));
}

void OptionValueTableModel::removeValues(const QList<int> &rows)
{
    removeRowsAt(rows, tr("Remove Option Value"));
}

void OptionValueTableModel::refreshRows()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

RecordListModel::Items OptionValueTableModel::content(const Owner &owner) const
{
    if (!owner)
        return {};
    const auto &values = std::static_pointer_cast<TillboxOption>(owner)->optionValuesArray();
    return Items(values.begin(), values.end());
}

void OptionValueTableModel::setContent(const Owner &owner, const Items &items)
{
    if (!owner)
        return;
    TillboxOption::ValueList values;
    for (const Item &item : items)
        values.append(std::static_pointer_cast<TillboxOptionValue>(item));
    std::static_pointer_cast<TillboxOption>(owner)->optionValuesArray() = values;
}
