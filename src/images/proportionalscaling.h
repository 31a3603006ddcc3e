#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>

// Fits pictures into boxes, optionally with a drop shadow. Safe to call from
// any thread: it works on QImage values only.
//
// Sizes in points are pixels here: a canvas of W by H points is a QImage of
// qRound(W) by qRound(H) pixels (at least 1 by 1 for any W, H > 0), and the
// drawing rectangle is snapped to whole pixels by rounding its edges, so a
// picture is never smeared across a half pixel.
//
// Resampling is area-averaging when shrinking (every source pixel counts
// towards the output pixel it falls into, with fractional weights at the
// edges: QImage's smooth scaling, which is a box filter for pure scales) and
// bilinear when enlarging. Alpha is averaged premultiplied.
class ProportionalScaling
{
public:
    // A new image of the box's size with source scaled to fit inside it,
    // centred along the axis that has room to spare, with transparent
    // margins. With drawShadow the result carries a drop shadow and is 2r
    // larger each way (see shadowRadius()).
    //
    // A source that cannot be drawn (null) gives a null image, or with
    // drawShadow the transparent padded canvas. A result that the source
    // covers completely and that has no alpha of its own is returned opaque
    // (Format_RGB32), so that opaque photos stay encodable as JPEG.
    static QImage imageByScalingProportionallyToSize(const QImage &source, double width, double height,
                                                     bool drawShadow);
    // The same for a picture of pictureSize pixels of which source holds a
    // reduced (or full) decode: the geometry follows pictureSize, the pixels
    // come from source.
    static QImage imageByScalingProportionallyToSize(const QImage &source, const QSize &pictureSize, double width,
                                                     double height, bool drawShadow);

    // Where a picture of pictureSize lands in a box of width by height,
    // computed in single precision.
    static QRectF drawingRect(const QSize &pictureSize, double width, double height);
    // drawingRect() snapped to whole pixels and kept inside the canvas; empty
    // when nothing would be drawn.
    static QRect pixelRect(const QSize &pictureSize, double width, double height);
    // The canvas for a box of width by height points; empty when either is
    // not above zero.
    static QSize canvasSize(double width, double height);

    // Drop shadow radius r for a box of width by height: the larger of 5 and
    // 1 % of the longer side, in single precision.
    static float shadowRadius(double width, double height);
    // Puts layer (a canvas for a box of width by height) onto a canvas 2r
    // larger each way, at (r, r) rounded to whole pixels, over its shadow:
    // black at alpha 0.5, blurred with radius 2r, 0.33 r lower on screen.
    // The blur is a Gaussian that reaches exactly the radius (sigma = radius
    // / 3, cut off beyond), applied to the layer's alpha; the sub-pixel
    // offset is part of the vertical kernel. Deterministic: the same layer
    // gives the same bytes on any thread.
    static QImage withDropShadow(const QImage &layer, double width, double height);

    // source resampled to exactly size (see the class note); source itself
    // when the size already matches.
    static QImage resampled(const QImage &source, const QSize &size);
};
