#pragma once

#include <QWidget>

class EditorContext;

// Shipping: the additional costs by order value or weight, in tiers.
class ShippingSection : public QWidget
{
    Q_OBJECT

public:
    explicit ShippingSection(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
