#include "util/color.h"

#include <cstdint>

namespace {
// 256 - 2^-16: the double value of the single-precision literal 255.99999.
// Scaling by it and truncating maps 1.0 to 255 and 0.5 to 127 (not 128).
constexpr double kHexScale = 255.99998474121094;

QString hexByte(double component)
{
    // Stored pages may hold extended-range components (below 0 or above 1) or
    // even NaN. Unclamped, those would print as "ffffff81" or "133" and break
    // the six-digit colour the cart script expects (and the cast would be
    // undefined for huge values), so they are pinned to the valid range.
    // Inside 0..1 this changes nothing.
    if (!(component > 0.0))
        component = 0.0;
    else if (component > 1.0)
        component = 1.0;
    const auto value = static_cast<int32_t>(component * kHexScale);
    return QString::asprintf("%02x", value);
}
} // namespace

std::optional<QString> Color::qmvHexValue() const
{
    if (!m_hasRgb)
        return std::nullopt;
    return hexByte(m_red) + hexByte(m_green) + hexByte(m_blue);
}
