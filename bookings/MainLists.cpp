#include "MainLists.h"

#include "BookedEntry.h"
#include "BookingGrid.h"
#include "BookingOperations.h"
#include "BookingPickLists.h"
#include "core/MonthNames.h"
#include "core/TextRules.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "people/TrainerRecord.h"
#include "roster/ManagedJockeys.h"
#include "roster/StoredColor.h"

#include <QColor>
#include <QDate>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace mainlists {

namespace {

const QColor kRed = fromStoredColor(255);
const QColor kBlue = fromStoredColor(0xFF0000);
const QColor kAcceptances = fromStoredColor(0x7D7D19);

int iconForPlacing(const QVariant &best)
{
    if (best.isNull())
        return 0;
    const int placing = best.toInt();
    if (placing == 1)
        return kWinnerIcon;
    return placing > 1 ? kPlacedIcon : 0;
}

ListRow finished(ListRow row)
{
    row.markDrawn();
    return row;
}

} // namespace

QList<ListColumn> meetingColumns()
{
    return {{u"Meeting"_s, u"Meeting"_s, 80},
            {u"Level"_s, u"Level"_s, 40},
            {u"Name"_s, u"Name"_s, 110},
            {u"Date"_s, u"Date"_s, 80},
            {u"State"_s, u"State"_s, 45}};
}

QList<ListColumn> jockeyColumns()
{
    return {{u"Jockey"_s, u"Jockey"_s, 130}, {u"Color"_s, u"Color"_s, 80, false, false, true}};
}

QList<ListColumn> trainerColumns()
{
    return {{u"Trainer"_s, u"Trainer"_s, 130},        {u"Runners"_s, u"Rnrs"_s, 30, false, true},
            {u"Races"_s, u"Race"_s, 30, false, true}, {u"Icon1"_s, QString(), 15, false, true},
            {u"Icon2"_s, QString(), 15, false, true}, {u"IgnTrainer"_s, QString(), 0, true}};
}

BookingColumns noms::nominationBookingColumns()
{
    return {noms::Horse, noms::Jockey, noms::Booking, {}, 0};
}

QList<ListColumn> nominationColumns()
{
    return {{u"Meeting"_s, u"Meeting"_s, 72},
            {u"Race"_s, u"R"_s, 18},
            {u"Form"_s, u"Form"_s, 55},
            {u"Horse"_s, u"Horse"_s, 110},
            {u"Icon1"_s, QString(), 15, false, true},
            {u"Icon2"_s, QString(), 15, false, true},
            {u"Wgt"_s, u"Wgt"_s, 35},
            {u"Rtg"_s, u"Bmk"_s, 33},
            {u"Class"_s, u"Class"_s, 56},
            {u"Jockey"_s, u"Jockey"_s, 110},
            {u"RaceCode"_s, QString(), 0, true},
            {u"Confirmed"_s, QString(), 0, true},
            {u"Booking"_s, u"Booking Status"_s, 0},
            {u"Date"_s, QString(), 0, true},
            {u"Name"_s, QString(), 0, true},
            {u"State"_s, QString(), 0, true}};
}

bool filterApplies(const ListFilter &filter)
{
    return filter.weightKg > 42.5 || !filter.meetings.isEmpty();
}

bool weightConditionApplies(const ListFilter &filter)
{
    return filterApplies(filter) && filter.weightKg > 39.5;
}

Condition nominationCondition(const ListFilter &filter, const QString &table)
{
    Condition condition;
    if (!filterApplies(filter))
        return condition;
    if (!filter.meetings.isEmpty()) {
        QStringList marks;
        for (const QString &code : filter.meetings) {
            marks << u"?"_s;
            condition.values << code;
        }
        condition.sql = table + ".MeetingCode IN ("_L1 + marks.join(", "_L1) + u')';
    }
    if (weightConditionApplies(filter)) {
        if (!condition.sql.isEmpty())
            condition.sql += " and "_L1;
        condition.sql += "("_L1 + table + ".Weight >= ? or "_L1 + table + ".Weight = 0)"_L1;
        condition.values << qRound(filter.weightKg * 10);
    }
    return condition;
}

QString meetingsFilterText(const QStringList &codes)
{
    return BuildJockeyInList(codes);
}

