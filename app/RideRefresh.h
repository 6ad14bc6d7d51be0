#pragma once

#include "BackgroundJob.h"

#include <QString>

// The managed jockeys' rides brought up to date after the main window shows.
namespace riderefresh {

inline constexpr const char *kUpToDate = "Rides: %1 jockeys up to date";
inline constexpr const char *kOneUpToDate = "Rides: 1 jockey up to date";
inline constexpr const char *kUnreachable = "Rides not refreshed: the form server cannot be reached";
inline constexpr const char *kNotRefreshed = "Rides not refreshed: %1";

// The incremental download of every jockey, each named to `progress`; the outcome is one status
// line (the texts above; none without managed jockeys). Shows no message: a failure of the form server ends the refresh
// and is said once in the outcome. Runs on any thread; stops early when BackgroundJob::stopRequested().
QString refreshAll(const BackgroundJob::Progress &progress);

} // namespace riderefresh
