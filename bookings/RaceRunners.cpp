#include "RaceRunners.h"

#include "BookedEntry.h"
#include "BookingOperations.h"
#include "WeightCalculation.h"
#include "core/Clock.h"
#include "db/Database.h"
#include "roster/StoredColor.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace racewindow {

namespace {

const QColor kRed = fromStoredColor(255);
const QColor kBlue = fromStoredColor(0xFF0000);

int iconForPlacing(const QVariant &best)
{
    if (best.isNull())
        return 0;
    const int placing = best.toInt();
    if (placing == 1)
        return mainlists::kWinnerIcon;
    return placing > 1 ? mainlists::kPlacedIcon : 0;
}

// Numbers as the grid shows them: nothing for no value, no trailing zeros.
QString numberText(const QVariant &value)
{
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return QString();
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? QString::number(number) : value.toString();
}

} // namespace

QList<ListColumn> runnerColumns(const QString &meetingLevel)
{
    ListColumn numberColumn{u"N/A"_s, u"N/A"_s, 30, true};
    if (meetingLevel == "ACP"_L1)
        numberColumn = {u"Barr"_s, u"Bar"_s, 25};
    else if (meetingLevel == "WGT"_L1)
        numberColumn = {u"Ballot"_s, u"Bllt"_s, 30};
    const bool desc = true;
    return {{u"Nbr"_s, u"Nbr"_s, 20},
            {u"Race"_s, u"Race"_s, 20, true},
            {u"Form"_s, u"Form"_s, 55},
            {u"Horse"_s, u"Horse"_s, 130},
            {u"Hicon1"_s, QString(), 15, false, desc},
            {u"Hicon2"_s, QString(), 15, false, desc},
            {u"Trainer"_s, u"Trainer"_s, 115},
            {u"Ticon1"_s, QString(), 15, false, desc},
            {u"Ticon2"_s, QString(), 15, false, desc},
            {u"Wgt"_s, u"Wgt"_s, 40, false, desc},
            {u"Rtg"_s, u"Bmk "_s, 40, false, desc},
            {u"Details"_s, u"Details"_s, 0},
            {u"Class"_s, u"Class"_s, 57},
            {u"Jockey"_s, u"Jockey"_s, 120},
            {u"RaceDetails"_s, u"Race"_s, 80, true},
            {u"Booking"_s, u"Booking Status"_s, 130},
            {u"TrainerLoc"_s, u"Locn"_s, 20},
            numberColumn,
            {u"Ball/BarrNum"_s, QString(), 10, true},
            {u"LastJockey"_s, u"Last Rider"_s, 110},
            {u"Last Ride Days"_s, u"Lst Ride Days"_s, 25},
            // The weight calculation's figure; the last start's weight is column 32.
            {u"LastWeight"_s, u"Calc Wgt"_s, 40},
            {u"LastRide Class"_s, u"L Class"_s, 50},
            {u"Last Race Value"_s, u"L Prz"_s, 50},
            {u"Margin"_s, u"Marg Avg"_s, 40, false, desc},
            {u"Rating"_s, u"Rtg"_s, 40, false, desc},
            {u"AvgWin"_s, u"Avg Win"_s, 60},
            {u"Last 800/400"_s, u"8/4"_s, 60},
            {u"Sec"_s, u"600"_s, 60, false, desc},
            {u"FormTrainer"_s, QString(), 0, true},
            {u"BookText"_s, QString(), 100},
            {u"LastStartWeight"_s, u"Last Wgt"_s, 40}};
}

char cellAlignment(int column)
{
    switch (column) {
    case col::Nbr:
    case col::Form:
    case col::Wgt:
    case col::Rtg:
    case col::LastRideDays:
    case col::LastWeight:
    case col::LastStartWeight:
    case col::LastValue:
    case col::Margin:
    case col::Rating:
    case col::AvgWin:
    case col::Last800:
    case col::Sec:
        return 'R';
    case col::Details:
        return 'C';
    default:
        return 'L';
    }
}

int sortColumnFor(int column)
{
    return column == col::LastJockey ? col::LastWeight : column;
}

