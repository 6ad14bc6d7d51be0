#include "BookingHistory.h"

#include "core/Clock.h"
#include "db/Database.h"

using namespace Qt::StringLiterals;

namespace bookinghistory {
namespace {

Source &sourceNow()
{
    static Source source = Source::MainWindow;
    return source;
}

QVariant confirmedValue(const std::optional<bool> &confirmed)
{
    return confirmed ? QVariant(*confirmed ? 1 : 0) : QVariant();
}

std::optional<bool> confirmedOf(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<bool>(value.toInt() != 0);
}

} // namespace

QString sourceText(Source source)
{
    switch (source) {
    case Source::MainWindow:
        return u"main window"_s;
    case Source::RaceWindow:
        return u"race window"_s;
    case Source::ChangeReview:
        return u"change review"_s;
    case Source::CommandLine:
        return u"command line"_s;
    case Source::FieldReload:
        return u"field reload"_s;
    case Source::Undo:
        return u"undo"_s;
    }
    return {};
}

SourceScope::SourceScope(Source source) : m_previous(sourceNow())
{
    sourceNow() = source;
}

SourceScope::~SourceScope()
{
    sourceNow() = m_previous;
}

Source currentSource()
{
    return sourceNow();
}

void append(Db &db, const std::optional<Booking> &before, const std::optional<Booking> &after, Source source)
{
    if (before == after)
        return;
    const Booking &now = after ? *after : *before;
    auto text = [](const std::optional<Booking> &b, QString Booking::*field) {
        return b ? QVariant((*b).*field) : QVariant();
    };
    db.exec(u"INSERT INTO BookingLog (LoggedAt, MeetingCode, RaceCode, Horse, TrainerName, JockeyBefore, JockeyAfter, "
            "StateBefore, StateAfter, ConfirmedBefore, ConfirmedAfter, Source) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
            {Clock::instance().now().toString(u"yyyy-MM-dd HH:mm:ss"_s), now.meetingCode, now.raceCode, now.horse,
             now.trainer, text(before, &Booking::jockey), text(after, &Booking::jockey), text(before, &Booking::state),
             text(after, &Booking::state),
             confirmedValue(before ? std::optional<bool>(before->confirmed) : std::nullopt),
             confirmedValue(after ? std::optional<bool>(after->confirmed) : std::nullopt), sourceText(source)});
}

QString changeText(const Entry &entry)
{
    if (!entry.confirmedBefore)
        return u"made"_s;
    if (!entry.confirmedAfter)
        return u"removed"_s;
    if (entry.jockeyBefore != entry.jockeyAfter)
        return u"jockey changed"_s;
    if (*entry.confirmedBefore != *entry.confirmedAfter)
        return *entry.confirmedAfter ? u"confirmed"_s : u"unconfirmed"_s;
    if (entry.stateBefore != entry.stateAfter)
        return u"state changed"_s;
    return u"moved"_s;
}

QList<Entry> entries(const Filter &filter)
{
    QString sql = u"SELECT LogID, LoggedAt, MeetingCode, RaceCode, Horse, TrainerName, JockeyBefore, JockeyAfter, "
                  "StateBefore, StateAfter, ConfirmedBefore, ConfirmedAfter, Source FROM BookingLog WHERE 1 = 1"_s;
    QVariantList values;
    if (!filter.meetingCode.isEmpty()) {
        sql += u" AND MeetingCode = ?"_s;
        values << filter.meetingCode;
    }
    if (!filter.horse.isEmpty()) {
        sql += u" AND Horse = ?"_s;
        values << filter.horse;
    }
    if (!filter.jockey.isEmpty()) {
        sql += u" AND (JockeyBefore = ? OR JockeyAfter = ?)"_s;
        values << filter.jockey << filter.jockey;
    }
    if (filter.since.isValid()) {
        sql += u" AND LoggedAt >= ?"_s;
        values << filter.since.toString(Qt::ISODate);
    }
    sql += u" ORDER BY LoggedAt, LogID"_s;

    QList<Entry> found;
    QueryResult result = OpenQuery(sql, values);
    while (result.next()) {
        const QSqlQuery &q = result.query;
        found << Entry{q.value(0).toLongLong(), q.value(1).toString(),    q.value(2).toString(),
                       q.value(3).toString(),   q.value(4).toString(),    q.value(5).toString(),
                       q.value(6).toString(),   q.value(7).toString(),    q.value(8).toString(),
                       q.value(9).toString(),   confirmedOf(q.value(10)), confirmedOf(q.value(11)),
                       q.value(12).toString()};
    }
    return found;
}

int removeBefore(const QDate &day)
{
    Db db = OpenDb();
    return db.exec(u"DELETE FROM BookingLog WHERE LoggedAt < ?"_s, {day.toString(Qt::ISODate)}).numRowsAffected();
}

} // namespace bookinghistory
