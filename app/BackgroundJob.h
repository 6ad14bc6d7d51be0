#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QThread;

// Work that must not hold the agent up (the ride refresh after start-up, an automatic backup): it
// runs on a thread of its own and reports through signals, which arrive on the windows' thread.
// The work must touch no widget and show nothing; QuietDialogs keeps its messages.
class BackgroundJob final : public QObject
{
    Q_OBJECT
public:
    using Progress = std::function<void(const QString &)>;
    // Returns the outcome, said once when the work ends.
    using Work = std::function<QString(const Progress &)>;

    explicit BackgroundJob(QObject *parent = nullptr);
    // Asks the work to stop (a request waiting on the network ends at once) and waits for it.
    ~BackgroundJob() override;

    // Starts the work unless some is still running; false then.
    bool start(Work work);
    bool isRunning() const;
    // Waits until the work has ended (tests, the end of the program).
    void wait();

    // True on the job's thread once the program is ending: the work stops at its next step.
    static bool stopRequested();

signals:
    void progress(const QString &text);
    void finished(const QString &outcome);

private:
    QThread *m_thread = nullptr;
};
