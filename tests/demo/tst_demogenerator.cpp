// Runs the real `ostrevan-dataserver generate-demo` on a short history and checks what it wrote: the same seed
// gives the same data, the history hangs together the way the client's queries expect, and the field files
// name only tracks, horses, trainers and jockeys that the history knows.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kUntil = u"2024-06-15"_s; // a Saturday, so the week of fields holds a metropolitan Saturday
const QStringList kTables = {u"WORKRACE"_s, u"RACEMAST"_s, u"HORSMAST"_s, u"MEETMAST"_s, u"Track"_s,
                             u"RaceShortCode"_s};

struct FieldHorse {
    QString number;    // columns 3-4
    QStringList f400;  // fields of the "400" record
    QString trainer;   // "700" f0
    QStringList order; // record types in file order
};

struct FieldRace {
    int fieldLimit = 0;
    int emergencies = 0;
    QList<FieldHorse> horses;
};

struct FieldFile {
    QString headerDate;
    QString location;
    QMap<QString, FieldRace> races;
};

// Reads a field file the way the loader does: fixed columns first, then fields separated by '<'.
FieldFile readFieldFile(const QString &path)
{
    FieldFile file;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return file;
    const QStringList lines = QString::fromLatin1(f.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    QString race;
    for (const QString &line : lines) {
        const QStringList fields = line.mid(7).split(u'<');
        const QString raceNo = line.left(2);
        if (raceNo == u"00"_s) {
            file.headerDate = fields.value(3).right(8);
            file.location = fields.value(8);
        } else if (line.mid(2, 4) == u"0010"_s) {
            race = raceNo;
            file.races[race].fieldLimit = fields.value(19).toInt();
            file.races[race].emergencies = fields.value(20).toInt();
        } else if (line.mid(4, 3) >= u"400"_s) {
            FieldRace &r = file.races[raceNo];
            const QString type = line.mid(4, 3);
            if (type == u"400"_s) {
                r.horses.append(FieldHorse{line.mid(2, 2), fields, QString(), {}});
            }
            if (r.horses.isEmpty())
                continue;
            r.horses.last().order.append(type);
            if (type == u"700"_s)
                r.horses.last().trainer = fields.value(0);
        }
    }
    return file;
}

QString nameKey(const QString &name)
{
    const int bracket = name.indexOf(u'(');
    return (bracket > 0 ? name.left(bracket) : name).trimmed();
}

// Field files print "Jamie McDonald"; the history holds "J MCDONALD".
QString historyJockey(const QString &fullName)
{
    const int space = fullName.indexOf(u' ');
    return (fullName.left(1) + u' ' + fullName.mid(space + 1)).toUpper();
}

} // namespace

class TestDemoGenerator : public QObject {
    Q_OBJECT

private:
    bool generate(const QString &db, unsigned seed, const QString &fieldsDir, QStringList extra = {});
    QMap<QString, QByteArray> tableHashes(const QString &dbPath);
    QMap<QString, QByteArray> fileHashes(const QString &dir);
    QSet<QString> column(const QString &sql);
    qlonglong scalar(const QString &sql);

    QTemporaryDir m_dir;
    QString m_dbA, m_dbB, m_fieldsA, m_fieldsB;
    QMap<QString, QByteArray> m_otherSeed;
    QString m_lastOutput;

private slots:
    void initTestCase();
    void sameSeedGivesSameData();
    void otherSeedGivesOtherData();
    void regenerationKeepsOtherTables();
    void historyInvariants_data();
    void historyInvariants();
    void volumesLookAustralian_data();
    void volumesLookAustralian();
    void fieldFiles_data();
    void fieldFiles();
    void stagesNarrowTheField();
    void bigFieldWrapsHorseNumbers();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
};

bool TestDemoGenerator::generate(const QString &db, unsigned seed, const QString &fieldsDir, QStringList extra)
{
    QStringList args = {u"generate-demo"_s, u"--seed"_s, QString::number(seed), u"--db"_s, db};
    if (!extra.contains(u"--years"_s))
        args << u"--years"_s << u"0.05"_s;
    if (!extra.contains(u"--until"_s))
        args << u"--until"_s << kUntil;
    if (!fieldsDir.isEmpty())
        args << u"--fields-dir"_s << fieldsDir;
    args << extra;
    QProcess process;
    process.start(QStringLiteral(DATASERVER_PATH), args);
    if (!process.waitForFinished(120000))
        return false;
    m_lastOutput = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QMap<QString, QByteArray> TestDemoGenerator::tableHashes(const QString &dbPath)
{
    QMap<QString, QByteArray> hashes;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"dump"_s);
        db.setDatabaseName(dbPath);
        if (!db.open())
            return hashes;
        for (const QString &table : kTables) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            QSqlQuery q(db);
            q.exec(u"SELECT * FROM "_s + table + u" ORDER BY rowid"_s);
            while (q.next()) {
                for (int i = 0; i < q.record().count(); ++i)
                    hash.addData((q.value(i).toString() + u'|').toUtf8());
                hash.addData("\n");
            }
            hashes[table] = hash.result().toHex();
        }
    }
    QSqlDatabase::removeDatabase(u"dump"_s);
    return hashes;
}

