#include "settings/tillboxglobalsettings.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "settings/currencytables.h"
#include "archive/recordfieldtable.h"
#include "settings/shoppertexts.h"

#include <QLocale>

#include <charconv>
#include <initializer_list>

namespace {

// Default image size threshold of the normalisation; a stored 0 means "never
// set" and reads as this.
constexpr int kDefaultNormalizationThreshold = 1024;

// printf's "%.<precision>f" as the C locale writes it. std::to_chars rounds
// exactly as printf does, and unlike snprintf it ignores LC_NUMERIC, which a
// Qt application sets from the user's environment.
QString cFixed(double value, int precision)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// "%.2f s" in the user's locale: only the decimal separator is localized, as
// printf does under the user's LC_NUMERIC (no grouping, ASCII minus sign).
QString effectsDurationText(float seconds)
{
    QString number = cFixed(double(seconds), 2);
    number.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return number + QStringLiteral(" s");
}

} // namespace

#define SETTINGS_SLOT(member) FIELD_SLOT(TillboxGlobalSettings, member)


// Declaration order is archive order. The last column, where present, is the
// field's position in the plug-in's list of watched keys. Rows without a load
// rule are read whether their key is there or not; migrated ones by the
// explicit steps of readFromCoder().
const RecordFieldTable &TillboxGlobalSettings::fieldTable()
{
    using K = ValueKind;
    static const RecordFieldTable table({
        inGroup("CartFontSizeUnitIndex", {"cartFontSize", "CartFontSize", K::FloatNumber, SETTINGS_SLOT(m_cartFontSize), 1}),
        inGroup("CartFontSizeUnitIndex", {"cartFontSizeUnitIndex", "CartFontSizeUnitIndex", K::IntNumber, SETTINGS_SLOT(m_cartFontSizeUnitIndex), 2}),
        inGroup("CartFontSizeUnitIndex", {"cartWidth", "CartWidth", K::IntNumber, SETTINGS_SLOT(m_cartWidth), 3}),
        inGroup("CartFontSizeUnitIndex", {"cartWidthUnitIndex", "CartWidthUnitIndex", K::IntNumber, SETTINGS_SLOT(m_cartWidthUnitIndex), 4}),
        inGroup("CartFontSizeUnitIndex", {"cartIconSetIndex", "CartIconSetIndex", K::IntNumber, SETTINGS_SLOT(m_cartIconSetIndex)}),
        inGroup("CartFontSizeUnitIndex", {"cartPositionIndex", "CartPositionIndex", K::IntNumber, SETTINGS_SLOT(m_cartPositionIndex), 5}),
        inGroup("CartFontSizeUnitIndex", {"cartAlignmentIndex", "CartAlignmentIndex", K::IntNumber, SETTINGS_SLOT(m_cartAlignmentIndex), 6}),
        inGroup("CartFontSizeUnitIndex", {"cartProductImagesSize", "CartProductImagesSize", K::IntNumber, SETTINGS_SLOT(m_cartProductImagesSize), 7}),
        inGroup("CartFontSizeUnitIndex", {"cartPriceColumnWidth", "CartPriceColumnWidth", K::IntNumber, SETTINGS_SLOT(m_cartPriceColumnWidth), 8}),
        // The stored key has never had the word "Unit".
        inGroup("CartFontSizeUnitIndex", {"cartPriceColumnWidthUnitIndex", "CartPriceColumnWidthIndex", K::IntNumber,
         SETTINGS_SLOT(m_cartPriceColumnWidthUnitIndex), 9}),
        inGroup("CartBackgroundColor", {"cartBackgroundColor", "CartBackgroundColor", K::Object, SETTINGS_SLOT(m_cartBackgroundColor), 10}),
        inGroup("CartBackgroundColor", {"cartBorderColor", "CartBorderColor", K::Object, SETTINGS_SLOT(m_cartBorderColor), 11}),
        inGroup("CartBackgroundColor", {"cartButtonColor", "CartButtonColor", K::Object, SETTINGS_SLOT(m_cartButtonColor), 12}),
        inGroup("CartBackgroundColor", {"cartTextColor", "CartTextColor", K::Object, SETTINGS_SLOT(m_cartTextColor), 13}),
        inGroup("CartBackgroundColor", {"cartImageBackgroundColor", "CartImageBackgroundColor", K::Object,
         SETTINGS_SLOT(m_cartImageBackgroundColor), 14}),
        {"useHtmlPageHeader", "UseHtmlPageHeader", K::BoolNumber, SETTINGS_SLOT(m_useHtmlPageHeader), 66},
        {"pageHeader", "PageHeader", K::Object, SETTINGS_SLOT(m_pageHeader)},
        {"htmlPageHeader", "HtmlPageHeader", K::Object, SETTINGS_SLOT(m_htmlPageHeader), 67},
        {"useHtmlPageFooter", "UseHtmlPageFooter", K::BoolNumber, SETTINGS_SLOT(m_useHtmlPageFooter), 68},
        {"pageFooter", "PageFooter", K::Object, SETTINGS_SLOT(m_pageFooter)},
        {"htmlPageFooter", "HtmlPageFooter", K::Object, SETTINGS_SLOT(m_htmlPageFooter), 69},
        {"enableCompatibilityMode", "EnableCompatibilityMode", K::BoolNumber,
         SETTINGS_SLOT(m_enableCompatibilityMode), 15},
        migrated({"warnAboutMissingPHP", "WarnAboutMissingPHP", K::BoolNumber, SETTINGS_SLOT(m_warnAboutMissingPHP), 16}),
        {"preserveImageFormat", "PreserveImageFormat", K::NativeBool, SETTINGS_SLOT(m_preserveImageFormat), 17},
        {"enableCoupons", "EnableCoupons", K::BoolNumber, SETTINGS_SLOT(m_enableCoupons)},
        {"enableDisclaimer", "EnableDisclaimer", K::BoolNumber, SETTINGS_SLOT(m_enableDisclaimer), 18},
        {"enablePayPal", "EnablePayPal", K::BoolNumber, SETTINGS_SLOT(m_enablePayPal), 19},
        {"enableGoogleCheckout", "EnableGoogleCheckout", K::BoolNumber, SETTINGS_SLOT(m_enableGoogleCheckout), 20},
        {"enableEJunkie", "EnableEJunkie", K::BoolNumber, SETTINGS_SLOT(m_enableEJunkie), 21},
        {"enableDirectOrder", "EnableDirectOrder", K::BoolNumber, SETTINGS_SLOT(m_enableDirectOrder), 22},
        {"enableSisow", "EnableSisow", K::BoolNumber, SETTINGS_SLOT(m_enableSisow), 23},
        // The currency's own fields are watched on the currency record.
        migrated({"currency", "Currency", K::Object, OBJECT_SLOT(TillboxGlobalSettings, m_currency, objectFieldOps<TillboxCurrency>())}),
        ifPresent({"decimalNumberIndex", "DecimalNumberIndex", K::IntNumber, SETTINGS_SLOT(m_decimalNumberIndex), 24}),
        {"decimalSeparatorIndex", "DecimalSeparatorIndex", K::IntNumber, SETTINGS_SLOT(m_decimalSeparatorIndex), 25},
        {"defaultTaxRate", "DefaultTaxRate", K::FloatNumber, SETTINGS_SLOT(m_defaultTaxRate), 26},
        {"showPricesIncludingTaxes", "ShowPricesIncludingTaxes", K::BoolNumber,
         SETTINGS_SLOT(m_showPricesIncludingTaxes), 27},
        ifPresent({"cartID", "CartID", K::Object, SETTINGS_SLOT(m_cartID), 28}),
        {"cartExpiration", "CartExpiration", K::IntNumber, SETTINGS_SLOT(m_cartExpiration), 29},
        {"payPalAccount", "PayPalAccount", K::Object, SETTINGS_SLOT(m_payPalAccount), 30},
        inGroup("PayPalLanguageCode", {"payPalLanguageTag", "PayPalLanguageTag", K::IntNumber, SETTINGS_SLOT(m_payPalLanguageTag), 31}),
        inGroup("PayPalLanguageCode", {"payPalLanguageCode", "PayPalLanguageCode", K::Object, SETTINGS_SLOT(m_payPalLanguageCode), 32}),
        {"enablePayPalSandbox", "EnablePayPalSandbox", K::NativeBool, SETTINGS_SLOT(m_enablePayPalSandbox), 33},
        inGroup("GoogleCheckoutAccount", {"googleCheckoutAccount", "GoogleCheckoutAccount", K::Object, SETTINGS_SLOT(m_googleCheckoutAccount), 34}),
        // These two are watched under the spelling of their archive keys.
        inGroup("GoogleCheckoutAccount", {"eJunkieAccount", "EJunkieAccount", K::Object, SETTINGS_SLOT(m_eJunkieAccount), 35, "EJunkieAccount"}),
        ifPresent({"sisowAccount", "SisowAccount", K::Object, SETTINGS_SLOT(m_sisowAccount), 36, "SisowAccount"}),
        inGroup("GoogleCheckoutAccount", {"directOrderEmail", "DirectOrderEmail", K::Object, SETTINGS_SLOT(m_directOrderEmail), 37}),
        inGroup("GoogleCheckoutAccount", {"directOrderSubject", "DirectOrderSubject", K::Object, SETTINGS_SLOT(m_directOrderSubject), 38}),
        inGroup("GoogleCheckoutAccount", {"directOrderText", "DirectOrderText", K::Object, SETTINGS_SLOT(m_directOrderText), 39}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderEmailFieldTag", "DirectOrderEmailFieldTag", K::IntNumber,
         SETTINGS_SLOT(m_directOrderEmailFieldTag)}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderUniqueIDEnabled", "DirectOrderUniqueIDEnabled", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderUniqueIDEnabled)}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderUniqueIDPrefix", "DirectOrderUniqueIDPrefix", K::Object,
         SETTINGS_SLOT(m_directOrderUniqueIDPrefix)}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField1", "DirectOrderField1", K::Object, SETTINGS_SLOT(m_directOrderFields[0])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField2", "DirectOrderField2", K::Object, SETTINGS_SLOT(m_directOrderFields[1])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField3", "DirectOrderField3", K::Object, SETTINGS_SLOT(m_directOrderFields[2])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField4", "DirectOrderField4", K::Object, SETTINGS_SLOT(m_directOrderFields[3])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField5", "DirectOrderField5", K::Object, SETTINGS_SLOT(m_directOrderFields[4])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField6", "DirectOrderField6", K::Object, SETTINGS_SLOT(m_directOrderFields[5])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField7", "DirectOrderField7", K::Object, SETTINGS_SLOT(m_directOrderFields[6])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField8", "DirectOrderField8", K::Object, SETTINGS_SLOT(m_directOrderFields[7])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField9", "DirectOrderField9", K::Object, SETTINGS_SLOT(m_directOrderFields[8])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField10", "DirectOrderField10", K::Object, SETTINGS_SLOT(m_directOrderFields[9])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField11", "DirectOrderField11", K::Object, SETTINGS_SLOT(m_directOrderFields[10])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField12", "DirectOrderField12", K::Object, SETTINGS_SLOT(m_directOrderFields[11])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField13", "DirectOrderField13", K::Object, SETTINGS_SLOT(m_directOrderFields[12])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField14", "DirectOrderField14", K::Object, SETTINGS_SLOT(m_directOrderFields[13])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField15", "DirectOrderField15", K::Object, SETTINGS_SLOT(m_directOrderFields[14])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField1Required", "DirectOrderField1Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[0])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField2Required", "DirectOrderField2Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[1])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField3Required", "DirectOrderField3Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[2])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField4Required", "DirectOrderField4Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[3])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField5Required", "DirectOrderField5Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[4])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField6Required", "DirectOrderField6Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[5])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField7Required", "DirectOrderField7Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[6])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField8Required", "DirectOrderField8Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[7])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField9Required", "DirectOrderField9Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[8])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField10Required", "DirectOrderField10Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[9])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField11Required", "DirectOrderField11Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[10])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField12Required", "DirectOrderField12Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[11])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField13Required", "DirectOrderField13Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[12])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField14Required", "DirectOrderField14Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[13])}),
        inGroup("DirectOrderEmailFieldTag", {"directOrderField15Required", "DirectOrderField15Required", K::BoolNumber,
         SETTINGS_SLOT(m_directOrderFieldsRequired[14])}),
        migrated({"normalisationThreshold", "NormalisationThreshold", K::NativeInt,
         SETTINGS_SLOT(m_normalisationThreshold), 40}),
        {"normaliseOnSave", "NormaliseOnSave", K::NativeBool, SETTINGS_SLOT(m_normaliseOnSave), 41},
        inGroup("SmtpPort", {"mailUseSMTP", "MailUseSMTP", K::BoolNumber, SETTINGS_SLOT(m_mailUseSMTP), 42}),
        inGroup("SmtpPort", {"smtpHost", "SmtpHost", K::Object, SETTINGS_SLOT(m_smtpHost), 43}),
        inGroup("SmtpPort", {"smtpPort", "SmtpPort", K::IntNumber, SETTINGS_SLOT(m_smtpPort), 44}),
        inGroup("SmtpPort", {"smtpUsername", "SmtpUsername", K::Object, SETTINGS_SLOT(m_smtpUsername), 45}),
        inGroup("SmtpPort", {"smtpPassword", "SmtpPassword", K::Object, SETTINGS_SLOT(m_smtpPassword), 46}),
        inGroup("SmtpPort", {"smtpUseSSL", "SmtpUseSSL", K::BoolNumber, SETTINGS_SLOT(m_smtpUseSSL), 47}),
        inGroup("AdditionalCostsDescription", {"additionalCostsDescription", "AdditionalCostsDescription", K::Object,
         SETTINGS_SLOT(m_additionalCostsDescription), 48}),
        inGroup("AdditionalCostsDescription", {"additionalCostsTypeTag", "AdditionalCostsTypeTag", K::IntNumber, SETTINGS_SLOT(m_additionalCostsTypeTag), 49}),
        {"additionalCostsZero", nullptr, K::NotArchived, SETTINGS_SLOT(m_additionalCostsZero)},
        inGroup("AdditionalCostsDescription", {"additionalCostsLimit0", "AdditionalCostsLimit0", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsLimits[0]), 50}),
        inGroup("AdditionalCostsDescription", {"additionalCostsLimit1", "AdditionalCostsLimit1", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsLimits[1]), 51}),
        inGroup("AdditionalCostsDescription", {"additionalCostsLimit2", "AdditionalCostsLimit2", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsLimits[2]), 52}),
        inGroup("AdditionalCostsDescription", {"additionalCostsLimit3", "AdditionalCostsLimit3", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsLimits[3]), 53}),
        inGroup("AdditionalCostsDescription", {"additionalCostsLimit4", "AdditionalCostsLimit4", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsLimits[4]), 54}),
        inGroup("AdditionalCostsDescription", {"additionalCostsValue0", "AdditionalCostsValue0", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsValues[0]), 55}),
        inGroup("AdditionalCostsDescription", {"additionalCostsValue1", "AdditionalCostsValue1", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsValues[1]), 56}),
        inGroup("AdditionalCostsDescription", {"additionalCostsValue2", "AdditionalCostsValue2", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsValues[2]), 57}),
        inGroup("AdditionalCostsDescription", {"additionalCostsValue3", "AdditionalCostsValue3", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsValues[3]), 58}),
        inGroup("AdditionalCostsDescription", {"additionalCostsValue4", "AdditionalCostsValue4", K::FloatNumber, SETTINGS_SLOT(m_additionalCostsValues[4]), 59}),
        {"showQuantityField", "ShowQuantityField", K::BoolNumber, SETTINGS_SLOT(m_showQuantityField), 60},
        migrated({"effectsDuration", "EffectsDuration", K::FloatNumber, SETTINGS_SLOT(m_effectsDuration)}),
        {"effectsDurationString", nullptr, K::NotArchived, SETTINGS_SLOT(m_effectsDurationString)},
        {"cartColumnsIndex", "CartColumnsIndex", K::IntNumber, SETTINGS_SLOT(m_cartColumnsIndex), 61},
        {"useCustomLayout", "UseCustomLayout", K::BoolNumber, SETTINGS_SLOT(m_useCustomLayout), 62},
        {"customLayout", "CustomLayout", K::Object, SETTINGS_SLOT(m_customLayout), 63},
        inGroup("LocalizableStrings", {"cartDisclaimerLabel", "CartDisclaimerLabel", K::Object, SETTINGS_SLOT(m_cartDisclaimerLabel), 64}),
        migrated({"localizableStrings", "LocalizableStrings", K::Object, SETTINGS_SLOT(m_localizableStrings)}),
        {"cartReturnURL", "CartReturnURL", K::Object, SETTINGS_SLOT(m_cartReturnURL), 65},
    });
    return table;
}

