// Field file parser: file names, field rules and record kinds over hand-written field files.
#include "import/FieldFileParser.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const FieldFileName kAcp{u"2512RAND"_s, u"RAND"_s, u"ACP"_s};

QByteArray header()
{
    return "0000000RAND<NSW<ACCEPTANCES<THURSDAY 25/12/08<DAY<1<Club<Metropolitan Meeting<RANDWICK\r\n";
}

QByteArray race(int number, const QByteArray &limit = "14", const QByteArray &emergencies = "4",
                const QByteArray &time = "2.45", const QByteArray &amPm = "P.M.")
{
    return QByteArray::number(number).rightJustified(2, '0') + "00100NAME<1<" + time + '<' + amPm +
           "<1200 METRES<C<BM72<3U<<HCP<1<$1<<<<<<BM72<1200<" + limit + '<' + emergencies + "\r\n";
}

// A horse's four records; `extra` replaces the fields after the ballot (class, rating).
QByteArray horse(int raceNo, int horseNo, const QByteArray &name, const QByteArray &ballot = "",
                 const QByteArray &marker = "", const QByteArray &weight = "56", const QByteArray &extra = "<C1<70")
{
    const QByteArray prefix =
        QByteArray::number(raceNo).rightJustified(2, '0') + QByteArray::number(horseNo).rightJustified(2, '0');
    return prefix + "4001<1<<" + weight + "<<BAY<G<4<<" + marker + "<<<01/01/2004<" + name + "<x1<J Doe<<" + ballot +
           extra + "\r\n" + prefix + "500S<D<DS\r\n" + prefix + "600O\r\n" + prefix + "700T<L<P\r\n";
}

} // namespace

