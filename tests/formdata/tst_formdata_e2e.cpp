// Form data against the real data server on loopback, over the hand-made tables in fixtures/formdata.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "app/BackgroundJob.h"
#include "app/RideRefresh.h"
#include "core/Clock.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "people/JockeyRecord.h"
#include "roster/ManagedJockeys.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(QStringLiteral("form.db")));
    const QString failure = m_server->build(TestEnvironment::fixture(QStringLiteral("formdata")),
                                            QStringLiteral("agent"), QStringLiteral("s3cret+&#"));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
}

void TestFormDataE2e::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_environment->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    cAppSettings::instance().DataServer = m_server->host();
    QueryCredentials::current() = {QStringLiteral("agent"), QStringLiteral("s3cret+&#")};
    m_clock.set(at("2025-01-01 10:00:00"));
    Clock::setInstance(&m_clock);
    Db db = OpenDb();
    db.exec(QStringLiteral("INSERT INTO Jockey (Jockey) VALUES ('J Smith'), ('K O''Brien')"));
}

void TestFormDataE2e::cleanup()
{
    Clock::setInstance(nullptr);
    m_dialogs.reset();
    m_environment.reset();
}

void TestFormDataE2e::writeServer(const QString &sql)
{
    const QString name = QStringLiteral("server-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
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
    db.exec(QStringLiteral("INSERT INTO Noms (MeetingCode, RaceNumber, Horse, HorseName, LastJockey, AvgWin) "
                           "VALUES (?, ?, ?, ?, 'Before', 1)"),
            {meeting, race, horse, horse});
}

void TestFormDataE2e::queriesTravelIntact_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("rows");
    // '+' must not arrive as a blank, '#' must not end the address; quotes, '<', '>' and '"' go as they are.
    QTest::newRow("plus and comparisons")
        << QStringLiteral("SELECT HHorse, HWinAge + 1 FROM HORSMAST WHERE HWinAge < 6 AND HWinAge > 3 "
                          "AND HHorse <> 'A+B#C' AND HHorse <> \"X Y\" ORDER BY HHorse")
        << QStringList{QStringLiteral("BLUE MOON|5"), QStringLiteral("GREEN FLASH|6")};
    QString location = QStringLiteral("KING'S PARK");
    QTest::newRow("quoted location") << QStringLiteral("SELECT TrackCode FROM Track WHERE TrackLocat = '")
            + SqlQuoteForUrl(location) + QLatin1Char('\'')
                                     << QStringList{QStringLiteral("KPRK")};
    QString trainer = QStringLiteral("SMITH & JONES");
    QTest::newRow("ampersand") << QStringLiteral("SELECT DISTINCT WHorse FROM WORKRACE WHERE WTrainer = '")
            + SqlQuoteForUrl(trainer) + QLatin1Char('\'')
                               << QStringList{QStringLiteral("RED ROVER")};
    QTest::newRow("no rows") << QStringLiteral("SELECT HHorse FROM HORSMAST WHERE HHorse = 'NOBODY'") << QStringList{};
}

void TestFormDataE2e::queriesTravelIntact()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, rows);
    const auto answer = DataServerRows(sql);
    QVERIFY(answer.has_value());
    QStringList joined;
    for (const QStringList &row : *answer)
        joined << row.join(QLatin1Char('|'));
    QCOMPARE(joined, rows);
    QVERIFY(m_dialogs->messages.isEmpty());

    QCOMPARE(LookUpTrack(QStringLiteral("Randwick")), QStringLiteral("RAND|Australian Turf Club|NSW|M"));
    QCOMPARE(LookUpTrack(QStringLiteral("Nowhere")), QString());
    QVERIFY(LoadRaceShortCodes());
    QCOMPARE(raceShortCodes(), (QStringList{QStringLiteral("HANDICAP|HCP"), QStringLiteral("MAIDEN|MDN")}));
}

