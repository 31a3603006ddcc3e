#pragma once

#include "settings/tillboxcurrency.h"
#include "util/color.h"
#include "util/styledtext.h"

#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class Bundle;
class KeyedArchiver;
class KeyedUnarchiver;
class RecordFieldTable;

// The shop-wide settings of one shop page: cart appearance, page header and
// footer, checkout back-ends and their accounts, currency and number format,
// taxes, the direct-order form and its mail transport, shipping tiers, listing
// options and the texts shown to shoppers.
//
// Every field has a getter named after it and a setter set<Field>. A setter
// that changes the value emits valueChanged(field name); setting the value a
// field already holds emits nothing. Two fields announce themselves under the
// spelling the plug-in watches: eJunkieAccount as "EJunkieAccount" and
// sisowAccount as "SisowAccount". Changes inside the currency record are
// announced by the currency itself.
//
// Strings are null when absent and "" when empty; colours and styled texts are
// std::nullopt when absent. An archive that lacks a key read without a guard
// leaves such absent values behind, so readers must allow for them.
//
// The record reads its localized defaults, layout templates and shopper texts
// from a bundle, which must outlive it (the plug-in's bundle by default).
class TillboxGlobalSettings : public QObject
{
    Q_OBJECT

public:
    static constexpr int OrderFieldCount = 15;
    static constexpr int AdditionalCostTierCount = 5;

    // Every field at its default.
    explicit TillboxGlobalSettings(const Bundle &bundle);
    TillboxGlobalSettings();
    ~TillboxGlobalSettings() override;

    const Bundle &bundle() const { return *m_bundle; }

    // --- Keyed archiving --------------------------------------------------
    // {"TillboxGlobalSettings", "NSObject"}
    static QStringList archiveClassNames();
    // Writes every archived field under its key, whatever its value.
    void encodeWithCoder(KeyedArchiver &coder) const;
    // Starts from the defaults, then reads the archive tolerantly: groups added
    // in later versions only when their first key is present, older key sets
    // converted (currency index, PayPal language index).
    static std::shared_ptr<TillboxGlobalSettings> initWithCoder(KeyedUnarchiver &coder);
    static std::shared_ptr<TillboxGlobalSettings> initWithCoder(KeyedUnarchiver &coder, const Bundle &bundle);
    // An unshared copy of every field; the currency is copied too.
    std::shared_ptr<TillboxGlobalSettings> copy() const;

    // Every field under its field name (currency as a nested object).
    QJsonObject toJson() const;
    // The 69 change keys that mark the page changed, in the order the plug-in
    // registers them. The currency's own keys are TillboxCurrency::watchedKeys().
    static const QStringList &watchedKeys();

    // --- Cart appearance --------------------------------------------------
    float cartFontSize() const { return m_cartFontSize; }
    void setCartFontSize(float value);
    int cartFontSizeUnitIndex() const { return m_cartFontSizeUnitIndex; } // 0 em, 1 px
    void setCartFontSizeUnitIndex(int value);
    int cartWidth() const { return m_cartWidth; }
    void setCartWidth(int value);
    int cartWidthUnitIndex() const { return m_cartWidthUnitIndex; } // 0 px, 1 percent
    void setCartWidthUnitIndex(int value);
    int cartIconSetIndex() const { return m_cartIconSetIndex; }
    void setCartIconSetIndex(int value);
    int cartPositionIndex() const { return m_cartPositionIndex; } // 0 top, 1 bottom
    void setCartPositionIndex(int value);
    int cartAlignmentIndex() const { return m_cartAlignmentIndex; } // 0 left, 1 centre, 2 right
    void setCartAlignmentIndex(int value);
    int cartProductImagesSize() const { return m_cartProductImagesSize; }
    void setCartProductImagesSize(int value);
    int cartPriceColumnWidth() const { return m_cartPriceColumnWidth; }
    void setCartPriceColumnWidth(int value);
    int cartPriceColumnWidthUnitIndex() const { return m_cartPriceColumnWidthUnitIndex; } // 0 px, 1 percent
    void setCartPriceColumnWidthUnitIndex(int value);
    std::optional<Color> cartBackgroundColor() const { return m_cartBackgroundColor; }
    void setCartBackgroundColor(const std::optional<Color> &value);
    std::optional<Color> cartBorderColor() const { return m_cartBorderColor; }
    void setCartBorderColor(const std::optional<Color> &value);
    std::optional<Color> cartButtonColor() const { return m_cartButtonColor; }
    void setCartButtonColor(const std::optional<Color> &value);
    std::optional<Color> cartTextColor() const { return m_cartTextColor; }
    void setCartTextColor(const std::optional<Color> &value);
    std::optional<Color> cartImageBackgroundColor() const { return m_cartImageBackgroundColor; }
    void setCartImageBackgroundColor(const std::optional<Color> &value);

