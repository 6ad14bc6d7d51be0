// A booking's history and the session's undo over a real SQLite database, and the history as
// the command line prints it.
#include "MainWindowSeed.h"
#include "bookings/BookingHistory.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingUndo.h"
#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using bookinghistory::Source;

namespace {

const QString kMeeting = u"0312FLEM"_s;
const QString kHorse = u"O'Reilly's Star"_s;

// A gesture of a window: reads the row, changes what `change` changes, writes it.
template <typename Change> void gesture(BookingUndo &undo, Source source, Change change)
{
    const BookingUndo::Gesture step(undo, source);
    Db db = OpenDb();
    const std::optional<Booking> before = findBooking(db, kMeeting, kHorse);
    std::optional<Booking> after = before ? before : Booking{0, kMeeting, u"1200 MDN"_s, kHorse, u"D O'Hayes"_s};
    change(after);
    writeBooking(db, before, after);
}

QString row()
{
    return queryRows(u"SELECT RaceCode, Jockey, BookingSelection, Confirmed FROM Bookings"_s).join(u'/');
}

QStringList history()
{
    return queryRows(u"SELECT JockeyBefore, JockeyAfter, StateBefore, StateAfter, ConfirmedBefore, ConfirmedAfter, "
                     "Source FROM BookingLog ORDER BY LogID"_s);
}

} // namespace

