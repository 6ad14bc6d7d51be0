// The main window's booking gestures on the nominations list: dropping a jockey, the jockey and
// booking-state pick lists, and edit requests by double click or key. The gestures themselves are
// bookinggestures' functions, shared with the race window.
#include "MainWindow.h"

#include "bookings/BookingGestures.h"
#include "bookings/BookingUndo.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "bookings/ui/NominationPick.h"
#include "db/DbGuard.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QTableView>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

template <typename Gesture> void MainWindow::bookingGesture(int row, Gesture gesture)
{
    const BookingUndo::Gesture undoable(BookingUndo::session(), bookinghistory::Source::MainWindow);
    const QString before = bookingOfRow(row);
    runGuarded([&] {
        gesture();
        reportBooking(row, before);
    });
}

void MainWindow::connectBookings()
{
    // Undo and redo reach bookings of both windows: the list shows them as stored afterwards.
    BookingUndo &undo = BookingUndo::session();
    connect(mnuUndo, &QAction::triggered, this, [this, &undo] { runGuarded([&undo] { undo.undo(); }); });
    connect(mnuRedo, &QAction::triggered, this, [this, &undo] { runGuarded([&undo] { undo.redo(); }); });
    connect(&undo, &BookingUndo::applied, this, [this] { runGuarded([this] { reloadNoms(); }); });
    connect(&undo, &BookingUndo::changed, this, &MainWindow::updateUndoItems);
    updateUndoItems();
    using namespace mainlists::noms;
    m_noms->setBookingColumns(nominationBookingColumns());
    m_noms->setNominationOfRow([this](int row) {
        return Nomination{m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode), m_noms->cellText(row, Horse),
                          m_chosenTrainer};
    });
    m_jockeyPick = new NominationPick(cmbJockey, grdNoms, m_noms);
    m_statePick = new NominationPick(cmbBookText, grdNoms, m_noms);
    connect(m_jockeyPick, &NominationPick::chosen, this, [this](int row, const QString &jockey) {
        bookingGesture(row, [&] { bookinggestures::bookJockey(*m_noms, row, jockey); });
    });
    connect(m_statePick, &NominationPick::chosen, this, [this](int row, const QString &state) {
        bookingGesture(row, [&] { bookinggestures::chooseState(*m_noms, row, state); });
    });
    connect(grdNoms, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        runGuarded([this, index] { editRequest(index.row() + 1, index.column() + 1); });
    });

    // Dragging jockeys, dropping them on nominations, edit requests by key.
    new listviews::JockeyDragDrop(
        grdJockey, grdNoms, [this](int row) { listviews::startJockeyDrag(grdJockey, row); },
        [this](const QPoint &at, const QString &jockey) { return dropJockey(at, jockey); }, this);
    grdNoms->installEventFilter(this);
    txtRace->viewport()->installEventFilter(this);
}

void MainWindow::updateUndoItems()
{
    const BookingUndo &undo = BookingUndo::session();
    mnuUndo->setEnabled(undo.canUndo());
    mnuUndo->setToolTip(undo.undoText());
    mnuRedo->setEnabled(undo.canRedo());
    mnuRedo->setToolTip(undo.redoText());
}

bool MainWindow::dropJockey(const QPoint &viewportPos, const QString &jockey)
{
    const QModelIndex index = grdNoms->indexAt(viewportPos);
    if (!index.isValid() || jockey.isEmpty())
        return false;
    const int row = index.row() + 1;
    bookingGesture(row, [&] { bookinggestures::bookJockey(*m_noms, row, jockey); });
    return true;
}

void MainWindow::editRequest(int row, int column)
{
    if (row < 1 || row > m_noms->rowCount())
        return;
    using namespace mainlists::noms;
    if (column == Jockey)
        m_jockeyPick->open(row, column);
    else if (column == mainlists::noms::Booking)
        m_statePick->open(row, column);
    else if (column == Icon1)
        emit horseFormRequested(m_noms->cellText(row, Horse).trimmed());
    else
        bookingGesture(row, [&] { bookinggestures::confirmRequest(*m_noms, row); });
}

QString MainWindow::bookingOfRow(int row) const
{
    using namespace mainlists::noms;
    return m_noms->cellText(row, Jockey) + u'\n' + m_noms->cellText(row, mainlists::noms::Booking);
}

void MainWindow::reportBooking(int row, const QString &before)
{
    if (row < 1 || row > m_noms->rowCount() || bookingOfRow(row) == before)
        return;
    using namespace mainlists::noms;
    const QString state = m_noms->cellText(row, mainlists::noms::Booking);
    const QString ride = u"%1 (%2 race %3)"_s.arg(
        m_noms->cellText(row, Horse).trimmed(), m_noms->cellText(row, Meeting), m_noms->cellText(row, Race).trimmed());
    const QString jockey = m_noms->cellText(row, Jockey);
    if (state.isEmpty())
        ::showStatus(u"Booking removed: "_s + ride);
    else if (jockey.isEmpty())
        ::showStatus(u"Booking saved: %1, %2"_s.arg(ride, state));
    else
        ::showStatus(u"Booked %1 on %2: %3"_s.arg(jockey, ride, state));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdNoms && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex current = grdNoms->currentIndex();
        const bool request = key->key() == Qt::Key_F2 || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Space || (!key->text().isEmpty() && key->text().at(0).isPrint());
        if (request && current.isValid()) {
            runGuarded([&] { editRequest(current.row() + 1, current.column() + 1); });
            return true;
        }
    } else if (watched == txtRace->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (!m_raceMeeting.isEmpty())
            emit raceWindowRequested(m_raceMeeting, m_raceNumber);
    }
    return QMainWindow::eventFilter(watched, event);
}
