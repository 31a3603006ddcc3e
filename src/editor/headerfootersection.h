#pragma once

#include "util/styledtext.h"

#include <QWidget>
#include <optional>

class EditorContext;
class QSplitter;
class RWStyledTextView;

// The page header above the products and the footer below them, each styled
// text or HTML, the header above the footer in a split view. The styled
// texts reach the settings when the author finishes an edit (one undoable
// step each) and, through the plug-in, when the page is saved.
class HeaderFooterSection : public QWidget
{
    Q_OBJECT

public:
    // The header is at least this high, and leaves this much of the editing
    // view's height to the rest.
    static constexpr int kHeaderMinimum = 100;
    static constexpr int kEditingViewReserve = 300;

    explicit HeaderFooterSection(EditorContext &context, QWidget *parent = nullptr);

    std::optional<StyledText> headerText() const;
    std::optional<StyledText> footerText() const;
    void setHeaderText(const StyledText &text);
    void setFooterText(const StyledText &text);

    QSplitter *headerFooterSplitView() const { return m_split; }
    RWStyledTextView *headerView() const { return m_header; }
    RWStyledTextView *footerView() const { return m_footer; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildPart(const QString &title, const QString &name, RWStyledTextView *&view);
    void applySplitLimits();

    EditorContext &m_context;
    QSplitter *m_split = nullptr;
    QWidget *m_headerPart = nullptr;
    RWStyledTextView *m_header = nullptr;
    RWStyledTextView *m_footer = nullptr;
};
