#include "exchange/producttransfer.h"

#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"
#include "util/customreplace.h"
#include "util/styledtext.h"

namespace {

QString stringValue(const QVariantMap &record, const char *key)
{
    const QVariant value = record.value(QString::fromLatin1(key));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

} // namespace

std::shared_ptr<TillboxProduct> ProductTransfer::handleTransfer(TillboxPlugin &plugin, const QVariantMap &record)
{
    auto product = TillboxProduct::create();
    product->setTaxRate(plugin.globalSettings()->defaultTaxRate());
    const QString name = stringValue(record, "name");
    const QString sku = stringValue(record, "SKU");
    if (!name.isNull())
        product->setName(name);
    if (!sku.isNull())
        product->setSKU(sku);
    const QString description = stringValue(record, "description");
    product->setStyledProductDescription(StyledText(description.isNull() ? QStringLiteral("") : description));

    // Stored as given, so the page keeps the file the author chose; the
    // editor's icon is decoded from the same bytes, so the two always agree.
    const QVariant image = record.value(QStringLiteral("image"));
    if (image.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = image.toByteArray();
        const Picture picture(bytes);
        if (!picture.isNull()) {
            const QByteArray format = picture.format() == "jpeg" ? QByteArray("jpg") : picture.format();
            const QString base = !product->SKU().isEmpty() ? product->SKU()
                                 : !product->name().isEmpty() ? product->name()
                                                               : QStringLiteral("picture");
            product->setImageName(CustomReplace::webSafe(base) + QLatin1Char('.') + QString::fromLatin1(format));
            product->setImage(bytes);
        }
    }

    plugin.productController().addObject(product);
    plugin.handleCurrencyChange();
    plugin.broadcastPluginChanged();
    return product;
}
