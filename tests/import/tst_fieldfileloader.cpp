// Field file loader end to end: hand-written field files, a real database file and a real
// data server on loopback answering the track look-up.
#include "core/QueryCredentials.h"
#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/HttpRequest.h"
#include "import/FieldFileLoader.h"
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString fields(const QString &name)
{
    return TestEnvironment::fixture(u"fields/"_s + name);
}

int runTool(const QString &program, const QStringList &arguments, const QByteArray &input = {},
            QByteArray *output = nullptr, QByteArray *errors = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    if (output)
        *output = process.readAllStandardOutput();
    if (errors)
        *errors = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int count(const QString &sql)
{
    return OpenDb().scalar(sql).toInt();
}

} // namespace

class TestFieldFileLoader : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QTemporaryDir m_serverDir;
    // The real data server with the fixture Track table, on a free loopback port.
    DataServerProcess m_server{m_serverDir.filePath(u"server.db"_s)};
    QStringList m_sounds;

    void setAccount()
    {
        cAppSettings &settings = cAppSettings::instance();
        settings.DataServer = m_server.host();
        settings.UserName = u"agent"_s;
        settings.UserPass = u"secret"_s;
        QueryCredentials::current() = {settings.UserName, settings.UserPass};
    }

    QString meetingRow(const QString &code)
    {
        Db db = OpenDb();
        QSqlQuery q =
            db.exec(u"SELECT MeetingLevel, State, MeetType, MeetingDate FROM Meeting WHERE MeetingCode = ?"_s, {code});
        if (!q.next())
            return {};
        return QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}
            .join(u'|');
    }

