#pragma once

#include <QWidget>

class EditorContext;

// The texts shoppers read, key by key, editable.
class ShopTextsPane : public QWidget
{
    Q_OBJECT

public:
    explicit ShopTextsPane(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
