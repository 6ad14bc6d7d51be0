#include "RideStatistics.h"

#include "FormText.h"
#include "RemoteQuery.h"
#include "core/Clock.h"
#include "core/StatusSink.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

enum Column { ColRaceDate, ColRaceNo, ColTrack, ColHorse, ColFinish, ColJockey, ColMoney, ColTrainer, ColState };

void execOrThrow(QSqlQuery &query)
{
    if (!query.exec())
        throw DbError(query.lastError().text() + QStringLiteral(" in ") + query.lastQuery());
}

QSqlQuery prepared(Db &db, const QString &sql)
{
    QSqlQuery query(db.handle());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DbError(query.lastError().text() + QStringLiteral(" in ") + sql);
    return query;
}

// Why a ride of the answer cannot be stored, or empty. The values are checked before any is
// written: a ride is stored as the server holds it or not at all.
QString refusal(const QStringList &row)
{
    if (holdsNul(row))
        return QStringLiteral("a value holds a NUL character");
    if (!serverDate(row.at(ColRaceDate)).isValid())
        return QStringLiteral("the race date cannot be read");
    const std::optional<QVariant> place = fittingWholeNumber(row.value(ColFinish));
    if (!fittingWholeNumber(row.at(ColRaceNo)) || !place)
        return QStringLiteral("a race number or place is too large");
    if (place->toInt() < 0)
        return QStringLiteral("the finishing place is negative");
    // Prize money is a plain amount: no sign, one decimal point at most.
    static const QRegularExpression kAmount(QStringLiteral("^\\s*([0-9]+(\\.[0-9]*)?)?\\s*$"));
    if (!kAmount.match(row.value(ColMoney)).hasMatch())
        return QStringLiteral("the prize money \"%1\" is not an amount").arg(row.value(ColMoney));
    if (!fittingNumber(row.value(ColMoney)))
        return QStringLiteral("the prize money is too large");
    return {};
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

} // namespace

QString jockeyRidesSql(const QString &jockey, bool fullReload, const QDateTime &since)
{
    QString sql = QStringLiteral("SELECT WRaceDate, WRaceNo, WTrack, WHorse, WFinPosn, WJockey, WMoneyWon, Wtrainer, mState ")
        + QStringLiteral("from WORKRACE, MEETMAST ") + QStringLiteral(" WHERE WJockey= '") + SqlQuote(jockey).toUpper()
        + QStringLiteral("' and wRaceDate=mDate and WTrack=mTrack");
    if (!fullReload)
        sql += QStringLiteral(" and DateUpdated >= '") + since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
            + QLatin1Char('\'');
    return sql;
}

