#pragma once

#include "WebFieldPages.h"
#include "bookings/FieldChanges.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

using namespace Qt::Literals::StringLiterals;

// Where a state's meetings are read from.
enum class FieldSource {
    Calendar,  // the racing authority's calendar and field pages
    StateList, // the racing authority's state list of field files ("Use other source for Noms")
    WaClub     // the WA turf club's site (pseudo-state "XA")
};

// What became of one meeting's download.
struct WebMeetingResult {
    CalendarEntry entry;
    bool loaded = false;
    QString meetingCode;
    int races = 0;
    int runners = 0;
    QString error;               // why the meeting kept its earlier fields
    QString leftOut;             // why the agent kept the meeting's later field, when it was left out for it
    QStringList scratchedRides;  // bookings on horses the page lists as scratched
    bool trackUnknown = false;   // no track for the venue: the meeting code is made from the venue
    fieldchanges::Count changes; // recorded for review, against the meeting's field it replaced
};

// What the agent is told after a batch of meetings: one message that lists what was stored and
// what was not (never the success text when a meeting failed), and a line for the status bar.
struct DownloadSummary {
    QString title;
    QString text;
    bool allLoaded = true;
    QString statusLine;
};

// Reads the racing web sites and stores a meeting's fields: each meeting in one transaction, so a
// page that cannot be read or stored leaves the meeting's earlier races and runners in place.
class WebFieldDownloader
{
public:
    static inline const QString kSuccessTitle = u"Success"_s;
    static inline const QString kSuccessText = u"Meetings data are successfully downloaded."_s;
    static inline const QString kFailedTitle = u"Download Nominations"_s;
    static inline const QString kScratchedTitle = u"Scratched Horses"_s;
    static inline const QString kUnknownVenueTitle = u"Which Track Is This Venue?"_s;

    static FieldSource sourceFor(const QString &state, bool otherSource);
    // The racing authority's form pages of a meeting (date as "yyyymmmdd", e.g. 2008Dec25): the race book,
    // and the nominations' recent form opened at a race.
    static QString racebookFormUrl(const QString &date, const QString &state, const QString &location);
    static QString raceFormUrl(const QString &date, const QString &state, const QString &location, int raceNumber);
    // One GET of a page of the sites, naming the program and its version.
    static QString fetchPage(const QString &url);

    // The meetings of a state; nullopt when the site could not be reached ("Connection error" shown,
    // naming the site).
    static std::optional<QList<CalendarEntry>> calendar(const QString &state, bool allPhases, bool otherSource);

    // Downloads and stores one meeting; a failure has been reported (naming the meeting) when this
    // returns. `cancelled`, asked just before the meeting is stored, leaves it as it was.
    static WebMeetingResult downloadMeeting(const QString &state, const CalendarEntry &entry, bool otherSource,
                                            const std::function<bool()> &cancelled = {});
    // Downloads the meetings in stage order (nominations, weights, acceptances); `proceed` is asked before each one
    // (index, entry) and stops the batch when it answers false. Finished meetings stay stored.
    static QList<WebMeetingResult> downloadMeetings(const QString &state, const QList<CalendarEntry> &entries,
                                                    bool otherSource,
                                                    const std::function<bool(int, const CalendarEntry &)> &proceed = {},
                                                    const std::function<bool()> &cancelled = {});

    static DownloadSummary summarise(const QList<WebMeetingResult> &results);
};
