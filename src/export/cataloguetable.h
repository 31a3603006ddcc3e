#pragma once

#include <QList>
#include <QString>

#include <memory>

class TillboxGlobalSettings;
class TillboxProduct;

// The catalogue table of a shop page: "catalogue.php", written beside
// "coupons.php" in the page's files folder, from which the order mailer
// recomputes an order's prices instead of trusting the browser's figures.
//
// It holds, for every product (hidden ones too, marked by their status), the
// same price, tax, shipping, weight and option texts that the listing gives
// the cart, plus the page's settings the cart's arithmetic depends on
// (decimals, taxes shown included, currency, additional-cost tiers). Every
// value is a single-quoted PHP literal, so no text of the owner's can leave
// its string. Requested directly, the file answers 404 and shows nothing.
class CatalogueTable
{
public:
    using ProductList = QList<std::shared_ptr<TillboxProduct>>;

    static inline const QString FileName = QStringLiteral("catalogue.php");

    static QString phpText(const TillboxGlobalSettings &settings, const ProductList &products);
};
