#include "settings/shopcolorcheck.h"

#include "settings/tillboxglobalsettings.h"
#include "util/colorcontrast.h"
#include "util/styledtext.h"

#include <optional>

namespace {

using ColorGetter = std::optional<Color> (TillboxGlobalSettings::*)() const;

// Text colour on background colour; the colour the suggestion is for is the
// one an author would most likely change: the button's own colour rather
// than the text that the cart shares with it.
struct Pair
{
    const char *place;
    ColorGetter foreground;
    ColorGetter background;
    const char *field;
    bool adjustForeground;
};

const Pair kPairs[] = {
    {"cart text", &TillboxGlobalSettings::cartTextColor, &TillboxGlobalSettings::cartBackgroundColor,
     "cartTextColor", true},
    {"button text", &TillboxGlobalSettings::cartTextColor, &TillboxGlobalSettings::cartButtonColor,
     "cartButtonColor", false},
};

QString hex(const Color &color)
{
    return QLatin1Char('#') + color.qmvHexValue().value_or(QString());
}

std::optional<ColorContrastWarning> check(const QString &place, const QString &field, const Color &foreground,
                                          const Color &background, bool adjustForeground)
{
    if (!foreground.hasRgbForm() || !background.hasRgbForm())
        return std::nullopt;
    const double ratio = ColorContrast::ratio(foreground, background);
    if (ratio >= ColorContrast::MinimumTextRatio)
        return std::nullopt;
    const Color suggestion = adjustForeground ? ColorContrast::nearestPassingShade(foreground, background)
                                              : ColorContrast::nearestPassingShade(background, foreground);
    return ColorContrastWarning{place, field, foreground, background, ratio, suggestion};
}

} // namespace

QString ColorContrastWarning::message() const
{
    return QStringLiteral("%1 %2 on %3: contrast %4, below %5; nearest passing %6: %7")
        .arg(place, hex(foreground), hex(background), ColorContrast::ratioText(ratio),
             ColorContrast::ratioText(ColorContrast::MinimumTextRatio),
             field.isEmpty() ? QStringLiteral("shade") : field, hex(suggestion));
}

QList<ColorContrastWarning> ShopColorCheck::settingsWarnings(const TillboxGlobalSettings &settings)
{
    QList<ColorContrastWarning> warnings;
    for (const Pair &pair : kPairs) {
        const auto foreground = (settings.*pair.foreground)();
        const auto background = (settings.*pair.background)();
        if (!foreground || !background)
            continue;
        if (auto warning = check(QString::fromLatin1(pair.place), QString::fromLatin1(pair.field), *foreground,
                                 *background, pair.adjustForeground))
            warnings.append(*warning);
    }
    return warnings;
}

QList<ColorContrastWarning> ShopColorCheck::styledTextWarnings(const StyledText &text, const Color &page)
{
    QList<ColorContrastWarning> warnings;
    QList<QString> seen;
    for (const StyledRun &run : text.runs()) {
        const auto &color = run.attributes.color;
        if (!color || run.length <= 0)
            continue;
        const QString key = color->qmvHexValue().value_or(QString());
        if (seen.contains(key))
            continue;
        seen.append(key);
        if (auto warning = check(QStringLiteral("page text"), QString(), *color, page, true))
            warnings.append(*warning);
    }
    return warnings;
}
