#include "editor/shoptextspane.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ShopTextsPane::ShopTextsPane(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ShopTextsPane"), this));
}

