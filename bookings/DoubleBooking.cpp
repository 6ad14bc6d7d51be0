#include "DoubleBooking.h"

#include "BookedEntry.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "roster/RiderName.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

// The same race of this meeting, or any other meeting of the same day, in that order; the
// nomination being booked itself is left out. Bound: meeting, horse, meeting, race, meeting,
// date, date, meeting.
const QString kClashCondition = u"NOT (N.MeetingCode = ? AND N.Horse = ?) "
                                "AND ((N.MeetingCode = ? AND N.RaceNumber = ?) OR (N.MeetingCode <> ? AND ? <> '' "
                                "AND substr(M.MeetingDate, 1, 10) = ?)) "
                                "ORDER BY N.MeetingCode = ? DESC, N.RaceNumber"_s;

} // namespace

std::optional<ClashingRide> findClashingRide(Db &db, const QString &jockey, const QString &meetingCode,
                                             const QString &horse)
{
    if (jockey.trimmed().isEmpty())
        return std::nullopt;
    int race = 0;
    QString date;
    {
        QSqlQuery target = db.exec(u"SELECT N.RaceNumber, M.MeetingDate FROM Noms N LEFT JOIN Meeting M "
                                   "ON M.MeetingCode = N.MeetingCode WHERE N.MeetingCode = ? AND N.Horse = ?"_s,
                                   {meetingCode, horse});
        if (!target.next())
            return std::nullopt;
        race = target.value(0).toInt();
        date = target.value(1).toString().left(10);
    }
    const QVariantList where{meetingCode, horse, meetingCode, race, meetingCode, date, date, meetingCode};
    {
        // A horse entered in two races is booked in one of them.
        QSqlQuery booked = db.exec(u"SELECT N.Horse, N.RaceNumber, M.MeetingLocation FROM Bookings B "
                                   "JOIN Noms N ON N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse "
                                   "AND N.RaceNumber = "_s +
                                       bookedRaceSql(u"B"_s) +
                                       u" LEFT JOIN Meeting M ON M.MeetingCode = N.MeetingCode "
                                       "WHERE B.Jockey = ? COLLATE NOCASE AND "_s +
                                       kClashCondition + u" LIMIT 1"_s,
                                   QVariantList{jockey} + where);
        if (booked.next())
            return ClashingRide{jockey, booked.value(0).toString(), booked.value(1).toInt(), booked.value(2).toString(),
                                false};
    }

    // The field prints the rider as the acceptances do ("Ms Cory Taylor (a2)"): compare the plain names.
    const QString fullName =
        db.scalar(u"SELECT FullName FROM Jockey WHERE Jockey = ? COLLATE NOCASE"_s, {jockey}).toString();
    auto isOurJockey = [&](const QString &fieldRider) {
        return sameRider(fieldRider, jockey) || sameRider(fieldRider, fullName);
    };
    QSqlQuery named = db.exec(u"SELECT N.Horse, N.RaceNumber, M.MeetingLocation, N.Jockey FROM Noms N "
                              "LEFT JOIN Meeting M ON M.MeetingCode = N.MeetingCode WHERE N.Jockey > '' AND "_s +
                                  kClashCondition,
                              where);
    while (named.next()) {
        if (isOurJockey(named.value(3).toString()))
            return ClashingRide{jockey, named.value(0).toString(), named.value(1).toInt(), named.value(2).toString(),
                                true};
    }
    return std::nullopt;
}

QString clashQuestion(const ClashingRide &ride)
{
    return u"%1 is %2 on %3 in race %4 at %5. Book anyway?"_s.arg(
        ride.jockey.toUpper(), ride.namedByField ? u"named by the field"_s : u"already booked"_s, ride.horse.toUpper(),
        QString::number(ride.raceNumber), ride.location.toUpper());
}

bool confirmClashingRide(Db &db, const QString &jockey, const QString &meetingCode, const QString &horse)
{
    const std::optional<ClashingRide> ride = findClashingRide(db, jockey, meetingCode, horse);
    if (!ride)
        return true;
    return UserDialogs::instance().askYesNo(u"Confirm Jockey ride"_s, clashQuestion(*ride), UserDialogs::Icon::Question,
                                            UserDialogs::Answer::No);
}
