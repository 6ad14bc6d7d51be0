#pragma once

#include <QMainWindow>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTableView;
class QTextEdit;
class QComboBox;

// The agent's main window: meetings, managed jockeys, trainers with runners and the chosen
// trainer's nominations, with the commands of the menus and buttons.
class MainWindow final : public QMainWindow
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
    QLineEdit *txtTrainLocation = nullptr;
    QLineEdit *TxtTrainPhone = nullptr;
    QLineEdit *txtTrainMobile = nullptr;
    QLineEdit *txtWeight = nullptr;
    QSpinBox *UpDown1 = nullptr;
    QComboBox *cmbJockey = nullptr;
    QComboBox *cmbBookText = nullptr;

    QMenu *mnuFile = nullptr;
    QMenu *mnuSetup = nullptr;
    QMenu *mnuHelp = nullptr;

    // A menu action by its control name (nullptr when there is none).
    QAction *action(const QString &name) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit MainWindow(QWidget *parent = nullptr);
    void buildWidgets();
    void buildMenus();
    void restoreLayout();
    void storeLayout();
    void showAbout();
    void resetRaceWindow();

    bool m_loaded = false;
    static MainWindow *s_instance;
};
