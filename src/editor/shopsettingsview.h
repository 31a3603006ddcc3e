#pragma once

#include <QWidget>

class EditorContext;

// The page's options: checkout back-ends and their accounts, currency and numbers, the cart's layout and colours, coupons, the direct-order form and its mail, pictures.
class ShopSettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit ShopSettingsView(EditorContext &context, QWidget *parent = nullptr);

    void handleCheckoutChange() {}
    void setCouponWarningVisible(bool) {}
    void reloadShopperTexts() {}

private:
    EditorContext &m_context;
};
