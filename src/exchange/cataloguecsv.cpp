#include "exchange/cataloguecsv.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"
#include "util/cformat.h"

namespace {

const QString kQuote = QStringLiteral("\"");

void appendQuoted(QString &line, const QString &value)
{
    line += QLatin1Char('"');
    if (value.contains(QLatin1Char('"'))) {
        QString escaped = value;
        line += escaped.replace(kQuote, QStringLiteral("\"\""));
    } else {
        line += value;
    }
    line += QLatin1Char('"');
}

QString optionValuesText(const TillboxOption &option)
{
    QString text;
    bool first = true;
    for (const auto &value : option.optionValuesArray()) {
        if (!value)
            continue;
        if (!first)
            text += QLatin1Char('|');
        first = false;
        // The names are quoted with the field as a whole; brackets and "|"
        // inside them stay as they are.
        text += QLatin1Char('[') + value->optionValueName() + QStringLiteral("][")
                + CFormat::fixed(value->optionValuePrice(), 6) + QStringLiteral("][")
                + CFormat::fixed(value->optionValueWeight(), 6) + QLatin1Char(']');
    }
    return text;
}

} // namespace

QString CatalogueCsv::allProductsCSV()
{
    return csvText(ProductRegistry::allOrderedProducts());
}

int CatalogueCsv::optionSlotCount(const ProductList &products)
{
    qsizetype slots = 0;
    for (const auto &product : products)
        slots = std::max(slots, product->optionsArray().size());
    return int(slots);
}

QStringList CatalogueCsv::headerFields(int optionSlots)
{
    QStringList fields{QStringLiteral("versionSKU"),
                       QStringLiteral("productExportEnabled"),
                       QStringLiteral("productName"),
                       QStringLiteral("productLongDescriptionMarkdown"),
                       QStringLiteral("productLongDescriptionHTML"),
                       QStringLiteral("versionName"),
                       QStringLiteral("versionPrice"),
                       QStringLiteral("versionAvailable"),
                       QStringLiteral("versionQuantity"),
                       QStringLiteral("versionWeight")};
    for (int i = 0; i < optionSlots; ++i) {
        const QString suffix = i == 0 ? QString() : QString::number(i);
        fields << QStringLiteral("optionType") + suffix << QStringLiteral("optionName") + suffix
               << QStringLiteral("optionValues") + suffix;
    }
    return fields;
}

QString CatalogueCsv::headerLine(int optionSlots)
{
    // The header's names are not quoted.
    return headerFields(optionSlots).join(QLatin1Char(',')) + QLatin1Char('\n');
}

QString CatalogueCsv::floatText(float value)
{
    return CFormat::general(value, 7);
}

QString CatalogueCsv::optionTypeName(int optionTypeTag)
{
    switch (optionTypeTag) {
    case TillboxOption::ValueListTag: return QStringLiteral("select");
    case TillboxOption::MultiLineTextTag: return QStringLiteral("textarea");
    case TillboxOption::OneLineTextTag: return QStringLiteral("text");
    default: return QStringLiteral("");
    }
}

QStringList CatalogueCsv::productFields(const TillboxProduct &product, int optionSlots)
{
    QStringList fields;
    fields.reserve(BaseColumnCount + 3 * optionSlots);
    const bool html = product.useHtmlDescription();
    // Absent texts (only from archives that lack the key) are written empty.
    const QString plainDescription =
        !html && product.styledProductDescription() ? product.styledProductDescription()->text() : QString();
    fields << product.SKU() << QString::number(product.status() != TillboxProduct::StatusHidden ? 1 : 0)
           << product.name() << plainDescription << (html ? product.htmlProductDescription() : QString())
           << product.name() << floatText(product.price())
           << QString::number(product.status() != TillboxProduct::StatusOutOfStock ? 1 : 0)
           << QString::number(product.purchaseLimit()) << floatText(product.weight());
    const auto &options = product.optionsArray();
    for (int i = 0; i < optionSlots; ++i) {
        if (i < options.size() && options[i]) {
            const TillboxOption &option = *options[i];
            fields << optionTypeName(option.optionTypeTag()) << option.optionName() << optionValuesText(option);
        } else {
            fields << QString() << QString() << QString();
        }
    }
    return fields;
}

QString CatalogueCsv::csvText(const ProductList &products)
{
    if (products.isEmpty())
        return QStringLiteral("");
    const int slots = optionSlotCount(products);
    QString text = headerLine(slots);
    text.reserve(products.size() * 160);
    for (const auto &product : products) {
        const QStringList fields = productFields(*product, slots);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += QLatin1Char(',');
            appendQuoted(text, fields[i]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}
