// The form windows opened from the main window's gestures, offscreen, against the real data
// server over the hand-made tables in fixtures/formdata.
#include "FixtureHttpServer.h"
#include "mainwindow/MainWindowSeed.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "formdata/ui/FrmBrowse.h"
#include "formdata/ui/FrmRaceStats.h"
#include "formdata/ui/FrmSelHorse.h"
#include "formdata/ui/frmRaceResult.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs `check` on the next modal window of type T once it is up, then closes it.
template <typename T> void onNextModal(std::function<void(T *)> check, bool *seen)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, check, seen] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window)
            return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        check(window);
        window->reject();
    });
    timer->start(20);
}

QString summaryLine(FrmRaceStats *stats)
{
    QStringList cells;
    for (int c = 0; c < stats->GrdSummary->columnCount(); ++c)
        cells << stats->GrdSummary->item(1, c)->text();
    return cells.join(u' ');
}

} // namespace

class TestFormWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listGesturesOpenStatistics_data();
    void listGesturesOpenStatistics();
    void runOpensItsResult();
    void findHorseSearchesAndOpensForm();
    void lookUpsShowTheirPages();
    void browserWindowLoadsItsEngineAndShowsThePage();
    void cliPrintsTheSameCore();

private:
    QTemporaryDir m_serverDir;
    std::unique_ptr<DataServerProcess> m_server;
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<MainWindow> m_window;
};

void TestFormWindows::initTestCase()
{
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(u"form.db"_s));
    const QString failure = m_server->build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, u"pw"_s);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
}

void TestFormWindows::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    {
        Db db(m_env->databaseFile());
        seed::exec(db,
                   u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
                   "DisplayMeeting, MeetType) VALUES ('MEL0106', 'Flemington', 'ACP', '2025-01-06', 'VIC', 1, 'M')"_s);
        seed::addNom(db, u"MEL0106"_s, 1, u"GREEN FLASH"_s, u"T O'Sullivan"_s, 580);
        seed::exec(db,
                   u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) VALUES ('J Smith', 'J', '0', 53)"_s);
    }
    cAppSettings &settings = cAppSettings::instance();
    settings.DataServer = m_server->host();
    settings.UserName = u"agent"_s;
    settings.UserPass = u"pw"_s;
    settings.SaveSettings();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    startup::setRideRefresher([] {});
    m_window = MainWindow::instance();
    QVERIFY(m_window->load());
    QueryCredentials::current() = {u"agent"_s, u"pw"_s};
    drive::clickCell(m_window->grdNames, 1, mainlists::names::Trainer);
    QCOMPARE(m_window->chosenTrainer(), u"T O'Sullivan"_s);
}

void TestFormWindows::cleanup()
{
    delete m_window;
    startup::setRideRefresher({});
    m_dialogs.reset();
    m_env.reset();
}

void TestFormWindows::listGesturesOpenStatistics_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("runs");
    QTest::addColumn<QString>("summary");
    QTest::newRow("nominations: Horse Form")
        << u"MnuHorseForm"_s << u"Racing Statistics for Horse GREEN FLASH"_s << 3
        << u"3:1-2-0 3:1-2-0 2nd 0:0-0-0 0:0-0-0 0:0-0-0 1:1-0-0 0:0-0-0 1:0-1-0 1:0-1-0"_s;
    QTest::newRow("nominations: best-placing icon")
        << u"icon5"_s << u"Racing Statistics for Horse GREEN FLASH  &  Jockey : J Smith"_s << 2
        << u"2:1-1-0 2:1-1-0 2nd 0:0-0-0 0:0-0-0 0:0-0-0 1:1-0-0 0:0-0-0 0:0-0-0 1:0-1-0"_s;
    QTest::newRow("trainers: Trainer Stats")
        << u"mnuTrainerStats"_s << u"Racing Statistics for Trainer T O'Sullivan"_s << 3
        << u"3:1-2-0 3:1-2-0 2nd 0:0-0-0 0:0-0-0 0:0-0-0 1:1-0-0 0:0-0-0 "
           "1:0-1-0 1:0-1-0"_s;
    QTest::newRow("trainers: best-placing icon")
        << u"icon4"_s << u"Racing Statistics for Trainer T O'Sullivan  &  Jockey : J Smith"_s << 2
        << u"2:1-1-0 2:1-1-0 2nd 0:0-0-0 0:0-0-0 0:0-0-0 1:1-0-0 0:0-0-0 0:0-0-0 1:0-1-0"_s;
    QTest::newRow("jockeys: Previous Rides") << u"mnuPrvRides"_s << u"Racing Statistics for Jockey J Smith"_s << 2
                                             << u"2:1-1-0 2:1-1-0 2nd 0:0-0-0 0:0-0-0 0:0-0-0 1:1-0-0 0:0-0-0 "
                                                "0:0-0-0 1:0-1-0"_s;
}

