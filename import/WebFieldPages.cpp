#include "WebFieldPages.h"

#include "HtmlDocument.h"
#include "core/MonthNames.h"
#include "core/TextRules.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

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
    return H::text(cell).replace(QChar(0x2019), u'\'');
}

enum class Column { Ignored, No, Form, Horse, Trainer, Jockey, Barrier, Weight, ProbableWeight, Rating, Ballot };

Column columnOf(const QString &heading, bool first)
{
    const QString h = heading.toUpper().remove(u'.').simplified();
    if (h.isEmpty())
        return first ? Column::No : Column::Ignored;
    static const QHash<QString, Column> kColumns = {{u"NO"_s, Column::No},
                                                    {u"LAST 10"_s, Column::Form},
                                                    {u"HORSE"_s, Column::Horse},
                                                    {u"TRAINER"_s, Column::Trainer},
                                                    {u"JOCKEY"_s, Column::Jockey},
                                                    {u"BARRIER"_s, Column::Barrier},
                                                    {u"WEIGHT"_s, Column::Weight},
                                                    {u"PROBABLE WEIGHT"_s, Column::ProbableWeight},
                                                    {u"HCP RATING"_s, Column::Rating},
                                                    {u"HANDICAPPER RATING"_s, Column::Rating},
                                                    {u"RATING"_s, Column::Rating},
                                                    {u"BALLOT"_s, Column::Ballot},
                                                    // Other spellings some pages use.
                                                    {u"#"_s, Column::No},
                                                    {u"FORM"_s, Column::Form},
                                                    {u"WGT"_s, Column::Weight},
                                                    {u"BAR"_s, Column::Barrier},
                                                    {u"HORSE NAME"_s, Column::Horse},
                                                    {u"TRAINER NAME"_s, Column::Trainer},
                                                    {u"JOCKEY NAME"_s, Column::Jockey}};
    const Column column = kColumns.value(h, Column::Ignored);
    if (column != Column::Ignored)
        return column;
    // "Last 10 Starts", "Handicap Rating" and the like.
    if (h.startsWith("LAST "_L1))
        return Column::Form;
    return h.endsWith(" RATING"_L1) ? Column::Rating : Column::Ignored;
}

void setEntryNo(WebRunner &runner, const QString &cell)
{
    static const QRegularExpression kDigits(u"^\\d+"_s);
    const QRegularExpressionMatch m = kDigits.match(cell);
    if (m.hasMatch())
        runner.entryNo = m.captured().toInt();
    if (!cell.isEmpty() && cell.back() > u'9')
        runner.eorB = cell.back();
}

QString rating(const QString &cell)
{
    return QString(cell).remove(u'(').remove(u')').trimmed();
}

