#include "catalogue/tillboxproduct.h"

#include "util/customreplace.h"

#include "archive/keyedarchiver.h"
#include "catalogue/tillboxproductoption.h"
#include "images/imagenormalizer.h"
#include "host/bundle.h"
#include "catalogue/productregistry.h"
#include "archive/recordfieldtable.h"

#include <QJsonArray>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Read only: the forms older pages stored.
constexpr char kLegacyIcon[] = "Icon";
constexpr char kLegacyDescription[] = "Description";

// The two option sets of older pages, numbered 1 and 2.
struct LegacyOptionSetKeys
{
    const char *label;
    const char *hasSet;    // middle form
    const char *entries;   // middle form: TillboxProductOption records
    const char *typeIndex; // middle form
    const char *names;     // oldest form: plain strings
};
constexpr LegacyOptionSetKeys kLegacySets[2] = {
    {"OptionSet1Label", "HasOptionSet1", "OptionSet1Array", "OptionSet1TypeIndex", "OptionSet1"},
    {"OptionSet2Label", "HasOptionSet2", "OptionSet2Array", "OptionSet2TypeIndex", "OptionSet2"},
};

constexpr qint64 kDefaultCouponDuration = 5184000; // 60 days, in seconds

// One "_" for each character (code point, not UTF-16 unit) that is not a
// letter, mark or digit; runs are not collapsed.
QString sanitisedIconName(const QString &name)
{
    if (name.isEmpty())
        return name;
    return CustomReplace::replacingCharacters(name, CustomReplace::isLetterMarkOrDigit, QLatin1Char('_'));
}

std::shared_ptr<const Picture> pictureFromData(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return nullptr;
    auto picture = std::make_shared<const Picture>(bytes);
    return picture->isNull() ? nullptr : picture;
}

} // namespace

#define PRODUCT_SLOT(member) FIELD_SLOT(TillboxProduct, member)


// Declaration order is archive order. Migrated rows go through the setters in
// initWithCoder() (the registry, clamping, the picture, older forms).
const RecordFieldTable &TillboxProduct::fieldTable()
{
    using K = ValueKind;
    static const RecordFieldTable table({
        // The ID and the SKU are the registry's: a copy gets its own.
        notCopied(migrated({"productID", "ProductID", K::IntNumber, PRODUCT_SLOT(m_productID)})),
        migrated({"iconName", "IconName", K::Object, PRODUCT_SLOT(m_iconName)}),
        migrated({"iconWidth", "IconWidth", K::IntNumber, PRODUCT_SLOT(m_iconWidth)}),
        {"iconHeight", "IconHeight", K::IntNumber, PRODUCT_SLOT(m_iconHeight)},
        migrated({"image", "Image", K::Object, PRODUCT_SLOT(m_image)}),
        inGroup("Image", {"imageName", "ImageName", K::Object, PRODUCT_SLOT(m_imageName)}),
        {"hasDropShadow", "HasDropShadow", K::BoolNumber, PRODUCT_SLOT(m_hasDropShadow)},
        {"name", "Name", K::Object, PRODUCT_SLOT(m_name)},
        notCopied(migrated({"SKU", "SKU", K::Object, PRODUCT_SLOT(m_SKU)})),
        {"useHtmlDescription", "UseHtmlDescription", K::BoolNumber, PRODUCT_SLOT(m_useHtmlDescription)},
        ifPresent(
            {"styledProductDescription", "StyledDescription", K::Object, PRODUCT_SLOT(m_styledProductDescription)}),
        {"htmlProductDescription", "HtmlProductDescription", K::Object, PRODUCT_SLOT(m_htmlProductDescription)},
        ifPresent({"optionsArray", "OptionsArray", K::Object,
                   OBJECT_SLOT(TillboxProduct, m_optionsArray, objectListFieldOps<TillboxOption>())}),
        {"price", "Price", K::FloatNumber, PRODUCT_SLOT(m_price)},
        {"hasSpecialPrice", "HasSpecialPrice", K::BoolNumber, PRODUCT_SLOT(m_hasSpecialPrice)},
        {"specialPrice", "SpecialPrice", K::FloatNumber, PRODUCT_SLOT(m_specialPrice)},
        {"taxRate", "TaxRate", K::FloatNumber, PRODUCT_SLOT(m_taxRate)},
        // Pages from before shipping was per product stay without it.
        ifPresent({"hasShipping", "HasShipping", K::BoolNumber, PRODUCT_SLOT(m_hasShipping)}),
        {"shipping", "Shipping", K::FloatNumber, PRODUCT_SLOT(m_shipping)},
        {"additionalItemShipping", "AdditionalItemShipping", K::FloatNumber, PRODUCT_SLOT(m_additionalItemShipping)},
        // The coupon keys came as one group; pages from before it have no coupon.
        inGroup("HasCouponCode", {"hasCouponCode", "HasCouponCode", K::BoolNumber, PRODUCT_SLOT(m_hasCouponCode)}),
        inGroup("HasCouponCode", {"couponCode", "CouponCode", K::Object, PRODUCT_SLOT(m_couponCode)}),
        inGroup("HasCouponCode",
                {"couponDescription", "CouponDescription", K::Object, PRODUCT_SLOT(m_couponDescription)}),
        inGroup("HasCouponCode", {"couponValue", "CouponValue", K::FloatNumber, PRODUCT_SLOT(m_couponValue)}),
        // Stored pages hold the coupon type as a real; it is read back truncated.
        inGroup("HasCouponCode", {"couponType", "CouponType", K::FloatNumber, PRODUCT_SLOT(m_couponType)}),
        inGroup("HasCouponCode", {"couponStart", "CouponStart", K::Object, PRODUCT_SLOT(m_couponStart)}),
        inGroup("HasCouponCode", {"couponEnd", "CouponEnd", K::Object, PRODUCT_SLOT(m_couponEnd)}),
        {"purchaseLimit", "PurchaseLimit", K::IntNumber, PRODUCT_SLOT(m_purchaseLimit)},
        {"status", "Status", K::IntNumber, PRODUCT_SLOT(m_status)},
        {"weight", "Weight", K::FloatNumber, PRODUCT_SLOT(m_weight)},
    });
    return table;
}

