#pragma once

#include <QObject>
#include <QString>

class ListModel;
class QComboBox;
class QTableView;

// A pick list opened over a cell of the nominations list. It belongs to the nomination it was
// opened on (meeting code + race + horse: a horse may run in two races of a meeting), not to a row
// number: a sort, a reload or another trainer closes it, and a choice is only ever written to that
// nomination's row.
class NominationPick final : public QObject
{
    Q_OBJECT
public:
    NominationPick(QComboBox *box, QTableView *grid, ListModel *nominations);

    // Places the list over the cell (1-based row and column) with the cell's text chosen, and shows it.
    void open(int row, int column);
    // Hides the list and forgets its nomination.
    void close();
    bool isOpen() const { return !m_horse.isEmpty(); }
    // Closes the list and gives the row its nomination stands in now and the column it was
    // opened on; row 0 when it was not open or the nomination is no longer listed.
    struct Target {
        int row = 0;
        int column = 0;
    };
    Target take();

private:
    QComboBox *m_box;
    QTableView *m_grid;
    ListModel *m_nominations;
    QString m_meeting;
    QString m_race;
    QString m_horse;
    int m_column = 0;
    int m_scrolledFrom = -1; // the grid's sideways scroll before the list opened
};
