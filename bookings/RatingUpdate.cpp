#include "RatingUpdate.h"

#include "db/Database.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

std::optional<QString> parseVicRating(const QString &page)
{
    const qsizetype heading = page.indexOf("<td class=CellHead>VIC Rating</td>"_L1, 0, Qt::CaseInsensitive);
    if (heading < 0)
        return std::nullopt;
    const qsizetype rowStart = page.indexOf("<tr>"_L1, heading, Qt::CaseInsensitive);
    if (rowStart < 0)
        return std::nullopt;
    const qsizetype rowEnd = page.indexOf("</tr>"_L1, rowStart, Qt::CaseInsensitive);
    qsizetype cell = rowStart;
    for (int i = 0; i < 6 && cell >= 0; ++i)
        cell = page.indexOf("<td>"_L1, cell + 4, Qt::CaseInsensitive);
    if (cell < 0 || (rowEnd >= 0 && cell > rowEnd))
        return std::nullopt;
    const qsizetype textStart = cell + 4;
    const qsizetype textEnd = page.indexOf("</td>"_L1, textStart, Qt::CaseInsensitive);
    if (textEnd < 0)
        return std::nullopt;
    const QString text = page.mid(textStart, textEnd - textStart).trimmed();
    if (text.isEmpty() || text == "&nbsp;"_L1)
        return std::nullopt;
    return text;
}

RatingUpdateResult UpdateRatings(const QString &meetingCode, int raceNumber,
                                 const std::function<std::optional<QString>(const QString &horse)> &fetchPage)
{
    RatingUpdateResult result;
    QStringList horses;
    {
        QueryResult query =
            OpenQuery(u"SELECT Horse FROM Noms WHERE MeetingCode = ? AND RaceNumber = ? ORDER BY EntryNo, Horse"_s,
                      {meetingCode, raceNumber});
        while (query.next())
            horses << query.value(0).toString();
    }
    for (const QString &horse : std::as_const(horses)) {
        const std::optional<QString> page = fetchPage(horse);
        if (!page) {
            result.stopped = true;
            break;
        }
        const std::optional<QString> rating = parseVicRating(*page);
        if (!rating) {
            result.skipped << horse + ": no rating"_L1;
            continue;
        }
        bool ok = false;
        rating->toInt(&ok);
        if (!ok) {
            result.skipped << horse + ": rating is not a number ("_L1 + *rating + u')';
            continue;
        }
        Db db = OpenDb();
        db.exec(u"UPDATE Noms SET Rating = ? WHERE MeetingCode = ? AND Horse = ?"_s, {*rating, meetingCode, horse});
        ++result.updated;
    }
    return result;
}
