#pragma once

#include <QObject>

class MainWindow;
class QAction;

// The main window's ways to a jockey's day and season: File menu items for every jockey, and
// items of the jockey list's pop-up menu for the jockey chosen there.
class RideSheetCommands final : public QObject
{
    Q_OBJECT
public:
    explicit RideSheetCommands(MainWindow *window);

    QAction *mnuRideSheet = nullptr;
    QAction *mnuSeason = nullptr;
    QAction *mnuJockeyRideSheet = nullptr;
    QAction *mnuJockeySeason = nullptr;

private:
    QString selectedJockey() const;

    MainWindow *m_window;
};
