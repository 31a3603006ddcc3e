#include "archive/keyedarchiver.h"

#include "archive/archivewriter.h"
#include "archive/binaryplistreader.h"
#include "archive/binaryplistwriter.h"

#include <plist/plist.h>

#include <cmath>
#include <cstring>
#include <span>
#include <string>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the epoch of archived dates.
constexpr double kReferenceDateOffset = 978307200.0;

const QStringList &arrayClasses()
{
    static const QStringList names{QStringLiteral("NSMutableArray"), QStringLiteral("NSArray"),
                                   QStringLiteral("NSObject")};
    return names;
}

QByteArray colorComponents(std::initializer_list<double> values)
{
    QByteArray text;
    for (double v : values) {
        if (!text.isEmpty())
            text += ' ';
        text += QString::number(v, 'g', QLocale::FloatingPointShortest).toLatin1();
    }
    text += '\0';
    return text;
}

// Run-length table of an attributed string: pairs of (length, attribute
// index), each a base-128 number with the high bit marking continuation.
void appendVarint(QByteArray &out, uint64_t value)
{
    do {
        uint8_t byte = value & 0x7f;
        value >>= 7;
        if (value)
            byte |= 0x80;
        out.append(char(byte));
    } while (value);
}

} // namespace


// ---------------------------------------------------------------------------
// Encoding
//
// Values go straight into an ArchiveWriter, which writes the file in one pass
// when the archive is finished. The order in which objects get their UIDs is
// part of the file's bytes, so each helper below adds objects in a fixed order.

struct KeyedArchiver::Private
{
    using Value = ArchiveWriter::Value;
    using Entry = ArchiveWriter::Entry;

    struct Frame
    {
        bool isList;
        uint64_t uid;
        const QStringList *classNames;
        size_t first; // where its entries or items start on the shared stacks
    };

    ArchiveWriter writer;
    // The entries of the objects and the items of the lists being encoded,
    // innermost last.
    std::vector<Entry> entryStack;
    std::vector<Value> itemStack;
    std::vector<Frame> frames;
    std::unordered_map<const void *, uint64_t> encodedObjects;
    std::vector<std::shared_ptr<const void>> keptAlive;
    QHash<QString, uint64_t> classUids;
    std::string utf8; // scratch for converting text

    Private()
    {
        writer.addObject(writer.text("$null"));
        frames.push_back(Frame{false, 0, nullptr, 0});
    }

    Value text(const QString &value)
    {
        // Most text is ASCII: narrow it without a temporary QByteArray.
        const qsizetype size = value.size();
        const char16_t *units = reinterpret_cast<const char16_t *>(value.constData());
        utf8.resize(size_t(size));
        for (qsizetype i = 0; i < size; ++i) {
            if (units[i] >= 0x80) {
                const QByteArray bytes = value.toUtf8();
                return writer.text(std::string_view(bytes.constData(), size_t(bytes.size())));
            }
            utf8[size_t(i)] = char(units[i]);
        }
        return writer.text(utf8);
    }

    Value uid(uint64_t uid) { return writer.uid(uid); }

    // Writes a value into the current object (under key) or list (appended).
    // A key set twice keeps its first place and its last value.
    void put(const char *key, Value value)
    {
        const Frame &frame = frames.back();
        if (frame.isList) {
            itemStack.push_back(value);
            return;
        }
        const uint32_t id = writer.key(key);
        for (size_t i = frame.first; i < entryStack.size(); ++i) {
            if (entryStack[i].key == id) {
                entryStack[i].value = value;
                return;
            }
        }
        entryStack.push_back(Entry{id, value});
    }
    void putReference(const char *key, uint64_t uid) { put(key, writer.uid(uid)); }
    void putObject(const char *key, Value value) { putReference(key, writer.addObject(value)); }

    uint64_t classUid(const QStringList &names)
    {
        const auto it = classUids.constFind(names.first());
        if (it != classUids.constEnd())
            return *it;
        std::vector<Value> classes;
        classes.reserve(size_t(names.size()));
        const Value name = text(names.first());
        for (const QString &each : names)
            classes.push_back(text(each));
        const Entry entries[] = {{writer.key("$classname"), name}, {writer.key("$classes"), writer.array(classes)}};
        const uint64_t uid = writer.addObject(writer.dict(entries));
        classUids.insert(names.first(), uid);
        return uid;
    }

    // The entries of a dictionary object of the given class, "$class" first.
    std::vector<Entry> classEntries(const QStringList &names)
    {
        return {Entry{writer.key("$class"), uid(classUid(names))}};
    }
    void add(std::vector<Entry> &entries, const char *key, Value value)
    {
        entries.push_back(Entry{writer.key(key), value});
    }

    uint64_t stringUid(const QString &value) { return writer.addObject(text(value)); }

    uint64_t colorUid(const Color &color)
    {
        static const QStringList names{QStringLiteral("NSColor"), QStringLiteral("NSObject")};
        std::vector<Entry> dict = classEntries(names);
        add(dict, "NSColorSpace", writer.integer(1));
        add(dict, "NSRGB", writer.data(colorComponents({color.red(), color.green(), color.blue(), color.alpha()})));
        return writer.addObject(writer.dict(dict));
    }

