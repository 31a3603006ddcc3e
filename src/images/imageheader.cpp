#include "images/imageheader.h"

#include <cstring>

namespace {

uint32_t bigEndian(const uchar *p, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// EXIF orientation 5 to 8 turn the picture by a quarter.
bool exifTurnsQuarter(const uchar *tiff, qsizetype length)
{
    if (length < 8)
        return false;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return false;
    auto read = [&](qsizetype offset, int bytes) -> uint32_t {
        if (offset < 0 || offset + bytes > length)
            return 0;
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint32_t(tiff[offset + (little ? i : bytes - 1 - i)]) << (8 * i);
        return value;
    };
    const qsizetype ifd = read(4, 4);
    const uint32_t entries = read(ifd, 2);
    for (uint32_t i = 0; i < entries && i < 256; ++i) {
        const qsizetype entry = ifd + 2 + qsizetype(i) * 12;
        if (entry + 12 > length)
            break;
        if (read(entry, 2) == 0x0112) {
            const uint32_t orientation = read(entry + 8, 2);
            return orientation >= 5 && orientation <= 8;
        }
    }
    return false;
}

std::optional<ImageHeader::Info> readJpeg(const uchar *p, qsizetype n)
{
    bool quarterTurn = false;
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xff)
            return std::nullopt;
        const uchar marker = p[i + 1];
        if (marker == 0xff) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            i += 2;
            continue;
        }
        const qsizetype length = bigEndian(p + i + 2, 2);
        if (length < 2 || i + 2 + length > n)
            return std::nullopt;
        const uchar *segment = p + i + 4;
        const qsizetype segmentLength = length - 2;
        if (marker == 0xe1 && segmentLength > 6 && memcmp(segment, "Exif\0\0", 6) == 0)
            quarterTurn = exifTurnsQuarter(segment + 6, segmentLength - 6);
        const bool startOfFrame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8
            && marker != 0xcc;
        if (startOfFrame) {
            if (segmentLength < 6)
                return std::nullopt;
            QSize size(int(bigEndian(segment + 3, 2)), int(bigEndian(segment + 1, 2)));
            if (size.isEmpty())
                return std::nullopt;
            if (quarterTurn)
                size.transpose();
            return ImageHeader::Info{QByteArrayLiteral("jpeg"), size, ImageHeader::Alpha::No};
        }
        if (marker == 0xda) // image data before any frame header: damaged
            return std::nullopt;
        i += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageHeader::Info> readPng(const uchar *p, qsizetype n)
{
    if (n < 33 || memcmp(p + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const QSize size(int(bigEndian(p + 16, 4)), int(bigEndian(p + 20, 4)));
    if (size.isEmpty() || size.width() > 0x7fffff || size.height() > 0x7fffff)
        return std::nullopt;
    const uchar colourType = p[25];
    ImageHeader::Alpha alpha = colourType == 4 || colourType == 6 ? ImageHeader::Alpha::Yes : ImageHeader::Alpha::No;
    if (alpha == ImageHeader::Alpha::No) {
        // A transparency chunk before the image data makes some colours clear.
        for (qsizetype i = 8; i + 8 <= n;) {
            const qsizetype length = bigEndian(p + i, 4);
            if (memcmp(p + i + 4, "tRNS", 4) == 0) {
                alpha = ImageHeader::Alpha::Unknown;
                break;
            }
            if (memcmp(p + i + 4, "IDAT", 4) == 0 || length > n)
                break;
            i += 12 + length;
        }
    }
    return ImageHeader::Info{QByteArrayLiteral("png"), size, alpha};
}

} // namespace

std::optional<ImageHeader::Info> ImageHeader::read(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n >= 4 && p[0] == 0xff && p[1] == 0xd8 && p[2] == 0xff)
        return readJpeg(p, n);
    if (n >= 8 && memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0)
        return readPng(p, n);
    return std::nullopt;
}
