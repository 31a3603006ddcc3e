// make-test-shop: writes a site document with one shop page ("shop") that
// uses every feature the browser tests exercise: list options with price and
// weight surcharges, one-line and multi-line text options, quantities,
// taxes, per-product shipping, tiered additional costs, coupons (valid,
// expired), a purchase limit, an out-of-stock product, all checkouts and a
// direct order sent over SMTP.
//
// The browser tests (e2e/) run against exports of this site and name its
// IDs, SKUs, names and prices.

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/headlessenvironment.h"
#include "host/sitedocument.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <unistd.h>

#include <cmath>
#include <functional>
#include <optional>

namespace {

struct Options
{
    bool decimalComma = false;
    bool symbolLeft = true;
    int smtpPort = 25;
    QString cartID = QStringLiteral("demoshop");
    QString output;
};

const char *const kUsage =
    "usage: make-test-shop [--decimal dot|comma] [--symbol left|right] [--smtp-port N] [--cart-id ID] OUTPUT\n"
    "  Writes a site document with one shop page (location \"shop\") for the browser tests.\n"
    "  --decimal    decimal separator of shown prices (default dot)\n"
    "  --symbol     side of the currency symbol \"$\"; on the right it is set off by a space (default left)\n"
    "  --smtp-port  port of the SMTP server on 127.0.0.1 that takes direct orders (default 25)\n"
    "  --cart-id    the cart's cookie name (default demoshop)\n";

std::optional<Options> parseArguments(const QStringList &args, QString *error)
{
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool takesValue = arg == QLatin1String("--decimal") || arg == QLatin1String("--symbol")
                                || arg == QLatin1String("--smtp-port") || arg == QLatin1String("--cart-id");
        if (takesValue && i + 1 >= args.size()) {
            *error = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        }
        if (arg == QLatin1String("--decimal")) {
            const QString value = args[++i];
            if (value != QLatin1String("dot") && value != QLatin1String("comma")) {
                *error = QStringLiteral("--decimal takes dot or comma, not \"%1\"").arg(value);
                return std::nullopt;
            }
            options.decimalComma = value == QLatin1String("comma");
        } else if (arg == QLatin1String("--symbol")) {
            const QString value = args[++i];
            if (value != QLatin1String("left") && value != QLatin1String("right")) {
                *error = QStringLiteral("--symbol takes left or right, not \"%1\"").arg(value);
                return std::nullopt;
            }
            options.symbolLeft = value == QLatin1String("left");
        } else if (arg == QLatin1String("--smtp-port")) {
            bool ok = false;
            options.smtpPort = args[++i].toInt(&ok);
            if (!ok || options.smtpPort < 1 || options.smtpPort > 65535) {
                *error = QStringLiteral("--smtp-port takes a port number from 1 to 65535");
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--cart-id")) {
            options.cartID = args[++i];
        } else if (arg.startsWith(QLatin1String("--")) || !options.output.isEmpty()) {
            *error = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return std::nullopt;
        } else {
            options.output = arg;
        }
    }
    if (options.output.isEmpty()) {
        *error = QStringLiteral("no output file given");
        return std::nullopt;
    }
    return options;
}

// --- Pictures -------------------------------------------------------------

// A product picture: a pale disc with a drawing on a transparent ground, so
// the export keeps PNG files (the shop preserves the image format).
QByteArray productPicture(const QColor &colour, const std::function<void(QPainter &)> &draw)
{
    constexpr int size = 480;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour.lighter(185));
        painter.drawEllipse(QRectF(8, 8, size - 16, size - 16));
        painter.setBrush(colour);
        painter.setPen(QPen(colour.darker(140), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw(painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void drawTee(QPainter &p)
{
    const QPolygonF tee({{150, 120}, {200, 100}, {280, 100}, {330, 120}, {390, 190}, {345, 225}, {320, 200},
                         {320, 380}, {160, 380}, {160, 200}, {135, 225}, {90, 190}});
    p.drawPolygon(tee);
}

void drawMug(QPainter &p)
{
    p.drawRoundedRect(QRectF(130, 150, 170, 210), 18, 18);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(270, 200, 90, 100));
}

void drawPoster(QPainter &p)
{
    p.drawRect(QRectF(140, 90, 200, 290));
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(190, 150, 100, 100));
}

void drawStickers(QPainter &p)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? 70 : 150;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(240 + radius * std::cos(angle), 250 + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    p.drawPath(star);
}

// --- Catalogue -------------------------------------------------------------

std::shared_ptr<TillboxOptionValue> value(const QString &name, float price = 0, float weight = 0)
{
    auto v = std::make_shared<TillboxOptionValue>();
    v->setOptionValueName(name);
    v->setOptionValuePrice(price);
    v->setOptionValueWeight(weight);
    return v;
}

std::shared_ptr<TillboxOption> option(const QString &name, int32_t tag,
                                      const TillboxOption::ValueList &values = {})
{
    auto o = TillboxOption::create();
    o->setOptionName(name);
    o->setOptionTypeTag(tag);
    o->setOptionValuesArray(values);
    return o;
}

struct ProductEntry
{
    int32_t id;
    QString sku;
    QString name;
    QString iconName;
    QString description; // HTML
    float price;
    std::optional<float> specialPrice;
    float taxRate;
    std::optional<std::pair<float, float>> shipping; // first item, each further item
    float weight;
    int32_t purchaseLimit = 0;
    int32_t status = TillboxProduct::StatusAvailable;
    QColor colour;
    std::function<void(QPainter &)> draw;
};

std::shared_ptr<TillboxProduct> makeProduct(const ProductEntry &entry)
{
    auto product = TillboxProduct::create();
    product->setProductID(entry.id);
    product->setSKU(entry.sku);
    product->setName(entry.name);
    product->setImage(productPicture(entry.colour, entry.draw));
    product->setIconName(entry.iconName);
    product->setImageName(entry.iconName + QStringLiteral(".png"));
    product->setIconWidth(160);
    product->setUseHtmlDescription(true);
    product->setHtmlProductDescription(entry.description);
    product->setPrice(entry.price);
    product->setHasSpecialPrice(entry.specialPrice.has_value());
    product->setSpecialPrice(entry.specialPrice.value_or(0));
    product->setTaxRate(entry.taxRate);
    product->setHasShipping(entry.shipping.has_value());
    product->setShipping(entry.shipping ? entry.shipping->first : 0);
    product->setAdditionalItemShipping(entry.shipping ? entry.shipping->second : 0);
    product->setWeight(entry.weight);
    product->setPurchaseLimit(entry.purchaseLimit);
    product->setStatus(entry.status);
    product->setHasCouponCode(false);
    return product;
}

void setCoupon(TillboxProduct &product, const QString &code, const QString &text, int32_t type, float value,
               const QDateTime &start, const QDateTime &end)
{
    product.setHasCouponCode(true);
    product.setCouponCode(code);
    product.setCouponDescription(text);
    product.setCouponType(type);
    product.setCouponValue(value);
    product.setCouponStart(start);
    product.setCouponEnd(end);
}

TillboxPlugin::ProductList catalogue()
{
    const ProductEntry tee{
        101, QStringLiteral("TEE-1"), QStringLiteral("Classic \"Tee\""), QStringLiteral("tee"),
        QStringLiteral("<p>Soft organic cotton, printed by hand.</p>"), 20.0f, std::nullopt, 10.0f,
        std::pair{3.0f, 1.0f}, 0.25f, 0, TillboxProduct::StatusAvailable, QColor(31, 163, 138), drawTee};
    const ProductEntry mug{
        102, QStringLiteral("MUG-2"), QStringLiteral("Mug"), QStringLiteral("mug"),
        QStringLiteral("<p>Stoneware, 300 ml.<br>Dishwasher safe.</p>"), 12.0f, 9.5f, 0.0f,
        std::nullopt, 0.4f, 2, TillboxProduct::StatusAvailable, QColor(245, 166, 35), drawMug};
    const ProductEntry poster{
        103, QStringLiteral("POSTER-3"), QStringLiteral("Poster"), QStringLiteral("poster"),
        QStringLiteral("<p>A3, matte paper.</p>"), 15.0f, std::nullopt, 10.0f,
        std::pair{2.0f, 0.5f}, 0.1f, 0, TillboxProduct::StatusOutOfStock, QColor(82, 96, 109), drawPoster};
    // The name is HTML, as shop owners may write it.
    const ProductEntry stickers{
        104, QStringLiteral("STICK-4"), QStringLiteral("Sticker <em>pack</em> & more"), QStringLiteral("sticker"),
        QStringLiteral("<p>Five vinyl stickers.</p>"), 1.5f, std::nullopt, 20.0f,
        std::pair{0.5f, 0.1f}, 0.01f, 0, TillboxProduct::StatusAvailable, QColor(224, 86, 75), drawStickers};

    auto teeProduct = makeProduct(tee);
    teeProduct->setOptionsArray({
        option(QStringLiteral("Size"), TillboxOption::ValueListTag,
               {value(QStringLiteral("S")), value(QStringLiteral("M")), value(QStringLiteral("L"), 2.0f, 0.05f)}),
        option(QStringLiteral("Print"), TillboxOption::OneLineTextTag),
    });
    auto mugProduct = makeProduct(mug);
    mugProduct->setOptionsArray({option(QStringLiteral("Message"), TillboxOption::MultiLineTextTag)});
    auto posterProduct = makeProduct(poster);
    auto stickerProduct = makeProduct(stickers);

    // Coupon days are compared with the server's date: a margin of days on
    // either side keeps them valid (or expired) whatever the time zones.
    const QDateTime now = QDateTime::currentDateTime();
    setCoupon(*teeProduct, QStringLiteral("SAVE10"), QStringLiteral("10% off tees"), 0, 10.0f, now.addDays(-2),
              now.addDays(30));
    setCoupon(*stickerProduct, QStringLiteral("STICKY"), QStringLiteral("Sticker's little \"thank you\""), 1, 1.0f,
              now.addDays(-2), now.addDays(30));
    setCoupon(*mugProduct, QStringLiteral("OLDMUG"), QStringLiteral("Last year's mug deal"), 1, 2.0f,
              now.addDays(-60), now.addDays(-30));
    return {teeProduct, mugProduct, posterProduct, stickerProduct};
}

// --- Settings --------------------------------------------------------------

void configure(TillboxGlobalSettings &s, const Options &options)
{
    s.setCartID(options.cartID);
    s.setCartExpiration(24);
    s.setCartReturnURL(QStringLiteral("https://shop.example.com/thanks.html"));
    s.setCartColumnsIndex(2);
    s.setShowQuantityField(true);
    s.setPreserveImageFormat(true);
    s.setUseHtmlPageHeader(true);
    s.setHtmlPageHeader(QStringLiteral("<p>Welcome to our little shop.</p>"));
    s.setUseHtmlPageFooter(true);
    s.setHtmlPageFooter(QStringLiteral("<p>Prices exclude taxes.</p>"));
    s.setCartDisclaimerLabel(QStringLiteral("Please read our terms & conditions.\nOrders ship within \"two\" days."));

    TillboxCurrency &currency = *s.currency();
    currency.setTag(10);
    currency.setCode(QStringLiteral("USD"));
    currency.setSymbol(QStringLiteral("$"));
    currency.setShownOnLeft(options.symbolLeft);
    currency.setSpaceBetweenSymbolAndPrice(!options.symbolLeft);
    s.setDecimalNumberIndex(2);
    s.setDecimalSeparatorIndex(options.decimalComma ? 1 : 0);
    s.setShowPricesIncludingTaxes(false);

    s.setEnableCoupons(true);
    s.setEnablePayPal(true);
    s.setPayPalAccount(QStringLiteral("shop@example.com"));
    s.setPayPalLanguageCode(QStringLiteral("US"));
    s.setEnablePayPalSandbox(true);
    s.setEnableGoogleCheckout(true);
    s.setGoogleCheckoutAccount(QStringLiteral("123456789012345"));
    s.setEnableEJunkie(true);
    s.setEJunkieAccount(QStringLiteral("98765"));
    s.setEnableSisow(true);
    s.setSisowAccount(QStringLiteral("2537000000"));

    s.setEnableDirectOrder(true);
    s.setDirectOrderEmail(QStringLiteral("shop@example.com"));
    s.setDirectOrderSubject(QStringLiteral("New order from your online shop"));
    s.setDirectOrderText(QStringLiteral("A new order has been placed in your shop.\nHere are the details:"));
    s.setDirectOrderEmailFieldTag(5);
    s.setDirectOrderUniqueIDEnabled(true);
    s.setDirectOrderUniqueIDPrefix(QStringLiteral("TB-"));
    const QStringList labels = {
        QStringLiteral("Name"), QStringLiteral("Surname"), QStringLiteral("Company"), QString(""),
        QStringLiteral("E-mail"), QStringLiteral("Phone"), QString(""), QStringLiteral("Address"),
        QStringLiteral("ZIP"), QStringLiteral("City"), QStringLiteral("Country"), QString(""),
        QString(""), QString(""), QStringLiteral("Notes")};
    const QString required = QStringLiteral("111011011110000");
    for (int field = 1; field <= TillboxGlobalSettings::OrderFieldCount; ++field) {
        s.setDirectOrderField(field, labels[field - 1]);
        s.setDirectOrderFieldRequired(field, required[field - 1] == QLatin1Char('1'));
    }
    s.setMailUseSMTP(true);
    s.setSmtpHost(QStringLiteral("127.0.0.1"));
    s.setSmtpPort(options.smtpPort);
    s.setSmtpUsername(QString(""));
    s.setSmtpPassword(QString(""));
    s.setSmtpUseSSL(false);

    s.setAdditionalCostsDescription(QStringLiteral("Handling"));
    s.setAdditionalCostsTypeTag(20);
    const float limits[] = {50.0f, 100.0f, 0, 0, 0};
    const float values[] = {5.0f, 2.5f, 0, 0, 0};
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        s.setAdditionalCostsLimit(tier, limits[tier]);
        s.setAdditionalCostsValue(tier, values[tier]);
    }

    // Shopper texts are keyed by their shipped default; only this one differs.
    s.setLocalizableStrings({{s.bundle().localizedString(QStringLiteral("i18nCheckCoupon")),
                              QStringLiteral("Check coupon")}});
}

} // namespace

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare();
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    QString error;
    const auto options = parseArguments(QCoreApplication::arguments(), &error);
    if (!options) {
        err << "make-test-shop: " << error << '\n' << kUsage;
        return 2;
    }

    auto plugin = std::make_shared<TillboxPlugin>();
    configure(*plugin->globalSettings(), *options);
    plugin->setProducts(catalogue());

    SiteDocument document;
    document.setSiteName(QStringLiteral("Test Shop"));
    SitePage page;
    page.uniqueID = SiteDocument::newUniqueID();
    page.title = QStringLiteral("Shop");
    page.location = QStringLiteral("shop");
    page.fileName = QStringLiteral("index.html");
    page.pluginData = plugin->archivedData();
    if (!document.addPage(page, &error) || !document.save(options->output, &error)) {
        err << "make-test-shop: " << error << '\n';
        return 1;
    }
    return 0;
}
