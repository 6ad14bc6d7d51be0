// The request routine and the data-server protocol against loopback servers in the test process.
#include "FixtureHttpServer.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "formdata/HttpRequest.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

class TestHttpRequest : public QObject
{
    Q_OBJECT

private slots:
    void horseListsSplitOnlyWhenTheAddressWouldBeTooLong_data()
    {
        QTest::addColumn<int>("horses");
        QTest::addColumn<bool>("split");
        QTest::newRow("a race") << 14 << false;
        QTest::newRow("an acceptance meeting") << 150 << false;
        QTest::newRow("a big nominations field") << 700 << true;
    }

    void horseListsSplitOnlyWhenTheAddressWouldBeTooLong()
    {
        QFETCH(int, horses);
        QFETCH(bool, split);
        TestEnvironment env;
        QStringList keys;
        for (int i = 0; i < horses; ++i)
            keys << QStringLiteral("O''HORSE NAME %1").arg(i);
        const QList<QStringList> batches = horseBatches(keys);
        QCOMPARE(batches.size() > 1, split);
        QStringList joined;
        for (const QStringList &batch : batches) {
            QVERIFY(!batch.isEmpty());
            QVERIFY(QUrl(dataServerAddress(horseFormSql(batch)), QUrl::TolerantMode).toEncoded().size() <= kMaxAddressBytes);
            joined << batch;
        }
        QCOMPARE(joined, keys);
    }

    void cleanup() { setHttpRequestTimeout(kDefaultHttpRequestTimeout); }

    void splitsAnswers_data();
    void splitsAnswers();
    void errorPages_data();
    void errorPages();
    void otherStatuses_data();
    void otherStatuses();
    void refusedConnection();
    void timesOut();
    void sendsHeadersAndBody();
    void keepsProcessingEventsWhileWaiting();
    void connectionErrorOfAQuery();
    void enrichmentSkipsRowsItCannotUse();
};

void TestHttpRequest::splitsAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("no rows") << QString() << QStringList{QString()};
    QTest::newRow("one row") << QStringLiteral("A|B<br>\n") << QStringList{QStringLiteral("A|B"), QString()};
    QTest::newRow("two rows") << QStringLiteral("A|<br>\n|B<br>\n")
                              << QStringList{QStringLiteral("A|"), QStringLiteral("|B"), QString()};
    QTest::newRow("no final separator") << QStringLiteral("A<br>\nB") << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("br alone is no separator") << QStringLiteral("A<br>B<br>\n")
                                              << QStringList{QStringLiteral("A<br>B"), QString()};
}

void TestHttpRequest::splitsAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QCOMPARE(splitAnswerRows(answer), rows);
    QCOMPARE(splitAnswerFields(QStringLiteral("A||C|")), (QStringList{QStringLiteral("A"), QString(), QStringLiteral("C"), QString()}));
}

void TestHttpRequest::errorPages_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("isErrorPage");
    QTest::newRow("Error:") << QByteArray("Error: bad user name or password\n") << true;
    QTest::newRow("Statem") << QByteArray("Statement refused: not a SELECT") << true;
    QTest::newRow("Warning at 11") << QByteArray("<br />\n<b>Warning</b>:  mysql_connect(): Access denied") << true;
    QTest::newRow("Warning at 12") << QByteArray("\n<br />\n<b>Warning</b>: later") << false;
    QTest::newRow("lower-case error") << QByteArray("error: not ours") << false;
    QTest::newRow("Error later") << QByteArray("GREEN FLASH|Error:<br>\n") << false;
    QTest::newRow("rows") << QByteArray("GREEN FLASH|J SMITH<br>\n") << false;
    QTest::newRow("long error") << QByteArray("Error: ") + QByteArray(300, 'x') << true;
}