QString listDate(const QString &storedDate)
{
    return monthnames::compactDate(QDate::fromString(storedDate.left(10), Qt::ISODate));
}

QList<ListRow> loadMeetings()
{
    QList<ListRow> rows;
    QueryResult query = OpenQuery(u"SELECT MeetingCode, MeetingLevel, MeetingLocation, MeetingDate, State "
                                  "FROM Meeting WHERE DisplayMeeting <> 0 ORDER BY MeetingCode"_s);
    while (query.next()) {
        ListRow row(5);
        for (int c = 0; c < 5; ++c)
            row.cells[c].text = query.value(c).toString();
        row.cell(4).text = listDate(row.text(4));
        const QString level = row.text(2);
        const QColor color = level == "WGT"_L1 ? kBlue : level == "ACP"_L1 ? kAcceptances : QColor();
        row.cell(1).fore = color;
        row.cell(2).fore = color;
        rows << finished(row);
    }
    return rows;
}

QList<ListRow> loadJockeys()
{
    QList<ListRow> rows;
    for (const JockeyPickItem &item : LoadJockeyPickList()) {
        ListRow row(2);
        row.cell(1).text = item.jockey;
        row.cell(2).text = item.colorText;
        row.cell(2).back = item.color;
        rows << finished(row);
    }
    return rows;
}

QHash<QString, int> bestPlacingByTrainer(Db &db, const QString &jockeyInList)
{
    // One pass over the managed jockeys' rides instead of one look-up per trainer: the lists
    // compare trainer names without regard to case.
    QHash<QString, int> best;
    if (jockeyInList.isEmpty())
        return best;
    QSqlQuery query = db.exec("SELECT TrainerName, Min(FinishPos) FROM RaceStats WHERE Jockey COLLATE NOCASE IN "_L1 +
                              jockeyInList + " AND FinishPos IS NOT NULL GROUP BY TrainerName"_L1);
    while (query.next()) {
        const QString key = query.value(0).toString().toLower();
        const int placing = query.value(1).toInt();
        auto it = best.find(key);
        if (it == best.end())
            best.insert(key, placing);
        else if (placing < *it)
            *it = placing;
    }
    return best;
}

QList<ListRow> buildTrainerLines(const QList<TrainerNomination> &rows, const QHash<QString, int> &bestPlacing,
                                 const QHash<QString, TrainerFacts> &facts)
{
    QList<ListRow> lines;
    qsizetype i = 0;
    while (i < rows.size()) {
        const TrainerNomination &first = rows.at(i);
        int runners = 0;
        int races = 0;
        int previousRace = 0;
        qsizetype j = i;
        // The query sorts names without case, so one trainer's spellings stand together and make one line.
        for (; j < rows.size() && rows.at(j).trainer.compare(first.trainer, Qt::CaseInsensitive) == 0; ++j) {
            ++runners;
            if (j == i || rows.at(j).raceNumber != previousRace)
                ++races;
            previousRace = rows.at(j).raceNumber;
        }
        QVariant best;
        if (!first.formTrainerNull) {
            const auto found = bestPlacing.constFind(first.formTrainer.toLower());
            if (found != bestPlacing.constEnd())
                best = *found;
        }
        const TrainerFacts fact = facts.value(first.trainer.toLower());

        ListRow line(6);
        line.cell(names::Trainer).text = first.trainer;
        line.cell(names::Runners).text = QString::number(runners);
        line.cell(names::Races).text = QString::number(races);
        line.cell(names::Icon1).icon = iconForPlacing(best);
        line.cell(names::Icon2).icon = fact.comments.isEmpty() ? 0 : kCommentIcon;
        line.cell(names::IgnTrainer).text = fact.ignore ? u"True"_s : u"False"_s;
        if (fact.ignore) {
            for (ListCell &cell : line.cells)
                cell.fore = kRed;
        }
        lines << finished(line);
        i = j;
    }
    return lines;
}

