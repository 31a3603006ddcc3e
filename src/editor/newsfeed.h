#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

class QNetworkReply;

// One notice of the feed: the page the panel shows, and the page the
// author's browser opens for it.
struct NewsEntry
{
    QUrl displayURL;
    QUrl openURL;

    bool operator==(const NewsEntry &) const = default;
};

// The makers' news as every open editor shares it: the feed last read, the
// entry shown, how many entries the author has been shown, and the one timer
// that fetches the feed again. The panels show what it holds and send it the
// author's steps.
class NewsFeed : public QObject
{
    Q_OBJECT

public:
    // The settings key of the count of entries the author marked as read.
    static inline const QString kShownCountKey = QStringLiteral("QMVTB3ShownNotificationsCount");
    static constexpr std::chrono::milliseconds kDefaultInterval = std::chrono::minutes(10);

    explicit NewsFeed(const QUrl &feedURL, QObject *parent = nullptr);
    ~NewsFeed() override;

    // The feed of this process, reading configuredFeedURL(); it lives as long
    // as the process.
    static NewsFeed &shared();
    // TILLBOX_FEED_URL when set (empty turns the news off), otherwise the
    // bundle's "QMVFeedURL".
    static QUrl configuredFeedURL();
    // The entries of a feed text: a JSON array of objects. Entries without an
    // http(s) "displayURL" are left out; an "openURL" that is not http(s)
    // falls back to the display address. Absent, with *error set, when the
    // text is not such an array.
    static std::optional<QList<NewsEntry>> parseFeed(const QByteArray &json, QString *error);
    // An http or https address with a host: the only kind the news shows or opens.
    static bool isWebAddress(const QUrl &url);

    QUrl baseFeedURL() const { return m_feedURL; }
    void setBaseFeedURL(const QUrl &url) { m_feedURL = url; }
    std::chrono::milliseconds interval() const { return m_timer.intervalAsDuration(); }
    void setInterval(std::chrono::milliseconds interval) { m_timer.setInterval(interval); }
    bool isTimerActive() const { return m_timer.isActive(); }

    // A panel was set up: takes over the stored count, fetches the feed and
    // keeps fetching it while any panel is attached.
    void attach();
    void detach();

    // Fetches the feed without any cache; the answer arrives later. When the
    // feed holds more entries than the author has been shown, newsArrived().
    void checkFeed();

    // Whether a feed is held (none before the first answer and after a feed
    // that could not be parsed), and its entries.
    bool holdsFeed() const { return m_entries.has_value(); }
    qsizetype count() const { return m_entries ? m_entries->size() : 0; }
    qsizetype currentIndex() const { return m_currentIndex; }
    // The entry shown; absent while the feed holds none.
    std::optional<NewsEntry> currentEntry() const;
    // "5 of 7"; empty while the feed holds no entry.
    QString positionText() const;
    unsigned shownNotificationsCount() const { return m_shownCount; }

    // Steps to the previous or next entry, round the ends.
    void prevIndex();
    void nextIndex();
    // Stores the count of entries shown, so they do not show again.
    void markNewsAsRead();

Q_SIGNALS:
    // The feed grew: the newest entry is current.
    void newsArrived();
    // The author stepped to another entry.
    void currentIndexChanged();
    // The entries held changed (a new feed, or none after a bad one).
    void feedChanged();
    // A fetch ended, whatever its outcome.
    void checkFinished();

private:
    void feedReceived(QNetworkReply *reply);
    void step(qsizetype to);

    QUrl m_feedURL;
    std::optional<QList<NewsEntry>> m_entries;
    qsizetype m_currentIndex = 0;
    unsigned m_shownCount = 0;
    int m_panels = 0;
    QTimer m_timer;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
};
