#include "frmBookRate.h"

#include "GridTableModel.h"
#include "invoicing/BookRates.h"

#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kRaceTypeColumn = 1;
}

frmBookRate::frmBookRate(QWidget *parent)
    : TableGridDialog(ratetables::bookRateTable(), u"dgBookRate"_s, u"Jockey Booking Rates"_s,
                      u"Note: This form lets you setup the various Jockey Booking Rates, for various states. The Race "
                      "Type is R for Races: the rides the invoice reads do not say which were jumps, so every ride is "
                      "charged at the race rate, and trials are charged at the jockey's Trials Rate. The Date "
                      "Effective is the date that a Rate becomes effective. This data is used to calculate the Total "
                      "Jockeys Earnings and Manager commissions for the Jockey Invoice."_s,
                      parent)
{
    setObjectName(u"frmBookRate"_s);
    lstType = new QListWidget(this);
    lstType->setObjectName(u"lstType"_s);
    // Only the race types the invoice charges: a rate it would never use is not offered.
    lstType->addItems(ratetables::kChargedRaceTypes);
    lstType->hide();
    connect(lstType, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { pickType(item->text()); });
    // The picker belongs to one cell: moving the grid leaves it behind.
    connect(grid()->verticalScrollBar(), &QScrollBar::valueChanged, lstType, &QWidget::hide);
    connect(grid()->horizontalScrollBar(), &QScrollBar::valueChanged, lstType, &QWidget::hide);
    connect(grid(), &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.column() == kRaceTypeColumn)
            showTypeList(index.row());
        else
            lstType->hide();
    });
}

void frmBookRate::showTypeList(int row)
{
    m_typeRow = row;
    grid()->scrollTo(model()->index(row, kRaceTypeColumn));
    const QRect cell = grid()->visualRect(model()->index(row, kRaceTypeColumn));
    const QPoint topLeft = grid()->viewport()->mapTo(this, cell.bottomLeft() + QPoint(0, 1));
    lstType->setGeometry(topLeft.x(), topLeft.y(), cell.width(), lstType->sizeHintForRow(0) * 3 + 4);
    lstType->show();
    lstType->raise();
    lstType->setFocus();
}

void frmBookRate::pickType(const QString &letter)
{
    lstType->hide();
    if (m_typeRow < 0)
        return;
    const QModelIndex cell = model()->index(m_typeRow, kRaceTypeColumn);
    model()->setData(cell, letter);
    grid()->setCurrentIndex(cell);
    grid()->setFocus();
}
