#include "FixtureHttpServer.h"

#include <QTcpSocket>
#include <QUrl>

FixtureHttpServer::FixtureHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &FixtureHttpServer::accept);
}

QString FixtureHttpServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString FixtureHttpServer::url(const QString &pathAndQuery) const
{
    return QStringLiteral("http://") + host() + pathAndQuery;
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
                   : route->second-- > 0     ? Response{500, "Server Error", "busy", "text/html"}
                                             : Response{200, "OK", route->first, "text/html; charset=utf-8"};
    }
    socket->write("HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason
                  + "\r\nContent-Type: " + response.contentType + "\r\nContent-Length: "
                  + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n" + response.body);
    socket->disconnectFromHost();
}
