#include "MainWindowCommands.h"
#include "BackupsDialog.h"

#include "MainWindow.h"
#include "app/MaintenanceCommands.h"
#include "bookings/BookingGestures.h"
#include "bookings/BookingUndo.h"
#include "bookings/WeightTable.h"
#include "bookings/ui/FrmBookingHistory.h"
#include "bookings/ui/FrmRace.h"
#include "bookings/ui/ListModel.h"
#include "core/DebugMode.h"
#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "invoicing/ui/frmSelectDate.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QAction *addItem(QMenu *menu, const char *name, const QString &caption, bool enabled)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(enabled);
    return action;
}

QMenu *makePopup(QWidget *parent, const char *name)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

QStringList selectedTexts(const QTableView *grid)
{
    QStringList texts;
    if (!grid->selectionModel())
        return texts;
    QModelIndexList rows = grid->selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &index : rows)
        texts << index.data().toString();
    return texts;
}

// The race window for a meeting and race (0: the meeting view); the nominations list then shows
// what was booked there.
void showRaceWindow(MainWindow *window, const QString &meetingCode, int raceNumber)
{
    if (meetingCode.isEmpty())
        return;
    FrmRace::open(window, meetingCode, raceNumber);
    runGuarded([&] { window->reloadNoms(); });
}

} // namespace

MainWindowCommands::MainWindowCommands(MainWindow *window) : QObject(window), m_window(window)
{
    setObjectName(u"mainWindowCommands"_s);
    connectMenuBar();
    buildPopups();
}

void MainWindowCommands::connectMenuBar()
{
    auto wire = [this](QAction *action, void (MainWindowCommands::*slot)()) {
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, slot);
    };
    wire(m_window->mnuBackupDatabase, &MainWindowCommands::backupDatabase);
    wire(m_window->mnuBackups, &MainWindowCommands::showBackups);
    wire(m_window->mnuRepairDB, &MainWindowCommands::compactDatabase);
    wire(m_window->mnuRemove, &MainWindowCommands::removeUnwantedData);
    wire(m_window->mnudebugtoggle, &MainWindowCommands::toggleDebugMode);
    wire(m_window->mnuImportWeights, &MainWindowCommands::importWeights);
    m_window->mnudebugtoggle->setChecked(DebugMode::isOn());
}

