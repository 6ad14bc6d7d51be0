#pragma once

#include "ListRows.h"
#include "MainLists.h"

#include <QHash>
#include <QList>
#include <QString>

// The race window's contents built without widgets: the meeting and race headers, the race
// list and the runners grid's lines with their colours, icons and sort values.
namespace racewindow {

// Runners grid columns, numbered from 1.
namespace col {
inline constexpr int Nbr = 1, Race = 2, Form = 3, Horse = 4, Hicon1 = 5, Hicon2 = 6, Trainer = 7, Ticon1 = 8,
                     Ticon2 = 9, Wgt = 10, Rtg = 11, Details = 12, Class = 13, Jockey = 14, RaceDetails = 15,
                     Booking = 16, TrainerLoc = 17, BarrBallot = 18, BarrBallotSort = 19, LastJockey = 20,
                     LastRideDays = 21, LastWeight = 22, LastClass = 23, LastValue = 24, Margin = 25, Rating = 26,
                     AvgWin = 27, Last800 = 28, Sec = 29, FormTrainer = 30, BookText = 31, LastStartWeight = 32;
inline constexpr int Count = 32;
} // namespace col

// Where the runners grid keeps a booking: a confirmed ride leaves the race label, the trainer's
// location and the hidden barrier sort value alone, and a last rider keeps his own colour.
BookingColumns runnerBookingColumns();

// Races 1 to 30 have a place in the window's race tables; 99 is never listed.
inline constexpr int kMaxRaceNumber = 30;
inline constexpr int kUnlistedRace = 99;
// Sort value of a ballot or barrier of 0: after every numbered runner.
inline constexpr int kNoNumberSortValue = 999;

// The 32 columns; column 18 depends on the meeting level ("ACP" barrier, "WGT" ballot, others a
// hidden "N/A" column).
QList<ListColumn> runnerColumns(const QString &meetingLevel);
// Cell alignment of a column: 'R' right, 'C' centred, 'L' left.
char cellAlignment(int column);
// The column whose values a header click on `column` sorts by (20 sorts by 22).
int sortColumnFor(int column);

struct MeetingHeader {
    bool found = false;
    QString code;
    QString location; // also the window caption
    QString details;  // location, details and barrier text
    QString level;
    QString meetType;
    QString state;
};
MeetingHeader loadMeetingHeader(const QString &meetingCode);

struct RaceHeader {
    bool found = false;
    QString raceText; // RaceCode from its 5th character
    QString raceType;
    QList<mainlists::TextRun> runs;
};
RaceHeader loadRaceHeader(const QString &meetingCode, int raceNumber);

struct RaceEntry {
    int number = 0;
    QString code;
};
// The meeting's races in order, race 99 left out.
QList<RaceEntry> loadRaceList(const QString &meetingCode);

// One runner line with the values the grid sorts and groups by.
struct RunnerLine {
    ListRow row{col::Count};
    int raceNumber = 0;
    int classRank = 0;
};

// Cell 18 and its sort value (cell 19) for a ballot or barrier as stored: empty stays empty,
// 0 shows only E/B and sorts as 999, otherwise the value + E/B and the number without "=".
struct NumberCells {
    QString shown;
    QString sortValue;
};
NumberCells numberCells(const QVariant &stored, const QString &eorB);

// A class's standing for sorting the last-race class: maidens lowest, group races highest.
int classRank(const QString &raceClass);

// The runners of one race (raceNumber > 0) or the whole meeting (0), in race, entry and horse
// order, with the managed jockeys' best placings from `jockeyInList` ("( 'A', 'B')" or empty).
QList<RunnerLine> loadRunners(const QString &meetingCode, int raceNumber, const QString &meetingLevel,
                              const QString &jockeyInList);

// The meeting view's group label: the race number as two characters, a blank and its race code.
QString groupLabel(int raceNumber, const QString &raceCode);

} // namespace racewindow
