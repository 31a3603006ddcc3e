// make-demo-shop: writes the demo site document, one shop page of
// "Harbour Lane Coffee & Goods", a small coffee roaster.
//
//     make-demo-shop [--pictures DIR] OUTPUT.tillbox
//
// The product pictures come from DIR, by default the "pictures" folder beside
// OUTPUT (demo/render-art.sh draws them). Every ID, date and picture is fixed,
// so running the program again gives the same file byte for byte.

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/headlessenvironment.h"
#include "host/sitedocument.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"
#include "util/styledtext.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QTime>
#include <QTimeZone>

#include <functional>
#include <optional>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

// --- Fixed identity ---------------------------------------------------------

const QString kPageUniqueID = QStringLiteral("0b6f3c1e-5a2d-4c8e-9f47-2d1a6b8e4c30");
constexpr int kEuroTag = 20;

// The coupon window is wide on purpose: the demo must still accept the code
// years after the file was made.
QDateTime couponStart() { return QDateTime(QDate(2026, 1, 1), QTime(0, 0), QTimeZone::utc()); }
QDateTime couponEnd() { return QDateTime(QDate(2030, 12, 31), QTime(23, 59, 59), QTimeZone::utc()); }

// The shop shows prices including tax, but stores them net. The tables below
// hold what the shopper sees; this turns such a price into the stored one.
float net(double gross, double taxRate)
{
    return static_cast<float>(gross * 100.0 / (100.0 + taxRate));
}

// --- Styled text ------------------------------------------------------------

const Color kNavy(0x1F / 255.0, 0x3A / 255.0, 0x5F / 255.0);
// Dark enough for text on white (4.5:1).
const Color kCoral(0xB8 / 255.0, 0x5C / 255.0, 0x45 / 255.0);
const Color kGrey(0x6B / 255.0, 0x6B / 255.0, 0x6B / 255.0);

TextAttributes font(const QString &name, double size = 12.0)
{
    TextAttributes attributes;
    attributes.font = TextFont{name, size};
    return attributes;
}
TextAttributes bold() { return font(QStringLiteral("Helvetica-Bold")); }
TextAttributes italic() { return font(QStringLiteral("Helvetica-Oblique")); }
TextAttributes coloured(TextAttributes attributes, const Color &color)
{
    attributes.color = color;
    return attributes;
}
TextAttributes centred(TextAttributes attributes)
{
    attributes.alignment = TextAlignment::Center;
    return attributes;
}
TextAttributes link(const QString &target)
{
    TextAttributes attributes;
    attributes.link = target;
    attributes.underline = true;
    return attributes;
}

// "Tasting notes: ..." is set the same way on every coffee.
void appendTastingNotes(StyledText &text, const QString &notes)
{
    text.append(QStringLiteral("Tasting notes: "), bold());
    text.append(notes, coloured(italic(), kCoral));
}

StyledText pageHeader()
{
    StyledText text;
    text.append(QStringLiteral("Harbour Lane Coffee & Goods\n"),
                centred(coloured(font(QStringLiteral("Helvetica-Bold"), 20), kNavy)));
    text.append(QStringLiteral("Small-batch coffee, roasted every Tuesday by the harbour, "
                               "and the things you need to brew it.\n"),
                centred({}));
    text.append(QStringLiteral("New here? The code "), centred({}));
    text.append(QStringLiteral("WELCOME10"), centred(coloured(bold(), kCoral)));
    text.append(QStringLiteral(" takes 10 % off your House Blend."), centred({}));
    return text;
}

StyledText pageFooter()
{
    StyledText text;
    text.append(QStringLiteral("Harbour Lane Coffee & Goods \u00B7 Harbour Lane 12 \u00B7 "),
                centred(coloured(font(QStringLiteral("Helvetica"), 10), kGrey)));
    text.append(QStringLiteral("hello@example.com"),
                centred(coloured(link(QStringLiteral("mailto:hello@example.com")), kGrey)));
    text.append(QStringLiteral(" \u00B7 All prices include VAT, plus shipping."),
                centred(coloured(font(QStringLiteral("Helvetica"), 10), kGrey)));
    return text;
}

// --- Options -----------------------------------------------------------------

struct ValueSpec
{
    QString name;
    double grossSurcharge = 0; // what the shopper sees, like the prices
    double weight = 0;         // kilograms added
};

using OptionsFactory = std::function<TillboxProduct::OptionList(double taxRate)>;

