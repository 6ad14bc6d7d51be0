#pragma once

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The form statistics of a horse, jockey or trainer from the data server: the query per mode,
// the answer folded into run rows (dead heats), the cells of each row and the summary counters.

// The values a caller sets before opening the statistics window; program-wide, as the race
// window and the main window share them.
struct StatsHandOver {
    QString StatsMode;        // "horse", "jockey", "trainer", "horse/jockey", "trainer/jockey"
    QString StatsHorse;       // may carry a suffix in parentheses
    QString StatsJockey;      // replaced in the two combined modes
    QString StatsTrainer;     // as the race field spells it
    QString StatsFormTrainer; // as the form data spells it; cleared after use

    static StatsHandOver &instance();
};

namespace formstats {

enum class Mode { Horse, Jockey, Trainer, HorseJockey, TrainerJockey, Other };
Mode modeFromText(const QString &text);

// The grid columns, numbered from 1 in grid order.
enum Column {
    FP = 1,
    RaceDate,
    Horse,
    FinishPosition,
    WeightCarried,
    AllowanceClaimed,
    Margin,
    Track,
    Distance,
    Class,
    Jockey,
    Trainer,
    Barrier,
    TrackCondition,
    RaceTime,
    Sectional800400,
    SP,
    Winner,
    Second,
    Third,
    RaceNo,
    Starters,
    PrizeWon,
    Prizemoney,
    LimitWeight,
    Last600,
    Filesource,
    RaceName,
    Spell,
    ColumnCount = Spell
};

struct ColumnSpec {
    QString key;
    QString caption;
    int width = 0; // pixels; 0 automatic
    Qt::Alignment headerAlign;
    bool hidden = false;
    bool numeric = false; // right-aligned cells
    bool descendingFirst = false;
};
// The columns in grid order (index 0 is column 1).
const QList<ColumnSpec> &columns();

// What opening the window in a mode makes of the hand-over values.
struct StatsRequest {
    Mode mode = Mode::Other;
    QString captionSuffix; // appended to the window's design caption
    QString label;         // lblStatsDesc
    QString where;
    QString sql;
    bool showHorse = true;
    bool showJockey = true;
    bool showTrainer = true;
    QString horse;  // the horse after the suffix cut
    QString jockey; // the jockey after the combined modes replaced it
};

// Builds the request and writes back into `values` what opening changes: the cut horse, the
// replaced jockey, the cleared form-data trainer.
StatsRequest prepareRequest(StatsHandOver &values, const QString &iconJockeyList);
// The WHERE text alone, from already cut/replaced names.
QString whereText(Mode mode, const QString &horse, const QString &jockey, const QString &trainer,
                  const QString &formTrainer, const QString &iconJockeyList);
QString statsSql(const QString &where);

// One run row: its cells (index 0 is column 1) and the spell or freshen text drawn beneath it.
struct RunRow {
    std::array<QString, ColumnCount> cells;
    QDate date;
    int position = 0;
    QChar condition;
    QString rowText;    // "Freshen(45d)" / "Spell(10w)" or empty
    bool spell = false; // the row text is a spell (61 days or more)
    QString cell(int column) const { return cells.at(column - 1); }
};

// Answer rows (already split into fields) folded into run rows, dead heats merged into the
// row before them; rows with fewer than 3 fields skipped.
QList<RunRow> foldRuns(const QList<QStringList> &answerRows);
// The same from the raw answer text.
QList<RunRow> foldAnswer(const QString &answer);

struct Counter {
    int starts = 0, wins = 0, seconds = 0, thirds = 0;
    void add(int position);
    QString text() const; // "starts:wins-seconds-thirds"
};

enum Category { Career, ThisPrep, FirstUp, SecondUp, Fast, Good, Dead, Slow, Heavy, CategoryCount };

struct Summary {
    std::array<Counter, CategoryCount> counters{};
    QString lastStart; // position and suffix of the newest run, empty without runs
    // "Career 12:3-2-1, This Prep 4:1-1-0, Last Start 2nd, ..."
    QString line() const;
};

// Counts the runs (newest first) and, in horse mode, sets the spell and freshen texts of the rows.
Summary summarise(QList<RunRow> &runs, Mode mode);

QString OrdinalSuffix(int n);

// Text colour of a run row and back colour of a summary label by track-condition letter;
// invalid for another letter (the grid default).
QColor conditionColor(QChar letter);
// Labels of the summary grid's first row, in column order.
QStringList summaryLabels();
// The second row: one text per column (Last Start in column 3).
QStringList summaryValues(const Summary &summary);

inline const QColor kFreshenColor = QColor(0xFF, 0xFF, 0x00);
inline const QColor kSpellColor = QColor(0xC4, 0xFF, 0xFF);
inline const QColor kSummaryBlue = QColor(0x00, 0x00, 0xFF);

// The whole look-up for the hand-over values: query, fold, count. nullopt when the query
// failed (the message has been shown).
struct StatsResult {
    StatsRequest request;
    QList<RunRow> runs;
    Summary summary;
};
std::optional<StatsResult> loadStatistics(StatsHandOver &values, const QString &iconJockeyList);

} // namespace formstats
