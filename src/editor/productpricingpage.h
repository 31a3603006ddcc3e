#pragma once

#include <QWidget>

class EditorContext;
class QLabel;

// The selected product's prices, tax, shipping, weight, purchase limit and coupon.
class ProductPricingPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductPricingPage(EditorContext &context, QWidget *parent = nullptr);

    // The sign beside the coupon that says a coupon needs the product's SKU.
    void setCouponWarningVisible(bool visible);
    bool isCouponWarningVisible() const;

private:
    EditorContext &m_context;
    QLabel *m_couponWarning = nullptr;
};
