// The race window: its widgets, menus, loading of the meeting, races and runners, the remembered layout and
// the navigation between meetings and races. Booking gestures are in FrmRaceBookings.cpp, buttons in
// FrmRaceCommands.cpp.
#include "FrmRace.h"

#include "FrmBookingHistory.h"
#include "ListIcons.h"
#include "ListModel.h"
#include "ListViews.h"
#include "NominationPick.h"
#include "RunnerModel.h"
#include "bookings/BookingGestures.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "bookings/RaceRunners.h"
#include "bookings/WeightCalculation.h"
#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "core/ui/BusyPointer.h"
#include "core/ui/HeaderLayout.h"
#include "formdata/ui/FormWindows.h"
#include "roster/ManagedJockeys.h"
#include "roster/StoredColor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using namespace racewindow;

namespace {

QTableView *makeGrid(QWidget *parent, const char *name)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setWordWrap(false);
    grid->setIconSize(QSize(ListIcons::kSize, ListIcons::kSize));
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

void setupColumns(QTableView *grid, const QList<ListColumn> &columns)
{
    QHeaderView *header = grid->horizontalHeader();
    for (int c = 0; c < columns.size(); ++c) {
        const ListColumn &column = columns.at(c);
        grid->setColumnHidden(c, column.hidden);
        const int width = column.header.isEmpty() && !column.hidden ? std::max(column.width, 22) : column.width;
        if (width > 0)
            header->resizeSection(c, width);
    }
}

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit *readOnlyEdit(QWidget *parent, const char *name)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

QAction *addItem(QMenu *menu, const QString &caption, const QString &tip, const QString &key, bool enabled, int icon)
{
    QAction *action = menu->addAction(ListIcons::icon(icon), caption);
    action->setToolTip(tip);
    action->setData(key);
    action->setEnabled(enabled);
    return action;
}

} // namespace

FrmRace::FrmRace(const QString &meetingCode, const QString &level, int raceNumber, QWidget *parent)
    : QDialog(parent), m_meeting(meetingCode), m_level(level), m_race(raceNumber), m_meetingView(raceNumber == 0)
{
    setObjectName(u"FrmRace"_s);
    setWindowTitle(u"Meeting : View"_s);
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(1200, 760);
    buildWidgets();
    buildMenus();
    connectSignals();
    runGuarded([this] { loadAll(); });
    restoreLayout();
}

FrmRace::~FrmRace() = default;

void FrmRace::open(QWidget *parent, const QString &meetingCode, int raceNumber)
{
    std::unique_ptr<FrmRace> window;
    {
        BusyPointer busy;
        QString level;
        if (!runGuarded([&] { level = racewindow::loadMeetingHeader(meetingCode).level; }))
            return;
        window = std::make_unique<FrmRace>(meetingCode, level, raceNumber, parent);
    }
    window->exec();
}

