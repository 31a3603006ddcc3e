#include "editor/productlistpane.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ProductListPane::ProductListPane(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ProductListPane"), this));
}

