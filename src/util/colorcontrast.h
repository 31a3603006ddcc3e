#pragma once

#include "util/color.h"

// Contrast between two colours as WCAG 2 measures it, on the colours as a
// page shows them (the six hex digits the export writes, alpha ignored).
class ColorContrast
{
public:
    // What normal-size text needs against its background (WCAG 2 AA).
    static constexpr double MinimumTextRatio = 4.5;

    // Relative luminance, 0 (black) to 1 (white), of the colour's sRGB value.
    static double relativeLuminance(const Color &color);
    // (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
    static double ratio(const Color &a, const Color &b);
    // The ratio as people read it, cut (not rounded) to two decimals, so
    // that a failing 4.499 never shows as "4.50": "2.95:1".
    static QString ratioText(double ratio);

    // The shade of colour closest to it that reaches minimum against other:
    // colour mixed with black or with white, by the smallest amount that
    // passes, in whole hex steps. colour itself when it already passes.
    static Color nearestPassingShade(const Color &colour, const Color &other,
                                     double minimum = MinimumTextRatio);
};
