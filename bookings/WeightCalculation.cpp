#include "WeightCalculation.h"

#include "core/TextRules.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QHash>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

QString StripControlChars(const QString &text, bool keepLineBreaks)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 32 || (keepLineBreaks && (c == u'\r' || c == u'\n')))
            kept += c;
    }
    return kept;
}

bool allowanceApplies(const QString &raceType, const QString &raceText)
{
    if (raceText.contains("MAR"_L1) || raceText.contains("FIL"_L1))
        return false;
    if (raceType.contains("F&M"_L1))
        return false;
    return raceType != "OPN M"_L1 && raceType != "CL6 M"_L1 && raceType != "1MWLY M"_L1;
}

QString horseSex(const QString &horseType)
{
    // The sex stands just before the age in both layouts; a missing age leaves it last.
    QStringList words = horseType.simplified().split(u' ', Qt::SkipEmptyParts);
    while (!words.isEmpty() && words.last().front().isDigit())
        words.removeLast();
    return words.isEmpty() ? QString() : words.last().left(1).toUpper();
}

QString emptyTableMessage()
{
    return u"The rating-to-weight table (RBHTable) is empty, so no weight can be calculated.\r\r"
           "Import the table from its CSV file with the File menu's weight-table import, or on the command line:\r"
           "ostrevan-cli import-weights FILE.csv"_s;
}

WeightResult CalculateWeights(const QString &meetingCode, int raceNumber, const QString &raceType,
                              const QString &raceText)
{
    WeightResult result;
    const QString type = StripControlChars(raceType, false);
    if (type.trimmed().isEmpty()) {
        UserDialogs::instance().message(u"Ostrevan 2"_s, kNoRaceTypeMessage, UserDialogs::Icon::None);
        result.outcome = WeightResult::Outcome::NoRaceType;
        return result;
    }

    Db db = OpenDb();
    if (db.scalar(u"SELECT COUNT(*) FROM RBHTable"_s).toInt() == 0) {
        UserDialogs::instance().message(u"Weight Table Missing"_s, emptyTableMessage(), UserDialogs::Icon::Exclamation);
        result.outcome = WeightResult::Outcome::EmptyTable;
        return result;
    }

    Transaction transaction(db);
    // The race keeps the type as chosen; the table is keyed by the type without control characters.
    db.exec(u"UPDATE Race SET RaceType = ? WHERE MeetingCode = ? AND RaceNumber = ?"_s,
            {raceType, meetingCode, raceNumber});

    QHash<int, double> table;
    {
        QSqlQuery query =
            db.exec(u"SELECT R.Rating, R.Weight FROM RBHTable R JOIN Meeting M ON R.MeetType = M.MeetType "
                    "WHERE M.MeetingCode = ? AND R.RaceType = ?"_s,
                    {meetingCode, type});
        while (query.next())
            table.insert(query.value(0).toInt(), query.value(1).toDouble());
    }

    const bool allowance = allowanceApplies(type, raceText);
    QList<std::pair<qint64, double>> updates;
    {
        QSqlQuery query = db.exec(u"SELECT rowid, Horse, Rating, HorseType FROM Noms WHERE MeetingCode = ? AND "
                                  "RaceNumber = ? ORDER BY EntryNo, Horse"_s,
                                  {meetingCode, raceNumber});
        while (query.next()) {
            double weight = 0;
            if (const std::optional<int> key = leadingWholeNumber(query.value(2).toString()))
                weight = table.value(*key, 0);
            const QString sex = horseSex(query.value(3).toString());
            if (allowance && (sex == "M"_L1 || sex == "F"_L1) && weight > kAllowanceFloor)
                weight -= kMareAllowance;
            // Every runner is written, 0 where no weight applies, so a repeat run never stacks.
            updates.append({query.value(0).toLongLong(), weight});
            result.runners.append({query.value(1).toString(), weight});
        }
    }
    for (const auto &[rowId, weight] : updates)
        db.exec(u"UPDATE Noms SET LastWeight = ? WHERE rowid = ?"_s, {weight, rowId});
    transaction.commit();
    return result;
}

QString weightCalculationUnavailable(const QString &state, const QString &raceText, bool allowed)
{
    if (state.trimmed() != "VIC"_L1)
        return u"Weights are calculated for VIC meetings only; this is not a VIC meeting."_s;
    if (raceText.contains("SW"_L1))
        return u"Weights are not calculated for an SW (set weights) race."_s;
    if (!allowed)
        return u"Weight calculation is switched off in System Settings."_s;
    return {};
}
