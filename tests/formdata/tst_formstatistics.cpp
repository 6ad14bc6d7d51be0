// Form statistics, race result and rating rules on answer texts and hand-written pages.
#include "FixtureHttpServer.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include "core/cAppSettings.h"
#include "formdata/FormLookups.h"
#include "formdata/FormStatistics.h"
#include "formdata/RaceResult.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace formstats;

namespace {

// One answer row of the statistics query: date, position, condition and the three placegetters.
QStringList answerRow(const QString &date, const QString &position, const QString &condition,
                      const QString &winner = u"A"_s, const QString &second = u"B"_s, const QString &third = u"C"_s)
{
    QStringList f(39);
    f[0] = date;
    f[2] = u"HORSE"_s;
    f[10] = position;
    f[22] = condition;
    f[36] = winner;
    f[37] = second;
    f[38] = third;
    return f;
}

} // namespace

class TestFormStatistics : public QObject
{
    Q_OBJECT
private slots:
    void summary_data();
    void summary();
    void ordinalSuffix_data();
    void ordinalSuffix();
    void deadHeats_data();
    void deadHeats();
    void whereTexts_data();
    void whereTexts();
    void resultHeader_data();
    void resultHeader();
    void resultRunners();
    void ratingWalk_data();
    void ratingWalk();
};

void TestFormStatistics::summary_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("runs"); // "date position condition", newest first
    QTest::addColumn<QString>("rowTexts");
    QTest::addColumn<QString>("line");
    QTest::newRow("45 days freshen")
        << u"horse"_s << QStringList{u"2024-03-16 1 G"_s, u"2024-01-31 2 G"_s} << u"Freshen(45d)|"_s
        << u"Career 2:1-1-0, This Prep 2:1-1-0, Last Start 1st, 1st Up 0:0-0-0, 2nd Up "
           "0:0-0-0, Fast 0:0-0-0, Good 2:1-1-0, Dead 0:0-0-0, Slow 0:0-0-0, Heavy 0:0-0-0"_s;
    QTest::newRow("70 days spell")
        << u"horse"_s << QStringList{u"2024-03-16 3 H"_s, u"2024-01-06 1 S"_s} << u"Spell(10w)|"_s
        << u"Career 2:1-0-1, This Prep 1:0-0-1, Last Start 3rd, 1st Up 1:0-0-1, 2nd Up "
           "0:0-0-0, Fast 0:0-0-0, Good 0:0-0-0, Dead 0:0-0-0, Slow 1:1-0-0, Heavy 1:0-0-1"_s;
    QTest::newRow("second up, prep ends at the spell")
        << u"horse"_s
        << QStringList{u"2024-04-01 2 D"_s, u"2024-03-16 1 G"_s, u"2024-01-06 4 F"_s, u"2023-12-20 11 F"_s}
        << u"|Spell(10w)||"_s
        << u"Career 4:1-1-0, This Prep 2:1-1-0, Last Start 2nd, 1st Up 1:1-0-0, 2nd Up 1:0-1-0, Fast 2:0-0-0, Good "
           "1:1-0-0, Dead 1:0-1-0, Slow 0:0-0-0, Heavy 0:0-0-0"_s;
    QTest::newRow("30 days nothing, 61 days spell")
        << u"horse"_s
        << QStringList{u"2024-04-15 3 G"_s, u"2024-03-01 1 G"_s, u"2024-01-31 2 G"_s, u"2023-12-01 22 G"_s}
        << u"Freshen(45d)||Spell(8w)|"_s
        << u"Career 4:1-1-1, This Prep 3:1-1-1, Last Start 3rd, 1st Up 1:0-1-0, 2nd Up 1:1-0-0, Fast 0:0-0-0, Good "
           "4:1-1-1, Dead 0:0-0-0, Slow 0:0-0-0, Heavy 0:0-0-0"_s;
    QTest::newRow("other modes see no spells")
        << u"jockey"_s << QStringList{u"2024-03-16 21 G"_s, u"2024-01-06 1 X"_s} << u"|"_s
        << u"Career 2:1-0-0, This Prep 2:1-0-0, Last Start 21st, 1st Up 0:0-0-0, "
           "2nd Up 0:0-0-0, Fast 0:0-0-0, Good 1:0-0-0, Dead 0:0-0-0, Slow "
           "0:0-0-0, Heavy 0:0-0-0"_s;
}

