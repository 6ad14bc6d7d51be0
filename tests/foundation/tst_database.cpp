#include "db/Backups.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "core/cAppSettings.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>

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
        db.exec(QStringLiteral("INSERT INTO Noms (MeetingCode, RaceNumber, Horse, TrainerName, Weight) VALUES (?, ?, ?, ?, ?)"),
                {QStringLiteral("1412FLEM"), i % 9 + 1, QStringLiteral("HORSE %1").arg(i), QStringLiteral("O'Brien"), 560});
    db.exec(QStringLiteral("INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('1412FLEM', 'HORSE 1', 'J SMITH', 'Planned')"));
    t.commit();
    // Leave free pages behind so that compaction has something to do.
    db.exec(QStringLiteral("DELETE FROM Noms WHERE RaceNumber > 5"));
}

qint64 count(const QString &path, const QString &table)
{
    Db db(path);
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
}

// A copy killed mid-write, as the crash left it on disk: a new file part written (the cache spills
// early) and the hot journal that rolls it back to nothing.
void interruptedCopy(const QString &from, const QString &to)
{
    const QString scratch = QFileInfo(to).absolutePath() + QStringLiteral("/scratch.mdb");
    Db db(scratch, false);
    db.exec(QStringLiteral("PRAGMA cache_size = 2"));
    db.exec(QStringLiteral("ATTACH DATABASE ? AS source"), {from});
    db.begin();
    db.exec(QStringLiteral("CREATE TABLE Noms AS SELECT * FROM source.Noms"));
    QVERIFY(QFile::exists(scratch + QStringLiteral("-journal")));
    QVERIFY(QFile::copy(scratch, to));
    QVERIFY(QFile::copy(scratch + QStringLiteral("-journal"), to + QStringLiteral("-journal")));
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
        QTest::newRow("plain") << "/data/racing" << "/data/racing";
        QTest::newRow("trailing slash") << "/data/racing/" << "/data/racing";
        QTest::newRow("trailing backslash") << "/data/racing\\" << "/data/racing";
        QTest::newRow("empty is program folder") << "" << "<home>";
    }

    void pathRules()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expectedFolder);
        TestEnvironment env;
        if (expectedFolder == QLatin1String("<home>"))
            expectedFolder = env.programFolder();
        QCOMPARE(databaseFileIn(folder), expectedFolder + QStringLiteral("/Kelbrin.mdb"));
        cAppSettings::instance().DBPath = folder;
        QCOMPARE(databaseFilePath(), expectedFolder + QStringLiteral("/Kelbrin.mdb"));
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("forUrl");
        QTest::newRow("apostrophe") << "O'Brien" << "O''Brien" << "O''Brien";
        QTest::newRow("ampersand") << "A & B's" << "A & B''s" << "A %26 B''s";
        QTest::newRow("plain") << "FLEMINGTON" << "FLEMINGTON" << "FLEMINGTON";
        QTest::newRow("empty") << "" << "" << "";
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
        const QStringList expected = {QStringLiteral("Meeting"), QStringLiteral("Race"), QStringLiteral("Noms"),
                                      QStringLiteral("Bookings"), QStringLiteral("Jockey"), QStringLiteral("Trainer"),
                                      QStringLiteral("RaceStats"), QStringLiteral("RaceType"), QStringLiteral("RBHTable"),
                                      QStringLiteral("BookRate"), QStringLiteral("BookingTemplate"),
                                      QStringLiteral("qryMeetingView"), QStringLiteral("qryJockeyInvoice"),
                                      QStringLiteral("ByTrainer")};
        for (const QString &name : expected)
            QVERIFY2(db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = ?"), {name}).isValid(), qPrintable(name));
        for (const char *column : {"TrainerLocation", "Phone", "LastMargin", "WgtRat", "AvgWin", "FormTrainer", "W800400", "RSecTime"})
            QVERIFY2(db.scalar(QStringLiteral("SELECT 1 FROM pragma_table_info('Noms') WHERE name = ?"), {QLatin1String(column)}).isValid(), column);
        // Words, yes; invented money and weights, no.
        for (const char *table : {"RaceType", "RBHTable", "BookingTemplate", "BookRate"})
            QVERIFY2((db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toInt() > 0)
                         == (qstrcmp(table, "RaceType") == 0 || qstrcmp(table, "BookingTemplate") == 0),
                     table);
        // Creating over an existing file is refused.
        QVERIFY_THROWS_EXCEPTION(DbError, schema::createDatabase(env.databaseFile()));
    }

    void jockeyInvoiceTakesTheRateInForceOnTheDay_data()
    {
        QTest::addColumn<QString>("raceDate");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QVariant>("rate");
        QTest::newRow("before any rate") << "2019-01-01" << "VIC" << QVariant();
        QTest::newRow("first rate") << "2023-06-30" << "VIC" << QVariant(25);
        QTest::newRow("on the change day") << "2024-07-01" << "VIC" << QVariant(30);
        QTest::newRow("after") << "2025-01-01" << "VIC" << QVariant(30);
        QTest::newRow("other state") << "2025-01-01" << "NSW" << QVariant(25);
    }

    void jockeyInvoiceTakesTheRateInForceOnTheDay()
    {
        QFETCH(QString, raceDate);
        QFETCH(QString, state);
        QFETCH(QVariant, rate);
        TestEnvironment env;
        env.createDatabase();
        Db db(env.databaseFile());
        db.exec(QStringLiteral("INSERT INTO BookRate VALUES ('VIC', 'R', '2024-07-01', 30), ('VIC', 'J', '2024-07-01', 99), "
                               "('VIC', 'R', '2020-07-01', 25), ('NSW', 'R', '2020-07-01', 25)"));
        db.exec(QStringLiteral("INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, State) "
                               "VALUES ('J SMITH', ?, 3, 'FLEM', 'ALPHA', 1, 42000, ?)"),
                {raceDate, state});
        const QVariant actual = db.scalar(QStringLiteral("SELECT BookingRate FROM qryJockeyInvoice"));
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
        QTest::newRow("alter existing text to real") << "Noms" << "LastMargin" << "Single" << "REAL";
        QTest::newRow("alter existing to text") << "Noms" << "Rating" << "Text(10)" << "TEXT";
        QTest::newRow("add missing") << "Noms" << "NewField" << "Long" << "INTEGER";
        QTest::newRow("add date") << "Jockey" << "SomeDate" << "Date" << "TEXT";
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
            db.exec(QStringLiteral("INSERT INTO Jockey (Jockey, FullName) VALUES ('J SMITH', 'John Smith')"));
        }
        const qint64 nomsBefore = count(env.databaseFile(), QStringLiteral("Noms"));
        AddOrAlterColumn(table, field, type);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT type FROM pragma_table_info(?) WHERE name = ?"), {table, field}).toString(), declared);
        QCOMPARE(count(env.databaseFile(), QStringLiteral("Noms")), nomsBefore);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Noms WHERE TrainerName = 'O''Brien'")).toLongLong(), nomsBefore);
        // Keys and indexes survive a rebuild.
        QVERIFY(db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainer'")).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, db.exec(QStringLiteral("INSERT INTO Jockey (Jockey) VALUES ('J SMITH')")));
        // The views still work over the rebuilt table.
        QVERIFY(db.scalar(QStringLiteral("SELECT COUNT(*) FROM qryMeetingView")).toLongLong() >= nomsBefore);
    }

    void addOrAlterColumnOnMissingTableFails()
    {
        TestEnvironment env;
        env.createDatabase();
        QVERIFY_THROWS_EXCEPTION(DbError, AddOrAlterColumn(QStringLiteral("NoSuchTable"), QStringLiteral("X"), QStringLiteral("Single")));
        QVERIFY_THROWS_EXCEPTION(DbError, AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("X"), QStringLiteral("Hologram")));
    }

    void compactionKeepsEveryRow()
    {
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        const qint64 noms = count(env.databaseFile(), QStringLiteral("Noms"));
        const qint64 sizeBefore = QFileInfo(env.databaseFile()).size();
        // A stale work file from an earlier run is replaced.
        QFile stale(env.dataFolder() + QStringLiteral("/temp.mdb"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();
        QVERIFY(CompactDb());
        QCOMPARE(count(env.databaseFile(), QStringLiteral("Noms")), noms);
        QCOMPARE(count(env.databaseFile(), QStringLiteral("Bookings")), 1);
        QVERIFY(QFileInfo(env.databaseFile()).size() < sizeBefore);
        QVERIFY(!QFile::exists(env.dataFolder() + QStringLiteral("/temp.mdb")));
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
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("DELETE FROM Bookings"));
        QVERIFY(!CompactDb());
        other.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(count(env.databaseFile(), QStringLiteral("Bookings")), 1);
        QVERIFY(!QFile::exists(env.dataFolder() + QStringLiteral("/temp.mdb")));
    }

    // A database file gone, and the work file of a compaction beside it in one state or another.
    void interruptedCompaction_data()
    {
        QTest::addColumn<QString>("workFile");
        QTest::addColumn<QString>("fault"); // what the note names; empty: the work file is installed
        QTest::newRow("complete") << "complete" << "";
        QTest::newRow("hot journal") << "hot journal" << "journal beside it";
        QTest::newRow("cut short") << "cut short" << "not written to the end";
        QTest::newRow("not a database") << "text" << "not a database";
        QTest::newRow("another program's") << "foreign" << "lacks the tables Meeting, Race, Noms";
    }

    void interruptedCompaction()
    {
        QFETCH(QString, workFile);
        QFETCH(QString, fault);
        TestEnvironment env;
        env.createDatabase();
        seed(env.databaseFile());
        const qint64 noms = count(env.databaseFile(), QStringLiteral("Noms"));
        const QString work = env.dataFolder() + QStringLiteral("/temp.mdb");
        if (workFile == QLatin1String("hot journal"))
            interruptedCopy(env.databaseFile(), work);
        else if (workFile == QLatin1String("text") || workFile == QLatin1String("foreign")) {
            QFile file(work);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a database, but maybe someone's only copy");
        }
        if (workFile == QLatin1String("foreign")) {
            QFile::remove(work);
            Db(work, false).exec(QStringLiteral("CREATE TABLE Notes (Text TEXT)"));
        }
        if (QFile::exists(work))
            QVERIFY(QFile::remove(env.databaseFile()));
        else
            QVERIFY(QFile::rename(env.databaseFile(), work));
        if (workFile == QLatin1String("cut short")) {
            QFile file(work);
            QVERIFY(file.resize(file.size() - 4096));
        }

        QString note;
        QCOMPARE(recoverInterruptedCompaction(env.dataFolder(), &note), fault.isEmpty());
        QVERIFY(!QFile::exists(work)); // installed or set aside: never where a compaction would remove it
        if (fault.isEmpty()) {
            QVERIFY(note.isEmpty());
            QCOMPARE(count(env.databaseFile(), QStringLiteral("Noms")), noms);
            return;
        }
        QVERIFY2(note.contains(fault), qPrintable(note));
        QVERIFY(!QFile::exists(env.databaseFile()));
        const QStringList aside = QDir(env.dataFolder()).entryList({QStringLiteral("temp-incomplete-*.mdb")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(note.contains(aside.first()));
        QCOMPARE(QFile::exists(env.dataFolder() + u'/' + aside.first() + QStringLiteral("-journal")),
                 workFile == QLatin1String("hot journal"));
        // A compaction asked for afterwards refuses, names why, and makes nothing.
        QString why;
        QVERIFY(!compactDatabaseIn(env.dataFolder(), &why));
        QVERIFY2(why.contains(QLatin1String("not found")), qPrintable(why));
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
            Db(env.databaseFile()).exec(QStringLiteral("DELETE FROM Noms"));
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
        for (int i = 0; i < (taken == QLatin1String("monthly") ? 24 : taken == QLatin1String("daily") ? 30 : 10); ++i) {
            if (taken == QLatin1String("monthly"))
                times << QDateTime(QDate(2025, 1, 1).addMonths(i), QTime(12, 0));
            else
                times << QDateTime(QDate(2026, 11, 1).addDays(i), QTime(taken == QLatin1String("daily") ? 18 : 9, 0));
            if (taken == QLatin1String("twice daily"))
                times << QDateTime(QDate(2026, 11, 1).addDays(i), QTime(17, 0));
        }
        const QList<QDateTime> kept = backups::kept(times);
        QCOMPARE(kept.size(), keptCount);
        QCOMPARE(kept.last().toString(QStringLiteral("yyyy-MM-dd HH:mm")), oldestKept);
        QCOMPARE(kept.first(), *std::max_element(times.cbegin(), times.cend())); // the newest always stays
    }

    void failedStatementRollsBackTheTransaction()
    {
        TestEnvironment env;
        env.createDatabase();
        Db db(env.databaseFile());
        try {
            Transaction t(db);
            db.exec(QStringLiteral("INSERT INTO Meeting (MeetingCode) VALUES ('1412FLEM')"));
            db.exec(QStringLiteral("INSERT INTO NoSuchTable VALUES (1)"));
            t.commit();
            QFAIL("the bad statement must throw");
        } catch (const DbError &error) {
            QVERIFY(error.message().contains(QLatin1String("NoSuchTable")));
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Meeting")).toInt(), 0);
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
