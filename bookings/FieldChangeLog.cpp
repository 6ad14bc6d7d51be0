#include "FieldChangeLog.h"

#include "BookingOperations.h"
#include "core/Clock.h"
#include "db/Database.h"

#include <QSet>
#include <QSqlError>

#include <utility>

using namespace Qt::StringLiterals;

namespace fieldchangelog {
namespace {

bool &detectionEnabled()
{
    static bool enabled = true;
    return enabled;
}

QList<qint64> &recordedIds()
{
    static QList<qint64> ids;
    return ids;
}

QList<fieldchanges::BookedHorse> bookingsOf(Db &db, const QString &meetingCode)
{
    QList<fieldchanges::BookedHorse> bookings;
    QSqlQuery query = db.exec(u"SELECT B.Horse, B.Jockey, J.FullName, J.Ridewgt, B.RaceCode, "
                              "B.ReviewedJockey IS NULL OR B.ReviewedJockey <> COALESCE(B.Jockey, '') "
                              "FROM Bookings B LEFT JOIN Jockey J ON J.Jockey = B.Jockey WHERE B.MeetingCode = ?"_s,
                              {meetingCode});
    while (query.next())
        bookings << fieldchanges::BookedHorse{query.value(0).toString(), query.value(1).toString().trimmed(),
                                              query.value(2).toString(), query.value(3).toDouble(),
                                              query.value(4).toString(), query.value(5).toInt() != 0};
    return bookings;
}

QList<fieldchanges::ManagedJockey> managedJockeys(Db &db)
{
    QList<fieldchanges::ManagedJockey> jockeys;
    QSqlQuery query = db.exec(u"SELECT Jockey, FullName FROM Jockey WHERE TRIM(FullName) > ''"_s);
    while (query.next())
        jockeys << fieldchanges::ManagedJockey{query.value(0).toString().trimmed(), query.value(1).toString()};
    return jockeys;
}

QString marksFor(const QList<qint64> &ids, QVariantList &values)
{
    QStringList marks;
    for (qint64 id : ids) {
        marks << u"?"_s;
        values << id;
    }
    return marks.join(u", "_s);
}

QList<StoredChange> select(const Filter &filter, const QString &order)
{
    QString sql = u"SELECT C.ChangeID, C.ChangedAt, C.MeetingCode, M.MeetingLocation, C.RaceNumber, C.Horse, "
                  "C.ChangeKind, C.ValueBefore, C.ValueAfter, C.Jockey, J.JockeyColor, C.Booked, C.Seen "
                  "FROM FieldChange C LEFT JOIN Meeting M ON M.MeetingCode = C.MeetingCode "
                  "LEFT JOIN Jockey J ON J.Jockey = C.Jockey WHERE 1 = 1"_s;
    QVariantList values;
    if (!filter.ids.isEmpty())
        sql += u" AND C.ChangeID IN ("_s + marksFor(filter.ids, values) + u')';
    if (filter.since.isValid()) {
        sql += u" AND C.ChangedAt >= ?"_s;
        values << filter.since.toString(Qt::ISODate);
    }
    if (!filter.meetingCode.isEmpty()) {
        sql += u" AND C.MeetingCode = ?"_s;
        values << filter.meetingCode;
    }
    if (!filter.jockey.isEmpty()) {
        sql += u" AND C.Jockey = ?"_s;
        values << filter.jockey;
    }
    if (!filter.kind.isEmpty()) {
        sql += u" AND C.ChangeKind = ?"_s;
        values << filter.kind;
    }
    if (filter.unseenOnly)
        sql += u" AND C.Seen = 0"_s;
    sql += u" ORDER BY "_s + order;

    QList<StoredChange> changes;
    QueryResult result = OpenQuery(sql, values);
    while (result.next()) {
        const QSqlQuery &q = result.query;
        changes << StoredChange{q.value(0).toLongLong(), q.value(1).toString(),  q.value(2).toString(),
                                q.value(3).toString(),   q.value(4).toInt(),     q.value(5).toString(),
                                q.value(6).toString(),   q.value(7).toString(),  q.value(8).toString(),
                                q.value(9).toString(),   q.value(10).toString(), q.value(11).toInt() != 0,
                                q.value(12).toInt() != 0};
    }
    return changes;
}

// SQLite allows so many bound values in one statement; a long selection goes in slices.
template <typename Step> void inSlices(const QList<qint64> &ids, Step step)
{
    constexpr qsizetype kSlice = 500;
    for (qsizetype at = 0; at < ids.size(); at += kSlice)
        step(ids.mid(at, kSlice));
}

} // namespace

fieldchanges::Field readField(Db &db, const QString &meetingCode)
{
    fieldchanges::Field field;
    if (!detectionEnabled())
        return field;
    field.level = db.scalar(u"SELECT MeetingLevel FROM Meeting WHERE MeetingCode = ?"_s, {meetingCode}).toString();
    QSqlQuery query =
        db.exec(u"SELECT N.RaceNumber, (SELECT R.RaceTime FROM Race R WHERE R.MeetingCode = N.MeetingCode "
                "AND R.RaceNumber = N.RaceNumber LIMIT 1), N.Horse, N.Jockey, N.Weight, N.Barrier, N.EorB, N.RaceCode "
                "FROM Noms N WHERE N.MeetingCode = ? ORDER BY N.RaceNumber, N.EntryNo, N.rowid"_s,
                {meetingCode});
    while (query.next())
        field.runners << fieldchanges::Runner{query.value(0).toInt(),
                                              query.value(1).toString(),
                                              query.value(2).toString(),
                                              query.value(3).toString(),
                                              query.value(4).toInt(),
                                              query.value(5).toInt(),
                                              query.value(6).toString().trimmed(),
                                              query.value(7).toString()};
    field.bookings = bookingsOf(db, meetingCode);
    return field;
}

fieldchanges::Count recordReload(Db &db, const QString &meetingCode, const fieldchanges::Field &before,
                                 const QStringList &scratched)
{
    fieldchanges::Count count;
    if (!detectionEnabled())
        return count;
    fieldchanges::Field after = readField(db, meetingCode);
    after.scratched = scratched;
    // The bookings as they were: the load has moved those whose race is gone to the horse's new race.
    const QList<fieldchanges::Change> changes =
        fieldchanges::detect(before, after, before.bookings, managedJockeys(db));
    // What this load compared is known to the review from now on.
    db.exec(u"UPDATE Bookings SET ReviewedJockey = COALESCE(Jockey, '') WHERE MeetingCode = ?"_s, {meetingCode});
    if (changes.isEmpty())
        return count;

    const QString now = Clock::instance().now().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    QSqlQuery insert(db.handle());
    if (!insert.prepare(u"INSERT INTO FieldChange (ChangedAt, MeetingCode, RaceNumber, Horse, ChangeKind, ValueBefore, "
                        "ValueAfter, Jockey, Booked) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s))
        throw DbError(insert.lastError().text());
    for (const fieldchanges::Change &change : changes) {
        const QVariantList values{now,           meetingCode,  change.raceNumber, change.horse,         change.kind,
                                  change.before, change.after, change.jockey,     change.booked ? 1 : 0};
        for (int i = 0; i < values.size(); ++i)
            insert.bindValue(i, values.at(i));
        if (!insert.exec())
            throw DbError(insert.lastError().text());
        recordedIds() << insert.lastInsertId().toLongLong();
        ++count.total;
        count.onBooked += change.booked ? 1 : 0;
    }
    return count;
}

QList<qint64> takeRecordedIds()
{
    return std::exchange(recordedIds(), {});
}

void setDetectionEnabled(bool enabled)
{
    detectionEnabled() = enabled;
}

QList<StoredChange> changes(const Filter &filter)
{
    return select(filter, u"C.ChangeID"_s);
}

QList<StoredChange> changesForReview(const Filter &filter)
{
    return select(filter, u"M.MeetingDate, C.MeetingCode, C.RaceNumber, C.Booked DESC, C.Horse, C.ChangeID"_s);
}

int unseenCount()
{
    return OpenDb().scalar(u"SELECT COUNT(*) FROM FieldChange WHERE Seen = 0"_s).toInt();
}

namespace {

QStringList distinct(const QString &column)
{
    QStringList values;
    QueryResult result = OpenQuery(u"SELECT DISTINCT %1 FROM FieldChange WHERE %1 > '' ORDER BY %1"_s.arg(column));
    while (result.next())
        values << result.value(0).toString();
    return values;
}

} // namespace

QStringList meetingCodes()
{
    return distinct(u"MeetingCode"_s);
}

QStringList jockeys()
{
    return distinct(u"Jockey"_s);
}

void markSeen(const QList<qint64> &ids)
{
    Db db = OpenDb();
    Transaction transaction(db);
    inSlices(ids, [&db](const QList<qint64> &slice) {
        QVariantList values;
        const QString marks = marksFor(slice, values);
        db.exec(u"UPDATE FieldChange SET Seen = 1 WHERE ChangeID IN ("_s + marks + u')', values);
    });
    transaction.commit();
}

namespace {

// What the horse's booking is now, as the agent reads it in the lists.
QString bookingNow(Db &db, const StoredChange &change)
{
    QSqlQuery now =
        db.exec(u"SELECT COALESCE(NULLIF(TRIM(B.Jockey), ''), 'no jockey'), B.BookingSelection, "
                "(SELECT N.RaceNumber FROM Noms N WHERE N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse "
                "AND N.RaceCode = B.RaceCode) FROM Bookings B WHERE B.MeetingCode = ? AND B.Horse = ?"_s,
                {change.meetingCode, change.horse});
    if (!now.next())
        return u"%1 has no booking now"_s.arg(change.horse);
    QString text = u"%1 is booked now for %2"_s.arg(change.horse, now.value(0).toString());
    if (!now.value(1).toString().isEmpty())
        text += u" (%1)"_s.arg(now.value(1).toString());
    if (!now.value(2).isNull())
        text += u" in race %1"_s.arg(now.value(2).toInt());
    return text;
}

// Whether the jockey's booking of the horse ended since the change was recorded: a booking of that jockey there now
// was made again afterwards, and is not the one the change was recorded against. The same second counts as after,
// so that a doubt keeps the booking.
bool bookingEndedSince(Db &db, const StoredChange &change)
{
    return db
        .scalar(u"SELECT 1 FROM BookingLog WHERE MeetingCode = ? AND Horse = ? AND LoggedAt >= ? AND JockeyBefore = ? "
                "AND (JockeyAfter IS NULL OR JockeyAfter <> JockeyBefore) LIMIT 1"_s,
                {change.meetingCode, change.horse, change.changedAt, change.jockey.trimmed()})
        .isValid();
}

} // namespace

Removal removeBookings(const QList<qint64> &ids)
{
    Filter filter;
    filter.ids = ids;
    const QList<StoredChange> chosen = changes(filter);
    Db db = OpenDb();
    Transaction transaction(db);
    Removal removal;
    QList<qint64> done;
    QSet<QString> removed; // meeting, horse and jockey of the bookings removed by earlier changes of the list
    for (const StoredChange &change : chosen) {
        const QString ride = change.meetingCode.toCaseFolded() + u'|' + change.horse.toCaseFolded() + u'|' +
                             change.jockey.trimmed().toCaseFolded();
        if (change.booked && removed.contains(ride)) {
            done << change.id;
            continue;
        }
        // Only the booking the change was recorded against: the same jockey's booking of the horse.
        std::optional<Booking> booking =
            change.booked ? findBookingOf(db, change.meetingCode, change.horse, change.jockey) : std::nullopt;
        const bool remade = booking && bookingEndedSince(db, change);
        if (remade)
            booking.reset();
        if (booking)
            writeBooking(db, booking, std::nullopt);
        const int deleted = booking ? 1 : 0;
        if (deleted > 0) {
            removed.insert(ride);
            removal.removed += deleted;
            done << change.id;
            continue;
        }
        QString recorded = change.booked ? u"was recorded against %1's booking"_s.arg(change.jockey)
                                         : u"was recorded when the horse was not booked"_s;
        if (remade)
            recorded += u", which was removed and made again since"_s;
        removal.notRemoved << u"Change %1 %2; %3, so nothing was removed."_s.arg(change.id).arg(recorded,
                                                                                                bookingNow(db, change));
    }
    inSlices(done, [&db](const QList<qint64> &slice) {
        QVariantList values;
        const QString marks = marksFor(slice, values);
        db.exec(u"UPDATE FieldChange SET Seen = 1 WHERE ChangeID IN ("_s + marks + u')', values);
    });
    transaction.commit();
    return removal;
}

int removeBefore(const QDate &day)
{
    Db db = OpenDb();
    QSqlQuery deleted = db.exec(u"DELETE FROM FieldChange WHERE ChangedAt < ?"_s, {day.toString(Qt::ISODate)});
    return deleted.numRowsAffected();
}

} // namespace fieldchangelog
