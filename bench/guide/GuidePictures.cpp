// Draws the windows of the user guide (docs/guide.md) over a demo day and saves each as a small PNG:
// docs/guide/*.png come from here, through the CMake target guide_pictures.
//
// The demo day: a year of form made by the data server's demo generator and served on loopback, the coming
// week's fields loaded by ostrevan-cli (acceptances for the next three days, weights after them, then
// nominations), two managed jockeys with their rides downloaded from the server, riding fees, bookings and
// the example rating-to-weight table. For the changes after a reload, a few horses of a meeting loaded at
// weights are booked and its acceptances loaded through the main window. Every window is opened through the entry point
// the program itself uses (a menu action, an open function) and grabbed once it shows; a window that runs modally is
// closed after its picture. A new window is one more entry in pictures().
//   guide_picture_maker [FOLDER [NAME...]]   (default: the current folder, every picture)
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SplashWindow.h"
#include "bookings/BookingHistory.h"
#include "bookings/MainLists.h"
#include "bookings/RaceRunners.h"
#include "bookings/ui/FrmBookingHistory.h"
#include "bookings/ui/FrmChanges.h"
#include "bookings/ui/FrmRace.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/MeetingPrintPreview.h"
#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "db/Backups.h"
#include "db/Database.h"
#include "formdata/ui/FormWindows.h"
#include "invoicing/InvoiceReport.h"
#include "invoicing/JockeyInvoice.h"
#include "invoicing/ui/InvoicePreview.h"
#include "rides/ui/FrmRideSheet.h"
#include "rides/ui/FrmSeason.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// The demo's today: the form history ends the day before, the fields run for the week after.
const QDate kToday(2026, 6, 30);

struct Picture {
    QString name;                                // the file is NAME.png
    QSize size;                                  // the window's size in the picture; empty: as it opens
    std::function<void()> open;                  // opens the window (may run it modally)
    std::function<void(QWidget *)> arrange = {}; // gestures on the window before the picture
    bool keepOpen = false;                       // the main window stays for the windows after it
    std::function<QWidget *()> shown = {};       // instead of open: a window that is already open
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "guide pictures: %s\n", qPrintable(why));
    std::exit(1);
}

void runCli(const QStringList &arguments)
{
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH), arguments);
    if (!cli.waitForFinished(300000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0)
        fail(u"ostrevan-cli %1 failed"_s.arg(arguments.join(u' ')));
}

QString firstValue(const QString &sql, const QVariantList &values = {})
{
    const QStringList rows = queryRows(sql, values);
    return rows.isEmpty() ? QString() : rows.first().section(u'|', 0, 0);
}

// The demo's form database, served on loopback, and the agent's database over the coming week's fields.
class DemoDay
{
public:
    DemoDay() : m_server(QDir(m_env.root()).filePath(u"forms.db"_s)) {}

    QString fieldsFolder() const { return QDir(m_env.root()).filePath(u"fields"_s); }

    void build()
    {
        const QString fields = fieldsFolder();
        const QString made = m_server.admin({u"generate-demo"_s, u"--seed"_s, u"7"_s, u"--years"_s, u"1"_s,
                                             u"--until"_s, kToday.toString(Qt::ISODate), u"--fields-dir"_s, fields});
        if (!made.isEmpty())
            fail(made);
        if (const QString added = m_server.admin({u"add-user"_s, u"demo"_s}, "demo\n"); !added.isEmpty())
            fail(added);
        if (!m_server.start())
            fail(u"the demo data server did not start"_s);

        cAppSettings &settings = cAppSettings::instance();
        settings.DataServer = m_server.host();
        settings.UserName = u"demo"_s;
        settings.UserPass = u"demo"_s;
        settings.Companyname = u"Southern Cross Riding Management"_s;
        settings.ABN = u"51 824 753 556"_s;
        settings.DefaultState = u"VIC"_s;
        settings.AddDataPath = fields;
        settings.ApplyGST = true;
        settings.NextInvoiceNumber = 1042;
        settings.AlwCalcWeights = true;
        settings.SaveSettings();
        runCli({u"init"_s});
        runCli(QStringList{u"load-fields"_s} + fieldFiles(fields));
        runCli({u"import-weights"_s, QString::fromUtf8(OSTREVAN_WEIGHTS_EXAMPLE)});
        addStatesAndMeetTypes();
        addJockeysAndRates();
        runCli({u"download-rides"_s});
        addBookings();
        settings.LoadSettings();
    }

private:
    // Acceptances for the next three days, weights for the two after, nominations for the rest.
    static QStringList fieldFiles(const QString &folder)
    {
        QStringList files;
        for (int day = 0; day < 7; ++day) {
            const QString kind = day < 3 ? u"DGA"_s : day < 5 ? u"DGW"_s : u"DGN"_s;
            const QString prefix = kToday.addDays(day).toString(u"ddMM"_s);
            for (const QString &file : QDir(folder).entryList({prefix + u"*."_s + kind}, QDir::Files, QDir::Name))
                files << QDir(folder).filePath(file);
        }
        if (files.isEmpty())
            fail(u"the demo wrote no field files"_s);
        return files;
    }

