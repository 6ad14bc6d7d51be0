#pragma once

#include <QObject>

class MainWindow;

// The main window's entries that open the editors: "Edit Jockey", "Edit Trainer" (trainers
// pop-up), "Booking Templates", "Riding Fees" and "System Settings", with the list reloads
// that follow them.
class SetupCommands final : public QObject
{
    Q_OBJECT
public:
    explicit SetupCommands(MainWindow *window);

    void editJockey();
    void editTrainer();
    void bookingTemplates();
    void ridingFees();
    void systemSettings();

private:
    MainWindow *m_window;
};
