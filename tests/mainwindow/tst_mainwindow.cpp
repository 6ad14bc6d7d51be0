#include "MainWindowSeed.h"

#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "bookings/BookingOperations.h"
#include "bookings/MainLists.h"
#include "bookings/ui/FrmRace.h"
#include "bookings/ui/ListModel.h"
#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "core/ui/HeaderLayout.h"
#include "formdata/ui/FrmBrowse.h"
#include "roster/StoredColor.h"
#include "support/Accelerators.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace mainlists;
using namespace drive;

namespace {

struct StoredBooking {
    bool exists = false;
    QString jockey;
    QString state;
    int confirmed = 0;
};

StoredBooking bookingOf(const QString &horse)
{
    QueryResult query = OpenQuery(
        u"SELECT Jockey, BookingSelection, Confirmed FROM Bookings WHERE MeetingCode = 'MEL0106' AND Horse = ?"_s,
        {horse});
    if (!query.next())
        return {};
    return {true, query.value(0).toString(), query.value(1).toString(), query.value(2).toInt()};
}

QStringList columnTexts(const ListModel *model, int column)
{
    QStringList texts;
    for (int row = 1; row <= model->rowCount(); ++row)
        texts << model->cellText(row, column);
    return texts;
}

int rowOf(const ListModel *model, int column, const QString &text)
{
    for (int row = 1; row <= model->rowCount(); ++row) {
        if (model->cellText(row, column) == text)
            return row;
    }
    return 0;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startupFillsTheLists();
    void choosingATrainer();
    void ignoredTrainerIsRefused();
    void chosenTrainerFollowsTheRow_data();
    void chosenTrainerFollowsTheRow();
    void nominationShowsItsRace();
    void detailsAndFormOpenWhatIsShown();
    void dropJockey_data();
    void dropJockey();
    void pickListKeys_data();
    void pickListKeys();
    void pickListClosesWhenRowsChange_data();
    void pickListClosesWhenRowsChange();
    void confirmGesture_data();
    void confirmGesture();
    void scratchedBookingStaysInView();
    void contactBoxWrittenOnLeaving();
    void sortingFlipsDirection();
    void refreshWithChosenMeetings();
    void weightFilterBoxes();
    void layoutPersistsAcrossRestart();

private:
    MainWindow *openWindow();
    void chooseTrainer(const QString &trainer);
    int nomRow(const QString &horse) const { return rowOf(m_window->nomsModel(), noms::Horse, horse); }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<MainWindow> m_window;
    QStringList m_sounds;
};

void TestMainWindow::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    seed::seedLists(m_env->databaseFile());
    // The window reloads the settings: DBPath must be in the store.
    cAppSettings::instance().SaveSettings();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    startup::setRideRefresher([] {});
    m_sounds.clear();
    sounds::setPlayer([this](const QString &path, bool) {
        m_sounds << path;
        return true;
    });
}

void TestMainWindow::cleanup()
{
    delete m_window;
    sounds::setPlayer({});
    startup::setRideRefresher({});
    m_dialogs.reset();
    m_env.reset();
}

MainWindow *TestMainWindow::openWindow()
{
    m_window = MainWindow::instance();
    if (!m_window->load())
        return nullptr;
    m_window->activateWindow();
    if (!QTest::qWaitForWindowExposed(m_window))
        return nullptr;
    return m_window;
}

void TestMainWindow::chooseTrainer(const QString &trainer)
{
    const int row = rowOf(m_window->trainerModel(), names::Trainer, trainer);
    QVERIFY(row > 0);
    clickCell(m_window->grdNames, row, names::Trainer);
    QCOMPARE(m_window->chosenTrainer(), trainer);
}

