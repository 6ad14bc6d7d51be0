#include "QueryServer.h"

#include "QueryString.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char *kPlain = "text/plain; charset=utf-8";
constexpr const char *kQueryPath = "/SQLQuery.php";

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

std::string nowText()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

// Keeps the log one line per request whatever the user name holds.
std::string printable(const std::string &s)
{
    std::string out;
    for (char c : s.substr(0, 64)) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F || c == ' ') ? '?' : c;
    }
    return out.empty() ? "-" : out;
}

std::string addressText(const sockaddr *addr)
{
    char buf[INET6_ADDRSTRLEN] = "?";
    if (addr && addr->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(addr)->sin_addr, buf, sizeof buf);
    else if (addr && addr->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(addr)->sin6_addr, buf, sizeof buf);
    return buf;
}

std::string trimmed(const std::string &s)
{
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool isAddress(const std::string &s)
{
    unsigned char buf[sizeof(in6_addr)];
    return inet_pton(AF_INET, s.c_str(), buf) == 1 || inet_pton(AF_INET6, s.c_str(), buf) == 1;
}

bool readFile(const std::string &path, std::string &out)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    out = s.str();
    return f.good() || f.eof();
}

// Binds HOST:PORT with SO_REUSEPORT (several processes may share the port) and a wide backlog.
int listenSocket(const std::string &host, int port, int &boundPort)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, QueryServer::kListenBacklog) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    if (fd >= 0 && getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &len) == 0)
        boundPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port
                                                      : reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    return fd;
}

} // namespace

// One open connection: its socket, and since when it has been waiting for the rest of a request.
struct QueryServer::Connection {
    int fd = -1;
    std::string group;                        // the address it is counted by
    std::atomic<long long> receivingSince{0}; // steady ms; 0 while a request is answered
};

// One request, from its request line to its answer.
struct QueryServer::Request {
    enum class State { Receiving, Hashing, Verified, Answered };
    QueryServer *server = nullptr;
    MHD_Connection *connection = nullptr;
    Clock::time_point started = Clock::now();
    std::string query; // the raw query string of the target
    std::string body;
    bool headSeen = false, post = false, bodyTooLarge = false;
    State state = State::Receiving;
    std::string peer, client, user, sql, password;
    unsigned status = 200;
    std::string answer;
};

// The engine's callbacks, which reach the server's private parts.
struct Callbacks {
    using Request = QueryServer::Request;
    using Connection = QueryServer::Connection;

    static Connection *connectionOf(MHD_Connection *c)
    {
        const MHD_ConnectionInfo *info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info ? static_cast<Connection *>(info->socket_context) : nullptr;
    }

    // Called with the raw request target, before the engine decodes anything: the query string is read
    // here, since the SQL in it must be decoded by our own rules ('+' is a blank, a raw '&' stays in).
    static void *requestStarts(void *cls, const char *uri, MHD_Connection *c)
    {
        auto *req = new Request;
        req->server = static_cast<QueryServer *>(cls);
        req->connection = c;
        if (const char *q = std::strchr(uri, '?'))
            req->query = q + 1;
        return req;
    }

    static enum MHD_Result finish(Request &req, unsigned status, const std::string &text)
    {
        req.status = status;
        req.answer = text;
        req.state = Request::State::Answered;
        return respond(req);
    }

