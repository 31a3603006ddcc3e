#include "editor/productfiltermodel.h"

#include "editor/tillboxcustomcell.h"

#include "catalogue/tillboxproduct.h"

ProductFilterModel::ProductFilterModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    // Rows are edited in place; a name changed to something the search does
    // not find stays until the search changes.
    setDynamicSortFilter(false);
}

void ProductFilterModel::setSearchText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_text)
        return;
    m_text = trimmed;
    invalidateRowsFilter();
}

bool ProductFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_text.isEmpty())
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    const auto *product =
        qobject_cast<const TillboxProduct *>(index.data(TillboxCustomCell::ProductRole).value<QObject *>());
    if (!product)
        return false;
    const auto has = [this](const QString &text) { return text.contains(m_text, Qt::CaseInsensitive); };
    if (has(product->name()) || has(product->SKU()))
        return true;
    if (product->useHtmlDescription())
        return has(product->htmlProductDescription());
    const auto &description = product->styledProductDescription();
    return description && has(description->text());
}