MeetingHeader loadMeetingHeader(const QString &meetingCode)
{
    MeetingHeader header;
    QueryResult query = OpenQuery(u"SELECT MeetingLocation, MeetingDetails, MeetingLevel, MeetType, State "
                                  "FROM Meeting WHERE MeetingCode = ?"_s,
                                  {meetingCode});
    if (!query.next())
        return header;
    header.found = true;
    header.code = meetingCode;
    header.location = query.value(0).toString();
    header.details = header.location + ", "_L1 + query.value(1).toString();
    header.level = query.value(2).toString();
    header.meetType = query.value(3).toString();
    header.state = query.value(4).toString();
    return header;
}

RaceHeader loadRaceHeader(const QString &meetingCode, int raceNumber)
{
    RaceHeader header;
    QueryResult query = OpenQuery(u"SELECT RaceCode, RaceType, RaceTime, ApprClaim, RaceDetails FROM Race "
                                  "WHERE MeetingCode = ? AND RaceNumber = ?"_s,
                                  {meetingCode, raceNumber});
    if (!query.next())
        return header;
    header.found = true;
    header.raceText = query.value(0).toString().mid(4);
    header.raceType = query.value(1).toString();
    header.runs.append({"Race :"_L1 + QString::number(raceNumber), 12, true, kBlue});
    QString text;
    const QString time = mainlists::raceTimeText(query.value(2).toString());
    if (!time.isEmpty())
        text += "     "_L1 + time;
    text += query.value(3).toInt() != 0 ? "           Apprentices can claim.\n"_L1
                                        : "         No Allowances for apprentices.\n"_L1;
    header.runs.append({text, 9.25, true, Qt::black});
    header.runs.append({query.value(4).toString() + u'\n', 9.25, false, Qt::black});
    return header;
}

QList<RaceEntry> loadRaceList(const QString &meetingCode)
{
    QList<RaceEntry> races;
    QueryResult query =
        OpenQuery(u"SELECT RaceNumber, RaceCode FROM Race WHERE MeetingCode = ? ORDER BY RaceNumber"_s, {meetingCode});
    while (query.next()) {
        const int number = query.value(0).toInt();
        if (number != kUnlistedRace)
            races.append({number, query.value(1).toString()});
    }
    return races;
}

NumberCells numberCells(const QVariant &stored, const QString &eorB)
{
    const QString text = stored.toString().trimmed();
    if (stored.isNull() || text.isEmpty())
        return {};
    QString digits = text;
    digits.remove(u'=');
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (ok && number == 0)
        return {eorB, QString::number(kNoNumberSortValue)};
    return {text + eorB, ok ? QString::number(number) : QString()};
}

int classRank(const QString &raceClass)
{
    const QString text = raceClass.trimmed().toUpper();
    if (text.isEmpty())
        return 0;
    static const QRegularExpression number(u"(\\d+)"_s);
    const QRegularExpressionMatch match = number.match(text);
    const int value = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (text.startsWith("MDN"_L1) || text.startsWith("MAID"_L1))
        return 10;
    if (text.startsWith("CL"_L1) || text.startsWith("C"_L1))
        return 20 + value;
    if (text.startsWith("BM"_L1))
        return 100 + value;
    if (text.startsWith("LR"_L1) || text.startsWith("LST"_L1))
        return 300;
    if (text.startsWith("G"_L1))
        return 400 - value; // group 1 above group 3
    if (text.startsWith("OPN"_L1) || text.startsWith("OP"_L1))
        return 250;
    return 50;
}

