#include "core/DebugMode.h"
#include "app/MaintenanceCommands.h"
#include "core/cAppSettings.h"
#include "bookings/BookingGrid.h"
#include "bookings/ManagedJockeys.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using maintenance::BackupOutcome;

namespace {

// The nominations list as rows of plain texts (rows and columns 1-based like the real one).
class NomsGrid final : public BookingGrid
{
public:
    explicit NomsGrid(int rows) : m_cells(rows, QStringList(16)) {}
    QString gridName() const override { return u"grdNoms"_s; }
    int columnCount() const override { return 16; }
    QString cellText(int row, int column) const override { return m_cells.at(row - 1).at(column - 1); }
    void setCellText(int row, int column, const QString &text) override { m_cells[row - 1][column - 1] = text; }
    void setCellForeColor(int, int, const QColor &) override {}
    void setCellBackColor(int, int, const QColor &) override {}
    QColor cellBackColor(int, int) const override { return {}; }
    void resetRowColors(int) override {}
    void setCellIcon(int, int, int) override {}

    void setRow(int row, const QString &meeting, const QString &horse, const QString &raceCode, const QString &state)
    {
        setCellText(row, 1, meeting);
        setCellText(row, 4, horse);
        setCellText(row, 11, raceCode);
        setCellText(row, 13, state);
    }

private:
    QList<QStringList> m_cells;
};

QStringList column(const QString &sql)
{
    QStringList values;
    QueryResult query = OpenQuery(sql);
    while (query.next())
        values << query.value(0).toString();
    return values;
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
    void compact_data();
    void compact();
    void purge_data();
    void purge();
    void deletedMeetingIsHiddenThenPurged();
    void remainingStatusOffered_data();
    void remainingStatusOffered();
    void setRemainingStates();
    void iconJockey_data();
    void iconJockey();
    void strikeRateNeedsAJockey_data();
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
    db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, DisplayMeeting) VALUES ('0312FLEM', 'Flemington', 1)"_s);
    db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, DisplayMeeting) VALUES ('2811CAUL', 'Caulfield', 0)"_s);
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
    QTest::addColumn<QString>("target");     // relative to the test root; "<db>" the working file; "" cancels
    QTest::addColumn<bool>("existingTarget"); // a stale file already lies at the target
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("rememberedFolder"); // relative to the test root; "-" unchanged

    QTest::newRow("onto the working file") << u"<db>"_s << false << int(BackupOutcome::Refused) << u"Backup error"_s
                                           << u"data"_s;
    QTest::newRow("another folder") << u"backups/Kelbrin.mdb"_s << false << int(BackupOutcome::Done)
                                    << u"Backup Complete"_s << u"backups"_s;
    QTest::newRow("over an older backup") << u"backups/Kelbrin.mdb"_s << true << int(BackupOutcome::Done)
                                          << u"Backup Complete"_s << u"backups"_s;
    QTest::newRow("folder missing") << u"nowhere/Kelbrin.mdb"_s << false << int(BackupOutcome::Failed)
                                    << u"Backup error"_s << u"nowhere"_s;
    QTest::newRow("cancelled") << QString() << false << int(BackupOutcome::Cancelled) << QString() << u"-"_s;
}

void TestMaintenanceCommands::backup()
{
    QFETCH(QString, target);
    QFETCH(bool, existingTarget);
    QFETCH(int, outcome);
    QFETCH(QString, title);
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
    QCOMPARE(request.title, u"Backup Ostrevan Database"_s);
    QCOMPARE(request.suggestedName, u"Kelbrin.mdb"_s);
    QCOMPARE(request.startFolder, u"/previous/backups"_s);

    const QString remembered = cAppSettings::instance().BackupPath;
    if (rememberedFolder == "-"_L1)
        QCOMPARE(remembered, u"/previous/backups"_s);
    else
        QCOMPARE(QDir::fromNativeSeparators(remembered), root + u'/' + rememberedFolder);

    QCOMPARE(fileBytes(m_env->databaseFile()), workingBefore);
    if (title.isEmpty()) {
        QVERIFY(m_dialogs->messages.isEmpty());
        return;
    }
    QCOMPARE(m_dialogs->messages.size(), 1);
    const ScriptedDialogs::Message &message = m_dialogs->messages.first();
    QCOMPARE(message.title, title);
    const QString shown = QDir::toNativeSeparators(chosen);
    switch (BackupOutcome(outcome)) {
    case BackupOutcome::Refused:
        QCOMPARE(message.icon, UserDialogs::Icon::Critical);
        QCOMPARE(message.text, "Error You cannot backup to the same location and name as application "_L1 + shown);
        break;
    case BackupOutcome::Done: {
        QCOMPARE(message.icon, UserDialogs::Icon::Information);
        QCOMPARE(message.text, "Backup of Ostrevan Database Completed to Location: "_L1 + shown);
        QCOMPARE(fileBytes(chosen), workingBefore);
        // Nothing but the backup is left in its folder (no temporary file).
        QCOMPARE(QDir(root + u"/backups"_s).entryList(QDir::Files | QDir::Hidden), QStringList{u"Kelbrin.mdb"_s});
        Db copy(chosen);
        QCOMPARE(copy.scalar(u"SELECT COUNT(*) FROM Noms"_s).toInt(), 3);
        QCOMPARE(copy.scalar(u"SELECT MeetingLocation FROM Meeting WHERE MeetingCode = '0312FLEM'"_s).toString(),
                 u"Flemington"_s);
        break;
    }
    case BackupOutcome::Failed:
        QCOMPARE(message.icon, UserDialogs::Icon::Critical);
        QVERIFY(!QFileInfo::exists(chosen));
        break;
    case BackupOutcome::Cancelled:
        QFAIL("a cancelled backup shows nothing");
    }
}

