#include "BackgroundJob.h"

#include <QThread>

BackgroundJob::BackgroundJob(QObject *parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob()
{
    if (!m_thread)
        return;
    m_thread->requestInterruption();
    // Ends the event loop of a request that is waiting for its answer.
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

bool BackgroundJob::start(Work work)
{
    if (isRunning())
        return false;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
    m_thread = QThread::create([this, work = std::move(work)] {
        const QString outcome = work([this](const QString &text) { emit progress(text); });
        emit finished(outcome);
    });
    m_thread->start(QThread::LowPriority);
    return true;
}

bool BackgroundJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void BackgroundJob::wait()
{
    if (m_thread)
        m_thread->wait();
}

bool BackgroundJob::stopRequested()
{
    return QThread::currentThread()->isInterruptionRequested();
}
