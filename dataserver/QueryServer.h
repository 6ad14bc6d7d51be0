#pragma once

#include "CredentialStore.h"
#include "QueryConnection.h"
#include "WorkerPools.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

struct ServerOptions {
    std::string dbPath;       // a SQLite file or a mariadb:// address
    std::string usersPath;    // the SQLite file of the query users; empty: dbPath
    std::string tlsCert, tlsKey; // PEM files; both set: the server speaks HTTPS only
    std::string host = "127.0.0.1";
    int port = 8080;          // 0: any free port (printed when listening)
    int threads = 8;
    QueryLimits limits;
};

// Answers GET /SQLQuery.php?sqlquery=…&username=…&userpass=… from the form database. Each client
// connection has a thread of its own; queries run on a pool of `threads` guarded read-only
// connections; the access log goes to stderr.
class QueryServer
{
public:
    explicit QueryServer(ServerOptions options);
    ~QueryServer();

    // Connections served at once; more wait for a free thread.
    static constexpr size_t kMaxConnections = 2048;
    // Pending connections the kernel keeps before accept: a burst of clients never waits for a SYN retry.
    static constexpr int kListenBacklog = 1024;

    // Binds, prints "listening on HOST:PORT" to stderr and serves until stop(). Returns false on bind failure.
    bool run();
    void stop();

private:
    void handle(const httplib::Request &req, httplib::Response &res);
    void log(const std::string &peer, const std::string &user, long long ms, long long rows,
             const std::string &status);

    ServerOptions m_options;
    CredentialStore m_credentials;
    std::unique_ptr<FormBackend> m_queries;
    std::unique_ptr<httplib::Server> m_server;
    std::function<void()> m_widenBacklog;
    std::mutex m_logMutex;
};
