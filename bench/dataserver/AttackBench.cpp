// The data server under attack, measured: an ordinary query's latency while 200 idle and 16 slow sockets are
// open (from another address), while 16 clients send wrong passwords, a new login's time while 64 threads
// send wrong passwords from 254 addresses (at its own name from new addresses, from the same addresses once
// they have failed, at made-up names), and connect times in a burst of 16 clients; with TLS, a kept-alive
// session against a handshake per query.
//
// usage: bench_dataserver_attack --server PATH --db FILE [--tls-cert FILE --tls-key FILE --ca FILE]
//        (FILE: any form database, e.g. from generate-demo; a bench user is added to it)

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::string kQuery = "/SQLQuery.php?sqlquery=SELECT%20count(*)%20FROM%20Track&username=bench&userpass=";
const std::string kPass = "bench-password";
const std::string kQueryOtherUser = "/SQLQuery.php?sqlquery=SELECT%20count(*)%20FROM%20Track&username=nobody&userpass=";

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void report(const char *name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return;
    auto pct = [&ms](double p) { return ms[std::min(ms.size() - 1, static_cast<size_t>(p * (ms.size() - 1) + 0.5))]; };
    std::printf("| %-52s | %4zu | %7.2f | %7.2f | %7.2f |\n", name, ms.size(), pct(0.5), pct(0.95), ms.back());
}

// `from`: the loopback address to send from (127.0.0.0/8 all reach the server), 0 for the default.
int connectLoopback(int port, uint32_t from = 0)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (from != 0) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(from);
        bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::pair<pid_t, int> startServer(const std::vector<std::string> &args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, 0};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    char buf[256];
    int port = 0;
    ssize_t n;
    while (port == 0 && (n = read(fds[0], buf, sizeof buf)) > 0) {
        text.append(buf, static_cast<size_t>(n));
        const size_t at = text.find("listening on 127.0.0.1:");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos)
            port = std::stoi(text.substr(at + 23));
    }
    std::thread([fd = fds[0]] {
        char sink[4096];
        while (read(fd, sink, sizeof sink) > 0) {
        }
        close(fd);
    }).detach();
    return {pid, port};
}

// Times `count` ordinary queries, one every `gapMs`, on one kept-alive client.
std::vector<double> timedQueries(int port, int count, int gapMs)
{
    httplib::Client cli("127.0.0.1", port);
    cli.set_keep_alive(true);
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const auto t = Clock::now();
        auto res = cli.Get((kQuery + kPass).c_str());
        if (res && res->body.rfind("Error:", 0) != 0)
            ms.push_back(msSince(t));
        else
            std::cerr << "query failed: " << (res ? res->body : std::string("no answer")) << '\n';
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    }
    return ms;
}

// One GET on a fresh connection from `from`; the answer's body.
std::string rawGet(int port, uint32_t from, const std::string &target)
{
    const int fd = connectLoopback(port, from);
    if (fd < 0)
        return {};
    const std::string req = "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    send(fd, req.data(), req.size(), 0);
    std::string reply;
    char buf[1024];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0)
        reply.append(buf, static_cast<size_t>(n));
    close(fd);
    const size_t body = reply.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

} // namespace

