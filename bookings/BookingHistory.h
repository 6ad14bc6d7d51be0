#pragma once

#include "Booking.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Db;

// The table BookingLog: every change of a booking (made, jockey or state changed, confirmed,
// unconfirmed, removed, moved to another race), with where it came from, kept two years.
namespace bookinghistory {

inline constexpr int kKeptYears = 2;

// Where a change came from.
enum class Source { MainWindow, RaceWindow, ChangeReview, CommandLine, FieldReload, Undo };
// "main window", "race window", "change review", "command line", "field reload", "undo".
QString sourceText(Source source);

// The source that booking writes record while the scope lives; the innermost scope wins. With
// none, changes are the main window's.
class SourceScope
{
public:
    explicit SourceScope(Source source);
    ~SourceScope();
    SourceScope(const SourceScope &) = delete;
    SourceScope &operator=(const SourceScope &) = delete;

private:
    Source m_previous;
};
Source currentSource();

struct Entry {
    qint64 id = 0;
    QString loggedAt; // "YYYY-MM-DD HH:MM:SS"
    QString meetingCode;
    QString raceCode;
    QString horse;
    QString trainer;
    QString jockeyBefore;
    QString jockeyAfter;
    QString stateBefore;
    QString stateAfter;
    std::optional<bool> confirmedBefore; // nullopt: no booking before (made)
    std::optional<bool> confirmedAfter;  // nullopt: no booking after (removed)
    QString source;
};

struct Filter {
    QString meetingCode;
    QString horse;
    QString jockey; // the jockey before or after
    QDate since;    // entries on or after this day
};

// Appends the change from `before` to `after` (nullopt: no booking) at the clock's now, on the
// caller's connection and inside its transaction, so the entry stands or falls with the change.
// Nothing is appended when they agree.
void append(Db &db, const std::optional<Booking> &before, const std::optional<Booking> &after,
            Source source = currentSource());

// What the entry changed, for reading: "made", "removed", "jockey changed", "confirmed",
// "unconfirmed", "state changed" or "moved" (to another race, by a reload); the first that applies.
QString changeText(const Entry &entry);

// Matching entries, oldest first.
QList<Entry> entries(const Filter &filter);
// Removes the entries made before `day`; returns how many.
int removeBefore(const QDate &day);

} // namespace bookinghistory
