#include "RideStatistics.h"

#include "FormText.h"
#include "RemoteQuery.h"
#include "core/Clock.h"
#include "core/StatusSink.h"
#include "core/TextRules.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "db/NativeStatement.h"

#include <QMultiHash>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Column { ColRaceDate, ColRaceNo, ColTrack, ColHorse, ColFinish, ColJockey, ColMoney, ColTrainer, ColState };

// Most prizes are whole numbers of dollars: those need no pattern to be read as an amount.
bool onlyDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The values of a ride as RaceStats stores them, in the order of these columns.
using RideValues = QVariantList;
const char kRideColumns[] = "RaceDate, RaceNumber, TrackCode, Horse, FinishPos, Jockey, PrizeMoney, TrainerName, State";

// The stored ride of a row selected as "rowid, " + kRideColumns.
RideValues storedRide(const NativeStatement &query)
{
    RideValues values;
    values.reserve(9);
    for (int c = 1; c <= 9; ++c)
        values.append(query.value(c));
    return values;
}

// A ride of the answer as RaceStats stores it, or why it cannot be stored. The values are checked before
// any is written: a ride is stored as the server holds it or not at all.
QString readRide(const QStringList &row, RideValues &values)
{
    if (holdsNul(row))
        return u"a value holds a NUL character"_s;
    const QDate date = serverDate(row.at(ColRaceDate));
    if (!date.isValid())
        return u"the race date cannot be read"_s;
    const std::optional<QVariant> race = fittingWholeNumber(row.at(ColRaceNo));
    const std::optional<QVariant> place = fittingWholeNumber(row.value(ColFinish));
    if (!race || !place)
        return u"a race number or place is too large"_s;
    if (place->toInt() < 0)
        return u"the finishing place is negative"_s;
    // Prize money is a plain amount: no sign, one decimal point at most.
    static const QRegularExpression kAmount(u"^\\s*([0-9]+(\\.[0-9]*)?)?\\s*$"_s);
    if (!onlyDigits(row.value(ColMoney)) && !kAmount.match(row.value(ColMoney)).hasMatch())
        return u"the prize money \"%1\" is not an amount"_s.arg(row.value(ColMoney));
    const std::optional<double> money = fittingNumber(row.value(ColMoney));
    if (!money)
        return u"the prize money is too large"_s;
    // The server's dates are mostly written as they are stored: the text is kept rather than printed again.
    const QString &dateText = row.at(ColRaceDate);
    const bool iso = dateText.size() == 10 && dateText.at(4) == u'-';
    values = {iso ? dateText : date.toString(Qt::ISODate),
              *race,
              row.at(ColTrack),
              row.value(ColHorse),
              *place,
              row.value(ColJockey),
              *money,
              textOrNull(row.value(ColTrainer)),
              textOrNull(row.value(ColState))};
    return {};
}

// Whether writing `incoming` over `stored` would leave the row as it is: texts compare exactly (case too),
// numbers by value (SQLite keeps a whole prize as an integer), NULL only equals NULL.
bool sameValues(const RideValues &stored, const RideValues &incoming)
{
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        const QVariant &a = stored.at(i);
        const QVariant &b = incoming.at(i);
        if (a.isNull() || b.isNull()) {
            if (a.isNull() != b.isNull())
                return false;
            continue;
        }
        const bool aText = a.typeId() == QMetaType::QString;
        if (aText != (b.typeId() == QMetaType::QString))
            return false;
        if (aText ? a.toString() != b.toString() : a.toDouble() != b.toDouble())
            return false;
    }
    return true;
}

// Where to look for the stored row a ride may replace: a jockey rides once in a race, so the race is enough
// to find the few candidates, which are then compared whole.
using RaceKey = std::pair<QString, qlonglong>;
RaceKey raceKey(const RideValues &values)
{
    return {values.at(0).toString(), values.at(1).toLongLong()};
}

// The same ride: the same race and horse, track and horse compared without case as the index finds them.
bool sameRide(const RideValues &a, const RideValues &b)
{
    return a.at(2).toString().compare(b.at(2).toString(), Qt::CaseInsensitive) == 0 &&
           a.at(3).toString().compare(b.at(3).toString(), Qt::CaseInsensitive) == 0;
}

