// The race window's gestures on the runners grid: choosing a runner (and with it the trainer whose
// contact boxes are shown), confirming, the jockey and booking-state pick lists, and dragging jockeys.
// The window itself, its loading and layout are in FrmRace.cpp; its buttons in FrmRaceCommands.cpp.
#include "FrmRace.h"

#include "ListModel.h"
#include "ListViews.h"
#include "NominationPick.h"
#include "RunnerModel.h"
#include "bookings/BookingGestures.h"
#include "bookings/RaceRunners.h"
#include "formdata/ui/FormWindows.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;
using namespace racewindow;

void FrmRace::clickRunner(int row, int column, bool rightButton)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    grdRace->setCurrentIndex(m_runners->index(row - 1, column - 1));
    runGuarded([&] {
        const int race = m_runners->raceOfRow(row);
        if (m_meetingView && race != m_race) {
            m_race = race;
            loadMeetingHeader();
            loadRaceHeader();
            updateWeightControls();
        }
        if (!m_runners->cellText(row, col::Horse).isEmpty())
            fillTrainerBoxes(row);
    });
    if (rightButton) {
        m_menuRow = row;
        raceMenu->popup(QCursor::pos());
    }
}

void FrmRace::fillTrainerBoxes(int row)
{
    m_trainer = m_runners->cellText(row, col::Trainer);
    const mainlists::TrainerContact contact = mainlists::loadTrainerContact(m_trainer);
    TxtTrainPhone->setText(contact.found ? contact.phone : QString());
    txtTrainMobile->setText(contact.found ? contact.mobile : QString());
    txtTrainLocation->setText(contact.found ? contact.location : m_runners->cellText(row, col::TrainerLoc));
    for (QLineEdit *box : {txtTrainLocation, TxtTrainPhone, txtTrainMobile})
        box->setReadOnly(false);
}

void FrmRace::saveContact(mainlists::ContactField field)
{
    if (m_trainer.isEmpty() || txtTrainLocation->isReadOnly())
        return;
    runGuarded([&] {
        mainlists::saveTrainerContact(m_trainer, field,
                                      {false, txtTrainLocation->text(), TxtTrainPhone->text(), txtTrainMobile->text()});
    });
}

QString FrmRace::raceCodeOfRow(int row) const
{
    return m_raceCodes.value(m_runners->raceOfRow(row));
}

int FrmRace::rowOfHorse(const QString &horse, int race) const
{
    for (int r = 1; r <= m_runners->rowCount(); ++r) {
        if (!m_runners->isGroupRow(r) && m_runners->cellText(r, col::Horse) == horse &&
            (race == 0 || m_runners->raceOfRow(r) == race))
            return r;
    }
    return 0;
}

void FrmRace::doubleClickRunner(int row, int column)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    // The best-placing icons open the form with the managed jockeys' rides.
    const bool icon = m_runners->data(m_runners->index(row - 1, column - 1), Qt::UserRole).toInt() > 0;
    if (column == col::Hicon1 && icon) {
        openHorseJockeyForm(this, m_runners->cellText(row, col::Horse).trimmed());
        return;
    }
    if (column == col::Ticon1 && icon) {
        openTrainerJockeyForm(this, m_runners->cellText(row, col::Trainer), m_runners->cellText(row, col::FormTrainer));
        return;
    }
    bookingGesture([&] { return bookinggestures::confirmRequest(*m_runners, row); });
}

void FrmRace::editRequest(int row, int column)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    if (column == col::Jockey)
        m_jockeyPick->open(row, column);
    else if (column == col::Booking)
        m_statePick->open(row, column);
    else
        doubleClickRunner(row, column);
}

void FrmRace::startJockeyDrag(int row)
{
    if (row < 1 || row > m_jockeys->rowCount())
        return;
    lblJockey->setText(m_jockeys->cellText(row, 1));
    lblBackColor->setText(m_jockeys->cellText(row, 2));
    listviews::startJockeyDrag(grdJockey, row);
}

bool FrmRace::dropJockey(int row, const QString &jockey)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row) || jockey.isEmpty())
        return false;
    bookingGesture([&] { return bookinggestures::bookJockey(*m_runners, row, jockey); });
    return true;
}

bool FrmRace::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdRace && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex current = grdRace->currentIndex();
        const bool request = key->key() == Qt::Key_F2 || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Space;
        if (request && current.isValid()) {
            editRequest(current.row() + 1, current.column() + 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
