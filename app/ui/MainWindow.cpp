#include "MainWindow.h"

#include "AboutDialog.h"
#include "core/ui/HeaderLayout.h"
#include "MainWindowCommands.h"
#include "SetupCommands.h"
#include "FormEntryPoints.h"
#include "app/Startup.h"
#include "core/StatusSink.h"
#include "core/Version.h"
#include "import/ui/frmSelectMeeting.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "people/ManagedJockeys.h"
#include "bookings/StoredColor.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "bookings/ui/NominationPick.h"
#include "db/Database.h"
#include "import/FieldFileLoader.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

MainWindow *MainWindow::s_instance = nullptr;

MainWindow *MainWindow::instance()
{
    if (!s_instance)
        s_instance = new MainWindow;
    return s_instance;
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1200, 800);
    buildWidgets();
    buildMenus();
    connectLists();
    new MainWindowCommands(this);
    new SetupCommands(this);
    wireFormWindows(this);
}

MainWindow::~MainWindow()
{
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
    cmdBrowse = makeButton(central, "cmdBrowse", QStringLiteral("&Add Data"));
    CmdGetData = makeButton(central, "CmdGetData", QStringLiteral("&Get Data"));
    CmdFindHorse = makeButton(central, "CmdFindHorse", QStringLiteral("Find &Horse"));
    cmdReload = makeButton(central, "cmdReload", QStringLiteral("&Refresh"));
    cmdExit = makeButton(central, "cmdExit", QStringLiteral("E&xit"));
    // "&Add Data" is enabled once the database is known (start-up step 6); "&Get Data" and
    // "Find &Horse" by the windows they open, so that no button does nothing.
    cmdBrowse->setEnabled(false);
    CmdGetData->setEnabled(false);
    CmdGetData->setVisible(false);
    CmdFindHorse->setEnabled(false);
    for (QPushButton *button : {cmdBrowse, CmdGetData, CmdFindHorse, cmdReload})
        buttons->addWidget(button);
    buttons->addWidget(new QLabel(QStringLiteral("Weight:"), central));
    txtWeight = makeEdit(central, "txtWeight");
    txtWeight->setMaximumWidth(60);
    buttons->addWidget(txtWeight);
    UpDown1 = new QSpinBox(central);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    UpDown1->setMaximumWidth(20);
    // Tenths of a kilogram; txtWeight shows the kilograms.
    UpDown1->setRange(0, 1500);
    UpDown1->setSingleStep(5);
    txtWeight->setText(QStringLiteral("0.0"));
    buttons->addWidget(UpDown1);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    outer->addLayout(buttons);

    auto *split = new QSplitter(Qt::Horizontal, central);
    auto *left = new QWidget(split);
    left->setObjectName(QStringLiteral("meetingsPane"));
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *meetingHeader = new QHBoxLayout;
    meetingHeader->addWidget(new QLabel(QStringLiteral("Meetings"), left));
    cmdMtgRfs = makeButton(left, "cmdMtgRfs", QString());
    cmdMtgRfs->setToolTip(QStringLiteral("Refresh's Meetings in Above list. "));
    cmdMtgRfs->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    meetingHeader->addStretch();
    meetingHeader->addWidget(cmdMtgRfs);
    grdMeeting = makeGrid(left, "grdMeeting", mainlists::meetingColumns());
    grdMeeting->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdJockey = makeGrid(left, "grdJockey", mainlists::jockeyColumns());
    leftLayout->addLayout(meetingHeader);
    leftLayout->addWidget(grdMeeting, 3);
    leftLayout->addWidget(new QLabel(QStringLiteral("Jockeys"), left));
    leftLayout->addWidget(grdJockey, 2);

    auto *middle = new QWidget(split);
    auto *middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    grdNames = makeGrid(middle, "grdNames", mainlists::trainerColumns());
    middleLayout->addWidget(new QLabel(QStringLiteral("Trainers"), middle));
    middleLayout->addWidget(grdNames);

    auto *right = new QWidget(split);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    grdNoms = makeGrid(right, "grdNoms", mainlists::nominationColumns());
    auto *details = new QHBoxLayout;
    txtRace = new QTextEdit(right);
    txtRace->setObjectName(QStringLiteral("txtRace"));
    txtRace->setReadOnly(true);
    auto *trainer = new QGroupBox(QStringLiteral("Trainer"), right);
    auto *trainerLayout = new QGridLayout(trainer);
    txtTrainerName = makeEdit(trainer, "txtTrainerName");
    txtTrainerName->setReadOnly(true);
    txtTrainLocation = makeEdit(trainer, "txtTrainLocation");
    TxtTrainPhone = makeEdit(trainer, "TxtTrainPhone");
    txtTrainMobile = makeEdit(trainer, "txtTrainMobile");
    trainerLayout->addWidget(txtTrainerName, 0, 0, 1, 2);
    trainerLayout->addWidget(new QLabel(QStringLiteral("Location"), trainer), 1, 0);
    trainerLayout->addWidget(txtTrainLocation, 1, 1);
    trainerLayout->addWidget(new QLabel(QStringLiteral("Phone :"), trainer), 2, 0);
    trainerLayout->addWidget(TxtTrainPhone, 2, 1);
    trainerLayout->addWidget(new QLabel(QStringLiteral("Mobile :"), trainer), 3, 0);
    trainerLayout->addWidget(txtTrainMobile, 3, 1);
    trainerLayout->setRowStretch(4, 1);
    details->addWidget(txtRace, 2);
    details->addWidget(trainer, 1);
    rightLayout->addWidget(new QLabel(QStringLiteral("Nominations"), right));
    rightLayout->addWidget(grdNoms, 3);
    rightLayout->addWidget(new QLabel(QStringLiteral("Race Details"), right));
    rightLayout->addLayout(details, 1);

    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 5);
    // Room for the trainers' counts and icons next to their names.
    split->setSizes({250, 300, 650});
    outer->addWidget(split);

    // The pick lists open over a grid cell when a booking is edited.
    cmbJockey = new QComboBox(central);
    cmbJockey->setObjectName(QStringLiteral("cmbJockey"));
    cmbJockey->hide();
    cmbBookText = new QComboBox(central);
    cmbBookText->setObjectName(QStringLiteral("cmbBookText"));
    cmbBookText->hide();

    setCentralWidget(central);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::buildMenus()
{
    auto addAction = [this](QMenu *menu, const char *name, const QString &caption, bool enabled) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        return action;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    addAction(mnuFile, "mnuEditJockey", QStringLiteral("Edit &Jockey"), false);
    addAction(mnuFile, "mnuBackupDatabase", QStringLiteral("&Backup Database"), false);
    addAction(mnuFile, "mnuRepairDB", QStringLiteral("&Compact and Repair Database"), false);
    addAction(mnuFile, "mnuRemove", QStringLiteral("&Remove Unwanted Data"), false);
    addAction(mnuFile, "mnuImportWeights", QStringLiteral("&Import Rating Weights..."), false);
    QAction *debug = addAction(mnuFile, "mnudebugtoggle", QStringLiteral("&Debug Mode"), false);
    debug->setCheckable(true);
    connect(addAction(mnuFile, "mnuResetRace", QStringLiteral("&Reset Race Window"), true), &QAction::triggered, this,
            &MainWindow::resetRaceWindow);

    mnuSetup = menuBar()->addMenu(QStringLiteral("&Setup"));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    addAction(mnuSetup, "MnuBookTemp", QStringLiteral("&Booking Templates"), false);
    addAction(mnuSetup, "mnuBookRate", QStringLiteral("&Riding Fees"), false);
    addAction(mnuSetup, "mnuSystemSettings", QStringLiteral("&System Settings"), false);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    connect(addAction(mnuHelp, "mnuAbout", QStringLiteral("&About"), true), &QAction::triggered, this,
            &MainWindow::showAbout);
}

