// The history's rows in the form tables: meetings, races and runs on a writer thread, then tracks
// and horses.
#include "DemoDatabaseWriter.h"

#include "DemoSimulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace demo {

namespace {

// Shares of the prize money by finishing position; the small remainder keeps rounded payouts within the prize.
const double kPrizeShare[] = {0.575, 0.195, 0.0975, 0.0525, 0.025, 0.0105, 0.0105, 0.0105, 0.0105, 0.0105};

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

} // namespace

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

void RowWriter::work()
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
void RowWriter::write(const Batch &batch)
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

// The tracks and the short words of race names.
bool Generator::writeTracks(sqlite3 *db, std::ostream &errors)
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
    return true;
}

// Horses that ran, as they stand at the end of the history.
bool Generator::writeHorses(sqlite3 *db, std::ostream &errors)
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
    return true;
}

} // namespace demo
