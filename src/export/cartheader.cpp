#include "export/cartheader.h"

#include "export/exportfileset.h"
#include "host/bundle.h"
#include "host/exportparameters.h"
#include "host/rwhost.h"
#include "prices/priceformatting.h"
#include "settings/shoppertexts.h"
#include "settings/tillboxglobalsettings.h"
#include "util/cformat.h"
#include "util/cocoacryptohashing.h"
#include "util/customreplace.h"

#include <QRegularExpression>
#include <QtDebug>

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString hexColor(const std::optional<Color> &color)
{
    if (!color)
        return QString();
    return color->qmvHexValue().value_or(QString());
}

// The shopper texts of the cart, in the order the header fills them (the
// coupon texts come before the order-form texts here, unlike the order in
// which the defaults are built). Placeholders come from ShopperTexts.
const QStringList &headerTextKeys()
{
    static const QStringList keys = {
        QStringLiteral("i18nSubtotal"),      QStringLiteral("i18nTotal"),        QStringLiteral("i18nClickShow"),
        QStringLiteral("i18nClickHide"),     QStringLiteral("i18nHideCart"),     QStringLiteral("i18nEmptyCart"),
        QStringLiteral("i18nCartItems"),     QStringLiteral("i18nBack"),         QStringLiteral("i18nDecrease"),
        QStringLiteral("i18nRemove"),        QStringLiteral("i18nIncrease"),     QStringLiteral("i18nPrice"),
        QStringLiteral("i18nShipping"),      QStringLiteral("i18nTaxes"),        QStringLiteral("i18nProducts"),
        QStringLiteral("i18nCheckout"),      QStringLiteral("i18nAgree"),        QStringLiteral("i18nClose"),
        QStringLiteral("i18nProceed"),       QStringLiteral("i18nPayment"),      QStringLiteral("i18nPaypal"),
        QStringLiteral("i18nGoogle"),        QStringLiteral("i18nEJunkie"),      QStringLiteral("i18nSisow"),
        QStringLiteral("i18nCard"),          QStringLiteral("i18nOrder"),        QStringLiteral("i18nThankYou"),
        QStringLiteral("i18nSend"),          QStringLiteral("i18nEnterCoupon"),  QStringLiteral("i18nCheckCoupon"),
        QStringLiteral("i18nCancelCoupon"),  QStringLiteral("i18nRequired"),     QStringLiteral("i18nPersonalInfo"),
        QStringLiteral("i18nOrderSucceded"), QStringLiteral("i18nOrderFailed"),
    };
    return keys;
}

QString placeholderForTextKey(const QString &key)
{
    for (const ShopperTexts::Entry &entry : ShopperTexts::entries()) {
        if (entry.key == key)
            return entry.placeholder;
    }
    Q_ASSERT_X(false, "placeholderForTextKey", "text key missing from ShopperTexts");
    return QString();
}

QString apply(const QString &text, const CartHeader::Row &row)
{
    switch (row.kind) {
    case CartHeader::Kind::Literal: {
        QString result = text;
        return result.replace(row.placeholder, row.value);
    }
    case CartHeader::Kind::Plain:
        return CustomReplace::stringByCustomReplacingOccurrencesOfString(text, row.placeholder, row.value,
                                                                         EscapeMode::Plain);
    case CartHeader::Kind::Script:
        return CustomReplace::stringByCustomReplacingOccurrencesOfString(text, row.placeholder, row.value,
                                                                         EscapeMode::Script);
    case CartHeader::Kind::Html:
        return CustomReplace::stringByCustomReplacingOccurrencesOfString(text, row.placeholder, row.value,
                                                                         EscapeMode::Html);
    }
    return text;
}

} // namespace

CartHeader::CartHeader(const TillboxGlobalSettings &settings, const Bundle &bundle)
    : m_settings(settings), m_bundle(bundle)
{
}

QString CartHeader::orderRequiredString(const TillboxGlobalSettings &settings)
{
    QString flags;
    for (int field = 1; field <= TillboxGlobalSettings::OrderFieldCount; ++field)
        flags += settings.directOrderFieldRequired(field) ? QLatin1Char('1') : QLatin1Char('0');
    return flags;
}

QString CartHeader::base64(const QString &text)
{
    if (text.isNull())
        return QString();
    return QString::fromLatin1(text.toUtf8().toBase64());
}

int CartHeader::hostMajorVersion()
{
    const QString version = RWHost::shortVersionString().trimmed();
    int major = 0;
    for (const QChar c : version) {
        if (c.unicode() < '0' || c.unicode() > '9')
            break;
        if (major > 100000) // far beyond any real version; keeps the value in range
            break;
        major = major * 10 + (c.unicode() - '0');
    }
    return major;
}

