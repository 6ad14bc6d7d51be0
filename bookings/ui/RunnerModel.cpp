#include "RunnerModel.h"

#include "ListIcons.h"

#include <QBrush>
#include <QCollator>
#include <QFont>

#include <algorithm>
#include <numeric>

using namespace racewindow;

RunnerModel::RunnerModel(QObject *parent) : QAbstractTableModel(parent) {}

void RunnerModel::setColumns(const QList<ListColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_nextOrder.clear();
    for (const ListColumn &column : m_columns)
        m_nextOrder << (column.firstSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
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

namespace {

struct SortKey {
    bool numeric = false;
    double number = 0;
    QString text;
    int icon = 0;
};

SortKey keyOf(const RunnerLine &line, int column)
{
    SortKey key;
    if (column == col::LastClass) {
        key.numeric = true;
        key.number = line.classRank;
        return key;
    }
    // The barrier or ballot sorts by its number without "=" and E/B.
    const int source = column == col::BarrBallot ? col::BarrBallotSort : sortColumnFor(column);
    const ListCell &cell = line.row.cell(source);
    bool ok = false;
    key.number = cell.text.toDouble(&ok);
    key.numeric = ok;
    if (!ok)
        key.text = cell.text;
    key.icon = cell.icon;
    return key;
}

} // namespace

Qt::SortOrder RunnerModel::sortByColumn(int column)
{
    if (column < 1 || column > m_columns.size())
        return Qt::AscendingOrder;
    const Qt::SortOrder order = m_nextOrder.at(column - 1);
    m_nextOrder[column - 1] = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;

    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<SortKey> keys;
    keys.reserve(m_lines.size());
    for (const RunnerLine &line : std::as_const(m_lines))
        keys << keyOf(line, column);
    auto less = [&](int a, int b) {
        const SortKey &x = keys.at(a);
        const SortKey &y = keys.at(b);
        if (x.numeric != y.numeric)
            return x.numeric;
        if (x.numeric && x.number != y.number)
            return x.number < y.number;
        if (!x.numeric) {
            const int c = collator.compare(x.text, y.text);
            if (c != 0)
                return c < 0;
        }
        return x.icon < y.icon;
    };
    QList<int> positions(m_lines.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        // Grouped runners stay under their race's heading.
        if (m_grouped && m_lines.at(a).raceNumber != m_lines.at(b).raceNumber)
            return m_lines.at(a).raceNumber < m_lines.at(b).raceNumber;
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });

    beginResetModel();
    QList<RunnerLine> sorted;
    sorted.reserve(m_lines.size());
    for (int i : std::as_const(positions))
        sorted << std::move(m_lines[i]);
    m_lines = std::move(sorted);
    rebuildDisplay();
    endResetModel();
    return order;
}

int RunnerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_display.size());
}

int RunnerModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnCount();
}

QVariant RunnerModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_display.size() || index.column() >= m_columns.size())
        return {};
    const int row = index.row() + 1;
    if (isGroupRow(row)) {
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? QVariant(QStringLiteral("Race : ") + groupText(row).trimmed()) : QVariant();
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
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell.text;
    case Qt::ForegroundRole:
        if (cell.fore.isValid())
            return QBrush(cell.fore);
        // Plain text stays readable on a dark jockey colour.
        return cell.back.isValid() && cell.back.lightness() < 110 ? QVariant(QBrush(Qt::white)) : QVariant();
    case Qt::BackgroundRole:
        return cell.back.isValid() ? QVariant(QBrush(cell.back)) : QVariant();
    case Qt::DecorationRole:
        return cell.icon > 0 ? QVariant(ListIcons::icon(cell.icon)) : QVariant();
    case Qt::UserRole:
        return cell.icon;
    case Qt::TextAlignmentRole: {
        const char align = cellAlignment(index.column() + 1);
        return int((align == 'R'   ? Qt::AlignRight
                    : align == 'C' ? Qt::AlignHCenter
                                   : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant RunnerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns.at(section).header;
    return {};
}

Qt::ItemFlags RunnerModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
}

ListCell *RunnerModel::cellAt(int row, int column)
{
    if (row < 1 || row > m_display.size() || column < 1 || column > m_columns.size())
        return nullptr;
    const int line = m_display.at(row - 1).line;
    return line < 0 ? nullptr : &m_lines[line].row.cell(column);
}

const ListCell *RunnerModel::cellAt(int row, int column) const
{
    return const_cast<RunnerModel *>(this)->cellAt(row, column);
}

void RunnerModel::changed(int row, int column)
{
    const QModelIndex at = index(row - 1, column - 1);
    emit dataChanged(at, at);
}

QString RunnerModel::cellText(int row, int column) const
{
    const ListCell *cell = cellAt(row, column);
    return cell ? cell->text : QString();
}

void RunnerModel::setCellText(int row, int column, const QString &text)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->text = text;
        changed(row, column);
    }
}

void RunnerModel::setCellForeColor(int row, int column, const QColor &color)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->fore = color;
        changed(row, column);
    }
}

void RunnerModel::setCellBackColor(int row, int column, const QColor &color)
{
    // The group column, the location and the hidden sort value keep the grid's default.
    if (column == col::RaceDetails || column == col::TrainerLoc || column == col::BarrBallotSort)
        return;
    if (ListCell *cell = cellAt(row, column)) {
        cell->back = color;
        changed(row, column);
    }
}

QColor RunnerModel::cellBackColor(int row, int column) const
{
    const ListCell *cell = cellAt(row, column);
    return cell ? cell->back : QColor();
}

QColor RunnerModel::drawnBackColor(int row, int column) const
{
    if (row < 1 || row > m_display.size() || m_display.at(row - 1).line < 0)
        return {};
    return m_lines.at(m_display.at(row - 1).line).row.drawnBack.value(column - 1);
}

void RunnerModel::resetRowColors(int row)
{
    if (row < 1 || row > m_display.size() || m_display.at(row - 1).line < 0)
        return;
    ListRow &line = m_lines[m_display.at(row - 1).line].row;
    for (int c = 0; c < line.cells.size(); ++c) {
        line.cells[c].fore = line.drawnFore.value(c);
        line.cells[c].back = line.drawnBack.value(c);
    }
    emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
}

void RunnerModel::setCellIcon(int row, int column, int icon)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->icon = icon;
        changed(row, column);
    }
}
