#include "export/productlisting.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/exportparameters.h"
#include "host/rmhtml.h"
#include "host/rwdocument.h"
#include "host/rwpage.h"
#include "images/picture.h"
#include "export/productimagewriter.h"
#include "export/exportsource.h"
#include "prices/priceformatting.h"
#include "settings/tillboxglobalsettings.h"
#include "util/cformat.h"
#include "util/customreplace.h"
#include "util/placeholdertemplate.h"

#include <QtDebug>

#include <memory>
#include <optional>
#include <vector>

namespace {

const QString ProductAreaOpening = QStringLiteral("\n<div>\n");
const QString ProductAreaClosing = QStringLiteral("\n</div>\n");

using Step = PlaceholderTemplate::Step;

void fill(QString &text, const QString &target, const QString &value, EscapeMode mode)
{
    text = CustomReplace::stringByCustomReplacingOccurrencesOfString(text, target, value, mode);
}

QString number(int32_t value)
{
    return QString::number(value);
}

// A price or option surcharge times a tax rate, as the cart computes it:
// the product in single precision, the division in double.
double taxAmount(float taxRate, float price)
{
    const float product = taxRate * price;
    return double(product) / 100.0;
}

// Everything one call of contentHTML works with.
class ListingRun
{
public:
    ListingRun(ExportSource &source, const Bundle &bundle, const ExportParameters &params)
        : m_source(source), m_bundle(bundle), m_params(params), m_settings(source.exportSettings()),
          m_prices(m_settings)
    {
    }

    QString run();

private:
    void warnAboutMissingPHPInPreview();
    QString itemTemplate() const;
    QString styledTextHTML(const std::optional<StyledText> &text) const;
    QString pageHeader();
    QString pageFooter();
    void appendProductBlock(QString &output, const TillboxProduct &product, int *listedCount);
    QString optionsText(const TillboxProduct &product);
    QString valuesText(const TillboxProduct &product, const TillboxOption &option);
    bool pictureHasAlpha(const TillboxProduct &product);
    const std::shared_ptr<const Picture> &placeholder();
    // The template, read on first use and kept for the rest of the call
    // rather than read again for every product: a catalogue of thousands
    // would otherwise read and cut up the same text thousands of times.
    PlaceholderTemplate &templateFor(std::optional<PlaceholderTemplate> &slot, const char *name);

    ExportSource &m_source;
    const Bundle &m_bundle;
    const ExportParameters &m_params;
    TillboxGlobalSettings &m_settings;
    PriceFormatting m_prices;
    std::unique_ptr<RMHTML> m_exporter;
    const RWPage *m_page = nullptr;
    // The bundle's placeholder picture, read on first use: it stands in for
    // every product without a picture of its own.
    std::optional<std::shared_ptr<const Picture>> m_placeholder;

