#include "exporttestsupport.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "export/exportfileset.h"
#include "export/productlisting.h"
#include "host/exportparameters.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace exporttest;
using testsupport::readFile;

namespace {

ExportParameters pathParameters(const QString &path, const QString &location, const QString &base = QString())
{
    return ExportParameters::forPage(QStringLiteral("publish"), path, QStringLiteral("files"), location, base);
}

TEST(ExportPaths, PathRemovingLocation)
{
    const QList<std::tuple<QString, QString, QString>> cases = {
        {"/Sites/out/shop/sale", "shop/sale", "/Sites/out/rw_common/plugins/tillbox"},
        {"/Sites/out/shop/sale/", "shop/sale/", "/Sites/out/rw_common/plugins/tillbox"},
        {"/Sites/out", "", "/Sites/out/rw_common/plugins/tillbox"},
        {"/Sites/out/", "", "/Sites/out/rw_common/plugins/tillbox"},
        // Stops at the first component that differs.
        {"/Sites/out/sale", "shop/sale", "/Sites/out/rw_common/plugins/tillbox"},
        {"/Sites/out/shop/other", "shop/sale", "/Sites/out/shop/other/rw_common/plugins/tillbox"},
        {"/shop", "shop", "/rw_common/plugins/tillbox"},
    };
    for (const auto &[path, location, expected] : cases)
        EXPECT_EQ(ExportFileSet::pathRemovingLocation(pathParameters(path, location)), expected) << qPrintable(path);
}

TEST(ExportPaths, RelativePathFromAbsolutePath)
{
    const QList<std::tuple<QString, QString, QString>> cases = {
        {"shop/sale", "/Users/me/Site", "../../rw_common/plugins/tillbox"},
        {"Site/shop", "/Users/me/Site", "../rw_common/plugins/tillbox"},
        {"", "/Users/me/Site", "rw_common/plugins/tillbox"},
        {"/Users/me/Site/shop/sale", "/Users/me/Site/", "../../rw_common/plugins/tillbox"},
        {"/Users/me/Site", "/Users/me/Site", "rw_common/plugins/tillbox"},
    };
    for (const auto &[location, base, expected] : cases) {
        EXPECT_EQ(ExportFileSet::relativePathFromAbsolutePath(pathParameters("/x", location, base)), expected)
            << qPrintable(location);
    }
}

const QStringList &sharedFiles()
{
    static const QStringList files = {
        "tillbox/mootools.tillbox.js", "tillbox/class.phpmailer.php", "tillbox/class.smtp.php",
        "tillbox/couponChecker.php", "tillbox/json.php", "tillbox/cartTotals.php", "tillbox/backgroundBottom.png",
        "tillbox/backgroundTop.png", "tillbox/tillbox.css", "mootools/mootools.core.js", "mootools/mootools.more.js",
        "remooz/mootools.remooz.js", "remooz/remo_bg_e.png", "remooz/remo_bg_n.png", "remooz/remo_bg_ne.png",
        "remooz/remo_bg_nw.png", "remooz/remo_bg_s.png", "remooz/remo_bg_se.png", "remooz/remo_bg_sw.png",
        "remooz/remo_bg_w.png", "remooz/closebox.gif", "remooz/closebox.png", "remooz/spinner.gif",
        "remooz/remooz.css"};
    return files;
}

class ExportFileSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        for (const QString &file : sharedFiles()) {
            const QString name = QFileInfo(file).fileName();
            bundle.write(name, "resource " + name.toUtf8());
        }
        for (const QString &icon : ExportFileSet::cartIconNames()) {
            bundle.write("x_" + icon, "x " + icon.toUtf8());
            bundle.write("v_" + icon, "v " + icon.toUtf8());
        }
        bundle.write("template_coupons.php",
                     "<?php $c[] = array('%CODE%', '%TEXT%', '%FROM%', '%TO%', '%VALUE%', '%TYPE%', '%APPLY%'); ?>");
        bundle.write("template_orderMailer.php",
                     "<?php\n$s = array('host' => '%MAIL_SMTP_HOST%', 'port' => '%MAIL_SMTP_PORT%',\n"
                     "'user' => '%MAIL_SMTP_USERNAME%', 'password' => '%MAIL_SMTP_PASSWORD%',\n"
                     "'ssl' => '%MAIL_SMTP_USE_SSL%', 'to' => '%MAIL_TO%', 'subject' => '%MAIL_SUBJECT%',\n"
                     "'text' => '%MAIL_TEXT%', 'field' => '%MAIL_EMAIL_FIELD%', 'uid' => '%MAIL_UID_ENABLED%',\n"
                     "'prefix' => '%MAIL_UID_PREFIX%', 'required' => '%MAIL_REQUIRED%');\n");
        plugin = makePlugin(bundle.bundle());
        params = ExportParameters::forPage("publish", site.filePath("shop/sale"), "files", "shop/sale", site.path());
    }

    TillboxGlobalSettings &settings() { return *plugin->globalSettings(); }
    QString shared(const QString &relative) const
    {
        return site.filePath("rw_common/plugins/tillbox/" + relative);
    }

    std::shared_ptr<TillboxProduct> addProduct(int32_t id, const QString &iconName = QString(),
                                               bool dropShadow = false)
    {
        auto product = TillboxProduct::create();
        product->setProductID(id);
        product->setImage(opaqueJpeg());
        product->setIconName(iconName);
        product->setHasDropShadow(dropShadow);
        auto products = plugin->products();
        products.append(product);
        plugin->setProducts(products);
        return product;
    }

    QStringList exportFiles(QStringList *failures = nullptr)
    {
        ExportFileSet files(*plugin, bundle.bundle());
        const QStringList paths = files.extraFilesNeededInExportFolder(params);
        if (failures)
            *failures = files.failures();
        else
            EXPECT_TRUE(files.failures().isEmpty()) << qPrintable(files.failures().join('\n'));
        return paths;
    }

    QTemporaryDir site;
    TestBundle bundle;
    std::shared_ptr<TillboxPlugin> plugin;
    ExportParameters params;
};

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    return names;
}

