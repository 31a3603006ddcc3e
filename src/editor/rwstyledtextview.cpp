#include "editor/rwstyledtextview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The stored font name and colour ride along in the character format, so that
// text the author leaves alone keeps them exactly (a font name such as
// "Georgia-BoldItalic", a colour in double precision or without an RGB form).
constexpr int kFontNameProperty = QTextFormat::UserProperty + 1;
constexpr int kColorProperty = QTextFormat::UserProperty + 2;

// The family a new font name is made from when the text had no font.
const QString kDefaultFamily = QStringLiteral("Helvetica");

constexpr double kDefaultPointSize = 12.0;
constexpr char16_t kParagraphSeparator = 0x2029;

QString familyOf(const QString &fontName)
{
    return fontName.section(QLatin1Char('-'), 0, 0);
}

QString fontName(const QString &family, bool bold, bool italic)
{
    QString name = family;
    name.remove(QLatin1Char(' '));
    if (bold || italic)
        name += QLatin1Char('-') + QLatin1String(bold ? "Bold" : "") + QLatin1String(italic ? "Italic" : "");
    return name;
}

QColor qColor(const Color &color)
{
    const auto unit = [](double v) { return std::clamp(std::isfinite(v) ? v : 0.0, 0.0, 1.0); };
    return QColor::fromRgbF(float(unit(color.red())), float(unit(color.green())), float(unit(color.blue())),
                            float(unit(color.alpha())));
}

QTextCharFormat charFormat(const TextAttributes &attributes)
{
    QTextCharFormat format;
    if (attributes.font) {
        format.setProperty(kFontNameProperty, attributes.font->name);
        format.setFontFamilies(QStringList{familyOf(attributes.font->name)});
        format.setFontWeight(attributes.font->isBold() ? QFont::Bold : QFont::Normal);
        format.setFontItalic(attributes.font->isItalic());
        format.setFontPointSize(attributes.font->pointSize);
    }
    if (attributes.color) {
        format.setProperty(kColorProperty, QVariant::fromValue(*attributes.color));
        if (attributes.color->hasRgbForm())
            format.setForeground(qColor(*attributes.color));
    }
    if (attributes.underline)
        format.setFontUnderline(true);
    if (!attributes.link.isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(attributes.link);
    }
    return format;
}

TextAttributes attributesOf(const QTextCharFormat &format)
{
    TextAttributes attributes;
    const bool hasFont = format.hasProperty(QTextFormat::FontWeight) || format.hasProperty(QTextFormat::FontItalic) ||
                         format.hasProperty(QTextFormat::FontPointSize) ||
                         format.hasProperty(QTextFormat::FontFamilies) || format.hasProperty(kFontNameProperty);
    if (hasFont) {
        const bool bold = format.fontWeight() >= QFont::DemiBold;
        const bool italic = format.fontItalic();
        const QString stored = format.property(kFontNameProperty).toString();
        const QStringList families = format.fontFamilies().toStringList();
        const QString family = !families.isEmpty() ? families.first()
                               : !stored.isEmpty() ? familyOf(stored)
                                                   : kDefaultFamily;
        const TextFont storedFont{stored};
        const bool storedFits = !stored.isEmpty() && storedFont.isBold() == bold && storedFont.isItalic() == italic &&
                                familyOf(stored) == family;
        attributes.font = TextFont{storedFits ? stored : fontName(family, bold, italic),
                                   format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                                  : kDefaultPointSize};
    }
    const bool hasForeground =
        format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush;
    if (format.hasProperty(kColorProperty)) {
        const Color stored = format.property(kColorProperty).value<Color>();
        const bool storedFits =
            stored.hasRgbForm() ? hasForeground && format.foreground().color() == qColor(stored) : !hasForeground;
        if (storedFits)
            attributes.color = stored;
    }
    if (!attributes.color && hasForeground) {
        const QColor c = format.foreground().color();
        attributes.color = Color(c.redF(), c.greenF(), c.blueF(), c.alphaF());
    }
    attributes.underline = format.fontUnderline();
    if (format.isAnchor())
        attributes.link = format.anchorHref();
    return attributes;
}

