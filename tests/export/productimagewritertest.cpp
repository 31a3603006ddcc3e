#include "support/testsupport.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "images/picturedecoder.h"
#include "export/productimagewriter.h"
#include "images/proportionalscaling.h"
#include "catalogue/productregistry.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace testsupport;

namespace {

using Job = ProductImageWriter::Job;

Job job(int32_t id, const QString &iconName, const QByteArray &bytes, int iconWidth, int iconHeight, bool shadow)
{
    Job j;
    j.productID = id;
    j.iconName = iconName;
    j.picture = std::make_shared<const Picture>(bytes);
    j.iconWidth = iconWidth;
    j.iconHeight = iconHeight;
    j.hasDropShadow = shadow;
    return j;
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

struct FormatCase
{
    bool alpha;
    bool preserve;
    bool shadow;
    const char *fullFormat; // as QImageReader names it
    const char *thumbnailFormat;
};

class FormatTest : public ::testing::TestWithParam<FormatCase>
{
};

} // namespace

TEST_P(FormatTest, WritesTheChosenFormats)
{
    const FormatCase &c = GetParam();
    QTemporaryDir dir;
    const QByteArray bytes = encoded(samplePicture(600, 400, c.alpha), c.alpha ? "png" : "jpeg", 90);
    QStringList failures;
    const Job written = job(12, QStringLiteral("red_shirt"), bytes, 64, 42, c.shadow);
    const QStringList paths = ProductImageWriter::write(written, dir.path(), 1024, c.preserve, &failures);
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join('\n'));
    ASSERT_EQ(paths.size(), 2);

    const QString fullExtension = qstrcmp(c.fullFormat, "png") == 0 ? "png" : "jpg";
    const QString thumbnailExtension = qstrcmp(c.thumbnailFormat, "png") == 0 ? "png" : "jpg";
    EXPECT_EQ(fileName(paths[0]), "12_red_shirt." + fullExtension);
    EXPECT_EQ(fileName(paths[1]), "12_red_shirt_thumb." + thumbnailExtension);
    QImageReader full(paths[0]);
    QImageReader thumbnail(paths[1]);
    EXPECT_EQ(full.format(), QByteArray(c.fullFormat));
    EXPECT_EQ(thumbnail.format(), QByteArray(c.thumbnailFormat));
    EXPECT_EQ(full.size(), QSize(600, 400));
    EXPECT_EQ(thumbnail.size(), c.shadow ? QSize(74, 52) : QSize(64, 42));
    // The listing announces the size before the file exists.
    EXPECT_EQ(ProductImageWriter::thumbnailSize(written), thumbnail.size());

    const ProductImageWriter::Formats formats = ProductImageWriter::formatsFor(c.alpha, c.preserve, c.shadow);
    EXPECT_EQ(formats.fullImage.extension, fullExtension);
    EXPECT_EQ(formats.thumbnail.extension, thumbnailExtension);
    // Quality 90 only for pictures without alpha; the encoder's default else.
    const int quality = c.alpha ? -1 : ProductImageWriter::JpegQuality;
    if (fullExtension == "jpg") {
        EXPECT_EQ(formats.fullImage.quality, quality);
    }
    if (c.alpha && !c.preserve) {
        // The transparent corner of the picture is laid on white.
        const QImage image = full.read();
        EXPECT_GE(qRed(image.pixel(20, 20)), 250);
        EXPECT_GE(qBlue(image.pixel(20, 20)), 250);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FormatTest,
                         ::testing::Values(FormatCase{true, true, false, "png", "png"},
                                           FormatCase{true, true, true, "png", "png"},
                                           FormatCase{true, false, false, "jpeg", "png"},
                                           FormatCase{true, false, true, "jpeg", "png"},
                                           FormatCase{false, false, true, "jpeg", "png"},
                                           FormatCase{false, true, true, "jpeg", "png"},
                                           FormatCase{false, false, false, "jpeg", "jpeg"},
                                           FormatCase{false, true, false, "jpeg", "jpeg"}));

TEST(ProductImageWriter, FullImageIsCappedAndThumbnailHasTheIconSize)
{
    QTemporaryDir dir;
    const QByteArray bytes = encoded(samplePicture(2400, 1600), "jpeg", 90);
    const QStringList paths =
        ProductImageWriter::write(job(5, QString(), bytes, 128, 85, false), dir.path(), 1024, false);
    ASSERT_EQ(paths.size(), 2);
    EXPECT_EQ(fileName(paths[0]), QStringLiteral("5.jpg"));
    EXPECT_EQ(QImageReader(paths[0]).size(), QSize(1024, 683));
    EXPECT_EQ(QImageReader(paths[1]).size(), QSize(128, 85));
}

TEST(ProductImageWriter, ThumbnailMatchesOneMadeFromTheFullPicture)
{
    // The thumbnail comes from a reduced decode via the full image; it must
    // still look like the picture scaled down directly.
    QTemporaryDir dir;
    const QImage source = samplePicture(2400, 1600);
    const QByteArray bytes = encoded(source, "jpeg", 95);
    const QStringList paths =
        ProductImageWriter::write(job(5, QString(), bytes, 300, 200, false), dir.path(), 1024, true);
    const QImage written = QImage(paths[1]);
    const QImage direct = ProportionalScaling::imageByScalingProportionallyToSize(QImage::fromData(bytes), 300, 200,
                                                                                   false);
    ASSERT_EQ(written.size(), direct.size());
    int worst = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int((written.pixel(x, y) >> shift) & 0xff)
                                                 - int((direct.pixel(x, y) >> shift) & 0xff)));
    EXPECT_LE(worst, 6);
}

