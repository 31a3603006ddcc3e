#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class TillboxProduct;

// The catalogue as comma-separated text, for spreadsheets and shop systems:
// a header line, then one line per product with ten base columns and three
// columns (type, name, values) per option slot, as many slots as the product
// with the most options has. Every field is enclosed in double quotes, inner
// quotes doubled; lines end in "\n" alone; no products give the empty text.
class CatalogueCsv
{
public:
    using ProductList = QList<std::shared_ptr<TillboxProduct>>;

    static constexpr int BaseColumnCount = 10;

    // Every product of every open shop page, in the registry's SKU order.
    static QString allProductsCSV();
    static QString csvText(const ProductList &products);

    // The largest number of options among products.
    static int optionSlotCount(const ProductList &products);
    static QString headerLine(int optionSlots);
    // The column names of the header, without quotes.
    static QStringList headerFields(int optionSlots);
    // The product's fields as they go into its line, before quoting: the ten
    // base fields, then three per slot (empty where it has no option there).
    static QStringList productFields(const TillboxProduct &product, int optionSlots);

    // Column values as the line writes them.
    static QString floatText(float value);               // "%.7g"
    static QString optionTypeName(int optionTypeTag);    // "select", "textarea", "text" or ""
};
