#pragma once

#include "core/Currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The two small table editors of the setup menu: booking rates (`BookRate`) and booking
// templates (`BookingTemplate`). Rows are shown as texts in their display forms and stored,
// after checking, when the agent leaves a row.
namespace ratetables {

enum class Kind { State, RaceType, Date, Money, Whole, Text };

struct GridColumn {
    QString caption;
    QString field;
    Kind kind;
};

struct GridTable {
    QString table;
    QList<GridColumn> columns;
};
GridTable bookRateTable();
GridTable bookingTemplateTable();

// One row as shown: its texts in column order; rowid 0 for a row not stored yet.
struct GridRow {
    qint64 rowid = 0;
    QStringList texts;
};

// The display form of a stored value: dates "d/M/yy", money "$#,##0.00".
QString displayText(Kind kind, const QVariant &stored);
// "1/7/25", "01/07/2025" or "2025-07-01"; a two-digit year is in this century. Invalid when not a date.
QDate parseDate(const QString &text);
// "$1,234.50", "1234.5": the amount; nullopt for text that is not one.
std::optional<Currency> parseMoney(const QString &text);

struct CellError {
    int column; // from 0
    QString message;
};
// The race types whose rates the invoice charges (its stored query reads race type "R").
inline const QStringList kChargedRaceTypes{u"R"_s};

// The first cell whose text the column cannot take.
std::optional<CellError> checkRow(const GridTable &table, const QStringList &texts);
// A checked booking-rate row that another stored row already has the state, race type and date
// of (the invoice would pick one of them arbitrarily); nothing for other tables.
std::optional<CellError> conflictingRow(const GridTable &table, const GridRow &row);
// True when every text of the row is blank (a new row the agent left untouched).
bool isBlankRow(const QStringList &texts);

// Every stored row in the table's order (rates by state, type and date; templates by sequence).
QList<GridRow> loadRows(const GridTable &table);
// Inserts (rowid 0) or rewrites the row after checking it; returns its rowid. Throws DbError.
qint64 storeRow(const GridTable &table, const GridRow &row);
void deleteRow(const GridTable &table, qint64 rowid);

} // namespace ratetables
