#pragma once

#include <QVariantMap>
#include <memory>

class TillboxPlugin;
class TillboxProduct;

// Hands a product to a shop page from outside (another plug-in, the command
// line) as a small record: "name", "SKU", "description" (plain text) and
// "image" (the bytes of a picture file). A key that is missing, or holds
// another kind of value, leaves the new product's default.
class ProductTransfer
{
public:
    // Appends a new product made from record to the page (selected), with
    // the shop's default tax rate, refreshes the price formats and marks the
    // page changed. Picture bytes are stored as they are, with imageName the
    // SKU (else the name) plus the picture's extension; bytes that are not a
    // picture leave the default picture. Returns the new product.
    static std::shared_ptr<TillboxProduct> handleTransfer(TillboxPlugin &plugin, const QVariantMap &record);
};
