// The main window's shell: its widgets, menus, ordered start-up and remembered layout. The lists
// are in MainWindowLists.cpp, the booking gestures in MainWindowBookings.cpp, the menu commands in
// MainWindowCommands.cpp.
#include "MainWindow.h"

#include "AboutDialog.h"
#include "ChangesCommands.h"
#include "FormEntryPoints.h"
#include "MainWindowCommands.h"
#include "RideSheetCommands.h"
#include "SetupCommands.h"
#include "UserGuide.h"
#include "app/BackgroundJob.h"
#include "app/RideRefresh.h"
#include "app/Startup.h"
#include "bookings/BookingPickLists.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "core/Clock.h"
#include "core/StatusSink.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "core/ui/HeaderLayout.h"
#include "core/ui/ReadOnlyGrid.h"
#include "db/Backups.h"
#include "db/DbGuard.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

MainWindow *MainWindow::s_instance = nullptr;

MainWindow *MainWindow::instance()
{
    if (!s_instance)
        s_instance = new MainWindow;
    return s_instance;
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(u"frmMain"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1200, 800);
    buildWidgets();
    buildMenus();
    connectLists();
    const auto *commands = new MainWindowCommands(this);
    new SetupCommands(this, *commands);
    new ChangesCommands(this);
    new RideSheetCommands(this, *commands);
    wireFormWindows(this, *commands);
}

