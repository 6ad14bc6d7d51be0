#include "SyntheticHistory.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

// A plain synthetic history with realistic volumes (about 200,000 runs a year), for developing the benchmark
// when no demo database is at hand. Names are syllable pairs so that text searches behave like real ones.
bool synthesize(const std::string &server, const std::string &dbPath, int years)
{
    const std::string init = "'" + server + "' init --db '" + dbPath + "' > /dev/null";
    if (std::system(init.c_str()) != 0)
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK)
        return false;
    const char *syl[] = {"GREEN", "RED",   "SIL",  "VER",   "STAR", "DARK",  "MOON",  "KING",   "LADY",
                         "ROCK",  "WIND",  "FIRE", "GOLD",  "BLUE", "STORM", "RIVER", "SHADOW", "LIGHT",
                         "NIGHT", "DANCE", "MIST", "FLASH", "ZARA", "OAK",   "BAY",   "COAST",  "PRINCE",
                         "BELLE", "ROSE",  "HILL", "SUN",   "ECHO", "NOVA",  "VALE"};
    const int nSyl = sizeof syl / sizeof *syl;
    std::mt19937 rng(2024);
    const int days = years * 365;
    const int horses = years * 9000 + 20000;
    const int jockeys = 600, trainers = 1300, tracks = 150;
    auto horseName = [&](int h) {
        return std::string(syl[h % nSyl]) + " " + syl[(h / nSyl) % nSyl] +
               (h / (nSyl * nSyl) ? " " + std::to_string(h / (nSyl * nSyl)) : "");
    };
    auto zipf = [&](int n) { // busy riders and stables get most of the rides
        const double u = std::uniform_real_distribution<double>(0, 1)(rng);
        return static_cast<int>(std::pow(u, 1.2) * n);
    };
    const char *states[] = {"VIC", "NSW", "QLD", "SA", "WA", "TAS"};
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *t = nullptr, *m = nullptr, *r = nullptr, *w = nullptr, *h = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Track VALUES (?,?,?,?,?)", -1, &t, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO MEETMAST VALUES (?,?,?,?,?)", -1, &m, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO RACEMAST VALUES (?,?,?,'3YO+',?,'',?,?,?,'HCP','TURF','TRUE',?,?,?,'14:00',"
                       "'1:10.50','47.10','23.40',?)",
                       -1, &r, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO WORKRACE VALUES (?,?,?,?,?,NULL,?,?,?,?,?,?,?,?,?,?)", -1, &w, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO HORSMAST VALUES (?,?,?,?,?,?,?)", -1, &h, nullptr);
    auto text = [](sqlite3_stmt *s, int i, const std::string &v) {
        sqlite3_bind_text(s, i, v.c_str(), -1, SQLITE_TRANSIENT);
    };
    auto trackCode = [](int k) { return "T" + std::to_string(100 + k); };
    for (int k = 0; k < tracks; ++k) {
        text(t, 1, trackCode(k));
        text(t, 2, std::string(syl[k % nSyl]) + " TURF CLUB");
        text(t, 3, states[k % 6]);
        text(t, 4, k < 12 ? "M" : (k < 50 ? "P" : "C"));
        text(t, 5, std::string(syl[k % nSyl]) + " " + syl[(k / nSyl + 3) % nSyl] + " PARK");
        sqlite3_step(t);
        sqlite3_reset(t);
    }
    for (int k = 0; k < horses; ++k) {
        text(h, 1, horseName(k));
        text(h, 2, "2015-09-01");
        text(h, 3, std::string(syl[(k + 5) % nSyl]) + " SIRE");
        text(h, 4, std::string(syl[(k + 9) % nSyl]) + " DAM");
        sqlite3_bind_int(h, 5, 2 + k % 7);
        text(h, 6, k % 3 ? "G" : "M");
        text(h, 7, "TRAINER " + std::to_string(k % trainers));
        sqlite3_step(h);
        sqlite3_reset(h);
    }
    const char *conds = "GGGGDDSHF";
    std::time_t base = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    for (int d = 0; d < days; ++d) {
        char date[16], stamp[24];
        std::time_t when = base + static_cast<std::time_t>(d) * 86400;
        std::tm tm{};
        gmtime_r(&when, &tm);
        std::strftime(date, sizeof date, "%Y-%m-%d", &tm);
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d 09:00:00", &tm);
        const int activeLow = static_cast<int>(static_cast<long long>(d) * (horses - 20000) / std::max(1, days));
        std::vector<int> meetingTracks;
        for (int k = 0; k < 7; ++k)
            meetingTracks.push_back(static_cast<int>(rng() % tracks));
        std::sort(meetingTracks.begin(), meetingTracks.end());
        meetingTracks.erase(std::unique(meetingTracks.begin(), meetingTracks.end()), meetingTracks.end());
        for (int trk : meetingTracks) {
            text(m, 1, date);
            text(m, 2, trackCode(trk));
            text(m, 3, states[trk % 6]);
            text(m, 4, std::string(syl[trk % nSyl]) + " TURF CLUB");
            text(m, 5, trk < 12 ? "M" : "C");
            sqlite3_step(m);
            sqlite3_reset(m);
            for (int race = 1; race <= 8; ++race) {
                const int starters = 6 + static_cast<int>(rng() % 9);
                text(r, 1, date);
                text(r, 2, trackCode(trk));
                sqlite3_bind_int(r, 3, race);
                sqlite3_bind_int(r, 4, 1000 + 200 * static_cast<int>(rng() % 8));
                text(r, 5, std::string(1, conds[rng() % 9]));
                text(r, 6, "BM" + std::to_string(50 + 5 * (rng() % 8)));
                text(r, 7, "SYNTHETIC HANDICAP");
                sqlite3_bind_double(r, 8, 58);
                sqlite3_bind_int(r, 9, starters);
                sqlite3_bind_int(r, 10, 20000 + 5000 * static_cast<int>(rng() % 20));
                text(r, 11, "35.10");
                sqlite3_step(r);
                sqlite3_reset(r);
                for (int p = 1; p <= starters; ++p) {
                    const int horse = activeLow + static_cast<int>(rng() % 20000);
                    text(w, 1, date);
                    sqlite3_bind_int(w, 2, race);
                    text(w, 3, horseName(horse));
                    text(w, 4, trackCode(trk));
                    sqlite3_bind_double(w, 5, 54 + (rng() % 10) / 2.0);
                    if (p == 1)
                        text(w, 6, "WON");
                    else
                        sqlite3_bind_double(w, 6, (rng() % 100) / 4.0);
                    text(w, 7, "J JOCKEY" + std::to_string(zipf(jockeys)));
                    sqlite3_bind_int(w, 8, p <= 3 ? 10000 / p : 0);
                    sqlite3_bind_int(w, 9, p);
                    sqlite3_bind_int(w, 10, p);
                    sqlite3_bind_double(w, 11, 2 + rng() % 30);
                    sqlite3_bind_int(w, 12, 50 + static_cast<int>(rng() % 40));
                    text(w, 13, "0503");
                    text(w, 14, stamp);
                    text(w, 15, "TRAINER " + std::to_string(zipf(trainers)));
                    sqlite3_step(w);
                    sqlite3_reset(w);
                }
            }
        }
    }
    for (sqlite3_stmt *s : {t, m, r, w, h})
        sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}