TextAlignment alignmentOf(const QTextBlockFormat &format)
{
    if (!format.hasProperty(QTextFormat::BlockAlignment))
        return TextAlignment::Natural;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        return TextAlignment::Center;
    if ((alignment & Qt::AlignJustify) == Qt::AlignJustify)
        return TextAlignment::Justified;
    if (alignment & Qt::AlignRight)
        return TextAlignment::Right;
    if ((alignment & Qt::AlignLeft) && (alignment & Qt::AlignAbsolute))
        return TextAlignment::Left;
    return TextAlignment::Natural;
}

QTextBlockFormat blockFormat(TextAlignment alignment)
{
    QTextBlockFormat format;
    switch (alignment) {
    case TextAlignment::Left: format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case TextAlignment::Right: format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case TextAlignment::Center: format.setAlignment(Qt::AlignHCenter); break;
    case TextAlignment::Justified: format.setAlignment(Qt::AlignJustify); break;
    case TextAlignment::Natural: break;
    }
    return format;
}

struct Piece
{
    QString text;
    TextAttributes attributes;
};

// One paragraph of styled text: its characters, and the look of the line
// feed that ends it.
struct Paragraph
{
    QList<Piece> pieces;
    TextAttributes end; // plain for the last paragraph

    TextAlignment alignment() const { return pieces.isEmpty() ? end.alignment : pieces.first().attributes.alignment; }
};

QList<Paragraph> paragraphsOf(const StyledText &styled)
{
    const QString &text = styled.text();
    // Characters beyond the runs are plain, as the exporter writes them.
    const QList<StyledRun> runs = styled.coveringRuns();

    QList<Paragraph> paragraphs;
    paragraphs.emplace_back();
    qsizetype position = 0;
    for (const StyledRun &run : std::as_const(runs)) {
        const qsizetype end = std::min<qsizetype>(position + std::max(run.length, 0), text.size());
        for (; position < end; ++position) {
            const QChar c = text.at(position);
            const bool crBeforeLf =
                c == QLatin1Char('\r') && position + 1 < text.size() && text.at(position + 1) == QLatin1Char('\n');
            if (crBeforeLf)
                continue;
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == kParagraphSeparator) {
                paragraphs.last().end = run.attributes;
                paragraphs.emplace_back();
                continue;
            }
            QList<Piece> &pieces = paragraphs.last().pieces;
            if (pieces.isEmpty() || !(pieces.last().attributes == run.attributes))
                pieces.append({QString(), run.attributes});
            pieces.last().text += c;
        }
    }
    return paragraphs;
}

// A small picture of four lines set the way alignment sets them.
QIcon alignmentIcon(Qt::Alignment alignment, const QColor &ink)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(ink, 1.5));
    const int widths[] = {14, 9, 14, 7};
    for (int line = 0; line < 4; ++line) {
        const int width = alignment == Qt::AlignJustify ? 14 : widths[line];
        const int left = alignment == Qt::AlignHCenter ? (16 - width) / 2 : alignment == Qt::AlignRight ? 15 - width : 1;
        const qreal y = 2.5 + line * 3.5;
        painter.drawLine(QPointF(left, y), QPointF(left + width, y));
    }
    return QIcon(pixmap);
}

QIcon colorIcon(const QColor &color, const QColor &ink)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRect(0, 0, 16, 12), Qt::AlignCenter, QStringLiteral("A"));
    painter.fillRect(QRect(1, 12, 14, 4), color);
    return QIcon(pixmap);
}

// Pasted rich text keeps only what styled text holds (no pictures, tables or
// backgrounds), so the view never shows what the page will not.
class StyledTextEdit : public QTextEdit
{
public:
    using QTextEdit::QTextEdit;

protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (!source->hasHtml()) {
            QTextEdit::insertFromMimeData(source);
            return;
        }
        QTextDocument pasted;
        pasted.setHtml(source->html());
        QTextDocument kept;
        RWStyledTextView::fillDocument(kept, RWStyledTextView::styledText(pasted));
        textCursor().insertFragment(QTextDocumentFragment(&kept));
        ensureCursorVisible();
    }
};

} // namespace

