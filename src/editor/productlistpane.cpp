#include "editor/productlistpane.h"

#include "editor/editorcontext.h"
#include "editor/productfiltermodel.h"
#include "editor/producttablemodel.h"
#include "editor/tbxproducttableview.h"
#include "editor/tillboxcustomcell.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

ProductListPane::ProductListPane(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_model(new ProductTableModel(context, this)),
      m_filter(new ProductFilterModel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("productSearchField"));
    m_search->setPlaceholderText(tr("Search products (Ctrl+F)"));
    m_search->setAccessibleName(tr("Search products by name, SKU or description"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &ProductListPane::search);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    layout->addWidget(m_search);

    m_filter->setSourceModel(m_model);
    m_table = new TBXProductTableView(this);
    m_cell = new TillboxCustomCell(m_table);
    m_table->setItemDelegate(m_cell);
    m_table->verticalHeader()->setDefaultSectionSize(m_cell->sizeHint(QStyleOptionViewItem(), {}).height());
    m_table->setRecordModel(m_model, m_filter);
    // The rows' pictures are fitted on other threads while the author looks
    // at the first ones.
    const auto prepareAll = [this] { m_cell->prepare(m_model->products()); };
    connect(m_model, &QAbstractItemModel::modelReset, this, prepareAll);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, prepareAll);
    prepareAll();
    layout->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString &text, const QString &name, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setAccessibleName(name);
        b->setToolTip(tip);
        buttons->addWidget(b);
        return b;
    };
    m_add = button(tr("+"), tr("Add product"), tr("Adds a new product at the end of the list"));
    m_remove = button(tr("\u2212"), tr("Remove product"), tr("Removes the selected products"));
    m_duplicate = button(tr("Duplicate"), tr("Duplicate product"), tr("Adds a copy of the selected product"));
    m_add->setMaximumWidth(40);
    m_remove->setMaximumWidth(40);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_add, &QPushButton::clicked, this, &ProductListPane::addProduct);
    connect(m_remove, &QPushButton::clicked, this, &ProductListPane::removeProduct);
    connect(m_duplicate, &QPushButton::clicked, this, &ProductListPane::duplicateProduct);

    setTabOrder(m_search, m_table);
    setTabOrder(m_table, m_add);
    setTabOrder(m_add, m_remove);
    setTabOrder(m_remove, m_duplicate);
}

void ProductListPane::redrawProductTable()
{
    m_table->viewport()->update();
}

void ProductListPane::addProduct()
{
    // A new product is shown and selected: the search is cleared first.
    m_search->clear();
    m_model->addProduct();
}

void ProductListPane::removeProduct()
{
    m_model->removeProducts(m_table->selectedRows());
}

void ProductListPane::duplicateProduct()
{
    m_search->clear();
    m_model->duplicateProduct();
}

void ProductListPane::addProductsFromPictureWell(const QStringList &paths)
{
    m_search->clear();
    m_model->acceptFilenameDrags(QStringList(paths.rbegin(), paths.rend()));
}

void ProductListPane::search(const QString &text)
{
    m_filter->setSearchText(text);
    // Rows only move in the stored order, so not while some are hidden.
    m_table->setReorderingEnabled(!m_filter->isFiltering());
    // The selected product is one that is shown: the first one when the
    // search hid the one selected.
    const QList<int> rows = m_table->selectedRows();
    if (!rows.isEmpty())
        m_model->setSelectionIndex(rows.first());
    else if (m_filter->rowCount() > 0)
        m_model->selectRows({m_filter->mapToSource(m_filter->index(0, 0)).row()});
    else
        m_model->setSelectionIndex(-1);
}
