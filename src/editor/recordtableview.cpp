#include "editor/recordtableview.h"

#include "editor/editorcontext.h"
#include "editor/editstartwatcher.h"

#include "editor/recordlistmodel.h"
#include "editor/rowdrag.h"

#include <QAbstractProxyModel>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>

RecordTableView::RecordTableView(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(DoubleClicked | EditKeyPressed | SelectedClicked);
    setDragDropMode(DragDrop);
    setDragDropOverwriteMode(false);
    new EditStartWatcher(this, [this] {
        if (m_model)
            m_model->context().broadcastChange();
    });
    setDropIndicatorShown(true);
    setDefaultDropAction(Qt::MoveAction);
}

void RecordTableView::setRecordModel(RecordListModel *model, QAbstractProxyModel *proxy)
{
    m_model = model;
    m_proxy = proxy;
    setModel(proxy ? static_cast<QAbstractItemModel *>(proxy) : model);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &RecordTableView::takeSelection);
    connect(model, &RecordListModel::selectionIndexChanged, this, &RecordTableView::showSelectionIndex);
    connect(model, &RecordListModel::rowsSelectionRequested, this, &RecordTableView::showRows);
    connect(model, &QAbstractItemModel::modelReset, this, &RecordTableView::showSelectionIndex);
    showSelectionIndex();
}

QModelIndex RecordTableView::viewIndex(int row) const
{
    const QModelIndex index = m_model->index(row, 0);
    return m_proxy ? m_proxy->mapFromSource(index) : index;
}

QList<int> RecordTableView::selectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(m_proxy ? m_proxy->mapToSource(index).row() : index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RecordTableView::setReorderingEnabled(bool enabled)
{
    setDragEnabled(enabled);
}

void RecordTableView::showSelectionIndex()
{
    const int row = m_model->selectionIndex();
    const QList<int> rows = selectedRows();
    if (row < 0 ? rows.isEmpty() : rows.value(0, -1) == row)
        return;
    showRows(row >= 0 ? QList<int>{row} : QList<int>{});
}

void RecordTableView::showRows(const QList<int> &rows)
{
    m_syncing = true;
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = viewIndex(row);
        if (index.isValid())
            selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!selection.isEmpty()) {
        selectionModel()->setCurrentIndex(selection.first().topLeft(), QItemSelectionModel::NoUpdate);
        scrollTo(selection.first().topLeft());
    }
    m_syncing = false;
}

void RecordTableView::takeSelection()
{
    if (m_syncing)
        return;
    const QList<int> rows = selectedRows();
    m_syncing = true;
    m_model->setSelectionIndex(rows.isEmpty() ? -1 : rows.first());
    m_syncing = false;
}

bool RecordTableView::isOwnRows(const QMimeData *data) const
{
    return data && m_model && RowDrag::source(data) == m_model && data->hasFormat(m_model->rowType());
}

void RecordTableView::startDrag(Qt::DropActions supportedActions)
{
    QModelIndexList indexes;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        indexes.append(m_proxy ? m_proxy->mapToSource(index) : index);
    QMimeData *data = m_model->mimeData(indexes);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // The model has moved the rows when the drop was on this table; what
    // the drag returns is not a reason to remove anything here.
    drag->exec(supportedActions, Qt::MoveAction);
}

void RecordTableView::dragEnterEvent(QDragEnterEvent *event)
{
    if (isOwnRows(event->mimeData()) && dragEnabled()) {
        QTableView::dragEnterEvent(event);
        return;
    }
    answerForeign(event);
}

void RecordTableView::answerForeign(QDragMoveEvent *event) const
{
    const QMimeData *data = event->mimeData();
    if (acceptsForeignDrop(data) && !canDropForeign(data)) {
        event->ignore();
        return;
    }
    // Anything else lands on the whole table as a copy.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void RecordTableView::dragMoveEvent(QDragMoveEvent *event)
{
    if (isOwnRows(event->mimeData()) && dragEnabled()) {
        QTableView::dragMoveEvent(event);
        if (event->isAccepted())
            event->setDropAction(Qt::MoveAction);
        return;
    }
    answerForeign(event);
}

void RecordTableView::dropEvent(QDropEvent *event)
{
    if (isOwnRows(event->mimeData()) && dragEnabled()) {
        event->setDropAction(Qt::MoveAction);
        QTableView::dropEvent(event);
        return;
    }
    if (!acceptsForeignDrop(event->mimeData()) || dropForeign(event)) {
        // Rows of another table, or data this table does not take, land as
        // a copy that changes nothing.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    setState(NoState);
    viewport()->update();
}
