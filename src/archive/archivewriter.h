#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

// The objects of a keyed archive as KeyedArchiver collects them, and their
// binary property list written in one pass into one buffer.
//
// Texts and numbers are shared as they arrive (a binary property list holds
// each distinct string, key, number and reference once), so the number of
// property-list objects, and with it the width of every reference, is known
// before the first byte is written. The objects come out in the order a
// depth-first walk of the archive's dictionary gives ($version, $objects
// with each archived object followed by what it holds, $archiver, $top),
// which is also the order the earlier tree-based writer used.
class ArchiveWriter
{
public:
    struct Value
    {
        enum Kind : uint8_t { Uid, Integer, Real, Bool, String, Data, Array, Dict };
        Kind kind = Uid;
        uint64_t bits = 0; // the reference, integer or real bits; the id of a text, data, array or dictionary
    };
    struct Entry
    {
        uint32_t key; // a text id
        Value value;
    };

    ArchiveWriter();
    ~ArchiveWriter();

    // Values; each is counted once however often it is used.
    Value uid(uint64_t uid);
    Value integer(int64_t value); // negative values as their two's complement
    Value real(double value);
    Value boolean(bool value);
    Value text(std::string_view utf8);
    Value data(const QByteArray &bytes); // shared, not copied
    Value array(std::span<const Value> items);
    Value dict(std::span<const Entry> entries);
    uint32_t key(const char *key); // a literal, remembered by its address too

    // The archive's objects by UID: reserve a slot, set it once known.
    uint64_t reserveObject();
    void setObject(uint64_t uid, Value value);
    uint64_t addObject(Value value);

    // The file, with `top` as the value of "$top".
    QByteArray finish(Value top);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
