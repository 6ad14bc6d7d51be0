#include "DemoGenerator.h"

#include "DemoData.h"
#include "FormSchema.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

// The generator simulates Australian racing day by day: a weekly calendar of meetings over real
// tracks, a persistent population of horses that race in preparations separated by spells, and
// per-state pools of trainers and jockeys. Everything is drawn from one xoshiro256** stream seeded
// by splitmix64 and uses no library distributions, so a seed and an end date always give the
// same database and the same field files.
//
// Naming conventions shared by the history and the field files:
// - WJockey holds the jockey's first initial and surname in capitals ("J MCDONALD"); field files
//   print the full name ("Jamie McDonald"). Both are unique per jockey.
// - WTrainer and HTrainer hold the trainer's full name in capitals ("CHRIS WALLER"); field files
//   print it in mixed case ("Chris Waller"), at most 24 characters.
// - WHorse and HHorse hold the name without the country suffix; field files add it for imported
//   horses ("SHADOW KING (NZ)").
// - W800400 holds the positions at the 800 m and 400 m as two two-digit numbers ("0806"), since
//   the client reads characters 1-2 and 3-4; RTrCond holds the condition letter (F, G, D, S, H).

namespace {

namespace dd = demodata;

constexpr int kStateCount = int(std::size(dd::kStates));
constexpr int kBandCount = 3 + 24; // three maiden tiers, then ratings in steps of 5

// ---------------------------------------------------------------------------------------------
// Random numbers and dates

class Rng {
public:
    explicit Rng(std::uint64_t seed)
    {
        std::uint64_t x = seed;
        for (auto &word : m_state) {
            x += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }
    // Uniform in [0, n); n > 0.
    std::uint32_t below(std::uint32_t n) { return std::uint32_t(((next() >> 32) * std::uint64_t(n)) >> 32); }
    int range(int lo, int hi) { return lo + int(below(std::uint32_t(hi - lo + 1))); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // Approximately standard normal (Irwin-Hall of four uniforms), free of libm differences.
    double normal() { return (unit() + unit() + unit() + unit() - 2.0) * 1.7320508075688772; }
    template <class T, std::size_t N>
    const T &pick(const T (&items)[N]) { return items[below(std::uint32_t(N))]; }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

struct Civil {
    int y;
    int m;
    int d;
};

// Days since 1970-01-01 (proleptic Gregorian).
int daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Civil civilFromDays(int z)
{
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (m <= 2), m, d};
}

int weekday(int day) { return ((day % 7) + 11) % 7; } // 0 = Sunday

// Horses age on 1 August.
int seasonYear(int day)
{
    const Civil c = civilFromDays(day);
    return c.m >= 8 ? c.y : c.y - 1;
}

std::string isoDate(int day)
{
    const Civil c = civilFromDays(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.y, c.m, c.d);
    return buf;
}

bool parseIsoDate(const std::string &text, int &day)
{
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    day = daysFromCivil(y, m, d);
    const Civil back = civilFromDays(day);
    return back.m == m && back.d == d;
}

int todayLocal()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// "MOONEE VALLEY" -> "Moonee Valley"
std::string properCase(const std::string &s)
{
    std::string out = s;
    bool start = true;
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z' && !start)
            c = char(c - 'A' + 'a');
        start = (c == ' ' || c == '-');
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Population

struct Trainer {
    std::string name;  // as printed in field files
    std::string upper; // WTrainer / HTrainer
    std::string location;
    std::string phone;
    int state = 0;
    std::uint32_t runs = 0;
};

struct Jockey {
    std::string full; // as printed in acceptances
    std::string code; // WJockey
    int state = 0;
    int careerStart = 0;   // first day the jockey may ride
    int apprenticeEnd = 0; // claims before this day
    double skill = 0;
    int busyDay = -1000000;
    std::uint32_t rides = 0;
};

struct Horse {
    std::string name;
    const char *stableName = nullptr; // same text, in storage that never moves (read by the writer thread)
    std::string dam;
    std::uint32_t trainer = 0;
    std::uint16_t sire = 0;
    std::uint16_t damSire = 0;
    int foalYear = 0;
    int dob = 0;
    int nextReady = 0;
    int lastRun = -1000000;
    int lastActive = 0;
    int stamp = -1;
    int selectedDay = -1000000; // one race per horse per day
    int bucketPos = -1;
    std::int16_t ability = 0;
    std::int16_t rating = 0; // 0 while a maiden
    std::uint16_t runs = 0;
    std::uint16_t wins = 0;
    std::uint16_t careerRuns = 0;
    std::int8_t prepLeft = 0;
    std::int8_t bucket = -1;
    std::uint8_t state = 0;
    char sex = 'G'; // 'G' gelding, 'F' female, 'C' entire male
    std::uint8_t colour = 0;
    std::uint8_t suffix = 0;
    bool retired = false;
    char form[10] = {};
    std::uint8_t formLen = 0;

    int age(int day) const { return seasonYear(day) - foalYear; }
    char sexAt(int day) const
    {
        if (sex == 'F')
            return age(day) >= 4 ? 'M' : 'F';
        if (sex == 'C')
            return age(day) >= 4 ? 'H' : 'C';
        return 'G';
    }
    bool female() const { return sex == 'F'; }
    void addForm(char c)
    {
        if (formLen == sizeof form) {
            std::memmove(form, form + 1, sizeof form - 1);
            --formLen;
        }
        form[formLen++] = c;
    }
    std::string formText() const
    {
        std::string f(form, formLen);
        return f.size() > 6 ? f.substr(f.size() - 6) : f;
    }
};

const char *const kSuffixes[] = {"", "(NZ)", "(IRE)", "(GB)", "(USA)", "(FR)", "(JPN)"};

// ---------------------------------------------------------------------------------------------
// Races

enum class ClassKind { Maiden, ClassN, Benchmark, Quality, Open, Listed, Group3, Group2, Group1 };

struct RacePlan {
    ClassKind kind = ClassKind::Maiden;
    int level = 0; // class number or benchmark
    int distance = 1200;
    int ageRestr = 0; // 0 none, 2 = 2YO, 3 = 3YO, 4 = 4U
    bool fillies = false;
    bool claims = true;
    std::string wgtType;
    std::string className;
    std::string name;
    int value = 0;
    int limitWeight = 54;
    int ratingLo = 0;
    int ratingHi = 0;
};

struct Runner {
    std::uint32_t horse = 0;
    std::uint32_t jockey = 0;
    int weight2 = 0; // weight in half kilograms
    int claim10 = 0; // claim in tenths of a kilogram
    int barrier = 0;
    double expected = 0;
    double score = 0;
    double price = 0;
    int pos = 0;
    double margin = 0;
    bool disq = false;
    int pos800 = 0;
    int pos400 = 0;
    int ballot = 0;
};

struct MeetingSlot {
    int track = 0;
    bool night = false;
};

struct Meeting {
    int day = 0;
    int track = 0;
    bool saturday = false;
    bool night = false;
};

// Price ladder for starting prices.
const double kPrices[] = {1.2,  1.3,  1.4,  1.5,  1.6,  1.7,  1.8,  1.9,  2.0,  2.1,  2.2,  2.3,  2.4,
                          2.5,  2.6,  2.8,  3.0,  3.2,  3.4,  3.5,  3.8,  4.0,  4.2,  4.4,  4.6,  4.8,
                          5.0,  5.5,  6.0,  6.5,  7.0,  7.5,  8.0,  8.5,  9.0,  9.5,  10.0, 11.0, 12.0,
                          13.0, 14.0, 15.0, 16.0, 17.0, 18.0, 19.0, 20.0, 21.0, 26.0, 31.0, 41.0, 51.0,
                          61.0, 71.0, 81.0, 101.0, 126.0, 151.0, 201.0, 251.0, 301.0, 501.0};

double ladderPrice(double raw)
{
    for (double p : kPrices)
        if (raw <= p * 1.04)
            return p;
    return 501.0;
}

// Shares of the prize money by finishing position; the small remainder keeps rounded payouts within the prize.
const double kPrizeShare[] = {0.575, 0.195, 0.0975, 0.0525, 0.025, 0.0105, 0.0105, 0.0105, 0.0105, 0.0105};

// ---------------------------------------------------------------------------------------------
// SQLite helpers

class Statement {
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

bool exec(sqlite3 *db, const char *sql, std::ostream &errors)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        errors << "generate-demo: " << (message ? message : "SQLite error") << "\n";
        sqlite3_free(message);
        return false;
    }
    return true;
}

std::string formatTime(double seconds)
{
    const int hundredths = int(seconds * 100.0 + 0.5);
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d:%02d.%02d", hundredths / 6000, (hundredths / 100) % 60, hundredths % 100);
    return buf;
}

std::string formatSeconds(double seconds)
{
    const int hundredths = int(seconds * 100.0 + 0.5);
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d.%02d", hundredths / 100, hundredths % 100);
    return buf;
}

std::string formatMoney(int value)
{
    std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return "$" + out;
}

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
    char updated[24] = {};
    const char *trainer = nullptr;
};

struct Batch {
    std::vector<MeetRow> meets;
    std::vector<RaceRow> races;
    std::vector<RunRow> runs;
};

class RowWriter {
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
    void work()
    {
        for (;;) {
            Batch batch;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_queue.empty() || m_done; });
                if (m_queue.empty())
                    return;
                batch = std::move(m_queue.front());
                m_queue.pop_front();
                m_changed.notify_all();
            }
            write(batch);
        }
    }
    void write(const Batch &batch)
    {
        for (const MeetRow &m : batch.meets) {
            m_meet.text(1, m.date);
            m_meet.text(2, m.track);
            m_meet.text(3, m.state);
            m_meet.text(4, m.club);
            m_meet.text(5, m.type);
            m_failed = !m_meet.step() || m_failed;
        }
        for (const RaceRow &r : batch.races) {
            m_race.text(1, r.date);
            m_race.text(2, r.track);
            m_race.integer(3, r.raceNo);
            m_race.text(4, r.age);
            m_race.integer(5, r.distance);
            m_race.text(6, r.sexRestr);
            m_race.text(7, r.cond);
            m_race.text(8, r.className);
            m_race.text(9, r.name);
            m_race.text(10, r.wgtType);
            m_race.text(11, r.trackType);
            m_race.text(12, r.rail);
            m_race.number(13, r.limitWeight);
            m_race.integer(14, r.starters);
            m_race.number(15, r.value);
            m_race.text(16, r.time);
            m_race.text(17, r.time);
            m_race.text(18, r.t800);
            m_race.text(19, r.t400);
            m_race.text(20, r.t600);
            m_failed = !m_race.step() || m_failed;
        }
        for (const RunRow &r : batch.runs) {
            m_run.text(1, r.date);
            m_run.integer(2, r.raceNo);
            m_run.text(3, r.horse);
            m_run.text(4, r.track);
            m_run.number(5, r.weight);
            m_run.number(6, r.claim);
            if (r.beaten)
                m_run.text(7, r.beaten);
            else
                m_run.number(7, r.margin);
            m_run.text(8, r.jockey);
            m_run.number(9, r.money);
            m_run.integer(10, r.barrier);
            m_run.integer(11, r.pos);
            m_run.number(12, r.price);
            m_run.integer(13, r.rating);
            m_run.text(14, r.sectional);
            m_run.text(15, r.updated);
            m_run.text(16, r.trainer);
            m_failed = !m_run.step() || m_failed;
        }
    }

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

