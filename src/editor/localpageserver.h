#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTcpServer>
#include <QUrl>

// A minimal web server on 127.0.0.1 with a free port, serving a fixed set of
// pages from memory: the sample news the screenshot tour shows, and the feeds
// and pages the tests serve. One GET per connection; anything else gets 404.
class LocalPageServer : public QObject
{
    Q_OBJECT

public:
    explicit LocalPageServer(QObject *parent = nullptr);

    // False when no port could be opened.
    bool isListening() const { return m_server.isListening(); }
    // The address of path (which starts with "/") on this server.
    QUrl url(const QString &path) const;
    // Serves body under path from now on; an empty content type removes the page.
    void setPage(const QString &path, const QByteArray &body,
                 const QByteArray &contentType = QByteArrayLiteral("text/html; charset=utf-8"));

private:
    struct Page
    {
        QByteArray contentType;
        QByteArray body;
    };
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, Page> m_pages;
};
