#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/SchemaUpgrade.h"
#include "support/TestEnvironment.h"

#include <QSettings>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList kUpgradeColumns = {
    u"Jockey.InvoicePeriod"_s, u"Jockey.LastInvoiceDate"_s, u"Noms.LastMargin"_s, u"Noms.WgtRat"_s,
    u"Noms.AvgWin"_s,          u"Noms.FormTrainer"_s,       u"Noms.W800400"_s,    u"Noms.RSecTime"_s};

// The oldest layout: none of the columns that later versions added, and no ByTrainer index.
void makeLegacyLayout(const QString &path, const QStringList &keep = {})
{
    Db db(path);
    db.exec(u"INSERT INTO Noms (MeetingCode, Horse, TrainerName) VALUES ('0101FLEM', 'ALPHA', 'T ONE')"_s);
    db.exec(u"INSERT INTO Jockey (Jockey, FullName) VALUES ('J SMITH', 'John Smith')"_s);
    db.exec(u"DROP INDEX ByTrainer"_s);
    db.exec(u"DROP VIEW qryMeetingView"_s);
    for (const QString &qualified : kUpgradeColumns) {
        if (keep.contains(qualified))
            continue;
        const QStringList parts = qualified.split(u'.');
        db.exec(u"ALTER TABLE %1 DROP COLUMN %2"_s.arg(parts.at(0), parts.at(1)));
    }
}

QStringList presentColumns(const QString &path)
{
    Db db(path);
    QStringList present;
    for (const QString &qualified : kUpgradeColumns) {
        const QStringList parts = qualified.split(u'.');
        if (db.scalar(u"SELECT 1 FROM pragma_table_info(?) WHERE name = ?"_s, {parts.at(0), parts.at(1)}).isValid())
            present << qualified;
    }
    return present;
}

