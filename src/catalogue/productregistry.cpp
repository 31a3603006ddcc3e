#include "catalogue/productregistry.h"

#include "catalogue/tillboxproduct.h"

#include <QHash>
#include <QMap>

#include <algorithm>
#include <optional>

namespace {

// Product ID -> in use. Created on the first ID request; entries are only
// ever flagged false, never removed.
std::optional<QHash<int32_t, bool>> TBXIDMap;
// SKU (compared exactly) -> the product that most recently took it. Exists
// once the first plug-in object has been constructed.
std::optional<QMap<QString, std::shared_ptr<TillboxProduct>>> TBXAllProducts;

} // namespace

int32_t ProductRegistry::productIDwithProposedID(int32_t proposedID)
{
    if (!TBXIDMap)
        TBXIDMap.emplace();
    int32_t id = proposedID;
    if (TBXIDMap->value(id, false)) {
        // The search starts at 1 whatever was proposed: 0 is only ever handed
        // out as the proposal of the first product.
        id = 1;
        while (TBXIDMap->value(id, false))
            ++id;
    }
    TBXIDMap->insert(id, true);
    return id;
}

void ProductRegistry::freeProductID(int32_t id)
{
    if (TBXIDMap && TBXIDMap->contains(id))
        TBXIDMap->insert(id, false);
}

bool ProductRegistry::isProductIDTaken(int32_t id)
{
    return TBXIDMap && TBXIDMap->value(id, false);
}

void ProductRegistry::handleChangeForProduct(const std::shared_ptr<TillboxProduct> &product,
                                             const QString &oldSKU, const QString &newSKU)
{
    if (!TBXAllProducts)
        return;
    // Only the product's own entry goes: when another product took the old SKU
    // since, that product still holds it and must stay in the catalogue.
    // (QMap would also find an absent key under "", hence the null check.)
    if (!oldSKU.isNull()) {
        const auto it = TBXAllProducts->constFind(oldSKU);
        if (it != TBXAllProducts->cend() && it.value() == product)
            TBXAllProducts->erase(it);
    }
    if (!newSKU.isNull())
        TBXAllProducts->insert(newSKU, product);
}

void ProductRegistry::ensureAllProductsTable()
{
    if (!TBXAllProducts)
        TBXAllProducts.emplace();
}

bool ProductRegistry::hasAllProductsTable()
{
    return TBXAllProducts.has_value();
}

void ProductRegistry::forgetProduct(const std::shared_ptr<TillboxProduct> &product)
{
    if (TBXAllProducts)
        TBXAllProducts->removeIf([&](const auto &entry) { return entry.value() == product; });
}

QList<std::shared_ptr<TillboxProduct>> ProductRegistry::allOrderedProducts()
{
    QList<std::shared_ptr<TillboxProduct>> products;
    if (!TBXAllProducts)
        return products;
    // The map is already in case-sensitive order; a stable sort keeps that
    // order for keys that differ only in case.
    QStringList keys = TBXAllProducts->keys();
    std::stable_sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    products.reserve(keys.size());
    for (const QString &key : std::as_const(keys))
        products.append(TBXAllProducts->value(key));
    return products;
}

QList<QVariantMap> ProductRegistry::allProducts()
{
    QList<QVariantMap> summaries;
    const auto products = allOrderedProducts();
    summaries.reserve(products.size());
    for (const auto &product : products) {
        QVariantMap summary;
        summary.insert(QStringLiteral("SKU"), product->SKU());
        summary.insert(QStringLiteral("Name"), product->name());
        summary.insert(QStringLiteral("Price"), product->price());
        summary.insert(QStringLiteral("TaxRate"), product->taxRate());
        summary.insert(QStringLiteral("HasSpecialPrice"), int(product->hasSpecialPrice() ? 1 : 0));
        summary.insert(QStringLiteral("SpecialPrice"), product->specialPrice());
        summary.insert(QStringLiteral("HasCouponCode"), int(product->hasCouponCode() ? 1 : 0));
        summary.insert(QStringLiteral("CouponType"), int(product->couponType()));
        summary.insert(QStringLiteral("CouponValue"), product->couponValue());
        summary.insert(QStringLiteral("Status"), int(product->status()));
        summaries.append(summary);
    }
    return summaries;
}

void ProductRegistry::resetForTesting()
{
    TBXIDMap.reset();
    TBXAllProducts.reset();
}
