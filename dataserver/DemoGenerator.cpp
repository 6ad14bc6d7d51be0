#include "DemoGenerator.h"

#include "DemoSimulation.h"
#include "FormSchema.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace demo {

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

    if (!writeTracks(db, errors))
        return false;

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
            char cond = wetSeason ? (g < 0.45   ? 'G'
                                     : g < 0.7  ? 'D'
                                     : g < 0.85 ? 'S'
                                                : 'H')
                                  : (g < 0.08   ? 'F'
                                     : g < 0.72 ? 'G'
                                     : g < 0.88 ? 'D'
                                     : g < 0.95 ? 'S'
                                                : 'H');
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
            m_batch.meets.push_back(
                {m_dates[std::size_t(day - m_first)].c_str(), track.code, track.state, track.club, {type, 0}});
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
            m_progress << "generate-demo: " << nextReport * 10 << "% to " << m_dates[std::size_t(day - m_first)] << ": "
                       << m_meetCount << " meetings, " << m_raceCount << " races, " << m_runCount << " runs, "
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

    if (!writeHorses(db, errors))
        return false;
    m_progress << "generate-demo: history " << m_dates.front() << " to " << isoDate(m_until - 1) << ": " << m_meetCount
               << " meetings, " << m_raceCount << " races, " << m_runCount << " runs, " << m_horses.size()
               << " horses (" << m_created << " entered on demand)\n";

    if (!fieldsDir.empty())
        return writeFields(fieldsDir, errors);
    return true;
}

} // namespace demo

namespace {

using namespace demo;

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
    bool ok = exec(db, "PRAGMA page_size=16384;", errors) &&
              exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-64000;", errors);
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