    uint64_t stringDictionaryUid(const QStringList &keys, const std::vector<uint64_t> &valueUids,
                                 bool isMutable)
    {
        static const QStringList mutableNames{QStringLiteral("NSMutableDictionary"),
                                              QStringLiteral("NSDictionary"), QStringLiteral("NSObject")};
        static const QStringList names{QStringLiteral("NSDictionary"), QStringLiteral("NSObject")};
        const uint64_t uid = writer.reserveObject();
        std::vector<Value> keyItems, valueItems;
        for (size_t i = 0; i < valueUids.size(); ++i) {
            keyItems.push_back(writer.uid(stringUid(keys[qsizetype(i)])));
            valueItems.push_back(writer.uid(valueUids[i]));
        }
        std::vector<Entry> dict = classEntries(isMutable ? mutableNames : names);
        add(dict, "NS.keys", writer.array(keyItems));
        add(dict, "NS.objects", writer.array(valueItems));
        writer.setObject(uid, writer.dict(dict));
        return uid;
    }

    uint64_t attributesUid(const TextAttributes &attributes)
    {
        QStringList keys;
        std::vector<uint64_t> values;
        if (attributes.color) {
            keys << QStringLiteral("NSColor");
            values.push_back(colorUid(*attributes.color));
        }
        if (attributes.font) {
            static const QStringList names{QStringLiteral("NSFont"), QStringLiteral("NSObject")};
            std::vector<Entry> font = classEntries(names);
            add(font, "NSName", uid(stringUid(attributes.font->name)));
            add(font, "NSSize", writer.real(attributes.font->pointSize));
            add(font, "NSfFlags", writer.integer(16));
            keys << QStringLiteral("NSFont");
            values.push_back(writer.addObject(writer.dict(font)));
        }
        if (!attributes.link.isEmpty()) {
            keys << QStringLiteral("NSLink");
            values.push_back(stringUid(attributes.link));
        }
        if (attributes.alignment != TextAlignment::Natural) {
            static const QStringList names{QStringLiteral("NSParagraphStyle"), QStringLiteral("NSObject")};
            std::vector<Entry> style = classEntries(names);
            add(style, "NSAlignment", writer.integer(int(attributes.alignment)));
            keys << QStringLiteral("NSParagraphStyle");
            values.push_back(writer.addObject(writer.dict(style)));
        }
        if (attributes.underline) {
            keys << QStringLiteral("NSUnderline");
            values.push_back(writer.addObject(writer.integer(1)));
        }
        return stringDictionaryUid(keys, values, false);
    }

    uint64_t styledTextUid(const StyledText &text)
    {
        static const QStringList names{QStringLiteral("NSAttributedString"), QStringLiteral("NSObject")};
        const uint64_t result = writer.reserveObject();
        std::vector<Entry> dict = classEntries(names);
        add(dict, "NSString", uid(stringUid(text.text())));
        const auto &runs = text.runs();
        if (runs.size() <= 1) {
            const TextAttributes attributes = runs.isEmpty() ? TextAttributes{} : runs.first().attributes;
            add(dict, "NSAttributes", uid(attributesUid(attributes)));
        } else {
            // Several runs: an array of distinct attribute dictionaries plus
            // the run table that points into it.
            QList<TextAttributes> distinct;
            QByteArray info;
            for (const StyledRun &run : runs) {
                qsizetype index = distinct.indexOf(run.attributes);
                if (index < 0) {
                    index = distinct.size();
                    distinct.append(run.attributes);
                }
                appendVarint(info, uint64_t(run.length));
                appendVarint(info, uint64_t(index));
            }
            const uint64_t arrayUid = writer.reserveObject();
            std::vector<Value> items;
            for (const TextAttributes &attributes : distinct)
                items.push_back(uid(attributesUid(attributes)));
            static const QStringList arrayNames{QStringLiteral("NSArray"), QStringLiteral("NSObject")};
            std::vector<Entry> arrayDict = classEntries(arrayNames);
            add(arrayDict, "NS.objects", writer.array(items));
            writer.setObject(arrayUid, writer.dict(arrayDict));
            add(dict, "NSAttributes", uid(arrayUid));
            add(dict, "NSAttributeInfo", uid(writer.addObject(writer.data(info))));
        }
        writer.setObject(result, writer.dict(dict));
        return result;
    }
};

KeyedArchiver::KeyedArchiver() : d(std::make_unique<Private>()) {}
KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeIntNumber(const char *key, int64_t value)
{
    d->putObject(key, d->writer.integer(value));
}

void KeyedArchiver::encodeBoolNumber(const char *key, bool value)
{
    d->putObject(key, d->writer.integer(value ? 1 : 0));
}

void KeyedArchiver::encodeFloatNumber(const char *key, float value)
{
    d->putObject(key, d->writer.real(double(value)));
}

void KeyedArchiver::encodeDoubleNumber(const char *key, double value)
{
    d->putObject(key, d->writer.real(value));
}

void KeyedArchiver::encodeBool(const char *key, bool value)
{
    d->put(key, d->writer.boolean(value));
}

void KeyedArchiver::encodeInt32(const char *key, int32_t value)
{
    d->put(key, d->writer.integer(value));
}

void KeyedArchiver::encodeNull(const char *key)
{
    d->putReference(key, 0);
}