#undef PRODUCT_SLOT

TillboxProduct::TillboxProduct(Passkey)
{
}

TillboxProduct::~TillboxProduct() = default;

template <class T>
void TillboxProduct::assign(T &member, const T &value)
{
    if (!storeFieldValue(member, value))
        return;
    Q_EMIT valueChanged(fieldTable().byStorage(this, &member).changeKey());
}

std::shared_ptr<TillboxProduct> TillboxProduct::create()
{
    auto product = std::make_shared<TillboxProduct>(Passkey());
    Bundle &bundle = Bundle::plugin();
    product->setProductID(ProductRegistry::productIDwithProposedID(0));
    product->setIconName(QStringLiteral(""));
    product->setIconWidth(64);
    product->setIconHeight(64);
    // Until the resource exists the product simply has no picture.
    product->setImage(bundle.imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray()));
    product->setImageName(QStringLiteral("iconItem.png"));
    product->setName(bundle.localizedString(QStringLiteral("NewProduct")));
    product->setSKU(QStringLiteral(""));
    product->setStyledProductDescription(StyledText());
    product->setHtmlProductDescription(QStringLiteral(""));
    product->setHasShipping(true);
    product->setOptionsArray({});
    product->setCouponValue(10.0f);
    const QDateTime now = QDateTime::currentDateTime();
    product->setCouponStart(now);
    product->setCouponEnd(now.addSecs(kDefaultCouponDuration));
    return product;
}

std::shared_ptr<TillboxProduct> TillboxProduct::copy() const
{
    auto product = create();
    fieldTable().copyFields(this, product.get());
    product->m_icon = m_icon;
    product->setSKU(m_SKU);
    return product;
}

std::shared_ptr<TillboxProduct> TillboxProduct::snapshot() const
{
    auto product = std::make_shared<TillboxProduct>(Passkey());
    fieldTable().copyFields(this, product.get());
    product->m_icon = m_icon;
    product->m_productID = m_productID;
    product->m_SKU = m_SKU;
    return product;
}

QStringList TillboxProduct::archiveClassNames()
{
    return {QStringLiteral("TillboxProduct"), QStringLiteral("NSObject")};
}

void TillboxProduct::encodeWithCoder(KeyedArchiver &coder) const
{
    fieldTable().encode(coder, this);
}

std::shared_ptr<TillboxProduct> TillboxProduct::initWithCoder(KeyedUnarchiver &coder)
{
    auto product = std::make_shared<TillboxProduct>(Passkey());
    TillboxProduct &p = *product;
    fieldTable().decode(coder, product.get());

    p.setProductID(ProductRegistry::productIDwithProposedID(coder.decodeInt32("ProductID")));
    p.setIconName(coder.decodeString("IconName"));
    p.setIconWidth(coder.decodeInt32("IconWidth"));
    // The picture derives the height from the width set above.
    if (coder.containsValueForKey("Image")) {
        p.setImage(coder.decodeData("Image"));
    } else {
        // The oldest pages stored the picture object itself.
        p.setIcon(pictureFromData(coder.decodeImageData(kLegacyIcon)));
        p.compressImageFromRaw();
    }
    p.setSKU(coder.decodeString("SKU"));

    if (!coder.containsValueForKey("StyledDescription") && coder.containsValueForKey(kLegacyDescription)) {
        const QString plain = coder.decodeString(kLegacyDescription);
        if (!plain.isNull())
            p.setStyledProductDescription(StyledText(plain));
    }
    if (!coder.containsValueForKey("OptionsArray"))
        p.loadLegacyOptions(coder);
    return product;
}

