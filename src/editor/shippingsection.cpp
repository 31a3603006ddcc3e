#include "editor/shippingsection.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ShippingSection::ShippingSection(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ShippingSection"), this));
}