void TestFormDataE2e::serverErrorsAreShownOnce()
{
    QueryCredentials::current().password = QStringLiteral("wrong");
    QVERIFY(!DataServerRows(QStringLiteral("SELECT TrackCode FROM Track")).has_value());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().title, QStringLiteral("Connection error, Please Check Internet Connection"));
    QVERIFY(m_dialogs->messages.first().text.startsWith(QStringLiteral("Error:")));

    // A refused query must not cost the jockey his rides or move his stamp.
    Db db = OpenDb();
    db.exec(QStringLiteral("INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse) "
                           "VALUES ('J SMITH', '2023-01-01', 1, 'FLEM', 'OLD HORSE')"));
    QVERIFY(!DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor).answered);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM RaceStats")).toInt(), 1);
    QVERIFY(db.scalar(QStringLiteral("SELECT DateLastStats FROM Jockey WHERE Jockey = 'J Smith'")).isNull());
}

void TestFormDataE2e::enrichesMeetingOrRace_data()
{
    QTest::addColumn<int>("race");
    QTest::addColumn<QStringList>("expected");
    const QString green = QStringLiteral("K O'brien|2024-03-16|CL1 HA|60|G 5|25000|75|1.2|15667|T O'SULLIVAN|0606|33.75");
    const QString red = QStringLiteral("L Nguyen|2024-03-16|CL1 HA|58|M 6|25000|71|0.5|20667|SMITH & JONES|0705|33.75");
    const QString blue = QStringLiteral("M Zahra|2024-02-10|BM70|55|F 4|80000|60|20|0|P MOODY||36.05");
    const QString untouched = QStringLiteral("Before||||||||1|||");
    QTest::newRow("whole meeting") << 0
                                   << QStringList{QStringLiteral("1|GREEN FLASH (NZ)|") + green,
                                                  QStringLiteral("1|RED ROVER|") + red,
                                                  QStringLiteral("2|GREEN FLASH|") + green,
                                                  QStringLiteral("2|UNKNOWN HORSE|") + untouched,
                                                  QStringLiteral("3|Blue Moon|") + blue};
    QTest::newRow("race 2 only") << 2
                                 << QStringList{QStringLiteral("1|GREEN FLASH (NZ)|") + untouched,
                                                QStringLiteral("1|RED ROVER|") + untouched,
                                                QStringLiteral("2|GREEN FLASH|") + green,
                                                QStringLiteral("2|UNKNOWN HORSE|") + untouched,
                                                QStringLiteral("3|Blue Moon|") + untouched};
}

void TestFormDataE2e::enrichesMeetingOrRace()
{
    QFETCH(int, race);
    QFETCH(QStringList, expected);
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("GREEN FLASH (NZ)"));
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("RED ROVER"));
    addNom(QStringLiteral("0604FLEM"), 2, QStringLiteral("GREEN FLASH"));
    addNom(QStringLiteral("0604FLEM"), 2, QStringLiteral("UNKNOWN HORSE"));
    addNom(QStringLiteral("0604FLEM"), 3, QStringLiteral("Blue Moon"));
    addNom(QStringLiteral("0704RAND"), 1, QStringLiteral("RED ROVER"));

    const HorseFormResult result = FetchHorseForm(QStringLiteral("0604FLEM"), qint16(race));
    QVERIFY(result.answered);
    QVERIFY(result.skipped.isEmpty());
    QCOMPARE(result.nomsUpdated, race == 0 ? 4 : 1);
    const QString columns = QStringLiteral(
        "RaceNumber, Horse, LastJockey, LastRode, LastRaceClass, LastStartWeight, HorseType, LastRaceValue, WgtRat, "
        "LastMargin, AvgWin, FormTrainer, W800400, RSecTime");
    QCOMPARE(queryRows(QStringLiteral("SELECT ") + columns
                    + QStringLiteral(" FROM Noms WHERE MeetingCode = '0604FLEM' ORDER BY RaceNumber, Horse")),
             expected);
    // The other meeting's nomination of the same horse is not touched.
    QCOMPARE(queryRows(QStringLiteral("SELECT LastJockey FROM Noms WHERE MeetingCode = '0704RAND'")),
             QStringList{QStringLiteral("Before")});
    QVERIFY(m_dialogs->messages.isEmpty());

    // A cup horse's average prize money is stored whole, far past five digits.
    if (race == 0) {
        writeServer(
            QStringLiteral("INSERT INTO HORSMAST (HHorse, HWinAge, HWinSex) VALUES ('GOLDEN MILLION', 5, 'H')"));
        writeServer(QStringLiteral("INSERT INTO RACEMAST (RDate, RTrack, RRaceNo, RClass, RValue) "
                                   "VALUES ('2024-11-05', 'FLEM', 7, 'G1', 8000000)"));
        writeServer(
            QStringLiteral("INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WMoneyWon, DateUpdated) "
                           "VALUES ('2024-11-05', 7, 'GOLDEN MILLION', 'FLEM', 4400000, '2024-11-06 09:00:00'), "
                           "('2024-10-19', 9, 'GOLDEN MILLION', 'CAUL', 100001, '2024-10-20 09:00:00')"));
        addNom(QStringLiteral("0511FLEM"), 7, QStringLiteral("GOLDEN MILLION"));
        QVERIFY(FetchHorseForm(QStringLiteral("0511FLEM"), 0).answered);
        QCOMPARE(queryRows(QStringLiteral("SELECT AvgWin FROM Noms WHERE MeetingCode = '0511FLEM'")),
                 QStringList{QStringLiteral("2250001")});
    }
}

