#pragma once

#include <QList>
#include <QString>

using namespace Qt::Literals::StringLiterals;

class QPagedPaintDevice;

// The meeting sheet that goes to the track: every runner of a meeting grouped by race, with
// bookings, trainers' phones and the last rider ("@") where no jockey is booked. One function
// yields its rows; one draws them on any paged device (printer, PDF writer).
namespace meetingreport {

struct Line {
    QString entryNo;
    QString form;
    QString horse;
    QString trainer;
    QString weight;  // "#.0", blank for no weight
    QString rating;  // blank for none
    QString varData; // barrier or ballot with E/B, or the class, by meeting level
    QString jockey;  // the booked jockey's name, or "@" + the last rider
    QString booking;
    QString phone;
};

struct Group {
    int raceNumber = 0;
    QString raceDetails;
    QString distance; // "1200mtrs"
    QString time;     // "HH.mm", empty when not known
    QString appClaim;
    QList<Line> lines;
};

struct Report {
    bool found = false; // the meeting exists
    QString company;    // the agent's business (`CompanyName`), at the foot of every page
    QString meetingCode;
    QString title; // MeetingLocation
    QString date;  // MeetingDate as a day
    QList<Group> groups;
    int lineCount() const;
};

// The texts that stand on every page (the company's name stands at the left of the foot).
inline const QString kPageFooterRight = u"Meeting Report"_s;
inline const QString kLastRiderNote = u"@ for last Jockey"_s;
QStringList columnCaptions();

// The report's rows for the meeting, VarData chosen by the meeting's level.
Report buildReport(const QString &meetingCode);

// What one page holds, in order: race headings (line < 0) and runner lines. A race that runs
// over to the next page has its heading there again, marked `continued`.
struct PageItem {
    int group = 0;
    int line = -1;
    bool continued = false;
};
QList<QList<PageItem>> layoutPages(const Report &report);

// How many pages the report takes on A4 portrait.
int pageCount(const Report &report);

// A race heading's two sides: "Race 3   Field Lim" at the left and "2000mtrs   14.10   ..."
// at the right; the left side is shortened with "…" rather than run into the right one.
QString headingLeft(const Group &group, bool continued);
QString headingRight(const Group &group);

// Draws every page on `device` (set to A4 portrait); false when the device cannot be painted
// on (a PDF path that cannot be written).
bool render(const Report &report, QPagedPaintDevice *device);

// Writes the report to a PDF file; false when the file cannot be written.
bool writePdf(const Report &report, const QString &file);

} // namespace meetingreport
