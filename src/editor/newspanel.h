#pragma once

#include "editor/newsfeed.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QWebEngineView;

// The news tab of the editor: the current entry of the feed in a web view,
// its position, and the author's answers to it. Setting the panel up starts
// the feed; the news tab comes to the front when the feed brings news.
class NewsPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool webViewIsLoading READ webViewIsLoading NOTIFY webViewIsLoadingChanged)

public:
    // mainTabView: the editor's tabs, the panel among them; tab 0 is the shop.
    explicit NewsPanel(QTabWidget *mainTabView, NewsFeed &feed = NewsFeed::shared());
    ~NewsPanel() override;

    // True from the start of an entry's load to its end, failed or not.
    bool webViewIsLoading() const { return m_loading; }
    QWebEngineView *webView() const { return m_webView; }
    QLabel *indexTextField() const { return m_indexTextField; }

    void prevIndex();
    void nextIndex();
    void openURLForCurrentIndex();
    // Both go back to the shop; only marking as read keeps the entries from
    // showing again at the next start.
    void markNewsAsRead();
    void dismissAndRemindLater();

Q_SIGNALS:
    void webViewIsLoadingChanged(bool loading);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(const QString &name, const QString &text, void (NewsPanel::*action)());
    void showNews();
    void showFeed();
    void webViewLoadURLForCurrentIndex();
    void setWebViewIsLoading(bool loading);

    NewsFeed &m_feed;
    QPointer<QTabWidget> m_mainTabView;
    QWebEngineView *m_webView = nullptr;
    QLabel *m_indexTextField = nullptr;
    QProgressBar *m_busy = nullptr;
    QList<QPushButton *> m_entryButtons;
    bool m_loading = false;
};
