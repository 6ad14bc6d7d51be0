#pragma once

class QMimeData;
class QTableView;

// What the main window's lists share as views over a ListModel.
namespace listviews {

// Hides, sizes and stretches the columns as the model's column list says.
void setupColumns(QTableView *grid);
// A header click: sorts by the 1-based column (asc, then desc), shows the indicator, plays the sound.
void sortByColumn(QTableView *grid, int column);
// Starts dragging a jockey-list row (1-based), its cell's picture under the pointer.
void startJockeyDrag(QTableView *grid, int row);

} // namespace listviews
