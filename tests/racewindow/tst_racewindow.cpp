#include "MainWindowSeed.h"
#include "bookings/BookingOperations.h"
#include "bookings/ui/FrmRace.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/RunnerModel.h"
#include "core/ColumnLayout.h"
#include "core/cAppSettings.h"
#include "roster/ManagedJockeys.h"
#include "roster/StoredColor.h"
#include "support/Accelerators.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace racewindow;
using namespace drive;

namespace {

QString bookedJockey(const QString &horse)
{
    QueryResult query =
        OpenQuery(u"SELECT Jockey FROM Bookings WHERE MeetingCode = 'MEL0106' AND Horse = ?"_s, {horse});
    return query.next() ? query.value(0).toString() : u"(none)"_s;
}

int jockeyRow(const ListModel *jockeys, const QString &name)
{
    for (int r = 1; r <= jockeys->rowCount(); ++r)
        if (jockeys->cellText(r, 1) == name)
            return r;
    return 0;
}

} // namespace

class TestRaceWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void runnersGrid_data();
    void runnersGrid();
    void nominationsHideTheNumberColumn();
    void meetingViewGroupsAndJumps();
    void bookingByDropAndPickList();
    void meetingViewActsOnTheRaceShown();
    void layoutKeptAcrossOpenings();
    void sortValues_data();
    void sortValues();
    void weightButtonSaysWhyItIsOff_data();
    void weightButtonSaysWhyItIsOff();

private:
    std::unique_ptr<FrmRace> open(const QString &meeting, const QString &level, int race)
    {
        auto window = std::make_unique<FrmRace>(meeting, level, race);
        window->show();
        return window;
    }
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestRaceWindow::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    seed::seedLists(m_env->databaseFile());
    Db(m_env->databaseFile()).exec(u"UPDATE Noms SET Barrier = 0, EorB = 'E' WHERE Horse = 'Golf'"_s);
    m_dialogs = std::make_unique<ScriptedDialogs>();
    ManagedJockeys::rebuild({});
}

void TestRaceWindow::cleanup()
{
    m_dialogs.reset();
    m_env.reset();
}

void TestRaceWindow::runnersGrid_data()
{
    QTest::addColumn<QString>("horse");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("back"); // stored colour text, "&H80000005" for the default
    QTest::addColumn<int>("icon");
    const QString yellow = u"65535"_s, blue = u"16711680"_s, none = kDefaultStoredColor;
    // Planned: only the jockey cell in the jockey's colour; confirmed: the whole row and the tick.
    QTest::newRow("planned jockey") << u"Alpha"_s << col::Jockey << u"Jane Doe"_s << yellow << 0;
    QTest::newRow("planned row") << u"Alpha"_s << col::Horse << u"Alpha"_s << none << 0;
    QTest::newRow("confirmed row") << u"Bravo"_s << col::Horse << u"Bravo"_s << blue << 0;
    QTest::newRow("confirmed state") << u"Bravo"_s << col::Booking << kConfirmed << blue << kConfirmedIcon;
    QTest::newRow("location keeps default") << u"Bravo"_s << col::TrainerLoc << QString() << none << 0;
    // Jane Doe placed third on Alpha and won for J Smith.
    QTest::newRow("horse placed") << u"Alpha"_s << col::Hicon1 << QString() << none << 4;
    QTest::newRow("trainer won") << u"Alpha"_s << col::Ticon1 << QString() << none << 5;
    QTest::newRow("no placing") << u"Foxtrot"_s << col::Hicon1 << QString() << none << 0;
    QTest::newRow("barrier 0") << u"Golf"_s << col::BarrBallot << u"E"_s << none << 0;
    QTest::newRow("barrier 0 sorts last") << u"Golf"_s << col::BarrBallotSort << u"999"_s << none << 0;
}

void TestRaceWindow::runnersGrid()
{
    QFETCH(QString, horse);
    QFETCH(int, column);
    auto window = open(u"MEL0106"_s, u"ACP"_s, 0);
    RunnerModel *runners = window->runners();
    const int row = window->rowOfHorse(horse);
    QVERIFY(row > 0);
    QTEST(runners->cellText(row, column), "text");
    QTEST(toStoredColor(runners->cellBackColor(row, column)), "back");
    QTEST(runners->data(runners->index(row - 1, column - 1), Qt::UserRole).toInt(), "icon");
    QCOMPARE(runners->headerData(col::BarrBallot - 1, Qt::Horizontal).toString(), u"Bar"_s);
}