RideDownloadResult DownloadJockeyRides(const QString &jockey, bool fullReload, const QDateTime &since)
{
    RideDownloadResult result;
    if (jockey.isEmpty())
        return result;

    const std::optional<QList<QStringList>> rows = DataServerRows(jockeyRidesSql(jockey, fullReload, since));
    if (!rows)
        return result;
    result.answered = true;

    Db db = OpenDb();
    // A full career replaces thousands of rows in each of the table's indexes: with the default cache the changed
    // pages spill into the file before the commit, and are written twice.
    db.exec(QStringLiteral("PRAGMA cache_size = -32000"));
    Transaction transaction(db);
    // Names compare without regard to case, as the agent types them and the server holds them in capitals.
    if (fullReload)
        db.exec(QStringLiteral("DELETE FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"), {jockey});

    // RaceDate and RaceNumber lead the RaceStatsByRide index, so each find touches a handful of rows.
    QSqlQuery find = prepared(db, QStringLiteral("SELECT rowid FROM RaceStats WHERE RaceDate = ? AND RaceNumber = ? "
                                                 "AND TrackCode = ? COLLATE NOCASE AND Horse = ? COLLATE NOCASE LIMIT 1"));
    QSqlQuery insert = prepared(db, QStringLiteral("INSERT INTO RaceStats (RaceDate, RaceNumber, TrackCode, Horse, "
                                                   "FinishPos, Jockey, PrizeMoney, TrainerName, State) "
                                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery update = prepared(db, QStringLiteral("UPDATE RaceStats SET RaceDate = ?, RaceNumber = ?, TrackCode = ?, "
                                                   "Horse = ?, FinishPos = ?, Jockey = ?, PrizeMoney = ?, "
                                                   "TrainerName = ?, State = ? WHERE rowid = ?"));

    for (const QStringList &row : *rows) {
        if (row.size() < 3)
            continue;
        ++result.received;
        if (const QString why = refusal(row); !why.isEmpty()) {
            QString ride = row.mid(0, 4).join(QLatin1Char(' '));
            result.skipped << ride.replace(QChar(u'\0'), QLatin1String("\\0")) + QStringLiteral(": ") + why;
            continue;
        }
        const QString raceDate = serverDate(row.at(ColRaceDate)).toString(Qt::ISODate);
        const QVariant raceNumber = *fittingWholeNumber(row.at(ColRaceNo));
        const QVariantList values{
            raceDate,
            raceNumber,
            row.at(ColTrack),
            row.value(ColHorse),
            *fittingWholeNumber(row.value(ColFinish)),
            row.value(ColJockey),
            *fittingNumber(row.value(ColMoney)),
            textOrNull(row.value(ColTrainer)),
            textOrNull(row.value(ColState)),
        };

        QVariant existing;
        if (!fullReload) {
            find.bindValue(0, raceDate);
            find.bindValue(1, raceNumber);
            find.bindValue(2, row.at(ColTrack));
            find.bindValue(3, row.value(ColHorse));
            execOrThrow(find);
            if (find.next())
                existing = find.value(0);
            find.finish();
        }
        QSqlQuery &write = existing.isValid() ? update : insert;
        for (int i = 0; i < values.size(); ++i)
            write.bindValue(i, values.at(i));
        if (existing.isValid())
            write.bindValue(int(values.size()), existing);
        execOrThrow(write);
        ++(existing.isValid() ? result.updated : result.added);
    }

    // The mark moves with the rides it covers, and only past a complete answer: a refused ride is
    // asked for again by the next incremental download.
    if (result.skipped.isEmpty())
        db.exec(QStringLiteral("UPDATE Jockey SET DateLastStats = ? WHERE Jockey = ? COLLATE NOCASE"),
                {Clock::instance().now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), jockey});
    transaction.commit();
    return result;
}

QList<JockeyDownloadDate> jockeyDownloadDates()
{
    QList<JockeyDownloadDate> jockeys;
    QueryResult query = OpenQuery(QStringLiteral("SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey"));
    while (query.next()) {
        const QString stamp = query.value(1).toString();
        QDateTime since = QDateTime::fromString(stamp.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!since.isValid())
            since = QDateTime(QDate::fromString(stamp.left(10), Qt::ISODate), QTime(0, 0));
        if (!since.isValid() || since <= kRideStatsFloor)
            since = kRideStatsFloor;
        jockeys.append({query.value(0).toString(), since, stamp.trimmed().isEmpty()});
    }
    return jockeys;
}

void RefreshAllJockeyRides()
{
    // A data server that is down is said once, not once per jockey after a time-out each.
    const DataServerBatch dataServer;
    try {
        for (const JockeyDownloadDate &entry : jockeyDownloadDates()) {
            showStatus(QStringLiteral("Loading Jockey data for ") + entry.jockey);
            DownloadJockeyRides(entry.jockey, entry.full, entry.since);
        }
    } catch (const DbError &error) {
        UserDialogs::instance().critical(QStringLiteral("Error"), error.message());
    }
}

QString TrainerRideSummary(const QString &trainer, Db &db)
{
    QSqlQuery query = db.exec(QStringLiteral("SELECT Count(TrainerName) AS Rides, MIN(FinishPos) AS BestPosn "
                                             "FROM RaceStats WHERE TrainerName = ? COLLATE NOCASE "
                                             "AND RaceStats.Jockey COLLATE NOCASE IN (SELECT Jockey.Jockey FROM Jockey)"),
                              {trainer});
    if (!query.next())
        return {};
    const int rides = query.value(0).toInt();
    if (rides <= 0)
        return {};
    return QString::number(rides) + QLatin1Char('(') + QString::number(query.value(1).toInt()) + QLatin1Char(')');
}
