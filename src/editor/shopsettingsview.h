#pragma once

#include <QHash>
#include <QWidget>

#include <functional>

class CheckoutPane;
class Color;
class ColorWell;
class EditorContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class ShopTextsPane;

// The page's options, in tabs: checkout services and their accounts,
// currency and numbers, the cart's look and behaviour, the product listing,
// the texts shoppers read, pictures and the page's export.
class ShopSettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit ShopSettingsView(EditorContext &context, QWidget *parent = nullptr);

    void handleCheckoutChange();
    // The coupon warning belongs to the product's pricing page.
    void setCouponWarningVisible(bool) {}
    void reloadShopperTexts();

    // Puts the cart's configuration block on the clipboard as plain text.
    void copyTemplateHeader();
    // Clamps the typed cart font size to what its unit allows and writes it
    // back in that unit's form (the settings take it when the edit commits).
    void validateCartFontSizeTextField();
    // The text the font size field shows for a typed text: "30" in pixels
    // gives "22", "0.3" in em "0.50"; an unknown unit gives "".
    static QString validatedCartFontSize(const QString &text, int unitIndex);

    CheckoutPane *checkoutPane() const { return m_checkoutPane; }

private:
    QWidget *buildCheckoutTab();
    QWidget *buildCurrencyTab();
    QWidget *buildCartTab();
    QWidget *buildListingTab();
    QWidget *buildTextsTab();
    QWidget *buildPicturesTab();
    QWidget *buildColors(QWidget *parent);
    void chooseCurrency(int tag);
    void useSuggestedShade(const QString &field, const Color &shade);
    void updateCurrencyControls();

    EditorContext &m_context;
    QTabWidget *m_tabs;
    CheckoutPane *m_checkoutPane = nullptr;
    QComboBox *m_currencyPopUpButton = nullptr;
    QWidget *m_customCurrencyBox = nullptr;
    QLabel *m_priceExample = nullptr;
    QLineEdit *m_cartFontSizeTextField = nullptr;
    QComboBox *m_cartFontSizeUnit = nullptr;
    ShopTextsPane *m_textsPane = nullptr;
    QHash<QString, ColorWell *> m_colorWells;
    QHash<QString, std::function<void()>> m_colorCommits;
};