QAction *MainWindow::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

bool MainWindow::load()
{
    setWindowTitle(QStringLiteral("Ostrevan 2 Version ") + version::dotted());
    if (startup::prepareDatabase() != startup::Outcome::Ready)
        return false;
    cmdBrowse->setEnabled(true);
    CmdGetData->setVisible(true);
    showStatus(QStringLiteral("Setting up Main Form"));
    listviews::setupColumns(grdNames);
    listviews::setupColumns(grdNoms);
    showStatus(QStringLiteral("Loading Data into Grid - setup grdMeeting"));
    listviews::setupColumns(grdMeeting);
    showStatus(QStringLiteral("Loading Data into Grid - setup grdJockey"));
    listviews::setupColumns(grdJockey);
    showStatus(QStringLiteral("Loading Data into Grid - Load grdMeeting"));
    guarded([this] { reloadMeetings(); });
    showStatus(QStringLiteral("Loading Data into Grid - Load grdJockey"));
    guarded([this] { reloadJockeys(); });
    showStatus(QStringLiteral("Loading Data into Grid - Load grdNames"));
    guarded([this] {
        cmbBookText->clear();
        cmbBookText->addItems(LoadBookingStates());
        reloadTrainers();
    });
    showStatus(QStringLiteral("Loading Settings"));
    cAppSettings::instance().LoadSettings();
    restoreLayout();
    CmdGetData->setEnabled(true); // opens the Select Meetings window
    show();
    m_loaded = true;
    return true;
}

