#include "core/Clock.h"
#include "core/QueryCredentials.h"
#include "app/Startup.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/BackupsDialog.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SplashWindow.h"
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
#include <QTableWidget>
#include <QThread>
#include <QStatusBar>
#include <QTest>

namespace {

void addTrainer(const QString &databaseFile, const QString &name)
{
    Db db(databaseFile);
    db.exec(QStringLiteral("INSERT INTO Trainer (TrainerName, Phone) VALUES (?, '03 9999 0000')"), {name});
}

QStringList trainerNames(const QString &databaseFile)
{
    Db db(databaseFile);
    QSqlQuery query = db.exec(QStringLiteral("SELECT TrainerName FROM Trainer ORDER BY TrainerName"));
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
        cAppSettings::instance().UserName = QStringLiteral("agent");
        cAppSettings::instance().UserPass = QStringLiteral("secret");
        cAppSettings::instance().SaveSettings();
        // Changes are kept 90 days: on 30 June, those made before 1 April go.
        const FixedClock clock(QDateTime(QDate(2026, 6, 30), QTime(7, 30)));
        Clock::setInstance(&clock);
        Db(env.databaseFile()).exec(QStringLiteral(
            "INSERT INTO FieldChange (ChangedAt, MeetingCode, Horse, ChangeKind) VALUES "
            "('2026-03-31 18:00:00', '0404RAND', 'OLD NEWS', 'barrier'), ('2026-04-01 08:00:00', '0404RAND', "
            "'STILL FRESH', 'weight')"));
        // The booking history is kept two years.
        Db(env.databaseFile()).exec(QStringLiteral(
            "INSERT INTO BookingLog (LoggedAt, MeetingCode, Horse, Source) VALUES ('2024-06-29 23:00:00', '0404RAND', "
            "'LONG AGO', 'undo'), ('2024-06-30 08:00:00', '0404RAND', 'TWO YEARS', 'undo')"));
        QCOMPARE(startup::prepareDatabase(), startup::Outcome::Ready);
        Clock::setInstance(nullptr);
        QCOMPARE(queryRows(QStringLiteral("SELECT Horse FROM FieldChange")), QStringList{QStringLiteral("STILL FRESH")});
        QCOMPARE(queryRows(QStringLiteral("SELECT Horse FROM BookingLog")), QStringList{QStringLiteral("TWO YEARS")});
        QCOMPARE(status.texts, (QStringList{QStringLiteral("Loading Application Settings"),
                                            QStringLiteral("Compact The Database"),
                                            QStringLiteral("Checking Database for Updates")}));
        // The credentials come after the window: the keychain may take seconds to answer.
        QVERIFY(QueryCredentials::current().password.isEmpty());
        startup::afterWindowShown();
        QCOMPARE(QueryCredentials::current().userName, QStringLiteral("agent"));
        QCOMPARE(QueryCredentials::current().password, QStringLiteral("secret"));
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
        const QString other = env.root() + QStringLiteral("/elsewhere");
        QDir().mkpath(other);
        Db(other + QStringLiteral("/Kelbrin.mdb"), false).exec(QStringLiteral("CREATE TABLE Noms (x)"));
        cAppSettings::instance().DBPath = env.root() + QStringLiteral("/nowhere");
        cAppSettings::instance().SaveSettings();
        ScriptedDialogs dialogs;
        if (choice == QLatin1String("missing"))
            dialogs.chooseFiles({env.root() + QStringLiteral("/gone/Kelbrin.mdb")});
        else if (choice == QLatin1String("other"))
            dialogs.chooseFiles({other + QStringLiteral("/Kelbrin.mdb")});
        else if (choice == QLatin1String("new") && QFile::remove(other + QStringLiteral("/Kelbrin.mdb")))
            dialogs.chooseFiles({other});
        const startup::Outcome outcome = startup::prepareDatabase();
        QCOMPARE(outcome == startup::Outcome::Ready, ready);
        QCOMPARE(dialogs.fileRequests.size(), 1);
        QCOMPARE(dialogs.fileRequests.first().filter, QStringLiteral("Ostrevan Database|Kelbrin.mdb"));
        QCOMPARE(dialogs.fileRequests.first().extraChoice, QStringLiteral("Create a new database here"));
        if (ready) {
            QCOMPARE(QDir::fromNativeSeparators(cAppSettings::instance().DBPath), other);
            QCOMPARE(Db(other + QStringLiteral("/Kelbrin.mdb"))
                         .scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'RaceType'"))
                         .isValid(),
                     choice == QLatin1String("new"));
        }
        else
            QVERIFY(dialogs.messages.isEmpty()); // ends silently
        QVERIFY(!QFile::exists(env.root() + QStringLiteral("/nowhere/Kelbrin.mdb")));
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
        QCOMPARE(dialogs.messages.first().title, QStringLiteral("Critical Error"));
        QCOMPARE(dialogs.messages.first().text,
                 QStringLiteral("Database damaged or being used by another program, please contact Vantrell Support."));
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
        const QString previous = env.root() + QStringLiteral("/previous");
        QDir().mkpath(previous);
        {
            Db old(previous + QStringLiteral("/Kelbrin.mdb"), false);
            old.exec(QStringLiteral("CREATE TABLE Trainer (TrainerName TEXT, TrainerLocation TEXT, Phone TEXT, "
                                    "TrainerMobile TEXT, TrainerComments TEXT, IgnoreTrainer INTEGER, TrainerType TEXT)"));
            old.exec(QStringLiteral("INSERT INTO Trainer (TrainerName, Phone) VALUES ('SHARED', 'old phone'), ('OLD ONLY', '1')"));
        }
        cAppSettings::instance().DBPath.clear();
        cAppSettings::instance().PreviousInstallPath = previous;
        cAppSettings::instance().SaveSettings();
        // The current database in the program folder, with trainers and a rate of its own; "shared"
        // is the old database's SHARED in another case, which is the same trainer.
        const QString delivered = env.programFolder() + QStringLiteral("/Kelbrin.mdb");
        schema::createDatabase(delivered);
        addTrainer(delivered, QStringLiteral("shared"));
        addTrainer(delivered, QStringLiteral("NEW ONLY"));
        {
            Db db(delivered);
            db.exec(QStringLiteral("INSERT INTO BookRate (State, RaceType, DateEffective, BookingRate) "
                                   "VALUES ('VIC', 'M', '2025-07-01', 40)"));
        }

        startup::loadForSplash();
        QVERIFY(cAppSettings::instance().AlreadyUpgraded);
        // The old rows as they were, plus the new installation's trainers and rates the old one lacked.
        QCOMPARE(trainerNames(delivered),
                 (QStringList{QStringLiteral("NEW ONLY"), QStringLiteral("OLD ONLY"), QStringLiteral("SHARED")}));
        {
            Db db(delivered);
            QCOMPARE(db.scalar(QStringLiteral("SELECT Phone FROM Trainer WHERE TrainerName = 'SHARED'")).toString(),
                     QStringLiteral("old phone"));
            QCOMPARE(db.scalar(QStringLiteral("SELECT State || RaceType || BookingRate FROM BookRate")).toString(),
                     QStringLiteral("VICM40"));
        }
        QVERIFY(!QFile::exists(env.programFolder() + QStringLiteral("/oldKelbrin.mdb")));

        // A second start leaves the working database alone even though the old one is still there.
        addTrainer(delivered, QStringLiteral("ADDED SINCE"));
        cAppSettings::instance().reset();
        startup::loadForSplash();
        QVERIFY(trainerNames(delivered).contains(QStringLiteral("ADDED SINCE")));
        QVERIFY(dialogs.messages.isEmpty());
    }

