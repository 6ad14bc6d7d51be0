// Times the form windows against a demo history served by the real data server on loopback:
// the statistics window of the busiest jockey opened and filled, a race result, a horse search,
// and the summary with the dead-heat folding over a 90-run answer. Offscreen.
//
// usage: bench_form_windows --db DEMO.db [--runs N]
//   DEMO.db from `ostrevan-dataserver generate-demo --seed 1 --years 10 --until 2026-12-01 --db DEMO.db`;
//   a bench user is added to it. Exit status 2 when a median misses its target.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "formdata/FormStatistics.h"
#include "formdata/RemoteQuery.h"
#include "formdata/ui/FormWindows.h"
#include "formdata/ui/FrmRaceStats.h"
#include "formdata/ui/FrmSelHorse.h"
#include "formdata/ui/frmRaceResult.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Milliseconds per call, one sample per run.
QList<double> timeRuns(int runs, const std::function<void()> &step)
{
    QList<double> samples;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        samples << timer.nsecsElapsed() / 1e6;
    }
    return samples;
}

QStringList firstRow(const QString &dbFile, const QString &sql)
{
    QStringList row;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"bench-probe"_s);
        db.setDatabaseName(dbFile);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                for (int i = 0; i < query.record().count(); ++i)
                    row << query.value(i).toString();
        }
    }
    QSqlDatabase::removeDatabase(u"bench-probe"_s);
    return row;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool report(const char *what, const QList<double> &samples, double target, const char *unit = "ms")
{
    const double m = median(samples);
    std::printf("%-58s median %8.3f %s  (min %.3f, max %.3f, n=%lld)  target <= %.0f %s\n", what, m, unit,
                *std::min_element(samples.begin(), samples.end()), *std::max_element(samples.begin(), samples.end()),
                static_cast<long long>(samples.size()), target, unit);
    return m <= target;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString dbFile;
    int runs = 21;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == "--db"_L1 && i + 1 < args.size())
            dbFile = args.at(++i);
        else if (args.at(i) == "--runs"_L1 && i + 1 < args.size())
            runs = std::max(3, args.at(++i).toInt());
    }
    if (dbFile.isEmpty()) {
        std::fprintf(stderr, "usage: bench_form_windows --db DEMO.db [--runs N]\n");
        return 1;
    }

    TestEnvironment environment;
    ScriptedDialogs dialogs;
    DataServerProcess server(dbFile);
    server.admin({u"add-user"_s, u"formbench"_s}, "formbench-pw\n");
    if (!server.start()) {
        std::fprintf(stderr, "the data server did not start\n");
        return 1;
    }
    cAppSettings::instance().DataServer = server.host();
    QueryCredentials::current() = {u"formbench"_s, u"formbench-pw"_s};

    const QString jockey =
        firstRow(dbFile, u"SELECT WJockey FROM WORKRACE GROUP BY WJockey ORDER BY count(*) DESC LIMIT 1"_s).value(0);
    const QStringList race = firstRow(
        dbFile, u"SELECT replace(WRaceDate, '-', '/'), WTrack, WRaceNo, WHorse FROM WORKRACE WHERE WJockey = '"_s +
                    jockey.toUpper().replace(u"'"_s, u"''"_s) + u"' ORDER BY WRaceDate DESC LIMIT 1"_s);
    std::printf("busiest jockey %s; race %s\n", qPrintable(jockey), qPrintable(race.join(u' ')));

    bool ok = true;
    int shownRuns = 0;
    ok &= report("statistics window, busiest jockey (open, query, fill)",
                 timeRuns(runs,
                          [&] {
                              StatsHandOver::instance() = {u"jockey"_s, {}, jockey, {}, {}};
                              FrmRaceStats window;
                              window.load();
                              window.show();
                              QApplication::processEvents();
                              shownRuns = window.runsModel()->rowCount();
                          }),
                 100);
    std::printf("  runs shown: %d\n", shownRuns);

    int runners = 0;
    ok &= report("race result (two queries, fill)",
                 timeRuns(runs,
                          [&] {
                              const auto result =
                                  raceresult::OpenResult(race.value(0), race.value(1), race.value(2), race.value(3));
                              frmRaceResult window;
                              if (result)
                                  window.fill(*result);
                              window.show();
                              QApplication::processEvents();
                              runners = window.grdResults->rowCount();
                          }),
                 50);
    std::printf("  runners shown: %d\n", runners);

    int horses = 0;
    ok &= report("horse search \"green\" (query, fill)",
                 timeRuns(runs,
                          [&] {
                              FrmSelHorse window;
                              window.txtHorse->setText(u"green"_s);
                              window.show();
                              window.cmdSeachHorse->click();
                              QApplication::processEvents();
                              horses = window.grdSelHorse->rowCount();
                          }),
                 100);
    std::printf("  horses found: %d\n", horses);

    StatsHandOver values{u"jockey"_s, {}, jockey, {}, {}};
    const QString answer = DataServerRequest(formstats::prepareRequest(values, {}).sql);
    // Wall time and this thread's processor time: on a shared machine the second shows the work itself.
    QList<double> perCall, cpuPerCall;
    for (int i = 0; i < runs; ++i) {
        constexpr int kRepeat = 50;
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        for (int r = 0; r < kRepeat; ++r) {
            QList<formstats::RunRow> folded = formstats::foldAnswer(answer);
            formstats::summarise(folded, formstats::Mode::Horse);
        }
        cpuPerCall << (threadCpuMs() - cpuStart) / kRepeat;
        perCall << timer.nsecsElapsed() / 1e6 / kRepeat;
    }
    report("split, dead-heat folding and summary, 90 runs (wall)", perCall, 1);
    ok &= report("split, dead-heat folding and summary, 90 runs (cpu)", cpuPerCall, 1);
    std::printf("  dialogs shown: %lld\n", static_cast<long long>(dialogs.messages.size()));
    return ok ? 0 : 2;
}
