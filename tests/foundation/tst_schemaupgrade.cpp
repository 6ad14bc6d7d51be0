#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/SchemaUpgrade.h"
#include "support/TestEnvironment.h"

#include <QSettings>
#include <QTest>

namespace {

const QStringList kUpgradeColumns = {QStringLiteral("Jockey.InvoicePeriod"), QStringLiteral("Jockey.LastInvoiceDate"),
                                     QStringLiteral("Noms.LastMargin"),      QStringLiteral("Noms.WgtRat"),
                                     QStringLiteral("Noms.AvgWin"),          QStringLiteral("Noms.FormTrainer"),
                                     QStringLiteral("Noms.W800400"),         QStringLiteral("Noms.RSecTime")};

// The oldest layout: none of the columns that later versions added, and no ByTrainer index.
void makeLegacyLayout(const QString &path, const QStringList &keep = {})
{
    Db db(path);
    db.exec(QStringLiteral("INSERT INTO Noms (MeetingCode, Horse, TrainerName) VALUES ('0101FLEM', 'ALPHA', 'T ONE')"));
    db.exec(QStringLiteral("INSERT INTO Jockey (Jockey, FullName) VALUES ('J SMITH', 'John Smith')"));
    db.exec(QStringLiteral("DROP INDEX ByTrainer"));
    db.exec(QStringLiteral("DROP VIEW qryMeetingView"));
    for (const QString &qualified : kUpgradeColumns) {
        if (keep.contains(qualified))
            continue;
        const QStringList parts = qualified.split(QLatin1Char('.'));
        db.exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(parts.at(0), parts.at(1)));
    }
}

