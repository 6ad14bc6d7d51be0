#include "Startup.h"

#include "bookings/FieldChangeLog.h"
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/PasswordStore.h"
#include "core/QueryCredentials.h"
#include "StartupMigration.h"
#include "core/StatusSink.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"
#include "formdata/RideStatistics.h"

#include <QDir>
#include <QFileInfo>

namespace startup {
namespace {

std::function<void()> &rideRefresher()
{
    static std::function<void()> refresher;
    return refresher;
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
    if (recoverInterruptedCompaction(folder))
        return;
    try {
        schema::createDatabase(databaseFileIn(folder));
    } catch (const DbError &error) {
        UserDialogs::instance().critical(QStringLiteral("Error"), error.message());
    }
}

} // namespace

void setRideRefresher(std::function<void()> refresher)
{
    rideRefresher() = std::move(refresher);
}

void loadForSplash()
{
    cAppSettings &settings = cAppSettings::instance();
    showStatus(QStringLiteral("Loading Application Settings"));
    const bool firstStart = !cAppSettings::isStored();
    settings.LoadSettings();
    defaultDatabaseFolder();
    if (firstStart)
        ensureDeliveredDatabase();
    // Only a flag read as false starts the migration: an unreadable one may hide a finished
    // migration, and running it again would put the old database back over the working one.
    if (!settings.AlreadyUpgraded && settings.wasRead(QStringLiteral("Upgraded"))) {
        try {
            runStartupMigration();
            settings.AlreadyUpgraded = true;
            settings.SaveSettings();
        } catch (const DbError &error) {
            // Left unflagged so that the next start tries again; the current database is untouched.
            UserDialogs::instance().critical(QStringLiteral("Error"),
                                             QStringLiteral("The previous installation's database could not be "
                                                            "taken over: ")
                                                 + error.message());
        }
    }
}

Outcome prepareDatabase()
{
    cAppSettings &settings = cAppSettings::instance();
    showStatus(QStringLiteral("Loading Application Settings"));
    settings.LoadSettings();
    defaultDatabaseFolder();

    recoverInterruptedCompaction(settings.DBPath);
    if (!QFileInfo(databaseFileIn(settings.DBPath)).isFile()) {
        UserDialogs::FileRequest request;
        request.title = QStringLiteral("Locate the Ostrevan Database");
        request.filter = QStringLiteral("Ostrevan Database|Kelbrin.mdb");
        request.startFolder = settings.DBPath;
        request.extraChoice = QLatin1String(kCreateDatabaseChoice);
        const QStringList chosen = UserDialogs::instance().openFiles(request);
        const QFileInfo choice(chosen.value(0));
        if (chosen.value(0).isEmpty() || !choice.exists())
            return Outcome::NoDatabase;
        if (choice.isDir()) {
            // An agent starting afresh: a new database in that folder (or the one already there).
            if (!recoverInterruptedCompaction(choice.absoluteFilePath())) {
                try {
                    schema::createDatabase(databaseFileIn(choice.absoluteFilePath()));
                } catch (const DbError &error) {
                    UserDialogs::instance().critical(QStringLiteral("Error"), error.message());
                    return Outcome::NoDatabase;
                }
            }
            settings.DBPath = QDir::toNativeSeparators(choice.absoluteFilePath());
        } else {
            settings.DBPath = QDir::toNativeSeparators(choice.absolutePath());
        }
    }

    showStatus(QStringLiteral("Compact The Database"));
    try {
        // Reviewed or not, changes are kept 90 days; the compaction then gives their room back.
        fieldchangelog::removeBefore(Clock::instance().today().addDays(-fieldchangelog::kKeptDays));
    } catch (const DbError &) {
        // A file older than the table has no changes to remove; the upgrade adds it.
    }
    if (!CompactDb()) {
        UserDialogs::instance().message(QStringLiteral("Critical Error"), QLatin1String(kCompactFailedText),
                                        UserDialogs::Icon::Critical);
        return Outcome::CompactFailed;
    }

    QueryCredentials::current() = {settings.UserName, settings.UserPass};
    passwordstore::adoptKeychainPassword();

    showStatus(QStringLiteral("Checking Database for Updates"));
    try {
        UpgradeSchema();
    } catch (const DbError &error) {
        // AppVersion stays where it was, so the upgrade is tried again at the next start.
        UserDialogs::instance().critical(QStringLiteral("Error"),
                                         QStringLiteral("The database could not be brought up to date: ")
                                             + error.message());
    }

    showStatus(QStringLiteral("Loading Jockey and Race Data"));
    if (rideRefresher())
        rideRefresher()();
    else
        RefreshAllJockeyRides();
    return Outcome::Ready;
}

} // namespace startup
