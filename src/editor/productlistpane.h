#pragma once

#include <QWidget>

class EditorContext;
class ProductFilterModel;
class ProductTableModel;
class QLineEdit;
class QPushButton;
class TBXProductTableView;
class TillboxCustomCell;

// The page's product list: a search field, the product table and the add, remove and duplicate buttons.
class ProductListPane : public QWidget
{
    Q_OBJECT

public:
    explicit ProductListPane(EditorContext &context, QWidget *parent = nullptr);

    // Redraws every row (a product changed).
    void redrawProductTable();

    void addProduct();
    // Removes the selected products; with none selected, removes nothing.
    void removeProduct();
    void duplicateProduct();
    // Files dropped on the picture well that become products of their own:
    // one per file, from the last file to the first.
    void addProductsFromPictureWell(const QStringList &paths);

    TBXProductTableView *table() const { return m_table; }
    QLineEdit *searchField() const { return m_search; }
    ProductTableModel *model() const { return m_model; }
    ProductFilterModel *filter() const { return m_filter; }
    TillboxCustomCell *cell() const { return m_cell; }

private:
    void search(const QString &text);

    EditorContext &m_context;
    ProductTableModel *m_model;
    ProductFilterModel *m_filter;
    TBXProductTableView *m_table;
    QLineEdit *m_search;
    QPushButton *m_add;
    QPushButton *m_remove;
    QPushButton *m_duplicate;
    TillboxCustomCell *m_cell;
};