void FrmRace::buildWidgets()
{
    auto *outer = new QVBoxLayout(this);

    auto *header = new QGridLayout;
    txtMeeting = readOnlyEdit(this, "txtMeeting");
    txtMeetingDetails = readOnlyEdit(this, "txtMeetingDetails");
    txtMeetingType = readOnlyEdit(this, "txtMeetingType");
    txtMeeting->setMaximumWidth(110);
    txtMeetingType->setMaximumWidth(50);
    lblState = named(new QLabel(this), "lblState");
    lblMetro = named(new QLabel(this), "lblMetro");
    lblRaceType = named(new QLabel(u"Race Type"_s, this), "lblRaceType");
    lblRaceTxt = named(new QLabel(this), "lblRaceTxt");
    cmbRaceType = named(new QComboBox(this), "cmbRaceType");
    cmbRaceType->setMinimumWidth(130);
    header->addWidget(txtMeeting, 0, 0);
    header->addWidget(txtMeetingDetails, 0, 1, 1, 4);
    header->addWidget(txtMeetingType, 0, 5);
    header->addWidget(lblState, 1, 0);
    header->addWidget(lblMetro, 1, 1);
    header->addWidget(lblRaceType, 1, 2);
    header->addWidget(cmbRaceType, 1, 3);
    header->addWidget(lblRaceTxt, 1, 4, 1, 2);
    txtRace = named(new QTextEdit(this), "txtRace");
    txtRace->setReadOnly(true);
    txtRace->setMaximumHeight(80);

    auto *top = new QHBoxLayout;
    auto *headerBox = new QVBoxLayout;
    headerBox->addLayout(header);
    headerBox->addWidget(txtRace);
    top->addLayout(headerBox, 3);
    auto *trainer = new QGridLayout;
    txtTrainLocation = named(new QLineEdit(this), "txtTrainLocation");
    TxtTrainPhone = named(new QLineEdit(this), "TxtTrainPhone");
    txtTrainMobile = named(new QLineEdit(this), "txtTrainMobile");
    trainer->addWidget(new QLabel(u"Location"_s, this), 0, 0);
    trainer->addWidget(txtTrainLocation, 0, 1);
    trainer->addWidget(new QLabel(u"Phone"_s, this), 1, 0);
    trainer->addWidget(TxtTrainPhone, 1, 1);
    trainer->addWidget(new QLabel(u"Mobile"_s, this), 2, 0);
    trainer->addWidget(txtTrainMobile, 2, 1);
    for (QLineEdit *box : {txtTrainLocation, TxtTrainPhone, txtTrainMobile})
        box->setReadOnly(true); // unlocked once a runner's trainer is chosen
    top->addLayout(trainer, 1);
    auto *buttons = new QVBoxLayout;
    cmdCalcWgts = named(new QPushButton(u"Caculate &Weights"_s, this), "cmdCalcWgts");
    CmdUpdExtra = named(new QPushButton(u"Update &Extras"_s, this), "CmdUpdExtra");
    cmdRating = named(new QPushButton(u"Update &Ratings"_s, this), "cmdRating");
    cmdPrint = named(new QPushButton(u"&Print Meeting"_s, this), "cmdPrint");
    cmdExit = named(new QPushButton(u"E&xit"_s, this), "cmdExit");
    for (QPushButton *button : {cmdCalcWgts, CmdUpdExtra, cmdRating, cmdPrint, cmdExit}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    top->addLayout(buttons);
    outer->addLayout(top);

    auto *split = named(new QSplitter(Qt::Horizontal, this), "splitRace");
    auto *left = named(new QSplitter(Qt::Vertical, split), "splitLists");
    splitRace = split;
    splitLists = left;
    grdMeeting = makeGrid(left, "grdMeeting");
    m_meetings = new ListModel(u"grdMeeting"_s, mainlists::meetingColumns(), grdMeeting);
    grdMeeting->setModel(m_meetings);
    grdRaces = makeGrid(left, "grdRaces");
    m_races = new ListModel(
        u"grdRaces"_s,
        {{QString(), QString(), 20}, {u"Details"_s, u"Race"_s, 0}, {u"RaceRow"_s, QString(), 0, !m_meetingView, false}},
        grdRaces);
    // Meeting view keeps the group rows in a hidden column; race view has no such column.
    grdRaces->setModel(m_races);
    grdRaces->setColumnHidden(2, true);
    grdRaces->horizontalHeader()->setStretchLastSection(true);
    grdJockey = makeGrid(left, "grdJockey");
    m_jockeys = new ListModel(u"grdJockey"_s, mainlists::jockeyColumns(), grdJockey);
    grdJockey->setModel(m_jockeys);
    setupColumns(grdMeeting, m_meetings->columns());
    setupColumns(grdJockey, m_jockeys->columns());
    grdRace = makeGrid(split, "grdRace");
    grdRace->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_runners = new RunnerModel(grdRace);
    grdRace->setModel(m_runners);
    grdRace->horizontalHeader()->setSectionsMovable(true);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 4);
    split->setSizes({260, 940});
    outer->addWidget(split, 1);

    cmbJockey = named(new QComboBox(grdRace->viewport()), "cmbJockey");
    cmbJockey->hide();
    cmbBookText = named(new QComboBox(grdRace->viewport()), "cmbBookText");
    cmbBookText->hide();
    lblJockey = named(new QLabel(u"Jockey for Drag drop"_s, this), "lblJockey");
    lblBackColor = named(new QLabel(u"BackColor for Jockey"_s, this), "lblBackColor");
    lblJockey->hide();
    lblBackColor->hide();

    cmdRating->setEnabled(!m_meetingView);
}

