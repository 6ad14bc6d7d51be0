#include "ReadOnlyGrid.h"

#include <QHeaderView>
#include <QTableView>

void setUpReadOnlyGrid(QTableView *grid)
{
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
}
