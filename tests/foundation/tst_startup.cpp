#include "app/Startup.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/BackupsDialog.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SplashWindow.h"
#include "core/Clock.h"
#include "core/QueryCredentials.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Backups.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {

void addTrainer(const QString &databaseFile, const QString &name)
{
    Db db(databaseFile);
    db.exec(u"INSERT INTO Trainer (TrainerName, Phone) VALUES (?, '03 9999 0000')"_s, {name});
}

QStringList trainerNames(const QString &databaseFile)
{
    Db db(databaseFile);
    QSqlQuery query = db.exec(u"SELECT TrainerName FROM Trainer ORDER BY TrainerName"_s);
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void statusTextsInOrder()
    {
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        RecordingStatus status;
        cAppSettings::instance().UserName = u"agent"_s;
        cAppSettings::instance().UserPass = u"secret"_s;
        cAppSettings::instance().SaveSettings();
        // Changes are kept 90 days: on 30 June, those made before 1 April go.
        const FixedClock clock(QDateTime(QDate(2026, 6, 30), QTime(7, 30)));
        Clock::setInstance(&clock);
        Db(env.databaseFile())
            .exec(u"INSERT INTO FieldChange (ChangedAt, MeetingCode, Horse, ChangeKind) VALUES "
                  "('2026-03-31 18:00:00', '0404RAND', 'OLD NEWS', 'barrier'), ('2026-04-01 08:00:00', '0404RAND', "
                  "'STILL FRESH', 'weight')"_s);
        // The booking history is kept two years.
        Db(env.databaseFile())
            .exec(u"INSERT INTO BookingLog (LoggedAt, MeetingCode, Horse, Source) VALUES ('2024-06-29 23:00:00', "
                  u"'0404RAND', "
                  "'LONG AGO', 'undo'), ('2024-06-30 08:00:00', '0404RAND', 'TWO YEARS', 'undo')"_s);
        QCOMPARE(startup::prepareDatabase(), startup::Outcome::Ready);
        Clock::setInstance(nullptr);
        QCOMPARE(queryRows(u"SELECT Horse FROM FieldChange"_s), QStringList{u"STILL FRESH"_s});
        QCOMPARE(queryRows(u"SELECT Horse FROM BookingLog"_s), QStringList{u"TWO YEARS"_s});
        QCOMPARE(status.texts, (QStringList{u"Loading Application Settings"_s, u"Compact The Database"_s,
                                            u"Checking Database for Updates"_s}));
        // The credentials come after the window: the keychain may take seconds to answer.
        QVERIFY(QueryCredentials::current().password.isEmpty());
        startup::afterWindowShown();
        QCOMPARE(QueryCredentials::current().userName, u"agent"_s);
        QCOMPARE(QueryCredentials::current().password, u"secret"_s);
        QCOMPARE(cAppSettings::instance().AppVersion, version::asNumber());
        QVERIFY(dialogs.messages.isEmpty());
    }

    void missingDatabase_data()
    {
        QTest::addColumn<QString>("choice"); // "", "missing", "other" or "new"
        QTest::addColumn<bool>("ready");
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("chosen file missing") << "missing" << false;
        QTest::newRow("chosen file exists") << "other" << true;
        QTest::newRow("create a new database here") << "new" << true;
    }

    void missingDatabase()
    {
        QFETCH(QString, choice);
        QFETCH(bool, ready);
        TestEnvironment env;
        const QString other = env.root() + u"/elsewhere"_s;
        QDir().mkpath(other);
        Db(other + u"/Kelbrin.mdb"_s, false).exec(u"CREATE TABLE Noms (x)"_s);
        cAppSettings::instance().DBPath = env.root() + u"/nowhere"_s;
        cAppSettings::instance().SaveSettings();
        ScriptedDialogs dialogs;
        if (choice == "missing"_L1)
            dialogs.chooseFiles({env.root() + u"/gone/Kelbrin.mdb"_s});
        else if (choice == "other"_L1)
            dialogs.chooseFiles({other + u"/Kelbrin.mdb"_s});
        else if (choice == "new"_L1 && QFile::remove(other + u"/Kelbrin.mdb"_s))
            dialogs.chooseFiles({other});
        const startup::Outcome outcome = startup::prepareDatabase();
        QCOMPARE(outcome == startup::Outcome::Ready, ready);
        QCOMPARE(dialogs.fileRequests.size(), 1);
        QCOMPARE(dialogs.fileRequests.first().filter, u"Ostrevan Database|Kelbrin.mdb"_s);
        QCOMPARE(dialogs.fileRequests.first().extraChoice, u"Create a new database here"_s);
        if (ready) {
            QCOMPARE(QDir::fromNativeSeparators(cAppSettings::instance().DBPath), other);
            QCOMPARE(Db(other + u"/Kelbrin.mdb"_s)
                         .scalar(u"SELECT 1 FROM sqlite_master WHERE name = 'RaceType'"_s)
                         .isValid(),
                     choice == "new"_L1);
        } else
            QVERIFY(dialogs.messages.isEmpty()); // ends silently
        QVERIFY(!QFile::exists(env.root() + u"/nowhere/Kelbrin.mdb"_s));
    }

    void compactionFailureIsCritical()
    {
        TestEnvironment env;
        QFile file(env.databaseFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        cAppSettings::instance().SaveSettings();
        ScriptedDialogs dialogs;
        QCOMPARE(startup::prepareDatabase(), startup::Outcome::CompactFailed);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().title, u"Critical Error"_s);
        QCOMPARE(dialogs.messages.first().text,
                 u"Database damaged or being used by another program, please contact Vantrell Support."_s);
        QCOMPARE(dialogs.messages.first().icon, UserDialogs::Icon::Critical);
        QFile again(env.databaseFile());
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray(4096, 'x'));
    }

    void migrationRunsOnce()
    {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        // The previous installation's database: an older Trainer table and no booking-rate table.
        const QString previous = env.root() + u"/previous"_s;
        QDir().mkpath(previous);
        {
            Db old(previous + u"/Kelbrin.mdb"_s, false);
            old.exec(u"CREATE TABLE Trainer (TrainerName TEXT, TrainerLocation TEXT, Phone TEXT, "
                     "TrainerMobile TEXT, TrainerComments TEXT, IgnoreTrainer INTEGER, TrainerType TEXT)"_s);
            old.exec(u"INSERT INTO Trainer (TrainerName, Phone) VALUES ('SHARED', 'old phone'), ('OLD ONLY', '1')"_s);
        }
        cAppSettings::instance().DBPath.clear();
        cAppSettings::instance().PreviousInstallPath = previous;
        cAppSettings::instance().SaveSettings();
        // The current database in the program folder, with trainers and a rate of its own; "shared"
        // is the old database's SHARED in another case, which is the same trainer.
        const QString delivered = env.programFolder() + u"/Kelbrin.mdb"_s;
        schema::createDatabase(delivered);
        addTrainer(delivered, u"shared"_s);
        addTrainer(delivered, u"NEW ONLY"_s);
        {
            Db db(delivered);
            db.exec(u"INSERT INTO BookRate (State, RaceType, DateEffective, BookingRate) "
                    "VALUES ('VIC', 'M', '2025-07-01', 40)"_s);
        }

        startup::loadForSplash();
        QVERIFY(cAppSettings::instance().AlreadyUpgraded);
        // The old rows as they were, plus the new installation's trainers and rates the old one lacked.
        QCOMPARE(trainerNames(delivered), (QStringList{u"NEW ONLY"_s, u"OLD ONLY"_s, u"SHARED"_s}));
        {
            Db db(delivered);
            QCOMPARE(db.scalar(u"SELECT Phone FROM Trainer WHERE TrainerName = 'SHARED'"_s).toString(), u"old phone"_s);
            QCOMPARE(db.scalar(u"SELECT State || RaceType || BookingRate FROM BookRate"_s).toString(), u"VICM40"_s);
        }
        QVERIFY(!QFile::exists(env.programFolder() + u"/oldKelbrin.mdb"_s));

        // A second start leaves the working database alone even though the old one is still there.
        addTrainer(delivered, u"ADDED SINCE"_s);
        cAppSettings::instance().reset();
        startup::loadForSplash();
        QVERIFY(trainerNames(delivered).contains(u"ADDED SINCE"_s));
        QVERIFY(dialogs.messages.isEmpty());
    }

    // A flag that cannot be read may hide a finished migration: the working database stays.
    void unreadableUpgradedFlagSkipsTheMigration()
    {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        const QString previous = env.root() + u"/previous"_s;
        QDir().mkpath(previous);
        schema::createDatabase(previous + u"/Kelbrin.mdb"_s);
        addTrainer(previous + u"/Kelbrin.mdb"_s, u"OLD ONLY"_s);
        const QString working = env.programFolder() + u"/Kelbrin.mdb"_s;
        schema::createDatabase(working);
        addTrainer(working, u"ADDED SINCE"_s);
        {
            QFile file(env.settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\nUpgraded=Ja\nPreviousInstallPath=" + previous.toUtf8() + "\n");
        }
        cAppSettings::instance().reset();
        startup::loadForSplash();
        QCOMPARE(trainerNames(working), QStringList{u"ADDED SINCE"_s});
        QVERIFY(!cAppSettings::instance().AlreadyUpgraded);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().text.contains(u"Upgraded=\"Ja\""_s));
    }

    void migrationWithoutPreviousInstallationStillSetsTheFlag()
    {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        // The very first start: nothing stored yet, no previous installation at its default place.
        startup::loadForSplash();
        QVERIFY(cAppSettings::instance().AlreadyUpgraded);
        cAppSettings::instance().reset();
        cAppSettings::instance().LoadSettings();
        QVERIFY(cAppSettings::instance().AlreadyUpgraded);
        // A new database was made in the program folder; a later start makes none.
        const QString made = env.programFolder() + u"/Kelbrin.mdb"_s;
        QVERIFY(QFile::remove(made));
        startup::loadForSplash();
        QVERIFY(!QFile::exists(made));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void splashOpensTheMainWindowAndRestoresPlacement()
    {
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        cAppSettings::instance().MainLeft = 40;
        cAppSettings::instance().MainTop = 50;
        cAppSettings::instance().MainWidth = 900;
        cAppSettings::instance().MainHeight = 600;
        cAppSettings::instance().DataServer = u"127.0.0.1:1"_s;
        cAppSettings::instance().SaveSettings();
        Db(env.databaseFile()).exec(u"INSERT INTO Jockey (Jockey) VALUES ('J Smith')"_s);

        auto *splash = new SplashWindow;
        splash->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<SplashWindow> guard(splash);
        splash->show();
        splash->load();
        QCOMPARE(splash->lblVersion->text(), u"Version "_s + version::dotted());
        QVERIFY(splash->lblPlatform->text().isEmpty());
        QTRY_VERIFY(guard.isNull()); // the main window opened and the splash closed
        MainWindow *window = MainWindow::instance();
        QVERIFY(window->isVisible());
        // The rides come after the window, here from a form server out of reach: a status line, no box.
        QTRY_COMPARE(window->statusBar()->currentMessage(),
                     u"Rides not refreshed: the form server cannot be reached"_s);
        QCOMPARE(window->geometry(), QRect(40, 50, 900, 600));

        // Closing stores the placement.
        window->setGeometry(70, 80, 1000, 700);
        QPointer<MainWindow> windowGuard(window);
        window->close();
        QTRY_VERIFY(windowGuard.isNull());
        cAppSettings::instance().reset();
        cAppSettings::instance().LoadSettings();
        QCOMPARE(cAppSettings::instance().MainLeft, 70);
        QCOMPARE(cAppSettings::instance().MainWidth, 1000);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // Two starts and exits a day apart, then one a week on: compaction and backups only when they pay.
    void sessionsCompactAndBackUpWhenDue()
    {
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        cAppSettings::instance().SaveSettings();
        FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        Clock::setInstance(&clock);
        const QString folder = env.dataFolder() + u"/Backups"_s;
        const auto compacted = [&env] {
            return QSettings(env.settingsFile(), QSettings::IniFormat).value(u"LastCompacted"_s).toString();
        };
        const auto session = [&](int changes) {
            QCOMPARE(startup::prepareDatabase(), startup::Outcome::Ready);
            QCOMPARE(startup::backupAfterStartUp(env.databaseFile(), folder, clock.now()), QString());
            QThread::msleep(20); // a change after the backup has a later time on any file system
            for (int i = 0; i < changes; ++i)
                Db(env.databaseFile())
                    .exec(u"INSERT INTO Trainer (TrainerName) VALUES (?)"_s,
                          {u"T%1"_s.arg(clock.now().toSecsSinceEpoch() + i)});
            startup::finishSession();
        };
        const auto newest = [&folder] {
            const QList<backups::Backup> all = backups::list(folder);
            return u"%1 of %2"_s.arg(all.value(0).time.toString(u"dd HH:mm:ss"_s)).arg(all.size());
        };
        // The first: compacted; backed up after start and again at exit after a change (one kept a day).
        session(1);
        QCOMPARE(compacted(), u"2026-12-07 08:00:00"_s);
        QCOMPARE(newest(), u"07 08:00:01 of 1"_s);
        clock.set(clock.now().addSecs(3600));
        session(0); // an hour on, nothing changed: no backup, no compaction
        QCOMPARE(newest(), u"07 08:00:01 of 1"_s);
        clock.set(clock.now().addDays(1));
        session(0); // a day on: the backup after start only
        QCOMPARE(newest(), u"08 09:00:00 of 2"_s);
        QCOMPARE(compacted(), u"2026-12-07 08:00:00"_s);
        clock.set(clock.now().addDays(7));
        session(0);
        QCOMPARE(compacted(), u"2026-12-15 09:00:00"_s);
        QCOMPARE(newest(), u"15 09:00:00 of 3"_s);
        Clock::setInstance(nullptr);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // The backups window: a backup, a booking deleted, a restore declined and then made.
    void backupsWindowRestores()
    {
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        Db(env.databaseFile())
            .exec(
                u"INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('0712FLEM', 'RED ROVER', "
                "'J Smith', 'Planned')"_s);
        BackupsDialog window;
        QCOMPARE(window.grdBackups->rowCount(), 0);
        QVERIFY(!window.cmdRestore->isEnabled());
        window.cmdBackupNow->click();
        QCOMPARE(window.grdBackups->rowCount(), 1);
        QCOMPARE(window.grdBackups->item(0, 3)->text(), u"1"_s);
        Db(env.databaseFile()).exec(u"DELETE FROM Bookings"_s);
        dialogs.answerNo();
        window.cmdRestore->click();
        QVERIFY(!window.restored());
        QCOMPARE(queryRows(u"SELECT COUNT(*) FROM Bookings"_s), QStringList{u"0"_s});
        dialogs.answerYes();
        window.cmdRestore->click();
        QVERIFY(window.restored());
        QCOMPARE(queryRows(u"SELECT Jockey FROM Bookings"_s), QStringList{u"J Smith"_s});
        // The file it replaced is kept, listed first, without the booking.
        QCOMPARE(window.grdBackups->rowCount(), 2);
        QCOMPARE(window.grdBackups->item(0, 3)->text(), u"0"_s);
        QCOMPARE(dialogs.messages.size(), 3);
        QVERIFY(dialogs.messages.at(0).text.startsWith("Restore the backup of "_L1));
        QVERIFY(dialogs.messages.at(2).text.contains("is kept as Kelbrin-"_L1));
    }

    void aboutWithoutSystemInformation()
    {
        if (!AboutDialog::systemInfoTool().isEmpty())
            QSKIP("this machine has a system information tool");
        ScriptedDialogs dialogs;
        AboutDialog about;
        QCOMPARE(about.windowTitle(), u"About Ostrevan 2"_s);
        QCOMPARE(about.lblVersion->text(), u"Version "_s + version::dotted());
        about.cmdSysInfo->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().text, u"System Information Is Unavailable At This Time"_s);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
