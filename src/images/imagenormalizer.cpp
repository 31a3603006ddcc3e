#include "images/imagenormalizer.h"

#include "images/picturedecoder.h"
#include "images/proportionalscaling.h"

#include <algorithm>

std::optional<QSizeF> ImageNormalizer::normalizedSize(const QSize &pixelSize, int threshold)
{
    const double cap = threshold > 0 ? threshold : TBXDefaultNormalizationThreshold;
    const double width = pixelSize.width();
    const double height = pixelSize.height();
    if (width > height) {
        if (width == cap)
            return std::nullopt;
        const double newWidth = std::min(width, cap);
        return QSizeF(newWidth, height / width * newWidth);
    }
    // Squares land here too.
    if (height == cap)
        return std::nullopt;
    const double newHeight = std::min(height, cap);
    return QSizeF(height > 0 ? width / height * newHeight : 0, newHeight);
}

std::shared_ptr<const Picture> ImageNormalizer::normalizeImage(const std::shared_ptr<const Picture> &picture,
                                                               int threshold, bool drawShadow)
{
    if (!picture || picture->isNull())
        return picture;
    const std::optional<QSizeF> size = normalizedSize(picture->size(), threshold);
    if (!size)
        return picture;
    const QRect drawn = ProportionalScaling::pixelRect(picture->size(), size->width(), size->height());
    const QImage pixels = PictureDecoder::decode(*picture, drawn.size());
    const QImage result = ProportionalScaling::imageByScalingProportionallyToSize(
        pixels, picture->size(), size->width(), size->height(), drawShadow);
    // Pixels that do not decode cannot be redrawn; the picture is better kept
    // than replaced by nothing.
    if (result.isNull())
        return picture;
    return std::make_shared<const Picture>(result);
}

QImage ImageNormalizer::normalizeImage(const QImage &image, int threshold, bool drawShadow, bool *unchanged)
{
    const std::optional<QSizeF> size = image.isNull() ? std::nullopt : normalizedSize(image.size(), threshold);
    if (unchanged)
        *unchanged = !size;
    if (!size)
        return image;
    return ProportionalScaling::imageByScalingProportionallyToSize(image, size->width(), size->height(), drawShadow);
}