// ---------------------------------------------------------------------------------------------
// The simulation

class Generator {
public:
    Generator(const DemoOptions &options, int firstDay, int untilDay, std::ostream &progress)
        : m_rng(options.seed * 0x2545F4914F6CDD1DULL + 0x1234567ULL), m_first(firstDay), m_until(untilDay),
          m_progress(progress)
    {
    }

    bool run(sqlite3 *db, const std::string &fieldsDir, std::ostream &errors);

private:
    // population
    void createTrainers();
    void createJockeys();
    void createSires();
    std::string horseName();
    std::uint32_t newHorse(int state, int day, int age, int ability, bool maiden);
    void seedPopulation();
    int bandOf(const Horse &h) const;
    void addToBucket(std::uint32_t id);
    void removeFromBucket(std::uint32_t id);
    void rebucket(std::uint32_t id);
    void sendToSpell(std::uint32_t id, int day);
    void returnFromSpell(int day);
    void weeklySweep(int day);
    std::uint32_t pickTrainer(int state);

    // calendar and races
    std::vector<Meeting> meetingsOn(int day);
    int pickTrack(char type, int state, const std::vector<int> &used);
    std::vector<RacePlan> planRaces(const Meeting &m, bool forceFeature);
    void classWindow(RacePlan &p, char type) const;
    bool eligible(const Horse &h, const RacePlan &p, int day) const;
    std::vector<std::uint32_t> selectHorses(const RacePlan &p, int state, int day, int wanted,
                                            bool future, int raceStamp);
    std::vector<std::uint32_t> meetingJockeys(int state, char type, int day, int rides, bool future);
    void assignWeights(std::vector<Runner> &runners, const RacePlan &p, int day);
    void runRace(std::vector<Runner> &runners, const RacePlan &p, int day, char cond);
    void afterRun(Runner &r, int day, int fieldSize);

    // output
    void writeRace(const Meeting &m, int raceNo, const RacePlan &p, std::vector<Runner> &runners, char cond,
                   const std::string &rail, bool synthetic);
    bool writeFields(const std::string &dir, std::ostream &errors);

    Rng m_rng;
    int m_first;
    int m_until;
    std::ostream &m_progress;

    std::vector<Trainer> m_trainers;
    std::vector<std::vector<std::uint32_t>> m_trainersByState;
    std::vector<std::vector<double>> m_trainerWeights; // cumulative per state
    std::vector<Jockey> m_jockeys;
    std::vector<std::vector<std::uint32_t>> m_jockeysByState; // best first
    std::vector<std::string> m_sires;
    std::vector<Horse> m_horses;
    std::unordered_set<std::string> m_usedNames;
    std::deque<std::string> m_nameStore;
    std::vector<std::uint32_t> m_buckets[kStateCount][kBandCount];
    std::vector<std::vector<std::uint32_t>> m_returns; // spell returns by day offset
    std::vector<std::string> m_dates;                 // 'YYYY-MM-DD' by day offset

    Batch m_batch;
    long long m_runCount = 0;
    long long m_raceCount = 0;
    long long m_meetCount = 0;
    long long m_created = 0;
};

std::uint32_t Generator::pickTrainer(int state)
{
    const auto &cum = m_trainerWeights[state];
    const double u = m_rng.unit() * cum.back();
    const auto it = std::upper_bound(cum.begin(), cum.end(), u);
    const std::size_t i = std::min<std::size_t>(std::size_t(it - cum.begin()), cum.size() - 1);
    return m_trainersByState[state][i];
}

void Generator::createTrainers()
{
    std::unordered_set<std::string> used;
    m_trainersByState.assign(kStateCount, {});
    m_trainerWeights.assign(kStateCount, {});
    for (int s = 0; s < kStateCount; ++s) {
        const int count = dd::kStateShare[s] * 2600 / 1000;
        std::vector<int> towns;
        for (int t = 0; t < int(std::size(dd::kTracks)); ++t)
            if (dd::kStates[s] == std::string(dd::kTracks[t].state))
                towns.push_back(t);
        double cum = 0;
        for (int i = 0; i < count; ++i) {
            Trainer tr;
            tr.state = s;
            for (;;) {
                const bool woman = m_rng.chance(0.22);
                std::string first = woman ? m_rng.pick(dd::kFemaleFirst) : m_rng.pick(dd::kMaleFirst);
                std::string last = m_rng.pick(dd::kSurnames);
                if (m_rng.chance(0.04)) {
                    // family partnership, e.g. "Mick & Jo Price"
                    std::string other = m_rng.chance(0.5) ? m_rng.pick(dd::kFemaleFirst) : m_rng.pick(dd::kMaleFirst);
                    tr.name = first + " & " + other + " " + last;
                } else {
                    tr.name = first + " " + last;
                }
                tr.upper = upper(tr.name);
                if (tr.name.size() <= 24 && used.insert(tr.upper).second)
                    break;
            }
            // Big stables near the metropolitan tracks, small ones in the country.
            const int town = towns[i < count / 5 ? std::min<std::size_t>(m_rng.below(4), towns.size() - 1)
                                                  : m_rng.below(std::uint32_t(towns.size()))];
            tr.location = properCase(dd::kTracks[town].locat);
            char phone[32];
            if (m_rng.chance(0.6))
                std::snprintf(phone, sizeof phone, "04%02u %03u %03u", m_rng.below(100), m_rng.below(1000),
                              m_rng.below(1000));
            else
                std::snprintf(phone, sizeof phone, "%s %04u %04u", dd::kAreaCode[s], 4000 + m_rng.below(6000),
                              m_rng.below(10000));
            tr.phone = phone;
            m_trainersByState[s].push_back(std::uint32_t(m_trainers.size()));
            cum += 1.0 / (i + 4.0);
            m_trainerWeights[s].push_back(cum);
            m_trainers.push_back(std::move(tr));
        }
    }
}

void Generator::createJockeys()
{
    std::unordered_set<std::string> codes, fulls;
    m_jockeysByState.assign(kStateCount, {});
    const int span = m_until - m_first;
    for (int s = 0; s < kStateCount; ++s) {
        const int count = std::max(24, dd::kStateShare[s] * 800 / 1000);
        for (int i = 0; i < count; ++i) {
            Jockey j;
            j.state = s;
            for (;;) {
                const bool woman = m_rng.chance(0.3);
                const std::string first = woman ? m_rng.pick(dd::kFemaleFirst) : m_rng.pick(dd::kMaleFirst);
                const std::string last = m_rng.pick(dd::kSurnames);
                j.full = first + " " + last;
                j.code = upper(first.substr(0, 1) + " " + last);
                if (!codes.count(j.code) && !fulls.count(j.full))
                    break;
            }
            codes.insert(j.code);
            fulls.insert(j.full);
            if (m_rng.chance(0.62)) {
                j.careerStart = m_first - 4 * 365 - int(m_rng.below(15 * 365));
                j.apprenticeEnd = j.careerStart + 4 * 365;
                j.skill = m_rng.unit();
            } else {
                // Apprentices begin throughout the history and claim for four years.
                j.careerStart = m_first - 4 * 365 + int(m_rng.below(std::uint32_t(span + 4 * 365)));
                j.apprenticeEnd = j.careerStart + 4 * 365;
                j.skill = m_rng.unit() * 0.7;
            }
            m_jockeysByState[s].push_back(std::uint32_t(m_jockeys.size()));
            m_jockeys.push_back(std::move(j));
        }
        auto &list = m_jockeysByState[s];
        std::stable_sort(list.begin(), list.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return m_jockeys[a].skill > m_jockeys[b].skill; });
    }
}

std::string Generator::horseName()
{
    for (;;) {
        std::string name;
        const double form = m_rng.unit();
        auto word = [this] {
            std::string w;
            const int parts = m_rng.range(2, 3);
            for (int i = 0; i < parts; ++i)
                w += m_rng.pick(dd::kSyllables);
            return w;
        };
        if (form < 0.55) {
            name = std::string(m_rng.pick(dd::kNameFirst)) + " " + m_rng.pick(dd::kNameSecond);
        } else if (form < 0.8) {
            name = word();
        } else if (form < 0.9) {
            name = word() + " " + m_rng.pick(dd::kNameSecond);
        } else {
            name = std::string(m_rng.pick(dd::kNameFirst)) + " " + word();
        }
        if (name.size() < 3 || name.size() > 18)
            continue;
        if (m_usedNames.insert(name).second)
            return name;
    }
}

void Generator::createSires()
{
    for (int i = 0; i < 260; ++i) {
        std::string name = horseName();
        if (m_rng.chance(0.3))
            name += std::string(" ") + kSuffixes[1 + m_rng.below(std::uint32_t(std::size(kSuffixes) - 1))];
        m_sires.push_back(name);
    }
}

std::uint32_t Generator::newHorse(int state, int day, int age, int ability, bool maiden)
{
    Horse h;
    h.name = horseName();
    m_nameStore.push_back(h.name);
    h.stableName = m_nameStore.back().c_str();
    h.dam = horseName();
    h.state = std::uint8_t(state);
    h.trainer = pickTrainer(state);
    // Popular sires get most of the foals.
    const double u = m_rng.unit();
    h.sire = std::uint16_t(double(m_sires.size()) * u * u);
    h.damSire = std::uint16_t(m_rng.below(std::uint32_t(m_sires.size())));
    h.foalYear = seasonYear(day) - age;
    h.dob = daysFromCivil(h.foalYear, 8 + int(m_rng.below(4)), 1 + int(m_rng.below(28)));
    const double sx = m_rng.unit();
    h.sex = sx < 0.36 ? 'F' : (sx < 0.44 ? 'C' : 'G');
    h.colour = std::uint8_t(m_rng.below(std::uint32_t(std::size(dd::kColours))));
    const double sf = m_rng.unit();
    h.suffix = std::uint8_t(sf < 0.11 ? 1 : (sf < 0.125 ? 2 + m_rng.below(5) : 0));
    h.ability = std::int16_t(std::clamp(ability, 15, 118));
    if (!maiden) {
        h.rating = std::int16_t(std::clamp(ability - 4 + int(m_rng.normal() * 5), 40, 115));
        h.wins = std::uint16_t(1 + m_rng.below(std::uint32_t(std::max(1, age - 1) * 2)));
    }
    h.lastActive = day;
    m_horses.push_back(std::move(h));
    return std::uint32_t(m_horses.size() - 1);
}

