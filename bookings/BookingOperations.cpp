#include "BookingOperations.h"

#include "BookedEntry.h"
#include "BookingHistory.h"
#include "BookingUndo.h"
#include "DoubleBooking.h"
#include "ListRows.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "roster/RiderName.h"
#include "roster/StoredColor.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCr = u"\r"_s;
const QString kRideTitle = u"Confirm Jockey ride"_s;

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The trainer of the nomination is refused when set to ignore, for bookings and removals alike.
bool trainerMayBook(Db &db, const QString &trainer)
{
    const QVariant ignore = db.scalar(u"SELECT IgnoreTrainer FROM Trainer WHERE TrainerName = ?"_s, {trainer});
    if (!ignore.isValid() || ignore.toInt() == 0)
        return true;
    UserDialogs::instance().message(u"Error"_s, "Trainer "_L1 + trainer + " set to ignore cannot make bookings"_L1,
                                    UserDialogs::Icon::Critical);
    return false;
}

// What the current field says of the nomination against the jockey being booked: a riding weight
// above the horse's weight, or another rider already named. Each is asked about, default No.
bool fieldAllowsJockey(Db &db, const Nomination &nomination, const QString &jockey)
{
    QSqlQuery field = db.exec(u"SELECT N.Weight, N.Jockey, J.Ridewgt, J.FullName FROM Noms N LEFT JOIN Jockey J "
                              "ON J.Jockey = ? WHERE N.MeetingCode = ? AND N.Horse = ?"_s,
                              {jockey, nomination.meetingCode, nomination.horse});
    if (!field.next())
        return true;
    const int weight = field.value(0).toInt();
    const QString fieldRider = field.value(1).toString().trimmed();
    const double rideWeight = field.value(2).toDouble();
    const QString fullName = field.value(3).toString();
    UserDialogs &dialogs = UserDialogs::instance();
    if (weight > 0 && rideWeight > weight / 10.0 &&
        !dialogs.askYesNo(kRideTitle,
                          u"%1 rides at %2 but %3 carries %4. Book anyway?"_s.arg(
                              jockey, formatKilograms(rideWeight), nomination.horse, formatKilograms(weight / 10.0)),
                          UserDialogs::Icon::Question, UserDialogs::Answer::No))
        return false;
    const QString rider = plainRiderName(fieldRider);
    const bool ours = sameName(rider, plainRiderName(jockey)) || (!fullName.isEmpty() && sameName(rider, fullName));
    if (!rider.isEmpty() && !ours &&
        !dialogs.askYesNo(kRideTitle,
                          u"The field names %1 to ride %2. Book %3 anyway?"_s.arg(fieldRider, nomination.horse, jockey),
                          UserDialogs::Icon::Question, UserDialogs::Answer::No))
        return false;
    return true;
}

void tellNotConfirmed()
{
    UserDialogs::instance().message(u"Ostrevan 2"_s, u"You cannot confirm, if no jockey has been entered"_s,
                                    UserDialogs::Icon::Exclamation);
}

} // namespace

namespace {

// The booking rows that `condition` selects, in the order they were made.
QList<Booking> bookingsWhere(Db &db, const QString &condition, const QVariantList &values)
{
    QSqlQuery query = db.exec(u"SELECT rowid, MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
                              "Confirmed FROM Bookings WHERE "_s +
                                  condition + u" ORDER BY rowid"_s,
                              values);
    QList<Booking> found;
    while (query.next())
        found << Booking{query.value(0).toLongLong(), query.value(1).toString(),  query.value(2).toString(),
                         query.value(3).toString(),   query.value(4).toString(),  query.value(5).toString(),
                         query.value(6).toString(),   query.value(7).toInt() != 0};
    return found;
}

// The booking a nomination holds, or a new one for its horse with `state` and no jockey.
Booking bookingOrNew(const std::optional<Booking> &booking, const Nomination &nomination, const QString &state)
{
    if (booking)
        return *booking;
    return {0, nomination.meetingCode, nomination.raceCode, nomination.horse, nomination.trainer, {}, state, false};
}

} // namespace

std::optional<Booking> findBooking(Db &db, const QString &meetingCode, const QString &horse)
{
    const QList<Booking> found = bookingsWhere(db, u"MeetingCode = ? AND Horse = ?"_s, {meetingCode, horse});
    return found.isEmpty() ? std::nullopt : std::optional<Booking>(found.first());
}

std::optional<Booking> findBookingOf(Db &db, const QString &meetingCode, const QString &horse, const QString &jockey)
{
    const QList<Booking> found =
        bookingsWhere(db, u"MeetingCode = ? AND Horse = ? AND TRIM(Jockey) = ? COLLATE NOCASE"_s,
                      {meetingCode, horse, jockey.trimmed()});
    return found.isEmpty() ? std::nullopt : std::optional<Booking>(found.first());
}