void KeyedArchiver::encodeString(const char *key, const QString &value)
{
    if (value.isNull())
        encodeNull(key);
    else
        d->putReference(key, d->stringUid(value));
}

void KeyedArchiver::encodeData(const char *key, const QByteArray &value)
{
    if (value.isNull())
        encodeNull(key);
    else
        d->putObject(key, d->writer.data(value));
}

void KeyedArchiver::encodeDate(const char *key, const std::optional<QDateTime> &value)
{
    if (!value || !value->isValid()) {
        encodeNull(key);
        return;
    }
    static const QStringList names{QStringLiteral("NSDate"), QStringLiteral("NSObject")};
    std::vector<Private::Entry> dict = d->classEntries(names);
    const double seconds = double(value->toMSecsSinceEpoch()) / 1000.0 - kReferenceDateOffset;
    d->add(dict, "NS.time", d->writer.real(seconds));
    d->putObject(key, d->writer.dict(dict));
}

void KeyedArchiver::encodeColor(const char *key, const std::optional<Color> &value)
{
    if (!value || !value->hasRgbForm())
        encodeNull(key);
    else
        d->putReference(key, d->colorUid(*value));
}

void KeyedArchiver::encodeStyledText(const char *key, const std::optional<StyledText> &value)
{
    if (!value)
        encodeNull(key);
    else
        d->putReference(key, d->styledTextUid(*value));
}

void KeyedArchiver::encodeStringDictionary(const char *key, const std::optional<QMap<QString, QString>> &value)
{
    if (!value) {
        encodeNull(key);
        return;
    }
    QStringList keys;
    std::vector<uint64_t> values;
    for (auto it = value->cbegin(); it != value->cend(); ++it) {
        keys << it.key();
        values.push_back(d->stringUid(it.value()));
    }
    d->putReference(key, d->stringDictionaryUid(keys, values, true));
}

void KeyedArchiver::encodeStringList(const char *key, const QStringList &value)
{
    beginList(key);
    for (const QString &item : value)
        encodeString(nullptr, item);
    endList();
}

void KeyedArchiver::encodeImageData(const char *key, const QByteArray &encodedImage)
{
    static const QStringList imageNames{QStringLiteral("NSImage"), QStringLiteral("NSObject")};
    static const QStringList repNames{QStringLiteral("NSBitmapImageRep"), QStringLiteral("NSImageRep"),
                                      QStringLiteral("NSObject")};
    static const QStringList arrayNames{QStringLiteral("NSArray"), QStringLiteral("NSObject")};
    ArchiveWriter &w = d->writer;
    const uint64_t imageUid = w.reserveObject();
    std::vector<Private::Entry> rep = d->classEntries(repNames);
    d->add(rep, "NSTIFFRepresentation", w.uid(w.addObject(w.data(encodedImage))));
    const uint64_t repUid = w.addObject(w.dict(rep));
    std::vector<Private::Entry> inner = d->classEntries(arrayNames);
    const ArchiveWriter::Value innerItems[] = {w.uid(w.addObject(w.integer(0))), w.uid(repUid)};
    d->add(inner, "NS.objects", w.array(innerItems));
    std::vector<Private::Entry> outer = d->classEntries(arrayNames);
    const ArchiveWriter::Value outerItems[] = {w.uid(w.addObject(w.dict(inner)))};
    d->add(outer, "NS.objects", w.array(outerItems));
    std::vector<Private::Entry> image = d->classEntries(imageNames);
    d->add(image, "NSReps", w.uid(w.addObject(w.dict(outer))));
    w.setObject(imageUid, w.dict(image));
    d->putReference(key, imageUid);
}

bool KeyedArchiver::beginObject(const char *key, std::shared_ptr<const void> identity,
                                const QStringList &classNames)
{
    Q_ASSERT(!classNames.isEmpty());
    if (identity) {
        const auto known = d->encodedObjects.find(identity.get());
        if (known != d->encodedObjects.end()) {
            d->putReference(key, known->second);
            return false;
        }
    }
    const uint64_t uid = d->writer.reserveObject();
    if (identity) {
        d->encodedObjects.emplace(identity.get(), uid);
        d->keptAlive.push_back(std::move(identity));
    }
    d->putReference(key, uid);
    d->frames.push_back(Private::Frame{false, uid, &classNames, d->entryStack.size()});
    return true;
}

void KeyedArchiver::endObject()
{
    Q_ASSERT(d->frames.size() > 1 && !d->frames.back().isList);
    const Private::Frame frame = d->frames.back();
    d->put("$class", d->uid(d->classUid(*frame.classNames)));
    d->frames.pop_back();
    const std::span<const Private::Entry> entries(d->entryStack.data() + frame.first,
                                                  d->entryStack.size() - frame.first);
    d->writer.setObject(frame.uid, d->writer.dict(entries));
    d->entryStack.resize(frame.first);
}

void KeyedArchiver::beginList(const char *key)
{
    const uint64_t uid = d->writer.reserveObject();
    d->putReference(key, uid);
    d->frames.push_back(Private::Frame{true, uid, &arrayClasses(), d->itemStack.size()});
}