#undef SETTINGS_SLOT

TillboxGlobalSettings::TillboxGlobalSettings()
    : TillboxGlobalSettings(Bundle::plugin())
{
}

TillboxGlobalSettings::TillboxGlobalSettings(const Bundle &bundle)
    : m_bundle(&bundle),
      m_cartBackgroundColor(Color(34.0 / 255.0, 34.0 / 255.0, 34.0 / 255.0, 1.0)),
      m_cartBorderColor(Color(51.0 / 255.0, 51.0 / 255.0, 51.0 / 255.0, 1.0)),
      m_cartButtonColor(Color(0.0, 0.0, 0.0, 1.0)),
      m_cartTextColor(Color(1.0, 1.0, 1.0, 1.0)),
      m_cartImageBackgroundColor(Color(0.0, 0.0, 0.0, 1.0)),
      m_pageHeader(StyledText()),
      m_htmlPageHeader(QStringLiteral("")),
      m_pageFooter(StyledText()),
      m_htmlPageFooter(QStringLiteral("")),
      m_currency(std::make_shared<TillboxCurrency>()),
      m_cartID(QStringLiteral("")),
      m_payPalAccount(QStringLiteral("paypal@shop.example")),
      m_payPalLanguageCode(QStringLiteral("")),
      m_googleCheckoutAccount(QStringLiteral("000000000000000")),
      m_eJunkieAccount(QStringLiteral("00000")),
      m_sisowAccount(QStringLiteral("")),
      m_directOrderEmail(QStringLiteral("orders@shop.example")),
      m_directOrderSubject(bundle.localizedString(QStringLiteral("DirectOrderSubjectLabel"))),
      m_directOrderText(bundle.localizedString(QStringLiteral("DirectOrderTextLabel"))),
      m_directOrderUniqueIDPrefix(QStringLiteral("")),
      m_normalisationThreshold(kDefaultNormalizationThreshold),
      m_additionalCostsDescription(QStringLiteral("Shipping")),
      m_effectsDurationString(effectsDurationText(m_effectsDuration)),
      m_cartDisclaimerLabel(bundle.localizedString(QStringLiteral("CartDisclaimerLabel")))
{
    // The order form's labels are fixed English words, not localized.
    static const struct
    {
        const char *label;
        bool required;
    } orderForm[OrderFieldCount] = {
        {"Name", true},    {"Surname", true}, {"Company", true}, {"", false},       {"E-mail", true},
        {"Phone", true},   {"", false},       {"Address", true}, {"ZIP", true},     {"City", true},
        {"Country", true}, {"", false},       {"", false},       {"", false},       {"Notes", false},
    };
    for (int i = 0; i < OrderFieldCount; ++i) {
        m_directOrderFields[i] = QString::fromLatin1(orderForm[i].label);
        m_directOrderFieldsRequired[i] = orderForm[i].required;
    }
    m_customLayout = defaultLayout();
    setLocalizableStrings(defaultLocalizableStrings());
}