    // The field files name no state or meet type; the form data's track list has both (the weights need them).
    void addStatesAndMeetTypes()
    {
        Db db(cAppSettings::instance().DBPath + u"/Kelbrin.mdb"_s);
        db.exec(u"ATTACH DATABASE ? AS form"_s, {m_server.dbFile()});
        db.exec(u"UPDATE Meeting SET State = (SELECT T.State FROM form.Track T WHERE T.TrackCode = "
                "substr(Meeting.MeetingCode, 5)), MeetType = (SELECT T.MeetType FROM form.Track T WHERE "
                "T.TrackCode = substr(Meeting.MeetingCode, 5))"_s);
        db.exec(u"DETACH DATABASE form"_s);
    }

    // The two busiest riders of the loaded fields become the managed jockeys, under the names the form data
    // gives them (initial and surname in capitals).
    static void addJockeysAndRates()
    {
        const QStringList riders = queryRows(
            u"SELECT Jockey FROM Noms WHERE Jockey <> '' GROUP BY Jockey ORDER BY count(*) DESC, Jockey LIMIT 2"_s);
        if (riders.size() < 2)
            fail(u"the demo fields name too few riders"_s);
        Db db(cAppSettings::instance().DBPath + u"/Kelbrin.mdb"_s);
        Transaction transaction(db);
        const QStringList colours{u"16744448"_s, u"6737151"_s};
        const QStringList mobiles{u"0412 345 678"_s, u"0423 456 789"_s};
        for (int i = 0; i < riders.size(); ++i) {
            const QString fullName = riders.at(i);
            const QString formName = (fullName.left(1) + u' ' + fullName.section(u' ', -1)).toUpper();
            db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, JockeyEmail, JockeyMobile, Ridewgt, "
                    "ManagerRate, ManBookFee, ScratchFee, TrialFee, InvoicePeriod, LastInvoiceDate) "
                    "VALUES (?, ?, ?, ?, ?, ?, 10, 0, 25, 15, 'MT', ?)"_s,
                    {formName, fullName, colours.at(i),
                     QString(fullName.toLower().replace(u' ', u'.') + u"@example.com.au"_s), mobiles.at(i), 53.5 + i,
                     kToday.addDays(-kToday.day()).toString(Qt::ISODate)});
        }
        for (const QString &state : {u"VIC"_s, u"NSW"_s, u"QLD"_s, u"SA"_s, u"WA"_s, u"TAS"_s, u"NT"_s, u"ACT"_s}) {
            db.exec(u"INSERT INTO BookRate (State, RaceType, DateEffective, BookingRate) VALUES (?, 'R', ?, ?)"_s,
                    {state, u"2025-07-01"_s, state == u"NSW"_s ? 240 : 220});
            db.exec(u"INSERT INTO BookRate (State, RaceType, DateEffective, BookingRate) VALUES (?, 'T', ?, 90)"_s,
                    {state, u"2025-07-01"_s});
        }
        transaction.commit();
    }

    // The managed jockeys on the horses the fields name them for: confirmed at acceptances, planned before;
    // and a few horses with only a note so far.
    static void addBookings()
    {
        Db db(cAppSettings::instance().DBPath + u"/Kelbrin.mdb"_s);
        Transaction transaction(db);
        db.exec(
            u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, Confirmed) "
            "SELECT N.MeetingCode, N.RaceCode, N.Horse, N.TrainerName, J.Jockey, "
            "CASE M.MeetingLevel WHEN 'ACP' THEN 'Confirmed' ELSE 'Planned' END, M.MeetingLevel = 'ACP' "
            "FROM Noms N JOIN Jockey J ON J.FullName = N.Jockey JOIN Meeting M ON M.MeetingCode = N.MeetingCode"_s);
        db.exec(
            u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, Confirmed) "
            "SELECT N.MeetingCode, N.RaceCode, N.Horse, N.TrainerName, NULL, 'Trainer To Confirm', 0 "
            "FROM Noms N JOIN Meeting M ON M.MeetingCode = N.MeetingCode "
            "WHERE M.MeetingLevel = 'NOM' AND N.rowid % 23 = 0"_s);
        transaction.commit();
    }

    TestEnvironment m_env;
    DataServerProcess m_server;
};

