// The data server under attack, as a stranger on the network would try it: hostile query texts, sockets
// that never finish their request, and floods of wrong passwords. The real program on loopback.

#include "support/DataServerProcess.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
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
    QNetworkRequest request(QUrl(u"http://"_s + host + u"/SQLQuery.php"_s + (post ? QString() : u"?"_s + QString::fromLatin1(query))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain"));
    std::unique_ptr<QNetworkReply> reply(post ? nam.post(request, query) : nam.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    return finished.wait(30000) ? reply->readAll() : QByteArrayLiteral("(no answer)");
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
        const QString failure = m_server->build(QStringLiteral(OSTREVAN_FIXTURES_DIR "/dataserver"), QString::fromLatin1(kUser),
                                                QString::fromLatin1(m_pass));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(m_server->start());
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    void hostileQueries_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QByteArray>("expectedStart");
        QTest::newRow("20,000 nested brackets")
            << "select " + QByteArray(20000, '(') + "1" + QByteArray(20000, ')') << QByteArray("Error: query too complex");
        QTest::newRow("users counted") << QByteArray("SELECT count(*) FROM ServerUsers") << QByteArray("Error: statement refused");
        QTest::newRow("schema probed") << QByteArray("SELECT 1 FROM sqlite_master") << QByteArray("Error: statement refused");
        QTest::newRow("backslash ends no string")
            << QByteArray("SELECT count(*) FROM WORKRACE WHERE WHorse = 'NO SUCH\\'' OR 1=1 --'") << QByteArray("0<br>\n");
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
        QVERIFY(send(m_nam, m_server->host(), form(kCountTracks, m_pass)).startsWith("Error: bad user name or password"));
        m_pass = "Oaks2025";
        QCOMPARE(send(m_nam, m_server->host(), form(kCountTracks, m_pass)), QByteArray("4<br>\n"));
    }

    void idleAndSlowConnectionsStarveNoOne()
    {
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        const quint16 port = m_server->host().section(u':', 1).toUShort();
        for (int i = 0; i < 216; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            sockets.back()->connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(sockets.back()->waitForConnected(5000));
        }
        // Sixteen of them send a request head one line every three seconds, never finishing it.
        for (int i = 0; i < 16; ++i)
            sockets[i]->write("GET /SQLQuery.php?sqlquery=SELECT+1 HTTP/1.1\r\n");
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&] {
            for (int i = 0; i < 16; ++i)
                sockets[i]->write("X-Slow: 1\r\n");
        });
        drip.start(3000);
        const qint64 fresh = medianQueryMs();
        QTest::qWait(6500); // longer than any single read wait of the server
        const qint64 later = medianQueryMs();
        QVERIFY2(fresh < 100 && later < 100, qPrintable(u"median %1 ms, then %2 ms"_s.arg(fresh).arg(later)));
    }

    void wrongPasswordsSlowNoOne()
    {
        std::atomic<bool> stop = false;
        std::atomic<int> wrongAnswers = 0, otherAnswers = 0;
        const quint16 port = m_server->host().section(u':', 1).toUShort();
        const QByteArray request = "GET /SQLQuery.php?" + form(kCountTracks, "guess") + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
        std::vector<std::thread> guessers;
        for (int i = 0; i < 16; ++i) {
            guessers.emplace_back([&] {
                while (!stop) {
                    QTcpSocket socket;
                    socket.connectToHost(QHostAddress::LocalHost, port);
                    if (socket.waitForConnected(5000) && socket.write(request) > 0 && socket.waitForDisconnected(5000))
                        (socket.readAll().contains("\r\n\r\nError: ") ? wrongAnswers : otherAnswers)++;
                }
            });
        }
        QTRY_VERIFY_WITH_TIMEOUT(wrongAnswers > 16, 20000); // the flood is under way
        const qint64 during = medianQueryMs();
        stop = true;
        for (auto &t : guessers)
            t.join();
        QVERIFY2(during < 100, qPrintable(u"median %1 ms"_s.arg(during)));
        QCOMPARE(otherAnswers.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataServerAttack)
#include "tst_dataserver_attack.moc"
