#include "MainWindowSeed.h"

#include "bookings/MainLists.h"
#include "roster/ManagedJockeys.h"
#include "roster/StoredColor.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace mainlists;

namespace {

const QColor kRed = fromStoredColor(255);
const QColor kBlue = fromStoredColor(0xFF0000);

const ListRow *lineOf(const QList<ListRow> &rows, int column, const QString &text)
{
    for (const ListRow &row : rows) {
        if (row.text(column) == text)
            return &row;
    }
    return nullptr;
}

} // namespace

class TestMainLists : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->createDatabase();
        seed::seedLists(m_env->databaseFile());
        ManagedJockeys::rebuild({u"Bob Roe"_s, u"Jane Doe"_s});
    }
    void cleanup()
    {
        ManagedJockeys::rebuild({});
        m_env.reset();
    }

    void trainerCounts_data();
    void trainerCounts();
    void trainersUnderFilter_data();
    void trainersUnderFilter();
    void trainerLines();
    void meetings();
    void nominations();
    void nominationsWithoutManagedJockeys();
    void raceTime_data();
    void raceTime();
    void raceDetailsRuns();
    void contactBoxes_data();
    void contactBoxes();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestMainLists::trainerCounts_data()
{
    // Rows as the trainers query orders them: trainer, race number.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected"); // "trainer runners races"

    QTest::newRow("three runners in two races") << QStringList{u"A|1"_s, u"A|1"_s, u"A|2"_s} << QStringList{u"A 3 2"_s};
    QTest::newRow("each trainer starts afresh")
        << QStringList{u"A|4"_s, u"B|4"_s, u"C|1"_s, u"C|1"_s} << QStringList{u"A 1 1"_s, u"B 1 1"_s, u"C 2 1"_s};
    QTest::newRow("same race number in the next meeting counts once")
        << QStringList{u"A|3"_s, u"A|3"_s} << QStringList{u"A 2 1"_s};
    QTest::newRow("back to an earlier race number counts again")
        << QStringList{u"A|1"_s, u"A|2"_s, u"A|1"_s} << QStringList{u"A 3 3"_s};
    QTest::newRow("spellings of one trainer make one line")
        << QStringList{u"A B|1"_s, u"a b|2"_s} << QStringList{u"A B 2 2"_s};
    QTest::newRow("no rows") << QStringList() << QStringList();
}

void TestMainLists::trainerCounts()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    QList<TrainerNomination> nominations;
    for (const QString &row : rows)
        nominations.append({row.section(u'|', 0, 0), row.section(u'|', 1).toInt(), QString(), true});
    QStringList actual;
    for (const ListRow &line : buildTrainerLines(nominations, {}, {}))
        actual << line.text(names::Trainer) + u' ' + line.text(names::Runners) + u' ' + line.text(names::Races);
    QCOMPARE(actual, expected);
}

void TestMainLists::trainersUnderFilter_data()
{
    QTest::addColumn<double>("weight");
    QTest::addColumn<QStringList>("meetings");
    QTest::addColumn<QStringList>("expected");

    const QStringList all{u"A Lone 1 1"_s, u"Hidden Only 1 1"_s, u"J Smith 3 2"_s,
                          u"Multi 2 1"_s,  u"P O'Brien 1 1"_s,   u"Z Ignored 1 1"_s};
    QTest::newRow("no filter: every trainer") << 0.0 << QStringList() << all;
    QTest::newRow("41.0 alone is below the gate") << 41.0 << QStringList() << all;
    QTest::newRow("45.0 keeps heavy and unweighted runners")
        << 45.0 << QStringList()
        << QStringList{u"Hidden Only 1 1"_s, u"J Smith 3 2"_s, u"Multi 1 1"_s, u"P O'Brien 1 1"_s, u"Z Ignored 1 1"_s};
    QTest::newRow("Flemington only") << 0.0 << QStringList{u"MEL0106"_s}
                                     << QStringList{u"A Lone 1 1"_s, u"J Smith 3 2"_s, u"Multi 1 1"_s};
    QTest::newRow("Flemington at 43.0") << 43.0 << QStringList{u"MEL0106"_s}
                                        << QStringList{u"J Smith 3 2"_s, u"Multi 1 1"_s};
    QTest::newRow("Flemington at 39.5: weight ignored")
        << 39.5 << QStringList{u"MEL0106"_s} << QStringList{u"A Lone 1 1"_s, u"J Smith 3 2"_s, u"Multi 1 1"_s};
}

void TestMainLists::trainersUnderFilter()
{
    QFETCH(double, weight);
    QFETCH(QStringList, meetings);
    QFETCH(QStringList, expected);
    QStringList actual;
    for (const ListRow &line : loadTrainers({meetings, weight}))
        actual << line.text(names::Trainer) + u' ' + line.text(names::Runners) + u' ' + line.text(names::Races);
    QCOMPARE(actual, expected);
}

