#include "images/picturedecoder.h"

#include "images/imagecodecmessages.h"

#include <QBuffer>
#include <QImageIOHandler>
#include <QImageReader>

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

QImage PictureDecoder::decode(const Picture &picture, const QSize &needed)
{
    if (picture.isNull())
        return {};
    if (picture.isDecoded() || picture.encodedData().isEmpty())
        return picture.image();

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
