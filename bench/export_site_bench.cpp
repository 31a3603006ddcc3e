// Times the export of a site whose one shop page holds 10,000 products with
// three options of four values each and no pictures of their own (each shows
// the placeholder picture), as `tillbox export` runs it, and the product
// listing alone.
//
// Usage: export_site_bench [products] [runs] [listing]   ("listing": the listing alone)
//
// Wall times suffer from other load on the machine; CPU times beside them
// tell how much of that was this work. The median shows how steady it was.

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
#include <string>
#include <vector>

namespace {

// Wall and CPU seconds of repeated runs: the best run (the least disturbed by
// other load) and the median wall time.
class Times
{
public:
    void add(double wall, double cpu)
    {
        if (m_walls.empty() || wall < m_walls.front())
            m_bestCpu = cpu;
        m_walls.push_back(wall);
        std::sort(m_walls.begin(), m_walls.end());
    }
    std::string summary(int decimals) const
    {
        char text[160];
        std::snprintf(text, sizeof text, "best %.*f s wall, %.*f s CPU; median %.*f s wall (%zu runs)", decimals,
                      m_walls.front(), decimals, m_bestCpu, decimals, m_walls[m_walls.size() / 2], m_walls.size());
        return text;
    }

private:
    std::vector<double> m_walls;
    double m_bestCpu = 0;
};

} // namespace

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
        Times times;
        qsizetype length = 0;
        for (int i = 0; i < runs; ++i) {
            const double cpuBefore = benchpage::cpuSeconds(RUSAGE_SELF);
            QElapsedTimer timer;
            timer.start();
            length = page->contentHTML(params).size();
            times.add(timer.nsecsElapsed() / 1e9, benchpage::cpuSeconds(RUSAGE_SELF) - cpuBefore);
        }
        std::printf("listing of %d products: %s (target <= 0.3 s), %lld characters\n", products,
                    times.summary(3).c_str(), static_cast<long long>(length));
    }
    if (argc > 3 && qstrcmp(argv[3], "listing") == 0)
        return 0;

    // The whole export, by the command-line program.
    Times times;
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
        times.add(timer.nsecsElapsed() / 1e9, benchpage::cpuSeconds(RUSAGE_CHILDREN) - cpuBefore);
        QDir(out).removeRecursively();
    }
    std::printf("tillbox export: %s (target <= 3 s)\n", times.summary(2).c_str());
    return 0;
}
