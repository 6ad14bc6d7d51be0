#include "support/TestGrid.h"

#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "people/ManagedJockeys.h"
#include "bookings/RaceRunners.h"
#include "bookings/StoredColor.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kMeeting = u"0312FLEM"_s;
const QString kRace = u"1200 MDN"_s;
const QString kHorse = u"O'Reilly's Star"_s;
const QString kTrainer = u"D O'Hayes"_s;          // has both phone numbers
const QString kIgnored = u"P O'Brien"_s;          // set to ignore
const QString kQuietTrainer = u"L Freedman"_s;    // no phone numbers
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

enum class Op { Replace, DeleteJockey, RemoveBooking };

} // namespace

class TestBookingOperations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answeringNoChangesNothing_data();
    void answeringNoChangesNothing();
    void ignoredTrainerIsRefused_data();
    void ignoredTrainerIsRefused();
    void bookJockey_data();
    void bookJockey();
    void removingAJockey();
    void setBookingState_data();
    void setBookingState();
    void confirmBooking_data();
    void confirmBooking();
    void managedJockeysList();
    void pickLists();

private:
    void addBooking(const QString &jockey, const QString &selection, bool confirmed, const QString &trainer = kTrainer);
    QStringList bookings() const;
    // A grid row showing the nomination as the lists draw it.
    void showBooking(TestGrid &grid, const QString &jockey, const QString &state);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestBookingOperations::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();

    Db db = OpenDb();
    db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) VALUES (?, ?, ?, ?)"_s,
            {u"J Smith"_s, u"Jane Smith"_s, u"255"_s, 54.5});
    db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) VALUES (?, ?, ?, ?)"_s,
            {u"K O'Neil"_s, u"Kate O'Neil"_s, kDefaultStoredColor, 54.0});
    db.exec(u"INSERT INTO Trainer (TrainerName, TrainerMobile, Phone, IgnoreTrainer) VALUES (?, ?, ?, 0)"_s,
            {kTrainer, u"0412 345 678"_s, u"03 9876 5432"_s});
    db.exec(u"INSERT INTO Trainer (TrainerName, IgnoreTrainer) VALUES (?, 1)"_s, {kIgnored});
    db.exec(u"INSERT INTO Trainer (TrainerName, Phone, IgnoreTrainer) VALUES (?, '', 0)"_s, {kQuietTrainer});
}

void TestBookingOperations::cleanup()
{
    m_dialogs.reset();
    m_env.reset();
}

void TestBookingOperations::addBooking(const QString &jockey, const QString &selection, bool confirmed,
                                       const QString &trainer)
{
    Db db = OpenDb();
    db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, Confirmed) "
            "VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
            {kMeeting, kRace, kHorse, trainer, jockey.isEmpty() ? QVariant() : QVariant(jockey), selection,
             confirmed ? 1 : 0});
}

QStringList TestBookingOperations::bookings() const
{
    return queryRows(u"SELECT MeetingCode, RaceCode, Horse, TrainerName, COALESCE(Jockey, '<null>'), "
                     "BookingSelection, Confirmed FROM Bookings ORDER BY rowid"_s);
}

void TestBookingOperations::showBooking(TestGrid &grid, const QString &jockey, const QString &state)
{
    const int jockeyColumn = bookingJockeyColumn(grid);
    grid.cell(1, 1).text = kMeeting;
    grid.cell(1, 4).text = kHorse;
    grid.cell(1, jockeyColumn).text = jockey;
    grid.cell(1, jockeyColumn).back = kRed;
    grid.cell(1, bookingStateColumn(grid)).text = state;
    grid.markDrawn();
}

void TestBookingOperations::answeringNoChangesNothing_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QString>("title");
    QTest::newRow("replace jockey") << Op::Replace << u"Confirm Jockey ride"_s;
    QTest::newRow("delete jockey") << Op::DeleteJockey << u"Confirm Jockey ride"_s;
    QTest::newRow("remove booking") << Op::RemoveBooking << u"Confirm Removal"_s;
}

