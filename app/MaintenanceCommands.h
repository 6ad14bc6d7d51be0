#pragma once

#include "db/Backups.h"
#include "formdata/RideStatistics.h"

#include <QString>
#include <QStringList>

#include <optional>

class BookingGrid;

// The main window's own commands: database backup, compaction, purge, deletion of meetings,
// the debug file, the race window reset, remaining booking states and the icon jockey.
// Messages and file dialogs go through UserDialogs; database failures throw DbError.
namespace maintenance {

enum class BackupOutcome { Cancelled, Refused, Done, Failed };

// "&Backup Database": asks where to, remembers that folder in BackupPath, refuses the working
// file itself, and copies through a temporary file in the target folder, so a failed copy
// leaves neither a partial backup nor a changed working file.
BackupOutcome backupDatabase();

// The backups window's "Restore": asks first (default No), then puts the backup in the database's
// place through backups::restore and says what happened. True when it was restored.
bool restoreBackup(const backups::Backup &backup);
// The backups window's "Back Up Now": a checked copy in the backup folder; a failure is said.
bool backupNow();
inline constexpr const char *kRestoreTitle = "Restore Backup";

// "&Compact and Repair Database": false (after the critical message) when compaction failed.
bool compactAndRepair();

// "&Remove Unwanted Data": after the agent's Yes, deletes the hidden meetings and every race
// and nomination left without a meeting, in one transaction. Bookings and ride statistics stay.
// False when the agent answered No.
bool removeUnwantedData();

// "&Delete Meeting": removes the meetings' nominations and hides the meetings (their races
// stay until the purge), in one transaction.
void deleteMeetings(const QStringList &meetingCodes);
// The question asked first: the meetings by code, place and day, with how many nominations go
// and how many bookings leave the lists (they are kept, and show again when the meeting is
// loaded again). Empty when none of the codes names a stored meeting.
QString deleteMeetingsQuestion(const QStringList &meetingCodes);
inline constexpr const char *kDeleteMeetingTitle = "Delete Meeting";

// "&Debug Mode": turns debug mode off, or asks for the debug file and turns it on (a cancelled
// dialog leaves it off). Returns whether debug mode is on afterwards.
bool toggleDebugMode();

// "&Reset Race Window": the race window opens at its default place next time.
void resetRaceWindow();

// The booking-state cell of the nominations list.
inline constexpr int kNomsStateColumn = 13;

// The state that "Set Remaining Status to " offers for a right click on (column, cell text) of
// the nominations list: only a state cell holding a template text, not "Planned" or "Confirmed".
std::optional<QString> remainingStatusFor(int column, const QString &cellText);
QString remainingStatusCaption(const QString &state);

// Sets `state` on every row 1..rowCount of the nominations list whose state cell is empty.
// Returns how many rows were set.
int setRemainingStates(BookingGrid &grid, int rowCount, const QString &state);

// "Trainer Jockey Strike Rate": false after the "Select a Jockey" message when none is selected.
bool jockeySelectedForStrikeRate(const QString &selected);

// "Reload Jockey Form Data": downloads all of the jockey's rides again. Nothing without a jockey.
std::optional<RideDownloadResult> reloadJockeyFormData(const QString &jockey);

// Texts shared with the window and the tests.
inline constexpr const char *kSelectJockeyTitle = "Select a Jockey";
inline constexpr const char *kSelectJockeyForStrikeRate = "Jockey Must be Seleted for Jockey/Trainer Strike Rate.";

} // namespace maintenance
