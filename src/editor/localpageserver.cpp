#include "editor/localpageserver.h"

#include <QTcpSocket>

namespace {

// A request head larger than this is not one of ours: the connection is dropped.
constexpr qsizetype kMaxHead = 16 * 1024;

} // namespace

LocalPageServer::LocalPageServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LocalPageServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalPageServer::setPage(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    if (contentType.isEmpty())
        m_pages.remove(path);
    else
        m_pages.insert(path, Page{contentType, body});
}

void LocalPageServer::answer(QTcpSocket *socket)
{
    // Wait for the whole head; the body of a GET is empty.
    const QByteArray head = socket->peek(kMaxHead + 1);
    if (!head.contains("\r\n\r\n")) {
        if (head.size() > kMaxHead)
            socket->abort();
        return;
    }
    socket->readAll();
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.value(1).isEmpty()
                             ? QString()
                             : QUrl::fromEncoded(requestLine.value(1)).path();
    const auto page = m_pages.constFind(path);
    const bool found = requestLine.value(0) == "GET" && page != m_pages.constEnd();
    const QByteArray body = found ? page->body : QByteArrayLiteral("Not found");
    QByteArray response = found ? QByteArrayLiteral("HTTP/1.1 200 OK\r\n") : QByteArrayLiteral("HTTP/1.1 404 Not Found\r\n");
    response += "Content-Type: " + (found ? page->contentType : QByteArrayLiteral("text/plain")) + "\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Cache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}
