// Times the race window over the main window benchmark's season of data plus one full meeting of
// 12 races and 200 runners with bookings, last riders and ratings: opening it in meeting view,
// switching races in race view, a weight calculation and the meeting report as a PDF. Runs
// offscreen; exit status 2 when a median misses its target.
#include "SeasonData.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include "bookings/MeetingReport.h"
#include "bookings/WeightCalculation.h"
#include "bookings/ui/FrmRace.h"
#include "bookings/ui/RunnerModel.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "roster/ManagedJockeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRuns = 9;
const QString kMeeting = u"BIG1212"_s;

void seedMeeting(const QString &file)
{
    Db db(file);
    Transaction transaction(db);
    db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
            "DisplayMeeting, MeetingDetails, MeetType) VALUES (?, 'Flemington', 'ACP', '2024-03-09', "
            "'VIC', 1, 'Good 4', 'M')"_s,
            {kMeeting});
    const QString counter = u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) "_s;
    db.exec(counter.arg(12) +
            u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceDistance, RaceTime, "
            "ApprClaim) SELECT 'BIG1212', printf('%d BM78', 1000 + i * 100), i + 1, 'Benchmark 78', "
            "1000 + i * 100, printf('%02d:%02d:00', 12 + i / 2, (i % 2) * 30), i % 2 FROM n"_s);
    db.exec(counter.arg(200) +
            u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, Class, "
            "Form, Weight, Rating, Jockey, HorseType, Barrier, EorB, EntryNo, LastJockey, LastRode, "
            "LastRaceClass, FormTrainer) SELECT 'BIG1212', printf('%d BM78', 1000 + (i % 12) * 100), "
            "i % 12 + 1, printf('Horse %d', i * 499), printf('Horse %d', i * 499), "
            "printf('Trainer %d', i * 7), 'BM78', 'x123', 540 + i % 40, CAST(60 + i % 30 AS TEXT), "
            "'', CASE i % 3 WHEN 0 THEN 'Mare' ELSE 'Gelding' END, i / 12 + 1, '', i / 12 + 1, "
            "printf('Jockey %d', i % 20), '2024-02-01', 'BM70', printf('Trainer %d', i * 7) FROM n"_s);
    db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
            "Confirmed) SELECT MeetingCode, RaceCode, Horse, TrainerName, printf('Jockey %d', rowid % 20), "
            "'Planned', rowid % 2 FROM Noms WHERE MeetingCode = 'BIG1212' AND rowid % 4 = 0"_s);
    transaction.commit();
}

struct Figure {
    const char *name;
    qint64 median = 0;
    qint64 target = 0;
};

Figure time(const char *name, qint64 targetMs, const std::function<void(int)> &step)
{
    QList<qint64> samples;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step(run);
        QApplication::processEvents();
        samples << timer.nsecsElapsed() / 1000;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("%-55s median %7.1f ms  (min %.1f, max %.1f; target %lld ms)\n", name, samples.at(kRuns / 2) / 1000.0,
                samples.first() / 1000.0, samples.last() / 1000.0, targetMs);
    return {name, samples.at(kRuns / 2), targetMs * 1000};
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
    season::seedSeason(env.databaseFile());
    seedMeeting(env.databaseFile());
    QStringList jockeys;
    for (int i = 0; i < season::kJockeys; ++i)
        jockeys << u"Jockey %1"_s.arg(i);
    ManagedJockeys::rebuild(jockeys); // icons on
    {
        // The first commit after writing a season waits for the system to flush it; the agent's
        // file is not freshly written, so that wait is not timed.
        Db db = OpenDb();
        Transaction settle(db);
        db.exec(u"UPDATE Race SET RaceType = NULL WHERE MeetingCode = ?"_s, {kMeeting});
        settle.commit();
    }

    QList<Figure> figures;
    figures << time("open a 12-race, 200-runner meeting in meeting view", 150, [](int) {
        FrmRace window(kMeeting, u"ACP"_s, 0);
        window.show();
        QApplication::processEvents();
    });

    FrmRace raceView(kMeeting, u"ACP"_s, 1);
    raceView.resize(1280, 800);
    raceView.show();
    QApplication::processEvents();
    std::printf("race view race 1 runners: %d\n", raceView.runners()->runnerCount());
    figures << time("switch race in race view", 50,
                    [&raceView](int run) { drive::clickCell(raceView.grdRaces, run % 12 + 1, 1); });

    CalculateWeights(kMeeting, 1, u"BM78 M"_s, u"BM78"_s); // warm-up
    figures << time("weight calculation for a race", 20,
                    [](int run) { CalculateWeights(kMeeting, run % 12 + 1, u"BM78 M"_s, u"BM78"_s); });

    const QString pdf = env.root() + u"/meeting.pdf"_s;
    figures << time("meeting report to PDF", 1000,
                    [&pdf](int) { meetingreport::writePdf(meetingreport::buildReport(kMeeting), pdf); });

    bool missed = false;
    for (const Figure &figure : figures)
        missed = missed || figure.median > figure.target;
    return missed ? 2 : 0;
}
