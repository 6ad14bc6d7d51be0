// Form data against the real data server on loopback, over the hand-made tables in fixtures/formdata.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "app/BackgroundJob.h"
#include "app/RideRefresh.h"
#include "core/Clock.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"
#include "people/JockeyRecord.h"
#include "roster/ManagedJockeys.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), u"yyyy-MM-dd HH:mm:ss"_s);
}

} // namespace

class TestFormDataE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void queriesTravelIntact_data();
    void queriesTravelIntact();
    void serverErrorsAreShownOnce();
    void enrichesMeetingOrRace_data();
    void enrichesMeetingOrRace();
    void bestPositionColumns();
    void fullDownloadWritesOnlyChanges_data();
    void fullDownloadWritesOnlyChanges();
    void incrementalDownloadUpdatesInPlace();
    void longIncrementalAnswerWritesOnlyChanges();
    void connectionErrorChangesNothing();
    void rideRefreshInTheBackground_data();
    void rideRefreshInTheBackground();
    void renamedJockeyDownloadsWhole();
    void backslashNameRoundTrips();
    void ridesOverTls_data();
    void ridesOverTls();

private:
    void writeServer(const QString &sql);
    void addNom(const QString &meeting, int race, const QString &horse);

    QTemporaryDir m_serverDir;
    std::unique_ptr<DataServerProcess> m_server;
    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    FixedClock m_clock{at("2025-01-01 10:00:00")};
};

void TestFormDataE2e::initTestCase()
{
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(u"form.db"_s));
    const QString failure = m_server->build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, u"s3cret+&#"_s);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
}

void TestFormDataE2e::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_environment->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    cAppSettings::instance().DataServer = m_server->host();
    QueryCredentials::current() = {u"agent"_s, u"s3cret+&#"_s};
    m_clock.set(at("2025-01-01 10:00:00"));
    Clock::setInstance(&m_clock);
    Db db = OpenDb();
    db.exec(u"INSERT INTO Jockey (Jockey) VALUES ('J Smith'), ('K O''Brien')"_s);
}

void TestFormDataE2e::cleanup()
{
    Clock::setInstance(nullptr);
    m_dialogs.reset();
    m_environment.reset();
}

void TestFormDataE2e::writeServer(const QString &sql)
{
    const QString name = u"server-writer"_s;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(m_server->dbFile());
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

void TestFormDataE2e::addNom(const QString &meeting, int race, const QString &horse)
{
    Db db = OpenDb();
    db.exec(u"INSERT INTO Noms (MeetingCode, RaceNumber, Horse, HorseName, LastJockey, AvgWin) "
            "VALUES (?, ?, ?, ?, 'Before', 1)"_s,
            {meeting, race, horse, horse});
}

void TestFormDataE2e::queriesTravelIntact_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("rows");
    // '+' must not arrive as a blank, '#' must not end the address; quotes, '<', '>' and '"' go as they are.
    QTest::newRow("plus and comparisons")
        << u"SELECT HHorse, HWinAge + 1 FROM HORSMAST WHERE HWinAge < 6 AND HWinAge > 3 "
           "AND HHorse <> 'A+B#C' AND HHorse <> \"X Y\" ORDER BY HHorse"_s
        << QStringList{u"BLUE MOON|5"_s, u"GREEN FLASH|6"_s};
    QString location = u"KING'S PARK"_s;
    QTest::newRow("quoted location") << u"SELECT TrackCode FROM Track WHERE TrackLocat = '"_s +
                                            SqlQuoteForUrl(location) + u'\''
                                     << QStringList{u"KPRK"_s};
    QString trainer = u"SMITH & JONES"_s;
    QTest::newRow("ampersand") << u"SELECT DISTINCT WHorse FROM WORKRACE WHERE WTrainer = '"_s +
                                      SqlQuoteForUrl(trainer) + u'\''
                               << QStringList{u"RED ROVER"_s};
    QTest::newRow("no rows") << u"SELECT HHorse FROM HORSMAST WHERE HHorse = 'NOBODY'"_s << QStringList{};
}

