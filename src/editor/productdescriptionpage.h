#pragma once

#include "editor/boundrecord.h"
#include "util/styledtext.h"

#include <QVariant>
#include <QWidget>
#include <optional>

class EditorContext;
class RWStyledTextView;

// The selected product's description: styled text in the styled-text
// editor, or HTML written by hand.
//
// Every keystroke marks the page changed, and the change broadcast copies
// the text into the product as it is typed (so previews show it); when the
// author finishes, the whole edit becomes one undoable step.
class ProductDescriptionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductDescriptionPage(EditorContext &context, QWidget *parent = nullptr);

    bool hasDescriptionView() const { return true; }
    void showDescription(const StyledText &text);
    // The description view's text; absent while no product is selected.
    std::optional<StyledText> descriptionText() const;

    RWStyledTextView *descriptionView() const { return m_view; }

private:
    void edited();
    // Records the edit in progress as one step.
    void finishEdit();

    EditorContext &m_context;
    RWStyledTextView *m_view = nullptr;
    // The edit in progress: the product it began on and its text before.
    std::optional<BoundRecord> m_editedRecord;
    QVariant m_before;
};
