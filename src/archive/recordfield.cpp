#include "archive/recordfield.h"

#include "util/jsonvalues.h"

#include <cstring>

namespace {

template <class>
inline constexpr bool kUnhandledSlot = false;

} // namespace

bool sameFieldValue(const QString &a, const QString &b)
{
    return a.isNull() == b.isNull() && a == b;
}

bool sameFieldValue(const QByteArray &a, const QByteArray &b)
{
    if (a.isNull() != b.isNull() || a.size() != b.size())
        return false;
    return a.constData() == b.constData() || a == b;
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

void RecordField::encode(KeyedArchiver &coder, const void *record) const
{
    if (!isArchived())
        return;
    // The slot accessor is shared with the writing side; reading through it
    // here does not modify the record.
    std::visit(
        [&](auto p) {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>) {
                p.ops->encode(coder, key, p.member);
            } else {
                using T = std::remove_pointer_t<P>;
                if constexpr (std::is_same_v<T, int32_t>) {
                    if (kind == ValueKind::NativeInt)
                        coder.encodeInt32(key, *p);
                    else if (kind == ValueKind::FloatNumber)
                        coder.encodeFloatNumber(key, static_cast<float>(*p));
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
                } else if constexpr (std::is_same_v<T, QByteArray>) {
                    coder.encodeData(key, *p);
                } else if constexpr (std::is_same_v<T, std::optional<QDateTime>>) {
                    coder.encodeDate(key, *p);
                } else {
                    static_assert(kUnhandledSlot<T>);
                }
            }
        },
        slot(const_cast<void *>(record)));
}

bool RecordField::decode(KeyedUnarchiver &coder, void *record) const
{
    Q_ASSERT(isArchived());
    return std::visit(
        [&](auto p) -> bool {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>) {
                return p.ops->decode(coder, key, p.member);
            } else {
                using T = std::remove_pointer_t<P>;
                if constexpr (std::is_same_v<T, int32_t>) {
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
                } else if constexpr (std::is_same_v<T, QByteArray>) {
                    return storeFieldValue(*p, coder.decodeData(key));
                } else if constexpr (std::is_same_v<T, std::optional<QDateTime>>) {
                    return storeFieldValue(*p, coder.decodeDate(key));
                } else {
                    static_assert(kUnhandledSlot<T>);
                    return false;
                }
            }
        },
        slot(record));
}

QJsonValue RecordField::toJson(const void *record) const
{
    return std::visit(
        [](auto p) -> QJsonValue {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>) {
                return p.ops->toJson(p.member);
            } else {
                using T = std::remove_pointer_t<P>;
                if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, bool>) {
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
                } else if constexpr (std::is_same_v<T, QByteArray>) {
                    return JsonValues::fromData(*p);
                } else if constexpr (std::is_same_v<T, std::optional<QDateTime>>) {
                    return JsonValues::fromDate(*p);
                } else {
                    static_assert(kUnhandledSlot<T>);
                    return QJsonValue();
                }
            }
        },
        slot(const_cast<void *>(record)));
}

void RecordField::copyValue(const void *from, void *to) const
{
    const FieldSlot source = slot(const_cast<void *>(from));
    const FieldSlot target = slot(to);
    std::visit(
        [&](auto p) {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>)
                p.ops->copy(p.member, std::get<ObjectSlot>(target).member);
            else
                *std::get<P>(target) = *p;
        },
        source);
}

QVariant RecordField::value(const void *record) const
{
    return std::visit(
        [](auto p) -> QVariant {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>) {
                return QVariant();
            } else {
                using T = std::remove_pointer_t<P>;
                if constexpr (std::is_same_v<T, std::optional<Color>> || std::is_same_v<T, std::optional<StyledText>> ||
                              std::is_same_v<T, std::optional<QDateTime>>)
                    return *p ? QVariant::fromValue(**p) : QVariant();
                else
                    return QVariant::fromValue(*p);
            }
        },
        slot(const_cast<void *>(record)));
}

bool RecordField::store(void *record, const QVariant &value) const
{
    return std::visit(
        [&value](auto p) -> bool {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, ObjectSlot>) {
                return false;
            } else {
                using T = std::remove_pointer_t<P>;
                if constexpr (std::is_same_v<T, std::optional<Color>> || std::is_same_v<T, std::optional<StyledText>> ||
                              std::is_same_v<T, std::optional<QDateTime>>) {
                    using V = typename T::value_type;
                    return storeFieldValue(*p, value.isValid() ? T(value.value<V>()) : T());
                } else if constexpr (std::is_same_v<T, QString>) {
                    // A null QVariant clears to the absent (null) string.
                    return storeFieldValue(*p, value.isNull() ? QString() : value.toString());
                } else {
                    return storeFieldValue(*p, value.value<T>());
                }
            }
        },
        slot(record));
}
