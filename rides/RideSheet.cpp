#include "RideSheet.h"

#include "bookings/BookedEntry.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "roster/RiderName.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.simplified().compare(b.simplified(), Qt::CaseInsensitive) == 0;
}

// "00:01" (and midnight) stand for a time the field did not give.
QTime knownTime(const QString &stored)
{
    const QTime time = QTime::fromString(stored.left(5), u"HH:mm"_s);
    return time.isValid() && time > QTime(0, 1) ? time : QTime();
}

// The apprentice's claim a field writes behind the rider: "Kate Rowe (a2)", "(A1.5)".
QString claimOf(const QString &fieldRider)
{
    static const QRegularExpression claim(u"\\(\\s*a\\s*(\\d+(?:\\.\\d+)?)\\s*\\)"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = claim.match(fieldRider);
    return match.hasMatch() ? match.captured(1) : QString();
}

struct Booked {
    QString fieldRider;
    QString marker; // the field's E, B or S beside the horse
    bool gone = false;
    QString fullName;
    double rideWeight = 0;
};

QStringList warningsFor(const Ride &ride, const Booked &booked)
{
    QStringList warnings;
    if (booked.gone || sameName(booked.marker, u"S"_s))
        warnings << u"scratched"_s;
    else if (sameName(booked.marker, u"E"_s))
        warnings << u"emergency"_s;
    else if (sameName(booked.marker, u"B"_s))
        warnings << u"balloted out"_s;
    if (!plainRiderName(booked.fieldRider).isEmpty() && !sameRider(booked.fieldRider, ride.jockey) &&
        !sameRider(booked.fieldRider, booked.fullName))
        warnings << u"field names %1"_s.arg(booked.fieldRider.simplified());
    const double carried = ride.weightTenths / 10.0 - ride.claim.toDouble();
    if (ride.weightTenths > 0 && booked.rideWeight > carried + 1e-9)
        warnings << u"rides %1 kg, over the weight"_s.arg(QString::number(booked.rideWeight, 'f', 1));
    return warnings;
}

QString jockeyCondition(const QString &jockey, QVariantList &values)
{
    if (jockey.trimmed().isEmpty())
        return u" AND B.Jockey IN (SELECT Jockey FROM Jockey)"_s;
    values << jockey.trimmed();
    return u" AND B.Jockey = ?"_s;
}

} // namespace

QString Ride::timeText() const
{
    return localTime.isValid() ? localTime.toString(u"HH:mm"_s) : QString();
}

QString Ride::weightText() const
{
    if (weightTenths <= 0)
        return {};
    const QString weight = QString::number(weightTenths / 10.0, 'f', 1);
    return claim.isEmpty() ? weight : u"%1 (a%2)"_s.arg(weight, claim);
}

QString Ride::warningText() const
{
    return warnings.join(u"; "_s);
}

