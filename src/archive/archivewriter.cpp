#include "archive/archivewriter.h"

#include <QString>

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kUnassigned = UINT32_MAX;

// Property-list indices of shared scalars, by their bits.
using ScalarIndex = std::unordered_map<uint64_t, uint32_t>;

} // namespace

struct ArchiveWriter::Private
{
    // Texts live in chunks that never move, so the map's views stay valid.
    std::vector<std::unique_ptr<char[]>> chunks;
    size_t chunkLeft = 0;
    char *chunkNext = nullptr;
    std::vector<std::string_view> texts;
    std::unordered_map<std::string_view, uint32_t> textIds;
    std::unordered_map<const char *, uint32_t> keyIds;
    std::vector<uint32_t> textIndex;

    ScalarIndex integers;
    ScalarIndex reals;
    std::vector<uint32_t> uidIndex;
    size_t uidCount = 0;
    uint32_t boolIndex[2] = {kUnassigned, kUnassigned};

    std::vector<QByteArray> datas;
    std::vector<Value> arrayItems;
    std::vector<std::pair<uint32_t, uint32_t>> arrays; // first item, count
    std::vector<Entry> entries;
    std::vector<std::pair<uint32_t, uint32_t>> dicts;  // first entry, count
    std::vector<Value> objects;
    std::vector<bool> objectSet;

    // Writing.
    QByteArray out;
    qsizetype used = 0;
    std::vector<uint64_t> offsets;
    uint32_t next = 0;
    int refSize = 1;
    struct Pending
    {
        Value value;
        uint32_t index;
        size_t firstRef;
    };
    std::vector<Pending> pending;
    std::vector<uint32_t> refs;

    std::string_view store(std::string_view text)
    {
        if (text.size() > chunkLeft) {
            const size_t size = std::max<size_t>(text.size(), 1 << 20);
            chunks.emplace_back(new char[size]);
            chunkNext = chunks.back().get();
            chunkLeft = size;
        }
        std::memcpy(chunkNext, text.data(), text.size());
        const std::string_view stored(chunkNext, text.size());
        chunkNext += text.size();
        chunkLeft -= text.size();
        return stored;
    }

    uint32_t textId(std::string_view text)
    {
        const auto it = textIds.find(text);
        if (it != textIds.end())
            return it->second;
        const std::string_view stored = store(text);
        const uint32_t id = uint32_t(texts.size());
        texts.push_back(stored);
        textIndex.push_back(kUnassigned);
        textIds.emplace(stored, id);
        return id;
    }

    size_t objectCount() const
    {
        // The root dictionary and the $objects array, then everything else.
        return 2 + texts.size() + integers.size() + reals.size() + uidCount
            + boolsUsed + datas.size() + arrays.size() + dicts.size();
    }
    size_t boolsUsed = 0;
    bool boolSeen[2] = {false, false};

    // --- Output -------------------------------------------------------------

    char *grow(qsizetype n)
    {
        if (used + n > out.size())
            out.resize(std::max(out.size() * 2, used + n + 4096));
        char *at = out.data() + used;
        used += n;
        return at;
    }
    void put(char c) { *grow(1) = c; }
    static void bigEndian(char *at, uint64_t value, int bytes)
    {
        for (int i = bytes - 1; i >= 0; --i, value >>= 8)
            at[i] = char(value & 0xff);
    }
    void putBigEndian(uint64_t value, int bytes) { bigEndian(grow(bytes), value, bytes); }

    void putInteger(uint64_t value)
    {
        // Negative numbers arrive as their two's complement and take 8 bytes,
        // which every reader takes as signed.
        const int bytes = value <= 0xff ? 1 : value <= 0xffff ? 2 : value <= 0xffffffffu ? 4 : 8;
        put(char(0x10 | (bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3)));
        putBigEndian(value, bytes);
    }

    void putMarker(uint8_t kind, uint64_t count)
    {
        if (count < 15) {
            put(char(kind | uint8_t(count)));
            return;
        }
        put(char(kind | 0x0f));
        putInteger(count);
    }

