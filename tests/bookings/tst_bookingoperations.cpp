#include "support/TestGrid.h"

#include "bookings/BookingGestures.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "bookings/RaceRunners.h"
#include "db/Database.h"
#include "roster/ManagedJockeys.h"
#include "roster/StoredColor.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace bookinggestures;

namespace {

const QString kMeeting = u"0312FLEM"_s;
const QString kRace = u"1200 MDN"_s;
const QString kHorse = u"O'Reilly's Star"_s;
const QString kTrainer = u"D O'Hayes"_s;
const QString kIgnored = u"P O'Brien"_s; // set to ignore
const QColor kRed(255, 0, 0);            // J Smith's colour
const QColor kBlue(0, 0, 255);           // K O'Neil's

enum class Op { Replace, DeleteJockey, DeleteStateOnly, RemoveBooking, TooHeavy, FieldRider };

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
    void otherEntryShowsWhereBooked_data();
    void otherEntryShowsWhereBooked();
    void managedJockeysList();
    void pickLists();

private:
    void addBooking(const QString &jockey, const QString &selection, bool confirmed, const QString &trainer = kTrainer);
    // The horse's nomination in the current field: weight in tenths of a kilogram, the rider it names.
    void addNomination(int weight, const QString &fieldJockey = QString());
    QStringList bookings() const;
    // A grid row showing the nomination as the lists draw it.
    void showBooking(TestGrid &grid, const QString &jockey, const QString &state, const QString &trainer = kTrainer);

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
            {u"K O'Neil"_s, u"Kate O'Neil"_s, u"16711680"_s, 54.0});
    db.exec(u"INSERT INTO Trainer (TrainerName, TrainerMobile, Phone, IgnoreTrainer) VALUES (?, ?, ?, 0)"_s,
            {kTrainer, u"0412 345 678"_s, u"03 9876 5432"_s});
    db.exec(u"INSERT INTO Trainer (TrainerName, IgnoreTrainer) VALUES (?, 1)"_s, {kIgnored});
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

void TestBookingOperations::addNomination(int weight, const QString &fieldJockey)
{
    Db db = OpenDb();
    db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName, Weight, Jockey) "
            "VALUES (?, ?, 1, ?, ?, ?, ?)"_s,
            {kMeeting, kRace, kHorse, kTrainer, weight, fieldJockey});
}

QStringList TestBookingOperations::bookings() const
{
    return queryRows(u"SELECT MeetingCode, RaceCode, Horse, TrainerName, COALESCE(Jockey, '<null>'), "
                     "BookingSelection, Confirmed FROM Bookings ORDER BY rowid"_s);
}

void TestBookingOperations::showBooking(TestGrid &grid, const QString &jockey, const QString &state,
                                        const QString &trainer)
{
    const BookingColumns columns = grid.bookingColumns();
    grid.trainer = trainer;
    grid.raceCode = kRace;
    grid.cell(1, 1).text = kMeeting;
    grid.cell(1, 4).text = kHorse + u' ';
    if (grid.columnCount() >= 11 && columns.jockey == 10)
        grid.cell(1, 11).text = kRace;
    grid.markDrawn();
    grid.cell(1, columns.jockey).text = jockey;
    grid.cell(1, columns.jockey).back = kRed;
    grid.cell(1, columns.state).text = state;
}

void TestBookingOperations::answeringNoChangesNothing_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QString>("question");
    QTest::newRow("replace jockey") << Op::Replace
                                    << u"Confirm Jockey ride|J Smith Already booked for this ride are you sure\r"
                                       "you wish replace with K O'Neil"_s;
    QTest::newRow("delete jockey") << Op::DeleteJockey
                                   << u"Confirm Jockey ride|J Smith Confirm Removal of booking from \r"
                                      "Horse O'Reilly's Star"_s;
    // A booking that holds only a state is asked about as one with a jockey.
    QTest::newRow("delete jockey on a state") << Op::DeleteStateOnly
                                              << u"Confirm Jockey ride|Pencilled In Confirm Removal of booking "
                                                 "from \rHorse O'Reilly's Star"_s;
    QTest::newRow("remove booking") << Op::RemoveBooking
                                    << u"Confirm Removal|Remove Text : Pencilled In\r  from Horse O'Reilly's Star"_s;
    // 54.5 kg on a horse given 54.0 kg: asked at once, default No.
    QTest::newRow("jockey too heavy") << Op::TooHeavy
                                      << u"Confirm Jockey ride|J Smith rides at 54.5 kg but O'Reilly's Star "
                                         "carries 54.0 kg. Book anyway?"_s;
    QTest::newRow("field names another rider") << Op::FieldRider
                                               << u"Confirm Jockey ride|The field names B Rawiller (a2) to ride "
                                                  "O'Reilly's Star. Book K O'Neil anyway?"_s;
}

