#pragma once

#include <functional>

// The ordered start-up shared by the desktop program (around its windows) and the tests.
namespace startup {

// Splash steps: settings, the default database folder, a new database in the program folder on
// the very first start (no settings stored yet), and the one-time migration of a previous installation.
void loadForSplash();

enum class Outcome {
    Ready,
    NoDatabase,     // the agent cancelled the database dialog or chose a missing file
    CompactFailed,  // the critical message was shown
};

// The main window's data steps, in order: settings, locating and compacting the database,
// the query credentials, the schema upgrade and the ride statistics. Status texts go through
// the status sink, questions through the dialogs seam.
Outcome prepareDatabase();

// The ride-statistics refresh run under "Loading Jockey and Race Data".
void setRideRefresher(std::function<void()> refresher);

// The database dialog's way out for an agent starting afresh.
inline constexpr const char *kCreateDatabaseChoice = "Create a new database here";

inline constexpr const char *kCompactFailedText =
    "Database damaged or being used by another program, please contact Vantrell Support.";

} // namespace startup
