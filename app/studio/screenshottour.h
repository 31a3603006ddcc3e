#pragma once

#include <QString>

class QPixmap;
class QWidget;

// `tillbox-studio --screenshots DIR [SITE]`: opens SITE (the demo shop when
// none is given), walks the studio through its states and writes each as a
// 1280x800 PNG into DIR. Needs no display; leaves the author's settings alone.
class ScreenshotTour
{
public:
    // The process's exit status: 0 when every picture was written.
    static int run(const QString &folder, const QString &site);

    // The demo shop that ships with the studio; empty when it cannot be found.
    static QString demoShopPath();

    // The window as the author sees it, title bar included, with dialog (if
    // any) on top of it.
    static QPixmap compose(QWidget *window, QWidget *dialog = nullptr);
};
