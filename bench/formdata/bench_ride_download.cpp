// Times DownloadJockeyRides for a jockey with about 10,000 rides in a multi-year history
// (48,000 runs in all), served by the real data server on loopback.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kDays = 2000;
constexpr int kRacesPerDay = 6;
constexpr int kRunnersPerRace = 4;
const char *kTracks[] = {"FLEM", "RAND", "CAUL", "DOOM", "MOON"};
const char *kStates[] = {"VIC", "NSW", "VIC", "QLD", "VIC"};
const char *kJockeys[] = {"J SMITH", "K LEE", "M ZAHRA", "L NGUYEN", "B SHINN"};

bool writeHistory(const QString &folder)
{
    QFile work(folder + u"/WORKRACE.csv"_s);
    QFile meets(folder + u"/MEETMAST.csv"_s);
    if (!work.open(QIODevice::WriteOnly) || !meets.open(QIODevice::WriteOnly))
        return false;
    QTextStream w(&work);
    QTextStream m(&meets);
    w << "WRaceDate,WRaceNo,WHorse,WTrack,WWgtChar,WApClaim,WBeatMar,WJockey,WMoneyWon,WBarPosn,WFinPosn,WBookPrice,"
         "WWghtRat,W800400,DateUpdated,WTrainer\n";
    m << "MDate,MTrack,MState,MClub,MMetType\n";
    const QDate first(2015, 1, 1);
    for (int day = 0; day < kDays; ++day) {
        const QString date = first.addDays(day).toString(Qt::ISODate);
        const int track = day % 5;
        m << date << ',' << kTracks[track] << ',' << kStates[track] << ",Club " << track << ",M\n";
        for (int race = 1; race <= kRacesPerDay; ++race) {
            for (int runner = 0; runner < kRunnersPerRace; ++runner) {
                // J SMITH rides in five races of every six: 10,000 rides over the history.
                const int jockey = (runner == 0 && race != kRacesPerDay) ? 0 : 1 + (runner + race) % 4;
                const int finish = 1 + (runner + day + race) % kRunnersPerRace;
                w << date << ',' << race << ",HORSE " << (day * 7 + race * 3 + runner) % 3000 << ',' << kTracks[track]
                  << ",57,," << (finish == 1 ? "WON" : QString::number(finish * 0.7, 'f', 1)) << ',' << kJockeys[jockey]
                  << ',' << (finish == 1 ? 30000 : 10000 / finish) << ',' << runner + 1 << ',' << finish
                  << ",4.5,70,0302," << date << " 18:00:00,TRAINER " << (day + runner) % 150 << '\n';
            }
        }
    }
    return true;
}

// This process's processor time in ms: with other work on the machine, wall times mostly measure waiting.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double medianOf(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

struct Timings {
    QList<double> wall, cpu;
    double medianWall() const { return medianOf(wall); }
    // Storing is the download less the fetch it includes.
    void print(const char *what, const Timings &fetch) const
    {
        const double storing = medianWall() - fetch.medianWall();
        std::printf("| %-52s | %8.0f | %12.0f | %16s |\n", what, medianWall(), medianOf(cpu),
                    &fetch == this ? "-" : qPrintable(QString::number(storing / fetch.medianWall(), 'f', 2)));
    }
};

class Timer
{
public:
    Timer() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuMs();
    }
    void stop(Timings &into) const
    {
        into.wall << double(m_wall.nsecsElapsed()) / 1e6;
        into.cpu << cpuMs() - m_cpu;
    }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

