// A day's loads and booking gestures one after another on a real database, the review read
// after the last step: re-bookings, titled jockeys, standing contradictions, a horse in two races.
#include "bookings/BookingOperations.h"
#include "bookings/FieldChangeLog.h"
#include "bookings/RaceRunners.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "import/FieldFileLoader.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kMeeting = u"1503RAND"_s;

// A field file of the meeting: "race:horse:rider:kilograms" runners (races in order).
void loadField(const QString &path, const QStringList &runners)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QStringList lines{u"0000000RAND<NSW<ACCEPTANCES<SATURDAY 15/03/25<DAY<1<Australian Turf Club<Metro<RANDWICK"_s};
    QString lastRace;
    int horse = 0;
    for (const QString &runner : runners) {
        const QStringList v = runner.split(u':');
        const QString race = v.at(0).rightJustified(2, u'0');
        if (race != lastRace)
            lines << race +
                         u"00100RACE %1<%1<%1.00<P.M.<1200 METRES<C<BM72<3U<<HCP<1<$1<<<<<<R%1<1200<<"_s.arg(v.at(0));
        lastRace = race;
        const QString entry = race + QString::number(++horse).rightJustified(2, u'0');
        const QString weight = v.at(3).endsWith(u".5"_s) ? v.at(3).left(2) + u'|' : v.at(3);
        lines << entry + u"4001<10<%1<%2<<BAY<G<5<<<<<01/09/2020<%3<x12<%4<<<C3<70"_s.arg(horse).arg(weight, v.at(1),
                                                                                                     v.at(2))
              << entry + u"500SIRE<DAM<DAMSIRE"_s << entry + u"600OWNER"_s << entry + u"700C Waller<Randwick<0400"_s;
    }
    file.write(lines.join(u"\r\n"_s).toLatin1());
    file.close();
    QVERIFY(FieldFileLoader::loadFile(path).loaded);
}

} // namespace