TEST_F(ExportFileSetTest, PageWithoutProductsListsOnlyAnEmptyCouponTableAndTheCatalogue)
{
    const QStringList paths = exportFiles();
    ASSERT_EQ(fileNames(paths), QStringList({"coupons.php", "catalogue.php"}));
    EXPECT_EQ(readFile(paths[0]), "");
    EXPECT_TRUE(QFileInfo(paths[1]).isFile());

    // Without a page folder: the same two files, and a failure for the shared ones.
    params = ExportParameters();
    QStringList failures;
    EXPECT_EQ(fileNames(exportFiles(&failures)), QStringList({"coupons.php", "catalogue.php"}));
    EXPECT_EQ(failures.size(), 1);
}

TEST_F(ExportFileSetTest, ProductPicturesThenCouponTableInListOrder)
{
    addProduct(101);
    addProduct(102, "mug", true);
    addProduct(103, "cup");
    int lastDone = -1;
    int lastTotal = -1;
    ExportFileSet files(*plugin, bundle.bundle());
    files.setProgressHandler([&](int done, int total) {
        EXPECT_GT(done, lastDone);
        lastDone = done;
        lastTotal = total;
    });
    const QStringList paths = files.extraFilesNeededInExportFolder(params);
    EXPECT_TRUE(files.failures().isEmpty()) << qPrintable(files.failures().join('\n'));
    EXPECT_EQ(lastDone, 3);
    EXPECT_EQ(lastTotal, 3);

    EXPECT_EQ(fileNames(paths), QStringList({"101.jpg", "101_thumb.jpg", "102_mug.jpg", "102_mug_thumb.png",
                                             "103_cup.jpg", "103_cup_thumb.jpg", "coupons.php",
                                             "catalogue.php"}));
    const QString scratch = QFileInfo(paths[0]).absolutePath();
    EXPECT_EQ(QFileInfo(scratch).fileName(), "TillboxPlugin");
    for (const QString &path : paths) {
        EXPECT_EQ(QFileInfo(path).absolutePath(), scratch);
        EXPECT_TRUE(QFileInfo(path).isFile()) << qPrintable(path);
    }
}