namespace ridesheet {

QStringList columnHeads(bool withJockey)
{
    QStringList heads{u"Meeting"_s, u"State"_s,   u"Race"_s,  u"Time"_s,    u"Horse"_s,  u"Barrier"_s,
                      u"Weight"_s,  u"Trainer"_s, u"Phone"_s, u"Booking"_s, u"Warning"_s};
    if (withJockey)
        heads.prepend(u"Jockey"_s);
    return heads;
}

QStringList cells(const Ride &ride, bool withJockey)
{
    QStringList row{ride.location.isEmpty() ? ride.meetingCode : u"%1 (%2)"_s.arg(ride.location, ride.meetingCode),
                    ride.state,
                    QString::number(ride.raceNumber),
                    ride.timeText(),
                    ride.horse,
                    ride.barrier > 0 ? QString::number(ride.barrier) : QString(),
                    ride.weightText(),
                    ride.trainer,
                    ride.phone,
                    ride.bookingState,
                    ride.warningText()};
    if (withJockey)
        row.prepend(ride.jockey);
    return row;
}

QTimeZone stateTimeZone(const QString &state)
{
    static const QHash<QString, QByteArray> zones{{u"VIC"_s, "Australia/Melbourne"}, {u"NSW"_s, "Australia/Sydney"},
                                                  {u"ACT"_s, "Australia/Sydney"},    {u"TAS"_s, "Australia/Hobart"},
                                                  {u"QLD"_s, "Australia/Brisbane"},  {u"NT"_s, "Australia/Darwin"},
                                                  {u"WA"_s, "Australia/Perth"},      {u"SA"_s, "Australia/Adelaide"}};
    const QString code = state.trimmed().toUpper();
    if (zones.contains(code))
        return QTimeZone(zones.value(code));
    return QTimeZone(
        zones.value(cAppSettings::instance().effectiveDefaultState().trimmed().toUpper(), "Australia/Melbourne"));
}

QList<Ride> readRides(const QString &jockey, const QDate &first, int days)
{
    // A booking whose horse left the field still has its race, found by the race code.
    QVariantList values{first.toString(Qt::ISODate), first.addDays(std::max(1, days)).toString(Qt::ISODate)};
    const QString sql =
        u"SELECT B.Jockey, substr(M.MeetingDate, 1, 10), M.MeetingCode, M.MeetingLocation, M.State, "
        "COALESCE(N.RaceNumber, (SELECT MIN(R.RaceNumber) FROM Race R WHERE R.MeetingCode = B.MeetingCode "
        "AND R.RaceCode = B.RaceCode), 0) AS Number, "
        "B.Horse, N.Barrier, N.Weight, N.Jockey, N.EorB, N.Horse IS NULL, "
        "COALESCE(NULLIF(N.TrainerName, ''), B.TrainerName), "
        "COALESCE(NULLIF(T.Phone, ''), NULLIF(T.TrainerMobile, ''), N.Phone), "
        "B.BookingSelection, B.Confirmed, J.FullName, J.Ridewgt, "
        "COALESCE((SELECT R.RaceTime FROM Race R WHERE R.MeetingCode = B.MeetingCode AND R.RaceNumber = "
        "N.RaceNumber), (SELECT R.RaceTime FROM Race R WHERE R.MeetingCode = B.MeetingCode AND "
        "R.RaceCode = B.RaceCode)) "
        "FROM Bookings B JOIN Meeting M ON M.MeetingCode = B.MeetingCode "
        "LEFT JOIN Noms N ON N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse AND N.RaceNumber = "_s +
        bookedRaceSql(u"B"_s) +
        u" LEFT JOIN Jockey J ON J.Jockey = B.Jockey "
        "LEFT JOIN Trainer T ON T.TrainerName = COALESCE(NULLIF(N.TrainerName, ''), B.TrainerName) "
        "WHERE substr(M.MeetingDate, 1, 10) >= ? AND substr(M.MeetingDate, 1, 10) < ? "
        "AND TRIM(COALESCE(B.Jockey, '')) <> ''"_s +
        jockeyCondition(jockey, values);
    Db db = OpenDb();
    QSqlQuery query = db.exec(sql, values);
    QList<Ride> rides;
    while (query.next()) {
        Ride ride;
        ride.jockey = query.value(0).toString();
        ride.date = QDate::fromString(query.value(1).toString(), Qt::ISODate);
        ride.meetingCode = query.value(2).toString();
        ride.location = query.value(3).toString();
        ride.state = query.value(4).toString().trimmed();
        ride.raceNumber = query.value(5).toInt();
        ride.horse = query.value(6).toString();
        ride.barrier = query.value(7).toInt();
        ride.weightTenths = query.value(8).toInt();
        Booked booked{query.value(9).toString(), query.value(10).toString().trimmed(), query.value(11).toBool(),
                      query.value(16).toString(), query.value(17).toDouble()};
        ride.trainer = query.value(12).toString();
        ride.phone = query.value(13).toString().trimmed();
        ride.bookingState = query.value(14).toString().trimmed();
        if (ride.bookingState.isEmpty())
            ride.bookingState = query.value(15).toInt() != 0 ? u"Confirmed"_s : u"Planned"_s;
        ride.localTime = knownTime(query.value(18).toString());
        if (ride.localTime.isValid())
            ride.start = QDateTime(ride.date, ride.localTime, stateTimeZone(ride.state)).toUTC();
        const bool bookedRider = plainRiderName(booked.fieldRider).isEmpty() ||
                                 sameRider(booked.fieldRider, ride.jockey) ||
                                 sameRider(booked.fieldRider, booked.fullName);
        if (bookedRider)
            ride.claim = claimOf(booked.fieldRider);
        ride.warnings = warningsFor(ride, booked);
        rides << ride;
    }
    // Races of unknown time go last on their day, in their meeting's race order.
    std::stable_sort(rides.begin(), rides.end(), [](const Ride &a, const Ride &b) {
        const int byJockey = a.jockey.compare(b.jockey, Qt::CaseInsensitive);
        if (byJockey != 0)
            return byJockey < 0;
        if (a.date != b.date)
            return a.date < b.date;
        if (a.start.isValid() != b.start.isValid())
            return a.start.isValid();
        if (a.start != b.start)
            return a.start < b.start;
        if (a.meetingCode != b.meetingCode)
            return a.meetingCode < b.meetingCode;
        return a.raceNumber < b.raceNumber;
    });
    return rides;
}

QDate nextDayWithRides(const QString &jockey, const QDate &today)
{
    QVariantList values{today.toString(Qt::ISODate)};
    const QString sql = u"SELECT MIN(substr(M.MeetingDate, 1, 10)) FROM Bookings B "
                        "JOIN Meeting M ON M.MeetingCode = B.MeetingCode "
                        "WHERE substr(M.MeetingDate, 1, 10) > ? AND TRIM(COALESCE(B.Jockey, '')) <> ''"_s +
                        jockeyCondition(jockey, values);
    Db db = OpenDb();
    const QDate next = QDate::fromString(db.scalar(sql, values).toString(), Qt::ISODate);
    return next.isValid() ? next : today.addDays(1);
}

QStringList managedJockeys()
{
    Db db = OpenDb();
    QSqlQuery query = db.exec(u"SELECT Jockey FROM Jockey ORDER BY Jockey"_s);
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString managedJockeyNamed(const QString &name)
{
    Db db = OpenDb();
    return db
        .scalar(u"SELECT Jockey FROM Jockey WHERE Jockey = ? OR FullName = ? ORDER BY Jockey <> ? LIMIT 1"_s,
                {name.simplified(), name.simplified(), name.simplified()})
        .toString();
}

QString rideLine(const Ride &ride)
{
    return QStringList{ride.date.toString(Qt::ISODate),
                       ride.timeText(),
                       ride.meetingCode,
                       QString::number(ride.raceNumber),
                       ride.horse,
                       ride.barrier > 0 ? QString::number(ride.barrier) : QString(),
                       ride.weightText(),
                       ride.trainer,
                       ride.phone,
                       ride.bookingState,
                       ride.warningText()}
        .join(u'\t');
}

QString messageText(const QList<Ride> &rides)
{
    QStringList lines;
    QString heading;
    for (const Ride &ride : rides) {
        const QString day = ride.jockey + u" - "_s + ride.date.toString(u"dddd d MMMM yyyy"_s);
        if (day != heading) {
            if (!heading.isEmpty())
                lines << QString();
            lines << day;
            heading = day;
        }
        QString line = u"R%1"_s.arg(ride.raceNumber);
        if (!ride.timeText().isEmpty())
            line += u' ' + ride.timeText();
        line += u' ' + (ride.location.isEmpty() ? ride.meetingCode : ride.location);
        if (!ride.state.isEmpty())
            line += u" ("_s + ride.state + u')';
        line += u": "_s + ride.horse;
        QStringList details;
        if (ride.barrier > 0)
            details << u"barrier %1"_s.arg(ride.barrier);
        if (!ride.weightText().isEmpty())
            details << ride.weightText() + u" kg"_s;
        if (!details.isEmpty())
            line += u", "_s + details.join(u", "_s);
        if (!ride.trainer.isEmpty())
            line += u". Trainer "_s + ride.trainer + (ride.phone.isEmpty() ? QString() : u" "_s + ride.phone);
        line += u". "_s + ride.bookingState;
        if (!ride.warnings.isEmpty())
            line += u". "_s + ride.warningText();
        lines << line;
    }
    return lines.join(u'\n');
}

} // namespace ridesheet
