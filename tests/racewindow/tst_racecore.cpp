#include "MainWindowSeed.h"
#include "bookings/DoubleBooking.h"
#include "bookings/MeetingReport.h"
#include "bookings/RaceRunners.h"
#include "bookings/RatingUpdate.h"
#include "bookings/WeightCalculation.h"
#include "core/cAppSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestRaceCore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void weights_data();
    void weights();
    void weightsNeedTypeAndTable();
    void ratingPage_data();
    void ratingPage();
    void ratingsStopWhenTheSiteIsDown();
    void numberCells_data();
    void numberCells();
    void clashingRide_data();
    void clashingRide();
    void reportRowsAndPages();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestRaceCore::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    seed::seedLists(m_env->databaseFile());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    Db db(m_env->databaseFile());
    // Race 1 of MEL0106 (meet type M): a mare, a gelding, a filly rated off the table, an
    // unrated and a badly rated runner, a filly and a mare; their HorseType as field files write it
    // (colour, sex, age) or as the enrichment does (sex, age).
    db.exec(u"DELETE FROM RBHTable"_s);
    db.exec(u"INSERT INTO RBHTable (MeetType, RaceType, Rating, Weight) VALUES ('M', 'BM78 M', 70, 57), "
            "('M', 'BM78 M', 72, 58), ('M', 'OPN M', 70, 59), ('M', 'F&M BM78 M', 70, 56), ('P', 'BM78 M', 70, 61), "
            "('M', 'BM78 M', 0, 60), ('M', 'BM78 M', 40, 50)"_s);
    db.exec(u"UPDATE Noms SET Rating = '70', HorseType = 'bay m 5' WHERE Horse = 'Alpha'"_s);
    db.exec(u"UPDATE Noms SET Rating = '72', HorseType = 'b g 4' WHERE Horse = 'Bravo'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"Kilo"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = '71', HorseType = 'ch f 3' WHERE Horse = 'Kilo'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"Lima"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = '', HorseType = 'b/br m 4' WHERE Horse = 'Lima'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"Mike"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = 'n/a', HorseType = 'Filly', LastWeight = 44 WHERE Horse = 'Mike'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"November"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = '40', HorseType = 'M 5' WHERE Horse = 'November'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"Oscar"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = '72', HorseType = 'b f 3' WHERE Horse = 'Oscar'"_s);
    seed::addNom(db, u"MEL0106"_s, 1, u"Papa"_s, u"J Smith"_s, 540);
    db.exec(u"UPDATE Noms SET Rating = '72+', HorseType = 'M 6', LastStartWeight = 61 WHERE Horse = 'Papa'"_s);
}

void TestRaceCore::cleanup()
{
    m_dialogs.reset();
    m_env.reset();
}

void TestRaceCore::weights_data()
{
    QTest::addColumn<QString>("raceType");
    QTest::addColumn<QString>("raceText");
    QTest::addColumn<QString>("expected"); // Alpha Bravo Kilo Lima Mike November Oscar Papa
    QTest::newRow("mare allowance") << u"BM78 M"_s << u"HCP"_s << u"54.5 58 0 0 0 50 55.5 55.5"_s;
    QTest::newRow("control characters stripped") << u"BM78 M\r"_s << u"HCP"_s << u"54.5 58 0 0 0 50 55.5 55.5"_s;
    QTest::newRow("race text for mares") << u"BM78 M"_s << u"MARES HCP"_s << u"57 58 0 0 0 50 58 58"_s;
    QTest::newRow("fillies text") << u"BM78 M"_s << u"FILLIES"_s << u"57 58 0 0 0 50 58 58"_s;
    QTest::newRow("open race") << u"OPN M"_s << u"HCP"_s << u"59 0 0 0 0 0 0 0"_s;
    QTest::newRow("fillies and mares type") << u"F&M BM78 M"_s << u"HCP"_s << u"56 0 0 0 0 0 0 0"_s;
    QTest::newRow("no table rows") << u"CL1 M"_s << u"HCP"_s << u"0 0 0 0 0 0 0 0"_s;
}

