#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <memory>

class EditorContext;

// What the editor's product, option and value tables have in common: a list
// of records owned by another record (a product's options, an option's
// values; the page's products), shown in list order, with a selection, and
// the list edits the undo steps make. Edits name the owner whose list they
// change: a step undone after the table moved on to another product still
// edits the right list, and the table hears of it only when it shows that list.
//
// Every change is announced with the proper begin/end signals: inserts and
// removals per run of rows, reorders as one move per run of rows.
// Dragging rows within the table moves them as one undoable step.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using Item = std::shared_ptr<void>;
    using Items = QList<Item>;
    using Owner = std::shared_ptr<void>;

    RecordListModel(EditorContext &context, const QString &rowType, QObject *parent = nullptr);

    EditorContext &context() const { return m_context; }
    const QString &rowType() const { return m_rowType; }

    // The record whose list is shown; null for the page's products.
    virtual Owner owner() const = 0;
    Items items(const Owner &owner) const { return content(owner); }
    Items items() const { return content(owner()); }

    // rows: ascending, the positions the items take.
    void insertItems(const Owner &owner, const QList<int> &rows, const Items &items);
    // rows: ascending; returns what was removed.
    Items removeItems(const Owner &owner, const QList<int> &rows);
    // order[i]: the row now holding the item that goes to row i.
    void reorder(const Owner &owner, const QList<int> &order);

    // The order that moves rows (ascending) to target as one block, placed
    // where target stood among the rows that stay: of A B C D E, rows 1 and
    // 3 to 5 give A C E B D. *destination receives the rows they take.
    static QList<int> moveOrder(int count, const QList<int> &rows, int target, QList<int> *destination = nullptr);

    // The list controller's selection (its first selected row); -1 for none.
    virtual int selectionIndex() const = 0;
    virtual void setSelectionIndex(int row) = 0;
    // Selects rows in the table, the first in the list controller.
    void selectRows(const QList<int> &rows);

    // Pushes the step that moves rows (ascending) to target; false when the
    // order stays as it is.
    bool moveRowsTo(const QList<int> &rows, int target);
    // Pushes the steps of the list commands; removing nothing still marks
    // the page changed.
    void addItems(const Items &items, const QString &text);
    void removeRowsAt(const QList<int> &rows, const QString &text);

    int columnCount(const QModelIndex &parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

Q_SIGNALS:
    void selectionIndexChanged();
    // The table should select these rows (an edit placed them).
    void rowsSelectionRequested(const QList<int> &rows);

protected:
    virtual Items content(const Owner &owner) const = 0;
    virtual void setContent(const Owner &owner, const Items &items) = 0;
    // Runs after items joined the shown list.
    virtual void itemsInserted() {}
    // True while this model changes the list: notifications that the list
    // changed are its own.
    bool isEditing() const { return m_editing > 0; }

private:
    bool shows(const Owner &owner) const { return owner == this->owner(); }
    void store(const Owner &owner, const Items &items);

    EditorContext &m_context;
    QString m_rowType;
    int m_editing = 0;
};