    void putText(std::string_view text)
    {
        bool ascii = true;
        for (char c : text)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            putMarker(0x50, text.size());
            std::memcpy(grow(qsizetype(text.size())), text.data(), text.size());
            return;
        }
        const QString utf16 = QString::fromUtf8(text.data(), qsizetype(text.size()));
        putMarker(0x60, uint64_t(utf16.size()));
        char *at = grow(utf16.size() * 2);
        for (QChar c : utf16) {
            *at++ = char(c.unicode() >> 8);
            *at++ = char(c.unicode() & 0xff);
        }
    }

    void putRefs(size_t first, size_t count)
    {
        char *at = grow(qsizetype(count) * refSize);
        for (size_t i = 0; i < count; ++i, at += refSize)
            bigEndian(at, refs[first + i], refSize);
    }

    // --- Numbering ----------------------------------------------------------

    uint32_t *indexSlot(const Value &value)
    {
        switch (value.kind) {
        case Value::Uid: return &uidIndex[value.bits];
        case Value::Integer: return &integers.find(value.bits)->second;
        case Value::Real: return &reals.find(value.bits)->second;
        case Value::Bool: return &boolIndex[value.bits ? 1 : 0];
        case Value::String: return &textIndex[value.bits];
        default: return nullptr;
        }
    }

    // Numbers a value and what it holds, depth first; what is new is queued
    // in `pending` in the order of its numbers.
    uint32_t assign(const Value &value)
    {
        uint32_t *slot = indexSlot(value);
        if (slot && *slot != kUnassigned)
            return *slot;
        const uint32_t index = next++;
        if (slot)
            *slot = index;
        const size_t first = refs.size();
        pending.push_back(Pending{value, index, first});
        if (value.kind == Value::Array) {
            const auto [from, count] = arrays[value.bits];
            refs.resize(first + count);
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t ref = assign(arrayItems[from + i]);
                refs[first + i] = ref;
            }
        } else if (value.kind == Value::Dict) {
            const auto [from, count] = dicts[value.bits];
            refs.resize(first + 2 * size_t(count));
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t key = assign(Value{Value::String, entries[from + i].key});
                refs[first + i] = key;
                const uint32_t ref = assign(entries[from + i].value);
                refs[first + count + i] = ref;
            }
        }
        return index;
    }

    void write(const Pending &item)
    {
        if (item.index < offsets.size())
            offsets[item.index] = uint64_t(used);
        const Value &value = item.value;
        switch (value.kind) {
        case Value::String:
            putText(texts[value.bits]);
            break;
        case Value::Bool:
            put(char(value.bits ? 0x09 : 0x08));
            break;
        case Value::Integer:
            putInteger(value.bits);
            break;
        case Value::Real: {
            double d = 0;
            std::memcpy(&d, &value.bits, sizeof d);
            const float f = float(d);
            // A value that a float holds exactly takes 4 bytes.
            if (double(f) == d) {
                uint32_t bits = 0;
                std::memcpy(&bits, &f, sizeof bits);
                put(char(0x22));
                putBigEndian(bits, 4);
            } else {
                put(char(0x23));
                putBigEndian(value.bits, 8);
            }
            break;
        }
        case Value::Uid: {
            const uint64_t v = value.bits;
            const int bytes = v <= 0xff ? 1 : v <= 0xffff ? 2 : v <= 0xffffffffu ? 4 : 8;
            put(char(0x80 | (bytes - 1)));
            putBigEndian(v, bytes);
            break;
        }
        case Value::Data: {
            const QByteArray &bytes = datas[value.bits];
            putMarker(0x40, uint64_t(bytes.size()));
            std::memcpy(grow(bytes.size()), bytes.constData(), size_t(bytes.size()));
            break;
        }
        case Value::Array: {
            const uint32_t count = arrays[value.bits].second;
            putMarker(0xa0, count);
            putRefs(item.firstRef, count);
            break;
        }
        case Value::Dict: {
            const uint32_t count = dicts[value.bits].second;
            putMarker(0xd0, count);
            putRefs(item.firstRef, 2 * size_t(count));
            break;
        }
        }
    }

    // Numbers and writes one value with everything new below it.
    uint32_t emit(const Value &value)
    {
        pending.clear();
        refs.clear();
        const uint32_t index = assign(value);
        for (const Pending &item : pending)
            write(item);
        return index;
    }

    void resetNumbers()
    {
        std::fill(textIndex.begin(), textIndex.end(), kUnassigned);
        for (auto &entry : integers)
            entry.second = kUnassigned;
        for (auto &entry : reals)
            entry.second = kUnassigned;
        std::fill(uidIndex.begin(), uidIndex.end(), kUnassigned);
        boolIndex[0] = boolIndex[1] = kUnassigned;
    }

    QByteArray writeFile(size_t count, const Value &top)
    {
        resetNumbers();
        refSize = count <= 0xff ? 1 : count <= 0xffff ? 2 : 4;
        offsets.assign(count, 0);
        next = 0;
        used = 0;
        size_t estimate = 64 + count * size_t(9 + 2 * refSize) + entries.size() * 2 * size_t(refSize);
        for (std::string_view text : texts)
            estimate += text.size() * 2;
        for (const QByteArray &bytes : datas)
            estimate += size_t(bytes.size());
        out = QByteArray();
        out.resize(qsizetype(estimate));
        std::memcpy(grow(8), "bplist00", 8);

        // The root dictionary comes first but refers to objects numbered
        // last: its references are filled in at the end.
        offsets[0] = uint64_t(used);
        ++next;
        put(char(0xd4));
        const qsizetype rootRefs = used;
        grow(8 * refSize);
        const uint32_t versionKey = emit(Value{Value::String, textId("$version")});
        const uint32_t version = emit(Value{Value::Integer, 100000});
        const uint32_t objectsKey = emit(Value{Value::String, textId("$objects")});
        // The $objects array likewise gets each reference as its object is written.
        const uint32_t objectArray = next++;
        if (objectArray < offsets.size())
            offsets[objectArray] = uint64_t(used);
        putMarker(0xa0, objects.size());
        const qsizetype objectRefs = used;
        grow(qsizetype(objects.size()) * refSize);
        const Value null{Value::String, textId("$null")};
        for (size_t uid = 0; uid < objects.size(); ++uid) {
            const uint32_t index = emit(objectSet[uid] ? objects[uid] : null);
            bigEndian(out.data() + objectRefs + qsizetype(uid) * refSize, index, refSize);
        }
        const uint32_t archiverKey = emit(Value{Value::String, textId("$archiver")});
        const uint32_t archiver = emit(Value{Value::String, textId("NSKeyedArchiver")});
        const uint32_t topKey = emit(Value{Value::String, textId("$top")});
        const uint32_t topIndex = emit(top);
        const uint32_t rootValues[8] = {versionKey, objectsKey, archiverKey, topKey,
                                        version, objectArray, archiver, topIndex};
        for (int i = 0; i < 8; ++i)
            bigEndian(out.data() + rootRefs + i * refSize, rootValues[i], refSize);
        if (next != count)
            return QByteArray(); // counted wrongly: the caller writes again with the real count

        const uint64_t tableOffset = uint64_t(used);
        const int offsetSize = tableOffset <= 0xff ? 1 : tableOffset <= 0xffff ? 2 : tableOffset <= 0xffffffffu ? 4 : 8;
        char *table = grow(qsizetype(count) * offsetSize);
        for (size_t i = 0; i < count; ++i, table += offsetSize)
            bigEndian(table, offsets[i], offsetSize);
        // Trailer: 6 unused bytes, the two sizes, then three 64-bit numbers.
        char *trailer = grow(32);
        std::memset(trailer, 0, 6);
        trailer[6] = char(offsetSize);
        trailer[7] = char(refSize);
        bigEndian(trailer + 8, count, 8);
        bigEndian(trailer + 16, 0, 8);
        bigEndian(trailer + 24, tableOffset, 8);
        out.truncate(used);
        return std::move(out);
    }
};