    // --- Page header and footer -------------------------------------------
    bool useHtmlPageHeader() const { return m_useHtmlPageHeader; }
    void setUseHtmlPageHeader(bool value);
    std::optional<StyledText> pageHeader() const { return m_pageHeader; }
    void setPageHeader(const std::optional<StyledText> &value);
    QString htmlPageHeader() const { return m_htmlPageHeader; }
    void setHtmlPageHeader(const QString &value);
    bool useHtmlPageFooter() const { return m_useHtmlPageFooter; }
    void setUseHtmlPageFooter(bool value);
    std::optional<StyledText> pageFooter() const { return m_pageFooter; }
    void setPageFooter(const std::optional<StyledText> &value);
    QString htmlPageFooter() const { return m_htmlPageFooter; }
    void setHtmlPageFooter(const QString &value);

    // --- Switches and checkout back-ends ----------------------------------
    bool enableCompatibilityMode() const { return m_enableCompatibilityMode; }
    void setEnableCompatibilityMode(bool value);
    bool warnAboutMissingPHP() const { return m_warnAboutMissingPHP; }
    void setWarnAboutMissingPHP(bool value);
    bool preserveImageFormat() const { return m_preserveImageFormat; }
    void setPreserveImageFormat(bool value);
    bool enableCoupons() const { return m_enableCoupons; }
    void setEnableCoupons(bool value);
    bool enableDisclaimer() const { return m_enableDisclaimer; }
    void setEnableDisclaimer(bool value);
    bool enablePayPal() const { return m_enablePayPal; }
    void setEnablePayPal(bool value);
    bool enableGoogleCheckout() const { return m_enableGoogleCheckout; }
    void setEnableGoogleCheckout(bool value);
    bool enableEJunkie() const { return m_enableEJunkie; }
    void setEnableEJunkie(bool value);
    bool enableDirectOrder() const { return m_enableDirectOrder; }
    void setEnableDirectOrder(bool value);
    bool enableSisow() const { return m_enableSisow; }
    void setEnableSisow(bool value);

    // --- Currency and numbers ---------------------------------------------
    // Never null. Shared, not copied: the setter keeps the given record.
    std::shared_ptr<TillboxCurrency> currency() const { return m_currency; }
    void setCurrency(const std::shared_ptr<TillboxCurrency> &value); // null is ignored
    int decimalNumberIndex() const { return m_decimalNumberIndex; }
    void setDecimalNumberIndex(int value);
    int decimalSeparatorIndex() const { return m_decimalSeparatorIndex; } // 0 ".", 1 ","
    void setDecimalSeparatorIndex(int value);
    float defaultTaxRate() const { return m_defaultTaxRate; }
    void setDefaultTaxRate(float value);
    bool showPricesIncludingTaxes() const { return m_showPricesIncludingTaxes; }
    void setShowPricesIncludingTaxes(bool value);

    // --- Cart script and accounts -----------------------------------------
    QString cartID() const { return m_cartID; }
    void setCartID(const QString &value);
    int cartExpiration() const { return m_cartExpiration; }
    void setCartExpiration(int value);
    QString payPalAccount() const { return m_payPalAccount; }
    void setPayPalAccount(const QString &value);
    int payPalLanguageTag() const { return m_payPalLanguageTag; }
    void setPayPalLanguageTag(int value);
    QString payPalLanguageCode() const { return m_payPalLanguageCode; } // "" is PayPal's default
    void setPayPalLanguageCode(const QString &value);
    bool enablePayPalSandbox() const { return m_enablePayPalSandbox; }
    void setEnablePayPalSandbox(bool value);
    QString googleCheckoutAccount() const { return m_googleCheckoutAccount; }
    void setGoogleCheckoutAccount(const QString &value);
    QString eJunkieAccount() const { return m_eJunkieAccount; }
    void setEJunkieAccount(const QString &value); // announced as "EJunkieAccount"
    QString sisowAccount() const { return m_sisowAccount; }
    void setSisowAccount(const QString &value); // announced as "SisowAccount"