class TestFieldFileParser : public QObject
{
    Q_OBJECT

private slots:
    void fileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("track");
        QTest::addColumn<QString>("level");
        QTest::newRow("windows path") << u"C:\\Fields\\20081225RAND.DGW"_s << true << u"20081225RAND"_s << u"1225RAND"_s
                                      << u"WGT"_s;
        QTest::newRow("lower case extension")
            << u"/f/20081225RAND.dgw"_s << true << u"20081225RAND"_s << u"1225RAND"_s << u"N/A"_s;
        QTest::newRow("DFN") << u"2512RAND.DFN"_s << true << u"2512RAND"_s << u"RAND"_s << u"NOM"_s;
        QTest::newRow("DNP") << u"2512RAND.DNP"_s << true << u"2512RAND"_s << u"RAND"_s << u"NOM"_s;
        QTest::newRow("DNW") << u"2512RAND.DNW"_s << true << u"2512RAND"_s << u"RAND"_s << u"WGT"_s;
        QTest::newRow("DFA") << u"2512RAND.DFA"_s << true << u"2512RAND"_s << u"RAND"_s << u"ACP"_s;
        QTest::newRow("DNA") << u"2512RAND.DNA"_s << true << u"2512RAND"_s << u"RAND"_s << u"ACP"_s;
        QTest::newRow("blanks trimmed") << u"/f/ 2512RAND .DGA "_s << true << u"2512RAND"_s << u"RAND"_s << u"ACP"_s;
        QTest::newRow("last dot") << u"/f.d/2512.RAND.DGN"_s << true << u"2512.RAND"_s << u".RAND"_s << u"NOM"_s;
        QTest::newRow("no dot") << u"/f.d/2512RAND"_s << false << QString() << QString() << QString();
        QTest::newRow("leading dot") << u"/f/.DGN"_s << false << QString() << QString() << QString();
    }
    void fileNames()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        const std::optional<FieldFileName> name = FieldFileParser::fileName(path);
        QCOMPARE(name.has_value(), accepted);
        if (!name)
            return;
        QTEST(name->meetingCode, "code");
        QTEST(name->trackCode, "track");
        QTEST(name->level, "level");
    }

    void weights_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("tenths"); // -1: refused
        QTest::newRow("whole") << u"56"_s << 560;
        QTest::newRow("bar") << u"56|"_s << 565;
        QTest::newRow("one digit") << u"5"_s << 50;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("blanks") << u" 54 "_s << 540;
        QTest::newRow("letters") << u"5x"_s << -1;
        QTest::newRow("three digits") << u"560"_s << -1;
        QTest::newRow("decimal") << u"55.5"_s << 555;
        QTest::newRow("with its unit") << u"56kg"_s << 560;
    }
    void weights()
    {
        QFETCH(QString, text);
        QFETCH(int, tenths);
        QCOMPARE(FieldFileParser::weightTenths(text).value_or(-1), tenths);
    }

    void raceTimes_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("amPm");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("afternoon") << u"2.45"_s << u"P.M."_s << u"14:45:00"_s;
        QTest::newRow("morning") << u"2.45"_s << u"A.M."_s << u"02:45:00"_s;
        QTest::newRow("other marker is morning") << u"2.45"_s << u"PM"_s << u"02:45:00"_s;
        QTest::newRow("noon") << u"12.30"_s << u"P.M."_s << u"12:30:00"_s;
        QTest::newRow("after midnight") << u"12.15"_s << u"A.M."_s << u"00:15:00"_s;
        QTest::newRow("hour only") << u"7"_s << u"P.M."_s << u"19:00:00"_s;
        QTest::newRow("blank is unknown") << u" "_s << u"P.M."_s << u"00:01:00"_s;
        QTest::newRow("empty is unknown") << QString() << QString() << u"00:01:00"_s;
        QTest::newRow("bad minutes") << u"2.6x"_s << u"P.M."_s << QString();
        QTest::newRow("bad hour") << u"25.00"_s << u"P.M."_s << QString();
    }
    void raceTimes()
    {
        QFETCH(QString, time);
        QFETCH(QString, amPm);
        QFETCH(QString, expected);
        const std::optional<QTime> parsed = FieldFileParser::raceTime(time, amPm);
        QCOMPARE(parsed ? parsed->toString(u"HH:mm:ss"_s) : QString(), expected);
    }

    // Markers are decided by the race line's field limit and emergencies and the level.
    void markers_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QByteArray>("limit");
        QTest::addColumn<QByteArray>("emergencies");
        QTest::addColumn<QByteArray>("ballot");
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<QString>("expected");
        QTest::newRow("14+4 inside") << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("14")
                                     << QByteArray() << QString();
        QTest::newRow("14+4 first emergency")
            << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("15") << QByteArray() << u"E"_s;
        QTest::newRow("14+4 last emergency")
            << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("18") << QByteArray() << u"E"_s;
        QTest::newRow("14+4 balloted") << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("19")
                                       << QByteArray() << u"B"_s;
        QTest::newRow("equal sign") << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("16=")
                                    << QByteArray() << u"E"_s;
        QTest::newRow("14+0 all emergencies")
            << u"ACP"_s << QByteArray("14") << QByteArray("0") << QByteArray("40") << QByteArray() << u"E"_s;
        QTest::newRow("no limit") << u"ACP"_s << QByteArray() << QByteArray() << QByteArray("40") << QByteArray()
                                  << QString();
        QTest::newRow("weights level") << u"WGT"_s << QByteArray("14") << QByteArray("4") << QByteArray("19")
                                       << QByteArray() << QString();
        QTest::newRow("field marker wins")
            << u"ACP"_s << QByteArray("14") << QByteArray("4") << QByteArray("1") << QByteArray("S") << u"S"_s;
    }
    void markers()
    {
        QFETCH(QString, level);
        QFETCH(QByteArray, limit);
        QFETCH(QByteArray, emergencies);
        QFETCH(QByteArray, ballot);
        QFETCH(QByteArray, marker);
        const FieldFile file =
            FieldFileParser::parse(header() + race(1, limit, emergencies) + horse(1, 1, "A", ballot, marker), u"x"_s,
                                   {u"2512RAND"_s, u"RAND"_s, level});
        QCOMPARE(file.horses.size(), 1);
        QTEST(file.horses.at(0).eorB, "expected");
    }

    void entryNumbers()
    {
        const QByteArray bytes = header() + race(1) + horse(1, 98, "A") + horse(1, 99, "B") + horse(1, 0, "C") +
                                 horse(1, 1, "D") + race(2) + horse(2, 1, "E") + horse(2, 0, "F");
        const FieldFile file = FieldFileParser::parse(bytes, u"x"_s, kAcp);
        QList<int> entries;
        for (const FieldHorse &h : file.horses)
            entries << h.entryNo;
        QCOMPARE(entries, (QList<int>{98, 99, 100, 101, 1, 100}));
        QCOMPARE(file.horses.at(4).raceCode, u"1200 BM72"_s);
    }

    // Every record kind of a hand-written weights file.
    void weightsFixture()
    {
        const FieldFile file = FieldFileParser::parseFile(TestEnvironment::fixture(u"fields/2512RAND.DGW"_s));
        QCOMPARE(file.meeting.meetingCode, u"2512RAND"_s);
        QCOMPARE(file.meeting.level, u"WGT"_s);
        QCOMPARE(file.meeting.date, QDate(2008, 12, 25));
        QCOMPARE(file.meeting.details, u"Australian Turf Club Metropolitan Meeting"_s);
        QCOMPARE(file.meeting.location, u"RANDWICK"_s);

        QCOMPARE(file.races.size(), 3);
        const FieldRace &r1 = file.races.at(0);
        QCOMPARE(r1.raceCode, u"1200 BM72"_s);
        QCOMPARE(r1.details, u"CHRISTMAS PLATE 1200 METRES $50,000 Field Limit: 14+4\rOf $50,000. For "
                             "Three-Years-Old and Upwards. Benchmark 72, Handicap.\rApprentices can claim."_s);
        QCOMPARE(r1.time, QTime(12, 30));
        QVERIFY(r1.apprClaim);
        QVERIFY(r1.stored);
        QCOMPARE(file.races.at(1).raceCode, u"1600 GROUP 3 SET WEI"_s);
        QCOMPARE(file.races.at(1).details, u"SUMMER STAKES 1600 METRES $150,000"_s);
        QVERIFY(!file.races.at(1).apprClaim);
        QCOMPARE(file.races.at(2).time, FieldFileParser::kUnknownRaceTime);
        QVERIFY(!file.races.at(2).stored); // no horse-level line follows

        QCOMPARE(file.horses.size(), 3); // the horse without a trainer is not entered
        const FieldHorse &star = file.horses.at(0);
        QCOMPARE(star.line, 8);
        QCOMPARE(star.horseName, u"SUPER STAR "_s);
        QCOMPARE(star.weightTenths, 585);
        QCOMPARE(star.trainerName, u"G Waterhouse"_s);
        QCOMPARE(star.phone, u"0412 345 678 ex"_s);
        QCOMPARE(star.horseType, u"bay g 5"_s);
        QCOMPARE(star.form, u"x1234"_s);
        QCOMPARE(star.classText.value_or(u"-"_s), u"C3"_s);
        QCOMPARE(star.rating.value_or(u"-"_s), u"72"_s);
        QCOMPARE(star.dob, QDate(2003, 9, 1));
        QCOMPARE(star.owners, u"J Smith & K Brown"_s);
        const FieldHorse &grace = file.horses.at(1);
        QCOMPARE(grace.horse, u"Miss Gr\u2019s"_s); // byte 0x92 of the code page
        QVERIFY(!grace.classText);                  // ">" means none
        QCOMPARE(grace.rating.value_or(u"-"_s), u"0"_s);
        QCOMPARE(grace.blood1, u"FASTNET ROCK"_s);
        QCOMPARE(grace.owners, QString()); // owners are not carried over from the horse before
        QCOMPARE(file.horses.at(2).raceNumber, 2);
        QCOMPARE(file.horses.at(2).horseName, u"(FR) LEGEND"_s);
    }

    // Unreadable records are left out and named; only a file with no readable header is refused.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("horses");      // -1: refused
        QTest::addColumn<QString>("message"); // the refusal, or the first line left out
        QTest::newRow("truncated") << header() + race(1) + "0101\r\n" + horse(1, 1, "A") << 1
                                   << u"line 3: the line is truncated"_s;
        QTest::newRow("horse without a name") << header() + race(1) + horse(1, 1, " ") + horse(1, 2, "B") << 1
                                              << u"line 3: field 13 (horse name) is empty"_s;
        QTest::newRow("second header") << header() + race(1) + header() + horse(1, 1, "A") << 1
                                       << u"line 3: a second meeting header"_s;
        QTest::newRow("trainer before its horse")
            << header() + race(1) + "0101700T<L<P\r\n" + horse(1, 1, "A").replace("0101700T<L<P\r\n", "") << 0
            << u"line 3: a trainer record without a horse record"_s;
        QTest::newRow("header without date") << QByteArray("0000000RAND<NSW<ACP<THURSDAY<DAY<1<Club<Type<RANDWICK\r\n")
                                             << -1 << u"bad.DGA: no meeting header line"_s;
        QTest::newRow("binary") << header() + QByteArray("01\x00\x01", 4) << -1 << u"bad.DGA, line 2: binary data"_s;
        QTest::newRow("other kind of file")
            << QByteArray("<html><body>Not found</body></html>\r\n") << -1 << u"bad.DGA: no meeting header line"_s;
    }
    void badInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, horses);
        QFETCH(QString, message);
        try {
            const FieldFile file = FieldFileParser::parse(bytes, u"bad.DGA"_s, kAcp);
            QCOMPARE(int(file.horses.size()), horses);
            QVERIFY(!file.skipped.isEmpty());
            const SkippedLine &first = file.skipped.first();
            const QString shown = u"line %1: %2|%3"_s.arg(first.line).arg(first.reason).arg(first.horsesLeftOut);
            QVERIFY2(shown.startsWith(message.section(u'|', 0, 0)), qPrintable(shown));
            QCOMPARE(first.horsesLeftOut, message.section(u'|', 1).toInt());
        } catch (const FieldFileError &error) {
            QCOMPARE(horses, -1);
            QVERIFY2(error.message().startsWith(message), qPrintable(error.message()));
        }
    }

    // As agents' editors save them: a byte-order mark (and UTF-8 after it), race lines without their
    // trailing empty fields. Every race and horse is read.
    void editorsSaves_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + header() + race(1) + horse(1, 1, "CAF\xC3\x89");
        QTest::newRow("trailing empty fields trimmed")
            << header() + race(1, "", "").replace("<<\r\n", "\r\n") + horse(1, 1, "CAF\xC9");
    }
    void editorsSaves()
    {
        QFETCH(QByteArray, bytes);
        const FieldFile file = FieldFileParser::parse(bytes, u"2512RAND.DGA"_s, kAcp);
        QVERIFY(file.skipped.isEmpty());
        QCOMPARE(file.races.size(), 1);
        QCOMPARE(file.horses.size(), 1);
        QCOMPARE(file.horses.first().horse, u"CAF\u00C9"_s);
    }

    // Values a little off the format are read by their leading number or as ISO dates; what still
    // cannot be read is left empty and named, and the horse stays.
    void oddValues_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("read"); // weight|rating|type|dob|ballot|barrier|marker
        QTest::addColumn<QString>("emptied");
        const QByteArray dob = "<01/01/2004<";
        QTest::newRow("as written") << dob << dob << u"560|70|bay g 4|2004-01-01|15|0|E"_s << QString();
        QTest::newRow("rating 70+") << QByteArray("<C1<70") << QByteArray("<C1<70+")
                                    << u"560|70|bay g 4|2004-01-01|15|0|E"_s << QString();
        QTest::newRow("age 5yo") << QByteArray("<G<4<") << QByteArray("<G<5yo<")
                                 << u"560|70|bay g 5|2004-01-01|15|0|E"_s << QString();
        QTest::newRow("weight 55.5") << QByteArray("<<56<<") << QByteArray("<<55.5<<")
                                     << u"555|70|bay g 4|2004-01-01|15|0|E"_s << QString();
        QTest::newRow("ISO date of birth")
            << dob << QByteArray("<2004-01-01<") << u"560|70|bay g 4|2004-01-01|15|0|E"_s << QString();
        QTest::newRow("date of birth in words")
            << dob << QByteArray("<Jan 2004<") << u"560|70|bay g 4||15|0|E"_s << u"3:12:date of birth:Jan 2004"_s;
        QTest::newRow("weight 560") << QByteArray("<<56<<") << QByteArray("<<560<<")
                                    << u"0|70|bay g 4|2004-01-01|15|0|E"_s << u"3:3:weight:560"_s;
        QTest::newRow("rating n/a") << QByteArray("<C1<70") << QByteArray("<C1<n/a")
                                    << u"560|-|bay g 4|2004-01-01|15|0|E"_s << u"3:19:rating:n/a"_s;
        QTest::newRow("age unknown") << QByteArray("<G<4<") << QByteArray("<G<?<")
                                     << u"560|70|bay g |2004-01-01|15|0|E"_s << u"3:7:age:?"_s;
        QTest::newRow("age past any horse's")
            << QByteArray("<G<4<") << QByteArray("<G<55555555555555555555555555555<")
            << u"560|70|bay g |2004-01-01|15|0|E"_s << u"3:7:age:55555555555555555555555555555"_s;
        QTest::newRow("ballot x15") << QByteArray("<<15<C1") << QByteArray("<<x15<C1")
                                    << u"560|70|bay g 4|2004-01-01|-|0|"_s << u"3:17:ballot order:x15"_s;
        QTest::newRow("barrier b1") << QByteArray("4001<1<<") << QByteArray("4001<1<b1<")
                                    << u"560|70|bay g 4|2004-01-01|15|0|E"_s << u"3:2:barrier:b1"_s;
    }
    void oddValues()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, read);
        QFETCH(QString, emptied);
        QByteArray odd = horse(1, 1, "A", "15");
        QVERIFY(odd.contains(from));
        const FieldFile file =
            FieldFileParser::parse(header() + race(1) + odd.replace(from, to) + horse(1, 2, "B"), u"x"_s, kAcp);
        QCOMPARE(file.horses.size(), 2);
        QVERIFY(file.skipped.isEmpty());
        const FieldHorse &h = file.horses.at(0);
        QCOMPARE(QStringList({QString::number(h.weightTenths), h.rating.value_or(u"-"_s), h.horseType,
                              h.dob.toString(Qt::ISODate), h.ballot ? QString::number(*h.ballot) : u"-"_s,
                              QString::number(h.barrier), h.eorB})
                     .join(u'|'),
                 read);
        QStringList left;
        for (const EmptiedValue &value : file.emptied)
            left << u"%1:%2:%3:%4"_s.arg(value.line).arg(value.field).arg(value.what, value.value);
        QCOMPARE(left.join(u';'), emptied);
    }

    void hugeFileRefused()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"2512RAND.DGN"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(FieldFileParser::kMaxFileSize + 1));
        file.close();
        QVERIFY_THROWS_EXCEPTION(FieldFileError, FieldFileParser::parseFile(file.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestFieldFileParser)
#include "tst_fieldfileparser.moc"