void TestMainWindow::startupFillsTheLists()
{
    RecordingStatus status;
    QVERIFY(openWindow());
    const QStringList steps{u"Setting up Main Form"_s,
                            u"Loading Data into Grid - setup grdMeeting"_s,
                            u"Loading Data into Grid - setup grdJockey"_s,
                            u"Loading Data into Grid - Load grdMeeting"_s,
                            u"Loading Data into Grid - Load grdJockey"_s,
                            u"Loading Settings"_s,
                            u"Loading Data into Grid - Load grdNames"_s};
    QCOMPARE(status.texts.mid(status.texts.indexOf(steps.first()), steps.size()), steps);

    QCOMPARE(columnTexts(m_window->meetingModel(), 1), (QStringList{u"CAU0107"_s, u"MEL0106"_s, u"SAN0108"_s}));
    QCOMPARE(columnTexts(m_window->jockeyModel(), 1), (QStringList{u"Bob Roe"_s, u"Jane Doe"_s}));
    QCOMPARE(m_window->cmbJockey->count(), 3);
    QCOMPARE(m_window->cmbBookText->itemText(1), u"Ring Trainer"_s); // the templates follow "Planned"
    QCOMPARE(columnTexts(m_window->trainerModel(), names::Trainer),
             (QStringList{u"A Lone"_s, u"Hidden Only"_s, u"J Smith"_s, u"Multi"_s, u"P O'Brien"_s, u"Z Ignored"_s}));

    // Hidden columns, colours and icons as the views see them.
    QAbstractItemModel *names = m_window->grdNames->model();
    QVERIFY(m_window->grdNames->isColumnHidden(names::IgnTrainer - 1));
    QVERIFY(m_window->grdNoms->isColumnHidden(noms::RaceCode - 1));
    const int smith = rowOf(m_window->trainerModel(), names::Trainer, u"J Smith"_s);
    QVERIFY(!names->index(smith - 1, names::Icon1 - 1).data(Qt::DecorationRole).value<QIcon>().isNull());
    QCOMPARE(names->index(smith - 1, names::Icon1 - 1).data(Qt::UserRole).toInt(), kWinnerIcon);
    const int ignored = rowOf(m_window->trainerModel(), names::Trainer, u"Z Ignored"_s);
    QCOMPARE(names->index(ignored - 1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), fromStoredColor(255));
    QVERIFY(!names->index(0, 0).data(Qt::ForegroundRole).isValid());
    QCOMPARE(m_window->grdMeeting->model()->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(0, 0, 255));
    QVERIFY(m_dialogs->messages.isEmpty());

    // Every Alt key reaches one control; every column of the meetings list is in its pane.
    QCOMPARE(duplicateAccelerators(m_window), QStringList());
    QHeaderView *meetings = m_window->grdMeeting->horizontalHeader();
    QVERIFY2(meetings->length() <= m_window->grdMeeting->viewport()->width(),
             qPrintable(u"%1 > %2"_s.arg(meetings->length()).arg(m_window->grdMeeting->viewport()->width())));
    QVERIFY(m_window->statusBar()->currentMessage().startsWith(u"Ready"_s));
}

void TestMainWindow::choosingATrainer()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    QCOMPARE(columnTexts(m_window->nomsModel(), noms::Horse), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}));
    QCOMPARE(m_window->txtTrainerName->text(), u"J Smith"_s);
    QCOMPARE(m_window->txtTrainLocation->text(), u"Flemington"_s);
    QCOMPARE(m_window->TxtTrainPhone->text(), u"03 9000 1111"_s);
    QCOMPARE(m_window->txtTrainMobile->text(), u"0400 111 222"_s);
    const QModelIndex bravoState = m_window->grdNoms->model()->index(nomRow(u"Bravo"_s) - 1, noms::Booking - 1);
    QVERIFY(!bravoState.data(Qt::DecorationRole).value<QIcon>().isNull());
    QCOMPARE(bravoState.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 0, 255));

    // A trainer without a Trainer row takes location and phone from the field.
    chooseTrainer(u"A Lone"_s);
    QCOMPARE(m_window->txtTrainLocation->text(), u"Mornington"_s);
    QCOMPARE(m_window->TxtTrainPhone->text(), u"03 5555 0000"_s);
    QCOMPARE(m_window->txtTrainMobile->text(), QString());
}