void TestBookingOperations::answeringNoChangesNothing()
{
    QFETCH(Op, op);
    QFETCH(QString, question);
    const bool booked = op != Op::TooHeavy && op != Op::FieldRider;
    const QString jockey = op == Op::DeleteStateOnly || op == Op::RemoveBooking ? QString() : u"J Smith"_s;
    if (booked)
        addBooking(jockey, u"Pencilled In"_s, false);
    addNomination(op == Op::TooHeavy ? 540 : 560, op == Op::FieldRider ? u"B Rawiller (a2)"_s : QString());
    TestGrid grid(u"grdNoms"_s, 16, 1);
    showBooking(grid, booked ? jockey : QString(), booked ? u"Pencilled In"_s : QString());
    const QStringList before = bookings();
    const QList<TestGrid::Row> gridBefore = grid.rows();

    m_dialogs->answerNo();
    switch (op) {
    case Op::Replace:
    case Op::FieldRider:
        QVERIFY(!bookinggestures::bookJockey(grid, 1, u"K O'Neil"_s));
        break;
    case Op::DeleteJockey:
    case Op::DeleteStateOnly:
        QVERIFY(!bookinggestures::bookJockey(grid, 1, kDeleteJockey));
        break;
    case Op::RemoveBooking:
        QVERIFY(!chooseState(grid, 1, kRemoveBooking));
        break;
    case Op::TooHeavy:
        QVERIFY(!bookinggestures::bookJockey(grid, 1, u"J Smith"_s));
        break;
    }

    QCOMPARE(m_dialogs->shown(), QStringList{question});
    const bool defaultNo = op == Op::TooHeavy || op == Op::FieldRider;
    QCOMPARE(m_dialogs->messages.first().defaultAnswer, defaultNo ? UserDialogs::Answer::No : UserDialogs::Answer::Yes);
    QCOMPARE(bookings(), before);
    QCOMPARE(grid.cellText(1, 13), gridBefore.at(0).at(12).text);
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
        m_dialogs->answerYes();
    }
    showBooking(grid, booked ? u"J Smith"_s : QString(), booked ? kPlanned : QString(), trainer);
    const QStringList before = bookings();

    QVERIFY(!bookinggestures::bookJockey(grid, 1, jockey));

    QCOMPARE(m_dialogs->shown().size(), booked ? 2 : 1);
    QCOMPARE(m_dialogs->shown().last(), u"Error|Trainer "_s + trainer + u" set to ignore cannot make bookings"_s);
    QCOMPARE(bookings(), before);
}

