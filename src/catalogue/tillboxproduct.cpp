#include "catalogue/tillboxproduct.h"

#include "util/customreplace.h"

#include "archive/keyedarchiver.h"
#include "catalogue/tillboxproductoption.h"
#include "host/bundle.h"
#include "plugin/productregistry.h"
#include "util/jsonvalues.h"

#include <QBuffer>
#include <QImageWriter>
#include <QJsonArray>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Archive keys, in the order they are written.
namespace Key {
constexpr char ProductID[] = "ProductID";
constexpr char IconName[] = "IconName";
constexpr char IconWidth[] = "IconWidth";
constexpr char IconHeight[] = "IconHeight";
constexpr char Image[] = "Image";
constexpr char ImageName[] = "ImageName";
constexpr char HasDropShadow[] = "HasDropShadow";
constexpr char Name[] = "Name";
constexpr char SKU[] = "SKU";
constexpr char UseHtmlDescription[] = "UseHtmlDescription";
constexpr char StyledDescription[] = "StyledDescription";
constexpr char HtmlProductDescription[] = "HtmlProductDescription";
constexpr char OptionsArray[] = "OptionsArray";
constexpr char Price[] = "Price";
constexpr char HasSpecialPrice[] = "HasSpecialPrice";
constexpr char SpecialPrice[] = "SpecialPrice";
constexpr char TaxRate[] = "TaxRate";
constexpr char HasShipping[] = "HasShipping";
constexpr char Shipping[] = "Shipping";
constexpr char AdditionalItemShipping[] = "AdditionalItemShipping";
constexpr char HasCouponCode[] = "HasCouponCode";
constexpr char CouponCode[] = "CouponCode";
constexpr char CouponDescription[] = "CouponDescription";
constexpr char CouponValue[] = "CouponValue";
constexpr char CouponType[] = "CouponType";
constexpr char CouponStart[] = "CouponStart";
constexpr char CouponEnd[] = "CouponEnd";
constexpr char PurchaseLimit[] = "PurchaseLimit";
constexpr char Status[] = "Status";
constexpr char Weight[] = "Weight";

// Read only: the forms older pages stored.
constexpr char Icon[] = "Icon";
constexpr char Description[] = "Description";
} // namespace Key

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

// Qt finds a null QString equal to "", and a null byte array equal to an
// empty one; records keep that difference.
bool sameValue(const QString &a, const QString &b)
{
    return a.isNull() == b.isNull() && a == b;
}
bool sameValue(const QByteArray &a, const QByteArray &b)
{
    if (a.isNull() != b.isNull() || a.size() != b.size())
        return false;
    return a.constData() == b.constData() || a == b;
}
template <class T>
bool sameValue(const T &a, const T &b)
{
    return a == b;
}

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

TillboxProduct::TillboxProduct(Passkey)
{
}

TillboxProduct::~TillboxProduct() = default;

template <class T>
void TillboxProduct::assign(T &field, const T &value, const char *key)
{
    if (sameValue(field, value))
        return;
    field = value;
    Q_EMIT valueChanged(QString::fromLatin1(key));
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
    product->setIconName(m_iconName);
    product->setIconWidth(m_iconWidth);
    product->setIconHeight(m_iconHeight);
    product->setImage(m_image);
    product->setImageName(m_imageName);
    product->setHasDropShadow(m_hasDropShadow);
    product->setName(m_name);
    product->setSKU(m_SKU);
    product->setUseHtmlDescription(m_useHtmlDescription);
    product->setStyledProductDescription(m_styledProductDescription);
    product->setHtmlProductDescription(m_htmlProductDescription);
    OptionList options;
    options.reserve(m_optionsArray.size());
    for (const auto &option : m_optionsArray) {
        if (option)
            options.append(option->copy());
    }
    product->setOptionsArray(options);
    product->setPrice(m_price);
    product->setHasSpecialPrice(m_hasSpecialPrice);
    product->setSpecialPrice(m_specialPrice);
    product->setTaxRate(m_taxRate);
    product->setHasShipping(m_hasShipping);
    product->setShipping(m_shipping);
    product->setAdditionalItemShipping(m_additionalItemShipping);
    product->setHasCouponCode(m_hasCouponCode);
    product->setCouponCode(m_couponCode);
    product->setCouponDescription(m_couponDescription);
    product->setCouponValue(m_couponValue);
    product->setCouponType(m_couponType);
    product->setCouponStart(m_couponStart);
    product->setCouponEnd(m_couponEnd);
    product->setPurchaseLimit(m_purchaseLimit);
    product->setStatus(m_status);
    product->setWeight(m_weight);
    return product;
}

QStringList TillboxProduct::archiveClassNames()
{
    return {QStringLiteral("TillboxProduct"), QStringLiteral("NSObject")};
}

