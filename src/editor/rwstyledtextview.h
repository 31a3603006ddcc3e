#pragma once

#include "util/styledtext.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>

class QButtonGroup;
class QComboBox;
class QTextCharFormat;
class QTextDocument;
class QTextEdit;
class QToolButton;

// The styled-text editor of the page header, footer and product descriptions:
// a text view with a small format bar (bold, italic, underline, size, colour,
// link, alignment). It edits exactly what the styled-text exporter writes:
// fonts, colours, underline, links and paragraph alignment, nothing else.
//
// Text the author has not touched comes back exactly as it was given, so
// showing a stored text and reading it back never rewrites it.
class RWStyledTextView : public QWidget
{
    Q_OBJECT

public:
    // Asked for a colour (current: the colour at the cursor); nothing: cancelled.
    using ColorChooser = std::function<std::optional<QColor>(const QColor &current)>;
    // Asked for a link address (current: the link at the cursor); an empty
    // address removes the link; nothing: cancelled.
    using LinkChooser = std::function<std::optional<QString>(const QString &current)>;

    explicit RWStyledTextView(QWidget *parent = nullptr);

    StyledText attributedString() const;
    // Shows text; the author's own undo history in the view starts afresh.
    void setAttributedString(const StyledText &text);
    // Whether the author changed the text since it was shown.
    bool isModified() const { return m_touched; }
    // The inner view that takes the author's typing.
    QTextEdit *textView() const { return m_textView; }

    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }
    void setLinkChooser(LinkChooser chooser) { m_chooseLink = std::move(chooser); }

    // The conversions between styled text and a text document.
    static void fillDocument(QTextDocument &document, const StyledText &text);
    static StyledText styledText(const QTextDocument &document);

Q_SIGNALS:
    // Every change the author makes, keystroke by keystroke.
    void textEdited();
    // The author finished an edit: left the view, or applied a format.
    void editingFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildFormatBar();
    void mergeFormat(const QTextCharFormat &format, bool wholeWordWithoutSelection = false);
    void finishEditing();
    void chooseColor();
    void chooseLink();
    void applySize();
    void showFormatAtCursor();
    void showLinks();

    QTextEdit *m_textView = nullptr;
    QToolButton *m_bold = nullptr;
    QToolButton *m_italic = nullptr;
    QToolButton *m_underline = nullptr;
    QComboBox *m_size = nullptr;
    QToolButton *m_color = nullptr;
    QToolButton *m_link = nullptr;
    QButtonGroup *m_alignment = nullptr;
    ColorChooser m_chooseColor;
    LinkChooser m_chooseLink;
    StyledText m_loaded;
    bool m_loading = false;
    bool m_touched = false; // changed by the author since it was shown
    bool m_pending = false; // changed since the last editingFinished
};