int main(int argc, char **argv)
{
    std::map<std::string, std::string> opt;
    for (int i = 1; i + 1 < argc; i += 2)
        opt[std::string(argv[i]).substr(2)] = argv[i + 1];
    if (!opt.count("server") || !opt.count("db")) {
        std::cerr << "usage: bench_dataserver_attack --server PATH --db FILE [--tls-cert F --tls-key F --ca F]\n";
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const std::string server = opt["server"], db = opt["db"];
    if (std::system(("echo " + kPass + " | " + server + " add-user bench --db " + db + " >/dev/null").c_str()) != 0)
        return 1;
    auto [pid, port] = startServer({server, "serve", "--db", db, "--listen", "127.0.0.1:0"});
    if (port == 0)
        return 1;
    std::printf("| Scenario | n | p50 ms | p95 ms | max ms |\n|---|---|---|---|---|\n");
    report("ordinary query, nothing else open", timedQueries(port, 50, 20));

    // 200 idle sockets and 16 that send a request head one line every 3 s, from another address: the server
    // keeps at most --max-per-address of them, each until the request deadline.
    std::vector<int> idle;
    for (int i = 0; i < 216; ++i)
        idle.push_back(connectLoopback(port, 0x7F000002));
    std::atomic<bool> stop = false;
    std::thread drip([&] {
        for (int i = 0; i < 16; ++i)
            send(idle[i], "GET / HTTP/1.1\r\n", 16, 0);
        for (int line = 0; !stop; ++line) {
            for (int k = 0; k < 30 && !stop; ++k)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const std::string h = "X-Slow-" + std::to_string(line) + ": 1\r\n";
            for (int i = 0; i < 16; ++i)
                send(idle[i], h.data(), h.size(), 0);
        }
    });
    report("with 200 idle + 16 slow sockets open (10 s)", timedQueries(port, 50, 200));
    stop = true;
    drip.join();
    for (int fd : idle)
        close(fd);

    // 16 clients sending wrong passwords as fast as they are answered.
    stop = false;
    std::atomic<long> wrong = 0;
    std::vector<std::thread> guessers;
    for (int g = 0; g < 16; ++g) {
        guessers.emplace_back([&, g] {
            httplib::Client cli("127.0.0.1", port);
            cli.set_keep_alive(true);
            while (!stop) {
                auto res = cli.Get((kQuery + "guess" + std::to_string(g)).c_str());
                wrong += res ? 1 : 0;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto floodStart = Clock::now();
    const long wrongBefore = wrong;
    report("while 16 clients send wrong passwords (10 s)", timedQueries(port, 50, 200));
    const double floodRate = (wrong - wrongBefore) / (msSince(floodStart) / 1000.0);
    stop = true;
    for (auto &t : guessers)
        t.join();
    std::printf("wrong-password answers: %.0f per second\n", floodRate);

    // 64 threads sending wrong passwords from 254 addresses, each on a fresh connection; meanwhile new logins
    // (a correct password from an address not seen before) every 200 ms, `warmUp` after the flood began.
    const auto floodWhileLoggingIn = [&](const char *name, uint32_t guessBase, uint32_t loginBase,
                                         const std::string &guess, int warmUp) {
        std::atomic<bool> stopFlood = false;
        std::atomic<long> spread = 0;
        std::vector<std::thread> flood;
        for (int g = 0; g < 64; ++g) {
            flood.emplace_back([&, g] {
                for (uint32_t n = static_cast<uint32_t>(g); !stopFlood; n += 64) {
                    rawGet(port, guessBase + 1 + n % 254, guess);
                    ++spread;
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::seconds(warmUp));
        std::vector<double> logins;
        for (uint32_t i = 1; i <= 40; ++i) {
            const auto t = Clock::now();
            const std::string answer = rawGet(port, loginBase + i, kQuery + kPass);
            if (answer.rfind("Error:", 0) == 0 || answer.empty())
                std::cerr << "login failed: " << answer << '\n';
            else
                logins.push_back(msSince(t));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        report(name, logins);
        stopFlood = true;
        for (auto &t : flood)
            t.join();
        std::printf("wrong-password answers during it: %ld\n", spread.load());
    };
    floodWhileLoggingIn("new login, 64 threads guessing its password from 254 new addresses (from 1 s)", 0x7F000100,
                        0x7F000300, kQuery + "guess", 1);
    floodWhileLoggingIn("new login, the same flood again from those addresses (after 30 s)", 0x7F000100, 0x7F000700,
                        kQuery + "guess", 30);
    floodWhileLoggingIn("new login, 64 threads guessing made-up names from 254 addresses (from 1 s)", 0x7F000400,
                        0x7F000600, kQueryOtherUser + "guess", 1);

    // A burst: 16 clients each opening 200 fresh connections; a SYN retry shows as a connect over 900 ms.
    std::vector<std::vector<double>> connects(16);
    std::vector<std::thread> burst;
    for (int c = 0; c < 16; ++c) {
        burst.emplace_back([&, c] {
            for (int i = 0; i < 200; ++i) {
                const auto t = Clock::now();
                const int fd = connectLoopback(port);
                connects[c].push_back(msSince(t));
                if (fd >= 0) {
                    const std::string req =
                        "GET " + kQuery + kPass + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
                    send(fd, req.data(), req.size(), 0);
                    char buf[512];
                    while (recv(fd, buf, sizeof buf, 0) > 0) {
                    }
                    close(fd);
                }
            }
        });
    }
    for (auto &t : burst)
        t.join();
    std::vector<double> all;
    for (auto &v : connects)
        all.insert(all.end(), v.begin(), v.end());
    report("connect, burst of 16 clients x 200 connections", all);
    std::printf("connects over 900 ms (SYN retries): %ld\n",
                std::count_if(all.begin(), all.end(), [](double v) { return v > 900; }));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    if (opt.count("tls-cert")) {
        auto [tpid, tport] = startServer({server, "serve", "--db", db, "--listen", "127.0.0.1:0", "--tls-cert",
                                          opt["tls-cert"], "--tls-key", opt["tls-key"]});
        for (bool reuse : {true, false}) {
            std::vector<double> ms;
            httplib::SSLClient kept("127.0.0.1", tport);
            kept.set_ca_cert_path(opt["ca"].c_str());
            kept.set_keep_alive(true);
            for (int i = 0; i < 100; ++i) {
                const auto t = Clock::now();
                httplib::SSLClient fresh("127.0.0.1", tport);
                fresh.set_ca_cert_path(opt["ca"].c_str());
                auto res = (reuse ? kept : fresh).Get((kQuery + kPass).c_str());
                if (res && res->status == 200)
                    ms.push_back(msSince(t));
            }
            report(reuse ? "https, one kept-alive connection" : "https, a handshake per query", ms);
        }
        kill(tpid, SIGTERM);
        waitpid(tpid, nullptr, 0);
    }
    return 0;
}
