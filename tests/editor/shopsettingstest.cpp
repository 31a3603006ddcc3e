#include "editortest.h"
#include "support/testsupport.h"

#include "editor/checkoutpane.h"
#include "editor/colorwarninglabel.h"
#include "editor/colorwell.h"
#include "editor/shopeditor.h"
#include "editor/shopeditorview.h"
#include "editor/shopsettingsview.h"
#include "editor/smtpsheet.h"

#include "exchange/shopclipboard.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"
#include "util/styledtext.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

using testsupport::hexColor;

// The page's options view of an attached editor, as the studio shows it.
class ShopSettingsTest : public EditorTest
{
protected:
    void SetUp() override { attach(); }
    void TearDown() override { ColorWell::setChooser({}); }

    // Picks a colour in a well as if the colour dialog had answered.
    void pick(const QString &field, unsigned rgb)
    {
        ColorWell::setChooser([rgb](const QColor &, QWidget *, const QString &) {
            return std::optional<QColor>(ColorWell::toQColor(hexColor(rgb)));
        });
        QTest::mouseClick(find<ColorWell>(field + QLatin1String("Well")), Qt::LeftButton);
    }
};

TEST_F(ShopSettingsTest, CartFontSizeIsClampedToItsUnit)
{
    struct Case
    {
        int unit;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {{1, "30", "22"}, {1, "3", "8"}, {1, "12.6", "13"}, {0, "0.3", "0.50"},
                          {0, "1.234", "1.23"}, {0, "abc", "0.50"}, {0, "1.5em", "1.50"}};
    auto *field = find<QLineEdit>(QStringLiteral("cartFontSizeTextField"));
    for (const Case &c : cases) {
        settings().setCartFontSizeUnitIndex(c.unit);
        type(field, QLatin1String(c.typed));
        EXPECT_EQ(field->text(), QLatin1String(c.shown)) << c.typed;
        EXPECT_FLOAT_EQ(settings().cartFontSize(), QString::fromLatin1(c.shown).toFloat()) << c.typed;
    }
    // A unit the menu does not know empties the field and stores nothing.
    settings().setCartFontSizeUnitIndex(2);
    type(field, QStringLiteral("9"));
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_FLOAT_EQ(settings().cartFontSize(), 1.5f);

    // Switching the unit brings the size into the new unit's range.
    settings().setCartFontSizeUnitIndex(0);
    auto *unit = find<QComboBox>(QStringLiteral("cartFontSizeUnitPopUpButton"));
    unit->setFocus();
    QTest::keyClick(unit, Qt::Key_Down);
    EXPECT_EQ(settings().cartFontSizeUnitIndex(), 1);
    EXPECT_EQ(field->text(), QStringLiteral("8"));
    EXPECT_FLOAT_EQ(settings().cartFontSize(), 8.0f);
    stack.undo();
    EXPECT_EQ(settings().cartFontSizeUnitIndex(), 0);
    EXPECT_FLOAT_EQ(settings().cartFontSize(), 1.5f);
    EXPECT_EQ(field->text(), QStringLiteral("1.50"));
}

TEST_F(ShopSettingsTest, TheSslBoxOverwritesTheTypedPort)
{
    auto *port = find<QSpinBox>(QStringLiteral("smtpPortTextField"));
    auto *ssl = find<QCheckBox>(QStringLiteral("smtpUseSSLCheckBox"));
    type(port, QStringLiteral("587"));
    EXPECT_EQ(settings().smtpPort(), 587);
    ssl->click();
    EXPECT_TRUE(settings().smtpUseSSL());
    EXPECT_EQ(settings().smtpPort(), 465);
    EXPECT_EQ(port->value(), 465);
    ssl->click();
    EXPECT_EQ(settings().smtpPort(), 25);
}

TEST_F(ShopSettingsTest, CheckoutTicksShowTheServicesThatAreOn)
{
    auto *popUp = find<QComboBox>(QStringLiteral("checkoutPopUpButton"));
    auto *pages = find<QStackedWidget>(QStringLiteral("checkoutTabView"));
    const auto ticked = [popUp](int item) {
        return static_cast<QStandardItemModel *>(popUp->model())->item(item)->checkState() == Qt::Checked;
    };
    QAbstractItemModelTester tester(popUp->model());
    EXPECT_TRUE(ticked(0)) << "PayPal is on in a new shop";
    popUp->setFocus();
    QTest::keyClick(popUp, Qt::Key_End);
    EXPECT_EQ(pages->currentIndex(), 4);
    EXPECT_FALSE(ticked(4)) << "choosing an item does not switch its service on";

    find<QCheckBox>(QStringLiteral("enableSisowCheckBox"))->click();
    EXPECT_TRUE(settings().enableSisow());
    EXPECT_TRUE(ticked(4));
    EXPECT_EQ(find<QLabel>(QStringLiteral("offeredServicesLabel"))->text(), QStringLiteral("Shoppers can use: PayPal, Sisow"));
    settings().setEnablePayPal(false);
    EXPECT_FALSE(ticked(0)) << "the ticks follow the settings, whoever changes them";
}

TEST_F(ShopSettingsTest, PayPalCodeFieldTakesInputOnlyForTheOtherLanguage)
{
    auto *language = find<QComboBox>(QStringLiteral("payPalLanguagePopUpButton"));
    auto *code = find<QLineEdit>(QStringLiteral("payPalLanguageCodeTextField"));
    EXPECT_FALSE(code->isEnabled());
    language->setFocus();
    QTest::keyClick(language, Qt::Key_End);
    EXPECT_EQ(settings().payPalLanguageTag(), 99999);
    EXPECT_TRUE(code->isEnabled());
    type(code, QStringLiteral("NL"));
    EXPECT_EQ(settings().payPalLanguageCode(), QStringLiteral("NL"));

    QTest::keyClick(language, Qt::Key_Home);
    EXPECT_EQ(settings().payPalLanguageTag(), 10);
    EXPECT_EQ(settings().payPalLanguageCode(), QString());
    EXPECT_FALSE(code->isEnabled());
    stack.undo();
    EXPECT_EQ(settings().payPalLanguageCode(), QStringLiteral("NL")) << "one step: the language with its code";
    EXPECT_TRUE(code->isEnabled());
}

TEST_F(ShopSettingsTest, FaintColoursAreShownWithTheirRatioAndAPassingShade)
{
    auto *buttons = find<ColorWarningLabel>(QStringLiteral("cartButtonColorContrastWarning"));
    auto *text = find<ColorWarningLabel>(QStringLiteral("cartTextColorContrastWarning"));
    EXPECT_TRUE(buttons->isHidden()) << "the default colours pass";
    EXPECT_TRUE(text->isHidden());

    pick(QStringLiteral("cartTextColor"), 0xffffff);
    pick(QStringLiteral("cartButtonColor"), 0xe07a5f);
    EXPECT_FALSE(buttons->isHidden());
    EXPECT_TRUE(buttons->text().contains(QStringLiteral("2.95:1"))) << buttons->text().toStdString();
    EXPECT_TRUE(text->isHidden());
    ASSERT_EQ(buttons->warnings().size(), 1);
    const Color shade = buttons->warnings().first().suggestion;

    // Taking the shade stores it; the author's own colour is one undo away.
    QTest::mouseClick(buttons->findChild<QPushButton *>(), Qt::LeftButton);
    EXPECT_EQ(settings().cartButtonColor(), shade);
    EXPECT_TRUE(buttons->isHidden());
    stack.undo();
    EXPECT_FALSE(buttons->isHidden());

    pick(QStringLiteral("cartBackgroundColor"), 0xdddddd);
    EXPECT_FALSE(text->isHidden()) << "white text on light grey";

    // The shop's own text colours, in the header and footer, on a white page.
    auto *page = find<ColorWarningLabel>(QStringLiteral("pageTextContrastWarning"));
    EXPECT_TRUE(page->isHidden());
    StyledText header;
    TextAttributes coral;
    coral.color = hexColor(0xc9654b);
    header.append(QStringLiteral("Sale"), coral);
    settings().setPageHeader(header);
    EXPECT_FALSE(page->isHidden());
    EXPECT_TRUE(page->text().contains(QStringLiteral("3.85:1"))) << page->text().toStdString();
}

TEST_F(ShopSettingsTest, TheCurrencyMenuReformatsNumberFieldsAndUndoes)
{
    auto *menu = find<QComboBox>(QStringLiteral("currencyPopUpButton"));
    auto *cost = find<QLineEdit>(QStringLiteral("additionalCostsValue0"));
    auto *code = find<QLineEdit>(QStringLiteral("currencyCodeTextField"));
    type(cost, QStringLiteral("3"));
    EXPECT_TRUE(cost->text().contains(QLatin1Char('$'))) << cost->text().toStdString();
    EXPECT_FALSE(code->isEnabled());

    menu->setFocus();
    QTest::keyClick(menu, Qt::Key_Down);
    EXPECT_EQ(settings().currency()->code(), QStringLiteral("EUR"));
    EXPECT_TRUE(cost->text().contains(QStringLiteral("\u20ac"))) << cost->text().toStdString();
    EXPECT_EQ(stack.count(), 2) << "one step for the currency";

    QTest::keyClick(menu, Qt::Key_End);
    EXPECT_TRUE(code->isEnabled()) << "the other currency is typed in";
    EXPECT_EQ(code->text(), QStringLiteral("EUR"));

    stack.undo();
    stack.undo();
    EXPECT_EQ(settings().currency()->code(), QStringLiteral("USD"));
    EXPECT_EQ(menu->currentData().toInt(), 10);
    EXPECT_TRUE(cost->text().contains(QLatin1Char('$'))) << cost->text().toStdString();
}

TEST_F(ShopSettingsTest, ATierLimitCountedInItemsIsAWholeNumber)
{
    auto *limit = find<QLineEdit>(QStringLiteral("additionalCostsLimit1"));
    auto *type_ = find<QComboBox>(QStringLiteral("additionalCostsTypePopUpButton"));
    // Counted in items, the limit takes whole numbers without a currency.
    type_->setFocus();
    QTest::keyClick(type_, Qt::Key_Home);
    EXPECT_EQ(settings().additionalCostsTypeTag(), 10);
    type(limit, QStringLiteral("12"));
    EXPECT_FLOAT_EQ(settings().additionalCostsLimit1(), 12.0f);
    EXPECT_EQ(limit->text(), QStringLiteral("12"));
}

TEST_F(ShopSettingsTest, PastedSettingsShowEverywhere)
{
    TillboxPlugin other;
    other.globalSettings()->setEnableSisow(true);
    other.globalSettings()->setCurrencyByTag(20);
    other.globalSettings()->currency()->setTag(20);
    other.globalSettings()->setCartTextColor(hexColor(0xffffff));
    other.globalSettings()->setCartButtonColor(hexColor(0xe07a5f));
    other.globalSettings()->setCartFontSizeUnitIndex(1);
    other.globalSettings()->setCartFontSize(14);
    const auto copied = ShopClipboard::copyGlobalSettings(other);
    ASSERT_TRUE(ShopClipboard::pasteGlobalSettings(*plugin, copied.get()));

    auto *popUp = find<QComboBox>(QStringLiteral("checkoutPopUpButton"));
    EXPECT_EQ(static_cast<QStandardItemModel *>(popUp->model())->item(4)->checkState(), Qt::Checked);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("currencyPopUpButton"))->currentData().toInt(), 20);
    EXPECT_TRUE(find<QLineEdit>(QStringLiteral("additionalCostsValue0"))->text().contains(QStringLiteral("\u20ac")));
    EXPECT_FALSE(find<ColorWarningLabel>(QStringLiteral("cartButtonColorContrastWarning"))->isHidden());
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("cartFontSizeTextField"))->text(), QStringLiteral("14"));

    // Edits reach the pasted record.
    find<QCheckBox>(QStringLiteral("enablePayPalCheckBox"))->click();
    EXPECT_EQ(plugin->globalSettings()->enablePayPal(), !other.globalSettings()->enablePayPal());
}

} // namespace
