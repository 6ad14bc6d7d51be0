// The main window's lists: reading them, the filters, choosing a trainer, the race details and
// the chosen trainer's contact boxes. The shell is in MainWindow.cpp, the booking gestures in
// MainWindowBookings.cpp.
#include "MainWindow.h"

#include "bookings/BookingPickLists.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "bookings/ui/NominationPick.h"
#include "core/UserDialogs.h"
#include "db/DbGuard.h"
#include "import/FieldFileLoader.h"
#include "import/ui/frmSelectMeeting.h"
#include "roster/ManagedJockeys.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

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

    connect(cmdReload, &QPushButton::clicked, this, [this] { runGuarded([this] { refresh(); }); });
    connect(cmdMtgRfs, &QPushButton::clicked, this, [this] { runGuarded([this] { reloadMeetings(); }); });
    connect(cmdBrowse, &QPushButton::clicked, this, &MainWindow::addData);
    connect(CmdGetData, &QPushButton::clicked, this, &MainWindow::getData);

    for (QTableView *grid : {grdNames, grdNoms}) {
        grid->horizontalHeader()->setSortIndicatorShown(true);
        grid->horizontalHeader()->setSectionsClickable(true);
        connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, grid](int section) { sortList(grid, section + 1); });
    }
    // The chosen trainer follows the highlighted row however it moves (mouse, arrows, type-ahead, Enter,
    // a right click before its menu), so what the boxes and nominations show is what a booking stores.
    connect(grdNames->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    runGuarded([this, current] { followTrainerRow(current.row() + 1); });
            });
    connect(grdNames, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.column() + 1 == mainlists::names::Icon1)
            emit trainerFormRequested(m_trainers->cellText(index.row() + 1, mainlists::names::Trainer).trimmed());
    });
    connect(grdNoms, &QTableView::clicked, this,
            [this](const QModelIndex &index) { runGuarded([this, index] { showRaceOf(index.row() + 1); }); });
    connect(grdMeeting, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit raceWindowRequested(m_meetings->cellText(index.row() + 1, 1), 1);
    });

    connect(txtTrainLocation, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Location); });
    connect(TxtTrainPhone, &QLineEdit::editingFinished, this, [this] { saveContact(mainlists::ContactField::Phone); });
    connect(txtTrainMobile, &QLineEdit::editingFinished, this,
            [this] { saveContact(mainlists::ContactField::Mobile); });

    connect(UpDown1, &QSpinBox::valueChanged, this,
            [this](int tenths) { txtWeight->setText(QString::number(tenths / 10.0, 'f', 1)); });
    connect(txtWeight, &QLineEdit::editingFinished, this, &MainWindow::weightEdited);
    connectBookings();
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

int MainWindow::chosenTrainerRow() const
{
    for (int row = 1; !m_chosenTrainer.isEmpty() && row <= m_trainers->rowCount(); ++row) {
        if (m_trainers->cellText(row, mainlists::names::Trainer) == m_chosenTrainer)
            return row;
    }
    return 0;
}

void MainWindow::highlightChosenTrainer()
{
    const int row = chosenTrainerRow();
    if (row > 0) {
        grdNames->setCurrentIndex(m_trainers->index(row - 1, 0));
        grdNames->selectRow(row - 1);
    } else {
        grdNames->selectionModel()->clear();
    }
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
    // The meetings list keeps no stored widths: its columns size to their texts (see load()).
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
    // The chosen trainer stays highlighted.
    highlightChosenTrainer();
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
    // The list says when it is narrowed to some meetings.
    lblTrainers->setText(m_meetingsFilter.isEmpty() ? u"Trainers"_s
                                                    : u"Trainers of "_s + m_meetingsFilter.join(u", "_s));
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
    if (isIgnoredTrainer(row)) {
        UserDialogs::instance().message(u"Error"_s, u"Trainer set to ignore cannot make bookings"_s,
                                        UserDialogs::Icon::Critical);
        // The highlight goes back to the trainer whose nominations are still shown.
        highlightChosenTrainer();
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

bool MainWindow::isIgnoredTrainer(int row) const
{
    return m_trainers->cellText(row, mainlists::names::IgnTrainer) == "True"_L1;
}

void MainWindow::followTrainerRow(int row)
{
    const QString trainer = m_trainers->cellText(row, mainlists::names::Trainer);
    if (trainer == m_chosenTrainer || !isIgnoredTrainer(row)) {
        chooseTrainer(row);
        return;
    }
    // Refused once the gesture that moved the row is over: a message box inside a mouse press would
    // leave the list selecting rows as the pointer moves.
    QTimer::singleShot(0, this, [this, trainer] {
        for (int r = 1; r <= m_trainers->rowCount(); ++r) {
            if (m_trainers->cellText(r, mainlists::names::Trainer) == trainer) {
                runGuarded([this, r] { chooseTrainer(r); });
                return;
            }
        }
    });
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

void MainWindow::saveContact(mainlists::ContactField field)
{
    if (m_chosenTrainer.isEmpty())
        return;
    runGuarded([&] {
        mainlists::saveTrainerContact(m_chosenTrainer, field,
                                      {false, txtTrainLocation->text(), TxtTrainPhone->text(), txtTrainMobile->text()});
        const QString what = field == mainlists::ContactField::Location ? u"location"_s
                             : field == mainlists::ContactField::Phone  ? u"phone"_s
                                                                        : u"mobile"_s;
        ::showStatus(u"Saved %1's %2"_s.arg(m_chosenTrainer.trimmed(), what));
    });
}

void MainWindow::weightEdited()
{
    bool ok = false;
    const double kilograms = txtWeight->text().trimmed().toDouble(&ok);
    if (ok && kilograms >= 40)
        UpDown1->setValue(qRound(kilograms * 10));
}

void MainWindow::reloadAfterFields()
{
    reloadMeetings();
    reloadTrainers();
    // The chosen trainer's rows may have changed under the list: weights, runners, scratchings.
    reloadNoms();
}

void MainWindow::addData()
{
    // Many files take a while: a progress window says how far the load is and can stop it.
    std::unique_ptr<QProgressDialog> progress;
    auto step = [this, &progress](int index, int total, const QString &path) {
        if (total < 5)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QString(), u"Stop"_s, 0, total, this);
            progress->setWindowTitle(u"Add Data"_s);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        progress->setValue(index);
        progress->setLabelText(
            u"Loading %1\nfile %2 of %3"_s.arg(QFileInfo(path).fileName()).arg(index + 1).arg(total));
        return !progress->wasCanceled();
    };
    runGuarded([&] {
        const QList<FieldFileLoadResult> results = chooseAndLoadFieldFiles([this] { reloadAfterFields(); }, step);
        progress.reset();
        if (!results.isEmpty())
            ::showStatus(FieldFileLoader::loadSummary(results));
    });
}

void MainWindow::getData()
{
    const QString done = frmSelectMeeting::OpenSelect(this);
    runGuarded([this] { reloadAfterFields(); });
    if (!done.isEmpty())
        ::showStatus(done);
}
