#include "editor/productpricingpage.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"

#include "host/bundle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>

namespace {

using Role = FieldBinder::NumberRole;

// A field that takes part only while its switch is on. The field sits in a
// holder that follows the switch, so the binder can still enable the field
// itself whenever a product is selected.
QWidget *following(QCheckBox *box, QWidget *field)
{
    auto *holder = new QWidget(field->parentWidget());
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addStretch();
    holder->setEnabled(box->isChecked());
    QObject::connect(box, &QCheckBox::toggled, holder, &QWidget::setEnabled);
    return holder;
}

} // namespace

ProductPricingPage::ProductPricingPage(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    FieldBinder &product = m_context.product();
    const auto number = [&product](QWidget *parent, const char *objectName, const QString &field, Role role,
                                   const QString &accessibleName) {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QLatin1String(objectName));
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(130);
        edit->setMaximumWidth(180);
        edit->setAccessibleName(accessibleName);
        product.bindNumber(edit, field, role);
        return edit;
    };
    const auto check = [&product](QWidget *parent, const char *objectName, const QString &title, const QString &field) {
        auto *box = new QCheckBox(title, parent);
        box->setObjectName(QLatin1String(objectName));
        box->setAccessibleName(QString(title).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        product.bind(box, field);
        return box;
    };
    const auto form = [](QGroupBox *box) {
        auto *layout = new QFormLayout(box);
        layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
        layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return layout;
    };

    // --- Price -------------------------------------------------------------
    auto *priceBox = new QGroupBox(tr("Price"), this);
    QFormLayout *priceForm = form(priceBox);
    QLineEdit *price = number(priceBox, "priceTextField", QStringLiteral("price"), Role::Price, tr("Price"));
    priceForm->addRow(tr("&Price:"), price);
    QCheckBox *hasSpecial = check(priceBox, "hasSpecialPriceCheckBox", tr("&Special price:"),
                                  QStringLiteral("hasSpecialPrice"));
    QLineEdit *special = number(priceBox, "specialPriceTextField", QStringLiteral("specialPrice"), Role::Price,
                                tr("Special price"));
    priceForm->addRow(hasSpecial, following(hasSpecial, special));
    QLineEdit *tax = number(priceBox, "productTaxRateTextField", QStringLiteral("taxRate"), Role::Percent,
                            tr("Tax rate"));
    priceForm->addRow(tr("&Tax rate:"), tax);
    auto *limit = new QSpinBox(priceBox);
    limit->setObjectName(QStringLiteral("purchaseLimitTextField"));
    limit->setRange(0, 999999);
    limit->setSpecialValueText(tr("No limit"));
    limit->setAccessibleName(tr("Purchase limit"));
    limit->findChild<QLineEdit *>()->setAccessibleName(limit->accessibleName());
    limit->setToolTip(tr("The most a shopper can put into the cart at once; 0 for no limit."));
    limit->setMinimumWidth(130);
    product.bind(limit, QStringLiteral("purchaseLimit"));
    priceForm->addRow(tr("&Most per order:"), limit);

    // --- Shipping ----------------------------------------------------------
    auto *shippingBox = new QGroupBox(tr("Shipping"), this);
    QFormLayout *shippingForm = form(shippingBox);
    QCheckBox *hasShipping =
        check(shippingBox, "hasShippingCheckBox", tr("C&harge shipping for this product"), QStringLiteral("hasShipping"));
    shippingForm->addRow(hasShipping);
    QLineEdit *shipping = number(shippingBox, "shippingTextField", QStringLiteral("shipping"), Role::Price,
                                 tr("Shipping of the first item"));
    shippingForm->addRow(tr("&First item:"), following(hasShipping, shipping));
    QLineEdit *additional = number(shippingBox, "additionalItemShippingTextField",
                                   QStringLiteral("additionalItemShipping"), Role::Price,
                                   tr("Shipping of each further item"));
    shippingForm->addRow(tr("&Each further item:"), following(hasShipping, additional));
    QLineEdit *weight = number(shippingBox, "productWeightTextField", QStringLiteral("weight"), Role::Weight,
                               tr("Weight"));
    weight->setToolTip(tr("Weight of one item, in the shop's weight unit"));
    shippingForm->addRow(tr("&Weight:"), weight);

    // --- Coupon ------------------------------------------------------------
    auto *couponBox = new QGroupBox(tr("Coupon"), this);
    auto *couponLayout = new QVBoxLayout(couponBox);
    auto *couponSwitch = new QHBoxLayout;
    QCheckBox *hasCoupon =
        check(couponBox, "hasCouponCodeCheckBox", tr("This product has a &coupon"), QStringLiteral("hasCouponCode"));
    couponSwitch->addWidget(hasCoupon);
    m_couponWarning = new QLabel(couponBox);
    m_couponWarning->setObjectName(QStringLiteral("couponWarningView"));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_couponWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    const QString warning = Bundle::plugin().localizedString(QStringLiteral("CouponWarningTooltipLabel"));
    m_couponWarning->setToolTip(warning);
    m_couponWarning->setAccessibleName(tr("Coupon warning"));
    m_couponWarning->setAccessibleDescription(warning);
    m_couponWarning->hide();
    couponSwitch->addWidget(m_couponWarning);
    couponSwitch->addStretch();
    couponLayout->addLayout(couponSwitch);

    auto *couponFields = new QWidget(couponBox);
    couponFields->setEnabled(hasCoupon->isChecked());
    connect(hasCoupon, &QCheckBox::toggled, couponFields, &QWidget::setEnabled);
    auto *couponGrid = new QFormLayout(couponFields);
    couponGrid->setContentsMargins(0, 0, 0, 0);
    couponGrid->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *code = new QLineEdit(couponFields);
    code->setObjectName(QStringLiteral("couponCodeTextField"));
    code->setPlaceholderText(tr("What the shopper types, e.g. SUMMER10"));
    code->setAccessibleName(tr("Coupon code"));
    product.bind(code, QStringLiteral("couponCode"));
    couponGrid->addRow(tr("Co&de:"), code);
    auto *description = new QLineEdit(couponFields);
    description->setObjectName(QStringLiteral("couponDescriptionTextField"));
    description->setPlaceholderText(tr("Shown in the cart when the coupon is used"));
    description->setAccessibleName(tr("Coupon description"));
    product.bind(description, QStringLiteral("couponDescription"));
    couponGrid->addRow(tr("Desc&ription:"), description);

    auto *valueRow = new QHBoxLayout;
    QLineEdit *value = number(couponFields, "couponValueTextField", QStringLiteral("couponValue"), Role::CouponValue,
                              tr("Coupon value"));
    auto *type = new QComboBox(couponFields);
    type->setObjectName(QStringLiteral("couponTypePopUpButton"));
    type->setAccessibleName(tr("Coupon type"));
    type->setToolTip(tr("A percentage off the price, or a fixed amount off"));
    type->addItem(tr("%"));
    type->addItem(m_context.formats().fixedCouponTitle);
    product.bind(type, QStringLiteral("couponType"));
    connect(&m_context, &EditorContext::formatsChanged, type,
            [this, type] { type->setItemText(1, m_context.formats().fixedCouponTitle); });
    valueRow->addWidget(value);
    valueRow->addWidget(type);
    valueRow->addStretch();
    auto *valueLabel = new QLabel(tr("&Value:"), couponFields);
    valueLabel->setBuddy(value);
    couponGrid->addRow(valueLabel, valueRow);

    const auto dateTime = [&product, couponFields](const char *objectName, const QString &field,
                                                   const QString &accessibleName) {
        auto *edit = new QDateTimeEdit(couponFields);
        edit->setObjectName(QLatin1String(objectName));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setAccessibleName(accessibleName);
        edit->findChild<QLineEdit *>()->setAccessibleName(accessibleName);
        product.bind(edit, field);
        return edit;
    };
    auto *datesRow = new QHBoxLayout;
    QDateTimeEdit *start = dateTime("couponStartDatePicker", QStringLiteral("couponStart"), tr("Coupon valid from"));
    QDateTimeEdit *end = dateTime("couponEndDatePicker", QStringLiteral("couponEnd"), tr("Coupon valid until"));
    auto *until = new QLabel(tr("&until"), couponFields);
    until->setBuddy(end);
    datesRow->addWidget(start);
    datesRow->addWidget(until);
    datesRow->addWidget(end);
    datesRow->addStretch();
    auto *fromLabel = new QLabel(tr("Valid &from:"), couponFields);
    fromLabel->setBuddy(start);
    couponGrid->addRow(fromLabel, datesRow);
    couponLayout->addWidget(couponFields);

    auto *layout = new QGridLayout(this);
    layout->addWidget(priceBox, 0, 0);
    layout->addWidget(shippingBox, 0, 1);
    layout->addWidget(couponBox, 1, 0, 1, 2);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    const QList<QWidget *> order = {price, hasSpecial, special, tax, limit, hasShipping, shipping, additional,
                                    weight, hasCoupon, code, description, value, type, start, end};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ProductPricingPage::setCouponWarningVisible(bool visible)
{
    m_couponWarning->setVisible(visible);
}

bool ProductPricingPage::isCouponWarningVisible() const
{
    return !m_couponWarning->isHidden();
}
