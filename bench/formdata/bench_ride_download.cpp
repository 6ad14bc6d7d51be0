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
#include <ctime>
#include <cstdio>

namespace {

constexpr int kDays = 2000;
constexpr int kRacesPerDay = 6;
constexpr int kRunnersPerRace = 4;
const char *kTracks[] = {"FLEM", "RAND", "CAUL", "DOOM", "MOON"};
const char *kStates[] = {"VIC", "NSW", "VIC", "QLD", "VIC"};
const char *kJockeys[] = {"J SMITH", "K LEE", "M ZAHRA", "L NGUYEN", "B SHINN"};

bool writeHistory(const QString &folder)
{
    QFile work(folder + QStringLiteral("/WORKRACE.csv"));
    QFile meets(folder + QStringLiteral("/MEETMAST.csv"));
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
                  << ",57,," << (finish == 1 ? "WON" : QString::number(finish * 0.7, 'f', 1)) << ','
                  << kJockeys[jockey] << ',' << (finish == 1 ? 30000 : 10000 / finish) << ',' << runner + 1 << ','
                  << finish << ",4.5,70,0302," << date << " 18:00:00,TRAINER " << (day + runner) % 150 << '\n';
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir serverDir;
    if (!writeHistory(serverDir.path())) {
        std::fprintf(stderr, "cannot write the history\n");
        return 1;
    }
    DataServerProcess server(serverDir.filePath(QStringLiteral("form.db")));
    QElapsedTimer build;
    build.start();
    const QString failure = server.build(serverDir.path(), QStringLiteral("bench"), QStringLiteral("bench"));
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
    QueryCredentials::current() = {QStringLiteral("bench"), QStringLiteral("bench")};
    OpenDb().exec(QStringLiteral("INSERT INTO Jockey (Jockey) VALUES ('J Smith')"));
    // The other managed jockeys' rides of a season, which every write also has to find its place among.
    OpenDb().exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999) "
        "INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, TrainerName, State) "
        "SELECT 'OTHER ' || (i % 19), date('2015-01-01', '+' || (i / 20) || ' days'), 1 + i % 8, 'FLEM', "
        "'HORSE ' || (i % 2999), 1 + i % 12, 1000, 'TRAINER ' || (i % 150), 'VIC' FROM n"));

    // The answer alone, as the download fetches it: the floor that storing is measured against.
    QList<qint64> fetch;
    QList<double> fetchCpu, fullCpu;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        const auto rows = DataServerRows(jockeyRidesSql(QStringLiteral("J Smith"), true, kRideStatsFloor));
        fetch << timer.elapsed();
        fetchCpu << cpuMs() - cpu;
        if (!rows || rows->size() < 9000) {
            std::fprintf(stderr, "the fetch failed\n");
            return 1;
        }
    }
    std::sort(fetch.begin(), fetch.end());

    QList<qint64> full;
    QList<qint64> incremental;
    RideDownloadResult result;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        result = DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor);
        full << timer.elapsed();
        fullCpu << cpuMs() - cpu;
        // Every ride again through the incremental path: each one found and updated in place.
        timer.restart();
        const RideDownloadResult again = DownloadJockeyRides(QStringLiteral("J Smith"), false, kRideStatsFloor);
        incremental << timer.elapsed();
        if (!result.answered || !again.answered || again.updated != result.received) {
            std::fprintf(stderr, "download failed: %s\n",
                         dialogs.messages.isEmpty() ? "" : qPrintable(dialogs.messages.last().text));
            return 1;
        }
    }
    std::sort(full.begin(), full.end());
    std::sort(incremental.begin(), incremental.end());
    const int rows = OpenDb().scalar(QStringLiteral("SELECT COUNT(*) FROM RaceStats")).toInt();
    std::printf("full download: %d rides received, %d rows in RaceStats; median %lld ms (min %lld, max %lld)\n",
                result.received, rows, static_cast<long long>(full.at(2)), static_cast<long long>(full.first()),
                static_cast<long long>(full.last()));
    std::printf("incremental download of the same %d rides (all updated in place): median %lld ms (min %lld, max %lld)\n",
                result.received, static_cast<long long>(incremental.at(2)),
                static_cast<long long>(incremental.first()), static_cast<long long>(incremental.last()));
    std::printf("fetch alone: median %lld ms; storing (full download minus fetch) %lld ms = %.2f x the fetch\n",
                static_cast<long long>(fetch.at(2)), static_cast<long long>(full.at(2) - fetch.at(2)),
                double(full.at(2) - fetch.at(2)) / double(std::max<qint64>(1, fetch.at(2))));
    std::printf("processor time of this process: fetch %.0f ms, full download %.0f ms, storing %.0f ms\n",
                medianOf(fetchCpu), medianOf(fullCpu), medianOf(fullCpu) - medianOf(fetchCpu));
    return full.at(2) <= 1000 ? 0 : 2;
}
