#include "images/picture.h"

#include "images/imagecodecmessages.h"
#include "images/imageheader.h"
#include "images/picturedecoder.h"

#include <QBuffer>
#include <QImageIOHandler>
#include <QImageReader>
#include <QImageWriter>
#include <QPixelFormat>

namespace {

// Palette and one-bit formats keep transparency in their colour table, which
// the header does not reveal; only the decoded pixels can answer for them.
bool headerKnowsAlpha(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return false;
    default:
        return true;
    }
}

} // namespace

Picture::Picture(const QByteArray &encoded)
    : m_encoded(encoded)
{
    // JPEG and PNG headers are read directly: a page with thousands of
    // pictures loads without starting an image reader for each.
    if (const auto header = ImageHeader::read(encoded)) {
        m_format = header->format;
        m_size = header->size;
        m_alpha = header->alpha == ImageHeader::Alpha::Yes  ? Alpha::Yes
                : header->alpha == ImageHeader::Alpha::No ? Alpha::No
                                                           : Alpha::AskPixels;
        m_null = false;
        return;
    }
    QByteArray bytes = encoded; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return;
    const ImageCodecMessages::Scope quiet;
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return;
    QSize size = reader.size();
    if (!size.isValid())
        return;
    // The pixels will be turned upright on decoding, so the size must be too.
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    m_format = reader.format();
    m_size = size;
    const QImage::Format pixelFormat = reader.imageFormat();
    if (!headerKnowsAlpha(pixelFormat))
        m_alpha = Alpha::AskPixels;
    else
        m_alpha = QImage::toPixelFormat(pixelFormat).alphaUsage() == QPixelFormat::UsesAlpha ? Alpha::Yes : Alpha::No;
    m_null = false;
}

Picture::Picture(const QImage &image)
    : m_image(image)
{
    std::call_once(m_decodeOnce, [] {});
    m_decoded = true;
    if (image.isNull())
        return;
    m_size = image.size();
    m_alpha = image.hasAlphaChannel() ? Alpha::Yes : Alpha::No;
    m_null = false;
}

bool Picture::hasAlphaChannel() const
{
    switch (m_alpha) {
    case Alpha::No:
        return false;
    case Alpha::Yes:
        return true;
    case Alpha::AskPixels:
        return image().hasAlphaChannel();
    }
    return false;
}

QImage Picture::image() const
{
    std::call_once(m_decodeOnce, [this] {
        if (!m_null && !(m_format == "png" && PictureDecoder::isCutShortPng(m_encoded))) {
            QByteArray bytes = m_encoded;
            QBuffer buffer(&bytes);
            if (buffer.open(QIODevice::ReadOnly)) {
                const ImageCodecMessages::Scope quiet;
                QImageReader reader(&buffer, m_format);
                reader.setAutoTransform(true);
                m_image = reader.read();
            }
        }
        m_decoded = true;
    });
    return m_image;
}

bool Picture::isDecoded() const
{
    return m_decoded;
}

QByteArray Picture::storedForm(const QImage &pixels, QString *suffix, QString *error)
{
    const bool png = pixels.hasAlphaChannel();
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, png ? "png" : "jpeg");
    if (!png)
        writer.setQuality(90);
    if (!writer.write(pixels)) {
        if (error)
            *error = writer.errorString();
        return QByteArray();
    }
    if (suffix)
        *suffix = png ? QStringLiteral("png") : QStringLiteral("jpg");
    return encoded;
}