std::shared_ptr<TillboxOption> listOption(const QString &name, const std::vector<ValueSpec> &values,
                                          double taxRate)
{
    auto option = std::make_shared<TillboxOption>();
    option->setOptionName(name);
    option->setOptionTypeTag(TillboxOption::ValueListTag);
    TillboxOption::ValueList list;
    for (const ValueSpec &entry : values) {
        auto value = std::make_shared<TillboxOptionValue>();
        value->setOptionValueName(entry.name);
        value->setOptionValuePrice(net(entry.grossSurcharge, taxRate));
        value->setOptionValueWeight(static_cast<float>(entry.weight));
        list.append(value);
    }
    option->setOptionValuesArray(list);
    return option;
}

std::shared_ptr<TillboxOption> textOption(const QString &name, int32_t tag)
{
    auto option = std::make_shared<TillboxOption>();
    option->setOptionName(name);
    option->setOptionTypeTag(tag);
    return option;
}

std::shared_ptr<TillboxOption> grindOption(double taxRate, bool espresso)
{
    std::vector<ValueSpec> values{{QStringLiteral("Whole beans")}, {QStringLiteral("Espresso (fine)")}};
    if (espresso)
        values.push_back({QStringLiteral("Moka pot")});
    else
        values.push_back({QStringLiteral("Filter (medium)")});
    values.push_back({QStringLiteral("French press (coarse)")});
    return listOption(QStringLiteral("Grind"), values, taxRate);
}

std::shared_ptr<TillboxOption> bagSizeOption(double taxRate, double price500, double price1000)
{
    return listOption(QStringLiteral("Bag size"),
                      {{QStringLiteral("250 g")},
                       {QStringLiteral("500 g"), price500, 0.25},
                       {QStringLiteral("1 kg"), price1000, 0.75}},
                      taxRate);
}

// --- The catalogue -------------------------------------------------------------

struct Shipping
{
    double first;
    double further;
};

struct Coupon
{
    QString code;
    QString description;
    float percent;
};

struct ProductSpec
{
    QString name;
    QString sku;
    QString picture; // file in the pictures folder
    int iconWidth = 144;
    bool dropShadow = false;
    double price = 0; // gross, see net()
    std::optional<double> specialPrice;
    double taxRate = 19;
    std::optional<Shipping> shipping; // none: ships free
    double weight = 0;
    int32_t status = TillboxProduct::StatusAvailable;
    int32_t purchaseLimit = 0;
    std::variant<StyledText, QString> description; // styled text, or HTML
    OptionsFactory options;
    std::optional<Coupon> coupon;
};

StyledText houseBlendDescription()
{
    StyledText text(QStringLiteral("Our everyday coffee, and the one we drink at the roastery bench.\n"));
    appendTastingNotes(text, QStringLiteral("milk chocolate, roasted hazelnut, a hint of orange peel.\n"));
    text.append(QStringLiteral("Brazil Cerrado and Colombia Huila, medium roast. Lovely as filter or espresso "
                               "and forgiving in every brewer."));
    return text;
}

StyledText lighthouseDescription()
{
    StyledText text;
    text.append(QStringLiteral("Bright enough to find your way home.\n"), italic());
    appendTastingNotes(text, QStringLiteral("dark cocoa, cherry, brown sugar.\n"));
    text.append(QStringLiteral("A darker roast for espresso machines and moka pots that holds its own in milk.\n"));
    text.append(QStringLiteral("Special price while the autumn lot lasts."), coloured(bold(), kCoral));
    return text;
}

StyledText decafDescription()
{
    StyledText text(QStringLiteral("Swiss Water decaffeinated coffee from Peru: all the taste, none of the "
                                   "jitters.\n"));
    appendTastingNotes(text, QStringLiteral("caramel, almond, soft red apple.\n"));
    text.append(QStringLiteral("Sold out for the moment: the next batch is in the roaster."), italic());
    return text;
}

StyledText winterReserveDescription()
{
    StyledText text(QStringLiteral("Our limited winter lot from Guji, Ethiopia, on sale from November.\n"));
    appendTastingNotes(text, QStringLiteral("blueberry, jasmine, dark honey.\n"));
    text.append(QStringLiteral("Two bags per order, so there is enough for everyone."), bold());
    return text;
}