private slots:
    void initTestCase()
    {
        setHttpRequestTimeout(std::chrono::milliseconds(5000));
        QCOMPARE(m_server.build(TestEnvironment::fixture(u"fields"_s), u"agent"_s, u"secret"_s), QString());
        sounds::setPlayer([this](const QString &path, bool) {
            m_sounds << path.section(u'/', -1);
            return true;
        });
    }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->createDatabase();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_sounds.clear();
        if (!m_server.running())
            QVERIFY(m_server.start());
        setAccount();
    }

    void cleanup()
    {
        m_dialogs.reset();
        m_env.reset();
    }

    void cleanupTestCase() { sounds::setPlayer({}); }

    void loadsAndReplacesMeeting()
    {
        int listsRead = 0;
        const qsizetype requestsBefore = m_server.log().count(" user=");
        const auto results =
            FieldFileLoader::loadFiles({fields(u"2512RAND.DGW"_s), fields(u"2512RAND.DGW"_s)}, [&] { ++listsRead; });
        // One look-up for the batch's one track; afterwards the file is in its usual journal mode, with
        // nothing left beside it.
        QCOMPARE(m_server.log().count(" user=") - requestsBefore, 1);
        QCOMPARE(OpenDb().scalar(u"PRAGMA journal_mode"_s).toString(), u"delete"_s);
        QVERIFY(!QFile::exists(m_env->databaseFile() + u"-wal"_s));
        QCOMPARE(results.size(), 2);
        QVERIFY(results.at(1).loaded);
        QCOMPARE(results.at(1).races, 2);
        QCOMPARE(results.at(1).horses, 3);
        QCOMPARE(listsRead, 1);
        QCOMPARE(m_sounds, QStringList{u"Bubble.wav"_s});
        QVERIFY(m_dialogs->messages.isEmpty());
        // The same file twice leaves one copy.
        QCOMPARE(count(u"SELECT COUNT(*) FROM Meeting"_s), 1);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Race"_s), 2);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Noms"_s), 3);
        QCOMPARE(meetingRow(u"2512RAND"_s), u"WGT|NSW|M|2008-12-25"_s);

        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, BookingSelection) VALUES "
                    "('2512RAND', '1600 GROUP 3 SET WEI', '(FR) LEGEND', 'Planned'), "
                    "('2512RAND', '1250 BM72', 'river run', 'Planned')"_s);
        }
        // Acceptances replace the weights; the booking of a horse no longer entered stays, and one
        // whose race changed its code since (a new distance) follows its nomination.
        QVERIFY(FieldFileLoader::loadFile(fields(u"2512RAND.DGA"_s)).loaded);
        QCOMPARE(meetingRow(u"2512RAND"_s), u"ACP|NSW|M|2008-12-25"_s);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Race"_s), 1);
        QCOMPARE(queryRows(u"SELECT B.Horse || '|' || B.RaceCode || '|' || (B.RaceCode = IFNULL(N.RaceCode, '')) "
                           "FROM Bookings B LEFT JOIN Noms N ON N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse "
                           "ORDER BY B.Horse"_s),
                 (QStringList{u"(FR) LEGEND|1600 GROUP 3 SET WEI|0"_s, u"river run|1200 BM72|1"_s}));
        QCOMPARE(queryRows(u"SELECT Ballot || IFNULL(EorB, ''), Weight FROM Noms ORDER BY EntryNo"_s),
                 (QStringList{u"1|580"_s, u"2|570"_s, u"3|560"_s, u"4|550"_s, u"5E|540"_s, u"6E|540"_s, u"7S|530"_s}));
    }

    // Nominations, weights and acceptances of one meeting through the command line: each load says
    // how many changes it found, asks nothing and deletes nothing; `changes` lists each once, and
    // removes a booking only when told which.
    void changesAcrossStagesThroughTheCommandLine()
    {
        cAppSettings::instance().SaveSettings();
        auto cli = [this](const QStringList &arguments, QByteArray *output) {
            QByteArray errors;
            const int status =
                runTool(QString::fromUtf8(OSTREVAN_CLI_PATH),
                        QStringList{u"--settings"_s, m_env->settingsFile(), u"--answer"_s, u"yes"_s} + arguments, {},
                        output, &errors);
            return errors.isEmpty() ? status : -2;
        };
        auto stage = [](const QString &extension) { return fields(u"changes/1503RAND."_s + extension); };
        QByteArray output;
        QCOMPARE(cli({u"load-fields"_s, stage(u"DGN"_s)}, &output), 0);
        QVERIFY2(output.endsWith("Changes: 0 (0 on booked horses)\n"), output.constData());
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Jockey (Jockey, FullName, Ridewgt) VALUES ('E Lang', 'Emily Lang', 54), "
                    "('J O''Connor', 'Jamie O''Connor', 53.5), ('K McEvoy', 'Kerrin McEvoy', 55), "
                    "('R King', 'Rachel King', 52)"_s);
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES "
                    "('1503RAND', 'O''Reilly''s Star', 'E Lang', 'Planned'), "
                    "('1503RAND', 'GONE FISHIN''', 'J O''Connor', 'Confirmed'), "
                    "('1503RAND', 'SUNLINE''S GIFT', 'K McEvoy', 'Planned'), "
                    "('1503RAND', 'BRAVE HEART (NZ)', 'E Lang', 'Planned')"_s);
        }
        QCOMPARE(cli({u"load-fields"_s, stage(u"DGW"_s)}, &output), 0);
        QVERIFY2(output.endsWith("Changes: 4 (4 on booked horses)\n"), output.constData());
        QCOMPARE(cli({u"load-fields"_s, stage(u"DGA"_s)}, &output), 0);
        QVERIFY2(output.endsWith("Changes: 8 (7 on booked horses)\n"), output.constData());
        QCOMPARE(count(u"SELECT COUNT(*) FROM Bookings"_s), 4);

        QCOMPARE(
            cli({u"changes"_s, u"--meeting"_s, u"1503rand"_s, u"--unseen"_s, u"--since"_s, u"2025-03-01"_s}, &output),
            0);
        QStringList lines; // without the id and the time
        QString riderChanged;
        for (const QByteArray &line : output.trimmed().split('\n')) {
            const QStringList fields = QString::fromUtf8(line).split(u'\t');
            QCOMPARE(fields.size(), 9);
            lines << fields.mid(2).join(u'|');
            if (fields.at(5) == u"rider changed"_s)
                riderChanged = fields.at(0);
        }
        QCOMPARE(lines.size(), 12);
        QCOMPARE(
            lines.mid(4),
            (QStringList{u"1503RAND|1|O'REILLY'S STAR|barrier||4|E Lang"_s,
                         u"1503RAND|1|O'REILLY'S STAR|rider changed||J Smith (a2)|E Lang"_s,
                         u"1503RAND|1|WINTER MIST|managed jockey named||Ms Rachel King|R King"_s,
                         u"1503RAND|2|SUNLINE'S GIFT|barrier||7|K McEvoy"_s,
                         u"1503RAND|2|SUNLINE'S GIFT|weight|57.0 kg|58.0 kg|K McEvoy"_s,
                         u"1503RAND|4|BRAVE HEART (NZ)|race moved|race 3, 15:15|race 4, 15:15|E Lang"_s,
                         u"1503RAND|4|BRAVE HEART (NZ)|barrier||2|E Lang"_s,
                         u"1503RAND|2|GONE FISHIN'|scratched or gone|race 2, 14:05|not in the field|J O'Connor"_s}));

        QCOMPARE(cli({u"changes"_s, u"--remove-booking"_s, riderChanged}, &output), 0);
        QCOMPARE(queryRows(u"SELECT Horse FROM Bookings ORDER BY Horse"_s),
                 (QStringList{u"BRAVE HEART (NZ)"_s, u"GONE FISHIN'"_s, u"SUNLINE'S GIFT"_s}));
        QCOMPARE(cli({u"changes"_s, u"--unseen"_s}, &output), 0);
        QCOMPARE(output.count('\n'), 11);
    }

    // A week's folder at once ends the meeting at its latest stage whatever the names sort to; a stage
    // alone later asks before it replaces a later one; a field without horses never replaces runners.
    void stagesInABatchThenAlone()
    {
        const QString week = m_env->root() + u"/"_s;
        for (const QString &name : {u"2512RAND.DGA"_s, u"2512RAND.DGN"_s, u"2512RAND.DGW"_s})
            QVERIFY(QFile::copy(fields(name.endsWith(u'A') ? name : u"2512RAND.DGW"_s), week + name));
        QStringList order;
        for (const FieldFileLoadResult &result : FieldFileLoader::loadFiles(
                 {week + u"2512RAND.DGA"_s, week + u"2512RAND.DGN"_s, week + u"2512RAND.DGW"_s}, {}))
            order << QFileInfo(result.path).suffix() + (result.loaded ? u""_s : u" not loaded"_s);
        QCOMPARE(order, (QStringList{u"DGN"_s, u"DGW"_s, u"DGA"_s}));
        QCOMPARE(meetingRow(u"2512RAND"_s), u"ACP|NSW|M|2008-12-25"_s);

        const auto kept = FieldFileLoader::loadFiles({week + u"2512RAND.DGW"_s}, {});
        QCOMPARE(m_dialogs->shown(), QStringList{u"Confirm Replace Field|2512RAND holds the acceptances; replace "
                                                 "them with the weights in 2512RAND.DGW?"_s});
        QCOMPARE(m_dialogs->messages.first().defaultAnswer, UserDialogs::Answer::No);
        QCOMPARE(
            FieldFileLoader::loadSummary(kept),
            u"Loaded 0 files: 0 horses, 0 lines skipped; 1 left out: 2512RAND.DGW (2512RAND holds the acceptances)"_s);

        QFile empty(week + u"2512RAND.DGA"_s);
        QVERIFY(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
        empty.write("0000000RAND<NSW<A<THU 25/12/08<D<1<C<T<RANDWICK\r\n0100100NAME<1<2.45<P.M.\r\n");
        empty.close();
        QVERIFY(!FieldFileLoader::loadFile(empty.fileName()).loaded);
        QVERIFY(m_dialogs->messages.last().text.endsWith(u"2512RAND keeps its 7 runners."_s));
        QCOMPARE(meetingRow(u"2512RAND"_s), u"ACP|NSW|M|2008-12-25"_s);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Noms"_s), 7);
    }

    // The agent works offline: one message for the batch, every file loads, known states stay.
    void failingTrackLookUpStillLoads()
    {
        QVERIFY(FieldFileLoader::loadFile(fields(u"2512RAND.DGW"_s)).loaded);
        m_server.stop(); // the port now refuses connections
        const auto results = FieldFileLoader::loadFiles({fields(u"2512RAND.DGA"_s), fields(u"2612MOON.DGN"_s)}, {});
        QVERIFY(results.at(0).loaded && results.at(1).loaded);
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages.at(0).title, u"Connection error"_s);
        QVERIFY(m_dialogs->messages.at(0).text.startsWith(u"Error:"_s));
        QCOMPARE(meetingRow(u"2512RAND"_s), u"ACP|NSW|M|2008-12-25"_s);
        QCOMPARE(meetingRow(u"2612MOON"_s), u"NOM|||2008-12-26"_s);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Noms"_s), 9);
    }

    // Odd values on a booked horse: it is stored with what can be read, the values left empty are
    // named, and its booking is still checked (and kept by the question's default answer).
    void oddValuesKeepTheBookedHorse()
    {
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Jockey (Jockey, FullName) VALUES ('Jock', 'J Smith')"_s);
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES "
                    "('2512RAND', 'SUPER STAR (NZ)', 'Jock', 'Planned')"_s);
        }
        QFile fixture(fields(u"2512RAND.DGA"_s));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        QByteArray bytes = fixture.readAll();
        const QByteArray star = "01014001<10<1<58<<BAY<G<5<<<<<01/09/2003<SUPER STAR (NZ)<x12<J McDonald<<1<C3<70";
        QVERIFY(bytes.contains(star));
        bytes.replace(star, "01014001<10<1<55.5<<BAY<G<5yo<<<<<Sept 2003<SUPER STAR (NZ)<x12<J McDonald<<x1<C3<70+");
        QFile odd(m_env->root() + u"/2512RAND.DGA"_s);
        QVERIFY(odd.open(QIODevice::WriteOnly));
        odd.write(bytes);
        odd.close();

        const FieldFileLoadResult result = FieldFileLoader::loadFile(odd.fileName());
        QVERIFY(result.loaded);
        QCOMPARE(result.horses, 7);
        QCOMPARE(queryRows(u"SELECT Weight, Rating, HorseType, IFNULL(HorseDOB, '-'), IFNULL(Ballot, '-') FROM Noms "
                           "WHERE Horse = 'SUPER STAR (NZ)'"_s),
                 QStringList{u"555|70|bay g 5|-|-"_s});
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Bookings"_s), 1);
        QCOMPARE(m_dialogs->messages.at(0).title, u"Lines Skipped"_s);
        QCOMPARE(m_dialogs->messages.at(0).text,
                 u"2512RAND.DGA: 2 values could not be read and were left empty:\n"
                 "line 4: field 12 (date of birth) \"Sept 2003\"\nline 4: field 17 (ballot order) \"x1\""_s);
    }

    // Codes compare without case: a lower-case file name replaces the same meeting.
    void lowerCaseFileNameReplacesTheMeeting()
    {
        QVERIFY(FieldFileLoader::loadFile(fields(u"2512RAND.DGW"_s)).loaded);
        QFile::copy(fields(u"2512RAND.DGA"_s), m_env->root() + u"/2512rand.DGA"_s);
        const FieldFileLoadResult result = FieldFileLoader::loadFile(m_env->root() + u"/2512rand.DGA"_s);
        QVERIFY(result.loaded);
        QCOMPARE(queryRows(u"SELECT MeetingCode, MeetingLevel FROM Meeting"_s), QStringList{u"2512rand|ACP"_s});
        QCOMPARE(count(u"SELECT COUNT(*) FROM Noms"_s), 7);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Race"_s), 1);
    }

    // A file that cannot be processed is reported, keeps the meeting, and the next file still loads.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("no extension") << u"2512RAND"_s << QByteArray("0000000") << u"File cannot be processed."_s;
        QTest::newRow("truncated race")
            << u"2512RAND.DGA"_s << QByteArray("0000000RAND<NSW<A<THU 25/12/08<D<1<C<T<RANDWICK\r\n0100100")
            << u"File cannot be processed.\n2512RAND.DGA: 1 line could not be read and was left out:\nline 2: the race "
               "record has 1 fields"_s;
        QTest::newRow("renamed picture") << u"2512RAND.DGW"_s << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                         << u"File cannot be processed.\n2512RAND.DGW, line 2: binary data"_s;
    }
    void refusedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(FieldFileLoader::loadFile(fields(u"2512RAND.DGW"_s)).loaded);
        QFile bad(m_env->root() + u'/' + name);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(bytes);
        bad.close();
        m_sounds.clear();
        auto results = FieldFileLoader::loadFiles({bad.fileName(), fields(u"2612MOON.DGN"_s)}, {});
        if (results.at(0).loaded) // loaded in stage order
            results.swapItemsAt(0, 1);
        QVERIFY(!results.at(0).loaded);
        QVERIFY(results.at(1).loaded);
        QCOMPARE(
            FieldFileLoader::loadSummary(results),
            u"Loaded 1 file: %1 horses, 0 lines skipped; 1 file not loaded: %2"_s.arg(results.at(1).horses).arg(name));
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages.at(0).title, u"Invalid For Convert"_s);
        QVERIFY2(m_dialogs->messages.at(0).text.startsWith(text), qPrintable(m_dialogs->messages.at(0).text));
        QCOMPARE(m_sounds, (QStringList{u"Error.Wav"_s, u"Bubble.wav"_s}));
        QCOMPARE(meetingRow(u"2512RAND"_s), u"WGT|NSW|M|2008-12-25"_s);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Noms WHERE MeetingCode = '2512RAND'"_s), 3);
        QCOMPARE(meetingRow(u"2612MOON"_s), u"NOM|VIC|M|2008-12-26"_s);
    }

    void chooseFiles_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("addDataPath");
        QTest::addColumn<int>("meetings");
        QTest::newRow("one file remembers its folder")
            << QStringList{fields(u"2612MOON.DGN"_s)} << TestEnvironment::fixture(u"fields"_s) << 1;
        QTest::newRow("several keep the folder")
            << QStringList{fields(u"2612MOON.DGN"_s), fields(u"2512RAND.DGW"_s)} << u"/start"_s << 2;
        QTest::newRow("cancelled") << QStringList() << u"/start"_s << 0;
    }
    void chooseFiles()
    {
        QFETCH(QStringList, chosen);
        cAppSettings::instance().AddDataPath = u"/start"_s;
        m_dialogs->chooseFiles(chosen);
        int listsRead = 0;
        const auto results = chooseAndLoadFieldFiles([&] { ++listsRead; });
        QCOMPARE(m_dialogs->fileRequests.size(), 1);
        const UserDialogs::FileRequest &request = m_dialogs->fileRequests.at(0);
        QCOMPARE(request.title, u"Select RSB Downloaded file to load data into Ostrevan"_s);
        // Shown first: every field file, acceptances included.
        QVERIFY(request.filter.section(u'|', 1, 1).contains(u"*.DGA"_s));
        QVERIFY(request.filter.startsWith(u"All field files ("_s));
        QVERIFY(request.filter.endsWith(u"Acceptances (*.DGA;*DFA;*.DNA)|*.DGA;*.DFA;*.DNA"_s));
        QCOMPARE(request.startFolder, u"/start"_s);
        QVERIFY(request.multiSelect);
        QTEST(cAppSettings::instance().AddDataPath, "addDataPath");
        QTEST(int(results.size()), "meetings");
        QTEST(count(u"SELECT COUNT(*) FROM Meeting"_s), "meetings");
        QCOMPARE(listsRead, chosen.isEmpty() ? 0 : 1);
    }

    void commandLine()
    {
        cAppSettings::instance().SaveSettings();
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Jockey (Jockey, FullName) VALUES ('Jock', 'J Smith')"_s);
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES "
                    "('2512RAND', 'SUPER STAR (NZ)', 'Jock', 'Planned')"_s);
        }
        QByteArray output, errors;
        const int status = runTool(QString::fromUtf8(OSTREVAN_CLI_PATH),
                                   {u"--settings"_s, m_env->settingsFile(), u"--answer"_s, u"yes"_s, u"load-fields"_s,
                                    fields(u"2512RAND.DGA"_s), m_env->root() + u"/1111NONE.DGN"_s},
                                   {}, &output, &errors);
        QCOMPARE(status, 1);
        QVERIFY2(output.contains("2512RAND.DGA: meeting 2512RAND, level ACP, 1 races, 7 horses"), output.constData());
        QVERIFY2(output.contains("1111NONE.DGN: not loaded"), output.constData());
        // The field names another rider than the booked one: a first load of a meeting records nothing.
        QVERIFY2(output.endsWith("Changes: 0 (0 on booked horses)\n"), output.constData());
        QVERIFY2(!errors.contains("Jockey booking Error"), errors.constData());
        QCOMPARE(count(u"SELECT COUNT(*) FROM Bookings"_s), 1);

        // The default answer keeps the acceptances: the weights are left out, and that is no failure.
        QCOMPARE(runTool(QString::fromUtf8(OSTREVAN_CLI_PATH),
                         {u"--settings"_s, m_env->settingsFile(), u"load-fields"_s, fields(u"2512RAND.DGW"_s)}, {},
                         &output, &errors),
                 0);
        QVERIFY2(output.contains("2512RAND.DGW: left out (2512RAND holds the acceptances)"), output.constData());
        QVERIFY2(errors.contains("2512RAND holds the acceptances; replace them with the weights in 2512RAND.DGW?"),
                 errors.constData());
        QCOMPARE(meetingRow(u"2512RAND"_s), u"ACP|NSW|M|2008-12-25"_s);
    }
};

QTEST_GUILESS_MAIN(TestFieldFileLoader)
#include "tst_fieldfileloader.moc"
