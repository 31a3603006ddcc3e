#pragma once

#include <QDialog>

class EditorContext;

// The direct-order form shoppers fill in: the labels of its fifteen fields
// (an empty label leaves the field out), which ones are required, and which
// one holds the shopper's e-mail address. Opens over the options window
// (window-modal).
class DirectOrderSheet : public QDialog
{
    Q_OBJECT

public:
    explicit DirectOrderSheet(EditorContext &context, QWidget *parent = nullptr);

private:
    EditorContext &m_context;
};