void TillboxProduct::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeIntNumber(Key::ProductID, m_productID);
    coder.encodeString(Key::IconName, m_iconName);
    coder.encodeIntNumber(Key::IconWidth, m_iconWidth);
    coder.encodeIntNumber(Key::IconHeight, m_iconHeight);
    coder.encodeData(Key::Image, m_image);
    coder.encodeString(Key::ImageName, m_imageName);
    coder.encodeBoolNumber(Key::HasDropShadow, m_hasDropShadow);
    coder.encodeString(Key::Name, m_name);
    coder.encodeString(Key::SKU, m_SKU);
    coder.encodeBoolNumber(Key::UseHtmlDescription, m_useHtmlDescription);
    coder.encodeStyledText(Key::StyledDescription, m_styledProductDescription);
    coder.encodeString(Key::HtmlProductDescription, m_htmlProductDescription);
    coder.encodeObjectList(Key::OptionsArray, m_optionsArray);
    coder.encodeFloatNumber(Key::Price, m_price);
    coder.encodeBoolNumber(Key::HasSpecialPrice, m_hasSpecialPrice);
    coder.encodeFloatNumber(Key::SpecialPrice, m_specialPrice);
    coder.encodeFloatNumber(Key::TaxRate, m_taxRate);
    coder.encodeBoolNumber(Key::HasShipping, m_hasShipping);
    coder.encodeFloatNumber(Key::Shipping, m_shipping);
    coder.encodeFloatNumber(Key::AdditionalItemShipping, m_additionalItemShipping);
    coder.encodeBoolNumber(Key::HasCouponCode, m_hasCouponCode);
    coder.encodeString(Key::CouponCode, m_couponCode);
    coder.encodeString(Key::CouponDescription, m_couponDescription);
    coder.encodeFloatNumber(Key::CouponValue, m_couponValue);
    // Stored pages hold the coupon type as a real; it is read back truncated.
    coder.encodeFloatNumber(Key::CouponType, static_cast<float>(m_couponType));
    coder.encodeDate(Key::CouponStart, m_couponStart);
    coder.encodeDate(Key::CouponEnd, m_couponEnd);
    coder.encodeIntNumber(Key::PurchaseLimit, m_purchaseLimit);
    coder.encodeIntNumber(Key::Status, m_status);
    coder.encodeFloatNumber(Key::Weight, m_weight);
}