void TestFormDataE2e::queriesTravelIntact()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, rows);
    const auto answer = DataServerRows(sql);
    QVERIFY(answer.has_value());
    QStringList joined;
    for (const QStringList &row : *answer)
        joined << row.join(u'|');
    QCOMPARE(joined, rows);
    QVERIFY(m_dialogs->messages.isEmpty());

    QCOMPARE(LookUpTrack(u"Randwick"_s), u"RAND|Australian Turf Club|NSW|M"_s);
    QCOMPARE(LookUpTrack(u"Nowhere"_s), QString());
    QVERIFY(LoadRaceShortCodes());
    QCOMPARE(raceShortCodes(), (QStringList{u"HANDICAP|HCP"_s, u"MAIDEN|MDN"_s}));
}

void TestFormDataE2e::serverErrorsAreShownOnce()
{
    QueryCredentials::current().password = u"wrong"_s;
    QVERIFY(!DataServerRows(u"SELECT TrackCode FROM Track"_s).has_value());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().title, u"Connection error, Please Check Internet Connection"_s);
    QVERIFY(m_dialogs->messages.first().text.startsWith(u"Error:"_s));

    // A refused query must not cost the jockey his rides or move his stamp.
    Db db = OpenDb();
    db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse) "
            "VALUES ('J SMITH', '2023-01-01', 1, 'FLEM', 'OLD HORSE')"_s);
    QVERIFY(!DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor).answered);
    QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM RaceStats"_s).toInt(), 1);
    QVERIFY(db.scalar(u"SELECT DateLastStats FROM Jockey WHERE Jockey = 'J Smith'"_s).isNull());
}

void TestFormDataE2e::enrichesMeetingOrRace_data()
{
    QTest::addColumn<int>("race");
    QTest::addColumn<QStringList>("expected");
    const QString green = u"K O'brien|2024-03-16|CL1 HA|60|G 5|25000|75|1.2|15667|T O'SULLIVAN|0606|33.75"_s;
    const QString red = u"L Nguyen|2024-03-16|CL1 HA|58|M 6|25000|71|0.5|20667|SMITH & JONES|0705|33.75"_s;
    const QString blue = u"M Zahra|2024-02-10|BM70|55|F 4|80000|60|20|0|P MOODY||36.05"_s;
    const QString untouched = u"Before||||||||1|||"_s;
    QTest::newRow("whole meeting") << 0
                                   << QStringList{u"1|GREEN FLASH (NZ)|"_s + green, u"1|RED ROVER|"_s + red,
                                                  u"2|GREEN FLASH|"_s + green, u"2|UNKNOWN HORSE|"_s + untouched,
                                                  u"3|Blue Moon|"_s + blue};
    QTest::newRow("race 2 only") << 2
                                 << QStringList{u"1|GREEN FLASH (NZ)|"_s + untouched, u"1|RED ROVER|"_s + untouched,
                                                u"2|GREEN FLASH|"_s + green, u"2|UNKNOWN HORSE|"_s + untouched,
                                                u"3|Blue Moon|"_s + untouched};
}

