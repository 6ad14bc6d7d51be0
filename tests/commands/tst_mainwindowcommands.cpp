#include "app/ui/MainWindow.h"
#include "app/ui/MainWindowCommands.h"
#include "bookings/BookingGrid.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/DebugMode.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QStatusBar>
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

    void rightClickOpensPopup_data();
    void rightClickOpensPopup();
    void tabLeavesTheLists();
    void setRemainingStatusFillsOnlyEmptyStates();
    void selectJockeyForIconsKeepsTheTrainer();
    void debugModeCheckMark();
    void deleteMeetingAsksFirst_data();
    void deleteMeetingAsksFirst();
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

void TestMainWindowCommands::rightClickOpensPopup_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<bool>("empty");
    QTest::newRow("meetings") << u"grdMeeting"_s << u"mnuPUMenu"_s << false;
    QTest::newRow("nominations") << u"grdNoms"_s << u"MnuPUNoms"_s << false;
    QTest::newRow("trainers") << u"grdNames"_s << u"mnuPUNames"_s << false;
    QTest::newRow("jockeys") << u"grdJockey"_s << u"MnuPuJockey"_s << false;
    QTest::newRow("empty meetings list") << u"grdMeeting"_s << u"mnuPUMenu"_s << true;
}

void TestMainWindowCommands::rightClickOpensPopup()
{
    QFETCH(QString, grid);
    QFETCH(QString, menu);
    QFETCH(bool, empty);
    if (!empty)
        seedNominations();
    auto *view = m_window->findChild<QTableView *>(grid);
    QCOMPARE(view->model()->rowCount() == 0, empty);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    drive::contextMenuAt(view, empty ? QPoint(5, 5) : drive::cellCentre(view, 1, 1));

    auto *popup = m_window->findChild<QMenu *>(menu);
    QTRY_VERIFY(popup->isVisible());
    popup->hide();
    // Every item has a letter of its own (the state item's caption is the state's text).
    QStringList letters;
    for (const QAction *item : popup->actions())
        if (!item->isSeparator() && item->objectName() != "mnuUpdateStatus"_L1)
            letters << item->text().section(u'&', 1).left(1).toLower();
    QVERIFY2(!letters.contains(QString()) && QSet<QString>(letters.cbegin(), letters.cend()).size() == letters.size(),
             qPrintable(letters.join(u',')));
}

void TestMainWindowCommands::tabLeavesTheLists()
{
    // Tab and Ctrl+Tab go on to the next control; they never load the next trainer.
    seedNominations();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        m_window->grdNames->setFocus();
        m_window->grdNames->setCurrentIndex(m_window->grdNames->model()->index(0, 0));
        const QString trainer = m_window->chosenTrainer();
        QTest::keyClick(m_window->grdNames, Qt::Key_Tab, modifiers);
        QVERIFY(QApplication::focusWidget() != m_window->grdNames);
        QCOMPARE(m_window->chosenTrainer(), trainer);
        QCOMPARE(m_window->grdNames->currentIndex().row(), 0);
    }
}

void TestMainWindowCommands::setRemainingStatusFillsOnlyEmptyStates()
{
    seedNominations();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    drive::contextMenuAt(m_window->grdNoms, drive::cellCentre(m_window->grdNoms, nomsRowOf(u"Alpha"_s), 13));
    QTRY_VERIFY(commands()->MnuPUNoms->isVisible());
    commands()->MnuPUNoms->hide();
    drive::trigger(m_window, u"mnuUpdateStatus"_s);

    // Only the empty state takes the text; the table holds what the list shows.
    QCOMPARE(m_window->nomsGrid().cellText(nomsRowOf(u"Bravo"_s), 13), u"Gallops Tue"_s);
    QCOMPARE(m_window->nomsGrid().cellText(nomsRowOf(u"Charlie"_s), 13), u"Planned"_s);
    QCOMPARE(OpenDb().scalar(u"SELECT BookingSelection FROM Bookings WHERE Horse = 'Bravo'"_s).toString(),
             u"Gallops Tue"_s);
}

