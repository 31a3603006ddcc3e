#include "editor/optionspane.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

OptionsPane::OptionsPane(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("OptionsPane"), this));
}