void TestRaceWindow::nominationsHideTheNumberColumn()
{
    auto window = open(u"SAN0108"_s, u"NOM"_s, 1);
    QVERIFY(window->grdRace->isColumnHidden(col::BarrBallot - 1));
    QCOMPARE(window->runners()->runnerCount(), 1);
    // Without managed jockeys' rides no icon shows.
    ManagedJockeys::rebuild({});
    auto acp = open(u"MEL0106"_s, u"ACP"_s, 1);
    QVERIFY(!acp->grdRace->isColumnHidden(col::BarrBallot - 1));
}

void TestRaceWindow::meetingViewGroupsAndJumps()
{
    auto window = open(u"MEL0106"_s, u"ACP"_s, 0);
    RunnerModel *runners = window->runners();
    QCOMPARE(runners->runnerCount(), 5);
    QCOMPARE(runners->rowCount(), 8); // a group row for each of the three races
    const int group3 = runners->groupRowOf(3);
    QVERIFY(runners->isGroupRow(group3));
    QCOMPARE(runners->groupText(group3), u" 3 1600 HCP"_s);
    // Sorting keeps each race under its heading.
    clickHeader(window->grdRace, col::Horse);
    clickHeader(window->grdRace, col::Horse);
    QCOMPARE(runners->raceOfRow(runners->groupRowOf(3) + 1), 3);

    clickCell(window->grdRaces, 3, 1);
    QCOMPARE(window->grdRace->currentIndex().row() + 1, runners->groupRowOf(3));
    clickCell(window->grdRace, window->rowOfHorse(u"Charlie"_s), col::Horse);
    QCOMPARE(window->currentRace(), 2);
    QCOMPARE(window->txtTrainLocation->text(), u"Flemington"_s);
}

// The pick lists are driven as the agent does: a choice shown, then Enter.
static void pick(FrmRace *window, const char *box, const QString &choice)
{
    auto *list = window->findChild<QComboBox *>(QLatin1String(box));
    QVERIFY(list && list->isVisible());
    list->setCurrentIndex(list->findText(choice));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!list->isVisible());
}

void TestRaceWindow::bookingByDropAndPickList()
{
    auto window = open(u"MEL0106"_s, u"ACP"_s, 3);
    const auto drag = dragFromCell(window->grdJockey, jockeyRow(window->jockeys(), u"Bob Roe"_s), 1);
    QVERIFY(drag);
    // No jockey, no confirmation, and nothing stored.
    doubleClickCell(window->grdRace, window->rowOfHorse(u"Golf"_s), col::Booking);
    pick(window.get(), "cmbBookText", kConfirmed);
    QCOMPARE(m_dialogs->messages.value(0).text, u"You cannot confirm, if no jockey has been entered"_s);
    QCOMPARE(bookedJockey(u"Golf"_s), u"(none)"_s);
    m_dialogs->messages.clear();

    // Bob Roe (54 kg) on Golf (44 kg) is asked about at once, default No.
    m_dialogs->answerYes();
    QVERIFY(dropOnCell(window->grdRace, window->rowOfHorse(u"Golf"_s), col::Horse, drag.get()));
    QCOMPARE(m_dialogs->shown(), QStringList{u"Confirm Jockey ride|Bob Roe rides at 54.0 kg but Golf carries 44.0 kg. "
                                             "Book anyway?"_s});
    QCOMPARE(bookedJockey(u"Golf"_s), u"Bob Roe"_s);

    // Foxtrot runs in the same race and its field names K Field: after the weight and the field's
    // rider, the double booking is asked, and No changes nothing.
    m_dialogs->messages.clear();
    m_dialogs->answerYes(2);
    m_dialogs->answerNo();
    dropOnCell(window->grdRace, window->rowOfHorse(u"Foxtrot"_s), col::Horse, drag.get());
    QCOMPARE(m_dialogs->messages.size(), 3);
    QCOMPARE(m_dialogs->messages.at(1).text, u"The field names K Field to ride Foxtrot. Book Bob Roe anyway?"_s);
    QCOMPARE(m_dialogs->messages.at(2).text,
             u"BOB ROE is already booked on GOLF in race 3 at FLEMINGTON. Book anyway?"_s);
    QCOMPARE(bookedJockey(u"Foxtrot"_s), u"(none)"_s);

    // A sort closes the jockey picker: it never books on whichever runner moved under it.
    doubleClickCell(window->grdRace, window->rowOfHorse(u"Foxtrot"_s), col::Jockey);
    QVERIFY(window->cmbJockey->isVisible());
    clickHeader(window->grdRace, col::Horse);
    clickHeader(window->grdRace, col::Horse);
    QVERIFY(!window->cmbJockey->isVisible());
    doubleClickCell(window->grdRace, window->rowOfHorse(u"Foxtrot"_s), col::Jockey);
    m_dialogs->answerYes(2);
    pick(window.get(), "cmbJockey", u"Jane Doe"_s);
    QCOMPARE(bookedJockey(u"Foxtrot"_s), u"Jane Doe"_s);
    QCOMPARE(bookedJockey(u"Golf"_s), u"Bob Roe"_s);
    const int golf = window->rowOfHorse(u"Golf"_s);
    QCOMPARE(window->runners()->cellText(golf, col::Booking), kPlanned);

    // A double click confirms once the agent says so (default No): stored, ticked and the row painted.
    m_dialogs->messages.clear();
    doubleClickCell(window->grdRace, golf, col::Form);
    QCOMPARE(m_dialogs->shown(), QStringList{u"Confirm Booking|Confirm Bob Roe on Golf?"_s});
    QCOMPARE(m_dialogs->messages.at(0).defaultAnswer, UserDialogs::Answer::No);
    QCOMPARE(window->runners()->cellText(golf, col::Booking), kPlanned);
    m_dialogs->answerYes();
    doubleClickCell(window->grdRace, golf, col::Form);
    QueryResult confirmed = OpenQuery(u"SELECT Confirmed FROM Bookings WHERE Horse = 'Golf'"_s);
    QVERIFY(confirmed.next());
    QCOMPARE(confirmed.value(0).toInt(), 1);
    QCOMPARE(window->runners()->cellText(golf, col::Booking), kConfirmed);
    QCOMPARE(window->runners()->cellBackColor(golf, col::Horse), fromStoredColor(u"16711680"_s));
    QVERIFY(window->changedBookings());
}

