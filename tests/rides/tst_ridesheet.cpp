#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "core/Clock.h"
#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "rides/RideCalendar.h"
#include "rides/RideSheet.h"
#include "rides/SeasonFigures.h"
#include "rides/ui/FrmRideSheet.h"
#include "rides/ui/FrmSeason.h"
#include "support/Accelerators.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QApplication>
#include <QBarSeries>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

void exec(const QString &sql, const QVariantList &values = {})
{
    Db db = OpenDb();
    db.exec(sql, values);
}

void addMeeting(const QString &code, const QString &location, const QString &state, const QString &date)
{
    exec(
        u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State) VALUES (?,?,'ACP',?,?)"_s,
        {code, location, date, state});
}

// A race with one nominated horse booked for the jockey; an empty rider leaves the horse out of the field.
void addRide(const QString &meeting, int race, const QString &time, const QString &horse, int barrier, int weight,
             const QString &rider, const QString &marker = {}, const QString &jockey = u"J SMITH"_s)
{
    const QString raceCode = u"1200 R%1"_s.arg(race);
    exec(u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceTime) VALUES (?,?,?,?)"_s,
         {meeting, raceCode, race, QString(time + u":00"_s)});
    if (!rider.isEmpty())
        exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName, Phone, Weight, Jockey, "
             "Barrier, EorB) VALUES (?,?,?,?,'P MOODY','03 9000 0000',?,?,?,?)"_s,
             {meeting, raceCode, race, horse, weight, rider, barrier, marker});
    exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, Confirmed) "
         "VALUES (?,?,?,'P MOODY',?,'Confirmed',1)"_s,
         {meeting, raceCode, horse, jockey});
}

struct Cli {
    int status = -1;
    QStringList lines;
};

Cli runCli(const QStringList &arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(OSTREVAN_CLI_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)};
}

// The calendar file's content lines unfolded, as a parser reads them.
QStringList unfolded(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll().replace("\r\n ", "")).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

QStringList valuesOf(const QStringList &lines, const QString &name)
{
    QStringList values;
    for (const QString &line : lines)
        if (line.startsWith(name + u':'))
            values << line.mid(name.size() + 1);
    return values;
}

} // namespace

