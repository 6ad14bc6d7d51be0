#include "Backups.h"

#include "Compaction.h"
#include "Database.h"
#include "core/cAppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace backups {
namespace {

const QString kPrefix = u"Kelbrin-"_s;
const QString kStampFormat = u"yyyyMMdd-HHmmss"_s;
const QString kPartSuffix = u".part"_s;

QString sqliteError(sqlite3 *db)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
}

// SQLite's online backup: a consistent copy even while another connection writes.
void onlineCopy(const QString &from, const QString &to)
{
    sqlite3 *source = nullptr;
    sqlite3 *target = nullptr;
    struct Close {
        sqlite3 *&a;
        sqlite3 *&b;
        ~Close()
        {
            sqlite3_close(a);
            sqlite3_close(b);
        }
    } close{source, target};
    if (sqlite3_open_v2(from.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw DbError(u"cannot open %1: %2"_s.arg(QDir::toNativeSeparators(from), sqliteError(source)));
    sqlite3_busy_timeout(source, 5000);
    if (sqlite3_open_v2(to.toUtf8().constData(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        throw DbError(u"cannot write %1: %2"_s.arg(QDir::toNativeSeparators(to), sqliteError(target)));
    sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        throw DbError(sqliteError(target));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        throw DbError(u"the copy stopped: %1"_s.arg(sqliteError(target)));
}

bool moveInPlace(const QString &from, const QString &to, QString *why)
{
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            code);
    if (code)
        *why = QString::fromStdString(code.message());
    return !code;
}

int countOf(Db &db, const char *table)
{
    return db.scalar(u"SELECT COUNT(*) FROM "_s + QLatin1String(table)).toInt();
}

} // namespace

QString folder()
{
    const cAppSettings &settings = cAppSettings::instance();
    if (!settings.BackupPath.trimmed().isEmpty())
        return QDir::cleanPath(QDir::fromNativeSeparators(settings.BackupPath.trimmed()));
    return QFileInfo(databaseFilePath()).absolutePath() + u"/Backups"_s;
}

QString fileNameFor(const QDateTime &time)
{
    return kPrefix + time.toString(kStampFormat) + u".mdb"_s;
}

QDateTime timeOfName(const QString &fileName)
{
    if (!fileName.startsWith(kPrefix) || !fileName.endsWith(".mdb"_L1))
        return {};
    return QDateTime::fromString(fileName.mid(kPrefix.size(), kStampFormat.size()), kStampFormat);
}

QString make(const QString &database, const QString &toFolder, const QDateTime &now)
{
    if (!QFileInfo(database).isFile())
        throw DbError(u"Database file not found: %1"_s.arg(QDir::toNativeSeparators(database)));
    if (!QDir().mkpath(toFolder))
        throw DbError(u"cannot make the folder %1"_s.arg(QDir::toNativeSeparators(toFolder)));
    QDir dir(toFolder);
    QDateTime stamp = now;
    // Two copies in one second (a restore keeps the current file right after a backup) keep both.
    while (dir.exists(fileNameFor(stamp)))
        stamp = stamp.addSecs(1);
    // What an interrupted backup left never counts as one; the next backup clears it away.
    for (const QString &left : dir.entryList({kPrefix + u"*.mdb"_s + kPartSuffix + u'*'}))
        dir.remove(left);
    const QString target = dir.filePath(fileNameFor(stamp));
    const QString part = target + kPartSuffix;
    try {
        onlineCopy(database, part);
        if (const QString fault = incompleteDatabaseFault(part); !fault.isEmpty())
            throw DbError(u"the copy failed its check: %1"_s.arg(fault));
        QString why;
        if (!moveInPlace(part, target, &why))
            throw DbError(why);
    } catch (const DbError &) {
        QFile::remove(part);
        QFile::remove(part + u"-journal"_s);
        throw;
    }
    return target;
}

QList<Backup> list(const QString &inFolder)
{
    QList<Backup> found;
    const QDir dir(inFolder);
    for (const QFileInfo &info : dir.entryInfoList({kPrefix + u"*.mdb"_s}, QDir::Files)) {
        Backup backup{info.absoluteFilePath(), timeOfName(info.fileName()), info.size()};
        if (!backup.time.isValid())
            continue;
        try {
            Db db(backup.file);
            backup.meetings = countOf(db, "Meeting");
            backup.bookings = countOf(db, "Bookings");
        } catch (const DbError &) {
            // Listed all the same: the agent sees it and its size, and a restore says why it cannot be used.
        }
        found << backup;
    }
    std::sort(found.begin(), found.end(), [](const Backup &a, const Backup &b) { return a.time > b.time; });
    return found;
}

QList<QDateTime> kept(const QList<QDateTime> &times)
{
    QList<QDateTime> newestFirst = times;
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    QSet<QDateTime> keep;
    const auto keepNewestPer = [&](int periods, const std::function<qint64(const QDate &)> &period) {
        QSet<qint64> seen;
        for (const QDateTime &time : std::as_const(newestFirst)) {
            const qint64 key = period(time.date());
            if (seen.contains(key))
                continue;
            if (seen.size() == periods)
                break;
            seen.insert(key);
            keep.insert(time);
        }
    };
    keepNewestPer(7, [](const QDate &d) { return d.toJulianDay(); });
    // Weeks from Monday: the Julian day of that week's Monday.
    keepNewestPer(4, [](const QDate &d) { return d.toJulianDay() - (d.dayOfWeek() - 1); });
    keepNewestPer(12, [](const QDate &d) { return qint64(d.year()) * 12 + d.month(); });
    QList<QDateTime> result;
    for (const QDateTime &time : std::as_const(newestFirst))
        if (keep.contains(time))
            result << time;
    return result;
}

void prune(const QString &inFolder)
{
    const QList<Backup> all = list(inFolder);
    QList<QDateTime> times;
    for (const Backup &backup : all)
        times << backup.time;
    const QList<QDateTime> keep = kept(times);
    for (const Backup &backup : all)
        if (!keep.contains(backup.time))
            QFile::remove(backup.file);
}

bool dueAtStart(const QString &inFolder, const QDateTime &now)
{
    const QList<Backup> all = list(inFolder);
    return all.isEmpty() || all.first().time.secsTo(now) >= 24 * 3600;
}

bool dueAtExit(const QString &database, const QString &inFolder)
{
    const QList<Backup> all = list(inFolder);
    const QFileInfo info(database);
    // Both times from the file system: a backup's name carries the program's clock.
    return info.isFile() && (all.isEmpty() || info.lastModified() > QFileInfo(all.first().file).lastModified());
}

QString restore(const QString &backupFile, const QString &database, const QString &keepIn, const QDateTime &now)
{
    if (const QString fault = incompleteDatabaseFault(backupFile); !fault.isEmpty())
        throw DbError(
            u"%1 cannot be restored: %2. Nothing was changed."_s.arg(QDir::toNativeSeparators(backupFile), fault));
    QString keptAs;
    if (QFileInfo::exists(database))
        keptAs = make(database, keepIn, now);
    // The copy is made beside the database, so that putting it in place is one rename on one disk.
    const QString incoming = database + u".restoring"_s;
    QFile::remove(incoming);
    if (!QFile::copy(backupFile, incoming))
        throw DbError(
            u"cannot copy %1 beside the database. Nothing was changed."_s.arg(QDir::toNativeSeparators(backupFile)));
    // A journal left beside the old file would be played back into the restored one.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(database + QLatin1String(suffix));
    QString why;
    if (!moveInPlace(incoming, database, &why)) {
        QFile::remove(incoming);
        throw DbError(u"the backup could not be put in place: %1. Nothing was changed."_s.arg(why));
    }
    return keptAs;
}

} // namespace backups
