#include "MainWindowSeed.h"

#include "app/Startup.h"
#include "core/cAppSettings.h"
#include "app/ui/MainWindow.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QPointer>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Opens the main window over demo data, chooses a trainer and a nomination and grabs the window.
// With OSTREVAN_SCREENSHOT set the picture is written there (docs/mainwindow.png comes from it).
class TestMainWindowPicture : public QObject
{
    Q_OBJECT

private slots:
    void picture()
    {
        TestEnvironment env;
        env.createDatabase();
        seed::seedLists(env.databaseFile());
        addDemoTrainers(env.databaseFile());
        // The window reloads the settings: DBPath must be in the store.
        cAppSettings::instance().SaveSettings();
        ScriptedDialogs dialogs;
        startup::setRideRefresher([] {});

        QPointer<MainWindow> window = MainWindow::instance();
        QVERIFY(window->load());
        window->setGeometry(0, 0, 1280, 760);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->grdMeeting->selectRow(1);
        const ListModel *trainers = window->trainerModel();
        for (int row = 1; row <= trainers->rowCount(); ++row) {
            if (trainers->cellText(row, mainlists::names::Trainer) == "J Smith"_L1) {
                window->grdNames->selectRow(row - 1);
                QVERIFY(window->chooseTrainer(row));
            }
        }
        window->grdNoms->selectRow(2);
        window->showRaceOf(3);
        QTest::qWait(50);

        const QImage image = window->grab().toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), window->width());
        const QString target = qEnvironmentVariable("OSTREVAN_SCREENSHOT");
        const QString path = target.isEmpty() ? env.root() + "/mainwindow.png"_L1 : QDir::current().absoluteFilePath(target);
        QVERIFY(image.save(path));
        if (!target.isEmpty())
            qInfo("main window picture written to %s", qPrintable(path));
        QVERIFY(dialogs.messages.isEmpty());
        delete window;
        startup::setRideRefresher({});
    }

private:
    // More trainers, so the trainers list looks like a working day.
    static void addDemoTrainers(const QString &databaseFile)
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
};

QTEST_MAIN(TestMainWindowPicture)
#include "tst_mainwindow_picture.moc"
