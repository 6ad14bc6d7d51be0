// The main window's lists: reading them, the filters, choosing a trainer, the race details and
// the chosen trainer's contact boxes. The shell is in MainWindow.cpp, the booking gestures in
// MainWindowBookings.cpp.
#include "MainWindow.h"

#include "bookings/BookingPickLists.h"
#include "bookings/ui/ListModel.h"
#include "bookings/ui/ListViews.h"
#include "bookings/ui/NominationPick.h"
#include "core/UserDialogs.h"
#include "import/FieldFileLoader.h"
#include "import/ui/frmSelectMeeting.h"
#include "people/ManagedJockeys.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

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
    connect(grdMeeting, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit raceWindowRequested(m_meetings->cellText(index.row() + 1, 1));
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
