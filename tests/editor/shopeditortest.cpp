#include "editortest.h"

#include "editor/colorwell.h"
#include "editor/headerfootersection.h"

#include "catalogue/tillboxproduct.h"
#include "settings/currencytables.h"
#include "settings/tillboxcurrency.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <gtest/gtest.h>

namespace {

class ShopEditorTest : public EditorTest
{
protected:
    void SetUp() override { attach(); }
    void TearDown() override { ColorWell::setChooser({}); }
};

// Each section button shows its section and is the only one on, with the
// only bold title; the product page buttons likewise.
TEST_F(ShopEditorTest, SectionAndProductPageButtonsShowTheirPage)
{
    for (int tag : {2, 0, 1}) {
        QTest::mouseClick(view()->sectionButtons()[tag], Qt::LeftButton);
        EXPECT_EQ(view()->pluginTabView()->currentIndex(), tag);
        for (QAbstractButton *button : view()->sectionButtons()) {
            const bool shown = button == view()->sectionButtons()[tag];
            EXPECT_EQ(button->isChecked(), shown) << tag;
            EXPECT_EQ(button->font().bold(), shown) << tag;
        }
    }
    for (int tag : {3, 1}) {
        QTest::mouseClick(view()->productPageButtons()[tag], Qt::LeftButton);
        EXPECT_EQ(view()->productTabView()->currentIndex(), tag);
        for (QAbstractButton *button : view()->productPageButtons())
            EXPECT_EQ(button->isChecked(), button == view()->productPageButtons()[tag]);
    }
    // An unknown tag changes no button.
    view()->handlePluginToolbarClick(7);
    EXPECT_TRUE(view()->sectionButtons()[1]->isChecked());
}

TEST_F(ShopEditorTest, TheDividersStayWithinTheirLimits)
{
    view()->resize(1000, 700);
    view()->handlePluginToolbarClick(2);
    view()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view()));
    QSplitter *split = view()->headerFooter()->headerFooterSplitView();
    split->setSizes({10, 2000});
    EXPECT_EQ(split->sizes().first(), HeaderFooterSection::kHeaderMinimum);
    split->setSizes({2000, 10});
    EXPECT_EQ(split->sizes().first(), 700 - HeaderFooterSection::kEditingViewReserve);

    split = view()->productsSplitView();
    split->resize(1000, 600);
    int minimum = 0;
    int maximum = 0;
    split->getRange(1, &minimum, &maximum);
    EXPECT_EQ(minimum, 150);
    EXPECT_EQ(maximum, 550);
}

