#pragma once

#include "images/picture.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class TillboxProduct;

// Inserted before the extension of a product's thumbnail file.
inline const QString TBXThumbnailSuffix = QStringLiteral("_thumb");

// Writes the two picture files of each product at export: the full image,
// its longer side capped at the shop's threshold, and the thumbnail of the
// product's icon size, optionally with a drop shadow.
//
// Usage: build one Job per product on the thread that owns the products
// (jobForProduct), then writeAll() the list. The jobs hold everything the
// work needs, so the workers never touch a product.
//
// Each picture is decoded once for both files, at the smallest size that
// still serves both (see PictureDecoder), and products are spread over the
// machine's cores. The output does not depend on the number of threads.
class ProductImageWriter
{
public:
    struct Job
    {
        int32_t productID = 0;
        QString iconName;
        std::shared_ptr<const Picture> picture;
        int iconWidth = 0;
        // Below 1: derived from iconWidth and the picture's proportions.
        int iconHeight = 0;
        bool hasDropShadow = false;
        // Only for messages: the product as its owner knows it.
        QString productName;
        QString sku;
    };

    // How one file is encoded.
    struct Encoding
    {
        QByteArray format; // "png" or "jpeg", for QImageWriter
        QString extension; // "png" or "jpg"
        int quality = -1;  // JPEG quality 0-100; -1 for the encoder's default
    };
    struct Formats
    {
        Encoding fullImage;
        Encoding thumbnail;
    };

    // JPEG quality wherever the shop asks for compression factor 0.9.
    static constexpr int JpegQuality = 90;

    // The product's job. A product without picture data is first given the
    // bundle picture "iconItem" (this changes the product). A product whose
    // bytes do not decode keeps them, and its files show "iconItem" instead,
    // so the page never points at missing files.
    static Job jobForProduct(TillboxProduct &product);
    // The same with the placeholder's bytes already at hand, for callers that
    // make a job per product and should read them only once.
    static Job jobForProduct(TillboxProduct &product, const QByteArray &placeholder);
    // The same job without changing the product: what the listing reads
    // before the export has written anything.
    static Job jobFor(const TillboxProduct &product);
    // The same with the placeholder picture already at hand (null: none), for
    // callers that make a job per product and should read it only once.
    static Job jobFor(const TillboxProduct &product, const std::shared_ptr<const Picture> &placeholder);
    // The pixel size of the thumbnail that writing the job makes (with its
    // drop shadow); empty when there is nothing to draw. The listing writes
    // it beside the picture, so that the page keeps its room while loading.
    static QSize thumbnailSize(const Job &job);

    // File formats by whether the picture has alpha, the setting
    // preserveImageFormat and the product's drop shadow.
    static Formats formatsFor(bool hasAlpha, bool preserveImageFormat, bool hasDropShadow);
    // "<id>_<iconName>.<ext>", or "<id>.<ext>" with an empty iconName.
    static QString fullImageFileName(int32_t productID, const QString &iconName, const QString &extension);
    // "<id>_<iconName>_thumb.<ext>", or "<id>_thumb.<ext>".
    static QString thumbnailFileName(int32_t productID, const QString &iconName, const QString &extension);

    // Writes every job's two files into folder (each atomically, none flushed
    // to the disk) and returns their paths, full image then thumbnail, in job
    // order, whether or not the writes succeeded. Each job whose files could
    // not be made or written adds one message naming the product and the
    // reason to *failures, in job order. Jobs with the same picture bytes and
    // sizes share one decode and encode, and their equal files are hard
    // links to one file where the file system allows (thousands of products
    // showing the placeholder then cost no new file each). progress, when given, is
    // called on the calling thread as jobs finish. threads: how many workers;
    // 0 for one per core, 1 to work on the calling thread alone.
    static QStringList writeAll(const QList<Job> &jobs, const QString &folder, int threshold,
                                bool preserveImageFormat,
                                const std::function<void(int done, int total)> &progress = {},
                                QStringList *failures = nullptr, int threads = 0);
    // One job, on the calling thread; returns its two paths.
    static QStringList write(const Job &job, const QString &folder, int threshold, bool preserveImageFormat,
                             QStringList *failures = nullptr);
};