QStringList presentColumns(const QString &path)
{
    Db db(path);
    QStringList present;
    for (const QString &qualified : kUpgradeColumns) {
        const QStringList parts = qualified.split(QLatin1Char('.'));
        if (db.scalar(QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE name = ?"), {parts.at(0), parts.at(1)}).isValid())
            present << qualified;
    }
    return present;
}

bool hasByTrainer(const QString &path)
{
    Db db(path);
    return db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = 'ByTrainer'")).isValid();
}

} // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void stepsByStoredVersion_data()
    {
        QTest::addColumn<float>("storedVersion");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("index");
        QTest::newRow("new installation") << 0.0f << kUpgradeColumns << true;
        QTest::newRow("2.56 skips step 1") << 2.56f << kUpgradeColumns.mid(2) << true;
        QTest::newRow("2.617 runs 2 to 5, not 6") << 2.617f << kUpgradeColumns.mid(2, 4) << true;
        // 2.617 is compared as a number: a stored 2.63 is not below it, so the last step stays out.
        QTest::newRow("2.63 runs 4 and 5") << 2.63f << kUpgradeColumns.mid(4, 2) << true;
        QTest::newRow("2.65 runs 5") << 2.65f << kUpgradeColumns.mid(5, 1) << true;
        QTest::newRow("2.6 runs 2 to 6") << 2.6f << kUpgradeColumns.mid(2) << true;
        QTest::newRow("2.66 runs nothing") << 2.66f << QStringList() << false;
        QTest::newRow("current runs nothing") << version::asNumber() << QStringList() << false;
    }

    void stepsByStoredVersion()
    {
        QFETCH(float, storedVersion);
        QFETCH(QStringList, added);
        QFETCH(bool, index);
        TestEnvironment env;
        env.createDatabase();
        makeLegacyLayout(env.databaseFile());
        cAppSettings::instance().AppVersion = storedVersion;
        UpgradeSchema();
        QCOMPARE(presentColumns(env.databaseFile()), added);
        QCOMPARE(hasByTrainer(env.databaseFile()), index);
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
        // Stored and saved.
        cAppSettings::instance().reset();
        cAppSettings::instance().LoadSettings();
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Noms")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Jockey")).toInt(), 1);
    }

    void runningTwiceChangesNothingTheSecondTime()
    {
        TestEnvironment env;
        env.createDatabase();
        makeLegacyLayout(env.databaseFile());
        UpgradeSchema();
        const QStringList afterFirst = presentColumns(env.databaseFile());
        {
            Db db(env.databaseFile());
            db.exec(QStringLiteral("UPDATE Noms SET LastMargin = 3.5"));
        }
        UpgradeSchema();
        QCOMPARE(presentColumns(env.databaseFile()), afterFirst);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT LastMargin FROM Noms")).toDouble(), 3.5);
    }

    void existingIndexDoesNotStopTheUpgrade()
    {
        TestEnvironment env;
        env.createDatabase(); // the new layout already has the index and every column
        cAppSettings::instance().AppVersion = 0;
        UpgradeSchema();
        QVERIFY(hasByTrainer(env.databaseFile()));
        QCOMPARE(presentColumns(env.databaseFile()), kUpgradeColumns);
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
    }

    void missingIndexesAreAddedAndDuplicatesDroppedWhateverTheVersion()
    {
        TestEnvironment env;
        env.createDatabase();
        {
            Db db(env.databaseFile());
            db.exec(QStringLiteral("DROP INDEX NomsByTrainerList"));
            db.exec(QStringLiteral("DROP INDEX RaceStatsByRide"));
            db.exec(QStringLiteral("DROP TABLE FieldChange"));
            // The duplicate of RaceStatsByTrainerNoCase that older files carry.
            db.exec(QStringLiteral("CREATE INDEX RaceStatsByTrainerPlacing ON RaceStats (TrainerName, "
                                   "Jockey COLLATE NOCASE, FinishPos)"));
            db.exec(QStringLiteral("DROP TABLE BookingLog"));
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        Db db(env.databaseFile());
        for (const char *name : {"FieldChange", "BookingLog"})
            QVERIFY2(db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"),
                               {QLatin1String(name)}).isValid(), name);
        for (const char *name : {"NomsByTrainerList", "RaceStatsByRide", "FieldChangeByTime", "BookingLogByHorse"})
            QVERIFY2(db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"),
                               {QLatin1String(name)}).isValid(), name);
        QVERIFY(!db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'RaceStatsByTrainerPlacing'")).isValid());
    }

    // A file found whole is stamped with the layout; a start with the same stamp skips the checks,
    // any other stamp (a file never checked, or checked by another version) has them run again.
    void layoutStampDecidesTheChecks_data()
    {
        QTest::addColumn<QString>("stamped"); // "none", "this" layout's or an "other" one
        QTest::addColumn<bool>("checked");
        QTest::newRow("never checked") << "none" << true;
        QTest::newRow("checked by this layout") << "this" << false;
        QTest::newRow("checked by another layout") << "other" << true;
    }

    void layoutStampDecidesTheChecks()
    {
        QFETCH(QString, stamped);
        QFETCH(bool, checked);
        TestEnvironment env;
        env.createDatabase();
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        const auto stampOf = [&env] { return Db(env.databaseFile()).scalar(QStringLiteral("PRAGMA user_version")).toInt(); };
        const int stamp = stampOf();
        QVERIFY(stamp > 0);
        {
            Db db(env.databaseFile());
            db.exec(QStringLiteral("DROP INDEX NomsByTrainerList"));
            const int stored = stamped == QLatin1String("none") ? 0 : stamped == QLatin1String("this") ? stamp : stamp ^ 1;
            db.exec(QStringLiteral("PRAGMA user_version = %1").arg(stored));
        }
        UpgradeSchema();
        QCOMPARE(Db(env.databaseFile())
                     .scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainerList'"))
                     .isValid(),
                 checked);
        QCOMPARE(stampOf(), stamp);
        // A file that an older version's steps changed is checked whatever its stamp.
        cAppSettings::instance().AppVersion = 2.6f;
        UpgradeSchema();
        QVERIFY(Db(env.databaseFile())
                    .scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainerList'"))
                    .isValid());
    }

    // Files of older versions compared names with case; the upgrade makes them case-blind once.
    void nameColumnsBecomeCaseBlind()
    {
        TestEnvironment env;
        {
            Db db(env.databaseFile(), false);
            db.exec(QStringLiteral("CREATE TABLE Trainer (TrainerName TEXT NOT NULL PRIMARY KEY, IgnoreTrainer INTEGER)"));
            db.exec(QStringLiteral("CREATE INDEX TrainerByIgnore ON Trainer (IgnoreTrainer)"));
            db.exec(QStringLiteral("INSERT INTO Trainer VALUES ('P O''BRIEN', 1), ('p o''brien', 0), ('J Smith', 0)"));
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        UpgradeSchema(); // nothing left to change the second time
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT IgnoreTrainer FROM Trainer WHERE TrainerName = 'P O''Brien'")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Trainer")).toInt(), 2);
        QVERIFY(db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'TrainerByIgnore'")).isValid());
    }

    // Meeting and race codes compare without case too; of two meetings whose codes differ only in
    // case the one stored last stays. Venue aliases and the last-start weight get their homes.
    void codesBecomeCaseBlindAndNewHomesAppear()
    {
        TestEnvironment env;
        {
            Db db(env.databaseFile(), false);
            db.exec(QStringLiteral("CREATE TABLE Meeting (MeetingCode TEXT NOT NULL PRIMARY KEY, MeetingLevel TEXT)"));
            db.exec(QStringLiteral("CREATE TABLE Race (MeetingCode TEXT NOT NULL, RaceCode TEXT, RaceNumber INTEGER)"));
            db.exec(QStringLiteral("CREATE TABLE Noms (MeetingCode TEXT NOT NULL, RaceCode TEXT, Horse TEXT, "
                                   "LastWeight REAL)"));
            db.exec(QStringLiteral("CREATE TABLE Bookings (MeetingCode TEXT NOT NULL, RaceCode TEXT, Horse TEXT)"));
            db.exec(QStringLiteral("INSERT INTO Meeting VALUES ('2512RAND', 'WGT'), ('2512rand', 'ACP'), "
                                   "('2612MOON', 'NOM')"));
            db.exec(QStringLiteral("INSERT INTO Race VALUES ('2512RAND', '1200 BM72', 1), ('2512rand', '1200 BM72', 1)"));
            db.exec(QStringLiteral("INSERT INTO Noms VALUES ('2512RAND', '1200 BM72', 'OLD ONE', 56), "
                                   "('2512rand', '1200 BM72', 'NEW ONE', 57), ('2612MOON', '1000 MDN', 'MOON', 0)"));
            db.exec(QStringLiteral("INSERT INTO Bookings VALUES ('2512RAND', '1200 bm72', 'NEW ONE')"));
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        UpgradeSchema(); // nothing left to change the second time
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(MeetingCode || ':' || MeetingLevel, ' ') FROM "
                                          "(SELECT * FROM Meeting ORDER BY MeetingCode)")).toString(),
                 QStringLiteral("2512rand:ACP 2612MOON:NOM"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(Horse, ' ') FROM Noms WHERE MeetingCode = '2512RAND'"))
                     .toString(),
                 QStringLiteral("NEW ONE"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Race")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Bookings B JOIN Noms N ON N.MeetingCode = B.MeetingCode "
                                          "AND N.RaceCode = B.RaceCode AND N.Horse = B.Horse")).toInt(), 1);
        db.exec(QStringLiteral("INSERT INTO TrackAlias (Venue, TrackCode) VALUES ('Sportsbet-Ballarat', 'BALL')"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT TrackCode FROM TrackAlias WHERE Venue = 'SPORTSBET-BALLARAT'"))
                     .toString(),
                 QStringLiteral("BALL"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(LastStartWeight) FROM Noms")).toInt(), 0);
    }

    void earlyErrorEndsTheUpgradeWithoutAdvancing()
    {
        TestEnvironment env;
        env.createDatabase();
        {
            Db db(env.databaseFile());
            db.exec(QStringLiteral("DROP TABLE Jockey"));
        }
        cAppSettings::instance().AppVersion = 0;
        QVERIFY_THROWS_EXCEPTION(DbError, UpgradeSchema());
        QCOMPARE(cAppSettings::instance().AppVersion, 0.0f);
    }

    void lateErrorIsIgnoredAndAdvances()
    {
        TestEnvironment env;
        env.createDatabase();
        makeLegacyLayout(env.databaseFile(), {QStringLiteral("Noms.W800400")});
        {
            // Makes the rebuild of Noms in the last step fail.
            Db db(env.databaseFile());
            db.exec(QStringLiteral("CREATE TABLE Noms__rebuild (x)"));
        }
        cAppSettings::instance().AppVersion = 2.56f;
        UpgradeSchema();
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
        const QStringList present = presentColumns(env.databaseFile());
        QVERIFY(present.contains(QStringLiteral("Noms.FormTrainer")));
        QVERIFY(present.contains(QStringLiteral("Noms.RSecTime"))); // the step's second statement still ran
    }
};

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"
