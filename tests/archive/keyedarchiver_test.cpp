#include "archive/archivetestrecords.h"
#include "support/testsupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <plist/plist.h>

namespace {

std::shared_ptr<TestRecord> roundTrip(const TestRecord &record, QString *error = nullptr)
{
    const QByteArray bytes = KeyedArchiver::archivedData(record);
    KeyedUnarchiver coder;
    EXPECT_TRUE(coder.open(bytes)) << coder.errorString().toStdString();
    auto result = coder.decodeRootObject<TestRecord>();
    if (error)
        *error = coder.errorString();
    else
        EXPECT_FALSE(coder.hasError()) << coder.errorString().toStdString();
    return result;
}

// Rewrites one entry of the root object's dictionary with raw libplist.
QByteArray patchRoot(const QByteArray &bytes, const char *key, plist_t value)
{
    plist_t archive = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &archive);
    plist_t objects = plist_dict_get_item(archive, "$objects");
    uint64_t rootUid = 0;
    plist_get_uid_val(plist_dict_get_item(plist_dict_get_item(archive, "$top"), "root"), &rootUid);
    plist_dict_set_item(plist_array_get_item(objects, uint32_t(rootUid)), key, value);
    char *out = nullptr;
    uint32_t length = 0;
    plist_to_bin(archive, &out, &length);
    QByteArray result(out, length);
    plist_to_bin_free(out);
    plist_free(archive);
    return result;
}

} // namespace

TEST(KeyedArchiver, RoundTripsEveryValueKindAndKeepsEmptyAndAbsentApart)
{
    const TestRecord record = makeFullTestRecord();
    const auto back = roundTrip(record);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->intNumber, -5);
    EXPECT_TRUE(back->boolNumber);
    EXPECT_EQ(back->floatNumber, 0.1f);
    EXPECT_TRUE(back->nativeBool);
    EXPECT_EQ(back->nativeInt, -70000);
    EXPECT_EQ(back->string, record.string);
    EXPECT_TRUE(back->absentString.isNull());
    EXPECT_EQ(back->data, record.data);
    EXPECT_EQ(back->date, record.date);
    EXPECT_EQ(back->color, record.color);
    EXPECT_EQ(back->styled, record.styled);
    EXPECT_EQ(back->dictionary, record.dictionary);
    ASSERT_EQ(back->leaves.size(), 3);
    EXPECT_EQ(back->leaves[2]->name, QStringLiteral("leaf 2"));
    EXPECT_EQ(back->leaves[2]->price, -3.0f);
    ASSERT_TRUE(back->shared);
    EXPECT_EQ(back->shared->name, QStringLiteral("shared"));

    TestRecord empty;
    empty.string = QStringLiteral("");
    empty.data = QByteArray("");
    empty.styled = StyledText();
    empty.dictionary = QMap<QString, QString>();
    const auto emptyBack = roundTrip(empty);
    ASSERT_TRUE(emptyBack);
    EXPECT_TRUE(emptyBack->string.isEmpty() && !emptyBack->string.isNull());
    EXPECT_FALSE(emptyBack->data.isNull());
    EXPECT_EQ(emptyBack->styled, StyledText());
    EXPECT_EQ(emptyBack->dictionary, (QMap<QString, QString>()));
    EXPECT_FALSE(emptyBack->date.has_value() || emptyBack->color.has_value());
}

TEST(KeyedArchiver, PythonPlistlibReadsTheFormat)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("record.archive"));
    testsupport::writeFile(file, KeyedArchiver::archivedData(makeFullTestRecord()));
    QProcess process;
    process.start(python, {QStringLiteral(TILLBOX_TEST_SOURCES "/archive/plistlib_check.py"), file});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString()
                                     << process.readAllStandardError().toStdString();
}

TEST(KeyedUnarchiver, ReadsMissingKeysAsZeroValues)
{
    TestLeaf leaf;
    const QByteArray bytes = KeyedArchiver::archivedData(leaf);
    KeyedUnarchiver coder;
    ASSERT_TRUE(coder.open(bytes));
    // Decode the leaf's archive as a record: every key of the record is missing.
    struct Probe
    {
        static QStringList archiveClassNames() { return {QStringLiteral("TestLeaf")}; }
        static std::shared_ptr<Probe> initWithCoder(KeyedUnarchiver &c)
        {
            EXPECT_FALSE(c.containsValueForKey("Missing"));
            EXPECT_TRUE(c.containsValueForKey("Name"));
            EXPECT_EQ(c.decodeInteger("Missing"), 0);
            EXPECT_FALSE(c.decodeBool("Missing"));
            EXPECT_EQ(c.decodeFloat("Missing"), 0.0f);
            EXPECT_TRUE(c.decodeString("Missing").isNull());
            EXPECT_TRUE(c.decodeData("Missing").isNull());
            EXPECT_FALSE(c.decodeDate("Missing"));
            EXPECT_FALSE(c.decodeColor("Missing"));
            EXPECT_FALSE(c.decodeStyledText("Missing"));
            EXPECT_FALSE(c.decodeStringDictionary("Missing"));
            EXPECT_FALSE(c.decodeObjectList<TestLeaf>("Missing"));
            // A stored null string reads as absent, not as a wrong kind.
            EXPECT_TRUE(c.decodeString("Name").isNull());
            return std::make_shared<Probe>();
        }
    };
    EXPECT_TRUE(coder.decodeRootObject<Probe>());
    EXPECT_FALSE(coder.hasError()) << coder.errorString().toStdString();
}

