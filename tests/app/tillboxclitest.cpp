#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

CliRun tillbox(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TILLBOX_CLI), arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Runs a command that must succeed.
CliRun succeeds(const QStringList &arguments)
{
    CliRun run = tillbox(arguments);
    EXPECT_EQ(run.status, 0) << qPrintable(arguments.join(' ')) << ": " << run.err.toStdString();
    return run;
}

// A command that must fail with one "tillbox: " line and nothing on stdout.
void failsWithOneLine(const QStringList &arguments)
{
    const CliRun run = tillbox(arguments);
    EXPECT_EQ(run.status, 1) << qPrintable(arguments.join(' '));
    EXPECT_TRUE(run.out.isEmpty()) << qPrintable(arguments.join(' '));
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("tillbox: ")) << run.err.toStdString();
}

QJsonObject inspect(const QString &path)
{
    return QJsonDocument::fromJson(succeeds({"inspect", path}).out).object();
}

const QString kPage = testsupport::dataPath("app/page-with-products.tillbox");
const QString kDemo = QStringLiteral(TILLBOX_TEST_SOURCES "/../demo");

// A new site in dir holding page at location "shop".
QString siteWith(const QTemporaryDir &dir, const QString &page)
{
    const QString site = dir.filePath("site.tbsite");
    succeeds({"new-site", site});
    succeeds({"add-page", site, page, "--title", "Shop", "--location", "shop"});
    return site;
}

} // namespace

TEST(TillboxCli, NewSiteAddPageAndInspect)
{
    QTemporaryDir dir;
    const QString site = dir.filePath("site.tbsite");
    succeeds({"new-site", site});
    // A second new-site must not overwrite the document.
    const CliRun again = tillbox({"new-site", site});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains("already exists"));

    // The same page added twice: loaded in one process, the second copy's
    // products take new IDs.
    succeeds({"add-page", site, kPage, "--title", "Sale", "--location", "shop/sale"});
    succeeds({"add-page", site, kPage, "--title", "Again", "--location", "again"});
    const QJsonArray pages = inspect(site)["pages"].toArray();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].toObject()["location"].toString(), "shop/sale");
    auto ids = [&](int index) {
        QList<int> result;
        for (const auto &product : pages[index].toObject()["page"].toObject()["products"].toArray())
            result << product.toObject()["productID"].toInt();
        return result;
    };
    ASSERT_FALSE(ids(1).isEmpty());
    for (int id : ids(2))
        EXPECT_FALSE(ids(1).contains(id));
}

TEST(TillboxCli, DamagedFilesGiveOneLineAndStatusOne)
{
    QTemporaryDir dir;
    const QByteArray good = readFile(kPage);
    writeFile(dir.filePath("truncated.tillbox"), good.left(good.size() / 2));
    failsWithOneLine({"inspect", dir.filePath("truncated.tillbox")});
    failsWithOneLine({"inspect", dir.filePath("missing.tillbox")});
}

TEST(TillboxCli, ResaveWritesTheCurrentFormAndNeverHalfAFile)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.tillbox");
    succeeds({"resave", kPage, out});
    const QJsonObject before = inspect(kPage), after = inspect(out);
    EXPECT_EQ(before["products"], after["products"]);
    EXPECT_EQ(before["globalSettings"], after["globalSettings"]);

    // A damaged input leaves an existing output as it was.
    const QByteArray saved = readFile(out);
    writeFile(dir.filePath("damaged.tillbox"), "not a page");
    EXPECT_EQ(tillbox({"resave", dir.filePath("damaged.tillbox"), out}).status, 1);
    EXPECT_EQ(readFile(out), saved);
}