void FrmRace::buildMenus()
{
    raceMenu = named(new QMenu(u"Race"_s, this), "PopMenuRace");
    addItem(raceMenu, u"Horse &Form"_s, u"Display the Horses Form Data"_s, u"Horse Form"_s, true, 9);
    addItem(raceMenu, u"&Rego Seach"_s, u"Display Horse Recistration"_s, u"Rego"_s, true, 2);
    addItem(raceMenu, u"Horse Ra&ting"_s, u"Display Horse Racting(Vic)"_s, u"Rating"_s, true, 8);
    addItem(raceMenu, u"&Jockey Form"_s, u"Display Jockeys Form"_s, u"Jockey"_s, true, 4);
    addItem(raceMenu, u"Trainer Form"_s, u"Display Tainers Form"_s, u"Trainer"_s, true, 3);
    addItem(raceMenu, u"&Video Form"_s, u"Display Video Form"_s, u"Video"_s, false, 10);
    addItem(raceMenu, u"Booking &History"_s, u"Every change of the horse's bookings"_s, u"History"_s, true, 0);
    connect(raceMenu, &QMenu::triggered, this,
            [this](QAction *action) { raceMenuChosen(m_menuRow, action->data().toString()); });
    // The window's own menu: the horse look-ups of the selected runner.
    auto *bar = new QMenuBar(this);
    // Alt+R is "Update &Ratings": the menu takes another letter, so both keys work.
    QMenu *entries = bar->addMenu(u"R&ace"_s);
    named(entries->addAction(u"Race Entries"_s), "mnuPURaceEnt")->setEnabled(false);
    auto selectedRow = [this] { return grdRace->currentIndex().isValid() ? grdRace->currentIndex().row() + 1 : 0; };
    connect(named(entries->addAction(u"Ratings"_s), "MnuVicRatings"), &QAction::triggered, this,
            [this, selectedRow] { raceMenuChosen(selectedRow(), u"Rating"_s); });
    connect(named(entries->addAction(u"Rego Search"_s), "mnuRego"), &QAction::triggered, this,
            [this, selectedRow] { raceMenuChosen(selectedRow(), u"Rego"_s); });
    // The session's booking gestures, whichever window made them; the runners show them as stored.
    // Alt+E is taken by a button: the menu takes another letter, so both keys work.
    QMenu *edit = bar->addMenu(u"E&dit"_s);
    BookingUndo &undo = BookingUndo::session();
    QAction *undoItem = named(edit->addAction(u"&Undo"_s), "mnuUndo");
    undoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redoItem = named(edit->addAction(u"&Redo"_s), "mnuRedo");
    redoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(undoItem, &QAction::triggered, this, [this, &undo] { runGuarded([&undo] { undo.undo(); }); });
    connect(redoItem, &QAction::triggered, this, [this, &undo] { runGuarded([&undo] { undo.redo(); }); });
    auto updateItems = [&undo, undoItem, redoItem] {
        undoItem->setEnabled(undo.canUndo());
        undoItem->setToolTip(undo.undoText());
        redoItem->setEnabled(undo.canRedo());
        redoItem->setToolTip(undo.redoText());
    };
    connect(&undo, &BookingUndo::changed, this, updateItems);
    connect(&undo, &BookingUndo::applied, this, [this] {
        m_changed = true;
        runGuarded([this] { loadRunners(); });
    });
    updateItems();
    layout()->setMenuBar(bar);
    jockeyMenu = named(new QMenu(u"Jockey"_s, this), "PopMenuJockey");
    QAction *form = addItem(jockeyMenu, u"&Jockey Form"_s, u"Display Jockeys Form"_s, u"Jockey"_s, true, 4);
    auto jockeyRow = [this] {
        const QModelIndexList rows = grdJockey->selectionModel()->selectedRows();
        return rows.isEmpty() ? 0 : rows.first().row() + 1;
    };
    connect(form, &QAction::triggered, this, [this, jockeyRow] {
        const QString jockey = jockeyRow() > 0 ? m_jockeys->cellText(jockeyRow(), 1) : QString();
        if (!jockey.isEmpty())
            openJockeyForm(this, jockey);
    });
    QAction *select =
        addItem(jockeyMenu, u"Select Jockey for Icons"_s, u"Display Tainers Form"_s, u"SelJockeyIcon"_s, true, 8);
    connect(select, &QAction::triggered, this, [this, jockeyRow] { selectJockeyForIcons(jockeyRow()); });
    QAction *history =
        addItem(jockeyMenu, u"Booking &History"_s, u"Every change of the jockey's bookings"_s, u"History"_s, true, 0);
    connect(history, &QAction::triggered, this, [this, jockeyRow] {
        if (jockeyRow() > 0)
            FrmBookingHistory::showFor(this, {.jockey = m_jockeys->cellText(jockeyRow(), 1)});
    });
}

