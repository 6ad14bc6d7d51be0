// Race fields from the web: parsing a 10-race, 150-runner field page and a state's calendar, and
// downloading the page end to end (page served on loopback, track and short-code look-ups and the
// horse form on the real data server, one transaction with a booking check per runner). Prints medians.
//
//     bench_web_fields [--runs N]
//
// Exit status 2 when a median misses its target (parse 20 ms, calendar 10 ms, download 200 ms).
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/FixtureHttpServer.h"
#include "import/WebFieldDownload.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kLink = u"/FreeFields/Acceptances.aspx?Key=2025May23,VIC,Flemington"_s;

// A field page of the live site's shape: per race a title table and a runners table.
QByteArray fieldPage(int races, int runnersPerRace)
{
    QString html = u"<html><head><title>Fields</title></head><body><div class=\"nav\">Races</div>\n"_s;
    for (int r = 1; r <= races; ++r) {
        html +=
            u"<table class=\"race-title\"><tr><th><span class='raceNum'>Race %1</span> - %2:15PM BENCHMARK 64 "
            "HANDICAP (%3 METRES)</th></tr><tr class=\"race-info\"><td><!-- info -->Of $40,000. First $22,000"
            "<br>Apprentices can claim.<br>Field Limit: 14 + 4 EM</TD></tr></table>\n"
            "<table class=\"race-strip-fields\"><thead><tr><th>No</th><th>Last 10</th><th>Horse</th><th>Trainer</th>"
            "<th>Jockey</th><th>Barrier</th><th>Weight</th><th>Probable Weight</th><th>Hcp Rating</th>"
            "<th>Penalty</th></tr></thead><tbody>\n"_s.arg(r)
                .arg(r % 12 + 1)
                .arg(1000 + 100 * r);
        for (int n = 1; n <= runnersPerRace; ++n) {
            html +=
                u"<tr class=\"%1\"><td>%2</td><td>x21%3</td><td><a href=\"/h/%4\">HORSE %4 (NZ)</a></td>"
                "<td><a href=\"/t/%5\">Trainer&rsquo;s %5 &amp; Co</a></td><td><a href=\"/j/%2\"><span class='Hilite'>"
                "Jockey %2<span class='apprentice-claim'> (a3/53kg)</span></span></a></td><td>%2</td>"
                "<td>5%3.5kg</td><td></td><td>6%3</td><td>0</td></tr>\n"_s.arg(n == 7 ? u"Scratched"_s : u"Odd"_s)
                    .arg(n)
                    .arg(n % 10)
                    .arg(r * 100 + n)
                    .arg(n % 9);
        }
        html += u"</tbody></table>\n"_s;
    }
    return (html + u"</body></html>"_s).toUtf8();
}

QString calendarPage(int meetings)
{
    QString html = u"<html><body><table><tr class=\"head\"><th>Date</th><th>Venue</th><th>Fields</th></tr>\n"_s;
    for (int m = 0; m < meetings; ++m) {
        const QString key = u"Key=2025May%1,VIC,Venue%2"_s.arg(m % 28 + 1, 2, 10, QChar(u'0')).arg(m);
        html += u"<tr class=\"row\"><td>Day</td><td><a href=\"/FreeFields/Form.aspx?%1\">Venue %2</a></td><td>"
                "<a href=\"/FreeFields/Nominations.aspx?%1\">N</a> <a href=\"/FreeFields/Weights.aspx?%1\">W</a> "
                "<a href=\"/FreeFields/Acceptances.aspx?%1\">A</a> <a href=\"/FreeFields/Results.aspx?%1\">R</a>"
                "</td></tr>\n"_s.arg(key)
                    .arg(m);
    }
    return html + u"</table></body></html>"_s;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Median wall time; *cpuMs gets the median processor time of this thread (the machine may be shared).
double medianMs(int runs, const std::function<void()> &work, double *cpuMs = nullptr)
{
    QList<double> times;
    QList<double> cpu;
    for (int run = 0; run < runs; ++run) {
        const double cpuStart = threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
        cpu << threadCpuMs() - cpuStart;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    if (cpuMs)
        *cpuMs = cpu.at(cpu.size() / 2);
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int runs = 15;
    const qsizetype at = app.arguments().indexOf(u"--runs"_s);
    if (at > 0 && at + 1 < app.arguments().size())
        runs = std::max(1, app.arguments().at(at + 1).toInt());

    const QByteArray page = fieldPage(10, 15);
    const QString text = QString::fromUtf8(page);
    int runners = 0;
    double parseCpu = 0;
    const double parse = medianMs(
        runs,
        [&] {
            runners = 0;
            for (const WebRace &race : webpages::parseFieldPage(text))
                runners += int(race.runners.size());
        },
        &parseCpu);
    std::printf("field page (%lld KB, 10 races, %d runners): parse median %.2f ms (processor %.2f ms)\n",
                qlonglong(page.size() / 1024), runners, parse, parseCpu);
    const QString calendar = calendarPage(60);
    qsizetype entries = 0;
    double calendarCpu = 0;
    const double calendarMs = medianMs(
        runs, [&] { entries = webpages::parseCalendar(calendar, false).size(); }, &calendarCpu);
    std::printf("calendar (60 meetings, %lld entries): parse median %.2f ms (processor %.2f ms)\n", qlonglong(entries),
                calendarMs, calendarCpu);

    TestEnvironment env;
    env.createDatabase();
    ScriptedDialogs dialogs;
    QTemporaryDir serverDir;
    DataServerProcess server(serverDir.filePath(u"server.db"_s));
    if (!server.build(TestEnvironment::fixture(u"formdata"_s), u"bench"_s, u"bench"_s).isEmpty() || !server.start()) {
        std::fprintf(stderr, "the data server did not start\n");
        return 1;
    }
    FixtureHttpServer site;
    site.setRoute(kLink, page);
    cAppSettings &settings = cAppSettings::instance();
    settings.DataServer = server.host();
    settings.RacingHost = u"http://"_s + site.host();
    QueryCredentials::current() = {u"bench"_s, u"bench"_s};
    for (int r = 1; r <= 10; ++r) {
        OpenDb().exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey) VALUES ('2305FLEM', ?, 'Other Jockey')"_s,
                      {u"HORSE %1 (NZ)"_s.arg(r * 100 + 3)});
    }
    WebMeetingResult result;
    const double download = medianMs(runs, [&] {
        result = WebFieldDownloader::downloadMeeting(u"VIC"_s,
                                                     {u"23/May/25"_s, u"Flemington"_s, u"Acceptances"_s, kLink}, false);
    });
    std::printf("download and store (%d races, %d runners, booking checks, track/short codes/form on loopback): "
                "median %.1f ms over %d runs%s\n",
                result.races, result.runners, download, runs, result.loaded ? "" : " FAILED");
    return (!result.loaded || parse > 20 || calendarMs > 10 || download > 200) ? 2 : 0;
}
