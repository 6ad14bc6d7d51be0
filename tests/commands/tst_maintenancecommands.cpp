#include "app/MaintenanceCommands.h"
#include "bookings/BookingGestures.h"
#include "core/DebugMode.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "roster/ManagedJockeys.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/TestGrid.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using maintenance::BackupOutcome;

namespace {

// A nominations-list row: meeting, horse, race code and booking state in their columns.
void setRow(TestGrid &grid, int row, const QString &meeting, const QString &horse, const QString &raceCode,
            const QString &state)
{
    grid.setCellText(row, 1, meeting);
    grid.setCellText(row, 4, horse);
    grid.setCellText(row, 11, raceCode);
    grid.setCellText(row, 13, state);
    Db db = OpenDb();
    db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName) VALUES (?, ?, 1, ?, ?)"_s,
            {meeting, raceCode, horse.trimmed(), grid.trainer});
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMaintenanceCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void backup_data();
    void backup();
    void compactFailureIsCritical();
    void purge_data();
    void purge();
    void deletedMeetingIsHiddenThenPurged();
    void remainingStatusOffered_data();
    void remainingStatusOffered();
    void setRemainingStates();
    void iconJockey_data();
    void iconJockey();
    void strikeRateNeedsAJockey();
    void debugToggle_data();
    void debugToggle();
    void resetRaceWindow();

private:
    // Meetings A (shown) and B (hidden), each with a race and a nomination; a race and a
    // nomination of a meeting that no longer exists; a booking of B and a ride statistic.
    void fillMeetings();

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestMaintenanceCommands::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    DebugMode::turnOff();
}

void TestMaintenanceCommands::cleanup()
{
    DebugMode::turnOff();
    m_dialogs.reset();
    m_env.reset();
}

void TestMaintenanceCommands::fillMeetings()
{
    Db db = OpenDb();
    db.exec(
        u"INSERT INTO Meeting (MeetingCode, MeetingLocation, DisplayMeeting) VALUES ('0312FLEM', 'Flemington', 1)"_s);
    db.exec(
        u"INSERT INTO Meeting (MeetingCode, MeetingLocation, DisplayMeeting) VALUES ('2811CAUL', 'Caulfield', 0)"_s);
    for (const QString &code : {u"0312FLEM"_s, u"2811CAUL"_s, u"0101GONE"_s}) {
        db.exec(u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber) VALUES (?, '1200 MDN', 1)"_s, {code});
        db.exec(u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, TrainerName) "
                "VALUES (?, '1200 MDN', 1, ?, 'D O''Hayes')"_s,
                {code, QString(u"Horse of "_s + code)});
    }
    db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, Jockey, BookingSelection) "
            "VALUES ('2811CAUL', '1200 MDN', 'Horse of 2811CAUL', 'J Smith', 'Planned')"_s);
    db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse) "
            "VALUES ('J Smith', '2024-11-28', 1, 'CAUL', 'Horse of 2811CAUL')"_s);
}

void TestMaintenanceCommands::backup_data()
{
    QTest::addColumn<QString>("target");      // relative to the test root; "<db>" the working file; "" cancels
    QTest::addColumn<bool>("existingTarget"); // a stale file already lies at the target
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");          // "title|text", %1 the chosen file
    QTest::addColumn<QString>("rememberedFolder"); // relative to the test root; "-" unchanged

    const QString done = u"Backup Complete|Backup of Ostrevan Database Completed to Location: %1"_s;
    QTest::newRow("onto the working file")
        << u"<db>"_s << false << int(BackupOutcome::Refused)
        << u"Backup error|Error You cannot backup to the same location and name as application %1"_s << u"data"_s;
    QTest::newRow("another folder") << u"backups/Kelbrin.mdb"_s << false << int(BackupOutcome::Done) << done
                                    << u"backups"_s;
    QTest::newRow("over an older backup")
        << u"backups/Kelbrin.mdb"_s << true << int(BackupOutcome::Done) << done << u"backups"_s;
    QTest::newRow("folder missing") << u"nowhere/Kelbrin.mdb"_s << false << int(BackupOutcome::Failed)
                                    << u"Backup error|"_s << u"nowhere"_s;
    QTest::newRow("cancelled") << QString() << false << int(BackupOutcome::Cancelled) << QString() << u"-"_s;
}