RWStyledTextView::RWStyledTextView(QWidget *parent) : QWidget(parent)
{
    m_chooseColor = [this](const QColor &current) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(current, this, tr("Text Colour"));
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    };
    m_chooseLink = [this](const QString &current) -> std::optional<QString> {
        bool ok = false;
        const QString address = QInputDialog::getText(this, tr("Link"),
                                                      tr("Web address, e-mail (mailto:) or page of this site.\n"
                                                         "Leave it empty to remove the link."),
                                                      QLineEdit::Normal, current, &ok);
        return ok ? std::optional<QString>(address.trimmed()) : std::nullopt;
    };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(buildFormatBar());
    m_textView = new StyledTextEdit(this);
    m_textView->setObjectName(QStringLiteral("styledTextView"));
    m_textView->setTabChangesFocus(true);
    // Text without a font of its own is written at the exporter's default size.
    QFont plain = m_textView->font();
    plain.setPointSizeF(kDefaultPointSize);
    m_textView->setFont(plain);
    m_textView->installEventFilter(this);
    layout->addWidget(m_textView, 1);
    setFocusProxy(m_textView);

    connect(m_textView, &QTextEdit::textChanged, this, [this] {
        showLinks();
        if (m_loading)
            return;
        m_touched = true;
        m_pending = true;
        Q_EMIT textEdited();
    });
    connect(m_textView, &QTextEdit::currentCharFormatChanged, this, [this] { showFormatAtCursor(); });
    connect(m_textView, &QTextEdit::cursorPositionChanged, this, [this] { showFormatAtCursor(); });

    const auto shortcut = [this](const QKeySequence &keys, QToolButton *button) {
        auto *s = new QShortcut(keys, m_textView, nullptr, nullptr, Qt::WidgetShortcut);
        connect(s, &QShortcut::activated, button, &QToolButton::click);
    };
    shortcut(QKeySequence::Bold, m_bold);
    shortcut(QKeySequence::Italic, m_italic);
    shortcut(QKeySequence::Underline, m_underline);
    showFormatAtCursor();
}

