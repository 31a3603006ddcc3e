#include "editor/shopsettingsview.h"

#include "editor/editorcontext.h"

#include <QLabel>
#include <QVBoxLayout>

ShopSettingsView::ShopSettingsView(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ShopSettingsView"), this));
}

