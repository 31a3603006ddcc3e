#pragma once

#include <QByteArray>
#include <QSize>
#include <optional>

// Reads what a page needs to know about a JPEG or PNG file from its first
// bytes alone: the format, the upright size (EXIF orientation applied) and
// whether it has an alpha channel. Loading a page with thousands of pictures
// then costs no image decoder at all; other formats return nothing and are
// left to QImageReader.
class ImageHeader
{
public:
    enum class Alpha { No, Yes, Unknown };
    struct Info
    {
        QByteArray format; // "jpeg" or "png"
        QSize size;
        Alpha alpha = Alpha::No;
    };

    static std::optional<Info> read(const QByteArray &bytes);
};