QMap<QString, QByteArray> TestDemoGenerator::fileHashes(const QString &dir)
{
    QMap<QString, QByteArray> hashes;
    for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files, QDir::Name)) {
        QFile f(info.filePath());
        if (f.open(QIODevice::ReadOnly))
            hashes[info.fileName()] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
    }
    return hashes;
}

QSet<QString> TestDemoGenerator::column(const QString &sql)
{
    QSet<QString> values;
    QSqlQuery q(QSqlDatabase::database(u"a"_s));
    if (!q.exec(sql))
        qWarning() << q.lastError().text();
    while (q.next())
        values.insert(q.value(0).toString());
    return values;
}

qlonglong TestDemoGenerator::scalar(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(u"a"_s));
    if (!q.exec(sql) || !q.next()) {
        qWarning() << sql << q.lastError().text();
        return -1;
    }
    return q.value(0).toLongLong();
}

void TestDemoGenerator::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_dbA = m_dir.filePath(u"a.db"_s);
    m_dbB = m_dir.filePath(u"b.db"_s);
    m_fieldsA = m_dir.filePath(u"fields-a"_s);
    m_fieldsB = m_dir.filePath(u"fields-b"_s);

    // B first holds a table of its own and another seed's history, then is regenerated with A's seed.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"setup"_s);
        db.setDatabaseName(m_dbB);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(u"CREATE TABLE Keep (Name TEXT)"_s));
        QVERIFY(q.exec(u"INSERT INTO Keep VALUES ('still here')"_s));
    }
    QSqlDatabase::removeDatabase(u"setup"_s);
    QVERIFY2(generate(m_dbB, 8, QString()), qPrintable(m_lastOutput));
    m_otherSeed = tableHashes(m_dbB);

    QVERIFY2(generate(m_dbA, 7, m_fieldsA), qPrintable(m_lastOutput));
    QVERIFY2(generate(m_dbB, 7, m_fieldsB), qPrintable(m_lastOutput));

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"a"_s);
    db.setDatabaseName(m_dbA);
    QVERIFY(db.open());
}

void TestDemoGenerator::sameSeedGivesSameData()
{
    const auto a = tableHashes(m_dbA);
    const auto b = tableHashes(m_dbB);
    QCOMPARE(a.size(), kTables.size());
    for (const QString &table : kTables)
        QVERIFY2(a.value(table) == b.value(table), qPrintable(table));
    const auto filesA = fileHashes(m_fieldsA);
    QVERIFY(filesA.size() >= 90);
    QCOMPARE(fileHashes(m_fieldsB), filesA);
}

void TestDemoGenerator::otherSeedGivesOtherData()
{
    const auto a = tableHashes(m_dbA);
    QVERIFY(a.value(u"WORKRACE"_s) != m_otherSeed.value(u"WORKRACE"_s));
    QVERIFY(a.value(u"RACEMAST"_s) != m_otherSeed.value(u"RACEMAST"_s));
    // The tracks and short codes are fixed reference data.
    QCOMPARE(a.value(u"Track"_s), m_otherSeed.value(u"Track"_s));
    QCOMPARE(a.value(u"RaceShortCode"_s), m_otherSeed.value(u"RaceShortCode"_s));
}

void TestDemoGenerator::regenerationKeepsOtherTables()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"keep"_s);
        db.setDatabaseName(m_dbB);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(u"SELECT Name FROM Keep"_s) && q.next());
        QCOMPARE(q.value(0).toString(), u"still here"_s);
        // Refilled, not appended: as many runs as the single run into A.
        QVERIFY(q.exec(u"SELECT COUNT(*) FROM WORKRACE"_s) && q.next());
        QCOMPARE(q.value(0).toLongLong(), scalar(u"SELECT COUNT(*) FROM WORKRACE"_s));
    }
    QSqlDatabase::removeDatabase(u"keep"_s);
}

