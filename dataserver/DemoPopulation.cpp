// Trainers, jockeys and horses: who they are, and how horses move between training and spells.
#include "DemoNames.h"
#include "DemoSimulation.h"

#include <algorithm>
#include <cstdio>

namespace demo {

namespace {

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

} // namespace

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

} // namespace demo