void TestFormDataE2e::bestPositionColumns()
{
    QCOMPARE(BestHorsePositionColumn(QStringLiteral("N"), QString()), QStringLiteral("0 as BestHPosn"));
    QCOMPARE(BestTrainerPositionColumn(QStringLiteral("N"), QString()), QStringLiteral("0 as BestPosn"));

    QVERIFY(DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor).answered);
    QVERIFY(DownloadJockeyRides(QStringLiteral("K O'Brien"), true, kRideStatsFloor).answered);
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("GREEN FLASH"));
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("RED ROVER"));
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("BLUE MOON"));
    QVERIFY(FetchHorseForm(QStringLiteral("0604FLEM"), 0).answered);

    const auto positions = [](const QString &jockeys) {
        return queryRows(QStringLiteral("SELECT N.Horse, ") + BestHorsePositionColumn(QStringLiteral("N"), jockeys)
                      + QStringLiteral(", ") + BestTrainerPositionColumn(QStringLiteral("N"), jockeys)
                      + QStringLiteral(" FROM Noms N ORDER BY N.Horse"));
    };
    const QString both = BuildJockeyInList({QStringLiteral("J Smith"), QStringLiteral("K O'Brien")});
    QCOMPARE(positions(both), (QStringList{QStringLiteral("BLUE MOON||"), QStringLiteral("GREEN FLASH|1|1"),
                                           QStringLiteral("RED ROVER|1|1")}));
    QCOMPARE(positions(ManagedJockeys::singleJockeyList(QStringLiteral("K O'Brien"))),
             (QStringList{QStringLiteral("BLUE MOON||"), QStringLiteral("GREEN FLASH|2|2"),
                          QStringLiteral("RED ROVER|1|1")}));
    QCOMPARE(positions(QString()), (QStringList{QStringLiteral("BLUE MOON|0|0"), QStringLiteral("GREEN FLASH|0|0"),
                                                QStringLiteral("RED ROVER|0|0")}));
}

