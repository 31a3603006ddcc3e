#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageIOHandler>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>

namespace imagetestutil {

// A smooth picture with some structure, so that scaling errors show: a
// diagonal colour gradient with a soft disc. With alpha, the left half fades
// out and the top-left quarter is fully transparent.
inline QImage samplePicture(int width, int height, bool alpha = false)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = 255 * x / std::max(1, width - 1);
            const int g = 255 * y / std::max(1, height - 1);
            const int b = 255 - (r + g) / 2;
            int a = 255;
            if (alpha)
                a = (x < width / 2 && y < height / 2) ? 0 : std::min(255, 80 + 175 * x / std::max(1, width - 1));
            line[x] = qRgba(r, g, b, a);
        }
    }
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format, int quality = -1,
                          QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone)
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

} // namespace imagetestutil