MainWindow::~MainWindow()
{
    if (StatusSink::instance() == this)
        StatusSink::setInstance(nullptr);
    if (s_instance == this)
        s_instance = nullptr;
}

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QTableView *makeGrid(QWidget *parent, const char *name, const QList<ListColumn> &columns)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setModel(new ListModel(QLatin1String(name), columns, grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    // Fixed row heights keep a season's trainers list instant to lay out.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setSectionsMovable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    leaveByTab(grid);
    return grid;
}

QLineEdit *makeEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

void MainWindow::buildWidgets()
{
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);

    auto *buttons = new QHBoxLayout;
    cmdBrowse = makeButton(central, "cmdBrowse", u"&Add Data"_s);
    CmdGetData = makeButton(central, "CmdGetData", u"&Get Data"_s);
    CmdFindHorse = makeButton(central, "CmdFindHorse", u"Find &Horse"_s);
    cmdReload = makeButton(central, "cmdReload", u"&Refresh"_s);
    cmdExit = makeButton(central, "cmdExit", u"E&xit"_s);
    // "&Add Data" is enabled once the database is known (start-up step 6); "&Get Data" and
    // "Find &Horse" by the windows they open, so that no button does nothing.
    cmdBrowse->setEnabled(false);
    CmdGetData->setEnabled(false);
    CmdGetData->setVisible(false);
    CmdFindHorse->setEnabled(false);
    for (QPushButton *button : {cmdBrowse, CmdGetData, CmdFindHorse, cmdReload})
        buttons->addWidget(button);
    buttons->addWidget(new QLabel(u"Weight:"_s, central));
    txtWeight = makeEdit(central, "txtWeight");
    txtWeight->setMaximumWidth(60);
    buttons->addWidget(txtWeight);
    UpDown1 = new QSpinBox(central);
    UpDown1->setObjectName(u"UpDown1"_s);
    UpDown1->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    UpDown1->setMaximumWidth(20);
    // Tenths of a kilogram; txtWeight shows the kilograms.
    UpDown1->setRange(0, 1500);
    UpDown1->setSingleStep(5);
    txtWeight->setText(u"0.0"_s);
    buttons->addWidget(UpDown1);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    outer->addLayout(buttons);

    auto *split = new QSplitter(Qt::Horizontal, central);
    split->setObjectName(u"splitMain"_s);
    splitMain = split;
    auto *left = new QWidget(split);
    left->setObjectName(u"meetingsPane"_s);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *meetingHeader = new QHBoxLayout;
    meetingHeader->addWidget(new QLabel(u"Meetings"_s, left));
    cmdMtgRfs = makeButton(left, "cmdMtgRfs", QString());
    cmdMtgRfs->setToolTip(u"Refresh's Meetings in Above list. "_s);
    cmdMtgRfs->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    meetingHeader->addStretch();
    meetingHeader->addWidget(cmdMtgRfs);
    grdMeeting = makeGrid(left, "grdMeeting", mainlists::meetingColumns());
    grdMeeting->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdJockey = makeGrid(left, "grdJockey", mainlists::jockeyColumns());
    leftLayout->addLayout(meetingHeader);
    leftLayout->addWidget(grdMeeting, 3);
    leftLayout->addWidget(new QLabel(u"Jockeys"_s, left));
    leftLayout->addWidget(grdJockey, 2);

    auto *middle = new QWidget(split);
    auto *middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    grdNames = makeGrid(middle, "grdNames", mainlists::trainerColumns());
    lblTrainers = new QLabel(u"Trainers"_s, middle);
    lblTrainers->setObjectName(u"lblTrainers"_s);
    middleLayout->addWidget(lblTrainers);
    middleLayout->addWidget(grdNames);

    auto *right = new QWidget(split);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    grdNoms = makeGrid(right, "grdNoms", mainlists::nominationColumns());
    auto *details = new QHBoxLayout;
    txtRace = new QTextEdit(right);
    txtRace->setObjectName(u"txtRace"_s);
    txtRace->setReadOnly(true);
    auto *trainer = new QGroupBox(u"Trainer"_s, right);
    auto *trainerLayout = new QGridLayout(trainer);
    txtTrainerName = makeEdit(trainer, "txtTrainerName");
    txtTrainerName->setReadOnly(true);
    txtTrainLocation = makeEdit(trainer, "txtTrainLocation");
    TxtTrainPhone = makeEdit(trainer, "TxtTrainPhone");
    txtTrainMobile = makeEdit(trainer, "txtTrainMobile");
    trainerLayout->addWidget(txtTrainerName, 0, 0, 1, 2);
    trainerLayout->addWidget(new QLabel(u"Location"_s, trainer), 1, 0);
    trainerLayout->addWidget(txtTrainLocation, 1, 1);
    trainerLayout->addWidget(new QLabel(u"Phone :"_s, trainer), 2, 0);
    trainerLayout->addWidget(TxtTrainPhone, 2, 1);
    trainerLayout->addWidget(new QLabel(u"Mobile :"_s, trainer), 3, 0);
    trainerLayout->addWidget(txtTrainMobile, 3, 1);
    trainerLayout->setRowStretch(4, 1);
    details->addWidget(txtRace, 2);
    details->addWidget(trainer, 1);
    rightLayout->addWidget(new QLabel(u"Nominations"_s, right));
    rightLayout->addWidget(grdNoms, 3);
    rightLayout->addWidget(new QLabel(u"Race Details"_s, right));
    rightLayout->addLayout(details, 1);

    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 5);
    // Room for the trainers' counts and icons next to their names.
    split->setSizes({250, 300, 650});
    outer->addWidget(split);

    // The pick lists open over a grid cell when a booking is edited.
    cmbJockey = new QComboBox(central);
    cmbJockey->setObjectName(u"cmbJockey"_s);
    cmbJockey->hide();
    cmbBookText = new QComboBox(central);
    cmbBookText->setObjectName(u"cmbBookText"_s);
    cmbBookText->hide();

    setCentralWidget(central);
    statusBar()->setObjectName(u"statusBar"_s);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::buildMenus()
{
    // Items without a command yet stay disabled; the command objects enable the ones they wire.
    auto addAction = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(false);
        return action;
    };

    mnuFile = menuBar()->addMenu(u"&File"_s);
    mnuFile->setObjectName(u"mnuFile"_s);
    mnuEditJockey = addAction(mnuFile, "mnuEditJockey", u"Edit &Jockey"_s);
    mnuBackupDatabase = addAction(mnuFile, "mnuBackupDatabase", u"&Backup Database"_s);
    // Alt+B is the backup itself; the list of backups takes its second letter.
    mnuBackups = addAction(mnuFile, "mnuBackups", u"B&ackups..."_s);
    mnuRepairDB = addAction(mnuFile, "mnuRepairDB", u"&Compact and Repair Database"_s);
    mnuRemove = addAction(mnuFile, "mnuRemove", u"&Remove Unwanted Data"_s);
    mnuImportWeights = addAction(mnuFile, "mnuImportWeights", u"&Import Rating Weights..."_s);
    mnudebugtoggle = addAction(mnuFile, "mnudebugtoggle", u"&Debug Mode"_s);
    mnudebugtoggle->setCheckable(true);
    QAction *resetRace = addAction(mnuFile, "mnuResetRace", u"&Reset Race Window"_s);
    resetRace->setEnabled(true);
    connect(resetRace, &QAction::triggered, this, &MainWindow::resetRaceWindow);

    // The session's booking gestures, whichever window made them.
    QMenu *edit = menuBar()->addMenu(u"&Edit"_s);
    edit->setObjectName(u"mnuEdit"_s);
    mnuUndo = addAction(edit, "mnuUndo", u"&Undo"_s);
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = addAction(edit, "mnuRedo", u"&Redo"_s);
    mnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));

    mnuSetup = menuBar()->addMenu(u"&Setup"_s);
    mnuSetup->setObjectName(u"mnuSetup"_s);
    MnuBookTemp = addAction(mnuSetup, "MnuBookTemp", u"&Booking Templates"_s);
    mnuBookRate = addAction(mnuSetup, "mnuBookRate", u"&Riding Fees"_s);
    mnuSystemSettings = addAction(mnuSetup, "mnuSystemSettings", u"&System Settings"_s);

    // Alt+H is "Find &Horse": the help menu takes another letter, so both keys work.
    mnuHelp = menuBar()->addMenu(u"He&lp"_s);
    mnuHelp->setObjectName(u"mnuHelp"_s);
    QAction *guide = addAction(mnuHelp, "mnuUserGuide", u"&User Guide"_s);
    guide->setEnabled(true);
    connect(guide, &QAction::triggered, this, [this] { openUserGuide(this); });
    QAction *about = addAction(mnuHelp, "mnuAbout", u"&About"_s);
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

