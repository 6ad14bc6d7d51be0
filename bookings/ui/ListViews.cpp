#include "ListViews.h"

#include "ListModel.h"

#include "core/Sound.h"
#include "core/ui/BusyPointer.h"

#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>

namespace listviews {

void setupColumns(QTableView *grid)
{
    const auto *model = static_cast<ListModel *>(grid->model());
    QHeaderView *header = grid->horizontalHeader();
    const QList<ListColumn> &columns = model->columns();
    for (int c = 0; c < columns.size(); ++c) {
        const ListColumn &column = columns.at(c);
        grid->setColumnHidden(c, column.hidden);
        // Icon columns get room for the 14-pixel pictures and the cell margins.
        const int width = column.header.isEmpty() && !column.hidden ? std::max(column.width, 22) : column.width;
        if (width > 0 && !column.hidden)
            header->resizeSection(c, width);
    }
    header->setStretchLastSection(true);
}

void sortByColumn(QTableView *grid, int column)
{
    auto *model = static_cast<ListModel *>(grid->model());
    if (column < 1 || column > model->columnCount())
        return;
    {
        BusyPointer busy;
        const Qt::SortOrder order = model->sortByColumn(column);
        grid->horizontalHeader()->setSortIndicator(column - 1, order);
    }
    sounds::playSound(sounds::kSorted);
}

void startJockeyDrag(QTableView *grid, int row)
{
    const auto *model = static_cast<ListModel *>(grid->model());
    QMimeData *data = model->jockeyMimeData(row);
    if (!data)
        return;
    auto *drag = new QDrag(grid);
    drag->setMimeData(data);
    const QRect cell = grid->visualRect(model->index(row - 1, 0));
    drag->setPixmap(grid->viewport()->grab(cell));
    drag->exec(Qt::CopyAction);
}

} // namespace listviews
