#pragma once

#include <QColor>
#include <QList>
#include <QString>

// A nomination as booking operations find it: meeting code + horse, with the race code and the
// trainer a new booking is stored under.
struct Nomination {
    QString meetingCode;
    QString raceCode;
    QString horse;
    QString trainer;
    bool isValid() const { return !meetingCode.isEmpty() && !horse.isEmpty(); }
};

// Where a grid keeps what the booking gestures read and write (1-based columns), and which
// cells a confirmed ride leaves alone when it paints its row.
struct BookingColumns {
    int horse = 0;
    int jockey = 0;
    int state = 0;
    QList<int> unpainted;
    // A cell that keeps the colour it was drawn with when it has one (a last rider's own colour).
    int ownColor = 0;
};

// What booking operations need of the grid that called them, so that they can update the
// row after the database change. The main window's nominations list and the race window's
// runners grid implement it over their models; columns are 1-based as the grids number them.
class BookingGrid
{
public:
    virtual ~BookingGrid() = default;

    virtual BookingColumns bookingColumns() const = 0;
    // The nomination a row shows (invalid for a row that shows none, such as a race heading).
    virtual Nomination nominationOfRow(int row) const = 0;
    virtual int columnCount() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual void setCellText(int row, int column, const QString &text) = 0;
    // An invalid colour means the grid's default.
    virtual void setCellForeColor(int row, int column, const QColor &color) = 0;
    virtual void setCellBackColor(int row, int column, const QColor &color) = 0;
    virtual QColor cellBackColor(int row, int column) const = 0;
    // The cell's back colour as drawn when the list was filled, before any booking's colour.
    virtual QColor drawnBackColor(int row, int column) const = 0;
    // Back to the row's own colours (as it was drawn when the list was filled).
    virtual void resetRowColors(int row) = 0;
    // Icon index in the grid's image list; 0 removes the icon.
    virtual void setCellIcon(int row, int column, int icon) = 0;
};