void MainWindow::restoreLayout()
{
    const cAppSettings &settings = cAppSettings::instance();
    if (const auto key = layout::parseSortKey(settings.MainTrainerSortKey)) {
        if (key->column >= 1 && key->column <= m_trainers->columnCount()) {
            m_trainers->sortByColumn(key->column, key->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            grdNames->horizontalHeader()->setSortIndicator(key->column - 1, key->ascending ? Qt::AscendingOrder
                                                                                           : Qt::DescendingOrder);
        }
    }
    applyPlacement(this, {settings.MainLeft, settings.MainTop, settings.MainWidth, settings.MainHeight, settings.MainMax});
    applyHeaderLayout(grdNames->horizontalHeader(), settings.MainTrainerOrder, settings.MainTrainerWidth);
    applyHeaderLayout(grdNoms->horizontalHeader(), settings.MainNomsOrder, settings.MainNomsWidth);
}

void MainWindow::storeLayout()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.MainTrainerOrder = headerOrderList(grdNames->horizontalHeader());
    settings.MainTrainerWidth = headerWidthList(grdNames->horizontalHeader());
    settings.MainNomsOrder = headerOrderList(grdNoms->horizontalHeader());
    settings.MainNomsWidth = headerWidthList(grdNoms->horizontalHeader());
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

// ---- Lists ----

namespace {

int oneBasedRow(const QTableView *grid)
{
    const QModelIndex current = grid->currentIndex();
    if (current.isValid() && grid->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return current.row() + 1;
    const QModelIndexList rows = grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

} // namespace

template<typename Step>
void MainWindow::guarded(Step step)
{
    // A failed statement ends the gesture; the window stays usable.
    try {
        step();
    } catch (const DbError &error) {
        UserDialogs::instance().critical(QStringLiteral("Error"), error.message());
    }
}

void MainWindow::connectLists()
{
    m_meetings = static_cast<ListModel *>(grdMeeting->model());
    m_jockeys = static_cast<ListModel *>(grdJockey->model());
    m_trainers = static_cast<ListModel *>(grdNames->model());
    m_noms = static_cast<ListModel *>(grdNoms->model());
    for (QTableView *grid : {grdMeeting, grdJockey, grdNames, grdNoms})
        listviews::setupColumns(grid);
    grdNoms->setSelectionMode(QAbstractItemView::SingleSelection);
    grdNames->setSelectionMode(QAbstractItemView::SingleSelection);
    grdJockey->setSelectionMode(QAbstractItemView::SingleSelection);
    grdNoms->setIconSize(QSize(14, 14));
    grdNames->setIconSize(QSize(14, 14));
    m_jockeyPick = new NominationPick(cmbJockey, grdNoms, m_noms);
    m_statePick = new NominationPick(cmbBookText, grdNoms, m_noms);

    connect(cmdReload, &QPushButton::clicked, this, [this] { guarded([this] { refresh(); }); });
    connect(cmdMtgRfs, &QPushButton::clicked, this, [this] { guarded([this] { reloadMeetings(); }); });
    connect(cmdBrowse, &QPushButton::clicked, this, &MainWindow::addData);
    connect(CmdGetData, &QPushButton::clicked, this, [this] {
        frmSelectMeeting::OpenSelect(this);
        guarded([this] { reloadMeetings(); reloadTrainers(); });
    });

    for (QTableView *grid : {grdNames, grdNoms}) {
        grid->horizontalHeader()->setSortIndicatorShown(true);
        grid->horizontalHeader()->setSectionsClickable(true);
        connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, grid](int section) { sortList(grid, section + 1); });
    }
    connect(grdNames, &QTableView::clicked, this, [this](const QModelIndex &index) {
        guarded([this, index] {
            chooseTrainer(index.row() + 1);
            if (index.column() + 1 == mainlists::names::Icon1)
                emit trainerFormRequested(m_trainers->cellText(index.row() + 1, mainlists::names::Trainer).trimmed());
        });
    });
    connect(grdNoms, &QTableView::clicked, this,
            [this](const QModelIndex &index) { guarded([this, index] { showRaceOf(index.row() + 1); }); });
    connect(grdNoms, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        guarded([this, index] { editRequest(index.row() + 1, index.column() + 1); });
    });
    connect(grdMeeting, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit raceWindowRequested(m_meetings->cellText(index.row() + 1, 1));
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

    connect(txtTrainLocation, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Location); });
    connect(TxtTrainPhone, &QLineEdit::editingFinished, this, [this] { saveContact(mainlists::ContactField::Phone); });
    connect(txtTrainMobile, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Mobile); });

    connect(UpDown1, &QSpinBox::valueChanged, this,
            [this](int tenths) { txtWeight->setText(QString::number(tenths / 10.0, 'f', 1)); });
    connect(txtWeight, &QLineEdit::editingFinished, this, &MainWindow::weightEdited);
}

