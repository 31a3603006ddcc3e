#include "export/cataloguetable.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "prices/priceformatting.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"
#include "util/cformat.h"


namespace {

const QString Head = QStringLiteral(
    "<?php\n"
    "/* Tillbox catalogue table of one shop page, written at export: the order\n"
    "   mailer recomputes orders from it. Requested directly, it shows nothing. */\n"
    "if (!defined('TILLBOX_CATALOGUE')) { http_response_code(404); exit; }\n");

// Appends value as a single-quoted PHP literal ("\\" and "'" escaped).
void appendLiteral(QString &out, QStringView value)
{
    out += QLatin1Char('\'');
    qsizetype done = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' || value[i] == u'\'') {
            out += value.sliced(done, i - done);
            out += QLatin1Char('\\');
            done = i;
        }
    }
    out += value.sliced(done);
    out += QLatin1Char('\'');
}

// One PHP array literal, appended to out as its entries come:
// "array('key' => value, ...)" or a list "array(value, ...)". The table of a
// large catalogue is written in place rather than joined from nested
// temporary texts. Closed when it goes out of scope.
class PhpArray
{
public:
    explicit PhpArray(QString &out, QLatin1String separator = QLatin1String(", ")) : m_out(out), m_separator(separator)
    {
        m_out += QLatin1String("array(");
    }
    ~PhpArray() { m_out += QLatin1Char(')'); }
    PhpArray(const PhpArray &) = delete;
    PhpArray &operator=(const PhpArray &) = delete;

    // Starts the entry named key; its value is appended to the returned text.
    QString &key(QLatin1String key)
    {
        item();
        m_out += QLatin1Char('\''); // the keys are plain words
        m_out += key;
        m_out += QLatin1String("' => ");
        return m_out;
    }
    // Starts the next entry of a list.
    QString &item()
    {
        if (!m_empty)
            m_out += m_separator;
        m_empty = false;
        return m_out;
    }
    void literal(QLatin1String name, const QString &value) { appendLiteral(key(name), value); }

private:
    QString &m_out;
    QLatin1String m_separator;
    bool m_empty = true;
};

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
void appendProductEntry(QString &out, const TillboxProduct &product, const PriceFormatting &prices)
{
    const float price = product.hasSpecialPrice() ? product.specialPrice() : product.price();
    const auto amount = [&](double value) { return prices.stringWithPrice(value, false); };
    PhpArray entry(out);
    entry.literal(QLatin1String("id"), QString::number(product.productID()));
    entry.literal(QLatin1String("sku"), product.SKU());
    entry.literal(QLatin1String("name"), product.name());
    entry.literal(QLatin1String("status"), QString::number(product.status()));
    entry.literal(QLatin1String("limit"), QString::number(product.purchaseLimit()));
    entry.literal(QLatin1String("price"), amount(price));
    entry.literal(QLatin1String("taxRate"), CFormat::fixed(product.taxRate(), 4));
    entry.literal(QLatin1String("taxes"), amount(PriceFormatting::unitTax(product.taxRate(), price)));
    entry.literal(QLatin1String("shipping1"), product.hasShipping() ? amount(product.shipping()) : QString());
    entry.literal(QLatin1String("shipping2"),
                  product.hasShipping() ? amount(product.additionalItemShipping()) : QString());
    entry.literal(QLatin1String("weight"), CFormat::fixed(product.weight(), 6));
    PhpArray options(entry.key(QLatin1String("options")));
    for (const auto &option : product.optionsArray()) {
        if (!option)
            continue;
        PhpArray fields(options.item());
        fields.literal(QLatin1String("name"), option->optionName());
        fields.literal(QLatin1String("type"), QString::number(option->optionTypeTag()));
        PhpArray values(fields.key(QLatin1String("values")));
        for (const auto &value : option->optionValuesArray()) {
            if (!value)
                continue;
            PhpArray valueFields(values.item());
            valueFields.literal(QLatin1String("name"), value->optionValueName());
            valueFields.literal(QLatin1String("price"), amount(value->optionValuePrice()));
            valueFields.literal(QLatin1String("taxes"),
                                amount(PriceFormatting::unitTax(product.taxRate(), value->optionValuePrice())));
            valueFields.literal(QLatin1String("weight"), CFormat::fixed(value->optionValueWeight(), 6));
        }
    }
}

} // namespace

QString CatalogueTable::phpText(const TillboxGlobalSettings &settings, const ProductList &products)
{
    const PriceFormatting prices(settings);
    QString text = Head + QStringLiteral("$tillboxCatalogue = ");
    {
        PhpArray table(text);
        const auto currency = settings.currency();
        table.literal(QLatin1String("currency"), currency ? currency->code() : QString());
        table.literal(QLatin1String("decimals"),
                      QString::number(PriceFormatting::decimalsForIndex(settings.decimalNumberIndex())));
        table.literal(QLatin1String("showTaxes"),
                      settings.showPricesIncludingTaxes() ? QStringLiteral("true") : QStringLiteral("false"));
        table.literal(QLatin1String("tierType"), tierType(settings.additionalCostsTypeTag()));
        {
            PhpArray tiers(table.key(QLatin1String("tiers")));
            for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
                PhpArray fields(tiers.item());
                fields.literal(QLatin1String("limit"), prices.stringWithPrice(settings.additionalCostsLimit(tier), true));
                fields.literal(QLatin1String("value"), prices.stringWithPrice(settings.additionalCostsValue(tier), true));
            }
        }
        PhpArray entries(table.key(QLatin1String("products")), QLatin1String(",\n    "));
        for (const auto &product : products) {
            if (product)
                appendProductEntry(entries.item(), *product, prices);
        }
    }
    text += QStringLiteral(";\n");
    return text;
}