    // --- Direct order -----------------------------------------------------
    QString directOrderEmail() const { return m_directOrderEmail; }
    void setDirectOrderEmail(const QString &value);
    QString directOrderSubject() const { return m_directOrderSubject; }
    void setDirectOrderSubject(const QString &value);
    QString directOrderText() const { return m_directOrderText; }
    void setDirectOrderText(const QString &value);
    int directOrderEmailFieldTag() const { return m_directOrderEmailFieldTag; }
    void setDirectOrderEmailFieldTag(int value);
    bool directOrderUniqueIDEnabled() const { return m_directOrderUniqueIDEnabled; }
    void setDirectOrderUniqueIDEnabled(bool value);
    QString directOrderUniqueIDPrefix() const { return m_directOrderUniqueIDPrefix; }
    void setDirectOrderUniqueIDPrefix(const QString &value);

    // Order-form field number 1 to OrderFieldCount: label and required flag.
    QString directOrderField(int number) const;
    void setDirectOrderField(int number, const QString &value);
    bool directOrderFieldRequired(int number) const;
    void setDirectOrderFieldRequired(int number, bool value);

    QString directOrderField1() const { return directOrderField(1); }
    void setDirectOrderField1(const QString &value) { setDirectOrderField(1, value); }
    QString directOrderField2() const { return directOrderField(2); }
    void setDirectOrderField2(const QString &value) { setDirectOrderField(2, value); }
    QString directOrderField3() const { return directOrderField(3); }
    void setDirectOrderField3(const QString &value) { setDirectOrderField(3, value); }
    QString directOrderField4() const { return directOrderField(4); }
    void setDirectOrderField4(const QString &value) { setDirectOrderField(4, value); }
    QString directOrderField5() const { return directOrderField(5); }
    void setDirectOrderField5(const QString &value) { setDirectOrderField(5, value); }
    QString directOrderField6() const { return directOrderField(6); }
    void setDirectOrderField6(const QString &value) { setDirectOrderField(6, value); }
    QString directOrderField7() const { return directOrderField(7); }
    void setDirectOrderField7(const QString &value) { setDirectOrderField(7, value); }
    QString directOrderField8() const { return directOrderField(8); }
    void setDirectOrderField8(const QString &value) { setDirectOrderField(8, value); }
    QString directOrderField9() const { return directOrderField(9); }
    void setDirectOrderField9(const QString &value) { setDirectOrderField(9, value); }
    QString directOrderField10() const { return directOrderField(10); }
    void setDirectOrderField10(const QString &value) { setDirectOrderField(10, value); }
    QString directOrderField11() const { return directOrderField(11); }
    void setDirectOrderField11(const QString &value) { setDirectOrderField(11, value); }
    QString directOrderField12() const { return directOrderField(12); }
    void setDirectOrderField12(const QString &value) { setDirectOrderField(12, value); }
    QString directOrderField13() const { return directOrderField(13); }
    void setDirectOrderField13(const QString &value) { setDirectOrderField(13, value); }
    QString directOrderField14() const { return directOrderField(14); }
    void setDirectOrderField14(const QString &value) { setDirectOrderField(14, value); }
    QString directOrderField15() const { return directOrderField(15); }
    void setDirectOrderField15(const QString &value) { setDirectOrderField(15, value); }

