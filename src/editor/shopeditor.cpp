#include "editor/shopeditor.h"

#include "editor/editorcontext.h"
#include "editor/headerfootersection.h"
#include "editor/productdescriptionpage.h"
#include "editor/productlistpane.h"
#include "editor/productpricingpage.h"
#include "editor/shopeditorview.h"
#include "editor/shopsettingsview.h"

#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"

ShopEditor::ShopEditor(TillboxPlugin &plugin, QUndoStack *undoStack)
    : m_plugin(plugin), m_context(std::make_unique<EditorContext>(plugin, undoStack))
{
    m_view = new ShopEditorView(*m_context);
    m_settingsView = new ShopSettingsView(*m_context);
}

ShopEditor::~ShopEditor()
{
    // The views go with their editor, wherever the host put them.
    delete m_view;
    delete m_settingsView;
}

ShopEditorView *ShopEditor::view() const
{
    return m_view;
}

ShopSettingsView *ShopEditor::settingsView() const
{
    return m_settingsView;
}

QObject *ShopEditor::userInteractionAndEditingView()
{
    return m_view;
}

QObject *ShopEditor::optionsAndConfigurationView()
{
    return m_settingsView;
}

void ShopEditor::endEditing()
{
    m_context->commitAll();
}

std::optional<StyledText> ShopEditor::headerText() const
{
    return m_view ? m_view->headerFooter()->headerText() : std::nullopt;
}

std::optional<StyledText> ShopEditor::footerText() const
{
    return m_view ? m_view->headerFooter()->footerText() : std::nullopt;
}

void ShopEditor::setHeaderText(const StyledText &text)
{
    if (m_view)
        m_view->headerFooter()->setHeaderText(text);
}

void ShopEditor::setFooterText(const StyledText &text)
{
    if (m_view)
        m_view->headerFooter()->setFooterText(text);
}

bool ShopEditor::hasDescriptionView() const
{
    return m_view && m_view->descriptionPage()->hasDescriptionView();
}

void ShopEditor::showDescription(const StyledText &text)
{
    if (m_view)
        m_view->descriptionPage()->showDescription(text);
}

void ShopEditor::updateDescriptionView()
{
    if (!m_view || m_plugin.products().isEmpty())
        return;
    const auto product = m_plugin.productController().selectedProduct();
    const std::optional<StyledText> text = m_view->descriptionPage()->descriptionText();
    if (product && text)
        product->setStyledProductDescription(*text);
}

void ShopEditor::applyCurrencyRefresh(const CurrencyRefresh &refresh)
{
    m_context->setFormats(refresh);
}

void ShopEditor::handleCheckoutChange()
{
    if (m_settingsView)
        m_settingsView->handleCheckoutChange();
}

void ShopEditor::redrawProductTable()
{
    if (m_view)
        m_view->productList()->redrawProductTable();
}

void ShopEditor::setCouponWarningVisible(bool visible)
{
    if (auto *pricing = m_view ? m_view->findChild<ProductPricingPage *>() : nullptr)
        pricing->setCouponWarningVisible(visible);
}

void ShopEditor::reloadShopperTexts()
{
    if (m_settingsView)
        m_settingsView->reloadShopperTexts();
}

void ShopEditor::runAlert(const QStringList &alert)
{
    if (m_alert)
        m_alert(alert);
}