TillboxGlobalSettings::~TillboxGlobalSettings() = default;

template <class T>
void TillboxGlobalSettings::assign(T &member, const T &value)
{
    if (!storeFieldValue(member, value))
        return;
    // The table names the field, so the announced key cannot differ from the
    // key the plug-in watches.
    Q_EMIT valueChanged(fieldTable().byStorage(this, &member).changeKey());
}

// --- Archiving --------------------------------------------------------------

QStringList TillboxGlobalSettings::archiveClassNames()
{
    return {QStringLiteral("TillboxGlobalSettings"), QStringLiteral("NSObject")};
}

void TillboxGlobalSettings::encodeWithCoder(KeyedArchiver &coder) const
{
    fieldTable().encode(coder, this);
}

std::shared_ptr<TillboxGlobalSettings> TillboxGlobalSettings::initWithCoder(KeyedUnarchiver &coder)
{
    return initWithCoder(coder, Bundle::plugin());
}

std::shared_ptr<TillboxGlobalSettings> TillboxGlobalSettings::initWithCoder(KeyedUnarchiver &coder,
                                                                            const Bundle &bundle)
{
    auto settings = std::make_shared<TillboxGlobalSettings>(bundle);
    settings->readFromCoder(coder);
    return settings;
}

// The table reads every row by its load rule; what remains are the
// conversions of older pages, each an explicit step.
void TillboxGlobalSettings::readFromCoder(KeyedUnarchiver &coder)
{
    fieldTable().decode(coder, this, [this](const RecordField &field) { Q_EMIT valueChanged(field.changeKey()); });

    // Pages from before the warning existed get it switched on.
    setWarnAboutMissingPHP(coder.containsValueForKey("WarnAboutMissingPHP") ? coder.decodeBool("WarnAboutMissingPHP")
                                                                             : true);

    // Older pages kept the position in the old currency menu. A "Currency"
    // entry that does not decode (null, another class) is treated like a
    // missing one: the settings must never be left without a currency.
    std::shared_ptr<TillboxCurrency> currency;
    if (coder.containsValueForKey("Currency"))
        currency = coder.decodeObject<TillboxCurrency>("Currency");
    if (!currency) {
        currency = std::make_shared<TillboxCurrency>();
        const int oldIndex = coder.decodeInt32("CurrencyIndex");
        currency->setCode(currencyPayPalForOldIndex(oldIndex));
        currency->setSymbol(currencySymbolForOldIndex(oldIndex));
    }
    setCurrency(currency);

    // Older pages kept the position in the old language menu; their tag stays
    // at the default.
    if (!coder.containsValueForKey("PayPalLanguageCode"))
        setPayPalLanguageCode(payPalLanguageForOldIndex(coder.decodeInt32("PayPalLanguageIndex")));

    // 0 was never a usable threshold: it is what pages without the key, or
    // with it unset, hold.
    const int threshold = coder.decodeInt32("NormalisationThreshold");
    setNormalisationThreshold(threshold != 0 ? threshold : kDefaultNormalizationThreshold);

    if (!coder.containsValueForKey("SmtpPort"))
        setSmtpPort(25);
    if (coder.containsValueForKey("EffectsDuration"))
        setEffectsDuration(coder.decodeFloat("EffectsDuration"));

    // Stored texts are merged into the current defaults, so texts added since
    // the page was saved get their default and texts no longer shipped drop out.
    if (coder.containsValueForKey("LocalizableStrings"))
        setLocalizableStrings(coder.decodeStringDictionary("LocalizableStrings").value_or(QMap<QString, QString>()));
}

