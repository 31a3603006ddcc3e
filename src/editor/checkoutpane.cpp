#include "editor/checkoutpane.h"

#include "editor/directordersheet.h"
#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/recordedchangecommand.h"
#include "editor/smtpsheet.h"

#include "plugin/tillboxplugin.h"
#include "plugin/weblinks.h"
#include "settings/currencytables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The pop-up's items in page order, each with the setting that ticks it.
struct Service
{
    const char *enableField;
    const char *title;
};
const Service kServices[] = {
    {"enablePayPal", QT_TRANSLATE_NOOP("CheckoutPane", "PayPal")},
    {"enableGoogleCheckout", QT_TRANSLATE_NOOP("CheckoutPane", "Google Checkout")},
    {"enableEJunkie", QT_TRANSLATE_NOOP("CheckoutPane", "E-junkie")},
    {"enableDirectOrder", QT_TRANSLATE_NOOP("CheckoutPane", "Direct order by e-mail")},
    {"enableSisow", QT_TRANSLATE_NOOP("CheckoutPane", "Sisow")},
};

QString payPalLanguageName(const QString &code)
{
    static const QList<std::pair<QString, QString>> names = {
        {QString(), QObject::tr("PayPal's default")},
        {QStringLiteral("US"), QObject::tr("English (United States)")},
        {QStringLiteral("UK"), QObject::tr("English (United Kingdom)")},
        {QStringLiteral("CN"), QObject::tr("Chinese")},
        {QStringLiteral("AU"), QObject::tr("English (Australia)")},
        {QStringLiteral("FR"), QObject::tr("French")},
        {QStringLiteral("DE"), QObject::tr("German")},
        {QStringLiteral("IT"), QObject::tr("Italian")},
        {QStringLiteral("ES"), QObject::tr("Spanish")},
    };
    for (const auto &[known, name] : names) {
        if (known == code)
            return code.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, code);
    }
    return code;
}

QLineEdit *lineEdit(QWidget *parent, const QString &placeholder = QString())
{
    auto *edit = new QLineEdit(parent);
    edit->setPlaceholderText(placeholder);
    edit->setMinimumWidth(280);
    return edit;
}

} // namespace

CheckoutPane::CheckoutPane(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QHBoxLayout;
    auto *label = new QLabel(tr("&Checkout service:"), this);
    m_checkoutPopUpButton = new QComboBox(this);
    m_checkoutPopUpButton->setObjectName(QStringLiteral("checkoutPopUpButton"));
    m_checkoutPopUpButton->setToolTip(tr("Ticked services are offered to shoppers. Choose one to set it up."));
    label->setBuddy(m_checkoutPopUpButton);
    auto *model = new QStandardItemModel(m_checkoutPopUpButton);
    for (const Service &service : kServices) {
        auto *item = new QStandardItem(tr(service.title));
        // The tick shows the service is on; choosing an item does not change it.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(Qt::Unchecked, Qt::CheckStateRole);
        model->appendRow(item);
    }
    m_checkoutPopUpButton->setModel(model);
    bar->addWidget(label);
    bar->addWidget(m_checkoutPopUpButton);
    m_offered = new QLabel(this);
    m_offered->setObjectName(QStringLiteral("offeredServicesLabel"));
    m_offered->setWordWrap(true);
    bar->addSpacing(12);
    bar->addWidget(m_offered, 1);
    layout->addLayout(bar);

    // The page switcher sits in a frame, without tabs: the pop-up switches it.
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *frameLayout = new QVBoxLayout(frame);
    m_checkoutTabView = new QStackedWidget(frame);
    m_checkoutTabView->setObjectName(QStringLiteral("checkoutTabView"));
    m_checkoutTabView->addWidget(buildPayPalPage());
    m_checkoutTabView->addWidget(buildAccountPage({QStringLiteral("googleCheckoutAccount"), tr("&Merchant ID:"),
                                                   QStringLiteral("enableGoogleCheckout"),
                                                   tr("Offer &Google Checkout")}));
    m_checkoutTabView->addWidget(buildAccountPage({QStringLiteral("eJunkieAccount"), tr("E-junkie &client ID:"),
                                                   QStringLiteral("enableEJunkie"), tr("Offer &E-junkie"),
                                                   tr("How to Open an E-junkie Account\u2026"), TBXEjunkieTrialURL}));
    m_checkoutTabView->addWidget(buildDirectOrderPage());
    m_checkoutTabView->addWidget(buildAccountPage({QStringLiteral("sisowAccount"), tr("Sisow &merchant ID:"),
                                                   QStringLiteral("enableSisow"), tr("Offer &Sisow"),
                                                   tr("Register with Sisow\u2026"), TBXSisowRegistrationURL}));
    frameLayout->addWidget(m_checkoutTabView);
    layout->addWidget(frame);

    // The ticks follow the five switches, whoever changes them.
    FieldBinder &settings = context.settings();
    for (int index = 0; index < int(std::size(kServices)); ++index) {
        settings.bindWidget(m_checkoutPopUpButton, QLatin1String(kServices[index].enableField),
                            {[this, model, index](const QVariant &on) {
                                 model->item(index)->setData(on.toBool() ? Qt::Checked : Qt::Unchecked,
                                                             Qt::CheckStateRole);
                                 showOffered();
                             },
                             []() -> std::optional<QVariant> { return std::nullopt; }});
    }
    connect(m_checkoutPopUpButton, &QComboBox::activated, this, &CheckoutPane::handleCheckoutPopUpClick);

    m_smtpSheet = new SmtpSheet(context, this);
    m_directOrderSheet = new DirectOrderSheet(context, this);

    m_checkoutPopUpButton->setCurrentIndex(0);
    m_checkoutTabView->setCurrentIndex(0);
    handleCheckoutChange();
    // Only text fields widen with the window; menus and numbers keep their size.
    for (QFormLayout *form : findChildren<QFormLayout *>())
        form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
}

