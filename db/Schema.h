#pragma once

#include <QString>
#include <QStringList>

// The layout of a new database: every table and field, the ByTrainer index, the two views
// and the reference words (race types, booking templates); no figures, which come from the agent. Field kinds: dates
// are TEXT 'YYYY-MM-DD' (date-times with ' HH:MM:SS'), yes/no INTEGER 0/1, nomination weights INTEGER tenths of a
// kilogram, money NUMERIC.
namespace schema {

// Statements that create the tables, index and views, in order.
QStringList createStatements();
// Statements that insert the reference rows (race types, booking templates).
QStringList referenceRowStatements();

// Tables that files made by older versions lack; the upgrade creates them when missing.
QStringList addedTables();

// The name and code columns, in whichever table they stand: they compare without regard to case.
QStringList caseBlindColumns();
// Creates the venue alias table when it is missing (new databases and the upgrade).
QString trackAliasStatement();

// Creates a new database file at `filePath` (which must not exist). Built under a temporary
// name and moved into place, so a failure never leaves a half-made file. Throws DbError.
void createDatabase(const QString &filePath);

} // namespace schema
