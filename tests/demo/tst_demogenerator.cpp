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
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kUntil = u"2024-06-15"_s; // a Saturday, so the week of fields holds a metropolitan Saturday
const QStringList kTables = {u"WORKRACE"_s, u"RACEMAST"_s, u"HORSMAST"_s,
                             u"MEETMAST"_s, u"Track"_s,    u"RaceShortCode"_s};

// A field file's records split the way the loader splits them: fixed columns first, then fields
// separated by '<'. Each entry is the record type ("000" header, "400" horse, ...) and its fields.
QList<std::pair<QString, QStringList>> fieldRecords(const QString &path)
{
    QList<std::pair<QString, QStringList>> records;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        for (const QString &line : QString::fromLatin1(f.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts))
            records.append({line.left(2) == u"00"_s ? u"000"_s : line.mid(4, 3), line.mid(7).split(u'<')});
    return records;
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

class TestDemoGenerator : public QObject
{
    Q_OBJECT

private:
    bool generate(const QString &db, unsigned seed, const QString &fieldsDir, QStringList extra = {});
    QMap<QString, QByteArray> tableHashes(const QString &dbPath);
    QMap<QString, QByteArray> fileHashes(const QString &dir);
    QSet<QString> column(const QString &sql);
    qlonglong scalar(const QString &sql);

    QTemporaryDir m_dir;
    QString m_dbA, m_dbB, m_fieldsA, m_fieldsB;
    QString m_lastOutput;

private slots:
    void initTestCase();
    void sameSeedGivesSameData();
    void historyInvariants_data();
    void historyInvariants();
    void fieldFiles_data();
    void fieldFiles();
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
    process.start(QString::fromUtf8(DATASERVER_PATH), args);
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

    QVERIFY2(generate(m_dbA, 7, m_fieldsA), qPrintable(m_lastOutput));
    QVERIFY2(generate(m_dbB, 7, m_fieldsB), qPrintable(m_lastOutput));

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"a"_s);
    db.setDatabaseName(m_dbA);
    QVERIFY(db.open());
}

// B was filled with another seed first: regenerating refills the form tables and keeps the others.
void TestDemoGenerator::sameSeedGivesSameData()
{
    const auto a = tableHashes(m_dbA);
    QCOMPARE(a.size(), kTables.size());
    QCOMPARE(tableHashes(m_dbB), a);
    const auto filesA = fileHashes(m_fieldsA);
    QVERIFY(filesA.size() >= 90);
    QCOMPARE(fileHashes(m_fieldsB), filesA);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"keep"_s);
        db.setDatabaseName(m_dbB);
        QVERIFY(db.open());
        QSqlQuery q(u"SELECT Name FROM Keep"_s, db);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), u"still here"_s);
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
    QTest::newRow("meeting tracks exist with their state and type")
        << u"SELECT COUNT(*) FROM MEETMAST M WHERE NOT EXISTS (SELECT 1 FROM Track T WHERE T.TrackCode = M.MTrack "
           u"AND T.State = M.MState AND T.MeetType = M.MMetType AND T.TrackClub = M.MClub)"_s;
    QTest::newRow("800/400 positions: two two-digit numbers within the field")
        << u"SELECT COUNT(*) FROM WORKRACE W JOIN RACEMAST R ON "_s + race +
               u" WHERE length(W800400) <> 4 OR CAST(substr(W800400, 1, 2) AS INTEGER) NOT BETWEEN 1 AND RStarters "
               u"OR CAST(substr(W800400, 3, 2) AS INTEGER) NOT BETWEEN 1 AND RStarters"_s;
    QTest::newRow("sectional: last five characters are seconds")
        << u"SELECT COUNT(*) FROM RACEMAST WHERE CAST(substr(RSecTime, -5) AS REAL) NOT BETWEEN 30 AND 45 "
           u"OR RTime NOT GLOB '[0-9]:[0-5][0-9].[0-9][0-9]'"_s;
    QTest::newRow("history ends the day before the end date")
        << u"SELECT COUNT(*) FROM RACEMAST WHERE RDate >= '"_s + kUntil + u"' OR RDate < '2024-05-01'"_s;
    QTest::newRow("jockeys as initial and surname in capitals")
        << u"SELECT COUNT(*) FROM WORKRACE WHERE WJockey <> upper(WJockey) OR substr(WJockey, 2, 1) <> ' '"_s;
}

void TestDemoGenerator::historyInvariants()
{
    QFETCH(QString, violations);
    QCOMPARE(scalar(violations), 0LL);
}

void TestDemoGenerator::fieldFiles_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("acceptances"); // weights, jockeys and barriers
    QTest::newRow("nominations") << u"DGN"_s << false;
    QTest::newRow("acceptances") << u"DGA"_s << true;
}

// Every field file names a known track, horses of the history and their trainers, and at acceptances
// jockeys who rode in the history: the loader's look-ups find them all.
void TestDemoGenerator::fieldFiles()
{
    QFETCH(QString, extension);
    QFETCH(bool, acceptances);
    const QSet<QString> tracks = column(u"SELECT TrackCode FROM Track"_s);
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
        QVERIFY2(match.hasMatch() && tracks.contains(match.captured(3)), qPrintable(name));
        for (const auto &[type, f] : fieldRecords(QDir(m_fieldsA).filePath(name))) {
            const QString where = name + u": "_s + f.join(u'<').left(60);
            if (type == u"000"_s)
                QCOMPARE(f.value(3).right(8).left(5), match.captured(1) + u'/' + match.captured(2));
            if (type == u"700"_s)
                QVERIFY2(trainers.contains(f.value(0).toUpper()), qPrintable(where));
            if (type != u"400"_s)
                continue;
            ++horsesSeen;
            QVERIFY2(horses.contains(nameKey(f.value(13))), qPrintable(where));
            QVERIFY2(acceptances ? weight.match(f.value(3)).hasMatch() : f.value(3).isEmpty(), qPrintable(where));
            const QString jockey = f.value(15);
            QVERIFY2(acceptances || (jockey.isEmpty() && f.value(2).isEmpty()), qPrintable(where));
            if (!jockey.isEmpty()) {
                ++jockeysSeen;
                QVERIFY2(jockeys.contains(historyJockey(jockey)), qPrintable(where));
            }
        }
    }
    QVERIFY(horsesSeen > 1000);
    QVERIFY(!acceptances || jockeysSeen > horsesSeen / 2);
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
