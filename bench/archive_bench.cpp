// Loads and saves a page of 10,000 products, each with three options of four
// values, and compares both with libplist alone parsing the same file; the
// peak memory of a load is measured in a fresh process.
// Then repeats the load with a 640x480 JPEG picture in every product: loading
// must not decode pictures that nothing has asked for.
#include "benchpage.h"
#include "host/headlessenvironment.h"
#include "archive/keyedarchiver.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryFile>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <plist/plist.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

int kProducts = 10000;
int kRuns = 3;

double bestOf(const std::function<void()> &work)
{
    double best = 1e100;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}


// Parsing only: the tree is freed outside the timed part.
double libplistParse(const QByteArray &bytes)
{
    double best = 1e100;
    for (int i = 0; i < kRuns; ++i) {
        plist_t root = nullptr;
        QElapsedTimer timer;
        timer.start();
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
        plist_free(root);
    }
    return best;
}

// Peak memory of one load in a fresh process (this program again, in
// "memory" mode): the growth of the resident set from before the file is
// read to the end of the load, so the file's own bytes count too.
double loadPeakMegabytes(const QByteArray &bytes)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return -1;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::number(kProducts), QStringLiteral("1"), QStringLiteral("memory"), file.fileName()});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        return -1;
    return child.readAllStandardOutput().trimmed().toDouble() / 1024.0;
}

// "VmRSS" (now) or "VmHWM" (the peak) of this process, in kilobytes. Unlike
// ru_maxrss, the peak starts afresh with the program: it does not carry the
// parent's size over the fork.
long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// From the file's bytes to a usable page; the page is destroyed outside the
// timed part, as a page is used before it is closed.
double load(const QByteArray &bytes, bool *picturesDecoded)
{
    *picturesDecoded = false;
    double best = 1e100;
    for (int i = 0; i < kRuns; ++i) {
        // Each load as in a fresh process: the site-wide registry keeps the
        // products of closed pages, and replacing those is not loading.
        ProductRegistry::resetForTesting();
        QString error;
        QElapsedTimer timer;
        timer.start();
        auto page = TillboxPlugin::fromArchivedData(bytes, &error);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
        if (!page || page->products().size() != kProducts) {
            std::fprintf(stderr, "load failed: %s\n", qPrintable(error));
            std::exit(1);
        }
        for (const auto &product : page->products())
            if (product->icon() && product->icon()->isDecoded())
                *picturesDecoded = true;
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare(); // as the command-line programs run
    QGuiApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 1)
        kProducts = std::atoi(argv[1]);
    if (argc > 2)
        kRuns = std::atoi(argv[2]);
    // "memory FILE": prints the kilobytes one load of FILE adds at its peak.
    if (argc > 4 && std::strcmp(argv[3], "memory") == 0) {
        const long before = statusKilobytes("VmRSS:");
        QFile file(QString::fromLocal8Bit(argv[4]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        QString error;
        const auto page = TillboxPlugin::fromArchivedData(bytes, &error);
        std::printf("%ld\n", statusKilobytes("VmHWM:") - before);
        return page ? 0 : 1;
    }
    // "profile-save": only our own save, for a profiler.
    if (argc > 3 && std::strcmp(argv[3], "profile-save") == 0) {
        auto page = benchpage::makePage(kProducts);
        std::printf("save %.1f ms\n", bestOf([&] { (void)page->archivedData(); }));
        return 0;
    }
    // "profile FILE": only our own load, of a page kept in FILE, for a profiler.
    if (argc > 4 && std::strcmp(argv[3], "profile") == 0) {
        QFile file(QString::fromLocal8Bit(argv[4]));
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.readAll();
        } else {
            bytes = benchpage::makePage(kProducts)->archivedData();
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
        }
        bool decoded = false;
        std::printf("load %.1f ms   libplist parse %.1f ms\n", load(bytes, &decoded), libplistParse(bytes));
        return 0;
    }
    std::printf("page of %d products, 3 options of 4 values each, best of %d runs\n", kProducts, kRuns);
    {
        auto page = benchpage::makePage(kProducts);
        QByteArray bytes;
        const double save = bestOf([&] { bytes = page->archivedData(); });
        bool decoded = false;
        const double loadMs = load(bytes, &decoded);
        const double parse = libplistParse(bytes);
        const double peak = loadPeakMegabytes(bytes);
        const double size = bytes.size() / 1e6;
        std::printf("without pictures: file %.1f MB\n", size);
        std::printf("  save %8.1f ms   libplist parse %8.1f ms   ratio %.2f (target <= 1.0; save under 500 ms)\n",
                    save, parse, save / parse);
        std::printf("  load %8.1f ms   libplist parse %8.1f ms   ratio %.2f (target <= 1.0)\n", loadMs, parse,
                    loadMs / parse);
        std::printf("  load peak memory %.1f MB, %.2f x the file (target <= 4)\n", peak, peak * 1.048576 / size);
    }
    {
        auto page = benchpage::makePage(kProducts, benchpage::gradientJpeg(640, 480));
        const QByteArray bytes = page->archivedData();
        page.reset();
        bool decoded = false;
        const double loadMs = load(bytes, &decoded);
        const double parse = libplistParse(bytes);
        std::printf("with a 640x480 JPEG in every product: file %.1f MB\n", bytes.size() / 1e6);
        std::printf("  load %8.1f ms   libplist parse %8.1f ms   ratio %.2f   pictures decoded: %s\n", loadMs,
                    parse, loadMs / parse, decoded ? "yes" : "no");
    }
    return 0;
}
