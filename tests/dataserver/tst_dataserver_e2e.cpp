// End-to-end tests of ostrevan-dataserver: the real program on loopback, over a database built with its own
// init / add-user / import commands from small hand-made CSV fixtures whose answers are known exactly.
// OSTREVAN_DATASERVER_BACKEND=mariadb runs the same suite with the form tables in a real MariaDB server
// started in a temporary folder, served by an account that may only SELECT the six tables.

#include "formdata/HorseForm.h"
#include "formdata/RideStatistics.h"
#include "support/DataServerProcess.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kUser = u"agent"_s;
const QString kPass = u"Derby2024"_s;

// The client's own quoting helpers: doubled single quotes, and '&' travelling as %26.
QString sqlQuote(QString s)
{
    return s.replace(u"'"_s, u"''"_s);
}

QString sqlQuoteForUrl(const QString &s)
{
    return sqlQuote(s).replace(u"&"_s, u"%26"_s);
}

QString formStatsSql(const QString &where)
{
    return u"SELECT A.*, R.*, W.WHorse as Winner, S.WHorse as 2nd, T.WHORSE  as 3rd "_s
           u" FROM WORKRACE A INNER JOIN RACEMAST R ON A.WRaceDate = R.RDate AND A.WTrack = R.RTrack AND A.WRaceNo = R.RRaceNo"_s
           u" INNER JOIN WORKRACE W ON A.WRaceDate = W.WRaceDate AND A.WRaceNo = W.WRaceNo AND A.WTrack = W.WTrack AND W.WFinPosn =1"_s
           u" LEFT OUTER JOIN WORKRACE S ON A.WRaceDate = S.WRaceDate AND A.WRaceNo = S.WRaceNo AND A.WTrack = S.WTrack AND S.WFinPosn =2"_s
           u" LEFT OUTER JOIN WORKRACE T ON A.WRaceDate = T.WRaceDate AND A.WRaceNo = T.WRaceNo AND A.WTrack = T.WTrack "_s
           u"AND T.WFinPosn =3 WHERE "_s +
           where + u" ORDER BY A.WRaceDate DESC, A.WTrack, A.WRaceNo, A.WHorse LIMIT 0,90"_s;
}

QString resultHeaderSql(const QString &date, const QString &track, const QString &raceNo)
{
    return u"SELECT MClub, MMetType, MState, RDistance, RRaceName, RClass, RSecTime, RTrCond, "_s
           u"RLimWgt, RValue FROM MEETMAST M, RACEMAST R "_s
           u"WHERE M.MDate = R.RDate AND M.MTrack = R.RTrack "_s
           u"AND RDate = '"_s +
           date + u"' "_s + u"AND RTrack = '"_s + track + u"' "_s + u"AND RRaceNo = '"_s + raceNo + u"' "_s;
}

QString resultRunnersSql(const QString &date, const QString &track, const QString &raceNo)
{
    return u"SELECT WFinPosn, WHorse, WBeatMar, WJockey, WBarPosn, WWgtChar, WApClaim, W800400, WTrainer, "_s
           u"WBookPrice, WMoneyWon, HWinAge, HWinSex, HSireWin, HDamWin "_s
           u"FROM WORKRACE W LEFT JOIN HORSMAST H ON W.WHorse = H.HHorse "_s
           u"WHERE WRaceDate = '"_s +
           date + u"' "_s + u"AND WTrack = '"_s + track + u"' "_s + u"AND WRaceNo = '"_s + raceNo + u"' "_s;
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString address(const DataServerProcess &server, const QString &sql)
{
    return u"http://"_s + server.host() + u"/SQLQuery.php?sqlquery="_s + sql + u"&username="_s + kUser +
           u"&userpass="_s + kPass;
}

// Sends GET requests the way the desktop client does (the address string handed to QUrl as it stands).
QList<QByteArray> getAll(const QStringList &addresses, int timeoutMs = 30000)
{
    QList<QByteArray> answers(addresses.size());
    std::vector<std::unique_ptr<QNetworkAccessManager>> managers;
    QEventLoop loop;
    int pending = int(addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        managers.push_back(std::make_unique<QNetworkAccessManager>());
        QNetworkRequest request{QUrl(addresses[i])};
        request.setHeader(QNetworkRequest::UserAgentHeader, u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"_s);
        QNetworkReply *reply = managers.back()->get(request);
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&answers, &pending, &loop, reply, i] {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            answers[i] =
                status == 200 ? reply->readAll() : "HTTP " + QByteArray::number(status) + ' ' + reply->readAll();
            reply->deleteLater();
            if (--pending == 0)
                loop.quit();
        });
    }
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return answers;
}

QByteArray get(const QString &address)
{
    return getAll({address}).value(0);
}

const bool kMariaDb = qgetenv("OSTREVAN_DATASERVER_BACKEND") == "mariadb";
const QString kTables[] = {u"Track"_s, u"RaceShortCode"_s, u"MEETMAST"_s, u"RACEMAST"_s, u"HORSMAST"_s, u"WORKRACE"_s};

