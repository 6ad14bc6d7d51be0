#pragma once

#include "BookingOperations.h"
#include "ListRows.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariantList>

using namespace Qt::Literals::StringLiterals;

class BookingGrid;
class Db;
namespace trainers {
struct TrainerNotes;
}

// The main window's lists: their columns, the queries that fill them and the rules that turn
// rows into lines, plus the race details text and the trainer contact details. The window only
// draws what these return.
namespace mainlists {

// Column numbers (from 1) that other code addresses cells by.
namespace noms {
inline constexpr int Meeting = 1, Race = 2, Form = 3, Horse = 4, Icon1 = 5, Icon2 = 6, Wgt = 7, Rtg = 8, Class = 9,
                     Jockey = 10, RaceCode = 11, Confirmed = 12, Booking = 13, Date = 14, Name = 15, State = 16;
// Where the nominations list keeps a booking.
BookingColumns nominationBookingColumns();
} // namespace noms
namespace names {
inline constexpr int Trainer = 1, Runners = 2, Races = 3, Icon1 = 4, Icon2 = 5, IgnTrainer = 6;
}

// Image-list indexes of the lists' icons.
inline constexpr int kPlacedIcon = 4;
inline constexpr int kWinnerIcon = 5;
inline constexpr int kCommentIcon = 6;
using ::kConfirmedIcon; // the booking operations set it

QList<ListColumn> meetingColumns();
QList<ListColumn> jockeyColumns();
QList<ListColumn> trainerColumns();
QList<ListColumn> nominationColumns();

// The filters the trainers and nominations lists read: the current-meetings filter (the codes
// chosen by "&Refresh", none when every meeting is shown) and the minimum weight in kilograms.
struct ListFilter {
    QStringList meetings;
    double weightKg = 0;
};

// Conditions apply only above 42.5 kg or when meetings are chosen; the weight then counts
// above 39.5 kg.
bool filterApplies(const ListFilter &filter);
bool weightConditionApplies(const ListFilter &filter);

// The condition text (with "?" placeholders) and its values: "MeetingCode IN (?, ?)", " and ",
// "(Weight >= ? or Weight = 0)", as the gate allows; empty when nothing applies.
struct Condition {
    QString sql;
    QVariantList values;
};
Condition nominationCondition(const ListFilter &filter, const QString &table = u"Noms"_s);

// "( 'A', 'B')" for the chosen codes; empty for none.
QString meetingsFilterText(const QStringList &codes);

// A meeting's date as the lists show it: 2008Dec25.
QString listDate(const QString &storedDate);

// Every displayed meeting by code, the code and level coloured by level.
QList<ListRow> loadMeetings();
// The jockey list's lines: name and stored colour text, the colour as the name's back colour.
QList<ListRow> loadJockeys();

// One nomination row of the trainers query, in query order.
struct TrainerNomination {
    QString trainer;
    int raceNumber = 0;
    QString formTrainer;
    bool formTrainerNull = true;
};
struct TrainerFacts {
    QString comments;
    bool ignore = false;
};
// Groups consecutive rows of one trainer: runners, races (rows whose race number differs from
// the trainer's previous row, the first counting), best placing from the trainer's first row.
// `bestPlacing` maps a lower-case form trainer to the managed jockeys' best finish with them;
// `facts` holds each trainer's comments and ignore flag by lower-case name; names compare without case.
QList<ListRow> buildTrainerLines(const QList<TrainerNomination> &rows, const QHash<QString, int> &bestPlacing,
                                 const QHash<QString, TrainerFacts> &facts);
// Every trainer with runners under the filter.
QList<ListRow> loadTrainers(const ListFilter &filter);
// Marks a trainers-list row as the stored notes say: the comments icon and the ignore flag with
// its red lettering.
void markTrainerRow(BookingGrid &grid, int row, const trainers::TrainerNotes &notes);
// The managed jockeys' best finishing position by form trainer (lower-case name) from RaceStats.
QHash<QString, int> bestPlacingByTrainer(Db &db, const QString &jockeyInList);

// The chosen trainer's nominations with their bookings, under the filter.
struct NominationsResult {
    QList<ListRow> rows;
    // The first non-empty location and phone of the trainer's nominations.
    QString trainerLocation;
    QString phone;
};
// A booked horse that a later field no longer lists (scratched) follows them, its state shown as
// kScratched, until the agent removes the booking.
NominationsResult loadNominations(const QString &trainer, const ListFilter &filter);
using ::kScratched;

// Text runs of the race details box: the meeting (location, state, details) and the race
// (number, start time, apprentice allowance, details). Missing rows give no runs.
struct TextRun {
    QString text;
    double pointSize = 8.25;
    bool bold = false;
    QColor color = Qt::black;
};
QList<TextRun> raceDetails(const QString &meetingCode, int raceNumber);
// The time of day in a stored time or date-time; invalid when missing or the unknown time 00:01.
QTime storedRaceTime(const QString &storedTime);
// "hh:mm AMPM" for a stored time of day; empty for the unknown time 00:01.
QString raceTimeText(const QString &storedTime);

// The trainer's contact boxes.
struct TrainerContact {
    bool found = false;
    QString location;
    QString phone;
    QString mobile;
};
TrainerContact loadTrainerContact(const QString &trainer);
enum class ContactField { Location, Phone, Mobile };
// Leaving a contact box: adds the trainer with the non-empty boxes when there is no row, else
// sets (or clears) only the field of the box that was left.
void saveTrainerContact(const QString &trainer, ContactField left, const TrainerContact &boxes);

} // namespace mainlists
