#pragma once

#include "catalogue/tillboxoption.h"
#include "images/picture.h"
#include "util/styledtext.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class KeyedArchiver;
class KeyedUnarchiver;
class RecordFieldTable;

// Bounds of a product's thumbnail width, in pixels.
inline constexpr int32_t TBXMinIconSize = 16;
inline constexpr int32_t TBXMaxIconSize = 512;

// One article of a shop page's catalogue.
//
// Products live in std::shared_ptr only: the process-wide registry
// (ProductRegistry) keeps them by SKU, and a product hands itself to it while
// it is being set up. Make them with create(), initWithCoder() or copy().
//
// Every product takes an ID from the registry when it is made, and reports
// each change of its SKU to it.
//
// Setters return early when the value does not change; otherwise they store
// and emit valueChanged() with the field's name ("SKU", "price", ...).
// Strings keep the difference between absent (null) and empty.
class TillboxProduct : public QObject, public std::enable_shared_from_this<TillboxProduct>
{
    Q_OBJECT

    struct Passkey
    {
        explicit Passkey() = default;
    };

public:
    using OptionList = QList<std::shared_ptr<TillboxOption>>;

    // Status values.
    static constexpr int32_t StatusAvailable = 0;
    static constexpr int32_t StatusOutOfStock = 1;
    static constexpr int32_t StatusHidden = 2;

    // Private in effect: the Passkey can only be made by the class itself.
    explicit TillboxProduct(Passkey);
    ~TillboxProduct() override;

    // A new product: a fresh ID, the bundle picture "iconItem", the localized
    // name "NewProduct", SKU "" (registered), shipping on, coupon value 10 and
    // a coupon valid from now for 60 days.
    static std::shared_ptr<TillboxProduct> create();
    // A deep copy under a fresh ID; options and values are copied, not shared.
    // The copy takes over the registry entry of the SKU.
    std::shared_ptr<TillboxProduct> copy() const;
    // An unregistered copy with the same ID and SKU, for reading elsewhere
    // (an export of a page on another thread) while the original is edited.
    std::shared_ptr<TillboxProduct> snapshot() const;

    // Normalises every product's picture without shadow, in list order. Each
    // product whose picture was replaced gets it through setIcon() and is
    // re-encoded with compressImageFromRaw(). Products without a picture are
    // skipped. Returns how many were replaced; sending the change broadcast is
    // the caller's part.
    static int32_t normaliseImages(const QList<std::shared_ptr<TillboxProduct>> &products, int threshold);

    static QStringList archiveClassNames();
    void encodeWithCoder(KeyedArchiver &coder) const;
    // Loads any stored form, converting older option, picture and description
    // keys. The stored ID is kept when it is free.
    static std::shared_ptr<TillboxProduct> initWithCoder(KeyedUnarchiver &coder);

    // Every field under its own name; "icon" is [width, height] in pixels or null.
    QJsonObject toJson() const;

    int32_t productID() const { return m_productID; }
    void setProductID(int32_t productID);

    // The decoded picture; null when there is none or the bytes do not decode.
    std::shared_ptr<const Picture> icon() const { return m_icon; }
    // Stores the picture and re-applies setIconWidth() so the height follows it.
    void setIcon(const std::shared_ptr<const Picture> &icon);

    const QString &iconName() const { return m_iconName; }
    // Every character that is not a letter, mark or digit becomes "_".
    void setIconName(const QString &iconName);

    int32_t iconWidth() const { return m_iconWidth; }
    // Clamps to TBXMinIconSize..TBXMaxIconSize and derives iconHeight from the
    // picture's proportions. Without a picture (or with one of zero width) the
    // height is left as it is; the next picture sets it.
    void setIconWidth(int32_t iconWidth);
    int32_t iconHeight() const { return m_iconHeight; }
    // Stores plainly, without clamping.
    void setIconHeight(int32_t iconHeight);

    // The encoded picture file as stored in the page.
    const QByteArray &image() const { return m_image; }
    // Shares the bytes and rebuilds icon (and so iconHeight) from them.
    void setImage(const QByteArray &image);
    const QString &imageName() const { return m_imageName; }
    void setImageName(const QString &imageName);

    // Re-encodes icon as the stored picture: PNG when it has an alpha channel,
    // otherwise JPEG at quality 90; imageName becomes iconName plus ".png" or
    // ".jpg". Does nothing when there is no decodable picture.
    void compressImageFromRaw();

    bool hasDropShadow() const { return m_hasDropShadow; }
    void setHasDropShadow(bool hasDropShadow);

    const QString &name() const { return m_name; }
    void setName(const QString &name);

