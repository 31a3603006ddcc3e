#include "archive/binaryplistreader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kTrailerSize = 32;

uint64_t bigEndian(const uint8_t *bytes, int size)
{
    uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

} // namespace

bool BinaryPlistReader::open(const QByteArray &bytes, QString *error)
{
    const auto fail = [&](const QString &reason) {
        *error = reason;
        m_count = 0;
        m_top = kNone;
        m_bytes.clear();
        return false;
    };
    m_bytes = bytes;
    m_data = reinterpret_cast<const uint8_t *>(m_bytes.constData());
    const uint64_t size = uint64_t(m_bytes.size());
    if (size > UINT32_MAX)
        return fail(QStringLiteral("it is too large"));
    if (size < 8 + kTrailerSize || !m_bytes.startsWith("bplist00"))
        return fail(QStringLiteral("it is not a binary property list"));
    const uint8_t *trailer = m_data + size - kTrailerSize;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    const uint64_t count = bigEndian(trailer + 8, 8);
    const uint64_t top = bigEndian(trailer + 16, 8);
    const uint64_t table = bigEndian(trailer + 24, 8);
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || count == 0 || count > size
        || top >= count || table < 8 || table > size - kTrailerSize
        || count * uint64_t(m_offsetSize) > size - kTrailerSize - table)
        return fail(QStringLiteral("its trailer is damaged"));
    m_count = uint32_t(count);
    m_top = Object(top);
    m_end = table;
    m_offsetTable.resize(m_count);
    m_keyIds.assign(m_count, kNone);
    m_keyIdOfText.clear();
    m_keyTexts.clear();
    for (Object object = 0; object < m_count; ++object) {
        const uint64_t offset = bigEndian(m_data + table + uint64_t(object) * uint64_t(m_offsetSize), m_offsetSize);
        m_offsetTable[object] = uint32_t(std::min<uint64_t>(offset, UINT32_MAX));
    }

    // Every object must lie inside the object area and refer only to objects
    // that exist; a dictionary's keys must be strings.
    for (Object object = 0; object < m_count; ++object) {
        Header h;
        if (!readHeader(offsetOf(object), h))
            return fail(QStringLiteral("object %1 is damaged or truncated").arg(object));
        const uint8_t type = h.marker >> 4;
        if (type == 0xa || type == 0xd) {
            const uint64_t refs = type == 0xd ? h.count * 2 : h.count;
            for (uint64_t i = 0; i < refs; ++i) {
                if (bigEndian(h.payload + i * uint64_t(m_refSize), m_refSize) >= m_count)
                    return fail(QStringLiteral("object %1 refers to an object that does not exist").arg(object));
            }
        }
    }
    for (Object object = 0; object < m_count; ++object) {
        const Header h = header(object);
        if (h.marker >> 4 != 0xd)
            continue;
        for (uint32_t i = 0; i < h.count; ++i) {
            const Object key = ref(h.payload, i);
            if (kind(key) != Kind::String)
                return fail(QStringLiteral("object %1 is a dictionary with a key that is not a string").arg(object));
            if (m_keyIds[key] == kNone)
                m_keyIds[key] = keyId(key);
        }
    }
    return true;
}

uint32_t BinaryPlistReader::keyId(Object key)
{
    const Header h = header(key);
    std::string_view text(reinterpret_cast<const char *>(h.payload), size_t(h.count));
    if (h.marker >> 4 == 0x6) {
        // Keys are looked up by ASCII names; a UTF-16 key that is ASCII
        // must match them, one that is not can match no name.
        std::string narrowed;
        for (uint64_t i = 0; i < h.count; ++i) {
            const unsigned unit = unsigned(h.payload[2 * i] << 8 | h.payload[2 * i + 1]);
            narrowed += unit < 0x80 ? char(unit) : '\0';
        }
        if (narrowed.find('\0') != std::string::npos)
            return uint32_t(m_count) + key; // an id that no name has
        text = m_keyTexts.emplace_back(std::move(narrowed));
    }
    return m_keyIdOfText.try_emplace(text, uint32_t(m_keyIdOfText.size())).first->second;
}

BinaryPlistReader::Object BinaryPlistReader::ref(const uint8_t *refs, uint64_t index) const
{
    return Object(bigEndian(refs + index * uint64_t(m_refSize), m_refSize));
}

bool BinaryPlistReader::readHeader(uint64_t offset, Header &h) const
{
    if (offset < 8 || offset >= m_end)
        return false;
    uint64_t pos = offset;
    h.marker = m_data[pos++];
    const uint8_t type = h.marker >> 4;
    const uint8_t info = h.marker & 0x0f;
    uint64_t length = 0; // payload bytes
    switch (type) {
    case 0x0:
        if (info != 0x0 && info != 0x8 && info != 0x9)
            return false;
        break;
    case 0x1:
        if (info > 4)
            return false;
        length = uint64_t(1) << info;
        break;
    case 0x2:
        if (info != 2 && info != 3)
            return false;
        length = uint64_t(1) << info;
        break;
    case 0x3:
        if (info != 3)
            return false;
        length = 8;
        break;
    case 0x8:
        if (info > 7)
            return false;
        length = uint64_t(info) + 1;
        break;
    case 0x4:
    case 0x5:
    case 0x6:
    case 0xa:
    case 0xd: {
        uint64_t count = info;
        if (info == 0x0f) {
            if (pos >= m_end)
                return false;
            const uint8_t intMarker = m_data[pos++];
            if (intMarker >> 4 != 0x1 || (intMarker & 0x0f) > 3)
                return false;
            const int bytes = 1 << (intMarker & 0x0f);
            if (m_end - pos < uint64_t(bytes))
                return false;
            count = bigEndian(m_data + pos, bytes);
            pos += uint64_t(bytes);
        }
        if (count > m_end)
            return false;
        h.count = count;
        const uint64_t unit = type == 0x6 ? 2 : type == 0xa ? uint64_t(m_refSize)
                            : type == 0xd ? 2 * uint64_t(m_refSize) : 1;
        length = count * unit;
        break;
    }
    default:
        return false;
    }
    if (m_end - pos < length)
        return false;
    h.payload = m_data + pos;
    return true;
}

