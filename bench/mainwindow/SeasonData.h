#pragma once

// A season of data written directly with SQL, shared by the benchmarks of the windows: 100,000
// nominations of 2,000 trainers in 400 meetings, 20 managed jockeys, 5,000 bookings and 50,000
// ride statistics.
#include "db/Database.h"

#include <QString>

using namespace Qt::Literals::StringLiterals;

namespace season {

inline constexpr int kMeetings = 400;
inline constexpr int kTrainers = 2000;
inline constexpr int kNoms = 100000;
inline constexpr int kJockeys = 20;
inline constexpr int kRides = 50000;
inline constexpr int kBookings = 5000;

inline void seedSeason(const QString &file)
{
    Db db(file);
    Transaction transaction(db);
    const QString counter = u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) "_s;
    db.exec(counter.arg(kMeetings) +
            u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
            "DisplayMeeting, MeetingDetails, MeetType) SELECT printf('M%04d', i), printf('Track %d', i % 90), "
            "CASE i % 3 WHEN 0 THEN 'NOM' WHEN 1 THEN 'WGT' ELSE 'ACP' END, "
            "date('2024-01-01', printf('+%d days', i / 3)), 'VIC', 1, 'Good 4', 'M' FROM n"_s);
    db.exec(counter.arg(kMeetings * 10) +
            u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceTime, ApprClaim) "
            "SELECT printf('M%04d', i / 10), printf('%d HCP', 1000 + (i % 10) * 100), i % 10 + 1, "
            "'Handicap', printf('%02d:%02d:00', 12 + (i % 10) / 2, (i % 2) * 30), i % 2 FROM n"_s);
    db.exec(counter.arg(kNoms) +
            u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, Class, "
            "Form, Weight, Rating, Jockey, EorB, FormTrainer) SELECT printf('M%04d', i % 400), "
            "printf('%d HCP', 1000 + ((i / 400) % 10) * 100), (i / 400) % 10 + 1, printf('Horse %d', i), "
            "printf('Horse %d', i), printf('Trainer %d', (i * 7919) % 2000), 'BM64', 'x123', "
            "CASE WHEN i % 20 = 0 THEN 0 ELSE 500 + i % 90 END, '64', '', "
            "CASE WHEN i % 50 = 0 THEN 'E' ELSE '' END, printf('Trainer %d', (i * 7919) % 2000) FROM n"_s);
    db.exec(counter.arg(kTrainers) +
            u"INSERT INTO Trainer (TrainerName, TrainerLocation, Phone, TrainerMobile, TrainerComments, "
            "IgnoreTrainer) SELECT printf('Trainer %d', i), 'Somewhere', '03 9000 0000', '0400 000 000', "
            "CASE WHEN i % 10 = 0 THEN 'Note' ELSE '' END, CASE WHEN i % 97 = 0 THEN 1 ELSE 0 END FROM n"_s);
    db.exec(counter.arg(kJockeys) +
            u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) SELECT printf('Jockey %d', i), "
            "printf('Jockey Full %d', i), CAST(i * 800000 AS TEXT), 54 FROM n"_s);
    db.exec(counter.arg(kBookings) +
            u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, BookingSelection, "
            "Confirmed) SELECT MeetingCode, RaceCode, Horse, TrainerName, printf('Jockey %d', n.i % 20), "
            "CASE WHEN n.i % 3 = 0 THEN 'Confirmed' ELSE 'Planned' END, CASE WHEN n.i % 3 = 0 THEN 1 ELSE 0 END "
            "FROM n JOIN Noms ON Noms.rowid = n.i * 20 + 1"_s);
    db.exec(counter.arg(kRides) +
            u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, "
            "TrainerName, State) SELECT printf('Jockey %d', i % 20), date('2023-01-01', printf('+%d days', i % 365)), "
            "i % 10 + 1, 'FLEM', printf('Horse %d', (i * 13) % 100000), i % 12 + 1, 1000, "
            "printf('Trainer %d', (i * 31) % 2000), 'VIC' FROM n"_s);
    transaction.commit();
    db.exec(u"ANALYZE"_s);
}

} // namespace season