int failed(const char *what, const ScriptedDialogs &dialogs)
{
    std::fprintf(stderr, "%s: %s\n", what, dialogs.messages.isEmpty() ? "" : qPrintable(dialogs.messages.last().text));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir serverDir;
    if (!writeHistory(serverDir.path())) {
        std::fprintf(stderr, "cannot write the history\n");
        return 1;
    }
    DataServerProcess server(serverDir.filePath(u"form.db"_s));
    QElapsedTimer build;
    build.start();
    const QString failure = server.build(serverDir.path(), u"bench"_s, u"bench"_s);
    if (!failure.isEmpty() || !server.start()) {
        std::fprintf(stderr, "data server: %s\n", qPrintable(failure));
        return 1;
    }
    std::printf("server database of %d runs built in %lld ms\n", kDays * kRacesPerDay * kRunnersPerRace,
                static_cast<long long>(build.elapsed()));

    TestEnvironment environment;
    environment.createDatabase();
    ScriptedDialogs dialogs;
    cAppSettings::instance().DataServer = server.host();
    QueryCredentials::current() = {u"bench"_s, u"bench"_s};
    OpenDb().exec(u"INSERT INTO Jockey (Jockey) VALUES ('J Smith')"_s);
    // The other managed jockeys' rides of a season, which every write also has to find its place among.
    OpenDb().exec(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999) "
                  "INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, "
                  "TrainerName, State) "
                  "SELECT 'OTHER ' || (i % 19), date('2015-01-01', '+' || (i / 20) || ' days'), 1 + i % 8, 'SALE', "
                  "'HORSE ' || (i % 2999), 1 + i % 12, 1000, 'TRAINER ' || (i % 150), 'VIC' FROM n"_s);

    // Each run times the answer alone (the floor that storing is measured against) beside the downloads that
    // store it, so that other work on the machine weighs on both alike.
    const QString jockey = u"J Smith"_s;
    Timings fetch, first, unchanged, changed, incremental;
    int received = 0, changedRides = 0;
    for (int run = 0; run < 5; ++run) {
        Timer timer;
        const auto rows = DataServerRows(jockeyRidesSql(jockey, true, kRideStatsFloor));
        timer.stop(fetch);
        if (!rows || rows->size() < 9000)
            return failed("the fetch failed", dialogs);

        // A first download: the career goes into a table without it.
        OpenDb().exec(u"DELETE FROM RaceStats WHERE Jockey = 'J SMITH'"_s);
        timer.restart();
        const RideDownloadResult added = DownloadJockeyRides(jockey, true, kRideStatsFloor);
        timer.stop(first);
        received = added.received;
        if (!added.answered || added.added != added.received)
            return failed("the first download failed", dialogs);

        // The daily case: a full reload of a career the server has not changed.
        timer.restart();
        const RideDownloadResult same = DownloadJockeyRides(jockey, true, kRideStatsFloor);
        timer.stop(unchanged);
        if (!same.answered || same.added != 0 || same.updated != 0)
            return failed("the unchanged reload wrote rides", dialogs);

        // One ride in a hundred differs from the server's (a corrected placing): those are rewritten.
        Db db = OpenDb();
        db.exec(u"UPDATE RaceStats SET FinishPos = FinishPos + 10 WHERE Jockey = 'J SMITH' "
                "AND rowid % 100 = 0"_s);
        changedRides = db.scalar(u"SELECT changes()"_s).toInt();
        timer.restart();
        const RideDownloadResult corrected = DownloadJockeyRides(jockey, true, kRideStatsFloor);
        timer.stop(changed);
        if (!corrected.answered || corrected.updated != changedRides || corrected.added != 0)
            return failed("the reload did not rewrite the changed rides", dialogs);

        // Every ride sent again through the incremental path, the same corrections to make: each one is found
        // by its race and compared.
        db.exec(u"UPDATE RaceStats SET FinishPos = FinishPos + 10 WHERE Jockey = 'J SMITH' "
                "AND rowid % 100 = 0"_s);
        timer.restart();
        const RideDownloadResult again = DownloadJockeyRides(jockey, false, kRideStatsFloor);
        timer.stop(incremental);
        if (!again.answered || again.updated != changedRides || again.added != 0)
            return failed("the incremental download did not rewrite the changed rides", dialogs);
    }

    const int rows = OpenDb().scalar(u"SELECT COUNT(*) FROM RaceStats"_s).toInt();
    std::printf("%d rides received, %d rows in RaceStats; medians of 5 runs, wall ms (processor ms of this process)\n",
                received, rows);
    std::printf("| %-52s | %8s | %12s | %16s |\n", "", "wall", "processor", "storing / fetch");
    fetch.print("fetch alone (the floor)", fetch);
    first.print("first download: 10,000 rides added", fetch);
    unchanged.print("full reload, nothing changed", fetch);
    changed.print(qPrintable(u"full reload, %1 rides changed"_s.arg(changedRides)), fetch);
    incremental.print(qPrintable(u"incremental, every ride sent, %1 changed"_s.arg(changedRides)), fetch);
    return first.medianWall() <= 1000 ? 0 : 2;
}