void TestMainWindow::ignoredTrainerIsRefused()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    const int ignored = rowOf(m_window->trainerModel(), names::Trainer, u"Z Ignored"_s);
    clickCell(m_window->grdNames, ignored, names::Trainer);
    QTRY_COMPARE(m_dialogs->shown(), QStringList{u"Error|Trainer set to ignore cannot make bookings"_s});
    QCOMPARE(m_window->chosenTrainer(), u"J Smith"_s);
    QCOMPARE(m_window->nomsModel()->rowCount(), 3);
    // The highlight goes back to the trainer whose nominations are shown.
    QCOMPARE(m_window->grdNames->currentIndex().row() + 1, m_window->chosenTrainerRow());
}

void TestMainWindow::chosenTrainerFollowsTheRow_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("expected");
    QTest::newRow("left click") << u"click"_s << u"Multi"_s;
    QTest::newRow("arrow key") << u"down"_s << u"Multi"_s;
    QTest::newRow("type-ahead") << u"type"_s << u"P O'Brien"_s;
    QTest::newRow("right click before the menu") << u"right"_s << u"P O'Brien"_s;
    QTest::newRow("Edit Trainer") << u"edit"_s << u"Multi"_s;
}

// Whatever moves the highlighted trainer, the boxes, the nominations and what a booking or an edit
// stores are that trainer's.
void TestMainWindow::chosenTrainerFollowsTheRow()
{
    QFETCH(QString, gesture);
    QFETCH(QString, expected);
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    QTableView *names = m_window->grdNames;
    const int target = rowOf(m_window->trainerModel(), names::Trainer, expected);
    names->setFocus();
    if (gesture == "click"_L1 || gesture == "edit"_L1) {
        clickCell(names, target, names::Trainer);
    } else if (gesture == "down"_L1) {
        QTest::keyClick(names, Qt::Key_Down);
    } else if (gesture == "type"_L1) {
        QTest::keyClicks(names, u"P"_s);
    } else {
        QTest::mouseClick(names->viewport(), Qt::RightButton, {}, cellCentre(names, target, names::Trainer));
        if (QWidget *menu = QApplication::activePopupWidget())
            menu->close();
    }
    QCOMPARE(names->currentIndex().row() + 1, target);
    QCOMPARE(m_window->chosenTrainer(), expected);
    QCOMPARE(m_window->txtTrainerName->text(), expected);
    QCOMPARE(m_window->TxtTrainPhone->text(), QString()); // neither has a phone: J Smith's is gone
    QVERIFY(m_window->nomsModel()->rowCount() > 0);

    if (gesture == "edit"_L1) {
        QTimer::singleShot(0, qApp, [] {
            if (auto *editor = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                const auto boxes = editor->findChildren<QLineEdit *>();
                QVERIFY(std::any_of(boxes.cbegin(), boxes.cend(),
                                    [](const QLineEdit *box) { return box->text() == u"Multi"_s; }));
                QVERIFY(std::none_of(boxes.cbegin(), boxes.cend(),
                                     [](const QLineEdit *box) { return box->text() == u"03 9000 1111"_s; }));
                editor->reject();
            }
        });
        trigger(m_window, u"mnuEditTrainer"_s);
        return;
    }
    // A jockey dropped on the first nomination is booked for the trainer shown (Multi's horses carry
    // less than Jane Doe's riding weight: Yes).
    m_dialogs->answerYes();
    const QString horse = m_window->nomsModel()->cellText(1, noms::Horse);
    const auto data = dragFromCell(m_window->grdJockey, rowOf(m_window->jockeyModel(), 1, u"Jane Doe"_s), 1);
    QVERIFY(data && dropOnCell(m_window->grdNoms, 1, noms::Class, data.get()));
    QueryResult stored = OpenQuery(u"SELECT TrainerName FROM Bookings WHERE Horse = ?"_s, {horse});
    QVERIFY(stored.next());
    QCOMPARE(stored.value(0).toString(), expected);
}