void TestBookingOperations::answeringNoChangesNothing()
{
    QFETCH(Op, op);
    QFETCH(QString, title);
    addBooking(u"J Smith"_s, u"Pencilled In"_s, false);
    TestGrid grid(u"grdNoms"_s, 16, 1);
    showBooking(grid, u"J Smith"_s, u"Pencilled In"_s);
    const QStringList before = bookings();
    const QList<TestGrid::Row> gridBefore = grid.rows();

    m_dialogs->answerNo();
    switch (op) {
    case Op::Replace:
        BookJockey(grid, 1, 10, u"K O'Neil"_s, kHorse, kMeeting, kRace, kTrainer, kBlue);
        break;
    case Op::DeleteJockey:
        BookJockey(grid, 1, 10, kDeleteJockey, kHorse, kMeeting, kRace, kTrainer, QColor());
        break;
    case Op::RemoveBooking:
        SetBookingState(grid, 1, 13, kRemoveBooking, kMeeting, kRace, kHorse, kTrainer);
        break;
    }

    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().title, title);
    QCOMPARE(bookings(), before);
    QVERIFY(grid.rows() == gridBefore);
}

void TestBookingOperations::ignoredTrainerIsRefused_data()
{
    QTest::addColumn<QString>("jockey");
    QTest::addColumn<bool>("booked");
    QTest::addColumn<QString>("trainer");
    QTest::newRow("new booking") << u"J Smith"_s << false << kIgnored;
    QTest::newRow("replacing the jockey") << u"K O'Neil"_s << true << kIgnored;
    QTest::newRow("removal") << kDeleteJockey << true << kIgnored;
    QTest::newRow("name in capitals") << u"J Smith"_s << false << kIgnored.toUpper();
}

void TestBookingOperations::ignoredTrainerIsRefused()
{
    QFETCH(QString, jockey);
    QFETCH(bool, booked);
    QFETCH(QString, trainer);
    TestGrid grid(u"grdRace"_s, 31, 1);
    if (booked) {
        addBooking(u"J Smith"_s, kPlanned, false, kIgnored);
        showBooking(grid, u"J Smith"_s, kPlanned);
        m_dialogs->answerYes();
    }
    const QStringList before = bookings();
    const QList<TestGrid::Row> gridBefore = grid.rows();

    BookJockey(grid, 1, 14, jockey, kHorse, kMeeting, kRace, trainer, kBlue);

    QCOMPARE(m_dialogs->shown().size(), booked ? 2 : 1);
    QCOMPARE(m_dialogs->shown().last(), u"Error|Trainer "_s + trainer + u" set to ignore cannot make bookings"_s);
    QCOMPARE(bookings(), before);
    QVERIFY(grid.rows() == gridBefore);
}