BinaryPlistReader::Header BinaryPlistReader::header(Object object) const
{
    Header h;
    if (object < m_count)
        readHeader(offsetOf(object), h);
    return h;
}

BinaryPlistReader::Kind BinaryPlistReader::kind(Object object) const
{
    if (object >= m_count)
        return Kind::None;
    const uint8_t marker = m_data[offsetOf(object)];
    switch (marker >> 4) {
    case 0x0: return marker == 0x00 ? Kind::Null : Kind::Bool;
    case 0x1: return Kind::Integer;
    case 0x2: return Kind::Real;
    case 0x3: return Kind::Date;
    case 0x4: return Kind::Data;
    case 0x5:
    case 0x6: return Kind::String;
    case 0x8: return Kind::Uid;
    case 0xa: return Kind::Array;
    case 0xd: return Kind::Dict;
    default: return Kind::Other;
    }
}

bool BinaryPlistReader::boolean(Object object) const
{
    return header(object).marker == 0x09;
}

uint64_t BinaryPlistReader::integer(Object object) const
{
    const Header h = header(object);
    if (h.marker >> 4 != 0x1)
        return 0;
    const int size = 1 << (h.marker & 0x0f);
    // A 16-byte integer keeps its value in the low half.
    return size == 16 ? bigEndian(h.payload + 8, 8) : bigEndian(h.payload, size);
}

double BinaryPlistReader::real(Object object) const
{
    const Header h = header(object);
    if (h.marker == 0x22) {
        const uint32_t bits = uint32_t(bigEndian(h.payload, 4));
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return double(f);
    }
    if (h.marker == 0x23 || h.marker == 0x33) {
        const uint64_t bits = bigEndian(h.payload, 8);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    return 0.0;
}

uint64_t BinaryPlistReader::uid(Object object) const
{
    const Header h = header(object);
    return h.marker >> 4 == 0x8 ? bigEndian(h.payload, (h.marker & 0x0f) + 1) : 0;
}

QString BinaryPlistReader::string(Object object) const
{
    const Header h = header(object);
    QString result;
    if (h.marker >> 4 == 0x5) {
        result = QString::fromUtf8(reinterpret_cast<const char *>(h.payload), qsizetype(h.count));
    } else if (h.marker >> 4 == 0x6) {
        result.resize(qsizetype(h.count));
        char16_t *out = reinterpret_cast<char16_t *>(result.data());
        for (uint64_t i = 0; i < h.count; ++i)
            out[i] = char16_t(h.payload[2 * i] << 8 | h.payload[2 * i + 1]);
    } else {
        return QString();
    }
    if (result.isNull())
        result = QStringLiteral(""); // a string that is there, however empty
    return result;
}

bool BinaryPlistReader::stringEquals(Object object, std::string_view latin1) const
{
    const Header h = header(object);
    if (h.count != latin1.size())
        return false;
    if (h.marker >> 4 == 0x5)
        return std::memcmp(h.payload, latin1.data(), latin1.size()) == 0;
    if (h.marker >> 4 != 0x6)
        return false;
    for (size_t i = 0; i < latin1.size(); ++i) {
        if ((h.payload[2 * i] << 8 | h.payload[2 * i + 1]) != static_cast<unsigned char>(latin1[i]))
            return false;
    }
    return true;
}

std::string_view BinaryPlistReader::data(Object object) const
{
    const Header h = header(object);
    if (h.marker >> 4 != 0x4)
        return {};
    return std::string_view(reinterpret_cast<const char *>(h.payload), size_t(h.count));
}

uint32_t BinaryPlistReader::count(Object object) const
{
    const Header h = header(object);
    const uint8_t type = h.marker >> 4;
    return type == 0xa || type == 0xd ? uint32_t(h.count) : 0;
}

BinaryPlistReader::Object BinaryPlistReader::item(Object array, uint32_t index) const
{
    const Header h = header(array);
    if (h.marker >> 4 != 0xa || index >= h.count)
        return kNone;
    return ref(h.payload, index);
}

BinaryPlistReader::Object BinaryPlistReader::key(Object dict, uint32_t index) const
{
    const Header h = header(dict);
    if (h.marker >> 4 != 0xd || index >= h.count)
        return kNone;
    return ref(h.payload, index);
}

BinaryPlistReader::Object BinaryPlistReader::value(Object dict, uint32_t index) const
{
    const Header h = header(dict);
    if (h.marker >> 4 != 0xd || index >= h.count)
        return kNone;
    return ref(h.payload, h.count + index);
}

BinaryPlistReader::Object BinaryPlistReader::valueForKey(Object dict, std::string_view key) const
{
    const auto known = m_keyIdOfText.find(key);
    if (known == m_keyIdOfText.end())
        return kNone; // no dictionary in the file has this key
    const Header h = header(dict);
    if (h.marker >> 4 != 0xd)
        return kNone;
    for (uint64_t i = 0; i < h.count; ++i) {
        if (m_keyIds[ref(h.payload, i)] == known->second)
            return ref(h.payload, h.count + i);
    }
    return kNone;
}