// Meeting view: a horse entered in two races; the pickers, the header and the weights act on the race
// of the row the agent is on, not the first row with that name.
void TestRaceWindow::meetingViewActsOnTheRaceShown()
{
    {
        Db db(m_env->databaseFile());
        seed::addNom(db, u"MEL0106"_s, 1, u"Golf"_s, u"Multi"_s, 440);
        db.exec(u"UPDATE Race SET RaceCode = '1400 SWP' WHERE MeetingCode = 'MEL0106' AND RaceNumber = 2"_s);
    }
    cAppSettings::instance().AlwCalcWeights = true;
    auto window = open(u"MEL0106"_s, u"ACP"_s, 0);
    RunnerModel *runners = window->runners();
    const int first = window->rowOfHorse(u"Golf"_s, 1);
    const int second = window->rowOfHorse(u"Golf"_s, 3);
    QVERIFY(first > 0 && second > 0 && first != second);

    doubleClickCell(window->grdRace, second, col::Jockey);
    m_dialogs->answerYes(); // 54 kg on 44 kg
    pick(window.get(), "cmbJockey", u"Bob Roe"_s);
    QCOMPARE(runners->cellText(second, col::Jockey), u"Bob Roe"_s);
    QVERIFY(runners->cellText(first, col::Jockey) != u"Bob Roe"_s);
    {
        QueryResult stored = OpenQuery(u"SELECT RaceCode FROM Bookings WHERE Horse = 'Golf'"_s);
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toString(), u"1600 HCP"_s);
    }
    doubleClickCell(window->grdRace, second, col::Booking);
    pick(window.get(), "cmbBookText", u"Ring Trainer"_s);
    QCOMPARE(runners->cellText(second, col::Booking), u"Ring Trainer"_s);
    QCOMPARE(runners->cellText(first, col::Booking), QString());

    // "Caculate &Weights" follows the race shown: race 3 of the row picked on, race 1, the SW race 2, race 3
    // from the list.
    QVERIFY(window->lblRaceTxt->text().contains(u"HCP"_s));
    QVERIFY(window->cmdCalcWgts->isEnabled());
    clickCell(window->grdRace, window->rowOfHorse(u"Alpha"_s), col::Horse);
    QVERIFY(window->cmdCalcWgts->isEnabled());
    clickCell(window->grdRace, window->rowOfHorse(u"Charlie"_s), col::Horse);
    QVERIFY(!window->cmdCalcWgts->isEnabled());
    clickCell(window->grdRaces, 3, 1);
    QCOMPARE(window->currentRace(), 3);
    QVERIFY(window->cmdCalcWgts->isEnabled());
    QVERIFY(window->lblRaceTxt->text().contains(u"HCP"_s));

    // Every Alt key of the window reaches one control.
    QCOMPARE(duplicateAccelerators(window.get()), QStringList());
}

