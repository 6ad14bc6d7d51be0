// What a reload of a meeting's field changed on the agent's rides: old and new fields written as
// text, one runner a line, compared against fixed bookings and managed jockeys.
#include "bookings/FieldChanges.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace fieldchanges;

namespace {

// "race;time;horse;jockey;weight tenths;barrier;marker" per runner.
Field field(const QString &level, const QStringList &runners, const QStringList &scratched = {})
{
    Field f{level, {}, scratched};
    for (const QString &line : runners) {
        const QStringList v = line.split(u';');
        f.runners << Runner{v.at(0).toInt(), v.at(1), v.at(2), v.at(3), v.at(4).toInt(), v.at(5).toInt(), v.at(6)};
    }
    return f;
}

const QList<ManagedJockey> kManaged = {{u"E Lang"_s, u"Emily Lang"_s},
                                       {u"J O'Connor"_s, u"Jamie O'Connor"_s},
                                       {u"K McEvoy"_s, u"Kerrin McEvoy"_s},
                                       {u"R King"_s, u"Rachel King"_s}};

const QList<BookedHorse> kBookings = {{u"O'REILLY'S STAR"_s, u"E Lang"_s, u"Emily Lang"_s, 54.0},
                                      {u"Château Rouge"_s, u"J O'Connor"_s, u"Jamie O'Connor"_s, 53.5},
                                      {u"SUNLINE'S GIFT"_s, u"K McEvoy"_s, u"Kerrin McEvoy"_s, 55.0},
                                      {u"BRAVE HEART (NZ)"_s, u"E Lang"_s, u"Emily Lang"_s, 54.0}};

const Field kNominations =
    field(u"NOM"_s, {u"1;00:01:00;O'REILLY'S STAR;;0;0;"_s, u"2;00:01:00;CHÂTEAU ROUGE;;0;0;"_s,
                     u"3;00:01:00;SUNLINE'S GIFT;;0;0;"_s, u"3;00:01:00;WINTER MIST;;0;0;"_s,
                     u"3;00:01:00;NOBODY'S FOOL;;0;0;"_s, u"4;00:01:00;BRAVE HEART (NZ);;0;0;"_s});
const Field kWeights = field(u"WGT"_s, {u"1;12:30:00;O'REILLY'S STAR;;560;0;"_s, u"2;13:05:00;CHÂTEAU ROUGE;;550;0;"_s,
                                        u"3;13:40:00;SUNLINE'S GIFT;;570;0;"_s, u"3;13:40:00;WINTER MIST;;540;0;"_s,
                                        u"3;13:40:00;NOBODY'S FOOL;;545;0;"_s, u"4;;BRAVE HEART (NZ);;585;0;"_s});
const Field kAcceptances =
    field(u"ACP"_s,
          {u"1;12:30:00;O'Reilly's Star;J Smith (a2);560;4;"_s, u"3;13:40:00;SUNLINE'S GIFT;Mr Kerrin McEvoy;580;7;"_s,
           u"3;13:40:00;WINTER MIST;Miss Rachel King;540;0;"_s, u"3;13:40:00;NOBODY'S FOOL;T Berry;545;3;"_s,
           u"5;14:05:00;BRAVE HEART (NZ);Ms EMILY LANG;585;2;"_s});

QStringList texts(const QList<Change> &changes)
{
    QStringList lines;
    for (const Change &c : changes)
        lines << QStringList{QString::number(c.raceNumber),       c.horse, c.kind, c.before, c.after, c.jockey,
                             c.booked ? u"booked"_s : u"ridden"_s}
                     .join(u'|');
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(fieldchanges::Field)

class TestFieldChanges : public QObject
{
    Q_OBJECT

private slots:
    // Nominations, weights, acceptances and a late reload of one meeting: every change once.
    void stages_data()
    {
        QTest::addColumn<Field>("before");
        QTest::addColumn<Field>("after");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("first load of the meeting") << Field{} << kNominations << QStringList{};
        QTest::newRow("weights allotted") << kNominations << kWeights
                                          << QStringList{u"1|O'REILLY'S STAR|weight||56.0 kg|E Lang|booked"_s,
                                                         u"2|CHÂTEAU ROUGE|weight||55.0 kg|J O'Connor|booked"_s,
                                                         u"3|SUNLINE'S GIFT|weight||57.0 kg|K McEvoy|booked"_s,
                                                         u"4|BRAVE HEART (NZ)|weight||58.5 kg|E Lang|booked"_s};
        QTest::newRow("the same weights again") << kWeights << kWeights << QStringList{};
        QTest::newRow("acceptances")
            << kWeights << kAcceptances
            << QStringList{u"1|O'Reilly's Star|barrier||4|E Lang|booked"_s,
                           u"1|O'Reilly's Star|rider changed||J Smith (a2)|E Lang|booked"_s,
                           u"3|SUNLINE'S GIFT|barrier||7|K McEvoy|booked"_s,
                           u"3|SUNLINE'S GIFT|weight|57.0 kg|58.0 kg|K McEvoy|booked"_s,
                           u"3|WINTER MIST|managed jockey named||Miss Rachel King|R King|ridden"_s,
                           u"5|BRAVE HEART (NZ)|race moved|race 4|race 5, 14:05|E Lang|booked"_s,
                           u"5|BRAVE HEART (NZ)|barrier||2|E Lang|booked"_s,
                           u"2|CHÂTEAU ROUGE|scratched or gone|race 2, 13:05|not in the field|J O'Connor|booked"_s};
        // The swapped rider stays swapped (said once); the ridden horse's barrier now counts.
        QTest::newRow("acceptances reloaded late")
            << kAcceptances
            << field(u"ACP"_s,
                     {u"1;12:30:00;O'REILLY'S STAR;J SMITH;560;4;E"_s,
                      u"3;13:40:00;SUNLINE'S GIFT;Kerrin McEvoy;545;7;"_s,
                      u"3;13:40:00;WINTER MIST;Rachel King;540;9;"_s, u"3;13:40:00;NOBODY'S FOOL;T Berry;545;3;"_s},
                     {u"Brave Heart (NZ)"_s})
            << QStringList{u"1|O'REILLY'S STAR|emergency or ballot||emergency|E Lang|booked"_s,
                           u"3|SUNLINE'S GIFT|weight|58.0 kg|54.5 kg|K McEvoy|booked"_s,
                           u"3|SUNLINE'S GIFT|rider too heavy|55.0 kg|54.5 kg|K McEvoy|booked"_s,
                           u"3|WINTER MIST|barrier||9|R King|ridden"_s,
                           u"5|BRAVE HEART (NZ)|scratched or gone|race 5, 14:05|scratched|E Lang|booked"_s};
    }
    void stages()
    {
        QFETCH(Field, before);
        QFETCH(Field, after);
        QFETCH(QStringList, expected);
        QCOMPARE(texts(detect(before, after, kBookings, kManaged)), expected);
    }

    // The booked jockey against the field's rider and weight: titles, claims and case aside.
    void riderRules_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("rider");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("acceptances name nobody") << u"ACP"_s << QString() << 0 << QStringList{kRiderChanged};
        QTest::newRow("weights name another rider") << u"WGT"_s << u"B Rawiller"_s << 0 << QStringList{kRiderChanged};
        QTest::newRow("nominations name nobody") << u"NOM"_s << QString() << 0 << QStringList{};
        QTest::newRow("booked rider with a claim") << u"ACP"_s << u" Emily Lang (a3)"_s << 0 << QStringList{};
        QTest::newRow("booked rider in capitals with a title")
            << u"ACP"_s << u"MS. EMILY  LANG"_s << 0 << QStringList{};
        QTest::newRow("another rider, weight ignored")
            << u"ACP"_s << u"T Nugent (a2)"_s << 500 << QStringList{kWeight, kRiderChanged};
        QTest::newRow("below the riding weight")
            << u"ACP"_s << u"Emily Lang"_s << 540 << QStringList{kWeight, kRiderTooHeavy};
        QTest::newRow("at the riding weight") << u"ACP"_s << u"Emily Lang"_s << 545 << QStringList{kWeight};
    }
    void riderRules()
    {
        QFETCH(QString, level);
        QFETCH(QString, rider);
        QFETCH(int, weight);
        const QList<BookedHorse> booking{{u"MISS GRÂCE"_s, u"E Lang"_s, u"Emily Lang"_s, 54.5}};
        const Field before = field(u"WGT"_s, {u"1;;Miss Grâce;;0;0;"_s});
        const Field after = field(level, {u"1;;MISS GRÂCE;%1;%2;0;"_s.arg(rider).arg(weight)});
        QStringList kinds;
        for (const Change &change : detect(before, after, booking, kManaged))
            kinds << change.kind;
        QTEST(kinds, "kinds");
    }
};

QTEST_GUILESS_MAIN(TestFieldChanges)
#include "tst_fieldchanges.moc"