// Older pages held up to two option sets of named entries with a price each.
// Each used set becomes one option: a value list when it had a type index,
// else a one-line text; its entries become the values.
void TillboxProduct::loadLegacyOptions(KeyedUnarchiver &coder)
{
    struct LegacySet
    {
        QString label;
        bool used = false;
        QList<std::shared_ptr<TillboxProductOption>> entries;
        int64_t typeIndex = 0;
    };
    LegacySet sets[2];

    // The middle form stored entry records with an explicit flag and type;
    // the oldest form plain entry names only.
    const bool middleForm = coder.containsValueForKey(kLegacySets[0].entries);
    for (int i = 0; i < 2; ++i) {
        const LegacyOptionSetKeys &keys = kLegacySets[i];
        LegacySet &set = sets[i];
        set.label = coder.decodeString(keys.label);
        if (middleForm) {
            set.used = coder.decodeBool(keys.hasSet);
            set.entries = coder.decodeObjectList<TillboxProductOption>(keys.entries)
                              .value_or(QList<std::shared_ptr<TillboxProductOption>>());
            set.typeIndex = coder.decodeInteger(keys.typeIndex);
            continue;
        }
        const QStringList names = coder.decodeStringList(keys.names).value_or(QStringList());
        for (const QString &entryName : names) {
            auto entry = std::make_shared<TillboxProductOption>();
            entry->setOptionName(entryName);
            set.entries.append(entry);
        }
        set.typeIndex = names.isEmpty() ? 0 : 1;
        // An empty label marks an unused set. A set with neither a label nor
        // entries is unused as well: taking it would put a nameless text
        // input on the page.
        set.used = set.label.isNull() ? !set.entries.isEmpty() : !set.label.isEmpty();
    }

    for (const LegacySet &set : sets) {
        if (!set.used)
            continue;
        auto option = std::make_shared<TillboxOption>();
        option->setOptionName(set.label);
        option->setOptionTypeTag(set.typeIndex != 0 ? TillboxOption::ValueListTag : TillboxOption::OneLineTextTag);
        TillboxOption::ValueList values;
        for (const auto &entry : set.entries) {
            auto value = std::make_shared<TillboxOptionValue>();
            value->setOptionValueName(entry->optionName());
            value->setOptionValuePrice(entry->optionPrice());
            values.append(value);
        }
        option->setOptionValuesArray(values);
        m_optionsArray.append(option);
    }
}

QJsonObject TillboxProduct::toJson() const
{
    QJsonObject json = fieldTable().toJson(this);
    // The decoded picture is derived from the stored bytes; only its size is shown.
    json.insert(QStringLiteral("icon"), m_icon ? QJsonValue(QJsonArray{m_icon->width(), m_icon->height()})
                                               : QJsonValue(QJsonValue::Null));
    return json;
}

void TillboxProduct::setProductID(int32_t productID)
{
    assign(m_productID, productID);
}

void TillboxProduct::setIcon(const std::shared_ptr<const Picture> &icon)
{
    if (m_icon != icon) {
        m_icon = icon;
        Q_EMIT valueChanged(QStringLiteral("icon"));
    }
    setIconWidth(m_iconWidth);
}

void TillboxProduct::setIconName(const QString &iconName)
{
    assign(m_iconName, sanitisedIconName(iconName));
}

void TillboxProduct::setIconWidth(int32_t iconWidth)
{
    assign(m_iconWidth, std::clamp(iconWidth, TBXMinIconSize, TBXMaxIconSize));
    if (!m_icon || m_icon->width() <= 0)
        return;
    // Multiplying first keeps whole results exact (64 x 480 / 640 is 48, not 47.99...).
    const double height = std::trunc(double(m_iconWidth) * double(m_icon->height()) / double(m_icon->width()));
    setIconHeight(static_cast<int32_t>(std::min(height, double(std::numeric_limits<int32_t>::max()))));
}

void TillboxProduct::setIconHeight(int32_t iconHeight)
{
    assign(m_iconHeight, iconHeight);
}

void TillboxProduct::setImage(const QByteArray &image)
{
    // The picture is always rebuilt, even for the same bytes: setIcon() may
    // have put another picture in place since.
    assign(m_image, image);
    setIcon(pictureFromData(m_image));
}

void TillboxProduct::setImageName(const QString &imageName)
{
    assign(m_imageName, imageName);
}

