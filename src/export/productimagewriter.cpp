#include "export/productimagewriter.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "images/imagecodecmessages.h"
#include "images/imagenormalizer.h"
#include "images/picturedecoder.h"
#include "images/proportionalscaling.h"
#include "util/atomicfile.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <vector>

#include <unistd.h>

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

// A job's two files as encoded bytes, before they get the product's names.
struct Rendered
{
    ProductImageWriter::Formats formats;
    QByteArray full;
    QByteArray thumbnail;
    QString problem; // why a file could not be made; empty when both were
};

QString nameSuffix(const QString &iconName)
{
    return iconName.isEmpty() ? QString() : QStringLiteral("_") + iconName;
}

// How failures name the product: by what its owner sees.
QString productLabel(const ProductImageWriter::Job &job)
{
    QString label = job.productName.isEmpty() ? QStringLiteral("product %1").arg(job.productID)
                                              : QStringLiteral("product \"%1\"").arg(job.productName);
    if (!job.sku.isEmpty())
        label += QStringLiteral(" (SKU \"%1\")").arg(job.sku);
    return label;
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

    const ImageCodecMessages::Scope quiet;
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

// The box the thumbnail is fitted into: the icon width, and the icon height
// or one that follows the picture's proportions.
QSizeF thumbnailBoxFor(const ProductImageWriter::Job &job, const QSize &pictureSize)
{
    int thumbnailHeight = job.iconHeight;
    if (thumbnailHeight < 1 && pictureSize.width() > 0)
        thumbnailHeight = int(std::trunc(double(job.iconWidth) * pictureSize.height() / pictureSize.width()));
    return QSizeF(job.iconWidth, thumbnailHeight);
}

Rendered render(const ProductImageWriter::Job &job, int threshold, bool preserveImageFormat)
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
    Rendered rendered;
    rendered.formats = ProductImageWriter::formatsFor(pixels.hasAlphaChannel(), preserveImageFormat, job.hasDropShadow);
    if (pixels.isNull()) {
        rendered.problem = picture ? QStringLiteral("its picture does not decode")
                                   : QStringLiteral("it has no picture");
        return rendered;
    }

    QString error;
    const QImage full = ProportionalScaling::imageByScalingProportionallyToSize(pixels, pictureSize, fullBox.width(),
                                                                               fullBox.height(), false);
    if (!encode(full, rendered.formats.fullImage, &rendered.full, &error))
        rendered.problem = QStringLiteral("its full image cannot be encoded (%1)").arg(error);

    // The full image is the whole picture, only smaller; where it is still at
    // least as large as the thumbnail's drawing it serves as the thumbnail's
    // source, which is far cheaper to scale down than the decode.
    const bool fullCoversCanvas = full.size() == fullDrawn.size() && fullDrawn.topLeft().isNull();
    const bool fullIsLargeEnough = fullDrawn.width() >= thumbnailDrawn.width()
                                   && fullDrawn.height() >= thumbnailDrawn.height();
    const QImage &thumbnailSource = fullCoversCanvas && fullIsLargeEnough ? full : pixels;
    const QImage thumbnail = ProportionalScaling::imageByScalingProportionallyToSize(
        thumbnailSource, pictureSize, thumbnailBox.width(), thumbnailBox.height(), job.hasDropShadow);
    if (!encode(thumbnail, rendered.formats.thumbnail, &rendered.thumbnail, &error) && rendered.problem.isEmpty())
        rendered.problem = QStringLiteral("its thumbnail cannot be encoded (%1)").arg(error);
    return rendered;
}

// Where the files of a shared rendering were first written: the other
// products sharing it get links to those files instead of copies.
struct WrittenFiles
{
    std::mutex mutex;
    QByteArray full;
    QByteArray thumbnail;
};

// Places bytes at path: as another name of the file *origin that already holds
// them where the system allows that (no new file to allocate, nothing to
// write), otherwise written atomically, and the written file becomes the
// origin of later ones. A link is made at a fresh name only, so it never
// changes a file that is already there.
bool placeFile(const QString &path, const QByteArray &bytes, QByteArray *origin, std::mutex *mutex, QString *error)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray source;
    if (origin) {
        const std::lock_guard lock(*mutex);
        source = *origin;
    }
    if (!source.isEmpty() && ::link(source.constData(), target.constData()) == 0)
        return true;
    // Beyond the file system's link count, on one without links, or where
    // the name is taken: a file of its own.
    if (!AtomicFile::write(path, bytes, error, AtomicFile::Flush::None))
        return false;
    if (origin) {
        const std::lock_guard lock(*mutex);
        *origin = target;
    }
    return true;
}

