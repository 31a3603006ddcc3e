#include "export/cataloguetable.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "prices/priceformatting.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"
#include "util/cformat.h"
#include "util/customreplace.h"

#include <QStringList>

namespace {

const QString Head = QStringLiteral(
    "<?php\n"
    "/* Tillbox catalogue table of one shop page, written at export: the order\n"
    "   mailer recomputes orders from it. Requested directly, it shows nothing. */\n"
    "if (!defined('TILLBOX_CATALOGUE')) { http_response_code(404); exit; }\n");

QString literal(const QString &value)
{
    return QLatin1Char('\'') + CustomReplace::phpSingleQuoted(value) + QLatin1Char('\'');
}

// array('key' => 'value', ...) from pairs whose values are already PHP.
QString phpArray(const QList<std::pair<QString, QString>> &entries)
{
    QStringList parts;
    for (const auto &[key, value] : entries)
        parts.append(literal(key) + QStringLiteral(" => ") + value);
    return QStringLiteral("array(") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString phpList(const QStringList &items, const QString &separator = QStringLiteral(", "))
{
    return QStringLiteral("array(") + items.join(separator) + QLatin1Char(')');
}

// The additional-cost kind as the cart header names it; "" for no tiers.
QString tierType(int tag)
{
    switch (tag) {
    case 10:
        return QStringLiteral("item");
    case 20:
        return QStringLiteral("price");
    case 30:
        return QStringLiteral("weight");
    default:
        return QStringLiteral("");
    }
}

// The same texts the listing writes into the product's form for the cart.
QString productEntry(const TillboxProduct &product, const PriceFormatting &prices)
{
    const float price = product.hasSpecialPrice() ? product.specialPrice() : product.price();
    const auto amount = [&](double value) { return literal(prices.stringWithPrice(value, false)); };
    QStringList options;
    for (const auto &option : product.optionsArray()) {
        if (!option)
            continue;
        QStringList values;
        for (const auto &value : option->optionValuesArray()) {
            if (!value)
                continue;
            values.append(phpArray({
                {QStringLiteral("name"), literal(value->optionValueName())},
                {QStringLiteral("price"), amount(value->optionValuePrice())},
                {QStringLiteral("taxes"),
                 amount(PriceFormatting::unitTax(product.taxRate(), value->optionValuePrice()))},
                {QStringLiteral("weight"), literal(CFormat::fixed(value->optionValueWeight(), 6))},
            }));
        }
        options.append(phpArray({
            {QStringLiteral("name"), literal(option->optionName())},
            {QStringLiteral("type"), literal(QString::number(option->optionTypeTag()))},
            {QStringLiteral("values"), phpList(values)},
        }));
    }
    return phpArray({
        {QStringLiteral("id"), literal(QString::number(product.productID()))},
        {QStringLiteral("sku"), literal(product.SKU())},
        {QStringLiteral("name"), literal(product.name())},
        {QStringLiteral("status"), literal(QString::number(product.status()))},
        {QStringLiteral("limit"), literal(QString::number(product.purchaseLimit()))},
        {QStringLiteral("price"), amount(price)},
        {QStringLiteral("taxRate"), literal(CFormat::fixed(product.taxRate(), 4))},
        {QStringLiteral("taxes"), amount(PriceFormatting::unitTax(product.taxRate(), price))},
        {QStringLiteral("shipping1"), product.hasShipping() ? amount(product.shipping()) : literal(QString())},
        {QStringLiteral("shipping2"),
         product.hasShipping() ? amount(product.additionalItemShipping()) : literal(QString())},
        {QStringLiteral("weight"), literal(CFormat::fixed(product.weight(), 6))},
        {QStringLiteral("options"), phpList(options)},
    });
}

} // namespace

QString CatalogueTable::phpText(const TillboxGlobalSettings &settings, const ProductList &products)
{
    const PriceFormatting prices(settings);
    QStringList tiers;
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        tiers.append(phpArray({
            {QStringLiteral("limit"), literal(prices.stringWithPrice(settings.additionalCostsLimit(tier), true))},
            {QStringLiteral("value"), literal(prices.stringWithPrice(settings.additionalCostsValue(tier), true))},
        }));
    }
    QStringList entries;
    for (const auto &product : products) {
        if (product)
            entries.append(productEntry(*product, prices));
    }
    const auto currency = settings.currency();
    const QString table = phpArray({
        {QStringLiteral("currency"), literal(currency ? currency->code() : QString())},
        {QStringLiteral("decimals"),
         literal(QString::number(PriceFormatting::decimalsForIndex(settings.decimalNumberIndex())))},
        {QStringLiteral("showTaxes"),
         literal(settings.showPricesIncludingTaxes() ? QStringLiteral("true") : QStringLiteral("false"))},
        {QStringLiteral("tierType"), literal(tierType(settings.additionalCostsTypeTag()))},
        {QStringLiteral("tiers"), phpList(tiers)},
        {QStringLiteral("products"), phpList(entries, QStringLiteral(",\n    "))},
    });
    return Head + QStringLiteral("$tillboxCatalogue = ") + table + QStringLiteral(";\n");
}
