#include "core/DebugMode.h"
#include "app/ui/MainWindow.h"
#include "app/ui/MainWindowCommands.h"
#include "bookings/BookingGrid.h"
#include "bookings/ui/ListModel.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The window side: which commands are offered where, and that the wired ones reach the database.
class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuBarItems_data();
    void menuBarItems();
    void popupItems_data();
    void popupItems();
    void rightClickOpensPopup_data();
    void rightClickOpensPopup();
    void remainingStatusItem_data();
    void remainingStatusItem();
    void setRemainingStatusFillsOnlyEmptyStates();
    void debugModeCheckMark();
    void deleteMeetingHidesIt();
    void jockeyInvoiceForSelectedJockey();

private:
    MainWindowCommands *commands() const { return m_window->findChild<MainWindowCommands *>(); }
    // A meeting with four nominations of one trainer: a template state, none, planned, confirmed.
    void seedNominations();
    // The nominations-list row (from 1) that shows the horse, 0 when none does.
    int nomsRowOf(const QString &horse) const;

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    MainWindow *m_window = nullptr;
};

void TestMainWindowCommands::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    DebugMode::turnOff();
    m_window = MainWindow::instance();
    QVERIFY(commands());
}

void TestMainWindowCommands::cleanup()
{
    delete m_window;
    m_window = nullptr;
    DebugMode::turnOff();
    m_dialogs.reset();
    m_env.reset();
}

void TestMainWindowCommands::menuBarItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("backup") << u"mnuBackupDatabase"_s << true;
    QTest::newRow("compact") << u"mnuRepairDB"_s << true;
    QTest::newRow("purge") << u"mnuRemove"_s << true;
    QTest::newRow("debug") << u"mnudebugtoggle"_s << true;
    QTest::newRow("reset race window") << u"mnuResetRace"_s << true;
    QTest::newRow("jockey editor") << u"mnuEditJockey"_s << true;
    QTest::newRow("booking templates") << u"MnuBookTemp"_s << true;
    QTest::newRow("riding fees") << u"mnuBookRate"_s << true;
}

void TestMainWindowCommands::menuBarItems()
{
    QFETCH(QString, name);
    QFETCH(bool, enabled);
    QAction *action = m_window->action(name);
    QVERIFY(action);
    QCOMPARE(action->isEnabled(), enabled);
}

void TestMainWindowCommands::popupItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items"); // "name|caption|+" enabled, "-" disabled

    QTest::newRow("meetings") << u"mnuPUMenu"_s
                              << QStringList{u"MnuRace|&Race View|-"_s, u"MnuMeetingView|&Meeting View|-"_s,
                                             u"mnuReload|Re&load Data|+"_s, u"mnuMeetingForm|&Form|-"_s,
                                             u"mnuDeleteMeeting|&Delete Meeting|+"_s};
    QTest::newRow("nominations") << u"MnuPUNoms"_s
                                 << QStringList{u"mnuRaceView|Race View|-"_s, u"MnuHorseForm|&Horse Form|+"_s,
                                                u"mnuVicRatings|&Ratings|+"_s, u"mnuNomsRBForm|Race &Form|-"_s,
                                                u"mnuJockeystats|&Jockey Stats|-"_s, u"mnuRego|Rego Search|+"_s,
                                                u"mnuVideoForm|Video Form|-"_s,
                                                u"mnuUpdateStatus|Set Remaining Status to |*"_s};
    QTest::newRow("trainers") << u"mnuPUNames"_s
                              << QStringList{u"mnuTrainerStats|&Trainer Stats|+"_s, u"mnuEditTrainer|&Edit Trainer|+"_s,
                                             u"mnutrainStrk|Trainer Strike Rate|-"_s,
                                             u"MnuTranierJockStrk|Trainer/Jockey Strike Rate|-"_s,
                                             u"MnuTrainJockForm|Trainer/Jockey Form|+"_s};
    QTest::newRow("jockeys") << u"MnuPuJockey"_s
                             << QStringList{u"mnuPrvRides|&Previous Rides|+"_s,
                                            u"MnuJockStrike|Jockey Strike rate|-"_s,
                                            u"mnuTrnJockStrk|Trainer Jockey Strike Rate|+"_s,
                                            u"mnuRldJokDta|Reload Jockey Form Data|+"_s,
                                            u"mnuSelJckIcn|Select Jockey for Icons|+"_s,
                                            u"mnuJockeyReport|Print Jockey Invoice Report|+"_s};
}