std::shared_ptr<TillboxProduct> TillboxProduct::initWithCoder(KeyedUnarchiver &coder)
{
    auto product = std::make_shared<TillboxProduct>(Passkey());
    TillboxProduct &p = *product;

    p.setProductID(ProductRegistry::productIDwithProposedID(coder.decodeInt32(Key::ProductID)));

    // Width and height first: the picture set below derives the height again.
    p.setIconName(coder.decodeString(Key::IconName));
    p.setIconWidth(coder.decodeInt32(Key::IconWidth));
    p.setIconHeight(coder.decodeInt32(Key::IconHeight));

    if (coder.containsValueForKey(Key::Image)) {
        p.setImage(coder.decodeData(Key::Image));
        p.setImageName(coder.decodeString(Key::ImageName));
    } else {
        // The oldest pages stored the picture object itself.
        p.setIcon(pictureFromData(coder.decodeImageData(Key::Icon)));
        p.compressImageFromRaw();
    }

    p.setHasDropShadow(coder.decodeBool(Key::HasDropShadow));
    p.setName(coder.decodeString(Key::Name));
    p.setSKU(coder.decodeString(Key::SKU));

    if (coder.containsValueForKey(Key::Description)) {
        const QString plain = coder.decodeString(Key::Description);
        if (!plain.isNull())
            p.setStyledProductDescription(StyledText(plain));
    }
    if (coder.containsValueForKey(Key::StyledDescription))
        p.setStyledProductDescription(coder.decodeStyledText(Key::StyledDescription));
    p.setUseHtmlDescription(coder.decodeBool(Key::UseHtmlDescription));
    p.setHtmlProductDescription(coder.decodeString(Key::HtmlProductDescription));

    if (coder.containsValueForKey(Key::OptionsArray)) {
        // A missing list reads as an empty one, so the editor has a list to add to.
        p.setOptionsArray(coder.decodeObjectList<TillboxOption>(Key::OptionsArray).value_or(OptionList()));
    } else {
        p.setOptionsArray({});
        p.loadLegacyOptions(coder);
    }

    p.setPrice(coder.decodeFloat(Key::Price));
    p.setHasSpecialPrice(coder.decodeBool(Key::HasSpecialPrice));
    p.setSpecialPrice(coder.decodeFloat(Key::SpecialPrice));
    p.setTaxRate(coder.decodeFloat(Key::TaxRate));
    // Pages from before shipping was per product stay without it.
    if (coder.containsValueForKey(Key::HasShipping))
        p.setHasShipping(coder.decodeBool(Key::HasShipping));
    p.setShipping(coder.decodeFloat(Key::Shipping));
    p.setAdditionalItemShipping(coder.decodeFloat(Key::AdditionalItemShipping));
    p.setPurchaseLimit(coder.decodeInt32(Key::PurchaseLimit));
    p.setStatus(coder.decodeInt32(Key::Status));
    p.setWeight(coder.decodeFloat(Key::Weight));

    // The coupon keys came as one group; pages from before it have no coupon.
    if (!coder.containsValueForKey(Key::HasCouponCode))
        return product;
    p.setHasCouponCode(coder.decodeBool(Key::HasCouponCode));
    p.setCouponCode(coder.decodeString(Key::CouponCode));
    p.setCouponDescription(coder.decodeString(Key::CouponDescription));
    p.setCouponValue(coder.decodeFloat(Key::CouponValue));
    p.setCouponType(coder.decodeInt32(Key::CouponType));
    p.setCouponStart(coder.decodeDate(Key::CouponStart));
    p.setCouponEnd(coder.decodeDate(Key::CouponEnd));
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
    QJsonArray options;
    for (const auto &option : m_optionsArray)
        options.append(option ? QJsonValue(option->toJson()) : QJsonValue(QJsonValue::Null));
    const QJsonValue icon = m_icon ? QJsonValue(QJsonArray{m_icon->width(), m_icon->height()})
                                   : QJsonValue(QJsonValue::Null);
    return {
        {QStringLiteral("productID"), m_productID},
        {QStringLiteral("icon"), icon},
        {QStringLiteral("iconName"), JsonValues::fromString(m_iconName)},
        {QStringLiteral("iconWidth"), m_iconWidth},
        {QStringLiteral("iconHeight"), m_iconHeight},
        {QStringLiteral("image"), JsonValues::fromData(m_image)},
        {QStringLiteral("imageName"), JsonValues::fromString(m_imageName)},
        {QStringLiteral("hasDropShadow"), m_hasDropShadow},
        {QStringLiteral("name"), JsonValues::fromString(m_name)},
        {QStringLiteral("SKU"), JsonValues::fromString(m_SKU)},
        {QStringLiteral("useHtmlDescription"), m_useHtmlDescription},
        {QStringLiteral("styledProductDescription"), JsonValues::fromStyledText(m_styledProductDescription)},
        {QStringLiteral("htmlProductDescription"), JsonValues::fromString(m_htmlProductDescription)},
        {QStringLiteral("optionsArray"), options},
        {QStringLiteral("price"), JsonValues::fromFloat(m_price)},
        {QStringLiteral("hasSpecialPrice"), m_hasSpecialPrice},
        {QStringLiteral("specialPrice"), JsonValues::fromFloat(m_specialPrice)},
        {QStringLiteral("taxRate"), JsonValues::fromFloat(m_taxRate)},
        {QStringLiteral("hasShipping"), m_hasShipping},
        {QStringLiteral("shipping"), JsonValues::fromFloat(m_shipping)},
        {QStringLiteral("additionalItemShipping"), JsonValues::fromFloat(m_additionalItemShipping)},
        {QStringLiteral("hasCouponCode"), m_hasCouponCode},
        {QStringLiteral("couponCode"), JsonValues::fromString(m_couponCode)},
        {QStringLiteral("couponDescription"), JsonValues::fromString(m_couponDescription)},
        {QStringLiteral("couponValue"), JsonValues::fromFloat(m_couponValue)},
        {QStringLiteral("couponType"), m_couponType},
        {QStringLiteral("couponStart"), JsonValues::fromDate(m_couponStart)},
        {QStringLiteral("couponEnd"), JsonValues::fromDate(m_couponEnd)},
        {QStringLiteral("purchaseLimit"), m_purchaseLimit},
        {QStringLiteral("status"), m_status},
        {QStringLiteral("weight"), JsonValues::fromFloat(m_weight)},
    };
}

void TillboxProduct::setProductID(int32_t productID)
{
    assign(m_productID, productID, "productID");
}

void TillboxProduct::setIcon(const std::shared_ptr<const Picture> &icon)
{
    assign(m_icon, icon, "icon");
    setIconWidth(m_iconWidth);
}

void TillboxProduct::setIconName(const QString &iconName)
{
    assign(m_iconName, sanitisedIconName(iconName), "iconName");
}

void TillboxProduct::setIconWidth(int32_t iconWidth)
{
    assign(m_iconWidth, std::clamp(iconWidth, TBXMinIconSize, TBXMaxIconSize), "iconWidth");
    if (!m_icon || m_icon->width() <= 0)
        return;
    // Multiplying first keeps whole results exact (64 x 480 / 640 is 48, not 47.99...).
    const double height = std::trunc(double(m_iconWidth) * double(m_icon->height()) / double(m_icon->width()));
    setIconHeight(static_cast<int32_t>(std::min(height, double(std::numeric_limits<int32_t>::max()))));
}