    static enum MHD_Result respond(Request &req)
    {
        // The answer lives in the request, which the engine keeps until the response has gone out.
        MHD_Response *response =
            MHD_create_response_from_buffer(req.answer.size(), req.answer.data(), MHD_RESPMEM_PERSISTENT);
        if (!response)
            return MHD_NO;
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, kPlain);
        const enum MHD_Result queued = MHD_queue_response(req.connection, req.status, response);
        MHD_destroy_response(response);
        return queued;
    }

    static enum MHD_Result onRequest(void *cls, MHD_Connection *c, const char *url, const char *method, const char *,
                                     const char *uploadData, size_t *uploadSize, void **reqCls)
    {
        auto *req = static_cast<Request *>(*reqCls);
        if (!req) {
            req = static_cast<Request *>(requestStarts(cls, url, c));
            *reqCls = req;
        }
        if (!req->headSeen) {
            req->headSeen = true;
            req->post = std::strcmp(method, MHD_HTTP_METHOD_POST) == 0;
            if (std::strcmp(url, kQueryPath) != 0)
                return finish(*req, MHD_HTTP_NOT_FOUND, "Error: no such page; queries go to /SQLQuery.php\n");
            if (!req->post && std::strcmp(method, MHD_HTTP_METHOD_GET) != 0)
                return finish(*req, MHD_HTTP_METHOD_NOT_ALLOWED, "Error: queries are sent with GET or POST\n");
            const char *length = MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (length && std::strtoull(length, nullptr, 10) > QueryServer::kMaxBody)
                return finish(*req, MHD_HTTP_CONTENT_TOO_LARGE, "Error: request body too large\n");
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            if (req->body.size() + *uploadSize <= QueryServer::kMaxBody)
                req->body.append(uploadData, *uploadSize);
            else
                req->bodyTooLarge = true;
            *uploadSize = 0;
            return MHD_YES;
        }
        switch (req->state) {
        case Request::State::Receiving:
            if (Connection *conn = connectionOf(c))
                conn->receivingSince = 0;
            if (req->bodyTooLarge)
                return finish(*req, MHD_HTTP_CONTENT_TOO_LARGE, "Error: request body too large\n");
            req->server->answer(*req);
            break;
        case Request::State::Verified:
            req->server->answer(*req);
            break;
        case Request::State::Hashing:
        case Request::State::Answered:
            break;
        }
        return req->state == Request::State::Answered ? respond(*req) : MHD_YES;
    }

    static void requestEnds(void *, MHD_Connection *c, void **reqCls, enum MHD_RequestTerminationCode)
    {
        delete static_cast<Request *>(*reqCls);
        *reqCls = nullptr;
        if (Connection *conn = connectionOf(c))
            conn->receivingSince = nowMs(); // a kept-alive connection now waits for its next request
    }

    // Refuses a new connection from an address that holds its share already (counted as they start, below).
    static enum MHD_Result acceptPolicy(void *cls, const sockaddr *address, socklen_t)
    {
        auto *server = static_cast<QueryServer *>(cls);
        return server->m_connectionsPerAddress.count(addressGroup(address)) < server->m_options.maxPerAddress ? MHD_YES
                                                                                                              : MHD_NO;
    }

    static void connectionChanges(void *cls, MHD_Connection *c, void **socketContext,
                                  enum MHD_ConnectionNotificationCode code)
    {
        auto *server = static_cast<QueryServer *>(cls);
        std::lock_guard lock(server->m_connectionsMutex);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto *conn = new Connection;
            const MHD_ConnectionInfo *info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
            conn->fd = info ? info->connect_fd : -1;
            conn->receivingSince = nowMs();
            const MHD_ConnectionInfo *peer = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            conn->group = addressGroup(peer ? peer->client_addr : nullptr);
            // Two threads may both have let one address's last place in: the later one is ended at once.
            if (server->m_connectionsPerAddress.enter(conn->group) > server->m_options.maxPerAddress && conn->fd >= 0)
                shutdown(conn->fd, SHUT_RDWR);
            server->m_connections.insert(conn);
            *socketContext = conn;
        } else {
            // The engine closes the socket only after this returns, so the deadline never touches a reused one.
            auto *conn = static_cast<Connection *>(*socketContext);
            server->m_connectionsPerAddress.leave(conn->group);
            server->m_connections.erase(conn);
            delete conn;
            *socketContext = nullptr;
        }
    }
};

QueryServer::QueryServer(ServerOptions options)
    : m_options(std::move(options)), m_credentials(m_options.usersPath.empty() ? m_options.dbPath : m_options.usersPath,
                                                   std::chrono::milliseconds(m_options.requestTimeoutMs)),
      m_admission(m_options.maxQueriesPerUser > 0 ? m_options.maxQueriesPerUser : std::max(1, m_options.threads / 2),
                  m_options.maxQueriesPerAddress > 0 ? m_options.maxQueriesPerAddress
                                                     : std::max(1, m_options.threads / 2)),
      m_queries(FormBackend::create(m_options.dbPath, static_cast<size_t>(std::max(1, m_options.threads))))
{}

