#include "exchange/catalogueimport.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "exchange/cataloguecsv.h"
#include "exchange/csvreader.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>

namespace {

enum Column { Sku, ExportEnabled, ProductName, Markdown, Html, VersionName, Price, Available, Quantity, Weight };

// What one row changes; absent members stay as they are.
struct RowPlan
{
    int line = 0;
    QString sku;
    std::shared_ptr<TillboxProduct> target; // null: a new product
    std::optional<QString> name;
    std::optional<bool> useHtml;
    std::optional<QString> description;
    std::optional<float> price;
    std::optional<int32_t> status;
    std::optional<int32_t> purchaseLimit;
    std::optional<float> weight;
    std::optional<TillboxProduct::OptionList> options;
};

class RowError
{
public:
    explicit RowError(QString reason) : reason(std::move(reason)) {}
    QString reason;
};

float parseFloat(const QString &text, const QString &column)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        throw RowError(QStringLiteral("%1 \"%2\" is not a number").arg(column, text));
    return float(value);
}

int32_t parseInt(const QString &text, const QString &column)
{
    bool ok = false;
    const int value = QLocale::c().toInt(text.trimmed(), &ok);
    if (!ok)
        throw RowError(QStringLiteral("%1 \"%2\" is not a whole number").arg(column, text));
    return value;
}

bool parseFlag(const QString &text, const QString &column)
{
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    throw RowError(QStringLiteral("%1 must be 0 or 1, not \"%2\"").arg(column, text));
}

// "[name][price][weight]" pieces joined by "|". A name may itself hold
// brackets and "|", so each piece ends at the first "][number][number]"
// followed by "|" or the end.
TillboxOption::ValueList parseValues(const QString &text)
{
    static const QRegularExpression tail(QStringLiteral("\\]\\[([^\\[\\]|]*)\\]\\[([^\\[\\]|]*)\\](\\||\\z)"));
    TillboxOption::ValueList values;
    qsizetype at = 0;
    while (at < text.size()) {
        if (text[at] != QLatin1Char('['))
            throw RowError(QStringLiteral("option values must read [name][price][weight]|..."));
        qsizetype close = at + 1;
        QRegularExpressionMatch match;
        for (;; ++close) {
            close = text.indexOf(QLatin1Char(']'), close);
            if (close < 0)
                throw RowError(QStringLiteral("option values must read [name][price][weight]|..."));
            match = tail.match(text, close, QRegularExpression::NormalMatch,
                               QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch())
                break;
        }
        auto value = std::make_shared<TillboxOptionValue>();
        value->setOptionValueName(text.mid(at + 1, close - at - 1));
        value->setOptionValuePrice(parseFloat(match.captured(1), QStringLiteral("an option value's price")));
        value->setOptionValueWeight(parseFloat(match.captured(2), QStringLiteral("an option value's weight")));
        values.append(value);
        at = match.capturedEnd(0);
        if (match.captured(3).isEmpty())
            break;
        if (at >= text.size())
            throw RowError(QStringLiteral("option values end in \"|\""));
    }
    return values;
}

std::shared_ptr<TillboxOption> parseOption(const QString &type, const QString &name, const QString &values)
{
    auto option = std::make_shared<TillboxOption>();
    if (type == QLatin1String("select"))
        option->setOptionTypeTag(TillboxOption::ValueListTag);
    else if (type == QLatin1String("textarea"))
        option->setOptionTypeTag(TillboxOption::MultiLineTextTag);
    else if (type == QLatin1String("text"))
        option->setOptionTypeTag(TillboxOption::OneLineTextTag);
    else
        throw RowError(QStringLiteral("option type \"%1\" is not select, textarea or text").arg(type));
    option->setOptionName(name);
    option->setOptionValuesArray(parseValues(values));
    return option;
}

// The checks and decisions for one row, without changing anything.
RowPlan planRow(const CsvReader::Record &record, int slots, const std::shared_ptr<TillboxProduct> &target)
{
    const QStringList &in = record.fields;
    RowPlan plan;
    plan.line = record.line;
    plan.sku = in[Sku];
    plan.target = target;
    // A new product takes every column; a known one only those that differ.
    const QStringList current = target ? CatalogueCsv::productFields(*target, slots) : QStringList();
    const auto differs = [&](int column) { return !target || in[column] != current[column]; };

    if (differs(ProductName) || differs(VersionName))
        plan.name = in[ProductName] != (target ? current[ProductName] : QString()) ? in[ProductName] : in[VersionName];
    if (differs(Markdown) || differs(Html)) {
        if (!in[Markdown].isEmpty() && !in[Html].isEmpty())
            throw RowError(QStringLiteral("a product has either a plain or an HTML description, not both"));
        if (!in[Html].isEmpty()) {
            plan.useHtml = true;
            plan.description = in[Html];
        } else if (!in[Markdown].isEmpty() || target) {
            // Both empty clears the description the product shows.
            plan.useHtml = !in[Markdown].isEmpty() ? false : target->useHtmlDescription();
            plan.description = in[Markdown];
        }
    }
    if (differs(Price))
        plan.price = parseFloat(in[Price], QStringLiteral("versionPrice"));
    const bool enabled = parseFlag(in[ExportEnabled], QStringLiteral("productExportEnabled"));
    const bool available = parseFlag(in[Available], QStringLiteral("versionAvailable"));
    if (differs(ExportEnabled) || differs(Available))
        plan.status = !enabled ? TillboxProduct::StatusHidden
                      : !available ? TillboxProduct::StatusOutOfStock
                                   : TillboxProduct::StatusAvailable;
    if (differs(Quantity))
        plan.purchaseLimit = parseInt(in[Quantity], QStringLiteral("versionQuantity"));
    if (differs(Weight))
        plan.weight = parseFloat(in[Weight], QStringLiteral("versionWeight"));

    // Options: a slot whose three columns read as before keeps its option
    // object; options beyond the text's slots are kept as well.
    TillboxProduct::OptionList options;
    bool optionsChanged = false;
    const TillboxProduct::OptionList existing = target ? target->optionsArray() : TillboxProduct::OptionList();
    for (int slot = 0; slot < slots; ++slot) {
        const int first = CatalogueCsv::BaseColumnCount + 3 * slot;
        const bool same = target && in[first] == current[first] && in[first + 1] == current[first + 1]
                          && in[first + 2] == current[first + 2];
        if (same) {
            if (slot < existing.size())
                options.append(existing[slot]);
            continue;
        }
        optionsChanged = true;
        if (in[first].isEmpty() && in[first + 1].isEmpty() && in[first + 2].isEmpty())
            continue;
        options.append(parseOption(in[first], in[first + 1], in[first + 2]));
    }
    for (qsizetype i = slots; i < existing.size(); ++i)
        options.append(existing[i]);
    if (optionsChanged)
        plan.options = options;
    return plan;
}