void TestMaintenanceCommands::backup()
{
    QFETCH(QString, target);
    QFETCH(bool, existingTarget);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    QFETCH(QString, rememberedFolder);

    fillMeetings();
    const QString root = m_env->root();
    QDir(root).mkpath(u"backups"_s);
    cAppSettings::instance().BackupPath = u"/previous/backups"_s;
    const QString chosen = target == "<db>"_L1 ? m_env->databaseFile()
                           : target.isEmpty()  ? QString()
                                               : root + u'/' + target;
    if (existingTarget) {
        QFile stale(chosen);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
    }
    if (!chosen.isEmpty())
        m_dialogs->chooseSaveFile(chosen);
    const QByteArray workingBefore = fileBytes(m_env->databaseFile());

    QCOMPARE(int(maintenance::backupDatabase()), outcome);

    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    const UserDialogs::FileRequest &request = m_dialogs->fileRequests.first();
    QCOMPARE(request.suggestedName, u"Kelbrin.mdb"_s);
    QCOMPARE(request.startFolder, u"/previous/backups"_s);
    const QString remembered = QDir::fromNativeSeparators(cAppSettings::instance().BackupPath);
    QCOMPARE(remembered, rememberedFolder == "-"_L1 ? u"/previous/backups"_s : root + u'/' + rememberedFolder);
    QCOMPARE(fileBytes(m_env->databaseFile()), workingBefore);
    const QStringList shown = m_dialogs->shown();
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(shown.first().startsWith(message.arg(QDir::toNativeSeparators(chosen))), qPrintable(shown.first()));
    if (BackupOutcome(outcome) == BackupOutcome::Done) {
        QCOMPARE(fileBytes(chosen), workingBefore);
        // Nothing but the backup is left in its folder (no temporary file).
        QCOMPARE(QDir(root + u"/backups"_s).entryList(QDir::Files | QDir::Hidden), QStringList{u"Kelbrin.mdb"_s});
    }
    if (BackupOutcome(outcome) == BackupOutcome::Failed)
        QVERIFY(!QFileInfo::exists(chosen));
}

// Compaction itself is the database suite's; here the command's answer to a file it cannot compact.
void TestMaintenanceCommands::compactFailureIsCritical()
{
    QVERIFY(QFile::remove(m_env->databaseFile()));
    QVERIFY(!maintenance::compactAndRepair());
    QCOMPARE(m_dialogs->shown(), QStringList{u"Critical Error|Database damaged or being used by another program, "
                                             "please contact Vantrell Support."_s});
}

void TestMaintenanceCommands::purge_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("meetings");
    QTest::addColumn<QStringList>("races");
    QTest::addColumn<QStringList>("noms");

    const QStringList all{u"0101GONE"_s, u"0312FLEM"_s, u"2811CAUL"_s};
    QTest::newRow("yes") << true << QStringList{u"0312FLEM"_s} << QStringList{u"0312FLEM"_s}
                         << QStringList{u"0312FLEM"_s};
    QTest::newRow("no") << false << QStringList{u"0312FLEM"_s, u"2811CAUL"_s} << all << all;
}

void TestMaintenanceCommands::purge()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, meetings);
    QFETCH(QStringList, races);
    QFETCH(QStringList, noms);
    fillMeetings();
    yes ? m_dialogs->answerYes() : m_dialogs->answerNo();

    QCOMPARE(maintenance::removeUnwantedData(), yes);

    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Meeting ORDER BY 1"_s), meetings);
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Race ORDER BY 1"_s), races);
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Noms ORDER BY 1"_s), noms);
    QCOMPARE(queryRows(u"SELECT Horse FROM Bookings"_s), QStringList{u"Horse of 2811CAUL"_s});
    QCOMPARE(queryRows(u"SELECT Horse FROM RaceStats"_s), QStringList{u"Horse of 2811CAUL"_s});

    QStringList shown{u"Confirm Remove Old data|Select Yes to Remove old Data, or No to Cancel"_s};
    if (yes)
        shown << u"Process Successfull|All Non Current data has been Removed successfully"_s;
    QCOMPARE(m_dialogs->shown(), shown);
}

