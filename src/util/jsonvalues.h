#pragma once

#include "util/color.h"
#include "util/styledtext.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <optional>

// Conversions of record values to JSON for `tillbox inspect`: one place that
// decides how each value kind is shown, so every record prints alike.
class JsonValues
{
public:
    // null for an absent (null) string.
    static QJsonValue fromString(const QString &value);
    // The shortest decimal that reads back as the same 32-bit float.
    static QJsonValue fromFloat(float value);
    // Seconds since 1970-01-01 UTC; null when absent.
    static QJsonValue fromDate(const std::optional<QDateTime> &value);
    // {"length": n, "sha1": "..."}; null for a null byte array.
    static QJsonValue fromData(const QByteArray &value);
    // [r, g, b, a] in calibrated RGB; null when absent or without an RGB form.
    static QJsonValue fromColor(const std::optional<Color> &value);
    // The plain characters; null when absent.
    static QJsonValue fromStyledText(const std::optional<StyledText> &value);
    static QJsonValue fromStringDictionary(const std::optional<QMap<QString, QString>> &value);
};
