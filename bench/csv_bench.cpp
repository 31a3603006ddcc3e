// `tillbox csv` of a site with 10,000 products against Python's csv module
// writing the same rows from the same site read with plistlib
// (csv_bench.py), one run each, both as whole processes. Both texts must be
// byte for byte the same. Target: ours at most half of Python's time.
#include "benchpage.h"
#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "host/headlessenvironment.h"
#include "host/sitedocument.h"
#include "plugin/tillboxplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

namespace {

constexpr int kProducts = 10000;

std::shared_ptr<TillboxProduct> makeProduct(int i)
{
    auto product = TillboxProduct::create();
    // Mixed case, so the order without case differs from the plain one.
    product->setSKU((i % 3 ? QStringLiteral("sku-%1") : QStringLiteral("SKU-%1")).arg((i * 7919) % 100000, 5, 10,
                                                                                       QLatin1Char('0')));
    product->setName(i % 5 ? QStringLiteral("Product %1").arg(i) : QStringLiteral("Mug \"XL\", no. %1").arg(i));
    if (i % 4 == 0) {
        product->setUseHtmlDescription(true);
        product->setHtmlProductDescription(
            QStringLiteral("<p>Product %1, \"hand made\".</p>\n<ul><li>one</li></ul>").arg(i));
    } else {
        product->setStyledProductDescription(
            StyledText(QStringLiteral("A fine thing, number %1.\nSecond line.").arg(i)));
    }
    product->setPrice(float(i % 1000) / 7.0f);
    product->setWeight(float(i % 50) * 0.1f);
    product->setStatus(i % 10 == 0 ? 2 : i % 10 == 1 ? 1 : 0);
    product->setPurchaseLimit(i % 6);
    for (int o = 0; o < i % 4; ++o) {
        auto option = std::make_shared<TillboxOption>();
        option->setOptionTypeTag(o == 2 ? TillboxOption::OneLineTextTag : TillboxOption::ValueListTag);
        option->setOptionName(QStringLiteral("Option %1").arg(o));
        for (int v = 0; v < 4; ++v) {
            auto value = std::make_shared<TillboxOptionValue>();
            value->setOptionValueName(QStringLiteral("Value [%1]").arg(v));
            value->setOptionValuePrice(float(v) * 0.75f);
            value->setOptionValueWeight(float(v) * 0.05f);
            option->optionValuesArray().append(value);
        }
        product->optionsArray().append(option);
    }
    return product;
}

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0; // user and system time of the process
};

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

Timing timedRun(const QString &program, const QStringList &arguments)
{
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        std::exit(1);
    }
    return {timer.nsecsElapsed() / 1e6, childrenCpuMs() - cpuBefore};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare();
    QGuiApplication app(argc, argv);
    const QString tillbox = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/tillbox");
    const QString script = QStringLiteral(TILLBOX_BENCH_SOURCES "/csv_bench.py");

    // An optional folder keeps the site and both texts for a closer look.
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const QString site = dir.filePath(QStringLiteral("big.tillbox"));
    {
        TillboxPlugin page;
        TillboxPlugin::ProductList products;
        for (int i = 0; i < kProducts; ++i)
            products.append(makeProduct(i));
        page.setProducts(products);
        QString error;
        if (!benchpage::writeSite(site, QStringLiteral("big"), QStringLiteral("Shop"), QStringLiteral(""),
                                  page.archivedData(), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }

    const QString ours = dir.filePath(QStringLiteral("ours.csv"));
    const QString theirs = dir.filePath(QStringLiteral("python.csv"));
    const Timing oursTime = timedRun(tillbox, {QStringLiteral("csv"), site, ours});
    const Timing pythonTime = timedRun(QStringLiteral("python3"), {script, site, theirs});
    const QByteArray oursText = readAll(ours);
    const bool same = oursText == readAll(theirs);

    std::printf("site: %d products, %.1f MB; catalogue text %.1f MB\n", kProducts,
                QFileInfo(site).size() / 1e6, oursText.size() / 1e6);
    // On a shared machine the wall clock also counts time spent waiting for
    // a core; the processor time is what each program itself costs.
    std::printf("                       wall ms     cpu ms\n");
    std::printf("tillbox csv:          %8.1f   %8.1f\n", oursTime.wallMs, oursTime.cpuMs);
    std::printf("python3 plistlib+csv: %8.1f   %8.1f\n", pythonTime.wallMs, pythonTime.cpuMs);
    std::printf("ratio ours/python:    %8.2f   %8.2f   (target <= 0.50)\n", oursTime.wallMs / pythonTime.wallMs,
                oursTime.cpuMs / pythonTime.cpuMs);
    std::printf("same text:            %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