bool MainWindow::load()
{
    setWindowTitle(u"Ostrevan 2 Version "_s + version::dotted());
    if (startup::prepareDatabase() != startup::Outcome::Ready)
        return false;
    cmdBrowse->setEnabled(true);
    CmdGetData->setVisible(true);
    ::showStatus(u"Setting up Main Form"_s);
    listviews::setupColumns(grdNames);
    listviews::setupColumns(grdNoms);
    ::showStatus(u"Loading Data into Grid - setup grdMeeting"_s);
    listviews::setupColumns(grdMeeting);
    {
        // Date and State show whole however narrow the pane; the venue's name takes what is left.
        QHeaderView *meetings = grdMeeting->horizontalHeader();
        meetings->setStretchLastSection(false);
        meetings->setSectionResizeMode(QHeaderView::ResizeToContents);
        meetings->setSectionResizeMode(2, QHeaderView::Stretch);
    }
    ::showStatus(u"Loading Data into Grid - setup grdJockey"_s);
    listviews::setupColumns(grdJockey);
    ::showStatus(u"Loading Data into Grid - Load grdMeeting"_s);
    runGuarded([this] { reloadMeetings(); });
    ::showStatus(u"Loading Data into Grid - Load grdJockey"_s);
    runGuarded([this] { reloadJockeys(); });
    ::showStatus(u"Loading Settings"_s);
    cAppSettings::instance().LoadSettings();
    fitDefaultLayout();
    restoreLayout();
    CmdGetData->setEnabled(true); // opens the Select Meetings window
    show();
    // The panes are placed once the window has its size, or the splitter would scale them to it.
    applySplitterSizes(splitMain, cAppSettings::instance().MainSplitSizes);
    // The window is drawn before the trainers, the longest list, are read: the agent sees it at once.
    drawNow();
    ::showStatus(u"Loading Data into Grid - Load grdNames"_s);
    statusBar()->showMessage(u"Loading the trainers..."_s);
    runGuarded([this] {
        cmbBookText->clear();
        cmbBookText->addItems(LoadBookingStates());
        reloadTrainers();
    });
    restoreTrainerSort();
    m_loaded = true;
    StatusSink::setInstance(this);
    showListCounts(u"Ready"_s);
    startup::afterWindowShown();
    startBackgroundWork();
    return true;
}

void MainWindow::startBackgroundWork()
{
    // The rides come after the window: a form server that is slow or out of reach never holds it back.
    m_rideRefresh = new BackgroundJob(this);
    connect(m_rideRefresh, &BackgroundJob::progress, this, [this](const QString &text) { showStatus(text); });
    // Then the backup, when the newest is a day old; only a failure is said.
    connect(m_rideRefresh, &BackgroundJob::finished, this, [this](const QString &outcome) {
        if (!outcome.isEmpty())
            showStatus(outcome);
        const QString database = databaseFilePath();
        const QString folder = backups::folder();
        const QDateTime now = Clock::instance().now();
        m_backup->start([database, folder, now](const BackgroundJob::Progress &) {
            return startup::backupAfterStartUp(database, folder, now);
        });
    });
    m_backup = new BackgroundJob(this);
    connect(m_backup, &BackgroundJob::finished, this, [this](const QString &outcome) {
        if (!outcome.isEmpty())
            showStatus(outcome);
    });
    m_rideRefresh->start(&riderefresh::refreshAll);
}

void MainWindow::drawNow()
{
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
}

