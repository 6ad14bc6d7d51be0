#pragma once

#include "bookings/BookingGrid.h"
#include "bookings/RaceRunners.h"

#include <QAbstractTableModel>
#include <QList>

// The race window's runners grid: one row per runner, and in meeting view a group row before
// each race's runners. Rows and columns are numbered from 1 as the booking operations address
// them; a group row has no cells of its own.
class RunnerModel final : public QAbstractTableModel, public BookingGrid
{
    Q_OBJECT
public:
    explicit RunnerModel(QObject *parent = nullptr);

    // The columns for the meeting level, emptying the grid.
    void setColumns(const QList<ListColumn> &columns);
    const QList<ListColumn> &columns() const { return m_columns; }
    void setRunners(QList<racewindow::RunnerLine> lines, bool grouped);
    void clear() { setRunners({}, m_grouped); }

    bool isGroupRow(int row) const;
    // The race a row belongs to (0 for none).
    int raceOfRow(int row) const;
    // The group row of a race (0 when the race has none).
    int groupRowOf(int race) const;
    int runnerCount() const { return static_cast<int>(m_lines.size()); }
    QString groupText(int row) const;

    // Sorts by the column's sort values in its next direction (within each race when grouped)
    // and flips the direction; returns the direction used.
    Qt::SortOrder sortByColumn(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // BookingGrid.
    QString gridName() const override { return QStringLiteral("grdRace"); }
    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    QString cellText(int row, int column) const override;
    void setCellText(int row, int column, const QString &text) override;
    void setCellForeColor(int row, int column, const QColor &color) override;
    void setCellBackColor(int row, int column, const QColor &color) override;
    QColor cellBackColor(int row, int column) const override;
    QColor drawnBackColor(int row, int column) const override;
    void resetRowColors(int row) override;
    void setCellIcon(int row, int column, int icon) override;

private:
    struct Display {
        int line = -1; // index into m_lines, -1 for a group row
        int race = 0;
    };
    void rebuildDisplay();
    ListCell *cellAt(int row, int column);
    const ListCell *cellAt(int row, int column) const;
    void changed(int row, int column);

    QList<ListColumn> m_columns;
    QList<racewindow::RunnerLine> m_lines;
    QList<Display> m_display;
    QList<Qt::SortOrder> m_nextOrder;
    bool m_grouped = false;
};