int Generator::bandOf(const Horse &h) const
{
    if (h.rating == 0)
        return h.ability < 52 ? 0 : (h.ability < 68 ? 1 : 2);
    return 3 + std::min(int(h.rating), 119) / 5;
}

void Generator::addToBucket(std::uint32_t id)
{
    Horse &h = m_horses[id];
    const int b = bandOf(h);
    auto &bucket = m_buckets[h.state][b];
    h.bucket = std::int8_t(b);
    h.bucketPos = int(bucket.size());
    bucket.push_back(id);
}

void Generator::removeFromBucket(std::uint32_t id)
{
    Horse &h = m_horses[id];
    if (h.bucket < 0)
        return;
    auto &bucket = m_buckets[h.state][h.bucket];
    const std::uint32_t last = bucket.back();
    bucket[std::size_t(h.bucketPos)] = last;
    m_horses[last].bucketPos = h.bucketPos;
    bucket.pop_back();
    h.bucket = -1;
    h.bucketPos = -1;
}

void Generator::rebucket(std::uint32_t id)
{
    const Horse &h = m_horses[id];
    if (h.bucket >= 0 && h.bucket != bandOf(h)) {
        removeFromBucket(id);
        addToBucket(id);
    }
}

void Generator::sendToSpell(std::uint32_t id, int day)
{
    Horse &h = m_horses[id];
    if (h.bucket < 0)
        return; // already out of training
    removeFromBucket(id);
    const int age = h.age(day);
    double retire = age >= 10 ? 1.0 : age >= 8 ? 0.35 : age >= 6 ? 0.12 : 0.04;
    if (h.rating == 0 && h.careerRuns >= 8)
        retire = std::max(retire, 0.6);
    if (m_rng.chance(retire)) {
        h.retired = true;
        return;
    }
    if (m_rng.chance(0.05))
        h.trainer = pickTrainer(h.state); // moves stable during the spell
    const int back = day + 7 * m_rng.range(8, 20) - int(m_rng.below(7));
    h.addForm('x');
    const int offset = back - m_first;
    if (offset >= int(m_returns.size()))
        m_returns.resize(std::size_t(offset) + 1);
    m_returns[std::size_t(offset)].push_back(id);
}

void Generator::returnFromSpell(int day)
{
    const int offset = day - m_first;
    if (offset < 0 || offset >= int(m_returns.size()))
        return;
    std::vector<std::uint32_t> back;
    back.swap(m_returns[std::size_t(offset)]);
    for (std::uint32_t id : back) {
        Horse &h = m_horses[id];
        if (h.bucket >= 0)
            continue;
        if (h.retired || h.age(day) > 10) {
            h.retired = true;
            continue;
        }
        h.prepLeft = std::int8_t(m_rng.range(3, 8));
        h.nextReady = day + int(m_rng.below(10));
        h.lastActive = day;
        addToBucket(id);
    }
}

// Horses that nobody started for seven weeks go back to the paddock.
void Generator::weeklySweep(int day)
{
    for (int s = 0; s < kStateCount; ++s)
        for (int b = 0; b < kBandCount; ++b) {
            auto &bucket = m_buckets[s][b];
            for (std::size_t i = 0; i < bucket.size();) {
                const std::uint32_t id = bucket[i];
                const Horse &h = m_horses[id];
                if (day - std::max(h.lastActive, h.lastRun) > 49 || h.age(day) > 10) {
                    sendToSpell(id, day);
                    continue; // the slot now holds another horse
                }
                ++i;
            }
        }
}

