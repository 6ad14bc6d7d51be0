#pragma once

#include "DemoDatabaseWriter.h"
#include "DemoDates.h"
#include "DemoGenerator.h"
#include "DemoRandom.h"
#include "DemoTracks.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <iosfwd>
#include <iterator>
#include <string>
#include <unordered_set>
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

namespace demo {

namespace dd = demodata;

constexpr int kStateCount = int(std::size(dd::kStates));
constexpr int kBandCount = 3 + 24; // three maiden tiers, then ratings in steps of 5

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

inline constexpr const char *kSuffixes[] = {"", "(NZ)", "(IRE)", "(GB)", "(USA)", "(FR)", "(JPN)"};

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

int stateIndex(const char *state);
int trackIndex(const char *code);

struct FieldMeeting;

// One simulation with one random stream. Its members live where they change together:
// DemoPopulation.cpp (people and horses), DemoRacing.cpp (calendar, programmes, races),
// DemoDatabaseWriter.cpp (rows of the history), DemoFieldFiles.cpp (the coming week's fields)
// and DemoGenerator.cpp (the day-by-day loop).
class Generator
{
public:
    Generator(const DemoOptions &options, int firstDay, int untilDay, std::ostream &progress)
        : m_rng(options.seed * 0x2545F4914F6CDD1DULL + 0x1234567ULL), m_first(firstDay), m_until(untilDay),
          m_progress(progress)
    {}

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
    std::vector<std::uint32_t> selectHorses(const RacePlan &p, int state, int day, int wanted, bool future,
                                            int raceStamp);
    std::vector<std::uint32_t> meetingJockeys(int state, char type, int day, int rides, bool future);
    void assignWeights(std::vector<Runner> &runners, const RacePlan &p, int day);
    void runRace(std::vector<Runner> &runners, const RacePlan &p, int day, char cond);
    void afterRun(Runner &r, int day, int fieldSize);

    // output
    void writeRace(const Meeting &m, int raceNo, const RacePlan &p, std::vector<Runner> &runners, char cond,
                   const std::string &rail, bool synthetic);
    bool writeTracks(sqlite3 *db, std::ostream &errors);
    bool writeHorses(sqlite3 *db, std::ostream &errors);
    bool writeFields(const std::string &dir, std::ostream &errors);
    std::vector<FieldMeeting> planFieldWeek();
    long long writeFieldFile(std::ostream &out, const FieldMeeting &fm, int level);

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
    std::vector<std::string> m_dates;                  // 'YYYY-MM-DD' by day offset

    Batch m_batch;
    long long m_runCount = 0;
    long long m_raceCount = 0;
    long long m_meetCount = 0;
    long long m_created = 0;
};

} // namespace demo
