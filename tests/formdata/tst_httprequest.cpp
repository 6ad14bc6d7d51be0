// The request routine and the data-server protocol against loopback servers in the test process.
#include "FixtureHttpServer.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "formdata/HttpRequest.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(FixtureHttpServer::Fault)

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
            keys << u"O''HORSE NAME %1"_s.arg(i);
        const QList<QStringList> batches = horseBatches(keys);
        QCOMPARE(batches.size() > 1, split);
        QStringList joined;
        for (const QStringList &batch : batches) {
            QVERIFY(!batch.isEmpty());
            QVERIFY(QUrl(dataServerAddress(horseFormSql(batch)), QUrl::TolerantMode).toEncoded().size() <=
                    kMaxAddressBytes);
            joined << batch;
        }
        QCOMPARE(joined, keys);
    }

    void cleanup()
    {
        setHttpRequestTimeout(kDefaultHttpRequestTimeout);
        setHttpAnswerLimit(kDefaultHttpAnswerLimit);
        Clock::setInstance(nullptr);
    }

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
    void answersThatDidNotArriveWholeFail_data();
    void answersThatDidNotArriveWholeFail();
    void ridesAreStoredOnlyFromWholeAnswers_data();
    void ridesAreStoredOnlyFromWholeAnswers();
    void enrichmentSkipsRowsItCannotUse();
};

namespace {

using Fault = FixtureHttpServer::Fault;

constexpr qint64 kTestAnswerLimit = 256 * 1024;

// A busy jockey's rides as the data server answers them: every month, many tracks, names with
// apostrophes and accents; about 100 KB, well under the test's answer limit.
QByteArray ridesAnswer()
{
    static const char *const tracks[] = {"FLEM", "RAND", "EAGL", "MORP", "ASCT", "CAUL"};
    static const char *const horses[] = {"O'REILLY'S PRIDE", "BELLE \xc3\x89POQUE", "SIR LANCELOT (NZ)", "GREEN FLASH"};
    QByteArray answer;
    for (int i = 0; i < 1200; ++i) {
        answer +=
            u"2024-%1-%2|%3|%4|%5 %6|%7|J SMITH|%8|C MAHER & D EUSTACE|VIC<br>\n"_s.arg(i % 12 + 1, 2, 10, QChar(u'0'))
                .arg(i % 28 + 1, 2, 10, QChar(u'0'))
                .arg(i % 10 + 1)
                .arg(QLatin1String(tracks[i % 6]), QString::fromUtf8(horses[i % 4]))
                .arg(i)
                .arg(i % 14 + 1)
                .arg(i % 5 == 0 ? 55000 : 1250)
                .toUtf8();
    }
    return answer;
}

} // namespace

// Whatever cuts an answer short or makes it endless, the caller gets an "Error:" answer and never a part
// of one; a whole answer in chunks still arrives whole.
void TestHttpRequest::answersThatDidNotArriveWholeFail_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("because"); // empty: the whole body is the answer
    const QByteArray rides = ridesAnswer();
    QTest::newRow("whole, in chunks") << Fault::Chunked << rides << QString();
    QTest::newRow("whole, to the close") << Fault::AtClose << rides << QString();
    QTest::newRow("shorter than its Content-Length") << Fault::ShortBody << rides << u"cut off"_s;
    QTest::newRow("chunks without the last") << Fault::UnendedChunks << rides << u"cut off"_s;
    QTest::newRow("reset mid-body") << Fault::ResetMidBody << rides << u"cut off"_s;
    QTest::newRow("endless") << Fault::Endless << rides << u"larger than 256 KB"_s;
    QTest::newRow("declared larger than the limit") << Fault::None << rides + rides + rides << u"larger than 256 KB"_s;
}

void TestHttpRequest::answersThatDidNotArriveWholeFail()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, body);
    QFETCH(QString, because);
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    server.setBody(body, fault);
    setHttpRequestTimeout(10s);
    setHttpAnswerLimit(kTestAnswerLimit);
    const QString answer = HttpRequest(server.url(u"/SQLQuery.php?sqlquery=SELECT 1"_s));
    if (because.isEmpty()) {
        QCOMPARE(answer, QString::fromUtf8(body));
    } else {
        QVERIFY2(answer.startsWith(u"Error: "_s) && answer.contains(because), qPrintable(answer.left(200)));
        QVERIFY(!answer.contains(u"<br>"_s));
    }
    QVERIFY(dialogs.messages.isEmpty());
}

