#pragma once

#include "core/MessageError.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

// A field file that cannot be read; the message names the file and, where there is one, the line.
class FieldFileError : public MessageError
{
public:
    using MessageError::MessageError;
};

// Meeting identity taken from a field file's name.
struct FieldFileName {
    QString meetingCode; // base name, blanks trimmed
    QString trackCode;   // meeting code from its fifth character on
    QString level;       // "NOM", "WGT", "ACP" or "N/A"
};

struct FieldMeeting {
    int line = 0;
    QString meetingCode;
    QString trackCode;
    QString level;
    QString location;
    QString details;
    QDate date;
};

struct FieldRace {
    int line = 0;
    int raceNumber = 0;
    QString raceCode; // at most 20 characters
    int distance = 0;
    QString details; // race conditions joined by carriage returns
    QTime time;      // kUnknownRaceTime when the file gives none
    bool apprClaim = false;
    int fieldLimit = 0;
    int total = 0;       // field limit plus emergencies, 0 when either is missing
    bool stored = false; // a race without a horse-level line is not stored
};

struct FieldHorse {
    int line = 0;      // the trainer ("700") line that completes the horse
    int raceIndex = 0; // into FieldFile::races
    int raceNumber = 0;
    QString raceCode;
    QString horse;
    QString horseName;
    QString trainerName;
    QString trainerLocation;
    QString phone;
    std::optional<QString> classText;
    int weightTenths = 0;
    QString form;
    std::optional<QString> rating;
    QString jockey;
    QString horseType;
    QString blood1, blood2, blood3;
    QString owners;
    QDate dob; // invalid when the file gives none
    QString ballotText;
    std::optional<int> ballot;
    int barrier = 0;
    int entryNo = 0;
    QString eorB;
};

// A record that could not be read and was left out, with why (naming the field).
struct SkippedLine {
    int line = 0;
    QString reason;
    int horsesLeftOut = 0; // a race line's horses, left out with it
};

// A secondary value that could not be read: the record is kept with this value left empty.
struct EmptiedValue {
    int line = 0;
    int field = 0; // the record's field number, from 0
    QString what;  // "rating", "date of birth" …
    QString value; // as the file has it
};

struct FieldFile {
    FieldMeeting meeting;
    QList<FieldRace> races;
    QList<FieldHorse> horses;
    QList<SkippedLine> skipped;  // in line order
    QList<EmptiedValue> emptied; // in line order
};

// Reads the racing authority's line-oriented field files (nominations, weights, acceptances).
// Pure: no database, no network; every rule of the format lives here. Real files carry values a
// little off the format ("70+", "5yo", "55.5", "2003-09-01"): those are read by their leading
// number or as ISO dates, and a secondary value that still cannot be read is left empty and
// listed in FieldFile::emptied, so that a booked horse is never lost over it. Only a record
// that cannot be placed (a horse without a name, or outside any readable race) is left out and
// listed in FieldFile::skipped; a file that is not a field file at all (binary data, no readable
// meeting header) is refused.
class FieldFileParser
{
public:
    // Files larger than this are not field files (a busy week's biggest is well under 1 MB).
    static constexpr qint64 kMaxFileSize = 20 * 1024 * 1024;

    // The meeting code, track code and level of a path; nullopt when the file name has no "."
    // after its first character (such a file cannot be processed).
    static std::optional<FieldFileName> fileName(const QString &path);
    // "DGN" → "NOM" …; compared exactly, so lower-case extensions give "N/A".
    static QString levelForExtension(const QString &extension);

    // Reads and parses the file; throws FieldFileError when it is refused.
    static FieldFile parseFile(const QString &path);
    // Parses the bytes of a file named `displayName` at the given identity; throws FieldFileError when refused.
    static FieldFile parse(const QByteArray &bytes, const QString &displayName, const FieldFileName &identity);

    // The single-byte code page the files are written in.
    static QString decodeWindows1252(const QByteArray &bytes);

    // Rules of single fields, public for their tests. Each returns nullopt for text it cannot read.
    // "56" → 560, "56|" → 565, "5" → 50, "55.5" → 555, "" → 0; nullopt beyond 10–99 kg.
    static std::optional<int> weightTenths(const QString &text);
    // dd/mm/yyyy (or yy), else an ISO date (yyyy-mm-dd); invalid otherwise.
    static QDate dateOfBirth(const QString &text);
    // "2.45" + "P.M." → 14:45; blank → kUnknownRaceTime.
    static std::optional<QTime> raceTime(const QString &time, const QString &amPm);
    // A date whose three parts are separated by "/", in the order given by `order` ("dmy");
    // two-digit years fall in 1930–2029.
    static QDate parseDate(const QString &text, const QString &order);
    // Emergency/balloted marker of an acceptance from its ballot order.
    // nullopt when the ballot order is not a number.
    static std::optional<QString> ballotMarker(const QString &marker, const QString &ballot, const QString &level,
                                               int fieldLimit, int total);

    static inline const QTime kUnknownRaceTime{0, 1, 0};
};
