#pragma once

#include "bookings/BookingGrid.h"

#include <QObject>
#include <QString>

class CellTableModel;
class QComboBox;
class QTableView;

// A pick list (jockeys or booking states) opened over a cell of a booking grid. It belongs to the
// nomination it was opened on (meeting code + race code + horse: a horse may run in two races of
// a meeting), not to a row number: a sort, a reload or another trainer closes it, and a choice is
// only ever given for that nomination's row.
// Keys: arrows (and typing) on the closed list only browse; Enter or Tab commits the choice shown,
// as does a click or Enter in the open list; Escape closes it without a choice. Leaving it any
// other way (a click elsewhere) chooses nothing.
class NominationPick final : public QObject
{
    Q_OBJECT
public:
    NominationPick(QComboBox *box, QTableView *grid, CellTableModel *rows);

    // Places the list over the cell (1-based row and column) with the cell's text chosen, and shows it.
    void open(int row, int column);
    // Hides the list without a choice.
    void close();
    bool isOpen() const { return m_nomination.isValid(); }
    // Gives the choice shown for the row where the nomination stands now, and closes.
    void commit();

signals:
    // `row` is where the nomination stands when the choice is made.
    void chosen(int row, const QString &choice, int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void browse(int step);

    QComboBox *m_box;
    QTableView *m_grid;
    CellTableModel *m_rows;
    Nomination m_nomination;
    // The next activation comes from the open list (a click or Enter there), not from browsing.
    bool m_fromList = false;
    int m_scrolledFrom = -1; // the grid's sideways scroll before the list opened
};
