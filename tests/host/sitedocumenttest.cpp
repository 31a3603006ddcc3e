#include "host/sitedocument.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <plist/plist.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

SiteDocument sampleSite()
{
    SiteDocument site;
    site.setSiteName(QStringLiteral("My Shop"));
    SitePage root{QStringLiteral("A-1"), QStringLiteral("Home"), QStringLiteral(""),
                  QStringLiteral("index.html"), QByteArray("bplist\0\x01\xff", 9)};
    SitePage nested{QStringLiteral("B-2"), QStringLiteral("Sale – Ünïcode"), QStringLiteral("shop/sale"),
                    QStringLiteral("sale.html"), QByteArray("")};
    SitePage bare{QStringLiteral("C-3"), QString(), QStringLiteral("about"),
                  QStringLiteral("index.html"), QByteArray()};
    EXPECT_TRUE(site.addPage(root));
    EXPECT_TRUE(site.addPage(nested));
    EXPECT_TRUE(site.addPage(bare));
    return site;
}

QString savedSample(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("site.tillbox");
    QString error;
    EXPECT_TRUE(sampleSite().save(path, &error)) << error.toStdString();
    return path;
}

TEST(SiteDocument, RoundTripKeepsEveryFieldAndNullness)
{
    QTemporaryDir dir;
    const QString path = savedSample(dir);

    SiteDocument loaded;
    QString error;
    ASSERT_TRUE(loaded.load(path, &error)) << error.toStdString();
    EXPECT_EQ(loaded, sampleSite());
    EXPECT_TRUE(loaded.pages().at(2).title.isNull());
    EXPECT_TRUE(loaded.pages().at(2).pluginData.isNull());
    EXPECT_FALSE(loaded.pages().at(1).pluginData.isNull());
    EXPECT_FALSE(loaded.pages().at(0).location.isNull());
    EXPECT_EQ(loaded.pageFromUniqueID("B-2")->location, QStringLiteral("shop/sale"));
    EXPECT_FALSE(loaded.pageFromUniqueID("missing").has_value());
}

TEST(SiteDocument, FileIsAStandardBinaryPropertyList)
{
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 not available";
    QTemporaryDir dir;
    const QString path = savedSample(dir);

    QProcess process;
    process.start(python, {"-c", R"(import plistlib, sys
with open(sys.argv[1], 'rb') as f:
    d = plistlib.load(f, fmt=plistlib.FMT_BINARY)
print(d['SiteName'])
for p in d['Pages']:
    print(p['UniqueID'], repr(p.get('Title')), p['Location'], p['FileName'], p.get('PluginData', b'').hex())
)",
                           path});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              QStringLiteral("My Shop\n"
                             "A-1 'Home'  index.html 62706c6973740001ff\n"
                             "B-2 'Sale – Ünïcode' shop/sale sale.html \n"
                             "C-3 None about index.html \n"));
}

TEST(SiteDocument, SaveThatCannotCreateItsTemporaryFileLeavesTheOldFileUntouched)
{
    // A name at the length limit leaves no room for the temporary file's
    // suffix, so the save fails even where permissions are not enforced.
    QTemporaryDir dir;
    const QString path = dir.filePath(QString(250, QLatin1Char('s')));
    ASSERT_TRUE(sampleSite().save(path, nullptr));
    const QByteArray before = readFile(path);

    SiteDocument changed;
    changed.setSiteName("Other");
    QString error;
    EXPECT_FALSE(changed.save(path, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(SiteDocument, NeverOverwritesAFileItCannotRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("site.tillbox");
    writeFile(path, "precious notes");

    // A failed load keeps the document as it was.
    SiteDocument site = sampleSite();
    QString error;
    EXPECT_FALSE(site.load(path, &error));
    EXPECT_EQ(site, sampleSite());
    EXPECT_FALSE(site.save(path, &error));
    EXPECT_TRUE(error.contains("left untouched")) << error.toStdString();
    EXPECT_TRUE(error.contains("not a binary property list")) << error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray("precious notes"));
}

// The binary form of root (which it frees).
QByteArray binaryPlist(plist_t root)
{
    char *buffer = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &buffer, &length);
    QByteArray bytes(buffer, length);
    plist_to_bin_free(buffer);
    plist_free(root);
    return bytes;
}

plist_t pageDict(const char *id)
{
    plist_t page = plist_new_dict();
    plist_dict_set_item(page, "UniqueID", plist_new_string(id));
    plist_dict_set_item(page, "Location", plist_new_string(""));
    return page;
}

// A root with a valid site name and the given pages (ownership passes).
plist_t siteWith(std::initializer_list<plist_t> pages)
{
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "SiteName", plist_new_string("Site"));
    plist_t array = plist_new_array();
    for (plist_t page : pages)
        plist_array_append_item(array, page);
    plist_dict_set_item(root, "Pages", array);
    return root;
}

