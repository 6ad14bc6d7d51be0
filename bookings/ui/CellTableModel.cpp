#include "CellTableModel.h"

#include "ListIcons.h"

#include <QBrush>
#include <QCollator>

#include <algorithm>
#include <numeric>

void CellTableModel::setColumnList(const QList<ListColumn> &columns)
{
    m_columns = columns;
    m_nextOrder.clear();
    for (const ListColumn &column : m_columns)
        m_nextOrder << (column.firstSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

Qt::SortOrder CellTableModel::sortByColumn(int column)
{
    const Qt::SortOrder order = nextSortOrder(column);
    sortByColumn(column, order);
    return order;
}

void CellTableModel::sortByColumn(int column, Qt::SortOrder order)
{
    if (column < 1 || column > columnCount())
        return;
    m_nextOrder[column - 1] = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sortLines(column, order);
}

CellTableModel::SortKey CellTableModel::sortKeyOf(const ListCell &cell)
{
    SortKey key;
    bool ok = false;
    key.number = cell.text.toDouble(&ok);
    key.numeric = ok;
    if (!ok)
        key.text = cell.text;
    key.icon = cell.icon;
    return key;
}

QList<int> CellTableModel::sortedPositions(const QList<SortKey> &keys, Qt::SortOrder order,
                                           const std::function<int(int)> &groupOf)
{
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
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
    QList<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    // Stable, so a second sort keeps the first one's order among equal cells.
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        if (groupOf && groupOf(a) != groupOf(b))
            return groupOf(a) < groupOf(b);
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    return positions;
}

QVariant CellTableModel::cellData(const ListCell &cell, int role)
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell.text;
    case Qt::ForegroundRole:
        return cell.fore.isValid() ? QVariant(QBrush(cell.fore)) : QVariant();
    case Qt::BackgroundRole:
        return cell.back.isValid() ? QVariant(QBrush(cell.back)) : QVariant();
    case Qt::DecorationRole:
        return cell.icon > 0 ? QVariant(ListIcons::icon(cell.icon)) : QVariant();
    case Qt::UserRole:
        return cell.icon;
    default:
        return {};
    }
}

int CellTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : lineCount();
}

int CellTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnCount();
}

QVariant CellTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns.at(section).header;
    return {};
}

Qt::ItemFlags CellTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
}

ListCell *CellTableModel::cellAt(int row, int column)
{
    if (column < 1 || column > m_columns.size())
        return nullptr;
    ListRow *line = lineAt(row);
    return line ? &line->cell(column) : nullptr;
}

void CellTableModel::changed(int row, int column)
{
    const QModelIndex at = index(row - 1, column - 1);
    emit dataChanged(at, at);
}

QString CellTableModel::cellText(int row, int column) const
{
    const ListCell *cell = cellAt(row, column);
    return cell ? cell->text : QString();
}

void CellTableModel::setCellText(int row, int column, const QString &text)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->text = text;
        changed(row, column);
    }
}

void CellTableModel::setCellForeColor(int row, int column, const QColor &color)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->fore = color;
        changed(row, column);
    }
}

void CellTableModel::setCellBackColor(int row, int column, const QColor &color)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->back = color;
        changed(row, column);
    }
}

QColor CellTableModel::cellBackColor(int row, int column) const
{
    const ListCell *cell = cellAt(row, column);
    return cell ? cell->back : QColor();
}

QColor CellTableModel::drawnBackColor(int row, int column) const
{
    const ListRow *line = lineAt(row);
    return line ? line->drawnBack.value(column - 1) : QColor();
}

void CellTableModel::resetRowColors(int row)
{
    ListRow *line = lineAt(row);
    if (!line)
        return;
    for (int c = 0; c < line->cells.size(); ++c) {
        line->cells[c].fore = line->drawnFore.value(c);
        line->cells[c].back = line->drawnBack.value(c);
    }
    emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
}

void CellTableModel::setCellIcon(int row, int column, int icon)
{
    if (ListCell *cell = cellAt(row, column)) {
        cell->icon = icon;
        changed(row, column);
    }
}
