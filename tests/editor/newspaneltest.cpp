#include "editor/localpageserver.h"
#include "editor/newsfeed.h"
#include "editor/newspanel.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Addresses the panel hands to the author's browser.
class BrowserCatcher : public QObject
{
    Q_OBJECT

public:
    BrowserCatcher()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~BrowserCatcher() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

QStringList g_log;

// Runs the event loop until done() holds, at most ten seconds; the web
// engine's work needs a running loop to progress at speed.
bool waitUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// A port that was just free is closed: connections to it are refused.
int closedPort()
{
    return LocalPageServer().url(QStringLiteral("/")).port();
}

// The feed's log lines ("Tillbox: ..."); the web engine's own are let through.
class FeedLog
{
public:
    FeedLog()
    {
        g_log.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &line) {
            if (line.startsWith(QLatin1String("Tillbox: ")))
                g_log << line;
        });
    }
    ~FeedLog() { qInstallMessageHandler(m_previous); }

private:
    QtMessageHandler m_previous;
};

class NewsPanelTest : public ::testing::Test
{
protected:
    NewsPanelTest()
    {
        server.setPage(QStringLiteral("/entry.html"), "<html><body><h1>News</h1>"
                                                      "<a id=away href='https://example.org/more'>More</a></body></html>");
        QSettings().remove(NewsFeed::kShownCountKey);
    }

    // A feed of n entries, all shown by the served entry page.
    QByteArray feedOf(int n) const
    {
        QByteArray json = "[";
        for (int i = 1; i <= n; ++i)
            json += QStringLiteral(R"(%1{"displayURL": "%2?%3", "openURL": "https://example.org/news/%3"})")
                        .arg(i > 1 ? QStringLiteral(",") : QString(), server.url(QStringLiteral("/entry.html")).toString())
                        .arg(i)
                        .toUtf8();
        return json + "]";
    }

    // Sets the panel up (which fetches the feed) with count entries marked as
    // read, and waits for the feed's answer.
    void setUp(const QByteArray &feedText, unsigned storedCount, const QString &feedPath = QStringLiteral("/feed.json"))
    {
        if (storedCount > 0)
            QSettings().setValue(NewsFeed::kShownCountKey, storedCount);
        server.setPage(QStringLiteral("/feed.json"), feedText, "application/json");
        feed = std::make_unique<NewsFeed>(server.url(feedPath));
        tabs.addTab(new QWidget, QStringLiteral("Shop"));
        QSignalSpy checked(feed.get(), &NewsFeed::checkFinished);
        panel = new NewsPanel(&tabs, *feed);
        tabs.addTab(panel, QStringLiteral("News"));
        ASSERT_TRUE(checked.wait(5000));
    }

    void check()
    {
        QSignalSpy checked(feed.get(), &NewsFeed::checkFinished);
        feed->checkFeed();
        ASSERT_TRUE(checked.wait(5000));
    }

    QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(QLatin1String(name)); }
    QString label() const { return panel->indexTextField()->text(); }
    // Whether the view goes to the entry page with this query (its address
    // changes once the load is under way).
    bool shows(const QString &query) const
    {
        return waitUntil([&] {
            const QUrl url = panel->webView()->url();
            return url.path() == QLatin1String("/entry.html") && url.query() == query;
        });
    }
    unsigned storedCount() const { return QSettings().value(NewsFeed::kShownCountKey, 0).toUInt(); }

    LocalPageServer server;
    FeedLog log;
    BrowserCatcher browser;
    std::unique_ptr<NewsFeed> feed;
    QTabWidget tabs;
    NewsPanel *panel = nullptr;
};

struct FeedCase
{
    const char *name;
    QByteArray feed; // "%ENTRY%" stands for the served entry page
    unsigned storedCount;
    int tab;
    QString label;
    QString log; // the start of the one line logged; empty: none
};

TEST_F(NewsPanelTest, FeedAnswers)
{
    const QString parse = QStringLiteral("Tillbox: error trying to parse feed URL http://127.0.0.1:");
    const FeedCase cases[] = {
        {"as many as shown", feedOf(3), 3, 0, QStringLiteral("1 of 3"), QString()},
        {"grew from 3 to 5", feedOf(5), 3, 1, QStringLiteral("5 of 5"), QString()},
        {"unsafe entries skipped",
         R"j([{"displayURL": "%ENTRY%?1", "openURL": "file:///bin/sh"}, {"displayURL": "file:///etc/passwd"},
             {"displayURL": "javascript:alert(1)"}, {"openURL": "%ENTRY%"}, {"displayURL": 7}, {"displayURL": "http://"}])j",
         0, 1, QStringLiteral("1 of 1"), QString()},
        {"empty list", "[]", 0, 0, QString(), QString()},
        {"object, not a list", R"({"displayURL": "%ENTRY%"})", 0, 0, QString(), parse},
        {"list of non-objects", R"([1, "%ENTRY%"])", 0, 0, QString(), parse},
        {"not JSON", "<html>Gateway timeout</html>", 0, 0, QString(), parse},
    };
    for (const FeedCase &c : cases) {
        SCOPED_TRACE(c.name);
        QSettings().remove(NewsFeed::kShownCountKey);
        g_log.clear();
        while (tabs.count() > 0)
            delete tabs.widget(0);
        setUp(QByteArray(c.feed).replace("%ENTRY%", server.url(QStringLiteral("/entry.html")).toEncoded()),
              c.storedCount);
        EXPECT_EQ(tabs.currentIndex(), c.tab);
        EXPECT_EQ(label(), c.label);
        EXPECT_EQ(button("nextButton")->isEnabled(), !c.label.isEmpty());
        EXPECT_EQ(g_log.size(), c.log.isEmpty() ? 0 : 1) << qPrintable(g_log.join('\n'));
        if (!c.log.isEmpty()) {
            EXPECT_TRUE(g_log.value(0).startsWith(c.log)) << qPrintable(g_log.value(0));
        }
        // The stored count changes only when the author marks the news as read.
        EXPECT_EQ(storedCount(), c.storedCount);
        if (c.tab == 1) {
            EXPECT_TRUE(shows(c.label.left(1)));
        }
    }
    // The unsafe entry's file address is never handed to the system.
    panel->openURLForCurrentIndex();
    EXPECT_TRUE(browser.opened.isEmpty());
}

