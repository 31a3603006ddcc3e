#include "editor/shopeditorview.h"

#include "editor/editorcontext.h"
#include "editor/scrollingpage.h"
#include "editor/headerfootersection.h"
#include "editor/newspanel.h"
#include "editor/optionspane.h"
#include "editor/productdescriptionpage.h"
#include "editor/productgeneralpage.h"
#include "editor/productlistpane.h"
#include "editor/productpricingpage.h"
#include "editor/shippingsection.h"
#include "editor/tbximageview.h"

#include "plugin/tillboxplugin.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Where the divider of the product list is kept between sessions.
const QString kProductSplitKey = QStringLiteral("TBXProductSplitViewSize");

// The divider limits of the product list beside the details.
constexpr int kProductListMinimum = 150;
constexpr int kProductDetailsMinimum = 450;

QToolButton *toggleButton(const QString &title, const QString &accessibleName, int tag, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(title);
    button->setAccessibleName(accessibleName);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setProperty("tag", tag);
    return button;
}

} // namespace

ShopEditorView::ShopEditorView(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(tr("Shop page editor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_mainTabView = new QTabWidget(this);
    m_mainTabView->setObjectName(QStringLiteral("mainTabView"));
    m_mainTabView->setAccessibleName(tr("Shop and news"));
    m_mainTabView->setDocumentMode(true);
    m_mainTabView->addTab(buildShopTab(), tr("&Shop"));
    m_mainTabView->addTab(new NewsPanel(m_mainTabView), tr("&News"));
    layout->addWidget(m_mainTabView);

    // A new editor starts on the first section and the first product page.
    handlePluginToolbarClick(0);
    handleProductToolbarClick(0);
    restoreSplit();
}

ShopEditorView::~ShopEditorView()
{
    storeSplit();
}

QWidget *ShopEditorView::buildShopTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    auto *bar = new QHBoxLayout;
    bar->addStretch();
    const QList<std::pair<QString, QString>> sections = {
        {tr("Products"), tr("Products section")},
        {tr("Shipping"), tr("Shipping section")},
        {tr("Header && Footer"), tr("Header and footer section")},
    };
    for (int tag = 0; tag < sections.size(); ++tag) {
        QToolButton *button = toggleButton(sections[tag].first, sections[tag].second, tag, tab);
        static const char *const names[] = {"productsTabButton", "shippingTabButton", "headerFooterTabButton"};
        button->setObjectName(QLatin1String(names[tag]));
        button->setMinimumWidth(120);
        connect(button, &QToolButton::clicked, this, [this, tag] { handlePluginToolbarClick(tag); });
        m_sectionButtons.append(button);
        bar->addWidget(button);
    }
    bar->addStretch();
    // The page's options (checkout, currency, cart) open in the host's
    // options view.
    auto *options = new QToolButton(tab);
    options->setObjectName(QStringLiteral("showOptionsButton"));
    options->setText(tr("Shop Options\u2026"));
    options->setAccessibleName(tr("Shop options"));
    options->setToolTip(tr("Checkout, currency, cart and texts of this shop page"));
    connect(options, &QToolButton::clicked, this, [this] { m_context.plugin().broadcastPluginSettingsRequest(); });
    bar->addWidget(options);
    layout->addLayout(bar);

    m_pluginTabView = new QStackedWidget(tab);
    m_pluginTabView->setObjectName(QStringLiteral("pluginTabView"));
    m_pluginTabView->addWidget(buildProductsSection());
    m_pluginTabView->addWidget(new ScrollingPage(new ShippingSection(m_context)));
    m_headerFooter = new HeaderFooterSection(m_context);
    m_pluginTabView->addWidget(m_headerFooter);
    layout->addWidget(m_pluginTabView, 1);
    return tab;
}

QWidget *ShopEditorView::buildProductsSection()
{
    m_productsSplitView = new QSplitter(Qt::Horizontal);
    m_productsSplitView->setObjectName(QStringLiteral("productsSplitView"));
    m_productsSplitView->setChildrenCollapsible(false);

    m_productList = new ProductListPane(m_context, m_productsSplitView);
    m_productList->setMinimumWidth(kProductListMinimum);
    m_productsSplitView->addWidget(m_productList);

    auto *details = new QWidget(m_productsSplitView);
    // The divider stops kProductDetailsMinimum from the right edge.
    details->setMinimumWidth(kProductDetailsMinimum - m_productsSplitView->handleWidth());
    auto *layout = new QVBoxLayout(details);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    const QStringList pages = {tr("General"), tr("Description"), tr("Pricing"), tr("Options")};
    static const char *const names[] = {"generalTabButton", "descriptionTabButton", "pricingTabButton",
                                        "optionsTabButton"};
    bar->addStretch();
    for (int tag = 0; tag < pages.size(); ++tag) {
        QToolButton *button = toggleButton(pages[tag], tr("%1 page of the product").arg(pages[tag]), tag, details);
        button->setObjectName(QLatin1String(names[tag]));
        connect(button, &QToolButton::clicked, this, [this, tag] { handleProductToolbarClick(tag); });
        m_productPageButtons.append(button);
        bar->addWidget(button);
    }
    bar->addStretch();
    layout->addLayout(bar);

    m_productTabView = new QStackedWidget(details);
    m_productTabView->setObjectName(QStringLiteral("productTabView"));
    auto *general = new ProductGeneralPage(m_context);
    // Files the picture well hands on become products of the list.
    connect(general->imageView(), &TBXImageView::filesForNewProducts, m_productList,
            &ProductListPane::addProductsFromPictureWell);
    m_productTabView->addWidget(new ScrollingPage(general));
    m_descriptionPage = new ProductDescriptionPage(m_context);
    m_productTabView->addWidget(m_descriptionPage);
    m_productTabView->addWidget(new ScrollingPage(new ProductPricingPage(m_context)));
    m_productTabView->addWidget(new OptionsPane(m_context));
    layout->addWidget(m_productTabView, 1);
    m_productsSplitView->addWidget(details);
    m_productsSplitView->setStretchFactor(0, 0);
    m_productsSplitView->setStretchFactor(1, 1);
    m_productsSplitView->setSizes({280, 700});
    return m_productsSplitView;
}

void ShopEditorView::handlePluginToolbarClick(int tag)
{
    if (tag >= 0 && tag < m_pluginTabView->count())
        m_pluginTabView->setCurrentIndex(tag);
    if (tag < 0 || tag >= m_sectionButtons.size())
        return;
    // The platform's UI font at 11 points, bold for the section shown.
    QFont regular = QApplication::font();
    regular.setPointSizeF(11);
    QFont bold = regular;
    bold.setBold(true);
    for (QAbstractButton *button : std::as_const(m_sectionButtons)) {
        const bool on = button->property("tag").toInt() == tag;
        button->setChecked(on);
        button->setFont(on ? bold : regular);
    }
}

void ShopEditorView::handleProductToolbarClick(int tag)
{
    if (tag >= 0 && tag < m_productTabView->count())
        m_productTabView->setCurrentIndex(tag);
    if (tag < 0 || tag >= m_productPageButtons.size())
        return;
    for (QAbstractButton *button : std::as_const(m_productPageButtons))
        button->setChecked(button->property("tag").toInt() == tag);
}

void ShopEditorView::restoreSplit()
{
    const QByteArray state = QSettings().value(kProductSplitKey).toByteArray();
    if (!state.isEmpty())
        m_productsSplitView->restoreState(state);
}

void ShopEditorView::storeSplit()
{
    QSettings().setValue(kProductSplitKey, m_productsSplitView->saveState());
}
