#include "WebFieldPages.h"

#include "HtmlDocument.h"
#include "core/MonthNames.h"
#include "core/TextRules.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

using H = HtmlDocument;

namespace webpages {
namespace {

int phaseRank(const QString &phase)
{
    if (phase == kAcceptances)
        return 3;
    if (phase == kWeights)
        return 2;
    return phase == kNominations ? 1 : 0;
}

QString hrefOf(HtmlNode a)
{
    return H::attribute(a, "href").trimmed();
}

// Cell text with the site's typographic quote turned into a plain one.
QString cellText(HtmlNode cell)
{
    return H::text(cell).replace(QChar(0x2019), QLatin1Char('\''));
}

enum class Column { Ignored, No, Form, Horse, Trainer, Jockey, Barrier, Weight, ProbableWeight, Rating, Ballot };

Column columnOf(const QString &heading, bool first)
{
    const QString h = heading.toUpper().remove(QLatin1Char('.')).simplified();
    if (h.isEmpty())
        return first ? Column::No : Column::Ignored;
    static const QHash<QString, Column> kColumns = {{QStringLiteral("NO"), Column::No},
                                                    {QStringLiteral("LAST 10"), Column::Form},
                                                    {QStringLiteral("HORSE"), Column::Horse},
                                                    {QStringLiteral("TRAINER"), Column::Trainer},
                                                    {QStringLiteral("JOCKEY"), Column::Jockey},
                                                    {QStringLiteral("BARRIER"), Column::Barrier},
                                                    {QStringLiteral("WEIGHT"), Column::Weight},
                                                    {QStringLiteral("PROBABLE WEIGHT"), Column::ProbableWeight},
                                                    {QStringLiteral("HCP RATING"), Column::Rating},
                                                    {QStringLiteral("HANDICAPPER RATING"), Column::Rating},
                                                    {QStringLiteral("RATING"), Column::Rating},
                                                    {QStringLiteral("BALLOT"), Column::Ballot},
                                                    // Other spellings some pages use.
                                                    {QStringLiteral("#"), Column::No},
                                                    {QStringLiteral("FORM"), Column::Form},
                                                    {QStringLiteral("WGT"), Column::Weight},
                                                    {QStringLiteral("BAR"), Column::Barrier},
                                                    {QStringLiteral("HORSE NAME"), Column::Horse},
                                                    {QStringLiteral("TRAINER NAME"), Column::Trainer},
                                                    {QStringLiteral("JOCKEY NAME"), Column::Jockey}};
    const Column column = kColumns.value(h, Column::Ignored);
    if (column != Column::Ignored)
        return column;
    // "Last 10 Starts", "Handicap Rating" and the like.
    if (h.startsWith(QLatin1String("LAST ")))
        return Column::Form;
    return h.endsWith(QLatin1String(" RATING")) ? Column::Rating : Column::Ignored;
}

void setEntryNo(WebRunner &runner, const QString &cell)
{
    static const QRegularExpression kDigits(QStringLiteral("^\\d+"));
    const QRegularExpressionMatch m = kDigits.match(cell);
    if (m.hasMatch())
        runner.entryNo = m.captured().toInt();
    if (!cell.isEmpty() && cell.back() > QLatin1Char('9'))
        runner.eorB = cell.back();
}

QString rating(const QString &cell)
{
    return QString(cell).remove(QLatin1Char('(')).remove(QLatin1Char(')')).trimmed();
}

// "/FreeFields/Nominations.aspx?…" → "Nominations"; other kinds of page give empty text.
QString phaseOfLink(const QString &link)
{
    const qsizetype at = link.indexOf(QLatin1String("/FreeFields"));
    const QString kind = at < 0 ? QString() : link.mid(at + 12, 3);
    return kind == QLatin1String("Nom")   ? kNominations
           : kind == QLatin1String("Wei") ? kWeights
           : kind == QLatin1String("Acc") ? kAcceptances
                                          : QString();
}

// True when the element's class or id holds the marker (any case, also as part of a longer name).
bool marked(HtmlNode node, const char *marker)
{
    return H::attribute(node, "class").contains(QLatin1String(marker), Qt::CaseInsensitive) ||
           H::attribute(node, "id").contains(QLatin1String(marker), Qt::CaseInsensitive);
}

struct Heading {
    int number = 0;
    QString title;
    int distance = 0;
    QTime time;
};

std::optional<Heading> parseHeading(const QString &text)
{
    static const QRegularExpression kStart(QStringLiteral("^Race\\s*(\\d+)\\s*[-\u2013\u2014]\\s*(.*)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kDistance(QStringLiteral("\\(\\s*([\\d,]+)\\s*METRES?\\s*\\)"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kTime(QStringLiteral("^(\\d{1,2}[:.]\\d{2}\\s*(?:[AP]\\.?M\\.?)?)\\s*"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch start = kStart.match(text);
    if (!start.hasMatch())
        return std::nullopt;
    QString rest = start.captured(2);
    QRegularExpressionMatch distance;
    for (QRegularExpressionMatchIterator it = kDistance.globalMatch(rest); it.hasNext();)
        distance = it.next();
    if (!distance.hasMatch())
        return std::nullopt;
    Heading heading;
    heading.number = start.captured(1).toInt();
    heading.distance = distance.captured(1).remove(QLatin1Char(',')).toInt();
    rest.truncate(distance.capturedStart());
    const QRegularExpressionMatch time = kTime.match(rest);
    if (time.hasMatch()) {
        heading.time = raceTime(time.captured(1));
        rest = rest.mid(time.capturedEnd());
    } else {
        heading.time = QTime(0, 0);
    }
    heading.title = rest.trimmed();
    return heading;
}

// Race conditions as shown: lines joined by CR LF, the short items kept on the line above.
QString raceInfo(HtmlNode cell)
{
    QString info = H::lines(cell, QStringLiteral("\r\n")).replace(QChar(0x2019), QLatin1Char('\''));
    for (const char *item : {"Field Limit", "BenchMark", "Track Type:"})
        info.replace(QStringLiteral("\r\n") + QLatin1String(item), QStringLiteral("   ") + QLatin1String(item));
    return info;
}

// The race heading elements: the lowest element whose text reads "Race N - … (D METRES)".
QList<HtmlNode> raceHeadings(const HtmlDocument &doc)
{
    QList<HtmlNode> headings;
    const QList<HtmlNode> texts = doc.select("//text()[contains(translate(., 'RACE', 'race'), 'race')]");
    for (HtmlNode text : texts) {
        HtmlNode node = H::parent(text);
        for (int depth = 0; node && depth < 5; ++depth, node = H::parent(node)) {
            if (H::isElement(node, "body") || H::isElement(node, "table") || H::isElement(node, "tbody"))
                break;
            if (parseHeading(H::text(node))) {
                if (headings.isEmpty() || headings.last() != node)
                    headings << node;
                break;
            }
        }
    }
    return headings;
}

} // namespace

QList<CalendarEntry> latestPhaseOnly(const QList<CalendarEntry> &entries)
{
    QList<CalendarEntry> out;
    for (const CalendarEntry &entry : entries) {
        if (!out.isEmpty()) {
            CalendarEntry &last = out.last();
            if (last.date == entry.date && last.meeting == entry.meeting && phaseRank(last.phase) >= 1 &&
                phaseRank(last.phase) < phaseRank(entry.phase)) {
                last = entry;
                continue;
            }
        }
        out << entry;
    }
    return out;
}

QList<CalendarEntry> parseCalendar(const QString &html, bool allPhases)
{
    HtmlDocument doc(html);
    QList<CalendarEntry> entries;
    HtmlNode lastRow = nullptr;
    for (HtmlNode row : doc.select("//tr")) {
        // A row nested in a meeting's row belongs to that meeting, already read.
        if (lastRow && H::contains(lastRow, row))
            continue;
        const QList<HtmlNode> links = doc.select(".//a[@href]", row);
        qsizetype keyLink = -1;
        for (qsizetype i = 0; i < links.size() && keyLink < 0; ++i) {
            if (hrefOf(links.at(i)).contains(QLatin1String("Key=")))
                keyLink = i;
        }
        if (keyLink < 0)
            continue;
        lastRow = row;
        const QString href = hrefOf(links.at(keyLink));
        const QString key = href.mid(href.indexOf(QLatin1String("Key=")) + 4);
        QString date = calendarKeyDate(key);
        if (date.isEmpty()) // shown as the key has it; such a date is refused at download
            date = key.mid(7, 2) + QLatin1Char('/') + key.mid(4, 3) + QLatin1Char('/') + key.mid(2, 2);
        const QString meeting = cellText(links.at(keyLink));
        // Every phase link of the meeting's row, wherever it stands (the venue's own link too).
        for (HtmlNode a : links) {
            const QString link = hrefOf(a);
            const QString phase = phaseOfLink(link);
            if (!phase.isEmpty())
                entries << CalendarEntry{date, meeting, phase, link.mid(link.indexOf(QLatin1String("/FreeFields")))};
        }
    }
    return allPhases ? entries : latestPhaseOnly(entries);
}

QList<CalendarEntry> parseStateList(const QString &html, bool allPhases)
{
    HtmlDocument doc(html);
    QList<CalendarEntry> entries;
    for (HtmlNode row : doc.select("//tr")) {
        const QList<HtmlNode> cells = H::childElements(row, "td");
        if (cells.size() < 2)
            continue;
        const QString date = dateText(cellText(cells.at(0)));
        const QString meeting = cellText(cells.at(1));
        for (HtmlNode a : doc.select(".//a[@href]", row)) {
            const QString link = hrefOf(a);
            if (!link.contains(QLatin1String("viewfile.aspx?"), Qt::CaseInsensitive))
                continue;
            const QString kind = link.right(3).toUpper();
            const QString phase = kind == QLatin1String("DGN")   ? kNominations
                                  : kind == QLatin1String("DGW") ? kWeights
                                  : kind == QLatin1String("DFA") ? kAcceptances
                                                                 : QString();
            if (!phase.isEmpty())
                entries << CalendarEntry{date, meeting, phase, link};
        }
    }
    return allPhases ? entries : latestPhaseOnly(entries);
}

QList<CalendarEntry> parseWaClubList(const QString &html, const QDate &today)
{
    HtmlDocument doc(html);
    QList<CalendarEntry> entries;
    for (HtmlNode option : doc.select("//select[translate(@name, 'MEETNO', 'meetno')='meet_no']//option")) {
        const QString text = cellText(option);
        const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
        const QString date = text.mid(comma + 1).trimmed();
        const QDate day = meetingDate(date);
        if (day.isValid() && day < today)
            break;
        const QString number = H::attribute(option, "value").trimmed();
        entries << CalendarEntry{date, comma < 0 ? text : text.left(comma).trimmed(), QStringLiteral("N/A"),
                                 QStringLiteral("/scripts/ws.exe/syturf/meet.hts?type=meet&meet_no=") + number};
    }
    return entries;
}

QString waMeetingPhase(const QString &html)
{
    const QString upper = html.toUpper();
    if (upper.contains(QLatin1String("OPEN ACCEPTANCES")))
        return kAcceptances;
    if (upper.contains(QLatin1String("OPEN WEIGHTS")))
        return kWeights;
    return kNominations;
}

QList<WebRace> parseFieldPage(const QString &html)
{
    HtmlDocument doc(html);
    const QList<HtmlNode> headings = raceHeadings(doc);
    QList<WebRace> races;
    QList<bool> hasInfo;
    QList<Column> columns;
    // One walk in document order: a race runs from its heading to the next race's heading, so
    // races whose heading, conditions and runners sit in separate tables load as well.
    for (HtmlNode node : H::elements(doc.root())) {
        if (headings.contains(node)) {
            const Heading heading = *parseHeading(H::text(node));
            WebRace race;
            race.number = heading.number;
            race.title = heading.title;
            race.distance = heading.distance;
            race.time = heading.time;
            races << race;
            hasInfo << false;
            columns.clear();
            continue;
        }
        if (races.isEmpty() || headings.contains(H::parent(node)))
            continue;
        WebRace &race = races.last();
        if (!hasInfo.last() && marked(node, "race-info")) {
            race.info = raceInfo(node);
            race.apprClaim = !race.info.contains(QLatin1String("No Allowances for apprentices"), Qt::CaseInsensitive);
            hasInfo.last() = true;
            continue;
        }
        if (!H::isElement(node, "tr"))
            continue;
        const QList<HtmlNode> cells = H::childElements(node, "td", "th");
        QStringList texts;
        for (HtmlNode cell : cells)
            texts << cellText(cell);
        if (std::any_of(texts.cbegin(), texts.cend(),
                        [](const QString &t) { return columnOf(t, false) == Column::Horse; })) {
            columns.clear();
            for (qsizetype i = 0; i < texts.size(); ++i)
                columns << columnOf(texts.at(i), i == 0);
            continue;
        }
        if (columns.isEmpty())
            continue;
        WebRunner runner;
        runner.scratched = marked(node, "scratch");
        int probableWeight = 0;
        for (qsizetype i = 0; i < cells.size() && i < columns.size(); ++i) {
            const QString &cell = texts.at(i);
            switch (columns.at(i)) {
            case Column::No:
                setEntryNo(runner, cell);
                break;
            case Column::Form:
                runner.form = cell;
                break;
            case Column::Horse: {
                const QList<HtmlNode> links = H::elements(cells.at(i), "a");
                const QString linked = links.isEmpty() ? QString() : cellText(links.first());
                runner.horse = linked.isEmpty() ? cell : linked;
                break;
            }
            case Column::Trainer:
                runner.trainer = cell.left(30).trimmed();
                break;
            case Column::Jockey:
                runner.jockey = jockeyName(cell);
                break;
            case Column::Barrier:
                runner.barrier = leadingWholeNumber(cell).value_or(0);
                break;
            case Column::Weight:
                runner.weightTenths = weightTenths(cell).value_or(0);
                break;
            case Column::ProbableWeight:
                probableWeight = weightTenths(cell).value_or(0);
                break;
            case Column::Rating:
                runner.rating = rating(cell);
                break;
            case Column::Ballot:
                runner.ballot = cell;
                break;
            case Column::Ignored:
                break;
            }
        }
        if (runner.weightTenths == 0)
            runner.weightTenths = probableWeight;
        if (!runner.horse.isEmpty())
            race.runners << runner;
    }
    // A race without its conditions is not a race of the field.
    QList<WebRace> out;
    for (qsizetype i = 0; i < races.size(); ++i) {
        if (hasInfo.at(i))
            out << races.at(i);
    }
    return out;
}

QList<WebRace> parseStateListPage(const QString &html, const QString &phase)
{
    HtmlDocument doc(html);
    QList<WebRace> races;
    static const QRegularExpression kRaceCell(QStringLiteral("^(\\d+)\\s*-\\s*(.*)$"));
    HtmlNode headingTable = nullptr;
    bool acceptances = phase == kAcceptances;
    for (HtmlNode node : H::elements(doc.root())) {
        if (H::isElement(node, "hr")) {
            headingTable = nullptr;
            continue;
        }
        if (!H::isElement(node, "tr"))
            continue;
        const QList<HtmlNode> cells = H::childElements(node, "td");
        if (cells.isEmpty())
            continue;
        const QRegularExpressionMatch m = kRaceCell.match(cellText(cells.first()));
        HtmlNode table = H::parent(node);
        while (table && !H::isElement(table, "table"))
            table = H::parent(table);
        if (!headingTable && m.hasMatch() && H::attribute(table, "width").trimmed() == QLatin1String("100%")) {
            headingTable = table;
            WebRace race;
            race.number = m.captured(1).toInt();
            const QString time = m.captured(2).trimmed();
            race.time = time.isEmpty() ? QTime(0, 0) : stateListRaceTime(time);
            QStringList info;
            bool afterDistance = false;
            for (HtmlNode cell : cells) {
                if (afterDistance)
                    info << cellText(cell);
                if (H::attribute(cell, "width").trimmed() == QLatin1String("70%"))
                    race.title = cellText(cell);
                else if (H::attribute(cell, "align").trimmed().compare(QLatin1String("right"), Qt::CaseInsensitive) ==
                             0 &&
                         !afterDistance) {
                    race.distance = leadingWholeNumber(cellText(cell)).value_or(0);
                    afterDistance = true;
                }
            }
            for (HtmlNode row : H::childElements(H::parent(node), "tr")) {
                if (row != node)
                    info << H::lines(row, QStringLiteral("\r\n"));
            }
            info.removeAll(QString());
            race.info = info.join(QStringLiteral("\r\n"));
            race.apprClaim = race.info.contains(QLatin1String("Apprentices can claim"), Qt::CaseInsensitive);
            races << race;
            continue;
        }
        if (races.isEmpty() || !headingTable || H::contains(headingTable, node))
            continue;
        if (!doc.select(".//b", cells.first()).isEmpty() || cellText(cells.first()).isEmpty())
            continue;
        QStringList t;
        for (HtmlNode cell : cells)
            t << cellText(cell);
        if (t.size() <= (acceptances ? 7 : 9))
            continue;
        WebRunner runner;
        setEntryNo(runner, t.at(0));
        runner.horse = t.at(1);
        runner.trainer = t.at(2).left(30).trimmed();
        if (acceptances) {
            runner.jockey = jockeyName(t.at(3));
            runner.barrier = leadingWholeNumber(t.at(4)).value_or(0);
            runner.weightTenths = weightTenths(t.at(5)).value_or(0);
            runner.rating = rating(t.at(7));
        } else {
            runner.weightTenths = weightTenths(t.at(4)).value_or(0);
            runner.rating = rating(t.at(6));
            runner.jockey = jockeyName(t.at(9));
        }
        if (!runner.horse.isEmpty())
            races.last().runners << runner;
    }
    return races;
}

QList<WebRace> parseWaMeetingPage(const QString &html)
{
    HtmlDocument doc(html);
    QList<WebRace> races;
    for (HtmlNode row : doc.select("//tr[td[1]//a[contains(@href, 'download.hts?type=meet&meet_no=') and "
                                   "contains(@href, '&race_no=')]]")) {
        const QList<HtmlNode> cells = H::childElements(row, "td");
        WebRace race;
        race.number = leadingWholeNumber(cellText(cells.value(0))).value_or(0);
        race.title = cellText(cells.value(1));
        race.distance = leadingWholeNumber(cellText(cells.value(2))).value_or(0);
        race.time = raceTime(cellText(cells.value(3)));
        for (HtmlNode a : doc.select(".//a[starts-with(@href, 'race.hts?meeting_no=')]", row))
            race.pageLink = QStringLiteral("/scripts/ws.exe/syturf/") + hrefOf(a).remove(QLatin1Char('+'));
        races << race;
    }
    return races;
}

void parseWaRacePage(const QString &html, WebRace &race)
{
    HtmlDocument doc(html);
    const QList<HtmlNode> tables = doc.select("//table[@border][.//tr[translate(@valign, 'TOP', 'top')='top']]");
    HtmlNode table = tables.value(0);
    const QList<HtmlNode> body = doc.select("//body");
    race.info = H::lines(body.value(0, doc.root()), QStringLiteral("\r"), table);
    if (!table)
        return;
    for (HtmlNode row : doc.select(".//tr[translate(@valign, 'TOP', 'top')='top']", table)) {
        const QList<HtmlNode> cells = H::childElements(row, "td");
        if (cells.size() < 11)
            continue;
        WebRunner runner;
        setEntryNo(runner, cellText(cells.at(0)));
        runner.horse = cellText(cells.at(3));
        runner.barrier = leadingWholeNumber(cellText(cells.at(6))).value_or(0);
        runner.weightTenths = weightTenths(cellText(cells.at(8))).value_or(0);
        runner.jockey = jockeyName(cellText(cells.at(9)));
        runner.trainer = cellText(cells.at(10)).left(30).trimmed();
        if (!runner.horse.isEmpty())
            race.runners << runner;
    }
}

QString stateCode(const QString &state)
{
    static const QHash<QString, QString> kCodes = {
        {QStringLiteral("VIC"), QStringLiteral("1")}, {QStringLiteral("NSW"), QStringLiteral("2")},
        {QStringLiteral("SA"), QStringLiteral("3")},  {QStringLiteral("TAS"), QStringLiteral("4")},
        {QStringLiteral("QLD"), QStringLiteral("5")}, {QStringLiteral("WA"), QStringLiteral("6")},
        {QStringLiteral("NT"), QStringLiteral("8")},  {QStringLiteral("ACT"), QStringLiteral("10")}};
    return kCodes.value(state, QStringLiteral("9"));
}

QString meetingLevel(const QString &phase)
{
    if (phase == kNominations)
        return QStringLiteral("NOM");
    if (phase == kWeights)
        return QStringLiteral("WGT");
    return phase == kAcceptances ? QStringLiteral("ACP") : QStringLiteral("N/A");
}

namespace {

// Day, month (a name or its number) and year, wherever they stand in a cell's text.
QRegularExpressionMatch matchDate(const QString &text)
{
    static const QRegularExpression kParts(
        QStringLiteral("(\\d{1,2})[/\\- ]([A-Za-z]{3,}|\\d{1,2})[/\\- ,]+(\\d{2,4})"));
    return kParts.match(text.simplified());
}

} // namespace

QString dateText(const QString &text)
{
    return matchDate(text).captured(0);
}

QDate meetingDate(const QString &text)
{
    const QRegularExpressionMatch m = matchDate(text);
    if (!m.hasMatch())
        return {};
    const int day = m.captured(1).toInt();
    int month = m.captured(2).toInt();
    if (month == 0)
        month = monthnames::monthNumber(m.captured(2));
    int year = m.captured(3).toInt();
    if (m.captured(3).size() <= 2)
        year += year < 30 ? 2000 : 1900;
    return QDate(year, month, day);
}

QString calendarKeyDate(const QString &key)
{
    static const QRegularExpression kKey(QStringLiteral("^(\\d{4})([A-Za-z]{3,9})(\\d{1,2})"));
    const QRegularExpressionMatch m = kKey.match(key);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), monthnames::monthNumber(m.captured(2)), m.captured(3).toInt());
    if (!date.isValid())
        return {};
    return QString::number(date.day()).rightJustified(2, QLatin1Char('0')) + QLatin1Char('/')
           + monthnames::abbreviation(date.month()) + QLatin1Char('/')
           + QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0'));
}

QString shortCode(const QString &title, const QStringList &terms)
{
    const QString upperTitle = title.toUpper();
    QString code;
    for (const QString &entry : terms) {
        const QString term = entry.section(QLatin1Char('|'), 0, 0).trimmed().toUpper();
        if (!term.isEmpty() && upperTitle.contains(term))
            code += entry.section(QLatin1Char('|'), 1, 1).trimmed() + QLatin1Char('-');
    }
    if (code.isEmpty())
        return upperTitle.left(15);
    code.chop(1);
    return code;
}

QString raceCode(int distance, const QString &shortCode)
{
    return QString(QString::number(distance) + QLatin1Char(' ') + shortCode).left(20).remove(QLatin1Char('"'));
}

QString jockeyName(const QString &cell)
{
    QString jockey = cell.simplified();
    const qsizetype claim = jockey.indexOf(QLatin1String("(a"));
    if (claim >= 0) {
        const qsizetype slash = jockey.indexOf(QLatin1Char('/'), claim);
        if (slash >= 0)
            jockey = jockey.left(slash) + QLatin1Char(')');
    }
    return jockey.left(30).trimmed();
}

QTime stateListRaceTime(const QString &text)
{
    // The list leaves the afternoon unsaid: 2:30 is 14:30, but 11:30 and 12:30 are as written.
    static const QRegularExpression kBareHour(QStringLiteral("^\\s*(\\d{1,2})[:.]\\d{2}\\s*$"));
    const QRegularExpressionMatch bare = kBareHour.match(text);
    if (bare.hasMatch() && bare.captured(1).toInt() < 11)
        return raceTime(text + QStringLiteral("PM"));
    return raceTime(text);
}

QTime raceTime(const QString &text)
{
    static const QRegularExpression kTime(QStringLiteral("^(\\d{1,2})[:.](\\d{2})\\s*([AP])?\\.?M?"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kTime.match(text.trimmed());
    if (!m.hasMatch())
        return QTime(0, 0);
    int hour = m.captured(1).toInt() % 12;
    const QString half = m.captured(3).toUpper();
    if (half == QLatin1String("P") || (half.isEmpty() && m.captured(1).toInt() >= 12))
        hour += 12;
    const QTime time(hour, m.captured(2).toInt());
    return time.isValid() ? time : QTime(0, 0);
}

} // namespace webpages