bool hasByTrainer(const QString &path)
{
    Db db(path);
    return db.scalar(u"SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = 'ByTrainer'"_s).isValid();
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
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Noms"_s).toInt(), 1);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Jockey"_s).toInt(), 1);
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
            db.exec(u"UPDATE Noms SET LastMargin = 3.5"_s);
        }
        UpgradeSchema();
        QCOMPARE(presentColumns(env.databaseFile()), afterFirst);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(u"SELECT LastMargin FROM Noms"_s).toDouble(), 3.5);
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
            db.exec(u"DROP INDEX NomsByTrainerList"_s);
            db.exec(u"DROP INDEX RaceStatsByHorseNoCase"_s);
            db.exec(u"DROP TABLE FieldChange"_s);
            // The indexes older files carry that no query needs.
            db.exec(u"CREATE INDEX RaceStatsByTrainerPlacing ON RaceStats (TrainerName, "
                    "Jockey COLLATE NOCASE, FinishPos)"_s);
            db.exec(u"CREATE INDEX RaceStatsByRide ON RaceStats (RaceDate, RaceNumber, TrackCode, Horse)"_s);
            db.exec(u"CREATE INDEX RaceStatsByJockey ON RaceStats (Jockey, Horse)"_s);
            db.exec(u"DROP TABLE BookingLog"_s);
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        Db db(env.databaseFile());
        for (const char *name : {"FieldChange", "BookingLog"})
            QVERIFY2(
                db.scalar(u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"_s, {QLatin1String(name)})
                    .isValid(),
                name);
        const auto hasIndex = [&db](const char *name) {
            return db.scalar(u"SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"_s, {QLatin1String(name)})
                .isValid();
        };
        for (const char *name :
             {"NomsByTrainerList", "RaceStatsByHorseNoCase", "FieldChangeByTime", "BookingLogByHorse"})
            QVERIFY2(hasIndex(name), name);
        for (const char *name : {"RaceStatsByTrainerPlacing", "RaceStatsByRide", "RaceStatsByJockey"})
            QVERIFY2(!hasIndex(name), name);
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
        const auto stampOf = [&env] { return Db(env.databaseFile()).scalar(u"PRAGMA user_version"_s).toInt(); };
        const int stamp = stampOf();
        QVERIFY(stamp > 0);
        {
            Db db(env.databaseFile());
            db.exec(u"DROP INDEX NomsByTrainerList"_s);
            const int stored = stamped == "none"_L1 ? 0 : stamped == "this"_L1 ? stamp : stamp ^ 1;
            db.exec(u"PRAGMA user_version = %1"_s.arg(stored));
        }
        UpgradeSchema();
        QCOMPARE(
            Db(env.databaseFile()).scalar(u"SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainerList'"_s).isValid(),
            checked);
        QCOMPARE(stampOf(), stamp);
        // A file that an older version's steps changed is checked whatever its stamp.
        cAppSettings::instance().AppVersion = 2.6f;
        UpgradeSchema();
        QVERIFY(
            Db(env.databaseFile()).scalar(u"SELECT 1 FROM sqlite_master WHERE name = 'NomsByTrainerList'"_s).isValid());
    }

    // Files of older versions compared names with case; the upgrade makes them case-blind once.
    void nameColumnsBecomeCaseBlind()
    {
        TestEnvironment env;
        {
            Db db(env.databaseFile(), false);
            db.exec(u"CREATE TABLE Trainer (TrainerName TEXT NOT NULL PRIMARY KEY, IgnoreTrainer INTEGER)"_s);
            db.exec(u"CREATE INDEX TrainerByIgnore ON Trainer (IgnoreTrainer)"_s);
            db.exec(u"INSERT INTO Trainer VALUES ('P O''BRIEN', 1), ('p o''brien', 0), ('J Smith', 0)"_s);
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        UpgradeSchema(); // nothing left to change the second time
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(u"SELECT IgnoreTrainer FROM Trainer WHERE TrainerName = 'P O''Brien'"_s).toInt(), 1);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Trainer"_s).toInt(), 2);
        QVERIFY(db.scalar(u"SELECT 1 FROM sqlite_master WHERE name = 'TrainerByIgnore'"_s).isValid());
    }

    // Meeting and race codes compare without case too; of two meetings whose codes differ only in
    // case the one stored last stays. Venue aliases and the last-start weight get their homes.
    void codesBecomeCaseBlindAndNewHomesAppear()
    {
        TestEnvironment env;
        {
            Db db(env.databaseFile(), false);
            db.exec(u"CREATE TABLE Meeting (MeetingCode TEXT NOT NULL PRIMARY KEY, MeetingLevel TEXT)"_s);
            db.exec(u"CREATE TABLE Race (MeetingCode TEXT NOT NULL, RaceCode TEXT, RaceNumber INTEGER)"_s);
            db.exec(u"CREATE TABLE Noms (MeetingCode TEXT NOT NULL, RaceCode TEXT, Horse TEXT, "
                    "LastWeight REAL)"_s);
            db.exec(u"CREATE TABLE Bookings (MeetingCode TEXT NOT NULL, RaceCode TEXT, Horse TEXT)"_s);
            db.exec(u"INSERT INTO Meeting VALUES ('2512RAND', 'WGT'), ('2512rand', 'ACP'), "
                    "('2612MOON', 'NOM')"_s);
            db.exec(u"INSERT INTO Race VALUES ('2512RAND', '1200 BM72', 1), ('2512rand', '1200 BM72', 1)"_s);
            db.exec(u"INSERT INTO Noms VALUES ('2512RAND', '1200 BM72', 'OLD ONE', 56), "
                    "('2512rand', '1200 BM72', 'NEW ONE', 57), ('2612MOON', '1000 MDN', 'MOON', 0)"_s);
            db.exec(u"INSERT INTO Bookings VALUES ('2512RAND', '1200 bm72', 'NEW ONE')"_s);
        }
        cAppSettings::instance().AppVersion = version::asNumber();
        UpgradeSchema();
        UpgradeSchema(); // nothing left to change the second time
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(u"SELECT group_concat(MeetingCode || ':' || MeetingLevel, ' ') FROM "
                           "(SELECT * FROM Meeting ORDER BY MeetingCode)"_s)
                     .toString(),
                 u"2512rand:ACP 2612MOON:NOM"_s);
        QCOMPARE(db.scalar(u"SELECT group_concat(Horse, ' ') FROM Noms WHERE MeetingCode = '2512RAND'"_s).toString(),
                 u"NEW ONE"_s);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Race"_s).toInt(), 1);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Bookings B JOIN Noms N ON N.MeetingCode = B.MeetingCode "
                           "AND N.RaceCode = B.RaceCode AND N.Horse = B.Horse"_s)
                     .toInt(),
                 1);
        db.exec(u"INSERT INTO TrackAlias (Venue, TrackCode) VALUES ('Sportsbet-Ballarat', 'BALL')"_s);
        QCOMPARE(db.scalar(u"SELECT TrackCode FROM TrackAlias WHERE Venue = 'SPORTSBET-BALLARAT'"_s).toString(),
                 u"BALL"_s);
        QCOMPARE(db.scalar(u"SELECT COUNT(LastStartWeight) FROM Noms"_s).toInt(), 0);
    }

    void earlyErrorEndsTheUpgradeWithoutAdvancing()
    {
        TestEnvironment env;
        env.createDatabase();
        {
            Db db(env.databaseFile());
            db.exec(u"DROP TABLE Jockey"_s);
        }
        cAppSettings::instance().AppVersion = 0;
        QVERIFY_THROWS_EXCEPTION(DbError, UpgradeSchema());
        QCOMPARE(cAppSettings::instance().AppVersion, 0.0f);
    }

    void lateErrorIsIgnoredAndAdvances()
    {
        TestEnvironment env;
        env.createDatabase();
        makeLegacyLayout(env.databaseFile(), {u"Noms.W800400"_s});
        {
            // Makes the rebuild of Noms in the last step fail.
            Db db(env.databaseFile());
            db.exec(u"CREATE TABLE Noms__rebuild (x)"_s);
        }
        cAppSettings::instance().AppVersion = 2.56f;
        UpgradeSchema();
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
        const QStringList present = presentColumns(env.databaseFile());
        QVERIFY(present.contains(u"Noms.FormTrainer"_s));
        QVERIFY(present.contains(u"Noms.RSecTime"_s)); // the step's second statement still ran
    }
};

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"