void TestMainWindowCommands::popupItems()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    auto *popup = m_window->findChild<QMenu *>(menu);
    QVERIFY(popup);
    QStringList actual;
    for (const QAction *action : popup->actions())
        // Setting the remaining states waits for the nominations list's grid seam; enabled or not is its business.
        actual << action->objectName() + u'|' + action->text() + u'|'
                      + (action->objectName() == "mnuUpdateStatus"_L1 ? u'*' : action->isEnabled() ? u'+' : u'-');
    QCOMPARE(actual, items);
}

void TestMainWindowCommands::rightClickOpensPopup_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("menu");
    QTest::newRow("meetings") << u"grdMeeting"_s << u"mnuPUMenu"_s;
    QTest::newRow("nominations") << u"grdNoms"_s << u"MnuPUNoms"_s;
    QTest::newRow("trainers") << u"grdNames"_s << u"mnuPUNames"_s;
    QTest::newRow("jockeys") << u"grdJockey"_s << u"MnuPuJockey"_s;
}

void TestMainWindowCommands::rightClickOpensPopup()
{
    QFETCH(QString, grid);
    QFETCH(QString, menu);
    seedNominations();
    auto *view = m_window->findChild<QTableView *>(grid);
    QVERIFY(view->model()->rowCount() > 0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    const QPoint pos = view->visualRect(view->model()->index(0, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
    QCoreApplication::sendEvent(view->viewport(), &event);

    auto *popup = m_window->findChild<QMenu *>(menu);
    QTRY_VERIFY(popup->isVisible());
    popup->hide();
}

void TestMainWindowCommands::remainingStatusItem_data()
{
    QTest::addColumn<QString>("horse");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("visible");
    QTest::newRow("template state") << u"Alpha"_s << 13 << true;
    QTest::newRow("planned") << u"Charlie"_s << 13 << false;
    QTest::newRow("confirmed") << u"Delta"_s << 13 << false;
    QTest::newRow("empty") << u"Bravo"_s << 13 << false;
    QTest::newRow("horse column") << u"Alpha"_s << 4 << false;
}

void TestMainWindowCommands::remainingStatusItem()
{
    QFETCH(QString, horse);
    QFETCH(int, column);
    QFETCH(bool, visible);
    seedNominations();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    const int row = nomsRowOf(horse);
    QVERIFY(row > 0);
    auto *model = m_window->grdNoms->model();
    const QPoint pos = m_window->grdNoms->visualRect(model->index(row - 1, column - 1)).center();

    QMenu *menu = commands()->popupFor(m_window->grdNoms, pos);
    QCOMPARE(menu, commands()->MnuPUNoms);
    QAction *item = m_window->findChild<QAction *>(u"mnuUpdateStatus"_s);
    QCOMPARE(item->isVisible(), visible);
    if (visible) {
        QCOMPARE(item->text(), u"Set Remaining Status to Gallops Tue"_s);
        QVERIFY(item->isEnabled());
    }
}

void TestMainWindowCommands::setRemainingStatusFillsOnlyEmptyStates()
{
    seedNominations();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    auto *model = m_window->grdNoms->model();
    const QPoint pos = m_window->grdNoms->visualRect(model->index(nomsRowOf(u"Alpha"_s) - 1, 12)).center();
    QCOMPARE(commands()->popupFor(m_window->grdNoms, pos), commands()->MnuPUNoms);
    m_window->findChild<QAction *>(u"mnuUpdateStatus"_s)->trigger();

    QCOMPARE(m_window->nomsGrid().cellText(nomsRowOf(u"Bravo"_s), 13), u"Gallops Tue"_s);
    QCOMPARE(m_window->nomsGrid().cellText(nomsRowOf(u"Charlie"_s), 13), u"Planned"_s);
    Db db = OpenDb();
    QCOMPARE(db.scalar(u"SELECT BookingSelection FROM Bookings WHERE Horse = 'Bravo'"_s).toString(), u"Gallops Tue"_s);
    QCOMPARE(db.scalar(u"SELECT BookingSelection FROM Bookings WHERE Horse = 'Charlie'"_s).toString(), u"Planned"_s);
    QCOMPARE(db.scalar(u"SELECT BookingSelection FROM Bookings WHERE Horse = 'Delta'"_s).toString(), u"Confirmed"_s);
    QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Bookings"_s).toInt(), 4);
}

void TestMainWindowCommands::debugModeCheckMark()
{
    QAction *debug = m_window->action(u"mnudebugtoggle"_s);
    QVERIFY(!debug->isChecked());
    debug->trigger(); // cancelled dialog: stays off
    QVERIFY(!debug->isChecked());
    QVERIFY(!DebugMode::isOn());

    m_dialogs->chooseSaveFile(m_env->root() + u"/debug.txt"_s);
    debug->trigger();
    QVERIFY(debug->isChecked());
    QVERIFY(DebugMode::isOn());

    debug->trigger();
    QVERIFY(!debug->isChecked());
    QVERIFY(!DebugMode::isOn());
}

void TestMainWindowCommands::deleteMeetingHidesIt()
{
    {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, DisplayMeeting) "
                "VALUES ('0312FLEM', 'Flemington', 'ACP', '2026-12-03', 1)"_s);
        db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName) "
                "VALUES ('0312FLEM', '1200 MDN', 1, 'Star', 'D Hayes')"_s);
    }
    m_window->cmdMtgRfs->click();
    QCOMPARE(m_window->grdMeeting->model()->rowCount(), 1);
    m_window->grdMeeting->selectRow(0);

    m_window->findChild<QAction *>(u"mnuDeleteMeeting"_s)->trigger();

    QCOMPARE(m_window->grdMeeting->model()->rowCount(), 0);
    Db db = OpenDb();
    QCOMPARE(db.scalar(u"SELECT DisplayMeeting FROM Meeting WHERE MeetingCode = '0312FLEM'"_s).toInt(), 0);
    QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Noms"_s).toInt(), 0);
}