void Generator::seedPopulation()
{
    for (int s = 0; s < kStateCount; ++s) {
        const int count = dd::kStateShare[s] * 26;
        for (int i = 0; i < count; ++i) {
            const double a = m_rng.unit();
            const int age = a < 0.14 ? 2 : a < 0.38 ? 3 : a < 0.60 ? 4 : a < 0.76 ? 5 : a < 0.87 ? 6 : a < 0.94 ? 7 : 8;
            const int ability = int(56 + m_rng.normal() * 14);
            const bool maiden = age == 2 || (age == 3 && m_rng.chance(0.55)) || m_rng.chance(0.15);
            const std::uint32_t id = newHorse(s, m_first, age, ability, maiden);
            Horse &h = m_horses[id];
            h.careerRuns = std::uint16_t(maiden ? m_rng.below(6) : 4 + m_rng.below(std::uint32_t(age * 5)));
            const int formRuns = std::min<int>(h.careerRuns, 8);
            for (int f = 0; f < formRuns; ++f)
                h.addForm(m_rng.chance(0.12) ? 'x' : char('0' + m_rng.below(10)));
            if (m_rng.chance(0.45)) {
                h.prepLeft = std::int8_t(m_rng.range(1, 7));
                h.nextReady = m_first + int(m_rng.below(21));
                h.lastActive = m_first;
                addToBucket(id);
            } else {
                const int offset = int(m_rng.below(140));
                if (offset >= int(m_returns.size()))
                    m_returns.resize(std::size_t(offset) + 1);
                m_returns[std::size_t(offset)].push_back(id);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Calendar

int stateIndex(const char *state)
{
    for (int s = 0; s < kStateCount; ++s)
        if (std::strcmp(dd::kStates[s], state) == 0)
            return s;
    return 0;
}

int Generator::pickTrack(char type, int state, const std::vector<int> &used)
{
    double total = 0;
    std::vector<std::pair<int, double>> options;
    for (int t = 0; t < int(std::size(dd::kTracks)); ++t) {
        const auto &tr = dd::kTracks[t];
        if (tr.type != type || (state >= 0 && stateIndex(tr.state) != state))
            continue;
        if (std::find(used.begin(), used.end(), t) != used.end())
            continue;
        options.emplace_back(t, tr.weight);
        total += tr.weight;
    }
    if (options.empty())
        return -1;
    double u = m_rng.unit() * total;
    for (const auto &[t, w] : options) {
        if (u < w)
            return t;
        u -= w;
    }
    return options.back().first;
}

int trackIndex(const char *code)
{
    for (int t = 0; t < int(std::size(dd::kTracks)); ++t)
        if (std::strcmp(dd::kTracks[t].code, code) == 0)
            return t;
    return 0;
}

std::vector<Meeting> Generator::meetingsOn(int day)
{
    std::vector<Meeting> out;
    const Civil c = civilFromDays(day);
    if (c.m == 12 && (c.d == 24 || c.d == 25))
        return out;
    const int wd = weekday(day);
    std::vector<int> used;
    auto add = [&](int track, bool night = false) {
        if (track < 0)
            return;
        used.push_back(track);
        out.push_back({day, track, wd == 6, night});
    };
    const bool waSummer = c.m >= 10 || c.m <= 4;
    // Metropolitan meetings: Saturdays in every mainland capital, midweek in the big states.
    if (wd == 6) {
        add(pickTrack('M', stateIndex("VIC"), used));
        add(pickTrack('M', stateIndex("NSW"), used));
        add(pickTrack('M', stateIndex("QLD"), used));
        add(trackIndex("MORP"));
        add(trackIndex(waSummer ? "ASCO" : "BELM"));
        const int week = day / 7;
        add(week % 3 == 2 ? trackIndex("DARW") : trackIndex(week % 2 ? "HOBA" : "LAUN"));
    } else if (wd == 3) {
        add(pickTrack('M', stateIndex("VIC"), used));
        add(m_rng.chance(0.5) ? trackIndex("CANT") : trackIndex("WFRM"));
        add(trackIndex("DOOM"));
        add(trackIndex(waSummer ? "ASCO" : "BELM"));
    } else if (wd == 4) {
        add(trackIndex("MORP"));
    } else if (wd == 5) {
        add(trackIndex("MVAL"), true);
    }
    static const int kProvincial[7] = {1, 2, 2, 2, 2, 2, 2};
    static const int kCountry[7] = {4, 4, 4, 2, 4, 3, 4};
    for (int i = 0; i < kProvincial[wd]; ++i)
        add(pickTrack('P', -1, used));
    for (int i = 0; i < kCountry[wd]; ++i)
        add(pickTrack('C', -1, used));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Race programme

void Generator::classWindow(RacePlan &p, char type) const
{
    switch (p.kind) {
    case ClassKind::Maiden:
        p.ratingLo = type == 'M' ? 2 : (type == 'P' ? 1 : 0); // maiden tier
        p.ratingHi = p.ratingLo;
        break;
    case ClassKind::ClassN:
        p.ratingLo = 30 + 4 * p.level;
        p.ratingHi = 46 + 5 * p.level;
        break;
    case ClassKind::Benchmark:
        p.ratingLo = p.level - 16;
        p.ratingHi = p.level + 2;
        break;
    case ClassKind::Quality:
    case ClassKind::Open:
        p.ratingLo = 78;
        p.ratingHi = 125;
        break;
    case ClassKind::Listed:
        p.ratingLo = 84;
        p.ratingHi = 125;
        break;
    case ClassKind::Group3:
        p.ratingLo = 88;
        p.ratingHi = 125;
        break;
    case ClassKind::Group2:
        p.ratingLo = 92;
        p.ratingHi = 125;
        break;
    case ClassKind::Group1:
        p.ratingLo = 95;
        p.ratingHi = 125;
        break;
    }
}

std::vector<RacePlan> Generator::planRaces(const Meeting &m, bool forceFeature)
{
    const auto &track = dd::kTracks[m.track];
    const char type = track.type;
    const Civil c = civilFromDays(m.day);
    const bool saturdayMetro = type == 'M' && m.saturday;
    int count = saturdayMetro ? m_rng.range(9, 10) : (type == 'M' ? 8 : m_rng.range(7, 8));
    if (std::strcmp(track.state, "NT") == 0 || std::strcmp(track.state, "TAS") == 0)
        count = 7;
    const bool carnival = (c.m >= 9 && c.m <= 11) || c.m == 3 || c.m == 4;
    const bool twoYearOlds = c.m >= 9 || c.m <= 6;

    struct Choice {
        ClassKind kind;
        int level;
        int weight;
    };
    std::vector<Choice> menu;
    if (saturdayMetro && std::strcmp(track.state, "TAS") != 0 && std::strcmp(track.state, "NT") != 0) {
        menu = {{ClassKind::Maiden, 0, 4},       {ClassKind::Benchmark, 70, 6},   {ClassKind::Benchmark, 78, 14},
                {ClassKind::Benchmark, 84, 14},  {ClassKind::Benchmark, 90, 9},   {ClassKind::Benchmark, 100, 4},
                {ClassKind::Quality, 0, 6},      {ClassKind::Open, 0, 3},         {ClassKind::Listed, 0, carnival ? 10 : 5},
                {ClassKind::Group3, 0, carnival ? 8 : 3}, {ClassKind::Group2, 0, carnival ? 5 : 1},
                {ClassKind::Group1, 0, carnival ? 4 : 0}};
    } else if (type == 'M') {
        menu = {{ClassKind::Maiden, 0, 18},     {ClassKind::ClassN, 1, 10},     {ClassKind::ClassN, 2, 5},
                {ClassKind::ClassN, 3, 5},      {ClassKind::Benchmark, 64, 14}, {ClassKind::Benchmark, 70, 14},
                {ClassKind::Benchmark, 72, 6},  {ClassKind::Benchmark, 78, 10}, {ClassKind::Benchmark, 84, 3}};
    } else if (type == 'P') {
        menu = {{ClassKind::Maiden, 0, 25},     {ClassKind::ClassN, 1, 15},     {ClassKind::ClassN, 2, 8},
                {ClassKind::ClassN, 3, 5},      {ClassKind::Benchmark, 58, 12}, {ClassKind::Benchmark, 64, 15},
                {ClassKind::Benchmark, 70, 10}, {ClassKind::Benchmark, 72, 5},  {ClassKind::Benchmark, 78, 3}};
    } else {
        menu = {{ClassKind::Maiden, 0, 28},     {ClassKind::ClassN, 1, 18},     {ClassKind::ClassN, 2, 8},
                {ClassKind::Benchmark, 50, 10}, {ClassKind::Benchmark, 58, 17}, {ClassKind::Benchmark, 64, 12},
                {ClassKind::Benchmark, 70, 4}};
    }
    int totalWeight = 0;
    for (const auto &ch : menu)
        totalWeight += ch.weight;

    std::vector<RacePlan> races;
    for (int i = 0; i < count; ++i) {
        RacePlan p;
        int u = int(m_rng.below(std::uint32_t(totalWeight)));
        for (const auto &ch : menu) {
            if (u < ch.weight) {
                p.kind = ch.kind;
                p.level = ch.level;
                break;
            }
            u -= ch.weight;
        }
        races.push_back(p);
    }
    if (forceFeature) {
        races[std::size_t(count - 3)].kind = ClassKind::Group1;
        races[std::size_t(count - 3)].level = 0;
    }
    // Lesser races first, the feature late in the card, a benchmark to close.
    std::stable_sort(races.begin(), races.end(), [](const RacePlan &a, const RacePlan &b) {
        return std::pair(int(a.kind), a.level) < std::pair(int(b.kind), b.level);
    });
    if (count >= 8 && races.back().kind >= ClassKind::Quality) {
        for (int i = count - 2; i >= 0; --i)
            if (races[std::size_t(i)].kind == ClassKind::Benchmark) {
                RacePlan closer = races[std::size_t(i)];
                races.erase(races.begin() + i);
                races.push_back(closer);
                break;
            }
    }

    static const int kDistances[] = {1000, 1100, 1200, 1200, 1200, 1300, 1400, 1400, 1500, 1600, 1600,
                                     1600, 1700, 1800, 2000, 2000, 2100, 2200, 2400, 2500, 3200};
    const char *word = m_rng.pick(dd::kRaceNameWords);
    for (auto &p : races) {
        const bool black = p.kind >= ClassKind::Listed;
        p.fillies = m_rng.chance(black ? 0.2 : 0.12);
        const double age = m_rng.unit();
        if (twoYearOlds && age < 0.05 && p.kind <= ClassKind::Benchmark)
            p.ageRestr = 2;
        else if (age < 0.15)
            p.ageRestr = 3;
        else if (age < 0.18 && p.kind != ClassKind::Maiden)
            p.ageRestr = 4;
        p.distance = p.ageRestr == 2 ? 1000 + 100 * m_rng.range(0, 4) : m_rng.pick(kDistances);
        if (p.kind == ClassKind::Maiden && p.distance > 2000)
            p.distance = 1600;
        word = m_rng.pick(dd::kRaceNameWords);
        std::string terms;
        if (p.ageRestr == 2)
            terms += "TWO-YEAR-OLD ";
        else if (p.ageRestr == 3)
            terms += "THREE-YEAR-OLD ";
        if (p.fillies)
            terms += "FILLIES AND MARES ";
        const std::string feature = m_rng.pick(dd::kFeatureNames);
        switch (p.kind) {
        case ClassKind::Maiden:
            p.className = "MDN";
            p.wgtType = m_rng.chance(0.7) ? "SW" : "HCP";
            p.name = std::string(word) + " " + terms + (p.wgtType == "SW" ? "MAIDEN PLATE" : "MAIDEN HANDICAP");
            break;
        case ClassKind::ClassN:
            p.className = "CL" + std::to_string(p.level);
            p.wgtType = "HCP";
            p.name = std::string(word) + " " + terms + "CLASS " + std::to_string(p.level) + " HANDICAP";
            break;
        case ClassKind::Benchmark:
            p.className = "BM" + std::to_string(p.level);
            p.wgtType = "HCP";
            p.name = std::string(word) + " " + terms + "BENCHMARK " + std::to_string(p.level) +
                     (type == 'C' && m_rng.chance(0.08) ? " HIGHWEIGHT HANDICAP" : " HANDICAP");
            break;
        case ClassKind::Quality:
            p.className = "QLTY";
            p.wgtType = "HCP";
            p.name = std::string(word) + " " + terms + "QUALITY HANDICAP";
            break;
        case ClassKind::Open:
            p.className = "OPEN";
            p.wgtType = "HCP";
            p.name = std::string(word) + " " + terms + "OPEN HANDICAP";
            break;
        default: {
            p.className = p.kind == ClassKind::Listed ? "LR" : p.kind == ClassKind::Group3 ? "G3"
                                                          : p.kind == ClassKind::Group2 ? "G2" : "G1";
            p.wgtType = p.kind == ClassKind::Group1 ? (m_rng.chance(0.6) ? "WFA" : "SW")
                                                    : (m_rng.chance(0.5) ? "SWP" : "HCP");
            const double n = m_rng.unit();
            if (p.ageRestr == 3 && p.distance == 1600)
                p.name = feature + " GUINEAS";
            else if (n < 0.25)
                p.name = std::string(dd::kTracks[m.track].locat) + " CUP";
            else if (n < 0.4 && p.distance <= 1200)
                p.name = feature + " SPRINT";
            else if (n < 0.5 && p.distance == 1600)
                p.name = feature + " MILE";
            else
                p.name = feature + (p.wgtType == "HCP" ? " HANDICAP" : " STAKES");
            if (p.fillies && p.name.find("FILLIES") == std::string::npos)
                p.name = feature + " FILLIES AND MARES STAKES";
            break;
        }
        }
        p.claims = p.kind <= ClassKind::Open && !(type == 'M' && m.saturday && p.kind >= ClassKind::Benchmark &&
                                                   p.level >= 90);
        // Prize money by meeting type and class.
        double value;
        if (saturdayMetro) {
            switch (p.kind) {
            case ClassKind::Group1: value = m_rng.pick({500000, 750000, 1000000, 1000000, 1500000, 3000000}); break;
            case ClassKind::Group2: value = 300000; break;
            case ClassKind::Group3: value = 200000; break;
            case ClassKind::Listed: value = 160000; break;
            case ClassKind::Maiden: value = 75000; break;
            default: value = p.level >= 84 || p.kind >= ClassKind::Quality ? 150000 : 125000;
            }
        } else if (type == 'M') {
            value = p.kind == ClassKind::Maiden ? 40000 : 50000 + 500 * std::max(0, p.level - 64);
        } else if (type == 'P') {
            value = p.kind == ClassKind::Benchmark ? 35000 + 500 * std::max(0, p.level - 58) : 30000;
        } else {
            value = p.kind == ClassKind::Benchmark ? 24000 + 250 * std::max(0, p.level - 50) : 22000;
        }
        const int st = stateIndex(track.state);
        if (st >= 5)
            value *= 0.7; // TAS, NT, ACT
        else if (st == 3 || st == 4)
            value *= 0.85; // SA, WA
        p.value = int(value / 500.0 + 0.5) * 500;
        p.limitWeight = p.wgtType == "HCP" ? (m_rng.chance(0.8) ? 54 : 53) : 55;
        classWindow(p, type);
    }
    return races;
}

bool Generator::eligible(const Horse &h, const RacePlan &p, int day) const
{
    if (p.fillies && !h.female())
        return false;
    const int age = h.age(day);
    if (age < 2 || age > 10)
        return false;
    if (p.ageRestr == 2 && age != 2)
        return false;
    if (p.ageRestr == 3 && age != 3)
        return false;
    if (p.ageRestr == 4 && age < 4)
        return false;
    if (p.ageRestr != 2 && age == 2 && (p.kind != ClassKind::Maiden || civilFromDays(day).m >= 8))
        return false; // two-year-olds meet their elders only in autumn maidens
    return true;
}

std::vector<std::uint32_t> Generator::selectHorses(const RacePlan &p, int state, int day, int wanted,
                                                   bool future, int raceStamp)
{
    std::vector<std::uint32_t> chosen;
    auto tryBands = [&](int lo, int hi, int ratingLo, int ratingHi, int maxTries) {
        std::vector<std::vector<std::uint32_t> *> lists;
        std::size_t total = 0;
        for (int b = lo; b <= hi; ++b) {
            auto &list = m_buckets[state][b];
            if (!list.empty()) {
                lists.push_back(&list);
                total += list.size();
            }
        }
        if (total == 0)
            return;
        for (int t = 0; t < maxTries && int(chosen.size()) < wanted; ++t) {
            std::size_t r = m_rng.below(std::uint32_t(total));
            std::size_t li = 0;
            while (r >= lists[li]->size()) {
                r -= lists[li]->size();
                ++li;
            }
            const std::uint32_t id = (*lists[li])[r];
            Horse &h = m_horses[id];
            if (h.stamp == raceStamp || h.selectedDay == day || h.nextReady > day + (future ? 4 : 0))
                continue;
            if (p.kind != ClassKind::Maiden && (h.rating < ratingLo || h.rating > ratingHi))
                continue;
            if (!eligible(h, p, day))
                continue;
            if (future && (h.careerRuns == 0 || h.runs == 0 || m_trainers[h.trainer].runs == 0))
                continue;
            h.stamp = raceStamp;
            h.selectedDay = day;
            if (future)
                h.nextReady = day + 9; // nominated this week; keeps the week's fields apart
            chosen.push_back(id);
        }
    };
    auto ratingBand = [](int r) { return 3 + std::clamp(r, 0, 119) / 5; };
    const int tries = wanted * 10 + 20;
    if (p.kind == ClassKind::Maiden) {
        tryBands(p.ratingLo, p.ratingLo, 0, 0, tries);
        if (int(chosen.size()) < wanted)
            tryBands(std::max(0, p.ratingLo - 1), std::min(2, p.ratingLo + 1), 0, 0, tries);
    } else {
        tryBands(ratingBand(p.ratingLo), ratingBand(p.ratingHi), p.ratingLo, p.ratingHi, tries);
        if (int(chosen.size()) < wanted) {
            // Widen the class window: horses a little out of their grade fill the field.
            const int lo = p.ratingLo - 8, hi = p.ratingHi + 6;
            tryBands(ratingBand(lo), ratingBand(hi), lo, hi, tries);
        }
    }
    if (future)
        return chosen;
    // Still short: new horses enter the state's racing (debutants, or arrivals from elsewhere).
    const int minimum = std::max(6, wanted - 2);
    while (int(chosen.size()) < minimum) {
        int age;
        if (p.ageRestr == 2)
            age = 2;
        else if (p.ageRestr == 3)
            age = 3;
        else if (p.kind == ClassKind::Maiden)
            age = m_rng.chance(0.7) ? 3 : 4;
        else
            age = m_rng.range(p.ageRestr == 4 ? 4 : 3, 6);
        int ability;
        std::uint32_t id;
        if (p.kind == ClassKind::Maiden) {
            const int lo = p.ratingLo == 2 ? 68 : (p.ratingLo == 1 ? 52 : 25);
            const int hi = p.ratingLo == 2 ? 100 : (p.ratingLo == 1 ? 67 : 51);
            ability = m_rng.range(lo, hi);
            id = newHorse(state, day, age, ability, true);
        } else {
            const int target = m_rng.range(std::max(40, p.ratingLo), std::max(40, std::min(p.ratingHi, 118)));
            ability = target + m_rng.range(-4, 6);
            id = newHorse(state, day, age, ability, false);
            m_horses[id].rating = std::int16_t(target);
            m_horses[id].careerRuns = std::uint16_t(m_rng.range(3, 20));
        }
        Horse &h = m_horses[id];
        if (p.fillies)
            h.sex = 'F';
        h.prepLeft = std::int8_t(m_rng.range(3, 8));
        h.nextReady = day;
        h.stamp = raceStamp;
        h.selectedDay = day;
        addToBucket(id);
        chosen.push_back(id);
        ++m_created;
    }
    return chosen;
}

std::vector<std::uint32_t> Generator::meetingJockeys(int state, char type, int day, int rides, bool future)
{
    const auto &pool = m_jockeysByState[state];
    const int wanted = std::min<int>(int(pool.size()), rides / 5 + 4);
    const std::size_t start = type == 'M' ? 0 : std::size_t(m_rng.below(std::uint32_t(pool.size() * (type == 'P' ? 0.5 : 0.85))));
    std::vector<std::uint32_t> out;
    for (int pass = 0; pass < 2 && int(out.size()) < wanted; ++pass)
        for (std::size_t k = 0; k < pool.size() && int(out.size()) < wanted; ++k) {
            const std::uint32_t id = pool[(start + k) % pool.size()];
            Jockey &j = m_jockeys[id];
            if (j.careerStart > day || (future && j.rides == 0))
                continue;
            if (pass == 0 && (j.busyDay == day || m_rng.chance(0.25)))
                continue;
            if (std::find(out.begin(), out.end(), id) != out.end())
                continue;
            j.busyDay = day;
            out.push_back(id);
        }
    return out;
}

void Generator::assignWeights(std::vector<Runner> &runners, const RacePlan &p, int day)
{
    if (p.wgtType == "HCP") {
        auto effective = [this](const Runner &r) {
            const Horse &h = m_horses[r.horse];
            return h.rating > 0 ? int(h.rating) : 30 + h.ability / 3;
        };
        int top = 0;
        for (const auto &r : runners)
            top = std::max(top, effective(r));
        // Half a kilogram per rating point below a top weight of 58 to 60.5 kg.
        const int topWeight2 = 2 * 58 + int(m_rng.below(6));
        for (auto &r : runners)
            r.weight2 = std::clamp(topWeight2 - (top - effective(r)), 2 * p.limitWeight, 2 * 61);
    } else {
        for (auto &r : runners) {
            const Horse &h = m_horses[r.horse];
            const int age = h.age(day);
            int w2 = age == 2 ? 2 * 57 : age == 3 ? 2 * 57 : 117; // 58.5 for older horses
            if (h.female())
                w2 -= 4;
            if (p.wgtType == "SWP")
                w2 += std::min<int>(h.wins, 3) * 2;
            if (p.wgtType == "WFA" && age == 3)
                w2 -= 3;
            r.weight2 = std::clamp(w2, 2 * 53, 2 * 61);
        }
    }
}

void Generator::runRace(std::vector<Runner> &runners, const RacePlan &p, int day, char cond)
{
    const int n = int(runners.size());
    // Expected performance: ability, weight, jockey; the market prices it, the race adds luck.
    for (auto &r : runners) {
        const Horse &h = m_horses[r.horse];
        const int age = h.age(day);
        double e = h.ability - 0.9 * (r.weight2 / 2.0 - 56.0) + 4.0 * m_jockeys[r.jockey].skill;
        if (age == 2)
            e -= 4;
        else if (age >= 9)
            e -= 3;
        if (cond == 'H' && (r.horse % 3) == 0)
            e += 2; // some like it wet
        r.expected = e;
        r.score = e + m_rng.normal() * 8.5;
    }
    double best = -1e9;
    for (const auto &r : runners)
        best = std::max(best, r.expected);
    double sum = 0;
    std::vector<double> strength(runners.size());
    for (int i = 0; i < n; ++i) {
        const double opinion = runners[std::size_t(i)].expected + m_rng.normal() * 2.5 - best;
        strength[std::size_t(i)] = std::exp(opinion / 4.5);
        sum += strength[std::size_t(i)];
    }
    for (int i = 0; i < n; ++i)
        runners[std::size_t(i)].price = ladderPrice(1.0 / (strength[std::size_t(i)] / sum * 1.18));
    (void)p;

    std::vector<int> order(runners.size());
    for (int i = 0; i < n; ++i)
        order[std::size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return runners[std::size_t(a)].score > runners[std::size_t(b)].score; });
    // A rare disqualification: the runner is placed last.
    if (n >= 6 && m_rng.chance(0.0015)) {
        const int k = 1 + int(m_rng.below(std::uint32_t(n - 1)));
        const int who = order[std::size_t(k)];
        order.erase(order.begin() + k);
        order.push_back(who);
        runners[std::size_t(who)].disq = true;
    }
    double cumulative = 0;
    double previousScore = runners[std::size_t(order[0])].score;
    for (int k = 0; k < n; ++k) {
        Runner &r = runners[std::size_t(order[std::size_t(k)])];
        r.pos = k + 1;
        if (k == 0) {
            r.margin = 0;
            continue;
        }
        const double gap = std::max(0.05, (previousScore - r.score) * 0.2 + m_rng.unit() * 0.2);
        previousScore = std::min(previousScore, r.score);
        cumulative += gap;
        double shown = cumulative < 10 ? std::round(cumulative * 10) / 10 : std::round(cumulative * 2) / 2;
        shown = std::clamp(shown, 0.1, 30.0);
        const double prev = runners[std::size_t(order[std::size_t(k - 1)])].margin;
        if (shown < prev)
            shown = prev;
        r.margin = shown;
    }
    // Running positions at the 800 m and 400 m.
    std::vector<std::pair<double, int>> at400, at800;
    for (int i = 0; i < n; ++i) {
        const double s400 = -runners[std::size_t(i)].pos + m_rng.normal() * 1.6;
        at400.emplace_back(-s400, i);
        at800.emplace_back(-(s400 + m_rng.normal() * 2.2), i);
    }
    std::stable_sort(at400.begin(), at400.end());
    std::stable_sort(at800.begin(), at800.end());
    for (int k = 0; k < n; ++k) {
        runners[std::size_t(at400[std::size_t(k)].second)].pos400 = k + 1;
        runners[std::size_t(at800[std::size_t(k)].second)].pos800 = k + 1;
    }
}

void Generator::afterRun(Runner &r, int day, int fieldSize)
{
    Horse &h = m_horses[r.horse];
    const std::uint32_t id = r.horse;
    ++h.runs;
    ++h.careerRuns;
    h.lastRun = day;
    m_trainers[h.trainer].runs++;
    m_jockeys[r.jockey].rides++;
    h.addForm(r.pos >= 10 ? '0' : char('0' + r.pos));
    if (r.pos == 1 && !r.disq) {
        ++h.wins;
        if (h.rating == 0)
            h.rating = std::int16_t(std::clamp(h.ability - 8 + int(m_rng.normal() * 4), 45, 82));
        else
            h.rating = std::int16_t(std::min(125, h.rating + m_rng.range(3, 6)));
    } else if (h.rating > 0) {
        if (r.pos <= 3)
            h.rating = std::int16_t(h.rating + (r.pos == 2 ? 1 : 0));
        else if (r.pos > fieldSize / 2)
            h.rating = std::int16_t(std::max(35, h.rating - 1));
    }
    const double g = m_rng.unit();
    h.nextReady = day + (g < 0.1 ? 7 : g < 0.4 ? m_rng.range(10, 14) : g < 0.8 ? m_rng.range(15, 21)
                                                                          : m_rng.range(22, 35));
    if (--h.prepLeft <= 0)
        sendToSpell(id, day);
    else
        rebucket(id);
}

// ---------------------------------------------------------------------------------------------
// Output

void Generator::writeRace(const Meeting &m, int raceNo, const RacePlan &p, std::vector<Runner> &runners, char cond,
                          const std::string &rail, bool synthetic)
{
    const std::string &date = m_dates[std::size_t(m.day - m_first)];
    const char *code = dd::kTracks[m.track].code;
    const int n = int(runners.size());

    // Times: a winning time from the distance, the going and the class; sectionals to match.
    const double speed = 17.4 - (p.distance - 1000) / 2200.0 * 1.4;
    const double going = cond == 'F' ? 0.99 : cond == 'G' ? 1.0 : cond == 'D' ? 1.02 : cond == 'S' ? 1.04 : 1.07;
    const double classAdj = 1.0 - (p.kind == ClassKind::Maiden ? 0 : std::min(40, p.ratingLo) * 0.0004);
    const double raceTime = p.distance / speed * going * classAdj * (1.0 + m_rng.normal() * 0.006);
    const double last600 = (34.6 + m_rng.normal() * 0.7 + (p.distance > 2000 ? 0.8 : 0)) * going;
    const double last400 = last600 * 0.655 + m_rng.normal() * 0.15;
    const double last800 = last600 * 1.345 + m_rng.normal() * 0.25;
    const std::string tRace = formatTime(raceTime), t800 = formatSeconds(last800), t400 = formatSeconds(last400),
                      t600 = formatSeconds(last600);

    RaceRow &race = m_batch.races.emplace_back();
    race.date = date.c_str();
    race.track = code;
    race.raceNo = raceNo;
    race.age = p.ageRestr == 2 ? "2YO" : p.ageRestr == 3 ? "3YO" : p.ageRestr == 4 ? "4U" : "3U";
    race.distance = p.distance;
    race.sexRestr = p.fillies ? "F&M" : "";
    race.cond[0] = cond;
    race.cond[1] = 0;
    race.className = p.className;
    race.name = p.name;
    race.wgtType = p.wgtType;
    race.trackType = synthetic ? "SYNTHETIC" : "TURF";
    race.rail = rail;
    race.limitWeight = p.limitWeight;
    race.starters = n;
    race.value = p.value;
    std::snprintf(race.time, sizeof race.time, "%s", tRace.c_str());
    std::snprintf(race.t800, sizeof race.t800, "%s", t800.c_str());
    std::snprintf(race.t400, sizeof race.t400, "%s", t400.c_str());
    std::snprintf(race.t600, sizeof race.t600, "%s", t600.c_str());
    ++m_raceCount;

    std::vector<int> order(runners.size());
    for (int i = 0; i < n; ++i)
        order[std::size_t(i)] = i;
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return runners[std::size_t(a)].pos < runners[std::size_t(b)].pos; });
    for (int k : order) {
        Runner &r = runners[std::size_t(k)];
        const Horse &h = m_horses[r.horse];
        const Jockey &j = m_jockeys[r.jockey];
        // Results are published the same evening or the next morning; a few are corrected later.
        const double u = m_rng.unit();
        int updDay = m.day + (u < 0.35 ? 0 : u < 0.85 ? 1 : u < 0.99 ? 2 : m_rng.range(3, 30));
        int hour = updDay == m.day ? m_rng.range(18, 23) : m_rng.range(5, 22);
        if (updDay >= m_until) {
            updDay = m_until - 1;
            hour = m_rng.range(18, 23);
        }
        const Civil uc = civilFromDays(updDay);
        RunRow &run = m_batch.runs.emplace_back();
        std::snprintf(run.updated, sizeof run.updated, "%04d-%02d-%02d %02d:%02d:%02d", uc.y, uc.m, uc.d, hour,
                      int(m_rng.below(60)), int(m_rng.below(60)));
        std::snprintf(run.sectional, sizeof run.sectional, "%02d%02d", std::min(r.pos800, 99) % 100,
                      std::min(r.pos400, 99) % 100);
        const double money = r.disq || r.pos > 10 ? 0 : std::floor(p.value * kPrizeShare[r.pos - 1] + 0.5);

        run.date = date.c_str();
        run.raceNo = raceNo;
        run.horse = h.stableName;
        run.track = code;
        run.weight = r.weight2 / 2.0;
        run.claim = r.claim10 / 10.0;
        run.beaten = r.disq ? "DIS" : r.pos == 1 ? "WON" : nullptr;
        run.margin = r.margin;
        run.jockey = j.code.c_str();
        run.money = money;
        run.barrier = r.barrier;
        run.pos = r.pos;
        run.price = r.price;
        run.rating = h.rating;
        run.trainer = m_trainers[h.trainer].upper.c_str();
        ++m_runCount;
    }
}

// ---------------------------------------------------------------------------------------------
// Field files for the coming week

std::string conditionsText(const RacePlan &p)
{
    std::string cls;
    switch (p.kind) {
    case ClassKind::Maiden: cls = "Maiden"; break;
    case ClassKind::ClassN: cls = "Class " + std::to_string(p.level); break;
    case ClassKind::Benchmark: cls = "Benchmark " + std::to_string(p.level); break;
    case ClassKind::Quality: cls = "Quality"; break;
    case ClassKind::Open: cls = "Open"; break;
    case ClassKind::Listed: cls = "Listed Race"; break;
    case ClassKind::Group3: cls = "Group 3"; break;
    case ClassKind::Group2: cls = "Group 2"; break;
    case ClassKind::Group1: cls = "Group 1"; break;
    }
    const std::string weights = p.wgtType == "HCP" ? "Handicap" : p.wgtType == "SW" ? "Set Weights"
                              : p.wgtType == "SWP" ? "Set Weights and Penalties" : "Weight for Age";
    return cls + ", " + weights + ".";
}

struct FieldEntry {
    std::uint32_t horse = 0;
    int weight2 = 0;
    int rank = 0;   // ballot order
    int barrier = 0;
    int jockey = -1;
    int number = 0;
    bool accepted = false; // in the acceptances file
    bool weighted = false; // in the weights file
};

struct FieldRace {
    RacePlan plan;
    std::vector<FieldEntry> entries;
    int fieldLimit = 14;
    int emergencies = 4;
    int startMinutes = 0;
};

struct FieldMeeting {
    Meeting meeting;
    std::vector<FieldRace> races;
};

bool Generator::writeFields(const std::string &dir, std::ostream &errors)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        errors << "generate-demo: cannot create " << dir << ": " << ec.message() << "\n";
        return false;
    }
    std::vector<FieldMeeting> meetings;
    bool bigFieldDone = false;
    int stamp = 1 << 29;
    for (int day = m_until; day < m_until + 7; ++day) {
        const std::vector<Meeting> todays = meetingsOn(day);
        for (const Meeting &m : todays) {
            const auto &track = dd::kTracks[m.track];
            const char type = track.type;
            const int state = stateIndex(track.state);
            const bool big = !bigFieldDone && m.saturday && type == 'M' && state <= 1;
            FieldMeeting fm;
            fm.meeting = m;
            std::vector<RacePlan> plans = planRaces(m, big);
            int minutes = m.night ? 18 * 60 : type == 'M' && m.saturday ? 12 * 60 + 15 : 12 * 60 + 30;
            if (type == 'C')
                minutes = 11 * 60 + 45 + 15 * int(m_rng.below(6));
            std::vector<std::uint32_t> inMeeting;
            for (std::size_t ri = 0; ri < plans.size(); ++ri) {
                FieldRace fr;
                fr.plan = plans[ri];
                fr.fieldLimit = std::min(track.fieldLimit, 16);
                fr.emergencies = type == 'M' ? 4 : (type == 'P' ? 3 : 2);
                fr.startMinutes = minutes;
                minutes += type == 'M' ? 35 : 30 + 5 * int(m_rng.below(2));
                const bool feature = big && fr.plan.kind == ClassKind::Group1 && !bigFieldDone;
                std::vector<std::uint32_t> horses;
                if (feature) {
                    // Feature race: nominations from every state, more than a hundred of them.
                    bigFieldDone = true;
                    ++stamp;
                    for (int minRating = 85; minRating >= 0 && horses.size() < 130; minRating -= 15)
                        for (std::uint32_t id = 0; id < m_horses.size() && horses.size() < 130; ++id) {
                            Horse &h = m_horses[id];
                            if (h.retired || h.runs == 0 || h.stamp == stamp || h.rating < minRating ||
                                m_trainers[h.trainer].runs == 0 || h.age(day) < 3 || (fr.plan.fillies && !h.female()))
                                continue;
                            if (m_rng.chance(0.5))
                                continue;
                            h.stamp = stamp;
                            horses.push_back(id);
                        }
                    fr.fieldLimit = 16;
                    fr.emergencies = 4;
                } else {
                    const int wanted = m_rng.range(6, fr.fieldLimit + 2);
                    horses = selectHorses(fr.plan, state, day, wanted + wanted / 2, true, ++stamp);
                }
                // A horse runs once per meeting.
                horses.erase(std::remove_if(horses.begin(), horses.end(),
                                            [&](std::uint32_t id) {
                                                return std::find(inMeeting.begin(), inMeeting.end(), id) !=
                                                       inMeeting.end();
                                            }),
                             horses.end());
                if (horses.empty())
                    continue;
                inMeeting.insert(inMeeting.end(), horses.begin(), horses.end());
                std::vector<Runner> tmp(horses.size());
                for (std::size_t i = 0; i < horses.size(); ++i)
                    tmp[i].horse = horses[i];
                assignWeights(tmp, fr.plan, day);
                const int nominated = int(horses.size());
                // Who stays in: about two thirds accept; a full field brings emergencies and a ballot.
                int acceptors = std::max(std::min(nominated, 5), nominated * 2 / 3);
                if (feature)
                    acceptors = fr.fieldLimit + fr.emergencies + 2;
                acceptors = std::min(acceptors, std::min(nominated, fr.fieldLimit + fr.emergencies + 2));
                for (std::size_t i = 0; i < horses.size(); ++i) {
                    FieldEntry e;
                    e.horse = horses[i];
                    e.weight2 = tmp[i].weight2;
                    e.accepted = int(i) < acceptors;
                    e.weighted = e.accepted || (feature ? i < 60 : m_rng.chance(0.6));
                    fr.entries.push_back(e);
                }
                // Ballot order among the acceptors.
                std::vector<int> ranks;
                for (int i = 0; i < acceptors; ++i)
                    ranks.push_back(i + 1);
                for (int i = acceptors - 1; i > 0; --i)
                    std::swap(ranks[std::size_t(i)], ranks[m_rng.below(std::uint32_t(i + 1))]);
                for (int i = 0; i < acceptors; ++i)
                    fr.entries[std::size_t(i)].rank = ranks[std::size_t(i)];
                if (acceptors <= fr.fieldLimit)
                    fr.emergencies = acceptors < fr.fieldLimit ? 0 : fr.emergencies;
                // Barriers for the field and the emergencies; jockeys for most of them.
                const int drawn = std::min(acceptors, fr.fieldLimit + fr.emergencies);
                std::vector<int> barriers;
                for (int b = 1; b <= drawn; ++b)
                    barriers.push_back(b);
                for (int i = drawn - 1; i > 0; --i)
                    std::swap(barriers[std::size_t(i)], barriers[m_rng.below(std::uint32_t(i + 1))]);
                int bi = 0;
                for (auto &e : fr.entries)
                    if (e.accepted && e.rank <= drawn)
                        e.barrier = barriers[std::size_t(bi++)];
                fm.races.push_back(std::move(fr));
            }
            if (fm.races.empty())
                continue;
            // Jockeys for the meeting.
            int rides = 0;
            for (const auto &fr : fm.races)
                rides += int(fr.entries.size());
            const std::vector<std::uint32_t> pool = meetingJockeys(state, type, day, rides, true);
            for (auto &fr : fm.races) {
                std::vector<std::uint32_t> usedHere;
                for (auto &e : fr.entries) {
                    if (!e.accepted || e.barrier == 0 || pool.empty())
                        continue;
                    if (e.rank > fr.fieldLimit && m_rng.chance(0.4))
                        continue;
                    if (m_rng.chance(0.04))
                        continue; // rider to be advised
                    for (int t = 0; t < 12; ++t) {
                        const double u = m_rng.unit();
                        const std::uint32_t jid = pool[std::size_t(double(pool.size()) * u * u)];
                        if (std::find(usedHere.begin(), usedHere.end(), jid) == usedHere.end()) {
                            usedHere.push_back(jid);
                            e.jockey = int(jid);
                            break;
                        }
                    }
                }
            }
            meetings.push_back(std::move(fm));
        }
    }

    static const char *const kDayNames[] = {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY",
                                            "SATURDAY"};
    static const char *const kLevels[] = {"DGN", "DGW", "DGA"};
    static const char *const kLevelWords[] = {"NOMINATIONS", "WEIGHTS", "ACCEPTANCES"};
    int files = 0;
    long long lines = 0;
    for (const FieldMeeting &fm : meetings) {
        const Meeting &m = fm.meeting;
        const auto &track = dd::kTracks[m.track];
        const Civil c = civilFromDays(m.day);
        char ddmm[8];
        std::snprintf(ddmm, sizeof ddmm, "%02d%02d", c.d, c.m);
        const std::string meetingCode = std::string(ddmm) + track.code;
        const char *typeWord = track.type == 'M' ? "Metropolitan Meeting"
                                                 : track.type == 'P' ? "Provincial Meeting" : "Country Meeting";
        for (int level = 0; level < 3; ++level) {
            const std::string path = (std::filesystem::path(dir) / (meetingCode + "." + kLevels[level])).string();
            std::ofstream out(path, std::ios::binary);
            if (!out) {
                errors << "generate-demo: cannot write " << path << "\n";
                return false;
            }
            char dateText[16];
            std::snprintf(dateText, sizeof dateText, "%02d/%02d/%02d", c.d, c.m, c.y % 100);
            // Meeting header: f3 ends with the date, f6 + f7 describe the meeting, f8 is the venue.
            out << "0000000" << track.code << '<' << track.state << '<' << kLevelWords[level] << '<'
                << kDayNames[weekday(m.day)] << ' ' << dateText << '<' << (m.night ? "NIGHT" : "DAY") << '<'
                << fm.races.size() << '<' << track.club << '<' << typeWord << '<' << track.locat << "\r\n";
            ++lines;
            int raceNo = 0;
            for (const FieldRace &fr : fm.races) {
                ++raceNo;
                const RacePlan &p = fr.plan;
                int hour = fr.startMinutes / 60;
                const int minute = fr.startMinutes % 60;
                const bool pm = hour >= 12;
                if (hour > 12)
                    hour -= 12;
                char rn[16];
                std::snprintf(rn, sizeof rn, "%02d", raceNo);
                char timeText[24];
                std::snprintf(timeText, sizeof timeText, "%d.%02d", hour, minute);
                const bool full = level == 2 && fr.emergencies > 0;
                out << rn << "00100" << p.name << '<' << raceNo << '<' << timeText << '<' << (pm ? "P.M." : "A.M.")
                    << '<' << p.distance << " METRES" << '<' << (p.claims ? "C" : "") << '<' << p.className << '<'
                    << (p.ageRestr == 2 ? "2YO" : p.ageRestr == 3 ? "3YO" : "3U") << '<' << (p.fillies ? "F&M" : "")
                    << '<' << p.wgtType << '<' << p.value << '<' << formatMoney(p.value) << "<<<<<<" << p.className
                    << '<' << p.distance << '<' << fr.fieldLimit << '<' << (full ? fr.emergencies : 0) << "\r\n";
                out << rn << "00200" << "Of " << formatMoney(p.value) << ". "
                    << (p.ageRestr == 2 ? "For Two-Years-Old. " : p.ageRestr == 3 ? "For Three-Years-Old. "
                                                                                   : "For Three-Years-Old and Upwards. ")
                    << (p.fillies ? "Fillies and Mares. " : "") << conditionsText(p) << " Minimum weight " << p.limitWeight
                    << "kg." << "\r\n";
                out << rn << "00210" << (p.claims ? "Apprentices can claim." : "No Allowances for apprentices.")
                    << "\r\n";
                lines += 3;

                // Horses in the order the file lists them: nominations by name, the others by weight.
                std::vector<const FieldEntry *> listed;
                for (const FieldEntry &e : fr.entries)
                    if (level == 0 || (level == 1 && e.weighted) || (level == 2 && e.accepted))
                        listed.push_back(&e);
                if (level == 0) {
                    std::sort(listed.begin(), listed.end(), [this](const FieldEntry *a, const FieldEntry *b) {
                        return m_horses[a->horse].name < m_horses[b->horse].name;
                    });
                } else {
                    std::stable_sort(listed.begin(), listed.end(), [&](const FieldEntry *a, const FieldEntry *b) {
                        if (level == 2) {
                            const bool ia = a->rank <= fr.fieldLimit, ib = b->rank <= fr.fieldLimit;
                            if (ia != ib)
                                return ia;
                            if (!ia)
                                return a->rank < b->rank;
                        }
                        if (a->weight2 != b->weight2)
                            return a->weight2 > b->weight2;
                        return m_horses[a->horse].name < m_horses[b->horse].name;
                    });
                }
                int number = 0;
                for (const FieldEntry *e : listed) {
                    ++number;
                    const Horse &h = m_horses[e->horse];
                    const Trainer &tr = m_trainers[h.trainer];
                    char prefix[32];
                    std::snprintf(prefix, sizeof prefix, "%s%02d", rn, number % 100);
                    std::string weight;
                    if (level > 0) {
                        weight = std::to_string(e->weight2 / 2);
                        if (e->weight2 % 2)
                            weight += '|';
                    }
                    const Civil dob = civilFromDays(h.dob);
                    char dobText[16];
                    std::snprintf(dobText, sizeof dobText, "%02d/%02d/%04d", dob.d, dob.m, dob.y);
                    std::string name = h.name;
                    if (h.suffix)
                        name += std::string(" ") + kSuffixes[h.suffix];
                    std::string jockey, ballot;
                    int claim = 0;
                    if (level == 2) {
                        if (e->jockey >= 0) {
                            const Jockey &j = m_jockeys[std::size_t(e->jockey)];
                            jockey = j.full;
                            if (p.claims && m.day < j.apprenticeEnd)
                                claim = m.day - j.careerStart < 365 ? 30 : m.day - j.careerStart < 730 ? 20 : 15;
                        }
                        ballot = std::to_string(e->rank);
                        if (e->rank > 3 && m_rng.chance(0.03))
                            ballot += '=';
                    }
                    char claimText[8] = "";
                    if (claim)
                        std::snprintf(claimText, sizeof claimText, "%d%s", claim / 10, claim % 10 ? ".5" : "");
                    const std::string classText = h.rating == 0 ? ">" : "C" + std::to_string(std::min<int>(h.wins, 6));
                    out << prefix << "400" << number << '<' << h.runs << '<'
                        << (level == 2 && e->barrier ? std::to_string(e->barrier) : "") << '<' << weight << '<'
                        << claimText << '<' << dd::kColours[h.colour] << '<' << h.sexAt(m.day) << '<' << h.age(m.day)
                        << '<' << "" << '<' << "" << '<' << "" << '<' << "" << '<' << dobText << '<' << name << '<'
                        << h.formText() << '<' << jockey << '<' << claimText << '<' << ballot << '<' << classText
                        << '<' << (h.rating ? std::to_string(h.rating) : "0") << "\r\n";
                    std::string damSire = m_sires[h.damSire];
                    out << prefix << "500" << m_sires[h.sire] << '<' << h.dam << '<' << damSire << "\r\n";
                    // Owners are derived from the horse so that every stage of the field agrees.
                    Rng own(e->horse * 7919ULL + 17);
                    std::string owners;
                    const int nOwners = 1 + int(own.below(4));
                    if (own.chance(0.2)) {
                        owners = std::string(own.pick(dd::kOwnerWords)) + " Racing (Mgr: " +
                                 std::string(own.pick(dd::kMaleFirst)).substr(0, 1) + " " + own.pick(dd::kSurnames) + ")";
                    } else {
                        for (int o = 0; o < nOwners; ++o) {
                            if (o)
                                owners += o == nOwners - 1 ? " & " : ", ";
                            owners += std::string(own.chance(0.5) ? own.pick(dd::kMaleFirst) : own.pick(dd::kFemaleFirst))
                                          .substr(0, 1) +
                                      " " + own.pick(dd::kSurnames);
                        }
                    }
                    out << prefix << "600" << owners << "\r\n";
                    out << prefix << "700" << tr.name << '<' << tr.location << '<' << tr.phone << "\r\n";
                    lines += 4;
                }
            }
            ++files;
        }
    }
    m_progress << "generate-demo: wrote " << files << " field files (" << meetings.size() << " meetings, " << lines
               << " lines) to " << dir << "\n";
    return true;
}

