#include "editor/productpricingpage.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ProductPricingPage::ProductPricingPage(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ProductPricingPage"), this));
}

