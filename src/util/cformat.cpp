#include "util/cformat.h"

#include <charconv>
#include <cmath>

namespace {

QString format(double value, std::chars_format style, int precision)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, style, precision);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace

QString CFormat::fixed(double value, int decimals)
{
    return format(value, std::chars_format::fixed, decimals);
}

QString CFormat::general(double value, int significantDigits)
{
    return format(value, std::chars_format::general, significantDigits);
}
