#pragma once

#include <QString>

#include <optional>

class Db;

// A jockey can ride one horse a race and be at one track a day: booking him where he already
// has a ride that clashes is asked about first.

struct ClashingRide {
    QString jockey;
    QString horse;
    int raceNumber = 0;
    QString location;
    // The ride is the field's word (the acceptances name the jockey), not one of our bookings.
    bool namedByField = false;
};

// The jockey's ride on another runner of the same race, or at another meeting on the same day,
// as the nomination meeting code + horse: first a booking, else a runner whose field names the
// jockey (by the jockey's `FullName` or name, without title or claim); none when he is free.
std::optional<ClashingRide> findClashingRide(Db &db, const QString &jockey, const QString &meetingCode,
                                             const QString &horse);

// "J SMITH is already booked on ALPHA in race 3 at FLEMINGTON. Book anyway?", or for a field
// jockey "J SMITH is named by the field on ALPHA in race 3 at FLEMINGTON. Book anyway?"
QString clashQuestion(const ClashingRide &ride);

// True when the jockey is free or the agent answers Yes to the question.
bool confirmClashingRide(Db &db, const QString &jockey, const QString &meetingCode, const QString &horse);
