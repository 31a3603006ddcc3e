#include "support/testsupport.h"

#include "catalogue/tillboxproduct.h"
#include "catalogue/productregistry.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class ProductRegistryTest : public ::testing::Test
{
protected:
    static std::shared_ptr<TillboxProduct> productWithSKU(const QString &sku)
    {
        auto product = TillboxProduct::create();
        product->setSKU(sku);
        return product;
    }
    static QStringList orderedSKUs()
    {
        QStringList skus;
        for (const auto &product : ProductRegistry::allOrderedProducts())
            skus << product->SKU();
        return skus;
    }
};

} // namespace

TEST_F(ProductRegistryTest, NewIDsCountUpAndProposalsAreKeptWhenFree)
{
    EXPECT_EQ(TillboxProduct::create()->productID(), 0);
    ProductRegistry::freeProductID(0);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(5), 5);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(5), 1); // lowest free positive, not 6
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(7), 7);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(-3), -3);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(-3), 2);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(0), 0);
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(0), 3); // 0 is never searched
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(1), 4);

    ProductRegistry::freeProductID(2); // a page unloads
    EXPECT_FALSE(ProductRegistry::isProductIDTaken(2));
    EXPECT_EQ(ProductRegistry::productIDwithProposedID(5), 2);
    EXPECT_TRUE(ProductRegistry::isProductIDTaken(2));
}

// The catalogue lists one product per SKU, the latest to take it, in SKU
// order without regard to case; of the products without a SKU only the
// latest is listed.
TEST_F(ProductRegistryTest, OneEntryPerSKUInOrderWithoutCase)
{
    using Products = QList<std::shared_ptr<TillboxProduct>>;
    auto first = productWithSKU(QStringLiteral("b"));
    auto second = productWithSKU(QStringLiteral("b"));
    EXPECT_EQ(ProductRegistry::allOrderedProducts(), Products{second});
    first->setSKU(QStringLiteral("A"));
    auto lower = productWithSKU(QStringLiteral("a"));
    auto gone = productWithSKU(QStringLiteral("c"));
    EXPECT_EQ(ProductRegistry::allOrderedProducts(), (Products{first, lower, second, gone}));
    ProductRegistry::forgetProduct(gone);
    lower->setSKU(QStringLiteral("D"));
    EXPECT_EQ(ProductRegistry::allOrderedProducts(), (Products{first, second, lower}));

    for (const auto &product : {first, second, lower})
        product->setSKU(QString());
    auto latest = TillboxProduct::create();
    EXPECT_EQ(ProductRegistry::allOrderedProducts(), Products{latest});
}

TEST_F(ProductRegistryTest, NothingIsRecordedBeforeThePluginExists)
{
    ProductRegistry::resetForTesting();
    auto early = productWithSKU(QStringLiteral("early"));
    EXPECT_FALSE(ProductRegistry::hasAllProductsTable());
    ProductRegistry::ensureAllProductsTable();
    EXPECT_TRUE(ProductRegistry::allOrderedProducts().isEmpty());
    early->setSKU(QStringLiteral("later"));
    EXPECT_EQ(orderedSKUs(), QStringList{QStringLiteral("later")});
}

TEST_F(ProductRegistryTest, SummaryKeysAndNumberKinds)
{
    auto product = productWithSKU(QStringLiteral("S1"));
    product->setName(QStringLiteral("Shirt"));
    product->setPrice(9.5f);
    product->setTaxRate(19);
    product->setHasSpecialPrice(true);
    product->setSpecialPrice(7.25f);
    product->setHasCouponCode(true);
    product->setCouponType(1);
    product->setCouponValue(2);
    product->setStatus(2);

    const auto summaries = ProductRegistry::allProducts();
    ASSERT_EQ(summaries.size(), 1);
    const QVariantMap &summary = summaries[0];
    const QList<std::pair<QString, QMetaType::Type>> expected{
        {QStringLiteral("SKU"), QMetaType::QString},        {QStringLiteral("Name"), QMetaType::QString},
        {QStringLiteral("Price"), QMetaType::Float},        {QStringLiteral("TaxRate"), QMetaType::Float},
        {QStringLiteral("HasSpecialPrice"), QMetaType::Int}, {QStringLiteral("SpecialPrice"), QMetaType::Float},
        {QStringLiteral("HasCouponCode"), QMetaType::Int},   {QStringLiteral("CouponType"), QMetaType::Int},
        {QStringLiteral("CouponValue"), QMetaType::Float},   {QStringLiteral("Status"), QMetaType::Int}};
    EXPECT_EQ(summary.size(), expected.size());
    for (const auto &[key, type] : expected) {
        ASSERT_TRUE(summary.contains(key)) << qPrintable(key);
        EXPECT_EQ(summary[key].typeId(), type) << qPrintable(key);
    }
    EXPECT_EQ(summary[QStringLiteral("Name")].toString(), QStringLiteral("Shirt"));
    EXPECT_EQ(summary[QStringLiteral("SpecialPrice")].toFloat(), 7.25f);
    EXPECT_EQ(summary[QStringLiteral("HasCouponCode")].toInt(), 1);
}
