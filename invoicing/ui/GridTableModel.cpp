#include "GridTableModel.h"

#include "db/Database.h"

using namespace Qt::Literals::StringLiterals;

using namespace ratetables;

GridTableModel::GridTableModel(GridTable table, QObject *parent)
    : QAbstractTableModel(parent), m_table(std::move(table))
{}

void GridTableModel::reload()
{
    beginResetModel();
    m_rows = loadRows(m_table);
    m_dirty.clear();
    m_before.clear();
    appendBlankRow();
    endResetModel();
}

void GridTableModel::appendBlankRow()
{
    m_rows.append(GridRow{0, QStringList(m_table.columns.size())});
}

bool GridTableModel::commitRow(int row, CellError *why)
{
    if (row < 0 || row >= m_rows.size() || !m_dirty.contains(row))
        return true;
    GridRow &line = m_rows[row];
    if (line.rowid == 0 && isBlankRow(line.texts)) {
        m_dirty.remove(row);
        return true;
    }
    if (const std::optional<CellError> error = checkRow(m_table, line.texts)) {
        *why = *error;
        return false;
    }
    if (const std::optional<CellError> error = conflictingRow(m_table, line)) {
        *why = *error;
        return false;
    }
    line.rowid = storeRow(m_table, line);
    m_dirty.remove(row);
    m_before.remove(row);
    // Shown again in display form, as the table now holds it.
    for (int i = 0; i < m_table.columns.size(); ++i) {
        const Kind kind = m_table.columns.at(i).kind;
        if (kind == Kind::Date)
            line.texts[i] = displayText(kind, parseDate(line.texts.at(i)).toString(Qt::ISODate));
        else if (kind == Kind::Money)
            line.texts[i] = displayText(kind, parseMoney(line.texts.at(i))->toPlainText());
        else if (kind == Kind::State || kind == Kind::RaceType)
            line.texts[i] = line.texts.at(i).trimmed().toUpper();
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    if (row == m_rows.size() - 1) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
        appendBlankRow();
        endInsertRows();
    }
    return true;
}

void GridTableModel::removeRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_rows.at(row).rowid != 0)
        deleteRow(m_table, m_rows.at(row).rowid);
    if (row == m_rows.size() - 1) {
        // The new-row line stays; it only loses what was typed.
        m_rows[row].texts = QStringList(m_table.columns.size());
        m_dirty.remove(row);
        m_before.remove(row);
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    QSet<int> dirty;
    for (int r : std::as_const(m_dirty))
        if (r != row)
            dirty.insert(r > row ? r - 1 : r);
    m_dirty = dirty;
    QHash<int, QStringList> before;
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it)
        if (it.key() != row)
            before.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
    m_before = before;
    endRemoveRows();
}

void GridTableModel::revertRow(int row)
{
    if (!m_dirty.contains(row))
        return;
    m_rows[row].texts = m_before.value(row, QStringList(m_table.columns.size()));
    m_dirty.remove(row);
    m_before.remove(row);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QString GridTableModel::rowLabel(int row) const
{
    QStringList cells;
    const QStringList texts = m_rows.value(row).texts;
    for (int i = 0; i < texts.size() && i < m_table.columns.size(); ++i)
        if (!texts.at(i).trimmed().isEmpty())
            cells << m_table.columns.at(i).caption + u' ' + texts.at(i).trimmed();
    return cells.isEmpty() ? u"the new row"_s : cells.join(u", "_s);
}

int GridTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.columns.size());
}

QVariant GridTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_rows.at(index.row()).texts.value(index.column());
}

bool GridTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    if (m_rows.at(index.row()).texts.value(index.column()) == value.toString())
        return true;
    // The row as it was before its first change, so that it can be put back (copied before the write).
    if (!m_dirty.contains(index.row()))
        m_before.insert(index.row(), m_rows.at(index.row()).texts);
    m_rows[index.row()].texts[index.column()] = value.toString();
    m_dirty.insert(index.row());
    emit dataChanged(index, index);
    return true;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_table.columns.value(section).caption;
    return section == m_rows.size() - 1 ? QVariant(u"*"_s) : QVariant();
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}
