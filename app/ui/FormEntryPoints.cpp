#include "FormEntryPoints.h"

#include "MainWindow.h"
#include "MainWindowCommands.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "formdata/ui/FormWindows.h"
#include "formdata/ui/FrmBrowse.h"
#include "import/WebFieldDownload.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// The current row of a list (1-based), 0 for none.
int currentRow(const QTableView *grid)
{
    const QModelIndex index = grid->currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

QString nominatedHorse(MainWindow *window)
{
    const int row = currentRow(window->grdNoms);
    return row > 0 ? window->nomsModel()->cellText(row, mainlists::noms::Horse).trimmed() : QString();
}

QString listedTrainer(MainWindow *window)
{
    const int row = currentRow(window->grdNames);
    return row > 0 ? window->trainerModel()->cellText(row, mainlists::names::Trainer).trimmed() : QString();
}

// Enables a pop-up item and runs `open` with the name it acts on, when there is one.
template <typename Name, typename Open> void wireItem(MainWindow *window, QAction *action, Name name, Open open)
{
    action->setEnabled(true);
    QObject::connect(action, &QAction::triggered, window, [window, name, open] {
        const QString text = name(window);
        if (!text.isEmpty())
            open(window, text);
    });
}

const QString kRacebookTitle = u"Racebook Form"_s;

// The race book of each selected meeting, in list order.
void openMeetingForms(MainWindow *window)
{
    QModelIndexList rows = window->grdMeeting->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    const ListModel *meetings = window->meetingModel();
    for (const QModelIndex &index : std::as_const(rows)) {
        const int row = index.row() + 1;
        FrmBrowse::showPage(window, kRacebookTitle,
                            QUrl(WebFieldDownloader::racebookFormUrl(
                                meetings->cellText(row, 4), meetings->cellText(row, 5), meetings->cellText(row, 3))));
    }
}

// The recent form of the current nomination's race.
void openRaceForm(MainWindow *window)
{
    const int row = currentRow(window->grdNoms);
    if (row < 1)
        return;
    using namespace mainlists::noms;
    const ListModel *noms = window->nomsModel();
    FrmBrowse::showPage(
        window, kRacebookTitle,
        QUrl(WebFieldDownloader::raceFormUrl(noms->cellText(row, Date), noms->cellText(row, State),
                                             noms->cellText(row, Name), noms->cellText(row, Race).trimmed().toInt())));
}

void wireAction(MainWindow *window, QAction *action, void (*open)(MainWindow *))
{
    action->setEnabled(true);
    QObject::connect(action, &QAction::triggered, window, [window, open] { open(window); });
}

} // namespace

void wireFormWindows(MainWindow *window, const MainWindowCommands &commands)
{
    window->CmdFindHorse->setEnabled(true);
    QObject::connect(window->CmdFindHorse, &QPushButton::clicked, window, [window] { openHorseSearch(window); });
    QObject::connect(window, &MainWindow::horseFormRequested, window,
                     [window](const QString &horse) { openHorseJockeyForm(window, horse); });
    QObject::connect(window, &MainWindow::trainerFormRequested, window,
                     [window](const QString &trainer) { openTrainerJockeyForm(window, trainer); });

    wireItem(window, commands.MnuHorseForm, nominatedHorse, [](QWidget *w, const QString &h) { openHorseForm(w, h); });
    wireItem(window, commands.mnuVicRatings, nominatedHorse, showRating);
    wireItem(window, commands.mnuRego, nominatedHorse, showRegistration);
    wireItem(window, commands.mnuTrainerStats, listedTrainer,
             [](QWidget *w, const QString &t) { openTrainerForm(w, t); });
    wireItem(window, commands.MnuTrainJockForm, listedTrainer,
             [](QWidget *w, const QString &t) { openTrainerJockeyForm(w, t); });
    wireItem(
        window, commands.mnuPrvRides, [](MainWindow *w) { return w->selectedJockey(); }, openJockeyForm);
    wireAction(window, commands.mnuMeetingForm, openMeetingForms);
    wireAction(window, commands.mnuNomsRBForm, openRaceForm);
}