QWidget *RWStyledTextView::buildFormatBar()
{
    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const QColor ink = palette().color(QPalette::ButtonText);

    const auto button = [bar, layout](const QString &objectName, const QString &text, const QString &tip) {
        auto *b = new QToolButton(bar);
        b->setObjectName(objectName);
        b->setText(text);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(b);
        return b;
    };
    const auto styled = [](QToolButton *b, void (QFont::*set)(bool)) {
        QFont font = b->font();
        (font.*set)(true);
        b->setFont(font);
        b->setCheckable(true);
    };

    m_bold = button(QStringLiteral("boldButton"), tr("B"), tr("Bold"));
    styled(m_bold, &QFont::setBold);
    connect(m_bold, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeFormat(format);
    });
    m_italic = button(QStringLiteral("italicButton"), tr("I"), tr("Italic"));
    styled(m_italic, &QFont::setItalic);
    connect(m_italic, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontItalic(on);
        mergeFormat(format);
    });
    m_underline = button(QStringLiteral("underlineButton"), tr("U"), tr("Underline"));
    styled(m_underline, &QFont::setUnderline);
    connect(m_underline, &QToolButton::clicked, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontUnderline(on);
        mergeFormat(format);
    });

    m_size = new QComboBox(bar);
    m_size->setObjectName(QStringLiteral("fontSizeBox"));
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->setToolTip(tr("Font size in points"));
    m_size->setAccessibleName(tr("Font size"));
    m_size->lineEdit()->setAccessibleName(tr("Font size"));
    for (int size : {9, 10, 11, 12, 13, 14, 16, 18, 20, 24, 28, 32, 36, 48})
        m_size->addItem(QString::number(size));
    m_size->setMinimumContentsLength(3);
    connect(m_size, &QComboBox::activated, this, [this] { applySize(); });
    connect(m_size->lineEdit(), &QLineEdit::returnPressed, this, [this] { applySize(); });
    layout->addSpacing(6);
    layout->addWidget(m_size);
    layout->addSpacing(6);

    m_color = button(QStringLiteral("colorButton"), tr("Colour"), tr("Text colour"));
    m_color->setIcon(colorIcon(ink, ink));
    connect(m_color, &QToolButton::clicked, this, [this] { chooseColor(); });
    m_link = button(QStringLiteral("linkButton"), tr("Link"), tr("Link…"));
    m_link->setCheckable(true);
    connect(m_link, &QToolButton::clicked, this, [this] { chooseLink(); });
    layout->addSpacing(6);

    m_alignment = new QButtonGroup(this);
    m_alignment->setExclusive(true);
    const QList<std::tuple<const char *, QString, Qt::Alignment>> alignments = {
        {"alignLeftButton", tr("Align left"), Qt::AlignLeft | Qt::AlignAbsolute},
        {"alignCenterButton", tr("Centre"), Qt::AlignHCenter},
        {"alignRightButton", tr("Align right"), Qt::AlignRight | Qt::AlignAbsolute},
        {"alignJustifyButton", tr("Justify"), Qt::AlignJustify},
    };
    for (const auto &[name, tip, alignment] : alignments) {
        QToolButton *b = button(QLatin1String(name), QString(), tip);
        b->setIcon(alignmentIcon(alignment & ~Qt::AlignAbsolute, ink));
        b->setCheckable(true);
        m_alignment->addButton(b, int(alignment));
    }
    connect(m_alignment, &QButtonGroup::idClicked, this, [this](int alignment) {
        m_textView->setAlignment(Qt::Alignment(alignment));
        finishEditing();
    });
    layout->addStretch();
    return bar;
}

StyledText RWStyledTextView::attributedString() const
{
    return m_touched ? styledText(*m_textView->document()) : m_loaded;
}

void RWStyledTextView::setAttributedString(const StyledText &text)
{
    m_loading = true;
    m_loaded = text;
    fillDocument(*m_textView->document(), text);
    m_textView->document()->clearUndoRedoStacks();
    m_textView->moveCursor(QTextCursor::Start);
    m_touched = false;
    m_pending = false;
    m_loading = false;
    showLinks();
    showFormatAtCursor();
}

void RWStyledTextView::fillDocument(QTextDocument &document, const StyledText &text)
{
    document.clear();
    QTextCursor cursor(&document);
    const QList<Paragraph> paragraphs = paragraphsOf(text);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        const Paragraph &paragraph = paragraphs.at(i);
        // An empty paragraph types in the style of its line feed.
        const TextAttributes typing =
            paragraph.pieces.isEmpty() ? paragraph.end : paragraph.pieces.first().attributes;
        if (i == 0) {
            cursor.setBlockFormat(blockFormat(paragraph.alignment()));
            cursor.setBlockCharFormat(charFormat(typing));
        } else {
            cursor.insertBlock(blockFormat(paragraph.alignment()), charFormat(typing));
        }
        for (const Piece &piece : paragraph.pieces)
            cursor.insertText(piece.text, charFormat(piece.attributes));
    }
}

StyledText RWStyledTextView::styledText(const QTextDocument &document)
{
    StyledText text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const TextAlignment alignment = alignmentOf(block.blockFormat());
        TextAttributes last = attributesOf(block.charFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter); // pictures pasted in: not styled text
            TextAttributes attributes = attributesOf(fragment.charFormat());
            attributes.alignment = alignment;
            text.append(piece, attributes);
            last = attributes;
        }
        if (block.next().isValid()) {
            // The line feed looks like the text before it; a link ends with
            // its paragraph.
            last.link.clear();
            last.alignment = alignment;
            text.append(QStringLiteral("\n"), last);
        }
    }
    return text;
}

