#include "FixtureHttpServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;

FixtureHttpServer::FixtureHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &FixtureHttpServer::accept);
}

QString FixtureHttpServer::host() const
{
    return u"127.0.0.1:%1"_s.arg(port());
}

QString FixtureHttpServer::url(const QString &pathAndQuery) const
{
    return u"http://"_s + host() + pathAndQuery;
}

void FixtureHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FixtureHttpServer::read(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    qsizetype length = 0;
    for (const QByteArray &line : buffer.left(headEnd).split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    if (buffer.size() < headEnd + 4 + length)
        return;
    requests << buffer;
    socket->setProperty("buffer", QByteArray());
    if (m_silent)
        return;
    Response response = m_response;
    const QByteArray path = buffer.left(buffer.indexOf("\r\n")).split(' ').value(1);
    for (auto it = m_prefixRoutes.cbegin(); it != m_prefixRoutes.cend(); ++it)
        if (path.startsWith(it.key()))
            response = it.value();
    if (!m_routes.isEmpty()) {
        const QString target = QUrl::fromPercentEncoding(buffer.left(buffer.indexOf('\r')).split(' ').value(1));
        const auto route = m_routes.find(target);
        response = route == m_routes.end() ? Response{404, "Not Found", "no such page", "text/html"}
                   : route->failures-- > 0 ? Response{500, "Server Error", "busy", "text/html"}
                                           : Response{200, "OK", route->body, "text/html; charset=utf-8", route->fault};
    }
    respond(socket, response);
}

namespace {

QByteArray chunk(const QByteArray &data)
{
    return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
}

} // namespace

void FixtureHttpServer::respond(QTcpSocket *socket, const Response &response)
{
    using enum Fault;
    const Fault fault = response.fault;
    const QByteArray &body = response.body;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason +
                      "\r\nContent-Type: " + response.contentType + "\r\nConnection: close\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    const qsizetype half = body.size() / 2;
    switch (fault) {
    case None:
    case ShortBody:
        head += "Content-Length: " + QByteArray::number(body.size() + (fault == ShortBody ? 100 : 0)) + "\r\n\r\n";
        socket->write(head + body);
        break;
    case Chunked:
    case UnendedChunks:
        socket->write(head + "Transfer-Encoding: chunked\r\n\r\n" + chunk(body.left(half)) + chunk(body.mid(half)) +
                      (fault == Chunked ? "0\r\n\r\n" : ""));
        break;
    case ResetMidBody:
        socket->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body.left(half));
        socket->flush();
        // Once the client has the first half, a zero linger turns the close into a reset.
        QTimer::singleShot(200, socket, [socket] {
            const linger reset{1, 0};
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            socket->abort();
        });
        return;
    case AtClose:
    case CutAtClose: {
        qsizetype end = body.size();
        if (fault == CutAtClose) {
            qsizetype at = -1;
            for (int line = 0; line < 5 && (at = body.indexOf('\n', at + 1)) >= 0; ++line) {
            }
            end = at >= 0 ? at + 30 : body.size() / 2;
        }
        socket->write("HTTP/1.0" + head.mid(8) + "\r\n" + body.left(end));
        break;
    }
    case Endless:
        socket->write(head + "Transfer-Encoding: chunked\r\n\r\n");
        // More whenever the last piece has gone out, for as long as the client reads.
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, body] {
            if (socket->bytesToWrite() == 0)
                socket->write(chunk(body));
        });
        socket->write(chunk(body));
        return;
    }
    socket->disconnectFromHost();
}
