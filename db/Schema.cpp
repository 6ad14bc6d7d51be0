#include "Schema.h"

#include "Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace schema {

QStringList createStatements()
{
    return {
        uR"(CREATE TABLE Meeting (
            MeetingCode TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, MeetingLocation TEXT, MeetingDetails TEXT, MeetingLevel TEXT,
            MeetingDate TEXT, DisplayMeeting INTEGER NOT NULL DEFAULT 1, State TEXT, MeetType TEXT,
            MeetingRSBCode TEXT))"_s,
        uR"(CREATE TABLE Race (
            MeetingCode TEXT NOT NULL COLLATE NOCASE, RaceCode TEXT(20) COLLATE NOCASE, RaceNumber INTEGER,
            RaceDetails TEXT, RaceDistance INTEGER,
            RaceTime TEXT, ApprClaim INTEGER NOT NULL DEFAULT 0, RaceRSBCode TEXT, RaceType TEXT))"_s,
        u"CREATE INDEX RaceByMeeting ON Race (MeetingCode, RaceNumber)"_s,
        uR"(CREATE TABLE Noms (
            MeetingCode TEXT NOT NULL COLLATE NOCASE, RaceCode TEXT(20) COLLATE NOCASE, RaceNumber INTEGER,
            Horse TEXT NOT NULL COLLATE NOCASE,
            HorseName TEXT, TrainerName TEXT(30) COLLATE NOCASE, TrainerLocation TEXT, Phone TEXT, Class TEXT,
            Form TEXT, Weight INTEGER DEFAULT 0, Rating TEXT, Jockey TEXT(30) COLLATE NOCASE, HorseType TEXT,
            Blood1 TEXT, Blood2 TEXT, Blood3 TEXT, Owners TEXT,
            HorseDOB TEXT, Ballot INTEGER, Barrier INTEGER, EntryNo INTEGER, EorB TEXT(1), LastJockey TEXT,
            LastRode TEXT, LastRaceClass TEXT(6), LastRaceValue NUMERIC, LastWeight REAL, WgtRat REAL,
            LastMargin REAL, AvgWin REAL, FormTrainer TEXT(24), W800400 TEXT(5), RSecTime REAL,
            LastStartWeight REAL))"_s,
        u"CREATE INDEX NomsByMeeting ON Noms (MeetingCode, RaceNumber)"_s,
        u"CREATE INDEX NomsByTrainer ON Noms (TrainerName)"_s,
        u"CREATE INDEX NomsByHorse ON Noms (MeetingCode, Horse)"_s,
        // The main window's trainers list reads nominations in this order (no sort of a season's rows).
        u"CREATE INDEX NomsByTrainerList ON Noms (TrainerName, MeetingCode, RaceNumber, Weight)"_s,
        uR"(CREATE TABLE Bookings (
            MeetingCode TEXT NOT NULL COLLATE NOCASE, RaceCode TEXT COLLATE NOCASE, Horse TEXT NOT NULL COLLATE NOCASE,
            TrainerName TEXT COLLATE NOCASE, Jockey TEXT COLLATE NOCASE, BookingSelection TEXT,
            Confirmed INTEGER NOT NULL DEFAULT 0, ReviewedJockey TEXT COLLATE NOCASE))"_s,
        u"CREATE INDEX BookingsByHorse ON Bookings (MeetingCode, Horse)"_s,
        uR"(CREATE TABLE Jockey (
            Jockey TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, FullName TEXT COLLATE NOCASE,
            JockeyColor TEXT, JockeyEmail TEXT, JockeyMobile TEXT,
            Ridewgt REAL DEFAULT 0, ManagerRate REAL DEFAULT 0, ManBookFee NUMERIC DEFAULT 0,
            ScratchFee NUMERIC DEFAULT 0, TrialFee NUMERIC DEFAULT 0, InvoicePeriod TEXT(2), LastInvoiceDate TEXT,
            DateLastStats TEXT))"_s,
        uR"(CREATE TABLE Trainer (
            TrainerName TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, TrainerLocation TEXT, Phone TEXT, TrainerMobile TEXT,
            TrainerComments TEXT, IgnoreTrainer INTEGER NOT NULL DEFAULT 0, TrainerType TEXT))"_s,
        uR"(CREATE TABLE RaceStats (
            Jockey TEXT COLLATE NOCASE, RaceDate TEXT, RaceNumber INTEGER, TrackCode TEXT, Horse TEXT COLLATE NOCASE,
            FinishPos INTEGER, PrizeMoney NUMERIC, TrainerName TEXT COLLATE NOCASE, State TEXT))"_s,
        u"CREATE INDEX ByTrainer ON RaceStats (TrainerName, RaceDate DESC)"_s,
        // A jockey's rides of an invoice period, names compared without case.
        u"CREATE INDEX RaceStatsByJockeyDate ON RaceStats (Jockey COLLATE NOCASE, RaceDate)"_s,
        // The best placings of the lists compare horse, trainer and jockey names without case.
        u"CREATE INDEX RaceStatsByHorseNoCase ON RaceStats (Horse COLLATE NOCASE, Jockey COLLATE NOCASE, "
        "FinishPos)"_s,
        // The lists and the race window look the best placings of trainers up by name without case.
        u"CREATE INDEX RaceStatsByTrainerNoCase ON RaceStats (TrainerName COLLATE NOCASE, "
        "Jockey COLLATE NOCASE, FinishPos)"_s,
        u"CREATE TABLE RaceType (RaceType TEXT, MetroOrder INTEGER DEFAULT 0, ProvOrder INTEGER DEFAULT 0)"_s,
        u"CREATE TABLE RBHTable (MeetType TEXT, RaceType TEXT, Rating INTEGER, Weight REAL)"_s,
        u"CREATE TABLE BookRate (State TEXT, RaceType TEXT(1), DateEffective TEXT, BookingRate NUMERIC)"_s,
        // The invoice looks up the rate of each ride: the latest of its state and race type up to the race date.
        u"CREATE INDEX BookRateByStateType ON BookRate (State, RaceType, DateEffective)"_s,
        u"CREATE TABLE BookingTemplate (Sequence INTEGER, Template TEXT COLLATE NOCASE)"_s,
        trackAliasStatement(),
        // What reloads of fields changed on the agent's rides, for review; ChangeID never reused.
        uR"(CREATE TABLE FieldChange (
            ChangeID INTEGER PRIMARY KEY AUTOINCREMENT, ChangedAt TEXT NOT NULL, MeetingCode TEXT NOT NULL COLLATE NOCASE,
            RaceNumber INTEGER, Horse TEXT COLLATE NOCASE, ChangeKind TEXT, ValueBefore TEXT, ValueAfter TEXT,
            Jockey TEXT COLLATE NOCASE, Booked INTEGER NOT NULL DEFAULT 0, Seen INTEGER NOT NULL DEFAULT 0))"_s,
        u"CREATE INDEX FieldChangeByTime ON FieldChange (ChangedAt)"_s,
        // Every change of a booking, appended in the transaction that made it; kept two years. A
        // NULL jockey, state and confirmation on one side: no booking then (made, or removed).
        uR"(CREATE TABLE BookingLog (
            LogID INTEGER PRIMARY KEY AUTOINCREMENT, LoggedAt TEXT NOT NULL, MeetingCode TEXT NOT NULL COLLATE NOCASE,
            RaceCode TEXT COLLATE NOCASE, Horse TEXT NOT NULL COLLATE NOCASE, TrainerName TEXT COLLATE NOCASE,
            JockeyBefore TEXT COLLATE NOCASE, JockeyAfter TEXT COLLATE NOCASE, StateBefore TEXT, StateAfter TEXT,
            ConfirmedBefore INTEGER, ConfirmedAfter INTEGER, Source TEXT NOT NULL))"_s,
        u"CREATE INDEX BookingLogByTime ON BookingLog (LoggedAt)"_s,
        u"CREATE INDEX BookingLogByHorse ON BookingLog (Horse, LoggedAt)"_s,
        // One row per nomination of a meeting with its race, trainer and booking: the meeting report.
        uR"(CREATE VIEW qryMeetingView AS
            SELECT N.MeetingCode, N.RaceNumber, R.RaceDetails, R.RaceDistance, R.RaceTime, R.ApprClaim AS AppClaim,
                   N.Form, N.Horse, N.TrainerName, N.Weight, N.Rating, N.HorseType, N.Class, N.Ballot, N.Barrier,
                   N.EorB, N.EntryNo, COALESCE(J.FullName, B.Jockey) AS JockeyName, B.BookingSelection,
                   COALESCE(NULLIF(T.Phone, ''), NULLIF(T.TrainerMobile, ''), N.Phone) AS TrainerPhone
            FROM Noms N
            LEFT JOIN Race R ON R.MeetingCode = N.MeetingCode AND R.RaceNumber = N.RaceNumber
            LEFT JOIN Bookings B ON B.MeetingCode = N.MeetingCode AND B.Horse = N.Horse
            LEFT JOIN Jockey J ON J.Jockey = B.Jockey
            LEFT JOIN Trainer T ON T.TrainerName = N.TrainerName)"_s,
        // One row per ride with the race booking rate of its state in force on the race day.
        uR"(CREATE VIEW qryJockeyInvoice AS
            SELECT S.Jockey, S.RaceDate, S.RaceNumber, S.TrackCode, S.Horse, S.FinishPos, S.PrizeMoney, S.State,
                   (SELECT BR.BookingRate FROM BookRate BR
                     WHERE BR.State = S.State AND BR.RaceType = 'R' AND BR.DateEffective <= S.RaceDate
                     ORDER BY BR.DateEffective DESC LIMIT 1) AS BookingRate
            FROM RaceStats S)"_s,
    };
}