void TestFormWindows::listGesturesOpenStatistics()
{
    QFETCH(QString, gesture);
    MainWindow *w = m_window;
    w->grdNoms->setCurrentIndex(w->nomsModel()->index(0, 0));
    w->grdNames->setCurrentIndex(w->trainerModel()->index(0, 0));
    w->grdJockey->selectRow(0);
    bool seen = false;
    onNextModal<FrmRaceStats>(
        [](FrmRaceStats *stats) {
            QTEST(stats->windowTitle(), "caption");
            QTEST(stats->runsModel()->rowCount(), "runs");
            QTEST(summaryLine(stats), "summary");
        },
        &seen);
    if (gesture == "icon5"_L1)
        drive::doubleClickCell(w->grdNoms, 1, mainlists::noms::Icon1);
    else if (gesture == "icon4"_L1)
        drive::clickCell(w->grdNames, 1, mainlists::names::Icon1);
    else
        drive::trigger(w, gesture);
    QTRY_VERIFY(seen);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestFormWindows::runOpensItsResult()
{
    bool statsSeen = false;
    bool resultSeen = false;
    onNextModal<FrmRaceStats>(
        [&resultSeen](FrmRaceStats *stats) {
            onNextModal<frmRaceResult>(
                [](frmRaceResult *result) {
                    QCOMPARE(result->txtMeetDesc->text(), u" RAND 10/02/2024 - Australian Turf Club"_s);
                    QCOMPARE(result->txtCond->text(), u"Heavy"_s);
                    QCOMPARE(result->grdResults->rowCount(), 3);
                    for (int row = 0; row < 3; ++row) {
                        const bool own = result->grdResults->item(row, 1)->text() == u"Green Flash"_s;
                        QCOMPARE(result->grdResults->item(row, 1)->font().bold(), own);
                        QVERIFY(!result->grdResults->item(row, 0)->font().bold());
                    }
                    // Loaded second, shown first: the finishing order; a header click sorts by that column.
                    const auto horses = [result] {
                        QStringList names;
                        for (int row = 0; row < result->grdResults->rowCount(); ++row)
                            names << result->grdResults->item(row, 1)->text();
                        return names.join(u',');
                    };
                    QCOMPARE(horses(), u"Red Rover,Green Flash,Blue Moon"_s);
                    drive::clickHeader(result->grdResults, 2);
                    QCOMPARE(horses(), u"Blue Moon,Green Flash,Red Rover"_s);
                    drive::clickHeader(result->grdResults, 2);
                    QCOMPARE(horses(), u"Red Rover,Green Flash,Blue Moon"_s);
                },
                &resultSeen);
            // Newest first: the Randwick run is the second row.
            drive::doubleClickCell(stats->grdStats, 2, formstats::RaceDate);
            // "Finish position" sorts by the hidden number, ascending first.
            drive::clickHeader(stats->grdStats, formstats::FinishPosition);
            QCOMPARE(stats->runsModel()->index(0, formstats::FinishPosition - 1).data().toString(), u"1-3"_s);
            drive::clickHeader(stats->grdStats, formstats::FinishPosition);
            QCOMPARE(stats->runsModel()->index(2, formstats::FinishPosition - 1).data().toString(), u"1-3"_s);
        },
        &statsSeen);
    m_window->grdNoms->setCurrentIndex(m_window->nomsModel()->index(0, 0));
    drive::trigger(m_window, u"MnuHorseForm"_s);
    QTRY_VERIFY(statsSeen);
    QVERIFY(resultSeen);
    QVERIFY(!cAppSettings::instance().StatHorseWidth.isEmpty());
    QVERIFY(!cAppSettings::instance().RaceResultsGridWidth.isEmpty());
}

void TestFormWindows::findHorseSearchesAndOpensForm()
{
    QVERIFY(m_window->CmdFindHorse->isEnabled());
    bool searchSeen = false;
    bool formSeen = false;
    onNextModal<FrmSelHorse>(
        [this, &formSeen](FrmSelHorse *search) {
            search->cmdSeachHorse->click();
            QCOMPARE(m_dialogs->messages.value(0).text, u"Enter Part of Horsname and enter"_s);
            search->txtHorse->setText(u"zzz"_s);
            search->cmdSeachHorse->click();
            QCOMPARE(m_dialogs->messages.value(1).text, u"No Horse Found with Characters"_s);
            search->txtHorse->setText(u"oo"_s);
            search->cmdSeachHorse->click();
            QCOMPARE(search->grdSelHorse->rowCount(), 1);
            QCOMPARE(search->grdSelHorse->item(0, 0)->text(), u"Blue Moon"_s);
            search->txtHorse->setText(u"green"_s);
            search->cmdSeachHorse->click();
            QCOMPARE(search->grdSelHorse->item(0, 0)->text(), u"Green Flash"_s);
            onNextModal<FrmRaceStats>([](FrmRaceStats *stats) { QCOMPARE(stats->runsModel()->rowCount(), 3); },
                                      &formSeen);
            drive::doubleClickCell(search->grdSelHorse, 1, 1);
        },
        &searchSeen);
    m_window->CmdFindHorse->click();
    QTRY_VERIFY(searchSeen);
    QVERIFY(formSeen);
}

void TestFormWindows::lookUpsShowTheirPages()
{
    FixtureHttpServer site;
    site.setResponse({200, "OK", "<html>GREEN FLASH rating</html>", "text/html"});
    cAppSettings::instance().RatingHost = site.url(u"/"_s); // a setting that names its scheme
    cAppSettings::instance().RegistrationHost = u"rego.test"_s;
    QStringList shown;
    FrmBrowse::setPresenter(
        [&shown](const QString &caption, const QUrl &url) { shown << caption + u' ' + url.toString(); });
    m_window->grdNoms->setCurrentIndex(m_window->nomsModel()->index(0, 0));
    drive::trigger(m_window, u"mnuRego"_s);
    drive::trigger(m_window, u"mnuVicRatings"_s);
    FrmBrowse::setPresenter({});
    const QString display = QDir(m_env->programFolder()).filePath(u"display.html"_s);
    QCOMPARE(
        shown,
        QStringList(
            {u"Registration Search - GREEN FLASH https://rego.test/FreeServices/HorseSearch.aspx?key=GREEN FLASH"_s,
             u"RBH Vic Rating "_s + QUrl::fromLocalFile(display).toString()}));
    QFile page(display);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QCOMPARE(page.readAll(), QByteArray("<html>GREEN FLASH rating</html>"));
}

void TestFormWindows::browserWindowLoadsItsEngineAndShowsThePage()
{
#ifndef OSTREVAN_WEBVIEW_PATH
    QSKIP("built without the browser module");
#else
    // The engine is loaded when the first page is shown, never with the program.
    const auto engineLoaded = [] {
        QFile maps(u"/proc/self/maps"_s);
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
    };
    QVERIFY(!engineLoaded());
    qputenv("OSTREVAN_WEBVIEW_MODULE", OSTREVAN_WEBVIEW_PATH);
    FixtureHttpServer site;
    site.setResponse(
        {200, "OK", "<html><head><title>GREEN FLASH</title></head><body>rated 84</body></html>", "text/html"});
    FrmBrowse window;
    QVERIFY(FrmBrowse::canShowPages());
    QVERIFY(engineLoaded());
    QWidget *view = window.findChild<QWidget *>(u"WebBrowser1"_s);
    QVERIFY(view);
    window.navigate(QUrl(site.url(u"/rating"_s)));
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(view->property("title").toString(), u"GREEN FLASH"_s, 30000);
    QCOMPARE(window.url(), QUrl(site.url(u"/rating"_s)));
#endif
}

void TestFormWindows::cliPrintsTheSameCore()
{
    auto run = [this](const QStringList &arguments) { return m_env->runCli(arguments).outLines(); };
    const QStringList form = run({u"form"_s, u"horse"_s, u"green flash (nz)"_s});
    QCOMPARE(form.size(), 4);
    QCOMPARE(form.at(0), u"16/03/24\t2-2\t60kg\t\t1.2\tBALL\t1000\tCL1 HANDICAP\tK O'brien\t1\tS\t16:20\t6,6\t2.2\t"
                         "Red Rover\tGreen Flash\t\t2000\t25000\t58\t33.75\tCLASS 1 HANDICAP\tFreshen(35d)"_s);
    QCOMPARE(form.at(3), u"Career 3:1-2-0, This Prep 3:1-2-0, Last Start 2nd, 1st Up 0:0-0-0, 2nd Up 0:0-0-0, Fast "
                         "0:0-0-0, Good 1:1-0-0, Dead 0:0-0-0, Slow 1:0-1-0, Heavy 1:0-1-0"_s);
    const QStringList result = run({u"result"_s, u"2024/02/10"_s, u"RAND"_s, u"3"_s, u"Green Flash"_s});
    QCOMPARE(result.size(), 4);
    QVERIFY(result.at(0).startsWith(u" RAND 10/02/2024 - Australian Turf Club\t Metro\tNSW\t3    1400    "_s));
    QCOMPARE(result.filter(u"\t*"_s), QStringList{u"2\tGreen Flash\t2.5\tJ Smith\t2\t59\t\t0403\tT O'sullivan\t3.1"
                                                  "\t15000\t5  Gelding\tFlashy/Green Lady\t*"_s});
    QCOMPARE(run({u"find-horse"_s, u"oo"_s}), QStringList{u"Blue Moon\tMoonrise\tBlue Bell\t4\tF\tP Moody"_s});
}

QTEST_MAIN(TestFormWindows)
#include "tst_formwindows.moc"