void TestMaintenanceCommands::deletedMeetingIsHiddenThenPurged()
{
    fillMeetings();
    {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, Jockey, BookingSelection) "
                "VALUES ('0312FLEM', '1200 MDN', 'Horse of 0312FLEM', 'J Smith', 'Confirmed')"_s);
    }
    maintenance::deleteMeetings({u"0312FLEM"_s});

    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Meeting WHERE DisplayMeeting ORDER BY 1"_s), QStringList());
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Meeting ORDER BY 1"_s), (QStringList{u"0312FLEM"_s, u"2811CAUL"_s}));
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Race WHERE MeetingCode = '0312FLEM'"_s), QStringList{u"0312FLEM"_s});
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Noms WHERE MeetingCode = '0312FLEM'"_s), QStringList());
    QVERIFY(m_dialogs->messages.isEmpty());

    m_dialogs->answerYes();
    QVERIFY(maintenance::removeUnwantedData());
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Meeting"_s), QStringList());
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Race"_s), QStringList());
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Noms"_s), QStringList());
    QCOMPARE(queryRows(u"SELECT MeetingCode FROM Bookings ORDER BY 1"_s), (QStringList{u"0312FLEM"_s, u"2811CAUL"_s}));
}

void TestMaintenanceCommands::remainingStatusOffered_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("offered"); // empty: the item is hidden

    QTest::newRow("template text") << 13 << u"Ride Work Tue"_s << u"Ride Work Tue"_s;
    QTest::newRow("empty state") << 13 << QString() << QString();
    QTest::newRow("planned") << 13 << u"Planned"_s << QString();
    QTest::newRow("confirmed") << 13 << u"Confirmed"_s << QString();
    QTest::newRow("another column") << 10 << u"Ride Work Tue"_s << QString();
}

void TestMaintenanceCommands::remainingStatusOffered()
{
    QFETCH(int, column);
    QFETCH(QString, cell);
    QFETCH(QString, offered);
    QCOMPARE(maintenance::remainingStatusFor(column, cell).value_or(QString()), offered);
    if (!offered.isEmpty())
        QCOMPARE(maintenance::remainingStatusCaption(offered), "Set Remaining Status to "_L1 + offered);
}

