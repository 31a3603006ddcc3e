#include "editor/productgeneralpage.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ProductGeneralPage::ProductGeneralPage(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ProductGeneralPage"), this));
}

