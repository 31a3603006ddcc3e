// Times the export of a site whose one shop page holds 10,000 products with
// three options of four values each and no pictures of their own (each shows
// the placeholder picture), as `tillbox export` runs it, and the product
// listing alone.
//
// Usage: export_site_bench [products] [runs] [listing]   ("listing": the listing alone)
//
// Wall times suffer from other load on the machine; CPU times beside them
// tell how much of that was this work.

#include "benchpage.h"
#include "host/headlessenvironment.h"
#include "host/exportparameters.h"
#include "host/sitedocument.h"
#include "catalogue/productregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare(); // as the command-line programs run
    QGuiApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int products = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

    QTemporaryDir dir;
    const QString sitePath = dir.filePath(QStringLiteral("big.site"));
    {
        const QByteArray pluginData = benchpage::makePage(products)->archivedData();
        QString error;
        if (!benchpage::writeSite(sitePath, QStringLiteral("bigshop"), QStringLiteral("Big shop"),
                                  QStringLiteral("shop"), pluginData, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("site of one page with %d products: %.1f MB\n", products, pluginData.size() / 1e6);
    }

    // The listing alone, on a page loaded as the export loads it.
    {
        SiteDocument site;
        QString error;
        if (!site.load(sitePath, &error))
            return 1;
        ProductRegistry::resetForTesting();
        const auto page = TillboxPlugin::fromArchivedData(site.pages().first().pluginData, &error);
        if (!page)
            return 1;
        const QString out = dir.filePath(QStringLiteral("listing"));
        const ExportParameters params = ExportParameters::forPage(QStringLiteral("export"), out + QStringLiteral("/shop"),
                                                                  QStringLiteral("index_files"),
                                                                  QStringLiteral("shop"), out);
        double best = 1e100;
        double bestCpu = 0;
        qsizetype length = 0;
        for (int i = 0; i < runs; ++i) {
            const double cpuBefore = benchpage::cpuSeconds(RUSAGE_SELF);
            QElapsedTimer timer;
            timer.start();
            length = page->contentHTML(params).size();
            if (timer.nsecsElapsed() / 1e9 < best) {
                best = timer.nsecsElapsed() / 1e9;
                bestCpu = benchpage::cpuSeconds(RUSAGE_SELF) - cpuBefore;
            }
        }
        std::printf("listing of %d products: %.3f s wall, %.3f s CPU (best of %d; target <= 0.3 s), %lld characters\n",
                    products, best, bestCpu, runs, static_cast<long long>(length));
    }
    if (argc > 3 && qstrcmp(argv[3], "listing") == 0)
        return 0;

    // The whole export, by the command-line program.
    double best = 1e100;
    double bestCpu = 0;
    for (int i = 0; i < runs; ++i) {
        const QString out = dir.filePath(QStringLiteral("out%1").arg(i));
        const double cpuBefore = benchpage::cpuSeconds(RUSAGE_CHILDREN);
        QElapsedTimer timer;
        timer.start();
        QProcess tillbox;
        tillbox.start(QStringLiteral(TILLBOX_CLI), {QStringLiteral("-q"), QStringLiteral("export"), sitePath, out});
        if (!tillbox.waitForFinished(600000) || tillbox.exitCode() != 0) {
            std::fprintf(stderr, "export failed: %s\n", tillbox.readAllStandardError().constData());
            return 1;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (seconds < best) {
            best = seconds;
            bestCpu = benchpage::cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
        }
        QDir(out).removeRecursively();
    }
    std::printf("tillbox export: %.2f s wall, %.2f s CPU (best of %d; target <= 3 s)\n", best, bestCpu, runs);
    return 0;
}
