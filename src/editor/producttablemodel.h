#pragma once

#include "editor/recordlistmodel.h"

#include <QStringList>

class TillboxPlugin;
class TillboxProduct;

// The page's products as the product table shows them: the name (editable;
// an empty name is allowed), the SKU as the second line, the product itself
// for the row's picture. The selection is the product list controller's.
// It also makes the product list's undoable steps: add, remove, duplicate
// and files dropped.
class ProductTableModel : public RecordListModel
{
    Q_OBJECT

public:
    explicit ProductTableModel(EditorContext &context, QObject *parent = nullptr);

    Owner owner() const override { return nullptr; }
    std::shared_ptr<TillboxProduct> product(int row) const;
    const QList<std::shared_ptr<TillboxProduct>> &products() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int selectionIndex() const override;
    void setSelectionIndex(int row) override;

    // A fresh product with the shop's default tax rate.
    std::shared_ptr<TillboxProduct> newProduct() const;
    void addProduct();
    void duplicateProduct();
    void removeProducts(const QList<int> &rows);
    // One new product per file, in order, named after it and holding its
    // bytes as its picture (even when they are not a picture); the last one
    // is selected. Refuses the lot, adding nothing, when one is not a
    // readable local file; *error then says which.
    bool acceptFilenameDrags(const QStringList &paths, QString *error = nullptr);

protected:
    Items content(const Owner &owner) const override;
    void setContent(const Owner &owner, const Items &items) override;
    void itemsInserted() override;

private:
    void watchProducts();
    void productChanged(const TillboxProduct *product);

    TillboxPlugin &m_plugin;
    QList<std::shared_ptr<TillboxProduct>> m_watched;
};
