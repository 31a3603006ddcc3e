#include "settings/shoppertexts.h"

const QList<ShopperTexts::Entry> &ShopperTexts::entries()
{
    static const QList<Entry> table = {
        {QStringLiteral("i18nAddToCart"), QStringLiteral("%ADD_TO_CART%")},
        {QStringLiteral("i18nOutOfStock"), QStringLiteral("%ADD_TO_CART%")},
        {QStringLiteral("i18nSubtotal"), QStringLiteral("%SUBTOTAL%")},
        {QStringLiteral("i18nTotal"), QStringLiteral("%TOTAL%")},
        {QStringLiteral("i18nClickShow"), QStringLiteral("%CLICK_SHOW%")},
        {QStringLiteral("i18nClickHide"), QStringLiteral("%CLICK_HIDE%")},
        {QStringLiteral("i18nHideCart"), QStringLiteral("%HIDE_CART%")},
        {QStringLiteral("i18nEmptyCart"), QStringLiteral("%EMPTY_CART%")},
        {QStringLiteral("i18nCartItems"), QStringLiteral("%ITEMS_IN_CART%")},
        {QStringLiteral("i18nBack"), QStringLiteral("%BACK%")},
        {QStringLiteral("i18nDecrease"), QStringLiteral("%DECREASE_QUANTITY%")},
        {QStringLiteral("i18nRemove"), QStringLiteral("%REMOVE_ITEM%")},
        {QStringLiteral("i18nIncrease"), QStringLiteral("%INCREASE_QUANTITY%")},
        {QStringLiteral("i18nPrice"), QStringLiteral("%PRICE%")},
        {QStringLiteral("i18nShipping"), QStringLiteral("%SHIPPING%")},
        {QStringLiteral("i18nTaxes"), QStringLiteral("%TAXES%")},
        {QStringLiteral("i18nProducts"), QStringLiteral("%PRODUCTS%")},
        {QStringLiteral("i18nCheckout"), QStringLiteral("%CHECKOUT%")},
        {QStringLiteral("i18nAgree"), QStringLiteral("%AGREE%")},
        {QStringLiteral("i18nClose"), QStringLiteral("%CLOSE%")},
        {QStringLiteral("i18nProceed"), QStringLiteral("%PROCEED%")},
        {QStringLiteral("i18nPayment"), QStringLiteral("%CHOOSE_PAYMENT%")},
        {QStringLiteral("i18nPaypal"), QStringLiteral("%PAYPAL%")},
        {QStringLiteral("i18nGoogle"), QStringLiteral("%GOOGLE_CHECKOUT%")},
        {QStringLiteral("i18nEJunkie"), QStringLiteral("%EJUNKIE%")},
        {QStringLiteral("i18nSisow"), QStringLiteral("%SISOW%")},
        {QStringLiteral("i18nCard"), QStringLiteral("%CREDIT_CARD%")},
        {QStringLiteral("i18nOrder"), QStringLiteral("%DIRECT_ORDER%")},
        {QStringLiteral("i18nThankYou"), QStringLiteral("%THANK_YOU%")},
        {QStringLiteral("i18nSend"), QStringLiteral("%SEND%")},
        {QStringLiteral("i18nRequired"), QStringLiteral("%REQUIRED_FIELD%")},
        {QStringLiteral("i18nPersonalInfo"), QStringLiteral("%PERSONAL_INFO%")},
        {QStringLiteral("i18nOrderSucceded"), QStringLiteral("%ORDER_YES%")},
        {QStringLiteral("i18nOrderFailed"), QStringLiteral("%ORDER_NO%")},
        {QStringLiteral("i18nEnterCoupon"), QStringLiteral("%ENTER_COUPON%")},
        {QStringLiteral("i18nCheckCoupon"), QStringLiteral("%CHECK_COUPON%")},
        {QStringLiteral("i18nCancelCoupon"), QStringLiteral("%CANCEL_COUPON%")},
    };
    return table;
}

QStringList ShopperTexts::keys()
{
    QStringList result;
    result.reserve(entries().size());
    for (const Entry &entry : entries())
        result.append(entry.key);
    return result;
}
