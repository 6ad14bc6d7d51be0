#include "ChangesCommands.h"

#include "MainWindow.h"
#include "bookings/FieldChangeLog.h"
#include "bookings/ui/FrmChanges.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

ChangesCommands::ChangesCommands(MainWindow *window) : QObject(window), m_window(window)
{
    setObjectName(u"changesCommands"_s);
    // Alt+C is "&Compact and Repair Database" in the same menu.
    mnuChanges = window->mnuFile->addAction(u"Field C&hanges..."_s);
    mnuChanges->setObjectName(u"mnuChanges"_s);
    connect(mnuChanges, &QAction::triggered, this, &ChangesCommands::showUnseen);

    QToolBar *bar = window->addToolBar(u"Changes"_s);
    bar->setObjectName(u"tbrChanges"_s);
    bar->setMovable(false);
    cmdChanges = bar->addAction(u"Changes"_s);
    cmdChanges->setObjectName(u"cmdChanges"_s);
    cmdChanges->setToolTip(u"What the last loads of fields changed on your rides (unseen changes)"_s);
    connect(cmdChanges, &QAction::triggered, this, &ChangesCommands::showUnseen);

    // Connected after the main window's own handlers, so these run once the load has finished.
    for (QPushButton *load : {window->cmdBrowse, window->CmdGetData})
        connect(load, &QPushButton::clicked, this, &ChangesCommands::showLoadedChanges);
    // The count is re-read whenever the agent comes back to the main window (after start-up too).
    window->installEventFilter(this);
}

bool ChangesCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::WindowActivate)
        refreshCount();
    return QObject::eventFilter(watched, event);
}

void ChangesCommands::refreshCount()
{
    int unseen = 0;
    try {
        unseen = fieldchangelog::unseenCount();
    } catch (const DbError &) {
        // No database yet (before start-up found it), or one the upgrade has not reached.
    }
    cmdChanges->setText(unseen > 0 ? u"Changes (%1)"_s.arg(unseen) : u"Changes"_s);
}

void ChangesCommands::connectWindow(FrmChanges *changes)
{
    if (changes == m_connected)
        return;
    m_connected = changes;
    connect(changes, &FrmChanges::changesReviewed, this, &ChangesCommands::refreshCount);
    // The nominations list shows bookings: one removed there must go from it too.
    connect(changes, &FrmChanges::bookingsChanged, this, [this] { runGuarded([&] { m_window->reloadNoms(); }); });
}

void ChangesCommands::showLoadedChanges()
{
    const QList<qint64> ids = fieldchangelog::takeRecordedIds();
    refreshCount();
    if (!ids.isEmpty())
        connectWindow(FrmChanges::showLoad(m_window, ids));
}

void ChangesCommands::showUnseen()
{
    connectWindow(FrmChanges::showUnseen(m_window));
}
