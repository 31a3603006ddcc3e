#pragma once

#include <QWebEnginePage>

// The web page of the news panel: it shows the feed's entries and nothing
// else. A link that leaves the entry opens in the author's browser, and the
// page's scripts get no access to local files, the clipboard or new windows.
class NewsPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit NewsPage(QObject *parent = nullptr);

    // Opens url in the author's browser when it is a web or mail address.
    static void openExternally(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    // A page made for a link that asked for a new window: it hands its first
    // address to the browser and goes away.
    bool m_forwardsToBrowser = false;
};