    bool directOrderField1Required() const { return directOrderFieldRequired(1); }
    void setDirectOrderField1Required(bool value) { setDirectOrderFieldRequired(1, value); }
    bool directOrderField2Required() const { return directOrderFieldRequired(2); }
    void setDirectOrderField2Required(bool value) { setDirectOrderFieldRequired(2, value); }
    bool directOrderField3Required() const { return directOrderFieldRequired(3); }
    void setDirectOrderField3Required(bool value) { setDirectOrderFieldRequired(3, value); }
    bool directOrderField4Required() const { return directOrderFieldRequired(4); }
    void setDirectOrderField4Required(bool value) { setDirectOrderFieldRequired(4, value); }
    bool directOrderField5Required() const { return directOrderFieldRequired(5); }
    void setDirectOrderField5Required(bool value) { setDirectOrderFieldRequired(5, value); }
    bool directOrderField6Required() const { return directOrderFieldRequired(6); }
    void setDirectOrderField6Required(bool value) { setDirectOrderFieldRequired(6, value); }
    bool directOrderField7Required() const { return directOrderFieldRequired(7); }
    void setDirectOrderField7Required(bool value) { setDirectOrderFieldRequired(7, value); }
    bool directOrderField8Required() const { return directOrderFieldRequired(8); }
    void setDirectOrderField8Required(bool value) { setDirectOrderFieldRequired(8, value); }
    bool directOrderField9Required() const { return directOrderFieldRequired(9); }
    void setDirectOrderField9Required(bool value) { setDirectOrderFieldRequired(9, value); }
    bool directOrderField10Required() const { return directOrderFieldRequired(10); }
    void setDirectOrderField10Required(bool value) { setDirectOrderFieldRequired(10, value); }
    bool directOrderField11Required() const { return directOrderFieldRequired(11); }
    void setDirectOrderField11Required(bool value) { setDirectOrderFieldRequired(11, value); }
    bool directOrderField12Required() const { return directOrderFieldRequired(12); }
    void setDirectOrderField12Required(bool value) { setDirectOrderFieldRequired(12, value); }
    bool directOrderField13Required() const { return directOrderFieldRequired(13); }
    void setDirectOrderField13Required(bool value) { setDirectOrderFieldRequired(13, value); }
    bool directOrderField14Required() const { return directOrderFieldRequired(14); }
    void setDirectOrderField14Required(bool value) { setDirectOrderFieldRequired(14, value); }
    bool directOrderField15Required() const { return directOrderFieldRequired(15); }
    void setDirectOrderField15Required(bool value) { setDirectOrderFieldRequired(15, value); }

    // --- Images -----------------------------------------------------------
    int normalisationThreshold() const { return m_normalisationThreshold; }
    void setNormalisationThreshold(int value);
    bool normaliseOnSave() const { return m_normaliseOnSave; }
    void setNormaliseOnSave(bool value);

    // --- Mail transport ---------------------------------------------------
    bool mailUseSMTP() const { return m_mailUseSMTP; }
    void setMailUseSMTP(bool value);
    QString smtpHost() const { return m_smtpHost; }
    void setSmtpHost(const QString &value);
    int smtpPort() const { return m_smtpPort; }
    void setSmtpPort(int value);
    QString smtpUsername() const { return m_smtpUsername; }
    void setSmtpUsername(const QString &value);
    QString smtpPassword() const { return m_smtpPassword; }
    void setSmtpPassword(const QString &value);
    bool smtpUseSSL() const { return m_smtpUseSSL; }
    void setSmtpUseSSL(bool value);

    // --- Shipping tiers ---------------------------------------------------
    QString additionalCostsDescription() const { return m_additionalCostsDescription; }
    void setAdditionalCostsDescription(const QString &value);
    int additionalCostsTypeTag() const { return m_additionalCostsTypeTag; } // 10 items, 20 price, 30 weight
    void setAdditionalCostsTypeTag(int value);
    int additionalCostsZero() const { return m_additionalCostsZero; } // always 0

    // Tier 0 to AdditionalCostTierCount - 1: upper limit and cost.
    float additionalCostsLimit(int tier) const;
    void setAdditionalCostsLimit(int tier, float value);
    float additionalCostsValue(int tier) const;
    void setAdditionalCostsValue(int tier, float value);

