#pragma once

#include <QString>

// The command-line host's own page theme: a clean, responsive HTML5 page
// that carries a plug-in's header block in its head and its body in the
// content area. It adds no script of its own. Its icon is inline, so that
// browsers do not ask the server for /favicon.ico.
class PageTheme
{
public:
    struct Page
    {
        QString siteName;
        QString title;
        QString headerBlock;
        QString content;
    };

    static QString render(const Page &page);
};