bool RWStyledTextView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textView && event->type() == QEvent::FocusOut) {
        // The view's own context menu does not end the edit.
        const auto *focus = static_cast<QFocusEvent *>(event);
        QWidget *popup = QApplication::activePopupWidget();
        if (!(focus->reason() == Qt::PopupFocusReason && popup && isAncestorOf(popup)))
            finishEditing();
    }
    return QWidget::eventFilter(watched, event);
}

void RWStyledTextView::mergeFormat(const QTextCharFormat &format, bool wholeWordWithoutSelection)
{
    QTextCursor cursor = m_textView->textCursor();
    if (wholeWordWithoutSelection && !cursor.hasSelection()) {
        cursor.select(QTextCursor::WordUnderCursor);
        m_textView->setTextCursor(cursor);
    }
    m_textView->mergeCurrentCharFormat(format);
    finishEditing();
}

void RWStyledTextView::finishEditing()
{
    if (!m_pending)
        return;
    m_pending = false;
    Q_EMIT editingFinished();
}

void RWStyledTextView::chooseColor()
{
    const QTextCharFormat current = m_textView->currentCharFormat();
    const QColor shown = current.hasProperty(QTextFormat::ForegroundBrush) ? current.foreground().color()
                                                                          : palette().color(QPalette::Text);
    if (const std::optional<QColor> color = m_chooseColor(shown)) {
        QTextCharFormat format;
        format.setForeground(*color);
        mergeFormat(format);
    }
}

void RWStyledTextView::chooseLink()
{
    const QString current = m_textView->currentCharFormat().anchorHref();
    const std::optional<QString> address = m_chooseLink(current);
    if (address) {
        QTextCharFormat format;
        format.setAnchor(!address->isEmpty());
        format.setAnchorHref(*address);
        mergeFormat(format, true);
    }
    showFormatAtCursor();
}

void RWStyledTextView::applySize()
{
    bool ok = false;
    const double size = m_size->currentText().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || size <= 0 || size > 400) {
        showFormatAtCursor();
        return;
    }
    QTextCharFormat format;
    format.setFontPointSize(size);
    mergeFormat(format);
    m_textView->setFocus();
}

void RWStyledTextView::showFormatAtCursor()
{
    const TextAttributes attributes = attributesOf(m_textView->currentCharFormat());
    const TextFont font = attributes.font.value_or(TextFont{});
    m_bold->setChecked(font.isBold());
    m_italic->setChecked(font.isItalic());
    m_underline->setChecked(attributes.underline);
    m_link->setChecked(!attributes.link.isEmpty());
    if (!m_size->lineEdit()->hasFocus())
        m_size->setEditText(QString::number(font.pointSize));
    const QColor ink = palette().color(QPalette::ButtonText);
    m_color->setIcon(colorIcon(attributes.color && attributes.color->hasRgbForm() ? qColor(*attributes.color)
                                                                                  : palette().color(QPalette::Text),
                               ink));
    const Qt::Alignment alignment = m_textView->alignment() & Qt::AlignHorizontal_Mask;
    for (QAbstractButton *b : m_alignment->buttons()) {
        const Qt::Alignment own = Qt::Alignment(m_alignment->id(b));
        b->setChecked((alignment & ~Qt::AlignAbsolute) == (own & ~Qt::AlignAbsolute));
    }
}

void RWStyledTextView::showLinks()
{
    // Links look like links while editing without becoming part of the text's
    // own colour or underline.
    QList<QTextEdit::ExtraSelection> selections;
    const QTextDocument *document = m_textView->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isAnchor())
                continue;
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(m_textView->document());
            selection.cursor.setPosition(fragment.position());
            selection.cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            selection.format.setForeground(palette().color(QPalette::Link));
            selection.format.setFontUnderline(true);
            selections.append(selection);
        }
    }
    m_textView->setExtraSelections(selections);
}
