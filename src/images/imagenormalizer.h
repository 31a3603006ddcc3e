#pragma once

#include "images/picture.h"

#include <QImage>
#include <QList>
#include <QSizeF>

#include <cstdint>
#include <memory>
#include <optional>

// Default of the shop setting normalisationThreshold, in pixels.
inline constexpr int32_t TBXDefaultNormalizationThreshold = 1024;

// Caps the longer side of product pictures at the shop's threshold.
//
// Sizes are pixels throughout: a picture's point size (its resolution
// metadata) plays no part, so the cap applies to pixels.
class ImageNormalizer
{
public:
    // The size a picture of pixelSize is redrawn at, or nothing when its
    // longer side equals threshold exactly (then it stays as it is). Never
    // larger than pixelSize: a smaller picture is redrawn at its own size.
    // A threshold below 1 counts as TBXDefaultNormalizationThreshold, since a
    // cap of zero pixels would leave nothing to export.
    static std::optional<QSizeF> normalizedSize(const QSize &pixelSize, int threshold);

    // picture itself (the same pointer) when its longer side equals threshold;
    // otherwise a new picture redrawn by ProportionalScaling. Null for null.
    static std::shared_ptr<const Picture> normalizeImage(const std::shared_ptr<const Picture> &picture,
                                                         int threshold, bool drawShadow);
    // The same on pixels: returns image itself and sets *unchanged when the
    // longer side equals threshold.
    static QImage normalizeImage(const QImage &image, int threshold, bool drawShadow, bool *unchanged = nullptr);

};
