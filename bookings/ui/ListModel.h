#pragma once

#include "CellTableModel.h"

// One of the main window's lists as a table model over lines built in core: texts, colours,
// icons and fonts per cell, hidden columns, and sorting where every column keeps the direction
// of its next sort. It is also the booking grid that booking operations update in place.
class QMimeData;

class ListModel final : public CellTableModel
{
    Q_OBJECT
public:
    ListModel(const QString &gridName, const QList<ListColumn> &columns, QObject *parent = nullptr);

    void setRows(QList<ListRow> rows);
    void clear() { setRows({}); }
    const QList<ListRow> &rows() const { return m_rows; }
    const ListRow &line(int row) const { return m_rows.at(row - 1); } // 1-based

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    QString gridName() const { return m_gridName; }

    // What a dragged jockey travels as.
    static QString jockeyMimeType();
    // What dragging a jockey-list row (1-based) carries: name, and name + colour; nullptr for no row.
    QMimeData *jockeyMimeData(int row) const;

protected:
    int lineCount() const override { return static_cast<int>(m_rows.size()); }
    ListRow *lineAt(int row) override;
    void sortLines(int column, Qt::SortOrder order) override;

private:
    QString m_gridName;
    QList<ListRow> m_rows;
};
