#pragma once

#include <QWidget>

class EditorContext;
class QTableView;
class ShopTextsTableModel;

// The texts shoppers read, key by key, editable.
class ShopTextsPane : public QWidget
{
    Q_OBJECT

public:
    explicit ShopTextsPane(EditorContext &context, QWidget *parent = nullptr);

    // Reads the texts again (they were reset or pasted).
    void reload();

    QTableView *table() const { return m_table; }
    ShopTextsTableModel *model() const { return m_model; }

private:
    EditorContext &m_context;
    ShopTextsTableModel *m_model;
    QTableView *m_table;
};
