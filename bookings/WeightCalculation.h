#pragma once

#include <QList>
#include <QString>
#include <optional>

using namespace Qt::Literals::StringLiterals;

// Expected weights of a Victorian race's runners from their ratings: the rating-to-weight
// table for the meeting's meet type and the chosen race type, less the fillies-and-mares
// allowance where the race is open to all.

// The text without characters below 32; with keepLineBreaks, carriage returns and line feeds stay.
QString StripControlChars(const QString &text, bool keepLineBreaks);

// Why "Caculate &Weights" is not offered for a race, or empty when it is: the calculation is for
// Victorian races other than set-weights ("SW") races, when System Settings allow it
// (`AlwCalcWeights`). Both the race window's button and its tooltip follow it.
QString weightCalculationUnavailable(const QString &state, const QString &raceText, bool allowed);

// Subtracted from a filly's or mare's weight above kAllowanceFloor.
inline constexpr double kMareAllowance = 2.5;
inline constexpr double kAllowanceFloor = 50;

// The allowance applies unless the race is for fillies and mares (race text with "MAR" or
// "FIL", race type with "F&M") or of a type that excludes it.
bool allowanceApplies(const QString &raceType, const QString &raceText);

// The sex letter of a HorseType in either layout: "M 5" as the enrichment writes it, or colour,
// sex and age as field files give them ("bay m 5", "b/br m 4"); upper case, empty when none.
QString horseSex(const QString &horseType);

struct RunnerWeight {
    QString horse;
    double weight = 0;
};

struct WeightResult {
    enum class Outcome { Done, NoRaceType, EmptyTable } outcome = Outcome::Done;
    QList<RunnerWeight> runners; // in entry order, with the stored weights
};

// The message texts, shared with the window and the command line.
inline const QString kNoRaceTypeMessage = u"You must select a race type to use to calculate weights"_s;
QString emptyTableMessage();

// Resets the race's LastWeight to 0, stores the race type on the race and writes each runner's
// weight, all in one transaction, so a repeat run gives the same weights. An empty race type or
// an empty table is told to the agent and changes nothing. Throws DbError on a failed statement.
WeightResult CalculateWeights(const QString &meetingCode, int raceNumber, const QString &raceType,
                              const QString &raceText);
