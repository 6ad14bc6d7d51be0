// Field files of the coming week's meetings: nominations, weights and acceptances of horses,
// jockeys and trainers that exist in the history.
#include "DemoNames.h"
#include "DemoSimulation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace demo {

struct FieldEntry {
    std::uint32_t horse = 0;
    int weight2 = 0;
    int rank = 0; // ballot order
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

namespace {

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

std::string conditionsText(const RacePlan &p)
{
    std::string cls;
    switch (p.kind) {
    case ClassKind::Maiden:
        cls = "Maiden";
        break;
    case ClassKind::ClassN:
        cls = "Class " + std::to_string(p.level);
        break;
    case ClassKind::Benchmark:
        cls = "Benchmark " + std::to_string(p.level);
        break;
    case ClassKind::Quality:
        cls = "Quality";
        break;
    case ClassKind::Open:
        cls = "Open";
        break;
    case ClassKind::Listed:
        cls = "Listed Race";
        break;
    case ClassKind::Group3:
        cls = "Group 3";
        break;
    case ClassKind::Group2:
        cls = "Group 2";
        break;
    case ClassKind::Group1:
        cls = "Group 1";
        break;
    }
    const std::string weights = p.wgtType == "HCP"   ? "Handicap"
                                : p.wgtType == "SW"  ? "Set Weights"
                                : p.wgtType == "SWP" ? "Set Weights and Penalties"
                                                     : "Weight for Age";
    return cls + ", " + weights + ".";
}

} // namespace

// The coming week's meetings: nominated horses, their weights, the acceptors with barriers and riders.
std::vector<FieldMeeting> Generator::planFieldWeek()
{
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
    return meetings;
}

// One field file: the meeting's header, then each race and its horses as far as the stage lists them.
long long Generator::writeFieldFile(std::ostream &out, const FieldMeeting &fm, int level)
{
    static const char *const kDayNames[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                            "THURSDAY", "FRIDAY", "SATURDAY"};
    static const char *const kLevelWords[] = {"NOMINATIONS", "WEIGHTS", "ACCEPTANCES"};
    const Meeting &m = fm.meeting;
    const auto &track = dd::kTracks[m.track];
    const Civil c = civilFromDays(m.day);
    const char *typeWord = track.type == 'M'   ? "Metropolitan Meeting"
                           : track.type == 'P' ? "Provincial Meeting"
                                               : "Country Meeting";
    long long lines = 0;
    char dateText[40]; // room for any int, as above
    std::snprintf(dateText, sizeof dateText, "%02d/%02d/%02d", c.d, c.m, c.y % 100);
    // Meeting header: f3 ends with the date, f6 + f7 describe the meeting, f8 is the venue.
    out << "0000000" << track.code << '<' << track.state << '<' << kLevelWords[level] << '<'
        << kDayNames[weekday(m.day)] << ' ' << dateText << '<' << (m.night ? "NIGHT" : "DAY") << '<' << fm.races.size()
        << '<' << track.club << '<' << typeWord << '<' << track.locat << "\r\n";
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
        out << rn << "00100" << p.name << '<' << raceNo << '<' << timeText << '<' << (pm ? "P.M." : "A.M.") << '<'
            << p.distance << " METRES" << '<' << (p.claims ? "C" : "") << '<' << p.className << '<'
            << (p.ageRestr == 2   ? "2YO"
                : p.ageRestr == 3 ? "3YO"
                                  : "3U")
            << '<' << (p.fillies ? "F&M" : "") << '<' << p.wgtType << '<' << p.value << '<' << formatMoney(p.value)
            << "<<<<<<" << p.className << '<' << p.distance << '<' << fr.fieldLimit << '<'
            << (full ? fr.emergencies : 0) << "\r\n";
        out << rn << "00200"
            << "Of " << formatMoney(p.value) << ". "
            << (p.ageRestr == 2   ? "For Two-Years-Old. "
                : p.ageRestr == 3 ? "For Three-Years-Old. "
                                  : "For Three-Years-Old and Upwards. ")
            << (p.fillies ? "Fillies and Mares. " : "") << conditionsText(p) << " Minimum weight " << p.limitWeight
            << "kg."
            << "\r\n";
        out << rn << "00210" << (p.claims ? "Apprentices can claim." : "No Allowances for apprentices.") << "\r\n";
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
                << (level == 2 && e->barrier ? std::to_string(e->barrier) : "") << '<' << weight << '<' << claimText
                << '<' << dd::kColours[h.colour] << '<' << h.sexAt(m.day) << '<' << h.age(m.day) << '<' << "" << '<'
                << "" << '<' << "" << '<' << "" << '<' << dobText << '<' << name << '<' << h.formText() << '<' << jockey
                << '<' << claimText << '<' << ballot << '<' << classText << '<'
                << (h.rating ? std::to_string(h.rating) : "0") << "\r\n";
            std::string damSire = m_sires[h.damSire];
            out << prefix << "500" << m_sires[h.sire] << '<' << h.dam << '<' << damSire << "\r\n";
            // Owners are derived from the horse so that every stage of the field agrees.
            Rng own(e->horse * 7919ULL + 17);
            std::string owners;
            const int nOwners = 1 + int(own.below(4));
            if (own.chance(0.2)) {
                owners = std::string(own.pick(dd::kOwnerWords)) +
                         " Racing (Mgr: " + std::string(own.pick(dd::kMaleFirst)).substr(0, 1) + " " +
                         own.pick(dd::kSurnames) + ")";
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
    return lines;
}

bool Generator::writeFields(const std::string &dir, std::ostream &errors)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        errors << "generate-demo: cannot create " << dir << ": " << ec.message() << "\n";
        return false;
    }
    const std::vector<FieldMeeting> meetings = planFieldWeek();
    static const char *const kLevels[] = {"DGN", "DGW", "DGA"};
    int files = 0;
    long long lines = 0;
    for (const FieldMeeting &fm : meetings) {
        const Civil c = civilFromDays(fm.meeting.day);
        char ddmm[24]; // room for any int, so the compiler can prove no truncation
        std::snprintf(ddmm, sizeof ddmm, "%02d%02d", c.d, c.m);
        const std::string meetingCode = std::string(ddmm) + dd::kTracks[fm.meeting.track].code;
        for (int level = 0; level < 3; ++level) {
            const std::string path = (std::filesystem::path(dir) / (meetingCode + "." + kLevels[level])).string();
            std::ofstream out(path, std::ios::binary);
            if (!out) {
                errors << "generate-demo: cannot write " << path << "\n";
                return false;
            }
            lines += writeFieldFile(out, fm, level);
            ++files;
        }
    }
    m_progress << "generate-demo: wrote " << files << " field files (" << meetings.size() << " meetings, " << lines
               << " lines) to " << dir << "\n";
    return true;
}

} // namespace demo
