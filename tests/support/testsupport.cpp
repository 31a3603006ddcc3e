#include "support/testsupport.h"

#include "catalogue/productregistry.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

#include <algorithm>

namespace testsupport {

namespace {

// The site's product registry is process-wide: every test starts with an empty
// one, as in a fresh process with a plug-in already loaded (so SKUs are recorded).
class FreshRegistry : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        ProductRegistry::resetForTesting();
        ProductRegistry::ensureAllProductsTable();
    }
    void OnTestEnd(const ::testing::TestInfo &) override { ProductRegistry::resetForTesting(); }
};

} // namespace

void freshRegistryForEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRegistry);
}

QString dataPath(const QString &relative)
{
    return QStringLiteral(TILLBOX_TEST_DATA) + QLatin1Char('/') + relative;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QImage samplePicture(int width, int height, bool alpha)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = 255 * x / std::max(1, width - 1);
            const int g = 255 * y / std::max(1, height - 1);
            int a = 255;
            if (alpha)
                a = (x < width / 2 && y < height / 2) ? 0 : std::min(255, 80 + 175 * x / std::max(1, width - 1));
            line[x] = qRgba(r, g, 255 - (r + g) / 2, a);
        }
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format, int quality, QImageIOHandler::Transformations transformation)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setTransformation(transformation);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}

} // namespace testsupport