void FrmRace::connectSignals()
{
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCalcWgts, &QPushButton::clicked, this, &FrmRace::calculateWeights);
    connect(cmdRating, &QPushButton::clicked, this, &FrmRace::updateRatings);
    connect(CmdUpdExtra, &QPushButton::clicked, this, &FrmRace::updateExtras);
    connect(cmdPrint, &QPushButton::clicked, this, &FrmRace::printMeeting);
    connect(grdRace, &QTableView::clicked, this,
            [this](const QModelIndex &index) { clickRunner(index.row() + 1, index.column() + 1); });
    connect(grdRace, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { editRequest(index.row() + 1, index.column() + 1); });
    grdRace->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdRace, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = grdRace->indexAt(pos);
        if (index.isValid())
            clickRunner(index.row() + 1, index.column() + 1, true);
    });
    grdJockey->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdJockey, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = grdJockey->indexAt(pos);
        if (index.isValid())
            grdJockey->selectRow(index.row());
        jockeyMenu->popup(grdJockey->viewport()->mapToGlobal(pos));
    });
    connect(grdRaces, &QTableView::clicked, this, [this](const QModelIndex &index) { clickRace(index.row() + 1); });
    connect(grdMeeting, &QTableView::clicked, this,
            [this](const QModelIndex &index) { clickMeeting(index.row() + 1); });
    grdRace->horizontalHeader()->setSectionsClickable(true);
    connect(grdRace->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { sortRunners(section + 1); });
    connect(m_runners, &QAbstractItemModel::modelReset, this, &FrmRace::applyGroupSpans);
    m_runners->setNominationOfRow([this](int row) {
        if (m_runners->isGroupRow(row))
            return Nomination();
        return Nomination{m_meeting, raceCodeOfRow(row), m_runners->cellText(row, col::Horse),
                          m_runners->cellText(row, col::Trainer)};
    });
    m_jockeyPick = new NominationPick(cmbJockey, grdRace, m_runners);
    m_statePick = new NominationPick(cmbBookText, grdRace, m_runners);
    connect(m_jockeyPick, &NominationPick::chosen, this, [this](int row, const QString &jockey) {
        bookingGesture([&] { return bookinggestures::bookJockey(*m_runners, row, jockey); });
    });
    connect(m_statePick, &NominationPick::chosen, this, [this](int row, const QString &state) {
        bookingGesture([&] { return bookinggestures::chooseState(*m_runners, row, state); });
    });
    connect(txtTrainLocation, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Location); });
    connect(TxtTrainPhone, &QLineEdit::editingFinished, this, [this] { saveContact(mainlists::ContactField::Phone); });
    connect(txtTrainMobile, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Mobile); });
    new listviews::JockeyDragDrop(
        grdJockey, grdRace, [this](int row) { startJockeyDrag(row); },
        [this](const QPoint &at, const QString &jockey) {
            const QModelIndex index = grdRace->indexAt(at);
            return index.isValid() && dropJockey(index.row() + 1, jockey);
        },
        this);
    grdRace->installEventFilter(this);
}

// ---- Loading ----