void TestMainWindow::nominationShowsItsRace()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    clickCell(m_window->grdNoms, nomRow(u"Alpha"_s), noms::Horse);
    const QString text = m_window->txtRace->toPlainText();
    QVERIFY2(text.startsWith(u"Flemington\n     VIC\n     Good 4, rail true\nRace :1     01:05 PM"_s),
             qPrintable(text));
    QVERIFY(text.contains(u"Apprentices can claim."_s));
    QTextCursor cursor(m_window->txtRace->document());
    cursor.setPosition(1);
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 0, 255)); // the runs keep their colours
}

// "Race Details" and the form pages open what the agent is looking at.
void TestMainWindow::detailsAndFormOpenWhatIsShown()
{
    cAppSettings::instance().RacingHost = u"http://127.0.0.1:9"_s;
    cAppSettings::instance().SaveSettings();
    QStringList pages;
    FrmBrowse::setPresenter(
        [&pages](const QString &caption, const QUrl &url) { pages << caption + u'|' + url.toString(); });
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    const int charlie = nomRow(u"Charlie"_s);
    clickCell(m_window->grdNoms, charlie, noms::Horse);
    int raceShown = 0;
    QTimer::singleShot(0, qApp, [&raceShown] {
        if (auto *race = qobject_cast<FrmRace *>(QApplication::activeModalWidget())) {
            raceShown = race->currentRace();
            race->reject();
        }
    });
    QTest::mouseDClick(m_window->txtRace->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(raceShown, 2);

    clickCell(m_window->grdNoms, nomRow(u"Charlie"_s), noms::Horse);
    trigger(m_window, u"mnuNomsRBForm"_s);
    m_window->grdMeeting->selectRow(rowOf(m_window->meetingModel(), 1, u"MEL0106"_s) - 1);
    trigger(m_window, u"mnuMeetingForm"_s);
    FrmBrowse::setPresenter({});
    QCOMPARE(pages,
             (QStringList{u"Racebook Form|http://127.0.0.1:9/FreeFields/Nominations_Form.aspx?Key=2024Jan06,VIC,"
                          "Flemington&recentform=Y#race2"_s,
                          u"Racebook Form|http://127.0.0.1:9/FreeFields/Form.aspx?Key=2024Jan06,VIC,Flemington"_s}));
}

void TestMainWindow::dropJockey_data()
{
    QTest::addColumn<QString>("horse");
    QTest::addColumn<QString>("jockey");
    QTest::addColumn<int>("answer"); // -1 none scripted, 0 no, 1 yes
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("storedJockey");
    QTest::addColumn<QString>("storedState");

    QTest::newRow("onto a state without jockey")
        << u"Charlie"_s << u"Bob Roe"_s << -1 << 0 << u"Bob Roe"_s << u"Ring Trainer"_s;
    // Bob Roe already rides Bravo in the same race: replacing asks, and so does the double booking.
    QTest::newRow("a second jockey, Yes") << u"Alpha"_s << u"Bob Roe"_s << 1 << 2 << u"Bob Roe"_s << u"Planned"_s;
    QTest::newRow("outside any cell") << QString() << u"Bob Roe"_s << -1 << 0 << QString() << QString();
}

void TestMainWindow::dropJockey()
{
    QFETCH(QString, horse);
    QFETCH(QString, jockey);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(QString, storedJockey);
    QFETCH(QString, storedState);
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    if (answer == 1)
        m_dialogs->answerYes(questions);
    else if (answer == 0)
        m_dialogs->answerNo();

    const auto data = dragFromCell(m_window->grdJockey, rowOf(m_window->jockeyModel(), 1, jockey), 1);
    QVERIFY(data);
    const int row = horse.isEmpty() ? 0 : nomRow(horse);
    const QPoint at = row > 0 ? cellCentre(m_window->grdNoms, row, noms::Class)
                              : QPoint(10, m_window->grdNoms->viewport()->height() - 3);
    QCOMPARE(dropAt(m_window->grdNoms, at, data.get()), row > 0);

    QCOMPARE(m_dialogs->messages.size(), questions);
    if (horse.isEmpty()) {
        QCOMPARE(bookingOf(u"Alpha"_s).jockey, u"Jane Doe"_s);
        QCOMPARE(bookingOf(u"Charlie"_s).jockey, QString());
        return;
    }
    const StoredBooking stored = bookingOf(horse);
    QCOMPARE(stored.jockey, storedJockey);
    QCOMPARE(stored.state, storedState);
    // The row shows the booking as stored, the jockey in the jockey's colour.
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Jockey), storedJockey);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Booking), storedState);
    const QColor colour = storedJockey == u"Bob Roe"_s ? fromStoredColor(16711680) : fromStoredColor(65535);
    QCOMPARE(m_window->nomsModel()->cellBackColor(row, noms::Jockey), colour);
}

