#pragma once

#include <QWidget>

class EditorContext;

// Shipping: the additional costs by item count, order value or weight, in
// five tiers, each an upper limit and the cost charged up to it.
class ShippingSection : public QWidget
{
    Q_OBJECT

public:
    explicit ShippingSection(EditorContext &context, QWidget *parent = nullptr);

    // The tiers are measured another way: their limits take that format.
    void handleAdditionalCostTypeChange();

private:
    EditorContext &m_context;
};
