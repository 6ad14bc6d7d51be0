// The data server under attack, as a stranger on the network would try it: hostile query texts, sockets
// that never finish their request, header floods, Range requests, floods of wrong passwords from many
// addresses, and one account's slow queries. The real program on loopback; the 127.0.0.0/8 addresses stand for
// different machines.

#include "support/DataServerProcess.h"

#include "CredentialStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <sqlite3.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kUser = "agent";
const QByteArray kCountTracks = "SELECT count(*) FROM Track";

// The client sends its SQL as it stands; a GET needs it encoded for the request line.
QByteArray form(const QByteArray &sql, const QByteArray &pass, bool encode = true)
{
    return "sqlquery=" + (encode ? QUrl::toPercentEncoding(sql) : sql) + "&username=" + kUser + "&userpass=" + pass;
}

// One request (a text/plain POST, or a GET); the event loop runs meanwhile, so slow sockets keep talking.
QByteArray send(QNetworkAccessManager &nam, const QString &host, const QByteArray &query, bool post = false)
{
    QNetworkRequest request(
        QUrl(u"http://"_s + host + u"/SQLQuery.php"_s + (post ? QString() : u"?"_s + QString::fromLatin1(query))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain"));
    std::unique_ptr<QNetworkReply> reply(post ? nam.post(request, query) : nam.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    return finished.wait(30000) ? reply->readAll() : QByteArrayLiteral("(no answer)");
}

// A request written by hand from a chosen loopback address; the answer's body, or what went wrong.
QByteArray rawGet(const QString &from, quint16 port, const QByteArray &query, const QByteArray &extraHeaders = {},
                  int timeoutMs = 10000)
{
    QTcpSocket socket;
    if (!socket.bind(QHostAddress(from)))
        return "(cannot bind " + from.toLatin1() + ")";
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return "(no connection)";
    socket.write("GET /SQLQuery.php?" + query + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + extraHeaders +
                 "\r\n");
    QByteArray reply;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < timeoutMs) {
        socket.waitForReadyRead(100);
        reply += socket.readAll();
    }
    reply += socket.readAll();
    const qsizetype body = reply.indexOf("\r\n\r\n");
    return body < 0 ? "(no answer) " + reply.left(100) : reply.mid(body + 4);
}

// Private resident memory of a process, in KiB.
long rssAnonKb(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

class TestDataServerAttack : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DataServerProcess> m_server;
    QNetworkAccessManager m_nam;
    QByteArray m_pass = "Derby2024";

    // Median time of five ordinary queries, each of which must answer correctly.
    qint64 medianQueryMs()
    {
        QList<qint64> times;
        for (QElapsedTimer timer; times.size() < 5;) {
            timer.start();
            if (send(m_nam, m_server->host(), form(kCountTracks, m_pass)) != "4<br>\n")
                return 1000000;
            times << timer.elapsed();
        }
        std::sort(times.begin(), times.end());
        return times[2];
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_server = std::make_unique<DataServerProcess>(m_dir.filePath(u"form.db"_s));
        const QString failure = m_server->build(QString::fromUtf8(OSTREVAN_FIXTURES_DIR "/dataserver"),
                                                QString::fromLatin1(kUser), QString::fromLatin1(m_pass));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(m_server->admin({u"add-user"_s, u"clerk"_s}, "Caulfield1\n").isEmpty());
        // Small bounds, so that a test can reach them: 64 connections, 16 from one address, 3 s per request, one
        // query running per account and per address (the default with two threads). The query limit leaves a loaded
        // machine time to see a slow query running before it ends.
        QVERIFY(m_server->start({u"--threads"_s, u"2"_s, u"--max-connections"_s, u"64"_s, u"--max-per-address"_s,
                                 u"16"_s, u"--request-timeout-ms"_s, u"3000"_s, u"--trusted-proxy"_s, u"127.0.0.9"_s,
                                 u"--query-timeout-ms"_s, u"10000"_s}));
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    void hostileQueries_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QByteArray>("expectedStart");
        QTest::newRow("20,000 nested brackets") << "select " + QByteArray(20000, '(') + "1" + QByteArray(20000, ')')
                                                << QByteArray("Error: query too complex");
        QTest::newRow("users counted") << QByteArray("SELECT count(*) FROM ServerUsers")
                                       << QByteArray("Error: statement refused");
        QTest::newRow("schema probed") << QByteArray("SELECT 1 FROM sqlite_master")
                                       << QByteArray("Error: statement refused");
        QTest::newRow("backslash ends no string")
            << QByteArray("SELECT count(*) FROM WORKRACE WHERE WHorse = 'NO SUCH\\'' OR 1=1 --'")
            << QByteArray("0<br>\n");
    }

    void hostileQueries()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QByteArray, expectedStart);
        const QByteArray answer = send(m_nam, m_server->host(), form(sql, m_pass, false), true);
        QVERIFY2(answer.startsWith(expectedStart), answer.left(200).constData());
        QVERIFY(m_server->running());
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    void passwordChangeNeedsNoRestart()
    {
        QVERIFY(m_server->admin({u"add-user"_s, QString::fromLatin1(kUser)}, "Oaks2025\n").isEmpty());
        QVERIFY(
            send(m_nam, m_server->host(), form(kCountTracks, m_pass)).startsWith("Error: bad user name or password"));
        m_pass = "Oaks2025";
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    // Slow sockets from one address hold at most that address's share of the connections, and only until
    // the request deadline, however slowly they keep talking.
    void slowSocketsFromOneAddressStarveNoOther()
    {
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < 100; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            QVERIFY(sockets.back()->bind(QHostAddress(u"127.0.0.2"_s)));
            sockets.back()->connectToHost(QHostAddress::LocalHost, m_server->port());
            sockets.back()->waitForConnected(2000);
        }
        for (auto &socket : sockets)
            socket->write("GET /SQLQuery.php?sqlquery=SELECT+1 HTTP/1.1\r\n");
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&] {
            for (auto &socket : sockets)
                socket->write("X-Slow: 1\r\n");
        });
        drip.start(500);
        QTest::qWait(1000);
        const auto open = [&sockets] {
            return std::count_if(sockets.begin(), sockets.end(),
                                 [](const auto &s) { return s->state() == QAbstractSocket::ConnectedState; });
        };
        QVERIFY2(open() <= 16, qPrintable(u"%1 open"_s.arg(open())));
        const qint64 fresh = medianQueryMs();
        QTest::qWait(3500); // past the request deadline
        QCOMPARE(open(), 0);
        const qint64 later = medianQueryMs();
        QVERIFY2(fresh < 100 && later < 100, qPrintable(u"median %1 ms, then %2 ms"_s.arg(fresh).arg(later)));
    }

    // Many header lines fill a connection's request head and end it; the server's memory stays where it was.
    void headerFloodIsRefusedInBoundedMemory()
    {
        const long before = rssAnonKb(m_server->pid());
        QVERIFY(before > 0);
        const QByteArray lines = QByteArray("X-Flood: aaaaaaaaaaaaaaaa\r\n").repeated(20000);
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < 5; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            QVERIFY(sockets.back()->bind(QHostAddress(u"127.0.0.3"_s)));
            sockets.back()->connectToHost(QHostAddress::LocalHost, m_server->port());
            QVERIFY(sockets.back()->waitForConnected(2000));
            sockets.back()->write("GET /SQLQuery.php?" + form(kCountTracks, m_pass) + " HTTP/1.1\r\nHost: x\r\n");
            for (int k = 0; k < 20 && sockets.back()->state() == QAbstractSocket::ConnectedState; ++k) {
                sockets.back()->write(lines); // 10 MB offered in all; the server stops reading long before
                sockets.back()->waitForBytesWritten(200);
            }
            if (sockets.back()->state() != QAbstractSocket::UnconnectedState)
                sockets.back()->waitForDisconnected(2000);
            QCOMPARE(sockets.back()->state(), QAbstractSocket::UnconnectedState); // the server ended it
        }
        const long after = rssAnonKb(m_server->pid());
        QVERIFY2(after - before < 8 * 1024, qPrintable(u"%1 KiB, then %2 KiB"_s.arg(before).arg(after)));
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    void rangeRequestsAreIgnored()
    {
        const QByteArray query = form("SELECT TrackCode FROM Track ORDER BY TrackCode", m_pass);
        const QByteArray whole = send(m_nam, m_server->host(), query);
        QCOMPARE(whole, QByteArray("BALL<br>\nFLEM<br>\nKPRK<br>\nRAND<br>\n"));
        QCOMPARE(rawGet(u"127.0.0.1"_s, m_server->port(), query, "Range: bytes=0-3,0-,0-,5-9\r\n"), whole);
    }

    // Cooling off holds one user at one address: other agents at that address, and the same agent elsewhere,
    // log in as usual. Behind a trusted balancer the address is the client's, as the balancer forwards it.
    void coolingOffIsPerUserAndAddress_data()
    {
        QTest::addColumn<QString>("failFrom");
        QTest::addColumn<QByteArray>("failForwardedFor");
        QTest::addColumn<QString>("checkFrom");
        QTest::addColumn<QByteArray>("checkForwardedFor");
        QTest::addColumn<QByteArray>("checkUser");
        QTest::addColumn<bool>("coolingOff");
        QTest::newRow("same user, same address")
            << u"127.0.0.4"_s << QByteArray() << u"127.0.0.4"_s << QByteArray() << kUser << true;
        QTest::newRow("other user, same address")
            << u"127.0.0.5"_s << QByteArray() << u"127.0.0.5"_s << QByteArray() << QByteArray("clerk") << false;
        QTest::newRow("same user, other address")
            << u"127.0.0.6"_s << QByteArray() << u"127.0.0.7"_s << QByteArray() << kUser << false;
        QTest::newRow("behind the balancer, other client") << u"127.0.0.9"_s << QByteArray("10.0.0.1") << u"127.0.0.9"_s
                                                           << QByteArray("192.0.2.7, 10.0.0.2") << kUser << false;
        QTest::newRow("behind the balancer, same client")
            << u"127.0.0.9"_s << QByteArray("10.0.0.3") << u"127.0.0.9"_s << QByteArray("10.0.0.3") << kUser << true;
        QTest::newRow("forwarding from an untrusted address means nothing")
            << u"127.0.0.8"_s << QByteArray("10.0.0.5") << u"127.0.0.8"_s << QByteArray("10.0.0.6") << kUser << true;
    }

    void coolingOffIsPerUserAndAddress()
    {
        QFETCH(QString, failFrom);
        QFETCH(QByteArray, failForwardedFor);
        QFETCH(QString, checkFrom);
        QFETCH(QByteArray, checkForwardedFor);
        QFETCH(QByteArray, checkUser);
        QFETCH(bool, coolingOff);
        const auto header = [](const QByteArray &xff) {
            return xff.isEmpty() ? QByteArray() : "X-Forwarded-For: " + xff + "\r\n";
        };
        for (int i = 0; i < 5; ++i) {
            const QByteArray answer =
                rawGet(failFrom, m_server->port(), form(kCountTracks, "guess"), header(failForwardedFor));
            QVERIFY2(answer.startsWith("Error: bad user name or password"), answer.constData());
        }
        const QByteArray password = checkUser == kUser ? m_pass : QByteArray("Caulfield1");
        const QByteArray query =
            "sqlquery=" + QUrl::toPercentEncoding(kCountTracks) + "&username=" + checkUser + "&userpass=" + password;
        const QByteArray answer = rawGet(checkFrom, m_server->port(), query, header(checkForwardedFor));
        QCOMPARE(answer.startsWith("Error: too many failed logins"), coolingOff);
        if (!coolingOff)
            QCOMPARE(answer, QByteArray("4<br>\n"));
    }

    // While one account's query runs to the time limit, that account elsewhere and others at its address are told
    // "busy" at once, and another account at another address is answered as usual; then the places are free.
    void slowQueriesHoldOnlyTheirAccountsShare()
    {
        const QByteArray slow =
            form("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT count(*) FROM c", m_pass);
        const auto asUser = [this](const QByteArray &user) -> QByteArray {
            return "sqlquery=" + QUrl::toPercentEncoding(kCountTracks) + "&username=" + user +
                   "&userpass=" + (user == kUser ? m_pass : QByteArray("Caulfield1"));
        };
        struct Case {
            QString from;
            QByteArray user, expected;
        };
        const QByteArray busy = "Error: too many queries running for this user or address; try again later\n";
        const Case cases[] = {
            {u"127.0.4.2"_s, kUser, busy}, {u"127.0.4.1"_s, "clerk", busy}, {u"127.0.4.3"_s, "clerk", "4<br>\n"}};
        // Every login is checked beforehand, so that no slow hash stands in the timings.
        for (const Case &c : cases)
            QCOMPARE(rawGet(c.from, m_server->port(), asUser(c.user)), QByteArray("4<br>\n"));
        QCOMPARE(rawGet(u"127.0.4.1"_s, m_server->port(), asUser(kUser)), QByteArray("4<br>\n"));
        QByteArray slowAnswer;
        std::atomic<bool> slowDone = false;
        std::jthread running([&] {
            slowAnswer = rawGet(u"127.0.4.1"_s, m_server->port(), slow);
            slowDone = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(slowDone || rawGet(u"127.0.4.2"_s, m_server->port(), asUser(kUser)) == busy, 8000);
        QVERIFY2(!slowDone, slowAnswer.constData());
        for (const Case &c : cases) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray answer = rawGet(c.from, m_server->port(), asUser(c.user));
            const QString what =
                u"%1 from %2 after %3 ms: "_s.arg(QString::fromLatin1(c.user), c.from).arg(timer.elapsed());
            QVERIFY2(answer == c.expected && timer.elapsed() < 2000 && !slowDone,
                     qPrintable(what + QString::fromLatin1(answer)));
        }
        running.join();
        QVERIFY2(slowAnswer.startsWith("Error: time limit"), slowAnswer.constData());
        QCOMPARE(rawGet(u"127.0.4.1"_s, m_server->port(), asUser(kUser)), QByteArray("4<br>\n"));
    }

    // Wrong passwords from many addresses at once: a remembered agent is answered as usual, and a correct
    // login from a new address is checked before the flood's next guesses.
    void wrongPasswordsFromManyAddressesSlowNoOne()
    {
        std::atomic<bool> stop = false;
        std::atomic<int> otherAnswers = 0;
        std::array<std::atomic<int>, 16> wrongAnswers{};
        std::vector<std::thread> guessers;
        for (int i = 0; i < 16; ++i) {
            guessers.emplace_back([&, i] {
                for (int n = 0; !stop; ++n) {
                    // Guesser i starts at address 7i (mod 32): three guesses each cover all 32 addresses.
                    const QString from = u"127.0.1.%1"_s.arg(1 + (i * 7 + n) % 32);
                    const QByteArray answer = rawGet(from, m_server->port(), form(kCountTracks, "guess"));
                    (answer.startsWith("Error: ") ? wrongAnswers[size_t(i)] : otherAnswers)++;
                }
            });
        }
        // Every guessing address has failed already.
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(wrongAnswers.begin(), wrongAnswers.end(), [](const std::atomic<int> &n) { return n >= 4; }),
            30000);
        const qint64 remembered = medianQueryMs();
        QList<qint64> logins;
        for (int i = 1; i <= 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray answer = rawGet(u"127.0.2.%1"_s.arg(i), m_server->port(), form(kCountTracks, m_pass));
            logins << (answer == "4<br>\n" ? timer.elapsed() : 1000000);
        }
        stop = true;
        for (auto &t : guessers)
            t.join();
        std::sort(logins.begin(), logins.end());
        QVERIFY2(remembered < 100, qPrintable(u"median %1 ms"_s.arg(remembered)));
        QVERIFY2(logins[3] < 1000, qPrintable(u"new logins took %1 ms (4th of 5)"_s.arg(logins[3])));
        QCOMPARE(otherAnswers.load(), 0);
    }

    // A new login (a user who exists, from an address that has not failed) is hashed at once on the thread
    // kept for it, however many guesses at names that do not exist wait, newer ones included.
    void newLoginGoesBeforeGuessesAtMadeUpNames()
    {
        const std::string path = m_dir.filePath(u"logins.db"_s).toStdString();
        sqlite3 *db = nullptr;
        std::string error;
        QCOMPARE(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        QVERIFY(CredentialStore::setPassword(db, "d'arcy", "Caulfield1", error));
        sqlite3_close(db);
        CredentialStore store(path, std::chrono::seconds(60));
        std::mutex mutex;
        std::vector<std::string> answered;
        const auto check = [&](const std::string &user, const std::string &password, const std::string &client) {
            store.checkSlowly(user, password, client, [&, user](CredentialStore::Result) {
                std::lock_guard lock(mutex);
                answered.push_back(user);
            });
        };
        check("o'brien", "guess", "10.0.0.1");
        check("o'brien", "guess", "10.0.0.2");
        check("d'arcy", "Caulfield1", "10.1.0.1");
        for (int i = 0; i < 12; ++i)
            check("nobody" + std::to_string(i), "guess", "10.0.1." + std::to_string(i));
        const auto position = [&]() -> qsizetype {
            std::lock_guard lock(mutex);
            const auto it = std::find(answered.begin(), answered.end(), "d'arcy");
            return it == answered.end() ? -1 : it - answered.begin();
        };
        QTRY_VERIFY_WITH_TIMEOUT(position() >= 0, 30000);
        QVERIFY2(position() <= 2, qPrintable(u"answered after %1 guesses"_s.arg(position())));
        store.stop();
    }
};

QTEST_GUILESS_MAIN(TestDataServerAttack)
#include "tst_dataserver_attack.moc"