void TestBookingOperations::bookJockey_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("storedJockey"); // "-": no booking
    QTest::addColumn<QString>("storedState");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("fieldJockey");
    QTest::addColumn<int>("questions"); // each answered Yes
    QTest::addColumn<QString>("expectedBooking");

    const QString booked = kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + kTrainer + u'|';
    QTest::newRow("new booking, nominations list")
        << u"grdNoms"_s << u"-"_s << QString() << false << QString() << 0 << booked + u"K O'Neil|Planned|0"_s;
    QTest::newRow("new booking, race window")
        << u"grdRace"_s << u"-"_s << QString() << false << QString() << 0 << booked + u"K O'Neil|Planned|0"_s;
    // The field names the jockey herself, as the acceptances print her: nothing to ask.
    QTest::newRow("field names the same person") << u"grdNoms"_s << u"-"_s << QString() << false
                                                 << u"Ms KATE O'Neil (a2)"_s << 0 << booked + u"K O'Neil|Planned|0"_s;
    QTest::newRow("field names the jockey's own name")
        << u"grdRace"_s << u"-"_s << QString() << false << u"K O'Neil"_s << 0 << booked + u"K O'Neil|Planned|0"_s;
    QTest::newRow("field names another rider, Yes")
        << u"grdNoms"_s << u"-"_s << QString() << false << u"B Rawiller"_s << 1 << booked + u"K O'Neil|Planned|0"_s;
    QTest::newRow("state-only booking keeps its state") << u"grdNoms"_s << QString() << u"Pencilled In"_s << false
                                                        << QString() << 0 << booked + u"K O'Neil|Pencilled In|0"_s;
    QTest::newRow("re-booking keeps state and confirmation")
        << u"grdRace"_s << u"J Smith"_s << kConfirmed << true << QString() << 1 << booked + u"K O'Neil|Confirmed|1"_s;
    QTest::newRow("same jockey again does nothing")
        << u"grdNoms"_s << u"K O'Neil"_s << kPlanned << false << QString() << 0 << booked + u"K O'Neil|Planned|0"_s;
}

void TestBookingOperations::bookJockey()
{
    QFETCH(QString, grid);
    QFETCH(QString, storedJockey);
    QFETCH(QString, storedState);
    QFETCH(bool, confirmed);
    QFETCH(QString, fieldJockey);
    QFETCH(int, questions);
    QFETCH(QString, expectedBooking);

    addNomination(560, fieldJockey);
    TestGrid rows(grid, grid == "grdNoms"_L1 ? 16 : 31, 1);
    if (storedJockey != "-"_L1)
        addBooking(storedJockey, storedState, confirmed);
    showBooking(rows, storedJockey == "-"_L1 ? fieldJockey : storedJockey, storedState);
    m_dialogs->answerYes(questions);

    bookinggestures::bookJockey(rows, 1, u"K O'Neil"_s);

    QCOMPARE(m_dialogs->messages.size(), questions);
    QCOMPARE(bookings(), QStringList{expectedBooking});
    // The row shows what is stored, in the jockey's colour.
    const BookingColumns columns = rows.bookingColumns();
    QCOMPARE(rows.cellText(1, columns.jockey), u"K O'Neil"_s);
    QCOMPARE(rows.cellText(1, columns.state), expectedBooking.section(u'|', 5, 5));
    QCOMPARE(rows.cellBackColor(1, columns.jockey), kBlue);
    QCOMPARE(rows.cellBackColor(1, 2), confirmed ? kBlue : QColor());
}

void TestBookingOperations::removingAJockey()
{
    addBooking(u"J Smith"_s, kConfirmed, true);
    addNomination(560, u"B Rawiller"_s);
    TestGrid grid(u"grdNoms"_s, 16, 1);
    showBooking(grid, u"J Smith"_s, kConfirmed);
    grid.cell(1, 13).icon = kConfirmedIcon;
    for (int c = 1; c <= 16; ++c)
        grid.cell(1, c).back = kRed;
    m_dialogs->answerYes();

    QVERIFY(bookinggestures::bookJockey(grid, 1, kDeleteJockey));

    QCOMPARE(m_dialogs->messages.first().text, u"J Smith Confirm Removal of booking from \rHorse O'Reilly's Star"_s);
    QVERIFY(bookings().isEmpty());
    // Back to what the field says, in the row's own colours.
    QCOMPARE(grid.cellText(1, 10), u"B Rawiller"_s);
    QCOMPARE(grid.cellText(1, 13), QString());
    QCOMPARE(grid.cell(1, 13).icon, 0);
    for (int c = 1; c <= 16; ++c)
        QVERIFY2(!grid.cellBackColor(1, c).isValid(), qPrintable(QString::number(c)));
}

