#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class TillboxProduct;

// Writes every product's picture, exactly as stored, into the folder
// "Tillbox images" inside a folder the author chose, each under the web-safe
// form of its imageName. Products go in the registry's SKU order, so of two
// products with the same image name the later one's bytes remain. A product
// that cannot be written is logged and skipped; the others go on.
class ProductImageExport
{
public:
    using ProductList = QList<std::shared_ptr<TillboxProduct>>;
    // Receives each problem as one line beginning "Tillbox: ".
    using Log = std::function<void(const QString &line)>;

    struct Summary
    {
        int written = 0;
        int skipped = 0; // logged problems
    };

    static QString folderName() { return QStringLiteral("Tillbox images"); }

    // Every product of every open shop page; problems go to the system log
    // unless log is given.
    static Summary exportProductImages(const QString &chosenFolder, const Log &log = {});
    static Summary exportProductImages(const ProductList &products, const QString &chosenFolder, const Log &log = {});
};
