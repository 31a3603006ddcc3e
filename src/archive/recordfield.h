#pragma once

#include "archive/keyedarchiver.h"
#include "util/color.h"
#include "util/styledtext.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

// How a field is stored in the keyed archive. The number kinds are written as
// number objects; the native kinds as the archive's own inline entries. Which
// object is written for Object follows from the field's storage type.
enum class ValueKind {
    IntNumber,
    BoolNumber,
    FloatNumber,
    NativeBool,
    NativeInt,
    Object,
    NotArchived,
};

// When loading reads a field. Older pages lack whole groups of keys, so a
// group is read only when its first key (the row's guard) is present and an
// old page keeps the defaults of settings it never had.
enum class LoadRule {
    Always,    // a missing key gives 0, false or absent
    IfPresent, // a missing key leaves the value as it is
    InGroup,   // read only when the row's guard key is present
    Migrated,  // read by an explicit step of the record's loader
};

// What a copy of the record does with the field.
enum class CopyRule {
    Copy,     // the value (records held by reference are copied deeply)
    Skip,     // the copy keeps its own (an identity, a registry entry)
};

// The operations a field that holds a record, or a list of records, needs.
// Made by objectFieldOps<T>() and objectListFieldOps<T>() below, where T is
// complete, so this layer stays below the records it stores.
struct ObjectFieldOps
{
    void (*encode)(KeyedArchiver &coder, const char *key, const void *member);
    // True when the stored value changed.
    bool (*decode)(KeyedUnarchiver &coder, const char *key, void *member);
    QJsonValue (*toJson)(const void *member);
    void (*copy)(const void *from, void *to);
};

struct ObjectSlot
{
    void *member;
    const ObjectFieldOps *ops;
};

// Where a field's value lives inside its record.
using FieldSlot = std::variant<int32_t *, float *, bool *, QString *, std::optional<Color> *,
                               std::optional<StyledText> *, QMap<QString, QString> *, QByteArray *,
                               std::optional<QDateTime> *, ObjectSlot>;

// One row of a record's field table: the field's name (getter, JSON key and
// change key), its archive key and kind, how to reach its storage, and how
// loading and copying treat it. Each record keeps one such table, so
// encoding, loading, copying, JSON and the list of watched keys cannot drift
// apart.
struct RecordField
{
    const char *name;
    const char *key; // archive key; nullptr when the field is not archived
    ValueKind kind;
    FieldSlot (*slot)(void *record);
    // Position among the keys that mark the page changed (1 = first); 0 when
    // the editor does not watch the field.
    int watchOrder = 0;
    // Key announced on change when it differs from the field name.
    const char *changeName = nullptr;
    LoadRule load = LoadRule::Always;
    const char *guard = nullptr; // with LoadRule::InGroup: the group's first key
    CopyRule copy = CopyRule::Copy;

    QString changeKey() const;
    bool isArchived() const { return kind != ValueKind::NotArchived; }

    // Writes the field under its key; nothing for fields that are not archived.
    void encode(KeyedArchiver &coder, const void *record) const;
    // Reads the field under its key with the rules of its kind (a missing key
    // gives 0, false or absent) and stores it; true when the value changed.
    bool decode(KeyedUnarchiver &coder, void *record) const;
    QJsonValue toJson(const void *record) const;
    // Copies the field's value from one record to another of the same class.
    void copyValue(const void *from, void *to) const;

    // The value for editors: int, float, bool, QString, QByteArray, Color,
    // StyledText, QDateTime or the string map; an absent optional value is an
    // invalid QVariant. Record-holding fields give an invalid QVariant.
    QVariant value(const void *record) const;
    // Stores a value of that form (an invalid QVariant clears an optional
    // value); true when the stored value changed. Record-holding fields are
    // not stored this way: false.
    bool store(void *record, const QVariant &value) const;
};

// Rules for table rows beyond the defaults (read always, copied):
// inGroup("CouponCode", {...}), ifPresent({...}), migrated({...}), notCopied({...}).
inline RecordField inGroup(const char *guard, RecordField row)
{
    row.load = LoadRule::InGroup;
    row.guard = guard;
    return row;
}
inline RecordField ifPresent(RecordField row)
{
    row.load = LoadRule::IfPresent;
    return row;
}
inline RecordField migrated(RecordField row)
{
    row.load = LoadRule::Migrated;
    return row;
}
inline RecordField notCopied(RecordField row)
{
    row.copy = CopyRule::Skip;
    return row;
}

// Value comparison as the setters need it: an absent string differs from an
// empty one, a null byte array from an empty one, and a float is unchanged
// only when its bits are (so -0 differs from 0 and a stored NaN stays put).
bool sameFieldValue(const QString &a, const QString &b);
bool sameFieldValue(const QByteArray &a, const QByteArray &b);
bool sameFieldValue(float a, float b);
bool sameFieldValue(const QMap<QString, QString> &a, const QMap<QString, QString> &b);
template <class T>
bool sameFieldValue(const T &a, const T &b)
{
    return a == b;
}

// Stores value into member when it differs; true when it did.
template <class T>
bool storeFieldValue(T &member, const T &value)
{
    if (sameFieldValue(member, value))
        return false;
    member = value;
    return true;
}

// A field holding one record by shared reference (std::shared_ptr<T>).
template <class T>
const ObjectFieldOps &objectFieldOps()
{
    using Member = std::shared_ptr<T>;
    static const ObjectFieldOps ops{
        [](KeyedArchiver &coder, const char *key, const void *member) {
            coder.encodeObject(key, *static_cast<const Member *>(member));
        },
        [](KeyedUnarchiver &coder, const char *key, void *member) {
            return storeFieldValue(*static_cast<Member *>(member), coder.decodeObject<T>(key));
        },
        [](const void *member) {
            const Member &object = *static_cast<const Member *>(member);
            return object ? QJsonValue(object->toJson()) : QJsonValue(QJsonValue::Null);
        },
        [](const void *from, void *to) {
            const Member &object = *static_cast<const Member *>(from);
            *static_cast<Member *>(to) = object ? object->copy() : nullptr;
        },
    };
    return ops;
}

// A field holding an ordered list of records (QList<std::shared_ptr<T>>). A
// missing list reads as an empty one, so the editor has a list to add to.
template <class T>
const ObjectFieldOps &objectListFieldOps()
{
    using Member = QList<std::shared_ptr<T>>;
    static const ObjectFieldOps ops{
        [](KeyedArchiver &coder, const char *key, const void *member) {
            coder.encodeObjectList(key, *static_cast<const Member *>(member));
        },
        [](KeyedUnarchiver &coder, const char *key, void *member) {
            return storeFieldValue(*static_cast<Member *>(member), coder.decodeObjectList<T>(key).value_or(Member()));
        },
        [](const void *member) {
            QJsonArray items;
            for (const auto &item : *static_cast<const Member *>(member))
                items.append(item ? QJsonValue(item->toJson()) : QJsonValue(QJsonValue::Null));
            return QJsonValue(items);
        },
        [](const void *from, void *to) {
            Member copies;
            for (const auto &item : *static_cast<const Member *>(from)) {
                if (item)
                    copies.append(item->copy());
            }
            *static_cast<Member *>(to) = copies;
        },
    };
    return ops;
}

// The slot accessor of a table row: FIELD_SLOT(TillboxProduct, m_price).
#define FIELD_SLOT(Record, member) [](void *record) -> FieldSlot { return &static_cast<Record *>(record)->member; }
#define OBJECT_SLOT(Record, member, ops) \
    [](void *record) -> FieldSlot { return ObjectSlot{&static_cast<Record *>(record)->member, &(ops)}; }