void KeyedArchiver::endList()
{
    Q_ASSERT(d->frames.size() > 1 && d->frames.back().isList);
    const Private::Frame frame = d->frames.back();
    d->frames.pop_back();
    const std::span<const Private::Value> items(d->itemStack.data() + frame.first,
                                                d->itemStack.size() - frame.first);
    std::vector<Private::Entry> dict = d->classEntries(*frame.classNames);
    d->add(dict, "NS.objects", d->writer.array(items));
    d->itemStack.resize(frame.first);
    d->writer.setObject(frame.uid, d->writer.dict(dict));
}

QByteArray KeyedArchiver::finishEncoding()
{
    Q_ASSERT(d->frames.size() == 1);
    const QByteArray result = d->writer.finish(d->writer.dict(d->entryStack));
    d = std::make_unique<Private>();
    return result;
}

// ---------------------------------------------------------------------------
// Decoding
//
// The archive is read in place by BinaryPlistReader: a value is the index of
// a property-list object, kNone standing for "nothing".

namespace {

using Node = BinaryPlistReader::Object;
using Kind = BinaryPlistReader::Kind;
constexpr Node kNone = BinaryPlistReader::kNone;

const char *typeName(Kind kind)
{
    switch (kind) {
    case Kind::None: return "nothing";
    case Kind::Bool: return "a boolean";
    case Kind::Integer: return "an integer";
    case Kind::Real: return "a real number";
    case Kind::String: return "a string";
    case Kind::Array: return "an array";
    case Kind::Dict: return "a dictionary";
    case Kind::Date: return "a date";
    case Kind::Data: return "data";
    case Kind::Uid: return "a reference";
    default: return "an unknown value";
    }
}

std::vector<double> parseComponents(const QByteArray &bytes)
{
    std::vector<double> values;
    const QByteArray text = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    for (const QByteArray &part : text.simplified().split(' ')) {
        bool ok = false;
        const double v = part.toDouble(&ok);
        if (ok)
            values.push_back(v);
    }
    return values;
}

} // namespace

struct KeyedUnarchiver::Private
{
    struct Frame
    {
        Node dict = kNone;        // object being decoded, or the array of a list
        Node currentItem = kNone; // for a list: the item selected
        bool isList = false;
    };

    BinaryPlistReader plist;
    Node top = kNone;
    Node objectArray = kNone;
    uint32_t objectCount = 0;
    std::vector<Frame> frames;
    // Indexed by UID: decoded records (so shared ones decode once) and the
    // records being decoded right now (to catch cycles).
    std::vector<std::shared_ptr<void>> cache;
    std::vector<bool> inProgress;
    std::unordered_map<Node, QStringList> classCache;
    QString error;
    // Guards against archives built to make decoding explode: every composite
    // value visited costs one step.
    int64_t budget = 0;

    static constexpr size_t kMaxDepth = 64;

    void fail(const QString &message)
    {
        if (error.isEmpty())
            error = message;
    }

    bool spend(int64_t steps = 1)
    {
        budget -= steps;
        if (budget < 0) {
            fail(QStringLiteral("the archive is too complex to read (it refers to the same data too often)"));
            return false;
        }
        return true;
    }

    Kind kind(Node node) const { return plist.kind(node); }

    Node rawValue(const char *key) const
    {
        if (frames.empty())
            return kNone;
        const Frame &frame = frames.back();
        if (frame.isList)
            return std::strcmp(key, kListItemKey) == 0 ? frame.currentItem : kNone;
        return plist.valueForKey(frame.dict, key);
    }

    // Follows a UID to its object. A missing key and "$null" both give nothing.
    Node resolve(Node node, const char *key)
    {
        if (kind(node) != Kind::Uid)
            return node;
        const uint64_t uid = plist.uid(node);
        if (uid >= objectCount) {
            fail(QStringLiteral("the value of \"%1\" refers to object %2, but the archive has only %3 objects")
                     .arg(QString::fromUtf8(key)).arg(uid).arg(objectCount));
            return kNone;
        }
        if (uid == 0)
            return kNone;
        return plist.item(objectArray, uint32_t(uid));
    }

    Node value(const char *key) { return resolve(rawValue(key), key); }

    Node member(Node dict, const char *key)
    {
        if (kind(dict) != Kind::Dict)
            return kNone;
        return resolve(plist.valueForKey(dict, key), key);
    }

    QString classNameOf(Node dict)
    {
        const Node name = member(member(dict, "$class"), "$classname");
        return kind(name) == Kind::String ? plist.string(name) : QString();
    }

    // The class names a class description lists, read once per description.
    const QStringList &classesOf(Node description)
    {
        const auto known = classCache.find(description);
        if (known != classCache.end())
            return known->second;
        QStringList names;
        const Node name = member(description, "$classname");
        if (kind(name) == Kind::String)
            names << plist.string(name);
        const Node classes = member(description, "$classes");
        if (kind(classes) == Kind::Array) {
            const uint32_t count = plist.count(classes);
            for (uint32_t i = 0; i < count && i < 64; ++i) {
                const Node entry = resolve(plist.item(classes, i), "$classes");
                if (kind(entry) == Kind::String)
                    names << plist.string(entry);
            }
        }
        return classCache.emplace(description, std::move(names)).first->second;
    }

    bool isKindOf(Node dict, const QString &className)
    {
        const Node description = member(dict, "$class");
        return description != kNone && classesOf(description).contains(className);
    }

