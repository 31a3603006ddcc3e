#pragma once

#include <QString>
#include <optional>

// An RGBA colour as the stored pages keep it: components in double precision,
// nominally 0.0 to 1.0, in the calibrated RGB space. A colour read from an
// archive in a space without an RGB form (a pattern, a named catalogue colour)
// is kept as "not RGB" so that it can still be written back.
class Color
{
public:
    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha = 1.0)
        : m_red(red), m_green(green), m_blue(blue), m_alpha(alpha) {}

    static Color withoutRgbForm() { Color c; c.m_hasRgb = false; return c; }

    double red() const { return m_red; }
    double green() const { return m_green; }
    double blue() const { return m_blue; }
    double alpha() const { return m_alpha; }
    bool hasRgbForm() const { return m_hasRgb; }

    // Six lower-case hex digits (red, green, blue), no "#"; alpha is ignored.
    // Each component is scaled by 256 - 2^-16 and truncated, so 0.5 gives 7f.
    // Components outside 0..1 (and NaN) are clamped first, so the result is
    // always six digits. Absent for a colour without an RGB form.
    std::optional<QString> qmvHexValue() const;
    std::optional<QString> hexValue() const { return qmvHexValue(); }

    friend bool operator==(const Color &, const Color &) = default;

private:
    double m_red = 0.0;
    double m_green = 0.0;
    double m_blue = 0.0;
    double m_alpha = 1.0;
    bool m_hasRgb = true;
};
