#include "RunnerModel.h"

#include <QBrush>
#include <QFont>

using namespace Qt::Literals::StringLiterals;

using namespace racewindow;

RunnerModel::RunnerModel(QObject *parent) : CellTableModel(parent)
{
    setBookingColumns(racewindow::runnerBookingColumns());
}

void RunnerModel::setColumns(const QList<ListColumn> &columns)
{
    beginResetModel();
    setColumnList(columns);
    m_lines.clear();
    m_display.clear();
    endResetModel();
}

void RunnerModel::setRunners(QList<RunnerLine> lines, bool grouped)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_grouped = grouped;
    rebuildDisplay();
    endResetModel();
}

void RunnerModel::rebuildDisplay()
{
    m_display.clear();
    m_display.reserve(m_lines.size() + 32);
    int previous = -1;
    for (int i = 0; i < m_lines.size(); ++i) {
        const int race = m_lines.at(i).raceNumber;
        if (m_grouped && race != previous)
            m_display.append({-1, race});
        previous = race;
        m_display.append({i, race});
    }
}

bool RunnerModel::isGroupRow(int row) const
{
    return row >= 1 && row <= m_display.size() && m_display.at(row - 1).line < 0;
}

int RunnerModel::raceOfRow(int row) const
{
    return row >= 1 && row <= m_display.size() ? m_display.at(row - 1).race : 0;
}

int RunnerModel::groupRowOf(int race) const
{
    for (int i = 0; i < m_display.size(); ++i) {
        if (m_display.at(i).line < 0 && m_display.at(i).race == race)
            return i + 1;
    }
    return 0;
}

QString RunnerModel::groupText(int row) const
{
    if (!isGroupRow(row))
        return QString();
    const int race = raceOfRow(row);
    for (const RunnerLine &line : m_lines) {
        if (line.raceNumber == race)
            return line.row.text(col::RaceDetails);
    }
    return QString();
}

ListRow *RunnerModel::lineAt(int row)
{
    if (row < 1 || row > m_display.size())
        return nullptr;
    const int line = m_display.at(row - 1).line;
    return line < 0 ? nullptr : &m_lines[line].row;
}

CellTableModel::SortKey RunnerModel::keyOf(const RunnerLine &line, int column)
{
    if (column == col::LastClass) {
        SortKey key;
        key.numeric = true;
        key.number = line.classRank;
        return key;
    }
    // The barrier or ballot sorts by its number without "=" and E/B.
    const int source = column == col::BarrBallot ? col::BarrBallotSort : sortColumnFor(column);
    return sortKeyOf(line.row.cell(source));
}

void RunnerModel::sortLines(int column, Qt::SortOrder order)
{
    QList<SortKey> keys;
    keys.reserve(m_lines.size());
    for (const RunnerLine &line : std::as_const(m_lines))
        keys << keyOf(line, column);
    // Grouped runners stay under their race's heading.
    std::function<int(int)> raceOf;
    if (m_grouped)
        raceOf = [this](int i) { return m_lines.at(i).raceNumber; };
    const QList<int> positions = sortedPositions(keys, order, raceOf);

    beginResetModel();
    QList<RunnerLine> sorted;
    sorted.reserve(m_lines.size());
    for (int i : std::as_const(positions))
        sorted << std::move(m_lines[i]);
    m_lines = std::move(sorted);
    rebuildDisplay();
    endResetModel();
}

QVariant RunnerModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_display.size() || index.column() >= columnCount())
        return {};
    const int row = index.row() + 1;
    if (isGroupRow(row)) {
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? QVariant(u"Race : "_s + groupText(row).trimmed()) : QVariant();
        if (role == Qt::FontRole) {
            QFont font;
            font.setBold(true);
            return font;
        }
        if (role == Qt::BackgroundRole)
            return QBrush(QColor(225, 232, 245));
        return {};
    }
    const ListCell &cell = *cellAt(row, index.column() + 1);
    switch (role) {
    case Qt::ForegroundRole:
        if (cell.fore.isValid())
            return QBrush(cell.fore);
        // Plain text stays readable on a dark jockey colour.
        return cell.back.isValid() && cell.back.lightness() < 110 ? QVariant(QBrush(Qt::white)) : QVariant();
    case Qt::TextAlignmentRole: {
        const char align = cellAlignment(index.column() + 1);
        return int((align == 'R'   ? Qt::AlignRight
                    : align == 'C' ? Qt::AlignHCenter
                                   : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    }
    default:
        return cellData(cell, role);
    }
}
