#include "Startup.h"

#include "StartupMigration.h"
#include "bookings/BookingHistory.h"
#include "bookings/FieldChangeLog.h"
#include "core/Clock.h"
#include "core/PasswordStore.h"
#include "core/Paths.h"
#include "core/StatusSink.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/cRegistry.h"
#include "db/Backups.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace startup {
namespace {

std::function<void()> &rideRefresher()
{
    static std::function<void()> refresher;
    return refresher;
}

// Puts back the work file of an interrupted compaction; when one cannot be trusted, says where it was set aside.
bool recoveredOrSaid(const QString &folder)
{
    QString note;
    const bool present = recoverInterruptedCompaction(folder, &note);
    if (!note.isEmpty())
        UserDialogs::instance().message(u"Database"_s, note, UserDialogs::Icon::Exclamation);
    return present;
}

void defaultDatabaseFolder()
{
    cAppSettings &settings = cAppSettings::instance();
    if (settings.DBPath.isEmpty())
        settings.DBPath = QDir::toNativeSeparators(programFolder());
}

// The very first start makes a new database in the program folder (after an interrupted
// compaction has had its chance to recover); later starts ask where the database is.
void ensureDeliveredDatabase()
{
    const QString folder = programFolder();
    if (recoveredOrSaid(folder))
        return;
    runGuarded([&] { schema::createDatabase(databaseFileIn(folder)); });
}

} // namespace

void setRideRefresher(std::function<void()> refresher)
{
    rideRefresher() = std::move(refresher);
}

void loadForSplash()
{
    cAppSettings &settings = cAppSettings::instance();
    showStatus(u"Loading Application Settings"_s);
    const bool firstStart = !cAppSettings::isStored();
    settings.LoadSettings();
    defaultDatabaseFolder();
    if (firstStart)
        ensureDeliveredDatabase();
    // Only a flag read as false starts the migration: an unreadable one may hide a finished
    // migration, and running it again would put the old database back over the working one.
    if (!settings.AlreadyUpgraded && settings.wasRead(u"Upgraded"_s)) {
        try {
            runStartupMigration();
            settings.AlreadyUpgraded = true;
            settings.SaveSettings();
        } catch (const DbError &error) {
            // Left unflagged so that the next start tries again; the current database is untouched.
            UserDialogs::instance().critical(u"Error"_s, u"The previous installation's database could not be "
                                                         "taken over: "_s +
                                                             error.message());
        }
    }
}

Outcome prepareDatabase()
{
    cAppSettings &settings = cAppSettings::instance();
    showStatus(u"Loading Application Settings"_s);
    settings.LoadSettings();
    defaultDatabaseFolder();

    recoveredOrSaid(settings.DBPath);
    if (!QFileInfo(databaseFileIn(settings.DBPath)).isFile()) {
        UserDialogs::FileRequest request;
        request.title = u"Locate the Ostrevan Database"_s;
        request.filter = u"Ostrevan Database|Kelbrin.mdb"_s;
        request.startFolder = settings.DBPath;
        request.extraChoice = QLatin1String(kCreateDatabaseChoice);
        const QStringList chosen = UserDialogs::instance().openFiles(request);
        const QFileInfo choice(chosen.value(0));
        if (chosen.value(0).isEmpty() || !choice.exists())
            return Outcome::NoDatabase;
        if (choice.isDir()) {
            // An agent starting afresh: a new database in that folder (or the one already there).
            if (!recoveredOrSaid(choice.absoluteFilePath())) {
                if (!runGuarded([&] { schema::createDatabase(databaseFileIn(choice.absoluteFilePath())); }))
                    return Outcome::NoDatabase;
            }
            settings.DBPath = QDir::toNativeSeparators(choice.absoluteFilePath());
        } else {
            settings.DBPath = QDir::toNativeSeparators(choice.absolutePath());
        }
    }

    try {
        // Reviewed or not, changes are kept 90 days and booking history two years; the compaction
        // then gives their room back.
        fieldchangelog::removeBefore(Clock::instance().today().addDays(-fieldchangelog::kKeptDays));
        bookinghistory::removeBefore(Clock::instance().today().addYears(-bookinghistory::kKeptYears));
    } catch (const DbError &) {
        // A file older than the tables has nothing to remove; the upgrade adds them.
    }
    if (!compactWhenItPays()) {
        UserDialogs::instance().message(u"Critical Error"_s, QLatin1String(kCompactFailedText),
                                        UserDialogs::Icon::Critical);
        return Outcome::CompactFailed;
    }

    showStatus(u"Checking Database for Updates"_s);
    try {
        UpgradeSchema();
    } catch (const DbError &error) {
        // AppVersion stays where it was, so the upgrade is tried again at the next start.
        UserDialogs::instance().critical(u"Error"_s,
                                         u"The database could not be brought up to date: "_s + error.message());
    }
    return Outcome::Ready;
}

void afterWindowShown()
{
    passwordstore::loadQueryCredentials();
}

bool compactWhenItPays()
{
    // Kept beside the settings, in the same store: the agent never edits it.
    cRegistry stored;
    stored.setSectionKey(cAppSettings::kSectionKey);
    stored.setValueKey(QLatin1String(kLastCompactedSetting));
    stored.setValueType(cRegistry::REG_SZ);
    const QString format = u"yyyy-MM-dd HH:mm:ss"_s;
    const QDateTime now = Clock::instance().now();
    try {
        if (!compactionPays(databaseFilePath(), QDateTime::fromString(stored.value().toString(), format), now))
            return true;
    } catch (const DbError &) {
        // A file that cannot even be measured is for the compaction's own checks to report.
    }
    showStatus(u"Compact The Database"_s);
    if (!CompactDb())
        return false;
    try {
        stored.setValue(now.toString(format));
        stored.flush();
    } catch (const RegistryError &) {
        // Unrecorded, the next start compacts again: harmless.
    }
    return true;
}

void finishSession()
{
    const QString database = databaseFilePath();
    if (!QFileInfo(database).isFile())
        return;
    compactWhenItPays();
    const QString folder = backups::folder();
    try {
        if (backups::dueAtExit(database, folder)) {
            backups::make(database, folder, Clock::instance().now());
            backups::prune(folder);
        }
    } catch (const DbError &) {
        // Nobody is left to tell at exit: the backup after the next start-up tries again.
    }
}

QString backupAfterStartUp(const QString &database, const QString &folder, const QDateTime &now)
{
    try {
        if (!backups::dueAtStart(folder, now))
            return {};
        backups::make(database, folder, now);
        backups::prune(folder);
    } catch (const DbError &error) {
        return QString::fromLatin1(kBackupFailed).arg(error.message());
    }
    return {};
}

std::function<void()> rideRefresherOverride()
{
    return rideRefresher();
}

} // namespace startup
