#pragma once

#include <QWidget>

class EditorContext;

// The selected product's options and the selected option's values, with their fields.
class OptionsPane : public QWidget
{
    Q_OBJECT

public:
    explicit OptionsPane(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