void TestFormDataE2e::enrichesMeetingOrRace()
{
    QFETCH(int, race);
    QFETCH(QStringList, expected);
    addNom(u"0604FLEM"_s, 1, u"GREEN FLASH (NZ)"_s);
    addNom(u"0604FLEM"_s, 1, u"RED ROVER"_s);
    addNom(u"0604FLEM"_s, 2, u"GREEN FLASH"_s);
    addNom(u"0604FLEM"_s, 2, u"UNKNOWN HORSE"_s);
    addNom(u"0604FLEM"_s, 3, u"Blue Moon"_s);
    addNom(u"0704RAND"_s, 1, u"RED ROVER"_s);

    const HorseFormResult result = FetchHorseForm(u"0604FLEM"_s, qint16(race));
    QVERIFY(result.answered);
    QVERIFY(result.skipped.isEmpty());
    QCOMPARE(result.nomsUpdated, race == 0 ? 4 : 1);
    const QString columns =
        u"RaceNumber, Horse, LastJockey, LastRode, LastRaceClass, LastStartWeight, HorseType, LastRaceValue, WgtRat, "
        "LastMargin, AvgWin, FormTrainer, W800400, RSecTime"_s;
    QCOMPARE(
        queryRows(u"SELECT "_s + columns + u" FROM Noms WHERE MeetingCode = '0604FLEM' ORDER BY RaceNumber, Horse"_s),
        expected);
    // The other meeting's nomination of the same horse is not touched.
    QCOMPARE(queryRows(u"SELECT LastJockey FROM Noms WHERE MeetingCode = '0704RAND'"_s), QStringList{u"Before"_s});
    QVERIFY(m_dialogs->messages.isEmpty());

    // A cup horse's average prize money is stored whole, far past five digits.
    if (race == 0) {
        writeServer(u"INSERT INTO HORSMAST (HHorse, HWinAge, HWinSex) VALUES ('GOLDEN MILLION', 5, 'H')"_s);
        writeServer(u"INSERT INTO RACEMAST (RDate, RTrack, RRaceNo, RClass, RValue) "
                    "VALUES ('2024-11-05', 'FLEM', 7, 'G1', 8000000)"_s);
        writeServer(u"INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WMoneyWon, DateUpdated) "
                    "VALUES ('2024-11-05', 7, 'GOLDEN MILLION', 'FLEM', 4400000, '2024-11-06 09:00:00'), "
                    "('2024-10-19', 9, 'GOLDEN MILLION', 'CAUL', 100001, '2024-10-20 09:00:00')"_s);
        addNom(u"0511FLEM"_s, 7, u"GOLDEN MILLION"_s);
        QVERIFY(FetchHorseForm(u"0511FLEM"_s, 0).answered);
        QCOMPARE(queryRows(u"SELECT AvgWin FROM Noms WHERE MeetingCode = '0511FLEM'"_s), QStringList{u"2250001"_s});
    }
}

void TestFormDataE2e::bestPositionColumns()
{
    QCOMPARE(BestHorsePositionColumn(u"N"_s, QString()), u"0 as BestHPosn"_s);
    QCOMPARE(BestTrainerPositionColumn(u"N"_s, QString()), u"0 as BestPosn"_s);

    QVERIFY(DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor).answered);
    QVERIFY(DownloadJockeyRides(u"K O'Brien"_s, true, kRideStatsFloor).answered);
    addNom(u"0604FLEM"_s, 1, u"GREEN FLASH"_s);
    addNom(u"0604FLEM"_s, 1, u"RED ROVER"_s);
    addNom(u"0604FLEM"_s, 1, u"BLUE MOON"_s);
    QVERIFY(FetchHorseForm(u"0604FLEM"_s, 0).answered);

    const auto positions = [](const QString &jockeys) {
        return queryRows(u"SELECT N.Horse, "_s + BestHorsePositionColumn(u"N"_s, jockeys) + u", "_s +
                         BestTrainerPositionColumn(u"N"_s, jockeys) + u" FROM Noms N ORDER BY N.Horse"_s);
    };
    const QString both = BuildJockeyInList({u"J Smith"_s, u"K O'Brien"_s});
    QCOMPARE(positions(both), (QStringList{u"BLUE MOON||"_s, u"GREEN FLASH|1|1"_s, u"RED ROVER|1|1"_s}));
    QCOMPARE(positions(ManagedJockeys::singleJockeyList(u"K O'Brien"_s)),
             (QStringList{u"BLUE MOON||"_s, u"GREEN FLASH|2|2"_s, u"RED ROVER|1|1"_s}));
    QCOMPARE(positions(QString()), (QStringList{u"BLUE MOON|0|0"_s, u"GREEN FLASH|0|0"_s, u"RED ROVER|0|0"_s}));
}

