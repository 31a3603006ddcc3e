#pragma once

#include "images/picture.h"

#include <QImage>
#include <QSize>

// Decodes a picture's pixels for one use, at no more than the size that use
// needs. The pixels are not kept in the Picture (a page's pictures decoded at
// full size would take far too much memory during an export).
//
// JPEG files are decoded at 1/2, 1/4 or 1/8 of their size when that is still
// large enough: libjpeg then scales inside its inverse DCT, which is much
// faster than decoding everything and scaling afterwards. Only these three
// factors stay on libjpeg-turbo's SIMD paths; other fractions would not.
// Other formats are decoded whole.
class PictureDecoder
{
public:
    // The largest of 1, 2, 4 and 8 by which source can be divided (rounding
    // down) and still be at least needed each way. 1 for an invalid needed.
    static int jpegReduction(const QSize &source, const QSize &needed);

    // The picture's pixels, upright (orientation metadata applied), at least
    // needed each way where the format allows a reduced decode, else at full
    // size. Null when the pixels cannot be decoded. A picture that is already
    // decoded is returned as it is.
    static QImage decode(const Picture &picture, const QSize &needed = QSize());

    // Whether a PNG file ends before its last chunk. libpng reports such a
    // file on the terminal itself (Qt gives it no error handler), so it is
    // refused before decoding.
    static bool isCutShortPng(const QByteArray &bytes);
};