void FrmRace::loadAll()
{
    loadMeetingHeader();
    if (!m_meetingView)
        loadRaceHeader();
    if (lblState->text() == "VIC"_L1) {
        cmbRaceType->clear();
        cmbRaceType->addItem(QString());
        cmbRaceType->addItems(LoadRaceTypes(lblMetro->text()));
    }
    loadRaceList();
    // The managed-jockeys list the icons count is in place before the runners are read.
    loadJockeys();
    loadRunners();
    m_meetings->setRows(mainlists::loadMeetings());
    cmbBookText->clear();
    cmbBookText->addItems(LoadBookingStates());
}

void FrmRace::loadMeetingHeader()
{
    const MeetingHeader header = racewindow::loadMeetingHeader(m_meeting);
    if (!header.found)
        return;
    txtMeeting->setText(header.code);
    setWindowTitle(header.location);
    txtMeetingDetails->setText(header.details);
    txtMeetingType->setText(header.level);
    lblMetro->setText(header.meetType);
    lblState->setText(header.state);
}

void FrmRace::loadRaceHeader()
{
    txtRace->clear();
    const RaceHeader header = racewindow::loadRaceHeader(m_meeting, m_race);
    if (header.found) {
        lblRaceTxt->setText(header.raceText);
        cmbRaceType->setCurrentText(header.raceType);
        const int at = cmbRaceType->findText(header.raceType);
        cmbRaceType->setCurrentIndex(at >= 0 ? at : 0);
        QTextCursor cursor(txtRace->document());
        for (const mainlists::TextRun &run : header.runs) {
            QTextCharFormat format;
            format.setFontPointSize(run.pointSize);
            format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            format.setForeground(run.color);
            cursor.insertText(run.text, format);
        }
    } else {
        lblRaceTxt->clear();
    }
    setWindowTitle(windowTitle() + " - Race :"_L1 + QString::number(m_race));
}

void FrmRace::loadRaceList()
{
    m_raceCodes.clear();
    QList<ListRow> rows;
    for (const RaceEntry &race : racewindow::loadRaceList(m_meeting)) {
        ListRow row(3);
        row.cell(1).text = QString::number(race.number);
        row.cell(2).text = race.code;
        row.markDrawn();
        rows << row;
        m_raceCodes.insert(race.number, race.code);
    }
    m_races->setRows(rows);
}

void FrmRace::loadRunners()
{
    const QString level = txtMeetingType->text();
    if (level != m_columnsLevel || m_runners->columns().isEmpty()) {
        m_columnsLevel = level;
        m_runners->setColumns(runnerColumns(level));
        setupColumns(grdRace, m_runners->columns());
    }
    grdRace->setUpdatesEnabled(false);
    m_runners->setRunners(
        racewindow::loadRunners(m_meeting, m_meetingView ? 0 : m_race, m_level, ManagedJockeys::IconJockeyList()),
        m_meetingView);
    if (m_meetingView) {
        for (int r = 1; r <= m_races->rowCount(); ++r)
            m_races->setCellText(r, 3, QString::number(m_runners->groupRowOf(m_races->cellText(r, 1).toInt())));
    }
    updateWeightControls();
    grdRace->setUpdatesEnabled(true);
}

void FrmRace::updateWeightControls()
{
    // In meeting view the weights are those of the race shown in the header (the runner last clicked);
    // before one is, there is no race to weigh.
    const QString unavailable = m_meetingView && m_race <= 0
                                    ? u"Choose a runner to show its race first"_s
                                    : weightCalculationUnavailable(lblState->text(), lblRaceTxt->text(),
                                                                   cAppSettings::instance().AlwCalcWeights);
    const bool weights = unavailable.isEmpty();
    cmdCalcWgts->setEnabled(weights);
    cmdCalcWgts->setToolTip(unavailable);
    cmbRaceType->setEnabled(weights);
    for (QWidget *widget :
         {static_cast<QWidget *>(cmbRaceType), static_cast<QWidget *>(lblRaceTxt), static_cast<QWidget *>(lblState),
          static_cast<QWidget *>(lblMetro), static_cast<QWidget *>(lblRaceType)})
        widget->setVisible(weights);
}

