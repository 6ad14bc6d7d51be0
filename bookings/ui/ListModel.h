#pragma once

#include "bookings/BookingGrid.h"
#include "bookings/ListRows.h"

#include <QAbstractTableModel>
#include <QList>

// One of the main window's lists as a table model over lines built in core: texts, colours,
// icons and fonts per cell, hidden columns, and sorting where every column keeps the direction
// of its next sort. It is also the booking grid that booking operations update in place.
class QMimeData;

class ListModel final : public QAbstractTableModel, public BookingGrid
{
    Q_OBJECT
public:
    ListModel(const QString &gridName, const QList<ListColumn> &columns, QObject *parent = nullptr);

    const QList<ListColumn> &columns() const { return m_columns; }
    void setRows(QList<ListRow> rows);
    void clear() { setRows({}); }
    const QList<ListRow> &rows() const { return m_rows; }
    const ListRow &line(int row) const { return m_rows.at(row - 1); } // 1-based

    // Sorts by the 1-based column in that column's next direction and flips it; returns the
    // direction used.
    Qt::SortOrder sortByColumn(int column);
    // Sorts in the given direction; the column's next direction becomes the other one.
    void sortByColumn(int column, Qt::SortOrder order);
    Qt::SortOrder nextSortOrder(int column) const { return m_nextOrder.value(column - 1); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    // BookingGrid, 1-based rows and columns.
    QString gridName() const override { return m_gridName; }
    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    QString cellText(int row, int column) const override;
    void setCellText(int row, int column, const QString &text) override;
    void setCellForeColor(int row, int column, const QColor &color) override;
    void setCellBackColor(int row, int column, const QColor &color) override;
    QColor cellBackColor(int row, int column) const override;
    QColor drawnBackColor(int row, int column) const override;
    void resetRowColors(int row) override;
    void setCellIcon(int row, int column, int icon) override;

    // What a dragged jockey travels as.
    static QString jockeyMimeType();
    // What dragging a jockey-list row (1-based) carries: name, and name + colour; nullptr for no row.
    QMimeData *jockeyMimeData(int row) const;

private:
    bool valid(int row, int column) const;
    void changed(int row, int column);

    QString m_gridName;
    QList<ListColumn> m_columns;
    QList<ListRow> m_rows;
    QList<Qt::SortOrder> m_nextOrder;
};