std::shared_ptr<TillboxGlobalSettings> TillboxGlobalSettings::copy() const
{
    auto settings = std::make_shared<TillboxGlobalSettings>(*m_bundle);
    fieldTable().copyFields(this, settings.get());
    return settings;
}

QJsonObject TillboxGlobalSettings::toJson() const
{
    return fieldTable().toJson(this);
}

const QStringList &TillboxGlobalSettings::watchedKeys()
{
    return fieldTable().watchedKeys();
}

// --- Setters ----------------------------------------------------------------

void TillboxGlobalSettings::setCartFontSize(float value) { assign(m_cartFontSize, value); }
void TillboxGlobalSettings::setCartFontSizeUnitIndex(int value) { assign(m_cartFontSizeUnitIndex, value); }
void TillboxGlobalSettings::setCartWidth(int value) { assign(m_cartWidth, value); }
void TillboxGlobalSettings::setCartWidthUnitIndex(int value) { assign(m_cartWidthUnitIndex, value); }
void TillboxGlobalSettings::setCartIconSetIndex(int value) { assign(m_cartIconSetIndex, value); }
void TillboxGlobalSettings::setCartPositionIndex(int value) { assign(m_cartPositionIndex, value); }
void TillboxGlobalSettings::setCartAlignmentIndex(int value) { assign(m_cartAlignmentIndex, value); }
void TillboxGlobalSettings::setCartProductImagesSize(int value) { assign(m_cartProductImagesSize, value); }
void TillboxGlobalSettings::setCartPriceColumnWidth(int value) { assign(m_cartPriceColumnWidth, value); }
void TillboxGlobalSettings::setCartPriceColumnWidthUnitIndex(int value)
{
    assign(m_cartPriceColumnWidthUnitIndex, value);
}
void TillboxGlobalSettings::setCartBackgroundColor(const std::optional<Color> &value)
{
    assign(m_cartBackgroundColor, value);
}
void TillboxGlobalSettings::setCartBorderColor(const std::optional<Color> &value) { assign(m_cartBorderColor, value); }
void TillboxGlobalSettings::setCartButtonColor(const std::optional<Color> &value) { assign(m_cartButtonColor, value); }
void TillboxGlobalSettings::setCartTextColor(const std::optional<Color> &value) { assign(m_cartTextColor, value); }
void TillboxGlobalSettings::setCartImageBackgroundColor(const std::optional<Color> &value)
{
    assign(m_cartImageBackgroundColor, value);
}