QList<ListRow> loadTrainers(const ListFilter &filter)
{
    Db db = OpenDb();
    const Condition condition = nominationCondition(filter);
    // The index NomsByTrainerList answers this in order by itself; the form trainer is read
    // afterwards for each trainer's first row only, the one row whose best placing counts.
    QString sql = u"SELECT Noms.TrainerName, Noms.RaceNumber, Noms.rowid FROM Noms"_s;
    if (!condition.sql.isEmpty())
        sql += " WHERE "_L1 + condition.sql;
    sql += " ORDER BY Noms.TrainerName, Noms.MeetingCode, Noms.RaceNumber"_L1;

    QList<TrainerNomination> nominations;
    {
        QSqlQuery query(db.handle());
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw DbError(query.lastError().text());
        for (const QVariant &value : condition.values)
            query.addBindValue(value);
        if (!query.exec())
            throw DbError(query.lastError().text());
        QSqlQuery form(db.handle());
        if (!form.prepare(u"SELECT FormTrainer FROM Noms WHERE rowid = ?"_s))
            throw DbError(form.lastError().text());
        while (query.next()) {
            TrainerNomination row{query.value(0).toString(), query.value(1).toInt(), QString(), true};
            if (nominations.isEmpty() || nominations.constLast().trainer != row.trainer) {
                form.addBindValue(query.value(2));
                if (!form.exec())
                    throw DbError(form.lastError().text());
                if (form.next()) {
                    row.formTrainer = form.value(0).toString();
                    row.formTrainerNull = form.value(0).isNull();
                }
                form.finish();
            }
            nominations.append(row);
        }
    }

    QHash<QString, TrainerFacts> facts;
    {
        QSqlQuery query = db.exec(u"SELECT TrainerName, TrainerComments, IgnoreTrainer FROM Trainer"_s);
        while (query.next())
            facts.insert(query.value(0).toString().toLower(), {query.value(1).toString(), query.value(2).toInt() != 0});
    }
    return buildTrainerLines(nominations, bestPlacingByTrainer(db, ManagedJockeys::IconJockeyList()), facts);
}

namespace {

// Bookings of the trainer on shown meetings whose horse has no nomination any more.
void appendScratchedBookings(Db &db, const QString &trainer, const ListFilter &filter, QList<ListRow> &rows)
{
    QString sql = u"SELECT B.MeetingCode, B.RaceCode, B.Horse, B.Jockey, B.Confirmed, J.JockeyColor, "
                  "(SELECT MIN(R.RaceNumber) FROM Race R WHERE R.MeetingCode = B.MeetingCode "
                  "AND R.RaceCode = B.RaceCode), M.MeetingDate, M.MeetingLocation, M.State FROM Bookings B "
                  "JOIN Meeting M ON M.MeetingCode = B.MeetingCode LEFT JOIN Jockey J ON J.Jockey = B.Jockey "
                  "WHERE TRIM(B.TrainerName) = TRIM(?) AND M.DisplayMeeting <> 0 AND NOT EXISTS "
                  "(SELECT 1 FROM Noms N WHERE N.MeetingCode = B.MeetingCode AND N.Horse = B.Horse)"_s;
    QVariantList values{trainer};
    if (filterApplies(filter) && !filter.meetings.isEmpty()) {
        sql += " AND B.MeetingCode IN ("_L1 + QStringList(filter.meetings.size(), u"?"_s).join(", "_L1) + u')';
        for (const QString &code : filter.meetings)
            values << code;
    }
    sql += " ORDER BY B.MeetingCode, B.Horse"_L1;
    QSqlQuery query = db.exec(sql, values);
    while (query.next()) {
        ListRow row(16);
        row.cell(noms::Meeting).text = query.value(0).toString();
        row.cell(noms::RaceCode).text = query.value(1).toString();
        row.cell(noms::Horse).text = query.value(2).toString();
        row.cell(noms::Race).text = query.value(6).toString();
        row.cell(noms::Date).text = listDate(query.value(7).toString());
        row.cell(noms::Name).text = query.value(8).toString();
        row.cell(noms::State).text = query.value(9).toString();
        row.markDrawn();
        const bool confirmed = query.value(4).toInt() != 0;
        row.cell(noms::Confirmed).text = confirmed ? u"True"_s : u"False"_s;
        showBooking(row, noms::nominationBookingColumns(),
                    {query.value(3).toString(), fromStoredColor(query.value(5).toString()), kScratched, confirmed});
        rows << row;
    }
}

} // namespace

