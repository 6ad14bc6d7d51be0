// Draws the main window over a small demo database (meetings, trainers, bookings, a chosen trainer
// and race) and saves it as a PNG: docs/mainwindow.png comes from here.
//   mainwindow_picture [FILE.png]   (default: mainwindow.png in the current folder)
#include "mainwindow/MainWindowSeed.h"

#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/cAppSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTableView>
#include <QTest>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// More trainers, so the trainers list looks like a working day.
void addDemoTrainers(const QString &databaseFile)
{
    Db db(databaseFile);
    Transaction transaction(db);
    const QStringList trainers{u"C Waller"_s, u"C Maher"_s, u"G Waterhouse"_s, u"M Price"_s, u"T Busuttin"_s,
                               u"P Moody"_s,  u"D Weir"_s,  u"A Freedman"_s,   u"J Cummings"_s};
    const QStringList meetings{u"MEL0106"_s, u"CAU0107"_s, u"SAN0108"_s};
    int horse = 0;
    for (int t = 0; t < trainers.size(); ++t) {
        for (int n = 0; n <= t % 4; ++n) {
            ++horse;
            seed::addNom(db, meetings.at((t + n) % 3), 1 + (t + 2 * n) % 8, u"Demo Runner %1"_s.arg(horse),
                         trainers.at(t), 540 + (horse * 7) % 40);
        }
    }
    db.exec(u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, TrainerName) "
            "VALUES ('Bob Roe', '2023-09-01', 3, 'FLEM', 'Demo Runner 3', 1, 'C Maher'), "
            "('Bob Roe', '2023-09-08', 6, 'CAUL', 'Demo Runner 9', 4, 'P Moody')"_s);
    db.exec(u"INSERT INTO Trainer (TrainerName, TrainerComments) VALUES ('G Waterhouse', 'Prefers email')"_s);
    transaction.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString target = QDir::current().absoluteFilePath(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                                                     : u"mainwindow.png"_s);
    TestEnvironment env;
    env.createDatabase();
    seed::seedLists(env.databaseFile());
    addDemoTrainers(env.databaseFile());
    // The window reloads the settings: DBPath must be in the store.
    cAppSettings::instance().SaveSettings();
    ScriptedDialogs dialogs;
    startup::setRideRefresher([] {});

    QPointer<MainWindow> window = MainWindow::instance();
    if (!window->load())
        return 1;
    window->setGeometry(0, 0, 1280, 760);
    if (!QTest::qWaitForWindowExposed(window))
        return 1;
    window->grdMeeting->selectRow(1);
    const ListModel *trainers = window->trainerModel();
    for (int row = 1; row <= trainers->rowCount(); ++row) {
        if (trainers->cellText(row, mainlists::names::Trainer) == "J Smith"_L1) {
            window->grdNames->selectRow(row - 1);
            window->chooseTrainer(row);
        }
    }
    window->grdNoms->selectRow(2);
    window->showRaceOf(3);
    QTest::qWait(50);

    const QImage image = window->grab().toImage();
    delete window;
    startup::setRideRefresher({});
    for (const ScriptedDialogs::Message &message : dialogs.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    if (image.isNull() || !image.save(target)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        return 1;
    }
    std::printf("main window picture written to %s\n", qPrintable(target));
    return dialogs.messages.isEmpty() ? 0 : 1;
}