void FrmRace::loadJockeys()
{
    const QList<ListRow> rows = mainlists::loadJockeys();
    m_jockeys->setRows(rows);
    const QList<JockeyPickItem> items = LoadJockeyPickList();
    cmbJockey->clear();
    cmbJockey->addItems(jockeyComboItems(items));
    // The managed-jockeys list counts every jockey unless one was chosen for the icons.
    if (ManagedJockeys::IconJockey().isEmpty()) {
        QStringList names;
        for (const JockeyPickItem &item : items)
            names << item.jockey;
        ManagedJockeys::rebuild(names);
    }
    for (int r = 1; r <= m_jockeys->rowCount(); ++r)
        m_jockeys->setCellIcon(r, 1,
                               m_jockeys->cellText(r, 1) == ManagedJockeys::IconJockey() ? mainlists::kPlacedIcon : 0);
}

void FrmRace::applyGroupSpans()
{
    grdRace->clearSpans();
    if (!m_meetingView)
        return;
    for (int r = 1; r <= m_runners->rowCount(); ++r) {
        if (m_runners->isGroupRow(r))
            grdRace->setSpan(r - 1, 0, 1, m_runners->columnCount());
    }
}

// ---- Layout ----

namespace {

StoredGridWindow storedLayout()
{
    cAppSettings &s = cAppSettings::instance();
    return {&s.RaceRaceOrder, &s.RaceRaceWidth, &s.RaceLeft, &s.RaceTop, &s.RaceWidth, &s.RaceHeight, &s.RaceMax};
}

} // namespace

void FrmRace::restoreLayout()
{
    restoreGridWindow(this, grdRace->horizontalHeader(), storedLayout());
    const cAppSettings &settings = cAppSettings::instance();
    applySplitterSizes(splitRace, settings.RaceSplitSizes);
    applySplitterSizes(splitLists, settings.RaceListSizes);
}

void FrmRace::storeLayout()
{
    // The pane sizes first: storing the grid window saves the settings.
    cAppSettings &settings = cAppSettings::instance();
    settings.RaceSplitSizes = splitterSizesList(splitRace);
    settings.RaceListSizes = splitterSizesList(splitLists);
    storeGridWindow(this, grdRace->horizontalHeader(), storedLayout());
}

void FrmRace::done(int result)
{
    storeLayout();
    QDialog::done(result);
}

// ---- Navigation ----

void FrmRace::clickRace(int row)
{
    if (row < 1 || row > m_races->rowCount())
        return;
    m_race = m_races->cellText(row, 1).toInt();
    if (!m_meetingView) {
        BusyPointer busy;
        runGuarded([this] {
            loadMeetingHeader();
            loadRaceHeader();
            loadRunners();
        });
        return;
    }
    // The header and the weight controls follow the race chosen.
    runGuarded([this] {
        loadMeetingHeader();
        loadRaceHeader();
    });
    updateWeightControls();
    // Bring the race's group into view at the top: the last row first, then the group row.
    const int group = m_runners->groupRowOf(m_race);
    if (group == 0)
        return;
    grdRace->scrollToBottom();
    grdRace->scrollTo(m_runners->index(group - 1, 0), QAbstractItemView::PositionAtTop);
    grdRace->setCurrentIndex(m_runners->index(group - 1, 0));
}

void FrmRace::clickMeeting(int row)
{
    if (row < 1 || row > m_meetings->rowCount())
        return;
    BusyPointer busy;
    m_meeting = m_meetings->cellText(row, 1).trimmed();
    if (!m_meetingView)
        m_race = 1;
    else
        m_runners->clear();
    runGuarded([this] {
        loadMeetingHeader();
        m_level = txtMeetingType->text();
        loadRaceHeader();
        loadRaceList();
        loadRunners();
    });
}

void FrmRace::sortRunners(int column)
{
    if (column < 1 || column > m_runners->columnCount())
        return;
    {
        BusyPointer busy;
        const Qt::SortOrder order = m_runners->sortByColumn(column);
        grdRace->horizontalHeader()->setSortIndicatorShown(true);
        grdRace->horizontalHeader()->setSortIndicator(column - 1, order);
    }
    sounds::playSound(sounds::kSorted);
}