QueryServer::~QueryServer()
{
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
}

void QueryServer::stop()
{
    std::lock_guard lock(m_stopMutex);
    m_stopRequested = true;
    m_stopped.notify_all();
}

bool QueryServer::run()
{
    const bool tls = !m_options.tlsCert.empty();
    if (tls && (!readFile(m_options.tlsCert, m_certPem) || !readFile(m_options.tlsKey, m_keyPem))) {
        std::cerr << "serve: cannot read the certificate " << m_options.tlsCert << " or the key " << m_options.tlsKey
                  << '\n';
        return false;
    }
    int port = 0;
    const int fd = listenSocket(m_options.host, m_options.port, port);
    if (fd < 0) {
        std::cerr << "serve: cannot listen on " << m_options.host << ':' << m_options.port << '\n';
        return false;
    }
    const unsigned timeoutSeconds = static_cast<unsigned>((m_options.requestTimeoutMs + 999) / 1000);
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO | MHD_ALLOW_SUSPEND_RESUME;
    std::vector<MHD_OptionItem> items = {
        {MHD_OPTION_LISTEN_SOCKET, fd, nullptr},
        {MHD_OPTION_THREAD_POOL_SIZE, std::max(1, m_options.threads), nullptr},
        // The engine shares the limit out among its threads; each needs at least one.
        {MHD_OPTION_CONNECTION_LIMIT, std::max(m_options.maxConnections, m_options.threads), nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(kMaxRequestHead), nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, timeoutSeconds, nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&Callbacks::requestStarts), this},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Callbacks::requestEnds), this},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Callbacks::connectionChanges), this},
        {MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, nullptr},
    };
    if (tls) {
        flags |= MHD_USE_TLS;
        items.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, m_certPem.data()});
        items.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, m_keyPem.data()});
    }
    items.push_back({MHD_OPTION_END, 0, nullptr});
    m_daemon = MHD_start_daemon(flags, 0, &Callbacks::acceptPolicy, this, &Callbacks::onRequest, this, MHD_OPTION_ARRAY,
                                items.data(), MHD_OPTION_END);
    if (!m_daemon) {
        close(fd);
        if (tls)
            std::cerr << "serve: cannot use the certificate " << m_options.tlsCert << " with the key "
                      << m_options.tlsKey << '\n';
        else
            std::cerr << "serve: cannot start the HTTP engine\n";
        return false;
    }
    std::cerr << "listening on " << m_options.host << ':' << port << std::endl;

    // The whole-request deadline, checked a few times a second until stop().
    std::unique_lock lock(m_stopMutex);
    const auto tick = std::chrono::milliseconds(std::clamp(m_options.requestTimeoutMs / 8, 20, 250));
    while (!m_stopped.wait_for(lock, tick, [this] { return m_stopRequested; }))
        reapSlowRequests();
    lock.unlock();
    // Requests waiting for a password check are answered before the engine stops.
    const int released = MHD_quiesce_daemon(m_daemon);
    m_credentials.stop();
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    if (released >= 0)
        close(released);
    return true;
}

// A connection that has not delivered its whole request within the deadline is cut off, however slowly it
// keeps talking; the engine then closes it as if the client had.
void QueryServer::reapSlowRequests()
{
    const long long limit = nowMs() - m_options.requestTimeoutMs;
    std::lock_guard lock(m_connectionsMutex);
    for (Connection *conn : m_connections) {
        const long long since = conn->receivingSince;
        if (since != 0 && since < limit && conn->fd >= 0) {
            conn->receivingSince = 0;
            shutdown(conn->fd, SHUT_RDWR);
        }
    }
}

// The client behind a trusted balancer is the last address it added to X-Forwarded-For that is not itself
// a trusted balancer; from anyone else the header means nothing.
std::string QueryServer::clientAddress(MHD_Connection *connection, const std::string &peer) const
{
    const auto trusted = [this](const std::string &a) {
        return std::find(m_options.trustedProxies.begin(), m_options.trustedProxies.end(), a) !=
               m_options.trustedProxies.end();
    };
    if (!trusted(peer))
        return peer;
    const char *header = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For");
    if (!header)
        return peer;
    std::string list = header;
    while (!list.empty()) {
        const size_t comma = list.rfind(',');
        const std::string hop = trimmed(comma == std::string::npos ? list : list.substr(comma + 1));
        list.resize(comma == std::string::npos ? 0 : comma);
        if (!isAddress(hop))
            return peer;
        if (!trusted(hop))
            return hop;
    }
    return peer;
}

