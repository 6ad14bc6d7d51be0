#pragma once

#include "CredentialStore.h"
#include "FormBackend.h"
#include "QueryAdmission.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

struct ServerOptions {
    std::string dbPath;          // a SQLite file or a mariadb:// address
    std::string usersPath;       // the SQLite file of the query users; empty: dbPath
    std::string tlsCert, tlsKey; // PEM files; both set: the server speaks HTTPS only
    std::string host = "127.0.0.1";
    int port = 8080; // 0: any free port (printed when listening)
    int threads = 8;
    QueryLimits limits;
    // What a stranger can hold: open connections in all, and from one address (an IPv6 /64); the time from
    // a connection's start (or its previous answer) to the end of the next request.
    int maxConnections = 1024;
    int maxPerAddress = 32;
    // Queries running at once for one account, and from one address; 0: half the threads (at least one).
    int maxQueriesPerUser = 0;
    int maxQueriesPerAddress = 0;
    int requestTimeoutMs = 10000;
    // Balancers whose X-Forwarded-For names the client; from anyone else the header is ignored.
    std::vector<std::string> trustedProxies;
};

// Answers GET (or POST) /SQLQuery.php?sqlquery=…&username=…&userpass=… from the form database, over
// GNU libmicrohttpd: `threads` event-loop threads (epoll) serve every connection and run the queries on
// as many guarded read-only connections; the slow password hash runs on threads of its own, the waiting
// request set aside meanwhile. Every bound is set: request-head memory per connection, connections in all
// and per address, a whole-request deadline; Range is not supported. The access log goes to stderr.
class QueryServer
{
public:
    explicit QueryServer(ServerOptions options);
    ~QueryServer();
    QueryServer(const QueryServer &) = delete;
    QueryServer &operator=(const QueryServer &) = delete;

    // Request line, headers and read buffer of one connection; a request head that outgrows it is
    // refused (414 or 431) and the connection closed.
    static constexpr size_t kMaxRequestHead = 32 * 1024;
    static constexpr size_t kMaxBody = 64 * 1024;
    // Pending connections the kernel keeps before accept: a burst of clients never waits for a SYN retry.
    static constexpr int kListenBacklog = 1024;

    // Binds, prints "listening on HOST:PORT" to stderr and serves until stop(). Returns false on bind failure.
    bool run();
    void stop();

    struct Request;
    struct Connection;

private:
    friend struct Callbacks;
    void answer(Request &req);
    void refuse(Request &req, const char *kind, const std::string &why);
    void refuseLogin(Request &req, CredentialStore::Result result);
    std::string clientAddress(MHD_Connection *connection, const std::string &peer) const;
    void reapSlowRequests();
    void log(const Request &req, long long rows, const std::string &status);

    ServerOptions m_options;
    CredentialStore m_credentials;
    QueryAdmission m_admission;
    KeyedCounter m_connectionsPerAddress; // by addressGroup()
    std::unique_ptr<FormBackend> m_queries;
    MHD_Daemon *m_daemon = nullptr;
    std::string m_certPem, m_keyPem;

    std::mutex m_connectionsMutex; // the open connections, for the request deadline
    std::unordered_set<Connection *> m_connections;

    std::mutex m_stopMutex;
    std::condition_variable m_stopped;
    bool m_stopRequested = false;
    std::mutex m_logMutex;
};