void TillboxGlobalSettings::setUseHtmlPageHeader(bool value) { assign(m_useHtmlPageHeader, value); }
void TillboxGlobalSettings::setPageHeader(const std::optional<StyledText> &value) { assign(m_pageHeader, value); }
void TillboxGlobalSettings::setHtmlPageHeader(const QString &value) { assign(m_htmlPageHeader, value); }
void TillboxGlobalSettings::setUseHtmlPageFooter(bool value) { assign(m_useHtmlPageFooter, value); }
void TillboxGlobalSettings::setPageFooter(const std::optional<StyledText> &value) { assign(m_pageFooter, value); }
void TillboxGlobalSettings::setHtmlPageFooter(const QString &value) { assign(m_htmlPageFooter, value); }

void TillboxGlobalSettings::setEnableCompatibilityMode(bool value) { assign(m_enableCompatibilityMode, value); }
void TillboxGlobalSettings::setWarnAboutMissingPHP(bool value) { assign(m_warnAboutMissingPHP, value); }
void TillboxGlobalSettings::setPreserveImageFormat(bool value) { assign(m_preserveImageFormat, value); }
void TillboxGlobalSettings::setEnableCoupons(bool value) { assign(m_enableCoupons, value); }
void TillboxGlobalSettings::setEnableDisclaimer(bool value) { assign(m_enableDisclaimer, value); }
void TillboxGlobalSettings::setEnablePayPal(bool value) { assign(m_enablePayPal, value); }
void TillboxGlobalSettings::setEnableGoogleCheckout(bool value) { assign(m_enableGoogleCheckout, value); }
void TillboxGlobalSettings::setEnableEJunkie(bool value) { assign(m_enableEJunkie, value); }
void TillboxGlobalSettings::setEnableDirectOrder(bool value) { assign(m_enableDirectOrder, value); }
void TillboxGlobalSettings::setEnableSisow(bool value) { assign(m_enableSisow, value); }

