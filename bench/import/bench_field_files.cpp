// Loads a week of field files written by `ostrevan-dataserver generate-demo --fields-dir` into a new
// local database, end to end: parse, track look-up on a real data server on loopback, one
// transaction per file. Prints the median of several runs per set. Last, the week's acceptances
// replace its weights in a database with bookings, with and without the detection of changes.
//
//     bench_field_files [--runs N]
//
// Exit status 2 when a week of acceptances or weights takes longer than the 2 s target, or when
// detecting changes adds more than 20 % to loading the acceptances.
#include "bookings/FieldChangeLog.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "import/FieldFileLoader.h"
#include "import/FieldFileParser.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QMap>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

const QString kServer = QString::fromUtf8(OSTREVAN_DATASERVER_PATH);

bool runTool(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(kServer, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(arguments.join(u' ')),
                     process.readAllStandardError().constData());
        return false;
    }
    return true;
}

int startServer(QProcess &process, const QString &db)
{
    process.start(kServer, {u"serve"_s, u"--db"_s, db, u"--listen"_s, u"127.0.0.1:0"_s});
    QByteArray log;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000 && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(200);
        log += process.readAllStandardError();
        const qsizetype at = log.indexOf("listening on 127.0.0.1:");
        const qsizetype end = log.indexOf('\n', at);
        if (at >= 0 && end > at)
            return log.mid(at + 23, end - at - 23).trimmed().toInt();
    }
    return 0;
}

// This process's processor time in ms.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

struct SetResult {
    double medianMs = 0;
    double minMs = 0;
    double maxMs = 0;
    int files = 0;
    int horses = 0;
    int failed = 0;
};

// Loads the set into a new database `runs` times (and once more on top, as a reload).
SetResult loadSet(const QStringList &files, int runs, const QString &dataFolder, double *reloadMs)
{
    SetResult set;
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(dataFolder + u"/Kelbrin.mdb"_s);
        schema::createDatabase(dataFolder + u"/Kelbrin.mdb"_s);
        QElapsedTimer timer;
        timer.start();
        const auto results = FieldFileLoader::loadFiles(files, {});
        times << timer.nsecsElapsed() / 1e6;
        set.files = int(results.size());
        set.horses = set.failed = 0;
        for (const FieldFileLoadResult &result : results) {
            set.horses += result.horses;
            set.failed += result.loaded ? 0 : 1;
        }
    }
    QElapsedTimer timer;
    timer.start();
    FieldFileLoader::loadFiles(files, {});
    *reloadMs = timer.nsecsElapsed() / 1e6;
    set.medianMs = median(times);
    set.minMs = *std::min_element(times.cbegin(), times.cend());
    set.maxMs = *std::max_element(times.cbegin(), times.cend());
    return set;
}

// The floor of a load: each file read and parsed, and the same meeting, race and nomination rows inserted into a
// new database in one transaction through statements prepared once, with no look-ups, deletes or comparisons.
double floorLoad(const QStringList &files, const QString &dataFolder, int *horses)
{
    QFile::remove(dataFolder + u"/Kelbrin.mdb"_s);
    schema::createDatabase(dataFolder + u"/Kelbrin.mdb"_s);
    QElapsedTimer timer;
    timer.start();
    Db db = OpenDb();
    Transaction transaction(db);
    QSqlQuery meeting(db.handle()), race(db.handle()), horse(db.handle());
    meeting.prepare(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingDetails, MeetingLevel, MeetingDate, "
                    "DisplayMeeting) VALUES (?, ?, ?, ?, ?, 1)"_s);
    race.prepare(u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceDistance, RaceTime, "
                 "ApprClaim) VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    horse.prepare(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, "
                  "TrainerLocation, Phone, Class, Form, Weight, Rating, Jockey, HorseType, Blood1, Blood2, Blood3, "
                  "Owners, HorseDOB, Ballot, Barrier, EntryNo, EorB) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    const auto run = [](QSqlQuery &query, const QVariantList &values) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        query.exec();
    };
    *horses = 0;
    for (const QString &path : files) {
        const FieldFile file = FieldFileParser::parseFile(path);
        const FieldMeeting &m = file.meeting;
        // A later stage of a meeting replaces the earlier one in the real load; here it only adds rows.
        run(meeting, {QString(m.meetingCode + QString::number(*horses)), m.location, m.details, m.level,
                      m.date.toString(Qt::ISODate)});
        for (const FieldRace &r : file.races)
            run(race, {m.meetingCode, r.raceCode, r.raceNumber, r.details, r.distance, r.time.toString(u"HH:mm:ss"_s),
                       r.apprClaim ? 1 : 0});
        for (const FieldHorse &h : file.horses)
            run(horse, {m.meetingCode,
                        h.raceCode,
                        h.raceNumber,
                        h.horse,
                        h.horseName,
                        h.trainerName,
                        h.trainerLocation,
                        h.phone,
                        h.classText.value_or(QString()),
                        h.form,
                        h.weightTenths,
                        h.rating.value_or(QString()),
                        h.jockey,
                        h.horseType,
                        h.blood1,
                        h.blood2,
                        h.blood3,
                        h.owners,
                        h.dob.toString(Qt::ISODate),
                        h.ballot.value_or(0),
                        h.barrier,
                        h.entryNo,
                        h.eorB});
        *horses += int(file.horses.size());
    }
    transaction.commit();
    return timer.nsecsElapsed() / 1e6;
}