StyledText mugDescription()
{
    StyledText text(QStringLiteral("A sturdy enamel mug with our harbour print, 350 ml. Goes from the kitchen "
                                   "table to the campfire and back.\n"));
    text.append(QStringLiteral("Engraving: "), bold());
    text.append(QStringLiteral("type a name and we engrave it on the back, free of charge (up to 20 "
                               "characters)."));
    return text;
}

StyledText filtersDescription()
{
    return StyledText(QStringLiteral("Unbleached paper filters, size 02, 100 pieces. Rinse once with hot water "
                                     "before brewing for the cleanest cup."));
}

StyledText toteDescription()
{
    StyledText text(QStringLiteral("Heavy organic cotton canvas with a screen-printed harbour badge. Carries four "
                                   "bags of coffee and a baguette.\n"));
    text.append(QStringLiteral("38 \u00D7 42 cm, long handles."), italic());
    return text;
}

StyledText tinDescription()
{
    return StyledText(QStringLiteral("Airtight storage tin with a brass-coloured lid. Keeps beans fresh for weeks, "
                                     "away from light, air and moisture."));
}

StyledText giftCardDescription()
{
    StyledText text(QStringLiteral("A gift card for coffee lovers, valid for three years in our shop. We post it "
                                   "as a printed card with your message, free of charge.\n"));
    text.append(QStringLiteral("Questions? Write to "));
    text.append(QStringLiteral("hello@example.com"), link(QStringLiteral("mailto:hello@example.com")));
    text.append(QStringLiteral("."));
    return text;
}

const QString kTastingSetHtml = QStringLiteral(
    "<p>Can't decide? Three 100&nbsp;g bags to find your favourite:</p>\n"
    "<ul>\n"
    "<li><strong>House Blend</strong> &ndash; chocolate and hazelnut</li>\n"
    "<li><strong>Lighthouse Espresso</strong> &ndash; cocoa and cherry</li>\n"
    "<li><strong>Sea Mist Decaf</strong> &ndash; caramel and almond</li>\n"
    "</ul>\n"
    "<p><em>Whole beans only.</em></p>");

const QString kDripperHtml = QStringLiteral(
    "<p>Hand-thrown ceramic dripper for one or two cups, made for us by a potter down the lane.</p>\n"
    "<ul>\n"
    "<li>Fits size 02 cone filters</li>\n"
    "<li>Spiral ribs for an even flow</li>\n"
    "<li>Dishwasher safe</li>\n"
    "</ul>");

const QString kGrinderHtml = QStringLiteral(
    "<p>A precise hand grinder with stainless steel burrs and a walnut grip.</p>\n"
    "<ul>\n"
    "<li>Stepped adjustment from espresso to French press</li>\n"
    "<li>Holds 30&nbsp;g of beans</li>\n"
    "<li>Two-year warranty</li>\n"
    "</ul>\n"
    "<p><strong>Special price</strong>, limited to two per order.</p>");

