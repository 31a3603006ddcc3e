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

QJsonObject inspect(const QString &path)
{
    const CliRun run = tillbox({QStringLiteral("inspect"), path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
}

} // namespace

TEST(TillboxCli, NewSiteAddPageAndInspect)
{
    QTemporaryDir dir;
    const QString site = dir.filePath(QStringLiteral("site.tbsite"));
    ASSERT_EQ(tillbox({QStringLiteral("new-site"), site}).status, 0);
    // A second new-site must not overwrite the document.
    const CliRun again = tillbox({QStringLiteral("new-site"), site});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains("already exists"));

    // The same page added twice: loaded in one process, the second copy's
    // products take new IDs.
    const QString page = testsupport::dataPath(QStringLiteral("app/page-with-products.tillbox"));
    ASSERT_EQ(tillbox({QStringLiteral("add-page"), site, page, QStringLiteral("--title"), QStringLiteral("Sale"),
                       QStringLiteral("--location"), QStringLiteral("shop/sale")})
                  .status,
              0);
    ASSERT_EQ(tillbox({QStringLiteral("add-page"), site, page, QStringLiteral("--title"), QStringLiteral("Again"),
                       QStringLiteral("--location"), QStringLiteral("again")})
                  .status,
              0);
    const QJsonArray pages = inspect(site).value(QStringLiteral("pages")).toArray();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].toObject().value(QStringLiteral("location")).toString(), QStringLiteral("shop/sale"));
    auto ids = [&](int index) {
        QList<int> result;
        const QJsonArray products =
            pages[index].toObject().value(QStringLiteral("page")).toObject().value(QStringLiteral("products")).toArray();
        for (const auto &product : products)
            result << product.toObject().value(QStringLiteral("productID")).toInt();
        return result;
    };
    ASSERT_FALSE(ids(1).isEmpty());
    for (int id : ids(2))
        EXPECT_FALSE(ids(1).contains(id));
}

TEST(TillboxCli, DamagedFilesGiveOneLineAndStatusOne)
{
    QTemporaryDir dir;
    const QString page = testsupport::dataPath(QStringLiteral("app/page-with-products.tillbox"));
    const QByteArray good = testsupport::readFile(page);
    const QString truncated = dir.filePath(QStringLiteral("truncated.tillbox"));
    testsupport::writeFile(truncated, good.left(good.size() / 2));
    for (const QString &path : {truncated, dir.filePath(QStringLiteral("missing.tillbox"))}) {
        const CliRun run = tillbox({QStringLiteral("inspect"), path});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("tillbox: ")) << run.err.toStdString();
    }
}

TEST(TillboxCli, ResaveWritesTheCurrentFormAndNeverHalfAFile)
{
    QTemporaryDir dir;
    const QString page = testsupport::dataPath(QStringLiteral("app/page-with-products.tillbox"));
    const QString out = dir.filePath(QStringLiteral("out.tillbox"));
    ASSERT_EQ(tillbox({QStringLiteral("resave"), page, out}).status, 0);
    QJsonObject before = inspect(page), after = inspect(out);
    EXPECT_EQ(before.value(QStringLiteral("products")), after.value(QStringLiteral("products")));
    EXPECT_EQ(before.value(QStringLiteral("globalSettings")), after.value(QStringLiteral("globalSettings")));

    // A damaged input leaves an existing output as it was.
    const QByteArray saved = testsupport::readFile(out);
    const QString damaged = dir.filePath(QStringLiteral("damaged.tillbox"));
    testsupport::writeFile(damaged, "not a page");
    EXPECT_EQ(tillbox({QStringLiteral("resave"), damaged, out}).status, 1);
    EXPECT_EQ(testsupport::readFile(out), saved);
}

