// Times the picture work of a page export: 200 products with 4000 x 3000
// JPEG pictures, each written as a full image capped at 1024 pixels and a
// 128-pixel thumbnail (half of them with a drop shadow), on all cores.
// For comparison it times vipsthumbnail (Debian package libvips-tools) making
// the same two sizes of the same files with the same number of cores.
//
// Usage: export_pictures_bench [rounds] [products]
// The generated pictures are kept in <temp>/tillbox-bench-pictures for later
// runs.

#include "benchpage.h"
#include "images/picture.h"
#include "export/productimagewriter.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
constexpr int Threshold = 1024;
constexpr int ThumbnailWidth = 128;

QImage makePicture(int index)
{
    QRandomGenerator random(quint32(index) * 7919u + 17u);
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        auto colour = [&] { return QColor(random.bounded(256), random.bounded(256), random.bounded(256)); };
        QLinearGradient linear(random.bounded(PictureWidth), 0, random.bounded(PictureWidth), PictureHeight);
        linear.setColorAt(0, colour());
        linear.setColorAt(0.5, colour());
        linear.setColorAt(1, colour());
        painter.fillRect(image.rect(), linear);
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < 6; ++i) {
            const QPointF centre(random.bounded(PictureWidth), random.bounded(PictureHeight));
            const double radius = 200 + random.bounded(1200);
            QRadialGradient radial(centre, radius);
            QColor inner = colour();
            QColor outer = inner;
            outer.setAlpha(0);
            radial.setColorAt(0, inner);
            radial.setColorAt(1, outer);
            painter.setBrush(radial);
            painter.drawEllipse(centre, radius, radius);
        }
    }
    // Sensor-like noise: what makes real photos expensive to decode.
    for (int y = 0; y < PictureHeight; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < PictureWidth; ++x) {
            const quint32 bits = random.generate();
            auto noisy = [&](int value, int shift) {
                return std::clamp(value + int((bits >> shift) & 31) - 16, 0, 255);
            };
            line[x] = qRgb(noisy(qRed(line[x]), 0), noisy(qGreen(line[x]), 8), noisy(qBlue(line[x]), 16));
        }
    }
    return image;
}

// The cached pictures, made on all cores where missing.
QStringList preparePictures(int count)
{
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("tillbox-bench-pictures"));
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QDir(folder).filePath(QStringLiteral("picture_%1.jpg").arg(i, 3, 10, QLatin1Char('0')));

    std::atomic<int> next = 0;
    std::atomic<int> made = 0;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            if (QFile::exists(paths[i]))
                continue;
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "jpeg");
            writer.setQuality(90);
            writer.write(makePicture(i));
            QFile file(paths[i] + QStringLiteral(".part"));
            if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) {
                file.close();
                file.rename(paths[i]);
            }
            ++made;
        }
    };
    QElapsedTimer timer;
    timer.start();
    std::vector<std::jthread> workers;
    for (int t = 0; t < std::max(1, QThread::idealThreadCount()); ++t)
        workers.emplace_back(work);
    workers.clear();
    if (made > 0)
        std::printf("made %d pictures in %.1f s (cached in %s)\n", made.load(), timer.elapsed() / 1000.0,
                    qPrintable(folder));
    return paths;
}

double ourRun(const QList<ProductImageWriter::Job> &jobs, const QString &out)
{
    QStringList failures;
    QElapsedTimer timer;
    timer.start();
    const QStringList paths = ProductImageWriter::writeAll(jobs, out, Threshold, false, {}, &failures);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!failures.isEmpty() || paths.size() != jobs.size() * 2)
        std::printf("  failures: %s\n", qPrintable(failures.join(QLatin1Char('\n'))));
    return seconds;
}