    void wrongKind(const char *key, const char *expected, Node found)
    {
        fail(QStringLiteral("the value of \"%1\" should be %2, but it is %3")
                 .arg(QString::fromUtf8(key), QLatin1String(expected), QLatin1String(typeName(kind(found)))));
    }

    // The array of an NSArray-like object (its NS.objects); a plain array is
    // tolerated as well. kNone (with an error) when there is none.
    Node listArray(Node node, const char *key)
    {
        Node array = kind(node) == Kind::Dict ? plist.valueForKey(node, "NS.objects") : kNone;
        if (kind(node) == Kind::Array)
            array = node;
        if (kind(array) != Kind::Array) {
            wrongKind(key, "a list", node);
            return kNone;
        }
        if (!spend(plist.count(array)))
            return kNone;
        return array;
    }

    // The items of an NSArray-like object, as references.
    bool arrayItems(Node node, const char *key, std::vector<Node> &items)
    {
        items.clear();
        const Node array = listArray(node, key);
        if (array == kNone)
            return false;
        const uint32_t count = plist.count(array);
        items.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            items.push_back(plist.item(array, i));
        return true;
    }

    double number(Node node) const
    {
        switch (kind(node)) {
        case Kind::Real: return plist.real(node);
        case Kind::Integer: return double(static_cast<int64_t>(plist.integer(node)));
        case Kind::Bool: return plist.boolean(node) ? 1.0 : 0.0;
        default: return 0.0;
        }
    }

    QByteArray bytesOf(Node node, uint64_t limit = UINT64_MAX) const
    {
        const std::string_view bytes = plist.data(node);
        return QByteArray(bytes.data(), qsizetype(std::min<uint64_t>(bytes.size(), limit)));
    }

    QString decodeStringNode(Node node, const char *key)
    {
        if (node == kNone)
            return QString();
        if (kind(node) == Kind::String)
            return plist.string(node);
        if (kind(node) == Kind::Dict) {
            // NSString / NSMutableString objects keep their characters in NS.string.
            const Node inner = member(node, "NS.string");
            if (kind(inner) == Kind::String)
                return plist.string(inner);
            // An NSURL: its relative part.
            const Node relative = member(node, "NS.relative");
            if (kind(relative) == Kind::String)
                return plist.string(relative);
        }
        wrongKind(key, "a string", node);
        return QString();
    }

    std::optional<Color> decodeColorNode(Node node, const char *key)
    {
        if (node == kNone)
            return std::nullopt;
        if (kind(node) != Kind::Dict) {
            wrongKind(key, "a colour", node);
            return std::nullopt;
        }
        const Node spaceNode = member(node, "NSColorSpace");
        const int64_t space = kind(spaceNode) == Kind::Integer ? int64_t(plist.integer(spaceNode)) : 0;
        auto components = [&](const char *name) {
            const Node data = member(node, name);
            if (kind(data) != Kind::Data)
                return std::vector<double>{};
            return parseComponents(bytesOf(data, 4096));
        };
        switch (space) {
        case 1:
        case 2: {
            const auto c = components("NSRGB");
            if (c.size() >= 3)
                return Color(c[0], c[1], c[2], c.size() >= 4 ? c[3] : 1.0);
            break;
        }
        case 3:
        case 4: {
            const auto c = components("NSWhite");
            if (!c.empty())
                return Color(c[0], c[0], c[0], c.size() >= 2 ? c[1] : 1.0);
            break;
        }
        case 5: {
            const auto c = components("NSCMYK");
            if (c.size() >= 4) {
                const double k = c[3];
                return Color((1 - c[0]) * (1 - k), (1 - c[1]) * (1 - k), (1 - c[2]) * (1 - k),
                             c.size() >= 5 ? c[4] : 1.0);
            }
            break;
        }
        default:
            return Color::withoutRgbForm();
        }
        fail(QStringLiteral("the colour under \"%1\" has no readable components").arg(QString::fromUtf8(key)));
        return std::nullopt;
    }

    TextAttributes decodeAttributes(Node dict)
    {
        TextAttributes attributes;
        if (dict == kNone)
            return attributes;
        std::vector<Node> keys, values;
        const Node keyArray = kind(dict) == Kind::Dict ? plist.valueForKey(dict, "NS.keys") : kNone;
        if (keyArray == kNone) {
            fail(QStringLiteral("text attributes are not a dictionary"));
            return attributes;
        }
        const bool ok = arrayItems(keyArray, "NS.keys", keys) && arrayItems(dict, "NS.objects", values);
        if (!ok)
            return attributes;
        if (keys.size() != values.size()) {
            fail(QStringLiteral("text attributes have %1 keys but %2 values").arg(keys.size()).arg(values.size()));
            return attributes;
        }
        for (size_t i = 0; i < keys.size(); ++i) {
            const QString name = decodeStringNode(resolve(keys[i], "NS.keys"), "NS.keys");
            const Node v = resolve(values[i], "NS.objects");
            if (name == QLatin1String("NSFont")) {
                TextFont font;
                font.name = decodeStringNode(member(v, "NSName"), "NSName");
                const Node size = member(v, "NSSize");
                if (kind(size) == Kind::Real)
                    font.pointSize = plist.real(size);
                attributes.font = font;
            } else if (name == QLatin1String("NSColor")) {
                attributes.color = decodeColorNode(v, "NSColor");
            } else if (name == QLatin1String("NSUnderline")) {
                attributes.underline = kind(v) == Kind::Integer && plist.integer(v) != 0;
            } else if (name == QLatin1String("NSLink")) {
                attributes.link = decodeStringNode(v, "NSLink");
            } else if (name == QLatin1String("NSParagraphStyle")) {
                const Node alignment = member(v, "NSAlignment");
                const uint64_t a = kind(alignment) == Kind::Integer ? plist.integer(alignment) : 4;
                attributes.alignment = a <= 4 ? TextAlignment(a) : TextAlignment::Natural;
            }
        }
        return attributes;
    }
};

