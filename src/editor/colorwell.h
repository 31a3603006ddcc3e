#pragma once

#include "util/color.h"

#include <QColor>
#include <QToolButton>

#include <functional>
#include <optional>

// A button that shows a colour and lets the author pick another one. Picking
// is done by a chooser (the platform's colour dialog), which tests replace.
class ColorWell : public QToolButton
{
    Q_OBJECT

public:
    // Asks for a colour, starting from the current one; nothing when cancelled.
    using Chooser = std::function<std::optional<QColor>(const QColor &current, QWidget *parent, const QString &title)>;

    explicit ColorWell(const QString &title, QWidget *parent = nullptr);

    std::optional<Color> color() const { return m_color; }
    void setColor(const std::optional<Color> &color);

    static void setChooser(Chooser chooser);
    static QColor toQColor(const Color &color);
    static Color fromQColor(const QColor &color);

Q_SIGNALS:
    // The author picked a colour (not sent by setColor).
    void colorChosen();

private:
    void choose();
    void updateSwatch();

    QString m_title;
    std::optional<Color> m_color;
};
