#include "images/proportionalscaling.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Far beyond any picture a page holds; keeps qRound() within int range.
constexpr double MaxCanvasSide = 1 << 20;

// Shadow of the description: black at half opacity, offset by a third of the
// radius, blurred with twice the radius.
constexpr float ShadowOpacity = 0.5f;
constexpr float ShadowOffsetFactor = 0.33f;
constexpr float ShadowBlurFactor = 2.0f;

// The blur reaches exactly as far as its radius: a Gaussian whose three
// standard deviations make up the radius (beyond that it is cut off).
constexpr float BlurReachInSigmas = 3.0f;

float normalCdf(float x)
{
    return 0.5f * std::erfc(-x / std::sqrt(2.0f));
}

// Weights for out(i) = sum over k of in(i - k) * weight(k), k = first...:
// a Gaussian of sigma integrated over each pixel, centred at shift pixels
// (positive shift moves the picture towards higher indices), cut off beyond
// reach and normalised, so a solid area stays solid.
struct Kernel
{
    int first = 0;
    std::vector<float> weights;
};

Kernel gaussianKernel(float sigma, float reach, float shift)
{
    Kernel kernel;
    kernel.first = int(std::floor(shift - reach));
    const int last = int(std::ceil(shift + reach));
    float sum = 0;
    for (int k = kernel.first; k <= last; ++k) {
        const float w = normalCdf((k - shift + 0.5f) / sigma) - normalCdf((k - shift - 0.5f) / sigma);
        kernel.weights.push_back(w);
        sum += w;
    }
    for (float &w : kernel.weights)
        w /= sum;
    return kernel;
}

// One pass of a separable blur over a width by height plane of floats, along
// rows (stride 1) or columns (stride width); samples outside count as zero.
void blurPass(const std::vector<float> &in, std::vector<float> &out, int width, int height, const Kernel &kernel,
              bool alongRows)
{
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int step = alongRows ? 1 : width;
    const int kernelSize = int(kernel.weights.size());
    for (int line = 0; line < lines; ++line) {
        const int base = alongRows ? line * width : line;
        for (int i = 0; i < length; ++i) {
            float sum = 0;
            for (int j = 0; j < kernelSize; ++j) {
                const int source = i - (kernel.first + j);
                if (source >= 0 && source < length)
                    sum += in[base + source * step] * kernel.weights[j];
            }
            out[base + i * step] = sum;
        }
    }
}

QImage transparentCanvas(const QSize &size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (!canvas.isNull())
        canvas.fill(Qt::transparent);
    return canvas;
}

} // namespace

QImage ProportionalScaling::imageByScalingProportionallyToSize(const QImage &source, double width, double height,
                                                                bool drawShadow)
{
    return imageByScalingProportionallyToSize(source, source.size(), width, height, drawShadow);
}

QImage ProportionalScaling::imageByScalingProportionallyToSize(const QImage &source, const QSize &pictureSize,
                                                                double width, double height, bool drawShadow)
{
    const QSize canvas = canvasSize(width, height);
    QImage layer;
    if (!source.isNull() && !pictureSize.isEmpty() && !canvas.isEmpty()) {
        const QRect target = pixelRect(pictureSize, width, height);
        const QImage content = target.isEmpty() ? QImage() : resampled(source, target.size());
        if (!content.isNull() && target == QRect(QPoint(), canvas) && !content.hasAlphaChannel()) {
            // Nothing of the transparent canvas would show through.
            layer = content;
        } else {
            layer = transparentCanvas(canvas);
            if (!content.isNull() && !layer.isNull()) {
                QPainter painter(&layer);
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.drawImage(target.topLeft(), content);
            }
        }
    }
    if (!drawShadow)
        return layer;
    return withDropShadow(layer, width, height);
}

QRectF ProportionalScaling::drawingRect(const QSize &pictureSize, double width, double height)
{
    if (pictureSize.isEmpty())
        return {};
    if (pictureSize.width() == width && pictureSize.height() == height)
        return QRectF(0, 0, width, height);
    const float boxWidth = float(width);
    const float boxHeight = float(height);
    const float pictureWidth = float(pictureSize.width());
    const float pictureHeight = float(pictureSize.height());
    const float widthFactor = boxWidth / pictureWidth;
    const float heightFactor = boxHeight / pictureHeight;
    const float factor = std::min(widthFactor, heightFactor);
    const float drawnWidth = pictureWidth * factor;
    const float drawnHeight = pictureHeight * factor;
    float x = 0;
    float y = 0;
    if (heightFactor > widthFactor)
        y = (boxHeight - drawnHeight) * 0.5f;
    else if (widthFactor > heightFactor)
        x = (boxWidth - drawnWidth) * 0.5f;
    return QRectF(x, y, drawnWidth, drawnHeight);
}