TEST_F(ExportFileSetTest, CouponTableHoldsOneEntryPerCouponWhenCouponsAreOn)
{
    settings().setEnableCoupons(true);
    addProduct(1)->setHasCouponCode(false);
    auto second = addProduct(2);
    second->setHasCouponCode(true);
    second->setCouponCode("SAVE15");
    second->setCouponDescription("It's \"15\"\r\nnow \\o/ $5");
    second->setCouponStart(QDateTime(QDate(2024, 3, 1), QTime(12, 0)));
    second->setCouponEnd(QDateTime(QDate(2024, 4, 30), QTime(12, 0)));
    second->setCouponValue(15.0f);
    second->setCouponType(0);
    second->setSKU("SKU-2");
    addProduct(3)->setHasCouponCode(false);

    const QString expected =
        "<?php $c[] = array('SAVE15', 'It\\'s \"15\"\nnow \\\\o/ $5', '2024-03-01', '2024-04-30', '15.00', '%', "
        "'SKU-2'); ?>\n";
    QStringList paths = exportFiles();
    ASSERT_EQ(paths.size(), 8);
    EXPECT_EQ(QString::fromUtf8(readFile(paths[6])), expected);

    second->setCouponType(1);
    second->setCouponStart(std::nullopt);
    settings().setDecimalNumberIndex(0);
    paths = exportFiles();
    EXPECT_EQ(QString::fromUtf8(readFile(paths[6])),
              "<?php $c[] = array('SAVE15', 'It\\'s \"15\"\nnow \\\\o/ $5', '', '2024-04-30', '15', '$', "
              "'SKU-2'); ?>\n");

    // Off: the table is written empty, whatever the products hold.
    settings().setEnableCoupons(false);
    paths = exportFiles();
    EXPECT_EQ(readFile(paths[6]), "");
}

TEST_F(ExportFileSetTest, SharedFilesAreCopiedIntoTheSiteFolderAndThemeIconsKept)
{
    exportFiles();
    for (const QString &file : sharedFiles()) {
        EXPECT_EQ(readFile(shared(file)), "resource " + QFileInfo(file).fileName().toUtf8()) << qPrintable(file);
    }
    // Icon set 1 is "v"; the theme files keep the plain names.
    EXPECT_EQ(readFile(shared("theme/iconTotal.png")), "v iconTotal.png");
    EXPECT_EQ(readFile(shared("theme/iconDelete1.png")), "v iconDelete1.png");
    EXPECT_EQ(QDir(shared("theme")).entryList(QDir::Files).size(), 18);
    EXPECT_TRUE(QFileInfo(shared("tillbox/orderMailer.php")).isFile());

    // Theme icons are never replaced, scripts are.
    testsupport::writeFile(shared("theme/iconTotal.png"), "the owner's own icon");
    testsupport::writeFile(shared("tillbox/tillbox.css"), "stale");
    settings().setCartIconSetIndex(0);
    exportFiles();
    EXPECT_EQ(readFile(shared("theme/iconTotal.png")), "the owner's own icon");
    EXPECT_EQ(readFile(shared("theme/iconEmpty.png")), "v iconEmpty.png"); // first export's set stays
    EXPECT_EQ(readFile(shared("tillbox/tillbox.css")), "resource tillbox.css");

    // A fresh site gets the "x" set.
    QTemporaryDir other;
    params = ExportParameters::forPage("publish", other.path(), "files", "", other.path());
    exportFiles();
    EXPECT_EQ(readFile(other.filePath("rw_common/plugins/tillbox/theme/iconTotal.png")), "x iconTotal.png");
}