std::vector<ProductSpec> catalogue()
{
    return {
        {.name = QStringLiteral("House Blend"),
         .sku = QStringLiteral("HLC-HB-250"),
         .picture = QStringLiteral("bag-harbour.jpg"),
         .iconWidth = 160,
         .dropShadow = true,
         .price = 9.90,
         .taxRate = 7,
         .shipping = Shipping{4.90, 0.90},
         .weight = 0.25,
         .description = houseBlendDescription(),
         .options = [](double tax) {
             return TillboxProduct::OptionList{grindOption(tax, false), bagSizeOption(tax, 8.50, 17.90)};
         },
         .coupon = Coupon{QStringLiteral("WELCOME10"),
                          QStringLiteral("Welcome: 10 % off the House Blend"), 10.0f}},
        {.name = QStringLiteral("Lighthouse Espresso"),
         .sku = QStringLiteral("HLC-LE-250"),
         .picture = QStringLiteral("bag-lighthouse.jpg"),
         .iconWidth = 160,
         .price = 12.50,
         .specialPrice = 10.90,
         .taxRate = 7,
         .shipping = Shipping{4.90, 0.90},
         .weight = 0.25,
         .description = lighthouseDescription(),
         .options = [](double tax) {
             return TillboxProduct::OptionList{grindOption(tax, true), bagSizeOption(tax, 10.50, 21.90)};
         }},
        {.name = QStringLiteral("Sea Mist Decaf"),
         .sku = QStringLiteral("HLC-SM-250"),
         .picture = QStringLiteral("bag-decaf.png"),
         .price = 10.50,
         .taxRate = 7,
         .shipping = Shipping{4.90, 0.90},
         .weight = 0.25,
         .status = TillboxProduct::StatusOutOfStock,
         .description = decafDescription(),
         .options = [](double tax) { return TillboxProduct::OptionList{grindOption(tax, false)}; }},
        {.name = QStringLiteral("Tasting Set, 3 \u00D7 100 g"),
         .sku = QStringLiteral("HLC-TS-3X100"),
         .picture = QStringLiteral("tasting-set.jpg"),
         .iconWidth = 160,
         .price = 14.90,
         .taxRate = 7,
         .shipping = Shipping{4.90, 0.90},
         .weight = 0.35,
         .description = kTastingSetHtml},
        {.name = QStringLiteral("Winter Reserve, Ethiopia Guji"),
         .sku = QStringLiteral("HLC-WR-250"),
         .picture = QStringLiteral("bag-reserve.png"),
         .price = 16.50,
         .taxRate = 7,
         .shipping = Shipping{4.90, 0.90},
         .weight = 0.25,
         .status = TillboxProduct::StatusHidden,
         .purchaseLimit = 2,
         .description = winterReserveDescription(),
         .options = [](double tax) { return TillboxProduct::OptionList{grindOption(tax, false)}; }},
        {.name = QStringLiteral("Harbour Enamel Mug"),
         .sku = QStringLiteral("HLC-MUG-350"),
         .picture = QStringLiteral("mug.png"),
         .iconWidth = 128,
         .price = 14.00,
         .shipping = Shipping{4.90, 1.50},
         .weight = 0.30,
         .description = mugDescription(),
         .options = [](double) {
             return TillboxProduct::OptionList{
                 textOption(QStringLiteral("Engraving"), TillboxOption::OneLineTextTag)};
         }},
        {.name = QStringLiteral("Ceramic Pour-Over Dripper"),
         .sku = QStringLiteral("HLC-DRIP-02"),
         .picture = QStringLiteral("dripper.png"),
         .iconWidth = 128,
         .price = 24.00,
         .shipping = Shipping{5.90, 1.50},
         .weight = 0.45,
         .description = kDripperHtml,
         .options = [](double tax) {
             return TillboxProduct::OptionList{listOption(QStringLiteral("Glaze"),
                                                          {{QStringLiteral("Coral")},
                                                           {QStringLiteral("Sand")},
                                                           {QStringLiteral("Harbour blue"), 2.00}},
                                                          tax)};
         }},
        {.name = QStringLiteral("Paper Filters, 100 pcs"),
         .sku = QStringLiteral("HLC-FILT-100"),
         .picture = QStringLiteral("filters.png"),
         .iconWidth = 128,
         .price = 5.50,
         .shipping = Shipping{2.50, 0.50},
         .weight = 0.12,
         .description = filtersDescription()},
        {.name = QStringLiteral("Hand Grinder"),
         .sku = QStringLiteral("HLC-GRIND-01"),
         .picture = QStringLiteral("grinder.jpg"),
         .iconWidth = 160,
         .dropShadow = true,
         .price = 59.00,
         .specialPrice = 49.00,
         .shipping = Shipping{5.90, 2.00},
         .weight = 0.70,
         .purchaseLimit = 2,
         .description = kGrinderHtml},
        {.name = QStringLiteral("Canvas Tote"),
         .sku = QStringLiteral("HLC-TOTE-01"),
         .picture = QStringLiteral("tote.png"),
         .iconWidth = 128,
         .price = 12.00,
         .shipping = Shipping{3.90, 1.00},
         .weight = 0.18,
         .description = toteDescription()},
        {.name = QStringLiteral("Storage Tin"),
         .sku = QStringLiteral("HLC-TIN"),
         .picture = QStringLiteral("tin.png"),
         .iconWidth = 128,
         .price = 16.50,
         .shipping = Shipping{4.90, 1.50},
         .weight = 0.32,
         .description = tinDescription(),
         .options = [](double tax) {
             return TillboxProduct::OptionList{listOption(QStringLiteral("Size"),
                                                          {{QStringLiteral("For 250 g of beans")},
                                                           {QStringLiteral("For 500 g of beans"), 3.00, 0.08}},
                                                          tax)};
         }},
        // Vouchers carry no VAT when sold; it falls due when they are redeemed.
        {.name = QStringLiteral("Gift Card"),
         .sku = QStringLiteral("HLC-GIFT"),
         .picture = QStringLiteral("gift-card.png"),
         .price = 25.00,
         .taxRate = 0,
         .purchaseLimit = 5,
         .description = giftCardDescription(),
         .options = [](double tax) {
             return TillboxProduct::OptionList{
                 listOption(QStringLiteral("Value"),
                            {{QStringLiteral("25 \u20AC")},
                             {QStringLiteral("50 \u20AC"), 25.00},
                             {QStringLiteral("100 \u20AC"), 75.00}},
                            tax),
                 textOption(QStringLiteral("Gift message"), TillboxOption::MultiLineTextTag)};
         }},
    };
}