QStringList referenceRowStatements()
{
    QStringList statements;
    // Race types for the weight calculation; "M" suffix types are metropolitan.
    const struct {
        const char *type;
        int metro;
        int prov;
    } raceTypes[] = {
        {"MDN M", 1, 0},    {"CL1 M", 2, 0},      {"CL2 M", 3, 0},  {"CL3 M", 4, 0},  {"CL6 M", 5, 0},
        {"BM70 M", 6, 0},   {"BM78 M", 7, 0},     {"BM84 M", 8, 0}, {"OPN M", 9, 0},  {"F&M BM78 M", 10, 0},
        {"1MWLY M", 11, 0}, {"MDN P", 0, 1},      {"CL1 P", 0, 2},  {"BM58 P", 0, 3}, {"BM64 P", 0, 4},
        {"BM70 P", 0, 5},   {"F&M BM64 P", 0, 6}, {"OPN P", 0, 7},
    };
    for (const auto &row : raceTypes)
        statements << u"INSERT INTO RaceType (RaceType, MetroOrder, ProvOrder) VALUES ('%1', %2, %3)"_s
                          .arg(QLatin1String(row.type))
                          .arg(row.metro)
                          .arg(row.prov);

    const char *templates[] = {"Pencilled In", "Trainer To Confirm", "Owner To Confirm", "Awaiting Acceptance",
                               "Subject To Weight"};
    int sequence = 1;
    for (const char *text : templates)
        statements << u"INSERT INTO BookingTemplate (Sequence, Template) VALUES (%1, '%2')"_s.arg(sequence++)
                          .arg(QLatin1String(text));

    return statements;
}

