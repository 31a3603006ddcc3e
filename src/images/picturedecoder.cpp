#include "images/picturedecoder.h"

#include "images/imagecodecmessages.h"

#include <QBuffer>
#include <QImageIOHandler>
#include <QImageReader>

#include <cstring>

int PictureDecoder::jpegReduction(const QSize &source, const QSize &needed)
{
    if (needed.width() <= 0 || needed.height() <= 0)
        return 1;
    for (int reduction : {8, 4, 2}) {
        if (source.width() / reduction >= needed.width() && source.height() / reduction >= needed.height())
            return reduction;
    }
    return 1;
}

bool PictureDecoder::isCutShortPng(const QByteArray &bytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    // Chunks: a 4-byte length, a 4-byte type, the data and a 4-byte CRC,
    // up to and including "IEND".
    qint64 at = 8;
    while (at + 12 <= bytes.size()) {
        const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
        const qint64 length = qint64(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (std::memcmp(p + 4, "IEND", 4) == 0)
            return false;
        at += 12 + length;
    }
    return true;
}

QImage PictureDecoder::decode(const Picture &picture, const QSize &needed)
{
    if (picture.isNull())
        return {};
    if (picture.isDecoded() || picture.encodedData().isEmpty())
        return picture.image();
    if (picture.format() == "png" && isCutShortPng(picture.encodedData()))
        return {};

    QByteArray bytes = picture.encodedData(); // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    const ImageCodecMessages::Scope quiet;
    QImageReader reader(&buffer, picture.format());
    reader.setAutoTransform(true);
    if (picture.format() == "jpeg" && needed.isValid()) {
        // The reduction applies to the stored pixels, before they are turned
        // upright.
        const QSize stored = reader.size();
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const int reduction = jpegReduction(stored, turned ? needed.transposed() : needed);
        if (reduction > 1) {
            // Qt picks libjpeg's factor as ceil(8 / (stored / asked)); asking
            // for the size rounded down keeps that at exactly 8 / reduction.
            // libjpeg rounds up, so for sides not divisible by the reduction
            // Qt trims the decode by a fraction of a pixel afterwards.
            reader.setScaledSize(QSize(stored.width() / reduction, stored.height() / reduction));
        }
    }
    return reader.read();
}