void TestMainWindow::pickListKeys_data()
{
    QTest::addColumn<QString>("horse");
    QTest::addColumn<int>("column");
    // D Down, U Up, N End (browsing); E Enter, T Tab, X Escape, C a click on the item shown in the opened list.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("jockey");
    QTest::addColumn<QString>("state");

    // The list holds "Bob Roe", "Jane Doe", "Delete Jockey"; Charlie has a state and no jockey.
    QTest::newRow("jockey: arrows browse, Enter books")
        << u"Charlie"_s << noms::Jockey << u"DDE"_s << u"Jane Doe"_s << u"Ring Trainer"_s;
    QTest::newRow("jockey: Tab books") << u"Charlie"_s << noms::Jockey << u"DT"_s << u"Bob Roe"_s << u"Ring Trainer"_s;
    QTest::newRow("jockey: Escape leaves it")
        << u"Charlie"_s << noms::Jockey << u"DDX"_s << QString() << u"Ring Trainer"_s;
    QTest::newRow("jockey: a click in the list")
        << u"Charlie"_s << noms::Jockey << u"DDC"_s << u"Jane Doe"_s << u"Ring Trainer"_s;
    // "Planned", "Ring Trainer", ..., "Confirmed", "Remove Booking" over Alpha (Jane Doe, planned).
    QTest::newRow("state: arrows browse, Enter sets")
        << u"Alpha"_s << noms::Booking << u"DE"_s << u"Jane Doe"_s << u"Ring Trainer"_s;
    QTest::newRow("state: Escape leaves it")
        << u"Alpha"_s << noms::Booking << u"DDX"_s << u"Jane Doe"_s << u"Planned"_s;
    QTest::newRow("state: End, Up, Enter confirms")
        << u"Alpha"_s << noms::Booking << u"NUE"_s << u"Jane Doe"_s << u"Confirmed"_s;
}

// No arrow key writes a booking; only Enter, Tab or a click in the opened list does.
void TestMainWindow::pickListKeys()
{
    QFETCH(QString, horse);
    QFETCH(int, column);
    QFETCH(QString, keys);
    QFETCH(QString, jockey);
    QFETCH(QString, state);
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    const StoredBooking before = bookingOf(horse);
    const int row = nomRow(horse);
    m_window->grdNoms->setFocus();
    m_window->grdNoms->setCurrentIndex(m_window->nomsModel()->index(row - 1, column - 1));
    QTest::keyClick(m_window->grdNoms, Qt::Key_F2);
    auto *box = m_window->findChild<QComboBox *>(column == noms::Jockey ? u"cmbJockey"_s : u"cmbBookText"_s);
    QVERIFY(box && box->isVisible());
    // Opened over the cell with the cell's text chosen.
    QCOMPARE(box->currentText(), m_window->nomsModel()->cellText(row, column));
    const QRect cell = m_window->grdNoms->visualRect(m_window->nomsModel()->index(row - 1, column - 1));
    QCOMPARE(box->mapTo(m_window, QPoint(0, 0)), m_window->grdNoms->viewport()->mapTo(m_window, cell.topLeft()));

    for (const QChar key : keys) {
        if (key == u'C') {
            box->showPopup();
            QAbstractItemView *list = box->view();
            QTRY_VERIFY(list->isVisible());
            const QPoint at = list->visualRect(list->model()->index(box->currentIndex(), 0)).center();
            QTest::mouseMove(list->viewport(), at);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            break;
        }
        const QHash<QChar, Qt::Key> press{{u'D', Qt::Key_Down},   {u'U', Qt::Key_Up},  {u'N', Qt::Key_End},
                                          {u'E', Qt::Key_Return}, {u'T', Qt::Key_Tab}, {u'X', Qt::Key_Escape}};
        QTest::keyClick(box, press.value(key));
        if (u"DUN"_s.contains(key)) {
            const StoredBooking now = bookingOf(horse);
            QVERIFY2(now.jockey == before.jockey && now.state == before.state, qPrintable(QString(key)));
        }
    }

    QTRY_VERIFY(!box->isVisible());
    const StoredBooking stored = bookingOf(horse);
    QCOMPARE(stored.jockey, jockey);
    QCOMPARE(stored.state, state);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Booking), state);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Jockey), jockey);
    if (state == kConfirmed)
        QCOMPARE(m_window->nomsModel()->cellBackColor(row, noms::Horse), fromStoredColor(65535));
}