QStringList addedTables()
{
    return {u"FieldChange"_s, u"BookingLog"_s};
}

QStringList caseBlindColumns()
{
    return {u"TrainerName"_s, u"Jockey"_s, u"Horse"_s, u"FullName"_s, u"Template"_s, u"MeetingCode"_s, u"RaceCode"_s};
}

QString trackAliasStatement()
{
    // The racing sites name venues after their sponsors ("Sportsbet-Ballarat"): the agent's answer
    // to which track such a venue is, kept for its later meetings. An empty TrackCode means the
    // venue has no track (the meeting keeps a code made from the venue).
    return u"CREATE TABLE IF NOT EXISTS TrackAlias (Venue TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, "
           "TrackCode TEXT)"_s;
}

void createDatabase(const QString &filePath)
{
    if (QFileInfo::exists(filePath))
        throw DbError(u"A database already exists at %1"_s.arg(filePath));
    const QFileInfo target(filePath);
    if (!target.absoluteDir().exists())
        throw DbError(u"The folder %1 does not exist"_s.arg(target.absolutePath()));
    const QString building = filePath + u".new"_s;
    QFile::remove(building);
    try {
        Db db(building, false);
        Transaction transaction(db);
        for (const QString &statement : createStatements())
            db.exec(statement);
        for (const QString &statement : referenceRowStatements())
            db.exec(statement);
        transaction.commit();
    } catch (...) {
        QFile::remove(building);
        throw;
    }
    if (!QFile::rename(building, filePath)) {
        QFile::remove(building);
        throw DbError(u"Cannot create %1"_s.arg(filePath));
    }
}

} // namespace schema