TEST_F(ExportFileSetTest, OrderMailerWithSmtpOff)
{
    settings().setSmtpHost("smtp.example");
    settings().setSmtpUsername("shop");
    settings().setSmtpPassword("secret");
    settings().setDirectOrderSubject("Order");
    settings().setDirectOrderText("Thanks");
    settings().setDirectOrderUniqueIDEnabled(true);
    settings().setDirectOrderUniqueIDPrefix("T-");
    exportFiles();
    EXPECT_EQ(QString::fromUtf8(readFile(shared("tillbox/orderMailer.php"))),
              "<?php\n$s = array('host' => '', 'port' => '25',\n"
              "'user' => 'shop', 'password' => 'secret',\n"
              "'ssl' => 'false', 'to' => 'orders@shop.example', 'subject' => 'Order',\n"
              "'text' => 'Thanks', 'field' => '5', 'uid' => 'true',\n"
              "'prefix' => 'T-', 'required' => '111011011110000');\n");

    settings().setMailUseSMTP(true);
    settings().setSmtpUseSSL(true);
    settings().setSmtpPort(465);
    exportFiles();
    const QString mailer = QString::fromUtf8(readFile(shared("tillbox/orderMailer.php")));
    EXPECT_TRUE(mailer.contains("'host' => 'smtp.example', 'port' => '465',")) << qPrintable(mailer);
    EXPECT_TRUE(mailer.contains("'ssl' => 'true',")) << qPrintable(mailer);
}

// Both generated PHP files reach PHP exactly, whatever the owner typed, and
// the catalogue table holds the texts the listing gives the cart.
TEST_F(ExportFileSetTest, PhpValuesReachPhpExactly)
{
    const QString password = "pa$$word\\' \"x\" {$y} \\\\";
    settings().setSmtpPassword(password);
    settings().setDirectOrderSubject("It's $total");
    settings().setDecimalNumberIndex(0);
    settings().setShowPricesIncludingTaxes(true);
    settings().setAdditionalCostsTypeTag(20);
    settings().setAdditionalCostsLimit(0, 50.0f);
    settings().setAdditionalCostsValue(0, 4.6f);
    auto tee = addProduct(101);
    tee->setName(password);
    tee->setSKU("TEE-1");
    tee->setPrice(20.0f);
    tee->setHasSpecialPrice(true);
    tee->setSpecialPrice(18.5f);
    tee->setTaxRate(10.0f);
    tee->setHasShipping(true);
    tee->setShipping(3.0f);
    tee->setAdditionalItemShipping(1.0f);
    tee->setWeight(0.25f);
    tee->setPurchaseLimit(4);
    auto size = TillboxOption::create();
    size->setOptionName("Size's");
    size->setOptionTypeTag(TillboxOption::ValueListTag);
    auto large = TillboxOptionValue::create();
    large->setOptionValueName("L");
    large->setOptionValuePrice(2.0f);
    large->setOptionValueWeight(0.05f);
    size->setOptionValuesArray({large});
    tee->setOptionsArray({size});
    addProduct(102)->setStatus(TillboxProduct::StatusHidden);
    const QStringList paths = exportFiles();
    const QString mailerPath = shared("tillbox/orderMailer.php");
    EXPECT_TRUE(QString::fromUtf8(readFile(mailerPath))
                    .contains("'password' => 'pa$$word\\\\\\' \"x\" {$y} \\\\\\\\',"));

    const QString php = QStandardPaths::findExecutable("php");
    if (php.isEmpty())
        GTEST_SKIP() << "php is not installed";
    QProcess process;
    process.start(php, {"-r",
                        "include $argv[1]; echo $s['password'], \"\\n\", $s['subject'], \"\\n\";"
                        "define('TILLBOX_CATALOGUE', 1); include $argv[2]; $c = $tillboxCatalogue;"
                        "echo json_encode(array($c['decimals'], $c['showTaxes'], $c['tierType'], $c['tiers'][0],"
                        "$c['products'][0], $c['products'][1]['status']), JSON_UNESCAPED_SLASHES);",
                        mailerPath, paths.last()});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              password + "\nIt's $total\n"
                         R"(["0","true","price",{"limit":"50","value":"5"},)"
                         R"({"id":"101","sku":"TEE-1","name":"pa$$word\\' \"x\" {$y} \\\\","status":"0","limit":"4",)"
                         R"("price":"18.5000","taxRate":"10.0000","taxes":"1.8500","shipping1":"3.0000",)"
                         R"("shipping2":"1.0000","weight":"0.250000","options":[{"name":"Size's","type":"20",)"
                         R"("values":[{"name":"L","price":"2.0000","taxes":"0.2000","weight":"0.050000"}]}]},"2"])");
    // Requested directly, the table shows nothing.
    process.start(php, {"-r", "include $argv[1]; echo 'shown';", paths.last()});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.readAllStandardOutput(), "");
}

