// The main window's booking gestures on the nominations list: dropping a jockey, the jockey and
// booking-state pick lists, and edit requests by double click or key.
#include "MainWindow.h"

#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "bookings/ui/NominationPick.h"
#include "core/UserDialogs.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTableView>
#include <QTextEdit>

void MainWindow::connectBookings()
{
    m_jockeyPick = new NominationPick(cmbJockey, grdNoms, m_noms);
    m_statePick = new NominationPick(cmbBookText, grdNoms, m_noms);
    connect(grdNoms, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        guarded([this, index] { editRequest(index.row() + 1, index.column() + 1); });
    });

    // Dragging jockeys, dropping them on nominations, edit requests by key, leaving the pick list.
    new listviews::JockeyDragDrop(
        grdJockey, grdNoms, [this](int row) { listviews::startJockeyDrag(grdJockey, row); },
        [this](const QPoint &at, const QString &jockey, const QColor &color) { return dropJockey(at, jockey, color); },
        this);
    grdNoms->installEventFilter(this);
    cmbJockey->installEventFilter(this);
    txtRace->viewport()->installEventFilter(this);
    connect(cmbJockey, &QComboBox::activated, this, [this] {
        // The choice is booked when the list loses the focus, as when the agent tabs away.
        grdNoms->setFocus(Qt::OtherFocusReason);
        if (m_jockeyPick->isOpen())
            commitJockeyPick();
    });
    connect(cmbBookText, &QComboBox::activated, this,
            [this](int index) { guarded([this, index] { chooseBookingState(cmbBookText->itemText(index)); }); });
}

QMimeData *MainWindow::jockeyDragData(int row) const
{
    return m_jockeys->jockeyMimeData(row);
}

bool MainWindow::dropJockey(const QPoint &viewportPos, const QString &jockey, const QColor &color)
{
    const QModelIndex index = grdNoms->indexAt(viewportPos);
    if (!index.isValid() || jockey.isEmpty())
        return false;
    const int row = index.row() + 1;
    using namespace mainlists::noms;
    const QString before = bookingOfRow(row);
    guarded([&] {
        BookJockey(*m_noms, row, Jockey, jockey, m_noms->cellText(row, Horse).trimmed(),
                   m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode), m_chosenTrainer.trimmed(), color);
        reportBooking(row, before);
    });
    return true;
}

void MainWindow::editRequest(int row, int column)
{
    if (row < 1 || row > m_noms->rowCount())
        return;
    using namespace mainlists::noms;
    if (column == Jockey) {
        m_jockeyPick->open(row, column);
    } else if (column == Booking) {
        m_statePick->open(row, column);
    } else if (column == Icon1) {
        emit horseFormRequested(m_noms->cellText(row, Horse).trimmed());
    } else {
        const QString state = m_noms->cellText(row, Booking);
        const QString jockey = m_noms->cellText(row, Jockey);
        if (jockey.isEmpty() || state.isEmpty() || state == kConfirmed || state == mainlists::kScratched)
            return;
        if (!AskToConfirmRide(jockey, m_noms->cellText(row, Horse).trimmed()))
            return;
        const QString before = bookingOfRow(row);
        ConfirmBooking(*m_noms, row, Booking, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                       m_noms->cellText(row, Horse), m_noms->cellBackColor(row, Jockey));
        reportBooking(row, before);
    }
}

void MainWindow::commitJockeyPick()
{
    const QString choice = cmbJockey->currentText();
    const NominationPick::Target target = m_jockeyPick->take();
    const int row = target.row;
    const int column = target.column;
    if (choice.isEmpty() || row < 1)
        return;
    // The list position of the choice is the jockey list's row; "Delete Jockey" paints the default.
    const QColor color = choice == kDeleteJockey ? QColor() : m_jockeys->cellBackColor(cmbJockey->currentIndex() + 1, 2);
    using namespace mainlists::noms;
    const QString before = bookingOfRow(row);
    guarded([&] {
        BookJockey(*m_noms, row, column, choice, m_noms->cellText(row, Horse).trimmed(),
                   m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode), m_chosenTrainer.trimmed(), color);
        reportBooking(row, before);
    });
}

void MainWindow::chooseBookingState(const QString &state)
{
    const NominationPick::Target target = m_statePick->take();
    const int row = target.row;
    const int column = target.column;
    if (state.isEmpty() || row < 1)
        return;
    using namespace mainlists::noms;
    const QString before = bookingOfRow(row);
    if (state == kConfirmed) {
        if (m_noms->cellText(row, Jockey).isEmpty()) {
            UserDialogs::instance().message(QStringLiteral("Ostrevan 2"),
                                            QStringLiteral("You cannot confirm, if no jockey has been entered"),
                                            UserDialogs::Icon::Exclamation);
            return;
        }
        ConfirmBooking(*m_noms, row, column, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                       m_noms->cellText(row, Horse).trimmed(), m_noms->cellBackColor(row, Jockey));
    } else {
        SetBookingState(*m_noms, row, column, state, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                        m_noms->cellText(row, Horse).trimmed(), m_chosenTrainer.trimmed());
    }
    reportBooking(row, before);
}

QString MainWindow::bookingOfRow(int row) const
{
    using namespace mainlists::noms;
    return m_noms->cellText(row, Jockey) + u'\n' + m_noms->cellText(row, Booking);
}

void MainWindow::reportBooking(int row, const QString &before)
{
    if (row < 1 || row > m_noms->rowCount() || bookingOfRow(row) == before)
        return;
    using namespace mainlists::noms;
    const QString state = m_noms->cellText(row, Booking);
    const QString ride = QStringLiteral("%1 (%2 race %3)")
                             .arg(m_noms->cellText(row, Horse).trimmed(), m_noms->cellText(row, Meeting),
                                  m_noms->cellText(row, Race).trimmed());
    const QString jockey = m_noms->cellText(row, Jockey);
    if (state.isEmpty())
        ::showStatus(QStringLiteral("Booking removed: ") + ride);
    else if (jockey.isEmpty())
        ::showStatus(QStringLiteral("Booking saved: %1, %2").arg(ride, state));
    else
        ::showStatus(QStringLiteral("Booked %1 on %2: %3").arg(jockey, ride, state));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdNoms && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex current = grdNoms->currentIndex();
        const bool request = key->key() == Qt::Key_F2 || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
            || key->key() == Qt::Key_Space || (!key->text().isEmpty() && key->text().at(0).isPrint());
        if (request && current.isValid()) {
            guarded([&] { editRequest(current.row() + 1, current.column() + 1); });
            return true;
        }
    } else if (watched == cmbJockey && event->type() == QEvent::FocusOut) {
        // Opening its own drop-down is no leaving.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason && m_jockeyPick->isOpen()
            && !cmbJockey->view()->isVisible())
            commitJockeyPick();
    } else if (watched == txtRace->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (!m_raceMeeting.isEmpty())
            emit raceWindowRequested(m_raceMeeting, m_raceNumber);
    }
    return QMainWindow::eventFilter(watched, event);
}
