#pragma once

#include <QString>

#include <optional>

class Db;

// A horse may be entered in two races of one meeting; its booking belongs to one of them: the
// entry of the booking's race code, or the horse's first entry when none has that code (a load
// moves such a booking there). The other entry shows the horse as booked elsewhere.

// SQL giving the race number of the entry the booking row aliased `booking` belongs to (NULL
// when the horse has no entry).
QString bookedRaceSql(const QString &booking);

// "Booked in race 5": what the other entry of a booked horse shows in its booking cell.
QString bookedElsewhereText(int raceNumber);

// The race of the stored booking of the horse when it is not the entry of `raceCode`: a gesture
// on that entry changes nothing. nullopt when the booking is this entry's, or there is none.
std::optional<int> bookedInOtherRace(Db &db, const QString &meetingCode, const QString &horse, const QString &raceCode);
// The same, told to the agent (exclamation): true when the gesture must stop.
bool refuseOtherRace(Db &db, const QString &meetingCode, const QString &horse, const QString &raceCode);
