#include "FrmBookingHistory.h"

#include "core/UserDialogs.h"
#include "core/ui/ReadOnlyGrid.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QPointer<FrmBookingHistory> &theWindow()
{
    static QPointer<FrmBookingHistory> window;
    return window;
}

const QStringList kHeads{u"Time"_s,   u"Meeting"_s, u"Race"_s,  u"Horse"_s,     u"Trainer"_s,
                         u"Change"_s, u"Jockey"_s,  u"State"_s, u"Confirmed"_s, u"From"_s};

// "before → after"; a booking made shows what it was made with, one removed what it held.
QString fromTo(const bookinghistory::Entry &entry, const QString &before, const QString &after)
{
    if (!entry.confirmedBefore || before == after)
        return after;
    if (!entry.confirmedAfter)
        return before + u" →"_s;
    return before + u" → "_s + after;
}

QString yesNo(const std::optional<bool> &confirmed)
{
    return confirmed ? (*confirmed ? u"Yes"_s : u"No"_s) : QString();
}

} // namespace

FrmBookingHistory::FrmBookingHistory(const bookinghistory::Filter &filter, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmBookingHistory"_s);
    lblFilter = new QLabel(this);
    lblFilter->setObjectName(u"lblFilter"_s);
    m_model = new QStandardItemModel(this);
    grdHistory = new QTableView(this);
    grdHistory->setObjectName(u"grdHistory"_s);
    grdHistory->setModel(m_model);
    setUpReadOnlyGrid(grdHistory);
    grdHistory->horizontalHeader()->setStretchLastSection(true);
    cmdClose = new QPushButton(u"C&lose"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    cmdClose->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblFilter);
    layout->addWidget(grdHistory);
    layout->addLayout(buttons);
    resize(1250, 420);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    setFilter(filter);
}

FrmBookingHistory *FrmBookingHistory::showFor(QWidget *parent, const bookinghistory::Filter &filter)
{
    if (!theWindow()) {
        theWindow() = new FrmBookingHistory(filter, parent);
        theWindow()->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        theWindow()->setFilter(filter);
    }
    theWindow()->show();
    theWindow()->raise();
    theWindow()->activateWindow();
    return theWindow();
}

void FrmBookingHistory::setFilter(const bookinghistory::Filter &filter)
{
    m_filter = filter;
    const QString who = !filter.horse.isEmpty() ? filter.horse : filter.jockey;
    setWindowTitle(who.isEmpty() ? kTitle : kTitle + u" - "_s + who);
    reload();
}

void FrmBookingHistory::reload()
{
    QList<bookinghistory::Entry> entries;
    runGuarded([&] { entries = bookinghistory::entries(m_filter); });
    m_model->clear();
    m_model->setHorizontalHeaderLabels(kHeads);
    for (const bookinghistory::Entry &e : std::as_const(entries)) {
        QList<QStandardItem *> row;
        for (const QString &text :
             {e.loggedAt, e.meetingCode, e.raceCode, e.horse, e.trainer, bookinghistory::changeText(e),
              fromTo(e, e.jockeyBefore, e.jockeyAfter), fromTo(e, e.stateBefore, e.stateAfter),
              fromTo(e, yesNo(e.confirmedBefore), yesNo(e.confirmedAfter)), e.source})
            row << new QStandardItem(text);
        m_model->appendRow(row);
    }
    grdHistory->resizeColumnsToContents();
    grdHistory->scrollToBottom();
    lblFilter->setText(!m_filter.horse.isEmpty() ? u"Every change of %1's bookings, oldest first."_s.arg(m_filter.horse)
                       : !m_filter.jockey.isEmpty()
                           ? u"Every change of %1's bookings, oldest first."_s.arg(m_filter.jockey)
                           : u"Every change of the bookings, oldest first."_s);
}