// A private MariaDB server on a free port, with a loading account and a serving account.
class MariaDbInstance
{
public:
    QString start(const QString &dir)
    {
        m_dir = dir;
        QTcpServer probe; // a free port
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
        probe.close();
        QProcess install;
        install.start(u"mariadb-install-db"_s, {u"--no-defaults"_s, u"--auth-root-authentication-method=normal"_s,
                                                u"--user=root"_s, u"--datadir="_s + dir + u"/data"_s});
        if (!install.waitForFinished(120000) || install.exitCode() != 0)
            return u"mariadb-install-db failed (is mariadb-server-core installed?): "_s +
                   install.readAllStandardError();
        if (!launch())
            return u"mariadbd did not start: "_s + QString::fromUtf8(server.readAllStandardError());
        return sql(u"DROP USER IF EXISTS ''@'localhost'; CREATE DATABASE form; "
                   u"CREATE USER loader@'%' IDENTIFIED BY 'load-pw'; GRANT ALL ON form.* TO loader@'%'; "
                   u"CREATE USER reader@'%' IDENTIFIED BY 'read-pw';"_s);
    }

    bool launch()
    {
        server.start(u"/usr/sbin/mariadbd"_s,
                     {u"--no-defaults"_s, u"--user=root"_s, u"--datadir="_s + m_dir + u"/data"_s,
                      u"--socket="_s + m_dir + u"/sock"_s, u"--port="_s + QString::number(port),
                      u"--bind-address=127.0.0.1"_s, u"--max-allowed-packet=256K"_s});
        for (int i = 0; i < 100; ++i) {
            if (sql(u"SELECT 1"_s).isEmpty())
                return true;
            QTest::qWait(200);
        }
        return false;
    }

    void stop()
    {
        server.terminate();
        server.waitForFinished(30000);
    }

    // Runs statements as root; empty on success, else the error output. `out` gets the rows.
    QString sql(const QString &statements, QByteArray *out = nullptr)
    {
        QProcess p;
        p.start(u"mariadb"_s,
                {u"--no-defaults"_s, u"-uroot"_s, u"--socket="_s + m_dir + u"/sock"_s, u"-N"_s, u"-e"_s, statements});
        p.waitForFinished(30000);
        if (out)
            *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
                   ? QString()
                   : QString::fromUtf8(p.readAllStandardError() + "?");
    }

    QString address(const QString &account) const
    {
        return u"mariadb://"_s + account + u"@127.0.0.1:"_s + QString::number(port) + u"/form"_s;
    }

    // Through the local socket, as a server on the database's own host would connect.
    QString socketAddress(const QString &account) const
    {
        return u"mariadb://"_s + account + u"@localhost/form?socket="_s + m_dir + u"/sock"_s;
    }

    QProcess server;
    int port = 0;

private:
    QString m_dir;
};

} // namespace

