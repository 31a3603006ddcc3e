#include "editor/smtpsheet.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/setfieldcommand.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kSslPort = 465;
constexpr int kPlainPort = 25;

} // namespace

SmtpSheet::SmtpSheet(EditorContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("smtpOptionWindow"));
    setWindowTitle(tr("Mail Server"));
    setWindowModality(Qt::WindowModal);
    FieldBinder &settings = context.settings();

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("Orders are mailed by the shop's PHP script. Without a mail server it uses the web "
                                "server's own mail function, which many hosts block or mark as spam."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *useSmtp = new QCheckBox(tr("Send orders through this mail server"), this);
    settings.bind(useSmtp, QStringLiteral("mailUseSMTP"));
    layout->addWidget(useSmtp);

    auto *form = new QFormLayout;
    auto *host = new QLineEdit(this);
    host->setPlaceholderText(tr("smtp.example.com"));
    settings.bind(host, QStringLiteral("smtpHost"));
    form->addRow(tr("&Host:"), host);

    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("smtpPortTextField"));
    m_port->setRange(1, 65535);
    m_port->setGroupSeparatorShown(false);
    settings.bind(m_port, QStringLiteral("smtpPort"));
    form->addRow(tr("&Port:"), m_port);

    auto *user = new QLineEdit(this);
    settings.bind(user, QStringLiteral("smtpUsername"));
    form->addRow(tr("&User name:"), user);

    auto *password = new QLineEdit(this);
    password->setEchoMode(QLineEdit::Password);
    settings.bind(password, QStringLiteral("smtpPassword"));
    form->addRow(tr("Pass&word:"), password);

    auto *ssl = new QCheckBox(tr("Use &SSL"), this);
    ssl->setObjectName(QStringLiteral("smtpUseSSLCheckBox"));
    settings.bind(ssl, QStringLiteral("smtpUseSSL"));
    connect(ssl, &QCheckBox::clicked, this, &SmtpSheet::setDefaultSmtpPort);
    form->addRow(QString(), ssl);
    layout->addLayout(form);

    auto *note = new QLabel(tr("The password is stored in the page and written into the exported script as it is."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // What is still being typed reaches the settings when the sheet closes.
    connect(this, &QDialog::finished, this, [this] { m_context.settings().commitAll(); });

    host->setMinimumWidth(260);
    m_port->setMinimumWidth(100);
    setMinimumWidth(440);
    // Only text fields widen with the window; menus and numbers keep their size.
    for (QFormLayout *form : findChildren<QFormLayout *>())
        form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
}

void SmtpSheet::setDefaultSmtpPort(bool useSSL)
{
    FieldBinder &settings = m_context.settings();
    const QString field = QStringLiteral("smtpPort");
    const QVariant port(useSSL ? kSslPort : kPlainPort);
    const QVariant stored = settings.record().value(field);
    if (stored.toInt() != port.toInt())
        m_context.push(new SetFieldCommand(m_context, &settings, settings.record(), field, stored, port));
    else
        settings.showField(field);
}