// Rides are stored only from an answer that arrived whole, and a ride whose values cannot be stored is
// refused: either way the mark stays, so the next incremental download asks again and gets every ride.
void TestHttpRequest::ridesAreStoredOnlyFromWholeAnswers_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("badRide"); // sent within a whole answer
    QTest::newRow("shorter than its Content-Length") << Fault::ShortBody << QByteArray();
    QTest::newRow("reset mid-body") << Fault::ResetMidBody << QByteArray();
    QTest::newRow("chunks without the last") << Fault::UnendedChunks << QByteArray();
    QTest::newRow("endless") << Fault::Endless << QByteArray();
    QTest::newRow("cut mid-row, to the close") << Fault::CutAtClose << QByteArray();
    QTest::newRow("NUL in a name") << Fault::None
                                   << QByteArray("2024-07-13|4|RAND|NIGHT") + '\0' +
                                          "OWL|2|J SMITH|0|G WATERHOUSE|NSW<br>\n";
    QTest::newRow("impossible date") << Fault::None
                                     << QByteArray("2024-13-45|1|FLEM|DAWN RAID|1|J SMITH|0|T BUSUTTIN|VIC<br>\n");
    QTest::newRow("race number beyond 32 bits")
        << Fault::None << QByteArray("2024-11-02|99999999999|FLEM|DAWN RAID|1|J SMITH|0|T BUSUTTIN|VIC<br>\n");
    QTest::newRow("negative prize money")
        << Fault::None << QByteArray("2024-11-02|7|FLEM|DAWN RAID|1|J SMITH|-5000|T BUSUTTIN|VIC<br>\n");
    QTest::newRow("prize money 12.5.3") << Fault::None
                                        << QByteArray(
                                               "2024-11-02|7|FLEM|DAWN RAID|1|J SMITH|12.5.3|T BUSUTTIN|VIC<br>\n");
    QTest::newRow("negative place") << Fault::None
                                    << QByteArray("2024-11-02|7|FLEM|DAWN RAID|-1|J SMITH|0|T BUSUTTIN|VIC<br>\n");
    QTest::newRow("prize money beyond any")
        << Fault::None << QByteArray("2024-11-02|7|FLEM|DAWN RAID|1|J SMITH|99999999999999999999|T BUSUTTIN|VIC<br>\n");
}

void TestHttpRequest::ridesAreStoredOnlyFromWholeAnswers()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, badRide);
    TestEnvironment environment;
    environment.createDatabase();
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    FixedClock clock(QDateTime(QDate(2025, 3, 4), QTime(7, 30)));
    Clock::setInstance(&clock);
    setHttpRequestTimeout(10s);
    setHttpAnswerLimit(kTestAnswerLimit);
    cAppSettings::instance().DataServer = server.host();
    {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Jockey (Jockey, DateLastStats) VALUES ('J Smith', '2025-01-06 08:00:00')"_s);
        // A ride the server has since corrected (its prize money).
        db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, "
                "PrizeMoney) VALUES ('J SMITH', '2024-01-01', 1, 'FLEM', 'O''REILLY''S PRIDE 0', 1, 0)"_s);
    }
    const auto stored = []() -> QString {
        return queryRows(u"SELECT COUNT(*), SUM(PrizeMoney) FROM RaceStats"_s).first() + u'|' +
               queryRows(u"SELECT DateLastStats FROM Jockey"_s).first();
    };
    const QString before = stored();
    const QByteArray rides = ridesAnswer();
    server.setBody(rides + badRide, fault);

    const RideDownloadResult spoilt = DownloadJockeyRides(u"J Smith"_s, false, jockeyDownloadDates().first().since);
    if (badRide.isEmpty()) {
        QVERIFY(!spoilt.answered);
        QCOMPARE(stored(), before);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().title, u"Connection error"_s);
    } else {
        QVERIFY(spoilt.answered);
        QCOMPARE(spoilt.skipped.size(), 1);
        QCOMPARE(stored(), u"1200|14400000|2025-01-06 08:00:00"_s);
    }

    server.setBody(rides);
    const RideDownloadResult whole = DownloadJockeyRides(u"J Smith"_s, false, jockeyDownloadDates().first().since);
    QVERIFY(whole.answered && whole.skipped.isEmpty());
    QCOMPARE(stored(), u"1200|14400000|2025-03-04 07:30:00"_s);
    for (const QByteArray &request : std::as_const(server.requests))
        QVERIFY(request.contains("DateUpdated%20%3E=%20'2025-01-06%2008:00:00'"));
}

