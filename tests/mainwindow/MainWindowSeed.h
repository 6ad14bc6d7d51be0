#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>

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
         QStringLiteral("INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, "
                        "TrainerLocation, Phone, Class, Form, Weight, Rating, Jockey, EorB, FormTrainer) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {meeting, QStringLiteral("%1 HCP").arg(1000 + race * 200), race, horse, horse, trainer,
          trainer == QStringLiteral("A Lone") ? QStringLiteral("Mornington") : QString(),
          trainer == QStringLiteral("A Lone") ? QStringLiteral("03 5555 0000") : QString(), QStringLiteral("BM64"),
          QStringLiteral("x213"), weight, QStringLiteral("64"), jockey, eorB, trainer});
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
             QStringLiteral("INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingLevel, MeetingDate, State, "
                            "DisplayMeeting, MeetingDetails, MeetType) VALUES (?, ?, ?, ?, ?, ?, ?, 'M')"),
             {QString::fromLatin1(m[0]), QString::fromLatin1(m[1]), QString::fromLatin1(m[2]),
              QString::fromLatin1(m[3]), QString::fromLatin1(m[4]), QString::fromLatin1(m[5]).toInt(),
              QString::fromLatin1(m[6])});
    exec(db, QStringLiteral("INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceTime, ApprClaim) "
                            "VALUES ('MEL0106', '1200 HCP', 1, 'Benchmark 64 Handicap 1200m', '13:05:00', 1), "
                            "('MEL0106', '1400 HCP', 2, 'Maiden Plate 1400m', '00:01:00', 0), "
                            "('MEL0106', '1600 HCP', 3, 'Class 1 1600m', '14:10:00', 0)"));

    addNom(db, QStringLiteral("MEL0106"), 1, QStringLiteral("Alpha"), QStringLiteral("J Smith"), 550);
    addNom(db, QStringLiteral("MEL0106"), 1, QStringLiteral("Bravo"), QStringLiteral("J Smith"), 540);
    addNom(db, QStringLiteral("MEL0106"), 2, QStringLiteral("Charlie"), QStringLiteral("J Smith"), 0);
    addNom(db, QStringLiteral("CAU0107"), 3, QStringLiteral("Delta"), QStringLiteral("P O'Brien"), 570,
           QStringLiteral("E"));
    addNom(db, QStringLiteral("SAN0108"), 1, QStringLiteral("Echo"), QStringLiteral("Z Ignored"), 560);
    addNom(db, QStringLiteral("MEL0106"), 3, QStringLiteral("Foxtrot"), QStringLiteral("A Lone"), 420,
           QStringLiteral("B"), QStringLiteral("K Field"));
    addNom(db, QStringLiteral("MEL0106"), 3, QStringLiteral("Golf"), QStringLiteral("Multi"), 440);
    addNom(db, QStringLiteral("CAU0107"), 3, QStringLiteral("Hotel"), QStringLiteral("Multi"), 450);
    addNom(db, QStringLiteral("HID0109"), 1, QStringLiteral("India"), QStringLiteral("Hidden Only"), 500);

    exec(db, QStringLiteral("INSERT INTO Jockey (Jockey, FullName, JockeyColor, Ridewgt) VALUES "
                            "('Jane Doe', 'Jane Doe', '65535', 53), ('Bob Roe', 'Robert Roe', '16711680', 54)"));
    exec(db, QStringLiteral("INSERT INTO Bookings (MeetingCode, RaceCode, Horse, TrainerName, Jockey, "
                            "BookingSelection, Confirmed) VALUES "
                            "('MEL0106', '1200 HCP', 'Alpha', 'J Smith', 'Jane Doe', 'Planned', 0), "
                            "('MEL0106', '1200 HCP', 'Bravo', 'J Smith', 'Bob Roe', 'Confirmed', 1), "
                            "('MEL0106', '1400 HCP', 'Charlie', 'J Smith', NULL, 'Ring Trainer', 0)"));
    exec(db, QStringLiteral("INSERT INTO Trainer (TrainerName, TrainerLocation, Phone, TrainerMobile, "
                            "TrainerComments, IgnoreTrainer) VALUES "
                            "('J Smith', 'Flemington', '03 9000 1111', '0400 111 222', 'Rings back late', 0), "
                            "('Z Ignored', 'Sandown', '', '', '', 1)"));
    exec(db, QStringLiteral("INSERT INTO BookingTemplate (Sequence, Template) VALUES (0, 'Ring Trainer')"));
    exec(db, QStringLiteral("INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, "
                            "TrainerName) VALUES "
                            "('Jane Doe', '2023-12-01', 4, 'FLEM', 'Alpha', 3, 'J Smith'), "
                            "('Jane Doe', '2023-11-01', 2, 'FLEM', 'Other', 1, 'j smith'), "
                            "('Jane Doe', '2023-10-01', 5, 'CAUL', 'Delta', 2, 'P O''Brien'), "
                            "('Someone Else', '2023-10-01', 5, 'CAUL', 'Golf', 1, 'Multi')"));
    transaction.commit();
}

} // namespace seed