void apply(const RowPlan &plan, TillboxProduct &product)
{
    if (plan.name)
        product.setName(*plan.name);
    if (plan.useHtml) {
        product.setUseHtmlDescription(*plan.useHtml);
        if (*plan.useHtml)
            product.setHtmlProductDescription(*plan.description);
        else
            product.setStyledProductDescription(StyledText(*plan.description));
    }
    if (plan.price)
        product.setPrice(*plan.price);
    if (plan.status)
        product.setStatus(*plan.status);
    if (plan.purchaseLimit)
        product.setPurchaseLimit(*plan.purchaseLimit);
    if (plan.weight)
        product.setWeight(*plan.weight);
    if (plan.options)
        product.setOptionsArray(*plan.options);
}

bool changesSomething(const RowPlan &plan)
{
    return plan.name || plan.useHtml || plan.price || plan.status || plan.purchaseLimit || plan.weight || plan.options;
}

} // namespace

bool CatalogueImport::importCSV(const QByteArray &bytes, const QList<TillboxPlugin *> &pages, TillboxPlugin &target,
                                Result *result, QString *error)
{
    *result = Result();
    QList<CsvReader::Record> records;
    if (!CsvReader::read(bytes, &records, error))
        return false;
    if (records.isEmpty())
        return true; // the text of an empty catalogue

    // The header fixes the number of option slots.
    const QStringList &header = records.first().fields;
    const int slots = int(header.size() - CatalogueCsv::BaseColumnCount) / 3;
    if (header.size() < CatalogueCsv::BaseColumnCount || header != CatalogueCsv::headerFields(slots)) {
        *error = QStringLiteral("line %1: not the header of a catalogue text").arg(records.first().line);
        return false;
    }

    // The product each SKU stands for is the one the catalogue text lists,
    // provided it is on one of the site's pages.
    QHash<TillboxProduct *, TillboxPlugin *> pageOf;
    for (TillboxPlugin *page : pages) {
        for (const auto &product : page->products())
            pageOf.insert(product.get(), page);
    }
    QHash<QString, std::shared_ptr<TillboxProduct>> bySku;
    for (const auto &product : ProductRegistry::allOrderedProducts()) {
        if (pageOf.contains(product.get()))
            bySku.insert(product->SKU(), product);
    }

    QList<RowPlan> plans;
    QHash<QString, int> seen;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvReader::Record &record = records[r];
        if (record.fields.size() != header.size()) {
            *error = QStringLiteral("line %1: %2 fields where the header has %3")
                         .arg(record.line)
                         .arg(record.fields.size())
                         .arg(header.size());
            return false;
        }
        const QString sku = record.fields[Sku];
        // Without a SKU a row cannot name the product it belongs to.
        if (sku.isEmpty()) {
            result->warnings << QStringLiteral("line %1: no SKU; row skipped").arg(record.line);
            continue;
        }
        if (const auto earlier = seen.constFind(sku); earlier != seen.constEnd()) {
            *error = QStringLiteral("line %1: SKU \"%2\" was already given on line %3")
                         .arg(record.line)
                         .arg(sku)
                         .arg(*earlier);
            return false;
        }
        seen.insert(sku, record.line);
        try {
            plans.append(planRow(record, slots, bySku.value(sku)));
        } catch (const RowError &rowError) {
            *error = QStringLiteral("line %1: %2").arg(record.line).arg(rowError.reason);
            return false;
        }
    }

    // Everything checked: now change.
    QList<std::shared_ptr<TillboxProduct>> added;
    for (const RowPlan &plan : std::as_const(plans)) {
        if (!plan.target) {
            auto product = TillboxProduct::create();
            product->setTaxRate(target.globalSettings()->defaultTaxRate());
            product->setSKU(plan.sku);
            apply(plan, *product);
            added.append(product);
            continue;
        }
        if (!changesSomething(plan))
            continue;
        apply(plan, *plan.target);
        ++result->updated;
        TillboxPlugin *page = pageOf.value(plan.target.get());
        if (!result->changedPages.contains(page))
            result->changedPages.append(page);
    }
    if (!added.isEmpty()) {
        target.productController().addObjects(added);
        result->added = int(added.size());
        if (!result->changedPages.contains(&target))
            result->changedPages.append(&target);
    }
    for (TillboxPlugin *page : std::as_const(result->changedPages))
        page->broadcastPluginChanged();
    return true;
}