// Gives the rendered files the job's names in folder; one failure line at
// most per job. written: where a shared rendering's files are, or null.
Outcome writeRendered(const ProductImageWriter::Job &job, const Rendered &rendered, const QString &folder,
                      WrittenFiles *written = nullptr)
{
    Outcome outcome;
    const QDir dir(folder);
    const QString fullPath = dir.filePath(
        ProductImageWriter::fullImageFileName(job.productID, job.iconName, rendered.formats.fullImage.extension));
    const QString thumbnailPath = dir.filePath(
        ProductImageWriter::thumbnailFileName(job.productID, job.iconName, rendered.formats.thumbnail.extension));
    outcome.paths = {fullPath, thumbnailPath};
    QString problem = rendered.problem;
    const std::tuple<const QString *, const QByteArray *, QByteArray *> files[] = {
        {&fullPath, &rendered.full, written ? &written->full : nullptr},
        {&thumbnailPath, &rendered.thumbnail, written ? &written->thumbnail : nullptr}};
    for (const auto &[path, bytes, origin] : files) {
        QString error;
        if (bytes->isEmpty() || placeFile(*path, *bytes, origin, written ? &written->mutex : nullptr, &error)
            || !problem.isEmpty())
            continue;
        // The scratch folder means nothing to the owner: only the reason.
        const QString prefix = QStringLiteral("cannot write %1: ").arg(QDir::toNativeSeparators(*path));
        problem = QStringLiteral("its picture files cannot be written (%1)")
                      .arg(error.startsWith(prefix) ? error.mid(prefix.size()) : error);
    }
    if (!problem.isEmpty())
        outcome.failures.append(QStringLiteral("%1: %2").arg(productLabel(job), problem));
    return outcome;
}

// Products with the same picture bytes and the same output settings share
// one rendering per export; it is dropped once its last product is written.
struct SharedRendering
{
    std::once_flag once;
    Rendered rendered;
    WrittenFiles written;
    std::atomic<int> users = 0;
};

struct RenderingKey
{
    QByteArray bytes;
    int iconWidth;
    int iconHeight;
    bool hasDropShadow;
    bool operator==(const RenderingKey &) const = default;
};

struct RenderingKeyHash
{
    size_t operator()(const RenderingKey &key) const
    {
        return qHashMulti(0, key.bytes, key.iconWidth, key.iconHeight, key.hasDropShadow);
    }
};

std::vector<std::shared_ptr<SharedRendering>> sharedRenderings(const QList<ProductImageWriter::Job> &jobs)
{
    std::vector<std::shared_ptr<SharedRendering>> result(size_t(jobs.size()));
    std::unordered_map<RenderingKey, std::shared_ptr<SharedRendering>, RenderingKeyHash> byKey;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const ProductImageWriter::Job &job = jobs[i];
        if (!job.picture || job.picture->encodedData().isEmpty())
            continue; // made from pixels: nothing to key it by
        auto &shared = byKey[RenderingKey{job.picture->encodedData(), job.iconWidth, job.iconHeight,
                                          job.hasDropShadow}];
        if (!shared)
            shared = std::make_shared<SharedRendering>();
        ++shared->users;
        result[size_t(i)] = shared;
    }
    return result;
}

Outcome process(const ProductImageWriter::Job &job, SharedRendering *shared, const QString &folder, int threshold,
                bool preserveImageFormat)
{
    if (!shared)
        return writeRendered(job, render(job, threshold, preserveImageFormat), folder);
    std::call_once(shared->once, [&] { shared->rendered = render(job, threshold, preserveImageFormat); });
    Outcome outcome = writeRendered(job, shared->rendered, folder, &shared->written);
    if (--shared->users == 0)
        shared->rendered = Rendered();
    return outcome;
}

} // namespace

ProductImageWriter::Job ProductImageWriter::jobForProduct(TillboxProduct &product)
{
    if (!product.image().isEmpty())
        return jobFor(product);
    return jobForProduct(product, Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray()));
}

ProductImageWriter::Job ProductImageWriter::jobForProduct(TillboxProduct &product, const QByteArray &placeholder)
{
    if (product.image().isEmpty())
        product.setImage(placeholder);
    return jobFor(product);
}

ProductImageWriter::Job ProductImageWriter::jobFor(const TillboxProduct &product)
{
    if (product.icon())
        return jobFor(product, nullptr);
    const QByteArray placeholder = Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray());
    return jobFor(product, std::make_shared<const Picture>(placeholder));
}

ProductImageWriter::Job ProductImageWriter::jobFor(const TillboxProduct &product,
                                                   const std::shared_ptr<const Picture> &placeholder)
{
    Job job;
    job.productID = product.productID();
    job.iconName = product.iconName();
    job.picture = product.icon();
    job.iconWidth = product.iconWidth();
    job.iconHeight = product.iconHeight();
    job.hasDropShadow = product.hasDropShadow();
    job.productName = product.name();
    job.sku = product.SKU();
    if (!job.picture && placeholder && !placeholder->isNull()) {
        job.picture = placeholder;
        job.iconHeight = 0; // follows the placeholder's proportions
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
    Outcome outcome = process(job, nullptr, folder, threshold, preserveImageFormat);
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
    const auto shared = sharedRenderings(jobs);
    const int workerCount = std::min(total, threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));

    if (workerCount <= 1) {
        for (int i = 0; i < total; ++i) {
            outcomes[size_t(i)] = process(jobs[i], shared[size_t(i)].get(), folder, threshold, preserveImageFormat);
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
                Outcome outcome = process(jobs[i], shared[size_t(i)].get(), folder, threshold, preserveImageFormat);
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
