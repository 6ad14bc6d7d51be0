#include "QueryServer.h"

#include "QueryString.h"

#include <httplib.h>

#include <chrono>
#include <ctime>
#include <iostream>

namespace {

constexpr const char *kPlain = "text/plain; charset=utf-8";

// The library listens with a backlog of 5; listening again on the bound socket widens it.
template <class Base>
class WideBacklog : public Base
{
public:
    using Base::Base;
    void widenBacklog(int backlog) { ::listen(this->svr_sock_, backlog); }
};

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

} // namespace

QueryServer::QueryServer(ServerOptions options)
    : m_options(std::move(options))
    , m_credentials(m_options.usersPath.empty() ? m_options.dbPath : m_options.usersPath)
    , m_queries(FormBackend::create(m_options.dbPath, static_cast<size_t>(std::max(1, m_options.threads))))
{
    const auto make = [this](auto server) {
        auto *raw = server.get();
        m_widenBacklog = [raw] { raw->widenBacklog(kListenBacklog); };
        m_server = std::move(server);
    };
    if (!m_options.tlsCert.empty())
        make(std::make_unique<WideBacklog<httplib::SSLServer>>(m_options.tlsCert.c_str(), m_options.tlsKey.c_str()));
    else
        make(std::make_unique<WideBacklog<httplib::Server>>());
}

QueryServer::~QueryServer() = default;

void QueryServer::stop()
{
    m_server->stop();
}

bool QueryServer::run()
{
    httplib::Server &svr = *m_server;
    if (!svr.is_valid()) {
        std::cerr << "serve: cannot use the certificate " << m_options.tlsCert << " with the key "
                  << m_options.tlsKey << '\n';
        return false;
    }
    svr.new_task_queue = [] { return new ConnectionThreads(kMaxConnections); };
    svr.set_tcp_nodelay(true); // headers and body go out in separate writes; Nagle would hold the body back
    svr.set_keep_alive_max_count(100);
    svr.set_keep_alive_timeout(2);
    svr.set_read_timeout(5, 0);
    svr.set_write_timeout(10, 0);
    svr.set_payload_max_length(64 * 1024);
    auto handler = [this](const httplib::Request &req, httplib::Response &res) { handle(req, res); };
    svr.Get("/SQLQuery.php", handler);
    svr.Post("/SQLQuery.php", handler);
    svr.set_error_handler([](const httplib::Request &, httplib::Response &res) {
        std::string why;
        switch (res.status) {
        case 404: why = "no such page; queries go to /SQLQuery.php"; break;
        case 413: why = "request body too large"; break;
        case 414: why = "request too long"; break;
        default: why = "bad request (HTTP status " + std::to_string(res.status) + ")";
        }
        res.set_content("Error: " + why + "\n", kPlain);
    });
    svr.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        res.set_content("Error: internal server error\n", kPlain);
    });

    int port = m_options.port;
    if (port == 0) {
        port = svr.bind_to_any_port(m_options.host);
        if (port <= 0) {
            std::cerr << "serve: cannot listen on " << m_options.host << '\n';
            return false;
        }
    } else if (!svr.bind_to_port(m_options.host, port)) {
        std::cerr << "serve: cannot listen on " << m_options.host << ':' << port << '\n';
        return false;
    }
    m_widenBacklog();
    std::cerr << "listening on " << m_options.host << ':' << port << std::endl;
    return svr.listen_after_bind();
}

void QueryServer::handle(const httplib::Request &req, httplib::Response &res)
{
    const auto started = std::chrono::steady_clock::now();
    // The raw target, not httplib's params: its parser splits values at every '=' the SQL holds.
    std::string query;
    const size_t q = req.target.find('?');
    if (q != std::string::npos)
        query = req.target.substr(q + 1);
    if (req.method == "POST" && !req.body.empty())
        query = query.empty() ? req.body : query + '&' + req.body;
    const auto params = QueryString::parse(query);
    const auto value = [&params](const char *key) -> const std::string * {
        const auto it = params.find(key);
        return it == params.end() ? nullptr : &it->second;
    };
    const std::string *sql = value("sqlquery");
    const std::string *user = value("username");
    const std::string *pass = value("userpass");
    const std::string userText = user ? *user : std::string();

    QueryOutcome outcome;
    auto refuse = [&outcome](const char *kind, const std::string &why) {
        outcome.ok = false;
        outcome.errorKind = kind;
        outcome.body = "Error: " + why + "\n";
    };
    if (!sql || sql->find_first_not_of(" \t\r\n;") == std::string::npos)
        refuse("param", "missing parameter sqlquery");
    else if (!user || user->empty())
        refuse("param", "missing parameter username");
    else if (!pass)
        refuse("param", "missing parameter userpass");
    else if (!QueryString::isValidUtf8(*sql) || !QueryString::isValidUtf8(*user) || !QueryString::isValidUtf8(*pass))
        refuse("encoding", "the request is not valid UTF-8");
    else if (sql->find('\0') != std::string::npos)
        refuse("encoding", "the query text holds a NUL character");
    else {
        switch (m_credentials.verify(*user, *pass, req.remote_addr)) {
        case CredentialStore::Result::Wrong:
            refuse("credentials", "bad user name or password");
            break;
        case CredentialStore::Result::CoolingOff:
            refuse("cooling-off", "too many failed logins from this address; try again later");
            break;
        case CredentialStore::Result::Ok:
            outcome = m_queries->run(*sql, m_options.limits);
            break;
        }
    }
    res.status = 200;
    res.set_content(outcome.body, kPlain);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    log(req.remote_addr, userText, ms.count(), outcome.rows, outcome.ok ? "ok" : "error=" + outcome.errorKind);
}

void QueryServer::log(const std::string &peer, const std::string &user, long long ms, long long rows,
                      const std::string &status)
{
    const std::string line = nowText() + " peer=" + printable(peer) + " user=" + printable(user)
        + " ms=" + std::to_string(ms) + " rows=" + std::to_string(rows) + ' ' + status + '\n';
    std::lock_guard lock(m_logMutex);
    std::cerr << line << std::flush;
}