void TestRaceCore::weights()
{
    QFETCH(QString, raceType);
    QFETCH(QString, raceText);
    QFETCH(QString, expected);
    // A second run must give the same weights: the first run's allowance never stacks.
    for (int run = 0; run < 2; ++run)
        QCOMPARE(int(CalculateWeights(u"MEL0106"_s, 1, raceType, raceText).outcome), int(WeightResult::Outcome::Done));
    QStringList weights;
    for (const char *horse : {"Alpha", "Bravo", "Kilo", "Lima", "Mike", "November", "Oscar", "Papa"}) {
        QueryResult query = OpenQuery(u"SELECT LastWeight FROM Noms WHERE Horse = ?"_s, {QString::fromLatin1(horse)});
        QVERIFY(query.next());
        weights << QString::number(query.value(0).toDouble());
    }
    QCOMPARE(weights.join(u' '), expected);
    // The enrichment's last-start weight is a figure of its own, which the calculation leaves alone.
    QCOMPARE(OpenQuery(u"SELECT LastStartWeight FROM Noms WHERE Horse = 'Papa'"_s).query.next(), true);
    QueryResult papa = OpenQuery(u"SELECT LastStartWeight FROM Noms WHERE Horse = 'Papa'"_s);
    QVERIFY(papa.next());
    QCOMPARE(papa.value(0).toDouble(), 61.0);
    QCOMPARE(OpenQuery(u"SELECT RaceType FROM Race WHERE MeetingCode = 'MEL0106' AND RaceNumber = 1"_s).query.next(),
             true);
    QCOMPARE(racewindow::loadRaceHeader(u"MEL0106"_s, 1).raceType, raceType);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestRaceCore::weightsNeedTypeAndTable()
{
    QCOMPARE(int(CalculateWeights(u"MEL0106"_s, 1, u"\r"_s, QString()).outcome),
             int(WeightResult::Outcome::NoRaceType));
    QCOMPARE(m_dialogs->messages.value(0).text, kNoRaceTypeMessage);
    Db(m_env->databaseFile()).exec(u"DELETE FROM RBHTable"_s);
    QCOMPARE(int(CalculateWeights(u"MEL0106"_s, 1, u"BM78 M"_s, QString()).outcome),
             int(WeightResult::Outcome::EmptyTable));
    QVERIFY(m_dialogs->messages.value(1).text.contains("import-weights"_L1));
    // Nothing was reset: Mike keeps the weight stored before.
    QCOMPARE(OpenQuery(u"SELECT LastWeight FROM Noms WHERE Horse = 'Mike'"_s).query.next(), true);
    QueryResult mike = OpenQuery(u"SELECT LastWeight FROM Noms WHERE Horse = 'Mike'"_s);
    QVERIFY(mike.next());
    QCOMPARE(mike.value(0).toDouble(), 44.0);
}

void TestRaceCore::ratingPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("rating"); // empty: none
    const QString head = u"<table><tr><td class=CellHead>VIC Rating</td></tr>\n"_s;
    QTest::newRow("sixth cell") << head + "<tr><td>A</td><td>B</td><td>C</td><td>D</td><td>E</td><td>68</td></tr>"_L1
                                << u"68"_s;
    QTest::newRow("blank cell") << head + "<tr><td>A</td><td>B</td><td>C</td><td>D</td><td>E</td><td>&nbsp;</td>"_L1
                                << QString();
    QTest::newRow("short row") << head + "<tr><td>A</td><td>B</td></tr><tr><td>3</td><td>4</td><td>5</td><td>6</td>"
                                         "<td>7</td><td>8</td></tr>"_L1
                               << QString();
    QTest::newRow("no heading") << u"<tr><td>1</td><td>2</td><td>3</td><td>4</td><td>5</td><td>6</td></tr>"_s
                                << QString();
}

void TestRaceCore::ratingPage()
{
    QFETCH(QString, page);
    QFETCH(QString, rating);
    QCOMPARE(parseVicRating(page).value_or(QString()), rating);
}

// An unreachable rating site is met once: the runners after it are not asked (each would say so again).
void TestRaceCore::ratingsStopWhenTheSiteIsDown()
{
    QStringList asked;
    const RatingUpdateResult result =
        UpdateRatings(u"MEL0106"_s, 1, [&asked](const QString &horse) -> std::optional<QString> {
            asked << horse;
            if (asked.size() == 1)
                return u"<td class=CellHead>VIC Rating</td><tr><td>A</td><td>B</td><td>C</td><td>D</td><td>E</td>"
                       "<td>81</td></tr>"_s;
            return std::nullopt;
        });
    QCOMPARE(asked.size(), 2);
    QCOMPARE(result.updated, 1);
    QVERIFY(result.stopped);
    QueryResult rating =
        OpenQuery(u"SELECT Rating FROM Noms WHERE MeetingCode = 'MEL0106' AND Horse = ?"_s, {asked.first()});
    QVERIFY(rating.next());
    QCOMPARE(rating.value(0).toString(), u"81"_s);
}

