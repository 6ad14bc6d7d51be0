// ostrevan-cli: backups of the agent's database, their list, and a restore.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "core/Clock.h"
#include "db/Backups.h"
#include "db/Database.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

int backupCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (!arguments.isEmpty() && (arguments.size() != 2 || arguments.first() != "--to"_L1)) {
        cli::err(u"usage: backup [--to DIR]"_s);
        return 2;
    }
    cli::loadSettings();
    const QString folder = arguments.isEmpty() ? backups::folder() : arguments.at(1);
    try {
        const QString made = backups::make(databaseFilePath(), folder, Clock::instance().now());
        // Only the backup folder is thinned: a folder named for one copy keeps what it holds.
        if (arguments.isEmpty())
            backups::prune(folder);
        cli::out(QDir::toNativeSeparators(made));
    } catch (const DbError &error) {
        dialogs.critical(u"Backup error"_s, error.message());
        return 1;
    }
    return 0;
}

int backupsCommand(const QStringList &arguments, CliDialogs &)
{
    if (!arguments.isEmpty()) {
        cli::err(u"usage: backups"_s);
        return 2;
    }
    cli::loadSettings();
    for (const backups::Backup &backup : backups::list(backups::folder())) {
        const auto count = [](int n) { return n < 0 ? u"?"_s : QString::number(n); };
        cli::out(QStringList{QDir::toNativeSeparators(backup.file), backup.time.toString(u"yyyy-MM-dd HH:mm:ss"_s),
                             QString::number(backup.size), count(backup.meetings), count(backup.bookings)}
                     .join(u'\t'));
    }
    return 0;
}

int restoreCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 1) {
        cli::err(u"usage: restore FILE"_s);
        return 2;
    }
    cli::loadSettings();
    const QString folder = backups::folder();
    // A bare name is one of the backup folder's.
    QString file = arguments.first();
    if (!QFileInfo::exists(file) && QFileInfo::exists(QDir(folder).filePath(file)))
        file = QDir(folder).filePath(file);
    if (!QFileInfo(file).isFile()) {
        dialogs.critical(u"Restore"_s, u"There is no file %1."_s.arg(arguments.first()));
        return 1;
    }
    try {
        const QString kept = backups::restore(file, databaseFilePath(), folder, Clock::instance().now());
        cli::out(u"Restored %1"_s.arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
        if (!kept.isEmpty())
            cli::out(u"The replaced database is kept as %1"_s.arg(QDir::toNativeSeparators(kept)));
    } catch (const DbError &error) {
        dialogs.critical(u"Restore"_s, error.message());
        return 1;
    }
    return 0;
}

const cli::Registration backup("backup",
                               "backup [--to DIR]         copy the database, checked, into BackupPath (or DIR); print "
                               "the copy's path",
                               backupCommand);
const cli::Registration list("backups",
                             "backups                   the backups, one tab-separated line each: file, time, size, "
                             "meetings, bookings",
                             backupsCommand);
const cli::Registration restore("restore",
                                "restore FILE              put a checked backup in the database's place, keeping the "
                                "replaced file as a backup",
                                restoreCommand);

} // namespace