void TestBookingOperations::bookJockey_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("storedJockey"); // "-": no booking
    QTest::addColumn<QString>("storedState");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("expectedBooking");
    QTest::addColumn<QString>("expectedState");

    const QString booked = kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + kTrainer + u'|';
    QTest::newRow("new booking, nominations list")
        << u"grdNoms"_s << u"-"_s << QString() << false << QString() << booked + u"K O'Neil|Planned|0"_s << kPlanned;
    QTest::newRow("new booking, race window")
        << u"grdRace"_s << u"-"_s << QString() << false << QString() << booked + u"K O'Neil|Planned|0"_s << kPlanned;
    // Not booked, the cell shows the field's jockey: no booking to replace, nothing to ask.
    QTest::newRow("field names the same person") << u"grdNoms"_s << u"field:Ms KATE O'Neil (a2)"_s << QString() << false
                                                 << QString() << booked + u"K O'Neil|Planned|0"_s << kPlanned;
    QTest::newRow("field names the jockey's own name") << u"grdRace"_s << u"field:K O'Neil"_s << QString() << false
                                                       << QString() << booked + u"K O'Neil|Planned|0"_s << kPlanned;
    QTest::newRow("field names another rider") << u"grdNoms"_s << u"field:B Rawiller"_s << QString() << false
                                               << QString() << booked + u"K O'Neil|Planned|0"_s << kPlanned;
    QTest::newRow("state-only booking keeps its state")
        << u"grdNoms"_s << QString() << u"Pencilled In"_s << false << QString()
        << booked + u"K O'Neil|Pencilled In|0"_s << kPlanned;
    QTest::newRow("re-booking keeps state and confirmation")
        << u"grdRace"_s << u"J Smith"_s << kConfirmed << true
        << u"J Smith Already booked for this ride are you sure\ryou wish replace with K O'Neil"_s
        << booked + u"K O'Neil|Confirmed|1"_s << kPlanned;
    QTest::newRow("same jockey again does nothing")
        << u"grdNoms"_s << u"K O'Neil"_s << kPlanned << false << QString() << booked + u"K O'Neil|Planned|0"_s
        << kPlanned;
}

void TestBookingOperations::bookJockey()
{
    QFETCH(QString, grid);
    QFETCH(QString, storedJockey);
    QFETCH(QString, storedState);
    QFETCH(bool, confirmed);
    QFETCH(QString, question);
    QFETCH(QString, expectedBooking);
    QFETCH(QString, expectedState);

    TestGrid rows(grid, grid == "grdNoms"_L1 ? 16 : 31, 1);
    const int jockeyColumn = bookingJockeyColumn(rows);
    if (storedJockey.startsWith("field:"_L1)) {
        showBooking(rows, storedJockey.mid(6), QString());
    } else if (storedJockey != "-"_L1) {
        addBooking(storedJockey, storedState, confirmed);
        showBooking(rows, storedJockey, storedState);
    }
    m_dialogs->answerYes();

    BookJockey(rows, 1, jockeyColumn, u"K O'Neil"_s, kHorse, kMeeting, kRace, kTrainer, kBlue);

    QCOMPARE(m_dialogs->messages.size(), question.isEmpty() ? 0 : 1);
    if (!question.isEmpty())
        QCOMPARE(m_dialogs->messages.first().text, question);
    QCOMPARE(bookings(), QStringList{expectedBooking});
    QCOMPARE(rows.cellText(1, jockeyColumn), u"K O'Neil"_s);
    QCOMPARE(rows.cellText(1, bookingStateColumn(rows)), expectedState);
    if (storedJockey != "K O'Neil"_L1)
        QCOMPARE(rows.cellBackColor(1, jockeyColumn), kBlue);
}

void TestBookingOperations::removingAJockey()
{
    addBooking(u"J Smith"_s, kConfirmed, true);
    TestGrid grid(u"grdNoms"_s, 16, 1);
    showBooking(grid, u"J Smith"_s, kConfirmed);
    grid.cell(1, 13).icon = kConfirmedIcon;
    grid.cell(1, 1).back = kRed;
    m_dialogs->answerYes();

    BookJockey(grid, 1, 10, kDeleteJockey, kHorse, kMeeting, kRace, kTrainer, QColor());

    QCOMPARE(m_dialogs->messages.first().text, u"J Smith Confirm Removal of booking from \rHorse O'Reilly's Star"_s);
    QVERIFY(bookings().isEmpty());
    QCOMPARE(grid.cellText(1, 10), QString());
    QCOMPARE(grid.cellText(1, 13), QString());
    QCOMPARE(grid.cell(1, 13).icon, 0);
    QCOMPARE(grid.cellBackColor(1, 1), kRed); // painting starts at column 2
    for (int c = 2; c <= 16; ++c)
        QVERIFY2(!grid.cellBackColor(1, c).isValid(), qPrintable(QString::number(c)));
}

