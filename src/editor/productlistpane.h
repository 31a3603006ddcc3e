#pragma once

#include <QWidget>

class EditorContext;

// The page's product list: a search field, the product table and the add, remove and duplicate buttons.
class ProductListPane : public QWidget
{
    Q_OBJECT

public:
    explicit ProductListPane(EditorContext &context, QWidget *parent = nullptr);

    // Redraws every row (a product changed).
    void redrawProductTable() {}

private:
    EditorContext &m_context;
};