NominationsResult loadNominations(const QString &trainer, const ListFilter &filter)
{
    NominationsResult result;
    Db db = OpenDb();
    const Condition condition = nominationCondition(filter, u"N"_s);
    QString sql = "SELECT N.MeetingCode, N.RaceNumber, N.Form, N.Horse, N.Weight, N.Rating, N.Class, N.Jockey, "
                  "N.RaceCode, N.EorB, N.TrainerLocation, N.Phone, "_L1 +
                  BestHorsePositionColumn(u"N"_s) +
                  ", M.MeetingDate, M.MeetingLocation, M.State FROM Noms N LEFT JOIN Meeting M "
                  "ON N.MeetingCode = M.MeetingCode WHERE N.TrainerName = ?"_L1;
    QVariantList values{trainer};
    if (!condition.sql.isEmpty()) {
        sql += " AND "_L1 + condition.sql;
        values += condition.values;
    }
    sql += " ORDER BY N.MeetingCode, N.RaceNumber, N.Horse"_L1;

    QSqlQuery booking(db.handle());
    if (!booking.prepare(u"SELECT B.Jockey, B.BookingSelection, B.Confirmed, J.JockeyColor, "_s +
                         bookedRaceSql(u"B"_s) +
                         u" FROM Bookings B LEFT JOIN Jockey J ON B.Jockey = J.Jockey "
                         "WHERE B.MeetingCode = ? AND B.Horse = ?"_s))
        throw DbError(booking.lastError().text());

    QSqlQuery query = db.exec(sql, values);
    while (query.next()) {
        ListRow row(16);
        const QString meeting = query.value(0).toString();
        const QString horse = query.value(3).toString();
        row.cell(noms::Meeting).text = meeting;
        row.cell(noms::Race).text = query.value(1).toString();
        row.cell(noms::Form).text = query.value(2).toString();
        row.cell(noms::Horse).text = horse;
        row.cell(noms::Wgt).text = QString::number(query.value(4).toInt() / 10.0);
        row.cell(noms::Rtg).text = query.value(5).toString();
        row.cell(noms::Class).text = query.value(6).toString();
        row.cell(noms::RaceCode).text = query.value(8).toString();
        row.cell(noms::Icon1).icon = iconForPlacing(query.value(12));
        row.cell(noms::Date).text = listDate(query.value(13).toString());
        row.cell(noms::Name).text = query.value(14).toString();
        row.cell(noms::State).text = query.value(15).toString();
        const QString eorB = query.value(9).toString();
        if (eorB == "B"_L1)
            row.cell(noms::Horse).fore = kRed;
        else if (eorB == "E"_L1)
            row.cell(noms::Horse).fore = kBlue;
        // A removed booking brings the line back to these colours, without the booking's.
        row.markDrawn();

        booking.addBindValue(meeting);
        booking.addBindValue(horse);
        if (!booking.exec())
            throw DbError(booking.lastError().text());
        QString bookedJockey;
        const bool hasBooking = booking.next();
        // The other entry of a horse booked in another race of the meeting shows no booking of its own.
        if (hasBooking && !booking.value(4).isNull() && booking.value(4).toInt() != query.value(1).toInt()) {
            showBooking(row, noms::nominationBookingColumns(), BookingLook::bookedElsewhere(booking.value(4).toInt()));
        } else if (hasBooking) {
            bookedJockey = booking.value(0).toString();
            const bool confirmed = booking.value(2).toInt() != 0;
            row.cell(noms::Confirmed).text = confirmed ? u"True"_s : u"False"_s;
            showBooking(
                row, noms::nominationBookingColumns(),
                {bookedJockey, fromStoredColor(booking.value(3).toString()), booking.value(1).toString(), confirmed});
        }
        booking.finish();
        if (bookedJockey.isEmpty())
            row.cell(noms::Jockey).text = query.value(7).toString();

        if (result.trainerLocation.isEmpty())
            result.trainerLocation = query.value(10).toString();
        if (result.phone.isEmpty())
            result.phone = query.value(11).toString();
        result.rows << row;
    }
    booking.finish();
    appendScratchedBookings(db, trainer, filter, result.rows);
    return result;
}