plist_t withItem(plist_t dict, const char *key, plist_t value)
{
    plist_dict_set_item(dict, key, value);
    return dict;
}

struct DamagedCase
{
    const char *name;
    std::function<QByteArray()> bytes; // nothing written when it returns null
    const char *reason;
};

QByteArray validFile()
{
    return binaryPlist(siteWith({pageDict("A"), pageDict("B")}));
}

const DamagedCase kDamagedCases[] = {
    DamagedCase{"Missing", [] { return QByteArray(); }, "does not exist"},
    DamagedCase{"EmptyFile", [] { return QByteArray(""); }, "not a binary property list"},
    DamagedCase{"Garbage", [] { return QByteArray("\x00\x13garbage", 9); }, "not a binary property list"},
    DamagedCase{"XmlPropertyList", [] { return QByteArray("<?xml version=\"1.0\"?><plist/>"); },
                "not a binary property list"},
    DamagedCase{"Truncated", [] { const QByteArray b = validFile(); return b.left(b.size() / 2); },
                "damaged or truncated"},
    DamagedCase{"RootNotDictionary", [] { return binaryPlist(plist_new_array()); },
                "does not hold a dictionary"},
    DamagedCase{"SiteNameMissing",
                [] { return binaryPlist(withItem(plist_new_dict(), "Pages", plist_new_array())); },
                "\"SiteName\" is missing"},
    DamagedCase{"SiteNameNotString",
                [] { return binaryPlist(withItem(siteWith({}), "SiteName", plist_new_uint(3))); },
                "\"SiteName\" is not a string"},
    DamagedCase{"SiteNameClimbsOut",
                [] { return binaryPlist(withItem(siteWith({}), "SiteName", plist_new_string(".."))); },
                "\"SiteName\" \"..\" is not a plain folder name"},
    DamagedCase{"PagesNotArray",
                [] { return binaryPlist(withItem(siteWith({}), "Pages", plist_new_dict())); },
                "\"Pages\" is not an array"},
    DamagedCase{"PageNotDictionary", [] { return binaryPlist(siteWith({pageDict("A"), plist_new_bool(1)})); },
                "page 2 is not a dictionary"},
    DamagedCase{"UniqueIDMissing",
                [] {
                    plist_t page = plist_new_dict();
                    plist_dict_set_item(page, "Location", plist_new_string(""));
                    return binaryPlist(siteWith({page}));
                },
                "page 1: \"UniqueID\" is missing"},
    DamagedCase{"TitleNotString",
                [] { return binaryPlist(siteWith({pageDict("A"), withItem(pageDict("B"), "Title", plist_new_uint(7))})); },
                "page 2 (\"B\"): \"Title\" is not a string"},
    DamagedCase{"PluginDataNotData",
                [] { return binaryPlist(siteWith({withItem(pageDict("A"), "PluginData", plist_new_string("x"))})); },
                "page 1 (\"A\"): \"PluginData\" is not data"},
    DamagedCase{"LocationClimbsOut",
                [] { return binaryPlist(siteWith({withItem(pageDict("A"), "Location", plist_new_string("shop/../../etc"))})); },
                "page 1 (\"A\"): \"Location\" \"shop/../../etc\" is not a folder path below the site root"},
    DamagedCase{"FileNameWithFolder",
                [] { return binaryPlist(siteWith({withItem(pageDict("A"), "FileName", plist_new_string("../x.html"))})); },
                "page 1 (\"A\"): \"FileName\" \"../x.html\" is not a plain file name"},
    DamagedCase{"DuplicateUniqueID", [] { return binaryPlist(siteWith({pageDict("A"), pageDict("B"), pageDict("A")})); },
                "page 3 (\"A\"): \"UniqueID\" is also used by page 1"},
};