void TestDemoGenerator::historyInvariants_data()
{
    QTest::addColumn<QString>("violations"); // counts rows that break the rule

    const QString race = u"W.WRaceDate = R.RDate AND W.WTrack = R.RTrack AND W.WRaceNo = R.RRaceNo"_s;
    QTest::newRow("one winner per race, beaten margin WON")
        << u"SELECT COUNT(*) FROM RACEMAST R WHERE (SELECT COUNT(*) FROM WORKRACE W WHERE "_s + race +
               u" AND W.WFinPosn = 1 AND W.WBeatMar = 'WON') <> 1"_s;
    QTest::newRow("WON only for the winner")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE (WBeatMar = 'WON') <> (WFinPosn = 1)"_s;
    QTest::newRow("runs per race match RStarters, positions 1..n")
        << u"SELECT COUNT(*) FROM RACEMAST R WHERE (SELECT COUNT(*) || '/' || COUNT(DISTINCT WFinPosn) || '/' || "
           u"MAX(WFinPosn) FROM WORKRACE W WHERE "_s +
               race + u") <> RStarters || '/' || RStarters || '/' || RStarters"_s;
    QTest::newRow("every run joins its race")
        << u"SELECT COUNT(*) FROM WORKRACE W WHERE NOT EXISTS (SELECT 1 FROM RACEMAST R WHERE "_s + race + u")"_s;
    QTest::newRow("every run joins its meeting")
        << u"SELECT COUNT(*) FROM WORKRACE W WHERE NOT EXISTS "
           u"(SELECT 1 FROM MEETMAST M WHERE M.MDate = W.WRaceDate AND M.MTrack = W.WTrack)"_s;
    QTest::newRow("every run joins its horse")
        << u"SELECT COUNT(*) FROM WORKRACE W WHERE NOT EXISTS (SELECT 1 FROM HORSMAST H WHERE H.HHorse = W.WHorse)"_s;
    QTest::newRow("one HORSMAST row per horse")
        << u"SELECT COUNT(*) - COUNT(DISTINCT HHorse) FROM HORSMAST"_s;
    QTest::newRow("meeting tracks exist with their state and type")
        << u"SELECT COUNT(*) FROM MEETMAST M WHERE NOT EXISTS (SELECT 1 FROM Track T WHERE T.TrackCode = M.MTrack "
           u"AND T.State = M.MState AND T.MeetType = M.MMetType AND T.TrackClub = M.MClub)"_s;
    QTest::newRow("track codes: 3-5 capitals, unique")
        << u"SELECT COUNT(*) FROM Track T WHERE length(TrackCode) NOT BETWEEN 3 AND 5 OR TrackCode <> upper(TrackCode) "
           u"OR TrackLocat <> upper(TrackLocat) OR MeetType NOT IN ('M','P','C') "
           u"OR (SELECT COUNT(*) FROM Track U WHERE U.TrackCode = T.TrackCode) > 1"_s;
    QTest::newRow("margins 0.1 to 30 lengths, growing with the position")
        << u"SELECT COUNT(*) FROM WORKRACE A JOIN WORKRACE B ON A.WRaceDate = B.WRaceDate AND A.WTrack = B.WTrack "
           u"AND A.WRaceNo = B.WRaceNo AND B.WFinPosn = A.WFinPosn + 1 WHERE typeof(B.WBeatMar) <> 'text' AND "
           u"(B.WBeatMar < 0.1 OR B.WBeatMar > 30 OR (typeof(A.WBeatMar) <> 'text' AND B.WBeatMar < A.WBeatMar))"_s;
    QTest::newRow("disqualified runners finish last and win nothing")
        << u"SELECT COUNT(*) FROM WORKRACE W JOIN RACEMAST R ON "_s + race +
               u" WHERE W.WBeatMar = 'DIS' AND (W.WFinPosn <> R.RStarters OR W.WMoneyWon <> 0)"_s;
    QTest::newRow("weights 53-61 kg in half kilograms, claims 0/1.5/2/3")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE WWgtChar NOT BETWEEN 53 AND 61 OR WWgtChar * 2 <> "
           u"CAST(WWgtChar * 2 AS INTEGER) OR WApClaim NOT IN (0, 1.5, 2, 3)"_s;
    QTest::newRow("prize money: the winner's share, never more than the race")
        << u"SELECT COUNT(*) FROM RACEMAST R WHERE (SELECT SUM(WMoneyWon) FROM WORKRACE W WHERE "_s + race +
               u") > RValue OR (SELECT WMoneyWon FROM WORKRACE W WHERE "_s + race +
               u" AND WFinPosn = 1) <> CAST(RValue * 0.575 + 0.5 AS INTEGER)"_s;
    QTest::newRow("barriers distinct within a race")
        << u"SELECT COUNT(*) FROM (SELECT 1 FROM WORKRACE GROUP BY WRaceDate, WTrack, WRaceNo, WBarPosn "
           u"HAVING COUNT(*) > 1)"_s;
    QTest::newRow("a horse runs at most once a day, a jockey once a race")
        << u"SELECT (SELECT COUNT(*) FROM (SELECT 1 FROM WORKRACE GROUP BY WRaceDate, WHorse HAVING COUNT(*) > 1)) + "
           u"(SELECT COUNT(*) FROM (SELECT 1 FROM WORKRACE GROUP BY WRaceDate, WTrack, WRaceNo, WJockey "
           u"HAVING COUNT(*) > 1))"_s;
    QTest::newRow("800/400 positions: two two-digit numbers within the field")
        << u"SELECT COUNT(*) FROM WORKRACE W JOIN RACEMAST R ON "_s + race +
               u" WHERE length(W800400) <> 4 OR CAST(substr(W800400, 1, 2) AS INTEGER) NOT BETWEEN 1 AND RStarters "
               u"OR CAST(substr(W800400, 3, 2) AS INTEGER) NOT BETWEEN 1 AND RStarters"_s;
    QTest::newRow("sectional: last five characters are seconds")
        << u"SELECT COUNT(*) FROM RACEMAST WHERE CAST(substr(RSecTime, -5) AS REAL) NOT BETWEEN 30 AND 45 "
           u"OR RTime NOT GLOB '[0-9]:[0-5][0-9].[0-9][0-9]'"_s;
    QTest::newRow("track condition letters, distances, field sizes")
        << u"SELECT COUNT(*) FROM RACEMAST WHERE RTrCond NOT IN ('F','G','D','S','H') "
           u"OR RDistance NOT BETWEEN 1000 AND 3200 OR RStarters NOT BETWEEN 6 AND 16"_s;
    QTest::newRow("history ends the day before the end date")
        << u"SELECT COUNT(*) FROM RACEMAST WHERE RDate >= '"_s + kUntil + u"' OR RDate < '2024-05-01'"_s;
    QTest::newRow("results updated on race day or later, never after the end date")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE substr(DateUpdated, 1, 10) < WRaceDate OR DateUpdated >= '"_s +
               kUntil + u"' OR DateUpdated NOT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-2][0-9]:*'"_s;
    QTest::newRow("horses aged 2-10 with a known sex")
        << u"SELECT COUNT(*) FROM HORSMAST WHERE HWinAge NOT BETWEEN 2 AND 10 OR HWinSex NOT IN ('G','M','F','C','H') "
           u"OR (HWinSex IN ('M','H') AND HWinAge < 4) OR (HWinSex IN ('F','C') AND HWinAge > 3)"_s;
    QTest::newRow("jockeys as initial and surname in capitals")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE WJockey <> upper(WJockey) OR substr(WJockey, 2, 1) <> ' '"_s;
    QTest::newRow("race names carry a known term")
        << u"SELECT COUNT(*) FROM RACEMAST R WHERE NOT EXISTS "
           u"(SELECT 1 FROM RaceShortCode S WHERE instr(R.RRaceName, S.RaceTerm) > 0)"_s;
}

