#include "editortest.h"

#include "editor/headerfootersection.h"
#include "editor/productdescriptionpage.h"
#include "editor/productpricingpage.h"
#include "editor/rwstyledtextview.h"

#include "catalogue/tillboxproduct.h"
#include "settings/tillboxcurrency.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// The shop editor on a page with one product, as the studio shows it.
class ProductPagesTest : public EditorTest
{
protected:
    void SetUp() override
    {
        plugin->productController().addObject(product);
        attach();
    }
    static void typeStyled(RWStyledTextView *styled, const QString &text)
    {
        QTest::keyClicks(styled->textView(), text);
        Q_EMIT styled->editingFinished(); // the author leaves the text
    }

    std::shared_ptr<TillboxProduct> product = TillboxProduct::create();
};

TEST_F(ProductPagesTest, ACurrencySwitchReformatsThePriceFields)
{
    product->setPrice(1234.5f);
    product->setShipping(2.0f);
    settings().setDecimalSeparatorIndex(1);
    EXPECT_TRUE(find<QLineEdit>(QStringLiteral("priceTextField"))->text().contains(QStringLiteral("1.234,50")));
    EXPECT_TRUE(find<QLineEdit>(QStringLiteral("shippingTextField"))->text().contains(QStringLiteral("2,00")));
    // The fixed-amount coupon is titled by the currency symbol.
    settings().currency()->setSymbol(QStringLiteral("CHF"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("couponTypePopUpButton"))->itemText(1), QStringLiteral("CHF"));
}

TEST_F(ProductPagesTest, ANewProductIDIsOneStep)
{
    const int32_t id = product->productID();
    find<QPushButton>(QStringLiteral("resetProductIDButton"))->click();
    EXPECT_NE(product->productID(), id);
    stack.undo();
    EXPECT_EQ(product->productID(), id);
}

TEST_F(ProductPagesTest, ACouponWithoutSKUShowsTheWarning)
{
    auto *pricing = view()->findChild<ProductPricingPage *>();
    find<QCheckBox>(QStringLiteral("hasCouponCodeCheckBox"))->click();
    EXPECT_TRUE(pricing->isCouponWarningVisible());
    type(QStringLiteral("productSKUTextField"), QStringLiteral("CAP-1"));
    EXPECT_FALSE(pricing->isCouponWarningVisible());
}

TEST_F(ProductPagesTest, TheDescriptionIsOneStepOnItsOwnProduct)
{
    RWStyledTextView *description = view()->descriptionPage()->descriptionView();
    typeStyled(description, QStringLiteral("Soft linen"));
    EXPECT_EQ(product->styledProductDescription()->text(), QStringLiteral("Soft linen"));
    EXPECT_EQ(stack.count(), 1) << "the keystrokes make one step";
    stack.undo();
    EXPECT_TRUE(description->attributedString().isEmpty());

    // Another product shows its own description, and typing there leaves
    // the first one alone.
    auto second = TillboxProduct::create();
    second->setStyledProductDescription(StyledText(QStringLiteral("Second")));
    plugin->productController().addObject(second);
    EXPECT_EQ(description->attributedString().text(), QStringLiteral("Second"));
    typeStyled(description, QStringLiteral("!"));
    EXPECT_TRUE(product->styledProductDescription()->isEmpty());
}

// The header is stored when the author leaves it; the footer still being
// typed is stored when the page is saved.
TEST_F(ProductPagesTest, HeaderAndFooterReachTheSettings)
{
    HeaderFooterSection *section = view()->headerFooter();
    typeStyled(section->headerView(), QStringLiteral("Welcome"));
    EXPECT_EQ(settings().pageHeader()->text(), QStringLiteral("Welcome"));
    QTest::keyClicks(section->footerView()->textView(), QStringLiteral("Thanks"));
    (void)plugin->archivedData();
    EXPECT_EQ(settings().pageFooter()->text(), QStringLiteral("Thanks"));
}

} // namespace
