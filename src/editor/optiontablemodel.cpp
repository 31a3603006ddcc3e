#include "editor/optiontablemodel.h"

#include "editor/editorcontext.h"
#include "editor/rowdrag.h"
#include "editor/setfieldcommand.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxproduct.h"

OptionTableModel::OptionTableModel(EditorContext &context, QObject *parent)
    : RecordListModel(context, TBXOptionRowType, parent)
{
}

void OptionTableModel::setProduct(const std::shared_ptr<TillboxProduct> &product)
{
    if (product == m_product)
        return;
    beginResetModel();
    m_product = product;
    endResetModel();
    m_selection = -2;
    m_selected.reset();
    setSelectionIndex(rowCount() > 0 ? 0 : -1);
}

std::shared_ptr<TillboxOption> OptionTableModel::selectedOption() const
{
    return m_product ? m_product->optionsArray().value(m_selection) : nullptr;
}

int OptionTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_product ? 0 : int(m_product->optionsArray().size());
}

QVariant OptionTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_product->optionsArray().at(index.row())->optionName();
    return {};
}

bool OptionTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const QString name = value.toString();
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount() || name.isEmpty())
        return false;
    const auto option = m_product->optionsArray().at(index.row());
    if (name != option->optionName())
        context().push(new SetFieldCommand(context(), nullptr, BoundRecord(option), QStringLiteral("optionName"),
                                           option->optionName(), name));
    return true;
}

void OptionTableModel::setSelectionIndex(int row)
{
    if (row < 0 || row >= rowCount())
        row = -1;
    // The same row may hold another record after an edit of the list.
    Item selected = row >= 0 ? Item(m_product->optionsArray().at(row)) : nullptr;
    if (row == m_selection && selected == m_selected)
        return;
    m_selection = row;
    m_selected = std::move(selected);
    Q_EMIT selectionIndexChanged();
}

void OptionTableModel::addOption()
{
    if (m_product)
        addItems({TillboxOption::create()}, tr("Add Option"));
}

void OptionTableModel::removeOptions(const QList<int> &rows)
{
    removeRowsAt(rows, tr("Remove Option"));
}

void OptionTableModel::refreshRows()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

RecordListModel::Items OptionTableModel::content(const Owner &owner) const
{
    if (!owner)
        return {};
    const auto &options = std::static_pointer_cast<TillboxProduct>(owner)->optionsArray();
    return Items(options.begin(), options.end());
}

void OptionTableModel::setContent(const Owner &owner, const Items &items)
{
    if (!owner)
        return;
    TillboxProduct::OptionList options;
    for (const Item &item : items)
        options.append(std::static_pointer_cast<TillboxOption>(item));
    std::static_pointer_cast<TillboxProduct>(owner)->optionsArray() = options;
}