void TestDemoGenerator::historyInvariants()
{
    QFETCH(QString, violations);
    QCOMPARE(scalar(violations), 0LL);
}

void TestDemoGenerator::volumesLookAustralian_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");

    // 0.05 years of about 2,600 meetings, 19,500 races and 190,000 runs a year.
    QTest::newRow("meetings") << u"SELECT COUNT(*) FROM MEETMAST"_s << 100.0 << 160.0;
    QTest::newRow("races per meeting, x100")
        << u"SELECT 100 * (SELECT COUNT(*) FROM RACEMAST) / (SELECT COUNT(*) FROM MEETMAST)"_s << 700.0 << 1000.0;
    QTest::newRow("starters per race, x100") << u"SELECT CAST(100 * AVG(RStarters) AS INTEGER) FROM RACEMAST"_s
                                             << 850.0 << 1150.0;
    QTest::newRow("tracks") << u"SELECT COUNT(*) FROM Track"_s << 80.0 << 120.0;
    QTest::newRow("states") << u"SELECT COUNT(DISTINCT MState) FROM MEETMAST"_s << 8.0 << 8.0;
    QTest::newRow("Saturday metropolitan meetings")
        << u"SELECT COUNT(*) FROM MEETMAST WHERE MMetType = 'M' AND strftime('%w', MDate) = '6'"_s << 12.0 << 20.0;
    QTest::newRow("favourites' share of wins, percent")
        << u"SELECT 100 * SUM(WBookPrice < 4) / COUNT(*) FROM WORKRACE WHERE WFinPosn = 1"_s << 25.0 << 50.0;
    QTest::newRow("disqualifications are rare")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE WBeatMar = 'DIS'"_s << 0.0 << 10.0;
}

