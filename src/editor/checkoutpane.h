#pragma once

#include <QWidget>

class DirectOrderSheet;
class EditorContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class SmtpSheet;

// The checkout services: a pop-up whose ticks show the services that are on
// and whose choice shows that service's page (account, options), one page
// per service in the pop-up's order: PayPal, Google Checkout, E-junkie,
// direct order by e-mail, Sisow.
class CheckoutPane : public QWidget
{
    Q_OBJECT

public:
    explicit CheckoutPane(EditorContext &context, QWidget *parent = nullptr);

    // Ticks the services that are on; the language code field takes input
    // only for the "other" PayPal language.
    void handleCheckoutChange();
    // The author chose a service in the pop-up: its page shows.
    void handleCheckoutPopUpClick(int index);

    void showSmtpOptions();
    void showDirectOrderCustomization();

private:
    QWidget *buildPayPalPage();
    // A back-end whose page holds its account and, maybe, a link to sign up.
    struct AccountPage
    {
        QString field;
        QString label;
        QString enableField;
        QString enableTitle;
        QString linkText = {};
        QString linkURL = {};
    };
    QWidget *buildAccountPage(const AccountPage &account);
    QWidget *buildDirectOrderPage();
    QWidget *page(const QString &enableField, const QString &enableText, QWidget *content);
    QWidget *linkButton(const QString &text, const QString &url);
    void choosePayPalLanguage(int tag);
    void showOffered();

    EditorContext &m_context;
    QComboBox *m_checkoutPopUpButton;
    QStackedWidget *m_checkoutTabView;
    QLabel *m_offered = nullptr;
    QComboBox *m_payPalLanguagePopUpButton = nullptr;
    QWidget *m_payPalLanguageCodeBox = nullptr;
    SmtpSheet *m_smtpSheet = nullptr;
    DirectOrderSheet *m_directOrderSheet = nullptr;
};
