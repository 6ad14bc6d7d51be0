// ostrevan-cli: init, upgrade and compact of the agent's database.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "app/Startup.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

int initCommand(const QStringList &, CliDialogs &dialogs)
{
    cli::loadSettings();
    const cAppSettings &settings = cAppSettings::instance();
    const QFileInfo folder(settings.DBPath);
    if (!folder.isDir()) {
        dialogs.critical(u"Error"_s, u"The database folder %1 does not exist."_s.arg(settings.DBPath));
        return 1;
    }
    const QString path = databaseFilePath();
    if (!QFileInfo::exists(path)) {
        if (!runGuarded([&] { schema::createDatabase(path); }, dialogs))
            return 1;
    }
    cli::out(QDir::toNativeSeparators(path));
    return 0;
}

int upgradeCommand(const QStringList &, CliDialogs &dialogs)
{
    cli::loadSettings();
    cAppSettings &settings = cAppSettings::instance();
    const float before = settings.AppVersion;
    if (!runGuarded([&] { UpgradeSchema(); }, dialogs))
        return 1;
    cli::out(
        u"AppVersion %1 -> %2"_s.arg(QString::number(before, 'g', 6), QString::number(settings.AppVersion, 'g', 6)));
    return 0;
}

int compactCommand(const QStringList &, CliDialogs &dialogs)
{
    cli::loadSettings();
    QString note;
    // A work file that could not be installed is said on its own: it is not damage to the database.
    if (!recoverInterruptedCompaction(cAppSettings::instance().DBPath, &note) && !note.isEmpty()) {
        dialogs.message(u"Database"_s, note, UserDialogs::Icon::Exclamation);
        return 1;
    }
    if (!CompactDb()) {
        dialogs.message(u"Critical Error"_s, QLatin1String(startup::kCompactFailedText), UserDialogs::Icon::Critical);
        return 1;
    }
    cli::out(u"Compacted %1"_s.arg(QDir::toNativeSeparators(databaseFilePath())));
    return 0;
}

const cli::Registration
    init("init", "init                      create the database in DBPath when it is missing; print its path",
         initCommand);
const cli::Registration
    upgrade("upgrade", "upgrade                   bring the database up to date; print the old and new AppVersion",
            upgradeCommand);
const cli::Registration compact("compact", "compact                   compact the database (exit 1 when it fails)",
                                compactCommand);

} // namespace