void TestDemoGenerator::volumesLookAustralian()
{
    QFETCH(QString, sql);
    QFETCH(double, low);
    QFETCH(double, high);
    const double value = double(scalar(sql));
    QVERIFY2(value >= low && value <= high, qPrintable(QString::number(value)));
}

void TestDemoGenerator::fieldFiles_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("weights");
    QTest::addColumn<bool>("jockeysAndBarriers");
    QTest::newRow("nominations") << u"DGN"_s << false << false;
    QTest::newRow("weights") << u"DGW"_s << true << false;
    QTest::newRow("acceptances") << u"DGA"_s << true << true;
}

void TestDemoGenerator::fieldFiles()
{
    QFETCH(QString, extension);
    QFETCH(bool, weights);
    QFETCH(bool, jockeysAndBarriers);

    const QSet<QString> tracks = column(u"SELECT TrackCode FROM Track"_s);
    const QSet<QString> locations = column(u"SELECT TrackLocat FROM Track"_s);
    const QSet<QString> horses = column(u"SELECT HHorse FROM HORSMAST"_s);
    const QSet<QString> trainers = column(u"SELECT DISTINCT WTrainer FROM WORKRACE"_s);
    const QSet<QString> jockeys = column(u"SELECT DISTINCT WJockey FROM WORKRACE"_s);
    const QRegularExpression fileName(u"^(\\d\\d)(\\d\\d)([A-Z]{3,5})\\.DG[NWA]$"_s);
    const QRegularExpression weight(u"^(5[3-9]|6[01])\\|?$"_s);

    const QStringList files = QDir(m_fieldsA).entryList({u"*."_s + extension}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 30);
    int horsesSeen = 0;
    int jockeysSeen = 0;
    for (const QString &name : files) {
        const auto match = fileName.match(name);
        QVERIFY2(match.hasMatch(), qPrintable(name));
        QVERIFY2(tracks.contains(match.captured(3)), qPrintable(name));
        const FieldFile file = readFieldFile(QDir(m_fieldsA).filePath(name));
        QCOMPARE(file.headerDate.left(5), match.captured(1) + u'/' + match.captured(2));
        QVERIFY2(locations.contains(file.location), qPrintable(name));
        const QDate date = QDate::fromString(file.headerDate, u"dd/MM/yy"_s).addYears(100);
        QVERIFY2(date >= QDate::fromString(kUntil, Qt::ISODate) &&
                     date < QDate::fromString(kUntil, Qt::ISODate).addDays(7),
                 qPrintable(name));
        QVERIFY(!file.races.isEmpty());
        for (auto it = file.races.cbegin(); it != file.races.cend(); ++it) {
            const FieldRace &race = it.value();
            const QString where = name + u" race "_s + it.key();
            QVERIFY2(!race.horses.isEmpty(), qPrintable(where));
            QSet<int> barriers, ballots;
            for (const FieldHorse &h : race.horses) {
                ++horsesSeen;
                const QString horse = h.f400.value(13);
                QCOMPARE(h.order, QStringList({u"400"_s, u"500"_s, u"600"_s, u"700"_s}));
                QVERIFY2(h.f400.size() >= 20, qPrintable(where));
                QVERIFY2(horses.contains(nameKey(horse)), qPrintable(where + u": "_s + horse));
                QVERIFY2(trainers.contains(h.trainer.toUpper()), qPrintable(where + u": "_s + h.trainer));
                QVERIFY2(h.trainer.size() <= 24, qPrintable(h.trainer));
                QVERIFY2(weights ? weight.match(h.f400.value(3)).hasMatch() : h.f400.value(3).isEmpty(),
                         qPrintable(where + u": weight "_s + h.f400.value(3)));
                const QString jockey = h.f400.value(15);
                const int ballot = QString(h.f400.value(17)).remove(u'=').toInt();
                if (!jockeysAndBarriers) {
                    QVERIFY2(jockey.isEmpty() && h.f400.value(2).isEmpty(), qPrintable(where));
                    continue;
                }
                QVERIFY2(ballot >= 1 && !ballots.contains(ballot), qPrintable(where));
                ballots.insert(ballot);
                const int total = race.fieldLimit + race.emergencies;
                if (ballot <= total) {
                    const int barrier = h.f400.value(2).toInt();
                    QVERIFY2(barrier >= 1 && !barriers.contains(barrier), qPrintable(where));
                    barriers.insert(barrier);
                }
                if (!jockey.isEmpty()) {
                    ++jockeysSeen;
                    QVERIFY2(jockey != jockey.toUpper(), qPrintable(jockey)); // printed in mixed case
                    QVERIFY2(jockeys.contains(historyJockey(jockey)), qPrintable(where + u": "_s + jockey));
                }
            }
            if (jockeysAndBarriers) {
                // Emergencies only come with a full field.
                const int inField = int(std::count_if(ballots.cbegin(), ballots.cend(),
                                                      [&](int b) { return b <= race.fieldLimit; }));
                QVERIFY2(race.emergencies == 0 || inField == race.fieldLimit, qPrintable(where));
                QVERIFY2(inField <= race.fieldLimit, qPrintable(where));
            }
        }
    }
    QVERIFY(horsesSeen > 1000);
    if (jockeysAndBarriers)
        QVERIFY(jockeysSeen > horsesSeen / 2);
}

