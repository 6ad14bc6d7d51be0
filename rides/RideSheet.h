#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// One booked ride of a managed jockey as the jockey needs it on the day: where, when, on what,
// for whom, and what about it needs a word before they leave home.
struct Ride {
    QString jockey;
    QDate date;
    QTime localTime; // the meeting's own clock; invalid when the field gives no time
    QDateTime start; // the same moment in UTC; invalid when the time is not known
    QString meetingCode;
    QString location;
    QString state;
    int raceNumber = 0;
    QString horse;
    int barrier = 0;      // 0: not drawn yet
    int weightTenths = 0; // 0: not weighted yet
    QString claim;        // the booked rider's apprentice claim as the field writes it ("2", "1.5"), or empty
    QString trainer;
    QString phone;
    QString bookingState;
    QStringList warnings;

    QString timeText() const;    // "HH:MM", empty when unknown
    QString weightText() const;  // "56.5", "56.5 (a2)", empty when not weighted
    QString warningText() const; // the warnings joined by "; "
};

namespace ridesheet {

// The columns of the window and the printed sheet.
QStringList columnHeads(bool withJockey);
QStringList cells(const Ride &ride, bool withJockey);

// The time zone of an Australian state's clocks ("VIC", "WA", ...); an unknown code gives the
// zone of the agent's own state.
QTimeZone stateTimeZone(const QString &state);

// Every booked ride of `jockey` (all managed jockeys for an empty name) on `days` days from
// `first`: by jockey, then in the order the races start, whatever state's clock they run on.
QList<Ride> readRides(const QString &jockey, const QDate &first, int days = 1);

// The first day after `today` with a booked ride of the jockey (all for empty); the next day
// when nothing is booked.
QDate nextDayWithRides(const QString &jockey, const QDate &today);

// The managed jockeys, by name.
QStringList managedJockeys();
// The managed jockey of that name or full name (case aside), as the Jockey table writes it; empty
// when there is none.
QString managedJockeyNamed(const QString &name);

// date, start time, meeting code, race number, horse, barrier, weight, trainer, phone,
// booking state, warning: tab-separated.
QString rideLine(const Ride &ride);

// The rides as a message a jockey reads on a phone: a heading per jockey and day, a line per ride.
QString messageText(const QList<Ride> &rides);

} // namespace ridesheet