void TestRaceCore::numberCells_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("eorB");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sortValue");
    QTest::newRow("number") << QVariant(7) << u"E"_s << u"7E"_s << u"7"_s;
    QTest::newRow("equal sign") << QVariant(u"12="_s) << QString() << u"12="_s << u"12"_s;
    QTest::newRow("zero") << QVariant(0) << u"B"_s << u"B"_s << u"999"_s;
    QTest::newRow("none") << QVariant() << u"E"_s << QString() << QString();
}

void TestRaceCore::numberCells()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, eorB);
    const racewindow::NumberCells cells = racewindow::numberCells(stored, eorB);
    QTEST(cells.shown, "shown");
    QTEST(cells.sortValue, "sortValue");
}

void TestRaceCore::clashingRide_data()
{
    QTest::addColumn<QString>("jockey");
    QTest::addColumn<QString>("meeting");
    QTest::addColumn<QString>("horse");
    QTest::addColumn<QString>("question"); // empty: free to book
    // Jane Doe rides Alpha in MEL0106 race 1 (Flemington, 6 January).
    const QString jane = u"Jane Doe"_s;
    QTest::newRow("same race") << jane << u"MEL0106"_s << u"Bravo"_s
                               << u"JANE DOE is already booked on ALPHA in race 1 at FLEMINGTON. Book anyway?"_s;
    QTest::newRow("another race") << jane << u"MEL0106"_s << u"Golf"_s << QString();
    QTest::newRow("another meeting that day") << jane << u"OTH0106"_s << u"Papa"_s
                                              << u"JANE DOE is already booked on ALPHA in race 1 at FLEMINGTON. "
                                                 "Book anyway?"_s;
    QTest::newRow("another day") << jane << u"CAU0107"_s << u"Delta"_s << QString();
    QTest::newRow("her own ride") << jane << u"MEL0106"_s << u"Alpha"_s << QString();
    // The acceptances name Bob Roe (FullName Robert Roe) on Golf, MEL0106 race 3, with title and claim.
    QTest::newRow("field names him on another runner")
        << u"Bob Roe"_s << u"MEL0106"_s << u"Foxtrot"_s
        << u"BOB ROE is named by the field on GOLF in race 3 at FLEMINGTON. Book anyway?"_s;
    QTest::newRow("field names him on that very horse") << u"Bob Roe"_s << u"MEL0106"_s << u"Golf"_s << QString();
}

void TestRaceCore::clashingRide()
{
    QFETCH(QString, jockey);
    QFETCH(QString, meeting);
    QFETCH(QString, horse);
    QFETCH(QString, question);
    Db db(m_env->databaseFile());
    db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate) "
            "VALUES ('OTH0106', 'Moonee Valley', 'ACP', '2024-01-06')"_s);
    seed::addNom(db, u"OTH0106"_s, 5, u"Papa"_s, u"Multi"_s, 550);
    db.exec(u"UPDATE Noms SET Jockey = 'Mr Robert ROE (a3)' WHERE Horse = 'Golf'"_s);
    const std::optional<ClashingRide> ride = findClashingRide(db, jockey, meeting, horse);
    QCOMPARE(ride ? clashQuestion(*ride) : QString(), question);
}

