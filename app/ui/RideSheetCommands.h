#pragma once

#include <QObject>

class MainWindow;
class MainWindowCommands;
class QAction;
class QMenu;

// The main window's ways to a jockey's day and season: a Jockeys menu (on the jockey chosen in the
// list, else every jockey), and
// items of the jockey list's pop-up menu for the jockey chosen there.
class RideSheetCommands final : public QObject
{
    Q_OBJECT
public:
    RideSheetCommands(MainWindow *window, const MainWindowCommands &commands);

    QMenu *mnuJockeys = nullptr;
    QAction *mnuRideSheet = nullptr;
    QAction *mnuSeason = nullptr;
    QAction *mnuJockeyRideSheet = nullptr;
    QAction *mnuJockeySeason = nullptr;

private:
    QString selectedJockey() const;

    MainWindow *m_window;
};