class RideWriter
{
public:
    explicit RideWriter(Db &db)
        : m_insert(db,
                   u"INSERT INTO RaceStats (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s.arg(QLatin1String(kRideColumns))),
          m_update(db, u"UPDATE RaceStats SET RaceDate = ?, RaceNumber = ?, TrackCode = ?, "
                       "Horse = ?, FinishPos = ?, Jockey = ?, PrizeMoney = ?, "
                       "TrainerName = ?, State = ? WHERE rowid = ?"_s)
    {}
    void insert(const RideValues &values) { write(m_insert, values, {}); }
    void update(const RideValues &values, const QVariant &rowid) { write(m_update, values, rowid); }

private:
    static void write(NativeStatement &statement, const RideValues &values, const QVariant &rowid)
    {
        for (qsizetype i = 0; i < values.size(); ++i)
            statement.bind(int(i), values.at(i));
        if (rowid.isValid())
            statement.bind(int(values.size()), rowid);
        statement.exec();
    }
    NativeStatement m_insert;
    NativeStatement m_update;
};

// The jockey's stored rides, read once and paired with the rides of an answer in memory: a season's answer
// changes a handful of rides in thousands, and only those are written, so the table's indexes are touched
// for them alone.
class StoredCareer
{
public:
    struct Stored {
        QVariant rowid;
        RideValues values;
        bool claimed = false;
    };

    StoredCareer(Db &db, const QString &jockey, qsizetype expected)
    {
        m_stored.reserve(expected);
        m_byRace.reserve(expected);
        // Names compare without regard to case, as the agent types them and the server holds them in capitals.
        NativeStatement read(
            db, u"SELECT rowid, %1 FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"_s.arg(QLatin1String(kRideColumns)));
        read.bind(0, jockey);
        while (read.next()) {
            Stored row{read.value(0), storedRide(read)};
            m_byRace.insert(raceKey(row.values), m_stored.size());
            m_stored.append(std::move(row));
        }
    }

    // Claims the stored row `ride` pairs with: an identical one (then `identical`), else the first unclaimed
    // one of the same ride; nullptr when there is none.
    Stored *claim(const RideValues &ride, bool &identical)
    {
        Stored *other = nullptr;
        const auto candidates = m_byRace.equal_range(raceKey(ride));
        for (auto it = candidates.first; it != candidates.second; ++it) {
            Stored &candidate = m_stored[*it];
            if (candidate.claimed || !sameRide(candidate.values, ride))
                continue;
            if (sameValues(candidate.values, ride)) {
                candidate.claimed = identical = true;
                return &candidate;
            }
            if (!other)
                other = &candidate;
        }
        identical = false;
        if (other)
            other->claimed = true;
        return other;
    }

