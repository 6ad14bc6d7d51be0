#include "NominationPick.h"

#include "CellTableModel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <utility>

NominationPick::NominationPick(QComboBox *box, QTableView *grid, CellTableModel *rows)
    : QObject(box), m_box(box), m_grid(grid), m_rows(rows)
{
    // Whatever changes the rows under the open list ends the choice.
    connect(rows, &QAbstractItemModel::modelReset, this, &NominationPick::close);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &NominationPick::close);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &NominationPick::close);
    // A closed combo box also reports arrows, the wheel and typing as an activation: only a
    // choice made in the open list counts.
    connect(box, &QComboBox::activated, this, [this] {
        if (std::exchange(m_fromList, false) && isOpen())
            commit();
    });
    box->installEventFilter(this);
    box->view()->installEventFilter(this);
    box->view()->viewport()->installEventFilter(this);
}

void NominationPick::open(int row, int column)
{
    m_nomination = m_rows->nominationOfRow(row);
    if (!m_nomination.isValid())
        return;
    m_fromList = false;
    const QModelIndex index = m_rows->index(row - 1, column - 1);
    // Showing a cell at the right edge scrolls the grid sideways; closing scrolls it back, so
    // the columns (and the next click) stay where the agent saw them.
    m_scrolledFrom = m_grid->horizontalScrollBar()->value();
    m_grid->scrollTo(index);
    const QRect cell = m_grid->visualRect(index);
    const QPoint topLeft = m_grid->viewport()->mapTo(m_box->parentWidget(), cell.topLeft());
    m_box->setGeometry(QRect(topLeft, QSize(std::max(cell.width(), 130), std::max(cell.height(), 22))));
    m_box->setCurrentIndex(m_box->findText(m_rows->cellText(row, column)));
    m_box->show();
    m_box->raise();
    m_box->setFocus(Qt::OtherFocusReason);
}

void NominationPick::close()
{
    // Forgotten before hiding: losing the focus while hiding must not count as a choice.
    m_nomination = {};
    m_fromList = false;
    m_box->hide();
    if (m_scrolledFrom >= 0)
        m_grid->horizontalScrollBar()->setValue(m_scrolledFrom);
    m_scrolledFrom = -1;
}

void NominationPick::commit()
{
    const Nomination nomination = m_nomination;
    const QString choice = m_box->currentText();
    const int index = m_box->currentIndex();
    close();
    m_grid->setFocus(Qt::OtherFocusReason);
    if (!nomination.isValid() || choice.isEmpty())
        return;
    for (int row = 1; row <= m_rows->rowCount(); ++row) {
        const Nomination shown = m_rows->nominationOfRow(row);
        if (shown.horse == nomination.horse && shown.meetingCode == nomination.meetingCode &&
            shown.raceCode == nomination.raceCode) {
            emit chosen(row, choice, index);
            return;
        }
    }
}

void NominationPick::browse(int step)
{
    const int last = m_box->count() - 1;
    m_box->setCurrentIndex(std::clamp(m_box->currentIndex() + step, 0, last));
}

bool NominationPick::eventFilter(QObject *watched, QEvent *event)
{
    if (!isOpen())
        return QObject::eventFilter(watched, event);
    if (watched == m_box->view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        m_fromList = true;
    } else if (watched == m_box->view() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_fromList = key == Qt::Key_Return || key == Qt::Key_Enter;
    } else if (watched == m_box && event->type() == QEvent::KeyPress && !m_box->view()->isVisible()) {
        auto *press = static_cast<QKeyEvent *>(event);
        m_fromList = false;
        if (press->modifiers() & Qt::AltModifier)
            return false; // Alt+Down opens the list
        switch (press->key()) {
        case Qt::Key_Up:
            browse(-1);
            return true;
        case Qt::Key_Down:
            browse(1);
            return true;
        case Qt::Key_PageUp:
        case Qt::Key_Home:
            browse(-m_box->count());
            return true;
        case Qt::Key_PageDown:
        case Qt::Key_End:
            browse(m_box->count());
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            commit();
            return true;
        case Qt::Key_Escape:
            close();
            m_grid->setFocus(Qt::OtherFocusReason);
            return true;
        default:
            break;
        }
    } else if (watched == m_box && event->type() == QEvent::Wheel) {
        m_fromList = false;
    } else if (watched == m_box && event->type() == QEvent::FocusOut) {
        // Tabbing away commits; a click elsewhere (or another window) chooses nothing. Opening
        // its own list is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            commit();
        else if (reason != Qt::PopupFocusReason && !m_box->view()->isVisible())
            close();
    }
    return QObject::eventFilter(watched, event);
}
