#include "editor/localpageserver.h"
#include "editor/newsfeed.h"
#include "editor/newspanel.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kCaughtSchemes = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file")};

// Addresses the panel hands to the system to open.
class BrowserCatcher : public QObject
{
    Q_OBJECT

public:
    BrowserCatcher()
    {
        for (const QString &scheme : kCaughtSchemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~BrowserCatcher() override
    {
        for (const QString &scheme : kCaughtSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

Q_SIGNALS:
    void caught();

public Q_SLOTS:
    void open(const QUrl &url)
    {
        opened << url;
        Q_EMIT caught();
    }
};

// The feed's log lines ("Tillbox: ..."); the web engine's own are let through.
QStringList g_log;

// A port that was just free is closed: connections to it are refused.
int closedPort()
{
    return LocalPageServer().url(QStringLiteral("/")).port();
}

class NewsPanelTest : public ::testing::Test
{
protected:
    NewsPanelTest()
    {
        server.setPage(QStringLiteral("/entry.html"), "<html><body><h1>News</h1>"
                                                      "<a id=away href='https://example.org/more'>More</a></body></html>");
        QSettings().remove(NewsFeed::kShownCountKey);
        g_log.clear();
        m_previousHandler = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &line) {
            if (line.startsWith(QLatin1String("Tillbox: ")))
                g_log << line;
        });
    }
    ~NewsPanelTest() override { qInstallMessageHandler(m_previousHandler); }

    QString entryURL() const { return server.url(QStringLiteral("/entry.html")).toString(); }
    // A feed of n entries, all shown by the served entry page.
    QByteArray feedOf(int n) const
    {
        QStringList entries;
        for (int i = 1; i <= n; ++i)
            entries << QStringLiteral(R"({"displayURL": "%1?%2", "openURL": "https://example.org/news/%2"})")
                           .arg(entryURL())
                           .arg(i);
        return '[' + entries.join(',').toUtf8() + ']';
    }
    void serveFeed(const QByteArray &text) { server.setPage(QStringLiteral("/feed.json"), text, "application/json"); }

    // Sets the panel up, which fetches the feed (the served one unless
    // feedURL is given), with storedCount entries marked as read.
    void setUp(const QByteArray &feedText, unsigned storedCount, QUrl feedURL = QUrl())
    {
        if (storedCount > 0)
            QSettings().setValue(NewsFeed::kShownCountKey, storedCount);
        serveFeed(feedText);
        feed = std::make_unique<NewsFeed>(feedURL.isEmpty() ? server.url(QStringLiteral("/feed.json")) : feedURL);
        tabs.addTab(new QWidget, QStringLiteral("Shop"));
        panel = new NewsPanel(&tabs, *feed);
        tabs.addTab(panel, QStringLiteral("News"));
    }
    // Waits for the fetch under way to end (its answer never comes at once).
    bool answered() const { return QSignalSpy(feed.get(), &NewsFeed::checkFinished).wait(5000); }

    QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(QLatin1String(name)); }
    QString label() const { return panel->indexTextField()->text(); }
    unsigned storedCount() const { return QSettings().value(NewsFeed::kShownCountKey, 0).toUInt(); }

    LocalPageServer server;
    BrowserCatcher browser;
    QtMessageHandler m_previousHandler;
    std::unique_ptr<NewsFeed> feed;
    QTabWidget tabs;
    NewsPanel *panel = nullptr;
};

TEST_F(NewsPanelTest, FeedAnswers)
{
    const QString parseError = QStringLiteral("Tillbox: error trying to parse feed URL http://127.0.0.1:");
    const struct
    {
        const char *name;
        QByteArray feed; // "%ENTRY%" stands for the served entry page
        unsigned storedCount;
        int tab;
        QString label;
        QString log; // the start of the one line logged; empty: none
    } cases[] = {
        {"as many as shown", feedOf(3), 3, 0, QStringLiteral("1 of 3"), QString()},
        {"grew from 3 to 5", feedOf(5), 3, 1, QStringLiteral("5 of 5"), QString()},
        {"unsafe entries skipped",
         R"j([{"displayURL": "%ENTRY%?1", "openURL": "file:///bin/sh"}, {"displayURL": "file:///etc/passwd"},
             {"displayURL": "javascript:alert(1)"}, {"openURL": "%ENTRY%"}, {"displayURL": 7}, {"displayURL": "http://"}])j",
         0, 1, QStringLiteral("1 of 1"), QString()},
        {"empty list", "[]", 0, 0, QString(), QString()},
        {"object, not a list", R"({"displayURL": "%ENTRY%"})", 0, 0, QString(), parseError},
        {"list of non-objects", R"([1, "%ENTRY%"])", 0, 0, QString(), parseError},
        {"not JSON", "<html>Gateway timeout</html>", 0, 0, QString(), parseError},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QSettings().remove(NewsFeed::kShownCountKey);
        g_log.clear();
        while (tabs.count() > 0)
            delete tabs.widget(0);
        setUp(QByteArray(c.feed).replace("%ENTRY%", entryURL().toUtf8()), c.storedCount);
        ASSERT_TRUE(answered());
        EXPECT_EQ(tabs.currentIndex(), c.tab);
        EXPECT_EQ(label(), c.label);
        EXPECT_EQ(button("nextButton")->isEnabled(), !c.label.isEmpty());
        ASSERT_EQ(g_log.size(), c.log.isEmpty() ? 0 : 1) << qPrintable(g_log.join('\n'));
        EXPECT_TRUE(g_log.value(0).startsWith(c.log)) << qPrintable(g_log.value(0));
        // The stored count changes only when the author marks the news as read.
        EXPECT_EQ(storedCount(), c.storedCount);
        // Only web addresses reach the system.
        panel->openURLForCurrentIndex();
        for (const QUrl &url : std::as_const(browser.opened))
            EXPECT_TRUE(url.scheme().startsWith(QLatin1String("http"))) << qPrintable(url.toString());
        browser.opened.clear();
    }
}

