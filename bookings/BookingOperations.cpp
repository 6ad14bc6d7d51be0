#include "BookingOperations.h"

#include "BookingGrid.h"
#include "DoubleBooking.h"
#include "RaceRunners.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "people/RiderName.h"

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

void ConfirmBooking(BookingGrid &grid, int row, int /*column*/, const QString &meetingCode, const QString &raceCode,
                    const QString &horse, const QColor &color)
{
    {
        Db db = OpenDb();
        QSqlQuery query = db.exec(u"SELECT rowid FROM Bookings WHERE MeetingCode = ? AND RaceCode = ? AND Horse = ?"_s,
                                  {meetingCode, raceCode, horse});
        if (query.next()) {
            const qint64 rowId = query.value(0).toLongLong();
            query.finish();
            db.exec(u"UPDATE Bookings SET Confirmed = 1, BookingSelection = ? WHERE rowid = ?"_s, {kConfirmed, rowId});
        }
    }

    const int stateColumn = bookingStateColumn(grid);
    grid.setCellText(row, stateColumn, kConfirmed);
    grid.setCellIcon(row, stateColumn, kConfirmedIcon);
    paintRow(grid, row, 1, color);
}

bool AskToConfirmRide(const QString &jockey, const QString &horse)
{
    return UserDialogs::instance().askYesNo(u"Confirm Booking"_s, u"Confirm %1 on %2?"_s.arg(jockey, horse),
                                            UserDialogs::Icon::Question, UserDialogs::Answer::No);
}

namespace {

// Nothing to compare: a field that is not final and names neither a jockey nor a weight.
bool nothingToCheck(const QString &fieldJockey, const QString &meetingLevel, qint16 weightTenths)
{
    return meetingLevel != "ACP"_L1 && fieldJockey.isEmpty() && weightTenths == 0;
}

// "Booking was", "Trainer was" (with the trainer's numbers) and the closing question.
QString bookingDetails(Db &db, const QString &selection, const QString &trainer)
{
    QString text = kCr + kCr + "Booking was : "_L1 + selection + kCr + kCr + "Trainer was : "_L1 + trainer;
    QSqlQuery phones = db.exec(u"SELECT TrainerMobile, Phone FROM Trainer WHERE TrainerName = ?"_s, {trainer});
    if (phones.next()) {
        const QString mobile = phones.value(0).toString();
        const QString phone = phones.value(1).toString();
        if (!mobile.isEmpty())
            text += u' ' + mobile;
        if (!phone.isEmpty())
            text += u' ' + phone;
    }
    return text + kCr + kCr + "Select Yes to remove your booking"_L1;
}

} // namespace

void CheckBookedRide(Db &db, const QString &fieldJockey, const QString &meetingCode, const QString &horse,
                     const QString &meetingLevel, qint16 weightTenths)
{
    if (nothingToCheck(fieldJockey, meetingLevel, weightTenths))
        return;

    // Neither a title ("Ms Anna Lee") nor an apprentice's claim ("J Smith (a2)") is part of the name.
    const QString jockey = plainRiderName(fieldJockey);

    QString selection, trainer, fullName;
    double rideWeight = 0;
    bool sameJockey = false;
    {
        // FullName compares as its column does (without case), as the field prints names in capitals at times.
        QSqlQuery query = db.exec(
            u"SELECT B.Jockey, Confirmed, BookingSelection, TrainerName, FullName, Ridewgt, FullName = ? "
            "FROM Bookings B, Jockey J "
            "WHERE MeetingCode = ? AND Horse = ? AND J.Jockey = B.Jockey AND (FullName > '' OR Ridewgt > 0)"_s,
            {jockey, meetingCode, horse});
        if (!query.next())
            return;
        selection = query.value(2).toString();
        trainer = query.value(3).toString();
        fullName = query.value(4).toString();
        rideWeight = query.value(5).toDouble();
        sameJockey = query.value(6).toInt() != 0;
    }

    UserDialogs &dialogs = UserDialogs::instance();
    const QString title = u"Jockey booking Error"_s;
    if (!fullName.isEmpty() && !sameJockey && (meetingLevel == "ACP"_L1 || !jockey.isEmpty())) {
        const QString text = meetingLevel + " For meeting has "_L1 + (jockey.isEmpty() ? u"No Jockey"_s : jockey) + kCr
                             + kCr + "Booked On Horse : "_L1 + horse + kCr + kCr
                             + "You had previously booked your Jockey :"_L1 + fullName + " on that Horse"_L1
                             + bookingDetails(db, selection, trainer);
        if (dialogs.message(title, text, UserDialogs::Icon::Exclamation, UserDialogs::Buttons::YesNo,
                            UserDialogs::Answer::No)
            == UserDialogs::Answer::Yes)
            db.exec(u"DELETE FROM Bookings WHERE MeetingCode = ? AND Horse = ?"_s, {meetingCode, horse});
        return;
    }

    const double weight = weightTenths / 10.0;
    if (weightTenths >= 1 && rideWeight > weight) {
        const QString text = meetingLevel + " For meeting has Weight of "_L1 + formatKilograms(weight) + kCr + kCr
                             + " for Horse "_L1 + horse + kCr + kCr + " you have booked Jockey "_L1 + fullName + kCr
                             + kCr + " who has a ride weight of "_L1 + formatKilograms(rideWeight)
                             + bookingDetails(db, selection, trainer);
        if (dialogs.message(title, text, UserDialogs::Icon::Exclamation, UserDialogs::Buttons::YesNo,
                            UserDialogs::Answer::No)
            == UserDialogs::Answer::Yes)
            db.exec(u"DELETE FROM Bookings WHERE MeetingCode = ? AND Horse = ?"_s, {meetingCode, horse});
    }
}

void CheckBookedRide(const QString &fieldJockey, const QString &meetingCode, const QString &horse,
                     const QString &meetingLevel, qint16 weightTenths)
{
    if (nothingToCheck(fieldJockey, meetingLevel, weightTenths))
        return;
    Db db = OpenDb();
    CheckBookedRide(db, fieldJockey, meetingCode, horse, meetingLevel, weightTenths);
}