    float additionalCostsLimit0() const { return additionalCostsLimit(0); }
    void setAdditionalCostsLimit0(float value) { setAdditionalCostsLimit(0, value); }
    float additionalCostsLimit1() const { return additionalCostsLimit(1); }
    void setAdditionalCostsLimit1(float value) { setAdditionalCostsLimit(1, value); }
    float additionalCostsLimit2() const { return additionalCostsLimit(2); }
    void setAdditionalCostsLimit2(float value) { setAdditionalCostsLimit(2, value); }
    float additionalCostsLimit3() const { return additionalCostsLimit(3); }
    void setAdditionalCostsLimit3(float value) { setAdditionalCostsLimit(3, value); }
    float additionalCostsLimit4() const { return additionalCostsLimit(4); }
    void setAdditionalCostsLimit4(float value) { setAdditionalCostsLimit(4, value); }
    float additionalCostsValue0() const { return additionalCostsValue(0); }
    void setAdditionalCostsValue0(float value) { setAdditionalCostsValue(0, value); }
    float additionalCostsValue1() const { return additionalCostsValue(1); }
    void setAdditionalCostsValue1(float value) { setAdditionalCostsValue(1, value); }
    float additionalCostsValue2() const { return additionalCostsValue(2); }
    void setAdditionalCostsValue2(float value) { setAdditionalCostsValue(2, value); }
    float additionalCostsValue3() const { return additionalCostsValue(3); }
    void setAdditionalCostsValue3(float value) { setAdditionalCostsValue(3, value); }
    float additionalCostsValue4() const { return additionalCostsValue(4); }
    void setAdditionalCostsValue4(float value) { setAdditionalCostsValue(4, value); }

    // --- Listing and texts ------------------------------------------------
    bool showQuantityField() const { return m_showQuantityField; }
    void setShowQuantityField(bool value);
    float effectsDuration() const { return m_effectsDuration; } // seconds
    // Also derives effectsDurationString ("%.2f s" with the user's decimal separator).
    void setEffectsDuration(float value);
    QString effectsDurationString() const { return m_effectsDurationString; }
    void setEffectsDurationString(const QString &value);
    int cartColumnsIndex() const { return m_cartColumnsIndex; } // the listing has index + 1 columns
    void setCartColumnsIndex(int value);
    bool useCustomLayout() const { return m_useCustomLayout; }
    void setUseCustomLayout(bool value);
    QString customLayout() const { return m_customLayout; }
    void setCustomLayout(const QString &value);
    QString cartDisclaimerLabel() const { return m_cartDisclaimerLabel; }
    void setCartDisclaimerLabel(const QString &value);
    // Shopper texts: shipped default text -> the shop's text.
    const QMap<QString, QString> &localizableStrings() const { return m_localizableStrings; }
    // Merges rather than replaces: only keys that are current default texts
    // are taken (their values replace the stored ones); other keys are
    // dropped and nothing is removed.
    void setLocalizableStrings(const QMap<QString, QString> &strings);
    QString cartReturnURL() const { return m_cartReturnURL; }
    void setCartReturnURL(const QString &value);

    // --- Currencies and PayPal languages ----------------------------------
    // Fills the shared currency's code, symbol and side from the menu tag;
    // CurrencyTables::CustomTag only stores that tag; unknown tags change
    // nothing. The tag of a listed row is stored by the menu, not here.
    void setCurrencyByTag(int tag);
    // Fills payPalLanguageCode from the menu tag; CustomTag only stores that
    // tag; unknown tags change nothing.
    void setPayPalLanguageByTag(int tag);
    static QString currencyPayPalForOldIndex(int index);
    static QString currencySymbolForOldIndex(int index);
    static QString payPalLanguageForOldIndex(int index);
    // "," for separator index 1, "." otherwise.
    QString decimalSeparator() const;

    // --- Cart layout values -----------------------------------------------
    // "%" for 1, "px" for any other index.
    static QString unitWithIndex(int index);
    QString cartFontSizeString() const;         // "1.20em", or "12px" in unit 1
    QString cartWidthString() const;            // "900px"
    QString cartPriceColumnWidthString() const; // "20%"
    QString cartIconSetPrefixString() const;    // "x" for set 0, "v" otherwise
    QString cartPositionString() const;         // "top" or "bottom"
    QString cartAlignmentString() const;        // "left", "center" or "right"