ArchiveWriter::ArchiveWriter() : d(std::make_unique<Private>()) {}
ArchiveWriter::~ArchiveWriter() = default;

ArchiveWriter::Value ArchiveWriter::uid(uint64_t uid)
{
    if (uid >= d->uidIndex.size())
        d->uidIndex.resize(std::max<size_t>(uid + 1, d->uidIndex.size() * 2), UINT32_MAX - 1);
    if (d->uidIndex[uid] == UINT32_MAX - 1) {
        d->uidIndex[uid] = kUnassigned;
        ++d->uidCount;
    }
    return Value{Value::Uid, uid};
}

ArchiveWriter::Value ArchiveWriter::integer(int64_t value)
{
    const uint64_t bits = static_cast<uint64_t>(value);
    d->integers.try_emplace(bits, kUnassigned);
    return Value{Value::Integer, bits};
}

ArchiveWriter::Value ArchiveWriter::real(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    d->reals.try_emplace(bits, kUnassigned);
    return Value{Value::Real, bits};
}

ArchiveWriter::Value ArchiveWriter::boolean(bool value)
{
    if (!d->boolSeen[value]) {
        d->boolSeen[value] = true;
        ++d->boolsUsed;
    }
    return Value{Value::Bool, value ? 1u : 0u};
}