void TestBookingOperations::setBookingState_data()
{
    QTest::addColumn<bool>("booked");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("trainer");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("shownJockey");

    const QString longTrainer = u"Anthony O'Sullivan-Richardson & Partners"_s;
    QTest::newRow("creates a booking without a jockey")
        << false << u"Pencilled In"_s << longTrainer
        << QStringList{kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + longTrainer.left(30)
                       + u"|<null>|Pencilled In|0"_s}
        << QString();
    QTest::newRow("template text unconfirms")
        << true << u"Owner To Confirm"_s << kTrainer
        << QStringList{kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + kTrainer + u"|J Smith|Owner To Confirm|0"_s}
        << u"J Smith"_s;
    QTest::newRow("remove booking") << true << kRemoveBooking << kTrainer << QStringList() << QString();
    QTest::newRow("remove without a booking") << false << kRemoveBooking << kTrainer << QStringList() << QString();
}

void TestBookingOperations::setBookingState()
{
    QFETCH(bool, booked);
    QFETCH(QString, state);
    QFETCH(QString, trainer);
    QFETCH(QStringList, expected);
    QFETCH(QString, shownJockey);

    TestGrid grid(u"grdRace"_s, 31, 1);
    if (booked) {
        addBooking(u"J Smith"_s, kConfirmed, true);
        showBooking(grid, u"J Smith"_s, kConfirmed);
        grid.cell(1, 16).icon = kConfirmedIcon;
        grid.cell(1, 3).back = kBlue; // painted since the list was drawn
    }
    m_dialogs->answerYes();

    SetBookingState(grid, 1, 16, state, kMeeting, kRace, kHorse, trainer);

    const bool removal = state == kRemoveBooking;
    QCOMPARE(m_dialogs->messages.size(), removal && booked ? 1 : 0);
    if (removal && booked)
        QCOMPARE(m_dialogs->messages.first().text, u"Remove Text : Confirmed\r  from Horse O'Reilly's Star"_s);
    QCOMPARE(bookings(), expected);
    QCOMPARE(grid.cellText(1, 16), removal ? QString() : state);
    QCOMPARE(grid.cellText(1, 14), shownJockey);
    if (removal) {
        QCOMPARE(grid.resets, 1);
        QCOMPARE(grid.cell(1, 16).icon, 0);
        QVERIFY(!grid.cellBackColor(1, 3).isValid());
    }
}

void TestBookingOperations::confirmBooking_data()
{
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<QString>("bookedRace");
    QTest::addColumn<QStringList>("expected");
    const QString row = kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + kTrainer + u"|J Smith|"_s;
    QTest::newRow("booked") << u"grdNoms"_s << kRace << QStringList{row + u"Confirmed|1"_s};
    QTest::newRow("no booking") << u"grdNoms"_s << QString() << QStringList();
    // The booking is the nomination's, whatever race code it was made under.
    QTest::newRow("booked under an older race code")
        << u"grdNoms"_s << u"1400 BM70"_s
        << QStringList{kMeeting + u"|1400 BM70|"_s + kHorse + u'|' + kTrainer + u"|J Smith|Confirmed|1"_s};
    QTest::newRow("runners grid") << u"grdRace"_s << kRace << QStringList{row + u"Confirmed|1"_s};
}