class TestReviewSequence : public QObject
{
    Q_OBJECT

private slots:
    // Steps: "WGT|ACP runner;runner…" loads a field, "book|HORSE|race|JOCKEY", "state|HORSE|race|TEXT",
    // "confirm|HORSE|race", "list|HORSE|race", "remove|HORSE|kind" (through the horse's first change of that kind).
    void sequence_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("bookings");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("a change removed after its horse was booked again")
            << QStringList{u"WGT 1:STAR:T Berry:56;1:MIST::54"_s,
                           u"book|STAR|1|E Lang"_s,
                           u"ACP 1:STAR:J Smith:56;1:MIST:Ms Rachel King:54"_s,
                           u"book|STAR|1|K McEvoy"_s,
                           u"book|MIST|1|R King"_s,
                           u"remove|STAR|rider changed"_s,
                           u"remove|MIST|managed jockey named"_s}
            << QStringList{u"1|STAR|rider changed|T Berry|J Smith|E Lang"_s,
                           u"1|MIST|managed jockey named||Ms Rachel King|R King"_s}
            << QStringList{u"MIST|1200 R1|R King|Planned|0"_s, u"STAR|1200 R1|K McEvoy|Planned|0"_s}
            << QStringList{u"Confirm Removal|Change 1 was recorded against E Lang's booking; STAR is booked now for "
                           "K McEvoy (Planned) in race 1, so nothing was removed."_s,
                           u"Confirm Removal|Change 2 was recorded when the horse was not booked; MIST is booked now "
                           "for R King (Planned) in race 1, so nothing was removed."_s};
        QTest::newRow("an old change and the same jockey's booking made again since")
            << QStringList{u"WGT 1:STAR::56"_s,        u"book|STAR|1|E Lang"_s,
                           u"ACP 1:STAR:B Jones:56"_s, u"state|STAR|1|Remove Booking"_s,
                           u"book|STAR|1|E Lang"_s,    u"remove|STAR|rider changed"_s}
            << QStringList{u"1|STAR|rider changed||B Jones|E Lang"_s} << QStringList{u"STAR|1200 R1|E Lang|Planned|0"_s}
            << QStringList{u"Confirm Removal|Remove Text : Planned\r  from Horse STAR"_s,
                           u"Confirm Removal|Change 1 was recorded against E Lang's booking, which was removed and "
                           "made again since; STAR is booked now for E Lang (Planned) in race 1, so nothing was "
                           "removed."_s};
        QTest::newRow("the booking's own change removes it; a titled jockey too heavy, said once")
            << QStringList{u"WGT 1:STAR::56;2:GRACE::53.5"_s,
                           u"book|STAR|1|E Lang"_s,
                           u"book|GRACE|2|A Jolly"_s,
                           u"ACP 1:STAR:B Jones:56;2:GRACE:Alana Jolly (a2):53.5"_s,
                           u"ACP 1:STAR:B Jones:56;2:GRACE:Alana Jolly (a2):53.5"_s,
                           u"remove|STAR|rider changed"_s}
            << QStringList{u"1|STAR|rider changed||B Jones|E Lang"_s,
                           u"2|GRACE|rider too heavy|54.5 kg|53.5 kg|A Jolly"_s}
            << QStringList{u"GRACE|1200 R2|A Jolly|Planned|0"_s} << QStringList{};
        QTest::newRow("a booking made over a field naming another rider")
            << QStringList{u"ACP 1:STAR:B Jones:56"_s, u"book|STAR|1|E Lang"_s,   u"ACP 1:STAR:B Jones:56"_s,
                           u"ACP 1:STAR:B Jones:56"_s, u"book|STAR|1|K McEvoy"_s, u"ACP 1:STAR:B Jones:56"_s}
            << QStringList{u"1|STAR|rider changed||B Jones|E Lang"_s, u"1|STAR|rider changed||B Jones|K McEvoy"_s}
            << QStringList{u"STAR|1200 R1|K McEvoy|Planned|0"_s} << QStringList{};
        const QString other = u"Booked in Another Race|STAR is booked in race 5 of this meeting; this entry changes "
                              "nothing. Change the booking in race 5."_s;
        QTest::newRow("a booked horse added to a second race, then leaving its own")
            << QStringList{u"WGT 5:STAR::56"_s,
                           u"book|STAR|5|E Lang"_s,
                           u"confirm|STAR|5"_s,
                           u"WGT 5:STAR::56;6:STAR::57"_s,
                           u"WGT 5:STAR::56;6:STAR::57"_s,
                           u"state|STAR|6|Trainer To Confirm"_s,
                           u"confirm|STAR|6"_s,
                           u"book|STAR|6|K McEvoy"_s,
                           u"list|STAR|5"_s,
                           u"list|STAR|6"_s,
                           u"WGT 6:STAR::57"_s,
                           u"WGT 6:STAR::57"_s}
            << QStringList{u"6|STAR|race moved|race 5, 17:00|race 6, 18:00|E Lang"_s,
                           u"6|STAR|weight|56.0 kg|57.0 kg|E Lang"_s}
            << QStringList{u"STAR|1200 R6|E Lang|Confirmed|1"_s}
            << QStringList{other, other, other, u"list|Confirmed"_s, u"list|Booked in race 5"_s};
    }
    void sequence()
    {
        QFETCH(QStringList, steps);
        TestEnvironment env;
        env.createDatabase();
        ScriptedDialogs dialogs;
        // No data server: the track look-up fails at once and the files load all the same.
        cAppSettings::instance().DataServer = u"127.0.0.1:1"_s;
        OpenDb().exec(u"INSERT INTO Jockey (Jockey, FullName, Ridewgt) VALUES ('E Lang', 'Emily Lang', 54), "
                      "('K McEvoy', 'Kerrin McEvoy', 55), ('R King', 'Rachel King', 52), "
                      "('A Jolly', 'Ms Alana Jolly', 54.5)"_s);
        for (const QString &step : std::as_const(steps)) {
            const QStringList v = step.split(u'|');
            // The nomination's race code and trainer, as the lists pass them to the gestures.
            const QStringList entry = queryRows(u"SELECT RaceCode, TrainerName FROM Noms WHERE Horse = ? AND "
                                                "RaceNumber = ?"_s,
                                                {v.value(1), v.value(2).toInt()})
                                          .value(0)
                                          .split(u'|');
            const Nomination nomination{kMeeting, entry.value(0), v.value(1), entry.value(1)};
            if (step.startsWith(u"WGT "_s) || step.startsWith(u"ACP "_s)) {
                const QString path = env.root() + (step.startsWith(u"WGT"_s) ? u"/1503RAND.DGW"_s : u"/1503RAND.DGA"_s);
                loadField(path, step.mid(4).split(u';'));
            } else if (v.at(0) == u"book"_s) {
                // Yes to every question of the gesture: replacing a jockey, over the field's rider.
                dialogs.answerYes(3);
                BookJockey(nomination, v.at(3));
                dialogs.forgetAnswers();
            } else if (v.at(0) == u"state"_s) {
                dialogs.answerYes(1); // to removing the booking
                SetBookingState(nomination, v.at(3));
                dialogs.forgetAnswers();
            } else if (v.at(0) == u"list"_s) {
                // What the race window shows in the horse's booking cell, among the messages.
                for (const racewindow::RunnerLine &line : racewindow::loadRunners(kMeeting, v.at(2).toInt(), {}, {}))
                    dialogs.message(u"list"_s, line.row.cell(racewindow::col::Booking).text,
                                    UserDialogs::Icon::Information);
            } else if (v.at(0) == u"confirm"_s) {
                ConfirmBooking(nomination);
            } else {
                const QVariant id = OpenDb().scalar(
                    u"SELECT MIN(ChangeID) FROM FieldChange WHERE Horse = ? AND ChangeKind = ?"_s, {v.at(1), v.at(2)});
                for (const QString &why : fieldchangelog::removeBookings({id.toLongLong()}).notRemoved)
                    dialogs.message(u"Confirm Removal"_s, why, UserDialogs::Icon::Exclamation);
            }
        }
        QTEST(queryRows(u"SELECT RaceNumber, Horse, ChangeKind, ValueBefore, ValueAfter, Jockey FROM FieldChange "
                        "ORDER BY ChangeID"_s),
              "changes");
        QTEST(queryRows(u"SELECT Horse, RaceCode, Jockey, BookingSelection, Confirmed FROM Bookings ORDER BY Horse"_s),
              "bookings");
        const QStringList messages =
            dialogs.shown().filter(QRegularExpression(u"^(Confirm Removal|Booked in Another Race|list)\\|"_s));
        QTEST(messages, "messages");
    }
};

QTEST_MAIN(TestReviewSequence)
#include "tst_reviewsequence.moc"
