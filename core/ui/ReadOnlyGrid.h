#pragma once

class QTableView;

// A grid the user reads and picks whole rows from: no row numbers, rows one text line high,
// no editing in place.
void setUpReadOnlyGrid(QTableView *grid);

// Tab, Shift+Tab, Ctrl+Tab and Ctrl+Shift+Tab move the focus to the next or previous control
// instead of to the next cell (in a list whose current row loads something, the next row).
void leaveByTab(QTableView *grid);
