#include "util/jsonvalues.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <cstdlib>

QJsonValue JsonValues::fromString(const QString &value)
{
    return value.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(value);
}

QJsonValue JsonValues::fromFloat(float value)
{
    if (!std::isfinite(value))
        return QJsonValue(QJsonValue::Null);
    // Find the fewest significant digits that still give back the same float,
    // then hand JSON the double nearest that decimal: it prints as that decimal.
    for (int digits = 1; digits <= 9; ++digits) {
        const QByteArray text = QByteArray::number(double(value), 'g', digits);
        const double parsed = std::strtod(text.constData(), nullptr);
        if (static_cast<float>(parsed) == value)
            return QJsonValue(parsed);
    }
    return QJsonValue(double(value));
}

QJsonValue JsonValues::fromDate(const std::optional<QDateTime> &value)
{
    if (!value || !value->isValid())
        return QJsonValue(QJsonValue::Null);
    return QJsonValue(double(value->toMSecsSinceEpoch()) / 1000.0);
}

QJsonValue JsonValues::fromData(const QByteArray &value)
{
    if (value.isNull())
        return QJsonValue(QJsonValue::Null);
    QJsonObject object;
    object.insert(QStringLiteral("length"), double(value.size()));
    object.insert(QStringLiteral("sha1"),
                  QString::fromLatin1(QCryptographicHash::hash(value, QCryptographicHash::Sha1).toHex()));
    return object;
}

QJsonValue JsonValues::fromColor(const std::optional<Color> &value)
{
    if (!value || !value->hasRgbForm())
        return QJsonValue(QJsonValue::Null);
    return QJsonArray{value->red(), value->green(), value->blue(), value->alpha()};
}

QJsonValue JsonValues::fromStyledText(const std::optional<StyledText> &value)
{
    if (!value)
        return QJsonValue(QJsonValue::Null);
    return value->text();
}

QJsonValue JsonValues::fromStringDictionary(const std::optional<QMap<QString, QString>> &value)
{
    if (!value)
        return QJsonValue(QJsonValue::Null);
    QJsonObject object;
    for (auto it = value->cbegin(); it != value->cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}