BookingGrid &MainWindow::nomsGrid()
{
    return *m_noms;
}

QStringList MainWindow::selectedMeetingCodes() const
{
    QModelIndexList rows = grdMeeting->selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList codes;
    for (const QModelIndex &index : rows)
        codes << index.data().toString();
    return codes;
}

QString MainWindow::selectedJockey() const
{
    const int row = oneBasedRow(grdJockey);
    return row > 0 ? m_jockeys->cellText(row, 1) : QString();
}

QString MainWindow::selectedTrainer() const
{
    const int row = oneBasedRow(grdNames);
    return row > 0 ? m_trainers->cellText(row, mainlists::names::Trainer).trimmed() : QString();
}

mainlists::ListFilter MainWindow::currentFilter() const
{
    return {m_meetingsFilter, txtWeight->text().trimmed().toDouble()};
}

QString MainWindow::currentMeetingsFilter() const
{
    return mainlists::meetingsFilterText(m_meetingsFilter);
}

void MainWindow::reloadMeetings()
{
    m_meetings->setRows(mainlists::loadMeetings());
}

void MainWindow::reloadJockeys()
{
    QList<ListRow> rows = mainlists::loadJockeys();
    QStringList names;
    for (const ListRow &row : rows)
        names << row.text(1);
    m_jockeys->setRows(std::move(rows));
    cmbJockey->clear();
    cmbJockey->addItems(names);
    cmbJockey->addItem(kDeleteJockey);
    ManagedJockeys::rebuild(names);
}

void MainWindow::reloadTrainers()
{
    m_trainers->setRows(mainlists::loadTrainers(currentFilter()));
    grdNames->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // The chosen trainer stays selected: bookings take their trainer from the selected row.
    for (int row = 1; !m_chosenTrainer.isEmpty() && row <= m_trainers->rowCount(); ++row) {
        if (m_trainers->cellText(row, mainlists::names::Trainer) == m_chosenTrainer) {
            grdNames->selectRow(row - 1);
            break;
        }
    }
}

void MainWindow::reloadNoms()
{
    if (m_chosenTrainer.isEmpty()) {
        m_noms->clear();
        return;
    }
    mainlists::NominationsResult result = mainlists::loadNominations(m_chosenTrainer, currentFilter());
    m_noms->setRows(std::move(result.rows));
    grdNoms->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    if (txtTrainLocation->text().isEmpty())
        txtTrainLocation->setText(result.trainerLocation);
    if (TxtTrainPhone->text().isEmpty())
        TxtTrainPhone->setText(result.phone);
    txtTrainerName->setText(m_chosenTrainer);
}

void MainWindow::refresh()
{
    m_meetingsFilter = selectedMeetingCodes();
    // Nothing is chosen any more, so the same trainer can be chosen again.
    m_chosenTrainer.clear();
    reloadTrainers();
    m_raceMeeting.clear();
    m_raceNumber = -1;
    m_noms->clear();
    txtRace->clear();
    for (QLineEdit *box : {txtTrainerName, txtTrainLocation, txtTrainMobile, TxtTrainPhone})
        box->clear();
}

