#include "MainWindowSeed.h"
#include "core/cAppSettings.h"
#include "support/TestEnvironment.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestRaceCli : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
};

void TestRaceCli::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // expected start of stdout
    QTest::newRow("weights") << QStringList{u"calc-weights"_s, u"MEL0106"_s, u"1"_s, u"BM78 M"_s} << 0
                             << u"Alpha\t55.0\nBravo\t58.0\n"_s;
    QTest::newRow("no such race") << QStringList{u"calc-weights"_s, u"MEL0106"_s, u"40"_s, u"BM78 M"_s} << 1
                                  << QString();
    QTest::newRow("report") << QStringList{u"meeting-report"_s, u"MEL0106"_s, u"--pdf"_s, u"%1/mel.pdf"_s} << 0
                            << u"%1/mel.pdf: 5 runners in 3 races, 1 pages\n"_s;
    QTest::newRow("unwritable pdf") << QStringList{u"meeting-report"_s, u"MEL0106"_s, u"--pdf"_s, u"%1/no/x.pdf"_s} << 1
                                    << QString();
}

void TestRaceCli::commands()
{
    QFETCH(QStringList, arguments);
    TestEnvironment env;
    env.createDatabase();
    seed::seedLists(env.databaseFile());
    {
        Db db(env.databaseFile());
        db.exec(u"DELETE FROM RBHTable"_s);
        db.exec(u"INSERT INTO RBHTable (MeetType, RaceType, Rating, Weight) VALUES ('M', 'BM78 M', 64, 57.5), "
                "('M', 'BM78 M', 72, 58)"_s);
        db.exec(u"UPDATE Noms SET HorseType = 'Mare' WHERE Horse = 'Alpha'"_s);
        db.exec(u"UPDATE Noms SET Rating = '72' WHERE Horse = 'Bravo'"_s);
    }
    cAppSettings::instance().SaveSettings();
    for (QString &argument : arguments)
        argument = argument.arg(env.root());
    const TestEnvironment::CliRun run = env.runCli(arguments);
    QTEST(run.status, "status");
    QFETCH(QString, out);
    QCOMPARE(run.out.left(out.arg(env.root()).size()), out.arg(env.root()));
}

QTEST_MAIN(TestRaceCli)
#include "tst_racecli.moc"
