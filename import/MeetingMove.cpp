#include "MeetingMove.h"

#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace meetingmove {

namespace {

// Re-keys every row of `from` in one transaction. A horse booked under both codes would leave one
// of the two bookings behind, so such a meeting is not moved: the reason is returned.
QString move(const QString &from, const QString &to)
{
    Db db = OpenDb();
    Transaction transaction(db);
    const int bookedTwice = db.scalar(u"SELECT COUNT(*) FROM Bookings A WHERE A.MeetingCode = ? AND EXISTS "
                                      "(SELECT 1 FROM Bookings B WHERE B.MeetingCode = ? AND B.Horse = A.Horse)"_s,
                                      {from, to})
                                .toInt();
    if (bookedTwice > 0)
        return u"%1 of its booked horses are booked in %2 too"_s.arg(bookedTwice).arg(to);
    // When the new code is stored already its field stays: the download replaces it anyway.
    const bool targetStored = db.scalar(u"SELECT COUNT(*) FROM Meeting WHERE MeetingCode = ?"_s, {to}).toInt() > 0;
    QStringList tables;
    for (QSqlQuery query = db.exec(u"SELECT M.name FROM sqlite_master M, pragma_table_info(M.name) P "
                                   "WHERE M.type = 'table' AND P.name = 'MeetingCode'"_s);
         query.next();)
        tables << query.value(0).toString();
    for (const QString &table : std::as_const(tables)) {
        const bool field = table == "Meeting"_L1 || table == "Race"_L1 || table == "Noms"_L1;
        if (field && targetStored)
            db.exec(u"DELETE FROM \"%1\" WHERE MeetingCode = ?"_s.arg(table), {from});
        else
            db.exec(u"UPDATE \"%1\" SET MeetingCode = ? WHERE MeetingCode = ?"_s.arg(table), {to, from});
    }
    transaction.commit();
    return {};
}

} // namespace

std::optional<QString> storedCode(const QString &venue, const QDate &date, const QString &preferred)
{
    try {
        QueryResult stored =
            OpenQuery(u"SELECT MeetingCode FROM Meeting WHERE MeetingLocation = ? COLLATE NOCASE "
                      "AND MeetingDate = ? ORDER BY MeetingCode = ? COLLATE NOCASE DESC, MeetingCode"_s,
                      {venue.trimmed(), date.toString(Qt::ISODate), preferred});
        if (!stored.next())
            return std::nullopt;
        return stored.value(0).toString();
    } catch (const DbError &) {
        return std::nullopt; // the store that follows meets the same fault and reports it
    }
}

bool offerMove(const QString &from, const QString &to, const QString &venue)
{
    UserDialogs &dialogs = UserDialogs::instance();
    const QString text = u"The meeting of %1 is stored as %2; its track gives it the code %3.\n"
                         "Move %2, with its bookings and changes, to %3?"_s.arg(venue, from, to);
    if (!dialogs.askYesNo(kMoveTitle, text))
        return false;
    return runGuarded(
               [&] {
                   const QString refused = move(from, to);
                   if (refused.isEmpty())
                       return true;
                   dialogs.message(kMoveTitle, u"%1 was not moved: %2. It keeps its code."_s.arg(from, refused),
                                   UserDialogs::Icon::Exclamation);
                   return false;
               },
               dialogs)
        .value_or(false);
}

void offerMovesForTrack(const QString &venue, const QString &trackCode)
{
    if (trackCode.trimmed().isEmpty())
        return;
    QList<QPair<QString, QString>> moves;
    for (QueryResult stored = OpenQuery(u"SELECT MeetingCode, MeetingDate FROM Meeting "
                                        "WHERE MeetingLocation = ? COLLATE NOCASE ORDER BY MeetingDate"_s,
                                        {venue.trimmed()});
         stored.next();) {
        const QDate date = QDate::fromString(stored.value(1).toString().left(10), Qt::ISODate);
        const QString code = stored.value(0).toString();
        const QString wanted = date.toString(u"ddMM"_s) + trackCode.trimmed().toUpper();
        if (date.isValid() && code.compare(wanted, Qt::CaseInsensitive) != 0)
            moves.append({code, wanted});
    }
    for (const auto &[from, to] : std::as_const(moves))
        offerMove(from, to, venue);
}

} // namespace meetingmove
