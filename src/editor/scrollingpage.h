#pragma once

#include <QScrollArea>

// A page of fields that scrolls when the window is too small for it, and
// otherwise looks like the page itself (no frame).
class ScrollingPage : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScrollingPage(QWidget *page, QWidget *parent = nullptr);
};
