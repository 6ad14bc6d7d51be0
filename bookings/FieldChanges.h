#pragma once

#include <QList>
#include <QString>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

// What a reload of a meeting's field changed for the agent's rides: the old field and the new
// one compared horse by horse, against the bookings and the managed jockeys. Pure: the loaders
// read the fields and record the result (FieldChangeLog).
namespace fieldchanges {

// The kinds, in the words the agent reads and the command line prints.
inline const QString kRiderChanged = u"rider changed"_s;
inline const QString kRiderTooHeavy = u"rider too heavy"_s;
inline const QString kScratchedOrGone = u"scratched or gone"_s;
inline const QString kEmergencyOrBallot = u"emergency or ballot"_s;
inline const QString kBarrier = u"barrier"_s;
inline const QString kWeight = u"weight"_s;
inline const QString kRaceMoved = u"race moved"_s;
inline const QString kManagedJockeyNamed = u"managed jockey named"_s;
QStringList allKinds();

// One horse of a field as stored.
struct Runner {
    int raceNumber = 0;
    QString raceTime; // "HH:MM:SS"; empty, 00:00 or 00:01 when the field gives none
    QString horse;
    QString jockey; // as the field prints it
    int weightTenths = 0;
    int barrier = 0;
    QString eorB; // "E", "B", "S" (scratched) or empty
    QString raceCode;
};

// A booking of the meeting with its jockey's name and riding weight (empty and 0 for a booking
// that names no jockey). It belongs to the entry of its race code (a horse may be entered in two
// races of a meeting); without a code, to the horse's first entry.
struct BookedHorse {
    QString horse;
    QString jockey;
    QString fullName;
    double rideWeight = 0;
    QString raceCode;
    // Made, or given another jockey, since a load last compared it with the field: a contradiction
    // that already held is said now, once.
    bool newToReview = false;
};

struct Field {
    QString level; // "NOM", "WGT", "ACP", "N/A"
    QList<Runner> runners;
    QStringList scratched; // horses the source lists as scratched (not stored as runners)
    // The meeting's bookings as they stood with this field, before a load moves them to new races.
    QList<BookedHorse> bookings;
};

struct ManagedJockey {
    QString jockey;
    QString fullName;
};

struct Change {
    int raceNumber = 0;
    QString horse;
    QString kind;
    QString before;
    QString after;
    QString jockey; // the booked jockey, or the managed jockey the field names on an unbooked horse
    bool booked = false;
};

struct Count {
    int total = 0;
    int onBooked = 0;
};

// The changes from `before` to `after` on the horses booked here, and on horses a managed jockey
// rides (named in both fields; a newly named one is one "managed jockey named"). A meeting loaded
// for the first time (no runners before) has none. A booked horse's other entries in the meeting
// are booked elsewhere and change nothing; "race moved" only when the horse left its race.
QList<Change> detect(const Field &before, const Field &after, const QList<BookedHorse> &bookings,
                     const QList<ManagedJockey> &managed);

} // namespace fieldchanges