void TestMainWindowCommands::jockeyInvoiceForSelectedJockey()
{
    seedNominations();
    m_window->grdJockey->selectRow(0);
    QString caption;
    QObject scope;
    QTimer::singleShot(0, &scope, [&caption] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            caption = modal->windowTitle();
            modal->close();
        }
    });
    m_window->findChild<QAction *>(u"mnuJockeyReport"_s)->trigger();
    QCOMPARE(caption, u"Jockey Invoice Settings - J SMITH"_s);
}

void TestMainWindowCommands::seedNominations()
{
    {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, DisplayMeeting, State) "
                "VALUES ('0312FLEM', 'Flemington', 'ACP', '2026-12-03', 1, 'VIC')"_s);
        db.exec(u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails) VALUES ('0312FLEM', '1200 MDN', 1, 'Maiden')"_s);
        db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor) VALUES ('J SMITH', 'John Smith', '65535')"_s);
        for (const char *horse : {"Alpha", "Bravo", "Charlie", "Delta"})
            db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, Weight) "
                    "VALUES ('0312FLEM', '1200 MDN', 1, ?, ?, 'D Hayes', 560)"_s,
                    {QLatin1String(horse), QLatin1String(horse)});
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, Confirmed) VALUES "
                "('0312FLEM', '1200 MDN', 'Alpha', 'D Hayes', NULL, 'Gallops Tue', 0), "
                "('0312FLEM', '1200 MDN', 'Charlie', 'D Hayes', 'J SMITH', 'Planned', 0), "
                "('0312FLEM', '1200 MDN', 'Delta', 'D Hayes', 'J SMITH', 'Confirmed', 1)"_s);
    }
    m_window->reloadMeetings();
    m_window->reloadJockeys();
    m_window->reloadTrainers();
    QCOMPARE(m_window->trainerModel()->rowCount(), 1);
    QVERIFY(m_window->chooseTrainer(1));
    QCOMPARE(m_window->grdNoms->model()->rowCount(), 4);
}

int TestMainWindowCommands::nomsRowOf(const QString &horse) const
{
    for (int row = 1; row <= m_window->grdNoms->model()->rowCount(); ++row)
        if (m_window->nomsGrid().cellText(row, 4).trimmed() == horse)
            return row;
    return 0;
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