QString CartHeader::sisowSharedSecret() const
{
    static const QRegularExpression form(QStringLiteral("^[0-9a-f]{40}$"));
    const QString secret = m_bundle.infoValue(SisowSecretInfoKey);
    if (!form.match(secret).hasMatch()) {
        qWarning().noquote() << QStringLiteral("Tillbox: %1 in Info.plist is missing or not 40 lower-case hex digits.")
                                    .arg(SisowSecretInfoKey);
    }
    return secret;
}

QString CartHeader::sisowSignature() const
{
    // An absent account signs as an empty one.
    return base64(CocoaCryptoHashing::sha1HexHash(m_settings.sisowAccount() + sisowSharedSecret()));
}

QList<CartHeader::Row> CartHeader::settingsRows() const
{
    const TillboxGlobalSettings &s = m_settings;
    const PriceFormatting prices(s);
    const TillboxCurrency &currency = *s.currency();

    QList<Row> rows = {
        {QStringLiteral("%COOKIE%"), s.cartID(), Kind::Script},
        {QStringLiteral("%RETURN_URL%"), base64(s.cartReturnURL()), Kind::Script},
        {QStringLiteral("%FONT_SIZE%"), s.cartFontSizeString(), Kind::Plain},
        {QStringLiteral("%CART_WIDTH%"), s.cartWidthString(), Kind::Plain},
        {QStringLiteral("%CART_POSITION%"), s.cartPositionString(), Kind::Plain},
        {QStringLiteral("%CART_ALIGN%"), s.cartAlignmentString(), Kind::Plain},
        {QStringLiteral("%ICON_SIZE%"), QString::number(s.cartProductImagesSize()), Kind::Plain},
        {QStringLiteral("%COLUMN_WIDTH%"), s.cartPriceColumnWidthString(), Kind::Plain},
        // Milliseconds: the product in single precision, as the cart expects.
        {QStringLiteral("%EFFECTS_DURATION%"), CFormat::fixed(double(s.effectsDuration() * 1000.0f), 0), Kind::Plain},
        {QStringLiteral("%COLOR_CART%"), hexColor(s.cartBackgroundColor()), Kind::Plain},
        {QStringLiteral("%COLOR_BORDER%"), hexColor(s.cartBorderColor()), Kind::Plain},
        {QStringLiteral("%COLOR_BUTTON%"), hexColor(s.cartButtonColor()), Kind::Plain},
        {QStringLiteral("%COLOR_TEXT%"), hexColor(s.cartTextColor()), Kind::Plain},
        {QStringLiteral("%COLOR_IMAGE%"), hexColor(s.cartImageBackgroundColor()), Kind::Plain},
        {QStringLiteral("%DECIMALS%"), QString::number(s.decimalNumberIndex()), Kind::Plain},
        {QStringLiteral("%DECIMAL_SEPARATOR%"), s.decimalSeparator(), Kind::Plain},
        {QStringLiteral("%SHOW_TAXES%"), boolText(s.showPricesIncludingTaxes()), Kind::Plain},
        {QStringLiteral("%ENABLE_COMPATIBILITY_MODE%"), boolText(s.enableCompatibilityMode()), Kind::Literal},
        {QStringLiteral("%ENABLE_COUPONS%"), boolText(s.enableCoupons()), Kind::Literal},
        {QStringLiteral("%ENABLE_DISCLAIMER%"), boolText(s.enableDisclaimer()), Kind::Literal},
        {QStringLiteral("%ENABLE_PAYPAL%"), boolText(s.enablePayPal()), Kind::Literal},
        {QStringLiteral("%ENABLE_GOOGLE_CHECKOUT%"), boolText(s.enableGoogleCheckout()), Kind::Literal},
        {QStringLiteral("%ENABLE_EJUNKIE%"), boolText(s.enableEJunkie()), Kind::Literal},
        {QStringLiteral("%ENABLE_DIRECT_ORDER%"), boolText(s.enableDirectOrder()), Kind::Literal},
        {QStringLiteral("%ENABLE_SISOW%"), boolText(s.enableSisow()), Kind::Literal},
        {QStringLiteral("%PAYPAL_ACCOUNT%"), base64(s.payPalAccount()), Kind::Script},
        {QStringLiteral("%PAYPAL_CURRENCY%"), currency.code(), Kind::Script},
        {QStringLiteral("%PAYPAL_LANGUAGE%"), s.payPalLanguageCode(), Kind::Script},
        {QStringLiteral("%ENABLE_PAYPAL_SANDBOX%"), boolText(s.enablePayPalSandbox()), Kind::Literal},
        {QStringLiteral("%MERCHANT_ID%"), base64(s.googleCheckoutAccount()), Kind::Script},
        {QStringLiteral("%GOOGLE_CHECKOUT_CURRENCY%"), currency.code(), Kind::Script},
        {QStringLiteral("%EJUNKIE_ACCOUNT%"), base64(s.eJunkieAccount()), Kind::Script},
        {QStringLiteral("%SISOW_ACCOUNT%"), base64(s.sisowAccount()), Kind::Script},
        {QStringLiteral("%SISOW_SIGNATURE%"), sisowSignature(), Kind::Script},
        {QStringLiteral("%ORDER_ACCOUNT%"), base64(s.directOrderEmail()), Kind::Script},
        {QStringLiteral("%ORDER_SUBJECT%"), s.directOrderSubject(), Kind::Script},
        {QStringLiteral("%ORDER_TEXT%"), s.directOrderText(), Kind::Script},
        {QStringLiteral("%ORDER_EMAIL_FIELD%"), QString::number(s.directOrderEmailFieldTag()), Kind::Plain},
        {QStringLiteral("%ORDER_REQUIRED%"), orderRequiredString(s), Kind::Plain},
        {QStringLiteral("%ORDER_ENABLEUID%"), boolText(s.directOrderUniqueIDEnabled()), Kind::Literal},
        {QStringLiteral("%ORDER_PREFIX%"), s.directOrderUniqueIDPrefix(), Kind::Script},
    };
    for (int field = 1; field <= TillboxGlobalSettings::OrderFieldCount; ++field)
        rows.append({QStringLiteral("%FIELD_%1%").arg(field), s.directOrderField(field), Kind::Script});
    rows.append({QStringLiteral("%SHIPPING_TEXT%"), s.additionalCostsDescription(), Kind::Script});
    switch (s.additionalCostsTypeTag()) {
    case 10:
        rows.append({QStringLiteral("%SHIPPING_TYPE%"), QStringLiteral("item"), Kind::Plain});
        break;
    case 20:
        rows.append({QStringLiteral("%SHIPPING_TYPE%"), QStringLiteral("price"), Kind::Plain});
        break;
    case 30:
        rows.append({QStringLiteral("%SHIPPING_TYPE%"), QStringLiteral("weight"), Kind::Plain});
        break;
    default:
        break; // the placeholder stays in the text
    }
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        rows.append({QStringLiteral("%SHIPPING_LIMIT_%1%").arg(tier),
                     prices.stringWithPrice(s.additionalCostsLimit(tier), true), Kind::Plain});
    }
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        rows.append({QStringLiteral("%SHIPPING_VALUE_%1%").arg(tier),
                     prices.stringWithPrice(s.additionalCostsValue(tier), true), Kind::Plain});
    }
    // The owner types these texts, and the header places them inside script
    // strings: a quote or backslash in them must not break the cart.
    rows.append({QStringLiteral("%CURRENCY_SYMBOL%"), currency.symbol(), Kind::Script});
    rows.append({QStringLiteral("%CURRENCY_POSITION%"),
                 currency.shownOnLeft() ? QStringLiteral("left") : QStringLiteral("right"), Kind::Plain});
    rows.append({QStringLiteral("%CURRENCY_SPACE%"), boolText(currency.spaceBetweenSymbolAndPrice()), Kind::Plain});
    rows.append({QStringLiteral("%DISCLAIMER%"), s.cartDisclaimerLabel(), Kind::Html});

    // Stored under the localized default text, never under the key; a text
    // the dictionary lacks gives an empty placeholder.
    const QMap<QString, QString> &texts = s.localizableStrings();
    for (const QString &key : headerTextKeys())
        rows.append({placeholderForTextKey(key), texts.value(m_bundle.localizedString(key)), Kind::Script});
    return rows;
}

