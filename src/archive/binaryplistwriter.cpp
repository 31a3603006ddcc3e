#include "archive/binaryplistwriter.h"

#include "archive/plistarray.h"

#include <plist/plist.h>

#include <QString>

#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

class Writer
{
public:
    QByteArray run(plist_t root)
    {
        const uint32_t top = collect(root);
        const uint64_t count = m_objects.size();
        m_refSize = count <= 0xff ? 1 : count <= 0xffff ? 2 : 4;

        QByteArray out("bplist00");
        out.reserve(qsizetype(m_estimate + count * (m_refSize + 8) + 64));
        std::vector<uint64_t> offsets(count);
        for (uint32_t i = 0; i < count; ++i) {
            offsets[i] = uint64_t(out.size());
            writeObject(out, m_objects[i]);
        }
        const uint64_t tableOffset = uint64_t(out.size());
        const int offsetSize = tableOffset <= 0xff ? 1 : tableOffset <= 0xffff ? 2 : tableOffset <= 0xffffffffu ? 4 : 8;
        for (uint64_t offset : offsets)
            appendBigEndian(out, offset, offsetSize);
        // Trailer: 6 unused bytes, the two sizes, then three 64-bit numbers.
        out.append(6, '\0');
        out.append(char(offsetSize));
        out.append(char(m_refSize));
        appendBigEndian(out, count, 8);
        appendBigEndian(out, top, 8);
        appendBigEndian(out, tableOffset, 8);
        return out;
    }

private:
    struct Object
    {
        plist_t node = nullptr;   // null for a dictionary key (and unknown nodes)
        bool isKey = false;
        std::string key;          // the text of a dictionary key
        size_t firstRef = 0;      // containers: their references in m_refs
        uint32_t refCount = 0;
    };