void TestMainWindow::pickListClosesWhenRowsChange_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("sorted") << 0;
    QTest::newRow("another trainer") << 1;
}

// A list opened over Alpha's row must never book on whichever horse sits in that row afterwards.
void TestMainWindow::pickListClosesWhenRowsChange()
{
    QFETCH(int, change);
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    const auto allBookings = [] {
        return OpenDb().scalar(u"SELECT group_concat(Horse || Jockey) FROM Bookings"_s).toString();
    };
    const QString before = allBookings();
    doubleClickCell(m_window->grdNoms, nomRow(u"Alpha"_s), noms::Jockey);
    QComboBox *box = m_window->cmbJockey;
    QVERIFY(box->isVisible());
    box->setCurrentIndex(box->findText(u"Bob Roe"_s));
    if (change == 0) {
        clickHeader(m_window->grdNoms, noms::Horse);
        clickHeader(m_window->grdNoms, noms::Horse); // descending: Charlie now stands in Alpha's row
    } else {
        chooseTrainer(u"P O'Brien"_s);
    }
    QVERIFY(!box->isVisible());
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(allBookings(), before);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestMainWindow::confirmGesture_data()
{
    QTest::addColumn<QString>("horse");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<int>("answer"); // -1 none asked, 0 no (the default), 1 yes
    QTest::addColumn<QString>("storedState");

    QTest::newRow("double click on the horse, Yes") << u"Alpha"_s << noms::Horse << false << 1 << u"Confirmed"_s;
    QTest::newRow("stray key on the class") << u"Alpha"_s << noms::Class << true << 0 << u"Planned"_s;
    QTest::newRow("already confirmed") << u"Bravo"_s << noms::Horse << false << -1 << u"Confirmed"_s;
    QTest::newRow("no jockey") << u"Charlie"_s << noms::Horse << false << -1 << u"Ring Trainer"_s;
}

// A gesture other than the state pick list never confirms a ride without the agent's Yes.
void TestMainWindow::confirmGesture()
{
    QFETCH(QString, horse);
    QFETCH(int, column);
    QFETCH(bool, byKey);
    QFETCH(int, answer);
    QFETCH(QString, storedState);
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    if (answer == 1)
        m_dialogs->answerYes();
    const int row = nomRow(horse);
    if (byKey) {
        m_window->grdNoms->setCurrentIndex(m_window->nomsModel()->index(row - 1, column - 1));
        QTest::keyClick(m_window->grdNoms, Qt::Key_X);
    } else {
        doubleClickCell(m_window->grdNoms, row, column);
    }
    QCOMPARE(bookingOf(horse).state, storedState);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Booking), storedState);
    if (answer < 0) {
        QVERIFY(m_dialogs->messages.isEmpty());
    } else {
        QCOMPARE(m_dialogs->shown(), QStringList{u"Confirm Booking|Confirm Jane Doe on Alpha?"_s});
        QCOMPARE(m_dialogs->messages.at(0).defaultAnswer, UserDialogs::Answer::No);
    }
    if (answer == 1)
        QCOMPARE(m_window->statusBar()->currentMessage(), u"Booked Jane Doe on Alpha (MEL0106 race 1): Confirmed"_s);
    QVERIFY(!m_window->cmbJockey->isVisible());
    QVERIFY(!m_window->cmbBookText->isVisible());
}

