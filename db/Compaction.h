#pragma once

#include <QDateTime>
#include <QString>

// When compaction pays, and the recovery of one that was interrupted.

// Whether compacting the file pays: a tenth or more of its pages are free, or the last compaction
// (invalid: unknown) is a week or more before `now`. Throws DbError when the file cannot be read.
bool compactionPays(const QString &filePath, const QDateTime &lastCompacted, const QDateTime &now);

// As recoverInterruptedCompaction(folder), but a work file that is not known complete (written to
// the end, no journal beside it, the schema's tables in it) is moved aside, never installed nor
// deleted, and *note says so.
bool recoverInterruptedCompaction(const QString &folder, QString *note);

// Why the file cannot be taken for a complete database of this system, or empty: judged before
// SQLite opens it, then by its integrity and the schema's tables. Backups and restores use it too.
QString incompleteDatabaseFault(const QString &filePath);

// The setting that remembers the last compaction ('yyyy-MM-dd HH:mm:ss').
inline constexpr const char *kLastCompactedSetting = "LastCompacted";
