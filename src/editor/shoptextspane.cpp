#include "editor/shoptextspane.h"

#include "editor/editstartwatcher.h"

#include "editor/editorcontext.h"
#include "editor/shoptextstablemodel.h"
#include "editor/tillboxcustomcell.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

ShopTextsPane::ShopTextsPane(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_model(new ShopTextsTableModel(context, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(tr("Texts shoppers see (double-click a text to change it; the grey line is the "
                                "shipped text it replaces):"),
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("localizableStringsTableView"));
    m_table->setAccessibleName(tr("Texts shoppers see"));
    label->setBuddy(m_table);
    auto *cell = new TillboxCustomCell(m_table);
    m_table->setItemDelegate(cell);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(cell->sizeHint(QStyleOptionViewItem(), {}).height());
    new EditStartWatcher(m_table, [this] { m_context.broadcastChange(); });
    layout->addWidget(m_table, 1);
}

void ShopTextsPane::reload()
{
    m_model->reload();
}
