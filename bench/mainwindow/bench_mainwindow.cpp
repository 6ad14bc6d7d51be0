// Times the main window's lists over a season of data written directly with SQL: 100,000
// nominations of 2,000 trainers in 400 meetings, 20 managed jockeys, 5,000 bookings and 50,000
// ride statistics. Runs offscreen; exit status 2 when a median misses its target.
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include "SeasonData.h"
#include "app/ui/MainWindow.h"
#include "bookings/BookingPickLists.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/cAppSettings.h"
#include "db/Database.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace season;
constexpr int kRuns = 9;

struct Figure {
    const char *name;
    qint64 median = 0;
    qint64 min = 0;
    qint64 max = 0;
    qint64 target = 0;
};

Figure time(const char *name, qint64 targetMs, const std::function<void(int)> &step)
{
    QList<qint64> samples;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step(run);
        QApplication::processEvents(); // the views lay out and paint what changed
        samples << timer.nsecsElapsed() / 1000;
    }
    std::sort(samples.begin(), samples.end());
    return {name, samples.at(kRuns / 2), samples.first(), samples.last(), targetMs * 1000};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestEnvironment env;
    env.createDatabase();
    cAppSettings::instance().SaveSettings();
    ScriptedDialogs dialogs;

    QElapsedTimer seeding;
    seeding.start();
    seedSeason(env.databaseFile());
    std::printf("season written in %lld ms\n", seeding.elapsed());

    MainWindow *window = MainWindow::instance();
    window->resize(1280, 800);
    window->show();
    QApplication::processEvents();

    QList<Figure> figures;
    figures << time("fill the four lists (meetings, jockeys + pick lists, trainers)", 300, [window](int) {
        window->reloadMeetings();
        window->reloadJockeys();
        window->cmbBookText->clear();
        window->cmbBookText->addItems(LoadBookingStates());
        window->reloadTrainers();
    });
    std::printf("trainers listed: %d, meetings: %d\n", window->trainerModel()->rowCount(),
                window->meetingModel()->rowCount());

    // The busiest trainers, so each choice changes the nominations list.
    QList<int> rows;
    for (int row = 1; row <= window->trainerModel()->rowCount(); ++row) {
        if (window->trainerModel()->cellText(row, mainlists::names::IgnTrainer) != "True"_L1)
            rows << row;
        if (rows.size() == kRuns)
            break;
    }
    figures << time("choose a trainer (nominations with bookings)", 50, [window, &rows](int run) {
        drive::clickCell(window->grdNames, rows.at(run), mainlists::names::Trainer);
    });
    std::printf("nominations of the last trainer: %d\n", window->nomsModel()->rowCount());

    const int columns[] = {mainlists::names::Runners, mainlists::names::Trainer, mainlists::names::Races,
                           mainlists::names::Icon1};
    figures << time("sort the trainers list", 100,
                    [window, &columns](int run) { drive::clickHeader(window->grdNames, columns[run % 4]); });

    figures << time("\"&Refresh\" with 20 chosen meetings and 45.0 kg", 300, [window](int run) {
        window->grdMeeting->clearSelection();
        for (int i = 0; i < 20; ++i)
            window->grdMeeting->selectionModel()->select(
                window->meetingModel()->index((run * 20 + i * 7) % kMeetings, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window->txtWeight->setText(u"45.0"_s);
        window->cmdReload->click();
    });
    std::printf("trainers after refresh: %d\n", window->trainerModel()->rowCount());

    bool missed = false;
    for (const Figure &figure : figures) {
        const bool over = figure.target > 0 && figure.median > figure.target;
        missed = missed || over;
        std::printf("%-64s median %8.1f ms (min %.1f, max %.1f; target %lld ms)%s\n", figure.name,
                    figure.median / 1000.0, figure.min / 1000.0, figure.max / 1000.0, figure.target / 1000,
                    over ? "  MISSED" : "");
    }
    delete window;
    return missed ? 2 : 0;
}
