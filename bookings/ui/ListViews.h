#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

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

// Drags jockeys from the rows of `source` onto the cells of `target`, watching both viewports. `startDrag`
// starts dragging a 1-based row; `drop` books the dragged jockey at a point of the target's viewport and
// says whether it did.
class JockeyDragDrop : public QObject
{
public:
    using StartDrag = std::function<void(int row)>;
    using Drop = std::function<bool(const QPoint &viewportPos, const QString &jockey)>;

    JockeyDragDrop(QTableView *source, QTableView *target, StartDrag startDrag, Drop drop, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *m_source;
    QTableView *m_target;
    StartDrag m_startDrag;
    Drop m_drop;
    int m_pressedRow = -1;
    QPoint m_pressedAt;
};

} // namespace listviews