QTime storedRaceTime(const QString &storedTime)
{
    QString text = storedTime.trimmed();
    // A date-time keeps its time part.
    if (text.size() > 10 && text.at(10) == u' ')
        text = text.mid(11);
    QTime time = QTime::fromString(text, u"HH:mm:ss"_s);
    if (!time.isValid())
        time = QTime::fromString(text, u"HH:mm"_s);
    return time == QTime(0, 1) ? QTime() : time;
}

QString raceTimeText(const QString &storedTime)
{
    const QTime time = storedRaceTime(storedTime);
    if (!time.isValid())
        return QString();
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(time, u"hh:mm AP"_s);
}

QList<TextRun> raceDetails(const QString &meetingCode, int raceNumber)
{
    QList<TextRun> runs;
    const TextRun plain;
    Db db = OpenDb();
    QSqlQuery meeting =
        db.exec(u"SELECT MeetingLocation, State, MeetingDetails FROM Meeting WHERE MeetingCode = ?"_s, {meetingCode});
    if (meeting.next()) {
        runs.append({meeting.value(0).toString(), 14, true, kBlue});
        runs.append({"\n     "_L1 + meeting.value(1).toString() + "\n     "_L1 + meeting.value(2).toString() + u'\n',
                     plain.pointSize, false, plain.color});
    }
    QSqlQuery race = db.exec(u"SELECT RaceNumber, RaceTime, ApprClaim, RaceDetails FROM Race "
                             "WHERE MeetingCode = ? AND RaceNumber = ?"_s,
                             {meetingCode, raceNumber});
    if (race.next()) {
        runs.append({"Race :"_L1 + race.value(0).toString(), 12, false, kBlue});
        QString text = u"     "_s;
        text += raceTimeText(race.value(1).toString());
        text += race.value(2).toInt() != 0 ? "\n        Apprentices can claim."_L1
                                           : "\n        No Allowances for apprentices."_L1;
        text += u'\n' + race.value(3).toString();
        runs.append({text, plain.pointSize, false, plain.color});
    }
    return runs;
}

TrainerContact loadTrainerContact(const QString &trainer)
{
    TrainerContact contact;
    QueryResult query =
        OpenQuery(u"SELECT TrainerLocation, Phone, TrainerMobile FROM Trainer WHERE TrainerName = ?"_s, {trainer});
    if (query.next()) {
        contact.found = true;
        contact.location = query.value(0).toString();
        contact.phone = query.value(1).toString();
        contact.mobile = query.value(2).toString();
    }
    return contact;
}

void saveTrainerContact(const QString &trainer, ContactField left, const TrainerContact &boxes)
{
    Db db = OpenDb();
    if (!db.scalar(u"SELECT 1 FROM Trainer WHERE TrainerName = ?"_s, {trainer}).isValid()) {
        db.exec(u"INSERT INTO Trainer (TrainerName, TrainerLocation, Phone, TrainerMobile) VALUES (?, ?, ?, ?)"_s,
                {trainer, textOrNull(boxes.location), textOrNull(boxes.phone), textOrNull(boxes.mobile)});
        return;
    }
    switch (left) {
    case ContactField::Location:
        db.exec(u"UPDATE Trainer SET TrainerLocation = ? WHERE TrainerName = ?"_s,
                {textOrNull(boxes.location), trainer});
        break;
    case ContactField::Phone:
        db.exec(u"UPDATE Trainer SET Phone = ? WHERE TrainerName = ?"_s, {textOrNull(boxes.phone), trainer});
        break;
    case ContactField::Mobile:
        db.exec(u"UPDATE Trainer SET TrainerMobile = ? WHERE TrainerName = ?"_s, {textOrNull(boxes.mobile), trainer});
        break;
    }
}

void markTrainerRow(BookingGrid &grid, int row, const trainers::TrainerNotes &notes)
{
    grid.setCellIcon(row, names::Icon2, notes.comments.trimmed().isEmpty() ? 0 : kCommentIcon);
    grid.setCellText(row, names::IgnTrainer, notes.ignore ? u"True"_s : u"False"_s);
    const QColor fore = notes.ignore ? QColor(Qt::red) : QColor();
    for (int column = 1; column <= grid.columnCount(); ++column)
        grid.setCellForeColor(row, column, fore);
}

} // namespace mainlists