void TestBookingOperations::setBookingState_data()
{
    QTest::addColumn<bool>("booked");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("trainer");
    QTest::addColumn<QStringList>("expected");

    const QString longTrainer = u"Anthony O'Sullivan-Richardson & Partners"_s;
    QTest::newRow("creates a booking without a jockey")
        << false << u"Pencilled In"_s << longTrainer
        << QStringList{kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + longTrainer.left(30) +
                       u"|<null>|Pencilled In|0"_s};
    QTest::newRow("template text unconfirms")
        << true << u"Owner To Confirm"_s << kTrainer
        << QStringList{kMeeting + u'|' + kRace + u'|' + kHorse + u'|' + kTrainer + u"|J Smith|Owner To Confirm|0"_s};
    QTest::newRow("remove booking") << true << kRemoveBooking << kTrainer << QStringList();
    QTest::newRow("remove without a booking") << false << kRemoveBooking << kTrainer << QStringList();
}

void TestBookingOperations::setBookingState()
{
    QFETCH(bool, booked);
    QFETCH(QString, state);
    QFETCH(QString, trainer);
    QFETCH(QStringList, expected);

    addNomination(560);
    TestGrid grid(u"grdRace"_s, 31, 1);
    if (booked)
        addBooking(u"J Smith"_s, kConfirmed, true);
    showBooking(grid, booked ? u"J Smith"_s : QString(), booked ? kConfirmed : QString(), trainer);
    grid.cell(1, 4).back = kRed;
    grid.cell(1, 16).icon = kConfirmedIcon;
    m_dialogs->answerYes();

    chooseState(grid, 1, state);

    const bool removal = state == kRemoveBooking;
    QCOMPARE(m_dialogs->messages.size(), removal && booked ? 1 : 0);
    if (removal && booked)
        QCOMPARE(m_dialogs->messages.first().text, u"Remove Text : Confirmed\r  from Horse O'Reilly's Star"_s);
    QCOMPARE(bookings(), expected);
    // The row shows what is stored: no longer confirmed, the jockey cell alone in his colour.
    QCOMPARE(grid.cellText(1, 16), removal ? QString() : state);
    QCOMPARE(grid.cellText(1, 14), booked && !removal ? u"J Smith"_s : QString());
    QCOMPARE(grid.cell(1, 16).icon, 0);
    QCOMPARE(grid.cellBackColor(1, 14), booked && !removal ? kRed : QColor());
    QCOMPARE(grid.cellBackColor(1, 4), QColor());
}

void TestBookingOperations::confirmBooking_data()
{
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<QString>("bookedJockey"); // "-": no booking
    QTest::addColumn<QString>("gesture");      // "state" list or an edit "request" (asked, Yes)
    QTest::addColumn<QString>("expected");
    QTest::newRow("booked, state list") << u"grdNoms"_s << u"J Smith"_s << u"state"_s << u"J Smith|Confirmed|1"_s;
    QTest::newRow("booked, edit request") << u"grdRace"_s << u"J Smith"_s << u"request"_s << u"J Smith|Confirmed|1"_s;
    // The jockey cell shows the field's rider: no jockey is booked, so nothing is confirmed.
    QTest::newRow("state only, state list") << u"grdNoms"_s << QString() << u"state"_s << u"<null>|Planned|0"_s;
    QTest::newRow("state only, edit request") << u"grdRace"_s << QString() << u"request"_s << u"<null>|Planned|0"_s;
    QTest::newRow("no booking") << u"grdNoms"_s << u"-"_s << u"state"_s << QString();
}

