#pragma once

#include "util/color.h"
#include "util/styledtext.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// Writes keyed archives: NSKeyedArchiver-format binary property lists
// ($archiver, $version 100000, $top/root, $objects starting with "$null").
//
// A record takes part by providing
//     static QStringList archiveClassNames();   // most derived first, e.g. {"TillboxProduct", "NSObject"}
//     void encodeWithCoder(KeyedArchiver &coder) const;
// and calling the encode* members below, which write into the object being
// encoded. An absent string (a null QString) and a null byte array are written
// as a reference to "$null".
class KeyedArchiver
{
public:
    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver &) = delete;
    KeyedArchiver &operator=(const KeyedArchiver &) = delete;

    // Archives `root` under the top-level key "root" and returns the file bytes.
    template <class T>
    static QByteArray archivedData(const T &root)
    {
        KeyedArchiver coder;
        coder.encodeObject("root", root);
        return coder.finishEncoding();
    }

    // Number objects, referenced by UID.
    void encodeIntNumber(const char *key, int64_t value);
    void encodeBoolNumber(const char *key, bool value);   // a bare integer 0 or 1
    void encodeFloatNumber(const char *key, float value); // a bare real
    void encodeDoubleNumber(const char *key, double value);
    // The archive's own inline entries.
    void encodeBool(const char *key, bool value);
    void encodeInt32(const char *key, int32_t value);

    void encodeString(const char *key, const QString &value);
    void encodeData(const char *key, const QByteArray &value);
    void encodeDate(const char *key, const std::optional<QDateTime> &value);
    void encodeColor(const char *key, const std::optional<Color> &value);
    void encodeStyledText(const char *key, const std::optional<StyledText> &value);
    void encodeStringDictionary(const char *key, const std::optional<QMap<QString, QString>> &value);
    void encodeStringList(const char *key, const QStringList &value);
    // The picture form of the oldest stored products: an NSImage holding the
    // encoded bytes as its representation. Only written by tests and tools.
    void encodeImageData(const char *key, const QByteArray &encodedImage);

    // An object given by reference is written where it stands.
    template <class T>
    void encodeObject(const char *key, const T &object)
    {
        static const QStringList classNames = T::archiveClassNames();
        if (beginObject(key, nullptr, classNames)) {
            object.encodeWithCoder(*this);
            endObject();
        }
    }
    // An object given by shared pointer is written once, however often it is
    // encoded; later encodings refer to the first. The archiver keeps it
    // alive until it is done, so its address cannot be taken by another.
    template <class T>
    void encodeObject(const char *key, const std::shared_ptr<T> &object)
    {
        if (!object) {
            encodeNull(key);
            return;
        }
        static const QStringList classNames = T::archiveClassNames();
        if (beginObject(key, std::static_pointer_cast<const void>(object), classNames)) {
            object->encodeWithCoder(*this);
            endObject();
        }
    }
    template <class T>
    void encodeObjectList(const char *key, const QList<std::shared_ptr<T>> &list)
    {
        beginList(key);
        for (const auto &item : list)
            encodeObject(nullptr, item);
        endList();
    }
    void encodeNull(const char *key);

    // Closes the archive and returns the binary property list.
    QByteArray finishEncoding();

private:
    struct Private;
    bool beginObject(const char *key, std::shared_ptr<const void> identity, const QStringList &classNames);
    void endObject();
    void beginList(const char *key);
    void endList();
    std::unique_ptr<Private> d;
};