// Every group of fields, on the product pages and in the page's options,
// reaches its record and is saved with the page. A text: typed into a line
// edit or spin box, the item of a menu (-1: the last), a colour (#rrggbb)
// picked in a well, the text of a text view; none: the box is clicked.
TEST_F(ShopEditorTest, EachFieldGroupReachesItsRecordAndSurvivesSaveAndReopen)
{
    plugin->productController().addObject(TillboxProduct::create());
    enum Record { Product, Settings, Currency };
    const struct
    {
        Record record;
        const char *widget;
        const char *text;
        const char *field;
        QVariant expected;
    } cases[] = {
        // The product's general page, prices, shipping and coupon.
        {Product, "productNameTextField", "Linen shirt", "name", "Linen shirt"},
        {Product, "productSKUTextField", "LS-01", "SKU", "LS-01"},
        {Product, "productStatusPopUpButton", "1", "status", 1},
        {Product, "iconWidthTextField", "128", "iconWidth", 128},
        {Product, "hasDropShadowCheckBox", nullptr, "hasDropShadow", true},
        {Product, "priceTextField", "1,234.50", "price", 1234.5},
        {Product, "hasSpecialPriceCheckBox", nullptr, "hasSpecialPrice", true},
        {Product, "specialPriceTextField", "999", "specialPrice", 999.0},
        {Product, "productTaxRateTextField", "19", "taxRate", 19.0},
        {Product, "purchaseLimitTextField", "3", "purchaseLimit", 3},
        {Product, "shippingTextField", "4.95", "shipping", 4.95},
        {Product, "additionalItemShippingTextField", "1", "additionalItemShipping", 1.0},
        {Product, "productWeightTextField", "0.75", "weight", 0.75},
        {Product, "hasShippingCheckBox", nullptr, "hasShipping", false},
        {Product, "hasCouponCodeCheckBox", nullptr, "hasCouponCode", true},
        {Product, "couponCodeTextField", "SUMMER", "couponCode", "SUMMER"},
        {Product, "couponDescriptionTextField", "Summer sale", "couponDescription", "Summer sale"},
        {Product, "couponTypePopUpButton", "1", "couponType", 1},
        {Product, "couponValueTextField", "5", "couponValue", 5.0},
        // The page's options: checkout, order form, mail, currency, numbers,
        // cart, shipping tiers, listing layout, pictures.
        {Settings, "payPalAccountTextField", "shop@example.org", "payPalAccount", "shop@example.org"},
        {Settings, "directOrderField4TextField", "Birthday", "directOrderField4", "Birthday"},
        {Settings, "smtpPortTextField", "2525", "smtpPort", 2525},
        {Currency, "currencyPopUpButton", "-1", "tag", CurrencyTables::CustomTag},
        {Currency, "currencyCodeTextField", "XBT", "code", "XBT"},
        {Settings, "defaultTaxRateTextField", "19", "defaultTaxRate", 19.0},
        {Settings, "cartWidthTextField", "640", "cartWidth", 640},
        {Settings, "cartBorderColorWell", "#336699", "cartBorderColor",
         QVariant::fromValue(ColorWell::fromQColor(QColor(QStringLiteral("#336699"))))},
        {Settings, "additionalCostsValue2", "4.5", "additionalCostsValue2", 4.5},
        // Saving commits what is being typed.
        {Settings, "customLayoutTextView", "<div>%NAME%</div>", "customLayout", "<div>%NAME%</div>"},
        {Settings, "normalisationThresholdTextField", "800", "normalisationThreshold", 800},
    };
    for (const auto &c : cases) {
        const QString name = QLatin1String(c.widget);
        const QString text = QString::fromUtf8(c.text);
        if (auto *combo = qobject_cast<QComboBox *>(find<QWidget>(name))) {
            combo->setCurrentIndex(text.toInt() < 0 ? combo->count() - 1 : text.toInt());
            Q_EMIT combo->activated(combo->currentIndex());
        } else if (auto *well = qobject_cast<ColorWell *>(find<QWidget>(name))) {
            ColorWell::setChooser([text](const QColor &, QWidget *, const QString &) { return std::optional(QColor(text)); });
            QTest::mouseClick(well, Qt::LeftButton);
        } else if (auto *textView = qobject_cast<QPlainTextEdit *>(find<QWidget>(name))) {
            textView->setPlainText(text);
        } else if (!c.text) {
            find<QAbstractButton>(name)->click();
        } else {
            type(name, text);
        }
    }
    QString error;
    const auto page = TillboxPlugin::fromArchivedData(plugin->archivedData(), &error);
    ASSERT_TRUE(page) << error.toStdString();
    for (const auto &c : cases) {
        const QString field = QLatin1String(c.field);
        const auto &settings = *page->globalSettings();
        const QVariant value = c.record == Product ? page->products().value(0)->fieldValue(field)
            : c.record == Settings                 ? settings.fieldValue(field)
                                                   : settings.currency()->fieldValue(field);
        if (c.expected.typeId() == QMetaType::Double || c.expected.typeId() == QMetaType::Int)
            EXPECT_FLOAT_EQ(value.toFloat(), c.expected.toFloat()) << c.field;
        else
            EXPECT_EQ(value, c.expected) << c.field;
    }
}

} // namespace
