#pragma once

#include "BookingGrid.h"

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// The booking gestures that the main window's nominations list and the race window's runners
// grid both offer, as one function each over the grid's named columns. Each runs the booking
// operation for the nomination of the row and then shows the row as it is stored.
namespace bookinggestures {

// A jockey dropped on a row or chosen in the jockey pick list; kDeleteJockey removes the booking.
bool bookJockey(BookingGrid &grid, int row, const QString &jockey);
// A choice in the booking-state pick list: a state text, kConfirmed or kRemoveBooking.
bool chooseState(BookingGrid &grid, int row, const QString &state);
// An edit request on another cell of a row (double click, key): a booked ride whose state is
// neither empty nor confirmed is confirmed when the agent says so.
bool confirmRequest(BookingGrid &grid, int row);

// "Select Jockey for Icons" on the jockey list's selected jockey (empty: none): narrows the icons
// to that jockey, or back to every jockey in `allJockeys` when it was already the one. Returns
// the jockey the list highlights now (empty: none), or nullopt after telling the agent to select one.
std::optional<QString> selectJockeyForIcons(const QString &selected, const QStringList &allJockeys);

// What dragging a jockey carries: the name as text, and the name with the jockey's stored colour.
QString jockeyMimeType();
QMimeData *jockeyDragData(const QString &jockey, const QString &storedColor);
// The dragged jockey's name; empty when the data carries none.
QString draggedJockey(const QMimeData &data);

} // namespace bookinggestures