void QueryServer::refuse(Request &req, const char *kind, const std::string &why)
{
    req.answer = "Error: " + why + "\n";
    req.state = Request::State::Answered;
    log(req, 0, std::string("error=") + kind);
}

void QueryServer::refuseLogin(Request &req, CredentialStore::Result result)
{
    switch (result) {
    case CredentialStore::Result::CoolingOff:
        return refuse(req, "cooling-off", "too many failed logins for this user from this address; try again later");
    case CredentialStore::Result::Busy:
        return refuse(req, "busy", "too many logins at once; try again later");
    default:
        return refuse(req, "credentials", "bad user name or password");
    }
}

void QueryServer::answer(Request &req)
{
    if (req.state == Request::State::Verified) {
        const std::optional<QueryAdmission::Ticket> running = m_admission.admit(req.user, req.client);
        if (!running)
            return refuse(req, "busy", "too many queries running for this user or address; try again later");
        const QueryOutcome outcome = m_queries->run(req.sql, m_options.limits);
        req.answer = outcome.body;
        req.state = Request::State::Answered;
        log(req, outcome.rows, outcome.ok ? "ok" : "error=" + outcome.errorKind);
        return;
    }
    const MHD_ConnectionInfo *info = MHD_get_connection_info(req.connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    req.peer = addressText(info ? info->client_addr : nullptr);
    req.client = clientAddress(req.connection, req.peer);

    std::string query = req.query;
    if (req.post && !req.body.empty())
        query = query.empty() ? req.body : query + '&' + req.body;
    const auto params = QueryString::parse(query);
    const auto value = [&params](const char *key) -> const std::string * {
        const auto it = params.find(key);
        return it == params.end() ? nullptr : &it->second;
    };
    const std::string *sql = value("sqlquery");
    const std::string *user = value("username");
    const std::string *pass = value("userpass");
    req.user = user ? *user : std::string();
    if (!sql || sql->find_first_not_of(" \t\r\n;") == std::string::npos)
        return refuse(req, "param", "missing parameter sqlquery");
    if (!user || user->empty())
        return refuse(req, "param", "missing parameter username");
    if (!pass)
        return refuse(req, "param", "missing parameter userpass");
    if (!QueryString::isValidUtf8(*sql) || !QueryString::isValidUtf8(*user) || !QueryString::isValidUtf8(*pass))
        return refuse(req, "encoding", "the request is not valid UTF-8");
    if (sql->find('\0') != std::string::npos)
        return refuse(req, "encoding", "the query text holds a NUL character");
    req.sql = *sql;

    const CredentialStore::Result quick = m_credentials.quickCheck(*user, *pass, req.client);
    if (quick == CredentialStore::Result::Ok) {
        req.state = Request::State::Verified;
        return answer(req);
    }
    if (quick != CredentialStore::Result::NeedsHash)
        return refuseLogin(req, quick);
    // The slow hash runs elsewhere; this connection is set aside and its thread serves the others.
    req.state = Request::State::Hashing;
    MHD_suspend_connection(req.connection);
    m_credentials.checkSlowly(*user, *pass, req.client, [this, &req](CredentialStore::Result result) {
        if (result == CredentialStore::Result::Ok)
            req.state = Request::State::Verified;
        else
            refuseLogin(req, result);
        MHD_resume_connection(req.connection);
    });
}

void QueryServer::log(const Request &req, long long rows, const std::string &status)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - req.started).count();
    std::string peer = printable(req.client);
    if (req.client != req.peer)
        peer += " via=" + printable(req.peer);
    const std::string line = nowText() + " peer=" + peer + " user=" + printable(req.user) +
                             " ms=" + std::to_string(ms) + " rows=" + std::to_string(rows) + ' ' + status + '\n';
    std::lock_guard lock(m_logMutex);
    std::cerr << line << std::flush;
}