class TestBookingHistory : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->createDatabase();
        cAppSettings::instance().SaveSettings(); // the command line finds the database through them
    }
    void cleanup()
    {
        Clock::setInstance(nullptr);
        m_env.reset();
    }

    // A day's entries, then the filters of the window and the command line over them.
    void filters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        const QString made = u"2026-12-01 09:00:00\t0312FLEM\t1200 MDN\tO'Reilly's Star\tD O'Hayes\t\tE Lang\t\t"
                             "Planned\t\t0\tmain window"_s;
        const QString replaced = u"2026-12-01 09:05:00\t0312FLEM\t1200 MDN\tO'Reilly's Star\tD O'Hayes\tE Lang\t"
                                 "K McEvoy\tPlanned\tPlanned\t0\t0\trace window"_s;
        const QString other = u"2026-12-02 10:00:00\t0412RAND\t1400 BM64\tWinter Mist\tL Freedman\t\tK McEvoy\t\t"
                              "Confirmed\t\t1\tcommand line"_s;
        const QString removed = u"2026-12-03 11:00:00\t0312FLEM\t1200 MDN\tO'Reilly's Star\tD O'Hayes\tK McEvoy\t\t"
                                "Planned\t\t0\t\tfield reload"_s;
        QTest::newRow("all, oldest first") << QStringList{} << QStringList{made, replaced, other, removed};
        QTest::newRow("horse, any case") << QStringList{u"--horse"_s, u"O'REILLY'S STAR"_s}
                                         << QStringList{made, replaced, removed};
        QTest::newRow("jockey before or after")
            << QStringList{u"--jockey"_s, u"e lang"_s} << QStringList{made, replaced};
        QTest::newRow("meeting and since")
            << QStringList{u"--meeting"_s, u"0312flem"_s, u"--since"_s, u"2026-12-02"_s} << QStringList{removed};
    }
    void filters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        FixedClock clock(QDateTime(QDate(2026, 12, 1), QTime(9, 0)));
        Clock::setInstance(&clock);
        const Booking lang{0, kMeeting, u"1200 MDN"_s, kHorse, u"D O'Hayes"_s, u"E Lang"_s, u"Planned"_s, false};
        Booking mcEvoy = lang;
        mcEvoy.jockey = u"K McEvoy"_s;
        const Booking mist{
            0, u"0412RAND"_s, u"1400 BM64"_s, u"Winter Mist"_s, u"L Freedman"_s, u"K McEvoy"_s, u"Confirmed"_s, true};
        // Appended out of time order on purpose: the history reads by time.
        {
            Db db = OpenDb();
            bookinghistory::append(db, std::nullopt, lang, Source::MainWindow);
            clock.set(QDateTime(QDate(2026, 12, 3), QTime(11, 0)));
            bookinghistory::append(db, mcEvoy, std::nullopt, Source::FieldReload);
            clock.set(QDateTime(QDate(2026, 12, 1), QTime(9, 5)));
            bookinghistory::append(db, lang, mcEvoy, Source::RaceWindow);
            bookinghistory::append(db, lang, lang, Source::RaceWindow); // nothing changed: no entry
            clock.set(QDateTime(QDate(2026, 12, 2), QTime(10, 0)));
            const bookinghistory::SourceScope commandLine(Source::CommandLine);
            bookinghistory::append(db, std::nullopt, mist);
        }
        const TestEnvironment::CliRun run = m_env->runCli(QStringList{u"booking-history"_s} + arguments);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.outLines(), expected);
    }

    // A booking's life from the command line, in the history in order.
    void lifeFromTheCommandLine()
    {
        seed::seedLists(m_env->databaseFile());
        auto cli = [this](const QStringList &arguments) { return m_env->runCli(arguments).outLines(); };
        cli({u"--answer"_s, u"yes"_s, u"book"_s, u"MEL0106"_s, u"3"_s, u"Golf"_s, u"Jane Doe"_s});
        cli({u"confirm"_s, u"MEL0106"_s, u"Golf"_s});
        cli({u"--answer"_s, u"yes"_s, u"unbook"_s, u"MEL0106"_s, u"Golf"_s});
        QStringList lines;
        for (const QString &line : cli({u"booking-history"_s, u"--horse"_s, u"golf"_s}))
            lines << line.section(u'\t', 5); // from the jockey before on; the time is the clock's
        QCOMPARE(lines, (QStringList{u"\tJane Doe\t\tPlanned\t\t0\tcommand line"_s,
                                     u"Jane Doe\tJane Doe\tPlanned\tConfirmed\t0\t1\tcommand line"_s,
                                     u"Jane Doe\t\tConfirmed\t\t1\t\tcommand line"_s}));
    }

    void historyIsKeptTwoYears()
    {
        Db(m_env->databaseFile())
            .exec(u"INSERT INTO BookingLog (LoggedAt, MeetingCode, Horse, Source) VALUES "
                  "('2024-12-06 23:59:59', 'A', 'OLD', 'undo'), ('2024-12-07 00:00:00', 'A', 'KEPT', 'undo')"_s);
        QCOMPARE(bookinghistory::removeBefore(QDate(2026, 12, 7).addYears(-bookinghistory::kKeptYears)), 1);
        QCOMPARE(queryRows(u"SELECT Horse FROM BookingLog"_s), QStringList{u"KEPT"_s});
    }

    // Book, change the jockey, confirm; undo all three and redo them, each step recorded.
    void undoAndRedoRestoreTheExactRow()
    {
        ScriptedDialogs dialogs;
        BookingUndo undo(findBooking, writeBooking);
        gesture(undo, Source::MainWindow, [](auto &b) { b->jockey = u"E Lang"_s, b->state = u"Planned"_s; });
        gesture(undo, Source::RaceWindow, [](auto &b) { b->jockey = u"K McEvoy"_s; });
        gesture(undo, Source::MainWindow, [](auto &b) { b->state = u"Confirmed"_s, b->confirmed = true; });
        QCOMPARE(row(), u"1200 MDN|K McEvoy|Confirmed|1"_s);
        QCOMPARE(undo.undoText(), u"Undo "_s + kHorse);

        const QStringList rows{u"1200 MDN|K McEvoy|Planned|0"_s, u"1200 MDN|E Lang|Planned|0"_s, QString()};
        for (const QString &expected : rows) {
            QVERIFY(undo.undo());
            QCOMPARE(row(), expected);
        }
        QVERIFY(!undo.undo());
        QVERIFY(undo.redo());
        QVERIFY(undo.redo());
        QCOMPARE(row(), u"1200 MDN|K McEvoy|Planned|0"_s);
        // A new gesture drops what was left to redo.
        gesture(undo, Source::MainWindow, [](auto &b) { b->state = u"Trainer To Confirm"_s; });
        QVERIFY(!undo.canRedo());
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(history(), (QStringList{u"|E Lang||Planned||0|main window"_s,
                                         u"E Lang|K McEvoy|Planned|Planned|0|0|race window"_s,
                                         u"K McEvoy|K McEvoy|Planned|Confirmed|0|1|main window"_s,
                                         u"K McEvoy|K McEvoy|Confirmed|Planned|1|0|undo"_s,
                                         u"K McEvoy|E Lang|Planned|Planned|0|0|undo"_s, u"E Lang||Planned||0||undo"_s,
                                         u"|E Lang||Planned||0|undo"_s, u"E Lang|K McEvoy|Planned|Planned|0|0|undo"_s,
                                         u"K McEvoy|K McEvoy|Planned|Trainer To Confirm|0|0|main window"_s}));
    }

    // A row changed since the gesture (a reload, the command line) is overwritten only on Yes;
    // the race a reload moved it to stays.
    void undoOverAChangedRowAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no keeps the change") << false << u"1400 MDN|R King|Planned|0"_s;
        QTest::newRow("yes puts the jockey back") << true << u"1400 MDN|E Lang|Planned|0"_s;
    }
    void undoOverAChangedRowAsksFirst()
    {
        QFETCH(bool, yes);
        QFETCH(QString, expected);
        ScriptedDialogs dialogs;
        BookingUndo undo(findBooking, writeBooking);
        gesture(undo, Source::MainWindow, [](auto &b) { b->jockey = u"E Lang"_s, b->state = u"Planned"_s; });
        gesture(undo, Source::MainWindow, [](auto &b) { b->jockey = u"K McEvoy"_s; });
        {
            const bookinghistory::SourceScope reload(Source::FieldReload);
            Db db = OpenDb();
            std::optional<Booking> before = findBooking(db, kMeeting, kHorse), after = before;
            after->raceCode = u"1400 MDN"_s;
            after->jockey = u"R King"_s;
            writeBooking(db, before, after);
        }
        if (yes)
            dialogs.answerYes();
        QCOMPARE(undo.undo(), yes);
        QCOMPARE(dialogs.shown(),
                 QStringList{u"Undo|The booking has been changed since: O'Reilly's Star is now R King, "
                             "Planned.\rUndo anyway?"_s});
        QCOMPARE(row(), expected);
        QCOMPARE(undo.canRedo(), yes);
        QCOMPARE(history().last().endsWith(u"|undo"_s), yes);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestBookingHistory)
#include "tst_bookinghistory.moc"
