#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <memory>

class TillboxProduct;

// The process-wide tables shared by every shop page of every open document:
// which product IDs are taken (TBXIDMap), so that each product carries a
// distinct ID, and which product holds each SKU (TBXAllProducts), so the
// catalogue of all open pages can be exported in one piece.
//
// Used from the thread that calls the plug-in only; nothing is locked.
class ProductRegistry
{
public:
    ProductRegistry() = delete;

    // The ID a product should use, marked as taken. The proposal is kept when
    // it is free; otherwise the lowest free positive ID is given.
    static int32_t productIDwithProposedID(int32_t proposedID);
    // Marks id free again (a page unloads); its products keep their IDs.
    static void freeProductID(int32_t id);
    static bool isProductIDTaken(int32_t id);

    // Records a change of product's SKU. oldSKU and newSKU may be absent
    // (null). The entry under oldSKU is dropped when it is this product's;
    // when newSKU is present the product is entered under it, replacing any
    // product stored there. Ignored until ensureAllProductsTable().
    static void handleChangeForProduct(const std::shared_ptr<TillboxProduct> &product,
                                       const QString &oldSKU, const QString &newSKU);
    // Creates the SKU table; the plug-in calls this when it is constructed.
    static void ensureAllProductsTable();
    static bool hasAllProductsTable();
    // Drops every SKU entry that refers to product (for a page that unloads
    // and no longer wants its products in the catalogue).
    static void forgetProduct(const std::shared_ptr<TillboxProduct> &product);

    // The registered products sorted by SKU without regard to case (keys
    // that differ only in case keep a fixed, case-sensitive order).
    static QList<std::shared_ptr<TillboxProduct>> allOrderedProducts();
    // One summary per registered product in the same order, with the keys
    // "SKU", "Name" (QString); "Price", "TaxRate", "SpecialPrice",
    // "CouponValue" (float); "HasSpecialPrice", "HasCouponCode" (int 0 or 1);
    // "CouponType", "Status" (int).
    static QList<QVariantMap> allProducts();

    // Forgets both tables, as in a fresh process. Tests only.
    static void resetForTesting();
};