void CheckoutPane::handleCheckoutChange()
{
    auto *model = static_cast<QStandardItemModel *>(m_checkoutPopUpButton->model());
    const FieldBinder &settings = m_context.settings();
    for (int index = 0; index < int(std::size(kServices)); ++index) {
        const bool on = settings.record().value(QLatin1String(kServices[index].enableField)).toBool();
        model->item(index)->setData(on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }
    const bool custom = m_payPalLanguagePopUpButton->currentData().toInt() == CurrencyTables::CustomTag;
    m_payPalLanguageCodeBox->setEnabled(custom);
    showOffered();
}

void CheckoutPane::showOffered()
{
    // The closed pop-up hides its ticks: say in words what shoppers get.
    auto *model = static_cast<QStandardItemModel *>(m_checkoutPopUpButton->model());
    QStringList offered;
    for (int index = 0; index < model->rowCount(); ++index) {
        if (model->item(index)->checkState() == Qt::Checked)
            offered << model->item(index)->text();
    }
    m_offered->setText(offered.isEmpty() ? tr("No service is on: shoppers cannot check out.")
                                         : tr("Shoppers can use: %1").arg(offered.join(QStringLiteral(", "))));
}

void CheckoutPane::handleCheckoutPopUpClick(int index)
{
    handleCheckoutChange();
    if (index >= 0 && index < m_checkoutTabView->count())
        m_checkoutTabView->setCurrentIndex(index);
}

void CheckoutPane::showSmtpOptions()
{
    m_smtpSheet->open();
}

void CheckoutPane::showDirectOrderCustomization()
{
    m_directOrderSheet->open();
}

QWidget *CheckoutPane::page(const QString &enableField, const QString &enableText, QWidget *content)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *enable = new QCheckBox(enableText, page);
    enable->setObjectName(enableField + QLatin1String("CheckBox"));
    m_context.settings().bind(enable, enableField);
    layout->addWidget(enable);
    content->setParent(page);
    layout->addWidget(content);
    layout->addStretch();
    return page;
}

QWidget *CheckoutPane::linkButton(const QString &text, const QString &url)
{
    auto *button = new QPushButton(text);
    button->setToolTip(url);
    connect(button, &QPushButton::clicked, this, [url] { QDesktopServices::openUrl(QUrl(url)); });
    return button;
}

QWidget *CheckoutPane::buildPayPalPage()
{
    FieldBinder &settings = m_context.settings();
    auto *content = new QWidget;
    auto *form = new QFormLayout(content);
    form->setContentsMargins(0, 0, 0, 0);
    auto *account = lineEdit(content, tr("seller@example.com"));
    account->setObjectName(QStringLiteral("payPalAccountTextField"));
    settings.bind(account, QStringLiteral("payPalAccount"));
    form->addRow(tr("PayPal &account:"), account);

    auto *sandbox = new QCheckBox(tr("Use PayPal's &sandbox (test payments, no money moves)"), content);
    settings.bind(sandbox, QStringLiteral("enablePayPalSandbox"));
    form->addRow(QString(), sandbox);

    m_payPalLanguagePopUpButton = new QComboBox(content);
    m_payPalLanguagePopUpButton->setObjectName(QStringLiteral("payPalLanguagePopUpButton"));
    for (const CurrencyTables::PayPalLanguage &language : CurrencyTables::payPalLanguages())
        m_payPalLanguagePopUpButton->addItem(payPalLanguageName(language.code), language.tag);
    m_payPalLanguagePopUpButton->addItem(tr("Other (type the code)"), CurrencyTables::CustomTag);
    auto *languageRow = new QWidget(content);
    auto *languageLayout = new QHBoxLayout(languageRow);
    languageLayout->setContentsMargins(0, 0, 0, 0);
    languageLayout->addWidget(m_payPalLanguagePopUpButton);
    m_payPalLanguageCodeBox = new QWidget(languageRow);
    m_payPalLanguageCodeBox->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto *codeLayout = new QHBoxLayout(m_payPalLanguageCodeBox);
    codeLayout->setContentsMargins(0, 0, 0, 0);
    auto *codeLabel = new QLabel(tr("C&ode:"), m_payPalLanguageCodeBox);
    auto *code = new QLineEdit(m_payPalLanguageCodeBox);
    code->setObjectName(QStringLiteral("payPalLanguageCodeTextField"));
    code->setMaxLength(5);
    code->setMaximumWidth(80);
    code->setToolTip(tr("A country code PayPal knows, such as NL or JP"));
    codeLabel->setBuddy(code);
    settings.bind(code, QStringLiteral("payPalLanguageCode"));
    codeLayout->addWidget(codeLabel);
    codeLayout->addWidget(code);
    languageLayout->addWidget(m_payPalLanguageCodeBox);
    languageLayout->addStretch();
    // The menu shows the stored tag; choosing runs the plug-in's language table.
    settings.bindWidget(m_payPalLanguagePopUpButton, QStringLiteral("payPalLanguageTag"),
                        {[this](const QVariant &tag) {
                             m_payPalLanguagePopUpButton->setCurrentIndex(
                                 m_payPalLanguagePopUpButton->findData(tag.toInt()));
                             m_payPalLanguageCodeBox->setEnabled(tag.toInt() == CurrencyTables::CustomTag);
                         },
                         []() -> std::optional<QVariant> { return std::nullopt; }});
    connect(m_payPalLanguagePopUpButton, &QComboBox::activated, this,
            [this](int index) { choosePayPalLanguage(m_payPalLanguagePopUpButton->itemData(index).toInt()); });

    auto *languageLabel = new QLabel(tr("&Language:"), content);
    languageLabel->setBuddy(m_payPalLanguagePopUpButton);
    form->addRow(languageLabel, languageRow);
    return page(QStringLiteral("enablePayPal"), tr("Offer &PayPal"), content);
}