// J Smith's rows before a full download; the server holds his two rides (first one below as stored).
void TestFormDataE2e::fullDownloadWritesOnlyChanges_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("updated");
    QTest::addColumn<QStringList>("writes");
    const QString first = u"('J SMITH', '2024-01-06', 1, 'FLEM', 'GREEN FLASH', 1, 30000, 'T O''SULLIVAN', 'VIC')"_s;
    const QString second = u"('J SMITH', '2024-02-10', 3, 'RAND', 'GREEN FLASH', 2, 15000, 'T O''SULLIVAN', 'NSW')"_s;
    QTest::newRow("another career") << u"('J SMITH', '2023-01-01', 1, 'FLEM', 'GONE HORSE', 1, 0, NULL, NULL)"_s << 2
                                    << 0 << QStringList{u"delete"_s, u"insert"_s, u"insert"_s};
    QTest::newRow("unchanged") << first + u", "_s + second << 0 << 0 << QStringList{};
    QTest::newRow("placing corrected") << QString(first).replace(u"', 1, 30000"_s, u"', 3, 30000"_s) + u", "_s + second
                                       << 0 << 1 << QStringList{u"update"_s};
    QTest::newRow("horse typed in lower case")
        << QString(first).replace(u"GREEN FLASH"_s, u"Green Flash"_s) + u", "_s + second << 0 << 1
        << QStringList{u"update"_s};
    QTest::newRow("trainer lost") << first + u", "_s + QString(second).replace(u"'T O''SULLIVAN'"_s, u"NULL"_s) << 0
                                  << 1 << QStringList{u"update"_s};
    QTest::newRow("one ride twice") << first + u", "_s + first + u", "_s + second << 0 << 0 << QStringList{u"delete"_s};
}

void TestFormDataE2e::fullDownloadWritesOnlyChanges()
{
    QFETCH(QString, stored);
    QFETCH(int, added);
    QFETCH(int, updated);
    QFETCH(QStringList, writes);
    Db db = OpenDb();
    db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, "
            "TrainerName, State) VALUES "_s +
            stored +
            u", ('K O''BRIEN', '2023-01-01', 2, 'FLEM', 'KEPT HORSE', NULL, "
            "NULL, NULL, NULL)"_s);
    db.exec(u"CREATE TABLE Writes (Kind TEXT)"_s);
    for (const QString &kind : {u"insert"_s, u"update"_s, u"delete"_s})
        db.exec(
            u"CREATE TRIGGER Count%1 AFTER %1 ON RaceStats BEGIN INSERT INTO Writes VALUES ('%1'); END"_s.arg(kind));

    const RideDownloadResult result = DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor);
    QVERIFY(result.answered);
    QCOMPARE(result.received, 2);
    QCOMPARE(result.added, added);
    QCOMPARE(result.updated, updated);
    QCOMPARE(queryRows(u"SELECT Kind FROM Writes ORDER BY Kind"_s), writes);
    QCOMPARE(queryRows(u"SELECT * FROM RaceStats ORDER BY Jockey, RaceDate"_s),
             (QStringList{u"J SMITH|2024-01-06|1|FLEM|GREEN FLASH|1|30000|T O'SULLIVAN|VIC"_s,
                          u"J SMITH|2024-02-10|3|RAND|GREEN FLASH|2|15000|T O'SULLIVAN|NSW"_s,
                          u"K O'BRIEN|2023-01-01|2|FLEM|KEPT HORSE||||"_s}));
    QCOMPARE(queryRows(u"SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey"_s),
             (QStringList{u"J Smith|2025-01-01 10:00:00"_s, u"K O'Brien|"_s}));
}