QRect ProportionalScaling::pixelRect(const QSize &pictureSize, double width, double height)
{
    const QSize canvas = canvasSize(width, height);
    const QRectF exact = drawingRect(pictureSize, width, height);
    if (canvas.isEmpty() || !(exact.width() > 0 && exact.height() > 0))
        return {};
    const int left = qRound(exact.left());
    const int top = qRound(exact.top());
    // A sliver thinner than half a pixel still shows as one pixel.
    const int right = std::max(left + 1, qRound(exact.right()));
    const int bottom = std::max(top + 1, qRound(exact.bottom()));
    return QRect(left, top, right - left, bottom - top).intersected(QRect(QPoint(), canvas));
}

QSize ProportionalScaling::canvasSize(double width, double height)
{
    if (!(width > 0 && height > 0 && width < MaxCanvasSide && height < MaxCanvasSide))
        return {};
    return QSize(std::max(1, qRound(width)), std::max(1, qRound(height)));
}

float ProportionalScaling::shadowRadius(double width, double height)
{
    return std::max(5.0f, 0.01f * float(std::max(width, height)));
}

QImage ProportionalScaling::withDropShadow(const QImage &layer, double width, double height)
{
    const float radius = shadowRadius(width, height);
    const QSize outer = canvasSize(width + 2.0 * radius, height + 2.0 * radius);
    QImage result = transparentCanvas(outer);
    if (result.isNull() || layer.isNull())
        return result;
    const QPoint origin(qRound(radius), qRound(radius));

    // The layer's coverage, placed where the layer will be drawn.
    const int w = outer.width();
    const int h = outer.height();
    std::vector<float> coverage(size_t(w) * size_t(h), 0.0f);
    const QImage premultiplied = layer.hasAlphaChannel() ? layer.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                                         : QImage();
    const QRect placed = QRect(origin, layer.size()).intersected(result.rect());
    for (int y = placed.top(); y <= placed.bottom(); ++y) {
        float *row = coverage.data() + size_t(y) * size_t(w);
        if (premultiplied.isNull()) {
            std::fill(row + placed.left(), row + placed.right() + 1, 1.0f);
            continue;
        }
        const QRgb *pixels = reinterpret_cast<const QRgb *>(premultiplied.constScanLine(y - origin.y()));
        for (int x = placed.left(); x <= placed.right(); ++x)
            row[x] = qAlpha(pixels[x - origin.x()]) / 255.0f;
    }

    // The description's y axis points up, so its offset of -0.33 r is
    // downwards on screen: towards higher rows.
    const float reach = ShadowBlurFactor * radius;
    const float sigma = reach / BlurReachInSigmas;
    std::vector<float> blurred(coverage.size());
    blurPass(coverage, blurred, w, h, gaussianKernel(sigma, reach, 0.0f), true);
    blurPass(blurred, coverage, w, h, gaussianKernel(sigma, reach, ShadowOffsetFactor * radius), false);

    // Black, so the premultiplied pixel is alpha alone. Capped so that a fully
    // covered spot stays at half opacity after rounding.
    const int maxAlpha = int(255 * ShadowOpacity);
    for (int y = 0; y < h; ++y) {
        QRgb *pixels = reinterpret_cast<QRgb *>(result.scanLine(y));
        const float *row = coverage.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            const int alpha = std::min(maxAlpha, int(row[x] * 255 * ShadowOpacity + 0.5f));
            pixels[x] = qRgba(0, 0, 0, alpha);
        }
    }

    QPainter painter(&result);
    painter.drawImage(origin, layer);
    return result;
}

QImage ProportionalScaling::resampled(const QImage &source, const QSize &size)
{
    if (source.isNull() || size.isEmpty())
        return {};
    if (size == source.size())
        return source;
    // Qt takes its area-averaging scaler for these two formats at any factor;
    // for others it may draw with bilinear filtering instead.
    const QImage::Format format = source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                           : QImage::Format_RGB32;
    const QImage prepared = source.format() == format ? source : source.convertToFormat(format);
    return prepared.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