void TestBookingOperations::confirmBooking()
{
    QFETCH(QString, gridName);
    QFETCH(QString, bookedRace);
    QFETCH(QStringList, expected);
    if (!bookedRace.isEmpty()) {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection) "
                "VALUES (?, ?, ?, ?, 'J Smith', 'Planned')"_s,
                {kMeeting, bookedRace, kHorse, kTrainer});
    }
    namespace col = racewindow::col;
    const bool runners = gridName != "grdNoms"_L1;
    TestGrid grid(gridName, runners ? col::Count : 16, 1);
    const QColor lastRider(Qt::darkGreen);
    if (runners)
        grid.cell(1, col::LastJockey).back = lastRider;
    showBooking(grid, u"J Smith"_s, kPlanned);

    const bool stored = !expected.isEmpty();
    QCOMPARE(ConfirmBooking(grid, 1, 4, kMeeting, kRace, kHorse + u' ', kRed), stored);

    QCOMPARE(bookings(), expected);
    // The row shows only what the database holds.
    QCOMPARE(grid.cellText(1, bookingStateColumn(grid)), stored ? kConfirmed : kPlanned);
    QCOMPARE(grid.cell(1, bookingStateColumn(grid)).icon, stored ? kConfirmedIcon : 0);
    QCOMPARE(m_dialogs->messages.size(), stored ? 0 : 1);
    QCOMPARE(grid.cellText(1, 4), kHorse);
    // As the runners grid is filled: its label and sort cells stay, a last rider keeps their colour.
    for (int c = 1; c <= grid.columnCount(); ++c) {
        QColor want = stored || c == bookingJockeyColumn(grid) ? kRed : QColor();
        if (runners && c == col::LastJockey)
            want = lastRider;
        else if (runners && (c == col::RaceDetails || c == col::TrainerLoc || c == col::BarrBallotSort))
            want = QColor();
        QCOMPARE(grid.cellBackColor(1, c), want);
    }
}

// The managed jockeys as an SQL list, quotes doubled; a rebuild forgets the icon jockey.
void TestBookingOperations::managedJockeysList()
{
    const QStringList jockeys{u"J Smith"_s, u"K O'Neil"_s};
    QCOMPARE(BuildJockeyInList({}), QString());
    QCOMPARE(BuildJockeyInList(jockeys), u"( 'J Smith', 'K O''Neil')"_s);
    ManagedJockeys::selectIconJockey(u"K O'Neil"_s);
    ManagedJockeys::rebuild(jockeys);
    QCOMPARE(ManagedJockeys::IconJockeyList(), u"( 'J Smith', 'K O''Neil')"_s);
    QVERIFY(ManagedJockeys::IconJockey().isEmpty());
}

void TestBookingOperations::pickLists()
{
    const QList<JockeyPickItem> jockeys = LoadJockeyPickList();
    QCOMPARE(jockeys.size(), 2);
    QCOMPARE(jockeys.at(0).jockey, u"J Smith"_s);
    QCOMPARE(jockeys.at(0).color, kRed);
    QVERIFY(!jockeys.at(1).color.isValid());
    QCOMPARE(jockeyComboItems(jockeys), (QStringList{u"J Smith"_s, u"K O'Neil"_s, kDeleteJockey}));

    QCOMPARE(LoadBookingStates(),
             (QStringList{kPlanned, u"Pencilled In"_s, u"Trainer To Confirm"_s, u"Owner To Confirm"_s,
                          u"Awaiting Acceptance"_s, u"Subject To Weight"_s, kConfirmed, kRemoveBooking}));

    Db db = OpenDb();
    db.exec(u"INSERT INTO RaceType (RaceType, MetroOrder, ProvOrder) VALUES ('HCP X', 0, 0)"_s);
    db.exec(u"UPDATE RaceType SET MetroOrder = 0 WHERE RaceType = 'OPN M'"_s);
    const QStringList metro = LoadRaceTypes(u"M"_s);
    QCOMPARE(metro.first(), u"MDN M"_s);
    QVERIFY(!metro.contains(u"OPN M"_s) && !metro.contains(u"MDN P"_s) && !metro.contains(u"HCP X"_s));
    const QStringList provincial = LoadRaceTypes(u"P"_s);
    QCOMPARE(provincial.first(), u"MDN P"_s);
    QCOMPARE(provincial.last(), u"OPN P"_s);
    QVERIFY(!provincial.contains(u"MDN M"_s));
}

QTEST_GUILESS_MAIN(TestBookingOperations)
#include "tst_bookingoperations.moc"
