#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reads a binary property list ("bplist00") in place: no tree is built, an
// object is its index into the file's offset table and every accessor reads
// the bytes directly. open() checks the whole structure once (trailer,
// offsets, lengths and every reference), so the accessors can trust it and a
// damaged file is refused up front with one reason.
//
// The reader keeps a shallow copy of the bytes it was opened on.
class BinaryPlistReader
{
public:
    using Object = uint32_t;
    static constexpr Object kNone = UINT32_MAX;

    enum class Kind : uint8_t { None, Null, Bool, Integer, Real, Date, Data, String, Uid, Array, Dict, Other };

    [[nodiscard]] bool open(const QByteArray &bytes, QString *error);

    uint32_t objectCount() const { return m_count; }
    Object topObject() const { return m_top; }

    Kind kind(Object object) const;
    bool boolean(Object object) const;
    // Integers as their 64-bit pattern (negative ones are stored as 8 bytes).
    uint64_t integer(Object object) const;
    double real(Object object) const; // reals and dates
    uint64_t uid(Object object) const;
    QString string(Object object) const;
    bool stringEquals(Object object, std::string_view latin1) const;
    // Points into the bytes the reader was opened on.
    std::string_view data(Object object) const;
    // Arrays and dictionaries: their number of items or entries, and the
    // objects they refer to.
    uint32_t count(Object object) const;
    Object item(Object array, uint32_t index) const;
    Object key(Object dict, uint32_t index) const;
    Object value(Object dict, uint32_t index) const;
    Object valueForKey(Object dict, std::string_view key) const;

private:
    struct Header
    {
        uint8_t marker = 0;
        uint64_t count = 0;      // length of data and strings, items of containers
        const uint8_t *payload = nullptr;
    };
    Header header(Object object) const;
    bool readHeader(uint64_t offset, Header &header) const;
    uint64_t offsetOf(Object object) const { return m_offsetTable[object]; }
    uint32_t keyId(Object key);
    Object ref(const uint8_t *refs, uint64_t index) const;

    // Dictionary keys by text: each key object's id, shared by every key
    // object with the same text, so that looking a key up compares numbers.
    std::vector<uint32_t> m_keyIds;
    std::unordered_map<std::string_view, uint32_t> m_keyIdOfText;
    std::deque<std::string> m_keyTexts; // UTF-16 keys, narrowed

    QByteArray m_bytes;
    std::vector<uint32_t> m_offsetTable;
    const uint8_t *m_data = nullptr;
    uint64_t m_end = 0;           // where the object area ends (the offset table)
    uint32_t m_count = 0;
    Object m_top = kNone;
    int m_offsetSize = 0;
    int m_refSize = 0;
};