// A booked horse that a later field no longer lists stays in the chosen trainer's list until the
// agent removes the booking; it cannot be confirmed by a stray gesture.
void TestMainWindow::scratchedBookingStaysInView()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    OpenDb().exec(u"DELETE FROM Noms WHERE Horse = 'Alpha'"_s);
    m_window->reloadNoms();
    const int row = nomRow(u"Alpha"_s);
    QVERIFY(row > 0);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Booking), kScratched);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Jockey), u"Jane Doe"_s);
    QCOMPARE(m_window->nomsModel()->cellText(row, noms::Race), u"1"_s);
    doubleClickCell(m_window->grdNoms, row, noms::Horse);
    QVERIFY(m_dialogs->messages.isEmpty());

    doubleClickCell(m_window->grdNoms, row, noms::Booking);
    QComboBox *box = m_window->cmbBookText;
    const int remove = box->findText(kRemoveBooking);
    QVERIFY(remove >= 0);
    m_dialogs->answerYes();
    box->setCurrentIndex(remove);
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!bookingOf(u"Alpha"_s).exists);
    m_window->reloadNoms();
    QCOMPARE(nomRow(u"Alpha"_s), 0);
}

void TestMainWindow::contactBoxWrittenOnLeaving()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    m_window->TxtTrainPhone->setFocus();
    m_window->TxtTrainPhone->clear();
    m_window->txtTrainMobile->setFocus();
    QTRY_VERIFY(m_window->txtTrainMobile->hasFocus());
    const TrainerContact contact = loadTrainerContact(u"J Smith"_s);
    QCOMPARE(contact.phone, QString());
    QCOMPARE(contact.location, u"Flemington"_s);
    QCOMPARE(contact.mobile, u"0400 111 222"_s);
}

void TestMainWindow::sortingFlipsDirection()
{
    QVERIFY(openWindow());
    auto click = [this](int column) { clickHeader(m_window->grdNames, column); };
    click(names::Runners); // starts descending
    QCOMPARE(m_window->trainerModel()->cellText(1, names::Trainer), u"J Smith"_s);
    QCOMPARE(m_sounds, QStringList{sounds::resourcePath(sounds::kSorted)});
    click(names::Runners);
    QCOMPARE(m_window->trainerModel()->cellText(m_window->trainerModel()->rowCount(), names::Trainer), u"J Smith"_s);
    click(names::Trainer); // starts ascending
    QCOMPARE(m_window->trainerModel()->cellText(1, names::Trainer), u"A Lone"_s);
    click(names::Trainer);
    QCOMPARE(m_window->trainerModel()->cellText(1, names::Trainer), u"Z Ignored"_s);
    QCOMPARE(m_sounds.size(), 4);

    // The nominations list: the icon column starts descending.
    chooseTrainer(u"J Smith"_s);
    clickHeader(m_window->grdNoms, noms::Icon1);
    QCOMPARE(m_window->nomsModel()->cellText(1, noms::Horse), u"Alpha"_s);
    QCOMPARE(m_window->nomsModel()->nextSortOrder(noms::Icon1), Qt::AscendingOrder);
    clickHeader(m_window->grdNoms, noms::Horse);
    QCOMPARE(columnTexts(m_window->nomsModel(), noms::Horse), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}));
}

