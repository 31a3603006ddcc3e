#include "export/productimagewriter.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "images/imagenormalizer.h"
#include "images/picturedecoder.h"
#include "images/proportionalscaling.h"
#include "util/atomicfile.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// zlib level 1: thumbnails and full images are written on every export, and
// the higher levels cost several times the time for a few percent of size.
// Qt maps PNG "quality" q to zlib level (100 - q) * 9 / 91.
constexpr int PngFastQuality = 89;

struct Outcome
{
    QStringList paths;
    QStringList failures;
};

QString nameSuffix(const QString &iconName)
{
    return iconName.isEmpty() ? QString() : QStringLiteral("_") + iconName;
}

// JPEG has no alpha channel: transparent parts are laid on white, as a web
// page behind them would most likely be, rather than left to the encoder
// (which would show them black).
QImage flattenedOntoWhite(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.fill(Qt::white);
    flat.setColorSpace(image.colorSpace());
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

bool encode(const QImage &image, const ProductImageWriter::Encoding &encoding, QByteArray *bytes, QString *error)
{
    if (image.isNull()) {
        *error = QStringLiteral("there is no picture to encode");
        return false;
    }
    const bool jpeg = encoding.format == "jpeg";
    QImage prepared;
    if (jpeg)
        prepared = flattenedOntoWhite(image);
    else if (image.format() == QImage::Format_ARGB32_Premultiplied)
        prepared = image.convertToFormat(QImage::Format_ARGB32); // the PNG writer's fast path
    else
        prepared = image;

    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, encoding.format);
    writer.setQuality(jpeg ? encoding.quality : PngFastQuality);
    if (!writer.write(prepared)) {
        *error = writer.errorString();
        return false;
    }
    return true;
}

void encodeAndWrite(const QImage &image, const ProductImageWriter::Encoding &encoding, const QString &path,
                    QStringList *failures)
{
    QByteArray bytes;
    QString error;
    if (!encode(image, encoding, &bytes, &error)) {
        failures->append(QStringLiteral("cannot encode %1: %2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    if (!AtomicFile::write(path, bytes, &error))
        failures->append(error);
}

// The box the thumbnail is fitted into: the icon width, and the icon height
// or one that follows the picture's proportions.
QSizeF thumbnailBoxFor(const ProductImageWriter::Job &job, const QSize &pictureSize)
{
    int thumbnailHeight = job.iconHeight;
    if (thumbnailHeight < 1 && pictureSize.width() > 0)
        thumbnailHeight = int(std::trunc(double(job.iconWidth) * pictureSize.height() / pictureSize.width()));
    return QSizeF(job.iconWidth, thumbnailHeight);
}

Outcome process(const ProductImageWriter::Job &job, const QString &folder, int threshold, bool preserveImageFormat)
{
    const std::shared_ptr<const Picture> &picture = job.picture;
    const QSize pictureSize = picture ? picture->size() : QSize();

    // The two boxes, and the pixels either needs.
    const QSizeF fullBox = ImageNormalizer::normalizedSize(pictureSize, threshold).value_or(QSizeF(pictureSize));
    const QSizeF thumbnailBox = thumbnailBoxFor(job, pictureSize);
    const QRect fullDrawn = ProportionalScaling::pixelRect(pictureSize, fullBox.width(), fullBox.height());
    const QRect thumbnailDrawn =
        ProportionalScaling::pixelRect(pictureSize, thumbnailBox.width(), thumbnailBox.height());

    const QImage pixels = picture ? PictureDecoder::decode(*picture, fullDrawn.size().expandedTo(thumbnailDrawn.size()))
                                  : QImage();
    const bool hasAlpha = pixels.hasAlphaChannel();
    const ProductImageWriter::Formats formats =
        ProductImageWriter::formatsFor(hasAlpha, preserveImageFormat, job.hasDropShadow);

    Outcome outcome;
    const QDir dir(folder);
    const QString fullPath = dir.filePath(
        ProductImageWriter::fullImageFileName(job.productID, job.iconName, formats.fullImage.extension));
    const QString thumbnailPath = dir.filePath(
        ProductImageWriter::thumbnailFileName(job.productID, job.iconName, formats.thumbnail.extension));
    outcome.paths = {fullPath, thumbnailPath};
    if (pixels.isNull()) {
        const QString reason = picture ? QStringLiteral("the picture does not decode")
                                       : QStringLiteral("the product has no picture");
        for (const QString &path : outcome.paths)
            outcome.failures.append(QStringLiteral("cannot make %1: %2").arg(QDir::toNativeSeparators(path), reason));
        return outcome;
    }

    const QImage full = ProportionalScaling::imageByScalingProportionallyToSize(pixels, pictureSize, fullBox.width(),
                                                                               fullBox.height(), false);
    encodeAndWrite(full, formats.fullImage, fullPath, &outcome.failures);

    // The full image is the whole picture, only smaller; where it is still at
    // least as large as the thumbnail's drawing it serves as the thumbnail's
    // source, which is far cheaper to scale down than the decode.
    const bool fullCoversCanvas = full.size() == fullDrawn.size() && fullDrawn.topLeft().isNull();
    const bool fullIsLargeEnough = fullDrawn.width() >= thumbnailDrawn.width()
                                   && fullDrawn.height() >= thumbnailDrawn.height();
    const QImage &thumbnailSource = fullCoversCanvas && fullIsLargeEnough ? full : pixels;
    const QImage thumbnail = ProportionalScaling::imageByScalingProportionallyToSize(
        thumbnailSource, pictureSize, thumbnailBox.width(), thumbnailBox.height(), job.hasDropShadow);
    encodeAndWrite(thumbnail, formats.thumbnail, thumbnailPath, &outcome.failures);
    return outcome;
}

} // namespace

ProductImageWriter::Job ProductImageWriter::jobForProduct(TillboxProduct &product)
{
    const Bundle &bundle = Bundle::plugin();
    if (product.image().isEmpty())
        product.setImage(bundle.imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray()));
    return jobFor(product);
}

ProductImageWriter::Job ProductImageWriter::jobFor(const TillboxProduct &product)
{
    const Bundle &bundle = Bundle::plugin();
    Job job;
    job.productID = product.productID();
    job.iconName = product.iconName();
    job.picture = product.icon();
    job.iconWidth = product.iconWidth();
    job.iconHeight = product.iconHeight();
    job.hasDropShadow = product.hasDropShadow();
    if (!job.picture) {
        const QByteArray placeholder = bundle.imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray());
        auto picture = std::make_shared<const Picture>(placeholder);
        if (!picture->isNull()) {
            job.picture = picture;
            job.iconHeight = 0; // follows the placeholder's proportions
        }
    }
    return job;
}