TEST_F(ExportFileSetTest, FailuresAreCollectedLoggedAndDoNotStopTheExport)
{
    addProduct(1);
    bundle.remove("class.smtp.php");
    ASSERT_TRUE(QDir().mkpath(site.filePath("rw_common/plugins/tillbox")));
    testsupport::writeFile(site.filePath("rw_common/plugins/tillbox/mootools"), "a file where a folder belongs");

    // The warnings logged while the export runs.
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &,
                                                                const QString &message) {
        if (type == QtWarningMsg)
            logged.append(message);
    });
    QStringList failures;
    const QStringList paths = exportFiles(&failures);
    qInstallMessageHandler(previous);
    EXPECT_EQ(paths.size(), 4);
    ASSERT_EQ(failures.size(), 2) << qPrintable(failures.join('\n'));
    EXPECT_TRUE(failures[0].contains("class.smtp.php")) << qPrintable(failures[0]);
    EXPECT_TRUE(failures[1].contains("mootools")) << qPrintable(failures[1]);
    ASSERT_EQ(logged.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(logged[i], "Tillbox: " + failures[i]);
        EXPECT_FALSE(logged[i].contains('\n'));
    }
    // Everything else was still written.
    EXPECT_TRUE(QFileInfo(shared("remooz/remooz.css")).isFile());
    EXPECT_TRUE(QFileInfo(shared("theme/iconTotal.png")).isFile());
    EXPECT_TRUE(QFileInfo(shared("tillbox/orderMailer.php")).isFile());

    // A later clean export reports nothing.
    bundle.write("class.smtp.php", "resource class.smtp.php");
    QFile::remove(site.filePath("rw_common/plugins/tillbox/mootools"));
    exportFiles();
}

// The listing names the files the export writes and their thumbnails' sizes,
// in either picture format.
TEST_F(ExportFileSetTest, ListingPointsAtTheFilesTheExportWrites)
{
    // The real placeholder picture: products without a picture get it.
    bundle.write("iconItem.png", readFile(Bundle::plugin().pathForImageResource("iconItem")));
    settings().setUseCustomLayout(true);
    settings().setCustomLayout("%IMAGE_PATH% %THUMB_PATH% %THUMB_WIDTH%x%THUMB_HEIGHT% ");
    addProduct(1);
    addProduct(2, "glass", true)->setImage(transparentPng());
    addProduct(3)->setImage(QByteArray());
    addProduct(4)->setImage(transparentPng());
    for (bool preserve : {false, true}) {
        settings().setPreserveImageFormat(preserve);
        const QString listing = ProductListing(*plugin, bundle.bundle()).contentHTML(params);
        const QStringList paths = exportFiles();
        QString expected;
        for (int i = 0; i + 3 < paths.size(); i += 2) {
            const QSize thumbnail = QImageReader(paths[i + 1]).size();
            expected += QString("files/%1 files/%2 %3x%4 ")
                            .arg(QFileInfo(paths[i]).fileName(), QFileInfo(paths[i + 1]).fileName())
                            .arg(thumbnail.width())
                            .arg(thumbnail.height());
        }
        EXPECT_EQ(listing, "\n<div>\n" + expected + "\n</div>\n") << "preserve " << preserve;
    }
}

} // namespace
