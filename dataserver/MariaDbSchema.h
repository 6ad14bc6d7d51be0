#pragma once

// The six form tables in MariaDB, column for column in the SQLite order (clients read "A.*, R.*" by
// position). Texts compare ignoring case and trailing blanks (utf8mb4_general_ci pads with blanks); dates
// are DATE and DATETIME, printed 'YYYY-MM-DD' and 'YYYY-MM-DD HH:MM:SS'; the SQLite NUMERIC columns are
// DOUBLE, printed as reals, except WBeatMar, which holds "WON" and "DIS" beside lengths and compares
// with numbers as a number.

namespace mariadbschema {

struct Column {
    const char *name;
    const char *type;
};

struct Table {
    const char *name;
    Column columns[20];
    const char *indexes[6]; // "Name (col, …)"
};

inline constexpr const char *kName = "VARCHAR(100)";
inline constexpr const char *kCode = "VARCHAR(40)";
inline constexpr const char *kLong = "VARCHAR(255)";

// The *Form indexes give the statistics window's order (newest first) so that LIMIT 0,90 stops early, and a
// horse's last ten runs in the averages' order with the columns they average: InnoDB reads a row through its
// clustered index after the secondary one, so the hot look-ups are answered from the index alone. The start-up
// refresh joins every ride to its meeting's state, hence MState in MeetmastMeet, and reads a jockey's whole career
// of rides (thousands of rows, a quarter of the time when none is read again through the clustered index).
inline constexpr Table kTables[] = {
    {"WORKRACE",
     {{"WRaceDate", "DATE"},
      {"WRaceNo", "INT"},
      {"WHorse", kName},
      {"WTrack", kCode},
      {"WWgtChar", "DOUBLE"},
      {"WApClaim", "DOUBLE"},
      {"WBeatMar", kCode},
      {"WJockey", kName},
      {"WMoneyWon", "DOUBLE"},
      {"WBarPosn", "INT"},
      {"WFinPosn", "INT"},
      {"WBookPrice", "DOUBLE"},
      {"WWghtRat", "DOUBLE"},
      {"W800400", kCode},
      {"DateUpdated", "DATETIME"},
      {"WTrainer", kName}},
     {"WorkraceHorseForm (WHorse, WRaceDate, WTrack, WRaceNo, WBeatMar, WMoneyWon)",
      "WorkraceJockeyForm (WJockey, WRaceDate DESC, WTrack, WRaceNo, WHorse)",
      "WorkraceJockeyRides (WJockey, DateUpdated, WRaceDate, WTrack, WRaceNo, WHorse, WFinPosn, WMoneyWon, WTrainer)",
      "WorkraceTrainerForm (WTrainer, WRaceDate DESC, WTrack, WRaceNo, WHorse)",
      "WorkraceRace (WRaceDate, WTrack, WRaceNo, WFinPosn)"}},
    {"RACEMAST",
     {{"RDate", "DATE"},     {"RTrack", kCode},   {"RRaceNo", "INT"},    {"RAgeRestr", kCode}, {"RDistance", "INT"},
      {"RSexRestr", kCode},  {"RTrCond", kCode},  {"RClass", kName},     {"RRaceName", kLong}, {"RWgtType", kCode},
      {"RTrackType", kCode}, {"RRail", kName},    {"RLimWgt", "DOUBLE"}, {"RStarters", "INT"}, {"RValue", "DOUBLE"},
      {"RTime", kCode},      {"RWinTime", kCode}, {"R800Time", kCode},   {"R400Time", kCode},  {"RSecTime", kCode}},
     {"RacemastRace (RDate, RTrack, RRaceNo)"}},
    {"HORSMAST",
     {{"HHorse", kName},
      {"HDob", "DATE"},
      {"HSireWin", kName},
      {"HDamWin", kName},
      {"HWinAge", "INT"},
      {"HWinSex", kCode},
      {"HTrainer", kName}},
     {"HorsmastHorse (HHorse)", "HorsmastAgeHorse (HWinAge, HHorse)"}},
    {"MEETMAST",
     {{"MDate", "DATE"}, {"MTrack", kCode}, {"MState", kCode}, {"MClub", kLong}, {"MMetType", kCode}},
     {"MeetmastMeet (MDate, MTrack, MState)"}},
    {"Track",
     {{"TrackCode", kCode}, {"TrackClub", kLong}, {"State", kCode}, {"MeetType", kCode}, {"TrackLocat", kName}},
     {"TrackLocat (TrackLocat)", "TrackCode (TrackCode)"}},
    {"RaceShortCode", {{"RaceTerm", kName}, {"ShtTerm", kName}}, {}},
};

} // namespace mariadbschema