void MainWindowCommands::buildPopups()
{
    // Items whose window does not exist yet stay disabled; the items without any action are
    // kept visible but disabled, so the menus have their familiar shape.
    mnuPUMenu = makePopup(m_window, "mnuPUMenu");
    connect(addItem(mnuPUMenu, "MnuRace", u"&Race View"_s, true), &QAction::triggered, this,
            [this] { showRaceWindow(m_window, selectedTexts(m_window->grdMeeting).value(0), 1); });
    connect(addItem(mnuPUMenu, "MnuMeetingView", u"&Meeting View"_s, true), &QAction::triggered, this,
            [this] { showRaceWindow(m_window, selectedTexts(m_window->grdMeeting).value(0), 0); });
    connect(m_window, &MainWindow::raceWindowRequested, this,
            [this](const QString &meetingCode, int raceNumber) { showRaceWindow(m_window, meetingCode, raceNumber); });
    connect(addItem(mnuPUMenu, "mnuReload", u"Re&load Data"_s, true), &QAction::triggered, this,
            [this] { runGuarded([this] { refresh(); }); });
    mnuMeetingForm = addItem(mnuPUMenu, "mnuMeetingForm", u"&Form"_s, false);
    connect(addItem(mnuPUMenu, "mnuDeleteMeeting", u"&Delete Meeting"_s, true), &QAction::triggered, this,
            &MainWindowCommands::deleteMeetings);

    MnuPUNoms = makePopup(m_window, "MnuPUNoms");
    connect(addItem(MnuPUNoms, "mnuRaceView", u"Race &View"_s, true), &QAction::triggered, this, [this] {
        const int row = m_window->grdNoms->currentIndex().row() + 1;
        if (row >= 1)
            showRaceWindow(m_window, m_window->nomsModel()->cellText(row, mainlists::noms::Meeting),
                           m_window->nomsModel()->cellText(row, mainlists::noms::Race).toInt());
    });
    MnuHorseForm = addItem(MnuPUNoms, "MnuHorseForm", u"H&orse Form"_s, false);
    mnuVicRatings = addItem(MnuPUNoms, "mnuVicRatings", u"&Ratings"_s, false);
    mnuNomsRBForm = addItem(MnuPUNoms, "mnuNomsRBForm", u"Race &Form"_s, false);
    addItem(MnuPUNoms, "mnuJockeystats", u"&Jockey Stats"_s, false);
    mnuRego = addItem(MnuPUNoms, "mnuRego", u"Re&go Search"_s, false);
    addItem(MnuPUNoms, "mnuVideoForm", u"V&ideo Form"_s, false);
    m_updateStatus = addItem(MnuPUNoms, "mnuUpdateStatus", maintenance::remainingStatusCaption(QString()), true);
    m_updateStatus->setVisible(false);
    connect(m_updateStatus, &QAction::triggered, this, &MainWindowCommands::setRemainingStatus);
    connect(addItem(MnuPUNoms, "mnuNomsHistory", u"Booking &History"_s, true), &QAction::triggered, this, [this] {
        const int row = m_window->grdNoms->currentIndex().row() + 1;
        if (row >= 1)
            FrmBookingHistory::showFor(m_window,
                                       {.horse = m_window->nomsModel()->cellText(row, mainlists::noms::Horse)});
    });

    mnuPUNames = makePopup(m_window, "mnuPUNames");
    mnuTrainerStats = addItem(mnuPUNames, "mnuTrainerStats", u"&Trainer Stats"_s, false);
    mnuEditTrainer = addItem(mnuPUNames, "mnuEditTrainer", u"&Edit Trainer"_s, false);
    addItem(mnuPUNames, "mnutrainStrk", u"Trainer &Strike Rate"_s, false);
    addItem(mnuPUNames, "MnuTranierJockStrk", u"Trainer/&Jockey Strike Rate"_s, false);
    MnuTrainJockForm = addItem(mnuPUNames, "MnuTrainJockForm", u"Trainer/Jockey F&orm"_s, false);

    MnuPuJockey = makePopup(m_window, "MnuPuJockey");
    mnuPrvRides = addItem(MnuPuJockey, "mnuPrvRides", u"&Previous Rides"_s, false);
    addItem(MnuPuJockey, "MnuJockStrike", u"Jockey Stri&ke rate"_s, false);
    connect(addItem(MnuPuJockey, "mnuTrnJockStrk", u"&Trainer Jockey Strike Rate"_s, true), &QAction::triggered, this,
            &MainWindowCommands::trainerJockeyStrikeRate);
    connect(addItem(MnuPuJockey, "mnuRldJokDta", u"Re&load Jockey Form Data"_s, true), &QAction::triggered, this,
            &MainWindowCommands::reloadJockeyFormData);
    connect(addItem(MnuPuJockey, "mnuSelJckIcn", u"Select Jockey for &Icons"_s, true), &QAction::triggered, this,
            &MainWindowCommands::selectJockeyForIcons);
    connect(addItem(MnuPuJockey, "mnuJockeyReport", u"Pri&nt Jockey Invoice Report"_s, true), &QAction::triggered, this,
            [this] { frmSelectDate::OpenSelect(selectedJockey(), m_window); });
    connect(addItem(MnuPuJockey, "mnuJockeyHistory", u"Booking &History"_s, true), &QAction::triggered, this, [this] {
        if (const QString jockey = selectedJockey(); !jockey.isEmpty())
            FrmBookingHistory::showFor(m_window, {.jockey = jockey});
    });

    for (QTableView *grid : {m_window->grdMeeting, m_window->grdNoms, m_window->grdNames, m_window->grdJockey}) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint &pos) { showPopup(grid, pos); });
    }
}

QMenu *MainWindowCommands::popupFor(QTableView *grid, const QPoint &pos)
{
    if (grid == m_window->grdMeeting)
        return mnuPUMenu;
    if (grid == m_window->grdNames)
        return mnuPUNames;
    if (grid == m_window->grdJockey)
        return MnuPuJockey;
    if (grid != m_window->grdNoms)
        return nullptr;

    const QModelIndex index = grid->indexAt(pos);
    const std::optional<QString> state =
        index.isValid() ? maintenance::remainingStatusFor(index.column() + 1, index.data().toString()) : std::nullopt;
    m_updateStatus->setVisible(state.has_value());
    m_updateStatus->setData(state.value_or(QString()));
    m_updateStatus->setText(maintenance::remainingStatusCaption(state.value_or(QString())));
    return MnuPUNoms;
}