// ---------------------------------------------------------------------------------------------

bool Generator::run(sqlite3 *db, const std::string &fieldsDir, std::ostream &errors)
{
    const int days = m_until - m_first;
    m_dates.reserve(std::size_t(days) + 8);
    for (int d = m_first; d < m_until + 8; ++d)
        m_dates.push_back(isoDate(d));
    m_returns.resize(std::size_t(days) + 200);

    createTrainers();
    createJockeys();
    createSires();
    seedPopulation();

    // Reference tables.
    {
        Statement track(db, "INSERT INTO Track (TrackCode, TrackClub, State, MeetType, TrackLocat) VALUES (?,?,?,?,?)");
        Statement term(db, "INSERT INTO RaceShortCode (RaceTerm, ShtTerm) VALUES (?,?)");
        if (!track.ok() || !term.ok()) {
            errors << "generate-demo: " << sqlite3_errmsg(db) << "\n";
            return false;
        }
        for (const auto &t : dd::kTracks) {
            const char type[2] = {t.type, 0};
            track.text(1, t.code);
            track.text(2, t.club);
            track.text(3, t.state);
            track.text(4, type);
            track.text(5, t.locat);
            track.step();
        }
        for (const auto &pair : dd::kShortCodes) {
            term.text(1, pair[0]);
            term.text(2, pair[1]);
            term.step();
        }
    }

    RowWriter writer(db);
    if (!writer.ok()) {
        errors << "generate-demo: " << sqlite3_errmsg(db) << "\n";
        return false;
    }

    int raceStamp = 0;
    int nextReport = 1;
    std::vector<Runner> runners;
    for (int day = m_first; day < m_until; ++day) {
        returnFromSpell(day);
        if (weekday(day) == 1)
            weeklySweep(day);
        const Civil c = civilFromDays(day);
        const bool wetSeason = c.m >= 5 && c.m <= 9;
        for (const Meeting &m : meetingsOn(day)) {
            const auto &track = dd::kTracks[m.track];
            const int state = stateIndex(track.state);
            const char type = track.type;
            std::vector<RacePlan> plans = planRaces(m, false);
            // The going for the day, and the rail.
            const double g = m_rng.unit();
            char cond = wetSeason ? (g < 0.45 ? 'G' : g < 0.7 ? 'D' : g < 0.85 ? 'S' : 'H')
                                  : (g < 0.08 ? 'F' : g < 0.72 ? 'G' : g < 0.88 ? 'D' : g < 0.95 ? 'S' : 'H');
            const bool synthetic = (std::strcmp(track.code, "PAKE") == 0 || std::strcmp(track.code, "GEEL") == 0 ||
                                    std::strcmp(track.code, "CRAN") == 0 || std::strcmp(track.code, "BALL") == 0) &&
                                   m_rng.chance(0.2);
            if (synthetic)
                cond = 'G';
            const int railOut = int(m_rng.below(5)) * 2;
            const std::string rail = railOut == 0 ? "TRUE" : "+" + std::to_string(railOut) + "M";

            // Select every field first, then the riders for the whole meeting.
            std::vector<std::vector<std::uint32_t>> fields;
            int rides = 0;
            for (const RacePlan &p : plans) {
                const int limit = track.fieldLimit;
                const int lo = type == 'C' ? 6 : type == 'P' ? 6 : 7;
                const int wanted = std::min(limit, (m_rng.range(lo, limit + 1) + m_rng.range(lo, limit + 1)) / 2);
                fields.push_back(selectHorses(p, state, day, wanted, false, ++raceStamp));
                rides += int(fields.back().size());
            }
            const std::vector<std::uint32_t> jockeyPool = meetingJockeys(state, type, day, rides, false);
            m_batch.meets.push_back({m_dates[std::size_t(day - m_first)].c_str(), track.code, track.state,
                                     track.club, {type, 0}});
            ++m_meetCount;

            for (std::size_t ri = 0; ri < plans.size(); ++ri) {
                const RacePlan &p = plans[ri];
                const auto &field = fields[ri];
                runners.assign(field.size(), Runner{});
                std::vector<std::uint32_t> usedJockeys;
                // Barriers: scratchings leave gaps in the draw now and then.
                const int drawSize = int(field.size()) + (m_rng.chance(0.3) ? m_rng.range(1, 2) : 0);
                std::vector<int> draw;
                for (int b = 1; b <= drawSize; ++b)
                    draw.push_back(b);
                for (int i = drawSize - 1; i > 0; --i)
                    std::swap(draw[std::size_t(i)], draw[m_rng.below(std::uint32_t(i + 1))]);
                for (std::size_t i = 0; i < field.size(); ++i) {
                    Runner &r = runners[i];
                    r.horse = field[i];
                    r.barrier = draw[i];
                    std::uint32_t jid = jockeyPool.empty() ? m_jockeysByState[state][0] : jockeyPool[0];
                    for (int t = 0; t < 20 && !jockeyPool.empty(); ++t) {
                        const double u = m_rng.unit();
                        const std::uint32_t cand = jockeyPool[std::size_t(double(jockeyPool.size()) * u * u)];
                        if (std::find(usedJockeys.begin(), usedJockeys.end(), cand) == usedJockeys.end()) {
                            jid = cand;
                            break;
                        }
                        if (t == 19) {
                            for (std::uint32_t other : jockeyPool)
                                if (std::find(usedJockeys.begin(), usedJockeys.end(), other) == usedJockeys.end()) {
                                    jid = other;
                                    break;
                                }
                        }
                    }
                    usedJockeys.push_back(jid);
                    r.jockey = jid;
                    const Jockey &j = m_jockeys[jid];
                    if (p.claims && day < j.apprenticeEnd)
                        r.claim10 = day - j.careerStart < 365 ? 30 : day - j.careerStart < 730 ? 20 : 15;
                }
                assignWeights(runners, p, day);
                runRace(runners, p, day, cond);
                writeRace(m, int(ri) + 1, p, runners, cond, rail, synthetic);
                for (auto &r : runners)
                    afterRun(r, day, int(runners.size()));
            }
        }
        if (m_batch.runs.size() >= 20000 || day + 1 == m_until)
            writer.submit(std::exchange(m_batch, Batch{}));
        if (days > 0 && (day - m_first + 1) * 10 >= nextReport * days) {
            m_progress << "generate-demo: " << nextReport * 10 << "% to " << m_dates[std::size_t(day - m_first)]
                       << ": " << m_meetCount << " meetings, " << m_raceCount << " races, " << m_runCount << " runs, "
                       << m_horses.size() << " horses\n";
            m_progress.flush();
            while (nextReport * days <= (day - m_first + 1) * 10)
                ++nextReport;
        }
    }

    if (!writer.finish()) {
        errors << "generate-demo: " << sqlite3_errmsg(db) << "\n";
        return false;
    }

    // Horses that ran, as they stand at the end of the history.
    {
        Statement insHorse(db, "INSERT INTO HORSMAST (HHorse, HDob, HSireWin, HDamWin, HWinAge, HWinSex, HTrainer) "
                               "VALUES (?,?,?,?,?,?,?)");
        if (!insHorse.ok()) {
            errors << "generate-demo: " << sqlite3_errmsg(db) << "\n";
            return false;
        }
        const int last = m_until - 1;
        for (const Horse &h : m_horses) {
            if (h.runs == 0)
                continue;
            const std::string dob = isoDate(h.dob);
            const int at = std::min(last, h.lastRun);
            const char sex[2] = {h.sexAt(at), 0};
            insHorse.text(1, h.name);
            insHorse.text(2, dob);
            insHorse.text(3, m_sires[h.sire]);
            insHorse.text(4, h.dam);
            insHorse.integer(5, h.age(at));
            insHorse.text(6, sex);
            insHorse.text(7, m_trainers[h.trainer].upper);
            insHorse.step();
        }
    }
    m_progress << "generate-demo: history " << m_dates.front() << " to " << isoDate(m_until - 1) << ": "
               << m_meetCount << " meetings, " << m_raceCount << " races, " << m_runCount << " runs, "
               << m_horses.size() << " horses (" << m_created << " entered on demand)\n";

    if (!fieldsDir.empty())
        return writeFields(fieldsDir, errors);
    return true;
}

} // namespace

