#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QVariant>

// What a list line shows, cell by cell, independent of any widget: the main window's lists are
// built from these in core and drawn by table models in the windows.

struct ListCell {
    QString text;
    QColor fore;   // invalid: the list's default
    QColor back;   // invalid: the list's default
    int icon = 0;  // index in the window's image list, 0 for none
    QVariant font; // a QFont set by a window (the highlighted icon jockey), else none
};

struct ListRow {
    QList<ListCell> cells; // column 1 is cells[0]
    // The colours the line was drawn with, so that a removed booking can restore them.
    QList<QColor> drawnFore;
    QList<QColor> drawnBack;

    explicit ListRow(int columns = 0) : cells(columns) {}
    ListCell &cell(int column) { return cells[column - 1]; }
    const ListCell &cell(int column) const { return cells.at(column - 1); }
    QString text(int column) const { return cells.value(column - 1).text; }
    // Remembers the current colours as the drawn ones.
    void markDrawn()
    {
        drawnFore.clear();
        drawnBack.clear();
        for (const ListCell &c : cells) {
            drawnFore << c.fore;
            drawnBack << c.back;
        }
    }
};

// One column of a list: its key, header text, width in pixels (0: the view's default), whether
// it is hidden, whether its first sort is descending, and whether it is a colour swatch (the
// cell's back colour is shown; its text, the stored colour number, is kept but not shown).
struct ListColumn {
    QString key;
    QString header;
    int width = 0;
    bool hidden = false;
    bool firstSortDescending = false;
    bool swatch = false;
};