void writeBooking(Db &db, const std::optional<Booking> &before, const std::optional<Booking> &after)
{
    if (before == after)
        return;
    // The row and its history entry stand or fall together, inside the caller's transaction or not.
    db.exec(u"SAVEPOINT booking_write"_s);
    try {
        // A booking never holds an empty jockey: none is stored as NULL, as the lists read it.
        auto jockeyOf = [](const Booking &b) { return b.jockey.isEmpty() ? QVariant() : QVariant(b.jockey); };
        if (!after) {
            db.exec(u"DELETE FROM Bookings WHERE rowid = ?"_s, {before->rowId});
        } else if (!before) {
            db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
                    "Confirmed) VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                    {after->meetingCode, after->raceCode, after->horse, after->trainer.left(30), jockeyOf(*after),
                     after->state, after->confirmed ? 1 : 0});
        } else {
            db.exec(u"UPDATE Bookings SET MeetingCode = ?, RaceCode = ?, Horse = ?, TrainerName = ?, Jockey = ?, "
                    "BookingSelection = ?, Confirmed = ? WHERE rowid = ?"_s,
                    {after->meetingCode, after->raceCode, after->horse, after->trainer, jockeyOf(*after), after->state,
                     after->confirmed ? 1 : 0, before->rowId});
        }
        bookinghistory::append(db, before, after);
        db.exec(u"RELEASE booking_write"_s);
    } catch (const DbError &) {
        try {
            db.exec(u"ROLLBACK TO booking_write"_s);
            db.exec(u"RELEASE booking_write"_s);
        } catch (const DbError &) {
            // The connection is gone; the statement's own error is the one to report.
        }
        throw;
    }
    BookingUndo::noteWrite(before, after);
}

bool BookJockey(const Nomination &nomination, const QString &jockey)
{
    const bool removal = jockey == kDeleteJockey;
    UserDialogs &dialogs = UserDialogs::instance();
    Db db = OpenDb();
    if (refuseOtherRace(db, nomination.meetingCode, nomination.horse, nomination.raceCode))
        return false;
    const std::optional<Booking> booking = findBooking(db, nomination.meetingCode, nomination.horse);
    // Only a booking counts as "already booked": the field's own rider is asked about below.
    const QString booked = booking ? booking->jockey : QString();
    if (removal) {
        if (!booking)
            return false;
        // A booking that holds only a state is the agent's work too.
        const QString what = booked.isEmpty() ? booking->state : booked;
        if (!dialogs.askYesNo(kRideTitle,
                              what + " Confirm Removal of booking from "_L1 + kCr + "Horse "_L1 + nomination.horse))
            return false;
    } else {
        if (sameName(booked, jockey))
            return false;
        if (!booked.isEmpty() &&
            !dialogs.askYesNo(kRideTitle, booked + " Already booked for this ride are you sure"_L1 + kCr +
                                              "you wish replace with "_L1 + jockey))
            return false;
    }
    if (!trainerMayBook(db, nomination.trainer.isEmpty() && booking ? booking->trainer : nomination.trainer))
        return false;
    if (removal) {
        writeBooking(db, booking, std::nullopt);
        return true;
    }
    if (!fieldAllowsJockey(db, nomination, jockey) ||
        !confirmClashingRide(db, jockey, nomination.meetingCode, nomination.horse))
        return false;
    // A new jockey takes over the ride; the booking's state and confirmation stay.
    Booking after = bookingOrNew(booking, nomination, kPlanned);
    after.jockey = jockey;
    writeBooking(db, booking, after);
    return true;
}

bool SetBookingState(const Nomination &nomination, const QString &state)
{
    if (state == kConfirmed)
        return ConfirmBooking(nomination);
    Db db = OpenDb();
    if (refuseOtherRace(db, nomination.meetingCode, nomination.horse, nomination.raceCode))
        return false;
    const std::optional<Booking> booking = findBooking(db, nomination.meetingCode, nomination.horse);
    if (state == kRemoveBooking) {
        if (!booking)
            return false;
        const QString shown = booking->state.isEmpty() ? booking->jockey : booking->state;
        if (!shown.isEmpty() &&
            !UserDialogs::instance().askYesNo(u"Confirm Removal"_s, "Remove Text : "_L1 + shown + kCr +
                                                                        "  from Horse "_L1 + nomination.horse))
            return false;
        writeBooking(db, booking, std::nullopt);
        return true;
    }
    if (booking && booking->state == state && !booking->confirmed)
        return false;
    Booking after = bookingOrNew(booking, nomination, {});
    after.state = state;
    after.confirmed = false;
    writeBooking(db, booking, after);
    return true;
}

bool ConfirmBooking(const Nomination &nomination)
{
    Db db = OpenDb();
    if (refuseOtherRace(db, nomination.meetingCode, nomination.horse, nomination.raceCode))
        return false;
    const std::optional<Booking> booking = findBooking(db, nomination.meetingCode, nomination.horse.trimmed());
    // Nothing booked, or only a state: the jockey cell may still show the field's rider.
    if (!booking || booking->jockey.isEmpty()) {
        tellNotConfirmed();
        return false;
    }
    Booking after = *booking;
    after.state = kConfirmed;
    after.confirmed = true;
    writeBooking(db, booking, after);
    return true;
}