// --- Building the page -----------------------------------------------------------

bool readPicture(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

std::shared_ptr<TillboxProduct> makeProduct(const ProductSpec &entry, const QDir &pictures, QString *error)
{
    QByteArray image;
    const QString picturePath = pictures.filePath(entry.picture);
    if (!readPicture(picturePath, &image, error))
        return nullptr;

    auto product = TillboxProduct::create();
    product->setName(entry.name);
    product->setSKU(entry.sku);

    // The picture first, so that the width derives the height from it.
    product->setImage(image);
    if (!product->icon()) {
        *error = QStringLiteral("%1 is not a picture this build can decode").arg(picturePath);
        return nullptr;
    }
    product->setImageName(entry.picture);
    product->setIconName(QFileInfo(entry.picture).completeBaseName());
    product->setIconWidth(entry.iconWidth);
    product->setHasDropShadow(entry.dropShadow);

    if (const auto *styled = std::get_if<StyledText>(&entry.description)) {
        product->setUseHtmlDescription(false);
        product->setStyledProductDescription(*styled);
    } else {
        product->setUseHtmlDescription(true);
        product->setHtmlProductDescription(std::get<QString>(entry.description));
    }
    if (entry.options)
        product->setOptionsArray(entry.options(entry.taxRate));

    product->setPrice(net(entry.price, entry.taxRate));
    product->setHasSpecialPrice(entry.specialPrice.has_value());
    if (entry.specialPrice)
        product->setSpecialPrice(net(*entry.specialPrice, entry.taxRate));
    product->setTaxRate(static_cast<float>(entry.taxRate));
    product->setHasShipping(entry.shipping.has_value());
    if (entry.shipping) {
        product->setShipping(static_cast<float>(entry.shipping->first));
        product->setAdditionalItemShipping(static_cast<float>(entry.shipping->further));
    }
    product->setWeight(static_cast<float>(entry.weight));
    product->setStatus(entry.status);
    product->setPurchaseLimit(entry.purchaseLimit);

    // Every product gets the fixed window, not only the one with a coupon:
    // a new product's window starts "now", which would change on every run.
    product->setCouponStart(couponStart());
    product->setCouponEnd(couponEnd());
    product->setHasCouponCode(entry.coupon.has_value());
    if (entry.coupon) {
        product->setCouponCode(entry.coupon->code);
        product->setCouponDescription(entry.coupon->description);
        product->setCouponType(0); // a percentage
        product->setCouponValue(entry.coupon->percent);
    }
    return product;
}

void configureSettings(TillboxGlobalSettings &settings)
{
    // Euro, "9,90" style.
    settings.setCurrencyByTag(kEuroTag);
    settings.currency()->setTag(kEuroTag);
    settings.setDecimalSeparatorIndex(1);
    settings.setDecimalNumberIndex(2);
    settings.setDefaultTaxRate(19.0f);
    settings.setShowPricesIncludingTaxes(true);

    // Listing: three columns with a quantity field.
    settings.setCartColumnsIndex(2);
    settings.setShowQuantityField(true);
    settings.setPageHeader(pageHeader());
    settings.setPageFooter(pageFooter());

    // Cart in the shop's colours.
    settings.setCartBackgroundColor(kNavy);
    settings.setCartBorderColor(Color(0x2A / 255.0, 0x4A / 255.0, 0x73 / 255.0));
    // Coral deep enough for white button text (4.5:1).
    settings.setCartButtonColor(Color(0xB1 / 255.0, 0x60 / 255.0, 0x4B / 255.0));
    settings.setCartTextColor(Color(1.0, 1.0, 1.0));
    settings.setCartImageBackgroundColor(Color(0xF6 / 255.0, 0xF1 / 255.0, 0xE7 / 255.0));
    settings.setCartID(QStringLiteral("harbourlanecart"));

    // Checkout: PayPal's test environment, and orders by e-mail without SMTP.
    settings.setEnablePayPal(true);
    settings.setEnablePayPalSandbox(true);
    settings.setPayPalAccount(QStringLiteral("paypal-sandbox@example.com"));
    settings.setEnableDirectOrder(true);
    settings.setDirectOrderEmail(QStringLiteral("orders@example.com"));
    settings.setDirectOrderSubject(QStringLiteral("New order from the Harbour Lane shop"));
    settings.setDirectOrderText(QStringLiteral("Thank you for your order! We roast on Tuesdays and ship on "
                                               "Wednesdays. Here is what you ordered:"));
    settings.setDirectOrderUniqueIDEnabled(true);
    settings.setDirectOrderUniqueIDPrefix(QStringLiteral("HLC-"));
    settings.setDirectOrderFieldRequired(3, false); // company
    settings.setDirectOrderFieldRequired(6, false); // phone
    settings.setMailUseSMTP(false);

    settings.setEnableCoupons(true);
    settings.setEnableDisclaimer(true);
    settings.setCartDisclaimerLabel(QStringLiteral("I have read the terms of sale and the cancellation policy "
                                                   "and agree to them."));

    // Packing by order amount: small orders pay a little, from 40 euros none.
    settings.setAdditionalCostsDescription(QStringLiteral("Packing (free from 40 \u20AC)"));
    settings.setAdditionalCostsTypeTag(20);
    settings.setAdditionalCostsLimit(0, 20.0f);
    settings.setAdditionalCostsValue(0, 3.50f);
    settings.setAdditionalCostsLimit(1, 40.0f);
    settings.setAdditionalCostsValue(1, 1.50f);
}

int run(const QStringList &arguments, QTextStream &err)
{
    QStringList args = arguments.mid(1);
    QString picturesFolder;
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] == QLatin1String("--pictures") && i + 1 < args.size()) {
            picturesFolder = args[i + 1];
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        err << "usage: make-demo-shop [--pictures DIR] OUTPUT.tillbox\n";
        return 2;
    }
    const QString output = args.first();
    const QFileInfo outputInfo(output);
    if (picturesFolder.isEmpty())
        picturesFolder = outputInfo.absoluteDir().filePath(QStringLiteral("pictures"));
    const QDir pictures(picturesFolder);

    auto plugin = std::make_shared<TillboxPlugin>();
    configureSettings(*plugin->globalSettings());

    TillboxPlugin::ProductList products;
    QString error;
    for (const ProductSpec &entry : catalogue()) {
        auto product = makeProduct(entry, pictures, &error);
        if (!product) {
            err << "make-demo-shop: " << error << '\n';
            return 1;
        }
        products.append(product);
    }
    plugin->setProducts(products);
    // Saved by this plug-in, as an author's page would be: opening the demo
    // then marks nothing changed.
    plugin->setCurrentExportVersion(TillboxPlugin::pluginBundle().infoValue(QStringLiteral("QMVXExportVersion")));

    SitePage page;
    page.uniqueID = kPageUniqueID;
    page.title = QStringLiteral("Shop");
    page.location = QStringLiteral("shop");
    page.fileName = QStringLiteral("index.html");
    page.pluginData = plugin->archivedData();

    SiteDocument document;
    document.setSiteName(outputInfo.completeBaseName());
    if (!document.addPage(page, &error) || !document.save(output, &error)) {
        err << "make-demo-shop: " << error << '\n';
        return 1;
    }

    // Read the page back: it must load and give every field as it was made.
    // Its product IDs are freed first so the loaded products keep them.
    const QJsonObject made = plugin->toJson();
    plugin->unloadPluginOnDocumentClose();
    SiteDocument reread;
    std::shared_ptr<TillboxPlugin> loaded;
    if (reread.load(output, &error)) {
        if (const auto stored = reread.pageFromUniqueID(kPageUniqueID))
            loaded = TillboxPlugin::fromArchivedData(stored->pluginData, &error);
        else
            error = QStringLiteral("the shop page is missing");
    }
    if (!loaded || loaded->toJson() != made) {
        err << "make-demo-shop: " << output << " does not read back as written"
            << (error.isEmpty() ? QString() : QStringLiteral(": ") + error) << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare();
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    return run(QCoreApplication::arguments(), err);
}