void TestFormDataE2e::incrementalDownloadUpdatesInPlace()
{
    // K O'Brien has never been downloaded: the refresh asks from the floor date and gets every ride.
    RecordingStatus status;
    RefreshAllJockeyRides();
    QCOMPARE(status.texts, (QStringList{u"Loading Jockey data for J Smith"_s, u"Loading Jockey data for K O'Brien"_s}));
    QCOMPARE(queryRows(u"SELECT Jockey, COUNT(*) FROM RaceStats GROUP BY Jockey ORDER BY Jockey"_s),
             (QStringList{u"J SMITH|2"_s, u"K O'BRIEN|3"_s}));

    // The server corrects a prize and adds a ride after the stamp; older rows are not sent again.
    writeServer(u"UPDATE WORKRACE SET WMoneyWon = 31000, DateUpdated = '2025-01-02 08:00:00' "
                "WHERE WHorse = 'GREEN FLASH' AND WRaceDate = '2024-01-06'"_s);
    writeServer(u"INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WJockey, WMoneyWon, WFinPosn, "
                "DateUpdated, WTrainer) VALUES ('2024-03-16', 5, 'BLUE MOON', 'BALL', 'J SMITH', 500, 3, "
                "'2025-01-02 08:00:00', 'P MOODY')"_s);
    m_clock.set(at("2025-01-03 07:30:00"));
    const RideDownloadResult result = DownloadJockeyRides(u"J Smith"_s, false, at("2025-01-01 10:00:00"));
    writeServer(u"UPDATE WORKRACE SET WMoneyWon = 30000, DateUpdated = '2024-01-07 09:00:00' "
                "WHERE WHorse = 'GREEN FLASH' AND WRaceDate = '2024-01-06'"_s);
    writeServer(u"DELETE FROM WORKRACE WHERE WHorse = 'BLUE MOON' AND WJockey = 'J SMITH'"_s);

    QVERIFY(result.answered);
    QCOMPARE(result.received, 2);
    QCOMPARE(result.updated, 1);
    QCOMPARE(result.added, 1);
    QCOMPARE(queryRows(u"SELECT RaceDate, Horse, PrizeMoney, State FROM RaceStats WHERE Jockey = 'J SMITH' "
                       "ORDER BY RaceDate"_s),
             (QStringList{u"2024-01-06|GREEN FLASH|31000|VIC"_s, u"2024-02-10|GREEN FLASH|15000|NSW"_s,
                          u"2024-03-16|BLUE MOON|500|VIC"_s}));
    QCOMPARE(queryRows(u"SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey"_s),
             (QStringList{u"J Smith|2025-01-03 07:30:00"_s, u"K O'Brien|2025-01-01 10:00:00"_s}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

// The server may send a whole career again as changed: the answer is then paired with the stored rides in
// memory, and a ride stored under another rider is still found by its race.
void TestFormDataE2e::longIncrementalAnswerWritesOnlyChanges()
{
    writeServer(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                "INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WJockey, WMoneyWon, WFinPosn, DateUpdated, "
                "WTrainer) SELECT '2024-02-10', 100 + i, 'HORSE ' || i, 'RAND', 'J SMITH', 100, 4, "
                "'2025-01-02 08:00:00', 'P MOODY' FROM n"_s);
    const QDateTime since = at("2025-01-01 10:00:00");
    const RideDownloadResult first = DownloadJockeyRides(u"J Smith"_s, false, since);
    QCOMPARE(std::pair(first.added, first.updated), std::pair(300, 0));

    // One prize corrected, one ride stored under another rider: the rest is sent again unchanged.
    writeServer(u"UPDATE WORKRACE SET WMoneyWon = 250 WHERE WHorse = 'HORSE 7'"_s);
    OpenDb().exec(u"UPDATE RaceStats SET Jockey = 'K O''BRIEN' WHERE Horse = 'HORSE 9'"_s);
    const RideDownloadResult again = DownloadJockeyRides(u"J Smith"_s, false, since);
    writeServer(u"DELETE FROM WORKRACE WHERE WHorse LIKE 'HORSE %'"_s);
    QCOMPARE(again.received, 300);
    QCOMPARE(std::pair(again.added, again.updated), std::pair(0, 2));
    QCOMPARE(queryRows(u"SELECT COUNT(*), SUM(PrizeMoney), COUNT(DISTINCT Jockey) FROM RaceStats "
                       "WHERE Horse LIKE 'HORSE %'"_s),
             QStringList{u"300|30150|1"_s});
}

void TestFormDataE2e::connectionErrorChangesNothing()
{
    QVERIFY(DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor).answered);
    cAppSettings::instance().DataServer = u"127.0.0.1:%1"_s.arg(DataServerProcess::freePort());
    m_clock.set(at("2025-02-01 00:00:00"));
    addNom(u"0604FLEM"_s, 1, u"GREEN FLASH"_s);

    OpenDb().exec(u"INSERT INTO Jockey (Jockey) VALUES ('Ms Emily Lang'), ('T Dé Vries')"_s);

    QVERIFY(!DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor).answered);
    // The start-up refresh of four jockeys says it once.
    RefreshAllJockeyRides();
    QVERIFY(!FetchHorseForm(u"0604FLEM"_s, 0).answered);

    QCOMPARE(m_dialogs->messages.size(), 3);
    for (const auto &message : m_dialogs->messages) {
        QCOMPARE(message.title, u"Connection error"_s);
        QVERIFY(message.text.startsWith(u"Error: 12029 "_s));
    }
    QCOMPARE(queryRows(u"SELECT COUNT(*) FROM RaceStats"_s), QStringList{u"2"_s});
    QCOMPARE(queryRows(u"SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey"_s),
             (QStringList{u"J Smith|2025-01-01 10:00:00"_s, u"K O'Brien|"_s, u"Ms Emily Lang|"_s, u"T Dé Vries|"_s}));
    QCOMPARE(queryRows(u"SELECT LastJockey FROM Noms"_s), QStringList{u"Before"_s});

    // The command line's download for every jockey likewise.
    cAppSettings::instance().SaveSettings();
    QProcess cli;
    cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH), {u"download-rides"_s});
    QVERIFY(cli.waitForFinished(120000));
    QCOMPARE(cli.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardError()).count(u"Connection error"_s), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).count(u": failed"_s), 4);
}

