#pragma once

#include "editor/recordlistmodel.h"

class TillboxOption;
class TillboxProduct;

// The options of one product (the selected one), by name, with the
// selection of the option whose values and fields are shown. An empty name
// is refused.
class OptionTableModel : public RecordListModel
{
    Q_OBJECT

public:
    explicit OptionTableModel(EditorContext &context, QObject *parent = nullptr);

    void setProduct(const std::shared_ptr<TillboxProduct> &product);
    const std::shared_ptr<TillboxProduct> &product() const { return m_product; }
    Owner owner() const override { return m_product; }
    // The selected option; null when there is none.
    std::shared_ptr<TillboxOption> selectedOption() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int selectionIndex() const override { return m_selection; }
    void setSelectionIndex(int row) override;

    void addOption();
    void removeOptions(const QList<int> &rows);
    // Shows every row again (an option's name changed in a field).
    void refreshRows();

protected:
    Items content(const Owner &owner) const override;
    void setContent(const Owner &owner, const Items &items) override;

private:
    std::shared_ptr<TillboxProduct> m_product;
    int m_selection = -1;
    Item m_selected;
};
