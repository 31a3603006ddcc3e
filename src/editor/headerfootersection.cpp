#include "editor/headerfootersection.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

HeaderFooterSection::HeaderFooterSection(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("HeaderFooterSection"), this));
}

