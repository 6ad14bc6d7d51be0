#include "BookingList.h"

#include "MainLists.h"
#include "db/Database.h"

using namespace Qt::Literals::StringLiterals;

namespace bookinglist {

QList<Line> bookings(const Filter &filter)
{
    // The race follows the booking's race code; a booking whose race is gone keeps its nomination's.
    QString sql = u"SELECT B.MeetingCode, COALESCE(R.RaceNumber, (SELECT MIN(N.RaceNumber) FROM Noms N "
                  "WHERE N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse), 0), R.RaceTime, B.Horse, "
                  "B.TrainerName, B.Jockey, B.BookingSelection, B.Confirmed FROM Bookings B "
                  "LEFT JOIN Meeting M ON M.MeetingCode = B.MeetingCode "
                  "LEFT JOIN Race R ON R.rowid = (SELECT rowid FROM Race WHERE MeetingCode = B.MeetingCode "
                  "AND RaceCode = B.RaceCode ORDER BY RaceNumber LIMIT 1) WHERE 1 = 1"_s;
    QVariantList values;
    if (!filter.meetingCode.isEmpty()) {
        sql += " AND B.MeetingCode = ?"_L1;
        values << filter.meetingCode;
    }
    if (filter.date.isValid()) {
        sql += " AND substr(M.MeetingDate, 1, 10) = ?"_L1;
        values << filter.date.toString(Qt::ISODate);
    }
    if (!filter.jockey.isEmpty()) {
        sql += " AND B.Jockey = ?"_L1;
        values << filter.jockey;
    }
    sql += " ORDER BY M.MeetingDate, B.MeetingCode, 2, B.Horse"_L1;

    QList<Line> lines;
    Db db = OpenDb();
    QSqlQuery query = db.exec(sql, values);
    while (query.next()) {
        const QTime time = mainlists::storedRaceTime(query.value(2).toString());
        lines.append({query.value(0).toString(), query.value(1).toInt(),
                      time.isValid() ? time.toString(u"HH:mm"_s) : QString(), query.value(3).toString(),
                      query.value(4).toString(), query.value(5).toString(), query.value(6).toString(),
                      query.value(7).toInt() != 0});
    }
    return lines;
}

std::optional<Nomination> nominationIn(const QString &meetingCode, int raceNumber, const QString &horse)
{
    Db db = OpenDb();
    QSqlQuery query = db.exec(u"SELECT MeetingCode, RaceCode, Horse, TrainerName FROM Noms "
                              "WHERE MeetingCode = ? AND RaceNumber = ? AND Horse = ?"_s,
                              {meetingCode, raceNumber, horse.trimmed()});
    if (!query.next())
        return std::nullopt;
    return Nomination{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                      query.value(3).toString()};
}

QString managedJockey(const QString &name)
{
    Db db = OpenDb();
    return db.scalar(u"SELECT Jockey FROM Jockey WHERE Jockey = ?"_s, {name.trimmed()}).toString();
}

} // namespace bookinglist