void TestBookingOperations::confirmBooking()
{
    QFETCH(QString, gridName);
    QFETCH(QString, bookedJockey);
    QFETCH(QString, gesture);
    QFETCH(QString, expected);
    addNomination(560, u"B Rawiller"_s);
    if (bookedJockey != "-"_L1)
        addBooking(bookedJockey, kPlanned, false);
    namespace col = racewindow::col;
    const bool runners = gridName != "grdNoms"_L1;
    TestGrid grid(gridName, runners ? col::Count : 16, 1);
    const QColor lastRider(Qt::darkGreen);
    if (runners)
        grid.cell(1, col::LastJockey).back = lastRider;
    showBooking(grid, bookedJockey.isEmpty() ? u"B Rawiller"_s : bookedJockey, kPlanned);
    m_dialogs->answerYes();

    const bool stored = expected.endsWith("|1"_L1);
    QCOMPARE(gesture == "state"_L1 ? chooseState(grid, 1, kConfirmed) : confirmRequest(grid, 1), stored);

    const QStringList rows = bookings();
    QCOMPARE(rows.value(0).section(u'|', 4), expected);
    if (!stored) {
        QCOMPARE(m_dialogs->shown(),
                 gesture == "state"_L1 ? QStringList{u"Ostrevan 2|You cannot confirm, if no jockey has been entered"_s}
                                       : QStringList());
    }
    const BookingColumns columns = grid.bookingColumns();
    QCOMPARE(grid.cell(1, columns.state).icon, stored ? kConfirmedIcon : 0);
    // As the grid is filled: the runners grid's label and sort cells stay, a last rider keeps their colour.
    // (An edit request that confirms nothing leaves the row alone.)
    for (int c = 1; c <= grid.columnCount() && (stored || gesture == "state"_L1); ++c) {
        QColor want = stored ? kRed : QColor();
        if (runners && c == col::LastJockey)
            want = lastRider;
        else if (runners && (c == col::RaceDetails || c == col::TrainerLoc || c == col::BarrBallotSort))
            want = QColor();
        QCOMPARE(grid.cellBackColor(1, c), want);
    }
}

void TestBookingOperations::otherEntryShowsWhereBooked_data()
{
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<QString>("gesture"); // "drop|JOCKEY" or "state|TEXT"
    for (const QString &grid : {u"grdNoms"_s, u"grdRace"_s}) {
        for (const QString &gesture :
             QStringList{u"drop|K O'Neil"_s, "drop|"_L1 + kDeleteJockey, u"state|Trainer To Confirm"_s,
                         "state|"_L1 + kConfirmed, "state|"_L1 + kRemoveBooking})
            QTest::addRow("%s, %s", qPrintable(grid), qPrintable(gesture)) << grid << gesture;
    }
}

void TestBookingOperations::otherEntryShowsWhereBooked()
{
    // The horse is entered in races 1 and 2 and booked (confirmed) in race 1; the row is its race-2 entry.
    QFETCH(QString, gridName);
    QFETCH(QString, gesture);
    const QString otherRace = u"1600 HCP"_s;
    addNomination(560, u"B Rawiller"_s);
    OpenDb().exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName, Weight, Jockey) "
                  "VALUES (?, ?, 2, ?, ?, 560, 'B Rawiller')"_s,
                  {kMeeting, otherRace, kHorse, kTrainer});
    addBooking(u"J Smith"_s, kConfirmed, true);
    const QStringList stored = bookings();
    const bool runners = gridName != "grdNoms"_L1;
    TestGrid grid(gridName, runners ? racewindow::col::Count : 16, 1);
    showBooking(grid, u"J Smith"_s, kConfirmed);
    grid.raceCode = otherRace;
    if (!runners)
        grid.cell(1, 11).text = otherRace;
    m_dialogs->answerYes(3);

    const QString choice = gesture.section(u'|', 1);
    QVERIFY(
        !(gesture.startsWith("drop"_L1) ? bookinggestures::bookJockey(grid, 1, choice) : chooseState(grid, 1, choice)));
    QCOMPARE(bookings(), stored);
    QCOMPARE(m_dialogs->shown(), QStringList{u"Booked in Another Race|O'REILLY'S STAR is booked in race 1 of this "
                                             "meeting; this entry changes nothing. Change the booking in race 1."_s});
    // The row shows the field's rider and where the horse is booked, in the colours it was drawn with.
    const BookingColumns columns = grid.bookingColumns();
    QCOMPARE(grid.cellText(1, columns.jockey) + u'|' + grid.cellText(1, columns.state),
             u"B Rawiller|Booked in race 1"_s);
    QCOMPARE(grid.cell(1, columns.state).icon, 0);
    for (int c = 1; c <= grid.columnCount(); ++c)
        QCOMPARE(grid.cellBackColor(1, c), QColor());
}

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
    QCOMPARE(jockeys.at(1).color, kBlue);
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