void TillboxProduct::compressImageFromRaw()
{
    if (!m_icon)
        return;
    const QImage pixels = m_icon->image();
    if (pixels.isNull()) {
        qWarning("Tillbox: the product picture could not be decoded.");
        return;
    }
    QString suffix;
    QString error;
    const QByteArray encoded = Picture::storedForm(pixels, &suffix, &error);
    if (encoded.isNull()) {
        qWarning("Tillbox: the product picture could not be encoded: %s", qPrintable(error));
        return;
    }
    setImageName(m_iconName + QLatin1Char('.') + suffix);
    setImage(encoded);
}

void TillboxProduct::setHasDropShadow(bool hasDropShadow)
{
    assign(m_hasDropShadow, hasDropShadow);
}

void TillboxProduct::setName(const QString &name)
{
    assign(m_name, name);
}

void TillboxProduct::setSKU(const QString &SKU)
{
    if (sameFieldValue(m_SKU, SKU))
        return;
    ProductRegistry::handleChangeForProduct(shared_from_this(), m_SKU, SKU);
    m_SKU = SKU;
    Q_EMIT valueChanged(QStringLiteral("SKU"));
}

void TillboxProduct::setUseHtmlDescription(bool useHtmlDescription)
{
    assign(m_useHtmlDescription, useHtmlDescription);
}

void TillboxProduct::setStyledProductDescription(const std::optional<StyledText> &description)
{
    assign(m_styledProductDescription, description);
}

void TillboxProduct::setHtmlProductDescription(const QString &description)
{
    assign(m_htmlProductDescription, description);
}

void TillboxProduct::setOptionsArray(const OptionList &options)
{
    assign(m_optionsArray, options);
}

void TillboxProduct::setPrice(float price)
{
    assign(m_price, price);
}

void TillboxProduct::setHasSpecialPrice(bool hasSpecialPrice)
{
    assign(m_hasSpecialPrice, hasSpecialPrice);
}

void TillboxProduct::setSpecialPrice(float specialPrice)
{
    assign(m_specialPrice, specialPrice);
}

void TillboxProduct::setTaxRate(float taxRate)
{
    assign(m_taxRate, taxRate);
}

void TillboxProduct::setHasShipping(bool hasShipping)
{
    assign(m_hasShipping, hasShipping);
}

void TillboxProduct::setShipping(float shipping)
{
    assign(m_shipping, shipping);
}

void TillboxProduct::setAdditionalItemShipping(float shipping)
{
    assign(m_additionalItemShipping, shipping);
}

void TillboxProduct::setHasCouponCode(bool hasCouponCode)
{
    assign(m_hasCouponCode, hasCouponCode);
}

void TillboxProduct::setCouponCode(const QString &couponCode)
{
    assign(m_couponCode, couponCode);
}

void TillboxProduct::setCouponDescription(const QString &couponDescription)
{
    assign(m_couponDescription, couponDescription);
}

void TillboxProduct::setCouponValue(float couponValue)
{
    assign(m_couponValue, couponValue);
}

void TillboxProduct::setCouponType(int32_t couponType)
{
    assign(m_couponType, couponType);
}

void TillboxProduct::setCouponStart(const std::optional<QDateTime> &couponStart)
{
    assign(m_couponStart, couponStart);
}

void TillboxProduct::setCouponEnd(const std::optional<QDateTime> &couponEnd)
{
    assign(m_couponEnd, couponEnd);
}

void TillboxProduct::setPurchaseLimit(int32_t purchaseLimit)
{
    assign(m_purchaseLimit, purchaseLimit);
}

void TillboxProduct::setStatus(int32_t status)
{
    assign(m_status, status);
}

void TillboxProduct::setWeight(float weight)
{
    assign(m_weight, weight);
}

int32_t TillboxProduct::normaliseImages(const QList<std::shared_ptr<TillboxProduct>> &products, int threshold)
{
    int32_t replaced = 0;
    for (const std::shared_ptr<TillboxProduct> &product : products) {
        if (!product)
            continue;
        const std::shared_ptr<const Picture> icon = product->icon();
        if (!icon)
            continue;
        const std::shared_ptr<const Picture> normalized = ImageNormalizer::normalizeImage(icon, threshold, false);
        if (normalized == icon)
            continue;
        product->setIcon(normalized);
        product->compressImageFromRaw();
        ++replaced;
    }
    return replaced;
}

QVariant TillboxProduct::fieldValue(QStringView name) const
{
    return fieldTable().byName(name).value(this);
}

void TillboxProduct::setFieldValue(QStringView name, const QVariant &value)
{
    // Setters that do more than store.
    if (name == u"SKU")
        return setSKU(value.toString());
    if (name == u"iconName")
        return setIconName(value.toString());
    if (name == u"iconWidth")
        return setIconWidth(value.toInt());
    if (name == u"image")
        return setImage(value.toByteArray());
    const RecordField &row = fieldTable().byName(name);
    if (row.store(this, value))
        Q_EMIT valueChanged(row.changeKey());
}