void TestFormStatistics::summary()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, runs);
    QList<QStringList> answer;
    for (const QString &run : std::as_const(runs)) {
        const QStringList parts = run.split(u' ');
        answer << answerRow(parts.at(0), parts.at(1), parts.at(2));
    }
    QList<RunRow> rows = foldRuns(answer);
    const Summary summary = summarise(rows, modeFromText(mode));
    QStringList texts;
    for (const RunRow &row : std::as_const(rows))
        texts << row.rowText;
    QTEST(texts.join(u'|'), "rowTexts");
    QTEST(summary.line(), "line");
}

void TestFormStatistics::ordinalSuffix_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("suffix");
    const QList<std::pair<int, const char *>> cases{
        {0, ""},    {-1, ""},   {1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},  {11, "th"},  {12, "th"}, {13, "th"},
        {20, "th"}, {21, "st"}, {22, "nd"}, {23, "rd"}, {24, "th"}, {30, "th"}, {111, "st"}, {112, "nd"}};
    for (const auto &[n, suffix] : cases)
        QTest::addRow("%d", n) << n << QString::fromLatin1(suffix);
}

void TestFormStatistics::ordinalSuffix()
{
    QFETCH(int, n);
    QTEST(OrdinalSuffix(n), "suffix");
}

void TestFormStatistics::deadHeats_data()
{
    // Answer rows "date;track;race;horse;position;winner;second;third" and the runs they fold into
    // as "winner|2nd|3rd", newest first; the counters of the folded runs.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("placegetters");
    QTest::addColumn<QString>("career");
    QTest::newRow("first") << QStringList{u"2025-06-21;EAGLE FARM;7;ZARA'S GIFT;1;ZARA'S GIFT;;MR BOJANGLES"_s,
                                          u"2025-06-21;EAGLE FARM;7;ZARA'S GIFT;1;CÔTE D'OR;;MR BOJANGLES"_s}
                           << QStringList{u"Côte D'or|=Zara's Gift|Mr Bojangles"_s} << u"1:1-0-0"_s;
    // The two backends may answer a tie in either order: the folded run is the same.
    QTest::newRow("first, the other order")
        << QStringList{u"2025-06-21;EAGLE FARM;7;ZARA'S GIFT;1;CÔTE D'OR;;MR BOJANGLES"_s,
                       u"2025-06-21;EAGLE FARM;7;ZARA'S GIFT;1;ZARA'S GIFT;;MR BOJANGLES"_s}
        << QStringList{u"Côte D'or|=Zara's Gift|Mr Bojangles"_s} << u"1:1-0-0"_s;
    QTest::newRow("second") << QStringList{u"2025-07-05;RANDWICK;3;SUNLINE;2;DANCE HERO;SUNLINE;"_s,
                                           u"2025-07-05;RANDWICK;3;SUNLINE;2;DANCE HERO;KEEP QUIET;"_s}
                            << QStringList{u"Dance Hero|Keep Quiet|=Sunline"_s} << u"1:0-1-0"_s;
    // The answer rows of one run need not come together nor in placing order.
    QTest::newRow("third, out of placing order")
        << QStringList{u"2025-09-13;FLEMINGTON;8;NO FUSS;3;ALPINE;BOLT;ZIGGY"_s,
                       u"2025-01-02;ASCOT;1;NO FUSS;7;ALPINE;BOLT;CAPTAIN"_s,
                       u"2025-09-13;FLEMINGTON;8;NO FUSS;3;ALPINE;BOLT;NO FUSS"_s}
        << QStringList{u"Alpine|Bolt|No Fuss =Ziggy"_s, u"Alpine|Bolt|Captain"_s} << u"2:0-0-1"_s;
    QTest::newRow("first and third") << QStringList{u"2025-12-26;MORPHETTVILLE;5;TÉA;4;ABE;;CAL"_s,
                                                    u"2025-12-26;MORPHETTVILLE;5;TÉA;4;ABE;;DEE"_s,
                                                    u"2025-12-26;MORPHETTVILLE;5;TÉA;4;BEN;;CAL"_s,
                                                    u"2025-12-26;MORPHETTVILLE;5;TÉA;4;BEN;;DEE"_s}
                                     << QStringList{u"Abe|=Ben|Cal =Dee"_s} << u"1:0-0-0"_s;
    // Two runs without a second placegetter are two runs, not a dead heat.
    QTest::newRow("no second in two races")
        << QStringList{u"2025-03-08;BELMONT;2;KAI;1;KAI;;"_s, u"2025-02-08;BELMONT;2;KAI;1;KAI;;"_s, u"short"_s}
        << QStringList{u"Kai||"_s, u"Kai||"_s} << u"2:2-0-0"_s;
}