void CheckoutPane::choosePayPalLanguage(int tag)
{
    TillboxPlugin &plugin = m_context.plugin();
    m_context.push(new RecordedChangeCommand(
        m_context, m_context.settings(), {QStringLiteral("payPalLanguageTag"), QStringLiteral("payPalLanguageCode")},
        [&plugin, tag] { plugin.setPayPalLanguage(tag); }, tr("Choose PayPal Language")));
    handleCheckoutChange();
}

QWidget *CheckoutPane::buildAccountPage(const AccountPage &account)
{
    auto *content = new QWidget;
    auto *form = new QFormLayout(content);
    form->setContentsMargins(0, 0, 0, 0);
    auto *edit = lineEdit(content);
    m_context.settings().bind(edit, account.field);
    form->addRow(account.label, edit);
    if (!account.linkText.isEmpty())
        form->addRow(QString(), linkButton(account.linkText, account.linkURL));
    return page(account.enableField, account.enableTitle, content);
}

QWidget *CheckoutPane::buildDirectOrderPage()
{
    FieldBinder &settings = m_context.settings();
    auto *content = new QWidget;
    auto *form = new QFormLayout(content);
    form->setContentsMargins(0, 0, 0, 0);
    auto *email = lineEdit(content, tr("orders@example.com"));
    settings.bind(email, QStringLiteral("directOrderEmail"));
    form->addRow(tr("Send orders &to:"), email);
    auto *subject = lineEdit(content);
    settings.bind(subject, QStringLiteral("directOrderSubject"));
    form->addRow(tr("&Subject:"), subject);
    auto *text = new QPlainTextEdit(content);
    text->setTabChangesFocus(true);
    text->setFixedHeight(text->fontMetrics().lineSpacing() * 4 + 12);
    settings.bind(text, QStringLiteral("directOrderText"));
    form->addRow(tr("&Introduction:"), text);

    auto *uniqueRow = new QWidget(content);
    auto *uniqueLayout = new QHBoxLayout(uniqueRow);
    uniqueLayout->setContentsMargins(0, 0, 0, 0);
    auto *unique = new QCheckBox(tr("Number each order, &prefix:"), uniqueRow);
    settings.bind(unique, QStringLiteral("directOrderUniqueIDEnabled"));
    auto *prefix = new QLineEdit(uniqueRow);
    prefix->setAccessibleName(tr("Order number prefix"));
    prefix->setMaximumWidth(120);
    settings.bind(prefix, QStringLiteral("directOrderUniqueIDPrefix"));
    uniqueLayout->addWidget(unique);
    uniqueLayout->addWidget(prefix);
    uniqueLayout->addStretch();
    form->addRow(QString(), uniqueRow);

    auto *buttons = new QWidget(content);
    auto *buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    auto *formButton = new QPushButton(tr("Order &Form\u2026"), buttons);
    connect(formButton, &QPushButton::clicked, this, &CheckoutPane::showDirectOrderCustomization);
    auto *smtpButton = new QPushButton(tr("Mail Se&rver\u2026"), buttons);
    connect(smtpButton, &QPushButton::clicked, this, &CheckoutPane::showSmtpOptions);
    buttonLayout->addWidget(formButton);
    buttonLayout->addWidget(smtpButton);
    buttonLayout->addStretch();
    form->addRow(QString(), buttons);
    return page(QStringLiteral("enableDirectOrder"), tr("Offer &direct orders by e-mail (needs PHP on the server)"),
                content);
}

