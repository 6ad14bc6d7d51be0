#include "BookingOperations.h"

#include "BookedEntry.h"
#include "BookingGrid.h"
#include "DoubleBooking.h"
#include "RaceRunners.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCr = u"\r"_s;

bool isMainNominationsGrid(const BookingGrid &grid)
{
    return grid.gridName() == "grdNoms"_L1;
}

// Paints the row from column `first` on, except `except`, as the grid paints a booked row when
// it is filled: the runners grid leaves its race label, trainer's location and barrier sort
// cells alone, and a last rider with a colour of their own keeps it.
void paintRow(BookingGrid &grid, int row, int first, const QColor &color, int except = 0)
{
    namespace col = racewindow::col;
    const bool runners = !isMainNominationsGrid(grid);
    for (int c = first; c <= grid.columnCount(); ++c) {
        if (c == except || (runners && (c == col::RaceDetails || c == col::TrainerLoc || c == col::BarrBallotSort)))
            continue;
        const QColor own = runners && c == col::LastJockey ? grid.drawnBackColor(row, c) : QColor();
        grid.setCellBackColor(row, c, own.isValid() ? own : color);
    }
}

struct StoredBooking {
    qint64 rowId = 0;
    QString jockey; // empty for a booking that holds only a state
};

// The nomination's booking (meeting code + horse); the first one when a horse was booked twice.
std::optional<StoredBooking> findBooking(Db &db, const QString &meetingCode, const QString &horse)
{
    QSqlQuery query =
        db.exec(u"SELECT rowid, Jockey FROM Bookings WHERE MeetingCode = ? AND Horse = ?"_s, {meetingCode, horse});
    if (!query.next())
        return std::nullopt;
    return StoredBooking{query.value(0).toLongLong(), query.value(1).toString()};
}

void deleteBookingRow(Db &db, qint64 rowId)
{
    db.exec(u"DELETE FROM Bookings WHERE rowid = ?"_s, {rowId});
}

} // namespace

int bookingJockeyColumn(const BookingGrid &grid)
{
    return isMainNominationsGrid(grid) ? 10 : 14;
}

int bookingStateColumn(const BookingGrid &grid)
{
    return isMainNominationsGrid(grid) ? 13 : 16;
}

QString formatKilograms(double kilograms)
{
    return QString::number(kilograms, 'f', 1) + " kg"_L1;
}

void BookJockey(BookingGrid &grid, int row, int column, const QString &jockey, const QString &horse,
                const QString &meetingCode, const QString &raceCode, const QString &trainer, const QColor &color)
{
    // The jockey cell also shows the jockey the field names when nothing is booked: only a
    // booking counts as "already booked", and booking the field's own rider asks nothing.
    const bool removal = jockey == kDeleteJockey;
    UserDialogs &dialogs = UserDialogs::instance();
    QString fieldJockey;
    {
        Db db = OpenDb();
        if (refuseOtherRace(db, meetingCode, horse, raceCode))
            return;
        const std::optional<StoredBooking> booking = findBooking(db, meetingCode, horse);
        const QString booked = booking ? booking->jockey : QString();
        if (!removal && booked.compare(jockey, Qt::CaseInsensitive) == 0)
            return;
        if (removal) {
            if (!booked.isEmpty() &&
                !dialogs.askYesNo(u"Confirm Jockey ride"_s,
                                  booked + " Confirm Removal of booking from "_L1 + kCr + "Horse "_L1 + horse))
                return;
        } else if (!booked.isEmpty()) {
            if (!dialogs.askYesNo(u"Confirm Jockey ride"_s, booked + " Already booked for this ride are you sure"_L1 +
                                                                kCr + "you wish replace with "_L1 + jockey))
                return;
        }

        const QVariant ignore =
            db.scalar(u"SELECT IgnoreTrainer FROM Trainer WHERE TrainerName = ?"_s, {trainer});
        if (ignore.isValid() && ignore.toInt() != 0) {
            dialogs.message(u"Error"_s, "Trainer "_L1 + trainer + " set to ignore cannot make bookings"_L1,
                            UserDialogs::Icon::Critical);
            return;
        }

        // A jockey already riding in this race or elsewhere that day is booked only when the agent says so.
        if (!removal && !confirmClashingRide(db, jockey, meetingCode, horse))
            return;

        if (booking) {
            if (removal) {
                deleteBookingRow(db, booking->rowId);
            } else {
                // A new jockey takes over the ride; the booking's state and confirmation stay.
                db.exec(u"UPDATE Bookings SET Jockey = ? WHERE rowid = ?"_s, {jockey, booking->rowId});
            }
        } else if (!removal) {
            db.exec(u"INSERT INTO Bookings (Jockey, MeetingCode, RaceCode, Horse, TrainerName, BookingSelection) "
                    "VALUES (?, ?, ?, ?, ?, ?)"_s,
                    {jockey, meetingCode, raceCode, horse, trainer, kPlanned});
        }
        if (removal)
            fieldJockey =
                db.scalar(u"SELECT Jockey FROM Noms WHERE MeetingCode = ? AND Horse = ?"_s, {meetingCode, horse})
                    .toString();
    }

    const int stateColumn = bookingStateColumn(grid);
    if (removal) {
        // The row shows what it shows without a booking: the field's jockey, if it names one.
        grid.setCellText(row, column, fieldJockey);
        grid.setCellText(row, stateColumn, QString());
        grid.setCellIcon(row, stateColumn, 0);
        paintRow(grid, row, 2, color);
    } else {
        // The cell reads "Planned" even when the stored state stayed: the agent has just booked the ride.
        grid.setCellText(row, column, jockey);
        grid.setCellText(row, stateColumn, kPlanned);
        grid.setCellBackColor(row, column, color);
    }
}