    // The "template_item" and "template_cart" html resources; null when
    // missing or not UTF-8.
    QString defaultLayout() const;
    QString templateCart() const;
    // Each shopper text's localized default mapped to itself.
    QMap<QString, QString> defaultLocalizableStrings() const;

    // Editors' access by field name (a row of the record's field table):
    // values as RecordField::value() gives them; a store goes through the
    // setter's rules and announces the change.
    QVariant fieldValue(QStringView name) const;
    void setFieldValue(QStringView name, const QVariant &value);

Q_SIGNALS:
    void valueChanged(const QString &key);

private:
    static const RecordFieldTable &fieldTable();
    template <class T>
    void assign(T &member, const T &value);
    void readFromCoder(KeyedUnarchiver &coder);

    const Bundle *m_bundle;

    float m_cartFontSize = 1.2f;
    int m_cartFontSizeUnitIndex = 0;
    int m_cartWidth = 900;
    int m_cartWidthUnitIndex = 0;
    int m_cartIconSetIndex = 1;
    int m_cartPositionIndex = 0;
    int m_cartAlignmentIndex = 1;
    int m_cartProductImagesSize = 64;
    int m_cartPriceColumnWidth = 20;
    int m_cartPriceColumnWidthUnitIndex = 1;
    std::optional<Color> m_cartBackgroundColor;
    std::optional<Color> m_cartBorderColor;
    std::optional<Color> m_cartButtonColor;
    std::optional<Color> m_cartTextColor;
    std::optional<Color> m_cartImageBackgroundColor;
    bool m_useHtmlPageHeader = false;
    std::optional<StyledText> m_pageHeader;
    QString m_htmlPageHeader;
    bool m_useHtmlPageFooter = false;
    std::optional<StyledText> m_pageFooter;
    QString m_htmlPageFooter;
    bool m_enableCompatibilityMode = false;
    bool m_warnAboutMissingPHP = true;
    bool m_preserveImageFormat = false;
    bool m_enableCoupons = false;
    bool m_enableDisclaimer = false;
    bool m_enablePayPal = true;
    bool m_enableGoogleCheckout = false;
    bool m_enableEJunkie = false;
    bool m_enableDirectOrder = false;
    bool m_enableSisow = false;
    std::shared_ptr<TillboxCurrency> m_currency;
    int m_decimalNumberIndex = 2;
    int m_decimalSeparatorIndex = 0;
    float m_defaultTaxRate = 0.0f;
    bool m_showPricesIncludingTaxes = false;
    QString m_cartID;
    int m_cartExpiration = 24;
    QString m_payPalAccount;
    int m_payPalLanguageTag = 10;
    QString m_payPalLanguageCode;
    bool m_enablePayPalSandbox = false;
    QString m_googleCheckoutAccount;
    QString m_eJunkieAccount;
    QString m_sisowAccount;
    QString m_directOrderEmail;
    QString m_directOrderSubject;
    QString m_directOrderText;
    int m_directOrderEmailFieldTag = 5;
    bool m_directOrderUniqueIDEnabled = false;
    QString m_directOrderUniqueIDPrefix;
    std::array<QString, OrderFieldCount> m_directOrderFields;
    std::array<bool, OrderFieldCount> m_directOrderFieldsRequired{};
    int m_normalisationThreshold = 0;
    bool m_normaliseOnSave = false;
    bool m_mailUseSMTP = false;
    QString m_smtpHost;
    int m_smtpPort = 25;
    QString m_smtpUsername;
    QString m_smtpPassword;
    bool m_smtpUseSSL = false;
    QString m_additionalCostsDescription;
    int m_additionalCostsTypeTag = 20;
    int m_additionalCostsZero = 0;
    std::array<float, AdditionalCostTierCount> m_additionalCostsLimits{};
    std::array<float, AdditionalCostTierCount> m_additionalCostsValues{};
    bool m_showQuantityField = false;
    float m_effectsDuration = 0.4f;
    QString m_effectsDurationString;
    int m_cartColumnsIndex = 0;
    bool m_useCustomLayout = false;
    QString m_customLayout;
    QString m_cartDisclaimerLabel;
    QMap<QString, QString> m_localizableStrings;
    QString m_cartReturnURL;
};
