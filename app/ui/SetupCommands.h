#pragma once

#include <QObject>

class MainWindow;
class MainWindowCommands;

// The main window's entries that open the editors: "Edit Jockey", "Edit Trainer" (trainers
// pop-up), "Booking Templates", "Riding Fees" and "System Settings", with the list reloads
// that follow them.
class SetupCommands final : public QObject
{
    Q_OBJECT
public:
    SetupCommands(MainWindow *window, const MainWindowCommands &commands);

private:
    void editJockey();
    void editTrainer();
    void bookingTemplates();
    void ridingFees();
    void systemSettings();

    MainWindow *m_window;
};
