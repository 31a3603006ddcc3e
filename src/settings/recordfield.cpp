#include "settings/recordfield.h"

#include "archive/keyedarchiver.h"
#include "settings/tillboxcurrency.h"
#include "util/jsonvalues.h"

#include <QJsonObject>

#include <cstring>

namespace {

template <class>
inline constexpr bool kUnhandledSlot = false;

} // namespace

bool sameFieldValue(const QString &a, const QString &b)
{
    return a.isNull() == b.isNull() && a == b;
}

bool sameFieldValue(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameFieldValue(const QMap<QString, QString> &a, const QMap<QString, QString> &b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.cbegin(), j = b.cbegin(); i != a.cend(); ++i, ++j) {
        if (i.key() != j.key() || !sameFieldValue(i.value(), j.value()))
            return false;
    }
    return true;
}

QString RecordField::changeKey() const
{
    return QLatin1String(changeName ? changeName : name);
}

void RecordField::encode(KeyedArchiver &coder, const QObject &record) const
{
    if (!isArchived())
        return;
    // The slot accessor is shared with the writing side; reading through it
    // here does not modify the record.
    const FieldSlot storage = slot(const_cast<QObject &>(record));
    std::visit(
        [&](auto *p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, int>) {
                if (kind == ValueKind::NativeInt)
                    coder.encodeInt32(key, *p);
                else
                    coder.encodeIntNumber(key, *p);
            } else if constexpr (std::is_same_v<T, bool>) {
                if (kind == ValueKind::NativeBool)
                    coder.encodeBool(key, *p);
                else
                    coder.encodeBoolNumber(key, *p);
            } else if constexpr (std::is_same_v<T, float>) {
                coder.encodeFloatNumber(key, *p);
            } else if constexpr (std::is_same_v<T, QString>) {
                coder.encodeString(key, *p);
            } else if constexpr (std::is_same_v<T, std::optional<Color>>) {
                coder.encodeColor(key, *p);
            } else if constexpr (std::is_same_v<T, std::optional<StyledText>>) {
                coder.encodeStyledText(key, *p);
            } else if constexpr (std::is_same_v<T, QMap<QString, QString>>) {
                coder.encodeStringDictionary(key, *p);
            } else if constexpr (std::is_same_v<T, std::shared_ptr<TillboxCurrency>>) {
                coder.encodeObject(key, *p);
            } else {
                static_assert(kUnhandledSlot<T>);
            }
        },
        storage);
}

bool RecordField::decode(KeyedUnarchiver &coder, QObject &record) const
{
    Q_ASSERT(isArchived());
    return std::visit(
        [&](auto *p) -> bool {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, int>) {
                return storeFieldValue(*p, coder.decodeInt32(key));
            } else if constexpr (std::is_same_v<T, bool>) {
                return storeFieldValue(*p, coder.decodeBool(key));
            } else if constexpr (std::is_same_v<T, float>) {
                return storeFieldValue(*p, coder.decodeFloat(key));
            } else if constexpr (std::is_same_v<T, QString>) {
                return storeFieldValue(*p, coder.decodeString(key));
            } else if constexpr (std::is_same_v<T, std::optional<Color>>) {
                return storeFieldValue(*p, coder.decodeColor(key));
            } else if constexpr (std::is_same_v<T, std::optional<StyledText>>) {
                return storeFieldValue(*p, coder.decodeStyledText(key));
            } else if constexpr (std::is_same_v<T, QMap<QString, QString>>) {
                return storeFieldValue(*p, coder.decodeStringDictionary(key).value_or(QMap<QString, QString>()));
            } else if constexpr (std::is_same_v<T, std::shared_ptr<TillboxCurrency>>) {
                return storeFieldValue(*p, coder.decodeObject<TillboxCurrency>(key));
            } else {
                static_assert(kUnhandledSlot<T>);
                return false;
            }
        },
        slot(record));
}

QJsonValue RecordField::toJson(const QObject &record) const
{
    const FieldSlot storage = slot(const_cast<QObject &>(record));
    return std::visit(
        [](auto *p) -> QJsonValue {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, int> || std::is_same_v<T, bool>) {
                return QJsonValue(*p);
            } else if constexpr (std::is_same_v<T, float>) {
                return JsonValues::fromFloat(*p);
            } else if constexpr (std::is_same_v<T, QString>) {
                return JsonValues::fromString(*p);
            } else if constexpr (std::is_same_v<T, std::optional<Color>>) {
                return JsonValues::fromColor(*p);
            } else if constexpr (std::is_same_v<T, std::optional<StyledText>>) {
                return JsonValues::fromStyledText(*p);
            } else if constexpr (std::is_same_v<T, QMap<QString, QString>>) {
                return JsonValues::fromStringDictionary(*p);
            } else if constexpr (std::is_same_v<T, std::shared_ptr<TillboxCurrency>>) {
                return *p ? QJsonValue((*p)->toJson()) : QJsonValue(QJsonValue::Null);
            } else {
                static_assert(kUnhandledSlot<T>);
                return QJsonValue();
            }
        },
        storage);
}