QList<RunnerLine> loadRunners(const QString &meetingCode, int raceNumber, const QString &meetingLevel,
                              const QString &jockeyInList)
{
    QString sql =
        "SELECT N.EntryNo, N.RaceNumber, N.Form, N.Horse, N.TrainerName, N.Weight, N.Rating, N.HorseType, N.Class, "
        "N.Jockey, N.TrainerLocation, N.Ballot, N.Barrier, N.EorB, N.LastJockey, N.LastRode, N.LastWeight, "
        "N.LastRaceClass, N.LastRaceValue, N.LastMargin, N.WgtRat, N.AvgWin, N.W800400, N.RSecTime, N.FormTrainer, "
        "N.HorseName, N.LastStartWeight, B.Jockey AS BookedJockey, B.BookingSelection, B.Confirmed, "
        "J.JockeyColor AS BookedColor, T.IgnoreTrainer, J2.JockeyColor AS LastJockeyColor, "_L1 +
        bookedRaceSql(u"B"_s) + " AS BookedRace"_L1 +
        " FROM Noms N "
        "LEFT JOIN Bookings B ON B.rowid = (SELECT rowid FROM Bookings WHERE MeetingCode = N.MeetingCode "
        "AND Horse = N.Horse LIMIT 1) "
        "LEFT JOIN Jockey J ON J.Jockey = B.Jockey "
        "LEFT JOIN Trainer T ON T.TrainerName = N.TrainerName "
        "LEFT JOIN Jockey J2 ON J2.Jockey = N.LastJockey "
        "WHERE N.MeetingCode = ?"_L1;
    QVariantList values{meetingCode};
    if (raceNumber != 0) {
        sql += " AND N.RaceNumber = ?"_L1;
        values << raceNumber;
    }
    sql += " ORDER BY N.RaceNumber, N.EntryNo, N.Horse"_L1;

    QHash<int, QString> raceCodes;
    if (raceNumber == 0) {
        for (const RaceEntry &race : loadRaceList(meetingCode))
            raceCodes.insert(race.number, race.code);
    }
    // The managed jockeys' best placings with the runners' horses and trainers, one look-up each for
    // the whole field rather than one per runner; names compare without case.
    QHash<QString, int> horseBest;
    QHash<QString, int> trainerBest;
    if (!jockeyInList.isEmpty()) {
        const QString runners = "(SELECT %1 FROM Noms WHERE MeetingCode = ?"_L1 +
                                (raceNumber != 0 ? " AND RaceNumber = ?"_L1 : QString()) + u')';
        const QVariantList keys = raceNumber != 0 ? QVariantList{meetingCode, raceNumber} : QVariantList{meetingCode};
        auto placings = [&](const QString &field, const QString &nomsField, QHash<QString, int> &into) {
            QueryResult best =
                OpenQuery("SELECT R."_L1 + field + ", R.FinishPos FROM RaceStats R WHERE R."_L1 + field +
                              " COLLATE NOCASE IN "_L1 + runners.arg(nomsField) +
                              " AND R.Jockey COLLATE NOCASE IN "_L1 + jockeyInList + " AND R.FinishPos IS NOT NULL"_L1,
                          keys);
            while (best.next()) {
                const QString name = best.value(0).toString().toLower();
                const int placing = best.value(1).toInt();
                auto it = into.find(name);
                if (it == into.end())
                    into.insert(name, placing);
                else if (placing < *it)
                    *it = placing;
            }
        };
        placings(u"Horse"_s, u"HorseName"_s, horseBest);
        placings(u"TrainerName"_s, u"FormTrainer"_s, trainerBest);
    }
    const QDate today = Clock::instance().today();
    const bool nominations = meetingLevel == "NOM"_L1;

    QList<RunnerLine> lines;
    QueryResult query = OpenQuery(sql, values);
    const auto f = [&query](const char *name) { return query.field(QLatin1StringView(name)); };
    const int entryNo = f("EntryNo"), race = f("RaceNumber"), form = f("Form"), horse = f("Horse"),
              trainer = f("TrainerName"), weight = f("Weight"), rating = f("Rating"), horseType = f("HorseType"),
              raceClass = f("Class"), jockey = f("Jockey"), trainerLocation = f("TrainerLocation"),
              ballot = f("Ballot"), barrier = f("Barrier"), eorBField = f("EorB"), lastJockeyField = f("LastJockey"),
              lastRodeField = f("LastRode"), lastWeight = f("LastWeight"), lastClass = f("LastRaceClass"),
              lastValue = f("LastRaceValue"), lastMargin = f("LastMargin"), wgtRat = f("WgtRat"), avgWin = f("AvgWin"),
              last800 = f("W800400"), sectional = f("RSecTime"), formTrainer = f("FormTrainer"),
              horseName = f("HorseName"), lastStartWeight = f("LastStartWeight"), bookedJockey = f("BookedJockey"),
              selection = f("BookingSelection"), confirmed = f("Confirmed"), bookedColor = f("BookedColor"),
              ignoreTrainer = f("IgnoreTrainer"), lastJockeyColor = f("LastJockeyColor"), bookedRace = f("BookedRace");
    while (query.next()) {
        auto v = [&query](int i) { return query.value(i); };
        RunnerLine line;
        ListRow &row = line.row;
        line.raceNumber = v(race).toInt();
        row.cell(col::Nbr).text = v(entryNo).toString();
        row.cell(col::Race).text = QString::number(line.raceNumber).rightJustified(2, u' ');
        row.cell(col::Form).text = v(form).toString().trimmed();
        row.cell(col::Horse).text = v(horse).toString();
        const auto horseIt = horseBest.constFind(v(horseName).toString().toLower());
        row.cell(col::Hicon1).icon = horseIt == horseBest.constEnd() ? 0 : iconForPlacing(*horseIt);
        row.cell(col::Trainer).text = v(trainer).toString();
        const auto best = trainerBest.constFind(v(formTrainer).toString().toLower());
        row.cell(col::Ticon1).icon = best == trainerBest.constEnd() ? 0 : iconForPlacing(*best);
        row.cell(col::Wgt).text = QString::number(v(weight).toInt() / 10.0);
        row.cell(col::Rtg).text = v(rating).toString();
        row.cell(col::Details).text = v(horseType).toString();
        row.cell(col::Class).text = v(raceClass).toString();
        row.cell(col::TrainerLoc).text = v(trainerLocation).toString();
        const QString eorB = v(eorBField).toString();
        NumberCells number;
        if (meetingLevel == "WGT"_L1)
            number = numberCells(v(ballot), eorB);
        else if (meetingLevel == "ACP"_L1)
            number = numberCells(v(barrier), eorB);
        row.cell(col::BarrBallot).text = number.shown;
        row.cell(col::BarrBallotSort).text = number.sortValue;
        const QString lastJockey = v(lastJockeyField).toString();
        row.cell(col::LastJockey).text = lastJockey;
        if (!lastJockey.isEmpty()) {
            const QDate lastRode = QDate::fromString(v(lastRodeField).toString().left(10), Qt::ISODate);
            if (lastRode.isValid())
                row.cell(col::LastRideDays).text = QString::number(lastRode.daysTo(today));
        }
        row.cell(col::LastWeight).text = numberText(v(lastWeight));
        row.cell(col::LastStartWeight).text = numberText(v(lastStartWeight));
        row.cell(col::LastClass).text = v(lastClass).toString();
        line.classRank = classRank(v(lastClass).toString());
        row.cell(col::LastValue).text = numberText(v(lastValue));
        row.cell(col::Margin).text = numberText(v(lastMargin));
        row.cell(col::Rating).text = numberText(v(wgtRat));
        row.cell(col::AvgWin).text = numberText(v(avgWin));
        row.cell(col::Last800).text = v(last800).toString();
        row.cell(col::Sec).text = numberText(v(sectional));
        row.cell(col::FormTrainer).text = v(formTrainer).toString();
        if (raceNumber == 0)
            row.cell(col::RaceDetails).text = groupLabel(line.raceNumber, raceCodes.value(line.raceNumber));

        // Colours as drawn before any booking, so that a removed booking brings them back.
        const QString fieldJockey = v(jockey).toString();
        if (eorB == "B"_L1)
            row.cell(col::Horse).fore = kRed;
        else if (eorB == "E"_L1)
            row.cell(col::Horse).fore = kBlue;
        if (v(ignoreTrainer).toInt() != 0)
            row.cell(col::Trainer).fore = kRed;
        if (!fieldJockey.isEmpty() && !nominations)
            row.cell(col::Jockey).fore = kBlue;
        row.cell(col::LastJockey).back = fromStoredColor(v(lastJockeyColor).toString().trimmed());
        row.markDrawn();

        row.cell(col::Jockey).text = fieldJockey;
        // The other entry of a horse booked in another race of the meeting shows no booking of its own.
        const bool elsewhere = !v(bookedRace).isNull() && v(bookedRace).toInt() != line.raceNumber;
        showBooking(row, runnerBookingColumns(),
                    elsewhere ? BookingLook::bookedElsewhere(v(bookedRace).toInt())
                              : BookingLook{v(bookedJockey).toString(), fromStoredColor(v(bookedColor).toString()),
                                            v(selection).toString(), v(confirmed).toInt() != 0});
        lines.append(std::move(line));
    }
    return lines;
}

BookingColumns runnerBookingColumns()
{
    return {col::Horse,
            col::Jockey,
            col::Booking,
            {col::RaceDetails, col::TrainerLoc, col::BarrBallotSort},
            col::LastJockey};
}

QString groupLabel(int raceNumber, const QString &raceCode)
{
    return QString::number(raceNumber).rightJustified(2, u' ') + u' ' + raceCode;
}

} // namespace racewindow
