#pragma once

#include "bookings/MainLists.h"
#include "core/StatusSink.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QMainWindow>

class BackgroundJob;
class BookingGrid;
class ListModel;
class NominationPick;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTableView;
class QTextEdit;
class QComboBox;
class QLabel;
class QProgressDialog;

// The agent's main window: meetings, managed jockeys, trainers with runners and the chosen
// trainer's nominations, with the commands of the menus and buttons. Once loaded it is where long
// steps report, in its status bar, which also says what the agent's last gesture did.
class MainWindow final : public QMainWindow, public StatusSink
{
    Q_OBJECT
public:
    // The one main window of the program, created on first use.
    static MainWindow *instance();
    ~MainWindow() override;

    // The ordered start-up; false when the program must end (no database, compaction failed).
    bool load();

    QPushButton *cmdBrowse = nullptr;
    QPushButton *CmdGetData = nullptr;
    QPushButton *CmdFindHorse = nullptr;
    QPushButton *cmdReload = nullptr;
    QPushButton *cmdMtgRfs = nullptr;
    QPushButton *cmdExit = nullptr;
    QTableView *grdMeeting = nullptr;
    QTableView *grdJockey = nullptr;
    QTableView *grdNames = nullptr;
    QTableView *grdNoms = nullptr;
    QTextEdit *txtRace = nullptr;
    QLineEdit *txtTrainerName = nullptr;
    QLineEdit *txtTrainLocation = nullptr;
    QLineEdit *TxtTrainPhone = nullptr;
    QLineEdit *txtTrainMobile = nullptr;
    QLineEdit *txtWeight = nullptr;
    QSpinBox *UpDown1 = nullptr;
    QComboBox *cmbJockey = nullptr;
    QComboBox *cmbBookText = nullptr;

    QLabel *lblTrainers = nullptr;
    QSplitter *splitMain = nullptr;

    QMenu *mnuFile = nullptr;
    QMenu *mnuSetup = nullptr;
    QMenu *mnuHelp = nullptr;
    // The menu bar's items, held from their creation: the command objects that do their work
    // enable and connect them through these, so an item cannot be left dead by a renamed lookup.
    QAction *mnuEditJockey = nullptr;
    QAction *mnuBackupDatabase = nullptr;
    QAction *mnuBackups = nullptr;
    QAction *mnuRepairDB = nullptr;
    QAction *mnuRemove = nullptr;
    QAction *mnuImportWeights = nullptr;
    QAction *mnudebugtoggle = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *MnuBookTemp = nullptr;
    QAction *mnuBookRate = nullptr;
    QAction *mnuSystemSettings = nullptr;

    // The status bar. The window's own code reports through the program-wide ::showStatus, which
    // reaches it only while it is the installed sink (never while it is being destroyed).
    void showStatus(const QString &text) override;
    // "WHAT: N meetings, N trainers, N jockeys" after a command that changed the lists.
    void showListCounts(const QString &what);

    // The lists' models (columns numbered from 1 as in mainlists::noms / mainlists::names).
    ListModel *meetingModel() const { return m_meetings; }
    ListModel *jockeyModel() const { return m_jockeys; }
    ListModel *trainerModel() const { return m_trainers; }
    ListModel *nomsModel() const { return m_noms; }
    // The nominations list as the booking operations update it.
    BookingGrid &nomsGrid();

    // The codes of the selected meetings, in list order.
    QStringList selectedMeetingCodes() const;
    // The trainer whose nominations are shown (empty for none), as stored.
    QString chosenTrainer() const { return m_chosenTrainer; }
    // The trainers-list row of the chosen trainer (0 when it is not listed).
    int chosenTrainerRow() const;
    // The jockey of the selected jockey-list row (empty for none).
    QString selectedJockey() const;
    // The filters the trainers and nominations lists are read with.
    mainlists::ListFilter currentFilter() const;
    // "( 'A', 'B')" built by "&Refresh"; empty when every meeting is shown.
    QString currentMeetingsFilter() const;

    // List reloads: the meetings list (cmdMtgRfs); the jockey list with cmbJockey and the
    // managed-jockeys list; the trainers list under the current filters; the chosen trainer's
    // nominations; and "&Refresh" (filter from the selected meetings, trainers re-read,
    // nominations, race details and trainer boxes emptied).
    void reloadMeetings();
    void reloadJockeys();
    void reloadTrainers();
    void reloadNoms();
    void refresh();

signals:
    // Windows of other parts that the lists open.
    void horseFormRequested(const QString &horse);
    void trainerFormRequested(const QString &trainer);
    // The race window on a meeting's race (0: the meeting view).
    void raceWindowRequested(const QString &meetingCode, int raceNumber);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MainWindow(QWidget *parent = nullptr);
    void buildWidgets();
    void buildMenus();
    void restoreLayout();
    // The trainers list in the stored order (after it was filled).
    void restoreTrainerSort();
    // Draws the shown window at once, before the event loop would.
    void drawNow();
    void fitDefaultLayout();
    void storeLayout();
    // The ride refresh and the automatic backup, once the window shows.
    void startBackgroundWork();
    void showAbout();
    void resetRaceWindow();
    // The gestures' handlers, reached through the widgets' signals; rows and columns numbered from 1.
    // Choosing a trainer-list row; false when it was refused (ignored trainer).
    bool chooseTrainer(int row);
    // Shows the race of a nominations-list row in txtRace (when it is not already shown).
    void showRaceOf(int row);
    // A header click on grdNames or grdNoms.
    void sortList(QTableView *grid, int column);
    // A jockey dropped at a point of grdNoms' viewport; false when not over a cell.
    bool dropJockey(const QPoint &viewportPos, const QString &jockey);
    // A double click or key press on a nominations cell.
    void editRequest(int row, int column);
    // The lists and the chosen trainer (MainWindowLists.cpp); the booking gestures (MainWindowBookings.cpp).
    void connectLists();
    void connectBookings();
    void updateUndoItems();
    void addData();
    void getData();
    void saveContact(mainlists::ContactField field);
    void weightEdited();
    // Meetings, trainers and the chosen trainer's nominations after fields were loaded or downloaded.
    void reloadAfterFields();
    // Runs a booking gesture on a nominations row and tells in the status bar what it changed.
    template <typename Gesture> void bookingGesture(int row, Gesture gesture);
    void reportBooking(int row, const QString &before);
    QString bookingOfRow(int row) const;
    void highlightChosenTrainer();
    bool isIgnoredTrainer(int row) const;
    // A new current row of grdNames: its trainer is chosen, or refused (ignored) after the gesture.
    void followTrainerRow(int row);

    ListModel *m_meetings = nullptr;
    ListModel *m_jockeys = nullptr;
    ListModel *m_trainers = nullptr;
    ListModel *m_noms = nullptr;
    QStringList m_meetingsFilter;
    QString m_chosenTrainer;
    QString m_raceMeeting;
    int m_raceNumber = -1;
    NominationPick *m_jockeyPick = nullptr;
    NominationPick *m_statePick = nullptr;
    bool m_loaded = false;
    BackgroundJob *m_rideRefresh = nullptr;
    BackgroundJob *m_backup = nullptr;
    static MainWindow *s_instance;
};
