#pragma once

#include <QString>
#include <QStringList>

// Last-start form of a meeting's nominated horses from the data server, written into their
// Noms rows; and the best-position columns that nomination lists add to their queries.

struct HorseFormResult {
    bool answered = false;  // false: the query failed (message shown), nothing was written
    int horsesInAnswer = 0; // answer rows the server sent
    int nomsUpdated = 0;    // Noms rows written
    QStringList skipped;    // answer rows that could not be used: "HORSE: why"
};

// Fetches the form of every horse of the meeting (raceNumber 0) or of one race and writes it
// into every matching Noms row, all in one transaction. Shows the busy pointer (callers restore
// it). A row that cannot be converted is skipped and listed; the other horses are still written.
// Throws DbError when the local database fails.
HorseFormResult FetchHorseForm(const QString &meetingCode, qint16 raceNumber);

// How a skipped answer row is told, the same in the windows and on the command line:
// "skipped HORSE: why".
QString skippedFormLine(const QString &skipped);
inline constexpr const char *kSkippedFormTitle = "Form Rows Skipped";
// Tells the agent in one message which answer rows the enrichment left out; nothing when none.
void reportSkippedForm(const HorseFormResult &result);

// The remote query for the given match keys (each already quoted with SqlQuote).
QString horseFormSql(const QStringList &quotedKeys);

// The data server reads request lines of up to 8 KiB; query addresses stay below this.
inline constexpr qsizetype kMaxAddressBytes = 7000;
// The horse list in as few batches as keep each query's encoded address within kMaxAddressBytes.
QList<QStringList> horseBatches(const QStringList &quotedKeys);

// Select-list texts for the managed jockeys' best finishing position on a nomination's horse
// and with its form trainer; "0 as BestHPosn" / "0 as BestPosn" when no jockey is managed.
// The one-argument forms use the program-wide managed-jockeys list.
QString BestHorsePositionColumn(const QString &alias);
QString BestTrainerPositionColumn(const QString &alias);
QString BestHorsePositionColumn(const QString &alias, const QString &jockeyInList);
QString BestTrainerPositionColumn(const QString &alias, const QString &jockeyInList);