void TestMainWindow::refreshWithChosenMeetings()
{
    QVERIFY(openWindow());
    chooseTrainer(u"J Smith"_s);
    clickCell(m_window->grdMeeting, rowOf(m_window->meetingModel(), 1, u"MEL0106"_s), 1);
    QCOMPARE(m_window->selectedMeetingCodes(), QStringList{u"MEL0106"_s});
    m_window->txtWeight->setText(u"43.0"_s);
    m_window->cmdReload->click();
    QCOMPARE(m_window->currentMeetingsFilter(), u"( 'MEL0106')"_s);
    QCOMPARE(m_window->lblTrainers->text(), u"Trainers of MEL0106"_s);
    QCOMPARE(columnTexts(m_window->trainerModel(), names::Trainer), (QStringList{u"J Smith"_s, u"Multi"_s}));
    QCOMPARE(m_window->nomsModel()->rowCount(), 0);
    QVERIFY(m_window->txtRace->toPlainText().isEmpty());
    QVERIFY(m_window->TxtTrainPhone->text().isEmpty());
    QVERIFY(m_window->txtTrainerName->text().isEmpty());
    // The same trainer can be chosen again, now with the filter.
    chooseTrainer(u"Multi"_s);
    QCOMPARE(columnTexts(m_window->nomsModel(), noms::Horse), QStringList{u"Golf"_s});
}

void TestMainWindow::weightFilterBoxes()
{
    QVERIFY(openWindow());
    m_window->UpDown1->setValue(455);
    QCOMPARE(m_window->txtWeight->text(), u"45.5"_s);
    typeInto(m_window->txtWeight, u"50"_s);
    QCOMPARE(m_window->UpDown1->value(), 500);
    QCOMPARE(m_window->txtWeight->text(), u"50.0"_s);
    typeInto(m_window->txtWeight, u"39.9"_s);
    QCOMPARE(m_window->UpDown1->value(), 500);
}

void TestMainWindow::layoutPersistsAcrossRestart()
{
    cAppSettings::instance().MainTrainerSortKey = u"3+"_s;
    cAppSettings::instance().SaveSettings();
    QVERIFY(openWindow());
    // Ascending by races; ties keep the trainer order.
    QCOMPARE(m_window->trainerModel()->cellText(m_window->trainerModel()->rowCount(), names::Trainer), u"J Smith"_s);
    QHeaderView *trainers = m_window->grdNames->horizontalHeader();
    QHeaderView *nominations = m_window->grdNoms->horizontalHeader();
    trainers->resizeSection(0, 177);
    trainers->moveSection(2, 0);
    nominations->resizeSection(3, 141);
    nominations->moveSection(3, 1);
    QList<int> panes = m_window->splitMain->sizes();
    panes[1] += 40;
    panes[2] -= 40;
    m_window->splitMain->setSizes(panes);
    panes = m_window->splitMain->sizes();
    const QStringList stored{headerOrderList(trainers), headerWidthList(nominations)};
    QPointer<MainWindow> first(m_window);
    m_window->close();
    QTRY_VERIFY(first.isNull());

    cAppSettings::instance().reset();
    cAppSettings::instance().LoadSettings();
    QCOMPARE(cAppSettings::instance().MainTrainerSortKey, u"3+"_s); // read, never written by the window
    QCOMPARE(cAppSettings::instance().MainSplitSizes, layout::formatList(panes));
    QVERIFY(openWindow());
    trainers = m_window->grdNames->horizontalHeader();
    nominations = m_window->grdNoms->horizontalHeader();
    QCOMPARE(trainers->sectionSize(0), 177);
    QCOMPARE(nominations->visualIndex(3), 1);
    QCOMPARE((QStringList{headerOrderList(trainers), headerWidthList(nominations)}), stored);
    // The panes come back where they were (scaled to the window, which the platform may size anew).
    QTRY_VERIFY2(qAbs(m_window->splitMain->sizes().value(1) - panes.value(1)) <= panes.value(1) / 10,
                 qPrintable(layout::formatList(m_window->splitMain->sizes()) + u" / "_s + layout::formatList(panes)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
