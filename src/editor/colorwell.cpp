#include "editor/colorwell.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

ColorWell::Chooser &chooser()
{
    static ColorWell::Chooser chooser = [](const QColor &current, QWidget *parent, const QString &title) {
        const QColor picked = QColorDialog::getColor(current, parent, title);
        return picked.isValid() ? std::optional<QColor>(picked) : std::nullopt;
    };
    return chooser;
}

QString hexText(const std::optional<Color> &color)
{
    if (!color)
        return QObject::tr("none");
    if (const auto hex = color->qmvHexValue())
        return QLatin1Char('#') + *hex;
    return QObject::tr("not an RGB colour");
}

} // namespace

ColorWell::ColorWell(const QString &title, QWidget *parent) : QToolButton(parent), m_title(title)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(36, 16));
    setMinimumWidth(120);
    setAccessibleName(title);
    connect(this, &QToolButton::clicked, this, &ColorWell::choose);
    updateSwatch();
}

void ColorWell::setColor(const std::optional<Color> &color)
{
    if (color == m_color)
        return;
    m_color = color;
    updateSwatch();
}

void ColorWell::setChooser(Chooser newChooser)
{
    chooser() = std::move(newChooser);
}

QColor ColorWell::toQColor(const Color &color)
{
    return QColor::fromRgbF(float(color.red()), float(color.green()), float(color.blue()), float(color.alpha()));
}

Color ColorWell::fromQColor(const QColor &color)
{
    return Color(color.redF(), color.greenF(), color.blueF(), color.alphaF());
}

void ColorWell::choose()
{
    const QColor current = m_color && m_color->hasRgbForm() ? toQColor(*m_color) : QColor(Qt::white);
    const std::optional<QColor> picked = chooser()(current, window(), m_title);
    if (!picked || !picked->isValid())
        return;
    const Color chosen = fromQColor(*picked);
    if (m_color == chosen)
        return;
    m_color = chosen;
    updateSwatch();
    Q_EMIT colorChosen();
}

void ColorWell::updateSwatch()
{
    QPixmap swatch(iconSize());
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setPen(palette().color(QPalette::Mid));
    if (m_color && m_color->hasRgbForm())
        painter.setBrush(toQColor(*m_color));
    else
        painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    setIcon(QIcon(swatch));
    const QString hex = hexText(m_color);
    setText(hex);
    setAccessibleDescription(hex);
    setToolTip(tr("%1: %2. Click to choose another colour.").arg(m_title, hex));
}
