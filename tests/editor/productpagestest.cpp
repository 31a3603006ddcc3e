#include "editor/headerfootersection.h"
#include "editor/productdescriptionpage.h"
#include "editor/productpricingpage.h"
#include "editor/rwstyledtextview.h"
#include "editor/shopeditor.h"
#include "editor/shopeditorview.h"

#include "catalogue/tillboxproduct.h"
#include "host/rmhtml.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

// The shop editor on a page with one product, as the studio shows it.
class ProductPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin = std::make_shared<TillboxPlugin>();
        product = TillboxProduct::create();
        plugin->productController().addObject(product);
        editor = std::make_unique<ShopEditor>(*plugin, &stack);
        plugin->setEditor(editor.get());
        view()->resize(1000, 700);
    }
    void TearDown() override { plugin->setEditor(nullptr); }

    ShopEditorView *view() const { return editor->view(); }
    template <class W>
    W *widget(const QString &name) const
    {
        W *found = view()->findChild<W *>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    // Types into a field and leaves it, as the author does.
    void type(const QString &name, const QString &text) const
    {
        auto *edit = widget<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void typeStyled(RWStyledTextView *styled, const QString &text) const
    {
        QTest::keyClicks(styled->textView(), text);
        Q_EMIT styled->editingFinished(); // the author leaves the text
    }
    // The product as a saved and reopened page has it.
    std::shared_ptr<TillboxProduct> reopened() const
    {
        QString error;
        reopenedPage = TillboxPlugin::fromArchivedData(plugin->archivedData(), &error);
        EXPECT_TRUE(reopenedPage) << error.toStdString();
        return reopenedPage ? reopenedPage->products().value(0) : nullptr;
    }

    QUndoStack stack;
    std::shared_ptr<TillboxPlugin> plugin;
    std::shared_ptr<TillboxProduct> product;
    std::unique_ptr<ShopEditor> editor;
    mutable std::shared_ptr<TillboxPlugin> reopenedPage;
};

struct FieldEdit
{
    const char *widget;
    const char *text; // typed into a line edit; empty: the widget is clicked
    const char *field;
    QVariant expected;
};

struct FieldGroup
{
    const char *name;
    std::vector<FieldEdit> edits;
};

class ProductFieldGroups : public ProductPagesTest, public ::testing::WithParamInterface<FieldGroup>
{
};

TEST_P(ProductFieldGroups, EditsSurviveSaveAndReopen)
{
    for (const FieldEdit &edit : GetParam().edits) {
        const QString name = QLatin1String(edit.widget);
        if (auto *box = view()->findChild<QCheckBox *>(name)) {
            box->click();
        } else if (auto *spin = view()->findChild<QSpinBox *>(name)) {
            spin->selectAll();
            QTest::keyClicks(spin, QLatin1String(edit.text));
            QTest::keyClick(spin, Qt::Key_Return);
        } else if (auto *combo = view()->findChild<QComboBox *>(name)) {
            combo->setCurrentIndex(QString::fromLatin1(edit.text).toInt());
            Q_EMIT combo->activated(combo->currentIndex());
        } else {
            type(name, QLatin1String(edit.text));
        }
    }
    const auto stored = reopened();
    ASSERT_TRUE(stored);
    for (const FieldEdit &edit : GetParam().edits) {
        const QVariant value = stored->fieldValue(QString::fromLatin1(edit.field));
        if (edit.expected.typeId() == QMetaType::Double)
            EXPECT_FLOAT_EQ(value.toFloat(), edit.expected.toFloat()) << edit.field;
        else
            EXPECT_EQ(value.toString(), edit.expected.toString()) << edit.field;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ProductFieldGroups,
    ::testing::Values(
        FieldGroup{"general",
                   {{"productNameTextField", "Linen shirt", "name", "Linen shirt"},
                    {"productSKUTextField", "LS-01", "SKU", "LS-01"},
                    {"productStatusPopUpButton", "1", "status", 1},
                    {"iconWidthTextField", "128", "iconWidth", 128},
                    {"hasDropShadowCheckBox", "", "hasDropShadow", true}}},
        FieldGroup{"prices",
                   {{"priceTextField", "1,234.50", "price", 1234.5},
                    {"hasSpecialPriceCheckBox", "", "hasSpecialPrice", true},
                    {"specialPriceTextField", "999", "specialPrice", 999.0},
                    {"productTaxRateTextField", "19", "taxRate", 19.0},
                    {"purchaseLimitTextField", "3", "purchaseLimit", 3}}},
        FieldGroup{"shipping",
                   {{"shippingTextField", "4.95", "shipping", 4.95},
                    {"additionalItemShippingTextField", "1", "additionalItemShipping", 1.0},
                    {"productWeightTextField", "0.75", "weight", 0.75},
                    {"hasShippingCheckBox", "", "hasShipping", false}}},
        FieldGroup{"coupon",
                   {{"hasCouponCodeCheckBox", "", "hasCouponCode", true},
                    {"couponCodeTextField", "SUMMER", "couponCode", "SUMMER"},
                    {"couponDescriptionTextField", "Summer sale", "couponDescription", "Summer sale"},
                    {"couponTypePopUpButton", "1", "couponType", 1},
                    {"couponValueTextField", "5", "couponValue", 5.0}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProductPagesTest, ARefusedPriceLeavesTheRecord)
{
    product->setPrice(12.5f);
    type(QStringLiteral("priceTextField"), QStringLiteral("twelve"));
    EXPECT_FLOAT_EQ(product->price(), 12.5f);
    EXPECT_EQ(stack.count(), 0);
    EXPECT_FALSE(widget<QLineEdit>(QStringLiteral("priceTextField"))->toolTip().isEmpty());
}

TEST_F(ProductPagesTest, ACurrencySwitchReformatsThePriceFields)
{
    product->setPrice(1234.5f);
    product->setShipping(2.0f);
    plugin->globalSettings()->setDecimalSeparatorIndex(1);
    EXPECT_TRUE(widget<QLineEdit>(QStringLiteral("priceTextField"))->text().contains(QStringLiteral("1.234,50")));
    EXPECT_TRUE(widget<QLineEdit>(QStringLiteral("shippingTextField"))->text().contains(QStringLiteral("2,00")));
    // The fixed-amount coupon is titled by the currency symbol.
    plugin->globalSettings()->currency()->setSymbol(QStringLiteral("CHF"));
    EXPECT_EQ(widget<QComboBox>(QStringLiteral("couponTypePopUpButton"))->itemText(1), QStringLiteral("CHF"));
}

TEST_F(ProductPagesTest, AFieldEditIsUndoneAndRedone)
{
    const QString before = product->name();
    type(QStringLiteral("productNameTextField"), QStringLiteral("Cap"));
    stack.undo();
    EXPECT_EQ(product->name(), before);
    EXPECT_EQ(widget<QLineEdit>(QStringLiteral("productNameTextField"))->text(), before);
    stack.redo();
    EXPECT_EQ(widget<QLineEdit>(QStringLiteral("productNameTextField"))->text(), QStringLiteral("Cap"));

    // A new product ID is a step of its own too.
    const int32_t id = product->productID();
    widget<QPushButton>(QStringLiteral("resetProductIDButton"))->click();
    EXPECT_NE(product->productID(), id);
    stack.undo();
    EXPECT_EQ(product->productID(), id);
}

TEST_F(ProductPagesTest, ACouponWithoutSKUShowsTheWarning)
{
    auto *pricing = view()->findChild<ProductPricingPage *>();
    widget<QCheckBox>(QStringLiteral("hasCouponCodeCheckBox"))->click();
    EXPECT_TRUE(pricing->isCouponWarningVisible());
    type(QStringLiteral("productSKUTextField"), QStringLiteral("CAP-1"));
    EXPECT_FALSE(pricing->isCouponWarningVisible());
}

TEST_F(ProductPagesTest, TheDescriptionIsOneStepAndSurvivesSave)
{
    RWStyledTextView *description = view()->descriptionPage()->descriptionView();
    typeStyled(description, QStringLiteral("Soft linen"));
    EXPECT_EQ(product->styledProductDescription()->text(), QStringLiteral("Soft linen"));
    EXPECT_EQ(stack.count(), 1) << "the keystrokes make one step";

    const auto stored = reopened();
    ASSERT_TRUE(stored);
    EXPECT_EQ(RMHTML::htmlFragment(*stored->styledProductDescription()), QStringLiteral("<p>Soft linen</p>"));

    stack.undo();
    EXPECT_TRUE(product->styledProductDescription()->isEmpty());
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

TEST_F(ProductPagesTest, HeaderAndFooterReachTheSettingsAndUndo)
{
    HeaderFooterSection *section = view()->headerFooter();
    typeStyled(section->headerView(), QStringLiteral("Welcome"));
    EXPECT_EQ(plugin->globalSettings()->pageHeader()->text(), QStringLiteral("Welcome"));
    stack.undo();
    EXPECT_TRUE(section->headerView()->attributedString().isEmpty());

    QTest::keyClicks(section->footerView()->textView(), QStringLiteral("Thanks"));
    QString error;
    const auto page = TillboxPlugin::fromArchivedData(plugin->archivedData(), &error);
    ASSERT_TRUE(page) << error.toStdString();
    EXPECT_EQ(page->globalSettings()->pageFooter()->text(), QStringLiteral("Thanks"));
}

TEST_F(ProductPagesTest, TheHeaderFooterDividerKeepsItsLimits)
{
    view()->handlePluginToolbarClick(2);
    view()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view()));
    QSplitter *split = view()->headerFooter()->headerFooterSplitView();
    split->setSizes({10, 2000});
    EXPECT_EQ(split->sizes().first(), HeaderFooterSection::kHeaderMinimum);
    split->setSizes({2000, 10});
    EXPECT_EQ(split->sizes().first(), 700 - HeaderFooterSection::kEditingViewReserve);
}

} // namespace