void TestRaceCore::reportRowsAndPages()
{
    {
        Db db(m_env->databaseFile());
        db.exec(u"UPDATE Noms SET LastJockey = 'K Last', Barrier = 4, EorB = 'E' WHERE Horse = 'Golf'"_s);
        // A jockey stored without a full name, on a horse another rider rode last; a booked horse
        // with a long name that the field no longer lists.
        db.exec(u"UPDATE Jockey SET FullName = '' WHERE Jockey = 'Jane Doe'"_s);
        db.exec(u"UPDATE Noms SET LastJockey = 'N Klein' WHERE Horse = 'Alpha'"_s);
        // Alpha entered in race 3 too: its booking is race 1's.
        seed::addNom(db, u"MEL0106"_s, 3, u"Alpha"_s, u"J Smith"_s, 550);
        db.exec(
            u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
            "Confirmed) VALUES ('MEL0106', '1600 HCP', 'BOUNDLESS FERENGIS', 'J Smith', 'Bob Roe', 'Confirmed', 1)"_s);
        // A sponsor's long race name ends in "Field Lim": it must not run into the distance.
        db.exec(u"UPDATE Race SET RaceDistance = 2000, RaceDetails = 'The Schweppes O''Brien Kelly Plate, "
                "Benchmark 64 Handicap, Apprentices Field Lim' WHERE MeetingCode = 'MEL0106' AND RaceNumber = 1"_s);
    }
    cAppSettings::instance().Companyname = u"Kelly & O'Hara Bookings"_s;
    meetingreport::Report report = meetingreport::buildReport(u"MEL0106"_s);
    QVERIFY(report.found);
    QCOMPARE(report.company, u"Kelly & O'Hara Bookings"_s);
    QCOMPARE(report.groups.size(), 3);
    QCOMPARE(report.lineCount(), 13); // 6 seeded entries, the 6 added for the weights, the scratched ride
    const meetingreport::Group &race3 = report.groups.at(2);
    QCOMPARE(race3.raceNumber, 3);
    QCOMPARE(race3.time, u"14.10"_s);
    const auto lineOf = [&race3](const QString &horse) {
        return *std::find_if(race3.lines.cbegin(), race3.lines.cend(),
                             [&horse](const meetingreport::Line &line) { return line.horse == horse; });
    };
    const meetingreport::Line golf = lineOf(u"Golf"_s);
    QCOMPARE(golf.jockey, u"@K Last"_s); // no booking: the last rider, marked
    QCOMPARE(golf.varData, u"4E"_s);     // acceptances: barrier and E/B
    const meetingreport::Line alphaElsewhere = lineOf(u"Alpha"_s);
    QCOMPARE(alphaElsewhere.jockey + u'|' + alphaElsewhere.booking, u"@N Klein|"_s);
    const meetingreport::Line scratched = lineOf(u"BOUNDLESS FERENGIS"_s);
    QCOMPARE(scratched.jockey + u'|' + scratched.booking, u"Robert Roe|Scratched"_s);
    QCOMPARE(report.groups.at(0).lines.at(0).jockey, u"Jane Doe"_s); // booked, though without a full name
    QCOMPARE(report.groups.at(0).lines.at(0).weight, u"55.0"_s);
    QCOMPARE(meetingreport::pageCount(report), 1);

    // A long meeting runs over pages, every runner printed once; a race that goes over a page
    // has its heading again at the top of the next.
    for (int i = 0; i < 70; ++i)
        report.groups[i % 3].lines.append(report.groups.at(0).lines.at(0));
    const QList<QList<meetingreport::PageItem>> pages = meetingreport::layoutPages(report);
    QCOMPARE(pages.size(), 2);
    const meetingreport::PageItem &lastOnFirst = pages.at(0).last();
    const meetingreport::PageItem &top = pages.at(1).first();
    QVERIFY(lastOnFirst.line >= 0 && top.line < 0);
    QCOMPARE(top.group, lastOnFirst.group);
    QVERIFY(top.continued);
    QCOMPARE(pages.at(1).at(1).line, lastOnFirst.line + 1);
    const QString pdf = m_env->root() + "/report.pdf"_L1;
    QVERIFY(meetingreport::writePdf(report, pdf));
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (!pdftotext.isEmpty()) {
        QProcess process;
        process.start(pdftotext, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(text.contains(QRegularExpression(u"\\s2000mtrs"_s)) && !text.contains(u"Lim2000"_s), qPrintable(text));
        QCOMPARE(text.count(u"Kelly & O'Hara Bookings"_s), 2); // the foot of both pages
        QCOMPARE(text.count(u"(continued)"_s), 1);
        QVERIFY2(text.contains(u"BOUNDLESS FERENGIS"_s), qPrintable(text)); // long names are not cut
    }
    QVERIFY(!meetingreport::writePdf(report, m_env->root() + "/no/such/folder/report.pdf"_L1));
}

QTEST_MAIN(TestRaceCore)
#include "tst_racecore.moc"