void MainWindowCommands::showPopup(QTableView *grid, const QPoint &pos)
{
    // Also over an empty list: "Re&load Data" must be reachable when no meeting is listed.
    if (QMenu *menu = popupFor(grid, pos))
        menu->popup(grid->viewport()->mapToGlobal(pos));
}

void MainWindowCommands::backupDatabase()
{
    runGuarded([] { maintenance::backupDatabase(); });
}

void MainWindowCommands::showBackups()
{
    BackupsDialog dialog(m_window);
    dialog.exec();
    // A restored database is another file: every list is read from it again.
    if (dialog.restored())
        runGuarded([this] {
            reloadMeetings();
            m_window->reloadJockeys();
            refresh();
        });
}

void MainWindowCommands::compactDatabase()
{
    BusyPointer busy;
    maintenance::compactAndRepair();
}

void MainWindowCommands::removeUnwantedData()
{
    runGuarded([this] {
        if (!maintenance::removeUnwantedData())
            return;
        reloadMeetings();
        refresh();
    });
}

void MainWindowCommands::importWeights()
{
    weighttable::chooseAndImportWeightTable();
}

void MainWindowCommands::toggleDebugMode()
{
    m_window->mnudebugtoggle->setChecked(maintenance::toggleDebugMode());
}

void MainWindowCommands::deleteMeetings()
{
    runGuarded([this] {
        const QStringList codes = selectedTexts(m_window->grdMeeting);
        if (codes.isEmpty())
            return;
        const QString question = maintenance::deleteMeetingsQuestion(codes);
        if (question.isEmpty() ||
            !UserDialogs::instance().askYesNo(QLatin1String(maintenance::kDeleteMeetingTitle), question,
                                              UserDialogs::Icon::Question, UserDialogs::Answer::No))
            return;
        maintenance::deleteMeetings(codes);
        reloadMeetings();
        refresh();
        m_window->showListCounts(u"Deleted %1"_s.arg(codes.join(u", "_s)));
    });
}

void MainWindowCommands::setRemainingStatus()
{
    const QString state = m_updateStatus->data().toString();
    if (state.isEmpty())
        return;
    runGuarded([this, &state] {
        BusyPointer busy;
        const BookingUndo::Gesture undoable(BookingUndo::session(), bookinghistory::Source::MainWindow);
        maintenance::setRemainingStates(m_window->nomsGrid(), m_window->grdNoms->model()->rowCount(), state);
    });
}

void MainWindowCommands::trainerJockeyStrikeRate()
{
    maintenance::jockeySelectedForStrikeRate(selectedJockey());
}

void MainWindowCommands::reloadJockeyFormData()
{
    // Only the download: the lists and the chosen trainer stay as they are.
    runGuarded([this] {
        BusyPointer busy;
        maintenance::reloadJockeyFormData(selectedJockey());
    });
}

void MainWindowCommands::selectJockeyForIcons()
{
    runGuarded([this] {
        const QString selected = selectedJockey();
        const std::optional<QString> highlight = bookinggestures::selectJockeyForIcons(selected, jockeyNames());
        if (!highlight)
            return;
        highlightJockey(*highlight);
        // The trainers list counts the icon jockey's rides now; the chosen trainer and nominations stay.
        m_window->reloadTrainers();
        m_window->txtRace->clear();
        m_window->txtTrainLocation->clear();
        m_window->txtTrainMobile->clear();
        m_window->TxtTrainPhone->clear();
    });
}

QString MainWindowCommands::selectedJockey() const
{
    return selectedTexts(m_window->grdJockey).value(0);
}

void MainWindowCommands::reloadMeetings()
{
    m_window->cmdMtgRfs->click();
}

void MainWindowCommands::refresh()
{
    m_window->cmdReload->click();
}

QStringList MainWindowCommands::jockeyNames() const
{
    QStringList names;
    const QAbstractItemModel *model = m_window->grdJockey->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

void MainWindowCommands::highlightJockey(const QString &jockey)
{
    QAbstractItemModel *model = m_window->grdJockey->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex name = model->index(row, 0);
        QFont font = m_window->grdJockey->font();
        font.setBold(!jockey.isEmpty() && name.data().toString() == jockey);
        model->setData(name, font, Qt::FontRole);
    }
}
