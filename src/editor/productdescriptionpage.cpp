#include "editor/productdescriptionpage.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ProductDescriptionPage::ProductDescriptionPage(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ProductDescriptionPage"), this));
}

