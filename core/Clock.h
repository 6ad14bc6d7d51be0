#pragma once

#include <QDateTime>

// Today and now for every date rule, so that tests can fix the day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    QDate today() const { return now().date(); }

    static const Clock &instance();
    static void setInstance(const Clock *clock); // nullptr restores the system clock
};

// A clock that always reads the same moment.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime moment) : m_moment(std::move(moment)) {}
    QDateTime now() const override { return m_moment; }
    void set(const QDateTime &moment) { m_moment = moment; }

private:
    QDateTime m_moment;
};
