#include "DoubleBooking.h"

#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

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
    // The same race of this meeting, or any other meeting of the same day.
    QSqlQuery query = db.exec(u"SELECT B.Horse, N.RaceNumber, M.MeetingLocation FROM Bookings B "
                              "JOIN Noms N ON N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse "
                              "LEFT JOIN Meeting M ON M.MeetingCode = B.MeetingCode "
                              "WHERE B.Jockey = ? COLLATE NOCASE AND NOT (B.MeetingCode = ? AND B.Horse = ?) "
                              "AND ((B.MeetingCode = ? AND N.RaceNumber = ?) OR (B.MeetingCode <> ? AND ? <> '' "
                              "AND substr(M.MeetingDate, 1, 10) = ?)) "
                              "ORDER BY B.MeetingCode = ? DESC, N.RaceNumber LIMIT 1"_s,
                              {jockey, meetingCode, horse, meetingCode, race, meetingCode, date, date, meetingCode});
    if (!query.next())
        return std::nullopt;
    return ClashingRide{jockey, query.value(0).toString(), query.value(1).toInt(), query.value(2).toString()};
}

QString clashQuestion(const ClashingRide &ride)
{
    return u"%1 is already booked on %2 in race %3 at %4. Book anyway?"_s.arg(
        ride.jockey.toUpper(), ride.horse.toUpper(), QString::number(ride.raceNumber), ride.location.toUpper());
}

bool confirmClashingRide(Db &db, const QString &jockey, const QString &meetingCode, const QString &horse)
{
    const std::optional<ClashingRide> ride = findClashingRide(db, jockey, meetingCode, horse);
    if (!ride)
        return true;
    return UserDialogs::instance().askYesNo(u"Confirm Jockey ride"_s, clashQuestion(*ride), UserDialogs::Icon::Question,
                                            UserDialogs::Answer::No);
}
