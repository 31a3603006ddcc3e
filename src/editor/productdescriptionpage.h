#pragma once

#include "util/styledtext.h"

#include <QWidget>
#include <optional>

class EditorContext;

// The selected product's description: styled text or HTML.
class ProductDescriptionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductDescriptionPage(EditorContext &context, QWidget *parent = nullptr);

    bool hasDescriptionView() const { return false; }
    void showDescription(const StyledText &) {}
    // The description view's text; absent without a view.
    std::optional<StyledText> descriptionText() const { return std::nullopt; }

private:
    EditorContext &m_context;
};