// J Smith's rows before a full download; the server holds his two rides (first one below as stored).
void TestFormDataE2e::fullDownloadWritesOnlyChanges_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("updated");
    QTest::addColumn<QStringList>("writes");
    const QString first = QStringLiteral("('J SMITH', '2024-01-06', 1, 'FLEM', 'GREEN FLASH', 1, 30000, 'T O''SULLIVAN', 'VIC')");
    const QString second = QStringLiteral("('J SMITH', '2024-02-10', 3, 'RAND', 'GREEN FLASH', 2, 15000, 'T O''SULLIVAN', 'NSW')");
    QTest::newRow("another career") << QStringLiteral("('J SMITH', '2023-01-01', 1, 'FLEM', 'GONE HORSE', 1, 0, NULL, NULL)")
                                    << 2 << 0 << QStringList{u"delete"_s, u"insert"_s, u"insert"_s};
    QTest::newRow("unchanged") << first + u", "_s + second << 0 << 0 << QStringList{};
    QTest::newRow("placing corrected") << QString(first).replace(u"', 1, 30000"_s, u"', 3, 30000"_s) + u", "_s + second
                                       << 0 << 1 << QStringList{u"update"_s};
    QTest::newRow("horse typed in lower case") << QString(first).replace(u"GREEN FLASH"_s, u"Green Flash"_s) + u", "_s
            + second << 0 << 1 << QStringList{u"update"_s};
    QTest::newRow("trainer lost") << first + u", "_s + QString(second).replace(u"'T O''SULLIVAN'"_s, u"NULL"_s) << 0 << 1
                                  << QStringList{u"update"_s};
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
            "TrainerName, State) VALUES "_s + stored + u", ('K O''BRIEN', '2023-01-01', 2, 'FLEM', 'KEPT HORSE', NULL, "
            "NULL, NULL, NULL)"_s);
    db.exec(u"CREATE TABLE Writes (Kind TEXT)"_s);
    for (const QString &kind : {u"insert"_s, u"update"_s, u"delete"_s})
        db.exec(u"CREATE TRIGGER Count%1 AFTER %1 ON RaceStats BEGIN INSERT INTO Writes VALUES ('%1'); END"_s.arg(kind));

    const RideDownloadResult result = DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor);
    QVERIFY(result.answered);
    QCOMPARE(result.received, 2);
    QCOMPARE(result.added, added);
    QCOMPARE(result.updated, updated);
    QCOMPARE(queryRows(u"SELECT Kind FROM Writes ORDER BY Kind"_s), writes);
    QCOMPARE(queryRows(QStringLiteral("SELECT * FROM RaceStats ORDER BY Jockey, RaceDate")),
             (QStringList{QStringLiteral("J SMITH|2024-01-06|1|FLEM|GREEN FLASH|1|30000|T O'SULLIVAN|VIC"),
                          QStringLiteral("J SMITH|2024-02-10|3|RAND|GREEN FLASH|2|15000|T O'SULLIVAN|NSW"),
                          QStringLiteral("K O'BRIEN|2023-01-01|2|FLEM|KEPT HORSE||||")}));
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey")),
             (QStringList{QStringLiteral("J Smith|2025-01-01 10:00:00"), QStringLiteral("K O'Brien|")}));
}