// The horses of an acceptances file and their riders (empty when it names none), by horse in capitals; read
// only as far as choosing the bookings that its load will change.
QHash<QString, QString> acceptedRiders(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(u"cannot read %1"_s.arg(path));
    QHash<QString, QString> riders;
    // A runner's line: race and entry number, "400", then fields separated by "<" (13: horse, 15: rider).
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.mid(4, 3) != "400")
            continue;
        const QStringList fields = QString::fromLatin1(line.mid(7)).trimmed().split(u'<');
        if (fields.size() > 15)
            riders.insert(fields.at(13).trimmed().toUpper(), fields.at(15).trimmed());
    }
    return riders;
}

// Books a few horses of a meeting loaded at weights so that its acceptances change them: one the acceptances
// give to the booked jockey (a barrier is drawn), two given to other riders, one not accepted. The meeting is
// the first whose acceptances name a managed jockey, so that the naming shows too. Returns the file to load.
QString bookForReload(const QString &fieldsFolder)
{
    const QStringList jockeys = queryRows(u"SELECT Jockey, FullName FROM Jockey ORDER BY Jockey"_s);
    const auto namesManaged = [&jockeys](const QHash<QString, QString> &riders) {
        for (const QString &rider : riders)
            for (const QString &jockey : jockeys)
                if (rider.compare(jockey.section(u'|', 1, 1), Qt::CaseInsensitive) == 0)
                    return true;
        return false;
    };
    QString meeting, acceptances;
    QHash<QString, QString> riders;
    for (const QString &code :
         queryRows(u"SELECT MeetingCode FROM Meeting WHERE MeetingLevel = 'WGT' ORDER BY MeetingDate, MeetingCode"_s)) {
        const QString file = QDir(fieldsFolder).filePath(code + u".DGA"_s);
        if (!QFile::exists(file))
            continue;
        const QHash<QString, QString> named = acceptedRiders(file);
        if (meeting.isEmpty() || namesManaged(named)) {
            meeting = code;
            acceptances = file;
            riders = named;
        }
        if (namesManaged(named))
            break;
    }
    if (meeting.isEmpty())
        fail(u"the demo has no meeting at weights with acceptances to come"_s);
    QString ownRide, notAccepted;
    QStringList bookings; // "horse|jockey"
    int others = 0;
    for (const QString &row :
         queryRows(u"SELECT Horse FROM Noms WHERE MeetingCode = ? ORDER BY RaceNumber, rowid"_s, {meeting})) {
        const QString horse = row.section(u'|', 0, 0);
        const auto rider = riders.constFind(horse.toUpper());
        if (rider == riders.constEnd()) {
            if (notAccepted.isEmpty())
                bookings << (notAccepted = horse) + u'|' + jockeys.value(1).section(u'|', 0, 0);
            continue;
        }
        QString managed;
        for (const QString &jockey : jockeys)
            if (rider->compare(jockey.section(u'|', 1, 1), Qt::CaseInsensitive) == 0)
                managed = jockey.section(u'|', 0, 0);
        if (!managed.isEmpty()) {
            if (ownRide.isEmpty())
                bookings << (ownRide = horse) + u'|' + managed;
        } else if (!rider->isEmpty() && others < 2)
            bookings << horse + u'|' + jockeys.value(others++ % jockeys.size()).section(u'|', 0, 0);
    }
    Db db(cAppSettings::instance().DBPath + u"/Kelbrin.mdb"_s);
    Transaction transaction(db);
    for (const QString &booking : bookings)
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
                "Confirmed) SELECT MeetingCode, RaceCode, Horse, TrainerName, ?, 'Planned', 0 FROM Noms "
                "WHERE MeetingCode = ? AND Horse = ?"_s,
                {booking.section(u'|', 1, 1), meeting, booking.section(u'|', 0, 0)});
    transaction.commit();
    return acceptances;
}