void TestFormStatistics::deadHeats()
{
    QFETCH(QStringList, rows);
    QString answer;
    for (const QString &row : std::as_const(rows)) {
        const QStringList p = row.split(u';');
        if (p.size() < 8) {
            answer += row + u"<br>\n"_s;
            continue;
        }
        QStringList f = answerRow(p.at(0), p.at(4), u"G"_s, p.at(5), p.at(6), p.at(7));
        f[3] = p.at(1);
        f[1] = p.at(2);
        f[2] = p.at(3);
        answer += f.join(u'|') + u"<br>\n"_s;
    }
    QList<RunRow> runs = foldAnswer(answer);
    QStringList placegetters;
    for (const RunRow &run : std::as_const(runs))
        placegetters << run.cell(Winner) + u'|' + run.cell(Second) + u'|' + run.cell(Third);
    QTEST(placegetters, "placegetters");
    const Summary summary = summarise(runs, Mode::Horse);
    QTEST(summary.counters[Career].text(), "career");
    QCOMPARE(summary.counters[Good].text(), summary.counters[Career].text());
}

void TestFormStatistics::whereTexts_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("formTrainer");
    QTest::addColumn<QString>("jockeys");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("handOver"); // horse|jockey|form trainer after opening
    QTest::newRow("horse cut at the bracket") << u"horse"_s << u"Green Flash (NZ)"_s << u""_s << u""_s
                                              << u"A.WHorse= 'GREEN FLASH '"_s << u"Green Flash ||"_s;
    QTest::newRow("bracket first is kept") << u"horse"_s << u"(Odd) O'Neil & Co"_s << u""_s << u""_s
                                           << u"A.WHorse= '(ODD) O''NEIL %26 CO'"_s << u"(Odd) O'Neil & Co||"_s;
    QTest::newRow("horse, one jockey") << u"horse/jockey"_s << u"Blue(AUS)"_s << u""_s << u"( 'J Smith')"_s
                                       << u"A.WHorse= 'BLUE'and A.WJockey in ( 'J Smith')"_s << u"Blue|J Smith|"_s;
    QTest::newRow("horse, all jockeys") << u"horse/jockey"_s << u"Blue"_s << u""_s << u"( 'A', 'B')"_s
                                        << u"A.WHorse= 'BLUE'and A.WJockey in ( 'A', 'B')"_s
                                        << u"Blue|All Managed Jockeys|"_s;
    QTest::newRow("trainer, same form name") << u"trainer"_s << u"t o'sullivan"_s << u"T O'SULLIVAN"_s << u""_s
                                             << u"(A.WTrainer = 'T O''SULLIVAN')"_s << u"||"_s;
    QTest::newRow("trainer, other form name")
        << u"trainer"_s << u"Smith & Jones"_s << u"Smith&Jones"_s << u""_s
        << u"(A.WTrainer = 'SMITH %26 JONES'or A.WTrainer = 'Smith%26Jones')"_s << u"||"_s;
    QTest::newRow("trainer and jockeys, other form name")
        << u"trainer/jockey"_s << u"P Moody"_s << u"PETER MOODY"_s << u"( 'A', 'B')"_s
        << u"(A.WTrainer = 'P MOODY' or A.WTrainer = 'PETER MOODY') and A.WJockey in ( 'A', 'B')"_s
        << u"|All Managed Jockeys|"_s;
    QTest::newRow("trainer and jockey") << u"trainer/jockey"_s << u"P Moody"_s << u""_s << u"( 'A')"_s
                                        << u"(A.WTrainer = 'P MOODY') and A.WJockey in ( 'A')"_s << u"|A|"_s;
    QTest::newRow("jockey") << u"jockey"_s << u"k o'brien"_s << u""_s << u""_s << u"A.WJockey= 'K O''BRIEN'"_s
                            << u"|k o'brien|"_s;
}

