#include "ListModel.h"

#include "bookings/BookingGestures.h"

#include <QMimeData>

using namespace Qt::Literals::StringLiterals;

ListModel::ListModel(const QString &gridName, const QList<ListColumn> &columns, QObject *parent)
    : CellTableModel(parent), m_gridName(gridName)
{
    setColumnList(columns);
}

void ListModel::setRows(QList<ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (ListRow &row : m_rows) {
        if (row.cells.size() < columnCount())
            row.cells.resize(columnCount());
    }
    endResetModel();
}

ListRow *ListModel::lineAt(int row)
{
    return row >= 1 && row <= m_rows.size() ? &m_rows[row - 1] : nullptr;
}

void ListModel::sortLines(int column, Qt::SortOrder order)
{
    QList<SortKey> keys;
    keys.reserve(m_rows.size());
    for (const ListRow &row : std::as_const(m_rows))
        keys << sortKeyOf(row.cell(column));
    const QList<int> positions = sortedPositions(keys, order);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<int> newRowOf(m_rows.size());
    QList<ListRow> sorted;
    sorted.reserve(m_rows.size());
    for (int i = 0; i < positions.size(); ++i) {
        sorted << std::move(m_rows[positions.at(i)]);
        newRowOf[positions.at(i)] = i;
    }
    m_rows = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << (index.isValid() ? createIndex(newRowOf.at(index.row()), index.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnCount())
        return {};
    const ListCell &cell = m_rows.at(index.row()).cells.at(index.column());
    if (columns().at(index.column()).swatch) {
        // A square of the colour that stays visible on a selected row, where the back colour does not.
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return {};
        if (role == Qt::DecorationRole)
            return cell.back.isValid() ? QVariant(cell.back) : QVariant();
    }
    return role == Qt::FontRole ? cell.font : cellData(cell, role);
}

bool ListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnCount())
        return false;
    ListCell &cell = m_rows[index.row()].cells[index.column()];
    switch (role) {
    case Qt::EditRole:
    case Qt::DisplayRole:
        cell.text = value.toString();
        break;
    case Qt::FontRole:
        cell.font = value;
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

QStringList ListModel::mimeTypes() const
{
    return {jockeyMimeType()};
}

Qt::DropActions ListModel::supportedDropActions() const
{
    return Qt::CopyAction;
}

QString ListModel::jockeyMimeType()
{
    return bookinggestures::jockeyMimeType();
}

QMimeData *ListModel::jockeyMimeData(int row) const
{
    if (row < 1 || row > rowCount())
        return nullptr;
    return bookinggestures::jockeyDragData(cellText(row, 1), cellText(row, 2));
}