KeyedUnarchiver::KeyedUnarchiver() : d(std::make_unique<Private>()) {}
KeyedUnarchiver::~KeyedUnarchiver() = default;

bool KeyedUnarchiver::open(const QByteArray &data)
{
    d = std::make_unique<Private>();
    if (data.isEmpty()) {
        d->fail(QStringLiteral("the file is empty"));
        return false;
    }
    if (data.size() > 0x7fffffff) {
        d->fail(QStringLiteral("the file is too large"));
        return false;
    }
    QByteArray binary = data;
    if (!data.startsWith("bplist00")
        && (data.trimmed().startsWith("<?xml") || data.trimmed().startsWith("<plist"))) {
        // Text property lists are rare and small: libplist reads them, and
        // the archive is read from their binary form.
        plist_t root = nullptr;
        plist_from_xml(data.constData(), uint32_t(data.size()), &root);
        binary = root ? BinaryPlistWriter::write(root) : QByteArray();
        if (root)
            plist_free(root);
    }
    QString reason;
    if (!d->plist.open(binary, &reason)) {
        d->fail(QStringLiteral("the file is not a property list, or it is damaged or truncated"));
        return false;
    }
    const BinaryPlistReader &plist = d->plist;
    const Node root = plist.topObject();
    if (plist.kind(root) != Kind::Dict) {
        d->fail(QStringLiteral("the property list is not a keyed archive (its top level is not a dictionary)"));
        return false;
    }
    const Node archiver = plist.valueForKey(root, "$archiver");
    if (plist.kind(archiver) != Kind::String || !plist.stringEquals(archiver, "NSKeyedArchiver")) {
        d->fail(QStringLiteral("the property list is not a keyed archive (no \"$archiver\")"));
        return false;
    }
    d->objectArray = plist.valueForKey(root, "$objects");
    d->top = plist.valueForKey(root, "$top");
    if (plist.kind(d->objectArray) != Kind::Array || plist.kind(d->top) != Kind::Dict) {
        d->fail(QStringLiteral("the keyed archive lacks \"$objects\" or \"$top\""));
        return false;
    }
    d->objectCount = plist.count(d->objectArray);
    if (d->objectCount == 0) {
        d->fail(QStringLiteral("the keyed archive has no objects"));
        return false;
    }
    d->budget = int64_t(d->objectCount) * 16 + 1000000;
    d->cache.resize(d->objectCount);
    d->inProgress.resize(d->objectCount);
    return true;
}

bool KeyedUnarchiver::hasError() const { return !d->error.isEmpty(); }
QString KeyedUnarchiver::errorString() const { return d->error; }
void KeyedUnarchiver::failWithError(const QString &message) { d->fail(message); }

QString KeyedUnarchiver::currentClassName() const
{
    if (d->frames.empty() || d->frames.back().isList)
        return QString();
    return d->classNameOf(d->frames.back().dict);
}

bool KeyedUnarchiver::containsValueForKey(const char *key) const
{
    return d->rawValue(key) != kNone;
}

int64_t KeyedUnarchiver::decodeInteger(const char *key)
{
    const Node node = d->value(key);
    switch (d->kind(node)) {
    case Kind::None:
        return 0;
    case Kind::Integer:
        return static_cast<int64_t>(d->plist.integer(node));
    case Kind::Real: {
        const double v = d->plist.real(node);
        if (!std::isfinite(v) || std::fabs(v) > 9.2e18)
            return 0;
        return static_cast<int64_t>(std::trunc(v));
    }
    case Kind::Bool:
        return d->plist.boolean(node) ? 1 : 0;
    default:
        d->wrongKind(key, "a number", node);
        return 0;
    }
}

bool KeyedUnarchiver::decodeBool(const char *key)
{
    const Node node = d->value(key);
    switch (d->kind(node)) {
    case Kind::None:
        return false;
    case Kind::Bool:
    case Kind::Integer:
    case Kind::Real:
        return d->number(node) != 0.0;
    default:
        d->wrongKind(key, "a number", node);
        return false;
    }
}

double KeyedUnarchiver::decodeDouble(const char *key)
{
    const Node node = d->value(key);
    switch (d->kind(node)) {
    case Kind::None:
        return 0.0;
    case Kind::Bool:
    case Kind::Integer:
    case Kind::Real:
        return d->number(node);
    default:
        d->wrongKind(key, "a number", node);
        return 0.0;
    }
}

QString KeyedUnarchiver::decodeString(const char *key)
{
    return d->decodeStringNode(d->value(key), key);
}