class TestDataServerE2e : public QObject
{
    Q_OBJECT

private:
    int runAdmin(const QStringList &args, const QByteArray &input = {}, QByteArray *errors = nullptr)
    {
        QProcess p;
        p.start(QString::fromUtf8(DATASERVER_PATH), args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        if (errors)
            *errors = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QString fixture(const QString &name) const { return QString::fromUtf8(DATASERVER_FIXTURES) + u"/"_s + name; }

    // The form tables' fingerprint: the file's hash, or MariaDB's table checksums.
    QByteArray formState()
    {
        if (!kMariaDb)
            return fileHash(m_db);
        QByteArray out;
        m_maria.sql(u"CHECKSUM TABLE form.WORKRACE, form.RACEMAST, form.HORSMAST, form.MEETMAST, form.Track, "
                    u"form.RaceShortCode EXTENDED"_s,
                    &out);
        return out;
    }

    QTemporaryDir m_dir;
    MariaDbInstance m_maria;
    QString m_db = m_dir.filePath(u"form.db"_s); // SQLite: the form tables and the users; MariaDB: the users
    QByteArray m_dbHashBefore;
    DataServerProcess m_server{m_db}; // generous caps, 1 s time limit
    DataServerProcess m_capped{m_db}; // 10 rows, 1 KiB

private slots:
    void initTestCase()
    {
        QString failure = m_server.build(QString::fromUtf8(DATASERVER_FIXTURES), kUser, kPass);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QStringList users;
        if (kMariaDb) {
            failure = m_maria.start(m_dir.filePath(u"maria"_s));
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            DataServerProcess loader(m_maria.address(u"loader:load-pw"_s));
            QCOMPARE(loader.admin({u"init"_s}), QString());
            for (const QString &name : kTables)
                QCOMPARE(loader.admin({u"import"_s, name, fixture(name + u".csv"_s)}), QString());
            for (const QString &name : kTables) // the README's grants: nothing but SELECT on the six tables
                QCOMPARE(m_maria.sql(u"GRANT SELECT ON form."_s + name + u" TO reader@'%'"_s), QString());
            // ... and wider ones the server's own check must hold against.
            QCOMPARE(
                m_maria.sql(
                    u"CREATE TABLE form.secret_notes (Note TEXT); INSERT INTO form.secret_notes VALUES ('pin 4321'); "
                    u"GRANT SELECT ON form.secret_notes TO reader@'%'; GRANT FILE ON *.* TO reader@'%'"_s),
                QString());
            m_server.setDatabase(m_maria.socketAddress(u"reader:read-pw"_s));
            m_capped.setDatabase(m_maria.address(u"reader:read-pw"_s));
            users = QStringList{u"--users"_s, m_db};
        }
        if (!kMariaDb) { // a table beside the form tables, that no query may read
            QSqlDatabase sql = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"notes"_s);
            sql.setDatabaseName(m_db);
            QVERIFY(sql.open());
            QVERIFY(QSqlQuery(u"CREATE TABLE secret_notes (Note TEXT)"_s, sql).isActive());
            sql.close();
        }
        QSqlDatabase::removeDatabase(u"notes"_s);
        m_dbHashBefore = formState();
        // The concurrent clients below are all one account at one address: its caps stand aside for them.
        const QStringList uncapped = {u"--max-queries-per-user"_s, u"64"_s, u"--max-queries-per-address"_s, u"64"_s};
        QVERIFY(
            m_server.start(users + uncapped + QStringList{u"--threads"_s, u"4"_s, u"--query-timeout-ms"_s, u"3000"_s}));
        QVERIFY(m_capped.start(users + QStringList{u"--max-rows"_s, u"10"_s, u"--max-bytes"_s, u"1024"_s}));
    }

    void cleanupTestCase()
    {
        QCOMPARE(m_capped.stop(), 0);
        QCOMPARE(m_server.stop(), 0); // SIGTERM is a clean shutdown
        QVERIFY(m_server.log().contains("stopped"));
        QVERIFY2(!m_server.log().contains(kPass.toUtf8()), "the access log must never show a password");
        QCOMPARE(formState(), m_dbHashBefore); // serving never writes the database
        if (kMariaDb)
            m_maria.stop();
    }

    void answerFormat_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("no rows") << u"SELECT TrackCode FROM Track WHERE TrackLocat = 'NOWHERE'"_s << QByteArray();
        QTest::newRow("null is empty, dates as stored")
            << u"SELECT HHorse, HDob, HSireWin, HDamWin FROM HORSMAST WHERE HHorse = 'DARK STAR'"_s
            << QByteArray("DARK STAR|2017-11-11||STARLIGHT<br>\n");
        QTest::newRow("date-time, integer, real")
            << u"SELECT DateUpdated, WRaceNo, WWgtChar, WBeatMar FROM WORKRACE WHERE WHorse = 'BLUE MOON' AND WRaceDate = '2024/01/06'"_s
            << QByteArray("2024-01-07 09:00:00|1|56|2.25<br>\n");
        QTest::newRow("decimal keeps its scale")
            << u"SELECT CAST(2 AS DECIMAL(5,2)), CAST(0.05 AS DECIMAL(3,1)), CAST(-2.25 AS DECIMAL(4,1)), CAST(NULL AS DECIMAL(3,1))"_s
            << QByteArray("2.00|0.1|-2.3|<br>\n");
        QTest::newRow("decimal of a real rounds its shortest digits")
            << u"SELECT CAST(3.95e0 AS DECIMAL(3,1)), CAST(AVG(WBeatMar) AS DECIMAL(4,2)) FROM WORKRACE WHERE WBeatMar < 'A'"_s
            << QByteArray("4.0|4.80<br>\n");
        QTest::newRow("aggregate real without .0")
            << u"SELECT Max(RLimWgt), Min(RLimWgt), Avg(RStarters) FROM RACEMAST"_s << QByteArray("58|54.5|3.75<br>\n");
        QTest::newRow("several rows, text order ignores case")
            << u"SELECT HHorse FROM HORSMAST WHERE HHorse > 'g' ORDER BY HHorse Limit 3"_s
            << QByteArray("GREEN FLASH<br>\nGreen Valley<br>\nGREENWOOD<br>\n");
        QTest::newRow("plus is a blank, %2B a plus") << u"SELECT+1%2B2,+'a+b'"_s << QByteArray("3|a b<br>\n");
        QTest::newRow("mysql helpers")
            << u"SELECT CONCAT(HHorse,'/',HWinSex), LEFT(HHorse,3), RIGHT(HHorse,4), UCASE('ab'), IF(HWinAge > 4,'old','young') FROM HORSMAST WHERE HHorse = 'green flash'"_s
            << QByteArray("GREEN FLASH/G|GRE|LASH|AB|old<br>\n");
        QTest::newRow("last ten runs, one horse at a time")
            << u"SELECT HHorse, (SELECT AVG(WMoneyWon) FROM WORKRACE WHERE WHorse = H.HHorse ORDER BY WRaceDate DESC "
               u"LIMIT 10) FROM HORSMAST H WHERE HHorse = 'RED ROVER'"_s
            << QByteArray("RED ROVER|2400<br>\n");
        // The oldest run joined beside the last ten: its date is not the newest of the ten, unlike the enrichment's.
        QTest::newRow("first run beside the last ten")
            << u"SELECT W.WHorse, W.WRaceDate, (SELECT AVG(WMoneyWon) FROM WORKRACE WHERE WHorse = W.WHorse ORDER BY "
               u"WRaceDate DESC LIMIT 10) FROM WORKRACE W JOIN (SELECT WHorse, Min(WRaceDate) AS FirstDate FROM "
               u"WORKRACE WHERE WHorse IN ('RED ROVER', 'GREEN FLASH') GROUP BY WHorse) AS j ON W.WHorse = j.WHorse "
               u"AND W.WRaceDate = FirstDate ORDER BY W.WHorse"_s
            << QByteArray("GREEN FLASH|2024-01-06|16750<br>\nRED ROVER|2022-03-01|2400<br>\n");
        QTest::newRow("mysql operators, blanks only equal empty")
            << u"SELECT NULL<=>NULL, 1<=>NULL, 1||0, 0&&1, '  ' = ''"_s << QByteArray("1|0|1|0|1<br>\n");
    }