std::optional<QString> CartHeader::pageContentHeadersTemplateWithParams(
    const std::optional<ExportParameters> &params) const
{
    const auto templateText = m_bundle.resourceText(QStringLiteral("template_header"), QStringLiteral("html"));
    if (!templateText)
        return std::nullopt;

    QString header = CustomReplace::stringByCustomReplacingOccurrencesOfString(
        *templateText, QStringLiteral("%VERSION%"), m_bundle.infoValue(QStringLiteral("CFBundleShortVersionString")),
        EscapeMode::Plain);

    // Hosts before 7 preview from a folder of their own, where only an
    // absolute path reaches the shared files, and a cart kept from one
    // preview to the next would show stale products.
    QString commonPath = TBXCommonFilePath;
    QString lifetime = QString::number(m_settings.cartExpiration());
    if (params) {
        const QString mode = params->mode();
        const bool previewLike = mode == ExportParameters::PreviewMode || mode == QLatin1String("masterStyle");
        if (hostMajorVersion() < 7 && previewLike) {
            commonPath = ExportFileSet::pathRemovingLocation(*params);
            lifetime = QStringLiteral("0");
        } else {
            commonPath = ExportFileSet::relativePathFromAbsolutePath(*params);
        }
    }
    header = CustomReplace::stringByCustomReplacingOccurrencesOfString(header, QStringLiteral("%REL_PATH%"),
                                                                       commonPath, EscapeMode::Plain);
    header = CustomReplace::stringByCustomReplacingOccurrencesOfString(header, QStringLiteral("%CART_EXPIRATION%"),
                                                                       lifetime, EscapeMode::Plain);

    for (const Row &row : settingsRows())
        header = apply(header, row);
    return header;
}