namespace {

struct ConversionCase
{
    plist_t (*make)();
    int64_t asInteger;
    bool asBool;
    double asDouble;
};

// Reads the key "Probe" in every numeric way and compares with the case.
struct ConversionProbe
{
    static inline const ConversionCase *current = nullptr;
    static QStringList archiveClassNames() { return {QStringLiteral("TestRecord")}; }
    static std::shared_ptr<ConversionProbe> initWithCoder(KeyedUnarchiver &k)
    {
        EXPECT_EQ(k.decodeInteger("Probe"), current->asInteger);
        EXPECT_EQ(k.decodeBool("Probe"), current->asBool);
        EXPECT_DOUBLE_EQ(k.decodeDouble("Probe"), current->asDouble);
        return std::make_shared<ConversionProbe>();
    }
};

} // namespace

// Reals truncate toward zero, anything but zero is true, native booleans
// read as 1.
TEST(KeyedUnarchiver, NumbersConvertByTheTolerantRules)
{
    const ConversionCase cases[] = {
        {[] { return plist_new_real(-2.75); }, -2, true, -2.75},
        {[] { return plist_new_real(1.99); }, 1, true, 1.99},
        {[] { return plist_new_uint(2); }, 2, true, 2.0},
        {[] { return plist_new_uint(0); }, 0, false, 0.0},
        {[] { return plist_new_uint(uint64_t(-7)); }, -7, true, -7.0},
        {[] { return plist_new_bool(1); }, 1, true, 1.0},
        {[] { return plist_new_real(0.5); }, 0, true, 0.5},
    };
    for (const ConversionCase &c : cases) {
        SCOPED_TRACE(c.asDouble);
        KeyedUnarchiver coder;
        ASSERT_TRUE(coder.open(patchRoot(KeyedArchiver::archivedData(TestRecord{}), "Probe", c.make())));
        ConversionProbe::current = &c;
        coder.decodeRootObject<ConversionProbe>();
        EXPECT_FALSE(coder.hasError()) << coder.errorString().toStdString();
    }
}

// Damage in the frame is refused when opening, damage in the graph when
// decoding; each message says what is wrong.
TEST(KeyedUnarchiver, NamesTheDamage)
{
    const char *const notAList = "the file is not a property list, or it is damaged or truncated";
    const std::pair<QByteArray, const char *> frames[] = {
        {QByteArray(), "the file is empty"},
        {QByteArray("this is not an archive"), notAList},
        {KeyedArchiver::archivedData(TestLeaf{}).left(40), notAList},
        {QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>b</string>"
                    "</dict></plist>"),
         "the property list is not a keyed archive (no \"$archiver\")"},
        {QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"),
         "the property list is not a keyed archive (its top level is not a dictionary)"},
    };
    for (const auto &[bytes, message] : frames) {
        KeyedUnarchiver coder;
        EXPECT_FALSE(coder.open(bytes));
        EXPECT_EQ(coder.errorString(), QString::fromUtf8(message));
    }

    // The archiver writes an object once, so a node that is its own child
    // gives a graph that loops.
    auto cycle = std::make_shared<TestNode>();
    cycle->child = cycle;
    const QByteArray cyclic = KeyedArchiver::archivedData(*cycle);
    cycle->child.reset();
    auto deep = std::make_shared<TestNode>();
    for (int i = 0; i < 200; ++i)
        deep = std::make_shared<TestNode>(TestNode{deep});
    const QByteArray full = KeyedArchiver::archivedData(makeFullTestRecord());
    const std::tuple<QByteArray, bool, const char *> graphs[] = { // bytes, read as a TestNode, message
        {patchRoot(full, "IntNumber", plist_new_string("twelve")), false, "\"IntNumber\" should be a number"},
        {patchRoot(full, "String", plist_new_uid(99999)), false, "refers to object 99999"},
        {KeyedArchiver::archivedData(TestNode{}), false,
         "the value of \"root\" should be a TestRecord, but it is a TestNode"},
        {cyclic, true, "the archive has a reference cycle through a TestNode"},
        {KeyedArchiver::archivedData(*deep), true, "the archive nests objects too deeply"},
    };
    for (const auto &[bytes, asNode, message] : graphs) {
        KeyedUnarchiver coder;
        ASSERT_TRUE(coder.open(bytes));
        if (asNode)
            coder.decodeRootObject<TestNode>();
        else
            coder.decodeRootObject<TestRecord>();
        EXPECT_TRUE(coder.errorString().contains(QLatin1String(message))) << coder.errorString().toStdString();
    }
}

TEST(KeyedUnarchiver, SurvivesEveryTruncationAndBitFlip)
{
    const QByteArray good = KeyedArchiver::archivedData(makeFullTestRecord());
    for (qsizetype length = 0; length < good.size(); length += 7) {
        KeyedUnarchiver coder;
        if (coder.open(good.left(length)))
            coder.decodeRootObject<TestRecord>();
    }
    for (qsizetype i = 0; i < good.size(); ++i) {
        QByteArray damaged = good;
        damaged[i] = char(damaged[i] ^ 0x5a);
        KeyedUnarchiver coder;
        if (coder.open(damaged))
            coder.decodeRootObject<TestRecord>();
    }
    SUCCEED();
}

TEST(KeyedUnarchiver, RegressionInputsDoNotCrash)
{
    const QDir dir(testsupport::dataPath(QStringLiteral("archive/regressions")));
    const auto files = dir.entryInfoList(QDir::Files);
    for (const QFileInfo &file : files) {
        SCOPED_TRACE(file.fileName().toStdString());
        KeyedUnarchiver coder;
        if (coder.open(testsupport::readFile(file.filePath()))) {
            coder.decodeRootObject<TestRecord>();
            coder.decodeRootObject<TestNode>();
        }
    }
}