TEST(PictureDecoder, ReductionIsTheLargestThatStillCovers)
{
    struct Case
    {
        QSize source;
        QSize needed;
        int reduction;
    };
    for (const Case &c : {Case{{4000, 3000}, {1024, 768}, 2}, Case{{4000, 3000}, {1000, 750}, 4},
                          Case{{4000, 3000}, {500, 375}, 8}, Case{{4000, 3000}, {501, 375}, 4},
                          Case{{4000, 3000}, {128, 96}, 8}, Case{{4000, 3000}, {4000, 3000}, 1},
                          Case{{4001, 3001}, {2000, 1500}, 2}, Case{{4001, 3001}, {2001, 1500}, 1},
                          Case{{3000, 4000}, {1024, 768}, 2}, Case{{100, 100}, {10, 10}, 8},
                          Case{{100, 100}, {0, 0}, 1}, Case{{100, 100}, {}, 1}}) {
        EXPECT_EQ(PictureDecoder::jpegReduction(c.source, c.needed), c.reduction)
            << c.source.width() << "x" << c.source.height() << " for " << c.needed.width() << "x"
            << c.needed.height();
    }
}

TEST(PictureDecoder, DecodesJpegsReducedAndUpright)
{
    const Picture plain(encoded(samplePicture(1600, 1200), "jpeg", 90));
    EXPECT_EQ(PictureDecoder::decode(plain, QSize(400, 300)).size(), QSize(400, 300));
    EXPECT_EQ(PictureDecoder::decode(plain, QSize(401, 300)).size(), QSize(800, 600));
    EXPECT_EQ(PictureDecoder::decode(plain).size(), QSize(1600, 1200));
    EXPECT_FALSE(plain.isDecoded());

    // Stored 1600 x 1200, shown 1200 x 1600.
    const Picture turned(encoded(samplePicture(1600, 1200), "jpeg", 90, QImageIOHandler::TransformationRotate90));
    ASSERT_EQ(turned.size(), QSize(1200, 1600));
    EXPECT_EQ(PictureDecoder::decode(turned, QSize(300, 400)).size(), QSize(300, 400));

    // PNGs are decoded whole.
    const Picture png(encoded(samplePicture(800, 600), "png"));
    EXPECT_EQ(PictureDecoder::decode(png, QSize(100, 75)).size(), QSize(800, 600));
}

TEST(ProductImageWriter, ParallelOutputEqualsSequentialOutput)
{
    QList<Job> jobs;
    for (int i = 0; i < 8; ++i) {
        const bool alpha = i % 3 == 1;
        const QByteArray bytes = encoded(samplePicture(900 + 37 * i, 700 - 23 * i, alpha), alpha ? "png" : "jpeg", 90);
        jobs.append(job(100 + i, i % 2 ? QStringLiteral("item%1").arg(i) : QString(), bytes, 40 + 20 * i, 0, i % 4 >= 2));
    }
    QTemporaryDir sequentialDir;
    QTemporaryDir parallelDir;
    QStringList sequentialFailures;
    QStringList parallelFailures;
    const QStringList sequential =
        ProductImageWriter::writeAll(jobs, sequentialDir.path(), 512, false, {}, &sequentialFailures, 1);
    QList<int> progress;
    const QStringList parallel = ProductImageWriter::writeAll(
        jobs, parallelDir.path(), 512, false,
        [&](int done, int total) {
            EXPECT_EQ(total, 8);
            progress.append(done);
        },
        &parallelFailures, 3);

    EXPECT_TRUE(sequentialFailures.isEmpty());
    EXPECT_TRUE(parallelFailures.isEmpty());
    ASSERT_EQ(sequential.size(), 16);
    ASSERT_EQ(parallel.size(), 16);
    for (int i = 0; i < sequential.size(); ++i) {
        ASSERT_EQ(fileName(sequential[i]), fileName(parallel[i]));
        EXPECT_EQ(QFileInfo(parallel[i]).absolutePath(), QFileInfo(parallelDir.path()).absoluteFilePath());
        EXPECT_EQ(testsupport::readFile(sequential[i]), testsupport::readFile(parallel[i])) << qPrintable(sequential[i]);
    }
    // Job 1 has alpha: a JPEG full image (not preserved) and a PNG thumbnail.
    EXPECT_EQ(fileName(sequential[2]), QStringLiteral("101_item1.jpg"));
    EXPECT_EQ(fileName(sequential[3]), QStringLiteral("101_item1_thumb.png"));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 8);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

