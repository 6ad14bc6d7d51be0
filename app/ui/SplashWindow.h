#pragma once

#include "core/StatusSink.h"

#include <QWidget>

class QLabel;
class QTimer;
class MainWindow;

// The first window: loads the settings, runs the first-start migration and then opens the main
// window, whose start-up steps it shows in its status line; the start sound plays once the main
// window is up.
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
