#include "FormStatistics.h"

#include "FormText.h"
#include "RemoteQuery.h"
#include "core/TextRules.h"
#include "db/Database.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

StatsHandOver &StatsHandOver::instance()
{
    static StatsHandOver values;
    return values;
}

namespace formstats {

Mode modeFromText(const QString &text)
{
    if (text == "horse"_L1)
        return Mode::Horse;
    if (text == "jockey"_L1)
        return Mode::Jockey;
    if (text == "trainer"_L1)
        return Mode::Trainer;
    if (text == "horse/jockey"_L1)
        return Mode::HorseJockey;
    if (text == "trainer/jockey"_L1)
        return Mode::TrainerJockey;
    return Mode::Other;
}

const QList<ColumnSpec> &columns()
{
    constexpr auto L = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto C = Qt::AlignHCenter | Qt::AlignVCenter;
    constexpr auto R = Qt::AlignRight | Qt::AlignVCenter;
    static const QList<ColumnSpec> specs{
        {u"FP"_s, QString(), 0, C, true, true},
        {u"Race date"_s, u"Date"_s, 60, C},
        {u"Horse"_s, u"Horse"_s, 130, L},
        {u"Finish position"_s, u"FP"_s, 41, R},
        {u"Weight carried"_s, u"Wgt"_s, 35, C, false, true, true},
        {u"Allowance claimed"_s, u"Alw"_s, 35, C, false, true},
        {u"Margin"_s, u"Margin"_s, 43, C},
        {u"Track"_s, u"Track"_s, 55, L},
        {u"Distance"_s, u"Dist"_s, 40, C, false, true},
        {u"Class"_s, u"Cls"_s, 65, L},
        {u"Jockey"_s, u"Jockey"_s, 100, L},
        {u"Trainer"_s, u"Trainer"_s, 115, L},
        {u"Barrier"_s, u"Br"_s, 19, C, false, true},
        {u"Track condition"_s, u"TC"_s, 25, L},
        {u"Race time"_s, u"Time"_s, 50, C},
        {u"800 400"_s, u"8 4"_s, 59, C},
        {u"SP"_s, u"SP"_s, 45, L},
        {u"Winner"_s, u"Winner"_s, 135, L},
        {u"2nd"_s, u"2nd"_s, 135, L},
        {u"3rd"_s, u"3rd"_s, 135, L},
        {u"Race No"_s, u"Rc"_s, 15, C, true, true},
        {u"Starters"_s, u"St"_s, 17, C, true, true},
        {u"Prize won"_s, u"Prz Won"_s, 42, C, false, true, true},
        {u"Prizemoney"_s, u"Prz Money"_s, 50, C, false, true},
        {u"Limit weight"_s, u"Lmt"_s, 35, C, false, true, true},
        {u"rSecTime"_s, u"600"_s, 35, C},
        {u"Filesource"_s, u"Filesource"_s, 0, L, true},
        {u"Race Name"_s, u"Race Name"_s, 75, L},
        {u"Spell"_s, u"Spell"_s, 0, L, true},
    };
    return specs;
}

namespace {

QString quotedName(QString name, bool upper)
{
    if (upper)
        name = name.toUpper();
    return SqlQuoteForUrl(name);
}

} // namespace

QString whereText(Mode mode, const QString &horse, const QString &jockey, const QString &trainer,
                  const QString &formTrainer, const QString &iconJockeyList)
{
    const bool otherTrainer = !formTrainer.isEmpty() && formTrainer != trainer.toUpper();
    switch (mode) {
    case Mode::Horse:
        return u"A.WHorse= '"_s + quotedName(horse, true) + u'\'';
    case Mode::HorseJockey:
        return u"A.WHorse= '"_s + quotedName(horse, true) + u'\'' + u"and A.WJockey in "_s + iconJockeyList;
    case Mode::Trainer:
        return u"(A.WTrainer = '"_s + quotedName(trainer, true) + u'\'' +
               (otherTrainer ? u"or A.WTrainer = '"_s + quotedName(formTrainer, false) + u"')"_s : u")"_s);
    case Mode::TrainerJockey:
        return u"(A.WTrainer = '"_s + quotedName(trainer, true) + u'\'' +
               (otherTrainer ? u" or A.WTrainer = '"_s + quotedName(formTrainer, false) + u"')"_s : u")"_s) +
               u" and A.WJockey in "_s + iconJockeyList;
    case Mode::Jockey: {
        // Only the quotes are doubled here.
        return u"A.WJockey= '"_s + SqlQuote(jockey.toUpper()) + u'\'';
    }
    case Mode::Other:
        break;
    }
    return {};
}

QString statsSql(const QString &where)
{
    return u"SELECT A.*, R.*, W.WHorse as Winner, S.WHorse as 2nd, T.WHORSE  as 3rd "_s +
           u" FROM WORKRACE A INNER JOIN RACEMAST R ON A.WRaceDate = R.RDate AND A.WTrack = R.RTrack AND A.WRaceNo = R.RRaceNo"_s +
           u" INNER JOIN WORKRACE W ON A.WRaceDate = W.WRaceDate AND A.WRaceNo = W.WRaceNo AND A.WTrack = W.WTrack AND W.WFinPosn =1"_s +
           u" LEFT OUTER JOIN WORKRACE S ON A.WRaceDate = S.WRaceDate AND A.WRaceNo = S.WRaceNo AND A.WTrack = S.WTrack AND S.WFinPosn =2"_s +
           u" LEFT OUTER JOIN WORKRACE T ON A.WRaceDate = T.WRaceDate AND A.WRaceNo = T.WRaceNo AND A.WTrack = T.WTrack "_s +
           u"AND T.WFinPosn =3 WHERE "_s + where +
           u" ORDER BY A.WRaceDate DESC, A.WTrack, A.WRaceNo, A.WHorse LIMIT 0,90"_s;
}

StatsRequest prepareRequest(StatsHandOver &values, const QString &managedJockeys)
{
    // Without managed jockeys the combined modes match no ride, rather than send a list the server cannot read.
    const QString iconJockeyList = managedJockeys.isEmpty() ? u"( '')"_s : managedJockeys;
    StatsRequest request;
    request.mode = modeFromText(values.StatsMode);
    const bool combined = request.mode == Mode::HorseJockey || request.mode == Mode::TrainerJockey;
    if (combined) {
        const bool many = iconJockeyList.contains(u',');
        // "( 'NAME')": the single name lies between the opening "( '" and the closing "')".
        values.StatsJockey = many ? u"All Managed Jockeys"_s : iconJockeyList.mid(3, iconJockeyList.size() - 5);
        request.showJockey = many;
    }
    const QString &horse = values.StatsHorse;
    const QString &jockey = values.StatsJockey;
    const QString &trainer = values.StatsTrainer;
    switch (request.mode) {
    case Mode::Horse:
        request.showHorse = request.showTrainer = false;
        request.captionSuffix = u" for Horse "_s + horse;
        request.label = u"Horse : "_s + horse;
        break;
    case Mode::HorseJockey:
        request.showHorse = request.showTrainer = false;
        request.captionSuffix = u" for Horse "_s + horse + u"  &  Jockey : "_s + jockey;
        request.label = u"Horse : "_s + horse + u"       Jockey : "_s + jockey;
        break;
    case Mode::Trainer:
        request.showTrainer = request.showJockey = false;
        request.captionSuffix = u" for Trainer "_s + trainer;
        request.label = u"Trainer : "_s + trainer;
        break;
    case Mode::TrainerJockey:
        request.showTrainer = false;
        request.captionSuffix = u" for Trainer "_s + trainer + u"  &  Jockey : "_s + jockey;
        request.label = u"Trainer : "_s + trainer + u"           Jockey : "_s + jockey;
        break;
    case Mode::Jockey:
        request.showJockey = false;
        request.captionSuffix = u" for Jockey "_s + jockey;
        request.label = u"Jockey :"_s + jockey;
        break;
    case Mode::Other:
        break;
    }
    if (request.mode == Mode::Horse || request.mode == Mode::HorseJockey)
        values.StatsHorse = nameBeforeBracket(values.StatsHorse);
    request.horse = values.StatsHorse;
    request.jockey = values.StatsJockey;
    request.where = whereText(request.mode, values.StatsHorse, values.StatsJockey, values.StatsTrainer,
                              values.StatsFormTrainer, iconJockeyList);
    if (request.mode == Mode::Trainer || request.mode == Mode::TrainerJockey)
        values.StatsFormTrainer.clear();
    request.sql = statsSql(request.where);
    return request;
}

namespace {

// "yyyy-mm-dd" or "yyyy/mm/dd", read by hand: the format parser costs more than the rest of a row.
QDate answerDate(const QString &text)
{
    if (text.size() < 10)
        return {};
    auto number = [&text](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

QString shortDate(const QDate &date)
{
    auto two = [](int n) { return QString::number(n).rightJustified(2, u'0'); };
    return two(date.day()) + u'/' + two(date.month()) + u'/' + two(date.year() % 100);
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

QString text(const QString &field)
{
    return field;
}
QString text(QStringView field)
{
    return field.toString();
}

// A row's fields are answer pieces or views into the answer text; both read alike.
template <typename Fields> RunRow makeRow(const Fields &f)
{
    RunRow row;
    auto at = [&f](int i) { return i < f.size() ? text(f.at(i)) : QString(); };
    auto set = [&row](int column, const QString &text) { row.cells[column - 1] = text; };
    const double position = leadingNumber(at(10)).value_or(0); // a finishing place; anything else counts as none
    row.position = position >= 0 && position < 1000 ? int(position) : 0;
    row.date = answerDate(at(0));
    row.condition = at(22).isEmpty() ? QChar() : at(22).at(0).toUpper();
    set(FP, at(10));
    set(RaceDate, row.date.isValid() ? shortDate(row.date) : at(0));
    set(Horse, properCase(at(2)));
    set(FinishPosition, at(10) + u'-' + at(29));
    set(WeightCarried, at(4));
    set(AllowanceClaimed, at(5));
    set(Margin, at(6));
    set(Track, at(3));
    set(Distance, at(20));
    set(Class, QString(at(23)).remove(u'.'));
    set(Jockey, properCase(at(7)));
    set(Trainer, properCase(at(15)));
    set(Barrier, at(9));
    set(TrackCondition, at(22));
    set(RaceTime, at(31));
    const QString sectional = at(13);
    if (!sectional.isEmpty())
        set(Sectional800400, numberText(leadingNumber(sectional.mid(0, 2)).value_or(0)) + u',' +
                                 numberText(leadingNumber(sectional.mid(2, 2)).value_or(0)));
    set(SP, at(11));
    set(RaceNo, at(1));
    set(Starters, at(29));
    set(PrizeWon, at(8));
    set(Prizemoney, at(30));
    set(LimitWeight, at(28));
    set(Last600, at(35));
    set(RaceName, at(24));
    return row;
}

} // namespace

namespace {

template <typename Fields> QString fieldText(const Fields &fields, int i)
{
    return i < fields.size() ? text(fields.at(i)) : QString();
}

// The placegetters of one run as the answer rows named them, first, second and third.
using Placings = std::array<QStringList, 3>;

// The placegetter cells of a run. A dead heat names a placing more than once: the names after
// the first take the next cells with "=" (a dead heat for first shows "=" + name under "2nd"),
// and what no longer fits stays in "3rd".
void setPlacingCells(RunRow &run, const Placings &placings)
{
    std::array<QString, 3> cells;
    int next = 0;
    for (int placing = 0; placing < 3; ++placing) {
        const QStringList &names = placings.at(placing);
        int slot = std::max(next, placing);
        for (qsizetype i = 0; i < names.size(); ++i, ++slot) {
            const QString name = (i > 0 ? u"="_s : QString()) + properCase(names.at(i));
            if (slot < 3)
                cells[slot] = name;
            else
                cells[2] += u' ' + name;
        }
        if (!names.isEmpty())
            next = slot;
    }
    run.cells[Winner - 1] = cells[0];
    run.cells[Second - 1] = cells[1];
    run.cells[Third - 1] = cells[2];
}

// The query joins each run to its first, second and third placegetters, so a dead heat for any
// placing answers the run once per combination of them. Every answer row of the same run (date,
// track, race and horse) is folded into one run row, whatever order the rows come in.
template <typename Rows> QList<RunRow> fold(const Rows &answerRows)
{
    QList<RunRow> runs;
    QList<Placings> placings;
    QHash<QString, qsizetype> runIndex;
    runs.reserve(answerRows.size());
    for (const auto &fields : answerRows) {
        if (fields.size() < 3)
            continue;
        const QString key = (fieldText(fields, 0) + u'|' + fieldText(fields, 3) + u'|' + fieldText(fields, 1) + u'|' +
                             fieldText(fields, 2))
                                .toUpper();
        auto found = runIndex.constFind(key);
        if (found == runIndex.cend()) {
            found = runIndex.insert(key, runs.size());
            runs.append(makeRow(fields));
            placings.append(Placings{});
        }
        Placings &names = placings[*found];
        for (int placing = 0; placing < 3; ++placing) {
            const QString name = fieldText(fields, 36 + placing).trimmed();
            if (!name.isEmpty() && !names[placing].contains(name, Qt::CaseInsensitive))
                names[placing].append(name);
        }
    }
    // Dead heaters in name order: the two backends answer a tie in their own index order, and the
    // window must show the same run whichever one answered.
    for (qsizetype i = 0; i < runs.size(); ++i) {
        for (QStringList &names : placings[i])
            names.sort(Qt::CaseInsensitive);
        setPlacingCells(runs[i], placings.at(i));
    }
    return runs;
}

} // namespace

QList<RunRow> foldRuns(const QList<QStringList> &answerRows)
{
    return fold(answerRows);
}

QList<RunRow> foldAnswer(const QString &answer)
{
    QList<QList<QStringView>> rows;
    for (QStringView row : QStringView(answer).split(u"<br>\n"))
        rows.append(row.split(u'|'));
    return fold(rows);
}

void Counter::add(int position)
{
    ++starts;
    if (position == 1)
        ++wins;
    else if (position == 2)
        ++seconds;
    else if (position == 3)
        ++thirds;
}

QString Counter::text() const
{
    return QString::number(starts) + u':' + QString::number(wins) + u'-' + QString::number(seconds) + u'-' +
           QString::number(thirds);
}

QString OrdinalSuffix(int n)
{
    if (n <= 0)
        return {};
    const int digit = n <= 20 ? n : n % 10;
    switch (digit) {
    case 1:
        return u"st"_s;
    case 2:
        return u"nd"_s;
    case 3:
        return u"rd"_s;
    default:
        return u"th"_s;
    }
}

Summary summarise(QList<RunRow> &runs, Mode mode)
{
    Summary summary;
    bool inPrep = true;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        RunRow &run = runs[i];
        summary.counters[Career].add(run.position);
        if (i == 0)
            summary.lastStart = QString::number(run.position) + OrdinalSuffix(run.position);
        if (mode == Mode::Horse && i > 0) {
            RunRow &later = runs[i - 1];
            const qint64 gap = run.date.isValid() && later.date.isValid() ? run.date.daysTo(later.date) : 0;
            if (gap >= 31 && gap <= 60) {
                later.rowText = u"Freshen("_s + QString::number(gap) + u"d)"_s;
            } else if (gap >= 61) {
                later.rowText = u"Spell("_s + QString::number(gap / 7) + u"w)"_s;
                later.spell = true;
                summary.counters[FirstUp].add(later.position);
                if (i >= 2 && runs.at(i - 2).rowText.isEmpty())
                    summary.counters[SecondUp].add(runs.at(i - 2).position);
                inPrep = false;
            }
        }
        if (inPrep)
            summary.counters[ThisPrep].add(run.position);
        switch (run.condition.unicode()) {
        case 'F':
            summary.counters[Fast].add(run.position);
            break;
        case 'G':
            summary.counters[Good].add(run.position);
            break;
        case 'D':
            summary.counters[Dead].add(run.position);
            break;
        case 'S':
            summary.counters[Slow].add(run.position);
            break;
        case 'H':
            summary.counters[Heavy].add(run.position);
            break;
        default:
            break;
        }
    }
    return summary;
}

QStringList summaryLabels()
{
    return {u"Career"_s, u"This Prep"_s, u"Last Start"_s, u"1st Up"_s, u"2nd Up"_s,
            u"Fast"_s,   u"Good"_s,      u"Dead"_s,       u"Slow"_s,   u"Heavy"_s};
}

QStringList summaryValues(const Summary &summary)
{
    QStringList values{summary.counters[Career].text(), summary.counters[ThisPrep].text(), summary.lastStart};
    for (int c = FirstUp; c < CategoryCount; ++c)
        values << summary.counters[c].text();
    return values;
}

QString Summary::line() const
{
    const QStringList labels = summaryLabels();
    const QStringList values = summaryValues(*this);
    QStringList parts;
    for (qsizetype i = 0; i < labels.size(); ++i)
        parts << labels.at(i) + u' ' + values.at(i);
    return parts.join(u", "_s);
}

QColor conditionColor(QChar letter)
{
    switch (letter.toUpper().unicode()) {
    case 'F':
        return QColor(0, 0, 0);
    case 'G':
        return QColor(0x00, 0x00, 0xA0);
    case 'D':
        return QColor(0xDF, 0x00, 0xDF);
    case 'S':
        return QColor(0x00, 0x80, 0x40);
    case 'H':
        return QColor(0xFF, 0x00, 0x00);
    default:
        return {};
    }
}

std::optional<StatsResult> loadStatistics(StatsHandOver &values, const QString &iconJockeyList)
{
    StatsResult result;
    result.request = prepareRequest(values, iconJockeyList);
    const std::optional<QList<QStringList>> rows = DataServerRows(result.request.sql);
    if (!rows)
        return std::nullopt;
    result.runs = foldRuns(*rows);
    result.summary = summarise(result.runs, result.request.mode);
    return result;
}

} // namespace formstats
