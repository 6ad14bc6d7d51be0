#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>

// One past race as the data server holds it: the meeting and race header and the finishing
// order. Dates are "yyyy/mm/dd" as the statistics window passes them.
namespace raceresult {

QString headerSql(const QString &date, const QString &track, const QString &raceNo);
QString runnersSql(const QString &date, const QString &track, const QString &raceNo);

struct Header {
    QString txtMeetDesc, txtMeetType, txtMeetState, txtRaceDesc, txtRaceClass, txtSec, txtCond, txtLimWeight, txtValue;
    // The fields in window order, for one-line output.
    QStringList fields() const;
};

// The header from the first answer row; nullopt when the answer holds no row.
std::optional<Header> parseHeader(const QString &answer, const QString &date, const QString &track,
                                  const QString &raceNo);
QString meetTypeText(const QString &letter);
QString conditionText(const QString &letter);
// "50000" → "$ 50,000.00"
QString valueText(const QString &value);

constexpr int kColumns = 13;
struct Runner {
    std::array<QString, kColumns> cells; // index 0 is column 1
    int boldFrom = 0;                    // first bold column (1-based, up to 11); 0 none
    bool bold(int column) const { return boldFrom > 0 && column >= boldFrom && column <= 11; }
};
// Rows in finishing order (a dead heat's runners in answer order, unplaced and scratched runners
// last in answer order); rows with fewer than 15 fields skipped.
QList<Runner> parseRunners(const QString &answer, const QString &horse);
// What a cell sorts by when the agent sorts the grid: the finishing order for "Posn", the
// number for the other right-justified columns, else the text without regard to case.
QVariant sortKey(int column, const QString &text);

struct ColumnSpec {
    QString key, caption;
    int width;
    bool rightJustified;
};
const QList<ColumnSpec> &columns();

inline constexpr const char *kNoDataText = "No Data Returned. conatct Support";

// Both queries; nullopt when either failed or the race is unknown (the message has been shown).
struct Result {
    Header header;
    QList<Runner> runners;
};
std::optional<Result> OpenResult(const QString &date, const QString &track, const QString &raceNo,
                                 const QString &horse);

} // namespace raceresult
