#pragma once

// The benchmarks' big shop: a page of products, each with three options of
// four values, and optionally its own copy of a picture.
#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "host/sitedocument.h"
#include "plugin/tillboxplugin.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <memory>

#include <sys/resource.h>

namespace benchpage {

// A photo-like JPEG (a gradient with an ellipse) of the given size, quality 90.
inline QByteArray gradientJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(30, 90, 160));
    gradient.setColorAt(1, QColor(240, 200, 80));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawEllipse(QPoint(width / 2, height / 2), width * 15 / 64, height * 5 / 24);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// The same picture with a comment naming the product, so that every product
// carries its own bytes (the writer would otherwise share equal data).
inline QByteArray withComment(const QByteArray &jpeg, int index)
{
    const QByteArray text = "product " + QByteArray::number(index);
    QByteArray segment("\xFF\xFE", 2);
    const int length = int(text.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(text);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

inline std::shared_ptr<TillboxPlugin> makePage(int kProducts, const QByteArray &picture = QByteArray())
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

// CPU seconds (user + system) used so far by this process (RUSAGE_SELF) or
// its waited-for children (RUSAGE_CHILDREN); less sensitive than wall time
// to other load on the machine.
inline double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Saves a site document at path holding one shop page with that stored data.
[[nodiscard]] inline bool writeSite(const QString &path, const QString &siteName, const QString &title,
                                    const QString &location, const QByteArray &pluginData, QString *error)
{
    SiteDocument document;
    document.setSiteName(siteName);
    SitePage page;
    page.uniqueID = SiteDocument::newUniqueID();
    page.title = title;
    page.location = location;
    page.pluginData = pluginData;
    return document.addPage(page, error) && document.save(path, error);
}

} // namespace benchpage
