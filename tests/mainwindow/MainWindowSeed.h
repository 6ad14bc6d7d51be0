#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

// A small, hand-checked database for the main window's lists:
//   MEL0106 Flemington ACP (races 1-3), CAU0107 Caulfield WGT, SAN0108 Sandown NOM, HID0109 not displayed.
//   J Smith: MEL R1 Alpha (55.0, Jane Doe planned), MEL R1 Bravo (54.0, Bob Roe confirmed),
//            MEL R2 Charlie (no weight, state-only "Ring Trainer") -> 3 runners, 2 races; comments; won with Jane.
//   P O'Brien: CAU R3 Delta (57.0, emergency) -> placed 2nd with Jane.
//   Z Ignored: SAN R1 Echo (56.0), set to ignore.
//   A Lone: MEL R3 Foxtrot (42.0, balloted out, field jockey "K Field").
//   Multi: MEL R3 Golf (44.0), CAU R3 Hotel (45.0) -> the same race number twice counts one race.
//   Hidden Only: HID0109 R1 India (50.0) - its meeting is not listed but its runner still counts.
namespace seed {

inline void exec(Db &db, const QString &sql, const QVariantList &values = {})
{
    db.exec(sql, values);
}

inline void addNom(Db &db, const QString &meeting, int race, const QString &horse, const QString &trainer, int weight,
                   const QString &eorB = QString(), const QString &jockey = QString())
{
    exec(db,
         u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, "
         "TrainerLocation, Phone, Class, Form, Weight, Rating, Jockey, EorB, FormTrainer) "
         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
         {meeting, u"%1 HCP"_s.arg(1000 + race * 200), race, horse, horse, trainer,
          trainer == u"A Lone"_s ? u"Mornington"_s : QString(), trainer == u"A Lone"_s ? u"03 5555 0000"_s : QString(),
          u"BM64"_s, u"x213"_s, weight, u"64"_s, jockey, eorB, trainer});
}

inline void seedLists(const QString &databaseFile)
{
    Db db(databaseFile);
    Transaction transaction(db);
    const char *meetings[][7] = {
        {"MEL0106", "Flemington", "ACP", "2024-01-06", "VIC", "1", "Good 4, rail true"},
        {"CAU0107", "Caulfield", "WGT", "2024-01-07", "VIC", "1", "Rail out 3m"},
        {"SAN0108", "Sandown", "NOM", "2024-01-08", "VIC", "1", ""},
        {"HID0109", "Hidden Park", "ACP", "2024-01-09", "NSW", "0", ""},
    };
    for (const auto &m : meetings)
        exec(db,
             u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
             "DisplayMeeting, MeetingDetails, MeetType) VALUES (?, ?, ?, ?, ?, ?, ?, 'M')"_s,
             {QString::fromLatin1(m[0]), QString::fromLatin1(m[1]), QString::fromLatin1(m[2]),
              QString::fromLatin1(m[3]), QString::fromLatin1(m[4]), QString::fromLatin1(m[5]).toInt(),
              QString::fromLatin1(m[6])});
    exec(db, u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceTime, ApprClaim) "
             "VALUES ('MEL0106', '1200 HCP', 1, 'Benchmark 64 Handicap 1200m', '13:05:00', 1), "
             "('MEL0106', '1400 HCP', 2, 'Maiden Plate 1400m', '00:01:00', 0), "
             "('MEL0106', '1600 HCP', 3, 'Class 1 1600m', '14:10:00', 0)"_s);

    addNom(db, u"MEL0106"_s, 1, u"Alpha"_s, u"J Smith"_s, 550);
    addNom(db, u"MEL0106"_s, 1, u"Bravo"_s, u"J Smith"_s, 540);
    addNom(db, u"MEL0106"_s, 2, u"Charlie"_s, u"J Smith"_s, 0);
    addNom(db, u"CAU0107"_s, 3, u"Delta"_s, u"P O'Brien"_s, 570, u"E"_s);
    addNom(db, u"SAN0108"_s, 1, u"Echo"_s, u"Z Ignored"_s, 560);
    addNom(db, u"MEL0106"_s, 3, u"Foxtrot"_s, u"A Lone"_s, 420, u"B"_s, u"K Field"_s);
    addNom(db, u"MEL0106"_s, 3, u"Golf"_s, u"Multi"_s, 440);
    addNom(db, u"CAU0107"_s, 3, u"Hotel"_s, u"Multi"_s, 450);
    addNom(db, u"HID0109"_s, 1, u"India"_s, u"Hidden Only"_s, 500);

    exec(db, u"INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) VALUES "
             "('Jane Doe', 'Jane Doe', '65535', 53), ('Bob Roe', 'Robert Roe', '16711680', 54)"_s);
    exec(db, u"INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, "
             "BookingSelection, Confirmed) VALUES "
             "('MEL0106', '1200 HCP', 'Alpha', 'J Smith', 'Jane Doe', 'Planned', 0), "
             "('MEL0106', '1200 HCP', 'Bravo', 'J Smith', 'Bob Roe', 'Confirmed', 1), "
             "('MEL0106', '1400 HCP', 'Charlie', 'J Smith', NULL, 'Ring Trainer', 0)"_s);
    exec(db, u"INSERT INTO Trainer (TrainerName, TrainerLocation, Phone, TrainerMobile, "
             "TrainerComments, IgnoreTrainer) VALUES "
             "('J Smith', 'Flemington', '03 9000 1111', '0400 111 222', 'Rings back late', 0), "
             "('Z Ignored', 'Sandown', '', '', '', 1)"_s);
    exec(db, u"INSERT INTO BookingTemplate (Sequence, Template) VALUES (0, 'Ring Trainer')"_s);
    exec(db, u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, "
             "TrainerName) VALUES "
             "('Jane Doe', '2023-12-01', 4, 'FLEM', 'Alpha', 3, 'J Smith'), "
             "('Jane Doe', '2023-11-01', 2, 'FLEM', 'Other', 1, 'j smith'), "
             "('Jane Doe', '2023-10-01', 5, 'CAUL', 'Delta', 2, 'P O''Brien'), "
             "('Someone Else', '2023-10-01', 5, 'CAUL', 'Golf', 1, 'Multi')"_s);
    transaction.commit();
}

} // namespace seed
