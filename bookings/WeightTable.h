#pragma once

#include "core/MessageError.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The rating-to-weight table (`RBHTable`) that the weight calculation reads. It holds the
// agent's figures, so it comes from a CSV file with the header line
// "MeetType,RaceType,Rating,Weight" (blank lines and lines beginning with "#" are skipped;
// weights in kilograms).
namespace weighttable {

// A file that cannot be imported; the message names the file and the line.
class ImportError : public MessageError
{
public:
    using MessageError::MessageError;
};

struct WeightRow {
    QString meetType;
    QString raceType;
    int rating = 0;
    double weight = 0; // kilograms
};

// Every row of the file, or ImportError at the first row that cannot be read (nothing is partial).
QList<WeightRow> parseCsv(const QByteArray &bytes, const QString &fileName);

// Replaces the table with the file's rows in one transaction and returns how many there are.
// Throws ImportError (nothing written) or DbError.
int importWeightTable(const QString &path);

// The File menu's import: asks for the file, imports it and tells the agent the count or why
// not. nullopt when cancelled or refused.
std::optional<int> chooseAndImportWeightTable();

inline const QString kImportTitle = u"Import Rating Weights"_s;

} // namespace weighttable