void TestFormDataE2e::rideRefreshInTheBackground_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("outcome"); // how the status line begins
    QTest::newRow("answers") << "up"
                             << "Rides: 2 jockeys up to date";
    QTest::newRow("out of reach") << "unreachable"
                                  << "Rides not refreshed: the form server cannot be reached";
    QTest::newRow("login refused") << "wrong password"
                                   << "Rides not refreshed: ";
}

// The refresh after start-up on its own thread: one status line, never a box, stamps only for what arrived.
void TestFormDataE2e::rideRefreshInTheBackground()
{
    QFETCH(QString, server);
    QFETCH(QString, outcome);
    if (server == "unreachable"_L1)
        cAppSettings::instance().DataServer = u"127.0.0.1:%1"_s.arg(DataServerProcess::freePort());
    else if (server == "wrong password"_L1)
        QueryCredentials::current().password = u"wrong"_s;
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QVERIFY(job.start(&riderefresh::refreshAll));
    QVERIFY(finished.wait(30000));
    const QString said = finished.first().first().toString();
    QVERIFY2(said.startsWith(outcome), qPrintable(said));
    QCOMPARE(said.contains("cannot be reached"_L1), server == "unreachable"_L1);
    // A failing server ends the refresh at the first jockey instead of waiting once for each.
    QCOMPARE(progress.size(), server == "up"_L1 ? 2 : 1);
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(queryRows(u"SELECT COUNT(*) FROM Jockey WHERE DateLastStats > ''"_s),
             QStringList{server == "up"_L1 ? u"2"_s : u"0"_s});
}

void TestFormDataE2e::renamedJockeyDownloadsWhole()
{
    // Kept misspelt and downloaded since: the server's rides under the right name all predate the mark.
    Db db = OpenDb();
    db.exec(u"UPDATE Jockey SET Jockey = 'J Smiht', DateLastStats = '2025-01-01 09:00:00' "
            "WHERE Jockey = 'J Smith'"_s);
    db.exec(u"INSERT INTO FieldChange (ChangedAt, MeetingCode, Horse, ChangeKind, Jockey, Booked) "
            "VALUES ('2025-01-01 09:00:00', '0604FLEM', 'GREEN FLASH', 'weight', 'J Smiht', 1)"_s);
    db.exec(u"INSERT INTO BookingLog (LoggedAt, MeetingCode, Horse, JockeyBefore, JockeyAfter, Source) "
            "VALUES ('2025-01-01 09:00:00', '0604FLEM', 'GREEN FLASH', 'J Smiht', 'K O''Brien', 'main window')"_s);
    JockeyRecord record = jockeys::loadJockeys(u"J Smiht"_s).value(0);
    record.jockey = u"J Smith"_s;
    jockeys::updateJockey(u"J Smiht"_s, record);
    RefreshAllJockeyRides();
    QCOMPARE(queryRows(u"SELECT Jockey, COUNT(*) FROM RaceStats GROUP BY Jockey ORDER BY Jockey"_s),
             (QStringList{u"J SMITH|2"_s, u"K O'BRIEN|3"_s}));
    QCOMPARE(queryRows(u"SELECT Jockey FROM FieldChange"_s), QStringList{u"J Smith"_s});
    QCOMPARE(queryRows(u"SELECT JockeyBefore, JockeyAfter FROM BookingLog"_s), QStringList{u"J Smith|K O'Brien"_s});
}

