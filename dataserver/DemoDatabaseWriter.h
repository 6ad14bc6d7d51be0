#pragma once

#include <sqlite3.h>

#include <cmath>
#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace demo {

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    bool ok() const { return m_stmt != nullptr; }
    // Text must stay alive until step() returns.
    void text(int i, const std::string &s) { sqlite3_bind_text(m_stmt, i, s.data(), int(s.size()), SQLITE_STATIC); }
    void text(int i, const char *s) { sqlite3_bind_text(m_stmt, i, s, -1, SQLITE_STATIC); }
    void integer(int i, long long v) { sqlite3_bind_int64(m_stmt, i, v); }
    // Whole numbers are stored as integers, like NUMERIC affinity does with "56" and "56.5".
    void number(int i, double v)
    {
        if (v == std::floor(v) && std::fabs(v) < 1e15)
            sqlite3_bind_int64(m_stmt, i, (long long)v);
        else
            sqlite3_bind_double(m_stmt, i, v);
    }
    void null(int i) { sqlite3_bind_null(m_stmt, i); }
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// Runs a script; a failure is reported on `errors`.
bool exec(sqlite3 *db, const char *sql, std::ostream &errors);

// ---------------------------------------------------------------------------------------------
// Rows on their way to the database. The simulation fills batches while a writer thread inserts the
// previous ones, so the two cores share the work; text pointers refer to storage that never moves.

struct MeetRow {
    const char *date;
    const char *track;
    const char *state;
    const char *club;
    char type[2];
};

struct RaceRow {
    const char *date = nullptr;
    const char *track = nullptr;
    int raceNo = 0;
    const char *age = nullptr;
    int distance = 0;
    const char *sexRestr = nullptr;
    char cond[2] = {};
    std::string className;
    std::string name;
    std::string wgtType;
    const char *trackType = nullptr;
    std::string rail;
    int limitWeight = 0;
    int starters = 0;
    int value = 0;
    char time[16] = {};
    char t800[16] = {};
    char t400[16] = {};
    char t600[16] = {};
};

struct RunRow {
    const char *date = nullptr;
    int raceNo = 0;
    const char *horse = nullptr;
    const char *track = nullptr;
    double weight = 0;
    double claim = 0;
    const char *beaten = nullptr; // "WON", "DIS" or null for a margin
    double margin = 0;
    const char *jockey = nullptr;
    double money = 0;
    int barrier = 0;
    int pos = 0;
    double price = 0;
    int rating = 0;
    char sectional[8] = {};
    char updated[48] = {}; // room for any int, so the compiler can prove no truncation
    const char *trainer = nullptr;
};

struct Batch {
    std::vector<MeetRow> meets;
    std::vector<RaceRow> races;
    std::vector<RunRow> runs;
};

class RowWriter
{
public:
    explicit RowWriter(sqlite3 *db)
        : m_run(db, "INSERT INTO WORKRACE (WRaceDate, WRaceNo, WHorse, WTrack, WWgtChar, WApClaim, WBeatMar, "
                    "WJockey, WMoneyWon, WBarPosn, WFinPosn, WBookPrice, WWghtRat, W800400, DateUpdated, "
                    "WTrainer) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
          m_race(db, "INSERT INTO RACEMAST (RDate, RTrack, RRaceNo, RAgeRestr, RDistance, RSexRestr, RTrCond, "
                     "RClass, RRaceName, RWgtType, RTrackType, RRail, RLimWgt, RStarters, RValue, RTime, "
                     "RWinTime, R800Time, R400Time, RSecTime) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
          m_meet(db, "INSERT INTO MEETMAST (MDate, MTrack, MState, MClub, MMetType) VALUES (?,?,?,?,?)")
    {
        if (ok())
            m_thread = std::thread([this] { work(); });
    }
    ~RowWriter() { finish(); }
    RowWriter(const RowWriter &) = delete;
    RowWriter &operator=(const RowWriter &) = delete;
    bool ok() const { return m_run.ok() && m_race.ok() && m_meet.ok(); }

    // Hands a batch over; waits while the writer is two batches behind.
    void submit(Batch &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < 2; });
        m_queue.push_back(std::move(batch));
        m_changed.notify_all();
    }
    // Waits until everything is written; false when an insert failed.
    bool finish()
    {
        if (m_thread.joinable()) {
            {
                std::lock_guard lock(m_mutex);
                m_done = true;
                m_changed.notify_all();
            }
            m_thread.join();
        }
        return !m_failed;
    }

private:
    void work();
    void write(const Batch &batch);

    Statement m_run;
    Statement m_race;
    Statement m_meet;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_queue;
    bool m_done = false;
    bool m_failed = false;
    std::thread m_thread;
};

} // namespace demo
