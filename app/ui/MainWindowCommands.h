#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class MainWindow;
class QAction;
class QMenu;
class QPoint;
class QTableView;

// The main window's menu commands and the pop-up menus of its four lists. The rules live in
// the maintenance commands of the core; this side only reads the window's selections, calls
// them and refreshes the lists.
class MainWindowCommands final : public QObject
{
    Q_OBJECT
public:
    explicit MainWindowCommands(MainWindow *window);

    // The pop-up menus by control name: mnuPUMenu (meetings), MnuPUNoms (nominations),
    // mnuPUNames (trainers), MnuPuJockey (jockeys).
    QMenu *mnuPUMenu = nullptr;
    QMenu *MnuPUNoms = nullptr;
    QMenu *mnuPUNames = nullptr;
    QMenu *MnuPuJockey = nullptr;
    // Pop-up items whose work other command objects own: created disabled, enabled where they are wired.
    QAction *mnuMeetingForm = nullptr;
    QAction *MnuHorseForm = nullptr;
    QAction *mnuVicRatings = nullptr;
    QAction *mnuNomsRBForm = nullptr;
    QAction *mnuRego = nullptr;
    QAction *mnuTrainerStats = nullptr;
    QAction *mnuEditTrainer = nullptr;
    QAction *MnuTrainJockForm = nullptr;
    QAction *mnuPrvRides = nullptr;

private:
    // The pop-up that a right click at `pos` (viewport coordinates) of `grid` opens, made ready
    // to show ("Set Remaining Status to" shown or hidden); nullptr for another widget.
    QMenu *popupFor(QTableView *grid, const QPoint &pos);
    void connectMenuBar();
    void buildPopups();
    void showPopup(QTableView *grid, const QPoint &pos);

    void backupDatabase();
    void showBackups();
    void compactDatabase();
    void removeUnwantedData();
    void toggleDebugMode();
    void importWeights();
    void deleteMeetings();
    void setRemainingStatus();
    void trainerJockeyStrikeRate();
    void reloadJockeyFormData();
    void selectJockeyForIcons();

    QString selectedJockey() const;
    // The list reloads go through the window's own buttons, the same actions the agent has.
    void reloadMeetings();
    void refresh();
    // Every jockey of the jockey list, in its order.
    QStringList jockeyNames() const;
    // Bolds the icon jockey's row of the jockey list (none for an empty name).
    void highlightJockey(const QString &jockey);

    MainWindow *m_window;
    QAction *m_updateStatus = nullptr;
};
