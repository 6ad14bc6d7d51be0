#include "NominationPick.h"

#include "ListModel.h"
#include "bookings/MainLists.h"

#include <QComboBox>
#include <QScrollBar>
#include <QTableView>

NominationPick::NominationPick(QComboBox *box, QTableView *grid, ListModel *nominations)
    : QObject(box), m_box(box), m_grid(grid), m_nominations(nominations)
{
    // Whatever changes the rows under the open list ends the choice.
    connect(nominations, &QAbstractItemModel::modelReset, this, &NominationPick::close);
    connect(nominations, &QAbstractItemModel::layoutChanged, this, &NominationPick::close);
    connect(nominations, &QAbstractItemModel::rowsRemoved, this, &NominationPick::close);
}

void NominationPick::open(int row, int column)
{
    using namespace mainlists::noms;
    m_meeting = m_nominations->cellText(row, Meeting);
    m_race = m_nominations->cellText(row, Race);
    m_horse = m_nominations->cellText(row, Horse);
    m_column = column;
    const QModelIndex index = m_nominations->index(row - 1, column - 1);
    // Showing a cell at the right edge scrolls the grid sideways; closing scrolls it back, so
    // the columns (and the next click) stay where the agent saw them.
    m_scrolledFrom = m_grid->horizontalScrollBar()->value();
    m_grid->scrollTo(index);
    const QRect cell = m_grid->visualRect(index);
    const QPoint topLeft = m_grid->viewport()->mapTo(m_box->parentWidget(), cell.topLeft());
    m_box->setGeometry(QRect(topLeft, QSize(std::max(cell.width(), 130), std::max(cell.height(), 22))));
    m_box->setCurrentIndex(m_box->findText(m_nominations->cellText(row, column)));
    m_box->show();
    m_box->raise();
    m_box->setFocus(Qt::OtherFocusReason);
}

void NominationPick::close()
{
    // Forgotten before hiding: losing the focus while hiding must not count as a choice.
    m_meeting.clear();
    m_race.clear();
    m_horse.clear();
    m_box->hide();
    if (m_scrolledFrom >= 0)
        m_grid->horizontalScrollBar()->setValue(m_scrolledFrom);
    m_scrolledFrom = -1;
}

NominationPick::Target NominationPick::take()
{
    const QString meeting = m_meeting;
    const QString race = m_race;
    const QString horse = m_horse;
    const int column = m_column;
    close();
    if (horse.isEmpty())
        return {};
    using namespace mainlists::noms;
    for (int row = 1; row <= m_nominations->rowCount(); ++row) {
        if (m_nominations->cellText(row, Horse) == horse && m_nominations->cellText(row, Meeting) == meeting
            && m_nominations->cellText(row, Race) == race)
            return {row, column};
    }
    return {};
}