void TestRaceWindow::layoutKeptAcrossOpenings()
{
    {
        auto window = open(u"MEL0106"_s, u"ACP"_s, 1);
        window->grdRace->horizontalHeader()->resizeSection(col::Horse - 1, 177);
        window->grdRace->horizontalHeader()->moveSection(col::Trainer - 1, 0);
        const QList<int> panes = window->splitRace->sizes();
        window->splitRace->setSizes({333, panes.value(0) + panes.value(1) - 333});
        window->accept();
    }
    QCOMPARE(layout::parseList(cAppSettings::instance().RaceRaceWidth, col::Count).at(col::Horse - 1), 177);
    auto again = open(u"MEL0106"_s, u"ACP"_s, 0);
    QCOMPARE(again->grdRace->horizontalHeader()->sectionSize(col::Horse - 1), 177);
    QCOMPARE(again->grdRace->horizontalHeader()->visualIndex(col::Trainer - 1), 0);
    QTRY_VERIFY2(qAbs(again->splitRace->sizes().value(0) - 333) <= 2,
                 qPrintable(layout::formatList(again->splitRace->sizes())));
}

void TestRaceWindow::weightButtonSaysWhyItIsOff_data()
{
    QTest::addColumn<QString>("meeting");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("raceCode");
    QTest::addColumn<QString>("why"); // empty: the button is offered
    QTest::newRow("offered") << u"MEL0106"_s << true << QString() << QString();
    QTest::newRow("switched off") << u"MEL0106"_s << false << QString()
                                  << u"Weight calculation is switched off in System Settings."_s;
    QTest::newRow("set weights") << u"MEL0106"_s << true << u"1200 2YO SW"_s
                                 << u"Weights are not calculated for an SW (set weights) race."_s;
    QTest::newRow("not Victorian") << u"HID0109"_s << true << QString()
                                   << u"Weights are calculated for VIC meetings only; this is not a VIC meeting."_s;
}

void TestRaceWindow::weightButtonSaysWhyItIsOff()
{
    QFETCH(QString, meeting);
    QFETCH(QString, raceCode);
    QFETCH(QString, why);
    QFETCH(bool, allowed);
    cAppSettings::instance().AlwCalcWeights = allowed;
    if (!raceCode.isEmpty())
        Db(m_env->databaseFile())
            .exec(u"UPDATE Race SET RaceCode = ? WHERE MeetingCode = ? AND RaceNumber = 1"_s, {raceCode, meeting});
    auto window = open(meeting, u"ACP"_s, 1);
    QCOMPARE(window->cmdCalcWgts->isEnabled(), why.isEmpty());
    QCOMPARE(window->cmdCalcWgts->toolTip(), why);
}

void TestRaceWindow::sortValues_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("first"); // after the first click
    // Alpha: last rider "Zed" at 60 kg, barrier 10; Bravo: "Abe" at 50 kg, barrier 0 (sorts as 999).
    QTest::newRow("last rider by last weight") << col::LastJockey << u"Bravo"_s;
    QTest::newRow("barrier by number") << col::BarrBallot << u"Alpha"_s;
    QTest::newRow("weight descending first") << col::Wgt << u"Alpha"_s;
}

void TestRaceWindow::sortValues()
{
    QFETCH(int, column);
    Db db(m_env->databaseFile());
    db.exec(u"UPDATE Noms SET LastJockey = 'Zed', LastWeight = 60, Barrier = 10 WHERE Horse = 'Alpha'"_s);
    db.exec(u"UPDATE Noms SET LastJockey = 'Abe', LastWeight = 50, Barrier = 0 WHERE Horse = 'Bravo'"_s);
    auto window = open(u"MEL0106"_s, u"ACP"_s, 1);
    clickHeader(window->grdRace, column);
    QTEST(window->runners()->cellText(1, col::Horse), "first");
    clickHeader(window->grdRace, column);
    QVERIFY(window->runners()->cellText(1, col::Horse) != window->runners()->cellText(2, col::Horse));
    QTEST(window->runners()->cellText(2, col::Horse), "first");
}

QTEST_MAIN(TestRaceWindow)
#include "tst_racewindow.moc"
