#include "editor/colorwarninglabel.h"

#include "util/colorcontrast.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QString hex(const Color &color)
{
    return QLatin1Char('#') + color.qmvHexValue().value_or(QString());
}

QString describe(const ColorContrastWarning &warning)
{
    QString what;
    if (warning.place == QLatin1String("cart text"))
        what = QObject::tr("Cart text on the cart background");
    else if (warning.place == QLatin1String("button text"))
        what = QObject::tr("Button text on the button colour");
    else
        what = QObject::tr("Text colour %1 on a white page").arg(hex(warning.foreground));
    return QObject::tr("%1 has a contrast of %2; shoppers need at least %3. Nearest passing shade: %4.")
        .arg(what, ColorContrast::ratioText(warning.ratio), ColorContrast::ratioText(ColorContrast::MinimumTextRatio),
             hex(warning.suggestion));
}

} // namespace

ColorWarningLabel::ColorWarningLabel(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    m_icon->setAlignment(Qt::AlignTop);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_use = new QPushButton(this);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_use, 0, Qt::AlignTop);
    connect(m_use, &QPushButton::clicked, this, [this] {
        if (m_warnings.size() == 1 && !m_warnings.first().field.isEmpty())
            Q_EMIT suggestionChosen(m_warnings.first().field, m_warnings.first().suggestion);
    });
    setVisible(false);
}

void ColorWarningLabel::setWarnings(const QList<ColorContrastWarning> &warnings)
{
    m_warnings = warnings;
    QStringList lines;
    for (const ColorContrastWarning &warning : warnings)
        lines << describe(warning);
    m_text->setText(lines.join(QLatin1Char('\n')));
    setAccessibleName(tr("Colour contrast warning"));
    setAccessibleDescription(m_text->text());
    const bool oneField = warnings.size() == 1 && !warnings.first().field.isEmpty();
    m_use->setVisible(oneField);
    if (oneField) {
        m_use->setText(tr("Use %1").arg(hex(warnings.first().suggestion)));
        m_use->setAccessibleName(tr("Use the passing shade %1").arg(hex(warnings.first().suggestion)));
    }
    setVisible(!warnings.isEmpty());
}

QString ColorWarningLabel::text() const
{
    return m_text->text();
}
