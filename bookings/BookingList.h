#pragma once

#include "BookingGrid.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The stored bookings as a list, and the nominations that commands without a window book on.
namespace bookinglist {

struct Filter {
    QString meetingCode; // empty: every meeting
    QDate date;          // invalid: every day
    QString jockey;      // empty: every jockey
};

struct Line {
    QString meetingCode;
    int raceNumber = 0; // 0 when the race is no longer on file
    QString time;       // "HH:MM", empty when not known
    QString horse;
    QString trainer;
    QString jockey;
    QString state;
    bool confirmed = false;
};

// In meeting date, meeting, race and horse order.
QList<Line> bookings(const Filter &filter);

// The nomination of a horse in a race of a meeting, with its stored spelling, race code and trainer.
std::optional<Nomination> nominationIn(const QString &meetingCode, int raceNumber, const QString &horse);
// The managed jockey of that name (any case) as stored; empty for none.
QString managedJockey(const QString &name);

} // namespace bookinglist
