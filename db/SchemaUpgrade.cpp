#include "SchemaUpgrade.h"

#include "Database.h"
#include "Schema.h"

#include "core/Version.h"
#include "core/cAppSettings.h"

#include <QCryptographicHash>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace {

// Raise when a check below changes in a way the layout's statements do not show.
constexpr int kChecksRevision = 1;

bool below(float threshold)
{
    return cAppSettings::instance().AppVersion < threshold;
}

// True when the step ran without an error.
template <typename Step> bool ignoringErrors(Step step)
{
    try {
        step();
        return true;
    } catch (const DbError &) {
        return false;
    }
}

// The layout the every-start checks bring a file to, as a positive number: the file keeps the
// number of the layout it was last found whole in (SQLite's `user_version`, in its header), so a
// start with a current file reads one number instead of checking every table and index.
int layoutStamp()
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(kChecksRevision));
    for (const QStringList &part : {schema::createStatements(), schema::addedTables(), schema::caseBlindColumns(),
                                    QStringList{schema::trackAliasStatement()}})
        for (const QString &text : part)
            hash.addData(text.toUtf8());
    const quint32 stamp = qFromBigEndian<quint32>(hash.result().constData()) & 0x7fffffffu;
    return stamp ? int(stamp) : 1;
}

// The checks for tables, columns and indexes that later versions added, whatever the stored version
// (each is a no-op once done); like the index steps they leave alone a file that lacks the tables.
// True when every one of them succeeded.
bool checkLayout()
{
    bool whole = true;
    // ---- Venue aliases, the enrichment's last-start weight, codes compared without case ----
    whole &= ignoringErrors([] { OpenDb().exec(schema::trackAliasStatement()); });
    whole &= ignoringErrors([] {
        Db db = OpenDb();
        if (!db.scalar(u"SELECT 1 FROM pragma_table_info('Noms') WHERE name = 'LastStartWeight'"_s).isValid())
            db.exec(u"ALTER TABLE Noms ADD COLUMN LastStartWeight REAL"_s);
    });
    // The jockey a load last compared each booking with (empty until one has): a booking made
    // since is new to the change review.
    whole &= ignoringErrors([] {
        Db db = OpenDb();
        if (!db.scalar(u"SELECT 1 FROM pragma_table_info('Bookings') WHERE name = 'ReviewedJockey'"_s).isValid())
            db.exec(u"ALTER TABLE Bookings ADD COLUMN ReviewedJockey TEXT COLLATE NOCASE"_s);
    });
    // Meetings whose codes differ only in case ("2512rand" loaded after "2512RAND") are one meeting:
    // the one stored last stays, with its races and nominations; bookings stay. Done before the
    // codes become case-blind below.
    whole &= ignoringErrors([] {
        Db db = OpenDb();
        Transaction transaction(db);
        const QString olderTwins =
            u"SELECT M.MeetingCode FROM Meeting M WHERE EXISTS (SELECT 1 FROM Meeting L "
            "WHERE L.MeetingCode = M.MeetingCode COLLATE NOCASE AND L.MeetingCode <> M.MeetingCode COLLATE BINARY "
            "AND L.rowid > M.rowid)"_s;
        for (const char *table : {"Noms", "Race", "Meeting"})
            db.exec(u"DELETE FROM %1 WHERE MeetingCode COLLATE BINARY IN (%2)"_s.arg(QLatin1String(table), olderTwins));
        transaction.commit();
    });
    // ---- end of the venue, weight and code steps ----

    // Files of older versions compare names with case; every query expects them not to.
    whole &= ignoringErrors([] { makeColumnsCaseBlind(schema::caseBlindColumns()); });
    // Tables of later versions, whatever the stored version, before their indexes below.
    // One connection for all of them: each new one reads the schema again.
    whole &= ignoringErrors([&whole] {
        Db db = OpenDb();
        for (const QString &table : schema::addedTables()) {
            const QString create = u"CREATE TABLE "_s + table + u' ';
            for (const QString &statement : schema::createStatements()) {
                if (!statement.startsWith(create))
                    continue;
                const QString ifMissing = u"CREATE TABLE IF NOT EXISTS "_s + statement.mid(qstrlen("CREATE TABLE "));
                whole &= ignoringErrors([&] { db.exec(ifMissing); });
            }
        }
        // Older files carry indexes that every ride stored had to update and no query needs: a second copy of
        // RaceStatsByTrainerNoCase (the column compares without case already), and two that the indexes led by
        // the horse and by the jockey serve as well.
        for (const char *unused : {"RaceStatsByTrainerPlacing", "RaceStatsByRide", "RaceStatsByJockey"})
            whole &= ignoringErrors([&] { db.exec(u"DROP INDEX IF EXISTS "_s + QLatin1String(unused)); });
        // Indexes the lists rely on for speed, which files made by older versions lack; cheap when present.
        for (const QString &statement : schema::createStatements()) {
            if (!statement.startsWith("CREATE INDEX "_L1) || statement.contains(" ByTrainer "_L1))
                continue;
            QString ifMissing = statement;
            ifMissing.insert(int(qstrlen("CREATE INDEX ")), u"IF NOT EXISTS "_s);
            whole &= ignoringErrors([&] { db.exec(ifMissing); });
        }
    });
    return whole;
}

} // namespace

void UpgradeSchema()
{
    const int stamp = layoutStamp();
    int stored = 0;
    {
        Db db = OpenDb(); // fails early, before any step, when the file cannot be opened
        stored = db.scalar(u"PRAGMA user_version"_s).toInt();
    }
    if (below(2.56f)) {
        AddOrAlterColumn(u"Jockey"_s, u"InvoicePeriod"_s, u"Text(2)"_s);
        AddOrAlterColumn(u"Jockey"_s, u"LastInvoiceDate"_s, u"Date"_s);
    }
    if (below(2.62f))
        AddOrAlterColumn(u"Noms"_s, u"LastMargin"_s, u"Single"_s);
    if (below(2.63f))
        AddOrAlterColumn(u"Noms"_s, u"WgtRat"_s, u"Single"_s);
    if (below(2.64f))
        AddOrAlterColumn(u"Noms"_s, u"AvgWin"_s, u"Single"_s);
    if (below(2.66f)) {
        AddOrAlterColumn(u"Noms"_s, u"FormTrainer"_s, u"Text(24)"_s);
        ignoringErrors([] {
            Db db = OpenDb();
            db.exec(u"CREATE INDEX ByTrainer ON RaceStats (TrainerName, RaceDate DESC)"_s);
        });
    }
    // 2.617 is numerically below 2.62..2.66 yet checked last, as a number like the others.
    if (below(2.617f)) {
        ignoringErrors([] { AddOrAlterColumn(u"Noms"_s, u"W800400"_s, u"Text(5)"_s); });
        ignoringErrors([] { AddOrAlterColumn(u"Noms"_s, u"RSecTime"_s, u"Single"_s); });
    }
    // A versioned step may have rebuilt a table: then the file is checked whatever its stamp says.
    if ((stored != stamp || below(2.66f)) && checkLayout())
        ignoringErrors([stamp] { OpenDb().exec(u"PRAGMA user_version = %1"_s.arg(stamp)); });
    cAppSettings::instance().AppVersion = version::asNumber();
    cAppSettings::instance().SaveSettings();
}
