#include "images/imageheader.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

// A JPEG carrying an EXIF block that sets the given orientation.
QByteArray jpegWithOrientation(const QImage &image, uint16_t orientation)
{
    const QByteArray jpeg = testsupport::encoded(image, "JPEG");
    QByteArray tiff("MM\x00\x2a\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);                                  // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);          // orientation, SHORT, 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xff);
    tiff += QByteArray("\x00\x00\x00\x00\x00\x00", 6);                  // padding, no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xff\xe1", 2);
    segment += char((payload.size() + 2) >> 8);
    segment += char((payload.size() + 2) & 0xff);
    segment += payload;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QSize readerSize(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read().size();
}

} // namespace

TEST(ImageHeader, AgreesWithTheDecoderOnSizeAndAlpha)
{
    QImage opaque(64, 40, QImage::Format_RGB32);
    opaque.fill(Qt::darkCyan);
    QImage clear(30, 50, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QImage palette = opaque.convertToFormat(QImage::Format_Indexed8);

    struct Case
    {
        const char *name;
        QByteArray bytes;
        QByteArray format;
        ImageHeader::Alpha alpha;
    };
    const Case cases[] = {
        {"jpeg", testsupport::encoded(opaque, "JPEG"), "jpeg", ImageHeader::Alpha::No},
        {"jpeg turned", jpegWithOrientation(opaque, 6), "jpeg", ImageHeader::Alpha::No},
        {"jpeg upside down", jpegWithOrientation(opaque, 3), "jpeg", ImageHeader::Alpha::No},
        {"png opaque", testsupport::encoded(opaque, "PNG"), "png", ImageHeader::Alpha::No},
        {"png alpha", testsupport::encoded(clear, "PNG"), "png", ImageHeader::Alpha::Yes},
        {"png palette", testsupport::encoded(palette, "PNG"), "png", ImageHeader::Alpha::No},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto info = ImageHeader::read(c.bytes);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->format, c.format);
        EXPECT_EQ(info->size, readerSize(c.bytes));
        EXPECT_EQ(info->alpha, c.alpha);
    }
}

TEST(ImageHeader, LeavesOtherAndDamagedFilesToTheDecoder)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray jpeg = testsupport::encoded(image, "JPEG");
    EXPECT_FALSE(ImageHeader::read(testsupport::encoded(image, "BMP")));
    EXPECT_FALSE(ImageHeader::read(QByteArray()));
    EXPECT_FALSE(ImageHeader::read(jpeg.left(6)));
    EXPECT_FALSE(ImageHeader::read(testsupport::encoded(image, "PNG").left(20)));
}
