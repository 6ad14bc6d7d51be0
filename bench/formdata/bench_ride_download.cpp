// Times DownloadJockeyRides for a jockey with about 10,000 rides in a multi-year history
// (48,000 runs in all), served by the real data server on loopback.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/RideStatistics.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
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

    QList<qint64> full;
    QList<qint64> incremental;
    RideDownloadResult result;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        result = DownloadJockeyRides(QStringLiteral("J Smith"), true, kRideStatsFloor);
        full << timer.elapsed();
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
    return full.at(2) <= 1000 ? 0 : 2;
}
