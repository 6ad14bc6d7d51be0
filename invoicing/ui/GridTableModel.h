#pragma once

#include "invoicing/BookRates.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>

// An editable grid over one local table: the stored rows in their display forms and one blank
// row at the end for a new one. Edits stay in the model until commitRow stores the row.
class GridTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit GridTableModel(ratetables::GridTable table, QObject *parent = nullptr);

    const ratetables::GridTable &table() const { return m_table; }
    // Reads every row again (throws DbError).
    void reload();

    // Stores the row when it was changed; false (nothing stored) with the message in *why.
    bool commitRow(int row, ratetables::CellError *why);
    // Deletes a stored row (or forgets a new one). Throws DbError.
    void removeRow(int row);
    bool isDirty(int row) const { return m_dirty.contains(row); }
    // Puts back the row as it was before its edits (a new row becomes blank again).
    void revertRow(int row);
    // The row for a question: "State VIC, Race Type R, Date Effective 1/7/24" (its filled cells);
    // "the new row" when nothing is typed in it.
    QString rowLabel(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void appendBlankRow();

    ratetables::GridTable m_table;
    QList<ratetables::GridRow> m_rows;
    QSet<int> m_dirty;
    QHash<int, QStringList> m_before; // a changed row's texts before its first edit
};
