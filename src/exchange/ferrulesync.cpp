#include "exchange/ferrulesync.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/hostclassregistry.h"
#include "plugin/plugineditor.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QImage>
#include <QLocale>

#include <cmath>
#include <limits>

namespace {

QString localized(const char *key)
{
    return TillboxPlugin::pluginBundle().localizedString(QString::fromLatin1(key));
}

// Ferrule's records are read by key, each value as the kind the contract
// expects; a value of another kind reads as absent (texts) or 0 (numbers),
// so a damaged record can never put garbage into the page.
QString stringValue(const QVariantMap &record, const char *key)
{
    const QVariant value = record.value(QString::fromLatin1(key));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

double numberValue(const QVariantMap &record, const char *key)
{
    const QVariant value = record.value(QString::fromLatin1(key));
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        number = value.toDouble();
        break;
    case QMetaType::QString: {
        bool ok = false;
        number = QLocale::c().toDouble(value.toString().trimmed(), &ok);
        if (!ok)
            number = 0;
        break;
    }
    default:
        break;
    }
    return std::isfinite(number) ? number : 0;
}

float floatValue(const QVariantMap &record, const char *key)
{
    const double number = numberValue(record, key);
    constexpr double limit = std::numeric_limits<float>::max();
    return float(std::clamp(number, -limit, limit));
}

int64_t integerValue(const QVariantMap &record, const char *key)
{
    // Truncated toward zero, as a number read as an integer.
    constexpr double limit = 9.0e18;
    return int64_t(std::clamp(numberValue(record, key), -limit, limit));
}

} // namespace

QString FerruleSync::resultMessage(int added, int updated)
{
    QString message = localized("SyncResultMessage");
    for (const int count : {added, updated}) {
        const qsizetype at = message.indexOf(QLatin1String("%d"));
        if (at < 0)
            break;
        message.replace(at, 2, QString::number(count));
    }
    return message;
}

QString FerruleSync::errorMessage()
{
    return localized("SyncRequiresFerrule");
}

void FerruleSync::applyRecord(const QVariantMap &record, TillboxProduct &target, TillboxPlugin &plugin)
{
    // A text the record lacks leaves the field as it is (a new product keeps
    // its defaults) rather than making it absent.
    const QString fileName = stringValue(record, "FileName");
    if (const QString sku = stringValue(record, "SKU"); !sku.isNull())
        target.setSKU(sku);
    if (const QString name = stringValue(record, "Name"); !name.isNull())
        target.setName(name);
    if (!fileName.isNull())
        target.setIconName(fileName);

    const QVariant icon = record.value(QStringLiteral("Icon"));
    const QVariant image = record.value(QStringLiteral("Image"));
    const bool hasImage = image.typeId() == QMetaType::QByteArray && !image.toByteArray().isEmpty();
    const bool hasIcon = icon.typeId() == QMetaType::QImage && !icon.value<QImage>().isNull();
    // A record without any picture leaves the product's picture and its name
    // alone: naming the old bytes after a file they did not come from, or
    // dropping them, would leave a product whose files disagree.
    if (hasIcon || hasImage) {
        if (hasIcon)
            target.setIcon(std::make_shared<const Picture>(icon.value<QImage>()));
        if (!fileName.isNull())
            target.setImageName(fileName);
        if (hasImage)
            target.setImage(image.toByteArray());
        else
            target.compressImageFromRaw();
    }

    const bool hasSpecialPrice = record.contains(QStringLiteral("HasSpecialPrice"));
    const float price = floatValue(record, "Price");
    const float specialPrice = hasSpecialPrice ? floatValue(record, "SpecialPrice") : 0.0f;
    target.setPrice(std::fmax(price, specialPrice));
    if (specialPrice != 0 && price != 0 && hasSpecialPrice && !target.hasCouponCode()) {
        const auto &settings = plugin.globalSettings();
        if (!settings->enableCoupons())
            settings->setEnableCoupons(true);
        target.setHasCouponCode(true);
        target.setCouponType(1);
        target.setCouponValue(std::fabs(price - specialPrice));
    }
    target.setStatus(integerValue(record, "Status") != 0 ? TillboxProduct::StatusHidden
                                                          : TillboxProduct::StatusAvailable);
}

FerruleSync::Result FerruleSync::syncFerruleProducts(TillboxPlugin &plugin)
{
    Result result;
    PluginEditor *editor = plugin.editor();
    QVariantList records;
    QObject *ferrule = HostClassRegistry::classNamed(QStringLiteral("FerrulePlugin"));
    if (!ferrule
        || !QMetaObject::invokeMethod(ferrule, "allProducts", Qt::DirectConnection,
                                      Q_RETURN_ARG(QVariantList, records))) {
        if (editor)
            editor->runAlert({localized("SyncError"), errorMessage(), localized("OK")});
        return result;
    }
    result.ferruleAvailable = true;

    for (const QVariant &entry : std::as_const(records)) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap record = entry.toMap();
        const QString sku = stringValue(record, "SKU");
        std::shared_ptr<TillboxProduct> target;
        // A record without a SKU matches nothing.
        if (!sku.isNull()) {
            for (const auto &product : plugin.products()) {
                if (!product->SKU().isNull() && product->SKU() == sku) {
                    target = product;
                    break;
                }
            }
        }
        const bool isNew = !target;
        if (isNew)
            target = TillboxProduct::create();
        else
            ++result.updated;
        applyRecord(record, *target, plugin);
        if (isNew) {
            plugin.productController().addObject(target);
            ++result.added;
        }
    }
    // The host must learn that the page changed, or the next save would not
    // know to keep what was taken over.
    if (result.added + result.updated > 0)
        plugin.broadcastPluginChanged();
    if (editor)
        editor->runAlert({localized("SyncResult"), resultMessage(result.added, result.updated), localized("OK")});
    return result;
}
