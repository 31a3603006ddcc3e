#include "editor/productdescriptionpage.h"

#include "editor/editorcommand.h"
#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/rwstyledtextview.h"
#include "editor/setfieldcommand.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kField = QStringLiteral("styledProductDescription");

} // namespace

ProductDescriptionPage::ProductDescriptionPage(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    FieldBinder &product = m_context.product();
    auto *layout = new QVBoxLayout(this);

    auto *useHtml = new QCheckBox(tr("Write the description in &HTML"), this);
    useHtml->setObjectName(QStringLiteral("useHtmlDescriptionCheckBox"));
    useHtml->setAccessibleName(tr("Write the description in HTML"));
    product.bind(useHtml, QStringLiteral("useHtmlDescription"));
    layout->addWidget(useHtml);

    auto *pages = new QStackedWidget(this);
    m_view = new RWStyledTextView(pages);
    m_view->setObjectName(QStringLiteral("descriptionView"));
    m_view->setAccessibleName(tr("Product description"));
    m_view->textView()->setAccessibleName(tr("Product description"));
    pages->addWidget(m_view);
    auto *html = new QPlainTextEdit(pages);
    html->setObjectName(QStringLiteral("htmlProductDescriptionTextView"));
    html->setAccessibleName(tr("Product description in HTML"));
    html->setPlaceholderText(tr("<p>Written as HTML, placed into the page as it is.</p>"));
    html->setTabChangesFocus(true);
    product.bind(html, QStringLiteral("htmlProductDescription"));
    pages->addWidget(html);
    layout->addWidget(pages, 1);
    const auto showPage = [pages](bool useHtml) { pages->setCurrentIndex(useHtml ? 1 : 0); };
    connect(useHtml, &QCheckBox::toggled, pages, showPage);
    showPage(useHtml->isChecked());

    product.bindWidget(m_view, kField,
                       {[this](const QVariant &value) { showDescription(value.value<StyledText>()); },
                        // Stored by finishEdit(), never by the binder's commit.
                        []() -> std::optional<QVariant> { return std::nullopt; }});
    connect(m_view, &RWStyledTextView::textEdited, this, &ProductDescriptionPage::edited);
    connect(m_view, &RWStyledTextView::editingFinished, this, &ProductDescriptionPage::finishEdit);
    connect(&m_context, &EditorContext::commitRequested, this, &ProductDescriptionPage::finishEdit);
}

void ProductDescriptionPage::showDescription(const StyledText &text)
{
    const bool shown = m_view->attributedString() == text;
    if (m_editedRecord && !(*m_editedRecord == m_context.product().record())) {
        // Another product is shown while an edit of the last one is open:
        // show it first, so the broadcast of the step does not copy the old
        // product's text into it.
        if (!shown)
            m_view->setAttributedString(text);
        finishEdit();
        return;
    }
    // The broadcast of every keystroke brings the typed text back.
    if (shown)
        return;
    // The edited product's description changed underneath (undo, a paste):
    // that change stands.
    m_editedRecord.reset();
    m_view->setAttributedString(text);
}

std::optional<StyledText> ProductDescriptionPage::descriptionText() const
{
    if (m_context.product().record().isNull())
        return std::nullopt;
    if (m_editedRecord && !(*m_editedRecord == m_context.product().record()))
        return std::nullopt;
    return m_view->attributedString();
}

void ProductDescriptionPage::edited()
{
    const BoundRecord record = m_context.product().record();
    if (record.isNull())
        return;
    if (m_editedRecord && !(*m_editedRecord == record))
        finishEdit();
    if (!m_editedRecord) {
        m_editedRecord = record;
        m_before = record.value(kField);
    }
    m_context.broadcastChange();
}

void ProductDescriptionPage::finishEdit()
{
    if (!m_editedRecord)
        return;
    const BoundRecord record = *m_editedRecord;
    m_editedRecord.reset();
    const QVariant before = m_before;
    // Once another product is shown, the edited one holds what its
    // keystrokes' broadcasts copied into it.
    const QVariant after = record == m_context.product().record() ? QVariant::fromValue(m_view->attributedString())
                                                                  : record.value(kField);
    if (before == after)
        return;
    auto *step = new SetFieldCommand(m_context, &m_context.product(), record, kField, before, after);
    if (EditorCommand::isApplying()) {
        // Not inside another step (a product removed while its description
        // was being edited): right after it.
        QMetaObject::invokeMethod(this, [this, step] { m_context.push(step); }, Qt::QueuedConnection);
        return;
    }
    m_context.push(step);
}