// Each damage is refused with the file's name and the reason.
TEST(SiteDocument, DamagedFilesAreRejectedWithFileAndReason)
{
    for (const DamagedCase &c : kDamagedCases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("site.tillbox");
        const QByteArray bytes = c.bytes();
        if (!bytes.isNull())
            writeFile(path, bytes);
        SiteDocument site;
        QString error;
        EXPECT_FALSE(site.load(path, &error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

// Of a page only "UniqueID" and "Location" are required.
TEST(SiteDocument, MissingOptionalKeysReadAsDefaults)
{
    SiteDocument site;
    QString error;
    ASSERT_TRUE(site.loadData(validFile(), &error)) << error.toStdString();
    ASSERT_EQ(site.pages().size(), 2);
    EXPECT_EQ(site.pages().at(0).fileName, QStringLiteral("index.html"));
    EXPECT_TRUE(site.pages().at(0).title.isNull());
    EXPECT_TRUE(site.pages().at(0).pluginData.isNull());
}

TEST(SiteDocument, PagesThatWouldLeaveTheSiteAreRefused)
{
    SiteDocument site;
    ASSERT_TRUE(site.addPage({"A", "Title", "shop", "index.html", {}}));
    const SitePage refused[] = {
        {"A", "Twice", "", "index.html", {}},
        {"", "No ID", "", "index.html", {}},
        {"B", "", "/abs", "index.html", {}},
        {"B", "", "a//b", "index.html", {}},
        {"B", "", "a/", "index.html", {}},
        {"B", "", "a\\b", "index.html", {}},
        {"B", "", "", "", {}},
        {"B", "", "", "..", {}},
        {"B", QString::fromUtf16(u"nul\0inside", 10), "", "index.html", {}},
    };
    for (const SitePage &page : refused) {
        QString error;
        EXPECT_FALSE(site.addPage(page, &error)) << page.location.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(site.pages().size(), 1);

    QString error;
    EXPECT_FALSE(site.updatePage({"A", "", "../x", "index.html", {}}, &error));
    EXPECT_TRUE(site.updatePage({"A", "New", "shop/sale", "p.html", "data"}, &error));
    EXPECT_EQ(site.pageFromUniqueID("A")->title, QStringLiteral("New"));
    EXPECT_FALSE(site.updatePage({"Z", "", "", "index.html", {}}, &error));
    EXPECT_TRUE(site.removePage("A"));
    EXPECT_FALSE(site.removePage("A"));

    // Nor is a site saved whose name is no folder name.
    QTemporaryDir dir;
    site.setSiteName("a/b");
    EXPECT_FALSE(site.save(dir.filePath("s"), &error));
    EXPECT_TRUE(error.contains("\"SiteName\"")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("s")));
}

} // namespace

// Inputs that once broke the reader (kept from fuzzing): each reads, or is
// refused with a reason; one that reads writes back to the same pages.
TEST(SiteDocument, RegressionInputsReadOrSayWhy)
{
    const QDir dir(testsupport::dataPath(QStringLiteral("host/regressions")));
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files)) {
        SCOPED_TRACE(file.fileName().toStdString());
        SiteDocument document;
        QString error;
        if (!document.loadData(testsupport::readFile(file.filePath()), &error)) {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read the site document: "))) << qPrintable(error);
            continue;
        }
        SiteDocument again;
        EXPECT_TRUE(again.loadData(document.data(), &error)) << qPrintable(error);
        EXPECT_EQ(again, document);
    }
}
