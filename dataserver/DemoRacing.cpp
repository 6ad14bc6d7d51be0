// The racing itself: the weekly calendar, each meeting's programme, the fields, weights and results.
#include "DemoNames.h"
#include "DemoSimulation.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

// Price ladder for starting prices.
const double kPrices[] = {1.2,  1.3,  1.4,  1.5,   1.6,   1.7,   1.8,   1.9,   2.0,   2.1,  2.2,  2.3,  2.4,
                          2.5,  2.6,  2.8,  3.0,   3.2,   3.4,   3.5,   3.8,   4.0,   4.2,  4.4,  4.6,  4.8,
                          5.0,  5.5,  6.0,  6.5,   7.0,   7.5,   8.0,   8.5,   9.0,   9.5,  10.0, 11.0, 12.0,
                          13.0, 14.0, 15.0, 16.0,  17.0,  18.0,  19.0,  20.0,  21.0,  26.0, 31.0, 41.0, 51.0,
                          61.0, 71.0, 81.0, 101.0, 126.0, 151.0, 201.0, 251.0, 301.0, 501.0};

double ladderPrice(double raw)
{
    for (double p : kPrices)
        if (raw <= p * 1.04)
            return p;
    return 501.0;
}

} // namespace

int stateIndex(const char *state)
{
    for (int s = 0; s < kStateCount; ++s)
        if (std::strcmp(dd::kStates[s], state) == 0)
            return s;
    return 0;
}

int trackIndex(const char *code)
{
    for (int t = 0; t < int(std::size(dd::kTracks)); ++t)
        if (std::strcmp(dd::kTracks[t].code, code) == 0)
            return t;
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
        menu = {{ClassKind::Maiden, 0, 4},
                {ClassKind::Benchmark, 70, 6},
                {ClassKind::Benchmark, 78, 14},
                {ClassKind::Benchmark, 84, 14},
                {ClassKind::Benchmark, 90, 9},
                {ClassKind::Benchmark, 100, 4},
                {ClassKind::Quality, 0, 6},
                {ClassKind::Open, 0, 3},
                {ClassKind::Listed, 0, carnival ? 10 : 5},
                {ClassKind::Group3, 0, carnival ? 8 : 3},
                {ClassKind::Group2, 0, carnival ? 5 : 1},
                {ClassKind::Group1, 0, carnival ? 4 : 0}};
    } else if (type == 'M') {
        menu = {{ClassKind::Maiden, 0, 18},    {ClassKind::ClassN, 1, 10},     {ClassKind::ClassN, 2, 5},
                {ClassKind::ClassN, 3, 5},     {ClassKind::Benchmark, 64, 14}, {ClassKind::Benchmark, 70, 14},
                {ClassKind::Benchmark, 72, 6}, {ClassKind::Benchmark, 78, 10}, {ClassKind::Benchmark, 84, 3}};
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
            p.className = p.kind == ClassKind::Listed   ? "LR"
                          : p.kind == ClassKind::Group3 ? "G3"
                          : p.kind == ClassKind::Group2 ? "G2"
                                                        : "G1";
            p.wgtType =
                p.kind == ClassKind::Group1 ? (m_rng.chance(0.6) ? "WFA" : "SW") : (m_rng.chance(0.5) ? "SWP" : "HCP");
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
        p.claims = p.kind <= ClassKind::Open &&
                   !(type == 'M' && m.saturday && p.kind >= ClassKind::Benchmark && p.level >= 90);
        // Prize money by meeting type and class.
        double value;
        if (saturdayMetro) {
            switch (p.kind) {
            case ClassKind::Group1:
                value = m_rng.pick({500000, 750000, 1000000, 1000000, 1500000, 3000000});
                break;
            case ClassKind::Group2:
                value = 300000;
                break;
            case ClassKind::Group3:
                value = 200000;
                break;
            case ClassKind::Listed:
                value = 160000;
                break;
            case ClassKind::Maiden:
                value = 75000;
                break;
            default:
                value = p.level >= 84 || p.kind >= ClassKind::Quality ? 150000 : 125000;
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

std::vector<std::uint32_t> Generator::selectHorses(const RacePlan &p, int state, int day, int wanted, bool future,
                                                   int raceStamp)
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
    const std::size_t start =
        type == 'M' ? 0 : std::size_t(m_rng.below(std::uint32_t(pool.size() * (type == 'P' ? 0.5 : 0.85))));
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
    h.nextReady = day + (g < 0.1   ? 7
                         : g < 0.4 ? m_rng.range(10, 14)
                         : g < 0.8 ? m_rng.range(15, 21)
                                   : m_rng.range(22, 35));
    if (--h.prepLeft <= 0)
        sendToSpell(id, day);
    else
        rebucket(id);
}

} // namespace demo
