#include "RideSheetCommands.h"

#include "MainWindow.h"
#include "MainWindowCommands.h"
#include "rides/ui/FrmRideSheet.h"
#include "rides/ui/FrmSeason.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

RideSheetCommands::RideSheetCommands(MainWindow *window, const MainWindowCommands &commands)
    : QObject(window), m_window(window)
{
    setObjectName(u"rideSheetCommands"_s);
    // A menu of its own: in the File menu "&Day" would share its key with "&Debug Mode".
    mnuJockeys = new QMenu(u"&Jockeys"_s, window);
    mnuJockeys->setObjectName(u"mnuJockeys"_s);
    window->menuBar()->insertMenu(window->mnuHelp->menuAction(), mnuJockeys);
    mnuRideSheet = addItem(mnuJockeys, "mnuRideSheet", u"Rides for the &Day..."_s);
    connect(mnuRideSheet, &QAction::triggered, this, [this] { FrmRideSheet::showFor(m_window, selectedJockey()); });
    mnuSeason = addItem(mnuJockeys, "mnuSeason", u"&Season at a Glance..."_s);
    connect(mnuSeason, &QAction::triggered, this, [this] { FrmSeason::showFor(m_window, selectedJockey()); });

    QMenu *popup = commands.MnuPuJockey;
    popup->addSeparator();
    mnuJockeyRideSheet = addItem(popup, "mnuJockeyRideSheet", u"Rides for the &Day"_s);
    connect(mnuJockeyRideSheet, &QAction::triggered, this,
            [this] { FrmRideSheet::showFor(m_window, selectedJockey()); });
    mnuJockeySeason = addItem(popup, "mnuJockeySeason", u"&Season at a Glance"_s);
    connect(mnuJockeySeason, &QAction::triggered, this, [this] { FrmSeason::showFor(m_window, selectedJockey()); });
}

QString RideSheetCommands::selectedJockey() const
{
    const QItemSelectionModel *selection = m_window->grdJockey->selectionModel();
    if (!selection)
        return {};
    const QModelIndexList rows = selection->selectedRows(0);
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}