// The visible top-level windows now.
QList<QWidget *> visibleWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            windows << widget;
    return windows;
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Opens the picture's window, waits for it to show, arranges it, grabs it and closes it unless it stays.
// The waiting runs from a timer, so it goes on inside the event loop of a window that runs modally.
QImage take(const Picture &picture)
{
    QImage image;
    bool done = false;
    const auto grab = [&](QWidget *window) {
        if (!picture.size.isEmpty())
            window->resize(picture.size);
        settle(200);
        if (picture.arrange)
            picture.arrange(window);
        settle(400);
        image = window->grab().toImage();
        done = true;
        if (!picture.keepOpen)
            window->close();
    };
    if (picture.shown) {
        grab(picture.shown());
        return image;
    }
    const QList<QWidget *> before = visibleWindows();
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window || before.contains(window)) {
            window = nullptr;
            for (QWidget *candidate : visibleWindows())
                if (!before.contains(candidate))
                    window = candidate;
        }
        if (!window)
            return;
        poll.stop();
        grab(window);
    });
    poll.start();
    picture.open();
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return image;
}

// A race of an accepted meeting with a managed jockey booked, as "MEETINGCODE|RACE". Chosen once: the
// reload for the changes books more horses, and the pictures after it show the same meeting.
QString bookedRace()
{
    static const QString race =
        queryRows(u"SELECT B.MeetingCode, N.RaceNumber FROM Bookings B JOIN Noms N ON N.MeetingCode = B.MeetingCode "
                  "AND N.Horse = B.Horse JOIN Meeting M ON M.MeetingCode = B.MeetingCode "
                  "WHERE B.Jockey IS NOT NULL AND M.MeetingLevel = 'ACP' "
                  "GROUP BY B.MeetingCode, N.RaceNumber ORDER BY count(*) DESC, M.MeetingDate, 1, 2 LIMIT 1"_s)
            .value(0);
    return race;
}

// A Victorian race whose type the example weight table holds, as "MEETINGCODE|RACE|RACETYPE".
QString weightsRace()
{
    return queryRows(u"SELECT R.MeetingCode, R.RaceNumber, W.RaceType FROM Race R JOIN Meeting M ON M.MeetingCode = "
                     "R.MeetingCode JOIN (SELECT DISTINCT MeetType, RaceType FROM RBHTable) W ON W.MeetType = "
                     "M.MeetType AND W.RaceType = substr(R.RaceCode, instr(R.RaceCode, ' ') + 1) || ' ' || M.MeetType "
                     "WHERE M.State = 'VIC' ORDER BY M.MeetingDate, 1, 2 LIMIT 1"_s)
        .value(0);
}

// A horse of the booked race's meeting with a morning of bookings behind it: booked from the main window,
// a note and another jockey from the race window, confirmed from the command line, the confirmation
// undone. Returns the horse.
QString horseWithHistory()
{
    const QString meeting = bookedRace().section(u'|', 0, 0);
    const QStringList nomination = queryRows(u"SELECT N.MeetingCode, N.RaceCode, N.Horse, N.TrainerName FROM Noms N "
                                             "WHERE N.MeetingCode = ? AND NOT EXISTS (SELECT 1 FROM Bookings B WHERE "
                                             "B.MeetingCode = N.MeetingCode AND B.Horse = N.Horse) "
                                             "ORDER BY N.RaceNumber, N.Horse LIMIT 1"_s,
                                             {meeting})
                                       .value(0)
                                       .split(u'|');
    const QStringList jockeys = queryRows(u"SELECT Jockey FROM Jockey ORDER BY Jockey LIMIT 2"_s);
    if (nomination.size() < 4 || jockeys.size() < 2)
        fail(u"no horse to book for the history"_s);
    const Clock &demoClock = Clock::instance();
    FixedClock clock(demoClock.now());
    Clock::setInstance(&clock);
    using bookinghistory::Source;
    const struct {
        int minutes;
        Source source;
        QString jockey;
        QString state;
        bool confirmed;
    } steps[] = {{-95, Source::MainWindow, jockeys.at(0), u"Planned"_s, false},
                 {-80, Source::RaceWindow, jockeys.at(0), u"Trainer To Confirm"_s, false},
                 {-40, Source::RaceWindow, jockeys.at(1), u"Trainer To Confirm"_s, false},
                 {-20, Source::CommandLine, jockeys.at(1), u"Confirmed"_s, true},
                 {-5, Source::Undo, jockeys.at(1), u"Trainer To Confirm"_s, false}};
    std::optional<Booking> before;
    Db db = OpenDb();
    for (const auto &step : steps) {
        clock.set(demoClock.now().addSecs(step.minutes * 60));
        const Booking after{0,           nomination.at(0), nomination.at(1), nomination.at(2), nomination.at(3),
                            step.jockey, step.state,       step.confirmed};
        bookinghistory::append(db, before, after, step.source);
        before = after;
    }
    Clock::setInstance(&demoClock);
    return nomination.at(2);
}

