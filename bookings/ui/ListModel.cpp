#include "ListModel.h"

#include "ListIcons.h"

#include <QBrush>
#include <QCollator>
#include <QFont>
#include <QMimeData>

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

ListModel::ListModel(const QString &gridName, const QList<ListColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_gridName(gridName), m_columns(columns)
{
    for (const ListColumn &column : m_columns)
        m_nextOrder << (column.firstSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ListModel::setRows(QList<ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (ListRow &row : m_rows) {
        if (row.cells.size() < m_columns.size())
            row.cells.resize(m_columns.size());
    }
    endResetModel();
}

namespace {

// What a cell sorts by: numbers as numbers, other texts ignoring case, icons by their index.
struct SortKey {
    bool numeric = false;
    double number = 0;
    QString text;
    int icon = 0;
};

SortKey sortKeyOf(const ListCell &cell)
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

} // namespace

Qt::SortOrder ListModel::sortByColumn(int column)
{
    const Qt::SortOrder order = nextSortOrder(column);
    sortByColumn(column, order);
    return order;
}

void ListModel::sortByColumn(int column, Qt::SortOrder order)
{
    if (column < 1 || column > columnCount())
        return;
    m_nextOrder[column - 1] = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;

    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    QList<SortKey> keys;
    keys.reserve(m_rows.size());
    for (const ListRow &row : m_rows)
        keys << sortKeyOf(row.cell(column));
    QList<int> order_(m_rows.size());
    std::iota(order_.begin(), order_.end(), 0);
    auto less = [&](int a, int b) {
        const SortKey &x = keys.at(a);
        const SortKey &y = keys.at(b);
        if (x.numeric != y.numeric)
            return x.numeric; // numbers before texts
        if (x.numeric && x.number != y.number)
            return x.number < y.number;
        if (!x.numeric) {
            const int c = collator.compare(x.text, y.text);
            if (c != 0)
                return c < 0;
        }
        return x.icon < y.icon;
    };
    // Stable, so a second sort keeps the first one's order among equal cells.
    if (order == Qt::AscendingOrder)
        std::stable_sort(order_.begin(), order_.end(), less);
    else
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<int> newRowOf(m_rows.size());
    QList<ListRow> sorted;
    sorted.reserve(m_rows.size());
    for (int i = 0; i < order_.size(); ++i) {
        sorted << std::move(m_rows[order_.at(i)]);
        newRowOf[order_.at(i)] = i;
    }
    m_rows = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << (index.isValid() ? createIndex(newRowOf.at(index.row()), index.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnCount();
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    const ListCell &cell = m_rows.at(index.row()).cells.at(index.column());
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
    case Qt::FontRole:
        return cell.font;
    case Qt::UserRole:
        return cell.icon;
    default:
        return {};
    }
}

bool ListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
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

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).header;
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
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
    return u"application/x-ostrevan-jockey"_s;
}

bool ListModel::valid(int row, int column) const
{
    return row >= 1 && row <= m_rows.size() && column >= 1 && column <= m_columns.size();
}

void ListModel::changed(int row, int column)
{
    const QModelIndex at = index(row - 1, column - 1);
    emit dataChanged(at, at);
}

QString ListModel::cellText(int row, int column) const
{
    return valid(row, column) ? m_rows.at(row - 1).cell(column).text : QString();
}

void ListModel::setCellText(int row, int column, const QString &text)
{
    if (!valid(row, column))
        return;
    m_rows[row - 1].cell(column).text = text;
    changed(row, column);
}

void ListModel::setCellForeColor(int row, int column, const QColor &color)
{
    if (!valid(row, column))
        return;
    m_rows[row - 1].cell(column).fore = color;
    changed(row, column);
}

void ListModel::setCellBackColor(int row, int column, const QColor &color)
{
    if (!valid(row, column))
        return;
    m_rows[row - 1].cell(column).back = color;
    changed(row, column);
}

QColor ListModel::cellBackColor(int row, int column) const
{
    return valid(row, column) ? m_rows.at(row - 1).cell(column).back : QColor();
}

QColor ListModel::drawnBackColor(int row, int column) const
{
    return valid(row, column) ? m_rows.at(row - 1).drawnBack.value(column - 1) : QColor();
}

void ListModel::resetRowColors(int row)
{
    if (row < 1 || row > m_rows.size())
        return;
    ListRow &line = m_rows[row - 1];
    for (int c = 0; c < line.cells.size(); ++c) {
        line.cells[c].fore = line.drawnFore.value(c);
        line.cells[c].back = line.drawnBack.value(c);
    }
    emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
}

void ListModel::setCellIcon(int row, int column, int icon)
{
    if (!valid(row, column))
        return;
    m_rows[row - 1].cell(column).icon = icon;
    changed(row, column);
}

QMimeData *ListModel::jockeyMimeData(int row) const
{
    if (row < 1 || row > rowCount())
        return nullptr;
    auto *data = new QMimeData;
    const QString name = cellText(row, 1);
    data->setText(name);
    data->setData(jockeyMimeType(), (name + QLatin1Char('\n') + cellText(row, 2)).toUtf8());
    return data;
}