TEST(TillboxCli, ExportWritesAWorkingSiteAndRefusesAnUnwritableFolder)
{
    QTemporaryDir dir;
    const QString site = siteWith(dir, kPage);
    const QString out = dir.filePath("out");
    EXPECT_TRUE(succeeds({"export", site, out}).err.contains("products")) << "progress lines expected";
    EXPECT_TRUE(QString::fromUtf8(readFile(out + "/shop/index.html"))
                    .contains("../rw_common/plugins/tillbox/tillbox/mootools.tillbox.js"));
    for (const char *file : {"/shop/index_files/coupons.php", "/rw_common/plugins/tillbox/tillbox/orderMailer.php",
                             "/index.html"})
        EXPECT_TRUE(QFileInfo::exists(out + file)) << file;

    // The page's files folder, moved whole into a new place the first time,
    // is filled file by file over the old one the next: the same files.
    const QDir files(out + "/shop/index_files");
    const auto contents = [&] {
        QMap<QString, QByteArray> map;
        for (const QString &name : files.entryList(QDir::Files))
            map.insert(name, readFile(files.filePath(name)));
        return map;
    };
    const QMap<QString, QByteArray> first = contents();
    EXPECT_GE(first.size(), 4);

    // Quiet mode prints nothing on success.
    EXPECT_TRUE(tillbox({"-q", "export", site, out}).err.isEmpty());
    EXPECT_EQ(contents(), first);

    // An output path below a plain file cannot be made: refused before any work.
    writeFile(dir.filePath("file"), "x");
    const CliRun refused = tillbox({"export", site, dir.filePath("file/out")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("cannot create the output folder")) << refused.err.toStdString();
}

TEST(TillboxCli, ExportTellsOfFaintColoursButKeepsThem)
{
    QTemporaryDir dir;
    TillboxPlugin plugin;
    plugin.globalSettings()->setCartButtonColor(Color(0xE0 / 255.0, 0x7A / 255.0, 0x5F / 255.0));
    writeFile(dir.filePath("page.tillbox"), plugin.archivedData());
    const QString site = siteWith(dir, dir.filePath("page.tillbox"));
    const QString out = dir.filePath("out");
    QList<QByteArray> warnings;
    for (const QByteArray &line : succeeds({"export", site, out}).err.split('\n')) {
        if (line.contains("warning"))
            warnings << line;
    }
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("tillbox: Shop: warning: button text #ffffff on #e07a5f: contrast 2.95:1, "
                                       "below 4.50:1; nearest passing cartButtonColor: #"))
        << warnings[0].toStdString();
    EXPECT_TRUE(QString::fromUtf8(readFile(out + "/shop/index.html")).contains("\"e07a5f\""));
    EXPECT_TRUE(tillbox({"-q", "export", site, out}).err.isEmpty());
}

namespace {

// A copy of the demo shop to work on.
QString demoSite(const QTemporaryDir &dir)
{
    const QString site = dir.filePath("site.tillbox");
    QFile::copy(kDemo + "/demo-shop.tillbox", site);
    return site;
}

} // namespace

TEST(ExchangeCli, CatalogueRoundTripSyncTransferAndPictures)
{
    QTemporaryDir dir;
    const QString site = demoSite(dir);
    const QByteArray original = readFile(site);
    const QString csv = dir.filePath("catalogue.csv");

    const CliRun toStdout = succeeds({"csv", site});
    succeeds({"csv", site, csv});
    EXPECT_EQ(readFile(csv), toStdout.out);
    EXPECT_TRUE(toStdout.out.startsWith("versionSKU,productExportEnabled,"));

    succeeds({"import-csv", site, csv});
    EXPECT_EQ(readFile(site), original) << "reading back the same text changes nothing";

    EXPECT_EQ(succeeds({"sync", site, kDemo + "/ferrule-catalogue.json"}).out,
              "New products added: 2\nExisting products updated: 1\n");

    writeFile(dir.filePath("photo.jpg"), readFile(kDemo + "/pictures/grinder.jpg"));
    succeeds({"add-product", site, "--name", "Grinder Two", "--sku", "G-2", "--image", dir.filePath("photo.jpg")});
    const QByteArray after = tillbox({"csv", site}).out;
    for (const char *sku : {"\"FER-CUP-2\",\"1\",\"Enamel Camp Cup\"", "\"FER-OLD-3\",\"0\"", "\"G-2\",\"1\",\"Grinder Two\""})
        EXPECT_TRUE(after.contains(sku)) << sku;

    succeeds({"images", site, dir.filePath("out")});
    EXPECT_EQ(readFile(dir.filePath("out/Tillbox images/G-2.jpg")), readFile(dir.filePath("photo.jpg")));
}

TEST(ExchangeCli, FailuresAreOneLineAndLeaveTheSiteAlone)
{
    QTemporaryDir dir;
    const QString site = demoSite(dir);
    const QByteArray original = readFile(site);
    writeFile(dir.filePath("bad.csv"), "versionSKU\n\"x\",\"y\n");
    writeFile(dir.filePath("notapicture.png"), "text");
    writeFile(dir.filePath("file"), "x");
    writeFile(dir.filePath("no-picture.json"), "[{\"SKU\": \"A\", \"Icon\": \"gone.png\"}]");
    const QList<QStringList> failures = {
        {"csv", dir.filePath("missing.tillbox")},
        {"sync", site, dir.filePath("missing.json")},
        {"sync", site, dir.filePath("bad.csv")},
        {"sync", site, dir.filePath("no-picture.json")},
        {"sync", site, kDemo + "/ferrule-catalogue.json", "--page", "no-such-page"},
        {"add-product", site, "--name", "N", "--sku", "S", "--image", dir.filePath("missing.png")},
        {"add-product", site, "--name", "N", "--sku", "S", "--image", dir.filePath("notapicture.png")},
        {"import-csv", site, dir.filePath("bad.csv")},
        {"images", site, dir.filePath("file")},
    };
    for (const QStringList &args : failures) {
        failsWithOneLine(args);
        EXPECT_EQ(readFile(site), original) << qPrintable(args.join(' '));
    }
    const CliRun help = tillbox({"--help"});
    for (const char *command : {"csv SITE", "images SITE DIR", "sync SITE FERRULE_JSON", "add-product SITE",
                                "import-csv SITE FILE"})
        EXPECT_TRUE(help.out.contains(command)) << command;
}