void arrangeMainWindow(MainWindow *window)
{
    const QString race = bookedRace();
    const QString meeting = race.section(u'|', 0, 0);
    const QString trainer = firstValue(
        u"SELECT B.TrainerName FROM Bookings B WHERE B.MeetingCode = ? AND B.Jockey IS NOT NULL LIMIT 1"_s, {meeting});
    const ListModel *meetings = window->meetingModel();
    for (int row = 1; row <= meetings->rowCount(); ++row)
        if (meetings->cellText(row, 1) == meeting)
            window->grdMeeting->selectRow(row - 1);
    const ListModel *trainers = window->trainerModel();
    for (int row = 1; row <= trainers->rowCount(); ++row) {
        if (trainers->cellText(row, mainlists::names::Trainer) == trainer) {
            drive::clickCell(window->grdNames, row, mainlists::names::Trainer);
        }
    }
    drive::clickCell(window->grdNoms, 1, mainlists::noms::Horse);
}

// The "Changes" window as a load through the main window's "Add Data" opens it.
QWidget *reloadAndShowChanges(MainWindow *main, ScriptedDialogs &dialogs, const QString &fieldsFolder)
{
    dialogs.chooseFiles({bookForReload(fieldsFolder)});
    main->cmdBrowse->click();
    for (QWidget *window : visibleWindows())
        if (auto *changes = qobject_cast<FrmChanges *>(window))
            return changes;
    fail(u"the reload opened no Changes window"_s);
}