void TillboxGlobalSettings::setCurrency(const std::shared_ptr<TillboxCurrency> &value)
{
    // Price formatting and the cart header read the currency unconditionally.
    Q_ASSERT(value);
    if (value)
        assign(m_currency, value);
}
void TillboxGlobalSettings::setDecimalNumberIndex(int value) { assign(m_decimalNumberIndex, value); }
void TillboxGlobalSettings::setDecimalSeparatorIndex(int value) { assign(m_decimalSeparatorIndex, value); }
void TillboxGlobalSettings::setDefaultTaxRate(float value) { assign(m_defaultTaxRate, value); }
void TillboxGlobalSettings::setShowPricesIncludingTaxes(bool value) { assign(m_showPricesIncludingTaxes, value); }

void TillboxGlobalSettings::setCartID(const QString &value) { assign(m_cartID, value); }
void TillboxGlobalSettings::setCartExpiration(int value) { assign(m_cartExpiration, value); }
void TillboxGlobalSettings::setPayPalAccount(const QString &value) { assign(m_payPalAccount, value); }
void TillboxGlobalSettings::setPayPalLanguageTag(int value) { assign(m_payPalLanguageTag, value); }
void TillboxGlobalSettings::setPayPalLanguageCode(const QString &value) { assign(m_payPalLanguageCode, value); }
void TillboxGlobalSettings::setEnablePayPalSandbox(bool value) { assign(m_enablePayPalSandbox, value); }
void TillboxGlobalSettings::setGoogleCheckoutAccount(const QString &value) { assign(m_googleCheckoutAccount, value); }
void TillboxGlobalSettings::setEJunkieAccount(const QString &value) { assign(m_eJunkieAccount, value); }
void TillboxGlobalSettings::setSisowAccount(const QString &value) { assign(m_sisowAccount, value); }

