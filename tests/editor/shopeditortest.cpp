#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/shopeditor.h"
#include "editor/shopeditorview.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

class ShopEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin = std::make_shared<TillboxPlugin>();
        editor = std::make_unique<ShopEditor>(*plugin, &stack);
        plugin->setEditor(editor.get());
        view = editor->view();
    }
    void TearDown() override { plugin->setEditor(nullptr); }

    QUndoStack stack;
    std::shared_ptr<TillboxPlugin> plugin;
    std::unique_ptr<ShopEditor> editor;
    ShopEditorView *view = nullptr;
};

// Each section button shows its section and is the only one on, with the
// only bold title; the product page buttons likewise without restyling.
TEST_F(ShopEditorTest, SectionAndProductPageButtonsShowTheirPage)
{
    for (int tag : {2, 0, 1}) {
        QTest::mouseClick(view->sectionButtons()[tag], Qt::LeftButton);
        EXPECT_EQ(view->pluginTabView()->currentIndex(), tag);
        for (QAbstractButton *button : view->sectionButtons()) {
            const bool shown = button == view->sectionButtons()[tag];
            EXPECT_EQ(button->isChecked(), shown) << tag;
            EXPECT_EQ(button->font().bold(), shown) << tag;
            EXPECT_EQ(button->font().pointSizeF(), 11.0);
            EXPECT_EQ(button->text(), view->sectionButtons()[button->property("tag").toInt()]->text());
        }
    }
    for (int tag : {3, 1}) {
        QTest::mouseClick(view->productPageButtons()[tag], Qt::LeftButton);
        EXPECT_EQ(view->productTabView()->currentIndex(), tag);
        for (QAbstractButton *button : view->productPageButtons())
            EXPECT_EQ(button->isChecked(), button == view->productPageButtons()[tag]);
    }
    // An unknown tag changes no button.
    view->handlePluginToolbarClick(7);
    EXPECT_TRUE(view->sectionButtons()[1]->isChecked());
}

TEST_F(ShopEditorTest, TheProductListDividerStaysWithinItsLimits)
{
    view->resize(1000, 700);
    view->show();
    QSplitter *split = view->productsSplitView();
    split->resize(1000, 600);
    int minimum = 0;
    int maximum = 0;
    split->getRange(1, &minimum, &maximum);
    EXPECT_EQ(minimum, 150);
    EXPECT_EQ(maximum, 550);
}

TEST_F(ShopEditorTest, NumberFieldsFollowTheCurrencyThePluginSends)
{
    QLineEdit tax;
    editor->context().settings().bindNumber(&tax, QStringLiteral("defaultTaxRate"),
                                            FieldBinder::NumberRole::Percent);
    const QString before = tax.text();
    plugin->globalSettings()->setDecimalSeparatorIndex(1);
    plugin->globalSettings()->setDefaultTaxRate(7.5f);
    plugin->handleCurrencyChange();
    EXPECT_NE(tax.text(), before);
    EXPECT_TRUE(tax.text().contains(QStringLiteral("7,5"))) << tax.text().toStdString();
}

} // namespace