    void answerFormat()
    {
        QFETCH(QString, sql);
        QFETCH(QByteArray, expected);
        QCOMPARE(get(address(m_server, sql)), expected);
    }

    // Every query text the client sends: its own builders where the client has them, else built as it builds them.
    void clientQueries_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("track by location")
            << u"SELECT TrackCode, TrackClub, State, MeetType FROM Track WHERE TrackLocat = '"_s +
                   sqlQuoteForUrl(u"King's Park"_s.toUpper()) + u"'"_s
            << QByteArray("KPRK|Kings Park Club, Turf & Co|WA|P<br>\n");
        QTest::newRow("race short codes") << u"SELECT RaceTerm, ShtTerm FROM RaceShortCode"_s
                                          << QByteArray("HANDICAP|HCP<br>\nMAIDEN|MDN<br>\nBENCHMARK|BM<br>\n");
        // Averages over exactly the last ten runs: RED ROVER's two old runs (DIS, 30 lengths, $100,000) fall
        // outside, and so does its ARAT run (DIS, $50,000), tied on date with its tenth: ties go by track, then race.
        QTest::newRow("enrichment")
            << horseFormSql({u"GREEN FLASH"_s, u"RED ROVER"_s, u"NOSUCH HORSE"_s, u"BLUE MOON "_s, u"DARK STAR"_s})
            << QByteArray(
                   "BLUE MOON|L NGUYEN|2024-03-16|55|GRP1|4|F|1000000|66|8.8|4167|P MOODY|0909|35.20<br>\n"
                   "DARK STAR|L NGUYEN|2024-05-20|54|CL.1|7|G|25000|61|10.4|2000|P MOODY|0302|33.75<br>\n"
                   "GREEN FLASH|K O'BRIEN|2024-05-20|60|CL.1|5|G|25000|77|1.1|16750|T WATERS|0606|33.75<br>\n"
                   "RED ROVER|K O'BRIEN|2024-02-10|57|BM70|6|G|80000|70|1.8|2400|SMITH & JONES|0606|36.05<br>\n");
        QTest::newRow("jockey rides, since")
            << jockeyRidesSql(u"K O'Brien"_s, false, QDateTime(QDate(2024, 3, 17), QTime(8, 0)))
            << QByteArray("2024-03-16|2|RAND|SILVER ARROW|1|K O'BRIEN|60000|SMITH & JONES|NSW<br>\n"
                          "2024-05-20|5|BALL|GREEN FLASH|3|K O'BRIEN|2000|T WATERS|VIC<br>\n");
        QTest::newRow("result header, date as yyyy/mm/dd")
            << resultHeaderSql(u"2024/05/20"_s, u"BALL"_s, u"5"_s)
            << QByteArray("Ballarat Turf Club||VIC|1000|CLASS 1 HANDICAP|CL.1|33.75|D|58|25000<br>\n");
        QTest::newRow("result runners, horse without record")
            << resultRunnersSql(u"2024/05/20"_s, u"BALL"_s, u"5"_s)
            << QByteArray("1|EVERGREEN|WON|J SMITH|2|58||0101|SMITH & JONES|2.1|12000|4|M|EVERMORE|GREENIE<br>\n"
                          "2|DARK STAR|0.8|L NGUYEN|4|54|3|0302|P MOODY|9|4000|7|G||STARLIGHT<br>\n"
                          "3|GREEN FLASH|1.2|K O'BRIEN|6|60||0606|T WATERS|1.9|2000|5|G|FLASHY|GREEN LADY<br>\n"
                          "4|UNKNOWN HORSE|2|M ZAHRA|5|53|||P MOODY|50|0||||<br>\n");
        // The search window appends the credentials to its SQL itself; the transport then adds them again.
        QTest::newRow("horse search") << u"SELECT * From HORSMAST where Instr(HHORSE,'"_s +
                                             sqlQuoteForUrl(u"green"_s.toUpper()) +
                                             u"') and hWinage > 0 order by HWinAge, hhorse LIMIT 0,30 &username="_s +
                                             kUser + u"&userpass="_s + kPass
                                      << QByteArray("EVERGREEN|2020-08-15|EVERMORE|GREENIE|4|M|SMITH & JONES<br>\n"
                                                    "Green Valley|2020-01-01|VALLEY|GREENISH|4|M|P MOODY<br>\n"
                                                    "GREEN FLASH|2019-09-01|FLASHY|GREEN LADY|5|G|T WATERS<br>\n");
        QTest::newRow("jockey picker") << u"SELECT WJockey From WORKRACE where INSTR(WJockey,'"_s + u"SMITH"_s +
                                              u"') Group by WJockey"_s
                                       << QByteArray("J SMITH<br>\n");
    }

    void clientQueries()
    {
        QFETCH(QString, sql);
        QFETCH(QByteArray, expected);
        const QByteArray answer = get(address(m_server, sql));
        QCOMPARE(answer, expected); // in the same order on both backends
    }

    // The statistics window reads the answer by position: A.* (16), R.* (20), then the placegetters.
    void formStatistics_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstRow");
        const QString raceD =
            u"2024-05-20|5|GREEN FLASH|BALL|60||1.2|K O'BRIEN|2000|6|3|1.9|77|0606|2024-05-21 07:30:00|"
            u"T WATERS|2024-05-20|BALL|5||1000|F|D|CL.1|CLASS 1 HANDICAP|HCP|TURF||58|4|25000|16:20|"
            u"0:59.90|||33.75|EVERGREEN|DARK STAR|GREEN FLASH"_s;
        QTest::newRow("horse") << u"A.WHorse= '"_s + u"GREEN FLASH"_s + u"'"_s << 5 << raceD;
        QTest::newRow("horse/jockey") << u"A.WHorse= 'GREEN FLASH'and A.WJockey in ( 'K O''BRIEN')"_s << 1 << raceD;
        QTest::newRow("trainer with ampersand")
            << u"(A.WTrainer = '"_s + sqlQuoteForUrl(u"SMITH & JONES"_s) + u"')"_s << 7
            << u"2024-05-20|5|EVERGREEN|BALL|58||WON|J SMITH|12000|2|1|2.1|70|0101|2024-05-21 07:30:00|SMITH & JONES|"
               u"2024-05-20|BALL|5||1000|F|D|CL.1|CLASS 1 HANDICAP|HCP|TURF||58|4|25000|16:20|0:59.90|||33.75|"
               u"EVERGREEN|DARK STAR|GREEN FLASH"_s;
    }

    void formStatistics()
    {
        QFETCH(QString, where);
        QFETCH(int, rows);
        QFETCH(QString, firstRow);
        const QString answer = QString::fromUtf8(get(address(m_server, formStatsSql(where))));
        QStringList lines = answer.split(u"<br>\n"_s);
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), rows);
        QCOMPARE(lines.first(), firstRow);
        for (const QString &line : std::as_const(lines))
            QCOMPARE(line.split(u'|').size(), 39);
    }

    void formStatisticsDeadHeat()
    {
        // Two winners: the run appears once per winner, with no second placegetter.
        const QString answer = QString::fromUtf8(get(address(m_server, formStatsSql(u"A.WHorse= 'RED ROVER'"_s))));
        const QStringList lines = answer.split(u"<br>\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3); // its SAND runs have no race record
        QStringList deadHeat = {lines[0].section(u'|', 36), lines[1].section(u'|', 36)};
        deadHeat.sort();
        QCOMPARE(deadHeat, (QStringList{u"EVERGREEN||RED ROVER"_s, u"GREEN FLASH||RED ROVER"_s}));
        QCOMPARE(lines[2].section(u'|', 36), u"GREEN FLASH|RED ROVER|BLUE MOON"_s);
    }

    void guard_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expectedStart");
        const QString refused = u"Error: statement refused"_s;
        QTest::newRow("insert") << u"INSERT INTO Track VALUES ('X','X','X','X','X')"_s << refused;
        QTest::newRow("update") << u"UPDATE WORKRACE SET WFinPosn = 1"_s << refused;
        QTest::newRow("attach") << u"ATTACH DATABASE '/tmp/other.db' AS other"_s << refused;
        QTest::newRow("pragma") << u"PRAGMA table_info(WORKRACE)"_s << refused;
        QTest::newRow("pragma function") << u"SELECT * FROM pragma_table_info('WORKRACE')"_s << u"Error:"_s;
        QTest::newRow("transaction") << u"BEGIN"_s << refused;
        QTest::newRow("vacuum into") << u"VACUUM INTO '/tmp/copy.db'"_s << refused;
        QTest::newRow("users table") << u"SELECT * FROM ServerUsers"_s << refused;
        QTest::newRow("users table via cte")
            << u"WITH u AS (SELECT Name FROM ServerUsers) SELECT * FROM u"_s << refused;
        const QString reader = kMariaDb ? u"LOAD_FILE"_s : u"load_extension"_s; // a function each engine has
        QTest::newRow("cte named after a function")
            << u"WITH "_s + reader + u" AS (SELECT 1) SELECT "_s + reader + u"('/etc/hostname')"_s << refused;
        QTest::newRow("cte name outside its query")
            << u"SELECT * FROM secret_notes WHERE EXISTS (WITH secret_notes AS (SELECT 1) SELECT 1 FROM secret_notes)"_s
            << refused;
        QTest::newRow("sqlite_master") << u"SELECT name FROM sqlite_master"_s << refused;
        QTest::newRow("load_extension") << u"SELECT load_extension('/tmp/evil.so')"_s << refused;
        QTest::newRow("two statements") << u"SELECT 1; DELETE FROM Track"_s << refused;
        QTest::newRow("writable cte") << u"WITH x AS (SELECT 1) DELETE FROM Track"_s << refused;
        QTest::newRow("randomblob") << u"SELECT length(randomblob(500000000))"_s << refused;
        QTest::newRow("printf") << u"SELECT printf('%.*c', 100000000, 'x')"_s << refused;
        QTest::newRow("huge replace")
            << u"SELECT replace(replace(replace(replace(replace(replace('xxxxxxxxxx','x','xxxxxxxxxx'),"
               u"'x','xxxxxxxxxx'),'x','xxxxxxxxxx'),'x','xxxxxxxxxx'),'x','xxxxxxxxxx'),'x','xxxxxxxxxx')"_s
            << u"Error: string or blob too big"_s;
        QTest::newRow("never-ending cte")
            << u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x%2B1 FROM c) SELECT count(*) FROM c"_s
            << u"Error: time limit"_s;
        QTest::newRow("cross join")
            << u"SELECT count(*) FROM WORKRACE a, WORKRACE b, WORKRACE c, WORKRACE d, WORKRACE e, WORKRACE f"_s
            << u"Error: time limit"_s;
        QTest::newRow("bare current_user")
            << u"SELECT CURRENT_USER FROM Track"_s << u"Error: no such column: CURRENT_USER"_s;
        QTest::newRow("group_concat past the value bound")
            << u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x%2B1 FROM c WHERE x < 6000) "
               "SELECT length(group_concat('"_s +
                   QString(200, u'x') + u"')) FROM c"_s
            << u"Error: string or blob too big"_s;
        QTest::newRow("syntax") << u"SELEC * FROM Track"_s << u"Error: near \"SELEC\": syntax error"_s;
    }

    void guard()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expectedStart);
        QElapsedTimer timer;
        timer.start();
        const QString answer = QString::fromUtf8(get(address(m_server, sql)));
        QVERIFY2(answer.startsWith(expectedStart), qPrintable(answer));
        QVERIFY2(answer.count(u'\n') == 1, "an error is one line");
        QVERIFY(timer.elapsed() < 5000);
        // The server keeps serving and nothing changed.
        QCOMPARE(get(address(m_server, u"SELECT count(*) FROM Track"_s)), QByteArray("4<br>\n"));
    }

    void credentials_data()
    {
        QTest::addColumn<QString>("query"); // everything after "?"
        QTest::addColumn<QString>("expectedStart");
        QTest::newRow("good") << u"sqlquery=SELECT 7&username=agent&userpass=Derby2024"_s << u"7<br>"_s;
        QTest::newRow("wrong password") << u"sqlquery=SELECT 7&username=agent&userpass=derby2024"_s
                                        << u"Error: bad user name or password"_s;
        QTest::newRow("unknown user") << u"sqlquery=SELECT 7&username=nobody&userpass=Derby2024"_s
                                      << u"Error: bad user name or password"_s;
        QTest::newRow("no password") << u"sqlquery=SELECT 7&username=agent"_s << u"Error: missing parameter userpass"_s;
        QTest::newRow("no query") << u"username=agent&userpass=Derby2024"_s << u"Error: missing parameter sqlquery"_s;
        QTest::newRow("blank query") << u"sqlquery=%20%20&username=agent&userpass=Derby2024"_s
                                     << u"Error: missing parameter sqlquery"_s;
        QTest::newRow("raw ampersand in literal")
            << u"sqlquery=SELECT count(*) FROM WORKRACE WHERE WTrainer = 'SMITH & JONES'&username=agent&userpass=Derby2024"_s
            << u"16<br>"_s;
        QTest::newRow("stray percent") << u"sqlquery=SELECT '100%'&username=agent&userpass=Derby2024"_s
                                       << u"100%<br>"_s;
        QTest::newRow("not utf-8") << u"sqlquery=SELECT '%FF%FE'&username=agent&userpass=Derby2024"_s
                                   << u"Error: the request is not valid UTF-8"_s;
        QTest::newRow("nul") << u"sqlquery=SELECT 1%00; DROP TABLE Track&username=agent&userpass=Derby2024"_s
                             << u"Error: the query text holds a NUL character"_s;
    }

    void credentials()
    {
        QFETCH(QString, query);
        QFETCH(QString, expectedStart);
        const QString address = u"http://"_s + m_server.host() + u"/SQLQuery.php?"_s + query;
        const QString answer = QString::fromUtf8(get(address));
        QVERIFY2(answer.startsWith(expectedStart), qPrintable(answer));
    }

    void caps_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expectedStart");
        QTest::newRow("within caps") << u"SELECT count(*) FROM WORKRACE"_s << u"26<br>"_s;
        QTest::newRow("too many rows") << u"SELECT WHorse FROM WORKRACE"_s << u"Error: too many rows"_s;
        QTest::newRow("too many bytes")
            << u"SELECT A.*, R.* FROM WORKRACE A JOIN RACEMAST R ON A.WRaceDate = R.RDate LIMIT 9"_s
            << u"Error: answer too large"_s;
    }

    void caps()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expectedStart);
        const QString answer = QString::fromUtf8(get(address(m_capped, sql)));
        QVERIFY2(answer.startsWith(expectedStart), qPrintable(answer));
    }

    void concurrentClients()
    {
        const QString enrichment = address(m_server, horseFormSql({u"GREEN FLASH"_s, u"RED ROVER"_s}));
        const QByteArray expected = get(enrichment);
        QVERIFY(expected.startsWith("GREEN FLASH|"));
        QStringList addresses;
        addresses << address(
            m_server, u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x%2B1 FROM c) SELECT count(*) FROM c"_s);
        for (int i = 0; i < 20; ++i)
            addresses << enrichment;
        QElapsedTimer timer;
        timer.start();
        const QList<QByteArray> answers = getAll(addresses);
        QVERIFY(timer.elapsed() < 20000);
        QVERIFY2(answers[0].startsWith("Error: time limit"), answers[0].constData());
        for (int i = 1; i < answers.size(); ++i)
            QCOMPARE(answers[i], expected);
    }

    void hostileRequests()
    {
        // Longer than the request head the server keeps for a connection.
        const QString huge = u"SELECT '"_s + QString(40000, u'x') + u"'"_s;
        QVERIFY(get(address(m_server, huge)).startsWith("HTTP 414"));
        QVERIFY(get(u"http://"_s + m_server.host() + u"/index.php"_s).startsWith("HTTP 404 Error:"));

        // Garbage on the socket gets an answer or a closed connection, never a dead server.
        for (const QByteArray &junk : {QByteArray("GARBAGE\r\n\r\n"), QByteArray("\xff\xfe\x00\x01\r\n\r\n", 8),
                                       QByteArray("GET /SQLQuery.php?sqlquery=SELECT%201 HTTP/1.1\r\nHost: x\r\n")}) {
            QTcpSocket socket;
            socket.connectToHost(u"127.0.0.1"_s, m_server.port());
            QVERIFY(socket.waitForConnected(3000));
            socket.write(junk);
            socket.waitForBytesWritten(1000);
            socket.waitForReadyRead(300);
            socket.abort();
        }
        QCOMPARE(get(address(m_server, u"SELECT count(*) FROM RaceShortCode"_s)), QByteArray("3<br>\n"));
    }

    // A provider's price written as money loads as the same number on both backends.
    void importReadsMoney()
    {
        QFile csv(m_dir.filePath(u"money.csv"_s));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("WRaceDate,WRaceNo,WHorse,WTrack,WBookPrice\n2024-02-03,1,MONEY PENNY,FLEM,$4.50\n"
                  "2024-02-03,1,RICH LASS,FLEM,\"$1,250\"\n2024-02-03,1,SHORT ODDS,FLEM,1.85\n");
        csv.close();
        QByteArray stored;
        if (kMariaDb) {
            DataServerProcess loader(m_maria.address(u"loader:load-pw"_s));
            QCOMPARE(loader.admin({u"import"_s, u"WORKRACE"_s, csv.fileName()}), QString());
            QCOMPARE(
                m_maria.sql(u"SELECT WBookPrice FROM form.WORKRACE WHERE WRaceDate = '2024-02-03' ORDER BY WHorse"_s,
                            &stored),
                QString());
            QCOMPARE(m_maria.sql(u"DELETE FROM form.WORKRACE WHERE WRaceDate = '2024-02-03'"_s), QString());
        } else {
            const QString db = m_dir.filePath(u"money.db"_s);
            QCOMPARE(runAdmin({u"import"_s, u"WORKRACE"_s, csv.fileName(), u"--db"_s, db}), 0);
            {
                QSqlDatabase sql = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"money"_s);
                sql.setDatabaseName(db);
                QVERIFY(sql.open());
                QSqlQuery q(u"SELECT WBookPrice FROM WORKRACE ORDER BY WHorse"_s, sql);
                while (q.next())
                    stored += q.value(0).toString().toUtf8() + '\n';
            }
            QSqlDatabase::removeDatabase(u"money"_s);
        }
        QCOMPARE(stored, QByteArray("4.5\n1250\n1.85\n"));
    }

    void mariaDbGoesAwayAndComesBack()
    {
        if (!kMariaDb)
            QSKIP("MariaDB backend only");
        const QString form = address(m_server, horseFormSql({u"GREEN FLASH"_s, u"RED ROVER"_s}));
        const QByteArray expected = get(form);
        // A second process on the same database and the same port: the kernel shares the connections out,
        // and every answer is the one a single process gives.
        const QStringList queries = {form, address(m_server, resultRunnersSql(u"2024/05/20"_s, u"BALL"_s, u"5"_s)),
                                     address(m_server, u"SELECT TrackCode FROM Track ORDER BY TrackCode"_s)};
        QList<QByteArray> single;
        for (const QString &query : queries)
            single << get(query);
        DataServerProcess second(m_maria.address(u"reader:read-pw"_s));
        QVERIFY(second.start(
            {u"--users"_s, m_db, u"--max-queries-per-user"_s, u"64"_s, u"--max-queries-per-address"_s, u"64"_s},
            m_server.port()));
        QStringList mixed;
        for (int i = 0; i < 30; ++i)
            mixed << queries[i % 3];
        const QList<QByteArray> answers = getAll(mixed);
        for (int i = 0; i < answers.size(); ++i)
            QCOMPARE(answers[i], single[i % 3]);
        QVERIFY(second.log().contains(" ok\n")); // it did serve some of them
        QCOMPARE(second.stop(), 0);              // stopping one loses nothing
        QCOMPARE(get(form), expected);
        m_maria.stop();
        QVERIFY(get(form).startsWith("Error: form database unavailable"));
        QVERIFY(m_maria.launch());
        QCOMPARE(get(form), expected);
    }

    void importBadRowImportsNothing()
    {
        const QString db = m_dir.filePath(u"import.db"_s);
        QCOMPARE(runAdmin({u"init"_s, u"--db"_s, db}), 0);
        QCOMPARE(runAdmin({u"import"_s, u"WORKRACE"_s, fixture(u"WORKRACE.csv"_s), u"--db"_s, db}), 0);
        QByteArray errors;
        QCOMPARE(runAdmin({u"import"_s, u"WORKRACE"_s, fixture(u"WORKRACE_badrow.csv"_s), u"--db"_s, db}, {}, &errors),
                 1);
        QVERIFY2(errors.contains("line 5: WRaceNo \"x3\" is not a whole number"), errors.constData());
        QVERIFY(errors.contains("nothing imported"));
        QCOMPARE(runAdmin({u"import"_s, u"NOSUCH"_s, fixture(u"Track.csv"_s), u"--db"_s, db}, {}, &errors), 2);
        QCOMPARE(runAdmin({u"import"_s, u"Track"_s, fixture(u"WORKRACE.csv"_s), u"--db"_s, db}, {}, &errors), 1);
        QVERIFY2(errors.contains("line 1: Track has no column \"WRaceDate\""), errors.constData());
        {
            QSqlDatabase sql = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
            sql.setDatabaseName(db);
            QVERIFY(sql.open());
            QSqlQuery q(u"SELECT count(*), count(DISTINCT WHorse) FROM WORKRACE"_s, sql);
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 26);
            QCOMPARE(q.value(1).toInt(), 7);
            QSqlQuery idx(u"SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'WORKRACE'"_s, sql);
            QVERIFY(idx.next());
            QVERIFY(idx.value(0).toInt() >= 4);
        }
        QSqlDatabase::removeDatabase(u"check"_s);
        if (kMariaDb) { // SQLite keeps a price such as "4.6F" as text; a MariaDB number column cannot
            QFile csv(m_dir.filePath(u"price.csv"_s));
            QVERIFY(csv.open(QIODevice::WriteOnly));
            csv.write("WRaceDate,WRaceNo,WHorse,WTrack,WBookPrice\n2024-01-06,1,NEW HORSE,FLEM,4.6F\n");
            csv.close();
            const QByteArray before = formState();
            const QString failure = DataServerProcess(m_maria.address(u"loader:load-pw"_s))
                                        .admin({u"import"_s, u"WORKRACE"_s, csv.fileName()});
            QVERIFY2(failure.contains("WBookPrice \"4.6F\" in data row 1 is not a number; nothing imported"),
                     qPrintable(failure));
            QCOMPARE(formState(), before);
        }
    }

    // A database filled by other means than init lacks the indexes the statistics need: serve names each
    // one and init as the remedy; init builds them without touching a row, and the warning is gone.
    void missingIndexesNamedAtStart()
    {
        QVERIFY(!m_server.log().contains("lacks indexes"));
        QString db = m_dir.filePath(u"noindex.db"_s), loaderDb = db;
        QStringList users;
        if (kMariaDb) {
            db = m_maria.socketAddress(u"reader:read-pw"_s);
            loaderDb = m_maria.address(u"loader:load-pw"_s);
            users = QStringList{u"--users"_s, m_db};
            QCOMPARE(
                m_maria.sql(u"DROP INDEX WorkraceJockeyForm ON form.WORKRACE; DROP INDEX TrackCode ON form.Track"_s),
                QString());
        } else {
            QVERIFY(QFile::copy(m_db, db));
            QSqlDatabase sql = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"noindex"_s);
            sql.setDatabaseName(db);
            QVERIFY(sql.open());
            QVERIFY(QSqlQuery(u"DROP INDEX WorkraceJockeyForm"_s, sql).isActive());
            QVERIFY(QSqlQuery(u"DROP INDEX TrackCode"_s, sql).isActive());
            sql.close();
        }
        QSqlDatabase::removeDatabase(u"noindex"_s);
        const QByteArray before = formState();
        for (const bool afterInit : {false, true}) {
            if (afterInit)
                QCOMPARE(DataServerProcess(loaderDb).admin({u"init"_s}), QString());
            DataServerProcess server(db);
            QVERIFY(server.start(users));
            QCOMPARE(get(address(server, u"SELECT count(*) FROM Track"_s)), QByteArray("4<br>\n"));
            QCOMPARE(server.stop(), 0);
            const QByteArray log = server.log();
            QCOMPARE(log.contains("lacks indexes"), !afterInit);
            QCOMPARE(log.contains("WORKRACE (WJockey, WRaceDate DESC, WTrack, WRaceNo, WHorse)"), !afterInit);
            QCOMPARE(log.contains("Track (TrackCode)"), !afterInit);
            QCOMPARE(log.contains("ostrevan-dataserver init --db"), !afterInit);
            QVERIFY2(!log.contains("read-pw"), "the warning names the database without its password");
        }
        QCOMPARE(formState(), before);
    }
};

QTEST_GUILESS_MAIN(TestDataServerE2e)
#include "tst_dataserver_e2e.moc"
