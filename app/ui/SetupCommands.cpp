#include "SetupCommands.h"

#include "MainWindow.h"
#include "MainWindowCommands.h"
#include "frmState.h"

#include "bookings/BookingPickLists.h"
#include "bookings/BookingUndo.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "invoicing/ui/frmBookRate.h"
#include "invoicing/ui/frmBookingTemplate.h"
#include "people/ui/frmEditTrainer.h"
#include "people/ui/frmJockey.h"
#include "rides/RideSheet.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

SetupCommands::SetupCommands(MainWindow *window, const MainWindowCommands &commands) : QObject(window), m_window(window)
{
    setObjectName(u"setupCommands"_s);
    auto wire = [this](QAction *action, void (SetupCommands::*slot)()) {
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, slot);
    };
    wire(window->mnuEditJockey, &SetupCommands::editJockey);
    wire(commands.mnuEditTrainer, &SetupCommands::editTrainer);
    wire(window->MnuBookTemp, &SetupCommands::bookingTemplates);
    wire(window->mnuBookRate, &SetupCommands::ridingFees);
    wire(window->mnuSystemSettings, &SetupCommands::systemSettings);
}

void SetupCommands::editJockey()
{
    QStringList before;
    runGuarded([&] { before = ridesheet::managedJockeys(); });
    frmJockey::OpenJockey(m_window);
    runGuarded([&] {
        // The steps of the undo stack name jockeys as they were: after a rename or a removal, undoing one would
        // book a name the agent no longer manages.
        const QStringList after = ridesheet::managedJockeys();
        if (std::any_of(before.cbegin(), before.cend(),
                        [&after](const QString &name) { return !after.contains(name, Qt::CaseInsensitive); }))
            BookingUndo::session().clear();
        m_window->reloadJockeys();
        m_window->showListCounts(u"Jockeys reloaded"_s);
    });
}

void SetupCommands::editTrainer()
{
    // The trainer whose name and contact boxes are on screen, so that the editor starts from them.
    const int row = m_window->chosenTrainerRow();
    if (row == 0)
        return;
    ListModel *list = m_window->trainerModel();
    const QString trainer = m_window->chosenTrainer().trimmed();
    const trainers::TrainerNotes boxes{trainer,
                                       m_window->txtTrainLocation->text(),
                                       m_window->TxtTrainPhone->text(),
                                       m_window->txtTrainMobile->text(),
                                       {},
                                       false};
    frmEditTrainer editor(trainer, boxes, m_window);
    if (!runGuarded([&] { editor.activate(); }))
        return;
    if (editor.exec() == QDialog::Accepted)
        mainlists::markTrainerRow(*list, row, editor.storedNotes());
}

void SetupCommands::bookingTemplates()
{
    frmBookingTemplate window(m_window);
    if (!window.load())
        return;
    window.exec();
    runGuarded([&] {
        m_window->cmbBookText->clear();
        m_window->cmbBookText->addItems(LoadBookingStates());
    });
}

void SetupCommands::ridingFees()
{
    frmBookRate window(m_window);
    if (window.load())
        window.exec();
}

void SetupCommands::systemSettings()
{
    frmState dialog(m_window);
    dialog.OpenSetting();
    if (dialog.result() == QDialog::Accepted)
        ::showStatus(u"System settings saved"_s);
}
