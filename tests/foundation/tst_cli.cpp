#include "db/Database.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Result = TestEnvironment::CliRun;

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

void writeDbPath(const TestEnvironment &env, const QString &folder)
{
    QSettings settings(env.settingsFile(), QSettings::IniFormat);
    settings.setValue(u"DBPath"_s, folder);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initUpgradeCompact()
    {
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        Result init = env.runCli({u"init"_s});
        QCOMPARE(init.status, 0);
        QCOMPARE(init.out.trimmed(), env.databaseFile());
        QVERIFY(QFile::exists(env.databaseFile()));

        Result upgrade = env.runCli({u"upgrade"_s});
        QCOMPARE(upgrade.status, 0);
        QCOMPARE(upgrade.out.trimmed(), u"AppVersion 0 -> 2.7"_s);
        QCOMPARE(QSettings(env.settingsFile(), QSettings::IniFormat).value(u"AppVersion"_s).toString(), u"2.7"_s);

        {
            Db db(env.databaseFile());
            db.exec(u"INSERT INTO Trainer (TrainerName) VALUES ('O''Brien')"_s);
        }
        Result compact = env.runCli({u"compact"_s});
        QCOMPARE(compact.status, 0);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(u"SELECT TrainerName FROM Trainer"_s).toString(), u"O'Brien"_s);
        // init on an existing database keeps it.
        QCOMPARE(env.runCli({u"init"_s}).status, 0);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Trainer"_s).toInt(), 1);
    }

    // A bad row names its line and writes nothing: the table imported before stays whole.
    void importWeights_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QString>("error");
        QTest::newRow("weight in tenths") << QByteArray("M,BM78 M,71,565\r\n") << "line 3: the weight \"565\"";
        QTest::newRow("same rating twice") << QByteArray("m,bm78 m,70,57\r\n") << "line 3: a second weight";
    }
    void importWeights()
    {
        QFETCH(QByteArray, rows);
        QFETCH(QString, error);
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        env.createDatabase();
        const Result example = env.runCli(
            {u"import-weights"_s, QString::fromUtf8(OSTREVAN_FIXTURES_DIR "/../../resources/weights-example.csv")});
        QCOMPARE(example.status, 0);
        QVERIFY2(example.out.contains(u": 18 rating weights imported"_s), qPrintable(example.out));
        QFile bad(env.root() + u"/bad.csv"_s);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("MeetType,RaceType,Rating,Weight\r\nM,BM78 M,70,56.5\r\n" + rows);
        bad.close();
        const Result refused = env.runCli({u"import-weights"_s, bad.fileName()});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.startsWith(u"Error: bad.csv, "_s + error), qPrintable(refused.err));
        QCOMPARE(Db(env.databaseFile()).scalar(u"SELECT COUNT(*) FROM RBHTable"_s).toInt(), 18);
    }

    void compactFailureIsReported()
    {
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        QFile file(env.databaseFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'z'));
        file.close();
        Result compact = env.runCli({u"compact"_s});
        QCOMPARE(compact.status, 1);
        QVERIFY(compact.err.contains(
            "Critical Error: Database damaged or being used by another program, please contact Vantrell Support."_L1));
    }

    // A day's sequence: a backup, a booking deleted by mistake, the backup restored; refused files change nothing.
    void backupAndRestore()
    {
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        QCOMPARE(env.runCli({u"init"_s}).status, 0);
        Db(env.databaseFile()).exec(u"INSERT INTO Meeting (MeetingCode) VALUES ('0712FLEM')"_s);
        Db(env.databaseFile())
            .exec(
                u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('0712FLEM', 'RED ROVER', "
                "'J Smith', 'Planned')"_s);
        const QString folder = env.dataFolder() + u"/Backups"_s;
        // A backup killed midway left its part behind: never listed, cleared by the next backup.
        QDir().mkpath(folder);
        QFile part(folder + u"/Kelbrin-20261207-080000.mdb.part"_s);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("SQLite format 3");
        part.close();
        const Result backup = env.runCli({u"backup"_s});
        QCOMPARE(backup.status, 0);
        const QString made = backup.out.trimmed();
        QVERIFY2(QFileInfo(made).fileName().contains(QRegularExpression(u"^Kelbrin-\\d{8}-\\d{6}\\.mdb$"_s)),
                 qPrintable(made));
        QVERIFY(!part.exists());
        const QStringList listed = env.runCli({u"backups"_s}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.size(), 1);
        const QStringList fields = listed.first().split(u'\t');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), made);
        QCOMPARE(fields.at(2), QString::number(QFileInfo(made).size()));
        QCOMPARE(fields.mid(3), (QStringList{u"1"_s, u"1"_s}));

        Db(env.databaseFile()).exec(u"DELETE FROM Bookings"_s);
        // Damaged, foreign or missing: refused, and the database is not touched.
        QFile damaged(env.root() + u"/damaged.mdb"_s);
        QVERIFY(QFile::copy(made, damaged.fileName()));
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(4096);
        damaged.write(QByteArray(8192, '\x5a'));
        damaged.close();
        Db(env.root() + u"/foreign.mdb"_s, false).exec(u"CREATE TABLE Notes (Text TEXT)"_s);
        const QByteArray before = fileHash(env.databaseFile());
        for (const QString &refused :
             QStringList{damaged.fileName(), env.root() + u"/foreign.mdb"_s, env.root() + u"/none.mdb"_s}) {
            const Result restore = env.runCli({u"restore"_s, refused});
            QCOMPARE(restore.status, 1);
            QVERIFY2(restore.err.startsWith("Restore: "_L1), qPrintable(restore.err));
            QCOMPARE(fileHash(env.databaseFile()), before);
        }
        QCOMPARE(env.runCli({u"backups"_s}).out.count(u'\n'), 1);

        const Result restore = env.runCli({u"restore"_s, QFileInfo(made).fileName()});
        QCOMPARE(restore.status, 0);
        QCOMPARE(Db(env.databaseFile()).scalar(u"SELECT Jockey FROM Bookings"_s).toString(), u"J Smith"_s);
        // The file it replaced, without the booking, is the newest backup now.
        const QStringList after = env.runCli({u"backups"_s}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(after.size(), 2);
        QVERIFY2(restore.out.contains(after.first().section(u'\t', 0, 0)), qPrintable(restore.out));
        QCOMPARE(after.first().section(u'\t', 3), u"1\t0"_s);
    }

    void initRefusesAMissingFolder()
    {
        TestEnvironment env;
        writeDbPath(env, env.root() + u"/no/such/folder"_s);
        Result init = env.runCli({u"init"_s});
        QCOMPARE(init.status, 1);
        QVERIFY(init.err.contains("does not exist"_L1));
        QVERIFY(!QFile::exists(env.root() + u"/no"_s));
    }

    void settingsCommands()
    {
        TestEnvironment env;
        QCOMPARE(env.runCli({u"settings-set"_s, u"UserName"_s, u"agent"_s, u"MainMax"_s, u"True"_s}).status, 0);
        Result defaulted = env.runCli({u"settings-default"_s, u"UserName"_s, u"demo"_s, u"UserPass"_s, u"demo"_s});
        QCOMPARE(defaulted.status, 0);
        QCOMPARE(defaulted.out, u"UserName left alone: it already has a value\n"_s);
        Result get = env.runCli({u"settings-get"_s, u"UserName"_s, u"UserPass"_s, u"MainMax"_s});
        QCOMPARE(get.out, u"UserName=agent\nUserPass=demo\nMainMax=True\n"_s);
        QCOMPARE(env.runCli({u"settings-set"_s, u"MainLeft"_s, u"wide"_s}).status, 2);
        QCOMPARE(env.runCli({u"settings-get"_s, u"NoSuchThing"_s}).status, 2);
    }

    void unknownCommandAndBadAnswer()
    {
        TestEnvironment env;
        QCOMPARE(env.runCli({u"frobnicate"_s}).status, 2);
        QCOMPARE(env.runCli({u"--answer"_s, u"maybe"_s, u"init"_s}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