QByteArray KeyedUnarchiver::decodeData(const char *key)
{
    Node node = d->value(key);
    if (node == kNone)
        return QByteArray();
    if (d->kind(node) == Kind::Dict)
        node = d->member(node, "NS.data"); // NSData / NSMutableData objects
    if (d->kind(node) != Kind::Data) {
        d->wrongKind(key, "data", node);
        return QByteArray();
    }
    QByteArray result = d->bytesOf(node);
    if (result.isNull())
        result = QByteArray("");
    return result;
}

std::optional<QDateTime> KeyedUnarchiver::decodeDate(const char *key)
{
    const Node node = d->value(key);
    if (node == kNone)
        return std::nullopt;
    double seconds = 0;
    if (d->kind(node) == Kind::Date) {
        seconds = d->plist.real(node);
    } else {
        const Node time = d->member(node, "NS.time");
        if (d->kind(time) != Kind::Real) {
            d->wrongKind(key, "a date", node);
            return std::nullopt;
        }
        seconds = d->plist.real(time);
    }
    const double ms = (seconds + kReferenceDateOffset) * 1000.0;
    if (!std::isfinite(ms) || std::fabs(ms) > 8.64e15) {
        d->fail(QStringLiteral("the date under \"%1\" is out of range").arg(QString::fromUtf8(key)));
        return std::nullopt;
    }
    return QDateTime::fromMSecsSinceEpoch(std::llround(ms), Qt::UTC);
}

std::optional<Color> KeyedUnarchiver::decodeColor(const char *key)
{
    return d->decodeColorNode(d->value(key), key);
}

std::optional<StyledText> KeyedUnarchiver::decodeStyledText(const char *key)
{
    const Node node = d->value(key);
    if (node == kNone)
        return std::nullopt;
    if (d->kind(node) == Kind::String)
        return StyledText(d->plist.string(node));
    if (d->kind(node) != Kind::Dict) {
        d->wrongKind(key, "styled text", node);
        return std::nullopt;
    }
    const QString text = d->decodeStringNode(d->member(node, "NSString"), "NSString");
    const Node attributes = d->member(node, "NSAttributes");
    const Node info = d->member(node, "NSAttributeInfo");
    StyledText result;
    if (info == kNone) {
        result.append(text, d->decodeAttributes(attributes));
        return result;
    }
    std::vector<Node> items;
    if (!d->arrayItems(attributes, "NSAttributes", items))
        return StyledText(text);
    std::vector<TextAttributes> table;
    table.reserve(items.size());
    for (Node item : items)
        table.push_back(d->decodeAttributes(d->resolve(item, "NSAttributes")));
    if (d->kind(info) != Kind::Data) {
        d->wrongKind("NSAttributeInfo", "data", info);
        return StyledText(text);
    }
    const std::string_view runTable = d->plist.data(info);
    const auto *bytes = reinterpret_cast<const uint8_t *>(runTable.data());
    const uint64_t length = runTable.size();
    uint64_t pos = 0;
    auto readVarint = [&](uint64_t &out) {
        out = 0;
        for (int shift = 0; pos < length && shift < 64; shift += 7) {
            const uint8_t b = bytes[pos++];
            out |= uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80))
                return true;
        }
        return false;
    };
    qsizetype offset = 0;
    while (pos < length && offset < text.size()) {
        uint64_t runLength = 0, index = 0;
        if (!readVarint(runLength) || !readVarint(index) || index >= table.size()) {
            d->fail(QStringLiteral("the styled text under \"%1\" has a damaged run table").arg(QString::fromUtf8(key)));
            break;
        }
        const qsizetype take = qsizetype(std::min<uint64_t>(runLength, uint64_t(text.size() - offset)));
        result.append(text.mid(offset, take), table[index]);
        offset += take;
    }
    if (offset < text.size())
        result.append(text.mid(offset));
    return result;
}

std::optional<QMap<QString, QString>> KeyedUnarchiver::decodeStringDictionary(const char *key)
{
    const Node node = d->value(key);
    if (node == kNone)
        return std::nullopt;
    const Node keyArray = d->kind(node) == Kind::Dict ? d->plist.valueForKey(node, "NS.keys") : kNone;
    const Node valueArray = d->kind(node) == Kind::Dict ? d->plist.valueForKey(node, "NS.objects") : kNone;
    if (d->kind(keyArray) != Kind::Array || d->kind(valueArray) != Kind::Array) {
        d->wrongKind(key, "a dictionary", node);
        return std::nullopt;
    }
    const uint32_t count = d->plist.count(keyArray);
    if (count != d->plist.count(valueArray)) {
        d->fail(QStringLiteral("the dictionary under \"%1\" has %2 keys but %3 values")
                    .arg(QString::fromUtf8(key)).arg(count).arg(d->plist.count(valueArray)));
        return std::nullopt;
    }
    std::vector<Node> keys, values;
    if (!d->arrayItems(keyArray, key, keys) || !d->arrayItems(node, key, values))
        return std::nullopt;
    QMap<QString, QString> result;
    for (size_t i = 0; i < keys.size() && i < values.size(); ++i) {
        const QString k = d->decodeStringNode(d->resolve(keys[i], key), key);
        const QString v = d->decodeStringNode(d->resolve(values[i], key), key);
        if (!k.isNull() && !v.isNull())
            result.insert(k, v);
    }
    return result;
}