bool AskToConfirmRide(const QString &jockey, const QString &horse)
{
    return UserDialogs::instance().askYesNo(u"Confirm Booking"_s, u"Confirm %1 on %2?"_s.arg(jockey, horse),
                                            UserDialogs::Icon::Question, UserDialogs::Answer::No);
}

BookingLook BookingLook::bookedElsewhere(int raceNumber)
{
    return {QString(), QColor(), bookedElsewhereText(raceNumber), false};
}

QColor bookedBackColor(const BookingColumns &columns, int column, const BookingLook &look, const QColor &drawn)
{
    if (look.jockey.isEmpty() || !look.jockeyColor.isValid())
        return drawn;
    if (column == columns.jockey)
        return look.jockeyColor;
    if (!look.confirmed || columns.unpainted.contains(column) || (column == columns.ownColor && drawn.isValid()))
        return drawn;
    return look.jockeyColor;
}

void showBooking(ListRow &row, const BookingColumns &columns, const BookingLook &look)
{
    if (!look.jockey.isEmpty())
        row.cell(columns.jockey).text = look.jockey;
    row.cell(columns.state).text = look.state;
    row.cell(columns.state).icon = look.confirmed ? kConfirmedIcon : 0;
    for (int c = 1; c <= row.cells.size(); ++c)
        row.cell(c).back = bookedBackColor(columns, c, look, row.drawnBack.value(c - 1));
}

void showStoredBooking(BookingGrid &grid, int row)
{
    Nomination nomination = grid.nominationOfRow(row);
    nomination.horse = nomination.horse.trimmed();
    if (!nomination.isValid())
        return;
    BookingLook look;
    QString fieldRider;
    bool nominated = false;
    {
        Db db = OpenDb();
        // A horse entered twice: this row's entry first.
        QSqlQuery field = db.exec(u"SELECT Jockey FROM Noms WHERE MeetingCode = ? AND Horse = ? "
                                  "ORDER BY RaceCode = ? DESC, RaceNumber LIMIT 1"_s,
                                  {nomination.meetingCode, nomination.horse, nomination.raceCode});
        nominated = field.next();
        fieldRider = nominated ? field.value(0).toString() : QString();
        if (const std::optional<int> race =
                bookedInOtherRace(db, nomination.meetingCode, nomination.horse, nomination.raceCode)) {
            look = BookingLook::bookedElsewhere(*race);
        } else if (const std::optional<Booking> booking = findBooking(db, nomination.meetingCode, nomination.horse)) {
            look.jockey = booking->jockey;
            look.state = nominated ? booking->state : kScratched;
            look.confirmed = booking->confirmed;
            look.jockeyColor = fromStoredColor(
                db.scalar(u"SELECT JockeyColor FROM Jockey WHERE Jockey = ?"_s, {booking->jockey}).toString());
        }
    }
    const BookingColumns columns = grid.bookingColumns();
    grid.setCellText(row, columns.jockey, look.jockey.isEmpty() ? fieldRider : look.jockey);
    grid.setCellText(row, columns.state, look.state);
    grid.setCellIcon(row, columns.state, look.confirmed ? kConfirmedIcon : 0);
    for (int c = 1; c <= grid.columnCount(); ++c)
        grid.setCellBackColor(row, c, bookedBackColor(columns, c, look, grid.drawnBackColor(row, c)));
}

void FollowNominationRaceCodes(Db &db, const QString &meetingCode)
{
    const bookinghistory::SourceScope reload(bookinghistory::Source::FieldReload);
    const QString nominated = u"(SELECT N.RaceCode FROM Noms N WHERE N.MeetingCode = Bookings.MeetingCode "
                              "AND N.Horse = Bookings.Horse ORDER BY N.RaceNumber LIMIT 1)"_s;
    QSqlQuery moved = db.exec(u"SELECT rowid, "_s + nominated +
                                  u" FROM Bookings WHERE MeetingCode = ? "
                                  "AND EXISTS (SELECT 1 FROM Noms N WHERE N.MeetingCode = Bookings.MeetingCode "
                                  "AND N.Horse = Bookings.Horse) AND NOT EXISTS (SELECT 1 FROM Noms N WHERE "
                                  "N.MeetingCode = Bookings.MeetingCode AND N.Horse = Bookings.Horse "
                                  "AND N.RaceCode = Bookings.RaceCode)"_s,
                              {meetingCode});
    QHash<qint64, QString> raceCodes;
    while (moved.next())
        raceCodes.insert(moved.value(0).toLongLong(), moved.value(1).toString());
    if (raceCodes.isEmpty())
        return;
    for (const Booking &booking : bookingsWhere(db, u"MeetingCode = ?"_s, {meetingCode})) {
        if (!raceCodes.contains(booking.rowId))
            continue;
        Booking after = booking;
        after.raceCode = raceCodes.value(booking.rowId);
        writeBooking(db, booking, after);
    }
}

QString formatKilograms(double kilograms)
{
    return QString::number(kilograms, 'f', 1) + " kg"_L1;
}
