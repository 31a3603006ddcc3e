#include "editor/directordersheet.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"

#include "settings/tillboxglobalsettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

DirectOrderSheet::DirectOrderSheet(EditorContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("directOrderCustomizationWindow"));
    setWindowTitle(tr("Order Form"));
    setWindowModality(Qt::WindowModal);
    FieldBinder &settings = context.settings();

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("The fields shoppers fill in when they order by e-mail. A field without a label is "
                                "left out of the form."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    const QStringList headers = {tr("Field"), tr("Label"), tr("Required"), tr("Shopper's e-mail")};
    for (int column = 0; column < headers.size(); ++column) {
        auto *header = new QLabel(QStringLiteral("<b>%1</b>").arg(headers[column]), this);
        grid->addWidget(header, 0, column, column == 1 ? Qt::AlignLeft : Qt::AlignCenter);
    }

    // The e-mail field is one of the fifteen: a column of radio buttons.
    auto *emailBox = new QWidget(this);
    auto *emailGroup = new QButtonGroup(emailBox);
    for (int n = 1; n <= TillboxGlobalSettings::OrderFieldCount; ++n) {
        auto *number = new QLabel(QString::number(n), this);
        auto *label = new QLineEdit(this);
        label->setObjectName(QStringLiteral("directOrderField%1TextField").arg(n));
        label->setAccessibleName(tr("Label of field %1").arg(n));
        label->setMinimumWidth(220);
        settings.bind(label, QStringLiteral("directOrderField%1").arg(n));
        auto *required = new QCheckBox(this);
        required->setAccessibleName(tr("Field %1 is required").arg(n));
        settings.bind(required, QStringLiteral("directOrderField%1Required").arg(n));
        auto *email = new QRadioButton(this);
        email->setAccessibleName(tr("Field %1 holds the shopper's e-mail address").arg(n));
        emailGroup->addButton(email, n);
        grid->addWidget(number, n, 0, Qt::AlignRight);
        grid->addWidget(label, n, 1);
        grid->addWidget(required, n, 2, Qt::AlignCenter);
        grid->addWidget(email, n, 3, Qt::AlignCenter);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    emailBox->hide();

    const auto commitEmail = settings.bindWidget(
        emailBox, QStringLiteral("directOrderEmailFieldTag"),
        {[emailGroup](const QVariant &value) {
             if (QAbstractButton *button = emailGroup->button(value.toInt()))
                 button->setChecked(true);
         },
         [emailGroup]() -> std::optional<QVariant> {
             return emailGroup->checkedId() > 0 ? std::optional<QVariant>(emailGroup->checkedId()) : std::nullopt;
         }});
    connect(emailGroup, &QButtonGroup::idClicked, this, [commitEmail] { commitEmail(); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(this, &QDialog::finished, this, [this] { m_context.settings().commitAll(); });
}
