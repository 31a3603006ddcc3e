#pragma once

#include <QWidget>

class EditorContext;

// The selected product's prices, tax, shipping, weight, purchase limit and coupon.
class ProductPricingPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductPricingPage(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
