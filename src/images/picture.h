#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <atomic>
#include <mutex>

// The decoded form of a product's picture: an immutable value, safe to use
// from several threads at once. Share it as std::shared_ptr<const Picture>.
//
// Made from encoded file bytes, it reads only the file header up front
// (size, pixel format, orientation); the pixels are decoded on the first call
// of image() and kept. A page with thousands of products therefore loads
// without decoding a single picture.
//
// Sizes are in pixels and already account for the file's orientation
// metadata (EXIF), which image() applies as well.
class Picture
{
public:
    // From encoded bytes (any format the installed image plug-ins read).
    // isNull() when the header cannot be read.
    explicit Picture(const QByteArray &encoded);
    // From pixels already decoded. isNull() for a null image.
    explicit Picture(const QImage &image);

    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    bool isNull() const { return m_null; }
    QSize size() const { return m_size; }
    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    bool hasAlphaChannel() const;

    // The bytes the picture was made from; null for one made from a QImage.
    const QByteArray &encodedData() const { return m_encoded; }
    // Lower-case format name read from the header ("jpeg", "png", ...);
    // empty for one made from a QImage.
    const QByteArray &format() const { return m_format; }

    // The pixels, decoded on first use. Null when isNull(), or when the
    // pixel data turns out to be damaged although the header was readable.
    QImage image() const;
    // The form a product stores pixels in: PNG when they have an alpha
    // channel, otherwise JPEG at quality 90. *suffix becomes "png" or "jpg".
    // Null, with *error set, when the pixels cannot be encoded.
    static QByteArray storedForm(const QImage &pixels, QString *suffix, QString *error);

    // Whether the pixels have been decoded yet (always true for a picture
    // made from a QImage). Meant for diagnostics and tests.
    bool isDecoded() const;

private:
    enum class Alpha { No, Yes, AskPixels };

    QByteArray m_encoded;
    QByteArray m_format;
    QSize m_size;
    Alpha m_alpha = Alpha::No;
    bool m_null = true;

    // m_image is written once inside call_once, which also publishes it to
    // every later caller; m_decoded only answers isDecoded() without waiting.
    mutable std::once_flag m_decodeOnce;
    mutable std::atomic<bool> m_decoded = false;
    mutable QImage m_image;
};