class TestRideSheet : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->createDatabase();
        cAppSettings::instance().Companyname = u"Southern Cross Riding"_s;
        cAppSettings::instance().SaveSettings(); // the CLI finds the database through them
        exec(u"INSERT INTO Jockey (Jockey, FullName, Ridewgt) VALUES ('J SMITH', 'John Smith', 55), "
             "('K ROWE', 'Kate Rowe', 52)"_s);
    }
    void cleanup()
    {
        Clock::setInstance(nullptr);
        m_env.reset();
    }

    void startsAtItsStatesInstant_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("utc"); // of a race at 12:30 on the meeting's clock
        QTest::newRow("VIC summer") << "VIC"
                                    << "2026-01-03"
                                    << "2026-01-03T01:30:00Z";
        QTest::newRow("VIC last day of daylight time") << "VIC"
                                                       << "2026-04-04"
                                                       << "2026-04-04T01:30:00Z";
        QTest::newRow("VIC first day of standard time") << "VIC"
                                                        << "2026-04-05"
                                                        << "2026-04-05T02:30:00Z";
        QTest::newRow("NSW first day of daylight time") << "NSW"
                                                        << "2026-10-04"
                                                        << "2026-10-04T01:30:00Z";
        QTest::newRow("ACT keeps Sydney's clock") << "ACT"
                                                  << "2026-01-03"
                                                  << "2026-01-03T01:30:00Z";
        QTest::newRow("TAS summer") << "TAS"
                                    << "2026-01-03"
                                    << "2026-01-03T01:30:00Z";
        QTest::newRow("QLD keeps no daylight time") << "QLD"
                                                    << "2026-01-03"
                                                    << "2026-01-03T02:30:00Z";
        QTest::newRow("SA half an hour off") << "SA"
                                             << "2026-01-03"
                                             << "2026-01-03T02:00:00Z";
        QTest::newRow("NT") << "NT"
                            << "2026-01-03"
                            << "2026-01-03T03:00:00Z";
        QTest::newRow("WA") << "WA"
                            << "2026-01-03"
                            << "2026-01-03T04:30:00Z";
        QTest::newRow("WA winter") << "WA"
                                   << "2026-07-04"
                                   << "2026-07-04T04:30:00Z";
    }
    void startsAtItsStatesInstant()
    {
        QFETCH(QString, state);
        QFETCH(QString, date);
        QFETCH(QString, utc);
        addMeeting(u"M1"_s, u"Track"_s, state, date);
        addRide(u"M1"_s, 1, u"12:30"_s, u"HORSE"_s, 1, 560, u"John Smith"_s);
        const QList<Ride> rides = ridesheet::readRides(u"J SMITH"_s, QDate::fromString(date, Qt::ISODate));
        QCOMPARE(rides.size(), 1);
        QCOMPARE(rides.first().start.toString(Qt::ISODate), utc);
        QCOMPARE(rides.first().timeText(), u"12:30"_s);
    }

    // What the jockey needs a word about (J SMITH, "John Smith", rides at 55 kg).
    void warnings_data()
    {
        QTest::addColumn<QString>("rider");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("weightText");
        QTest::addColumn<QString>("warning");
        QTest::newRow("named by full name") << "John Smith" << 560 << ""
                                            << "56.0"
                                            << "";
        QTest::newRow("named by title and case") << "MR JOHN SMITH" << 550 << ""
                                                 << "55.0"
                                                 << "";
        QTest::newRow("named by the booked name") << "J Smith" << 560 << ""
                                                  << "56.0"
                                                  << "";
        QTest::newRow("nobody named yet") << "" << 0 << ""
                                          << ""
                                          << "";
        QTest::newRow("another rider") << "Kate Rowe" << 560 << ""
                                       << "56.0"
                                       << "field names Kate Rowe";
        QTest::newRow("heavier than the weight") << "John Smith" << 545 << ""
                                                 << "54.5"
                                                 << "rides 55.0 kg, over the weight";
        QTest::newRow("a claim takes the weight under") << "John Smith (a2)" << 565 << ""
                                                        << "56.5 (a2)"
                                                        << "rides 55.0 kg, over the weight";
        QTest::newRow("a claim that leaves room") << "John Smith (a1.5)" << 580 << ""
                                                  << "58.0 (a1.5)"
                                                  << "";
        QTest::newRow("emergency") << "John Smith" << 560 << "E"
                                   << "56.0"
                                   << "emergency";
        QTest::newRow("balloted out") << "John Smith" << 560 << "B"
                                      << "56.0"
                                      << "balloted out";
        QTest::newRow("scratched in the field") << "John Smith" << 560 << "S"
                                                << "56.0"
                                                << "scratched";
    }
    void warnings()
    {
        QFETCH(QString, rider);
        QFETCH(int, weight);
        QFETCH(QString, marker);
        QFETCH(QString, weightText);
        QFETCH(QString, warning);
        addMeeting(u"M1"_s, u"Track"_s, u"VIC"_s, u"2026-01-03"_s);
        // An empty rider still leaves the horse in the field here.
        addRide(u"M1"_s, 1, u"00:01"_s, u"HORSE"_s, 4, weight, rider.isEmpty() ? u" "_s : rider, marker);
        const QList<Ride> rides = ridesheet::readRides(u"J SMITH"_s, QDate(2026, 1, 3));
        QCOMPARE(rides.size(), 1);
        QCOMPARE(rides.first().weightText(), weightText);
        QCOMPARE(rides.first().warningText(), warning);
        QVERIFY(!rides.first().start.isValid()); // 00:01: the time is not known
    }

    // Two meetings in two states on one day: the lines, the PDF and two calendar exports, read as a jockey's
    // phone would; then every jockey, and the next day with rides.
    void dayAcrossTwoStates()
    {
        addMeeting(u"0301FLEM"_s, u"Flemington"_s, u"VIC"_s, u"2026-01-03"_s);
        addMeeting(u"0301EAGL"_s, u"Eagle Farm"_s, u"QLD"_s, u"2026-01-03"_s);
        addMeeting(u"0701RAND"_s, u"Randwick"_s, u"NSW"_s, u"2026-01-07"_s);
        addRide(u"0301FLEM"_s, 5, u"14:30"_s, u"FLYER"_s, 3, 565, u"John Smith"_s);
        addRide(u"0301FLEM"_s, 7, u"15:40"_s, u"SPARE ONE"_s, 0, 570, u"John Smith"_s, u"E"_s);
        addRide(u"0301EAGL"_s, 3, u"13:50"_s, u"BRIS, BOY"_s, 7, 540, u"Kate Rowe (a2)"_s);
        addRide(u"0301EAGL"_s, 2, u"13:15"_s, u"GONE AWAY"_s, 0, 0, {});
        addRide(u"0301EAGL"_s, 6, u"15:10"_s, u"ROWES"_s, 2, 550, u"Kate Rowe (a2)"_s, {}, u"K ROWE"_s);
        addRide(u"0701RAND"_s, 1, u"12:00"_s, u"LATER"_s, 1, 580, u"John Smith"_s);

        const QString dir = m_env->root() + u'/';
        const QStringList settings{u"--settings"_s, m_env->settingsFile()};
        const Cli first = runCli(settings + QStringList{u"ride-sheet"_s, u"john smith"_s, u"--date"_s, u"2026-01-03"_s,
                                                        u"--ics"_s, dir + u"1.ics"_s, u"--pdf"_s, dir + u"1.pdf"_s});
        QCOMPARE(first.status, 0);
        // Start order on one clock: 13:15 in Queensland comes before 14:30 in Victoria, 13:50 after it.
        const QStringList expected{
            u"2026-01-03\t13:15\t0301EAGL\t2\tGONE AWAY\t\t\tP MOODY\t\tConfirmed\tscratched"_s,
            u"2026-01-03\t14:30\t0301FLEM\t5\tFLYER\t3\t56.5\tP MOODY\t03 9000 0000\tConfirmed\t"_s,
            u"2026-01-03\t13:50\t0301EAGL\t3\tBRIS, BOY\t7\t54.0\tP MOODY\t03 9000 0000\tConfirmed\t"
            "field names Kate Rowe (a2); rides 55.0 kg, over the weight"_s,
            u"2026-01-03\t15:40\t0301FLEM\t7\tSPARE ONE\t\t57.0\tP MOODY\t03 9000 0000\tConfirmed\temergency"_s};
        QCOMPARE(first.lines, expected);

        const QStringList calendar = unfolded(dir + u"1.ics"_s);
        QCOMPARE(valuesOf(calendar, u"DTSTART"_s), (QStringList{u"20260103T031500Z"_s, u"20260103T033000Z"_s,
                                                                u"20260103T035000Z"_s, u"20260103T044000Z"_s}));
        QCOMPARE(valuesOf(calendar, u"DTEND"_s).value(1), u"20260103T034000Z"_s);
        QCOMPARE(valuesOf(calendar, u"SUMMARY"_s).value(1), u"R5 FLYER (barrier 3\\, 56.5 kg)"_s);
        QCOMPARE(valuesOf(calendar, u"SUMMARY"_s).value(2), u"R3 BRIS\\, BOY (barrier 7\\, 54.0 kg)"_s);
        QCOMPARE(valuesOf(calendar, u"LOCATION"_s).value(1), u"Flemington"_s);
        QVERIFY(valuesOf(calendar, u"DESCRIPTION"_s).value(1).contains(u"P MOODY\\nPhone: 03 9000 0000"_s));

        // The same bookings keep their UIDs in a later file; a race put back moves its event instead of doubling it.
        exec(u"UPDATE Race SET RaceTime = '16:20:00' WHERE MeetingCode = '0301FLEM' AND RaceNumber = 5"_s);
        QCOMPARE(runCli(settings + QStringList{u"ride-sheet"_s, u"J SMITH"_s, u"--date"_s, u"2026-01-03"_s, u"--ics"_s,
                                               dir + u"2.ics"_s})
                     .status,
                 0);
        const QStringList again = unfolded(dir + u"2.ics"_s);
        QStringList before = valuesOf(calendar, u"UID"_s), after = valuesOf(again, u"UID"_s);
        QCOMPARE(before.size(), 4);
        QCOMPARE(QSet<QString>(before.begin(), before.end()).size(), 4);
        QCOMPARE(after.last(), before.at(1));
        before.sort();
        after.sort();
        QCOMPARE(after, before);

        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (!pdftotext.isEmpty()) {
            QProcess text;
            text.start(pdftotext, {u"-layout"_s, dir + u"1.pdf"_s, u"-"_s});
            QVERIFY(text.waitForFinished(30000));
            const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
            for (const QString &expectedText : {u"Southern Cross Riding"_s, u"Rides for J SMITH"_s, u"FLYER"_s,
                                                u"GONE AWAY"_s, u"scratched"_s, u"emergency"_s})
                QVERIFY2(pdf.contains(expectedText), qPrintable(expectedText));
        }

        // Every jockey: K ROWE's ride follows J SMITH's; one page each.
        exec(u"UPDATE Race SET RaceTime = '00:01:00' WHERE MeetingCode = '0301EAGL' AND RaceNumber = 6"_s);
        const Cli all = runCli(settings + QStringList{u"ride-sheet"_s, u"--all"_s, u"--date"_s, u"2026-01-03"_s,
                                                      u"--pdf"_s, dir + u"all.pdf"_s, u"--ics"_s, dir + u"all.ics"_s});
        QCOMPARE(all.lines.size(), 5);
        QCOMPARE(valuesOf(unfolded(dir + u"all.ics"_s), u"DTSTART;VALUE=DATE"_s), QStringList{u"20260103"_s});
        if (const QString pdfinfo = QStandardPaths::findExecutable(u"pdfinfo"_s); !pdfinfo.isEmpty()) {
            QProcess info;
            info.start(pdfinfo, {dir + u"all.pdf"_s});
            QVERIFY(info.waitForFinished(30000));
            QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(u"Pages:\\s+2\\n"_s)));
        }
        QVERIFY(all.lines.last().contains(u"\t\t0301EAGL\t6\tROWES\t2\t55.0 (a2)\t"_s));
        QCOMPARE(ridesheet::nextDayWithRides(u"J SMITH"_s, QDate(2026, 1, 2)), QDate(2026, 1, 3));
        QCOMPARE(ridesheet::nextDayWithRides(u"J SMITH"_s, QDate(2026, 1, 3)), QDate(2026, 1, 7));
        QCOMPARE(ridesheet::nextDayWithRides(u"K ROWE"_s, QDate(2026, 1, 3)), QDate(2026, 1, 4));
    }

    void refusedArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("no jockey") << QStringList{u"ride-sheet"_s} << 2;
        QTest::newRow("a jockey and --all") << QStringList{u"ride-sheet"_s, u"J SMITH"_s, u"--all"_s} << 2;
        QTest::newRow("no such jockey") << QStringList{u"ride-sheet"_s, u"NOBODY"_s} << 1;
        QTest::newRow("days not a number") << QStringList{u"ride-sheet"_s, u"J SMITH"_s, u"--days"_s, u"x"_s} << 2;
        QTest::newRow("no days") << QStringList{u"ride-sheet"_s, u"J SMITH"_s, u"--days"_s, u"0"_s} << 2;
        QTest::newRow("date not a date") << QStringList{u"ride-sheet"_s, u"--all"_s, u"--date"_s, u"3/1/26"_s} << 2;
        QTest::newRow("unwritable calendar")
            << QStringList{u"ride-sheet"_s, u"--all"_s, u"--ics"_s, u"/no/such/folder/x.ics"_s} << 1;
        QTest::newRow("season without jockey") << QStringList{u"season"_s} << 2;
        QTest::newRow("season backwards")
            << QStringList{u"season"_s, u"J SMITH"_s, u"--from"_s, u"2026-02-01"_s, u"--to"_s, u"2026-01-01"_s} << 2;
        QTest::newRow("season of nobody") << QStringList{u"season"_s, u"NOBODY"_s} << 1;
    }
    void refusedArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const Cli cli = runCli(QStringList{u"--settings"_s, m_env->settingsFile()} + arguments);
        QCOMPARE(cli.status, status);
        QVERIFY(cli.lines.isEmpty());
    }

    void foldsAndEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("separators") << u"a,b;c\\d\ne"_s;
        QTest::newRow("long ascii") << QString(200, u'x');
        QTest::newRow("long with accents") << QString(90, u'é') + u"ü"_s;
    }
    void foldsAndEscapes()
    {
        QFETCH(QString, text);
        const QByteArray line = "DESCRIPTION:" + ridecalendar::escapeText(text).toUtf8();
        const QByteArray folded = ridecalendar::foldLine(line);
        for (const QByteArray &part : folded.split('\n')) {
            QVERIFY(part.size() <= 76);                        // 75 octets and the CR
            QVERIFY(QString::fromUtf8(part).toUtf8() == part); // no character cut in two
        }
        QCOMPARE(QByteArray(folded).replace("\r\n ", ""), line);
        QString back = QString::fromUtf8(line.mid(12));
        back.replace(u"\\n"_s, u"\n"_s).replace(u"\\,"_s, u","_s).replace(u"\\;"_s, u";"_s).replace(u"\\\\"_s, u"\\"_s);
        QCOMPARE(back, text);
    }

    // Rides counted by hand: a month without rides, a ride of another jockey, one outside the dates.
    void seasonByMonth()
    {
        const char *rides[][4] = {{"J SMITH", "2025-11-02", "1", "12000.50"}, {"j smith", "2025-11-09", "2", "3000"},
                                  {"J SMITH", "2025-11-30", "9", "0"},        {"J SMITH", "2026-01-04", "3", "1500"},
                                  {"J SMITH", "2026-01-18", "1", "8000"},     {"J SMITH", "2026-01-25", "1", "7000"},
                                  {"K ROWE", "2025-11-02", "1", "50000"},     {"J SMITH", "2026-02-01", "1", "9999"},
                                  {"J SMITH", "2025-10-31", "1", "9999"}};
        for (const auto &ride : rides)
            exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney) "
                 "VALUES (?, ?, 1, 'FLEM', 'H', ?, ?)"_s,
                 {QLatin1String(ride[0]), QLatin1String(ride[1]), QLatin1String(ride[2]), QLatin1String(ride[3])});
        const Cli season = runCli({u"--settings"_s, m_env->settingsFile(), u"season"_s, u"J SMITH"_s, u"--from"_s,
                                   u"2025-11-01"_s, u"--to"_s, u"2026-01-31"_s});
        QCOMPARE(season.status, 0);
        QCOMPARE(season.lines,
                 (QStringList{u"2025-11\t3\t1\t1\t0\t15000.50\t33.3"_s, u"2025-12\t0\t0\t0\t0\t0.00\t0.0"_s,
                              u"2026-01\t3\t2\t0\t1\t16500.00\t66.7"_s}));

        // The window's default is the twelve months to today; its chart has the two bar sets and the line.
        FixedClock clock(QDateTime(QDate(2026, 1, 20), QTime(9, 0)));
        Clock::setInstance(&clock);
        QCOMPARE(season::lastTwelveMonths(clock.today()).from, QDate(2025, 2, 1));
        FrmSeason window(u"j smith"_s);
        QCOMPARE(window.months().size(), 12);
        QCOMPARE(window.months().last().rides, 2); // to the 20th only
        QCOMPARE(window.chart()->series().size(), 2);
        QCOMPARE(qobject_cast<QBarSeries *>(window.chart()->series().first())->count(), 2);
        if (const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s); !pdftotext.isEmpty()) {
            const QString pdf = m_env->root() + u"/season.pdf"_s;
            {
                QPdfWriter writer(pdf);
                QPainter painter(&writer);
                window.paintPage(painter, QRect(0, 0, writer.width(), writer.height()));
            }
            QProcess text;
            text.start(pdftotext, {u"-layout"_s, pdf, u"-"_s});
            QVERIFY(text.waitForFinished(30000));
            const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
            QVERIFY2(page.contains(u"Southern Cross Riding"_s), qPrintable(page));
            QVERIFY2(page.contains(u"Nov 2025 3 1 1 0 $15,000.50 33.3"_s), qPrintable(page));
        }
    }

    // The window as the agent uses it: opens on the next day with rides, copies a message, saves a calendar.
    void windowSequence()
    {
        addMeeting(u"0301FLEM"_s, u"Flemington"_s, u"VIC"_s, u"2026-01-03"_s);
        addRide(u"0301FLEM"_s, 5, u"14:30"_s, u"FLYER"_s, 3, 565, u"Kate Rowe"_s);
        FixedClock clock(QDateTime(QDate(2026, 1, 1), QTime(18, 0)));
        Clock::setInstance(&clock);
        ScriptedDialogs dialogs;
        FrmRideSheet window(u"J SMITH"_s);
        QCOMPARE(window.dtpDate->date(), QDate(2026, 1, 3));
        QCOMPARE(window.grdRides->model()->rowCount(), 1);
        const QAbstractItemModel *model = window.grdRides->model();
        QCOMPARE(model->index(0, model->columnCount() - 1).data().toString(), u"field names Kate Rowe"_s);
        window.cmdCopy->click();
        QVERIFY(QApplication::clipboard()->text().contains(u"R5 14:30 Flemington (VIC): FLYER, barrier 3"_s));
        const QString ics = m_env->root() + u"/w.ics"_s;
        dialogs.chooseSaveFile(ics);
        window.cmdCalendar->click();
        QCOMPARE(valuesOf(unfolded(ics), u"DTSTART"_s), QStringList{u"20260103T033000Z"_s});
        // Every jockey over a week: the jockey and the date get their columns.
        window.cmbJockey->setCurrentIndex(0);
        window.spnDays->setValue(7);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"Date"_s);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), u"Jockey"_s);
        QCOMPARE(model->rowCount(), 1);
        window.cmbJockey->setCurrentIndex(window.cmbJockey->findText(u"J SMITH"_s));
        window.spnDays->setValue(1);
        window.dtpDate->setDate(QDate(2026, 1, 4));
        QCOMPARE(window.grdRides->model()->rowCount(), 0);
        QVERIFY(!window.cmdCopy->isEnabled());
        QVERIFY(dialogs.messages.isEmpty());
    }

    // The jockey list's pop-up menu opens both windows on the jockey chosen there.
    void openedFromTheJockeyList()
    {
        startup::setRideRefresher([] {});
        sounds::setPlayer([](const QString &, bool) { return true; });
        ScriptedDialogs dialogs;
        QPointer<MainWindow> main = MainWindow::instance();
        QVERIFY(main->load());
        QVERIFY(main->findChild<QAction *>(u"mnuRideSheet"_s) && main->findChild<QAction *>(u"mnuSeason"_s));
        QCOMPARE(duplicateAccelerators(main), QStringList()); // the Jockeys menu takes a free key
        const QModelIndexList rows =
            main->grdJockey->model()->match(main->grdJockey->model()->index(0, 0), Qt::DisplayRole, u"K ROWE"_s);
        QCOMPARE(rows.size(), 1);
        main->grdJockey->selectRow(rows.first().row());
        drive::trigger(main, u"mnuJockeyRideSheet"_s);
        auto *day = main->findChild<FrmRideSheet *>();
        QVERIFY(day && day->isVisible());
        QCOMPARE(day->chosenJockey(), u"K ROWE"_s);
        drive::trigger(main, u"mnuJockeySeason"_s);
        auto *season = main->findChild<FrmSeason *>();
        QVERIFY(season && season->isVisible());
        QCOMPARE(season->cmbJockey->currentText(), u"K ROWE"_s);
        QCOMPARE(duplicateAccelerators(day), QStringList());
        QCOMPARE(duplicateAccelerators(season), QStringList());
        delete main;
        sounds::setPlayer({});
        startup::setRideRefresher({});
        QVERIFY(dialogs.messages.isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestRideSheet)
#include "tst_ridesheet.moc"
