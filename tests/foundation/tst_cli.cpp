#include "db/Database.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result runCli(const TestEnvironment &env, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREVAN_HOME"), env.programFolder());
    environment.remove(QStringLiteral("OSTREVAN_SETTINGS"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(OSTREVAN_CLI_PATH), QStringList{QStringLiteral("--settings"), env.settingsFile()} + arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

void writeDbPath(const TestEnvironment &env, const QString &folder)
{
    QSettings settings(env.settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("DBPath"), folder);
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
        Result init = runCli(env, {QStringLiteral("init")});
        QCOMPARE(init.status, 0);
        QCOMPARE(init.out.trimmed(), env.databaseFile());
        QVERIFY(QFile::exists(env.databaseFile()));

        Result upgrade = runCli(env, {QStringLiteral("upgrade")});
        QCOMPARE(upgrade.status, 0);
        QCOMPARE(upgrade.out.trimmed(), QStringLiteral("AppVersion 0 -> 2.7"));
        QCOMPARE(QSettings(env.settingsFile(), QSettings::IniFormat).value(QStringLiteral("AppVersion")).toString(),
                 QStringLiteral("2.7"));

        {
            Db db(env.databaseFile());
            db.exec(QStringLiteral("INSERT INTO Trainer (TrainerName) VALUES ('O''Brien')"));
        }
        Result compact = runCli(env, {QStringLiteral("compact")});
        QCOMPARE(compact.status, 0);
        Db db(env.databaseFile());
        QCOMPARE(db.scalar(QStringLiteral("SELECT TrainerName FROM Trainer")).toString(), QStringLiteral("O'Brien"));
        // init on an existing database keeps it.
        QCOMPARE(runCli(env, {QStringLiteral("init")}).status, 0);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Trainer")).toInt(), 1);
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
        const Result example = runCli(env, {QStringLiteral("import-weights"),
                                            QStringLiteral(OSTREVAN_FIXTURES_DIR "/../../resources/weights-example.csv")});
        QCOMPARE(example.status, 0);
        QVERIFY2(example.out.contains(QStringLiteral(": 18 rating weights imported")), qPrintable(example.out));
        QFile bad(env.root() + QStringLiteral("/bad.csv"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("MeetType,RaceType,Rating,Weight\r\nM,BM78 M,70,56.5\r\n" + rows);
        bad.close();
        const Result refused = runCli(env, {QStringLiteral("import-weights"), bad.fileName()});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.startsWith(QStringLiteral("Error: bad.csv, ") + error), qPrintable(refused.err));
        QCOMPARE(Db(env.databaseFile()).scalar(QStringLiteral("SELECT COUNT(*) FROM RBHTable")).toInt(), 18);
    }

    void compactFailureIsReported()
    {
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        QFile file(env.databaseFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'z'));
        file.close();
        Result compact = runCli(env, {QStringLiteral("compact")});
        QCOMPARE(compact.status, 1);
        QVERIFY(compact.err.contains(QLatin1String(
            "Critical Error: Database damaged or being used by another program, please contact Vantrell Support.")));
    }

    // A day's sequence: a backup, a booking deleted by mistake, the backup restored; refused files change nothing.
    void backupAndRestore()
    {
        TestEnvironment env;
        writeDbPath(env, env.dataFolder());
        QCOMPARE(runCli(env, {QStringLiteral("init")}).status, 0);
        Db(env.databaseFile()).exec(QStringLiteral("INSERT INTO Meeting (MeetingCode) VALUES ('0712FLEM')"));
        Db(env.databaseFile()).exec(QStringLiteral(
            "INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('0712FLEM', 'RED ROVER', "
            "'J Smith', 'Planned')"));
        const QString folder = env.dataFolder() + QStringLiteral("/Backups");
        // A backup killed midway left its part behind: never listed, cleared by the next backup.
        QDir().mkpath(folder);
        QFile part(folder + QStringLiteral("/Kelbrin-20261207-080000.mdb.part"));
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("SQLite format 3");
        part.close();
        const Result backup = runCli(env, {QStringLiteral("backup")});
        QCOMPARE(backup.status, 0);
        const QString made = backup.out.trimmed();
        QVERIFY2(QFileInfo(made).fileName().contains(QRegularExpression(QStringLiteral("^Kelbrin-\\d{8}-\\d{6}\\.mdb$"))),
                 qPrintable(made));
        QVERIFY(!part.exists());
        const QStringList listed = runCli(env, {QStringLiteral("backups")}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.size(), 1);
        const QStringList fields = listed.first().split(u'\t');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), made);
        QCOMPARE(fields.at(2), QString::number(QFileInfo(made).size()));
        QCOMPARE(fields.mid(3), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));

        Db(env.databaseFile()).exec(QStringLiteral("DELETE FROM Bookings"));
        // Damaged, foreign or missing: refused, and the database is not touched.
        QFile damaged(env.root() + QStringLiteral("/damaged.mdb"));
        QVERIFY(QFile::copy(made, damaged.fileName()));
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(4096);
        damaged.write(QByteArray(8192, '\x5a'));
        damaged.close();
        Db(env.root() + QStringLiteral("/foreign.mdb"), false).exec(QStringLiteral("CREATE TABLE Notes (Text TEXT)"));
        const QByteArray before = fileHash(env.databaseFile());
        for (const QString &refused : QStringList{damaged.fileName(), env.root() + QStringLiteral("/foreign.mdb"),
                                                  env.root() + QStringLiteral("/none.mdb")}) {
            const Result restore = runCli(env, {QStringLiteral("restore"), refused});
            QCOMPARE(restore.status, 1);
            QVERIFY2(restore.err.startsWith(QLatin1String("Restore: ")), qPrintable(restore.err));
            QCOMPARE(fileHash(env.databaseFile()), before);
        }
        QCOMPARE(runCli(env, {QStringLiteral("backups")}).out.count(u'\n'), 1);

        const Result restore = runCli(env, {QStringLiteral("restore"), QFileInfo(made).fileName()});
        QCOMPARE(restore.status, 0);
        QCOMPARE(Db(env.databaseFile()).scalar(QStringLiteral("SELECT Jockey FROM Bookings")).toString(),
                 QStringLiteral("J Smith"));
        // The file it replaced, without the booking, is the newest backup now.
        const QStringList after = runCli(env, {QStringLiteral("backups")}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(after.size(), 2);
        QVERIFY2(restore.out.contains(after.first().section(u'\t', 0, 0)), qPrintable(restore.out));
        QCOMPARE(after.first().section(u'\t', 3), QStringLiteral("1\t0"));
    }

    void initRefusesAMissingFolder()
    {
        TestEnvironment env;
        writeDbPath(env, env.root() + QStringLiteral("/no/such/folder"));
        Result init = runCli(env, {QStringLiteral("init")});
        QCOMPARE(init.status, 1);
        QVERIFY(init.err.contains(QLatin1String("does not exist")));
        QVERIFY(!QFile::exists(env.root() + QStringLiteral("/no")));
    }

    void settingsCommands()
    {
        TestEnvironment env;
        QCOMPARE(runCli(env, {QStringLiteral("settings-set"), QStringLiteral("UserName"), QStringLiteral("agent"),
                              QStringLiteral("MainMax"), QStringLiteral("True")}).status, 0);
        Result defaulted = runCli(env, {QStringLiteral("settings-default"), QStringLiteral("UserName"),
                                        QStringLiteral("demo"), QStringLiteral("UserPass"), QStringLiteral("demo")});
        QCOMPARE(defaulted.status, 0);
        QCOMPARE(defaulted.out, QStringLiteral("UserName left alone: it already has a value\n"));
        Result get = runCli(env, {QStringLiteral("settings-get"), QStringLiteral("UserName"), QStringLiteral("UserPass"),
                                  QStringLiteral("MainMax")});
        QCOMPARE(get.out, QStringLiteral("UserName=agent\nUserPass=demo\nMainMax=True\n"));
        QCOMPARE(runCli(env, {QStringLiteral("settings-set"), QStringLiteral("MainLeft"), QStringLiteral("wide")}).status, 2);
        QCOMPARE(runCli(env, {QStringLiteral("settings-get"), QStringLiteral("NoSuchThing")}).status, 2);
    }

    void unknownCommandAndBadAnswer()
    {
        TestEnvironment env;
        QCOMPARE(runCli(env, {QStringLiteral("frobnicate")}).status, 2);
        QCOMPARE(runCli(env, {QStringLiteral("--answer"), QStringLiteral("maybe"), QStringLiteral("init")}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
