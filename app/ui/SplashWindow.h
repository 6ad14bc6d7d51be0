#pragma once

#include "core/StatusSink.h"

#include <QWidget>

class QLabel;
class QTimer;
class MainWindow;

// The first window: plays the start sound, loads the settings, runs the first-start
// migration and then opens the main window. It shows the main
// window's start-up steps in its status line.
class SplashWindow final : public QWidget, public StatusSink
{
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *parent = nullptr);
    ~SplashWindow() override;

    void showStatus(const QString &text) override;
    // The load steps; call once after the window is shown.
    void load();

    QLabel *lblStatus = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblPlatform = nullptr;
    QTimer *TmrSplash = nullptr;

signals:
    // The main window was opened (or start-up ended); the splash is closing.
    void finished(MainWindow *window);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openMainWindow();
    bool m_opening = false;
};