    // A flag that cannot be read may hide a finished migration: the working database stays.
    void unreadableUpgradedFlagSkipsTheMigration()
    {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        const QString previous = env.root() + QStringLiteral("/previous");
        QDir().mkpath(previous);
        schema::createDatabase(previous + QStringLiteral("/Kelbrin.mdb"));
        addTrainer(previous + QStringLiteral("/Kelbrin.mdb"), QStringLiteral("OLD ONLY"));
        const QString working = env.programFolder() + QStringLiteral("/Kelbrin.mdb");
        schema::createDatabase(working);
        addTrainer(working, QStringLiteral("ADDED SINCE"));
        {
            QFile file(env.settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\nUpgraded=Ja\nPreviousInstallPath=" + previous.toUtf8() + "\n");
        }
        cAppSettings::instance().reset();
        startup::loadForSplash();
        QCOMPARE(trainerNames(working), QStringList{QStringLiteral("ADDED SINCE")});
        QVERIFY(!cAppSettings::instance().AlreadyUpgraded);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("Upgraded=\"Ja\"")));
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
        const QString made = env.programFolder() + QStringLiteral("/Kelbrin.mdb");
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
        cAppSettings::instance().DataServer = QStringLiteral("127.0.0.1:1");
        cAppSettings::instance().SaveSettings();
        Db(env.databaseFile()).exec(QStringLiteral("INSERT INTO Jockey (Jockey) VALUES ('J Smith')"));