// "/FreeFields/Nominations.aspx?…" → "Nominations"; other kinds of page give empty text.
QString phaseOfLink(const QString &link)
{
    const qsizetype at = link.indexOf("/FreeFields"_L1);
    const QString kind = at < 0 ? QString() : link.mid(at + 12, 3);
    return kind == "Nom"_L1 ? kNominations : kind == "Wei"_L1 ? kWeights : kind == "Acc"_L1 ? kAcceptances : QString();
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
    static const QRegularExpression kStart(u"^Race\\s*(\\d+)\\s*[-\u2013\u2014]\\s*(.*)$"_s,
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kDistance(u"\\(\\s*([\\d,]+)\\s*METRES?\\s*\\)"_s,
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kTime(u"^(\\d{1,2}[:.]\\d{2}\\s*(?:[AP]\\.?M\\.?)?)\\s*"_s,
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
    heading.distance = distance.captured(1).remove(u',').toInt();
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
    QString info = H::lines(cell, u"\r\n"_s).replace(QChar(0x2019), u'\'');
    for (const char *item : {"Field Limit", "BenchMark", "Track Type:"})
        info.replace(u"\r\n"_s + QLatin1String(item), u"   "_s + QLatin1String(item));
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
            if (hrefOf(links.at(i)).contains("Key="_L1))
                keyLink = i;
        }
        if (keyLink < 0)
            continue;
        lastRow = row;
        const QString href = hrefOf(links.at(keyLink));
        const QString key = href.mid(href.indexOf("Key="_L1) + 4);
        QString date = calendarKeyDate(key);
        if (date.isEmpty()) // shown as the key has it; such a date is refused at download
            date = key.mid(7, 2) + u'/' + key.mid(4, 3) + u'/' + key.mid(2, 2);
        const QString meeting = cellText(links.at(keyLink));
        // Every phase link of the meeting's row, wherever it stands (the venue's own link too).
        for (HtmlNode a : links) {
            const QString link = hrefOf(a);
            const QString phase = phaseOfLink(link);
            if (!phase.isEmpty())
                entries << CalendarEntry{date, meeting, phase, link.mid(link.indexOf("/FreeFields"_L1))};
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
            if (!link.contains("viewfile.aspx?"_L1, Qt::CaseInsensitive))
                continue;
            const QString kind = link.right(3).toUpper();
            const QString phase = kind == "DGN"_L1   ? kNominations
                                  : kind == "DGW"_L1 ? kWeights
                                  : kind == "DFA"_L1 ? kAcceptances
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
        const qsizetype comma = text.lastIndexOf(u',');
        const QString date = text.mid(comma + 1).trimmed();
        const QDate day = meetingDate(date);
        if (day.isValid() && day < today)
            break;
        const QString number = H::attribute(option, "value").trimmed();
        entries << CalendarEntry{date, comma < 0 ? text : text.left(comma).trimmed(), u"N/A"_s,
                                 u"/scripts/ws.exe/syturf/meet.hts?type=meet&meet_no="_s + number};
    }
    return entries;
}

QString waMeetingPhase(const QString &html)
{
    const QString upper = html.toUpper();
    if (upper.contains("OPEN ACCEPTANCES"_L1))
        return kAcceptances;
    if (upper.contains("OPEN WEIGHTS"_L1))
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
            race.apprClaim = !race.info.contains("No Allowances for apprentices"_L1, Qt::CaseInsensitive);
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
    static const QRegularExpression kRaceCell(u"^(\\d+)\\s*-\\s*(.*)$"_s);
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
        if (!headingTable && m.hasMatch() && H::attribute(table, "width").trimmed() == "100%"_L1) {
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
                if (H::attribute(cell, "width").trimmed() == "70%"_L1)
                    race.title = cellText(cell);
                else if (H::attribute(cell, "align").trimmed().compare("right"_L1, Qt::CaseInsensitive) == 0 &&
                         !afterDistance) {
                    race.distance = leadingWholeNumber(cellText(cell)).value_or(0);
                    afterDistance = true;
                }
            }
            for (HtmlNode row : H::childElements(H::parent(node), "tr")) {
                if (row != node)
                    info << H::lines(row, u"\r\n"_s);
            }
            info.removeAll(QString());
            race.info = info.join(u"\r\n"_s);
            race.apprClaim = race.info.contains("Apprentices can claim"_L1, Qt::CaseInsensitive);
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
            race.pageLink = u"/scripts/ws.exe/syturf/"_s + hrefOf(a).remove(u'+');
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
    race.info = H::lines(body.value(0, doc.root()), u"\r"_s, table);
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
    static const QHash<QString, QString> kCodes = {{u"VIC"_s, u"1"_s}, {u"NSW"_s, u"2"_s}, {u"SA"_s, u"3"_s},
                                                   {u"TAS"_s, u"4"_s}, {u"QLD"_s, u"5"_s}, {u"WA"_s, u"6"_s},
                                                   {u"NT"_s, u"8"_s},  {u"ACT"_s, u"10"_s}};
    return kCodes.value(state, u"9"_s);
}

QString meetingLevel(const QString &phase)
{
    if (phase == kNominations)
        return u"NOM"_s;
    if (phase == kWeights)
        return u"WGT"_s;
    return phase == kAcceptances ? u"ACP"_s : u"N/A"_s;
}

namespace {

// Day, month (a name or its number) and year, wherever they stand in a cell's text.
QRegularExpressionMatch matchDate(const QString &text)
{
    static const QRegularExpression kParts(u"(\\d{1,2})[/\\- ]([A-Za-z]{3,}|\\d{1,2})[/\\- ,]+(\\d{2,4})"_s);
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
    static const QRegularExpression kKey(u"^(\\d{4})([A-Za-z]{3,9})(\\d{1,2})"_s);
    const QRegularExpressionMatch m = kKey.match(key);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), monthnames::monthNumber(m.captured(2)), m.captured(3).toInt());
    if (!date.isValid())
        return {};
    return QString::number(date.day()).rightJustified(2, u'0') + u'/' + monthnames::abbreviation(date.month()) + u'/' +
           QString::number(date.year() % 100).rightJustified(2, u'0');
}

QString shortCode(const QString &title, const QStringList &terms)
{
    const QString upperTitle = title.toUpper();
    QString code;
    for (const QString &entry : terms) {
        const QString term = entry.section(u'|', 0, 0).trimmed().toUpper();
        if (!term.isEmpty() && upperTitle.contains(term))
            code += entry.section(u'|', 1, 1).trimmed() + u'-';
    }
    if (code.isEmpty())
        return upperTitle.left(15);
    code.chop(1);
    return code;
}

QString raceCode(int distance, const QString &shortCode)
{
    return QString(QString::number(distance) + u' ' + shortCode).left(20).remove(u'"');
}

QString jockeyName(const QString &cell)
{
    QString jockey = cell.simplified();
    const qsizetype claim = jockey.indexOf("(a"_L1);
    if (claim >= 0) {
        const qsizetype slash = jockey.indexOf(u'/', claim);
        if (slash >= 0)
            jockey = jockey.left(slash) + u')';
    }
    return jockey.left(30).trimmed();
}

QTime stateListRaceTime(const QString &text)
{
    // The list leaves the afternoon unsaid: 2:30 is 14:30, but 11:30 and 12:30 are as written.
    static const QRegularExpression kBareHour(u"^\\s*(\\d{1,2})[:.]\\d{2}\\s*$"_s);
    const QRegularExpressionMatch bare = kBareHour.match(text);
    if (bare.hasMatch() && bare.captured(1).toInt() < 11)
        return raceTime(text + u"PM"_s);
    return raceTime(text);
}

QTime raceTime(const QString &text)
{
    static const QRegularExpression kTime(u"^(\\d{1,2})[:.](\\d{2})\\s*([AP])?\\.?M?"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kTime.match(text.trimmed());
    if (!m.hasMatch())
        return QTime(0, 0);
    int hour = m.captured(1).toInt() % 12;
    const QString half = m.captured(3).toUpper();
    if (half == "P"_L1 || (half.isEmpty() && m.captured(1).toInt() >= 12))
        hour += 12;
    const QTime time(hour, m.captured(2).toInt());
    return time.isValid() ? time : QTime(0, 0);
}

} // namespace webpages
