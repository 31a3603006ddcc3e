#include "exchange/productimageexport.h"

#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"
#include "util/atomicfile.h"
#include "util/customreplace.h"

#include <QDebug>
#include <QDir>

ProductImageExport::Summary ProductImageExport::exportProductImages(const QString &chosenFolder, const Log &log)
{
    return exportProductImages(ProductRegistry::allOrderedProducts(), chosenFolder, log);
}

ProductImageExport::Summary ProductImageExport::exportProductImages(const ProductList &products,
                                                                    const QString &chosenFolder, const Log &log)
{
    Summary summary;
    const auto report = [&](const QString &line) {
        ++summary.skipped;
        if (log)
            log(line);
        else
            qWarning().noquote() << line;
    };
    const QString folder = QDir(chosenFolder).filePath(folderName());
    for (const auto &product : products) {
        if (product->SKU().isEmpty()) {
            report(QStringLiteral("Tillbox: invalid SKU."));
            continue;
        }
        // Made again for each product: one that disappears midway only costs
        // the products written while it was gone.
        if (!QDir().mkpath(folder)) {
            report(QStringLiteral("Tillbox: error creating directory: cannot create %1.").arg(folder));
            continue;
        }
        const QString fileName = CustomReplace::webSafe(product->imageName());
        // "." and ".." survive the web-safe form but name folders, not files.
        if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String("..")) {
            report(QStringLiteral("Tillbox: invalid image name."));
            continue;
        }
        if (product->image().isEmpty())
            continue;
        QString error;
        if (!AtomicFile::write(QDir(folder).filePath(fileName), product->image(),
                               &error)) {
            report(QStringLiteral("Tillbox: error exporting image: %1.").arg(error));
            continue;
        }
        ++summary.written;
    }
    return summary;
}
