// Race fields from the web end to end: hand-written pages of each site served on loopback, the real
// data server for the track and short-code look-ups, a real database file.
#include "../formdata/FixtureHttpServer.h"
#include "bookings/MainLists.h"
#include "core/Clock.h"
#include "core/DebugMode.h"
#include "core/MonthNames.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/HttpRequest.h"
#include "import/FieldFileLoader.h"
#include "import/TrackAlias.h"
#include "import/WebFieldDownload.h"
#include "import/ui/frmSelectMeeting.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray page(const QString &name)
{
    QFile file(TestEnvironment::fixture(u"webfields/"_s + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString rows(const QString &sql, const QVariantList &values = {})
{
    return queryRows(sql, values).join(u';');
}

const QString kFlem = u"/FreeFields/Weights.aspx?Key=2025May23,VIC,Flemington"_s;
const QString kLive = u"/FreeFields/Acceptances.aspx?Key=2025May24,VIC,Caulfield&r=1"_s;
const QString kGoldCoast = u"/FreeFields/Acceptances.aspx?Key=2025Jun21,QLD,Aquis Park Gold Coast"_s;
const QString kBallarat = u"/FreeFields/Weights.aspx?Key=2025Jul05,VIC,Sportsbet-Ballarat"_s;
const QString kFlemSep = u"/FreeFields/Nominations.aspx?Key=2025Sep13,VIC,Flemington"_s;
const QString kWaRace = u"/scripts/ws.exe/syturf/race.hts?meeting_no=501&race_no=1&race_type=MAIDENPLATE"_s;

} // namespace

class TestWebFields : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixtureHttpServer> m_site;
    QTemporaryDir m_serverDir;
    DataServerProcess m_server{m_serverDir.filePath(u"server.db"_s)};
    FixedClock m_clock{QDateTime(QDate(2025, 5, 22), QTime(9, 0))};

private slots:
    void initTestCase()
    {
        setHttpRequestTimeout(std::chrono::milliseconds(5000));
        QCOMPARE(m_server.build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, u"secret"_s), QString());
        QVERIFY(m_server.start());
        Clock::setInstance(&m_clock);
    }
    void cleanupTestCase() { Clock::setInstance(nullptr); }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->createDatabase();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_site = std::make_unique<FixtureHttpServer>();
        cAppSettings &settings = cAppSettings::instance();
        settings.DataServer = m_server.host();
        settings.RacingHost = settings.WaClubHost = u"http://"_s + m_site->host();
        QueryCredentials::current() = {u"agent"_s, u"secret"_s};
        const QList<QPair<QString, QString>> routes{
            {u"/FreeFields/Calendar.aspx?State=VIC"_s, u"calendar.html"_s},
            {u"/FreeFields/Calendar.aspx?State=WA"_s, u"calendar.html"_s},
            {u"/ozracing/DisplayNwaByState.aspx?StateCode=6"_s, u"statelist.html"_s},
            {u"/ozracing/viewfile.aspx?file=0523FLEM.DGW"_s, u"statelist_meeting.html"_s},
            {kFlem, u"field.html"_s},
            {kLive, u"live.html"_s},
            {u"/scripts/ws.exe/syturf/findinfo.hts"_s, u"wa_list.html"_s},
            {u"/scripts/ws.exe/syturf/meet.hts?type=meet&meet_no=501"_s, u"wa_meeting.html"_s},
            {kWaRace, u"wa_race.html"_s}};
        for (const auto &[path, file] : routes)
            m_site->setRoute(path, page(file));
    }

    void cleanup()
    {
        m_dialogs.reset();
        m_env.reset();
    }

    void calendarOfEachSource_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("allPhases");
        QTest::addColumn<bool>("otherSource");
        QTest::addColumn<QString>("expected");
        const QString flemNom =
            u"23/May/25|Flemington|Nominations|/FreeFields/Nominations.aspx?Key=2025May23,VIC,Flemington"_s;
        const QString flemWei = u"23/May/25|Flemington|Weights|"_s + kFlem;
        const QString caulAcc = u"24/May/25|Caulfield|Acceptances|"_s + kLive;
        QTest::newRow("latest phase only") << u"VIC"_s << false << false << flemWei + u';' + caulAcc;
        QTest::newRow("all phases") << u"VIC"_s << true << false << flemNom + u';' + flemWei + u';' + caulAcc;
        QTest::newRow("WA is the racing calendar") << u"WA"_s << false << false << flemWei + u';' + caulAcc;
        QTest::newRow("state list") << u"WA"_s << false << true
                                    << u"23-May-25|Flemington|Weights|viewfile.aspx?file=0523FLEM.DGW;"
                                       u"13-Sept-25|Sportsbet-Ballarat|Nominations|viewfile.aspx?file=0913BALL.DGN"_s;
        QTest::newRow("XA is the WA club, up to today")
            << u"XA"_s << false << false
            << u"24/05/2025|ASCOT|Acceptances|/scripts/ws.exe/syturf/meet.hts?type=meet&meet_no=501"_s;
    }

    void calendarOfEachSource()
    {
        QFETCH(QString, state);
        QFETCH(bool, allPhases);
        QFETCH(bool, otherSource);
        QFETCH(QString, expected);
        const auto entries = WebFieldDownloader::calendar(state, allPhases, otherSource);
        QVERIFY(entries);
        QStringList lines;
        for (const CalendarEntry &e : *entries)
            lines << QStringList{e.date, e.meeting, e.phase, e.link}.join(u'|');
        QCOMPARE(lines.join(u';'), expected);
        QVERIFY(m_site->requests.first().contains("User-Agent: Ostrevan/"));
    }

    void stateListIsAskedTwice()
    {
        m_site->setRoute(u"/ozracing/DisplayNwaByState.aspx?StateCode=1"_s, page(u"statelist.html"_s), 1);
        QCOMPARE(WebFieldDownloader::calendar(u"VIC"_s, true, true)->size(), 3);
        QCOMPARE(m_site->requests.size(), 2);
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    void meetingOfEachSource_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("otherSource");
        QTest::addColumn<QString>("races");
        QTest::addColumn<QString>("runners");
        const QString flemRaces = u"1|1200 MDN|MDN|1200|%1|0;2|1600 HCP|HCP|1600|%2|1"_s;
        const QString flemRunners =
            u"1|SUPER STAR (NZ)|SUPER STAR |x2|Smith & Jones|J Bloggs|3|585|72|1|;"
            "1|O'REILLY|O'REILLY||T O'Sullivan|A Brown (a3)|0|0||2|e;2|RED ROVER|RED ROVER|||C Green|0|600||1|"_s;
        QTest::newRow("weights: no times")
            << u"VIC"_s << kFlem << u"Weights"_s << false << flemRaces.arg(QString(), QString()) << flemRunners;
        QTest::newRow("acceptances: times") << u"VIC"_s << kFlem << u"Acceptances"_s << false
                                            << flemRaces.arg(u"13:30:00"_s, u"14:05:00"_s) << flemRunners;
        QTest::newRow("state list") << u"VIC"_s << u"viewfile.aspx?file=0523FLEM.DGW"_s << u"Weights"_s << true
                                    << u"1|1200 MDN|MDN|1200||1;2|1600 HCP|HCP|1600||0"_s
                                    << u"1|SUPER STAR (NZ)|SUPER STAR ||Smith & Jones|J Bloggs|0|585|72|1|;"
                                       "2|RED ROVER|RED ROVER||T Smith|C Green|0|600||1|"_s;
    }

    void meetingOfEachSource()
    {
        QFETCH(QString, state);
        QFETCH(QString, link);
        QFETCH(QString, phase);
        QFETCH(bool, otherSource);
        QFETCH(QString, races);
        QFETCH(QString, runners);
        const QString debugFile = m_env->root() + u"/debug.txt"_s;
        DebugMode::turnOn(debugFile);
        const WebMeetingResult result =
            WebFieldDownloader::downloadMeeting(state, {u"23/May/25"_s, u"Flemington"_s, phase, link}, otherSource);
        DebugMode::turnOff();
        QVERIFY2(result.loaded, qPrintable(result.error));
        // Debug mode keeps every page the download fetched, each under its address.
        QFile debug(debugFile);
        QVERIFY(debug.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(debug.readAll());
        QCOMPARE(written.count(u"==== http://"_s + m_site->host()), m_site->requests.size());
        QVERIFY(written.contains(u"Flemington"_s));
        QCOMPARE(result.meetingCode, u"2305FLEM"_s);
        QCOMPARE(rows(u"SELECT RaceNumber, RaceCode, RaceRSBCode, RaceDistance, RaceTime, ApprClaim FROM Race "
                      "ORDER BY RaceNumber"_s),
                 races);
        QCOMPARE(rows(u"SELECT RaceNumber, Horse, HorseName, Form, TrainerName, Jockey, Barrier, Weight, Rating, "
                      "EntryNo, EorB FROM Noms ORDER BY RaceNumber, EntryNo"_s),
                 runners);
        QCOMPARE(rows(u"SELECT State, MeetingLevel FROM Meeting"_s),
                 u"VIC|"_s + (phase == u"Weights"_s ? u"WGT"_s : u"ACP"_s));
    }

    void liveShapeDropsScratchedAndReportsTheirBookings()
    {
        OpenDb().exec(
            u"INSERT INTO Bookings (MeetingCode, Horse, Jockey) VALUES ('2405CAUL', 'GONE HOME', 'M Rider')"_s);
        const WebMeetingResult result = WebFieldDownloader::downloadMeeting(
            u"NSW"_s, {u"24/May/25"_s, u"Caulfield"_s, u"Acceptances"_s, kLive}, false);
        QVERIFY2(result.loaded, qPrintable(result.error));
        QCOMPARE(result.meetingCode, u"2405CAUL"_s); // a venue unknown to the data server
        QCOMPARE(
            rows(u"SELECT RaceNumber, Horse, Jockey, Weight, Rating, TrainerName FROM Noms "
                 "ORDER BY RaceNumber, EntryNo"_s),
            u"1|FAST LANE|K Rider (a3)|585|70|P Trainer;1|LATE RUN|M Rider|560||Q Trainer;2|BLUE SKY|Z Rider|590||"_s);
        QCOMPARE(rows(u"SELECT RaceTime, RaceDetails FROM Race WHERE RaceNumber = 1"_s),
                 u"17:30:00|SPRINT HANDICAP\r\nOf $35,000.   Field Limit: 12"_s);
        QCOMPARE(rows(u"SELECT State FROM Meeting"_s), u"NSW"_s);
        QCOMPARE(result.scratchedRides, QStringList{u"GONE HOME (M Rider) is scratched: Caulfield race 1"_s});
    }

    void waClubMeeting()
    {
        const WebMeetingResult result = WebFieldDownloader::downloadMeeting(
            u"XA"_s,
            {u"24/05/2025"_s, u"ASCOT"_s, u"Acceptances"_s, u"/scripts/ws.exe/syturf/meet.hts?type=meet&meet_no=501"_s},
            false);
        QVERIFY2(result.loaded, qPrintable(result.error));
        QCOMPARE(rows(u"SELECT RaceTime, RaceDetails FROM Race"_s),
                 u"12:40:00|MAIDEN PLATE\r\nMAIDEN PLATE\rFor maidens."_s);
        QCOMPARE(rows(u"SELECT Horse, Barrier, Weight, Jockey, TrainerName FROM Noms"_s),
                 u"WEST WIND|5|575|R Jones|S Smith & Co"_s);
    }

    void redownloadReplacesAndFailureKeeps()
    {
        const CalendarEntry entry{u"23/May/25"_s, u"Flemington"_s, u"Weights"_s, kFlem};
        QVERIFY(WebFieldDownloader::downloadMeeting(u"VIC"_s, entry, false).loaded);
        OpenDb().exec(u"INSERT INTO Noms (MeetingCode, RaceNumber, Horse) VALUES ('2305FLEM', 9, 'OLD')"_s);
        QVERIFY(WebFieldDownloader::downloadMeeting(u"VIC"_s, entry, false).loaded);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM Noms"_s), u"3"_s);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM Meeting"_s), u"1"_s);
        m_dialogs->messages.clear();
        using Fault = FixtureHttpServer::Fault;
        QByteArray withNul = page(u"field.html"_s);
        withNul.insert(withNul.indexOf("</table>"), '\0');
        const struct {
            QByteArray page;
            int failures;
            Fault fault;
        } broken[]{{"<html><body>Service unavailable</body></html>", 0, Fault::None},
                   {{}, 9, Fault::None},
                   {page(u"field.html"_s), 0, Fault::ShortBody},
                   {page(u"field.html"_s), 0, Fault::CutAtClose},
                   {withNul, 0, Fault::None}};
        for (const auto &[body, failures, fault] : broken) {
            m_site->setRoute(kFlem, body, failures, fault);
            const WebMeetingResult failed = WebFieldDownloader::downloadMeeting(u"VIC"_s, entry, false);
            QVERIFY(!failed.loaded);
            QCOMPARE(rows(u"SELECT COUNT(*) FROM Race"_s) + rows(u"SELECT COUNT(*) FROM Noms"_s), u"23"_s);
            QVERIFY(m_dialogs->messages.last().text.contains(u"Flemington (23/May/25)"_s));
        }
    }

    void dataServerDownStillDownloads()
    {
        cAppSettings::instance().DataServer = u"127.0.0.1:1"_s;
        const auto results =
            WebFieldDownloader::downloadMeetings(u"VIC"_s,
                                                 {{u"24/May/25"_s, u"Caulfield"_s, u"Acceptances"_s, kLive},
                                                  {u"23/May/25"_s, u"Flemington"_s, u"Weights"_s, kFlem}},
                                                 false);
        QVERIFY(results.size() == 2 && results.at(0).loaded && results.at(1).loaded);
        QCOMPARE(rows(u"SELECT MeetingCode, State FROM Meeting ORDER BY MeetingCode"_s),
                 u"2305FLEM|VIC;2405CAUL|VIC"_s);
        // Track, short codes and form all fail: the batch says so once.
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages.at(0).title, u"Connection error"_s);
    }

    void selectMeetingsWindow()
    {
        frmSelectMeeting window;
        window.show();
        window.setState(cAppSettings::instance().effectiveDefaultState());
        QCOMPARE(window.cmbState->currentText(), u"VIC"_s);
        QCOMPARE(window.grdMeeting->rowCount(), 2);
        window.chkShowPhase->click();
        QCOMPARE(window.grdMeeting->rowCount(), 3);
        const qsizetype asked = m_site->requests.size();
        QTest::keyClick(&window, Qt::Key_F5);
        QCOMPARE(m_site->requests.size(), asked + 1);
        // Enter in the state box is one choice of the state: one request, however the window hears it.
        QTest::keyClick(window.cmbState->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_site->requests.size(), asked + 2);
        QCOMPARE(window.grdMeeting->rowCount(), 3);
        // The nominations page of Flemington is not on the site: the end says what was stored and what was not.
        window.grdMeeting->selectAll();
        window.cmdDownload->click();
        const ScriptedDialogs::Message summary = m_dialogs->messages.last();
        QCOMPARE(summary.title, WebFieldDownloader::kFailedTitle);
        QVERIFY2(!summary.text.contains(WebFieldDownloader::kSuccessText), qPrintable(summary.text));
        QVERIFY2(summary.text.contains(u"Stored:\n  Flemington (23/May/25): "_s), qPrintable(summary.text));
        QVERIFY2(summary.text.contains(u"Not downloaded (earlier fields kept):\n  Flemington (23/May/25): "_s),
                 qPrintable(summary.text));
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(rows(u"SELECT MeetingCode FROM Meeting ORDER BY MeetingCode"_s), u"2305FLEM;2405CAUL"_s);

        frmSelectMeeting again;
        again.show();
        again.setState(u"VIC"_s);
        again.grdMeeting->selectAll();
        again.cmdDownload->click();
        QVERIFY(m_dialogs->messages.last().text.startsWith(WebFieldDownloader::kSuccessText + u"\n\nStored:"_s));
    }

    void commandLine()
    {
        cAppSettings &settings = cAppSettings::instance();
        settings.UserName = u"agent"_s;
        settings.UserPass = u"secret"_s;
        QVERIFY(settings.SaveSettings());
        QProcess cli; // the pages are served by this process: its events keep running while the command waits
        // The calendar's form of the date and the ISO form make the same meeting; a date that is none is refused.
        for (const QString &date : {u"24/May/25"_s, u"2025-05-24"_s, u"2025-13-45"_s}) {
            cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH),
                      {u"download"_s, u"VIC"_s, date, u"Caulfield"_s, kLive, u"Acceptances"_s});
            QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);
            const bool isDate = date != "2025-13-45"_L1;
            QCOMPARE(cli.exitCode(), isDate ? 0 : 2);
            QCOMPARE(cli.readAllStandardOutput(),
                     isDate ? QByteArray("2405CAUL: 2 races, 3 runners\nChanges: 0 (0 on booked horses)\n")
                            : QByteArray());
            QVERIFY(cli.readAllStandardError().contains(isDate ? "No track: the venue \"Caulfield\" has no track"
                                                               : "YYYY-MM-DD"));
        }
        QCOMPARE(rows(u"SELECT MeetingCode, MeetingDate FROM Meeting"_s), u"2405CAUL|2025-05-24"_s);
        for (const QStringList &arguments :
             {QStringList{u"track-alias"_s, u"Sportsbet-Ballarat"_s, u"BALL"_s}, QStringList{u"track-alias"_s}}) {
            cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH), arguments);
            QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);
            QCOMPARE(cli.readAllStandardOutput(), QByteArray("Sportsbet-Ballarat\tBALL\n"));
        }
        cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH), {u"calendar"_s, u"VIC"_s});
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);
        QCOMPARE(cli.readAllStandardOutput().count('\t'), 6);
    }

    // Month names come from one fixed table whatever the locale: Australian English writes "June",
    // "July" and "Sept", which once made a quarter of the racing year unreadable.
    void monthsOfTheYear_data()
    {
        QTest::addColumn<int>("month");
        for (int month = 1; month <= 12; ++month)
            QTest::addRow("%s", monthnames::kFullNames[month - 1]) << month;
    }
    void monthsOfTheYear()
    {
        QFETCH(int, month);
        const auto restore = qScopeGuard([before = QLocale()] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(QLocale::English, QLocale::Australia));
        const QDate day(2025, month, 7);
        const QString name = QString::fromLatin1(monthnames::kFullNames[month - 1]);
        const QString shown = webpages::calendarKeyDate(u"2025%1%2,QLD,Eagle Farm"_s.arg(name.left(3), u"07"_s));
        QCOMPARE(shown, u"07/%1/25"_s.arg(name.left(3)));
        QCOMPARE(webpages::meetingDate(shown), day);
        QCOMPARE(webpages::meetingDate(u"Saturday 7 %1 2025"_s.arg(name)), day);
        QCOMPARE(webpages::meetingDate(QLocale().toString(day, u"dd/MMM/yy"_s)), day); // "07/Sept/25"
        QCOMPARE(mainlists::listDate(day.toString(Qt::ISODate)), u"2025%1%2"_s.arg(name.left(3), u"07"_s));
    }

    // June, July and September meetings list, sort as dates and download. The sponsor-named venue
    // the data server does not know is asked about once; an alias answers for another; and the
    // field file of the asked-about meeting lands on the same meeting.
    void winterCalendarWithSponsorVenues()
    {
        m_site->setRoute(u"/FreeFields/Calendar.aspx?State=QLD"_s, page(u"calendar_winter.html"_s));
        for (const QString &link : {kGoldCoast, kBallarat, kFlemSep})
            m_site->setRoute(link, page(u"field.html"_s));
        trackalias::set(u"SPORTSBET-BALLARAT"_s, u"BALL"_s);
        m_dialogs->chooseListItem(u"GOLD COAST (GCST, QLD)"_s);

        frmSelectMeeting window;
        window.show();
        window.setState(u"QLD"_s);
        const auto dates = [&window] {
            QStringList shown;
            for (const CalendarEntry &entry : window.entries())
                shown << entry.date;
            return shown.join(u' ');
        };
        QCOMPARE(dates(), u"13/Sep/25 21/Jun/25 05/Jul/25"_s);
        drive::clickHeader(window.grdMeeting, 1);
        QCOMPARE(dates(), u"21/Jun/25 05/Jul/25 13/Sep/25"_s);
        drive::clickHeader(window.grdMeeting, 1);
        QCOMPARE(dates(), u"13/Sep/25 05/Jul/25 21/Jun/25"_s);

        window.grdMeeting->selectAll();
        window.cmdDownload->click();
        QVERIFY(m_dialogs->messages.last().text.startsWith(WebFieldDownloader::kSuccessText));
        QCOMPARE(rows(u"SELECT MeetingCode, State, MeetType FROM Meeting ORDER BY MeetingCode"_s),
                 u"0507BALL|VIC|P;1309FLEM|VIC|M;2106GCST|QLD|M"_s);
        QCOMPARE(m_dialogs->choiceRequests.size(), 1);
        QVERIFY(m_dialogs->choiceRequests.at(0).text.contains(u"\"Aquis Park Gold Coast\""_s));
        QCOMPARE(trackalias::trackFor(u"aquis park gold coast"_s).value_or(u"-"_s), u"GCST"_s);

        // Asked once: the next download of the venue takes the stored answer.
        const WebMeetingResult again = WebFieldDownloader::downloadMeeting(
            u"QLD"_s, {u"21/Jun/25"_s, u"Aquis Park Gold Coast"_s, u"Acceptances"_s, kGoldCoast}, false);
        QCOMPARE(again.meetingCode, u"2106GCST"_s);
        QCOMPARE(m_dialogs->choiceRequests.size(), 1);
        const QString file = m_env->root() + u"/2106GCST.DGA"_s;
        QVERIFY(QFile::copy(TestEnvironment::fixture(u"fields/2512RAND.DGA"_s), file));
        QVERIFY(FieldFileLoader::loadFile(file).loaded);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM Meeting WHERE MeetingCode = '2106GCST'"_s), u"1"_s);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM Meeting"_s), u"3"_s);
    }

    // A reload naming the booked jockey with a title or a claim is no change, on the web and the
    // field-file paths; another rider is one "rider changed". No load asks or deletes a booking.
    void titledRidersKeepTheirBookings_data()
    {
        QTest::addColumn<bool>("web");
        QTest::addColumn<QString>("rider"); // as the field writes it
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<bool>("changed");
        QTest::newRow("web: Ms") << true << u"Ms Anna Lee"_s << u"Anna Lee"_s << false;
        QTest::newRow("web: Ms and a claim") << true << u"Ms Kate Rowe (a2)"_s << u"Kate Rowe"_s << false;
        QTest::newRow("web: MRS in capitals") << true << u"MRS JO O'NEIL"_s << u"Jo O'Neil"_s << false;
        QTest::newRow("web: another rider") << true << u"Ms Anna Leigh"_s << u"Anna Lee"_s << true;
        QTest::newRow("file: Miss") << false << u"Miss Emily Lang"_s << u"Emily Lang"_s << false;
        QTest::newRow("file: Mr and a claim") << false << u"Mr Tom Berry (a3)"_s << u"Tom Berry"_s << false;
        QTest::newRow("file: another rider") << false << u"Ms Emily Lang"_s << u"Emma Lang"_s << true;
    }
    void titledRidersKeepTheirBookings()
    {
        QFETCH(bool, web);
        QFETCH(QString, rider);
        QFETCH(QString, fullName);
        QFETCH(bool, changed);
        const QString code = web ? u"2305FLEM"_s : u"2512RAND"_s;
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Jockey (Jockey, FullName, Ridewgt) VALUES ('Booked', ?, 50)"_s, {fullName});
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) "
                    "VALUES (?, 'SUPER STAR (NZ)', 'Booked', 'Planned')"_s,
                    {code});
        }
        if (web) {
            for (const QByteArray &named : {QByteArray("J Bloggs"), rider.toUtf8()}) {
                m_site->setRoute(kFlem, page(u"field.html"_s).replace("J Bloggs", named));
                QVERIFY(WebFieldDownloader::downloadMeeting(
                            u"VIC"_s, {u"23/May/25"_s, u"Flemington"_s, u"Acceptances"_s, kFlem}, false)
                            .loaded);
            }
        } else {
            QFile fixture(TestEnvironment::fixture(u"fields/2512RAND.DGA"_s));
            QVERIFY(fixture.open(QIODevice::ReadOnly));
            const QByteArray bytes = fixture.readAll();
            for (const QByteArray &named : {QByteArray("J McDonald"), rider.toLatin1()}) {
                QFile field(m_env->root() + u"/2512RAND.DGA"_s);
                QVERIFY(field.open(QIODevice::WriteOnly));
                field.write(QByteArray(bytes).replace("J McDonald", named));
                field.close();
                QVERIFY(FieldFileLoader::loadFile(field.fileName()).loaded);
            }
        }
        QCOMPARE(m_dialogs->messages.size(), 0);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM FieldChange WHERE ChangeKind = 'rider changed'"_s),
                 changed ? u"1"_s : u"0"_s);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM Bookings WHERE MeetingCode = ?"_s, {code}), u"1"_s);
    }

    // A venue keeps one meeting a day: while the data server is down, after an alias is added (the
    // stored meeting moves with its bookings and changes), and against an earlier phase or a page
    // with races and no runners.
    void venueKeepsOneMeetingADay()
    {
        const QString goldCoast = u"/FreeFields/Weights.aspx?Key=2025Jun21,QLD,Gold Coast"_s;
        QByteArray noRunners;
        for (const QByteArray &line : page(u"field.html"_s).split('\n'))
            noRunners += line.contains("\"Odd\"") || line.contains("\"Even\"") ? QByteArray() : line + '\n';
        m_site->setRoute(goldCoast, page(u"field.html"_s));
        m_site->setRoute(kGoldCoast, page(u"field.html"_s));
        const CalendarEntry weights{u"21/Jun/25"_s, u"Gold Coast"_s, u"Weights"_s, goldCoast};
        const CalendarEntry sponsored{u"21/Jun/25"_s, u"Aquis Park Gold Coast"_s, u"Acceptances"_s, kGoldCoast};
        QCOMPARE(WebFieldDownloader::downloadMeeting(u"QLD"_s, weights, false).meetingCode, u"2106GCST"_s);
        cAppSettings::instance().DataServer = u"127.0.0.1:1"_s;
        QCOMPARE(WebFieldDownloader::downloadMeeting(u"QLD"_s, weights, false).meetingCode, u"2106GCST"_s);
        QCOMPARE(WebFieldDownloader::downloadMeeting(u"QLD"_s, sponsored, false).meetingCode, u"2106AQUI"_s);
        cAppSettings::instance().DataServer = m_server.host();
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey) VALUES ('2106GCST', 'RED ROVER', 'C Green'), "
                    "('2106AQUI', 'SUPER STAR (NZ)', 'J Bloggs')"_s);
            db.exec(u"INSERT INTO FieldChange (ChangedAt, MeetingCode, Horse, ChangeKind) "
                    "VALUES ('2025-06-20 09:00:00', '2106AQUI', 'SUPER STAR (NZ)', 'barrier')"_s);
        }
        m_dialogs->messages.clear();
        trackalias::set(u"Aquis Park Gold Coast"_s, u"GCST"_s);
        m_dialogs->answerYes();
        QCOMPARE(WebFieldDownloader::downloadMeeting(u"QLD"_s, sponsored, false).meetingCode, u"2106GCST"_s);
        QVERIFY(
            m_dialogs->messages.first().text.endsWith(u"Move 2106AQUI, with its bookings and changes, to 2106GCST?"_s));
        const QString everything = u"SELECT (SELECT group_concat(MeetingCode || ' ' || MeetingLevel) FROM Meeting), "
                                   "(SELECT group_concat(MeetingCode || ' ' || Horse) FROM Bookings), "
                                   "(SELECT group_concat(DISTINCT MeetingCode) FROM FieldChange), "
                                   "(SELECT COUNT(*) FROM Noms)"_s;
        const QString accepted = u"2106GCST ACP|2106GCST RED ROVER,2106GCST SUPER STAR (NZ)|2106GCST|3"_s;
        QCOMPARE(rows(everything), accepted);

        m_dialogs->messages.clear();
        const WebMeetingResult earlier = WebFieldDownloader::downloadMeeting(u"QLD"_s, weights, false);
        QCOMPARE(earlier.leftOut, u"2106GCST holds the acceptances"_s);
        QCOMPARE(m_dialogs->shown(), QStringList{u"Confirm Replace Field|2106GCST holds the acceptances; replace them "
                                                 "with the weights in the page of Gold Coast (21/Jun/25)?"_s});
        m_site->setRoute(kGoldCoast, noRunners);
        QVERIFY(!WebFieldDownloader::downloadMeeting(u"QLD"_s, sponsored, false).loaded);
        QVERIFY(m_dialogs->messages.last().text.contains(
            u"the page lists 2 races but no runners, and 2106GCST has 3 runners"_s));
        QCOMPARE(rows(everything), accepted);
    }

    // The state list leaves the afternoon unsaid, but not the late morning or noon.
    void stateListTimes()
    {
        QCOMPARE((QList<QTime>{webpages::stateListRaceTime(u"2:30"_s), webpages::stateListRaceTime(u"11:30"_s),
                               webpages::stateListRaceTime(u"12:59"_s)}),
                 (QList<QTime>{QTime(14, 30), QTime(11, 30), QTime(12, 59)}));
    }

    void cancelledBatchKeepsFinishedMeetings()
    {
        const QList<CalendarEntry> entries{{u"23/May/25"_s, u"Flemington"_s, u"Weights"_s, kFlem},
                                           {u"24/May/25"_s, u"Caulfield"_s, u"Acceptances"_s, kLive}};
        const auto results = WebFieldDownloader::downloadMeetings(
            u"VIC"_s, entries, false, [](int index, const CalendarEntry &) { return index < 1; });
        QCOMPARE(results.size(), 1);
        QCOMPARE(rows(u"SELECT MeetingCode FROM Meeting"_s), u"2305FLEM"_s);
    }
};

QTEST_MAIN(TestWebFields)
#include "tst_webfields.moc"
