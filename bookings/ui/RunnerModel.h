#pragma once

#include "CellTableModel.h"
#include "bookings/RaceRunners.h"

// The race window's runners grid: one row per runner, and in meeting view a group row before
// each race's runners. Rows and columns are numbered from 1 as the booking operations address
// them; a group row has no cells of its own.
class RunnerModel final : public CellTableModel
{
    Q_OBJECT
public:
    explicit RunnerModel(QObject *parent = nullptr);

    // The columns for the meeting level, emptying the grid.
    void setColumns(const QList<ListColumn> &columns);
    void setRunners(QList<racewindow::RunnerLine> lines, bool grouped);
    void clear() { setRunners({}, m_grouped); }

    bool isGroupRow(int row) const;
    // The race a row belongs to (0 for none).
    int raceOfRow(int row) const;
    // The group row of a race (0 when the race has none).
    int groupRowOf(int race) const;
    int runnerCount() const { return static_cast<int>(m_lines.size()); }
    QString groupText(int row) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    int lineCount() const override { return static_cast<int>(m_display.size()); }
    ListRow *lineAt(int row) override;
    // Within each race when grouped.
    void sortLines(int column, Qt::SortOrder order) override;

private:
    struct Display {
        int line = -1; // index into m_lines, -1 for a group row
        int race = 0;
    };
    void rebuildDisplay();
    static SortKey keyOf(const racewindow::RunnerLine &line, int column);

    QList<racewindow::RunnerLine> m_lines;
    QList<Display> m_display;
    bool m_grouped = false;
};
