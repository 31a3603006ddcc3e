#pragma once

#include "util/color.h"

#include <QList>
#include <QString>

class StyledText;
class TillboxGlobalSettings;

// A pair of the shop's colours whose text is too faint to read well: below
// the ratio normal text needs (ColorContrast::MinimumTextRatio). The export
// keeps the author's colours; this tells the author (the editor beside the
// colour field, the command line as a warning).
struct ColorContrastWarning
{
    QString place;   // where the text stands: "cart text", "button text", "page text"
    QString field;   // the settings colour to change ("cartButtonColor"); empty for the page's text
    Color foreground;
    Color background;
    double ratio = 0;
    Color suggestion; // the nearest shade of the colour to change that passes

    // "button text #ffffff on #e07a5f: contrast 2.95:1, below 4.5:1; nearest passing cartButtonColor: #b5482b"
    QString message() const;
};

class ShopColorCheck
{
public:
    // The cart's and the buttons' text against their backgrounds (the
    // listing's buttons share the cart's colours).
    static QList<ColorContrastWarning> settingsWarnings(const TillboxGlobalSettings &settings);
    // Each distinct colour of the styled text against the page's background.
    static QList<ColorContrastWarning> styledTextWarnings(const StyledText &text, const Color &page);
};