QSize ProductImageWriter::thumbnailSize(const Job &job)
{
    if (!job.picture || job.picture->isNull())
        return {};
    const QSizeF box = thumbnailBoxFor(job, job.picture->size());
    if (!job.hasDropShadow)
        return ProportionalScaling::canvasSize(box.width(), box.height());
    const double radius = ProportionalScaling::shadowRadius(box.width(), box.height());
    return ProportionalScaling::canvasSize(box.width() + 2.0 * radius, box.height() + 2.0 * radius);
}

ProductImageWriter::Formats ProductImageWriter::formatsFor(bool hasAlpha, bool preserveImageFormat,
                                                           bool hasDropShadow)
{
    const Encoding png{"png", QStringLiteral("png"), -1};
    if (hasAlpha) {
        if (preserveImageFormat)
            return {png, png};
        return {Encoding{"jpeg", QStringLiteral("jpg"), -1}, png};
    }
    const Encoding jpeg{"jpeg", QStringLiteral("jpg"), JpegQuality};
    return {jpeg, hasDropShadow ? png : jpeg};
}

QString ProductImageWriter::fullImageFileName(int32_t productID, const QString &iconName, const QString &extension)
{
    return QString::number(productID) + nameSuffix(iconName) + QLatin1Char('.') + extension;
}

QString ProductImageWriter::thumbnailFileName(int32_t productID, const QString &iconName, const QString &extension)
{
    return QString::number(productID) + nameSuffix(iconName) + TBXThumbnailSuffix + QLatin1Char('.') + extension;
}

QStringList ProductImageWriter::write(const Job &job, const QString &folder, int threshold, bool preserveImageFormat,
                                      QStringList *failures)
{
    Outcome outcome = process(job, folder, threshold, preserveImageFormat);
    if (failures)
        failures->append(outcome.failures);
    return outcome.paths;
}

QStringList ProductImageWriter::writeAll(const QList<Job> &jobs, const QString &folder, int threshold,
                                         bool preserveImageFormat,
                                         const std::function<void(int done, int total)> &progress,
                                         QStringList *failures, int threads)
{
    const int total = int(jobs.size());
    std::vector<Outcome> outcomes(size_t(std::max(total, 0)));
    const int workerCount = std::min(total, threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));

    if (workerCount <= 1) {
        for (int i = 0; i < total; ++i) {
            outcomes[size_t(i)] = process(jobs[i], folder, threshold, preserveImageFormat);
            if (progress)
                progress(i + 1, total);
        }
    } else {
        // Workers take the next job in turn and leave each result in its own
        // slot, so the order of the output never depends on the timing.
        std::atomic<int> next = 0;
        std::mutex mutex;
        std::condition_variable finished;
        int done = 0;
        auto work = [&] {
            for (int i = next++; i < total; i = next++) {
                Outcome outcome = process(jobs[i], folder, threshold, preserveImageFormat);
                const std::lock_guard lock(mutex);
                outcomes[size_t(i)] = std::move(outcome);
                ++done;
                finished.notify_one();
            }
        };
        std::vector<std::jthread> workers;
        workers.reserve(size_t(workerCount));
        for (int w = 0; w < workerCount; ++w)
            workers.emplace_back(work);

        int reported = 0;
        std::unique_lock lock(mutex);
        while (reported < total) {
            finished.wait(lock, [&] { return done > reported; });
            reported = done;
            if (progress) {
                lock.unlock();
                progress(reported, total);
                lock.lock();
            }
        }
    }

    QStringList paths;
    paths.reserve(qsizetype(total) * 2);
    for (Outcome &outcome : outcomes) {
        paths.append(outcome.paths);
        if (failures)
            failures->append(outcome.failures);
    }
    return paths;
}