void TestMaintenanceCommands::compact_data()
{
    QTest::addColumn<bool>("databaseThere");
    QTest::newRow("compacts") << true;
    QTest::newRow("file missing") << false;
}

void TestMaintenanceCommands::compact()
{
    QFETCH(bool, databaseThere);
    fillMeetings();
    if (!databaseThere)
        QVERIFY(QFile::remove(m_env->databaseFile()));

    QCOMPARE(maintenance::compactAndRepair(), databaseThere);

    if (databaseThere) {
        QVERIFY(m_dialogs->messages.isEmpty());
        QCOMPARE(column(u"SELECT MeetingCode FROM Meeting ORDER BY 1"_s), (QStringList{u"0312FLEM"_s, u"2811CAUL"_s}));
        return;
    }
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().title, u"Critical Error"_s);
    QCOMPARE(m_dialogs->messages.first().icon, UserDialogs::Icon::Critical);
    QCOMPARE(m_dialogs->messages.first().text,
             u"Database damaged or being used by another program, please contact Vantrell Support."_s);
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

    QCOMPARE(column(u"SELECT MeetingCode FROM Meeting ORDER BY 1"_s), meetings);
    QCOMPARE(column(u"SELECT MeetingCode FROM Race ORDER BY 1"_s), races);
    QCOMPARE(column(u"SELECT MeetingCode FROM Noms ORDER BY 1"_s), noms);
    QCOMPARE(column(u"SELECT Horse FROM Bookings"_s), QStringList{u"Horse of 2811CAUL"_s});
    QCOMPARE(column(u"SELECT Horse FROM RaceStats"_s), QStringList{u"Horse of 2811CAUL"_s});

    QCOMPARE(m_dialogs->messages.size(), yes ? 2 : 1);
    QCOMPARE(m_dialogs->messages.at(0).title, u"Confirm Remove Old data"_s);
    QCOMPARE(m_dialogs->messages.at(0).text, u"Select Yes to Remove old Data, or No to Cancel"_s);
    QCOMPARE(m_dialogs->messages.at(0).buttons, UserDialogs::Buttons::YesNo);
    if (yes) {
        QCOMPARE(m_dialogs->messages.at(1).title, u"Process Successfull"_s);
        QCOMPARE(m_dialogs->messages.at(1).text, u"All Non Current data has been Removed successfully"_s);
        QCOMPARE(m_dialogs->messages.at(1).icon, UserDialogs::Icon::Information);
    }
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

    QCOMPARE(column(u"SELECT MeetingCode FROM Meeting WHERE DisplayMeeting ORDER BY 1"_s), QStringList());
    QCOMPARE(column(u"SELECT MeetingCode FROM Meeting ORDER BY 1"_s), (QStringList{u"0312FLEM"_s, u"2811CAUL"_s}));
    QCOMPARE(column(u"SELECT MeetingCode FROM Race WHERE MeetingCode = '0312FLEM'"_s), QStringList{u"0312FLEM"_s});
    QCOMPARE(column(u"SELECT MeetingCode FROM Noms WHERE MeetingCode = '0312FLEM'"_s), QStringList());
    QVERIFY(m_dialogs->messages.isEmpty());

    m_dialogs->answerYes();
    QVERIFY(maintenance::removeUnwantedData());
    QCOMPARE(column(u"SELECT MeetingCode FROM Meeting"_s), QStringList());
    QCOMPARE(column(u"SELECT MeetingCode FROM Race"_s), QStringList());
    QCOMPARE(column(u"SELECT MeetingCode FROM Noms"_s), QStringList());
    QCOMPARE(column(u"SELECT MeetingCode FROM Bookings ORDER BY 1"_s), (QStringList{u"0312FLEM"_s, u"2811CAUL"_s}));
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
    NomsGrid grid(4);
    grid.setRow(1, u"0312FLEM"_s, u"Free Horse "_s, u"1200 MDN"_s, QString());
    grid.setRow(2, u"0312FLEM"_s, u"Planned Horse"_s, u"1200 MDN"_s, u"Planned"_s);
    grid.setRow(3, u"0312FLEM"_s, u"O'Reilly's Star"_s, u"1600 HCP"_s, QString());
    grid.setRow(4, u"2811CAUL"_s, u"Gallop Horse"_s, u"1000 2YO"_s, u"Gallops"_s);

    QCOMPARE(maintenance::setRemainingStates(grid, 4, u"Trial Fri"_s, u"D O'Hayes"_s), 2);

    QCOMPARE(grid.cellText(1, 13), u"Trial Fri"_s);
    QCOMPARE(grid.cellText(2, 13), u"Planned"_s);
    QCOMPARE(grid.cellText(3, 13), u"Trial Fri"_s);
    QCOMPARE(grid.cellText(4, 13), u"Gallops"_s);
    QCOMPARE(column(u"SELECT MeetingCode || '|' || RaceCode || '|' || Horse || '|' || TrainerName || '|' || "
                    "BookingSelection FROM Bookings ORDER BY rowid"_s),
             (QStringList{u"0312FLEM|1200 MDN|Planned Horse|D O'Hayes|Planned"_s,
                          u"0312FLEM|1200 MDN|Free Horse|D O'Hayes|Trial Fri"_s,
                          u"0312FLEM|1600 HCP|O'Reilly's Star|D O'Hayes|Trial Fri"_s}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestMaintenanceCommands::iconJockey_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("highlight");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("iconJockey");

    const QString before = u"( 'J Smith')"_s;
    QTest::newRow("no jockey selected") << QString() << false << false << QString() << before << u"J Smith"_s;
    QTest::newRow("another jockey") << u"K O'Neil"_s << false << true << u"K O'Neil"_s << u"( 'K O''Neil')"_s
                                    << u"K O'Neil"_s;
    QTest::newRow("the icon jockey again") << u"J Smith"_s << true << true << QString()
                                           << u"( 'J Smith', 'K O''Neil')"_s << QString();
}

void TestMaintenanceCommands::iconJockey()
{
    QFETCH(QString, selected);
    QFETCH(bool, highlighted);
    QFETCH(bool, chosen);
    QFETCH(QString, highlight);
    QFETCH(QString, list);
    QFETCH(QString, iconJockey);
    ManagedJockeys::selectIconJockey(u"J Smith"_s);

    const std::optional<QString> result =
        maintenance::selectJockeyForIcons(selected, highlighted, {u"J Smith"_s, u"K O'Neil"_s});

    QCOMPARE(result.has_value(), chosen);
    QCOMPARE(result.value_or(QString()), highlight);
    QCOMPARE(ManagedJockeys::IconJockeyList(), list);
    QCOMPARE(ManagedJockeys::IconJockey(), iconJockey);
    QCOMPARE(m_dialogs->messages.size(), chosen ? 0 : 1);
    if (!chosen) {
        QCOMPARE(m_dialogs->messages.first().title, u"Select a Jockey"_s);
        QCOMPARE(m_dialogs->messages.first().text, u"Jockey Must be Seleted for Icons."_s);
        QCOMPARE(m_dialogs->messages.first().icon, UserDialogs::Icon::Critical);
    }
}

void TestMaintenanceCommands::strikeRateNeedsAJockey_data()
{
    QTest::addColumn<QString>("selected");
    QTest::newRow("none") << QString();
    QTest::newRow("selected") << u"J Smith"_s;
}

void TestMaintenanceCommands::strikeRateNeedsAJockey()
{
    QFETCH(QString, selected);
    QCOMPARE(maintenance::jockeySelectedForStrikeRate(selected), !selected.isEmpty());
    QCOMPARE(m_dialogs->messages.size(), selected.isEmpty() ? 1 : 0);
    if (selected.isEmpty()) {
        QCOMPARE(m_dialogs->messages.first().title, u"Select a Jockey"_s);
        QCOMPARE(m_dialogs->messages.first().text, u"Jockey Must be Seleted for Jockey/Trainer Strike Rate."_s);
    }
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