// Products sharing a picture share its written files; a name already taken
// in the folder is replaced, and the file it named elsewhere stays as it was.
TEST(ProductImageWriter, SharedPicturesNeverChangeFilesAlreadyThere)
{
    QTemporaryDir dir;
    const QByteArray bytes = encoded(samplePicture(300, 200), "jpeg");
    const QString outside = dir.filePath(QStringLiteral("owner.jpg"));
    writeFile(outside, QByteArray("the owner's own"));
    const QByteArray taken = QFile::encodeName(dir.filePath(QStringLiteral("2.jpg")));
    ASSERT_EQ(::link(QFile::encodeName(outside).constData(), taken.constData()), 0);
    QStringList failures;
    const QStringList paths = ProductImageWriter::writeAll(
        {job(1, QString(), bytes, 32, 0, false), job(2, QString(), bytes, 32, 0, false),
         job(3, QString(), bytes, 32, 0, false)},
        dir.path(), 1024, false, {}, &failures, 2);
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join('\n'));
    ASSERT_EQ(paths.size(), 6);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(readFile(paths[i]), readFile(paths[i % 2])) << qPrintable(paths[i]);
    EXPECT_EQ(readFile(outside), QByteArray("the owner's own"));
}

TEST(ProductImageWriter, FailedWritesAreListedAndPathsStillReturned)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/folder"));
    QList<Job> jobs{job(1, QStringLiteral("a"), encoded(samplePicture(100, 80), "jpeg"), 32, 0, false),
                    job(2, QString(), QByteArray("not a picture"), 32, 0, false)};
    QStringList failures;
    const QStringList paths = ProductImageWriter::writeAll(jobs, missing, 1024, false, {}, &failures, 2);
    ASSERT_EQ(paths.size(), 4);
    EXPECT_EQ(fileName(paths[0]), QStringLiteral("1_a.jpg"));
    EXPECT_EQ(fileName(paths[3]), QStringLiteral("2_thumb.jpg"));
    // One line per product, naming it and the reason, never the scratch folder.
    ASSERT_EQ(failures.size(), 2) << qPrintable(failures.join('\n'));
    EXPECT_EQ(failures[0], QStringLiteral("product 1: its picture files cannot be written (No such file or directory)"));
    EXPECT_EQ(failures[1], QStringLiteral("product 2: its picture does not decode"));
}

TEST(ProductJob, ProductWithoutPictureDataGetsIconItem)
{
    const QByteArray iconItem = Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray());
    ASSERT_FALSE(iconItem.isEmpty());
    auto product = TillboxProduct::create();
    product->setImage(QByteArray());
    product->setIconName(QStringLiteral("blank"));
    product->setHasDropShadow(true);
    // What the listing reads before the export gives the product its picture.
    const QSize listed = ProductImageWriter::thumbnailSize(ProductImageWriter::jobFor(*product));
    const Job j = ProductImageWriter::jobForProduct(*product);
    EXPECT_EQ(product->image(), iconItem);
    EXPECT_FALSE(listed.isEmpty());
    EXPECT_EQ(ProductImageWriter::thumbnailSize(j), listed);
    ASSERT_TRUE(j.picture);
    EXPECT_EQ(j.picture, product->icon());
    EXPECT_EQ(j.iconName, QStringLiteral("blank"));
    EXPECT_EQ(j.iconHeight, product->iconHeight());
    EXPECT_TRUE(j.hasDropShadow);
}

TEST(ProductJob, UndecodableBytesAreKeptButExportedAsIconItem)
{
    auto product = TillboxProduct::create();
    product->setImage(QByteArray("garbage"));
    const Job j = ProductImageWriter::jobForProduct(*product);
    EXPECT_EQ(product->image(), QByteArray("garbage"));
    ASSERT_TRUE(j.picture);
    EXPECT_FALSE(j.picture->isNull());

    QTemporaryDir dir;
    QStringList failures;
    const QStringList paths = ProductImageWriter::write(j, dir.path(), 1024, false, &failures);
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join('\n'));
    EXPECT_TRUE(QFileInfo::exists(paths[0]));
    EXPECT_TRUE(QFileInfo::exists(paths[1]));
}

// A damaged picture costs the owner one line naming the product, never the
// image libraries' own complaints on the terminal.
TEST(ProductImageWriter, DamagedPicturesKeepTheLibrariesQuiet)
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });
    QTemporaryDir dir;
    const QByteArray jpeg = encoded(samplePicture(400, 300), "jpeg", 90);
    const QByteArray png = encoded(samplePicture(400, 300, true), "png", 90);
    QStringList failures;
    ProductImageWriter::writeAll({job(1, QString(), jpeg.left(jpeg.size() / 2), 32, 0, false),
                                  job(2, QString(), png.left(png.size() / 2), 32, 0, false)},
                                 dir.path(), 1024, false, {}, &failures, 1);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
    for (const QString &failure : failures)
        EXPECT_TRUE(failure.startsWith(QStringLiteral("product "))) << qPrintable(failure);
}