void TestDemoGenerator::stagesNarrowTheField()
{
    const QStringList noms = QDir(m_fieldsA).entryList({u"*.DGN"_s}, QDir::Files, QDir::Name);
    int nominated = 0, accepted = 0;
    for (const QString &name : noms) {
        const QString base = QDir(m_fieldsA).filePath(name.chopped(4));
        const FieldFile n = readFieldFile(base + u".DGN"_s);
        const FieldFile w = readFieldFile(base + u".DGW"_s);
        const FieldFile a = readFieldFile(base + u".DGA"_s);
        QCOMPARE(a.races.keys(), n.races.keys());
        for (const QString &race : n.races.keys()) {
            QSet<QString> nomNames, wgtNames;
            for (const auto &h : n.races[race].horses)
                nomNames.insert(h.f400.value(13));
            for (const auto &h : w.races[race].horses)
                wgtNames.insert(h.f400.value(13));
            for (const auto &h : a.races[race].horses)
                QVERIFY2(wgtNames.contains(h.f400.value(13)), qPrintable(name + u' ' + race));
            QVERIFY(nomNames.contains(wgtNames));
            nominated += nomNames.size();
            accepted += a.races[race].horses.size();
        }
    }
    QVERIFY2(nominated > accepted * 5 / 4, qPrintable(QString::number(nominated) + u'/' + QString::number(accepted)));
}

void TestDemoGenerator::bigFieldWrapsHorseNumbers()
{
    // A feature race draws more than a hundred nominations: horse numbers run 98, 99, 00, 01.
    bool wrapped = false;
    for (const QString &name : QDir(m_fieldsA).entryList({u"*.DGN"_s}, QDir::Files)) {
        const FieldFile file = readFieldFile(QDir(m_fieldsA).filePath(name));
        for (const FieldRace &race : file.races) {
            QStringList numbers;
            for (const FieldHorse &h : race.horses)
                numbers << h.number;
            const int at = numbers.indexOf(u"00"_s);
            if (at > 0) {
                QCOMPARE(numbers.value(at - 1), u"99"_s);
                QCOMPARE(numbers.value(at + 1, u"01"_s), u"01"_s);
                QCOMPARE(numbers.first(), u"01"_s);
                wrapped = true;
            }
        }
    }
    QVERIFY(wrapped);
}

void TestDemoGenerator::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("no years") << QStringList{u"--years"_s, u"0"_s};
    QTest::newRow("impossible date") << QStringList{u"--until"_s, u"2024-02-30"_s};
}

void TestDemoGenerator::rejectsBadOptions()
{
    QFETCH(QStringList, extra);
    QVERIFY(!generate(m_dir.filePath(u"bad.db"_s), 1, QString(), extra));
    QVERIFY(!m_lastOutput.isEmpty());
}

QTEST_GUILESS_MAIN(TestDemoGenerator)
#include "tst_demogenerator.moc"