TEST(TillboxCli, ExportWritesAWorkingSiteAndRefusesAnUnwritableFolder)
{
    QTemporaryDir dir;
    const QString site = dir.filePath(QStringLiteral("site.tbsite"));
    ASSERT_EQ(tillbox({QStringLiteral("new-site"), site}).status, 0);
    ASSERT_EQ(tillbox({QStringLiteral("add-page"), site, testsupport::dataPath(QStringLiteral("app/page-with-products.tillbox")),
                       QStringLiteral("--location"), QStringLiteral("shop")})
                  .status,
              0);
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = tillbox({QStringLiteral("export"), site, out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("products")) << "progress lines expected";
    const QString html = QString::fromUtf8(testsupport::readFile(out + QStringLiteral("/shop/index.html")));
    EXPECT_TRUE(html.contains(QLatin1String("../rw_common/plugins/tillbox/tillbox/mootools.tillbox.js")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/shop/index_files/coupons.php")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/rw_common/plugins/tillbox/tillbox/orderMailer.php")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/index.html")));

    // The page's files folder, moved whole into a new place the first time,
    // is filled file by file over the old one the next: the same files.
    const QDir files(out + QStringLiteral("/shop/index_files"));
    const auto contents = [&] {
        QMap<QString, QByteArray> map;
        for (const QString &name : files.entryList(QDir::Files))
            map.insert(name, testsupport::readFile(files.filePath(name)));
        return map;
    };
    const QMap<QString, QByteArray> first = contents();
    EXPECT_GE(first.size(), 4);

    // Quiet mode prints nothing on success.
    EXPECT_TRUE(tillbox({QStringLiteral("-q"), QStringLiteral("export"), site, out}).err.isEmpty());
    EXPECT_EQ(contents(), first);

    // An output path below a plain file cannot be made: refused before any work.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    testsupport::writeFile(blocker, "x");
    const CliRun refused = tillbox({QStringLiteral("export"), site, blocker + QStringLiteral("/out")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("cannot create the output folder")) << refused.err.toStdString();
}

TEST(TillboxCli, ExportTellsOfFaintColoursButKeepsThem)
{
    QTemporaryDir dir;
    TillboxPlugin plugin;
    plugin.globalSettings()->setCartButtonColor(Color(0xE0 / 255.0, 0x7A / 255.0, 0x5F / 255.0));
    const QString page = dir.filePath(QStringLiteral("page.tillbox"));
    testsupport::writeFile(page, plugin.archivedData());
    const QString site = dir.filePath(QStringLiteral("site.tbsite"));
    ASSERT_EQ(tillbox({QStringLiteral("new-site"), site}).status, 0);
    ASSERT_EQ(tillbox({QStringLiteral("add-page"), site, page, QStringLiteral("--title"), QStringLiteral("Shop"),
                       QStringLiteral("--location"), QStringLiteral("shop")})
                  .status,
              0);
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = tillbox({QStringLiteral("export"), site, out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QList<QByteArray> warnings;
    for (const QByteArray &line : run.err.split('\n')) {
        if (line.contains("warning"))
            warnings << line;
    }
    ASSERT_EQ(warnings.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(warnings[0].startsWith("tillbox: Shop: warning: button text #ffffff on #e07a5f: contrast 2.95:1, "
                                       "below 4.50:1; nearest passing cartButtonColor: #"))
        << warnings[0].toStdString();
    EXPECT_TRUE(QString::fromUtf8(testsupport::readFile(out + QStringLiteral("/shop/index.html")))
                    .contains(QLatin1String("\"e07a5f\"")));
    EXPECT_TRUE(tillbox({QStringLiteral("-q"), QStringLiteral("export"), site, out}).err.isEmpty());
}

namespace {

const QString kDemo = QStringLiteral(TILLBOX_TEST_SOURCES "/../demo");

// A copy of the demo shop to work on.
QString demoSite(const QTemporaryDir &dir)
{
    const QString site = dir.filePath(QStringLiteral("site.tillbox"));
    QFile::copy(kDemo + QStringLiteral("/demo-shop.tillbox"), site);
    return site;
}

} // namespace

TEST(ExchangeCli, CatalogueRoundTripSyncTransferAndPictures)
{
    QTemporaryDir dir;
    const QString site = demoSite(dir);
    const QByteArray original = testsupport::readFile(site);
    const QString csv = dir.filePath(QStringLiteral("catalogue.csv"));

    const CliRun toStdout = tillbox({QStringLiteral("csv"), site});
    ASSERT_EQ(toStdout.status, 0) << toStdout.err.constData();
    ASSERT_EQ(tillbox({QStringLiteral("csv"), site, csv}).status, 0);
    EXPECT_EQ(testsupport::readFile(csv), toStdout.out);
    EXPECT_TRUE(toStdout.out.startsWith("versionSKU,productExportEnabled,"));

    const CliRun reimport = tillbox({QStringLiteral("import-csv"), site, csv});
    EXPECT_EQ(reimport.status, 0) << reimport.err.constData();
    EXPECT_EQ(testsupport::readFile(site), original) << "reading back the same text changes nothing";

    const CliRun sync = tillbox({QStringLiteral("sync"), site, kDemo + QStringLiteral("/ferrule-catalogue.json")});
    ASSERT_EQ(sync.status, 0) << sync.err.constData();
    EXPECT_EQ(sync.out, "New products added: 2\nExisting products updated: 1\n");

    testsupport::writeFile(dir.filePath(QStringLiteral("photo.jpg")),
                           testsupport::readFile(kDemo + QStringLiteral("/pictures/grinder.jpg")));
    ASSERT_EQ(tillbox({QStringLiteral("add-product"), site, QStringLiteral("--name"), QStringLiteral("Grinder Two"),
                       QStringLiteral("--sku"), QStringLiteral("G-2"), QStringLiteral("--image"),
                       dir.filePath(QStringLiteral("photo.jpg"))})
                  .status,
              0);
    const QByteArray after = tillbox({QStringLiteral("csv"), site}).out;
    for (const char *sku : {"\"FER-CUP-2\",\"1\",\"Enamel Camp Cup\"", "\"FER-OLD-3\",\"0\"", "\"G-2\",\"1\",\"Grinder Two\""})
        EXPECT_TRUE(after.contains(sku)) << sku;

    const CliRun images = tillbox({QStringLiteral("images"), site, dir.filePath(QStringLiteral("out"))});
    EXPECT_EQ(images.status, 0) << images.err.constData();
    EXPECT_EQ(testsupport::readFile(dir.filePath(QStringLiteral("out/Tillbox images/G-2.jpg"))),
              testsupport::readFile(dir.filePath(QStringLiteral("photo.jpg"))));
}

TEST(ExchangeCli, FailuresAreOneLineAndLeaveTheSiteAlone)
{
    QTemporaryDir dir;
    const QString site = demoSite(dir);
    const QByteArray original = testsupport::readFile(site);
    testsupport::writeFile(dir.filePath(QStringLiteral("bad.csv")), "versionSKU\n\"x\",\"y\n");
    testsupport::writeFile(dir.filePath(QStringLiteral("notapicture.png")), "text");
    testsupport::writeFile(dir.filePath(QStringLiteral("file")), "x");
    testsupport::writeFile(dir.filePath(QStringLiteral("no-picture.json")), "[{\"SKU\": \"A\", \"Icon\": \"gone.png\"}]");
    const QString ferrule = kDemo + QStringLiteral("/ferrule-catalogue.json");
    const QList<QStringList> failures = {
        {QStringLiteral("csv"), dir.filePath(QStringLiteral("missing.tillbox"))},
        {QStringLiteral("sync"), site, dir.filePath(QStringLiteral("missing.json"))},
        {QStringLiteral("sync"), site, dir.filePath(QStringLiteral("bad.csv"))},
        {QStringLiteral("sync"), site, dir.filePath(QStringLiteral("no-picture.json"))},
        {QStringLiteral("sync"), site, ferrule, QStringLiteral("--page"), QStringLiteral("no-such-page")},
        {QStringLiteral("add-product"), site, QStringLiteral("--name"), QStringLiteral("N"), QStringLiteral("--sku"),
         QStringLiteral("S"), QStringLiteral("--image"), dir.filePath(QStringLiteral("missing.png"))},
        {QStringLiteral("add-product"), site, QStringLiteral("--name"), QStringLiteral("N"), QStringLiteral("--sku"),
         QStringLiteral("S"), QStringLiteral("--image"), dir.filePath(QStringLiteral("notapicture.png"))},
        {QStringLiteral("import-csv"), site, dir.filePath(QStringLiteral("bad.csv"))},
        {QStringLiteral("images"), site, dir.filePath(QStringLiteral("file"))},
    };
    for (const QStringList &args : failures) {
        const CliRun run = tillbox(args);
        EXPECT_EQ(run.status, 1) << qPrintable(args.join(' '));
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        EXPECT_TRUE(run.err.startsWith("tillbox: ")) << run.err.constData();
        EXPECT_EQ(testsupport::readFile(site), original) << qPrintable(args.join(' '));
    }
    const CliRun help = tillbox({QStringLiteral("--help")});
    for (const char *command : {"csv SITE", "images SITE DIR", "sync SITE FERRULE_JSON", "add-product SITE",
                                "import-csv SITE FILE"})
        EXPECT_TRUE(help.out.contains(command)) << command;
}