void TestMainLists::trainerLines()
{
    const QList<ListRow> lines = loadTrainers({});
    const ListRow *smith = lineOf(lines, names::Trainer, u"J Smith"_s);
    QVERIFY(smith);
    // Won with Jane Doe (the ride stored as "j smith" counts: names compare without case).
    QCOMPARE(smith->cell(names::Icon1).icon, kWinnerIcon);
    QCOMPARE(smith->cell(names::Icon2).icon, kCommentIcon);
    QCOMPARE(smith->text(names::IgnTrainer), u"False"_s);
    QVERIFY(!smith->cell(names::Trainer).fore.isValid());

    const ListRow *obrien = lineOf(lines, names::Trainer, u"P O'Brien"_s);
    QVERIFY(obrien);
    QCOMPARE(obrien->cell(names::Icon1).icon, kPlacedIcon);
    QCOMPARE(obrien->cell(names::Icon2).icon, 0);

    const ListRow *multi = lineOf(lines, names::Trainer, u"Multi"_s);
    QVERIFY(multi);
    QCOMPARE(multi->cell(names::Icon1).icon, 0); // only an unmanaged jockey won for Multi

    const ListRow *ignored = lineOf(lines, names::Trainer, u"Z Ignored"_s);
    QVERIFY(ignored);
    QCOMPARE(ignored->text(names::IgnTrainer), u"True"_s);
    QCOMPARE(ignored->cell(names::Trainer).fore, kRed);

    // The trainer row spelt in capitals still gives the comment icon.
    OpenDb().exec(u"UPDATE Trainer SET TrainerName = 'J SMITH' WHERE TrainerName = 'J Smith'"_s);
    QCOMPARE(lineOf(loadTrainers({}), names::Trainer, u"J Smith"_s)->cell(names::Icon2).icon, kCommentIcon);

    // Narrowed to Bob Roe (no rides), no trainer has a placing.
    ManagedJockeys::selectIconJockey(u"Bob Roe"_s);
    for (const ListRow &line : loadTrainers({}))
        QCOMPARE(line.cell(names::Icon1).icon, 0);
}

void TestMainLists::meetings()
{
    const QList<ListRow> rows = loadMeetings();
    QStringList codes;
    for (const ListRow &row : rows)
        codes << row.text(1);
    QCOMPARE(codes, (QStringList{u"CAU0107"_s, u"MEL0106"_s, u"SAN0108"_s})); // HID0109 is not displayed
    QCOMPARE(rows.at(0).text(4), u"2024Jan07"_s);
    QCOMPARE(rows.at(0).text(3), u"Caulfield"_s);
    QCOMPARE(rows.at(0).text(5), u"VIC"_s);
    QCOMPARE(rows.at(0).cell(1).fore, kBlue); // WGT
    QCOMPARE(rows.at(0).cell(2).fore, kBlue);
    QCOMPARE(rows.at(0).cell(3).fore, QColor());
    QCOMPARE(rows.at(1).cell(1).fore, fromStoredColor(0x7D7D19)); // ACP
    QCOMPARE(rows.at(2).cell(1).fore, QColor());                  // NOM
}

void TestMainLists::nominations()
{
    const NominationsResult result = loadNominations(u"J Smith"_s, {});
    QCOMPARE(result.rows.size(), 3);
    const ListRow &alpha = result.rows.at(0);
    const ListRow &bravo = result.rows.at(1);
    const ListRow &charlie = result.rows.at(2);
    QCOMPARE(alpha.text(noms::Horse), u"Alpha"_s);
    QCOMPARE(alpha.text(noms::Wgt), u"55"_s);
    QCOMPARE(alpha.text(noms::Date), u"2024Jan06"_s);
    QCOMPARE(alpha.cell(noms::Icon1).icon, kPlacedIcon); // Jane Doe ran third on Alpha

    // Planned: the jockey in its colour, no row colour, no confirmed mark.
    QCOMPARE(alpha.text(noms::Jockey), u"Jane Doe"_s);
    QCOMPARE(alpha.cell(noms::Jockey).back, fromStoredColor(65535));
    QCOMPARE(alpha.text(noms::Booking), u"Planned"_s);
    QCOMPARE(alpha.cell(noms::Booking).icon, 0);
    QCOMPARE(alpha.cell(noms::Horse).back, QColor());

    // Confirmed: the whole row in the jockey's colour and the confirmed mark.
    QCOMPARE(bravo.text(noms::Confirmed), u"True"_s);
    QCOMPARE(bravo.cell(noms::Booking).icon, kConfirmedIcon);
    for (int c = 1; c <= 16; ++c)
        QCOMPARE(bravo.cell(c).back, kBlue);
    // ...but a removed booking goes back to the line without it.
    QCOMPARE(bravo.drawnBack.value(noms::Horse - 1), QColor());

    // A state without a jockey: the field's (empty) jockey, the state shown.
    QCOMPARE(charlie.text(noms::Jockey), QString());
    QCOMPARE(charlie.text(noms::Booking), u"Ring Trainer"_s);
    QCOMPARE(charlie.text(noms::Wgt), u"0"_s);

    // No booking: the field's jockey, nothing in the state; balloted out in red; the trainer's details.
    const NominationsResult lone = loadNominations(u"A Lone"_s, {});
    QCOMPARE(lone.rows.size(), 1);
    QCOMPARE(lone.rows.at(0).text(noms::Jockey), u"K Field"_s);
    QCOMPARE(lone.rows.at(0).text(noms::Booking), QString());
    QCOMPARE(lone.rows.at(0).text(noms::Wgt), u"42"_s);
    QCOMPARE(lone.rows.at(0).cell(noms::Horse).fore, kRed);
    QCOMPARE(lone.trainerLocation, u"Mornington"_s);
    QCOMPARE(lone.phone, u"03 5555 0000"_s);

    const NominationsResult obrien = loadNominations(u"P O'Brien"_s, {});
    QCOMPARE(obrien.rows.size(), 1);
    QCOMPARE(obrien.rows.at(0).cell(noms::Horse).fore, kBlue); // emergency
    QCOMPARE(obrien.rows.at(0).cell(noms::Icon1).icon, kPlacedIcon);

    // The filter applies to the nominations too.
    QCOMPARE(loadNominations(u"J Smith"_s, {{}, 54.5}).rows.size(), 2); // Alpha and unweighted Charlie
    QCOMPARE(loadNominations(u"Multi"_s, {{u"CAU0107"_s}, 0}).rows.size(), 1);
}