void TestFormStatistics::whereTexts()
{
    QFETCH(QString, mode);
    QFETCH(QString, name);
    QFETCH(QString, formTrainer);
    QFETCH(QString, jockeys);
    StatsHandOver values{mode, QString(), QString(), QString(), formTrainer};
    (mode.startsWith(u"horse"_s) ? values.StatsHorse
     : mode == "jockey"_L1       ? values.StatsJockey
                                 : values.StatsTrainer) = name;
    const StatsRequest request = prepareRequest(values, jockeys);
    QTEST(request.where, "where");
    QVERIFY(request.sql.contains(u"AND T.WFinPosn =3 WHERE "_s + request.where + u" ORDER BY A.WRaceDate DESC"_s));
    QTEST(QStringList({values.StatsHorse, values.StatsJockey, values.StatsFormTrainer}).join(u'|'), "handOver");
}

void TestFormStatistics::resultHeader_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("fields");
    QTest::newRow("metro, class point")
        << u"Victoria Racing Club|M|VIC|1200|MAIDEN PLATE|BM.70|34.50|G|54.5|50000<br>\n"_s
        << u" FLEM 06/01/2024 - Victoria Racing Club| Metro|VIC|3    1200    MAIDEN PLATE|BM70|34.50|Good|54.5|$ 50,000.00"_s;
    QTest::newRow("provincial, heavy")
        << u"Club|P|NSW|1000|X|CL.1.A|1|H|58|1234.5<br>\n"_s
        << u" FLEM 06/01/2024 - Club| Provincial|NSW|3    1000    X|CL1A|1|Heavy|58|$ 1,234.50"_s;
    QTest::newRow("country") << u"Club|C|NSW|1000|X|C|1|F|58|0<br>\n"_s
                             << u" FLEM 06/01/2024 - Club| Country|NSW|3    1000    X|C|1|Fast|58|$ 0.00"_s;
    QTest::newRow("empty type") << u"Club||NSW|1000|X|C|1|S|58|0<br>\n"_s
                                << u" FLEM 06/01/2024 - Club|Unknown|NSW|3    1000    X|C|1|Slow|58|$ 0.00"_s;
    QTest::newRow("other type, other condition")
        << u"Club|Q|NSW|1000|X|C|1|Z|58|0<br>\n"_s << u" FLEM 06/01/2024 - Club||NSW|3    1000    X|C|1||58|$ 0.00"_s;
    QTest::newRow("no row") << u""_s << u"none"_s;
}

void TestFormStatistics::resultHeader()
{
    QFETCH(QString, answer);
    const std::optional<raceresult::Header> header =
        raceresult::parseHeader(answer, u"2024/01/06"_s, u"FLEM"_s, u"3"_s);
    QTEST(header ? header->fields().join(u'|') : u"none"_s, "fields");
}

void TestFormStatistics::resultRunners()
{
    // As a provider may hold them: a dead heat for third, an unplaced and a scratched runner, in load order.
    const QString answer = u"0|LATE MAIL|12L|A BROWN|9|54||1212|B CRAIG|41|0|4|F|DUBAWI|LATE NOTE<br>\n"
                           "3|ZIGGY|2.5L|K O'BRIEN|4|56|||Ms Emily Lang|8|2500|3|G|||<br>\n"
                           "1|GREEN FLASH|WON|J SMITH|3|58.5||0302|T O'SULLIVAN|2.5|30000|5|G|FLASHY|GREEN LADY<br>\n"
                           "SCR|NO SHOW||||||||||||||<br>\n"
                           "3|ALPHA|2.5L|R LEE|1|55||0504|SMITH & JONES|6|2500|||||<br>\n"
                           "2|RED ROVER|0.5L|K O'BRIEN|1|57|2|0101|SMITH & JONES|4.6|9000|||||<br>\n"
                           "short|row<br>\n"_s;
    const QList<raceresult::Runner> runners = raceresult::parseRunners(answer, u"red rover"_s);
    QStringList order;
    for (const raceresult::Runner &runner : runners)
        order << runner.cells.at(1);
    QCOMPARE(order,
             (QStringList{u"Green Flash"_s, u"Red Rover"_s, u"Ziggy"_s, u"Alpha"_s, u"Late Mail"_s, u"No Show"_s}));
    QCOMPARE(runners.at(0).cells.at(11), u"5 G"_s);
    QCOMPARE(runners.at(0).cells.at(12), u"Flashy/Green Lady"_s);
    QCOMPARE(runners.at(0).boldFrom, 0);
    QCOMPARE(runners.at(1).cells.at(12), u"/"_s);
    QVERIFY(!runners.at(1).bold(1) && runners.at(1).bold(2) && runners.at(1).bold(11) && !runners.at(1).bold(12));
    // Sorting by a column: placings before the rest, numbers as numbers.
    const auto sortsBefore = [](int column, const QString &a, const QString &b) {
        return QVariant::compare(raceresult::sortKey(column, a), raceresult::sortKey(column, b)) ==
               QPartialOrdering::Less;
    };
    QVERIFY(sortsBefore(1, u"3"_s, u"12"_s) && sortsBefore(1, u"12"_s, u"0"_s) && sortsBefore(1, u"12"_s, u"SCR"_s));
    QVERIFY(sortsBefore(6, u"9.5"_s, u"54"_s) && sortsBefore(2, u"alpha"_s, u"Ziggy"_s));
}