void TestHttpRequest::errorPages()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, isErrorPage);
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    server.setBody(body);
    bool shown = false;
    const QString answer = HttpRequest(server.url(QStringLiteral("/page")), QStringLiteral("GET"), {}, &shown);
    QCOMPARE(shown, isErrorPage);
    if (isErrorPage) {
        QCOMPARE(answer, QString());
        QCOMPARE(dialogs.shown(), QStringList{QStringLiteral("Connection error, Please Check Internet Connection|")
                                              + QString::fromUtf8(body).left(120)});
    } else {
        QCOMPARE(answer, QString::fromUtf8(body));
        QVERIFY(dialogs.messages.isEmpty());
    }
}

void TestHttpRequest::otherStatuses_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("404") << 404 << QByteArray("Not Found");
    QTest::newRow("204") << 204 << QByteArray("No Content");
}

void TestHttpRequest::otherStatuses()
{
    QFETCH(int, status);
    QFETCH(QByteArray, reason);
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    server.setResponse({status, reason, status == 204 ? QByteArray() : QByteArray("Error: page body")});
    const QString answer = HttpRequest(server.url(QStringLiteral("/SQLQuery.php?sqlquery=x")));
    QCOMPARE(answer, QStringLiteral("Error: %1 %2").arg(status).arg(QString::fromLatin1(reason)));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestHttpRequest::refusedConnection()
{
    ScriptedDialogs dialogs;
    const QString address = QStringLiteral("http://127.0.0.1:%1/SQLQuery.php?sqlquery=SELECT 1")
                                .arg(DataServerProcess::freePort());
    QCOMPARE(HttpRequest(address),
             QStringLiteral("Error: 12029 Connection to Server cannot be Established.\r"
                            "Check internet Connection, the server you are connecting to may have a problem.\r")
                 + address.left(50));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestHttpRequest::timesOut()
{
    FixtureHttpServer server;
    server.setSilent(true);
    setHttpRequestTimeout(1000ms);
    const QString address = server.url(QStringLiteral("/SQLQuery.php?sqlquery=SELECT WHorse FROM WORKRACE"));
    QElapsedTimer elapsed;
    elapsed.start();
    const QString answer = HttpRequest(address);
    QVERIFY2(elapsed.elapsed() >= 1000 && elapsed.elapsed() < 10000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(answer, QStringLiteral("Error: Internert Connection has Timed out. Check internet connection. \r"
                                    "May Mean Website server is down.\r")
                         + address.left(50));
    QCOMPARE(server.requests.size(), 1);
}

void TestHttpRequest::sendsHeadersAndBody()
{
    FixtureHttpServer server;
    server.setBody("fine");
    QCOMPARE(HttpRequest(server.url(QStringLiteral("/get?a=1"))), QStringLiteral("fine"));
    QCOMPARE(HttpRequest(server.url(QStringLiteral("/post")), QStringLiteral("POST"), QStringLiteral("x=1&y=two")),
             QStringLiteral("fine"));
    QCOMPARE(server.requests.size(), 2);
    const QByteArray get = server.requests.at(0);
    QVERIFY(get.startsWith("GET /get?a=1 HTTP/1.1\r\n"));
    QVERIFY(get.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"));
    const QByteArray post = server.requests.at(1);
    QVERIFY(post.startsWith("POST /post HTTP/1.1\r\n"));
    QVERIFY(post.contains("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    QVERIFY(post.endsWith("\r\n\r\nx=1&y=two"));
}

void TestHttpRequest::keepsProcessingEventsWhileWaiting()
{
    FixtureHttpServer slow;
    slow.setSilent(true);
    FixtureHttpServer quick;
    quick.setBody("inner answer");
    setHttpRequestTimeout(2000ms);

    QString inner;
    bool innerDoneFirst = false;
    QString outer;
    QTimer::singleShot(100, this, [&] {
        inner = HttpRequest(quick.url(QStringLiteral("/inner")));
        innerDoneFirst = outer.isEmpty();
    });
    outer = HttpRequest(slow.url(QStringLiteral("/outer")));
    QVERIFY(innerDoneFirst);
    QCOMPARE(inner, QStringLiteral("inner answer"));
    QVERIFY(outer.startsWith(QStringLiteral("Error: Internert Connection has Timed out.")));
}

void TestHttpRequest::connectionErrorOfAQuery()
{
    TestEnvironment environment;
    ScriptedDialogs dialogs;
    cAppSettings::instance().DataServer = QStringLiteral("127.0.0.1:%1").arg(DataServerProcess::freePort());
    QVERIFY(!DataServerRows(QStringLiteral("SELECT TrackCode FROM Track")).has_value());
    QCOMPARE(LookUpTrack(QStringLiteral("Flemington")), QString());
    raceShortCodes() = QStringList{QStringLiteral("HANDICAP|HCP")};
    QVERIFY(!LoadRaceShortCodes());
    QCOMPARE(raceShortCodes(), QStringList{QStringLiteral("HANDICAP|HCP")});
    QCOMPARE(dialogs.messages.size(), 3);
    for (const auto &message : dialogs.messages) {
        QCOMPARE(message.title, QStringLiteral("Connection error"));
        QVERIFY(message.text.startsWith(QStringLiteral("Error: 12029 Connection to Server cannot be Established.\r")));
        QCOMPARE(message.icon, UserDialogs::Icon::Critical);
    }
}

// A broken answer row (too few columns, a date that cannot be read) must not cost the other horses their form.
void TestHttpRequest::enrichmentSkipsRowsItCannotUse()
{
    TestEnvironment environment;
    environment.createDatabase();
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    cAppSettings::instance().DataServer = server.host();
    {
        Db db = OpenDb();
        for (const char *horse : {"ALPHA", "BRAVO", "CHARLIE", "DELTA"})
            db.exec(QStringLiteral("INSERT INTO Noms (MeetingCode, RaceNumber, Horse, LastJockey) VALUES ('0101FLEM', 1, ?, 'Old')"),
                    {QString::fromLatin1(horse)});
    }
    server.setBody("ALPHA|J SMITH|2024-03-16|58.5|BM.64|4|F|25000|70|1.5|1200|T WATERS|0302|1:34.56<br>\n"
                   "BRAVO|K LEE|2024-03-16|57<br>\n"
                   "CHARLIE|K LEE||57|MDN|3|C|20000|60|2.0|0|T WATERS|0101|35.00<br>\n"
                   "DELTA|M ZAHRA|2024-03-10|56|MDN|3|C|20000|61|3.0|100|P MOODY|0202|35.10<br>\n");
    const HorseFormResult result = FetchHorseForm(QStringLiteral("0101FLEM"), 0);
    QVERIFY(result.answered);
    QCOMPARE(result.horsesInAnswer, 4);
    QCOMPARE(result.nomsUpdated, 2);
    QCOMPARE(result.skipped.size(), 2);
    QVERIFY(result.skipped.at(0).startsWith(QStringLiteral("BRAVO")));
    QVERIFY(result.skipped.at(1).startsWith(QStringLiteral("CHARLIE")));

    QCOMPARE(queryRows(QStringLiteral("SELECT Horse, LastJockey, LastRaceClass, RSecTime FROM Noms ORDER BY Horse")),
             (QStringList{QStringLiteral("ALPHA|J Smith|BM64|34.56"), QStringLiteral("BRAVO|Old||"),
                          QStringLiteral("CHARLIE|Old||"), QStringLiteral("DELTA|M Zahra|MDN|35.1")}));
    QVERIFY(dialogs.messages.isEmpty());
    // The one query names each horse once, by its match key.
    QCOMPARE(server.requests.size(), 1);
    QVERIFY(server.requests.first().contains("where%20Whorse%20in%20(%20'ALPHA',%20'BRAVO',%20'CHARLIE',%20'DELTA')"));
}

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "tst_httprequest.moc"