std::optional<QStringList> KeyedUnarchiver::decodeStringList(const char *key)
{
    const Node node = d->value(key);
    if (node == kNone)
        return std::nullopt;
    std::vector<Node> items;
    if (!d->arrayItems(node, key, items))
        return std::nullopt;
    QStringList result;
    result.reserve(qsizetype(items.size()));
    for (Node item : items)
        result << d->decodeStringNode(d->resolve(item, key), key);
    return result;
}

QByteArray KeyedUnarchiver::decodeImageData(const char *key)
{
    // Walk the picture object's graph (representations inside arrays) for
    // the first data blob: the encoded bitmap.
    std::vector<Node> pending{d->value(key)};
    int visited = 0;
    while (!pending.empty() && visited < 256) {
        const Node node = pending.back();
        pending.pop_back();
        ++visited;
        const Kind kind = d->kind(node);
        if (kind == Kind::Data) {
            if (!d->plist.data(node).empty())
                return d->bytesOf(node);
        } else if (kind == Kind::Dict) {
            for (const char *name : {"NS.objects", "NSReps", "NSTIFFRepresentation", "NS.data"}) {
                const Node child = d->plist.valueForKey(node, name);
                if (child == kNone)
                    continue;
                if (d->kind(child) == Kind::Array) {
                    const uint32_t count = std::min<uint32_t>(d->plist.count(child), 64);
                    for (uint32_t i = 0; i < count; ++i)
                        pending.push_back(d->resolve(d->plist.item(child, i), key));
                } else {
                    pending.push_back(d->resolve(child, key));
                }
            }
        }
    }
    return QByteArray();
}

bool KeyedUnarchiver::beginRoot()
{
    if (d->top == kNone) {
        d->fail(QStringLiteral("no archive is open"));
        return false;
    }
    d->frames.clear();
    d->frames.push_back(Private::Frame{d->top, kNone, false});
    if (d->plist.valueForKey(d->top, "root") == kNone) {
        d->fail(QStringLiteral("the keyed archive has no root object"));
        return false;
    }
    return true;
}

void KeyedUnarchiver::endRoot()
{
    d->frames.clear();
}

KeyedUnarchiver::Begin KeyedUnarchiver::beginObject(const char *key, const QStringList &classNames, uint64_t &uid)
{
    const Node ref = d->rawValue(key);
    if (ref == kNone)
        return Begin::Absent;
    if (d->kind(ref) != Kind::Uid) {
        d->wrongKind(key, "a reference to an object", ref);
        return Begin::Absent;
    }
    uid = d->plist.uid(ref);
    const Node object = d->resolve(ref, key);
    if (object == kNone)
        return Begin::Absent;
    if (d->kind(object) != Kind::Dict || !d->isKindOf(object, classNames.first())) {
        const QString found = d->kind(object) == Kind::Dict ? d->classNameOf(object) : QString();
        d->fail(QStringLiteral("the value of \"%1\" should be a %2, but it is %3")
                    .arg(QString::fromUtf8(key), classNames.first(),
                         found.isEmpty() ? QLatin1String(typeName(d->kind(object))) : QStringLiteral("a ") + found));
        return Begin::Absent;
    }
    if (d->cache[uid])
        return Begin::Cached;
    if (d->inProgress[uid]) {
        d->fail(QStringLiteral("the archive has a reference cycle through a %1").arg(classNames.first()));
        return Begin::Absent;
    }
    if (d->frames.size() >= Private::kMaxDepth) {
        d->fail(QStringLiteral("the archive nests objects too deeply"));
        return Begin::Absent;
    }
    if (!d->spend())
        return Begin::Absent;
    d->inProgress[uid] = true;
    d->frames.push_back(Private::Frame{object, kNone, false});
    return Begin::Decode;
}

void KeyedUnarchiver::endObject(uint64_t uid, std::shared_ptr<void> object)
{
    d->frames.pop_back();
    d->inProgress[uid] = false;
    if (object)
        d->cache[uid] = std::move(object);
}

std::shared_ptr<void> KeyedUnarchiver::cachedObject(uint64_t uid) const
{
    return uid < d->cache.size() ? d->cache[uid] : nullptr;
}

int KeyedUnarchiver::beginList(const char *key)
{
    const Node node = d->value(key);
    if (node == kNone)
        return -1;
    if (d->frames.size() >= Private::kMaxDepth) {
        d->fail(QStringLiteral("the archive nests objects too deeply"));
        return -1;
    }
    const Node array = d->listArray(node, key);
    if (array == kNone)
        return -1;
    d->frames.push_back(Private::Frame{array, kNone, true});
    return int(d->plist.count(array));
}

bool KeyedUnarchiver::selectListItem(int index)
{
    Private::Frame &frame = d->frames.back();
    if (!frame.isList || index < 0 || uint32_t(index) >= d->plist.count(frame.dict))
        return false;
    frame.currentItem = d->plist.item(frame.dict, uint32_t(index));
    return true;
}

void KeyedUnarchiver::endList()
{
    Q_ASSERT(!d->frames.empty() && d->frames.back().isList);
    d->frames.pop_back();
}