void TestMainLists::nominationsWithoutManagedJockeys()
{
    ManagedJockeys::rebuild({});
    const NominationsResult result = loadNominations(u"J Smith"_s, {});
    QCOMPARE(result.rows.at(0).cell(noms::Icon1).icon, 0);
    for (const ListRow &line : loadTrainers({}))
        QCOMPARE(line.cell(names::Icon1).icon, 0);
}

void TestMainLists::raceTime_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("afternoon") << u"13:05:00"_s << u"01:05 PM"_s;
    QTest::newRow("morning") << u"09:30:00"_s << u"09:30 AM"_s;
    QTest::newRow("unknown 00:01") << u"00:01:00"_s << QString();
    QTest::newRow("no seconds") << u"16:45"_s << u"04:45 PM"_s;
    QTest::newRow("date and time") << u"1899-12-30 12:00:00"_s << u"12:00 PM"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestMainLists::raceTime()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(raceTimeText(stored), shown);
}

void TestMainLists::raceDetailsRuns()
{
    const QList<TextRun> runs = raceDetails(u"MEL0106"_s, 1);
    QCOMPARE(runs.size(), 4);
    QCOMPARE(runs.at(0).text, u"Flemington"_s);
    QCOMPARE(runs.at(1).text, u"\n     VIC\n     Good 4, rail true\n"_s);
    QCOMPARE(runs.at(2).text, u"Race :1"_s);
    QCOMPARE(runs.at(3).text, u"     01:05 PM\n        Apprentices can claim.\nBenchmark 64 Handicap 1200m"_s);

    // Unknown time, no allowances.
    QCOMPARE(raceDetails(u"MEL0106"_s, 2).at(3).text,
             u"     \n        No Allowances for apprentices.\nMaiden Plate 1400m"_s);
    // A missing race leaves its part empty; a missing meeting too.
    QCOMPARE(raceDetails(u"CAU0107"_s, 3).size(), 2);
    QCOMPARE(raceDetails(u"NONE"_s, 1).size(), 0);
}

void TestMainLists::contactBoxes_data()
{
    QTest::addColumn<QString>("trainer");
    QTest::addColumn<int>("field");
    QTest::addColumn<QStringList>("boxes");    // location, phone, mobile
    QTest::addColumn<QStringList>("expected"); // stored afterwards

    QTest::newRow("emptying the phone clears only the phone")
        << u"J Smith"_s << int(ContactField::Phone) << QStringList{u"Elsewhere"_s, QString(), u"0499"_s}
        << QStringList{u"Flemington"_s, QString(), u"0400 111 222"_s};
    QTest::newRow("leaving the location sets only the location")
        << u"J Smith"_s << int(ContactField::Location) << QStringList{u"Ballarat"_s, u"1"_s, u"2"_s}
        << QStringList{u"Ballarat"_s, u"03 9000 1111"_s, u"0400 111 222"_s};
    QTest::newRow("leaving the mobile sets only the mobile")
        << u"J Smith"_s << int(ContactField::Mobile) << QStringList{QString(), QString(), u"0411"_s}
        << QStringList{u"Flemington"_s, u"03 9000 1111"_s, u"0411"_s};
    QTest::newRow("a new trainer gets every non-empty box")
        << u"P O'Brien"_s << int(ContactField::Mobile) << QStringList{u"Caulfield"_s, QString(), u"0422"_s}
        << QStringList{u"Caulfield"_s, QString(), u"0422"_s};
}

void TestMainLists::contactBoxes()
{
    QFETCH(QString, trainer);
    QFETCH(int, field);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, expected);
    saveTrainerContact(trainer, ContactField(field), {false, boxes.at(0), boxes.at(1), boxes.at(2)});
    const TrainerContact stored = loadTrainerContact(trainer);
    QVERIFY(stored.found);
    QCOMPARE((QStringList{stored.location, stored.phone, stored.mobile}), expected);
}

QTEST_GUILESS_MAIN(TestMainLists)
#include "tst_mainlists.moc"
