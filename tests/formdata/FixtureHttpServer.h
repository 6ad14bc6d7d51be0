#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QTcpServer>

class QTcpSocket;

// A loopback HTTP server in the test process: answers every request with the response set,
// or accepts and never answers (silent), and records each request as it arrived. An answer can
// be sent with a fault of the network or of a hostile server.
class FixtureHttpServer : public QObject
{
    Q_OBJECT
public:
    enum class Fault {
        None,          // Content-Length and the whole body
        Chunked,       // the whole body in chunks, ended by the last chunk
        ShortBody,     // a Content-Length longer than the body, then the connection closes
        UnendedChunks, // chunks without the last one, then the connection closes
        ResetMidBody,  // half the body, then a reset of the connection
        Endless,       // chunks of the body again and again, until the client goes
        AtClose,       // HTTP/1.0 without a length: the whole body, ended by closing
        CutAtClose,    // the same, closed in the middle of the body's sixth line
    };

    struct Response {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        QByteArray contentType = "text/plain";
        Fault fault = Fault::None;
        QByteArray location = {}; // a redirect's target
    };

    FixtureHttpServer();
    quint16 port() const { return m_server.serverPort(); }
    QString host() const;
    QString url(const QString &pathAndQuery) const;

    void setResponse(const Response &response) { m_response = response; }
    void setBody(const QByteArray &body, Fault fault = Fault::None)
    {
        m_response = Response{200, "OK", body, "text/plain", fault};
    }
    void setSilent(bool silent) { m_silent = silent; }
    // Requests whose path begins with `pathPrefix` get this response instead.
    void setPrefixRoute(const QByteArray &pathPrefix, const Response &response)
    {
        m_prefixRoutes.insert(pathPrefix, response);
    }
    // Serves `body` at one path and query (once routes are set, other paths get 404); the first
    // `failures` requests for it get 500.
    void setRoute(const QString &pathAndQuery, const QByteArray &body, int failures = 0, Fault fault = Fault::None)
    {
        m_routes[pathAndQuery] = {body, failures, fault};
    }

    QList<QByteArray> requests; // head and body of each request

private:
    void accept();
    void read(QTcpSocket *socket);
    static void respond(QTcpSocket *socket, const Response &response);

    QTcpServer m_server;
    Response m_response;
    QMap<QByteArray, Response> m_prefixRoutes;
    bool m_silent = false;
    struct Route {
        QByteArray body;
        int failures = 0;
        Fault fault = Fault::None;
        QByteArray location = {}; // a redirect's target
    };
    QHash<QString, Route> m_routes;
};
