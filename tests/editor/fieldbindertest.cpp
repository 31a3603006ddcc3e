#include "editortest.h"

#include "editor/fieldbinder.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

using FieldBinderTest = ContextTest;

TEST_F(FieldBinderTest, AnEditIsOneUndoStepThatMarksThePageChanged)
{
    QLineEdit account;
    context.settings().bind(&account, QStringLiteral("payPalAccount"));
    QSignalSpy changed(plugin.get(), &RWAbstractPlugin::pluginChanged);
    const QString before = settings().payPalAccount();

    type(&account, QStringLiteral("shop@example.com"));
    EXPECT_EQ(settings().payPalAccount(), QStringLiteral("shop@example.com"));
    EXPECT_EQ(stack.count(), 1);
    EXPECT_GE(changed.count(), 1);

    // Leaving the field again without a change adds no step.
    Q_EMIT account.editingFinished();
    EXPECT_EQ(stack.count(), 1);

    stack.undo();
    EXPECT_EQ(settings().payPalAccount(), before);
    EXPECT_EQ(account.text(), before) << "the widget follows the undo";
    stack.redo();
    EXPECT_EQ(account.text(), QStringLiteral("shop@example.com"));
}

TEST_F(FieldBinderTest, RefusedNumbersLeaveTheRecordAndSayWhy)
{
    QLineEdit tax;
    context.settings().bindNumber(&tax, QStringLiteral("defaultTaxRate"), FieldBinder::NumberRole::Percent);
    const float before = settings().defaultTaxRate();

    type(&tax, QStringLiteral("twelve"));
    EXPECT_EQ(settings().defaultTaxRate(), before);
    EXPECT_EQ(stack.count(), 0);
    EXPECT_TRUE(tax.toolTip().contains(QStringLiteral("twelve"))) << tax.toolTip().toStdString();

    type(&tax, QStringLiteral("7"));
    EXPECT_FLOAT_EQ(settings().defaultTaxRate(), 7.0f);
    EXPECT_TRUE(tax.toolTip().isEmpty());
}

TEST_F(FieldBinderTest, TheProductBindingFollowsTheSelectionAndUndoReachesTheEditedProduct)
{
    auto first = TillboxProduct::create();
    auto second = TillboxProduct::create();
    plugin->productController().addObject(first);
    plugin->productController().addObject(second);
    QLineEdit name;
    QCheckBox shipping;
    context.product().bind(&name, QStringLiteral("name"));
    context.product().bind(&shipping, QStringLiteral("hasShipping"));
    EXPECT_EQ(name.text(), second->name());

    type(&name, QStringLiteral("Cap"));
    shipping.click();
    EXPECT_EQ(second->name(), QStringLiteral("Cap"));
    EXPECT_EQ(second->hasShipping(), shipping.isChecked());

    plugin->productController().setSelectionIndex(0);
    EXPECT_EQ(name.text(), first->name());
    stack.undo();
    stack.undo();
    EXPECT_NE(second->name(), QStringLiteral("Cap"));
    EXPECT_EQ(name.text(), first->name()) << "the shown product is untouched";
}

TEST_F(FieldBinderTest, CurrencyFormatsReformatNumberFields)
{
    auto product = TillboxProduct::create();
    plugin->productController().addObject(product);
    product->setPrice(1234.5f);
    QLineEdit price;
    context.product().bindNumber(&price, QStringLiteral("price"), FieldBinder::NumberRole::Price);
    const QString dotted = price.text();

    settings().setDecimalSeparatorIndex(1);
    context.setFormats(plugin->currencyRefresh());
    EXPECT_NE(price.text(), dotted);
    EXPECT_TRUE(price.text().contains(QStringLiteral("1.234,5"))) << price.text().toStdString();
}

} // namespace
