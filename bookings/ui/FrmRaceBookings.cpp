// The race window's gestures on the runners grid: choosing a runner (and with it the trainer whose
// contact boxes are shown), confirming, the jockey and booking-state pick lists, and dragging jockeys.
// The window itself, its loading and layout are in FrmRace.cpp; its buttons in FrmRaceCommands.cpp.
#include "FrmRace.h"

#include "ListModel.h"
#include "RunnerModel.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "bookings/RaceRunners.h"
#include "bookings/StoredColor.h"
#include "formdata/ui/FormWindows.h"

#include <QComboBox>
#include <QCursor>
#include <QDrag>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;
using namespace racewindow;

namespace {

const QString kTitle = u"Ostrevan 2"_s;

} // namespace

void FrmRace::clickRunner(int row, int column, bool rightButton)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    grdRace->setCurrentIndex(m_runners->index(row - 1, column - 1));
    guarded([&] {
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
    guarded([&] {
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
        if (!m_runners->isGroupRow(r) && m_runners->cellText(r, col::Horse) == horse
            && (race == 0 || m_runners->raceOfRow(r) == race))
            return r;
    }
    return 0;
}

int FrmRace::takePickRow()
{
    const PickTarget pick = m_pick;
    m_pick = {};
    if (pick.horse.isEmpty() || pick.meeting != m_meeting)
        return 0;
    return rowOfHorse(pick.horse, pick.race);
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
    if (m_runners->cellText(row, col::Jockey).isEmpty() || m_runners->cellText(row, col::Booking).isEmpty())
        return;
    if (m_runners->cellText(row, col::Booking) == kConfirmed)
        return;
    const QString horse = m_runners->cellText(row, col::Horse).trimmed();
    if (!AskToConfirmRide(m_runners->cellText(row, col::Jockey), horse))
        return;
    guarded([&] {
        ConfirmBooking(*m_runners, row, col::Booking, m_meeting, raceCodeOfRow(row), horse,
                       m_runners->cellBackColor(row, col::Jockey));
        m_changed = true;
    });
}

void FrmRace::editRequest(int row, int column)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    if (column == col::Jockey)
        openPickList(cmbJockey, row, column);
    else if (column == col::Booking)
        openPickList(cmbBookText, row, column);
    else
        doubleClickRunner(row, column);
}

void FrmRace::openPickList(QComboBox *box, int row, int column)
{
    m_pick = {m_meeting, m_runners->raceOfRow(row), m_runners->cellText(row, col::Horse)};
    const QModelIndex index = m_runners->index(row - 1, column - 1);
    grdRace->scrollTo(index);
    const QRect cell = grdRace->visualRect(index);
    box->setFont(grdRace->font());
    box->setGeometry(QRect(cell.topLeft(), QSize(std::max(cell.width(), 130), std::max(cell.height(), 22))));
    box->setCurrentIndex(box == cmbJockey ? box->findText(m_runners->cellText(row, column)) : -1);
    box->show();
    box->raise();
    box->setFocus(Qt::OtherFocusReason);
}

void FrmRace::commitJockeyPick()
{
    cmbJockey->hide();
    const QString choice = cmbJockey->currentText();
    cmbJockey->setCurrentIndex(-1);
    const int row = takePickRow();
    if (choice.isEmpty() || row == 0)
        return;
    const QString horse = m_runners->cellText(row, col::Horse);
    const QColor color =
        choice == kDeleteJockey ? QColor() : m_jockeys->cellBackColor(cmbJockey->findText(choice) + 1, 2);
    lblBackColor->setText(toStoredColor(color));
    guarded([&] {
        BookJockey(*m_runners, row, col::Jockey, choice, horse.trimmed(), m_meeting, raceCodeOfRow(row),
                   m_runners->cellText(row, col::Trainer), color);
        m_changed = true;
    });
}

void FrmRace::chooseBookingState(const QString &state)
{
    cmbBookText->hide();
    const int row = takePickRow();
    if (state.isEmpty() || row == 0)
        return;
    guarded([&] {
        const QString horse = m_runners->cellText(row, col::Horse).trimmed();
        if (state == kConfirmed) {
            if (m_runners->cellText(row, col::Jockey).isEmpty()) {
                UserDialogs::instance().message(kTitle, u"You cannot confirm, if no jockey has been entered"_s,
                                                UserDialogs::Icon::Exclamation);
                return;
            }
            ConfirmBooking(*m_runners, row, col::Booking, m_meeting, raceCodeOfRow(row), horse,
                           m_runners->cellBackColor(row, col::Jockey));
        } else {
            SetBookingState(*m_runners, row, col::Booking, state, m_meeting, raceCodeOfRow(row), horse,
                            m_runners->cellText(row, col::Trainer));
        }
        m_changed = true;
    });
}

QMimeData *FrmRace::jockeyDragData(int row) const
{
    if (row < 1 || row > m_jockeys->rowCount())
        return nullptr;
    auto *data = new QMimeData;
    const QString name = m_jockeys->cellText(row, 1);
    data->setText(name);
    data->setData(ListModel::jockeyMimeType(), (name + u'\n' + m_jockeys->cellText(row, 2)).toUtf8());
    return data;
}

void FrmRace::startJockeyDrag(int row)
{
    QMimeData *data = jockeyDragData(row);
    if (!data)
        return;
    lblJockey->setText(m_jockeys->cellText(row, 1));
    lblBackColor->setText(m_jockeys->cellText(row, 2));
    auto *drag = new QDrag(grdJockey);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

bool FrmRace::dropJockey(int row, const QString &jockey, const QColor &color)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row) || jockey.isEmpty())
        return false;
    guarded([&] {
        BookJockey(*m_runners, row, col::Jockey, jockey, m_runners->cellText(row, col::Horse).trimmed(), m_meeting,
                   raceCodeOfRow(row), m_runners->cellText(row, col::Trainer), color);
        m_changed = true;
    });
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
    } else if (watched == cmbJockey && event->type() == QEvent::FocusOut) {
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason && cmbJockey->isVisible() &&
            !cmbJockey->view()->isVisible())
            commitJockeyPick();
    }
    return QDialog::eventFilter(watched, event);
}
