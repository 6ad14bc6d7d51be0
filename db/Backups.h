#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// Copies of the database taken while it is in use (SQLite's online backup), each checked before
// it counts, named by date and time in the backup folder and thinned by age.
namespace backups {

struct Backup {
    QString file; // full path
    QDateTime time;
    qint64 size = 0;
    int meetings = -1; // -1: the copy cannot be read
    int bookings = -1;
};

// `BackupPath`, or a "Backups" folder beside the database when it is empty.
QString folder();
// "Kelbrin-20261207-174502.mdb"; invalid when the name is not a backup's.
QString fileNameFor(const QDateTime &time);
QDateTime timeOfName(const QString &fileName);

// Copies `database` into `toFolder` (made when missing) under the name of `now`, checks the copy
// (integrity and the schema's tables) and only then gives it its name. Returns its path. Throws
// DbError when any step fails; nothing half-written is left under a backup's name.
QString make(const QString &database, const QString &toFolder, const QDateTime &now);

// The backups in a folder, newest first, each with its meetings and bookings.
QList<Backup> list(const QString &inFolder);

// Of these backup times, those to keep: the newest of each of the 7 latest days that have one,
// of the 4 latest weeks and of the 12 latest months.
QList<QDateTime> kept(const QList<QDateTime> &times);
// Removes the backups of the folder that kept() lets go.
void prune(const QString &inFolder);

// After start-up: when the newest backup is older than a day (or there is none).
bool dueAtStart(const QString &inFolder, const QDateTime &now);
// At exit: when the database changed after the newest backup was taken.
bool dueAtExit(const QString &database, const QString &inFolder);

// Puts a backup in the database's place: refuses (DbError, nothing changed) a copy that is damaged
// or not this system's database; keeps the current file as a backup in `keepIn`; then replaces
// it in one step. Returns the path of the kept file (empty when there was no current file).
QString restore(const QString &backupFile, const QString &database, const QString &keepIn, const QDateTime &now);

} // namespace backups