TEST_F(NewsPanelTest, StepsRoundTheEndsAndAnswersTheAuthor)
{
    setUp(feedOf(5), 3);
    ASSERT_TRUE(answered());
    ASSERT_EQ(label(), QStringLiteral("5 of 5"));
    button("nextButton")->click();
    EXPECT_EQ(label(), QStringLiteral("1 of 5"));
    button("previousButton")->click();
    button("previousButton")->click();
    EXPECT_EQ(label(), QStringLiteral("4 of 5"));
    button("openInBrowserButton")->click();
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/news/4"))});

    // Put off: back to the shop, nothing stored, and this run does not show
    // the same entries again.
    button("remindLaterButton")->click();
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(storedCount(), 3u);
    feed->checkFeed();
    ASSERT_TRUE(answered());
    EXPECT_EQ(tabs.currentIndex(), 0);
    tabs.setCurrentIndex(1);
    button("markAsReadButton")->click();
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(storedCount(), 5u);

    // A broken feed drops what was held; the steps then do nothing.
    serveFeed("[");
    feed->checkFeed();
    ASSERT_TRUE(answered());
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
    const int port = closedPort();
    setUp({}, 0, QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(port)));
    QSignalSpy checked(feed.get(), &NewsFeed::checkFinished);
    feed->setInterval(std::chrono::milliseconds(50));
    while (checked.size() < 4)
        ASSERT_TRUE(checked.wait(5000));
    EXPECT_EQ(g_log.size(), checked.size());
    EXPECT_TRUE(g_log.value(0).startsWith(
        QStringLiteral("Tillbox: error trying to access feed URL http://127.0.0.1:%1/feed.json: ").arg(port)))
        << qPrintable(g_log.value(0));
    EXPECT_EQ(tabs.currentIndex(), 0);
    delete panel;
    EXPECT_FALSE(feed->isTimerActive());
}

TEST_F(NewsPanelTest, WebViewLoadsTheEntryAndKeepsLinksOut)
{
    // The newest entry's page cannot be fetched; its load ends all the same.
    setUp(QStringLiteral(R"([{"displayURL": "%1?1"}, {"displayURL": "http://127.0.0.1:%2/gone"}])")
              .arg(entryURL())
              .arg(closedPort())
              .toUtf8(),
          0);
    ASSERT_TRUE(answered());
    QSignalSpy loading(panel, &NewsPanel::webViewIsLoadingChanged);
    EXPECT_TRUE(panel->webViewIsLoading());
    ASSERT_TRUE(loading.wait(20000));
    EXPECT_FALSE(panel->webViewIsLoading());

    // Stepping loads the served entry: the flag rises, then falls.
    button("nextButton")->click();
    EXPECT_TRUE(panel->webViewIsLoading());
    ASSERT_TRUE(loading.wait(20000));
    EXPECT_FALSE(panel->webViewIsLoading());
    const QUrl entry = panel->webView()->url();
    EXPECT_EQ(entry.toString(), entryURL() + QStringLiteral("?1"));

    // A link that leaves the entry goes to the browser; the panel stays.
    QSignalSpy caught(&browser, &BrowserCatcher::caught);
    panel->webView()->page()->runJavaScript(QStringLiteral("document.getElementById('away').click()"));
    ASSERT_TRUE(caught.wait(10000));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/more"))});
    QSignalSpy(panel->webView(), &QWebEngineView::urlChanged).wait(200);
    EXPECT_EQ(panel->webView()->url(), entry);
    EXPECT_FALSE(panel->webViewIsLoading());
}

} // namespace

#include "newspaneltest.moc"