    static void appendBigEndian(QByteArray &out, uint64_t value, int bytes)
    {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xff));
    }

    // Text is shared by value, and a key and a string with the same text are
    // the same object in a binary property list. The map's views point into
    // the tree's own strings, or into m_keyTexts for dictionary keys, which
    // libplist hands out only as temporary copies.
    uint32_t sharedText(std::string_view text, plist_t node)
    {
        const auto it = m_texts.find(text);
        if (it != m_texts.end())
            return it->second;
        const uint32_t index = uint32_t(m_objects.size());
        Object object{node, node == nullptr, {}, 0, 0};
        if (!node) {
            object.key.assign(text);
            text = m_keyTexts.emplace_back(text);
        }
        m_objects.push_back(std::move(object));
        m_texts.emplace(text, index);
        m_estimate += text.size() * 2 + 4;
        return index;
    }

    // Numbers, booleans, dates and references are shared by kind and bits.
    uint32_t sharedScalar(plist_type type, uint64_t bits, plist_t node)
    {
        auto &map = m_scalars[size_t(type) % kScalarKinds];
        const auto it = map.find(bits);
        if (it != map.end())
            return it->second;
        const uint32_t index = uint32_t(m_objects.size());
        m_objects.push_back(Object{node, false, {}, 0, 0});
        map.emplace(bits, index);
        m_estimate += 17;
        return index;
    }

    uint32_t collectKey(const char *key) { return sharedText(std::string_view(key), nullptr); }

    uint32_t collect(plist_t node)
    {
        const plist_type type = plist_get_node_type(node);
        switch (type) {
        case PLIST_STRING: {
            uint64_t length = 0;
            const char *text = plist_get_string_ptr(node, &length);
            return sharedText(std::string_view(text, size_t(length)), node);
        }
        case PLIST_UINT:
        case PLIST_UID:
        case PLIST_REAL:
        case PLIST_BOOLEAN:
        case PLIST_DATE: {
            uint64_t bits = 0;
            if (type == PLIST_UINT)
                plist_get_uint_val(node, &bits);
            else if (type == PLIST_UID)
                plist_get_uid_val(node, &bits);
            else if (type == PLIST_BOOLEAN) {
                uint8_t b = 0;
                plist_get_bool_val(node, &b);
                bits = b;
            } else if (type == PLIST_REAL) {
                double d = 0;
                plist_get_real_val(node, &d);
                std::memcpy(&bits, &d, sizeof bits);
            } else {
                int32_t sec = 0, usec = 0;
                plist_get_date_val(node, &sec, &usec);
                const double d = double(sec) + double(usec) / 1e6;
                std::memcpy(&bits, &d, sizeof bits);
            }
            return sharedScalar(type, bits, node);
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            plist_get_data_ptr(node, &length);
            m_estimate += size_t(length) + 10;
            m_objects.push_back(Object{node, false, {}, 0, 0});
            return uint32_t(m_objects.size() - 1);
        }
        case PLIST_ARRAY: {
            const uint32_t index = uint32_t(m_objects.size());
            m_objects.push_back(Object{node, false, {}, 0, 0});
            std::vector<uint32_t> refs;
            for (plist_t item : PlistArray::items(node))
                refs.push_back(collect(item));
            storeRefs(index, refs);
            return index;
        }
        case PLIST_DICT: {
            const uint32_t index = uint32_t(m_objects.size());
            m_objects.push_back(Object{node, false, {}, 0, 0});
            std::vector<uint32_t> keys, values;
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            while (true) {
                char *key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, it, &key, &value);
                if (!key || !value) {
                    free(key);
                    break;
                }
                keys.push_back(collectKey(key));
                free(key);
                values.push_back(collect(value));
            }
            free(it);
            keys.insert(keys.end(), values.begin(), values.end());
            storeRefs(index, keys);
            return index;
        }
        default: {
            // Keys never stand alone; anything else unknown is written as null.
            m_objects.push_back(Object{nullptr, false, {}, 0, 0});
            return uint32_t(m_objects.size() - 1);
        }
        }
    }

    void storeRefs(uint32_t index, const std::vector<uint32_t> &refs)
    {
        m_objects[index].firstRef = m_refs.size();
        m_objects[index].refCount = uint32_t(refs.size());
        m_refs.insert(m_refs.end(), refs.begin(), refs.end());
        m_estimate += refs.size() * 4 + 5;
    }

    static void appendMarker(QByteArray &out, uint8_t kind, uint64_t count)
    {
        if (count < 15) {
            out.append(char(kind | uint8_t(count)));
            return;
        }
        out.append(char(kind | 0x0f));
        appendInteger(out, count);
    }

    static void appendInteger(QByteArray &out, uint64_t value)
    {
        // Negative numbers arrive as their two's complement and take 8 bytes,
        // which every reader takes as signed.
        if (value <= 0xff) {
            out.append(char(0x10));
            appendBigEndian(out, value, 1);
        } else if (value <= 0xffff) {
            out.append(char(0x11));
            appendBigEndian(out, value, 2);
        } else if (value <= 0xffffffffu) {
            out.append(char(0x12));
            appendBigEndian(out, value, 4);
        } else {
            out.append(char(0x13));
            appendBigEndian(out, value, 8);
        }
    }

    static void appendString(QByteArray &out, const char *text, size_t length)
    {
        bool ascii = true;
        for (size_t i = 0; i < length && ascii; ++i)
            ascii = static_cast<unsigned char>(text[i]) < 0x80;
        if (ascii) {
            appendMarker(out, 0x50, length);
            out.append(text, qsizetype(length));
            return;
        }
        const QString utf16 = QString::fromUtf8(text, qsizetype(length));
        appendMarker(out, 0x60, uint64_t(utf16.size()));
        for (QChar c : utf16) {
            out.append(char(c.unicode() >> 8));
            out.append(char(c.unicode() & 0xff));
        }
    }

    void appendRefs(QByteArray &out, const Object &object, size_t from, uint32_t count) const
    {
        for (uint32_t i = 0; i < count; ++i)
            appendBigEndian(out, m_refs[object.firstRef + from + i], m_refSize);
    }

    void writeObject(QByteArray &out, const Object &object) const
    {
        if (object.isKey) {
            appendString(out, object.key.data(), object.key.size());
            return;
        }
        if (!object.node) {
            out.append(char(0x00));
            return;
        }
        switch (plist_get_node_type(object.node)) {
        case PLIST_STRING: {
            uint64_t length = 0;
            const char *text = plist_get_string_ptr(object.node, &length);
            appendString(out, text, size_t(length));
            break;
        }
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(object.node, &b);
            out.append(char(b ? 0x09 : 0x08));
            break;
        }
        case PLIST_UINT: {
            uint64_t v = 0;
            plist_get_uint_val(object.node, &v);
            appendInteger(out, v);
            break;
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(object.node, &d);
            const float f = float(d);
            // Like libplist: a value that a float holds exactly takes 4 bytes.
            if (double(f) == d) {
                uint32_t bits = 0;
                std::memcpy(&bits, &f, sizeof bits);
                out.append(char(0x22));
                appendBigEndian(out, bits, 4);
            } else {
                uint64_t bits = 0;
                std::memcpy(&bits, &d, sizeof bits);
                out.append(char(0x23));
                appendBigEndian(out, bits, 8);
            }
            break;
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(object.node, &sec, &usec);
            const double d = double(sec) + double(usec) / 1e6;
            uint64_t bits = 0;
            std::memcpy(&bits, &d, sizeof bits);
            out.append(char(0x33));
            appendBigEndian(out, bits, 8);
            break;
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char *bytes = plist_get_data_ptr(object.node, &length);
            appendMarker(out, 0x40, length);
            out.append(bytes, qsizetype(length));
            break;
        }
        case PLIST_UID: {
            uint64_t v = 0;
            plist_get_uid_val(object.node, &v);
            const int bytes = v <= 0xff ? 1 : v <= 0xffff ? 2 : v <= 0xffffffffu ? 4 : 8;
            out.append(char(0x80 | (bytes - 1)));
            appendBigEndian(out, v, bytes);
            break;
        }
        case PLIST_ARRAY:
            appendMarker(out, 0xa0, object.refCount);
            appendRefs(out, object, 0, object.refCount);
            break;
        case PLIST_DICT:
            appendMarker(out, 0xd0, object.refCount / 2);
            appendRefs(out, object, 0, object.refCount);
            break;
        default:
            out.append(char(0x00));
            break;
        }
    }

    std::vector<Object> m_objects;
    std::vector<uint32_t> m_refs;
    static constexpr size_t kScalarKinds = 16;
    std::unordered_map<std::string_view, uint32_t> m_texts;
    std::deque<std::string> m_keyTexts;
    std::unordered_map<uint64_t, uint32_t> m_scalars[kScalarKinds];
    size_t m_estimate = 0;
    int m_refSize = 4;
};

} // namespace

QByteArray BinaryPlistWriter::write(plist_t root)
{
    if (!root)
        return QByteArray();
    return Writer().run(root);
}
