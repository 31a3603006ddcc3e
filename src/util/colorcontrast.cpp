#include "util/colorcontrast.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// The three 0..255 channels the page gets for a colour (see Color::qmvHexValue).
std::array<int, 3> channels(const Color &color)
{
    const QString hex = color.qmvHexValue().value_or(QStringLiteral("000000"));
    return {hex.mid(0, 2).toInt(nullptr, 16), hex.mid(2, 2).toInt(nullptr, 16), hex.mid(4, 2).toInt(nullptr, 16)};
}

Color fromChannels(const std::array<int, 3> &c)
{
    return Color(c[0] / 255.0, c[1] / 255.0, c[2] / 255.0);
}

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const std::array<int, 3> &c)
{
    return 0.2126 * linear(c[0]) + 0.7152 * linear(c[1]) + 0.0722 * linear(c[2]);
}

double ratioOf(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The first of 255 steps from colour towards target (0 or 255 in every
// channel) whose ratio against a background of luminance other passes.
std::optional<std::pair<int, std::array<int, 3>>> firstPassingStep(const std::array<int, 3> &colour, int target,
                                                                   double other, double minimum)
{
    for (int step = 1; step <= 255; ++step) {
        std::array<int, 3> mixed{};
        for (size_t i = 0; i < 3; ++i)
            mixed[i] = int(std::lround(colour[i] + (target - colour[i]) * (step / 255.0)));
        if (ratioOf(luminance(mixed), other) >= minimum)
            return std::pair{step, mixed};
    }
    return std::nullopt;
}

} // namespace

double ColorContrast::relativeLuminance(const Color &color)
{
    return luminance(channels(color));
}

double ColorContrast::ratio(const Color &a, const Color &b)
{
    return ratioOf(relativeLuminance(a), relativeLuminance(b));
}

QString ColorContrast::ratioText(double ratio)
{
    return QString::number(std::floor(ratio * 100.0 + 1e-9) / 100.0, 'f', 2) + QStringLiteral(":1");
}

Color ColorContrast::nearestPassingShade(const Color &colour, const Color &other, double minimum)
{
    const std::array<int, 3> start = channels(colour);
    const double background = relativeLuminance(other);
    if (ratioOf(luminance(start), background) >= minimum)
        return fromChannels(start);
    const auto darker = firstPassingStep(start, 0, background, minimum);
    const auto lighter = firstPassingStep(start, 255, background, minimum);
    if (darker && (!lighter || darker->first <= lighter->first))
        return fromChannels(darker->second);
    if (lighter)
        return fromChannels(lighter->second);
    // Nothing reaches the ratio (only for a minimum above what black or
    // white give): the stronger of the two.
    return ratioOf(0.0, background) >= ratioOf(1.0, background) ? Color(0, 0, 0) : Color(1, 1, 1);
}
