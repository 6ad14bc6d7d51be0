#pragma once

class QTableView;

// A grid the user reads and picks whole rows from: no row numbers, rows one text line high,
// no editing in place.
void setUpReadOnlyGrid(QTableView *grid);
