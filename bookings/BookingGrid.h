#pragma once

#include <QColor>
#include <QString>

// What booking operations need of the grid that called them, so that they can update the
// row after the database change. The main window's nominations list and the race window's
// runners grid implement it over their models; columns are 1-based as the grids number them.
class BookingGrid
{
public:
    virtual ~BookingGrid() = default;

    // The control's name: "grdNoms" for the main window's nominations list.
    virtual QString gridName() const = 0;
    virtual int columnCount() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual void setCellText(int row, int column, const QString &text) = 0;
    // An invalid colour means the grid's default.
    virtual void setCellForeColor(int row, int column, const QColor &color) = 0;
    virtual void setCellBackColor(int row, int column, const QColor &color) = 0;
    // The cell's current back colour (invalid for the default): a booking made "Confirmed"
    // from the state list takes the row colour from the jockey cell.
    virtual QColor cellBackColor(int row, int column) const = 0;
    // The cell's back colour as drawn when the list was filled, before any booking's colour.
    virtual QColor drawnBackColor(int row, int column) const = 0;
    // Back to the row's own colours (as it was drawn when the list was filled).
    virtual void resetRowColors(int row) = 0;
    // Icon index in the grid's image list; 0 removes the icon.
    virtual void setCellIcon(int row, int column, int icon) = 0;
};