    const QString &SKU() const { return m_SKU; }
    // Reports the change to the registry first, then stores.
    void setSKU(const QString &SKU);

    bool useHtmlDescription() const { return m_useHtmlDescription; }
    void setUseHtmlDescription(bool useHtmlDescription);
    const std::optional<StyledText> &styledProductDescription() const { return m_styledProductDescription; }
    void setStyledProductDescription(const std::optional<StyledText> &description);
    const QString &htmlProductDescription() const { return m_htmlProductDescription; }
    void setHtmlProductDescription(const QString &description);

    // The options in display order. The mutable overload lets editors change
    // the list in place (without notification).
    const OptionList &optionsArray() const { return m_optionsArray; }
    OptionList &optionsArray() { return m_optionsArray; }
    void setOptionsArray(const OptionList &options);

    float price() const { return m_price; }
    void setPrice(float price);
    bool hasSpecialPrice() const { return m_hasSpecialPrice; }
    void setHasSpecialPrice(bool hasSpecialPrice);
    float specialPrice() const { return m_specialPrice; }
    void setSpecialPrice(float specialPrice);
    // In percent: 19 means 19 %.
    float taxRate() const { return m_taxRate; }
    void setTaxRate(float taxRate);

    bool hasShipping() const { return m_hasShipping; }
    void setHasShipping(bool hasShipping);
    float shipping() const { return m_shipping; }
    void setShipping(float shipping);
    float additionalItemShipping() const { return m_additionalItemShipping; }
    void setAdditionalItemShipping(float shipping);

    bool hasCouponCode() const { return m_hasCouponCode; }
    void setHasCouponCode(bool hasCouponCode);
    const QString &couponCode() const { return m_couponCode; }
    void setCouponCode(const QString &couponCode);
    const QString &couponDescription() const { return m_couponDescription; }
    void setCouponDescription(const QString &couponDescription);
    // A percentage when couponType is 0, else an amount in the shop currency.
    float couponValue() const { return m_couponValue; }
    void setCouponValue(float couponValue);
    int32_t couponType() const { return m_couponType; }
    void setCouponType(int32_t couponType);
    const std::optional<QDateTime> &couponStart() const { return m_couponStart; }
    void setCouponStart(const std::optional<QDateTime> &couponStart);
    const std::optional<QDateTime> &couponEnd() const { return m_couponEnd; }
    void setCouponEnd(const std::optional<QDateTime> &couponEnd);

    int32_t purchaseLimit() const { return m_purchaseLimit; }
    void setPurchaseLimit(int32_t purchaseLimit);
    // StatusAvailable, StatusOutOfStock or StatusHidden.
    int32_t status() const { return m_status; }
    void setStatus(int32_t status);
    float weight() const { return m_weight; }
    void setWeight(float weight);

    // Editors' access by field name (a row of the record's field table):
    // values as RecordField::value() gives them; a store goes through the
    // setter's rules and announces the change.
    QVariant fieldValue(QStringView name) const;
    void setFieldValue(QStringView name, const QVariant &value);

Q_SIGNALS:
    // key: the name of the field that changed, e.g. "SKU" or "price".
    void valueChanged(const QString &key);

private:
    static const RecordFieldTable &fieldTable();
    template <class T>
    void assign(T &member, const T &value);
    void loadLegacyOptions(KeyedUnarchiver &coder);

    // Loading starts from these: zero, false or absent. create() sets the
    // values of a new product.
    int32_t m_productID = 0;
    std::shared_ptr<const Picture> m_icon;
    QString m_iconName;
    int32_t m_iconWidth = 0;
    int32_t m_iconHeight = 0;
    QByteArray m_image;
    QString m_imageName;
    bool m_hasDropShadow = false;
    QString m_name;
    QString m_SKU;
    bool m_useHtmlDescription = false;
    std::optional<StyledText> m_styledProductDescription;
    QString m_htmlProductDescription;
    OptionList m_optionsArray;
    float m_price = 0;
    bool m_hasSpecialPrice = false;
    float m_specialPrice = 0;
    float m_taxRate = 0;
    bool m_hasShipping = false;
    float m_shipping = 0;
    float m_additionalItemShipping = 0;
    bool m_hasCouponCode = false;
    QString m_couponCode;
    QString m_couponDescription;
    float m_couponValue = 0;
    int32_t m_couponType = 0;
    std::optional<QDateTime> m_couponStart;
    std::optional<QDateTime> m_couponEnd;
    int32_t m_purchaseLimit = 0;
    int32_t m_status = 0;
    float m_weight = 0;
};