ArchiveWriter::Value ArchiveWriter::text(std::string_view utf8)
{
    return Value{Value::String, d->textId(utf8)};
}

ArchiveWriter::Value ArchiveWriter::data(const QByteArray &bytes)
{
    d->datas.push_back(bytes);
    return Value{Value::Data, d->datas.size() - 1};
}

ArchiveWriter::Value ArchiveWriter::array(std::span<const Value> items)
{
    d->arrays.emplace_back(uint32_t(d->arrayItems.size()), uint32_t(items.size()));
    d->arrayItems.insert(d->arrayItems.end(), items.begin(), items.end());
    return Value{Value::Array, d->arrays.size() - 1};
}

ArchiveWriter::Value ArchiveWriter::dict(std::span<const Entry> entries)
{
    d->dicts.emplace_back(uint32_t(d->entries.size()), uint32_t(entries.size()));
    d->entries.insert(d->entries.end(), entries.begin(), entries.end());
    return Value{Value::Dict, d->dicts.size() - 1};
}

uint32_t ArchiveWriter::key(const char *key)
{
    const auto it = d->keyIds.find(key);
    if (it != d->keyIds.end())
        return it->second;
    const uint32_t id = d->textId(key);
    d->keyIds.emplace(key, id);
    return id;
}

uint64_t ArchiveWriter::reserveObject()
{
    d->objects.emplace_back();
    d->objectSet.push_back(false);
    return d->objects.size() - 1;
}

void ArchiveWriter::setObject(uint64_t uid, Value value)
{
    d->objects[uid] = value;
    d->objectSet[uid] = true;
}

uint64_t ArchiveWriter::addObject(Value value)
{
    const uint64_t uid = reserveObject();
    setObject(uid, value);
    return uid;
}

QByteArray ArchiveWriter::finish(Value top)
{
    // The texts and numbers of the frame itself are counted like the rest.
    for (const char *text : {"$version", "$objects", "$archiver", "NSKeyedArchiver", "$top", "$null"})
        d->textId(text);
    integer(100000);
    const size_t counted = d->objectCount();
    QByteArray bytes = d->writeFile(counted, top);
    if (bytes.isNull()) {
        // Something counted was never written (a key set twice): write again
        // with the number actually used.
        const size_t used = d->next;
        bytes = d->writeFile(used, top);
    }
    return bytes;
}