void MainWindow::restoreTrainerSort()
{
    const cAppSettings &settings = cAppSettings::instance();
    if (const auto key = layout::parseSortKey(settings.MainTrainerSortKey)) {
        if (key->column >= 1 && key->column <= m_trainers->columnCount()) {
            m_trainers->sortByColumn(key->column, key->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            grdNames->horizontalHeader()->setSortIndicator(key->column - 1,
                                                           key->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        }
    }
}

void MainWindow::restoreLayout()
{
    const cAppSettings &settings = cAppSettings::instance();
    applyPlacement(this,
                   {settings.MainLeft, settings.MainTop, settings.MainWidth, settings.MainHeight, settings.MainMax});
    applyHeaderLayout(grdNames->horizontalHeader(), settings.MainTrainerOrder, settings.MainTrainerWidth);
    applyHeaderLayout(grdNoms->horizontalHeader(), settings.MainNomsOrder, settings.MainNomsWidth);
}

void MainWindow::fitDefaultLayout()
{
    // Before any stored layout every column of the three lists shows whole: a meeting code and date,
    // an 18-letter horse name, the booking status. The panes get what their lists need and the
    // window is made as wide as they are together, as far as the screen allows.
    const QFontMetrics metrics(grdNoms->font());
    const int margin = 2 * grdNoms->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const auto sampleWidth = [&metrics, margin](QTableView *grid, int column, const QString &sample) {
        return std::max(metrics.horizontalAdvance(sample) + margin,
                        grid->horizontalHeader()->sectionSizeHint(column - 1));
    };
    const auto widen = [&sampleWidth](QTableView *grid, int column, const QString &sample) {
        QHeaderView *header = grid->horizontalHeader();
        header->resizeSection(column - 1, std::max(header->sectionSize(column - 1), sampleWidth(grid, column, sample)));
    };
    using namespace mainlists;
    widen(grdNoms, noms::Meeting, u"0000MMMM"_s);
    widen(grdNoms, noms::Horse, QString(18, u'N'));
    // A list's width: its columns, the last one (which stretches) at what its texts need.
    const auto needs = [&sampleWidth](QTableView *grid, const QString &lastSample) {
        const QHeaderView *header = grid->horizontalHeader();
        int last = header->count() - 1;
        while (last > 0 && header->isSectionHidden(last))
            --last;
        int width = sampleWidth(grid, last + 1, lastSample);
        for (int c = 0; c < last; ++c)
            width += header->isSectionHidden(c) ? 0 : header->sectionSize(c);
        return width + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth() + 4;
    };
    // The meetings' columns size to their texts: Meeting, Level, Name, Date ("yyyyMMMdd"), State.
    int meetingsWidth = grdMeeting->verticalScrollBar()->sizeHint().width() + 2 * grdMeeting->frameWidth() + 4;
    int column = 1;
    for (const char *sample : {"0000MMMM", "Level", "CANTERBURY PARK", "2026Dec28", "State"})
        meetingsWidth += sampleWidth(grdMeeting, column++, QLatin1String(sample));
    const QList<int> sizes{meetingsWidth, needs(grdNames, QString()), needs(grdNoms, u"Trainer To Confirm"_s)};
    splitMain->setSizes(sizes);
    if (cAppSettings::instance().MainWidth > 0)
        return;
    const QMargins margins = centralWidget()->layout() ? centralWidget()->layout()->contentsMargins() : QMargins();
    const int wanted =
        sizes.at(0) + sizes.at(1) + sizes.at(2) + 2 * splitMain->handleWidth() + margins.left() + margins.right() + 8;
    const int room = screen() ? screen()->availableGeometry().width() - 20 : wanted;
    resize(std::max(width(), std::min(wanted, room)), height());
}

void MainWindow::storeLayout()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.MainTrainerOrder = headerOrderList(grdNames->horizontalHeader());
    settings.MainTrainerWidth = headerWidthList(grdNames->horizontalHeader());
    settings.MainNomsOrder = headerOrderList(grdNoms->horizontalHeader());
    settings.MainNomsWidth = headerWidthList(grdNoms->horizontalHeader());
    settings.MainSplitSizes = splitterSizesList(splitMain);
    const layout::Placement placement = placementOf(this);
    settings.MainLeft = placement.left;
    settings.MainTop = placement.top;
    settings.MainWidth = placement.width;
    settings.MainHeight = placement.height;
    settings.MainMax = placement.maximised;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A window that never finished loading has no layout worth keeping.
    if (m_loaded) {
        storeLayout();
        cAppSettings::instance().SaveSettings();
    }
    event->accept();
}

void MainWindow::showStatus(const QString &text)
{
    statusBar()->showMessage(text);
}

void MainWindow::showListCounts(const QString &what)
{
    statusBar()->showMessage(u"%1: %2 meetings, %3 trainers, %4 jockeys"_s.arg(what)
                                 .arg(m_meetings->rowCount())
                                 .arg(m_trainers->rowCount())
                                 .arg(m_jockeys->rowCount()));
}

void MainWindow::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::resetRaceWindow()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.RaceTop = 0;
    settings.RaceLeft = 0;
    settings.SaveSettings();
}
