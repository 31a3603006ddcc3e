#pragma once

#include <QTableView>

class QAbstractProxyModel;
class RecordListModel;

// A table of the editor's record lists (products, options, values): whole
// rows, one column, rows dragged to reorder them. Its own rows drop between
// rows and move there (the model moves them itself: the view never removes
// the dragged rows afterwards); anything else is answered as a copy onto the
// whole table and changes nothing. The view's selection and the list
// controller's selection follow each other.
class RecordTableView : public QTableView
{
    Q_OBJECT

public:
    explicit RecordTableView(QWidget *parent = nullptr);

    // Shows model, through proxy when given (proxy's source is model).
    void setRecordModel(RecordListModel *model, QAbstractProxyModel *proxy = nullptr);
    RecordListModel *recordModel() const { return m_model; }
    // The selected rows of the list, ascending.
    QList<int> selectedRows() const;
    // Row drags on or off (off while the rows shown are filtered).
    void setReorderingEnabled(bool enabled);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Drops the table takes besides its own rows; none here.
    virtual bool acceptsForeignDrop(const QMimeData *) const { return false; }
    // Whether such a drop can be taken as it is (refused ones show so while dragging).
    virtual bool canDropForeign(const QMimeData *) const { return true; }
    virtual bool dropForeign(QDropEvent *) { return false; }

private:
    bool isOwnRows(const QMimeData *data) const;
    void answerForeign(QDragMoveEvent *event) const;
    QModelIndex viewIndex(int row) const;
    void showSelectionIndex();
    void showRows(const QList<int> &rows);
    void takeSelection();

    RecordListModel *m_model = nullptr;
    QAbstractProxyModel *m_proxy = nullptr;
    bool m_syncing = false;
};
