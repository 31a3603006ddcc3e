#pragma once

#include <QSortFilterProxyModel>

// The products whose name, SKU or description contains the search text
// (ignoring case), in their stored order. No text shows every product.
class ProductFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ProductFilterModel(QObject *parent = nullptr);

    const QString &searchText() const { return m_text; }
    void setSearchText(const QString &text);
    bool isFiltering() const { return !m_text.isEmpty(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_text;
};