void TillboxProduct::setIconHeight(int32_t iconHeight)
{
    assign(m_iconHeight, iconHeight, "iconHeight");
}

void TillboxProduct::setImage(const QByteArray &image)
{
    // The picture is always rebuilt, even for the same bytes: setIcon() may
    // have put another picture in place since.
    assign(m_image, image, "image");
    setIcon(pictureFromData(m_image));
}

void TillboxProduct::setImageName(const QString &imageName)
{
    assign(m_imageName, imageName, "imageName");
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
    const bool png = pixels.hasAlphaChannel();
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, png ? "png" : "jpeg");
    if (!png)
        writer.setQuality(90);
    if (!writer.write(pixels)) {
        qWarning("Tillbox: the product picture could not be encoded: %s", qPrintable(writer.errorString()));
        return;
    }
    setImageName(m_iconName + (png ? QStringLiteral(".png") : QStringLiteral(".jpg")));
    setImage(encoded);
}

void TillboxProduct::setHasDropShadow(bool hasDropShadow)
{
    assign(m_hasDropShadow, hasDropShadow, "hasDropShadow");
}

void TillboxProduct::setName(const QString &name)
{
    assign(m_name, name, "name");
}

void TillboxProduct::setSKU(const QString &SKU)
{
    if (sameValue(m_SKU, SKU))
        return;
    ProductRegistry::handleChangeForProduct(shared_from_this(), m_SKU, SKU);
    m_SKU = SKU;
    Q_EMIT valueChanged(QStringLiteral("SKU"));
}

void TillboxProduct::setUseHtmlDescription(bool useHtmlDescription)
{
    assign(m_useHtmlDescription, useHtmlDescription, "useHtmlDescription");
}

void TillboxProduct::setStyledProductDescription(const std::optional<StyledText> &description)
{
    assign(m_styledProductDescription, description, "styledProductDescription");
}

void TillboxProduct::setHtmlProductDescription(const QString &description)
{
    assign(m_htmlProductDescription, description, "htmlProductDescription");
}

void TillboxProduct::setOptionsArray(const OptionList &options)
{
    assign(m_optionsArray, options, "optionsArray");
}

void TillboxProduct::setPrice(float price)
{
    assign(m_price, price, "price");
}

void TillboxProduct::setHasSpecialPrice(bool hasSpecialPrice)
{
    assign(m_hasSpecialPrice, hasSpecialPrice, "hasSpecialPrice");
}

void TillboxProduct::setSpecialPrice(float specialPrice)
{
    assign(m_specialPrice, specialPrice, "specialPrice");
}

void TillboxProduct::setTaxRate(float taxRate)
{
    assign(m_taxRate, taxRate, "taxRate");
}

void TillboxProduct::setHasShipping(bool hasShipping)
{
    assign(m_hasShipping, hasShipping, "hasShipping");
}

void TillboxProduct::setShipping(float shipping)
{
    assign(m_shipping, shipping, "shipping");
}

void TillboxProduct::setAdditionalItemShipping(float shipping)
{
    assign(m_additionalItemShipping, shipping, "additionalItemShipping");
}

void TillboxProduct::setHasCouponCode(bool hasCouponCode)
{
    assign(m_hasCouponCode, hasCouponCode, "hasCouponCode");
}

void TillboxProduct::setCouponCode(const QString &couponCode)
{
    assign(m_couponCode, couponCode, "couponCode");
}

void TillboxProduct::setCouponDescription(const QString &couponDescription)
{
    assign(m_couponDescription, couponDescription, "couponDescription");
}

void TillboxProduct::setCouponValue(float couponValue)
{
    assign(m_couponValue, couponValue, "couponValue");
}

void TillboxProduct::setCouponType(int32_t couponType)
{
    assign(m_couponType, couponType, "couponType");
}

void TillboxProduct::setCouponStart(const std::optional<QDateTime> &couponStart)
{
    assign(m_couponStart, couponStart, "couponStart");
}

void TillboxProduct::setCouponEnd(const std::optional<QDateTime> &couponEnd)
{
    assign(m_couponEnd, couponEnd, "couponEnd");
}

void TillboxProduct::setPurchaseLimit(int32_t purchaseLimit)
{
    assign(m_purchaseLimit, purchaseLimit, "purchaseLimit");
}

void TillboxProduct::setStatus(int32_t status)
{
    assign(m_status, status, "status");
}

void TillboxProduct::setWeight(float weight)
{
    assign(m_weight, weight, "weight");
}
