#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// The ordered start-up shared by the desktop program (around its windows) and the tests.
namespace startup {

// Splash steps: settings, the default database folder, a new database in the program folder on
// the very first start (no settings stored yet), and the one-time migration of a previous installation.
void loadForSplash();

enum class Outcome {
    Ready,
    NoDatabase,    // the agent cancelled the database dialog or chose a missing file
    CompactFailed, // the critical message was shown
};

// The main window's data steps, in order: settings, locating the database and compacting it when
// that pays, and the schema upgrade. The ride statistics are refreshed after the window shows
// (RideRefresh). Status texts go through the status sink, questions through the dialogs seam.
Outcome prepareDatabase();

// The steps after the main window is drawn, before its background work: the query credentials,
// which the rides need and the window does not (the keychain may take seconds to answer).
void afterWindowShown();

// Compacts the database when its free pages are a real share of it or the last compaction is a
// week old, and remembers when (LastCompacted). False when the compaction failed (nothing shown).
bool compactWhenItPays();

// The steps at the end of a session, once the windows are gone: compaction when it pays and the
// backup of a day with changes. Says nothing; a failure is tried again next time.
void finishSession();

// The automatic backup after start-up (run on a worker thread, paths read beforehand): a copy when
// the newest backup in `folder` is a day old, then the old ones thinned. The outcome is empty, or
// the status line of a failure ("Backup failed: …").
QString backupAfterStartUp(const QString &database, const QString &folder, const QDateTime &now);
inline constexpr const char *kBackupFailed = "Backup failed: %1";

// Replaces the ride-statistics refresh after start-up (tests and pictures that need no data server).
void setRideRefresher(std::function<void()> refresher);
std::function<void()> rideRefresherOverride();

// The database dialog's way out for an agent starting afresh.
inline constexpr const char *kCreateDatabaseChoice = "Create a new database here";

inline constexpr const char *kCompactFailedText =
    "Database damaged or being used by another program, please contact Vantrell Support.";

} // namespace startup
