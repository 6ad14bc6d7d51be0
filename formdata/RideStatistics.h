#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Db;

// The managed jockeys' past rides, copied from the data server into RaceStats.

struct RideDownloadResult {
    bool answered = false; // false: the query failed (message shown), nothing was changed or stamped
    int received = 0;      // rides the server sent
    int added = 0;
    int updated = 0;
    QStringList skipped; // rides refused for values that cannot be stored: "DATE RACE TRACK HORSE: why"
};

// Floor of the incremental download: used when a jockey has never been downloaded.
inline const QDateTime kRideStatsFloor{QDate(1990, 1, 1), QTime(0, 0)};

// Downloads one jockey's rides: all of them (replacing the jockey's rows) or those the server
// changed since `since` (added or updated in place). Stamps DateLastStats with the clock's now in
// the same transaction, unless a ride was refused (then the next download asks for it again).
// An empty name does nothing. Throws DbError when the local database fails.
RideDownloadResult DownloadJockeyRides(const QString &jockey, bool fullReload, const QDateTime &since);

// Every jockey of the Jockey table (by name) with the since-date of its next incremental
// download: DateLastStats when later than the floor, else the floor. A jockey without a mark
// (never downloaded whole, or renamed since) is due a full download.
struct JockeyDownloadDate {
    QString jockey;
    QDateTime since;
    bool full = false;
};
QList<JockeyDownloadDate> jockeyDownloadDates();

// Incremental download for every jockey of the Jockey table, each reported to the status sink;
// one batch of data-server requests (a failure is shown once and not asked again).
void RefreshAllJockeyRides();

// The remote query of a download (exposed for tests and the benchmark).
QString jockeyRidesSql(const QString &jockey, bool fullReload, const QDateTime &since);
