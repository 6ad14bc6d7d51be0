#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTest>

#include <memory>

// Drives a window as the agent does: widgets found by object name, real mouse, key and drop
// events, so that every signal connection between a gesture and its handler is exercised. Rows
// and columns are numbered from 1, as in the lists' models.
namespace drive {

// A missing widget is a fault of the window, not a failed check: the suite stops and names it.
template <typename T> T *named(const QObject *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window->objectName()), T::staticMetaObject.className(),
               qPrintable(name));
    return found;
}

inline QPoint cellCentre(QAbstractItemView *view, int row, int column)
{
    const QModelIndex index = view->model()->index(row - 1, column - 1);
    view->scrollTo(index);
    return view->visualRect(index).center();
}

inline void clickCell(QAbstractItemView *view, int row, int column, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(view->viewport(), button, {}, cellCentre(view, row, column));
}

// The view reports a double click only over the cell that was pressed first.
inline void doubleClickCell(QAbstractItemView *view, int row, int column)
{
    const QPoint at = cellCentre(view, row, column);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

// What a right click at a point of the view's viewport asks for (its pop-up menu).
inline void contextMenuAt(QAbstractItemView *view, const QPoint &at)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
}

inline void clickHeader(QTableView *view, int column)
{
    QHeaderView *header = view->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Presses on a cell and moves past the drag distance, as the agent starts a drag. The offscreen
// platform ends a drag at once without a drop; what the view's drag carried is returned (nullptr
// when none started), to be dropped where the test wants it.
inline std::unique_ptr<QMimeData> dragFromCell(QAbstractItemView *view, int row, int column)
{
    const QPoint from = cellCentre(view, row, column);
    const QPoint to = from + QPoint(QApplication::startDragDistance() + 2, 0);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    const QList<QDrag *> drags = view->findChildren<QDrag *>();
    if (drags.isEmpty())
        return nullptr;
    auto carried = std::make_unique<QMimeData>();
    for (const QString &format : drags.last()->mimeData()->formats())
        carried->setData(format, drags.last()->mimeData()->data(format));
    qDeleteAll(drags);
    return carried;
}

// A drag that enters the view, moves to a point of its viewport and is dropped there; true when the
// drop was taken. As on screen, the drop reaches the view that accepted the drag's entry.
inline bool dropAt(QAbstractItemView *view, const QPoint &at, const QMimeData *data)
{
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &drop);
    return drop.isAccepted();
}

inline bool dropOnCell(QAbstractItemView *view, int row, int column, const QMimeData *data)
{
    return dropAt(view, cellCentre(view, row, column), data);
}

// Replaces a box's text by typing, then Enter: what makes the box report the edit.
inline void typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

inline void trigger(const QObject *window, const QString &action)
{
    named<QAction>(window, action)->trigger();
}

} // namespace drive
