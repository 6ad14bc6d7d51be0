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
};

// The jockey's booking on another runner of the same race, or at another meeting on the same
// day, as the nomination meeting code + horse; none when the ride is free.
std::optional<ClashingRide> findClashingRide(Db &db, const QString &jockey, const QString &meetingCode,
                                             const QString &horse);

// "J SMITH is already booked on ALPHA in race 3 at FLEMINGTON. Book anyway?"
QString clashQuestion(const ClashingRide &ride);

// True when the jockey is free or the agent answers Yes to the question.
bool confirmClashingRide(Db &db, const QString &jockey, const QString &meetingCode, const QString &horse);