QTEST_MAIN(TestFormDataE2e)
void TestFormDataE2e::backslashNameRoundTrips()
{
    // A backslash is an ordinary character, so the name reaches the server and comes back as it is.
    const QString named = u"BACK\\SLASH'S"_s;
    writeServer(u"INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WJockey, WTrainer) "
                "VALUES ('2024-01-06', 1, 'BACK\\SLASH''S', 'FLEM', 'Z BACK', 'T BACK')"_s);
    writeServer(u"INSERT INTO HORSMAST (HHorse, HWinAge, HWinSex) VALUES ('BACK\\SLASH''S', 4, 'F')"_s);
    addNom(u"0604FLEM"_s, 1, named);
    const HorseFormResult result = FetchHorseForm(u"0604FLEM"_s, 0);
    writeServer(u"DELETE FROM WORKRACE WHERE WJockey = 'Z BACK'"_s);
    writeServer(u"DELETE FROM HORSMAST WHERE HWinSex = 'F' AND HWinAge = 4"_s);
    QVERIFY(result.answered);
    QCOMPARE(queryRows(u"SELECT Horse, LastJockey, FormTrainer FROM Noms"_s), QStringList{named + u"|Z Back|T BACK"_s});
}

void TestFormDataE2e::ridesOverTls_data()
{
    QTest::addColumn<bool>("trustCa");
    QTest::newRow("provider's CA file") << true;
    QTest::newRow("untrusted certificate") << false;
}

void TestFormDataE2e::ridesOverTls()
{
    QFETCH(bool, trustCa);
    // A throwaway CA and a certificate for 127.0.0.1 signed by it.
    const QString dir = m_serverDir.path() + u'/';
    for (const char *command : {"req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj /CN=TestCA",
                                "req -newkey rsa:2048 -nodes -keyout tls.key -out tls.csr -subj /CN=127.0.0.1",
                                "x509 -req -in tls.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out tls.pem -days 2 "
                                "-extfile ext.cnf"}) {
        QFile ext(dir + u"ext.cnf"_s);
        QVERIFY(ext.open(QIODevice::WriteOnly) && ext.write("subjectAltName=IP:127.0.0.1\n") > 0);
        ext.close();
        QProcess openssl;
        openssl.setWorkingDirectory(dir);
        openssl.start(u"openssl"_s, QString::fromLatin1(command).split(u' '));
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    }
    DataServerProcess tls(m_server->dbFile());
    QVERIFY(tls.start({u"--tls-cert"_s, dir + u"tls.pem"_s, u"--tls-key"_s, dir + u"tls.key"_s}));
    cAppSettings::instance().DataServer = u"https://"_s + tls.host();
    cAppSettings::instance().DataServerCaFile = trustCa ? dir + u"ca.pem"_s : QString();
    const RideDownloadResult result = DownloadJockeyRides(u"J Smith"_s, true, kRideStatsFloor);
    cAppSettings::instance().DataServerCaFile.clear();
    QCOMPARE(result.answered, trustCa);
    QCOMPARE(queryRows(u"SELECT COUNT(*) FROM RaceStats"_s), QStringList{QString::number(trustCa ? 2 : 0)});
    QCOMPARE(m_dialogs->messages.size(), trustCa ? 0 : 1);
}

#include "tst_formdata_e2e.moc"
