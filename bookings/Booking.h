#pragma once

#include <QString>

// A booking row as stored.
struct Booking {
    qint64 rowId = 0; // 0: not stored yet
    QString meetingCode;
    QString raceCode;
    QString horse;
    QString trainer;
    QString jockey; // empty for a booking that holds only a state
    QString state;
    bool confirmed = false;
    bool operator==(const Booking &) const = default;
};