void TestFormDataE2e::incrementalDownloadUpdatesInPlace()
{
    // K O'Brien has never been downloaded: the refresh asks from the floor date and gets every ride.
    RecordingStatus status;
    RefreshAllJockeyRides();
    QCOMPARE(status.texts, (QStringList{QStringLiteral("Loading Jockey data for J Smith"),
                                        QStringLiteral("Loading Jockey data for K O'Brien")}));
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey, COUNT(*) FROM RaceStats GROUP BY Jockey ORDER BY Jockey")),
             (QStringList{QStringLiteral("J SMITH|2"), QStringLiteral("K O'BRIEN|3")}));

    // The server corrects a prize and adds a ride after the stamp; older rows are not sent again.
    writeServer(QStringLiteral("UPDATE WORKRACE SET WMoneyWon = 31000, DateUpdated = '2025-01-02 08:00:00' "
                               "WHERE WHorse = 'GREEN FLASH' AND WRaceDate = '2024-01-06'"));
    writeServer(QStringLiteral("INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WJockey, WMoneyWon, WFinPosn, "
                               "DateUpdated, WTrainer) VALUES ('2024-03-16', 5, 'BLUE MOON', 'BALL', 'J SMITH', 500, 3, "
                               "'2025-01-02 08:00:00', 'P MOODY')"));
    m_clock.set(at("2025-01-03 07:30:00"));
    const RideDownloadResult result = DownloadJockeyRides(QStringLiteral("J Smith"), false, at("2025-01-01 10:00:00"));
    writeServer(QStringLiteral("UPDATE WORKRACE SET WMoneyWon = 30000, DateUpdated = '2024-01-07 09:00:00' "
                               "WHERE WHorse = 'GREEN FLASH' AND WRaceDate = '2024-01-06'"));
    writeServer(QStringLiteral("DELETE FROM WORKRACE WHERE WHorse = 'BLUE MOON' AND WJockey = 'J SMITH'"));

    QVERIFY(result.answered);
    QCOMPARE(result.received, 2);
    QCOMPARE(result.updated, 1);
    QCOMPARE(result.added, 1);
    QCOMPARE(queryRows(QStringLiteral("SELECT RaceDate, Horse, PrizeMoney, State FROM RaceStats WHERE Jockey = 'J SMITH' "
                                   "ORDER BY RaceDate")),
             (QStringList{QStringLiteral("2024-01-06|GREEN FLASH|31000|VIC"),
                          QStringLiteral("2024-02-10|GREEN FLASH|15000|NSW"),
                          QStringLiteral("2024-03-16|BLUE MOON|500|VIC")}));
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey")),
             (QStringList{QStringLiteral("J Smith|2025-01-03 07:30:00"), QStringLiteral("K O'Brien|2025-01-01 10:00:00")}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestFormDataE2e::connectionErrorChangesNothing()
{
    QVERIFY(DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor).answered);
    cAppSettings::instance().DataServer = QStringLiteral("127.0.0.1:%1").arg(DataServerProcess::freePort());
    m_clock.set(at("2025-02-01 00:00:00"));
    addNom(QStringLiteral("0604FLEM"), 1, QStringLiteral("GREEN FLASH"));

    OpenDb().exec(QStringLiteral("INSERT INTO Jockey (Jockey) VALUES ('Ms Emily Lang'), ('T Dé Vries')"));

    QVERIFY(!DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor).answered);
    // The start-up refresh of four jockeys says it once.
    RefreshAllJockeyRides();
    QVERIFY(!FetchHorseForm(QStringLiteral("0604FLEM"), 0).answered);

    QCOMPARE(m_dialogs->messages.size(), 3);
    for (const auto &message : m_dialogs->messages) {
        QCOMPARE(message.title, QStringLiteral("Connection error"));
        QVERIFY(message.text.startsWith(QStringLiteral("Error: 12029 ")));
    }
    QCOMPARE(queryRows(QStringLiteral("SELECT COUNT(*) FROM RaceStats")), QStringList{QStringLiteral("2")});
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey")),
             (QStringList{QStringLiteral("J Smith|2025-01-01 10:00:00"), QStringLiteral("K O'Brien|"),
                          QStringLiteral("Ms Emily Lang|"), QStringLiteral("T Dé Vries|")}));
    QCOMPARE(queryRows(QStringLiteral("SELECT LastJockey FROM Noms")), QStringList{QStringLiteral("Before")});

    // The command line's download for every jockey likewise.
    cAppSettings::instance().SaveSettings();
    QProcess cli;
    cli.start(QStringLiteral(OSTREVAN_CLI_PATH), {QStringLiteral("download-rides")});
    QVERIFY(cli.waitForFinished(120000));
    QCOMPARE(cli.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardError()).count(QStringLiteral("Connection error")), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).count(QStringLiteral(": failed")), 4);
}

void TestFormDataE2e::rideRefreshInTheBackground_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("outcome"); // how the status line begins
    QTest::newRow("answers") << "up" << "Rides: 2 jockeys up to date";
    QTest::newRow("out of reach") << "unreachable" << "Rides not refreshed: the form server cannot be reached";
    QTest::newRow("login refused") << "wrong password" << "Rides not refreshed: ";
}

// The refresh after start-up on its own thread: one status line, never a box, stamps only for what arrived.
void TestFormDataE2e::rideRefreshInTheBackground()
{
    QFETCH(QString, server);
    QFETCH(QString, outcome);
    if (server == QLatin1String("unreachable"))
        cAppSettings::instance().DataServer = QStringLiteral("127.0.0.1:%1").arg(DataServerProcess::freePort());
    else if (server == QLatin1String("wrong password"))
        QueryCredentials::current().password = QStringLiteral("wrong");
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QVERIFY(job.start(&riderefresh::refreshAll));
    QVERIFY(finished.wait(30000));
    const QString said = finished.first().first().toString();
    QVERIFY2(said.startsWith(outcome), qPrintable(said));
    QCOMPARE(said.contains(QLatin1String("cannot be reached")), server == QLatin1String("unreachable"));
    // A failing server ends the refresh at the first jockey instead of waiting once for each.
    QCOMPARE(progress.size(), server == QLatin1String("up") ? 2 : 1);
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(queryRows(QStringLiteral("SELECT COUNT(*) FROM Jockey WHERE DateLastStats > ''")),
             QStringList{server == QLatin1String("up") ? QStringLiteral("2") : QStringLiteral("0")});
}