bool MainWindow::chooseTrainer(int row)
{
    if (row < 1 || row > m_trainers->rowCount())
        return false;
    const QString trainer = m_trainers->cellText(row, mainlists::names::Trainer);
    if (trainer == m_chosenTrainer)
        return true;
    m_jockeyPick->close();
    m_statePick->close();
    txtRace->clear();
    m_raceMeeting.clear();
    m_raceNumber = -1;
    if (m_trainers->cellText(row, mainlists::names::IgnTrainer) == QLatin1String("True")) {
        UserDialogs::instance().message(QStringLiteral("Error"),
                                        QStringLiteral("Trainer set to ignore cannot make bookings"),
                                        UserDialogs::Icon::Critical);
        return false;
    }
    m_chosenTrainer = trainer;
    const mainlists::TrainerContact contact = mainlists::loadTrainerContact(trainer);
    TxtTrainPhone->setText(contact.phone);
    txtTrainMobile->setText(contact.mobile);
    txtTrainLocation->setText(contact.location);
    reloadNoms();
    return true;
}

void MainWindow::showRaceOf(int row)
{
    if (row < 1 || row > m_noms->rowCount())
        return;
    const QString meeting = m_noms->cellText(row, mainlists::noms::Meeting);
    const int race = m_noms->cellText(row, mainlists::noms::Race).toInt();
    if (meeting == m_raceMeeting && race == m_raceNumber)
        return;
    m_raceMeeting = meeting;
    m_raceNumber = race;
    txtRace->clear();
    QTextCursor cursor(txtRace->document());
    for (const mainlists::TextRun &run : mainlists::raceDetails(meeting, race)) {
        QTextCharFormat format;
        format.setFontPointSize(run.pointSize);
        format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
        format.setForeground(run.color);
        cursor.insertText(run.text, format);
    }
}

void MainWindow::sortList(QTableView *grid, int column)
{
    listviews::sortByColumn(grid, column);
}

// ---- Booking interactions ----

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
    guarded([&] {
        BookJockey(*m_noms, row, Jockey, jockey, m_noms->cellText(row, Horse).trimmed(),
                   m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode), selectedTrainer(), color);
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
        if (!m_noms->cellText(row, Jockey).isEmpty() && !state.isEmpty() && state != kConfirmed)
            ConfirmBooking(*m_noms, row, Booking, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                           m_noms->cellText(row, Horse), m_noms->cellBackColor(row, Jockey));
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
    guarded([&] {
        BookJockey(*m_noms, row, column, choice, m_noms->cellText(row, Horse).trimmed(),
                   m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode), selectedTrainer(), color);
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
    if (state == kConfirmed) {
        if (m_noms->cellText(row, Jockey).isEmpty()) {
            UserDialogs::instance().message(QStringLiteral("Ostrevan 2"),
                                            QStringLiteral("You cannot confirm, if no jockey has been entered"),
                                            UserDialogs::Icon::Exclamation);
            return;
        }
        ConfirmBooking(*m_noms, row, column, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                       m_noms->cellText(row, Horse).trimmed(), m_noms->cellBackColor(row, Jockey));
        return;
    }
    SetBookingState(*m_noms, row, column, state, m_noms->cellText(row, Meeting), m_noms->cellText(row, RaceCode),
                    m_noms->cellText(row, Horse).trimmed(), selectedTrainer());
}

void MainWindow::saveContact(mainlists::ContactField field)
{
    if (m_chosenTrainer.isEmpty())
        return;
    guarded([&] {
        mainlists::saveTrainerContact(m_chosenTrainer, field,
                                      {false, txtTrainLocation->text(), TxtTrainPhone->text(), txtTrainMobile->text()});
    });
}

void MainWindow::weightEdited()
{
    bool ok = false;
    const double kilograms = txtWeight->text().trimmed().toDouble(&ok);
    if (ok && kilograms >= 40)
        UpDown1->setValue(qRound(kilograms * 10));
}

void MainWindow::addData()
{
    guarded([this] {
        chooseAndLoadFieldFiles([this] {
            reloadMeetings();
            reloadTrainers();
        });
    });
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
            emit raceWindowRequested(m_raceMeeting);
    }
    return QMainWindow::eventFilter(watched, event);
}
