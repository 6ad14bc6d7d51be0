#include "BookedEntry.h"

#include "core/UserDialogs.h"
#include "db/Database.h"

using namespace Qt::StringLiterals;

QString bookedRaceSql(const QString &booking)
{
    return u"(SELECT COALESCE(MIN(CASE WHEN E.RaceCode = %1.RaceCode THEN E.RaceNumber END), MIN(E.RaceNumber)) "
           "FROM Noms E WHERE E.MeetingCode = %1.MeetingCode AND E.Horse = %1.Horse)"_s.arg(booking);
}

QString bookedElsewhereText(int raceNumber)
{
    return u"Booked in race %1"_s.arg(raceNumber);
}

std::optional<int> bookedInOtherRace(Db &db, const QString &meetingCode, const QString &horse, const QString &raceCode)
{
    const QVariant booked = db.scalar(u"SELECT "_s + bookedRaceSql(u"B"_s) +
                                          u" FROM Bookings B WHERE B.MeetingCode = ? AND B.Horse = ? LIMIT 1"_s,
                                      {meetingCode, horse.trimmed()});
    if (booked.isNull() || raceCode.trimmed().isEmpty())
        return std::nullopt;
    // The entries of this race code; a code no entry has any more (a stale row) stops nothing.
    QSqlQuery entries = db.exec(u"SELECT RaceNumber FROM Noms WHERE MeetingCode = ? AND Horse = ? AND RaceCode = ?"_s,
                                {meetingCode, horse.trimmed(), raceCode.trimmed()});
    bool any = false;
    while (entries.next()) {
        if (entries.value(0).toInt() == booked.toInt())
            return std::nullopt;
        any = true;
    }
    return any ? std::optional<int>(booked.toInt()) : std::nullopt;
}

bool refuseOtherRace(Db &db, const QString &meetingCode, const QString &horse, const QString &raceCode)
{
    const std::optional<int> race = bookedInOtherRace(db, meetingCode, horse, raceCode);
    if (!race)
        return false;
    UserDialogs::instance().message(
        u"Booked in Another Race"_s,
        u"%1 is booked in race %2 of this meeting; this entry changes nothing. Change the booking in race %2."_s.arg(
            horse.trimmed().toUpper(), QString::number(*race)),
        UserDialogs::Icon::Exclamation);
    return true;
}