// Reads keyed archives written by KeyedArchiver or by any NSKeyedArchiver.
//
// Reading is tolerant in the way stored pages need: a missing key reads as 0,
// false or absent; a real read as an integer truncates toward zero; any number
// read as a boolean is true when non-zero; objects referenced from several
// places are decoded once and shared. Damaged input (a file that does not
// parse, values of the wrong kind, UIDs out of range, reference cycles,
// absurd nesting) never crashes: the first problem is recorded, decoding
// carries on with zero values, and hasError()/errorString() report it.
//
// A record is read by providing
//     static QStringList archiveClassNames();
//     static std::shared_ptr<T> initWithCoder(KeyedUnarchiver &coder);
// whose decode* calls read from the object being decoded.
class KeyedUnarchiver
{
public:
    KeyedUnarchiver();
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver &) = delete;
    KeyedUnarchiver &operator=(const KeyedUnarchiver &) = delete;

    // Parses the bytes and checks the archive's frame. False (with
    // errorString() set) when the data is not a keyed archive.
    [[nodiscard]] bool open(const QByteArray &data);

    // Decodes the object under the top-level key "root"; null (with an error)
    // when it is missing or of another class.
    template <class T>
    std::shared_ptr<T> decodeRootObject()
    {
        if (!beginRoot())
            return nullptr;
        auto result = decodeObject<T>("root");
        endRoot();
        return result;
    }

    bool hasError() const;
    QString errorString() const;
    // Records a problem found while decoding (only the first is kept).
    void failWithError(const QString &message);

    // Class name of the object being decoded.
    QString currentClassName() const;
    bool containsValueForKey(const char *key) const;

    int64_t decodeInteger(const char *key);  // numbers of any kind, native or referenced
    int32_t decodeInt32(const char *key) { return static_cast<int32_t>(decodeInteger(key)); }
    bool decodeBool(const char *key);
    double decodeDouble(const char *key);
    float decodeFloat(const char *key) { return static_cast<float>(decodeDouble(key)); }

    QString decodeString(const char *key);   // null QString when missing or $null
    QByteArray decodeData(const char *key);  // null QByteArray when missing or $null
    std::optional<QDateTime> decodeDate(const char *key);
    std::optional<Color> decodeColor(const char *key);
    std::optional<StyledText> decodeStyledText(const char *key);
    std::optional<QMap<QString, QString>> decodeStringDictionary(const char *key);
    std::optional<QStringList> decodeStringList(const char *key);
    // The encoded bytes of an archived picture object (NSImage with bitmap
    // representations); empty when there is none.
    QByteArray decodeImageData(const char *key);

    template <class T>
    std::shared_ptr<T> decodeObject(const char *key)
    {
        static const QStringList classNames = T::archiveClassNames();
        uint64_t uid = 0;
        switch (beginObject(key, classNames, uid)) {
        case Begin::Absent:
            return nullptr;
        case Begin::Cached:
            return std::static_pointer_cast<T>(cachedObject(uid));
        case Begin::Decode:
            break;
        }
        std::shared_ptr<T> object = T::initWithCoder(*this);
        endObject(uid, object);
        return object;
    }

    // A list of records (NSArray / NSMutableArray); absent when the key is
    // missing or $null. Entries of another class are an error and are skipped.
    template <class T>
    std::optional<QList<std::shared_ptr<T>>> decodeObjectList(const char *key)
    {
        std::optional<QList<std::shared_ptr<T>>> result;
        const int count = beginList(key);
        if (count < 0)
            return result;
        result.emplace();
        result->reserve(count);
        for (int i = 0; i < count; ++i) {
            if (!selectListItem(i))
                continue;
            if (auto item = decodeObject<T>(kListItemKey))
                result->append(std::move(item));
        }
        endList();
        return result;
    }

private:
    struct Private;
    enum class Begin { Absent, Cached, Decode };
    static constexpr const char *kListItemKey = "\x01item";
    bool beginRoot();
    void endRoot();
    Begin beginObject(const char *key, const QStringList &classNames, uint64_t &uid);
    void endObject(uint64_t uid, std::shared_ptr<void> object);
    std::shared_ptr<void> cachedObject(uint64_t uid) const;
    int beginList(const char *key);
    bool selectListItem(int index);
    void endList();
    std::unique_ptr<Private> d;
};
