#pragma once

// Tables of the form-data server. Column order is part of the protocol: clients read
// "SELECT A.*, R.*" and "SELECT * From HORSMAST" answers by position.
// Text columns compare case-insensitively (NOCASE); numeric-looking columns use NUMERIC
// affinity so that "2.5" compares as a number while "WON"/"DIS" stay text.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace formschema {

inline constexpr const char *kFormTables[] = {"WORKRACE", "RACEMAST", "HORSMAST", "MEETMAST", "Track", "RaceShortCode"};

inline constexpr const char *kCreateSql = R"SQL(
CREATE TABLE IF NOT EXISTS WORKRACE (
    WRaceDate   TEXT COLLATE NOCASE,
    WRaceNo     INTEGER,
    WHorse      TEXT COLLATE NOCASE,
    WTrack      TEXT COLLATE NOCASE,
    WWgtChar    NUMERIC,
    WApClaim    NUMERIC,
    WBeatMar    NUMERIC,
    WJockey     TEXT COLLATE NOCASE,
    WMoneyWon   NUMERIC,
    WBarPosn    INTEGER,
    WFinPosn    INTEGER,
    WBookPrice  NUMERIC,
    WWghtRat    NUMERIC,
    W800400     TEXT COLLATE NOCASE,
    DateUpdated TEXT COLLATE NOCASE,
    WTrainer    TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS RACEMAST (
    RDate      TEXT COLLATE NOCASE,
    RTrack     TEXT COLLATE NOCASE,
    RRaceNo    INTEGER,
    RAgeRestr  TEXT COLLATE NOCASE,
    RDistance  INTEGER,
    RSexRestr  TEXT COLLATE NOCASE,
    RTrCond    TEXT COLLATE NOCASE,
    RClass     TEXT COLLATE NOCASE,
    RRaceName  TEXT COLLATE NOCASE,
    RWgtType   TEXT COLLATE NOCASE,
    RTrackType TEXT COLLATE NOCASE,
    RRail      TEXT COLLATE NOCASE,
    RLimWgt    NUMERIC,
    RStarters  INTEGER,
    RValue     NUMERIC,
    RTime      TEXT COLLATE NOCASE,
    RWinTime   TEXT COLLATE NOCASE,
    R800Time   TEXT COLLATE NOCASE,
    R400Time   TEXT COLLATE NOCASE,
    RSecTime   TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS HORSMAST (
    HHorse   TEXT COLLATE NOCASE,
    HDob     TEXT COLLATE NOCASE,
    HSireWin TEXT COLLATE NOCASE,
    HDamWin  TEXT COLLATE NOCASE,
    HWinAge  INTEGER,
    HWinSex  TEXT COLLATE NOCASE,
    HTrainer TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS MEETMAST (
    MDate    TEXT COLLATE NOCASE,
    MTrack   TEXT COLLATE NOCASE,
    MState   TEXT COLLATE NOCASE,
    MClub    TEXT COLLATE NOCASE,
    MMetType TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS Track (
    TrackCode  TEXT COLLATE NOCASE,
    TrackClub  TEXT COLLATE NOCASE,
    State      TEXT COLLATE NOCASE,
    MeetType   TEXT COLLATE NOCASE,
    TrackLocat TEXT COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS RaceShortCode (
    RaceTerm TEXT COLLATE NOCASE,
    ShtTerm  TEXT COLLATE NOCASE
);
)SQL";

// Created after bulk loads (import, generate-demo): building them once is much faster than
// maintaining them row by row. The two *Form indexes follow the statistics window's ORDER BY, so a
// busy jockey's or trainer's latest 90 runs are read in order instead of sorting a whole career.
inline constexpr const char *kIndexSql = R"SQL(
CREATE INDEX IF NOT EXISTS WorkraceHorseForm ON WORKRACE (WHorse, WRaceDate, WTrack, WRaceNo);
CREATE INDEX IF NOT EXISTS WorkraceJockey  ON WORKRACE (WJockey, DateUpdated);
CREATE INDEX IF NOT EXISTS WorkraceTrainer ON WORKRACE (WTrainer, WRaceDate);
CREATE INDEX IF NOT EXISTS WorkraceJockeyForm  ON WORKRACE (WJockey, WRaceDate DESC, WTrack, WRaceNo, WHorse);
CREATE INDEX IF NOT EXISTS WorkraceTrainerForm ON WORKRACE (WTrainer, WRaceDate DESC, WTrack, WRaceNo, WHorse);
CREATE INDEX IF NOT EXISTS WorkraceRace    ON WORKRACE (WRaceDate, WTrack, WRaceNo);
CREATE INDEX IF NOT EXISTS RacemastRace    ON RACEMAST (RDate, RTrack, RRaceNo);
CREATE INDEX IF NOT EXISTS HorsmastHorse   ON HORSMAST (HHorse);
CREATE INDEX IF NOT EXISTS HorsmastAgeHorse ON HORSMAST (HWinAge, HHorse);
CREATE INDEX IF NOT EXISTS MeetmastMeet    ON MEETMAST (MDate, MTrack);
CREATE INDEX IF NOT EXISTS TrackLocat      ON Track (TrackLocat);
CREATE INDEX IF NOT EXISTS TrackCode       ON Track (TrackCode);
)SQL";

// The columns that tell one row of a table from another. An aggregate "over the n most recent" rows
// breaks ties in its sort key with them, so that every backend takes the same n rows.
struct RowKey {
    const char *table;
    const char *columns[4];
};

inline constexpr RowKey kRowKeys[] = {
    {"WORKRACE", {"WRaceDate", "WTrack", "WRaceNo", "WHorse"}},
    {"RACEMAST", {"RDate", "RTrack", "RRaceNo"}},
    {"HORSMAST", {"HHorse"}},
    {"MEETMAST", {"MDate", "MTrack"}},
    {"Track", {"TrackCode", "TrackLocat"}},
    {"RaceShortCode", {"RaceTerm"}},
};

// The row key of `table` without `sortColumn` (names compared ignoring case); empty for other tables.
inline std::vector<std::string> tieBreakColumns(const std::string &table, const std::string &sortColumn)
{
    const auto same = [](const std::string &a, const char *b) {
        return a.size() == std::strlen(b) &&
               std::equal(a.begin(), a.end(), b, [](char x, char y) { return std::tolower(x) == std::tolower(y); });
    };
    std::vector<std::string> out;
    for (const RowKey &key : kRowKeys) {
        if (!same(table, key.table))
            continue;
        for (const char *column : key.columns) {
            if (column && !same(sortColumn, column))
                out.emplace_back(column);
        }
    }
    return out;
}

} // namespace formschema