void TestFormDataE2e::renamedJockeyDownloadsWhole()
{
    // Kept misspelt and downloaded since: the server's rides under the right name all predate the mark.
    Db db = OpenDb();
    db.exec(QStringLiteral("UPDATE Jockey SET Jockey = 'J Smiht', DateLastStats = '2025-01-01 09:00:00' "
                           "WHERE Jockey = 'J Smith'"));
    db.exec(QStringLiteral("INSERT INTO FieldChange (ChangedAt, MeetingCode, Horse, ChangeKind, Jockey, Booked) "
                           "VALUES ('2025-01-01 09:00:00', '0604FLEM', 'GREEN FLASH', 'weight', 'J Smiht', 1)"));
    JockeyRecord record = jockeys::loadJockeys(QStringLiteral("J Smiht")).value(0);
    record.jockey = QStringLiteral("J Smith");
    jockeys::updateJockey(QStringLiteral("J Smiht"), record);
    RefreshAllJockeyRides();
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey, COUNT(*) FROM RaceStats GROUP BY Jockey ORDER BY Jockey")),
             (QStringList{QStringLiteral("J SMITH|2"), QStringLiteral("K O'BRIEN|3")}));
    QCOMPARE(queryRows(QStringLiteral("SELECT Jockey FROM FieldChange")), QStringList{QStringLiteral("J Smith")});
}

QTEST_MAIN(TestFormDataE2e)
void TestFormDataE2e::backslashNameRoundTrips()
{
    // A backslash is an ordinary character, so the name reaches the server and comes back as it is.
    const QString named = QStringLiteral("BACK\\SLASH'S");
    writeServer(QStringLiteral("INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WJockey, WTrainer) "
                               "VALUES ('2024-01-06', 1, 'BACK\\SLASH''S', 'FLEM', 'Z BACK', 'T BACK')"));
    writeServer(QStringLiteral("INSERT INTO HORSMAST (HHorse, HWinAge, HWinSex) VALUES ('BACK\\SLASH''S', 4, 'F')"));
    addNom(QStringLiteral("0604FLEM"), 1, named);
    const HorseFormResult result = FetchHorseForm(QStringLiteral("0604FLEM"), 0);
    writeServer(QStringLiteral("DELETE FROM WORKRACE WHERE WJockey = 'Z BACK'"));
    writeServer(QStringLiteral("DELETE FROM HORSMAST WHERE HWinSex = 'F' AND HWinAge = 4"));
    QVERIFY(result.answered);
    QCOMPARE(queryRows(QStringLiteral("SELECT Horse, LastJockey, FormTrainer FROM Noms")),
             QStringList{named + QStringLiteral("|Z Back|T BACK")});
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
    const QString dir = m_serverDir.path() + QLatin1Char('/');
    for (const char *command : {"req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj /CN=TestCA",
                                "req -newkey rsa:2048 -nodes -keyout tls.key -out tls.csr -subj /CN=127.0.0.1",
                                "x509 -req -in tls.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out tls.pem -days 2 "
                                "-extfile ext.cnf"}) {
        QFile ext(dir + QStringLiteral("ext.cnf"));
        QVERIFY(ext.open(QIODevice::WriteOnly) && ext.write("subjectAltName=IP:127.0.0.1\n") > 0);
        ext.close();
        QProcess openssl;
        openssl.setWorkingDirectory(dir);
        openssl.start(QStringLiteral("openssl"), QString::fromLatin1(command).split(QLatin1Char(' ')));
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    }
    DataServerProcess tls(m_server->dbFile());
    QVERIFY(tls.start({QStringLiteral("--tls-cert"), dir + QStringLiteral("tls.pem"), QStringLiteral("--tls-key"),
                       dir + QStringLiteral("tls.key")}));
    cAppSettings::instance().DataServer = QStringLiteral("https://") + tls.host();
    cAppSettings::instance().DataServerCaFile = trustCa ? dir + QStringLiteral("ca.pem") : QString();
    const RideDownloadResult result = DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor);
    cAppSettings::instance().DataServerCaFile.clear();
    QCOMPARE(result.answered, trustCa);
    QCOMPARE(queryRows(QStringLiteral("SELECT COUNT(*) FROM RaceStats")), QStringList{QString::number(trustCa ? 2 : 0)});
    QCOMPARE(m_dialogs->messages.size(), trustCa ? 0 : 1);
}

#include "tst_formdata_e2e.moc"
