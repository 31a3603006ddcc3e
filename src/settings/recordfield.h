#pragma once

#include "util/color.h"
#include "util/styledtext.h"

#include <QJsonValue>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

class KeyedArchiver;
class KeyedUnarchiver;
class QObject;
class TillboxCurrency;

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

// Where a field's value lives inside its record.
using FieldSlot = std::variant<int *, float *, bool *, QString *, std::optional<Color> *,
                               std::optional<StyledText> *, QMap<QString, QString> *,
                               std::shared_ptr<TillboxCurrency> *>;

// One row of a record's field table: the field's name (getter, JSON key and
// change key), its archive key and kind, and how to reach its storage. The
// records keep one such table each, so encoding, JSON and the list of watched
// keys cannot drift apart.
struct RecordField
{
    const char *name;
    const char *key;   // archive key; nullptr when the field is not archived
    ValueKind kind;
    FieldSlot (*slot)(QObject &record);
    // Position among the keys that mark the page changed (1 = first); 0 when
    // the editor does not watch the field.
    int watchOrder = 0;
    // Key announced on change when it differs from the field name.
    const char *changeName = nullptr;

    QString changeKey() const;
    bool isArchived() const { return kind != ValueKind::NotArchived; }

    // Writes the field under its key; nothing for fields that are not archived.
    void encode(KeyedArchiver &coder, const QObject &record) const;
    // Reads the field under its key with the rules of its kind (a missing key
    // gives 0, false or absent) and stores it; true when the value changed.
    bool decode(KeyedUnarchiver &coder, QObject &record) const;
    QJsonValue toJson(const QObject &record) const;
};

// Value comparison as the setters need it: an absent string differs from an
// empty one, and a float is unchanged only when its bits are.
bool sameFieldValue(const QString &a, const QString &b);
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
