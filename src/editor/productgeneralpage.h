#pragma once

#include <QWidget>

class EditorContext;

// The selected product's name, SKU, status, picture and thumbnail.
class ProductGeneralPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductGeneralPage(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
