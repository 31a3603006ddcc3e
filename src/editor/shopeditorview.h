#pragma once

#include <QList>
#include <QWidget>

class EditorContext;
class HeaderFooterSection;
class ProductDescriptionPage;
class ProductListPane;
class QAbstractButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;

// The shop page's editor as the host shows it: the main tab view (the shop,
// then the news), and in the shop tab the three section buttons over their
// sections: products, shipping, header and footer. The products section puts
// the product list beside the selected product's four pages.
class ShopEditorView : public QWidget
{
    Q_OBJECT

public:
    explicit ShopEditorView(EditorContext &context, QWidget *parent = nullptr);
    ~ShopEditorView() override;

    EditorContext &context() const { return m_context; }
    QTabWidget *mainTabView() const { return m_mainTabView; }
    QStackedWidget *pluginTabView() const { return m_pluginTabView; }
    QStackedWidget *productTabView() const { return m_productTabView; }
    QSplitter *productsSplitView() const { return m_productsSplitView; }
    const QList<QAbstractButton *> &sectionButtons() const { return m_sectionButtons; }
    const QList<QAbstractButton *> &productPageButtons() const { return m_productPageButtons; }

    ProductListPane *productList() const { return m_productList; }
    ProductDescriptionPage *descriptionPage() const { return m_descriptionPage; }
    HeaderFooterSection *headerFooter() const { return m_headerFooter; }

    // Shows section tag (0 products, 1 shipping, 2 header and footer); the
    // button of a shown section is on, with a bold title, the others off with
    // a regular one. Another tag switches the page and leaves the buttons.
    void handlePluginToolbarClick(int tag);
    // Shows product page tag (0 general, 1 description, 2 pricing, 3
    // options) and turns its button on, the others off.
    void handleProductToolbarClick(int tag);

private:
    QWidget *buildShopTab();
    QWidget *buildProductsSection();
    void restoreSplit();
    void storeSplit();

    EditorContext &m_context;
    QTabWidget *m_mainTabView = nullptr;
    QStackedWidget *m_pluginTabView = nullptr;
    QStackedWidget *m_productTabView = nullptr;
    QSplitter *m_productsSplitView = nullptr;
    QList<QAbstractButton *> m_sectionButtons;
    QList<QAbstractButton *> m_productPageButtons;
    ProductListPane *m_productList = nullptr;
    ProductDescriptionPage *m_descriptionPage = nullptr;
    HeaderFooterSection *m_headerFooter = nullptr;
};
