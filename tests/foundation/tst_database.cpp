#include "core/cAppSettings.h"
#include "db/Backups.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void seed(const QString &path)
{
    Db db(path);
    Transaction t(db);
    for (int i = 0; i < 500; ++i)
        db.exec(u"INSERT INTO Noms (MeetingCode, RaceNumber, Horse, TrainerName, Weight) VALUES (?, ?, ?, ?, ?)"_s,
                {u"1412FLEM"_s, i % 9 + 1, u"HORSE %1"_s.arg(i), u"O'Brien"_s, 560});
    db.exec(
        u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('1412FLEM', 'HORSE 1', 'J SMITH', 'Planned')"_s);
    t.commit();
    // Leave free pages behind so that compaction has something to do.
    db.exec(u"DELETE FROM Noms WHERE RaceNumber > 5"_s);
}

qint64 count(const QString &path, const QString &table)
{
    Db db(path);
    return db.scalar(u"SELECT COUNT(*) FROM "_s + table).toLongLong();
}

// A copy killed mid-write, as the crash left it on disk: a new file part written (the cache spills
// early) and the hot journal that rolls it back to nothing.
void interruptedCopy(const QString &from, const QString &to)
{
    const QString scratch = QFileInfo(to).absolutePath() + u"/scratch.mdb"_s;
    Db db(scratch, false);
    db.exec(u"PRAGMA cache_size = 2"_s);
    db.exec(u"ATTACH DATABASE ? AS source"_s, {from});
    db.begin();
    db.exec(u"CREATE TABLE Noms AS SELECT * FROM source.Noms"_s);
    QVERIFY(QFile::exists(scratch + u"-journal"_s));
    QVERIFY(QFile::copy(scratch, to));
    QVERIFY(QFile::copy(scratch + u"-journal"_s, to + u"-journal"_s));
    db.rollback();
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void pathRules_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("plain") << "/data/racing"
                               << "/data/racing";
        QTest::newRow("trailing slash") << "/data/racing/"
                                        << "/data/racing";
        QTest::newRow("trailing backslash") << "/data/racing\\"
                                            << "/data/racing";
        QTest::newRow("empty is program folder") << ""
                                                 << "<home>";
    }

    void pathRules()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expectedFolder);
        TestEnvironment env;
        if (expectedFolder == "<home>"_L1)
            expectedFolder = env.programFolder();
        QCOMPARE(databaseFileIn(folder), expectedFolder + u"/Kelbrin.mdb"_s);
        cAppSettings::instance().DBPath = folder;
        QCOMPARE(databaseFilePath(), expectedFolder + u"/Kelbrin.mdb"_s);
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("forUrl");
        QTest::newRow("apostrophe") << "O'Brien"
                                    << "O''Brien"
                                    << "O''Brien";
        QTest::newRow("ampersand") << "A & B's"
                                   << "A & B''s"
                                   << "A %26 B''s";
        QTest::newRow("plain") << "FLEMINGTON"
                               << "FLEMINGTON"
                               << "FLEMINGTON";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }

    void quoting()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QFETCH(QString, forUrl);
        QCOMPARE(SqlQuote(text), quoted);
        QString inPlace = text;
        QCOMPARE(SqlQuoteForUrl(inPlace), forUrl);
        QCOMPARE(inPlace, quoted); // the argument keeps the doubled quotes, not the %26
    }

    void newDatabaseHasEveryTableAndView()
    {
        TestEnvironment env;
        env.createDatabase();
        Db db(env.databaseFile());
        const QStringList expected = {u"Meeting"_s,
                                      u"Race"_s,
                                      u"Noms"_s,
                                      u"Bookings"_s,
                                      u"Jockey"_s,
                                      u"Trainer"_s,
                                      u"RaceStats"_s,
                                      u"RaceType"_s,
                                      u"RBHTable"_s,
                                      u"BookRate"_s,
                                      u"BookingTemplate"_s,
                                      u"qryMeetingView"_s,
                                      u"qryJockeyInvoice"_s,
                                      u"ByTrainer"_s};
        for (const QString &name : expected)
            QVERIFY2(db.scalar(u"SELECT 1 FROM sqlite_master WHERE name = ?"_s, {name}).isValid(), qPrintable(name));
        for (const char *column :
             {"TrainerLocation", "Phone", "LastMargin", "WgtRat", "AvgWin", "FormTrainer", "W800400", "RSecTime"})
            QVERIFY2(db.scalar(u"SELECT 1 FROM pragma_table_info('Noms') WHERE name = ?"_s, {QLatin1String(column)})
                         .isValid(),
                     column);
        // Words, yes; invented money and weights, no.
        for (const char *table : {"RaceType", "RBHTable", "BookingTemplate", "BookRate"})
            QVERIFY2((db.scalar(u"SELECT COUNT(*) FROM "_s + QLatin1String(table)).toInt() > 0) ==
                         (qstrcmp(table, "RaceType") == 0 || qstrcmp(table, "BookingTemplate") == 0),
                     table);
        // Creating over an existing file is refused.
        QVERIFY_THROWS_EXCEPTION(DbError, schema::createDatabase(env.databaseFile()));
    }

    void jockeyInvoiceTakesTheRateInForceOnTheDay_data()
    {
        QTest::addColumn<QString>("raceDate");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QVariant>("rate");
        QTest::newRow("before any rate") << "2019-01-01"
                                         << "VIC" << QVariant();
        QTest::newRow("first rate") << "2023-06-30"
                                    << "VIC" << QVariant(25);
        QTest::newRow("on the change day") << "2024-07-01"
                                           << "VIC" << QVariant(30);
        QTest::newRow("after") << "2025-01-01"
                               << "VIC" << QVariant(30);
        QTest::newRow("other state") << "2025-01-01"
                                     << "NSW" << QVariant(25);
    }

    void jockeyInvoiceTakesTheRateInForceOnTheDay()
    {
        QFETCH(QString, raceDate);
        QFETCH(QString, state);
        QFETCH(QVariant, rate);
        TestEnvironment env;
        env.createDatabase();
        Db db(env.databaseFile());
        db.exec(u"INSERT INTO BookRate VALUES ('VIC', 'R', '2024-07-01', 30), ('VIC', 'J', '2024-07-01', 99), "
                "('VIC', 'R', '2020-07-01', 25), ('NSW', 'R', '2020-07-01', 25)"_s);
        db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, State) "
                "VALUES ('J SMITH', ?, 3, 'FLEM', 'ALPHA', 1, 42000, ?)"_s,
                {raceDate, state});
        const QVariant actual = db.scalar(u"SELECT BookingRate FROM qryJockeyInvoice"_s);
        if (rate.isValid())
            QCOMPARE(actual.toInt(), rate.toInt());
        else
            QVERIFY(actual.isNull());
    }

    void addOrAlterColumn_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("declared");
        QTest::newRow("alter existing text to real") << "Noms"
                                                     << "LastMargin"
                                                     << "Single"
                                                     << "REAL";
        QTest::newRow("alter existing to text") << "Noms"
                                                << "Rating"
                                                << "Text(10)"
                                                << "TEXT";
        QTest::newRow("add missing") << "Noms"
                                     << "NewField"
                                     << "Long"
                                     << "INTEGER";
        QTest::newRow("add date") << "Jockey"
                                  << "SomeDate"
                                  << "Date"
                                  << "TEXT";
    }

    void addOrAlterColumn()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, type);
        QFETCH(QString, declared);
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        {
            Db db(env.databaseFile());
            db.exec(u"INSERT INTO Jockey (Jockey, FullName) VALUES ('J SMITH', 'John Smith')"_s);
        }
        const qint64 nomsBefore = count(env.databaseFile(), u"Noms"_s);
        AddOrAlterColumn(table, field, type);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(u"SELECT type FROM pragma_table_info(?) WHERE name = ?"_s, {table, field}).toString(),
                 declared);
        QCOMPARE(count(env.databaseFile(), u"Noms"_s), nomsBefore);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Noms WHERE TrainerName = 'O''Brien'"_s).toLongLong(), nomsBefore);
        // Keys and indexes survive a rebuild.
        QVERIFY(db.scalar(u"SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainer'"_s).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, db.exec(u"INSERT INTO Jockey (Jockey) VALUES ('J SMITH')"_s));
        // The views still work over the rebuilt table.
        QVERIFY(db.scalar(u"SELECT COUNT(*) FROM qryMeetingView"_s).toLongLong() >= nomsBefore);
    }

    void addOrAlterColumnOnMissingTableFails()
    {
        TestEnvironment env;
        env.createDatabase();
        QVERIFY_THROWS_EXCEPTION(DbError, AddOrAlterColumn(u"NoSuchTable"_s, u"X"_s, u"Single"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, AddOrAlterColumn(u"Noms"_s, u"X"_s, u"Hologram"_s));
    }

    void compactionKeepsEveryRow()
    {
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        const qint64 noms = count(env.databaseFile(), u"Noms"_s);
        const qint64 sizeBefore = QFileInfo(env.databaseFile()).size();
        // A stale work file from an earlier run is replaced.
        QFile stale(env.dataFolder() + u"/temp.mdb"_s);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();
        QVERIFY(CompactDb());
        QCOMPARE(count(env.databaseFile(), u"Noms"_s), noms);
        QCOMPARE(count(env.databaseFile(), u"Bookings"_s), 1);
        QVERIFY(QFileInfo(env.databaseFile()).size() < sizeBefore);
        QVERIFY(!QFile::exists(env.dataFolder() + u"/temp.mdb"_s));
    }

    void damagedDatabaseIsLeftUntouched()
    {
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        {
            // Scribble over the middle of the file: the header still says SQLite, the pages do not.
            QFile file(env.databaseFile());
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(4096);
            file.write(QByteArray(8192, '\x5a'));
        }
        const QByteArray before = fileHash(env.databaseFile());
        QVERIFY(!CompactDb());
        QCOMPARE(fileHash(env.databaseFile()), before);
    }

    void lockedDatabaseFailsAndSurvives()
    {
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        Db other(env.databaseFile());
        other.exec(u"BEGIN IMMEDIATE"_s);
        other.exec(u"DELETE FROM Bookings"_s);
        QVERIFY(!CompactDb());
        other.exec(u"ROLLBACK"_s);
        QCOMPARE(count(env.databaseFile(), u"Bookings"_s), 1);
        QVERIFY(!QFile::exists(env.dataFolder() + u"/temp.mdb"_s));
    }

    // A database file gone, and the work file of a compaction beside it in one state or another.
    void interruptedCompaction_data()
    {
        QTest::addColumn<QString>("workFile");
        QTest::addColumn<QString>("fault"); // what the note names; empty: the work file is installed
        QTest::newRow("complete") << "complete"
                                  << "";
        QTest::newRow("hot journal") << "hot journal"
                                     << "journal beside it";
        QTest::newRow("cut short") << "cut short"
                                   << "not written to the end";
        QTest::newRow("not a database") << "text"
                                        << "not a database";
        QTest::newRow("another program's") << "foreign"
                                           << "lacks the tables Meeting, Race, Noms";
    }

    void interruptedCompaction()
    {
        QFETCH(QString, workFile);
        QFETCH(QString, fault);
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        const qint64 noms = count(env.databaseFile(), u"Noms"_s);
        const QString work = env.dataFolder() + u"/temp.mdb"_s;
        if (workFile == "hot journal"_L1)
            interruptedCopy(env.databaseFile(), work);
        else if (workFile == "text"_L1 || workFile == "foreign"_L1) {
            QFile file(work);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a database, but maybe someone's only copy");
        }
        if (workFile == "foreign"_L1) {
            QFile::remove(work);
            Db(work, false).exec(u"CREATE TABLE Notes (Text TEXT)"_s);
        }
        if (QFile::exists(work))
            QVERIFY(QFile::remove(env.databaseFile()));
        else
            QVERIFY(QFile::rename(env.databaseFile(), work));
        if (workFile == "cut short"_L1) {
            QFile file(work);
            QVERIFY(file.resize(file.size() - 4096));
        }

        QString note;
        QCOMPARE(recoverInterruptedCompaction(env.dataFolder(), &note), fault.isEmpty());
        QVERIFY(!QFile::exists(work)); // installed or set aside: never where a compaction would remove it
        if (fault.isEmpty()) {
            QVERIFY(note.isEmpty());
            QCOMPARE(count(env.databaseFile(), u"Noms"_s), noms);
            return;
        }
        QVERIFY2(note.contains(fault), qPrintable(note));
        QVERIFY(!QFile::exists(env.databaseFile()));
        const QStringList aside = QDir(env.dataFolder()).entryList({u"temp-incomplete-*.mdb"_s});
        QCOMPARE(aside.size(), 1);
        QVERIFY(note.contains(aside.first()));
        QCOMPARE(QFile::exists(env.dataFolder() + u'/' + aside.first() + u"-journal"_s), workFile == "hot journal"_L1);
        // A compaction asked for afterwards refuses, names why, and makes nothing.
        QString why;
        QVERIFY(!compactDatabaseIn(env.dataFolder(), &why));
        QVERIFY2(why.contains("not found"_L1), qPrintable(why));
        QVERIFY(!QFile::exists(env.databaseFile()));
    }

    void compactionPaysForFreePagesOrAWeek_data()
    {
        QTest::addColumn<bool>("freePages");
        QTest::addColumn<int>("daysSince"); // -1: never compacted
        QTest::addColumn<bool>("pays");
        QTest::newRow("tidy, yesterday") << false << 1 << false;
        QTest::newRow("tidy, six days") << false << 6 << false;
        QTest::newRow("tidy, a week") << false << 7 << true;
        QTest::newRow("tidy, never") << false << -1 << true;
        QTest::newRow("free pages, yesterday") << true << 1 << true;
    }

    void compactionPaysForFreePagesOrAWeek()
    {
        QFETCH(bool, freePages);
        QFETCH(int, daysSince);
        QFETCH(bool, pays);
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        if (freePages)
            Db(env.databaseFile()).exec(u"DELETE FROM Noms"_s);
        else
            QVERIFY(CompactDb());
        const QDateTime now(QDate(2026, 12, 7), QTime(8, 0));
        const QDateTime last = daysSince < 0 ? QDateTime() : now.addDays(-daysSince);
        QCOMPARE(compactionPays(env.databaseFile(), last, now), pays);
    }

    // Backups thinned to the newest of each of 7 days, 4 weeks (from Monday) and 12 months.
    void backupsKept_data()
    {
        QTest::addColumn<QString>("taken");
        QTest::addColumn<int>("keptCount");
        QTest::addColumn<QString>("oldestKept");
        QTest::newRow("a month, daily") << "daily" << 9 << "2026-11-15 18:00";
        QTest::newRow("ten days, morning and evening") << "twice daily" << 8 << "2026-11-01 17:00";
        QTest::newRow("two years, monthly") << "monthly" << 12 << "2026-01-01 12:00";
    }

    void backupsKept()
    {
        QFETCH(QString, taken);
        QFETCH(int, keptCount);
        QFETCH(QString, oldestKept);
        QList<QDateTime> times;
        for (int i = 0; i < (taken == "monthly"_L1 ? 24 : taken == "daily"_L1 ? 30 : 10); ++i) {
            if (taken == "monthly"_L1)
                times << QDateTime(QDate(2025, 1, 1).addMonths(i), QTime(12, 0));
            else
                times << QDateTime(QDate(2026, 11, 1).addDays(i), QTime(taken == "daily"_L1 ? 18 : 9, 0));
            if (taken == "twice daily"_L1)
                times << QDateTime(QDate(2026, 11, 1).addDays(i), QTime(17, 0));
        }
        const QList<QDateTime> kept = backups::kept(times);
        QCOMPARE(kept.size(), keptCount);
        QCOMPARE(kept.last().toString(u"yyyy-MM-dd HH:mm"_s), oldestKept);
        QCOMPARE(kept.first(), *std::max_element(times.cbegin(), times.cend())); // the newest always stays
    }

    void failedStatementRollsBackTheTransaction()
    {
        TestEnvironment env;
        env.createDatabase();
        Db db(env.databaseFile());
        try {
            Transaction t(db);
            db.exec(u"INSERT INTO Meeting (MeetingCode) VALUES ('1412FLEM')"_s);
            db.exec(u"INSERT INTO NoSuchTable VALUES (1)"_s);
            t.commit();
            QFAIL("the bad statement must throw");
        } catch (const DbError &error) {
            QVERIFY(error.message().contains("NoSuchTable"_L1));
        }
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Meeting"_s).toInt(), 0);
    }

    void openingAMissingFileCreatesNothing()
    {
        TestEnvironment env;
        QVERIFY(!CompactDb());
        QVERIFY_THROWS_EXCEPTION(DbError, OpenDb());
        QVERIFY(!QFile::exists(env.databaseFile()));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
