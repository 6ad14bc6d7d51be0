#pragma once

#include "CredentialStore.h"
#include "QueryConnection.h"

#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

struct ServerOptions {
    std::string dbPath;
    std::string host = "127.0.0.1";
    int port = 8080;          // 0: any free port (printed when listening)
    int threads = 8;
    QueryLimits limits;
};

// Answers GET /SQLQuery.php?sqlquery=…&username=…&userpass=… from the form database. Every worker thread
// keeps its own guarded read-only connection; the access log goes to stderr.
class QueryServer
{
public:
    explicit QueryServer(ServerOptions options);
    ~QueryServer();

    // Binds, prints "listening on HOST:PORT" to stderr and serves until stop(). Returns false on bind failure.
    bool run();
    void stop();

private:
    void handle(const httplib::Request &req, httplib::Response &res);
    void log(const std::string &peer, const std::string &user, long long ms, long long rows,
             const std::string &status);

    ServerOptions m_options;
    CredentialStore m_credentials;
    std::unique_ptr<httplib::Server> m_server;
    std::mutex m_logMutex;
};
