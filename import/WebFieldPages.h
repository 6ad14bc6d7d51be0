#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// One meeting at one phase as a racing web site lists it.
struct CalendarEntry {
    QString date;    // as the site shows it ("23/May/25")
    QString meeting; // the venue
    QString phase;   // "Nominations", "Weights", "Acceptances" ("N/A" before a WA page is read)
    QString link;    // path of the meeting's field page on its site
};

struct WebRunner {
    QString horse;
    QString form;
    QString trainer;
    QString jockey;
    QString rating; // empty when the page gives none
    QString ballot;
    std::optional<int> entryNo;
    QString eorB;
    int barrier = 0;
    int weightTenths = 0;
    bool scratched = false;
};

struct WebRace {
    int number = 0;
    QString title;
    int distance = 0;
    QString info; // race conditions, lines joined by CR LF
    QTime time;   // 00:00:00 when the page gives none
    bool apprClaim = true;
    QString pageLink; // WA club: the race's own page
    QList<WebRunner> runners;
};

// Page parsers of the racing web sites. Pure: page text in, entries or rows out.
namespace webpages {

inline const QString kNominations = u"Nominations"_s;
inline const QString kWeights = u"Weights"_s;
inline const QString kAcceptances = u"Acceptances"_s;

// Keeps only the most advanced phase of consecutive entries of one meeting.
QList<CalendarEntry> latestPhaseOnly(const QList<CalendarEntry> &entries);

// The racing authority's calendar ("/FreeFields/Calendar.aspx?State=").
QList<CalendarEntry> parseCalendar(const QString &html, bool allPhases);
// The racing authority's state list of field files ("DisplayNwaByState.aspx").
QList<CalendarEntry> parseStateList(const QString &html, bool allPhases);
// The WA club's meeting list, up to the first meeting before `today`; phases "N/A".
QList<CalendarEntry> parseWaClubList(const QString &html, const QDate &today);
// The phase a WA club meeting page has reached.
QString waMeetingPhase(const QString &html);

// A field page of the racing authority: races with their runners (scratched ones marked).
QList<WebRace> parseFieldPage(const QString &html);
// A state-list field page (one meeting); the columns depend on the phase.
QList<WebRace> parseStateListPage(const QString &html, const QString &phase);
// A WA club meeting page: its races with the link of each race page, without runners.
QList<WebRace> parseWaMeetingPage(const QString &html);
// A WA club race page: the race's details and its runners.
void parseWaRacePage(const QString &html, WebRace &race);

// Rules of single values.
QString stateCode(const QString &state);    // "VIC" → "1" …, other text → "9"
QString meetingLevel(const QString &phase); // "NOM", "WGT", "ACP", "N/A"
QDate meetingDate(const QString &text);     // "23/May/25", "23-May-25", "24/05/2025", "Sat 24 May 2025"
QString dateText(const QString &text);      // the date within a cell: "13-Sept-25" of "Saturday 13-Sept-25"
// The calendar's page key ("2025Jun21,QLD,…") as the date the calendar shows ("21/Jun/25"); empty when unreadable.
QString calendarKeyDate(const QString &key);
QString shortCode(const QString &title, const QStringList &terms); // terms "RaceTerm|ShtTerm"
QString raceCode(int distance, const QString &shortCode);
QString jockeyName(const QString &cell);      // claim cut to its first figure, 30 characters
QTime raceTime(const QString &text);          // "5:30PM" → 17:30; other text → 00:00:00
QTime stateListRaceTime(const QString &text); // the state list's "2:30" → 14:30, "11:30" and "12:30" as written

} // namespace webpages
