// Times the main window's lists over a season of data written directly with SQL: 100,000
// nominations of 2,000 trainers in 400 meetings, 20 managed jockeys, 5,000 bookings and 50,000
// ride statistics. Runs offscreen; exit status 2 when a median misses its target.
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/cAppSettings.h"
#include "app/ui/MainWindow.h"
#include "bookings/BookingPickLists.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "db/Database.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kMeetings = 400;
constexpr int kTrainers = 2000;
constexpr int kNoms = 100000;
constexpr int kJockeys = 20;
constexpr int kRides = 50000;
constexpr int kBookings = 5000;
constexpr int kRuns = 9;

void seedSeason(const QString &file)
{
    Db db(file);
    Transaction transaction(db);
    const QString counter =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) ");
    db.exec(counter.arg(kMeetings)
            + QStringLiteral("INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
                             "DisplayMeeting, MeetingDetails, MeetType) SELECT printf('M%04d', i), printf('Track %d', i % 90), "
                             "CASE i % 3 WHEN 0 THEN 'NOM' WHEN 1 THEN 'WGT' ELSE 'ACP' END, "
                             "date('2024-01-01', printf('+%d days', i / 3)), 'VIC', 1, 'Good 4', 'M' FROM n"));
    db.exec(counter.arg(kMeetings * 10)
            + QStringLiteral("INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceTime, ApprClaim) "
                             "SELECT printf('M%04d', i / 10), printf('%d HCP', 1000 + (i % 10) * 100), i % 10 + 1, "
                             "'Handicap', printf('%02d:%02d:00', 12 + (i % 10) / 2, (i % 2) * 30), i % 2 FROM n"));
    db.exec(counter.arg(kNoms)
            + QStringLiteral("INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, Class, "
                             "Form, Weight, Rating, Jockey, EorB, FormTrainer) SELECT printf('M%04d', i % 400), "
                             "printf('%d HCP', 1000 + ((i / 400) % 10) * 100), (i / 400) % 10 + 1, printf('Horse %d', i), "
                             "printf('Horse %d', i), printf('Trainer %d', (i * 7919) % 2000), 'BM64', 'x123', "
                             "CASE WHEN i % 20 = 0 THEN 0 ELSE 500 + i % 90 END, '64', '', "
                             "CASE WHEN i % 50 = 0 THEN 'E' ELSE '' END, printf('Trainer %d', (i * 7919) % 2000) FROM n"));
    db.exec(counter.arg(kTrainers)
            + QStringLiteral("INSERT INTO Trainer (TrainerName, TrainerLocation, Phone, TrainerMobile, TrainerComments, "
                             "IgnoreTrainer) SELECT printf('Trainer %d', i), 'Somewhere', '03 9000 0000', '0400 000 000', "
                             "CASE WHEN i % 10 = 0 THEN 'Note' ELSE '' END, CASE WHEN i % 97 = 0 THEN 1 ELSE 0 END FROM n"));
    db.exec(counter.arg(kJockeys)
            + QStringLiteral("INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) SELECT printf('Jockey %d', i), "
                             "printf('Jockey Full %d', i), CAST(i * 800000 AS TEXT), 54 FROM n"));
    db.exec(counter.arg(kBookings)
            + QStringLiteral("INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
                             "Confirmed) SELECT MeetingCode, RaceCode, Horse, TrainerName, printf('Jockey %d', n.i % 20), "
                             "CASE WHEN n.i % 3 = 0 THEN 'Confirmed' ELSE 'Planned' END, CASE WHEN n.i % 3 = 0 THEN 1 ELSE 0 END "
                             "FROM n JOIN Noms ON Noms.rowid = n.i * 20 + 1"));
    db.exec(counter.arg(kRides)
            + QStringLiteral("INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, "
                             "TrainerName, State) SELECT printf('Jockey %d', i % 20), date('2023-01-01', printf('+%d days', i % 365)), "
                             "i % 10 + 1, 'FLEM', printf('Horse %d', (i * 13) % 100000), i % 12 + 1, 1000, "
                             "printf('Trainer %d', (i * 31) % 2000), 'VIC' FROM n"));
    transaction.commit();
    db.exec(QStringLiteral("ANALYZE"));
}

struct Figure {
    const char *name;
    qint64 median = 0;
    qint64 min = 0;
    qint64 max = 0;
    qint64 target = 0;
};

Figure time(const char *name, qint64 targetMs, const std::function<void(int)> &step)
{
    QList<qint64> samples;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step(run);
        QApplication::processEvents(); // the views lay out and paint what changed
        samples << timer.nsecsElapsed() / 1000;
    }
    std::sort(samples.begin(), samples.end());
    return {name, samples.at(kRuns / 2), samples.first(), samples.last(), targetMs * 1000};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestEnvironment env;
    env.createDatabase();
    cAppSettings::instance().SaveSettings();
    ScriptedDialogs dialogs;

    QElapsedTimer seeding;
    seeding.start();
    seedSeason(env.databaseFile());
    std::printf("season written in %lld ms\n", seeding.elapsed());

    MainWindow *window = MainWindow::instance();
    window->resize(1280, 800);
    window->show();
    QApplication::processEvents();

    QList<Figure> figures;
    figures << time("fill the four lists (meetings, jockeys + pick lists, trainers)", 300, [window](int) {
        window->reloadMeetings();
        window->reloadJockeys();
        window->cmbBookText->clear();
        window->cmbBookText->addItems(LoadBookingStates());
        window->reloadTrainers();
    });
    std::printf("trainers listed: %d, meetings: %d\n", window->trainerModel()->rowCount(),
                window->meetingModel()->rowCount());

    // The busiest trainers, so each choice changes the nominations list.
    QList<int> rows;
    for (int row = 1; row <= window->trainerModel()->rowCount(); ++row) {
        if (window->trainerModel()->cellText(row, mainlists::names::IgnTrainer) != QLatin1String("True"))
            rows << row;
        if (rows.size() == kRuns)
            break;
    }
    figures << time("choose a trainer (nominations with bookings)", 50, [window, &rows](int run) {
        window->grdNames->selectRow(rows.at(run) - 1);
        window->chooseTrainer(rows.at(run));
    });
    std::printf("nominations of the last trainer: %d\n", window->nomsModel()->rowCount());

    const int columns[] = {mainlists::names::Runners, mainlists::names::Trainer, mainlists::names::Races,
                           mainlists::names::Icon1};
    figures << time("sort the trainers list", 100,
                    [window, &columns](int run) { window->sortList(window->grdNames, columns[run % 4]); });

    figures << time("\"&Refresh\" with 20 chosen meetings and 45.0 kg", 300, [window](int run) {
        window->grdMeeting->clearSelection();
        for (int i = 0; i < 20; ++i)
            window->grdMeeting->selectionModel()->select(window->meetingModel()->index((run * 20 + i * 7) % kMeetings, 0),
                                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window->txtWeight->setText(QStringLiteral("45.0"));
        window->cmdReload->click();
    });
    std::printf("trainers after refresh: %d\n", window->trainerModel()->rowCount());

    bool missed = false;
    for (const Figure &figure : figures) {
        const bool over = figure.target > 0 && figure.median > figure.target;
        missed = missed || over;
        std::printf("%-64s median %8.1f ms (min %.1f, max %.1f; target %lld ms)%s\n", figure.name,
                    figure.median / 1000.0, figure.min / 1000.0, figure.max / 1000.0, figure.target / 1000,
                    over ? "  MISSED" : "");
    }
    delete window;
    return missed ? 2 : 0;
}
