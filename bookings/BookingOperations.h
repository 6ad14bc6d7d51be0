#pragma once

#include <QColor>
#include <QString>

class BookingGrid;
class Db;

// The operations that change bookings. Each writes the database first and then updates the
// calling grid row; questions and refusals go through UserDialogs. Database failures throw
// DbError to the calling window.

// Pick-list items that remove a booking instead of naming a jockey or a state.
inline const QString kDeleteJockey = QStringLiteral("Delete Jockey");
inline const QString kRemoveBooking = QStringLiteral("Remove Booking");
inline const QString kPlanned = QStringLiteral("Planned");
inline const QString kConfirmed = QStringLiteral("Confirmed");
// Image-list index of the "confirmed" mark in the booking-state cell.
inline constexpr int kConfirmedIcon = 7;

// Where a grid keeps the booked jockey and the booking state (1-based): the main window's
// nominations list ("grdNoms") differs from the race window's runners grid.
int bookingJockeyColumn(const BookingGrid &grid);
int bookingStateColumn(const BookingGrid &grid);

// Books `jockey` on the nomination (meeting code + horse), replaces the booked jockey (the
// state and confirmation stay) or, with kDeleteJockey, removes the booking. What is booked is
// read from the table, not from the cell, which shows the field's jockey where nothing is
// booked: replacing or removing a booked jockey is asked about, the field's rider is not.
// `column` is the jockey cell. `color` is the jockey's colour for the jockey cell, or for a
// removal the row colour that cells 2..last are painted in (invalid = grid default).
void BookJockey(BookingGrid &grid, int row, int column, const QString &jockey, const QString &horse,
                const QString &meetingCode, const QString &raceCode, const QString &trainer, const QColor &color);

// Sets the booking's state text (not confirmed), creating a booking without a jockey when there
// is none, or with kRemoveBooking removes the booking. `column` is the state cell. Like BookJockey,
// it changes nothing on the entry of another race than the booking's (the agent is told).
void SetBookingState(BookingGrid &grid, int row, int column, const QString &state, const QString &meetingCode,
                     const QString &raceCode, const QString &horse, const QString &trainer);

// Marks the booking of the nomination (meeting + horse) confirmed and paints the row in `color`
// (the runners grid keeps the cells it keeps when it is filled, such as a last rider's own
// colour). Without a stored booking nothing is stored, the agent is told and the row is left as
// it is: false. The state cell is the grid's booking-state column whatever cell the gesture was
// on (`column` is kept for the callers' symmetry). On the entry of another race than the booking's
// (a horse entered twice) nothing changes either: the agent is told, false.
bool ConfirmBooking(BookingGrid &grid, int row, int column, const QString &meetingCode, const QString &raceCode,
                    const QString &horse, const QColor &color);
// The question before a gesture other than the state pick list confirms a ride (a double click or a
// key on the row), so that a stray one cannot: "Confirm C Taylor on YARMONCHA?", default No.
bool AskToConfirmRide(const QString &jockey, const QString &horse);

// After a field import has stored a meeting's nominations: a booking whose horse is now
// nominated under another race code (its distance or name changed) takes the nomination's code.
// Runs on the importer's open connection, inside its write transaction.
void FollowNominationRaceCodes(Db &db, const QString &meetingCode);

// "#0.0 kg": 56.5 gives "56.5 kg", 5 gives "5.0 kg".
QString formatKilograms(double kilograms);