void TillboxGlobalSettings::setDirectOrderEmail(const QString &value) { assign(m_directOrderEmail, value); }
void TillboxGlobalSettings::setDirectOrderSubject(const QString &value) { assign(m_directOrderSubject, value); }
void TillboxGlobalSettings::setDirectOrderText(const QString &value) { assign(m_directOrderText, value); }
void TillboxGlobalSettings::setDirectOrderEmailFieldTag(int value) { assign(m_directOrderEmailFieldTag, value); }
void TillboxGlobalSettings::setDirectOrderUniqueIDEnabled(bool value) { assign(m_directOrderUniqueIDEnabled, value); }
void TillboxGlobalSettings::setDirectOrderUniqueIDPrefix(const QString &value)
{
    assign(m_directOrderUniqueIDPrefix, value);
}

QString TillboxGlobalSettings::directOrderField(int number) const
{
    Q_ASSERT(number >= 1 && number <= OrderFieldCount);
    return number >= 1 && number <= OrderFieldCount ? m_directOrderFields[number - 1] : QString();
}

void TillboxGlobalSettings::setDirectOrderField(int number, const QString &value)
{
    Q_ASSERT(number >= 1 && number <= OrderFieldCount);
    if (number >= 1 && number <= OrderFieldCount)
        assign(m_directOrderFields[number - 1], value);
}

bool TillboxGlobalSettings::directOrderFieldRequired(int number) const
{
    Q_ASSERT(number >= 1 && number <= OrderFieldCount);
    return number >= 1 && number <= OrderFieldCount && m_directOrderFieldsRequired[number - 1];
}

void TillboxGlobalSettings::setDirectOrderFieldRequired(int number, bool value)
{
    Q_ASSERT(number >= 1 && number <= OrderFieldCount);
    if (number >= 1 && number <= OrderFieldCount)
        assign(m_directOrderFieldsRequired[number - 1], value);
}

void TillboxGlobalSettings::setNormalisationThreshold(int value) { assign(m_normalisationThreshold, value); }
void TillboxGlobalSettings::setNormaliseOnSave(bool value) { assign(m_normaliseOnSave, value); }

void TillboxGlobalSettings::setMailUseSMTP(bool value) { assign(m_mailUseSMTP, value); }
void TillboxGlobalSettings::setSmtpHost(const QString &value) { assign(m_smtpHost, value); }
void TillboxGlobalSettings::setSmtpPort(int value) { assign(m_smtpPort, value); }
void TillboxGlobalSettings::setSmtpUsername(const QString &value) { assign(m_smtpUsername, value); }
void TillboxGlobalSettings::setSmtpPassword(const QString &value) { assign(m_smtpPassword, value); }
void TillboxGlobalSettings::setSmtpUseSSL(bool value) { assign(m_smtpUseSSL, value); }

void TillboxGlobalSettings::setAdditionalCostsDescription(const QString &value)
{
    assign(m_additionalCostsDescription, value);
}
void TillboxGlobalSettings::setAdditionalCostsTypeTag(int value) { assign(m_additionalCostsTypeTag, value); }

float TillboxGlobalSettings::additionalCostsLimit(int tier) const
{
    Q_ASSERT(tier >= 0 && tier < AdditionalCostTierCount);
    return tier >= 0 && tier < AdditionalCostTierCount ? m_additionalCostsLimits[tier] : 0.0f;
}

void TillboxGlobalSettings::setAdditionalCostsLimit(int tier, float value)
{
    Q_ASSERT(tier >= 0 && tier < AdditionalCostTierCount);
    if (tier >= 0 && tier < AdditionalCostTierCount)
        assign(m_additionalCostsLimits[tier], value);
}

float TillboxGlobalSettings::additionalCostsValue(int tier) const
{
    Q_ASSERT(tier >= 0 && tier < AdditionalCostTierCount);
    return tier >= 0 && tier < AdditionalCostTierCount ? m_additionalCostsValues[tier] : 0.0f;
}

void TillboxGlobalSettings::setAdditionalCostsValue(int tier, float value)
{
    Q_ASSERT(tier >= 0 && tier < AdditionalCostTierCount);
    if (tier >= 0 && tier < AdditionalCostTierCount)
        assign(m_additionalCostsValues[tier], value);
}

void TillboxGlobalSettings::setShowQuantityField(bool value) { assign(m_showQuantityField, value); }

void TillboxGlobalSettings::setEffectsDuration(float value)
{
    if (sameFieldValue(m_effectsDuration, value))
        return;
    assign(m_effectsDuration, value);
    setEffectsDurationString(effectsDurationText(value));
}

void TillboxGlobalSettings::setEffectsDurationString(const QString &value) { assign(m_effectsDurationString, value); }
void TillboxGlobalSettings::setCartColumnsIndex(int value) { assign(m_cartColumnsIndex, value); }
void TillboxGlobalSettings::setUseCustomLayout(bool value) { assign(m_useCustomLayout, value); }
void TillboxGlobalSettings::setCustomLayout(const QString &value) { assign(m_customLayout, value); }
void TillboxGlobalSettings::setCartDisclaimerLabel(const QString &value) { assign(m_cartDisclaimerLabel, value); }

