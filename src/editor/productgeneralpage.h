#pragma once

#include <QWidget>

class EditorContext;
class TBXImageView;

// The selected product's name, SKU, status and ID, its picture and the size
// and shadow of its thumbnail.
class ProductGeneralPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProductGeneralPage(EditorContext &context, QWidget *parent = nullptr);

    TBXImageView *imageView() const { return m_imageView; }

private:
    void resetProductID();

    EditorContext &m_context;
    TBXImageView *m_imageView = nullptr;
};
