#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The data server's query protocol: the address built from `DataServer` and the query
// credentials, answers split into rows ("<br>" + line feed) and fields ("|").

// The query address for an SQL text (put in as it stands; callers quote free text with SqlQuoteForUrl).
// Only "+" and "#" are escaped: the server would read them as a blank and the end of the address.
QString dataServerAddress(const QString &sql);

// Sends the SQL and returns the raw answer; it begins with "Error:" on failure. Shows nothing
// itself except what HttpRequest shows for a server error page.
QString DataServerRequest(const QString &sql);
// The same; *errorPageShown as for HttpRequest.
QString DataServerRequest(const QString &sql, bool *errorPageShown);

// Splits an answer at every "<br>" + line feed. The answer ends with the separator, so the
// last piece is empty; an answer without rows gives one empty piece.
QStringList splitAnswerRows(const QString &answer);
QStringList splitAnswerFields(const QString &row);

// Sends the SQL; an "Error:" answer is shown (critical, title "Connection error") and gives
// nullopt, as does a server error page (already shown by HttpRequest), so that callers never
// take a refused query for an empty result. Otherwise the non-empty rows, each split into its fields.
std::optional<QList<QStringList>> DataServerRows(const QString &sql);

// First row of the track look-up by location ("code|club|state|meettype"), or empty.
QString LookUpTrack(const QString &location);

// Loads the race-name terms and their short forms into the program-wide list; on an error
// the list keeps what it had. Returns false on an error.
bool LoadRaceShortCodes();
// Each entry "RaceTerm|ShtTerm".
QStringList &raceShortCodes();

// While one lives, the data server is asked until its first failure: later requests answer that
// failure at once, and ShowConnectionError shows it only once. Nested batches join the outer one.
class DataServerBatch
{
public:
    DataServerBatch();
    ~DataServerBatch();
    DataServerBatch(const DataServerBatch &) = delete;
    DataServerBatch &operator=(const DataServerBatch &) = delete;
};

// Shows an "Error:" answer (critical, title "Connection error"), unless its batch has shown one.
void ShowConnectionError(const QString &answer);

// Title of the message for a failed data-server query.
inline constexpr const char *kConnectionErrorTitle = "Connection error";
