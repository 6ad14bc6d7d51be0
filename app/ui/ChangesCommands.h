#pragma once

#include <QObject>
#include <QPointer>

class FrmChanges;
class MainWindow;
class QAction;

// The main window's way to the "Changes" window: a File menu item and a toolbar button that
// shows how many changes are unseen; after a load or a batch of downloads the window opens on
// what that load changed.
class ChangesCommands final : public QObject
{
    Q_OBJECT
public:
    explicit ChangesCommands(MainWindow *window);

    // Re-reads the number of unseen changes into the toolbar button.
    void refreshCount();
    // Opens the window on the changes the loads since the last call recorded (nothing when none).
    void showLoadedChanges();
    void showUnseen();

    QAction *mnuChanges = nullptr;
    QAction *cmdChanges = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectWindow(FrmChanges *changes);

    MainWindow *m_window;
    QPointer<FrmChanges> m_connected;
};
