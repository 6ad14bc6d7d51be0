// Start-up as the agent sees it: from launch to the first paint of the main window, the real
// program over a season (400 meetings, 100,000 nominations, 5,000 bookings, 50,000 rides) with the
// form server answering and out of reach, against a plain Qt program with a table, a menu and a
// status bar, launched alternately on the same display. Also the program's peak memory.
// Exit status 2 when the program's median is over three times the plain program's, or its memory
// over 148 MiB. Run it under a real X display (or Xvfb); `--runs N` (default 5).
#include "support/DataServerProcess.h"
#include "support/TestEnvironment.h"

#include "SeasonData.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Compaction.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Launch {
    qint64 shownMs = -1;
    qint64 readyMs = -1; // every list filled (the plain program: when shown)
    double peakMiB = 0;
};

// Peak resident memory of a running process, from /proc.
double peakMiB(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

Launch launch(const QString &program, const QProcessEnvironment &environment, int settleMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Launch result;
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    process.start(program, {});
    QByteArray out;
    const auto stamp = [&out, started](const QByteArray &mark) -> qint64 {
        const qsizetype at = out.indexOf(QByteArray(mark).append(' '));
        const qsizetype end = at < 0 ? -1 : out.indexOf('\n', at);
        return end < 0 ? -1 : out.mid(at + mark.size() + 1, end - at - mark.size() - 1).toLongLong() - started;
    };
    while ((result.shownMs < 0 || result.readyMs < 0) && process.waitForReadyRead(20000)) {
        out += process.readAllStandardOutput();
        result.shownMs = stamp("shown");
        result.readyMs = program.endsWith("ostrevan"_L1) ? stamp("ready") : result.shownMs;
    }
    // The work after the window (the ride refresh) belongs to the memory figure.
    QThread::msleep(settleMs);
    result.peakMiB = peakMiB(process.processId());
    process.kill();
    process.waitForFinished(5000);
    return result;
}

template <typename T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? T() : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 5;
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(u"--runs"_s); at > 0 && at + 1 < arguments.size())
        runs = std::max(1, arguments.at(at + 1).toInt());

    TestEnvironment env;
    env.createDatabase();
    season::seedSeason(env.databaseFile());
    DataServerProcess server(env.root() + u"/form.db"_s);
    const QString failure = server.build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, u"pw"_s);
    if (!failure.isEmpty() || !server.start()) {
        std::fprintf(stderr, "data server: %s\n", qPrintable(failure));
        return 1;
    }
    cAppSettings &settings = cAppSettings::instance();
    settings.UserName = u"agent"_s;
    settings.UserPass = u"pw"_s;
    settings.AppVersion = version::asNumber();
    settings.AlreadyUpgraded = true;
    settings.SaveSettings();
    // Checked by this version at its last start, as a database in daily use is.
    UpgradeSchema();
    {
        // Compacted yesterday, as a database in daily use is: the start need not compact.
        QSettings stored(env.settingsFile(), QSettings::IniFormat);
        stored.setValue(QLatin1String(kLastCompactedSetting),
                        QDateTime::currentDateTime().addDays(-1).toString(u"yyyy-MM-dd HH:mm:ss"_s));
    }
    std::printf("season database: %.1f MB\n", QFileInfo(env.databaseFile()).size() / 1e6);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"OSTREVAN_REPORT_SHOWN"_s, u"1"_s);
    environment.insert(u"OSTREVAN_NO_KEYCHAIN"_s, u"1"_s);
    const auto setServer = [&env](const QString &host) {
        QSettings stored(env.settingsFile(), QSettings::IniFormat);
        stored.setValue(u"DataServer"_s, host);
    };
    const QString unreachable = u"127.0.0.1:%1"_s.arg(DataServerProcess::freePort());

    QList<qint64> plain, up, down, upReady, downReady;
    QList<double> plainMemory, upMemory, downMemory;
    for (int run = 0; run < runs; ++run) {
        // The order turns from run to run: what one launch leaves running (a ride refresh the form
        // server is still answering, files being written back) weighs on each program in turn.
        Launch floor, answering, offline;
        for (int turn = 0; turn < 3; ++turn) {
            switch ((run + turn) % 3) {
            case 0:
                floor = launch(QString::fromUtf8(PLAIN_WINDOW_PATH), environment, 300);
                break;
            case 1:
                setServer(server.host());
                answering = launch(QString::fromUtf8(OSTREVAN_APP_PATH), environment, 1500);
                break;
            default:
                setServer(unreachable);
                offline = launch(QString::fromUtf8(OSTREVAN_APP_PATH), environment, 1500);
            }
        }
        if (floor.shownMs < 0 || answering.shownMs < 0 || offline.shownMs < 0) {
            std::fprintf(stderr, "a program never showed its window\n");
            return 1;
        }
        plain << floor.shownMs;
        up << answering.shownMs;
        down << offline.shownMs;
        upReady << answering.readyMs;
        downReady << offline.readyMs;
        plainMemory << floor.peakMiB;
        upMemory << answering.peakMiB;
        downMemory << offline.peakMiB;
        std::printf("run %d: plain %lld ms, server up %lld ms (ready %lld), server out of reach %lld ms (ready %lld)\n",
                    run + 1, static_cast<long long>(floor.shownMs), static_cast<long long>(answering.shownMs),
                    static_cast<long long>(answering.readyMs), static_cast<long long>(offline.shownMs),
                    static_cast<long long>(offline.readyMs));
    }
    const double floorMs = std::max<qint64>(1, median(plain));
    const double upRatio = median(up) / floorMs;
    const double downRatio = median(down) / floorMs;
    std::printf("\n%-34s %10s %8s %10s %12s\n", "median of runs", "shown ms", "ratio", "ready ms", "peak MiB");
    std::printf("%-34s %10lld %8s %10s %12.1f\n", "plain Qt program", static_cast<long long>(median(plain)), "1.00", "",
                median(plainMemory));
    std::printf("%-34s %10lld %8.2f %10lld %12.1f\n", "ostrevan, form server up", static_cast<long long>(median(up)),
                upRatio, static_cast<long long>(median(upReady)), median(upMemory));
    std::printf("%-34s %10lld %8.2f %10lld %12.1f\n", "ostrevan, form server out of reach",
                static_cast<long long>(median(down)), downRatio, static_cast<long long>(median(downReady)),
                median(downMemory));
    const bool met = upRatio <= 3.0 && downRatio <= 3.0 && median(upMemory) <= 148.0 && median(downMemory) <= 148.0;
    std::printf("%s\n", met ? "targets met (3x the floor, 148 MiB)" : "TARGET MISSED (3x the floor, 148 MiB)");
    return met ? 0 : 2;
}
