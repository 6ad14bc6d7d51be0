#include "ListViews.h"

#include "ListModel.h"

#include "core/Sound.h"
#include "core/ui/BusyPointer.h"

#include "bookings/BookingGestures.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
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

JockeyDragDrop::JockeyDragDrop(QTableView *source, QTableView *target, StartDrag startDrag, Drop drop, QObject *parent)
    : QObject(parent), m_source(source), m_target(target), m_startDrag(std::move(startDrag)), m_drop(std::move(drop))
{
    source->viewport()->installEventFilter(this);
    target->viewport()->installEventFilter(this);
    target->viewport()->setAcceptDrops(true);
}

bool JockeyDragDrop::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_source->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const QModelIndex index = m_source->indexAt(mouse->position().toPoint());
            m_pressedRow = mouse->button() == Qt::LeftButton && index.isValid() ? index.row() + 1 : -1;
            m_pressedAt = mouse->position().toPoint();
        } else if (event->type() == QEvent::MouseMove && m_pressedRow > 0) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if ((mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pressedAt).manhattanLength() >= QApplication::startDragDistance()) {
                const int row = m_pressedRow;
                m_pressedRow = -1;
                m_startDrag(row);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_pressedRow = -1;
        }
    } else if (watched == m_target->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->mimeData()->hasFormat(ListModel::jockeyMimeType()) &&
                m_target->indexAt(drag->position().toPoint()).isValid())
                drag->acceptProposedAction();
            else if (event->type() == QEvent::DragEnter)
                drag->acceptProposedAction(); // keep receiving moves; a drop outside a cell does nothing
            else
                drag->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            const QString jockey = bookinggestures::draggedJockey(*drop->mimeData());
            if (!jockey.isEmpty() && m_drop(drop->position().toPoint(), jockey))
                drop->acceptProposedAction();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace listviews
