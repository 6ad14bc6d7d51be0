#include "MainWindowSeed.h"
#include "core/cAppSettings.h"
#include "support/TestEnvironment.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Run = TestEnvironment::CliRun;

// Alpha (Jane Doe, planned) and Bravo (Bob Roe, confirmed) run in race 1 at 13:05; Charlie (a state,
// no jockey) in race 2, time unknown; Golf (44 kg) and Foxtrot (42 kg, the field names K Field) in race 3.
const QString kAlpha = u"MEL0106\t1\t13:05\tAlpha\tJ Smith\tJane Doe\tPlanned\t0\n"_s;
const QString kBravo = u"MEL0106\t1\t13:05\tBravo\tJ Smith\tBob Roe\tConfirmed\t1\n"_s;
const QString kCharlie = u"MEL0106\t2\t\tCharlie\tJ Smith\t\tRing Trainer\t0\n"_s;

} // namespace

class TestBookingCli : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_env.reset(); }
    void commands_data();
    void commands();

private:
    Run cli(const QStringList &arguments) const;
    std::unique_ptr<TestEnvironment> m_env;
};

void TestBookingCli::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    seed::seedLists(m_env->databaseFile());
    cAppSettings::instance().SaveSettings();
}

Run TestBookingCli::cli(const QStringList &arguments) const
{
    return m_env->runCli(arguments);
}

void TestBookingCli::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // the start of a line stderr must hold

    const QString heavy = u"Confirm Jockey ride: Jane Doe rides at 53.0 kg but Golf carries 44.0 kg. Book anyway?"_s;
    QTest::newRow("too heavy: asked, Yes")
        << QStringList{u"--answer"_s, u"yes"_s, u"book"_s, u"MEL0106"_s, u"3"_s, u"golf"_s, u"jane doe"_s} << 0
        << u"MEL0106\t3\t14:10\tGolf\tMulti\tJane Doe\tPlanned\t0\n"_s << heavy;
    QTest::newRow("too heavy: default No")
        << QStringList{u"book"_s, u"MEL0106"_s, u"3"_s, u"Golf"_s, u"Jane Doe"_s} << 1 << QString() << heavy;
    QTest::newRow("over the field's rider")
        << QStringList{u"book"_s, u"MEL0106"_s, u"3"_s, u"Foxtrot"_s, u"Bob Roe"_s, u"--answer"_s, u"yes"_s} << 0
        << u"MEL0106\t3\t14:10\tFoxtrot\tA Lone\tBob Roe\tPlanned\t0\n"_s
        << u"Confirm Jockey ride: The field names K Field to ride Foxtrot. Book Bob Roe anyway?"_s;
    QTest::newRow("a state without a jockey")
        << QStringList{u"--answer=no"_s, u"book"_s, u"MEL0106"_s, u"3"_s, u"Golf"_s, u"--state"_s, u"Ring Trainer"_s}
        << 0 << u"MEL0106\t3\t14:10\tGolf\tMulti\t\tRing Trainer\t0\n"_s << QString();
    QTest::newRow("replacing a jockey asks")
        << QStringList{u"book"_s, u"MEL0106"_s, u"1"_s, u"Alpha"_s, u"Bob Roe"_s} << 1 << QString()
        << u"Confirm Jockey ride: Jane Doe Already booked for this ride are you "
           "sure"_s;
    QTest::newRow("confirm") << QStringList{u"confirm"_s, u"MEL0106"_s, u"alpha"_s} << 0
                             << QString(kAlpha).replace(u"Planned\t0"_s, u"Confirmed\t1"_s) << QString();
    QTest::newRow("confirm without a jockey") << QStringList{u"confirm"_s, u"MEL0106"_s, u"Charlie"_s} << 1 << QString()
                                              << u"Ostrevan 2: You cannot confirm, if no jockey has been entered"_s;
    QTest::newRow("state Confirmed without a jockey")
        << QStringList{u"book"_s, u"MEL0106"_s, u"2"_s, u"Charlie"_s, u"--state"_s, u"confirmed"_s} << 1 << QString()
        << u"Ostrevan 2: You cannot confirm, if no jockey has been entered"_s;
    QTest::newRow("unbook a state: asked, default No")
        << QStringList{u"unbook"_s, u"MEL0106"_s, u"Charlie"_s} << 1 << QString()
        << u"Confirm Jockey ride: Ring Trainer Confirm Removal of booking from "_s;
    QTest::newRow("unbook, Yes") << QStringList{u"--answer"_s, u"yes"_s, u"unbook"_s, u"MEL0106"_s, u"Bravo"_s} << 0
                                 << QString() << QString();
    QTest::newRow("not nominated") << QStringList{u"book"_s, u"MEL0106"_s, u"2"_s, u"Alpha"_s, u"Jane Doe"_s} << 1
                                   << QString() << u"Error: Alpha is not nominated in race 2 of MEL0106."_s;
    QTest::newRow("not a managed jockey") << QStringList{u"book"_s, u"MEL0106"_s, u"3"_s, u"Golf"_s, u"K Field"_s} << 1
                                          << QString() << u"Error: K Field is not one of the managed jockeys."_s;
    QTest::newRow("not a state") << QStringList{u"book"_s, u"MEL0106"_s, u"3"_s, u"Golf"_s, u"--state"_s, u"Maybe"_s}
                                 << 1 << QString()
                                 << u"Error: Maybe is not a booking state: Planned, Ring Trainer, Pencilled In, "
                                    "Trainer To Confirm, Owner To Confirm, Awaiting Acceptance, Subject To Weight, "
                                    "Confirmed."_s;
    QTest::newRow("race not a number") << QStringList{u"book"_s, u"MEL0106"_s, u"one"_s, u"Golf"_s} << 2 << QString()
                                       << u"usage: book MEETING RACE HORSE [JOCKEY] [--state TEXT]"_s;
    QTest::newRow("the meeting's bookings")
        << QStringList{u"bookings"_s, u"--meeting"_s, u"MEL0106"_s} << 0 << kAlpha + kBravo + kCharlie << QString();
    QTest::newRow("one jockey's") << QStringList{u"bookings"_s, u"--jockey"_s, u"bob roe"_s} << 0 << kBravo
                                  << QString();
    QTest::newRow("one day's") << QStringList{u"bookings"_s, u"--date"_s, u"2024-01-06"_s} << 0
                               << kAlpha + kBravo + kCharlie << QString();
    QTest::newRow("another day") << QStringList{u"bookings"_s, u"--date"_s, u"2024-01-07"_s} << 0 << QString()
                                 << QString();
    QTest::newRow("a date as the lists show it") << QStringList{u"bookings"_s, u"--date"_s, u"06/01/2024"_s} << 2
                                                 << QString() << u"bookings: --date takes a date YYYY-MM-DD"_s;
}

// Each command on the seeded day: what it prints, what it asks, and that a refusal writes nothing.
void TestBookingCli::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString before = cli({u"bookings"_s}).out;
    QVERIFY(before.contains(kAlpha + kBravo + kCharlie));

    const Run run = cli(arguments);

    QCOMPARE(run.status, status);
    QCOMPARE(run.out, out);
    if (!err.isEmpty())
        QVERIFY2(run.err.startsWith(err) || run.err.contains(u'\n' + err), qPrintable(run.err));
    if (status != 0)
        QCOMPARE(cli({u"bookings"_s}).out, before);
    if (arguments.contains(u"unbook"_s) && status == 0)
        QCOMPARE(cli({u"bookings"_s}).out, QString(before).remove(kBravo));
}

QTEST_MAIN(TestBookingCli)
#include "tst_bookingcli.moc"