// Narrowing the icons to one jockey re-reads the trainers only: the chosen trainer and nominations stay.
void TestMainWindowCommands::selectJockeyForIconsKeepsTheTrainer()
{
    seedNominations();
    m_window->grdJockey->selectRow(0);
    m_window->findChild<QAction *>(u"mnuSelJckIcn"_s)->trigger();
    QCOMPARE(m_window->chosenTrainer(), u"D Hayes"_s);
    QCOMPARE(m_window->grdNoms->model()->rowCount(), 4);
    QVERIFY(m_window->grdNames->selectionModel()->isRowSelected(0, {}));
}

// The menu's check mark follows the debug file (the toggle's rules are the maintenance suite's).
void TestMainWindowCommands::debugModeCheckMark()
{
    QAction *debug = m_window->mnudebugtoggle;
    m_dialogs->chooseSaveFile(m_env->root() + u"/debug.txt"_s);
    debug->trigger();
    QVERIFY(debug->isChecked() && DebugMode::isOn());
    debug->trigger();
    QVERIFY(!debug->isChecked() && !DebugMode::isOn());
}

void TestMainWindowCommands::deleteMeetingAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the meeting") << false;
    QTest::newRow("Yes hides it") << true;
}

void TestMainWindowCommands::deleteMeetingAsksFirst()
{
    QFETCH(bool, yes);
    seedNominations();
    yes ? m_dialogs->answerYes() : m_dialogs->answerNo();
    m_window->grdMeeting->selectRow(0);
    m_window->findChild<QAction *>(u"mnuDeleteMeeting"_s)->trigger();
    QCOMPARE(m_dialogs->messages.size(), 1);
    const ScriptedDialogs::Message &question = m_dialogs->messages.first();
    QCOMPARE(question.text, u"Delete meeting 0312FLEM (Flemington, 2026Dec03)?\r\r4 nominations go with it, and 3 "
                            "bookings leave the lists (kept: they show again when the meeting is loaded again)."_s);
    QCOMPARE(question.defaultAnswer, UserDialogs::Answer::No);
    QCOMPARE(m_window->grdMeeting->model()->rowCount(), yes ? 0 : 1);
    QCOMPARE(OpenDb().scalar(u"SELECT DisplayMeeting FROM Meeting WHERE MeetingCode = '0312FLEM'"_s).toInt(),
             yes ? 0 : 1);
    QCOMPARE(OpenDb().scalar(u"SELECT COUNT(*) FROM Bookings"_s).toInt(), 3);
    QCOMPARE(m_window->statusBar()->currentMessage().startsWith(u"Deleted 0312FLEM: 0 meetings"_s), yes);
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
        db.exec(
            u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails) VALUES ('0312FLEM', '1200 MDN', 1, 'Maiden')"_s);
        db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor) VALUES ('J SMITH', 'John Smith', '65535')"_s);
        for (const char *horse : {"Alpha", "Bravo", "Charlie", "Delta"})
            db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, Weight) "
                    "VALUES ('0312FLEM', '1200 MDN', 1, ?, ?, 'D Hayes', 560)"_s,
                    {QLatin1String(horse), QLatin1String(horse)});
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
                u"Confirmed) VALUES "
                "('0312FLEM', '1200 MDN', 'Alpha', 'D Hayes', NULL, 'Gallops Tue', 0), "
                "('0312FLEM', '1200 MDN', 'Charlie', 'D Hayes', 'J SMITH', 'Planned', 0), "
                "('0312FLEM', '1200 MDN', 'Delta', 'D Hayes', 'J SMITH', 'Confirmed', 1)"_s);
    }
    m_window->reloadMeetings();
    m_window->reloadJockeys();
    m_window->reloadTrainers();
    QCOMPARE(m_window->trainerModel()->rowCount(), 1);
    drive::clickCell(m_window->grdNames, 1, mainlists::names::Trainer);
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