TEST_F(NewsPanelTest, StepsRoundTheEndsAndAnswersTheAuthor)
{
    setUp(feedOf(5), 3);
    ASSERT_EQ(label(), QStringLiteral("5 of 5"));
    button("nextButton")->click();
    EXPECT_EQ(label(), QStringLiteral("1 of 5"));
    EXPECT_TRUE(shows(QStringLiteral("1")));
    button("previousButton")->click();
    button("previousButton")->click();
    EXPECT_EQ(label(), QStringLiteral("4 of 5"));
    EXPECT_TRUE(shows(QStringLiteral("4")));
    button("openInBrowserButton")->click();
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/news/4"))});

    // Put off: back to the shop, nothing stored, and this run does not show
    // the same entries again.
    button("remindLaterButton")->click();
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(storedCount(), 3u);
    check();
    EXPECT_EQ(tabs.currentIndex(), 0);
    tabs.setCurrentIndex(1);
    button("markAsReadButton")->click();
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(storedCount(), 5u);

    // The feed grows again; then a broken feed drops what was held and the
    // steps do nothing.
    server.setPage(QStringLiteral("/feed.json"), feedOf(6), "application/json");
    check();
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_EQ(label(), QStringLiteral("6 of 6"));
    server.setPage(QStringLiteral("/feed.json"), "[", "application/json");
    check();
    EXPECT_FALSE(feed->holdsFeed());
    EXPECT_EQ(label(), QString());
    EXPECT_FALSE(button("previousButton")->isEnabled());
    panel->prevIndex();
    panel->nextIndex();
    panel->openURLForCurrentIndex();
    EXPECT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(g_log.size(), 1);
}

TEST_F(NewsPanelTest, UnreachableFeedLogsOncePerPeriodAndKeepsTheTab)
{
    EXPECT_EQ(NewsFeed(QUrl()).interval(), std::chrono::minutes(10));
    const int port = closedPort();
    feed = std::make_unique<NewsFeed>(QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(port)));
    feed->setInterval(std::chrono::milliseconds(50));
    QSignalSpy checked(feed.get(), &NewsFeed::checkFinished);
    tabs.addTab(new QWidget, QStringLiteral("Shop"));
    panel = new NewsPanel(&tabs, *feed);
    tabs.addTab(panel, QStringLiteral("News"));
    tabs.setCurrentIndex(0);
    while (checked.size() < 4)
        ASSERT_TRUE(checked.wait(5000));
    EXPECT_EQ(g_log.size(), checked.size());
    EXPECT_TRUE(g_log.value(0).startsWith(
        QStringLiteral("Tillbox: error trying to access feed URL http://127.0.0.1:%1/feed.json: ").arg(port)))
        << qPrintable(g_log.value(0));
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_TRUE(feed->isTimerActive());
    delete panel;
    EXPECT_FALSE(feed->isTimerActive());
}

TEST_F(NewsPanelTest, WebViewLoadsTheEntryAndKeepsLinksOut)
{
    // The newest entry's page cannot be fetched; its load ends all the same.
    setUp(QStringLiteral(R"([{"displayURL": "%1?1"}, {"displayURL": "http://127.0.0.1:%2/gone"}])")
              .arg(server.url(QStringLiteral("/entry.html")).toString())
              .arg(closedPort())
              .toUtf8(),
          0);
    QSignalSpy loading(panel, &NewsPanel::webViewIsLoadingChanged);
    EXPECT_TRUE(panel->webViewIsLoading());
    ASSERT_TRUE(loading.wait(20000));
    EXPECT_FALSE(panel->webViewIsLoading());
    EXPECT_EQ(label(), QStringLiteral("2 of 2"));

    // Stepping loads the served entry: the flag rises, then falls.
    loading.clear();
    button("nextButton")->click();
    EXPECT_TRUE(panel->webViewIsLoading());
    ASSERT_TRUE(loading.wait(20000));
    EXPECT_FALSE(panel->webViewIsLoading());
    EXPECT_EQ(label(), QStringLiteral("1 of 2"));
    EXPECT_TRUE(button("previousButton")->isEnabled());
    EXPECT_EQ(server.requestCount(QStringLiteral("/entry.html")), 1);
    const QUrl entry = panel->webView()->url();
    EXPECT_EQ(entry.query(), QStringLiteral("1"));

    // A link that leaves the entry goes to the browser; the panel stays.
    panel->webView()->page()->runJavaScript(QStringLiteral("document.getElementById('away').click()"));
    EXPECT_TRUE(waitUntil([&] { return !browser.opened.isEmpty(); }));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/more"))});
    QSignalSpy(panel->webView(), &QWebEngineView::urlChanged).wait(200);
    EXPECT_EQ(panel->webView()->url(), entry);
    EXPECT_FALSE(panel->webViewIsLoading());
}

} // namespace

#include "newspaneltest.moc"