    const QList<Stored> &rows() const { return m_stored; }

private:
    QList<Stored> m_stored;
    QMultiHash<RaceKey, qsizetype> m_byRace;
};

// Writes `ride` over the stored row it pairs with, when it differs; returns false when it pairs with none.
bool storePaired(StoredCareer &career, RideWriter &writer, const RideValues &ride, RideDownloadResult &result)
{
    bool identical = false;
    const StoredCareer::Stored *paired = career.claim(ride, identical);
    if (paired && !identical) {
        writer.update(ride, paired->rowid);
        ++result.updated;
    }
    return paired != nullptr;
}

// A full reload leaves the jockey's rows exactly as the answer has them.
void storeCareer(Db &db, const QString &jockey, const QList<RideValues> &rides, RideDownloadResult &result)
{
    StoredCareer career(db, jockey, rides.size());
    RideWriter writer(db);
    for (const RideValues &ride : rides) {
        if (!storePaired(career, writer, ride, result)) {
            writer.insert(ride);
            ++result.added;
        }
    }
    NativeStatement remove(db, u"DELETE FROM RaceStats WHERE rowid = ?"_s);
    for (const StoredCareer::Stored &row : career.rows()) {
        if (row.claimed)
            continue;
        remove.bind(0, row.rowid);
        remove.exec();
    }
}

// The rides the server changed since the last download: each rewritten over the stored row of the same race
// and horse when it differs, or added. A long answer (the server may send every ride again) is paired with the
// jockey's stored rides in memory first; a ride stored under another rider is then found by the race.
void storeChanges(Db &db, const QString &jockey, const QList<RideValues> &rides, RideDownloadResult &result)
{
    // Reading the career costs about as much as a few hundred look-ups.
    constexpr qsizetype kPairInMemoryFrom = 256;
    std::optional<StoredCareer> career;
    if (rides.size() >= kPairInMemoryFrom)
        career.emplace(db, jockey, rides.size());
    // The horse leads RaceStatsByHorseNoCase, so each find reads the horse's few rides.
    NativeStatement find(
        db, u"SELECT rowid, %1 FROM RaceStats WHERE Horse = ? COLLATE NOCASE AND RaceDate = ? AND RaceNumber = ? "
            "AND TrackCode = ? COLLATE NOCASE LIMIT 1"_s.arg(QLatin1String(kRideColumns)));
    RideWriter writer(db);
    for (const RideValues &ride : rides) {
        if (career && storePaired(*career, writer, ride, result))
            continue;
        find.bind(0, ride.at(3));
        for (int i = 0; i < 3; ++i)
            find.bind(i + 1, ride.at(i));
        const bool found = find.next();
        const QVariant existing = found ? find.value(0) : QVariant();
        const RideValues stored = found ? storedRide(find) : RideValues();
        if (!found) {
            writer.insert(ride);
            ++result.added;
        } else if (!sameValues(stored, ride)) {
            writer.update(ride, existing);
            ++result.updated;
        }
    }
}

} // namespace

QString jockeyRidesSql(const QString &jockey, bool fullReload, const QDateTime &since)
{
    QString sql = u"SELECT WRaceDate, WRaceNo, WTrack, WHorse, WFinPosn, WJockey, WMoneyWon, Wtrainer, mState "_s +
                  u"from WORKRACE, MEETMAST "_s + u" WHERE WJockey= '"_s + SqlQuote(jockey).toUpper() +
                  u"' and wRaceDate=mDate and WTrack=mTrack"_s;
    if (!fullReload)
        sql += u" and DateUpdated >= '"_s + since.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u'\'';
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

    QList<RideValues> rides;
    rides.reserve(rows->size());
    for (const QStringList &row : *rows) {
        if (row.size() < 3)
            continue;
        ++result.received;
        RideValues ride;
        if (const QString why = readRide(row, ride); !why.isEmpty()) {
            QString text = row.mid(0, 4).join(u' ');
            result.skipped << text.replace(QChar(u'\0'), "\\0"_L1) + u": "_s + why;
            continue;
        }
        rides.append(std::move(ride));
    }

    Db db = OpenDb();
    // A first download of a career adds thousands of rows to each of the table's indexes: with the default cache
    // the changed pages spill into the file before the commit, and are written twice.
    db.exec(u"PRAGMA cache_size = -32000"_s);
    Transaction transaction(db);
    if (fullReload)
        storeCareer(db, jockey, rides, result);
    else
        storeChanges(db, jockey, rides, result);

    // The mark moves with the rides it covers, and only past a complete answer: a refused ride is
    // asked for again by the next incremental download.
    if (result.skipped.isEmpty())
        db.exec(u"UPDATE Jockey SET DateLastStats = ? WHERE Jockey = ? COLLATE NOCASE"_s,
                {Clock::instance().now().toString(u"yyyy-MM-dd HH:mm:ss"_s), jockey});
    transaction.commit();
    return result;
}

QList<JockeyDownloadDate> jockeyDownloadDates()
{
    QList<JockeyDownloadDate> jockeys;
    QueryResult query = OpenQuery(u"SELECT Jockey, DateLastStats FROM Jockey ORDER BY Jockey"_s);
    while (query.next()) {
        const QString stamp = query.value(1).toString();
        QDateTime since = QDateTime::fromString(stamp.left(19), u"yyyy-MM-dd HH:mm:ss"_s);
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
    runGuarded([&] {
        for (const JockeyDownloadDate &entry : jockeyDownloadDates()) {
            showStatus(u"Loading Jockey data for "_s + entry.jockey);
            DownloadJockeyRides(entry.jockey, entry.full, entry.since);
        }
    });
}