void SetBookingState(BookingGrid &grid, int row, int column, const QString &state, const QString &meetingCode,
                     const QString &raceCode, const QString &horse, const QString &trainer)
{
    const QString cell = grid.cellText(row, column);
    if (cell == state)
        return;

    if (Db db = OpenDb(); refuseOtherRace(db, meetingCode, horse, raceCode))
        return;
    const bool removal = state == kRemoveBooking;
    if (removal && !cell.isEmpty()
        && !UserDialogs::instance().askYesNo(u"Confirm Removal"_s,
                                             "Remove Text : "_L1 + cell + kCr + "  from Horse "_L1 + horse))
        return;

    {
        Db db = OpenDb();
        const std::optional<StoredBooking> booking = findBooking(db, meetingCode, horse);
        if (booking) {
            if (removal)
                deleteBookingRow(db, booking->rowId);
            else
                db.exec(u"UPDATE Bookings SET BookingSelection = ?, Confirmed = 0 WHERE rowid = ?"_s,
                        {state, booking->rowId});
        } else if (!removal) {
            db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, BookingSelection) "
                    "VALUES (?, ?, ?, ?, ?)"_s,
                    {meetingCode, raceCode, horse, trainer.left(30), state});
        }
    }

    const int jockeyColumn = bookingJockeyColumn(grid);
    if (removal) {
        grid.setCellText(row, column, QString());
        grid.setCellText(row, jockeyColumn, QString());
        grid.setCellIcon(row, column, 0);
        grid.resetRowColors(row);
        return;
    }
    if (state == kConfirmed) {
        paintRow(grid, row, 1, grid.cellBackColor(row, jockeyColumn), jockeyColumn);
    }
    grid.setCellText(row, column, state);
}

bool ConfirmBooking(BookingGrid &grid, int row, int /*column*/, const QString &meetingCode, const QString &raceCode,
                    const QString &horse, const QColor &color)
{
    {
        Db db = OpenDb();
        if (refuseOtherRace(db, meetingCode, horse, raceCode))
            return false;
        // A booking belongs to the nomination (meeting + horse), as every other booking operation finds it.
        const int confirmed = db.exec(u"UPDATE Bookings SET Confirmed = 1, BookingSelection = ? "
                                      "WHERE MeetingCode = ? AND Horse = ?"_s,
                                      {kConfirmed, meetingCode, horse.trimmed()})
                                  .numRowsAffected();
        if (confirmed == 0) {
            // The row shows a booking the database no longer holds (a reload removed it meanwhile).
            UserDialogs::instance().message(u"Confirm Jockey ride"_s,
                                            u"No booking of %1 is stored for this meeting; nothing was confirmed. "
                                            "Refresh the list to see the bookings as they are."_s.arg(horse.trimmed()),
                                            UserDialogs::Icon::Exclamation);
            return false;
        }
    }

    const int stateColumn = bookingStateColumn(grid);
    grid.setCellText(row, stateColumn, kConfirmed);
    grid.setCellIcon(row, stateColumn, kConfirmedIcon);
    paintRow(grid, row, 1, color);
    return true;
}

bool AskToConfirmRide(const QString &jockey, const QString &horse)
{
    return UserDialogs::instance().askYesNo(u"Confirm Booking"_s, u"Confirm %1 on %2?"_s.arg(jockey, horse),
                                            UserDialogs::Icon::Question, UserDialogs::Answer::No);
}

void FollowNominationRaceCodes(Db &db, const QString &meetingCode)
{
    db.exec(u"UPDATE Bookings SET RaceCode = (SELECT N.RaceCode FROM Noms N WHERE N.MeetingCode = Bookings.MeetingCode "
            "AND N.Horse = Bookings.Horse ORDER BY N.RaceNumber LIMIT 1) "
            "WHERE MeetingCode = ? "
            "AND EXISTS (SELECT 1 FROM Noms N WHERE N.MeetingCode = Bookings.MeetingCode AND N.Horse = Bookings.Horse) "
            "AND NOT EXISTS (SELECT 1 FROM Noms N WHERE N.MeetingCode = Bookings.MeetingCode "
            "AND N.Horse = Bookings.Horse AND N.RaceCode = Bookings.RaceCode)"_s,
            {meetingCode});
}
