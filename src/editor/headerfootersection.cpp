#include "editor/headerfootersection.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/rwstyledtextview.h"
#include "editor/shopeditorview.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

HeaderFooterSection::HeaderFooterSection(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    m_split = new QSplitter(Qt::Vertical, this);
    m_split->setObjectName(QStringLiteral("headerFooterSplitView"));
    m_split->setChildrenCollapsible(false);
    m_headerPart = buildPart(tr("Header, above the products"), QStringLiteral("Header"), m_header);
    m_headerPart->setMinimumHeight(kHeaderMinimum);
    m_split->addWidget(m_headerPart);
    QWidget *footerPart = buildPart(tr("Footer, below the products"), QStringLiteral("Footer"), m_footer);
    footerPart->setMinimumHeight(kHeaderMinimum);
    m_split->addWidget(footerPart);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 1);
    layout->addWidget(m_split);
}

QWidget *HeaderFooterSection::buildPart(const QString &title, const QString &name, RWStyledTextView *&view)
{
    FieldBinder &settings = m_context.settings();
    auto *part = new QGroupBox(title, this);
    auto *layout = new QVBoxLayout(part);

    auto *useHtml = new QCheckBox(name == QLatin1String("Header") ? tr("Write the header in &HTML")
                                                                  : tr("Write the footer in HT&ML"),
                                  part);
    useHtml->setObjectName(QStringLiteral("useHtmlPage%1CheckBox").arg(name));
    useHtml->setAccessibleName(useHtml->text().remove(QLatin1Char('&')));
    settings.bind(useHtml, QStringLiteral("useHtmlPage%1").arg(name));
    layout->addWidget(useHtml);

    auto *pages = new QStackedWidget(part);
    view = new RWStyledTextView(pages);
    view->setObjectName(QStringLiteral("page%1View").arg(name));
    view->textView()->setAccessibleName(title);
    pages->addWidget(view);
    auto *html = new QPlainTextEdit(pages);
    html->setObjectName(QStringLiteral("htmlPage%1TextView").arg(name));
    html->setAccessibleName(tr("%1 in HTML").arg(title));
    html->setTabChangesFocus(true);
    settings.bind(html, QStringLiteral("htmlPage%1").arg(name));
    pages->addWidget(html);
    layout->addWidget(pages, 1);
    const auto showPage = [pages](bool useHtml) { pages->setCurrentIndex(useHtml ? 1 : 0); };
    connect(useHtml, &QCheckBox::toggled, pages, showPage);
    showPage(useHtml->isChecked());

    RWStyledTextView *styled = view;
    const auto commit = settings.bindWidget(
        view, QStringLiteral("page%1").arg(name),
        {[styled](const QVariant &value) {
             const StyledText text = value.value<StyledText>();
             if (!(styled->attributedString() == text))
                 styled->setAttributedString(text);
         },
         // Untouched text has nothing to commit (an absent text shows empty).
         [styled]() -> std::optional<QVariant> {
             return styled->isModified() ? std::optional<QVariant>(QVariant::fromValue(styled->attributedString()))
                                         : std::nullopt;
         }});
    connect(view, &RWStyledTextView::textEdited, this, [this] { m_context.broadcastChange(); });
    connect(view, &RWStyledTextView::editingFinished, this, commit);
    return part;
}

std::optional<StyledText> HeaderFooterSection::headerText() const
{
    return m_header->attributedString();
}

std::optional<StyledText> HeaderFooterSection::footerText() const
{
    return m_footer->attributedString();
}

void HeaderFooterSection::setHeaderText(const StyledText &text)
{
    if (!(m_header->attributedString() == text))
        m_header->setAttributedString(text);
}

void HeaderFooterSection::setFooterText(const StyledText &text)
{
    if (!(m_footer->attributedString() == text))
        m_footer->setAttributedString(text);
}

void HeaderFooterSection::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applySplitLimits();
}

void HeaderFooterSection::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    applySplitLimits();
}

void HeaderFooterSection::applySplitLimits()
{
    // The divider stays at least kHeaderMinimum from the top and leaves
    // kEditingViewReserve of the editing view below the header.
    QWidget *editingView = window();
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<ShopEditorView *>(w)) {
            editingView = w;
            break;
        }
    }
    m_headerPart->setMaximumHeight(std::max(kHeaderMinimum, editingView->height() - kEditingViewReserve));
}