int generateDemo(const DemoOptions &options, std::ostream &progress, std::ostream &errors)
{
    const auto started = std::chrono::steady_clock::now();
    if (options.dbPath.empty()) {
        errors << "generate-demo: --db FILE is required\n";
        return 2;
    }
    if (!(options.years > 0) || options.years > 60) {
        errors << "generate-demo: --years must be above 0 and at most 60\n";
        return 2;
    }
    int untilDay = 0;
    if (options.until.empty())
        untilDay = todayLocal();
    else if (!parseIsoDate(options.until, untilDay)) {
        errors << "generate-demo: --until must be a date YYYY-MM-DD\n";
        return 2;
    }
    const int firstDay = untilDay - std::max(1, int(options.years * 365.2425 + 0.5));

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(options.dbPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        errors << "generate-demo: cannot open " << options.dbPath << ": " << sqlite3_errmsg(db) << "\n";
        sqlite3_close(db);
        return 1;
    }
    // Keep the file's journal mode (the server may use WAL); the bulk load runs without a journal.
    std::string journal = "delete";
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            journal = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    // A new file gets larger pages (faster bulk load and index build); an existing one keeps its own.
    bool ok = exec(db, "PRAGMA page_size=16384;", errors) && exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-64000;", errors);
    // The form tables are rebuilt from scratch; other tables in the file (users) are left alone.
    std::string drop = "BEGIN;";
    for (const char *table : formschema::kFormTables)
        drop += std::string("DROP TABLE IF EXISTS \"") + table + "\";";
    ok = ok && exec(db, drop.c_str(), errors) && exec(db, formschema::kCreateSql, errors);
    if (ok) {
        Generator generator(options, firstDay, untilDay, progress);
        ok = generator.run(db, options.fieldsDir, errors);
    }
    auto elapsed = [&started] {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f s",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        return std::string(buf);
    };
    if (ok) {
        progress << "generate-demo: building indexes (" << elapsed() << ")\n";
        progress.flush();
        // With a small cache the sorter behind CREATE INDEX sorts runs on a helper thread while it reads:
        // about twice as fast as one big in-memory sort.
        ok = exec(db, "COMMIT; PRAGMA threads=2; PRAGMA cache_size=-8000; BEGIN;", errors);
        progress << "generate-demo: data written (" << elapsed() << ")\n";
        ok = ok && exec(db, formschema::kIndexSql, errors) && exec(db, "COMMIT;", errors);
        progress << "generate-demo: indexes built (" << elapsed() << ")\n";
        ok = ok && exec(db, "PRAGMA analysis_limit=1000; ANALYZE;", errors);
    } else {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    const std::string restore = "PRAGMA journal_mode=" + journal + "; PRAGMA synchronous=FULL;";
    sqlite3_exec(db, restore.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (!ok)
        return 1;
    progress << "generate-demo: done in " << elapsed() << "\n";
    return 0;
}