void TestMaintenanceCommands::setRemainingStates()
{
    {
        Db db = OpenDb();
        db.exec(u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, BookingSelection) "
                "VALUES ('0312FLEM', '1200 MDN', 'Planned Horse', 'D O''Hayes', 'Planned')"_s);
    }
    TestGrid grid(u"grdNoms"_s, 16, 4);
    grid.trainer = u"D O'Hayes"_s;
    setRow(grid, 1, u"0312FLEM"_s, u"Free Horse "_s, u"1200 MDN"_s, QString());
    setRow(grid, 2, u"0312FLEM"_s, u"Planned Horse"_s, u"1200 MDN"_s, u"Planned"_s);
    setRow(grid, 3, u"0312FLEM"_s, u"O'Reilly's Star"_s, u"1600 HCP"_s, QString());
    setRow(grid, 4, u"2811CAUL"_s, u"Gallop Horse"_s, u"1000 2YO"_s, u"Gallops"_s);

    QCOMPARE(maintenance::setRemainingStates(grid, 4, u"Trial Fri"_s), 2);

    QCOMPARE(grid.cellText(1, 13), u"Trial Fri"_s);
    QCOMPARE(grid.cellText(2, 13), u"Planned"_s);
    QCOMPARE(grid.cellText(3, 13), u"Trial Fri"_s);
    QCOMPARE(grid.cellText(4, 13), u"Gallops"_s);
    QCOMPARE(queryRows(u"SELECT MeetingCode || '|' || RaceCode || '|' || Horse || '|' || TrainerName || '|' || "
                       "BookingSelection FROM Bookings ORDER BY rowid"_s),
             (QStringList{u"0312FLEM|1200 MDN|Planned Horse|D O'Hayes|Planned"_s,
                          u"0312FLEM|1200 MDN|Free Horse|D O'Hayes|Trial Fri"_s,
                          u"0312FLEM|1600 HCP|O'Reilly's Star|D O'Hayes|Trial Fri"_s}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestMaintenanceCommands::iconJockey_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("highlight");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("iconJockey");

    const QString before = u"( 'J Smith')"_s;
    QTest::newRow("no jockey selected") << QString() << false << QString() << before << u"J Smith"_s;
    QTest::newRow("another jockey") << u"K O'Neil"_s << true << u"K O'Neil"_s << u"( 'K O''Neil')"_s << u"K O'Neil"_s;
    QTest::newRow("the icon jockey again")
        << u"J Smith"_s << true << QString() << u"( 'J Smith', 'K O''Neil')"_s << QString();
}

void TestMaintenanceCommands::iconJockey()
{
    QFETCH(QString, selected);
    QFETCH(bool, chosen);
    QFETCH(QString, highlight);
    QFETCH(QString, list);
    QFETCH(QString, iconJockey);
    ManagedJockeys::selectIconJockey(u"J Smith"_s);

    const std::optional<QString> result =
        bookinggestures::selectJockeyForIcons(selected, {u"J Smith"_s, u"K O'Neil"_s});

    QCOMPARE(result.has_value(), chosen);
    QCOMPARE(result.value_or(QString()), highlight);
    QCOMPARE(ManagedJockeys::IconJockeyList(), list);
    QCOMPARE(ManagedJockeys::IconJockey(), iconJockey);
    QCOMPARE(m_dialogs->shown(),
             chosen ? QStringList() : QStringList{u"Select a Jockey|Jockey Must be Seleted for Icons."_s});
}

void TestMaintenanceCommands::strikeRateNeedsAJockey()
{
    QVERIFY(maintenance::jockeySelectedForStrikeRate(u"J Smith"_s));
    QVERIFY(!maintenance::jockeySelectedForStrikeRate(QString()));
    QCOMPARE(m_dialogs->shown(),
             QStringList{u"Select a Jockey|Jockey Must be Seleted for Jockey/Trainer Strike Rate."_s});
    QVERIFY(!maintenance::reloadJockeyFormData(QString()).has_value());
}

void TestMaintenanceCommands::debugToggle_data()
{
    QTest::addColumn<bool>("wasOn");
    QTest::addColumn<bool>("choose"); // the agent picks a file (else cancels)
    QTest::addColumn<bool>("on");

    QTest::newRow("off, file chosen") << false << true << true;
    QTest::newRow("off, cancelled") << false << false << false;
    QTest::newRow("on") << true << false << false;
}

void TestMaintenanceCommands::debugToggle()
{
    QFETCH(bool, wasOn);
    QFETCH(bool, choose);
    QFETCH(bool, on);
    const QString debugFolder = m_env->root() + u"/debug"_s;
    QDir().mkpath(debugFolder);
    const QString file = debugFolder + u"/debug.txt"_s;
    cAppSettings::instance().DebugPath = u"/earlier"_s;
    if (wasOn)
        DebugMode::turnOn(m_env->root() + u"/old.txt"_s);
    if (choose)
        m_dialogs->chooseSaveFile(file);

    QCOMPARE(maintenance::toggleDebugMode(), on);
    QCOMPARE(DebugMode::isOn(), on);

    QCOMPARE(m_dialogs->fileRequests.size(), wasOn ? 0 : 1);
    if (!wasOn) {
        QCOMPARE(m_dialogs->fileRequests.first().title, u"Build a debug File"_s);
        QCOMPARE(m_dialogs->fileRequests.first().suggestedName, u"debug.txt"_s);
        QCOMPARE(m_dialogs->fileRequests.first().startFolder, u"/earlier"_s);
    }
    QCOMPARE(QDir::fromNativeSeparators(cAppSettings::instance().DebugPath), on ? debugFolder : u"/earlier"_s);

    QVERIFY(DebugMode::append(u"<html>page</html>"_s));
    QCOMPARE(fileBytes(file), on ? QByteArray("<html>page</html>\r\n") : QByteArray());
    QVERIFY(!QFileInfo::exists(m_env->root() + u"/old.txt"_s));
}

void TestMaintenanceCommands::resetRaceWindow()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.RaceTop = 120;
    settings.RaceLeft = 340;
    settings.RaceWidth = 800;
    maintenance::resetRaceWindow();
    settings.reset();
    QVERIFY(settings.LoadSettings());
    QCOMPARE(settings.RaceTop, 0);
    QCOMPARE(settings.RaceLeft, 0);
    QCOMPARE(settings.RaceWidth, 800);
}

QTEST_GUILESS_MAIN(TestMaintenanceCommands)
#include "tst_maintenancecommands.moc"
