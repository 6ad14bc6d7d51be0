#pragma once

#include "FieldChanges.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Db;

// The table FieldChange: what reloads of fields changed on the agent's rides, kept for review
// until the agent has seen it, and for 90 days.
namespace fieldchangelog {

inline constexpr int kKeptDays = 90;

struct StoredChange {
    qint64 id = 0;
    QString changedAt; // "YYYY-MM-DD HH:MM:SS"
    QString meetingCode;
    QString meetingLocation;
    int raceNumber = 0;
    QString horse;
    QString kind;
    QString before;
    QString after;
    QString jockey;
    QString jockeyColor; // the jockey's stored colour text
    bool booked = false;
    bool seen = false;
};

struct Filter {
    QList<qint64> ids; // only these (one load's changes) when not empty
    QDate since;       // changes made on or after this day
    QString meetingCode;
    QString jockey;
    QString kind;
    bool unseenOnly = false;
};

// The meeting's field as stored (read inside the loader's transaction, before the replace).
fieldchanges::Field readField(Db &db, const QString &meetingCode);
// Compares `before` with the meeting's field as now stored and records the changes, at the
// clock's now, on the caller's connection (inside its transaction). `scratched` names horses the
// source listed as scratched.
fieldchanges::Count recordReload(Db &db, const QString &meetingCode, const fieldchanges::Field &before,
                                 const QStringList &scratched = {});

// The ids recorded by this program since the last call: one load or batch of loads.
QList<qint64> takeRecordedIds();
// Off, the loaders replace fields without looking at the changes (the benchmark compares both).
void setDetectionEnabled(bool enabled);

// Matching changes, oldest first.
QList<StoredChange> changes(const Filter &filter);
// The same grouped for reading: by meeting and race, booked horses first.
QList<StoredChange> changesForReview(const Filter &filter);
int unseenCount();
// The meetings and jockeys that changes name, for the filters.
QStringList meetingCodes();
QStringList jockeys();
void markSeen(const QList<qint64> &ids);
struct Removal {
    int removed = 0;
    QStringList notRemoved; // one line for each change whose booking is no longer the one it was recorded against
};
// Deletes the booking each change was recorded against (the same jockey's booking of the horse)
// and marks those changes seen, in one transaction. A change whose horse has been booked again
// for another jockey, or was not booked, removes nothing and says what the booking is now.
Removal removeBookings(const QList<qint64> &ids);
// Removes the changes made before `day`; returns how many.
int removeBefore(const QDate &day);

} // namespace fieldchangelog
