#pragma once

#include "bookings/BookingGrid.h"
#include "bookings/ListRows.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

// A table model over list lines built in core, which the booking operations update in place:
// rows and columns numbered from 1, headers from the columns, and per-column sort directions
// where every column keeps the direction of its next sort. Subclasses say where each row's
// line lives (none for a row that only heads others) and how a sort reorders them.
class CellTableModel : public QAbstractTableModel, public BookingGrid
{
    Q_OBJECT
public:
    const QList<ListColumn> &columns() const { return m_columns; }

    // Sorts by the 1-based column in that column's next direction and flips it; returns the
    // direction used.
    Qt::SortOrder sortByColumn(int column);
    // Sorts in the given direction; the column's next direction becomes the other one.
    void sortByColumn(int column, Qt::SortOrder order);
    Qt::SortOrder nextSortOrder(int column) const { return m_nextOrder.value(column - 1); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // BookingGrid: where the grid keeps a booking's cells and how a row names its nomination,
    // as the window that owns the grid says.
    void setBookingColumns(const BookingColumns &columns) { m_bookingColumns = columns; }
    void setNominationOfRow(std::function<Nomination(int row)> nominationOf)
    {
        m_nominationOf = std::move(nominationOf);
    }
    BookingColumns bookingColumns() const override { return m_bookingColumns; }
    Nomination nominationOfRow(int row) const override { return m_nominationOf ? m_nominationOf(row) : Nomination(); }
    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    QString cellText(int row, int column) const override;
    void setCellText(int row, int column, const QString &text) override;
    void setCellForeColor(int row, int column, const QColor &color) override;
    void setCellBackColor(int row, int column, const QColor &color) override;
    QColor cellBackColor(int row, int column) const override;
    QColor drawnBackColor(int row, int column) const override;
    void resetRowColors(int row) override;
    void setCellIcon(int row, int column, int icon) override;

protected:
    explicit CellTableModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // What a cell sorts by: numbers as numbers before texts, texts ignoring case, then icons.
    struct SortKey {
        bool numeric = false;
        double number = 0;
        QString text;
        int icon = 0;
    };
    static SortKey sortKeyOf(const ListCell &cell);
    // The positions of keys in sorted order, stable; rows of a lower group (when given) come
    // first whatever the direction.
    static QList<int> sortedPositions(const QList<SortKey> &keys, Qt::SortOrder order,
                                      const std::function<int(int)> &groupOf = {});

    // Sets the columns and their first sort directions.
    void setColumnList(const QList<ListColumn> &columns);
    // The cell roles every list shows: text, colours, icon.
    static QVariant cellData(const ListCell &cell, int role);

    virtual int lineCount() const = 0;
    // The line shown in a 1-based row, or null for none.
    virtual ListRow *lineAt(int row) = 0;
    const ListRow *lineAt(int row) const { return const_cast<CellTableModel *>(this)->lineAt(row); }
    ListCell *cellAt(int row, int column);
    const ListCell *cellAt(int row, int column) const
    {
        return const_cast<CellTableModel *>(this)->cellAt(row, column);
    }
    void changed(int row, int column);
    // Reorders the lines by the column; the column's direction is already updated.
    virtual void sortLines(int column, Qt::SortOrder order) = 0;

private:
    QList<ListColumn> m_columns;
    QList<Qt::SortOrder> m_nextOrder;
    BookingColumns m_bookingColumns;
    std::function<Nomination(int)> m_nominationOf;
};
