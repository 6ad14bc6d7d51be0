#pragma once

#include "bookings/BookingGrid.h"

#include <QList>

using namespace Qt::Literals::StringLiterals;

// A grid over plain rows that keeps everything the booking operations may change, so tests
// can compare whole rows before and after. Laid out as the nominations list ("grdNoms": meeting 1,
// horse 4, jockey 10, race code 11, state 13) or the runners grid (jockey 14, state 16).
class TestGrid final : public BookingGrid
{
public:
    struct Cell {
        QString text;
        QColor fore;
        QColor back;
        int icon = 0;
        bool operator==(const Cell &) const = default;
    };
    using Row = QList<Cell>;

    TestGrid(const QString &name, int columns, int rows) : m_name(name), m_columns(columns)
    {
        for (int r = 0; r < rows; ++r)
            m_rows.append(Row(columns));
    }

    BookingColumns bookingColumns() const override
    {
        if (m_name == "grdNoms"_L1)
            return {4, 10, 13, {}, 0};
        return {4, 14, 16, {15, 17, 19}, 20};
    }
    Nomination nominationOfRow(int row) const override
    {
        const QString race = m_name == "grdNoms"_L1 ? cellText(row, 11) : raceCode;
        return {cellText(row, 1), race, cellText(row, 4), trainer};
    }
    int columnCount() const override { return m_columns; }
    QString cellText(int row, int column) const override { return cell(row, column).text; }
    void setCellText(int row, int column, const QString &text) override { cell(row, column).text = text; }
    void setCellForeColor(int row, int column, const QColor &color) override { cell(row, column).fore = color; }
    void setCellBackColor(int row, int column, const QColor &color) override { cell(row, column).back = color; }
    QColor cellBackColor(int row, int column) const override { return cell(row, column).back; }
    QColor drawnBackColor(int row, int column) const override { return m_drawn.value(row - 1).value(column - 1).back; }
    void resetRowColors(int row) override
    {
        ++resets;
        for (int c = 1; c <= m_columns; ++c) {
            cell(row, c).fore = m_drawn.value(row - 1).value(c - 1).fore;
            cell(row, c).back = m_drawn.value(row - 1).value(c - 1).back;
        }
    }
    void setCellIcon(int row, int column, int icon) override { cell(row, column).icon = icon; }

    // Remembers the current colours as the ones the list was filled with.
    void markDrawn() { m_drawn = m_rows; }
    const QList<Row> &rows() const { return m_rows; }
    Cell &cell(int row, int column) { return m_rows[row - 1][column - 1]; }
    const Cell &cell(int row, int column) const { return m_rows.at(row - 1).at(column - 1); }

    int resets = 0;
    // The nomination's trainer, and the runners grid's race code (kept by the window, not the grid).
    QString trainer;
    QString raceCode;

private:
    QString m_name;
    int m_columns;
    QList<Row> m_rows;
    QList<Row> m_drawn;
};
