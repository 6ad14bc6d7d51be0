#pragma once

#include "Booking.h"
#include "BookingGrid.h"

#include <QColor>
#include <QString>

#include <optional>

using namespace Qt::Literals::StringLiterals;

class Db;
struct ListRow;

// The operations that change bookings, with or without a window. Each asks its questions and
// states its refusals through UserDialogs, writes the database and says whether it wrote.
// Database failures throw DbError to the caller.

// Pick-list items that remove a booking instead of naming a jockey or a state.
inline const QString kDeleteJockey = u"Delete Jockey"_s;
inline const QString kRemoveBooking = u"Remove Booking"_s;
inline const QString kPlanned = u"Planned"_s;
inline const QString kConfirmed = u"Confirmed"_s;
// The state a booking shows when a later field no longer lists its horse.
inline const QString kScratched = u"Scratched"_s;
// Image-list index of the "confirmed" mark in the booking-state cell.
inline constexpr int kConfirmedIcon = 7;

// The nomination's booking (meeting code + horse); the first one when a horse was booked twice.
std::optional<Booking> findBooking(Db &db, const QString &meetingCode, const QString &horse);
// The horse's booking of that jockey (names compared without case or surrounding blanks).
std::optional<Booking> findBookingOf(Db &db, const QString &meetingCode, const QString &horse, const QString &jockey);

// Every change of a booking row goes through here: without `before` it adds `after`, without
// `after` it removes `before`, with both it rewrites the row. Nothing happens when they agree.
// The change is appended to the booking history (with the current source) in the same
// transaction, and joins the open undoable gesture, if any.
void writeBooking(Db &db, const std::optional<Booking> &before, const std::optional<Booking> &after);

// Books `jockey` on the nomination, replaces the booked jockey (state and confirmation stay) or,
// with kDeleteJockey, removes the booking. Asks before replacing or removing a booking, and
// (default No) before booking a jockey heavier than the horse's weight, over a rider the field
// names, or where the jockey already rides that race or day. An ignored trainer is refused, and so
// is the entry of another race than the booking's (a horse entered twice): the agent is told.
bool BookJockey(const Nomination &nomination, const QString &jockey);

// Sets the booking's state text (not confirmed), creating a booking without a jockey when there
// is none; kConfirmed confirms, kRemoveBooking removes (after asking). Like BookJockey, it
// changes nothing on the entry of another race than the booking's.
bool SetBookingState(const Nomination &nomination, const QString &state);

// Marks the nomination's booking confirmed. Refused with a message when nothing is booked, the
// booking has no jockey, or the entry is another race's than the booking's.
bool ConfirmBooking(const Nomination &nomination);
// The question before a gesture other than the state pick list confirms a ride (a double click or a
// key on the row), so that a stray one cannot: "Confirm C Taylor on YARMONCHA?", default No.
bool AskToConfirmRide(const QString &jockey, const QString &horse);

// How a row shows a booking: the one rule for filling the lists and for updating a row after a
// gesture. The jockey cell takes the booked jockey's colour; a confirmed ride paints its whole
// row in it, except the grid's unpainted cells and a cell that keeps its own drawn colour.
// The other entry of a horse booked in another race of the meeting shows no booking of its own,
// only where it is booked ("Booked in race 5").
struct BookingLook {
    QString jockey;
    QColor jockeyColor;
    QString state;
    bool confirmed = false;
    static BookingLook bookedElsewhere(int raceNumber);
};
QColor bookedBackColor(const BookingColumns &columns, int column, const BookingLook &look, const QColor &drawn);
// Writes the booking into a freshly drawn line (after markDrawn): jockey (when one is booked),
// state, confirmed mark and colours.
void showBooking(ListRow &row, const BookingColumns &columns, const BookingLook &look);
// Re-reads the row's nomination and shows what is stored: the booking, or the field's rider.
void showStoredBooking(BookingGrid &grid, int row);

// After a field import has stored a meeting's nominations: a booking whose horse is now
// nominated under another race code (its distance or name changed) takes the nomination's code.
// Runs on the importer's open connection, inside its write transaction.
void FollowNominationRaceCodes(Db &db, const QString &meetingCode);

// "#0.0 kg": 56.5 gives "56.5 kg", 5 gives "5.0 kg".
QString formatKilograms(double kilograms);
