#pragma once

#include <QString>
#include <QStringList>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The rules of the "System Defaults" dialog: what it shows, what it refuses, and how a change
// reaches the settings and the data-server queries.
namespace systemdefaults {

inline const QString kEmptyAbn = u"__-___-___-___"_s;
inline const QString kStates[] = {u"VIC"_s, u"QLD"_s, u"NSW"_s, u"TAS"_s, u"SA"_s, u"WA"_s, u"NT"_s, u"ACT"_s};

struct Values {
    QString dbPath;
    QString dataServer;
    QString userName;
    QString password;
    QString companyName;
    QString abn; // as the masked box shows it, kEmptyAbn when nothing is entered
    bool gst = false;
    QString nextInvoiceNumber;
    QString state;
    bool calculateWeights = false; // `AlwCalcWeights`
    QString backupPath;            // empty: a "Backups" folder beside the database
};

// The states the dialog lists: the eight states, and the stored one when it is another source
// (the WA club's "XA"), so that it shows and is kept.
QStringList stateChoices(const QString &current);

// What the dialog opens with: the settings, the current query password, "VIC" for a blank state.
Values current();

// The eleven digits of a masked ABN text (fewer when it is incomplete).
QString abnDigits(const QString &maskedText);
// The public weighting rule: subtract 1 from the first digit, weigh the digits by
// 10,1,3,5,7,9,11,13,15,17,19; the sum divides by 89.
bool abnChecksumValid(const QString &digits);

enum class Field { Abn, NextInvoiceNumber, DataServer };
struct Problem {
    Field field;
    QString title;
    QString text;
};
// The first value the settings cannot take.
std::optional<Problem> check(const Values &values);

// True when the folder holds no database file (the dialog asks before storing such a path).
bool databaseMissing(const QString &dbPath);
QString missingDatabaseQuestion(const QString &dbPath);

// Where the browse command's chooser starts: the database in the typed folder when it is there,
// else the one in the program folder.
QString browseStartFile(const QString &typedFolder);
// The chosen file's folder: the path up to its last separator.
QString folderOfChosenFile(const QString &path);

// Stores checked values in the settings record, makes the account the query credentials for
// the rest of the run and saves the settings.
void apply(const Values &values);

} // namespace systemdefaults