        auto *splash = new SplashWindow;
        splash->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<SplashWindow> guard(splash);
        splash->show();
        splash->load();
        QCOMPARE(splash->lblVersion->text(), QStringLiteral("Version ") + version::dotted());
        QVERIFY(splash->lblPlatform->text().isEmpty());
        QTRY_VERIFY(guard.isNull()); // the main window opened and the splash closed
        MainWindow *window = MainWindow::instance();
        QVERIFY(window->isVisible());
        // The rides come after the window, here from a form server out of reach: a status line, no box.
        QTRY_COMPARE(window->statusBar()->currentMessage(),
                     QStringLiteral("Rides not refreshed: the form server cannot be reached"));
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
        const QString folder = env.dataFolder() + QStringLiteral("/Backups");
        const auto compacted = [&env] {
            return QSettings(env.settingsFile(), QSettings::IniFormat).value(QStringLiteral("LastCompacted")).toString();
        };
        const auto session = [&](int changes) {
            QCOMPARE(startup::prepareDatabase(), startup::Outcome::Ready);
            QCOMPARE(startup::backupAfterStartUp(env.databaseFile(), folder, clock.now()), QString());
            QThread::msleep(20); // a change after the backup has a later time on any file system
            for (int i = 0; i < changes; ++i)
                Db(env.databaseFile()).exec(QStringLiteral("INSERT INTO Trainer (TrainerName) VALUES (?)"),
                                            {QStringLiteral("T%1").arg(clock.now().toSecsSinceEpoch() + i)});
            startup::finishSession();
        };
        const auto newest = [&folder] {
            const QList<backups::Backup> all = backups::list(folder);
            return QStringLiteral("%1 of %2").arg(all.value(0).time.toString(QStringLiteral("dd HH:mm:ss"))).arg(all.size());
        };
        // The first: compacted; backed up after start and again at exit after a change (one kept a day).
        session(1);
        QCOMPARE(compacted(), QStringLiteral("2026-12-07 08:00:00"));
        QCOMPARE(newest(), QStringLiteral("07 08:00:01 of 1"));
        clock.set(clock.now().addSecs(3600));
        session(0); // an hour on, nothing changed: no backup, no compaction
        QCOMPARE(newest(), QStringLiteral("07 08:00:01 of 1"));
        clock.set(clock.now().addDays(1));
        session(0); // a day on: the backup after start only
        QCOMPARE(newest(), QStringLiteral("08 09:00:00 of 2"));
        QCOMPARE(compacted(), QStringLiteral("2026-12-07 08:00:00"));
        clock.set(clock.now().addDays(7));
        session(0);
        QCOMPARE(compacted(), QStringLiteral("2026-12-15 09:00:00"));
        QCOMPARE(newest(), QStringLiteral("15 09:00:00 of 3"));
        Clock::setInstance(nullptr);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // The backups window: a backup, a booking deleted, a restore declined and then made.
    void backupsWindowRestores()
    {
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        Db(env.databaseFile()).exec(QStringLiteral(
            "INSERT INTO Bookings (MeetingCode, Horse, Jockey, BookingSelection) VALUES ('0712FLEM', 'RED ROVER', "
            "'J Smith', 'Planned')"));
        BackupsDialog window;
        QCOMPARE(window.grdBackups->rowCount(), 0);
        QVERIFY(!window.cmdRestore->isEnabled());
        window.cmdBackupNow->click();
        QCOMPARE(window.grdBackups->rowCount(), 1);
        QCOMPARE(window.grdBackups->item(0, 3)->text(), QStringLiteral("1"));
        Db(env.databaseFile()).exec(QStringLiteral("DELETE FROM Bookings"));
        dialogs.answerNo();
        window.cmdRestore->click();
        QVERIFY(!window.restored());
        QCOMPARE(queryRows(QStringLiteral("SELECT COUNT(*) FROM Bookings")), QStringList{QStringLiteral("0")});
        dialogs.answerYes();
        window.cmdRestore->click();
        QVERIFY(window.restored());
        QCOMPARE(queryRows(QStringLiteral("SELECT Jockey FROM Bookings")), QStringList{QStringLiteral("J Smith")});
        // The file it replaced is kept, listed first, without the booking.
        QCOMPARE(window.grdBackups->rowCount(), 2);
        QCOMPARE(window.grdBackups->item(0, 3)->text(), QStringLiteral("0"));
        QCOMPARE(dialogs.messages.size(), 3);
        QVERIFY(dialogs.messages.at(0).text.startsWith(QLatin1String("Restore the backup of ")));
        QVERIFY(dialogs.messages.at(2).text.contains(QLatin1String("is kept as Kelbrin-")));
    }

    void aboutWithoutSystemInformation()
    {
        if (!AboutDialog::systemInfoTool().isEmpty())
            QSKIP("this machine has a system information tool");
        ScriptedDialogs dialogs;
        AboutDialog about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Ostrevan 2"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version ") + version::dotted());
        about.cmdSysInfo->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().text, QStringLiteral("System Information Is Unavailable At This Time"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
