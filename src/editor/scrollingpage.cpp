#include "editor/scrollingpage.h"

ScrollingPage::ScrollingPage(QWidget *page, QWidget *parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setWidget(page);
}
