#include "exchange/exchangetestsupport.h"

#include "exchange/productimageexport.h"
#include "support/testsupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace exchangetest;

namespace {

class ProductImageExportTest : public RegistryTest
{
protected:
    ProductImageExport::Summary run(const QString &folder)
    {
        return ProductImageExport::exportProductImages(folder, [this](const QString &line) { log << line; });
    }
    QStringList log;
};

std::shared_ptr<TillboxProduct> withPicture(const QString &sku, const QString &imageName, const QByteArray &bytes)
{
    auto p = product(sku);
    p->setImage(bytes);
    p->setImageName(imageName);
    return p;
}

} // namespace

TEST_F(ProductImageExportTest, WritesStoredBytesUnderWebSafeNamesAndLogsTheRest)
{
    const QByteArray png = encodedImage(20, 10, "png", true);
    const QByteArray jpeg = encodedImage(30, 20, "jpg");
    // In SKU order a, b: the later product's bytes win a shared name.
    withPicture(QStringLiteral("b"), QStringLiteral("iconItem.png"), png);
    withPicture(QStringLiteral("a"), QStringLiteral("iconItem.png"), jpeg);
    withPicture(QStringLiteral("c"), QStringLiteral("My Shirt (red).jpg"), jpeg);
    withPicture(QStringLiteral("d"), QStringLiteral(""), png);
    withPicture(QStringLiteral("e"), QStringLiteral("absent.png"), QByteArray());
    withPicture(QStringLiteral("f"), QStringLiteral(".."), png);
    withPicture(QStringLiteral(""), QStringLiteral("nosku.png"), png);

    QTemporaryDir dir;
    const auto summary = run(dir.path());
    const QDir images(dir.filePath(QStringLiteral("Tillbox images")));
    QStringList files = images.entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("My-Shirt--red-.jpg"), QStringLiteral("iconItem.png")}));
    EXPECT_EQ(testsupport::readFile(images.filePath(QStringLiteral("iconItem.png"))), png);
    EXPECT_EQ(testsupport::readFile(images.filePath(QStringLiteral("My-Shirt--red-.jpg"))), jpeg);
    // The empty SKU sorts first; absent bytes are skipped without a word.
    EXPECT_EQ(log, (QStringList{QStringLiteral("Tillbox: invalid SKU."), QStringLiteral("Tillbox: invalid image name."),
                                QStringLiteral("Tillbox: invalid image name.")}));
    EXPECT_EQ(summary.written, 3);
    EXPECT_EQ(summary.skipped, 3);
}

TEST_F(ProductImageExportTest, AFolderThatCannotBeMadeFailsEachProductAlone)
{
    withPicture(QStringLiteral("a"), QStringLiteral("a.png"), encodedImage(4, 4, "png"));
    withPicture(QStringLiteral("b"), QStringLiteral("b.png"), encodedImage(4, 4, "png"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    testsupport::writeFile(file, "x");
    run(file);
    ASSERT_EQ(log.size(), 2);
    for (const QString &line : std::as_const(log))
        EXPECT_TRUE(line.startsWith(QLatin1String("Tillbox: error creating directory: "))) << qPrintable(line);
}
