#pragma once

#include "util/styledtext.h"

#include <QWidget>
#include <optional>

class EditorContext;

// The page header above the products and the footer below them, styled or HTML.
class HeaderFooterSection : public QWidget
{
    Q_OBJECT

public:
    explicit HeaderFooterSection(EditorContext &context, QWidget *parent = nullptr);

    std::optional<StyledText> headerText() const { return std::nullopt; }
    std::optional<StyledText> footerText() const { return std::nullopt; }
    void setHeaderText(const StyledText &) {}
    void setFooterText(const StyledText &) {}

private:
    EditorContext &m_context;
};