void TillboxGlobalSettings::setLocalizableStrings(const QMap<QString, QString> &strings)
{
    const QMap<QString, QString> defaults = defaultLocalizableStrings();
    QMap<QString, QString> merged = m_localizableStrings;
    for (auto it = strings.cbegin(); it != strings.cend(); ++it) {
        if (defaults.contains(it.key()))
            merged.insert(it.key(), it.value());
    }
    assign(m_localizableStrings, merged);
}

void TillboxGlobalSettings::setCartReturnURL(const QString &value) { assign(m_cartReturnURL, value); }

// --- Currencies and PayPal languages ------------------------------------------

void TillboxGlobalSettings::setCurrencyByTag(int tag)
{
    if (tag == CurrencyTables::CustomTag) {
        // The owner types code, symbol and side in; keep what is there.
        m_currency->setTag(tag);
        return;
    }
    const auto row = CurrencyTables::currencyForTag(tag);
    if (!row)
        return;
    m_currency->setCode(row->code);
    m_currency->setSymbol(row->symbol);
    m_currency->setShownOnLeft(row->shownOnLeft);
}

void TillboxGlobalSettings::setPayPalLanguageByTag(int tag)
{
    if (tag == CurrencyTables::CustomTag) {
        setPayPalLanguageTag(tag);
        return;
    }
    if (const auto code = CurrencyTables::payPalLanguageCodeForTag(tag))
        setPayPalLanguageCode(*code);
}

QString TillboxGlobalSettings::currencyPayPalForOldIndex(int index)
{
    return CurrencyTables::oldCurrencyCode(index);
}

QString TillboxGlobalSettings::currencySymbolForOldIndex(int index)
{
    return CurrencyTables::oldCurrencySymbol(index);
}

QString TillboxGlobalSettings::payPalLanguageForOldIndex(int index)
{
    return CurrencyTables::oldPayPalLanguageCode(index);
}

QString TillboxGlobalSettings::decimalSeparator() const
{
    return m_decimalSeparatorIndex == 1 ? QStringLiteral(",") : QStringLiteral(".");
}

// --- Cart layout values -------------------------------------------------------

QString TillboxGlobalSettings::unitWithIndex(int index)
{
    return index == 1 ? QStringLiteral("%") : QStringLiteral("px");
}

QString TillboxGlobalSettings::cartFontSizeString() const
{
    if (m_cartFontSizeUnitIndex == 1)
        return cFixed(double(m_cartFontSize), 0) + QStringLiteral("px");
    return cFixed(double(m_cartFontSize), 2) + QStringLiteral("em");
}

QString TillboxGlobalSettings::cartWidthString() const
{
    return QString::number(m_cartWidth) + unitWithIndex(m_cartWidthUnitIndex);
}

QString TillboxGlobalSettings::cartPriceColumnWidthString() const
{
    return QString::number(m_cartPriceColumnWidth) + unitWithIndex(m_cartPriceColumnWidthUnitIndex);
}

QString TillboxGlobalSettings::cartIconSetPrefixString() const
{
    return m_cartIconSetIndex == 0 ? QStringLiteral("x") : QStringLiteral("v");
}

QString TillboxGlobalSettings::cartPositionString() const
{
    return m_cartPositionIndex == 1 ? QStringLiteral("bottom") : QStringLiteral("top");
}

QString TillboxGlobalSettings::cartAlignmentString() const
{
    switch (m_cartAlignmentIndex) {
    case 0: return QStringLiteral("left");
    case 2: return QStringLiteral("right");
    default: return QStringLiteral("center");
    }
}

namespace {

// A present but empty template is "", not absent.
QString templateText(const Bundle &bundle, const QString &name)
{
    const auto text = bundle.resourceText(name, QStringLiteral("html"));
    if (!text)
        return QString();
    return text->isNull() ? QStringLiteral("") : *text;
}

} // namespace

QString TillboxGlobalSettings::defaultLayout() const
{
    return templateText(*m_bundle, QStringLiteral("template_item"));
}

QString TillboxGlobalSettings::templateCart() const
{
    return templateText(*m_bundle, QStringLiteral("template_cart"));
}

QMap<QString, QString> TillboxGlobalSettings::defaultLocalizableStrings() const
{
    QMap<QString, QString> defaults;
    for (const ShopperTexts::Entry &entry : ShopperTexts::entries()) {
        const QString text = m_bundle->localizedString(entry.key);
        defaults.insert(text, text);
    }
    return defaults;
}

QVariant TillboxGlobalSettings::fieldValue(QStringView name) const
{
    return fieldTable().byName(name).value(this);
}

void TillboxGlobalSettings::setFieldValue(QStringView name, const QVariant &value)
{
    // Setters that do more than store.
    if (name == u"effectsDuration")
        return setEffectsDuration(value.toFloat());
    if (name == u"localizableStrings")
        return setLocalizableStrings(value.value<QMap<QString, QString>>());
    const RecordField &row = fieldTable().byName(name);
    if (row.store(this, value))
        Q_EMIT valueChanged(row.changeKey());
}