// vipsthumbnail with the same cores: one single-threaded process per core,
// each taking its share of the files and making both sizes.
double vipsRun(const QStringList &pictures, const QString &out, int cores)
{
    QList<QProcess *> processes;
    QElapsedTimer timer;
    timer.start();
    for (int c = 0; c < cores; ++c) {
        QStringList share;
        for (int i = c; i < pictures.size(); i += cores)
            share << pictures[i];
        const QString script =
            QStringLiteral("vipsthumbnail -s %1 -o '%2/%s_full.jpg[Q=90]' \"$@\" && "
                           "vipsthumbnail -s %3 -o '%2/%s_thumb.jpg[Q=90]' \"$@\"")
                .arg(Threshold)
                .arg(out)
                .arg(ThumbnailWidth);
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral("sh"), QStringList{QStringLiteral("-c"), script, QStringLiteral("vips")} + share);
        processes << process;
    }
    bool ok = true;
    for (QProcess *process : processes) {
        process->waitForFinished(-1);
        ok = ok && process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        if (!ok)
            std::printf("  vipsthumbnail: %s\n", process->readAllStandardError().constData());
        delete process;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int count = argc > 2 ? std::max(1, atoi(argv[2])) : 200;
    const int cores = std::max(1, QThread::idealThreadCount());

    const QStringList pictures = preparePictures(count);
    // The products hold their picture bytes, as a loaded page does.
    QList<ProductImageWriter::Job> jobs;
    qint64 totalBytes = 0;
    for (int i = 0; i < count; ++i) {
        QFile file(pictures[i]);
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("cannot read %s\n", qPrintable(pictures[i]));
            return 1;
        }
        ProductImageWriter::Job job;
        job.productID = i + 1;
        job.iconName = QStringLiteral("product_%1").arg(i);
        job.picture = std::make_shared<const Picture>(file.readAll());
        totalBytes += job.picture->encodedData().size();
        job.iconWidth = ThumbnailWidth;
        job.iconHeight = ThumbnailWidth * PictureHeight / PictureWidth;
        job.hasDropShadow = i % 2 == 1;
        jobs << job;
    }
    const bool haveVips = !QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail")).isEmpty();
    std::printf("%d products, %dx%d JPEG, %.1f MB of picture data, %d cores\n", count, PictureWidth, PictureHeight,
                totalBytes / 1e6, cores);

    double ours = 1e9;
    double vips = 1e9;
    double oursCpu = 0;
    double vipsCpu = 0;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir ourFolder;
        QTemporaryDir vipsFolder;
        const double cpuBefore = benchpage::cpuSeconds(RUSAGE_SELF);
        const double oursNow = ourRun(jobs, ourFolder.path());
        oursCpu += benchpage::cpuSeconds(RUSAGE_SELF) - cpuBefore;
        const double childrenBefore = benchpage::cpuSeconds(RUSAGE_CHILDREN);
        const double vipsNow = haveVips ? vipsRun(pictures, vipsFolder.path(), cores) : -1;
        vipsCpu += benchpage::cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
        std::printf("round %d: ours %.2f s, vipsthumbnail %.2f s\n", round + 1, oursNow, vipsNow);
        ours = std::min(ours, oursNow);
        if (vipsNow > 0)
            vips = std::min(vips, vipsNow);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double products = double(count) * rounds;
    std::printf("ours (best of %d):          %.2f s, %.1f ms per product; CPU %.1f ms per product\n", rounds, ours,
                1000 * ours / count, 1000 * oursCpu / products);
    if (haveVips && vips < 1e9) {
        std::printf("vipsthumbnail (best of %d): %.2f s, %.1f ms per product; CPU %.1f ms per product\n", rounds,
                    vips, 1000 * vips / count, 1000 * vipsCpu / products);
        std::printf("ratio ours / vips:         %.2f wall time (target <= 0.60), %.2f CPU time\n", ours / vips,
                    oursCpu / vipsCpu);
    } else {
        std::printf("vipsthumbnail not found (apt-get install libvips-tools)\n");
    }
    std::printf("peak memory (ru_maxrss):   %.0f MB (of which %.0f MB picture data)\n", usage.ru_maxrss / 1024.0,
                totalBytes / 1048576.0);
    return 0;
}