QList<Picture> pictures(const QPointer<MainWindow> &main, ScriptedDialogs &dialogs, const QString &fieldsFolder)
{
    const auto trigger = [main](const char *action) {
        return [main, action] { drive::trigger(main, QLatin1String(action)); };
    };
    const auto openRace = [main] {
        const QString race = bookedRace();
        FrmRace::open(main, race.section(u'|', 0, 0), race.section(u'|', 1, 1).toInt());
    };
    return {
        {u"first-start"_s,
         {},
         [] {
             auto *splash = new SplashWindow;
             splash->setAttribute(Qt::WA_DeleteOnClose);
             splash->showStatus(u"Loading Data into Grid - setup grdMeeting"_s);
             splash->show();
         }},
        {u"fields-loaded"_s,
         QSize(1280, 760),
         [main] {
             if (!main->load())
                 fail(u"the main window did not load"_s);
             main->show();
         },
         {},
         true},
        {u"main-window"_s,
         QSize(1280, 760),
         {},
         [main](QWidget *) { arrangeMainWindow(main); },
         true,
         [main]() -> QWidget * { return main; }},
        {u"system-settings"_s, {}, trigger("mnuSystemSettings")},
        {u"backups"_s, QSize(620, 360),
         [main] {
             // A week of the program's daily backups, then the window that lists them.
             for (int day = 6; day >= 1; --day)
                 backups::make(databaseFilePath(), backups::folder(), QDateTime(kToday.addDays(-day), QTime(8, 31)));
             main->mnuBackups->trigger();
         }},
        {u"jockey"_s, {}, trigger("mnuEditJockey")},
        {u"riding-fees"_s, QSize(760, 480), trigger("mnuBookRate")},
        {u"race-window"_s, QSize(1280, 760), openRace},
        {u"changes"_s,
         QSize(1200, 600),
         {},
         [](QWidget *window) {
             auto *changes = qobject_cast<FrmChanges *>(window);
             if (!changes)
                 return;
             // A booked horse's row chosen, so the window's gestures show as they are offered.
             if (QTreeWidgetItem *race = changes->tvwChanges->topLevelItem(0); race && race->childCount() > 0)
                 changes->tvwChanges->setCurrentItem(race->child(0));
         },
         false,
         [main, &dialogs, fieldsFolder] { return reloadAndShowChanges(main, dialogs, fieldsFolder); }},
        {u"weights"_s, QSize(1280, 760),
         [main] {
             const QString race = weightsRace();
             if (race.isEmpty())
                 fail(u"no race of the demo fits the example weight table"_s);
             FrmRace::open(main, race.section(u'|', 0, 0), race.section(u'|', 1, 1).toInt());
         },
         [](QWidget *window) {
             auto *race = qobject_cast<FrmRace *>(window);
             if (!race)
                 return;
             race->cmbRaceType->setCurrentText(weightsRace().section(u'|', 2, 2));
             drive::clickCell(race->grdRace, 1, racewindow::col::Horse);
             race->cmdCalcWgts->click();
         }},
        {u"meeting-report"_s, QSize(900, 1000),
         [main] { showMeetingPrintPreview(main, bookedRace().section(u'|', 0, 0)); }},
        {u"horse-form"_s, QSize(1200, 640),
         [main] {
             openHorseForm(main, firstValue(u"SELECT B.Horse FROM Bookings B JOIN Meeting M ON M.MeetingCode = "
                                            "B.MeetingCode WHERE B.Jockey IS NOT NULL AND M.MeetingLevel = 'ACP' "
                                            "ORDER BY M.MeetingDate, B.MeetingCode, B.Horse LIMIT 1"_s));
         }},
        {u"invoice"_s, QSize(900, 1000),
         [main] {
             const std::optional<InvoiceJockey> jockey =
                 readInvoiceJockey(firstValue(u"SELECT Jockey FROM Jockey ORDER BY Jockey LIMIT 1"_s));
             if (!jockey)
                 fail(u"no managed jockey"_s);
             const InvoiceCharges charges{};
             showInvoicePreview(
                 InvoiceReport(computeJockeyInvoice(*jockey, offeredPeriod(*jockey), charges, currentParticulars())),
                 main);
         }},
        {u"ride-sheet"_s, QSize(1200, 420),
         [main] { FrmRideSheet::showFor(main, firstValue(u"SELECT Jockey FROM Jockey ORDER BY Jockey LIMIT 1"_s)); }},
        {u"season"_s, QSize(900, 720),
         [main] { FrmSeason::showFor(main, firstValue(u"SELECT Jockey FROM Jockey ORDER BY Jockey LIMIT 1"_s)); }},
        {u"booking-history"_s, QSize(1250, 300),
         [main] { FrmBookingHistory::showFor(main, {.horse = horseWithHistory()}); }},
    };
}

// Screens of a few colours keep well in a palette of 256, at a fraction of the size.
bool save(const QImage &image, const QString &file)
{
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(file, "PNG", 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QDir target(QDir::current().absoluteFilePath(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s));
    QStringList only;
    for (int i = 2; i < argc; ++i)
        only << QString::fromLocal8Bit(argv[i]);
    if (!target.exists() && !QDir().mkpath(target.path()))
        fail(u"cannot make %1"_s.arg(target.path()));

    FixedClock clock(QDateTime(kToday, QTime(8, 30)));
    Clock::setInstance(&clock);
    ScriptedDialogs dialogs;
    startup::setRideRefresher([] {});
    DemoDay demo;
    demo.build();

    QPointer<MainWindow> main = MainWindow::instance();
    int written = 0;
    for (const Picture &picture : pictures(main, dialogs, demo.fieldsFolder())) {
        // The main window is needed by the windows after it even when its picture is not wanted.
        if (!only.isEmpty() && !only.contains(picture.name) && !picture.keepOpen)
            continue;
        const QImage image = take(picture);
        if (!only.isEmpty() && !only.contains(picture.name))
            continue;
        const QString file = target.filePath(picture.name + u".png"_s);
        if (image.isNull() || !save(image, file))
            fail(u"cannot write %1"_s.arg(file));
        std::printf("%s\n", qPrintable(file));
        ++written;
    }
    delete main;
    startup::setRideRefresher({});
    Clock::setInstance(nullptr);
    for (const ScriptedDialogs::Message &message : dialogs.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    return written > 0 ? 0 : 1;
}