// The week's weights in a new database, with the six busiest riders of the acceptances as managed
// jockeys and every eighth horse booked: what the acceptances are then loaded over.
bool prepareWeights(const QStringList &weights, const QStringList &acceptances, const QString &base,
                    const QString &dataFolder, int *bookings)
{
    QFile::remove(dataFolder + u"/Kelbrin.mdb"_s);
    schema::createDatabase(dataFolder + u"/Kelbrin.mdb"_s);
    for (const FieldFileLoadResult &result : FieldFileLoader::loadFiles(weights, {}))
        if (!result.loaded)
            return false;
    QMap<QString, int> rides;
    for (const QString &path : acceptances)
        for (const FieldHorse &horse : FieldFileParser::parseFile(path).horses)
            ++rides[horse.jockey.trimmed()];
    rides.remove(QString());
    QList<QPair<int, QString>> busiest;
    for (auto it = rides.cbegin(); it != rides.cend(); ++it)
        busiest << qMakePair(-it.value(), it.key());
    std::sort(busiest.begin(), busiest.end());
    {
        Db db = OpenDb();
        for (qsizetype i = 0; i < std::min<qsizetype>(6, busiest.size()); ++i)
            db.exec(u"INSERT INTO Jockey (Jockey, FullName, Ridewgt) VALUES (?, ?, 54.5)"_s,
                    {u"J%1"_s.arg(i), busiest.at(i).second});
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection) "
                "SELECT MeetingCode, RaceCode, Horse, TrainerName, 'J' || (rowid % 6), 'Planned' FROM Noms "
                "WHERE rowid % 8 = 0"_s);
        *bookings = db.scalar(u"SELECT COUNT(*) FROM Bookings"_s).toInt();
    }
    QFile::remove(base);
    return QFile::copy(dataFolder + u"/Kelbrin.mdb"_s, base);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 7;
    const QStringList arguments = app.arguments();
    const qsizetype at = arguments.indexOf(u"--runs"_s);
    if (at > 0 && at + 1 < arguments.size())
        runs = std::max(1, arguments.at(at + 1).toInt());

    QTemporaryDir dir;
    const QString dataFolder = dir.filePath(u"data"_s);
    const QString fieldsFolder = dir.filePath(u"fields"_s);
    QDir().mkpath(dataFolder);
    qputenv("OSTREVAN_SETTINGS", dir.filePath(u"AppSettings.conf"_s).toLocal8Bit());
    qputenv("OSTREVAN_HOME", dir.filePath(u"home"_s).toLocal8Bit());

    // Five weeks of history; the field files are those of the week after it.
    const QString serverDb = dir.filePath(u"demo.db"_s);
    if (!runTool({u"generate-demo"_s, u"--seed"_s, u"7"_s, u"--years"_s, u"0.1"_s, u"--until"_s, u"2024-06-01"_s,
                  u"--fields-dir"_s, fieldsFolder, u"--db"_s, serverDb}) ||
        !runTool({u"add-user"_s, u"bench"_s, u"--db"_s, serverDb}, "bench\n"))
        return 1;
    QProcess server;
    const int port = startServer(server, serverDb);
    if (port <= 0) {
        std::fprintf(stderr, "the data server did not start\n");
        return 1;
    }

    cAppSettings &settings = cAppSettings::instance();
    settings.DBPath = dataFolder;
    settings.DataServer = u"127.0.0.1:"_s + QString::number(port);
    QueryCredentials::current() = {u"bench"_s, u"bench"_s};

    const QDir fields(fieldsFolder);
    auto filesOf = [&](const QStringList &patterns) {
        QStringList paths;
        for (const QString &name : fields.entryList(patterns, QDir::Files, QDir::Name))
            paths << fields.filePath(name);
        return paths;
    };

    // Parsing alone, every file of the week.
    const QStringList all = filesOf({u"*.DGN"_s, u"*.DGW"_s, u"*.DGA"_s});
    QList<double> parseTimes;
    int parsedHorses = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        parsedHorses = 0;
        for (const QString &path : all)
            parsedHorses += int(FieldFileParser::parseFile(path).horses.size());
        parseTimes << timer.nsecsElapsed() / 1e6;
    }
    std::printf("parse only: %lld files, %d horses, median %.1f ms\n", qlonglong(all.size()), parsedHorses,
                median(parseTimes));

    int status = 0;
    const struct {
        const char *name;
        QStringList files;
        bool target;
    } sets[] = {{"acceptances (.DGA)", filesOf({u"*.DGA"_s}), true},
                {"weights (.DGW)", filesOf({u"*.DGW"_s}), true},
                {"nominations (.DGN)", filesOf({u"*.DGN"_s}), false},
                {"all three stages", all, false}};
    for (const auto &s : sets) {
        double reloadMs = 0;
        const SetResult r = loadSet(s.files, runs, dataFolder, &reloadMs);
        std::printf("%s: %d files, %d horses, %d failed; median %.0f ms (min %.0f, max %.0f) over %d runs; "
                    "reload into the filled database %.0f ms\n",
                    s.name, r.files, r.horses, r.failed, r.medianMs, r.minMs, r.maxMs, runs, reloadMs);
        if (r.failed > 0 || (s.target && r.medianMs > 2000))
            status = 2;
    }
    {
        // Side by side, run for run; processor time too, since other work on the machine stretches wall times.
        QList<double> floorWall, floorCpu, loadWall, loadCpu;
        int horses = 0;
        for (int run = 0; run < runs; ++run) {
            double cpu = cpuMs();
            floorWall << floorLoad(all, dataFolder, &horses);
            floorCpu << cpuMs() - cpu;
            QFile::remove(dataFolder + u"/Kelbrin.mdb"_s);
            schema::createDatabase(dataFolder + u"/Kelbrin.mdb"_s);
            QElapsedTimer timer;
            timer.start();
            cpu = cpuMs();
            FieldFileLoader::loadFiles(all, {});
            loadCpu << cpuMs() - cpu;
            loadWall << timer.nsecsElapsed() / 1e6;
        }
        std::printf("floor (read and parse every file, bulk-insert the same rows in one transaction): %lld files, %d "
                    "horses, median %.0f ms (processor %.0f ms); all three stages loaded: median %.0f ms (processor "
                    "%.0f ms), %.2f x the floor (processor %.2f x)\n",
                    qlonglong(all.size()), horses, median(floorWall), median(floorCpu), median(loadWall),
                    median(loadCpu), median(loadWall) / median(floorWall), median(loadCpu) / median(floorCpu));
    }

    // Acceptances over weights, runs with and without detection taking turns.
    const QString base = dir.filePath(u"weights.mdb"_s);
    int bookings = 0;
    if (!prepareWeights(filesOf({u"*.DGW"_s}), filesOf({u"*.DGA"_s}), base, dataFolder, &bookings)) {
        std::fprintf(stderr, "the week of weights did not load\n");
        return 1;
    }
    QList<double> without, with;
    fieldchanges::Count changes;
    for (int run = 0; run < runs; ++run) {
        for (const bool detect : {false, true}) {
            QFile::remove(dataFolder + u"/Kelbrin.mdb"_s);
            QFile::copy(base, dataFolder + u"/Kelbrin.mdb"_s);
            fieldchangelog::setDetectionEnabled(detect);
            QElapsedTimer timer;
            timer.start();
            const auto results = FieldFileLoader::loadFiles(filesOf({u"*.DGA"_s}), {});
            (detect ? with : without) << timer.nsecsElapsed() / 1e6;
            changes = {};
            for (const FieldFileLoadResult &result : results) {
                changes.total += result.changes.total;
                changes.onBooked += result.changes.onBooked;
            }
        }
    }
    fieldchangelog::takeRecordedIds();
    const double added = (median(with) / median(without) - 1) * 100;
    std::printf("acceptances over weights with %d bookings: without detection median %.0f ms, with detection "
                "median %.0f ms (%+.1f %%), %d changes recorded (%d on booked horses), over %d runs each\n",
                bookings, median(without), median(with), added, changes.total, changes.onBooked, runs);
    if (added > 20)
        status = 2;

    server.terminate();
    server.waitForFinished(10000);
    return status;
}
