// The "Changes" window offscreen over a real database: removing asks once and deletes only the
// bookings of the chosen booked horses; keeping marks the rows seen and deletes nothing.
#include "bookings/BookingUndo.h"
#include "bookings/ui/FrmChanges.h"
#include "db/Database.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

class TestChangesWindow : public QObject
{
    Q_OBJECT

private slots:
    void removeOrKeep_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QStringList>("bookings");
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QStringList>("messages");
        const QString question =
            u"Confirm Removal|Remove the bookings of these 2 horses?\r\r"
            "O'REILLY'S STAR (E Lang), 0710FLEM race 1\rCHÂTEAU ROUGE (J O'Connor), 0710FLEM race 3"_s;
        QTest::newRow("remove, answered no")
            << u"cmdRemoveBooking"_s << false << QStringList{u"CHÂTEAU ROUGE"_s, u"O'Reilly's Star"_s, u"SNOW FIELD"_s}
            << u"0000"_s << QStringList{question};
        QTest::newRow("remove, answered yes")
            << u"cmdRemoveBooking"_s << true << QStringList{u"SNOW FIELD"_s} << u"1011"_s << QStringList{question};
        QTest::newRow("keep") << u"cmdKeep"_s << false
                              << QStringList{u"CHÂTEAU ROUGE"_s, u"O'Reilly's Star"_s, u"SNOW FIELD"_s} << u"1111"_s
                              << QStringList{};
    }
    void removeOrKeep()
    {
        QFETCH(QString, button);
        QFETCH(bool, answerYes);
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        BookingUndo::session().clear();
        {
            Db db = OpenDb();
            db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingDate) VALUES "
                    "('0710FLEM', 'Flemington', '2026-10-07')"_s);
            db.exec(u"INSERT INTO Jockey (Jockey, FullName, JockeyColor) VALUES ('E Lang', 'Emily Lang', '255'), "
                    "('J O''Connor', 'Jamie O''Connor', '65280'), ('R King', 'Rachel King', '&H80000005')"_s);
            db.exec(u"INSERT INTO Bookings (MeetingCode, Horse, Jockey) VALUES ('0710FLEM', 'O''Reilly''s Star', "
                    "'E Lang'), ('0710FLEM', 'CHÂTEAU ROUGE', 'J O''Connor'), ('0710FLEM', 'SNOW FIELD', 'E Lang')"_s);
            db.exec(u"INSERT INTO FieldChange (ChangedAt, MeetingCode, RaceNumber, Horse, ChangeKind, ValueBefore, "
                    "ValueAfter, Jockey, Booked) VALUES "
                    "('2026-10-05 09:12:00', '0710FLEM', 3, 'CHÂTEAU ROUGE', 'scratched or gone', 'race 3', "
                    "'not in the field', 'J O''Connor', 1), "
                    "('2026-10-05 09:12:00', '0710FLEM', 1, 'WINTER MIST', 'managed jockey named', '', "
                    "'Ms Rachel King', 'R King', 0), "
                    "('2026-10-05 09:12:00', '0710FLEM', 1, 'O''REILLY''S STAR', 'rider changed', '', "
                    "'J Smith (a2)', 'E Lang', 1), "
                    "('2026-10-05 09:12:00', '0710FLEM', 1, 'O''REILLY''S STAR', 'barrier', '', '4', 'E Lang', 1)"_s);
        }

        FrmChanges window;
        window.setLoad({1, 2, 3, 4});
        QTreeWidget *tree = window.tvwChanges;
        // Grouped by race, booked horses first within each.
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->text(0), u"Flemington (0710FLEM), race 1"_s);
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(2), u"\u2014 \u2192 J Smith (a2)"_s);
        QCOMPARE(tree->topLevelItem(0)->child(2)->text(3), u"R King (not booked)"_s);
        QCOMPARE(tree->topLevelItem(0)->child(0)->background(3).color(), QColor(255, 0, 0));

        // The first race's three rows and the second race's one: the unbooked horse is left alone.
        tree->topLevelItem(0)->setSelected(true);
        tree->topLevelItem(1)->child(0)->setSelected(true);
        if (answerYes)
            dialogs.answerYes();
        window.findChild<QPushButton *>(button)->click();

        QTEST(dialogs.shown(), "messages");
        QTEST(queryRows(u"SELECT Horse FROM Bookings ORDER BY Horse"_s), "bookings");
        QTEST(queryRows(u"SELECT GROUP_CONCAT(Seen, '') FROM (SELECT Seen FROM FieldChange ORDER BY ChangeID)"_s)
                  .value(0),
              "seen");
        // A removal is the review's own step in the history, and one undo brings every booking back.
        const QStringList removed = queryRows(u"SELECT Horse || '|' || Source FROM BookingLog ORDER BY Horse"_s);
        const QStringList expected = {u"CHÂTEAU ROUGE|change review"_s, u"O'Reilly's Star|change review"_s};
        QCOMPARE(removed, answerYes ? expected : QStringList());
        QCOMPARE(BookingUndo::session().undo(), answerYes);
        QCOMPARE(queryRows(u"SELECT COUNT(*) FROM Bookings"_s), QStringList{u"3"_s});
    }
};

QTEST_MAIN(TestChangesWindow)
#include "tst_changeswindow.moc"
