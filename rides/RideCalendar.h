#pragma once

#include "RideSheet.h"

#include <QByteArray>

namespace ridecalendar {

// An iCalendar file of the rides: a ten-minute event each at its start in UTC (a race of
// unknown time is a whole-day event), the track as location, the trainer, phone and booking
// state in the description. The UID follows the booking (meeting and horse), so importing a
// later file moves the event instead of adding another. `stamp` is the file's DTSTAMP.
QByteArray calendarText(const QList<Ride> &rides, const QDateTime &stamp);
bool writeCalendar(const QString &path, const QList<Ride> &rides, const QDateTime &stamp, QString *why);

// "R5 HORSE (barrier 3, 56.5 kg)"
QString summary(const Ride &ride);
QString uid(const Ride &ride);

// A TEXT value with backslash, semicolon, comma and line breaks escaped.
QString escapeText(const QString &text);
// A content line cut into lines of at most 75 octets (never inside a character), joined by CRLF
// and a blank.
QByteArray foldLine(const QByteArray &line);

} // namespace ridecalendar
