#include "editor/newspage.h"

#include "editor/newsfeed.h"

#include <QDesktopServices>
#include <QWebEngineSettings>

NewsPage::NewsPage(QObject *parent) : QWebEnginePage(parent)
{
    QWebEngineSettings *web = settings();
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    web->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    web->setAttribute(QWebEngineSettings::PluginsEnabled, false);
}

void NewsPage::openExternally(const QUrl &url)
{
    if (NewsFeed::isWebAddress(url) || url.scheme() == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}

bool NewsPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_forwardsToBrowser) {
        if (isMainFrame) {
            openExternally(url);
            deleteLater();
        }
        return false;
    }
    // Frames inside an entry (a video, a map) belong to it.
    if (!isMainFrame)
        return true;
    // The panel's own loads, the server's redirects and reloads stay in the
    // panel, on web addresses only; so do jumps within the page.
    const bool ownLoad = type == NavigationTypeTyped || type == NavigationTypeRedirect || type == NavigationTypeReload;
    if ((ownLoad && NewsFeed::isWebAddress(url)) || url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment))
        return true;
    if (type == NavigationTypeLinkClicked)
        openExternally(url);
    return false;
}

QWebEnginePage *NewsPage::createWindow(WebWindowType)
{
    auto *page = new NewsPage(this);
    page->m_forwardsToBrowser = true;
    return page;
}