    std::optional<PlaceholderTemplate> m_item;
    std::optional<PlaceholderTemplate> m_optionInput;
    std::optional<PlaceholderTemplate> m_optionTextarea;
    std::optional<PlaceholderTemplate> m_optionSelect;
    std::optional<PlaceholderTemplate> m_optionValue;
    std::optional<PlaceholderTemplate> m_oldPrice;
    // One product's fill of the item layout, kept to reuse its room.
    std::vector<Step> m_blockSteps;
};

PlaceholderTemplate &ListingRun::templateFor(std::optional<PlaceholderTemplate> &slot, const char *name)
{
    if (!slot) {
        const QString resource = QString::fromLatin1(name);
        const auto text = m_bundle.resourceText(resource, QStringLiteral("html"));
        if (!text)
            qWarning().noquote() << QStringLiteral("Tillbox: missing or unreadable template %1.html").arg(resource);
        slot.emplace(text.value_or(QStringLiteral("")));
    }
    return *slot;
}

void ListingRun::warnAboutMissingPHPInPreview()
{
    if (!m_params.isPreview() || !m_settings.warnAboutMissingPHP())
        return;
    if (!m_settings.enableDirectOrder() && !m_settings.enableCoupons())
        return;
    m_source.runExportAlert({m_bundle.localizedString(QStringLiteral("PHPWarningTitle")),
                             m_bundle.localizedString(QStringLiteral("PreviewExplanation")),
                             m_bundle.localizedString(QStringLiteral("OK"))});
}

QString ListingRun::itemTemplate() const
{
    QString layout = m_settings.useCustomLayout() && !m_settings.customLayout().isEmpty()
                         ? m_settings.customLayout()
                         : m_settings.defaultLayout();
    if (layout.isNull()) {
        qWarning().noquote() << QStringLiteral("Tillbox: missing or unreadable template template_item.html");
        layout = QStringLiteral("");
    }
    layout.replace(QStringLiteral("%COLUMN_STYLE%"), number(m_settings.cartColumnsIndex() + 1));
    fill(layout, QStringLiteral("%DISPLAY_QUANTITY%"),
         m_settings.showQuantityField() ? QStringLiteral("inline") : QStringLiteral("none"), EscapeMode::Plain);
    return layout;
}

QString ListingRun::styledTextHTML(const std::optional<StyledText> &text) const
{
    const StyledText content = text.value_or(StyledText());
    const QString folder = m_params.filesFolderPath();
    return m_exporter->exportAttributedString(content, folder, folder, QStringLiteral(""),
                                              QStringLiteral("%content%"), QStringLiteral("content"), m_page);
}

QString ListingRun::pageHeader()
{
    if (m_settings.useHtmlPageHeader() && !m_settings.htmlPageHeader().isNull())
        return m_settings.htmlPageHeader();
    // The editor's text may not have reached the settings yet (it is copied
    // there on save): take it now so the preview shows what was typed.
    if (const auto text = m_source.pendingPageHeader())
        m_settings.setPageHeader(text);
    const auto header = m_settings.pageHeader();
    if (!header || header->isEmpty())
        return QStringLiteral("");
    return styledTextHTML(header);
}

QString ListingRun::pageFooter()
{
    if (m_settings.useHtmlPageFooter() && !m_settings.htmlPageFooter().isNull())
        return m_settings.htmlPageFooter();
    if (const auto text = m_source.pendingPageFooter())
        m_settings.setPageFooter(text);
    const auto footer = m_settings.pageFooter();
    if (!footer || footer->isEmpty())
        return QStringLiteral("");
    return styledTextHTML(footer);
}

bool ListingRun::pictureHasAlpha(const TillboxProduct &product)
{
    if (const auto icon = product.icon())
        return icon->hasAlphaChannel();
    // The export writes the bundle's placeholder picture for a product
    // without a usable one; name the files after that picture's format so
    // the page points at the files that are actually written.
    return !placeholder()->isNull() && placeholder()->hasAlphaChannel();
}

const std::shared_ptr<const Picture> &ListingRun::placeholder()
{
    if (!m_placeholder) {
        const auto bytes = m_bundle.imageResourceData(QStringLiteral("iconItem"));
        m_placeholder = std::make_shared<const Picture>(bytes.value_or(QByteArray()));
    }
    return *m_placeholder;
}

QString ListingRun::valuesText(const TillboxProduct &product, const TillboxOption &option)
{
    QString values = QStringLiteral("");
    std::vector<Step> steps;
    for (const auto &value : option.optionValuesArray()) {
        if (!value)
            continue;
        // The value's name in its entry, then the figures in all the
        // entries so far.
        steps = {
            {QStringLiteral("%OPTION_VALUE%"), value->optionValueName(), EscapeMode::Html},
            {QStringLiteral("%OPTION_PRICE%"), m_prices.stringWithPrice(value->optionValuePrice(), false),
             EscapeMode::Plain},
            {QStringLiteral("%OPTION_TAXES%"),
             m_prices.stringWithPrice(taxAmount(product.taxRate(), value->optionValuePrice()), false),
             EscapeMode::Plain},
            {QStringLiteral("%OPTION_WEIGHT%"), CFormat::fixed(value->optionValueWeight(), 6), EscapeMode::Plain},
            // The name alone: the cart script adds the surcharge itself.
            {QStringLiteral("%OPTION_VALUE_AND_PRICE%"), value->optionValueName(), EscapeMode::Html},
        };
        templateFor(m_optionValue, "template_option_value").appendFilled(values, steps, 1);
    }
    return values;
}

QString ListingRun::optionsText(const TillboxProduct &product)
{
    QString options = QStringLiteral("");
    std::vector<Step> steps;
    for (const auto &option : product.optionsArray()) {
        if (!option)
            continue;
        // Each option's template is appended, and its values, name and
        // product filled in all the options so far.
        PlaceholderTemplate *optionTemplate = nullptr;
        steps.clear();
        switch (option->optionTypeTag()) {
        case TillboxOption::OneLineTextTag:
            optionTemplate = &templateFor(m_optionInput, "template_item_option_input");
            break;
        case TillboxOption::MultiLineTextTag:
            optionTemplate = &templateFor(m_optionTextarea, "template_item_option_textarea");
            break;
        case TillboxOption::ValueListTag:
            optionTemplate = &templateFor(m_optionSelect, "template_item_option_select");
            steps.push_back({QStringLiteral("%TEMPLATE_OPTION_VALUES%"), valuesText(product, *option),
                             EscapeMode::Plain});
            break;
        default:
            break;
        }
        steps.push_back({QStringLiteral("%OPTION_NAME%"), option->optionName(), EscapeMode::Html});
        steps.push_back({QStringLiteral("%ID%"), number(product.productID()), EscapeMode::Html});
        if (optionTemplate) {
            optionTemplate->appendFilled(options, steps);
        } else {
            for (const Step &step : steps)
                fill(options, step.target, step.value, step.mode);
        }
    }
    return options;
}

void ListingRun::appendProductBlock(QString &output, const TillboxProduct &product, int *listedCount)
{
    if (product.status() == TillboxProduct::StatusHidden)
        return;

    std::vector<Step> &steps = m_blockSteps;
    steps.clear();
    steps.push_back({QStringLiteral("%NAME%"), product.name(), EscapeMode::Html});
    steps.push_back({QStringLiteral("%DESCRIPTION%"),
                     product.useHtmlDescription() && !product.htmlProductDescription().isNull()
                         ? product.htmlProductDescription()
                         : styledTextHTML(product.styledProductDescription()),
                     EscapeMode::Plain});
    steps.push_back({QStringLiteral("%SKU%"), product.SKU(), EscapeMode::Html});
    steps.push_back({QStringLiteral("%ID%"), number(product.productID()), EscapeMode::Plain});

    // The same names and formats as the files the export writes.
    const ProductImageWriter::Formats formats = ProductImageWriter::formatsFor(
        pictureHasAlpha(product), m_settings.preserveImageFormat(), product.hasDropShadow());
    const QString filesFolder = m_params.filesFolderName() + QLatin1Char('/');
    steps.push_back({QStringLiteral("%THUMB_PATH%"),
                     filesFolder
                         + ProductImageWriter::thumbnailFileName(product.productID(), product.iconName(),
                                                                 formats.thumbnail.extension),
                     EscapeMode::Plain});
    steps.push_back({QStringLiteral("%IMAGE_PATH%"),
                     filesFolder
                         + ProductImageWriter::fullImageFileName(product.productID(), product.iconName(),
                                                                 formats.fullImage.extension),
                     EscapeMode::Plain});

    // The thumbnail's size, so that the page keeps its room while it loads.
    const QSize thumbnail = ProductImageWriter::thumbnailSize(ProductImageWriter::jobFor(product, placeholder()));
    steps.push_back({QStringLiteral("%THUMB_WIDTH%"), thumbnail.isEmpty() ? QString() : number(thumbnail.width()),
                     EscapeMode::Plain});
    steps.push_back({QStringLiteral("%THUMB_HEIGHT%"), thumbnail.isEmpty() ? QString() : number(thumbnail.height()),
                     EscapeMode::Plain});

    steps.push_back({QStringLiteral("%TEMPLATE_ITEM_OPTIONS%"), optionsText(product), EscapeMode::Plain});

    const float effectivePrice = product.hasSpecialPrice() ? product.specialPrice() : product.price();
    const QString shownRegularPrice =
        m_prices.localizedStringWithPrice(m_prices.shownPrice(product.price(), product.taxRate()));
    if (product.hasSpecialPrice()) {
        QString oldPrice = templateFor(m_oldPrice, "template_old_price").text();
        fill(oldPrice, QStringLiteral("%I18N_OLD_PRICE%"), shownRegularPrice, EscapeMode::Plain);
        fill(oldPrice, QStringLiteral("%I18N_PRICE%"), shownRegularPrice, EscapeMode::Plain);
        steps.push_back({QStringLiteral("%PRICE%"), m_prices.stringWithPrice(product.specialPrice(), false),
                         EscapeMode::Plain});
        steps.push_back(
            {QStringLiteral("%I18N_PRICE%"),
             m_prices.localizedStringWithPrice(m_prices.shownPrice(product.specialPrice(), product.taxRate())),
             EscapeMode::Plain});
        steps.push_back({QStringLiteral("%TEMPLATE_OLD_PRICE%"), oldPrice, EscapeMode::Plain});
    } else {
        steps.push_back({QStringLiteral("%PRICE%"), m_prices.stringWithPrice(product.price(), false),
                         EscapeMode::Plain});
        steps.push_back({QStringLiteral("%I18N_PRICE%"), shownRegularPrice, EscapeMode::Plain});
        steps.push_back({QStringLiteral("%TEMPLATE_OLD_PRICE%"), QStringLiteral(""), EscapeMode::Plain});
    }
    steps.push_back({QStringLiteral("%TAXES%"),
                     m_prices.stringWithPrice(taxAmount(product.taxRate(), effectivePrice), false),
                     EscapeMode::Plain});

    if (product.hasShipping()) {
        steps.push_back({QStringLiteral("%SHIPPING_1%"), m_prices.stringWithPrice(product.shipping(), false),
                         EscapeMode::Plain});
        steps.push_back({QStringLiteral("%SHIPPING_2%"),
                         m_prices.stringWithPrice(product.additionalItemShipping(), false), EscapeMode::Plain});
    } else {
        steps.push_back({QStringLiteral("%SHIPPING_1%"), QStringLiteral(""), EscapeMode::Plain});
        steps.push_back({QStringLiteral("%SHIPPING_2%"), QStringLiteral(""), EscapeMode::Plain});
    }
    steps.push_back({QStringLiteral("%CURRENCY_SYMBOL%"), QStringLiteral(""), EscapeMode::Plain});
    steps.push_back({QStringLiteral("%PURCHASE_LIMIT%"), number(product.purchaseLimit()), EscapeMode::Plain});
    steps.push_back({QStringLiteral("%WEIGHT%"), CFormat::fixed(product.weight(), 6), EscapeMode::Plain});

    const QMap<QString, QString> &texts = m_settings.localizableStrings();
    if (product.status() == TillboxProduct::StatusAvailable) {
        steps.push_back({QStringLiteral("%OUT_OF_STOCK%"), QStringLiteral(""), EscapeMode::Plain});
        steps.push_back({QStringLiteral("%ADD_TO_CART%"),
                         texts.value(m_bundle.localizedString(QStringLiteral("i18nAddToCart"))), EscapeMode::Html});
    } else if (product.status() == TillboxProduct::StatusOutOfStock) {
        steps.push_back({QStringLiteral("%OUT_OF_STOCK%"), QStringLiteral("disabled=true"), EscapeMode::Plain});
        steps.push_back({QStringLiteral("%ADD_TO_CART%"),
                         texts.value(m_bundle.localizedString(QStringLiteral("i18nOutOfStock"))), EscapeMode::Html});
    }

    // Filled on its own, as the steps act on this product's block alone.
    QString block;
    m_item->appendFilled(block, steps);
    output += block;

    ++*listedCount;
    const int columns = m_settings.cartColumnsIndex() + 1;
    if (m_settings.cartColumnsIndex() > 0 && *listedCount % columns == 0)
        output += TBXIEMultiColumnFix;
}

QString ListingRun::run()
{
    warnAboutMissingPHPInPreview();
    m_item.emplace(itemTemplate());

    m_exporter = m_source.exportStyledTextExporter(m_params);
    if (!m_exporter)
        m_exporter = RMHTML::HTMLExporterWithParameterDictionary(m_params);
    m_page = m_source.exportPage();

    QString output = pageHeader() + ProductAreaOpening;
    int listedCount = 0;
    for (const auto &product : m_source.exportProducts()) {
        if (product)
            appendProductBlock(output, *product, &listedCount);
    }
    output += ProductAreaClosing;
    output += pageFooter();
    return output;
}

} // namespace

ProductListing::ProductListing(ExportSource &source, const Bundle &bundle) : m_source(source), m_bundle(bundle) {}

QString ProductListing::contentHTML(const ExportParameters &params)
{
    return ListingRun(m_source, m_bundle, params).run();
}
