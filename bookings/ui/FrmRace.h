#pragma once

#include "bookings/BookingUndo.h"
#include "bookings/MainLists.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QDialog>
#include <QHash>

class ListModel;
class NominationPick;
class RunnerModel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class QTextEdit;

// The agent's working sheet for one meeting: one race (race view) or every race grouped
// (meeting view, race number 0). Books jockeys through the booking operations, edits a
// trainer's contact details, calculates weights, fetches ratings and form, prints the meeting.
class FrmRace final : public QDialog
{
    Q_OBJECT
public:
    // `level` is the meeting level handed over by the caller (compared with "NOM").
    FrmRace(const QString &meetingCode, const QString &level, int raceNumber, QWidget *parent = nullptr);
    ~FrmRace() override;

    // Opens the window modally for the meeting (its own level) and race; true when it opened.
    static void open(QWidget *parent, const QString &meetingCode, int raceNumber);

    QLineEdit *txtMeeting = nullptr;
    QLineEdit *txtMeetingDetails = nullptr;
    QLineEdit *txtMeetingType = nullptr;
    QLabel *lblState = nullptr;
    QLabel *lblMetro = nullptr;
    QLabel *lblRaceType = nullptr;
    QLabel *lblRaceTxt = nullptr;
    QComboBox *cmbRaceType = nullptr;
    QTextEdit *txtRace = nullptr;
    QTableView *grdMeeting = nullptr;
    QTableView *grdRaces = nullptr;
    QTableView *grdJockey = nullptr;
    QTableView *grdRace = nullptr;
    QComboBox *cmbJockey = nullptr;
    QComboBox *cmbBookText = nullptr;
    QLineEdit *txtTrainLocation = nullptr;
    QLineEdit *TxtTrainPhone = nullptr;
    QLineEdit *txtTrainMobile = nullptr;
    QPushButton *cmdCalcWgts = nullptr;
    QPushButton *CmdUpdExtra = nullptr;
    QPushButton *cmdRating = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdExit = nullptr;
    QLabel *lblJockey = nullptr;
    QLabel *lblBackColor = nullptr;
    QSplitter *splitRace = nullptr;
    QSplitter *splitLists = nullptr;
    QMenu *raceMenu = nullptr;
    QMenu *jockeyMenu = nullptr;

    RunnerModel *runners() const { return m_runners; }
    ListModel *jockeys() const { return m_jockeys; }
    ListModel *races() const { return m_races; }
    ListModel *meetings() const { return m_meetings; }
    bool meetingView() const { return m_meetingView; }
    int currentRace() const { return m_race; }
    QString currentMeeting() const { return m_meeting; }
    // True when a booking, rating or weight changed while the window was open.
    bool changedBookings() const { return m_changed; }

    // The runner row of a horse (0 when it is not shown): in the given race, or the first one listed.
    int rowOfHorse(const QString &horse, int race = 0) const;

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The gestures' handlers, reached through the widgets' signals; rows and columns numbered from 1.
    void clickRunner(int row, int column, bool rightButton = false);
    void doubleClickRunner(int row, int column);
    void editRequest(int row, int column);
    void clickRace(int row);
    void clickMeeting(int row);
    void sortRunners(int column);
    // Drops a dragged jockey onto a runner row.
    bool dropJockey(int runnerRow, const QString &jockey);
    void selectJockeyForIcons(int jockeyRow);
    void calculateWeights();
    void updateRatings();
    void updateExtras();
    void printMeeting();
    // An item of the runners' pop-up menu ("Horse Form", "Rating", "Rego", "Jockey", "Trainer") for a row.
    void raceMenuChosen(int row, const QString &key);

    void buildWidgets();
    void buildMenus();
    void connectSignals();
    void loadAll();
    void loadMeetingHeader();
    void loadRaceHeader();
    void loadRaceList();
    void loadRunners();
    void loadJockeys();
    // "Caculate &Weights" and the race-type controls for the race shown.
    void updateWeightControls();
    void restoreLayout();
    void storeLayout();
    void applyGroupSpans();
    void fillTrainerBoxes(int row);
    void saveContact(mainlists::ContactField field);
    QString raceCodeOfRow(int row) const;
    // Runs a booking gesture; the window reports a change when it closes.
    template <typename Gesture> void bookingGesture(Gesture gesture);
    void startJockeyDrag(int row);

    QString m_meeting;
    QString m_level;
    int m_race = 0;
    bool m_meetingView = false;
    QString m_columnsLevel;
    QString m_trainer;
    QHash<int, QString> m_raceCodes;
    NominationPick *m_jockeyPick = nullptr;
    NominationPick *m_statePick = nullptr;
    int m_menuRow = 0;
    bool m_changed = false;

    ListModel *m_meetings = nullptr;
    ListModel *m_races = nullptr;
    ListModel *m_jockeys = nullptr;
    RunnerModel *m_runners = nullptr;
};

template <typename Gesture> void FrmRace::bookingGesture(Gesture gesture)
{
    const BookingUndo::Gesture undoable(BookingUndo::session(), bookinghistory::Source::RaceWindow);
    runGuarded([&] {
        if (gesture())
            m_changed = true;
    });
}
