#include "editor/recordlistmodel.h"

#include "editor/editorcontext.h"
#include "editor/insertrowscommand.h"
#include "editor/moverowscommand.h"
#include "editor/removerowscommand.h"
#include "editor/rowdrag.h"

#include <QMimeData>

#include <algorithm>
#include <numeric>

RecordListModel::RecordListModel(EditorContext &context, const QString &rowType, QObject *parent)
    : QAbstractTableModel(parent), m_context(context), m_rowType(rowType)
{
}

void RecordListModel::store(const Owner &owner, const Items &items)
{
    ++m_editing;
    setContent(owner, items);
    --m_editing;
}

void RecordListModel::insertItems(const Owner &owner, const QList<int> &rows, const Items &items)
{
    Q_ASSERT(rows.size() == items.size() && std::is_sorted(rows.begin(), rows.end()));
    Items list = content(owner);
    const bool shown = shows(owner);
    // Ascending, so every row is final when it is inserted; one announcement
    // per run of neighbouring rows.
    for (qsizetype first = 0; first < rows.size();) {
        qsizetype last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        Q_ASSERT(rows[first] >= 0 && rows[first] <= list.size());
        if (shown)
            beginInsertRows({}, rows[first], rows[last]);
        for (qsizetype i = first; i <= last; ++i)
            list.insert(rows[i], items[i]);
        if (shown) {
            store(owner, list);
            endInsertRows();
        }
        first = last + 1;
    }
    if (!shown)
        store(owner, list);
    else if (!rows.isEmpty())
        itemsInserted();
}

RecordListModel::Items RecordListModel::removeItems(const Owner &owner, const QList<int> &rows)
{
    Q_ASSERT(std::is_sorted(rows.begin(), rows.end()));
    Items list = content(owner);
    Items removed;
    for (int row : rows)
        removed.append(list.value(row));
    const bool shown = shows(owner);
    // From the last run back, so the rows still to go keep their numbers.
    for (qsizetype last = rows.size() - 1; last >= 0;) {
        qsizetype first = last;
        while (first > 0 && rows[first - 1] == rows[first] - 1)
            --first;
        Q_ASSERT(rows[first] >= 0 && rows[last] < list.size());
        if (shown)
            beginRemoveRows({}, rows[first], rows[last]);
        list.remove(rows[first], rows[last] - rows[first] + 1);
        if (shown) {
            store(owner, list);
            endRemoveRows();
        }
        last = first - 1;
    }
    if (!shown)
        store(owner, list);
    return removed;
}

void RecordListModel::reorder(const Owner &owner, const QList<int> &order)
{
    Items list = content(owner);
    Q_ASSERT(order.size() == list.size());
    if (!shows(owner)) {
        Items ordered;
        for (int from : order)
            ordered.append(list[from]);
        store(owner, ordered);
        return;
    }
    // Row by row from the top: where a row holds the wrong item, the run of
    // rows that belongs there moves up in one piece. Views see real moves,
    // never a removal they might repeat.
    QList<int> now(list.size());
    std::iota(now.begin(), now.end(), 0);
    for (qsizetype row = 0; row < now.size(); ++row) {
        if (now[row] == order[row])
            continue;
        const qsizetype from = now.indexOf(order[row], row + 1);
        Q_ASSERT(from > row);
        qsizetype length = 1;
        while (from + length < now.size() && now[from + length] == order[row + length])
            ++length;
        beginMoveRows({}, int(from), int(from + length - 1), {}, int(row));
        std::rotate(now.begin() + row, now.begin() + from, now.begin() + from + length);
        std::rotate(list.begin() + row, list.begin() + from, list.begin() + from + length);
        store(owner, list);
        endMoveRows();
    }
}

QList<int> RecordListModel::moveOrder(int count, const QList<int> &rows, int target, QList<int> *destination)
{
    target = std::clamp(target, 0, count);
    QList<int> staying;
    for (int row = 0; row < count; ++row) {
        if (!std::binary_search(rows.begin(), rows.end(), row))
            staying.append(row);
    }
    // The block starts where target stood among the rows that stay.
    const int start = int(std::count_if(rows.begin(), rows.end(), [target](int row) { return row < target; }));
    const int at = target - start;
    QList<int> order = staying.mid(0, at);
    order += rows;
    order += staying.mid(at);
    if (destination) {
        destination->clear();
        for (int i = 0; i < rows.size(); ++i)
            destination->append(at + i);
    }
    return order;
}

void RecordListModel::selectRows(const QList<int> &rows)
{
    setSelectionIndex(rows.isEmpty() ? -1 : rows.first());
    Q_EMIT rowsSelectionRequested(rows);
}

bool RecordListModel::moveRowsTo(const QList<int> &rows, int target)
{
    const int count = rowCount();
    if (rows.isEmpty() || rows.first() < 0 || rows.last() >= count)
        return false;
    QList<int> destination;
    const QList<int> order = moveOrder(count, rows, target, &destination);
    if (std::is_sorted(order.begin(), order.end()))
        return false;
    m_context.push(new MoveRowsCommand(this, rows, order, destination));
    return true;
}

void RecordListModel::addItems(const Items &items, const QString &text)
{
    if (items.isEmpty())
        return;
    QList<int> rows(items.size());
    std::iota(rows.begin(), rows.end(), rowCount());
    m_context.push(new InsertRowsCommand(this, rows, items, text));
}

void RecordListModel::removeRowsAt(const QList<int> &rows, const QString &text)
{
    if (rows.isEmpty()) {
        // Nothing selected: nothing goes, and the page is told all the same.
        m_context.broadcastChange();
        return;
    }
    m_context.push(new RemoveRowsCommand(this, rows, text));
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex &index) const
{
    // Rows are dropped between, never onto.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

QStringList RecordListModel::mimeTypes() const
{
    return {m_rowType};
}

QMimeData *RecordListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.model() == this)
            rows.append(index.row());
    }
    if (rows.isEmpty())
        return nullptr;
    return RowDrag::mimeData(m_rowType, rows, this);
}

bool RecordListModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &) const
{
    return data && data->hasFormat(m_rowType);
}

bool RecordListModel::dropMimeData(const QMimeData *data, Qt::DropAction, int row, int, const QModelIndex &parent)
{
    // Only rows of this very list move; rows of another page's table carry
    // numbers that mean nothing here.
    if (RowDrag::source(data) != this)
        return false;
    const std::optional<QList<int>> rows = RowDrag::rows(data, m_rowType);
    if (!rows || rows->isEmpty())
        return false;
    const int target = row >= 0 ? row : parent.isValid() ? parent.row() : rowCount();
    return moveRowsTo(*rows, target);
}

Qt::DropActions RecordListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions RecordListModel::supportedDragActions() const
{
    // Copy and move inside the program; another program may only link.
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}
