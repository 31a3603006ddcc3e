// Loads and saves a page of 10,000 products, each with three options of four
// values, and compares with libplist alone parsing and writing the same file.
// Then repeats the load with a 640x480 JPEG picture in every product: loading
// must not decode pictures that nothing has asked for.
#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "archive/keyedarchiver.h"
#include "archive/plistarray.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"

#include <QBuffer>
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

QByteArray jpegPicture()
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 640, 480);
    gradient.setColorAt(0, QColor(30, 90, 160));
    gradient.setColorAt(1, QColor(240, 200, 80));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawEllipse(QPoint(320, 240), 150, 100);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// The same picture with a comment naming the product, so that every product
// carries its own bytes (the writer would otherwise share equal data).
QByteArray withComment(const QByteArray &jpeg, int index)
{
    const QByteArray text = "product " + QByteArray::number(index);
    QByteArray segment("\xFF\xFE", 2);
    const int length = int(text.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(text);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

std::shared_ptr<TillboxPlugin> makePage(const QByteArray &picture)
{
    auto page = std::make_shared<TillboxPlugin>();
    TillboxPlugin::ProductList products;
    products.reserve(kProducts);
    for (int i = 0; i < kProducts; ++i) {
        auto product = TillboxProduct::create();
        product->setName(QStringLiteral("Product %1").arg(i));
        product->setSKU(QStringLiteral("SKU-%1").arg(i, 5, 10, QLatin1Char('0')));
        product->setPrice(9.99f + float(i % 100));
        product->setTaxRate(19.0f);
        product->setImage(picture.isNull() ? QByteArray() : withComment(picture, i));
        for (int o = 0; o < 3; ++o) {
            auto option = TillboxOption::create();
            option->setOptionName(QStringLiteral("Option %1").arg(o));
            for (int v = 0; v < 4; ++v) {
                auto value = TillboxOptionValue::create();
                value->setOptionValueName(QStringLiteral("Value %1").arg(v));
                value->setOptionValuePrice(0.5f * float(v));
                option->optionValuesArray().append(value);
            }
            product->optionsArray().append(option);
        }
        products.append(product);
    }
    page->setProducts(products);
    return page;
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

// Rebuilds a parsed tree through libplist's own constructors. A tree fresh
// from plist_from_bin has no index on its arrays, which makes plist_to_bin
// quadratic; one built like this is what a writer hands libplist.
plist_t rebuilt(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_ARRAY: {
        plist_t array = plist_new_array();
        for (plist_t item : PlistArray::items(node))
            plist_array_append_item(array, rebuilt(item));
        return array;
    }
    case PLIST_DICT: {
        plist_t dict = plist_new_dict();
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        char *key = nullptr;
        plist_t value = nullptr;
        do {
            key = nullptr;
            value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (key && value)
                plist_dict_set_item(dict, key, rebuilt(value));
            free(key);
        } while (value);
        free(it);
        return dict;
    }
    default:
        return plist_copy(node);
    }
}

double libplistWrite(const QByteArray &bytes)
{
    plist_t parsed = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &parsed);
    plist_t root = rebuilt(parsed);
    plist_free(parsed);
    const double ms = bestOf([&] {
        char *out = nullptr;
        uint32_t length = 0;
        plist_to_bin(root, &out, &length);
        plist_to_bin_free(out);
    });
    plist_free(root);
    return ms;
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 1)
        kProducts = std::atoi(argv[1]);
    if (argc > 2)
        kRuns = std::atoi(argv[2]);
    // "profile-save": only our own save, for a profiler.
    if (argc > 3 && std::strcmp(argv[3], "profile-save") == 0) {
        auto page = makePage(QByteArray());
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
            bytes = makePage(QByteArray())->archivedData();
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
        }
        bool decoded = false;
        std::printf("load %.1f ms   libplist parse %.1f ms\n", load(bytes, &decoded), libplistParse(bytes));
        return 0;
    }
    std::printf("page of %d products, 3 options of 4 values each, best of %d runs\n", kProducts, kRuns);
    {
        auto page = makePage(QByteArray());
        QByteArray bytes;
        const double save = bestOf([&] { bytes = page->archivedData(); });
        const double write = libplistWrite(bytes);
        bool decoded = false;
        const double loadMs = load(bytes, &decoded);
        const double parse = libplistParse(bytes);
        std::printf("without pictures: file %.1f MB\n", bytes.size() / 1e6);
        std::printf("  save %8.1f ms   libplist write %8.1f ms   ratio %.2f (target <= 2)\n", save, write,
                    save / write);
        std::printf("  load %8.1f ms   libplist parse %8.1f ms   ratio %.2f (target <= 2)\n", loadMs, parse,
                    loadMs / parse);
    }
    {
        auto page = makePage(jpegPicture());
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
