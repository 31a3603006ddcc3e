#include "editor/newsfeed.h"

#include "host/bundle.h"
#include "plugin/tillboxplugin.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>

namespace {

// A feed server that hangs must not hold the one fetch open until the next period.
constexpr int kTransferTimeoutMs = 30000;

} // namespace

bool NewsFeed::isWebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

NewsFeed::NewsFeed(const QUrl &feedURL, QObject *parent) : QObject(parent), m_feedURL(feedURL)
{
    m_timer.setInterval(kDefaultInterval);
    connect(&m_timer, &QTimer::timeout, this, &NewsFeed::checkFeed);
}

NewsFeed::~NewsFeed()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

NewsFeed &NewsFeed::shared()
{
    // Never destroyed: the feed's state lasts as long as the process.
    static NewsFeed *const feed = new NewsFeed(configuredFeedURL());
    return *feed;
}

QUrl NewsFeed::configuredFeedURL()
{
    if (qEnvironmentVariableIsSet("TILLBOX_FEED_URL"))
        return QUrl(qEnvironmentVariable("TILLBOX_FEED_URL"));
    return QUrl(TillboxPlugin::pluginBundle().infoValue(QStringLiteral("QMVFeedURL")));
}

std::optional<QList<NewsEntry>> NewsFeed::parseFeed(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = parseError.errorString();
        return std::nullopt;
    }
    if (!document.isArray()) {
        *error = QStringLiteral("the feed is not a list of entries");
        return std::nullopt;
    }
    QList<NewsEntry> entries;
    for (const QJsonValue &value : document.array()) {
        if (!value.isObject()) {
            *error = QStringLiteral("an entry of the feed is not an object");
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        // Only web pages are shown or opened: an entry must never load a local
        // file or hand the system some other kind of address to launch.
        const QUrl display(object.value(QLatin1String("displayURL")).toString());
        if (!isWebAddress(display))
            continue;
        const QUrl open(object.value(QLatin1String("openURL")).toString());
        entries.append(NewsEntry{display, isWebAddress(open) ? open : display});
    }
    return entries;
}

void NewsFeed::attach()
{
    QSettings settings;
    settings.sync();
    // Entries shown earlier in this run stay shown; another run may have
    // marked more as read meanwhile.
    m_shownCount = std::max(m_shownCount, settings.value(kShownCountKey, 0).toUInt());
    ++m_panels;
    checkFeed();
    if (!m_timer.isActive())
        m_timer.start();
}

void NewsFeed::detach()
{
    if (m_panels > 0 && --m_panels == 0)
        m_timer.stop();
}

void NewsFeed::checkFeed()
{
    // No address: the news is switched off. One fetch at a time: a slow
    // server must not collect requests.
    if (m_feedURL.isEmpty() || m_reply)
        return;
    QNetworkRequest request(m_feedURL);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kTransferTimeoutMs);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::finished, this, [this, reply = m_reply.data()] { feedReceived(reply); });
}

void NewsFeed::feedReceived(QNetworkReply *reply)
{
    reply->deleteLater();
    m_reply = nullptr;
    const QString address = m_feedURL.toDisplayString();
    if (reply->error() != QNetworkReply::NoError) {
        qWarning().noquote()
            << QStringLiteral("Tillbox: error trying to access feed URL %1: %2").arg(address, reply->errorString());
        Q_EMIT checkFinished();
        return;
    }
    QString error;
    m_entries = parseFeed(reply->readAll(), &error);
    if (!m_entries)
        qWarning().noquote() << QStringLiteral("Tillbox: error trying to parse feed URL %1: %2").arg(address, error);
    // A shorter feed must not leave the position past its end.
    m_currentIndex = std::clamp<qsizetype>(m_currentIndex, 0, std::max<qsizetype>(count() - 1, 0));
    const bool grew = count() > qsizetype(m_shownCount);
    if (grew) {
        // The last entry is the newest. The count shown stops the timer from
        // showing these entries again; only markNewsAsRead() stores it.
        m_currentIndex = count() - 1;
        m_shownCount = unsigned(count());
    }
    Q_EMIT feedChanged();
    if (grew)
        Q_EMIT newsArrived();
    Q_EMIT checkFinished();
}

std::optional<NewsEntry> NewsFeed::currentEntry() const
{
    if (count() == 0)
        return std::nullopt;
    return m_entries->at(m_currentIndex);
}

QString NewsFeed::positionText() const
{
    if (count() == 0)
        return QString();
    return QStringLiteral("%1 of %2").arg(m_currentIndex + 1).arg(count());
}

void NewsFeed::prevIndex()
{
    step(m_currentIndex == 0 ? count() - 1 : m_currentIndex - 1);
}

void NewsFeed::nextIndex()
{
    step(count() == 0 ? 0 : (m_currentIndex + 1) % count());
}

void NewsFeed::step(qsizetype to)
{
    // Without entries there is nowhere to go.
    if (count() == 0)
        return;
    m_currentIndex = to;
    Q_EMIT currentIndexChanged();
}

void NewsFeed::markNewsAsRead()
{
    QSettings settings;
    settings.setValue(kShownCountKey, m_shownCount);
    settings.sync();
}