void TestFormStatistics::ratingWalk_data()
{
    QTest::addColumn<QByteArray>("listPage");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("page");
    const QByteArray list = "<html><title>FIND HORSE - Ratings</title><table>"
                            "<tr><td><a href='/Publishing/RBH/pgHorseDetails.asp?id=1'>GREEN FLASH</a></td>"
                            "<td nowrap>Retired&nbsp;</td></tr>"
                            "<tr><td><a href='/Publishing/RBH/pgHorseDetails.asp?id=2&amp;s=VIC'>GREEN FLASH</a></td>"
                            "<td nowrap>Active&nbsp;</td></tr></table></html>";
    QTest::newRow("active horse's details") << list << 200 << u"<html>details of 2</html>"_s;
    QByteArray retired = list;
    retired.replace("Active", "Gone");
    QTest::newRow("no active horse: the list") << retired << 200 << QString::fromLatin1(retired);
    QTest::newRow("site error") << list << 500 << QString();
    QTest::newRow("site moved: posted again there") << list << 301 << u"<html>details of 2</html>"_s;
}

void TestFormStatistics::ratingWalk()
{
    QFETCH(QByteArray, listPage);
    QFETCH(int, status);
    TestEnvironment environment;
    ScriptedDialogs dialogs;
    FixtureHttpServer site;
    const bool moved = status / 100 == 3;
    site.setPrefixRoute("/publishing/RBH/pgFindHorse.asp",
                        {status, "OK", listPage, "text/html", {}, moved ? "/new/pgFindHorse.asp" : ""});
    site.setPrefixRoute("/new/", {200, "OK", listPage, "text/html"});
    site.setPrefixRoute("/Publishing/RBH/pgHorseDetails.asp?id=2",
                        {200, "OK", "<html>details of 2</html>", "text/html"});
    cAppSettings::instance().RatingHost = u"http://"_s + site.host();
    const QString page = lookups::ratingLookUp(u"Green Flash"_s);
    QTEST(page, "page");
    const QByteArray body = "lstStates=VIC&lstRType=1&txtHorseName=Green+Flash&btnHorseName=Search&hdnStateIndex=";
    QVERIFY(site.requests.first().startsWith("POST /publishing/RBH/pgFindHorse.asp?txtMode=ProcessSearch "));
    QVERIFY(site.requests.first().endsWith(body));
    if (moved)
        QVERIFY(site.requests.at(1).startsWith("POST /new/pgFindHorse.asp ") && site.requests.at(1).endsWith(body));
    QCOMPARE(dialogs.messages.size(), status == 500 ? 1 : 0);
    if (status == 500)
        QCOMPARE(dialogs.messages.first().title, u"Data Error"_s);
    const QString written = lookups::writeDisplayPage(page);
    QCOMPARE(written.isEmpty(), page.isEmpty());
    if (!written.isEmpty())
        QVERIFY(written.endsWith(u"/display.html"_s) && QFileInfo(written).size() == page.toUtf8().size());
}

QTEST_MAIN(TestFormStatistics)
#include "tst_formstatistics.moc"