void TestHttpRequest::splitsAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("no rows") << QString() << QStringList{QString()};
    QTest::newRow("one row") << u"A|B<br>\n"_s << QStringList{u"A|B"_s, QString()};
    QTest::newRow("two rows") << u"A|<br>\n|B<br>\n"_s << QStringList{u"A|"_s, u"|B"_s, QString()};
    QTest::newRow("no final separator") << u"A<br>\nB"_s << QStringList{u"A"_s, u"B"_s};
    QTest::newRow("br alone is no separator") << u"A<br>B<br>\n"_s << QStringList{u"A<br>B"_s, QString()};
}

void TestHttpRequest::splitsAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QCOMPARE(splitAnswerRows(answer), rows);
    QCOMPARE(splitAnswerFields(u"A||C|"_s), (QStringList{u"A"_s, QString(), u"C"_s, QString()}));
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
    const QString answer = HttpRequest(server.url(u"/page"_s), u"GET"_s, {}, &shown);
    QCOMPARE(shown, isErrorPage);
    if (isErrorPage) {
        QCOMPARE(answer, QString());
        QCOMPARE(dialogs.shown(), QStringList{u"Connection error, Please Check Internet Connection|"_s +
                                              QString::fromUtf8(body).left(120)});
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
    const QString answer = HttpRequest(server.url(u"/SQLQuery.php?sqlquery=x"_s));
    QCOMPARE(answer, u"Error: %1 %2"_s.arg(status).arg(QString::fromLatin1(reason)));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestHttpRequest::refusedConnection()
{
    ScriptedDialogs dialogs;
    const QString address = u"http://127.0.0.1:%1/SQLQuery.php?sqlquery=SELECT 1"_s.arg(DataServerProcess::freePort());
    QCOMPARE(HttpRequest(address),
             u"Error: 12029 Connection to Server cannot be Established.\r"
             "Check internet Connection, the server you are connecting to may have a problem.\r"_s +
                 address.left(50));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestHttpRequest::timesOut()
{
    FixtureHttpServer server;
    server.setSilent(true);
    setHttpRequestTimeout(1000ms);
    const QString address = server.url(u"/SQLQuery.php?sqlquery=SELECT WHorse FROM WORKRACE"_s);
    QElapsedTimer elapsed;
    elapsed.start();
    const QString answer = HttpRequest(address);
    QVERIFY2(elapsed.elapsed() >= 1000 && elapsed.elapsed() < 10000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(answer, u"Error: Internert Connection has Timed out. Check internet connection. \r"
                     "May Mean Website server is down.\r"_s +
                         address.left(50));
    QCOMPARE(server.requests.size(), 1);
}

void TestHttpRequest::sendsHeadersAndBody()
{
    FixtureHttpServer server;
    server.setBody("fine");
    QCOMPARE(HttpRequest(server.url(u"/get?a=1"_s)), u"fine"_s);
    QCOMPARE(HttpRequest(server.url(u"/post"_s), u"POST"_s, u"x=1&y=two"_s), u"fine"_s);
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
        inner = HttpRequest(quick.url(u"/inner"_s));
        innerDoneFirst = outer.isEmpty();
    });
    outer = HttpRequest(slow.url(u"/outer"_s));
    QVERIFY(innerDoneFirst);
    QCOMPARE(inner, u"inner answer"_s);
    QVERIFY(outer.startsWith(u"Error: Internert Connection has Timed out."_s));
}

void TestHttpRequest::connectionErrorOfAQuery()
{
    TestEnvironment environment;
    ScriptedDialogs dialogs;
    cAppSettings::instance().DataServer = u"127.0.0.1:%1"_s.arg(DataServerProcess::freePort());
    QVERIFY(!DataServerRows(u"SELECT TrackCode FROM Track"_s).has_value());
    QCOMPARE(LookUpTrack(u"Flemington"_s), QString());
    raceShortCodes() = QStringList{u"HANDICAP|HCP"_s};
    QVERIFY(!LoadRaceShortCodes());
    QCOMPARE(raceShortCodes(), QStringList{u"HANDICAP|HCP"_s});
    QCOMPARE(dialogs.messages.size(), 3);
    for (const auto &message : dialogs.messages) {
        QCOMPARE(message.title, u"Connection error"_s);
        QVERIFY(message.text.startsWith(u"Error: 12029 Connection to Server cannot be Established.\r"_s));
        QCOMPARE(message.icon, UserDialogs::Icon::Critical);
    }
}

// A broken answer row (too few columns, no date or an impossible one, a NUL, a number too large) is refused
// without costing the other horses their form.
void TestHttpRequest::enrichmentSkipsRowsItCannotUse()
{
    TestEnvironment environment;
    environment.createDatabase();
    ScriptedDialogs dialogs;
    FixtureHttpServer server;
    cAppSettings::instance().DataServer = server.host();
    {
        Db db = OpenDb();
        for (const char *horse : {"ALPHA", "BRAVO", "CHARLIE", "DELTA", "ECHO", "FOXTROT", "GOLF"})
            db.exec(u"INSERT INTO Noms (MeetingCode, RaceNumber, Horse, LastJockey) VALUES ('0101FLEM', 1, ?, 'Old')"_s,
                    {QString::fromLatin1(horse)});
    }
    server.setBody("ALPHA|J SMITH|2024-03-16|58.5|BM.64|4|F|25000|70|1.5|1200|T WATERS|0302|1:34.56<br>\n"
                   "BRAVO|K LEE|2024-03-16|57<br>\n"
                   "CHARLIE|K LEE||57|MDN|3|C|20000|60|2.0|0|T WATERS|0101|35.00<br>\n"
                   "DELTA|M ZAHRA|2024-03-10|56|MDN|3|C|20000|61|3.0|100|P MOODY|0202|35.10<br>\n"
                   "ECHO|M ZAHRA|2024-13-45|56|MDN|3|C|20000|61|3.0|100|P MOODY|0202|35.10<br>\n"
                   "FOXTROT|M ZAHRA|2024-03-10|56|MDN|3|C|20000|61|3.0|100|P MOO" +
                   QByteArray(1, '\0') +
                   "DY|0202|35.10<br>\n"
                   "GOLF|M ZAHRA|2024-03-10|56|MDN|3|C|1e400|61|3.0|100|P MOODY|0202|35.10<br>\n");
    const HorseFormResult result = FetchHorseForm(u"0101FLEM"_s, 0);
    QVERIFY(result.answered);
    QCOMPARE(result.horsesInAnswer, 7);
    QCOMPARE(result.nomsUpdated, 2);
    QStringList skippedHorses;
    for (const QString &skipped : result.skipped)
        skippedHorses << skipped.section(u':', 0, 0);
    QCOMPARE(skippedHorses, (QStringList{u"BRAVO"_s, u"CHARLIE"_s, u"ECHO"_s, u"FOXTROT"_s, u"GOLF"_s}));

    QCOMPARE(queryRows(u"SELECT Horse, LastJockey, LastRaceClass, RSecTime FROM Noms ORDER BY Horse"_s),
             (QStringList{u"ALPHA|J Smith|BM64|34.56"_s, u"BRAVO|Old||"_s, u"CHARLIE|Old||"_s,
                          u"DELTA|M Zahra|MDN|35.1"_s, u"ECHO|Old||"_s, u"FOXTROT|Old||"_s, u"GOLF|Old||"_s}));
    QVERIFY(dialogs.messages.isEmpty());
    // The one query names each horse once, by its match key.
    QCOMPARE(server.requests.size(), 1);
    QVERIFY(server.requests.first().contains("where%20Whorse%20in%20(%20'ALPHA',%20'BRAVO',%20'CHARLIE',%20'DELTA',"));
}

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "tst_httprequest.moc"
