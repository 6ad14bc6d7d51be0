#include "HorseForm.h"

#include "FormText.h"
#include "RemoteQuery.h"
#include "core/TextRules.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "roster/ManagedJockeys.h"

#include <QCursor>
#include <QDate>
#include <QGuiApplication>
#include <QSet>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Column {
    ColHorse,
    ColJockey,
    ColRaceDate,
    ColWeight,
    ColClass,
    ColAge,
    ColSex,
    ColValue,
    ColWeightRating,
    ColAvgMargin,
    ColAvgWin,
    ColTrainer,
    Col800400,
    ColSectional,
    ColumnCount
};

void showBusyPointer()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

QVariant horseType(const QString &sex, const QString &age)
{
    const QString trimmed = sex.trimmed();
    if (trimmed.isEmpty() && age.isEmpty())
        return QVariant(QMetaType::fromType<QString>());
    return QVariant(QString(trimmed.left(1) + u' ' + age));
}

// nameBeforeBracket in SQL. The server compares names without regard to case or trailing blanks
// ("NAME (NZ)" leaves "NAME "), and so must the local match.
const QString kLocalMatchKey = u"rtrim(iif(instr(trim(Horse),'(')>1,substr(Horse,1,instr(Horse,'(')-1),Horse))"
                               " = rtrim(?) COLLATE NOCASE"_s;

} // namespace

QString horseFormSql(const QStringList &quotedKeys)
{
    QString horseList;
    for (const QString &key : quotedKeys)
        horseList += (horseList.isEmpty() ? u"( '"_s : u", '"_s) + key + u'\'';
    if (!horseList.isEmpty())
        horseList += u')';

    return u"Select W.WHORSE,W.wJockey,W.wRaceDate,W.WWgtChar,RClass,HWinAge,HWinSex,RValue,W.WWghtRat, "_s +
           u"(Select CAST(AVG(CASE WHEN WBeatMar = 'WON' THEN 0 WHEN WBeatMar = 'DIS' THEN 20 WHEN "
           "WBeatMar > 20 THEN 20 ELSE WBeatMar END)As Decimal(3,1)) "_s +
           u"FROM WORKRACE WHERE W.WHorse = WHorse ORDER BY WRaceDate DESC Limit 10) as AvgMar, "_s +
           u"(SELECT CAST( Avg(WMoneyWon) AS DECIMAL( 12, 0 ) )  FROM WORKRACE WHERE "_s +
           u"WHorse=W.WHORSE ORDER BY WRaceDate DESC Limit 10) AS AvgWin, W.WTrainer, W800400,RSecTime "_s +
           u"From WORKRACE W JOIN "_s + u"(SELECT WHorse, Max(wRaceDate) as LastDate from WORKRACE where Whorse in "_s +
           horseList + u" GROUP BY WHorse) AS j ON W.WHorse = j.WHorse and W.WRaceDate = LastDate "_s +
           u"JOIN RACEMAST on WRaceDate=RDate and rRaceNo = W.WRaceNo and rTrack=W.wTrack "_s +
           u"JOIN HORSMAST on HHorse = W.WHORSE"_s + u" Order by W.WHORSE"_s;
}

// Splits the horse list so that each query's address stays within kMaxAddressBytes once encoded.
QList<QStringList> horseBatches(const QStringList &quotedKeys)
{
    auto encodedSize = [](const QStringList &keys) {
        return QUrl(dataServerAddress(horseFormSql(keys)), QUrl::TolerantMode).toEncoded().size();
    };
    QList<QStringList> batches{{}};
    for (const QString &key : quotedKeys) {
        QStringList candidate = batches.last();
        candidate << key;
        if (!batches.last().isEmpty() && encodedSize(candidate) > kMaxAddressBytes)
            batches.append(QStringList{key});
        else
            batches.last() = candidate;
    }
    return batches;
}

HorseFormResult FetchHorseForm(const QString &meetingCode, qint16 raceNumber)
{
    showBusyPointer();
    HorseFormResult result;

    QString raceFilter;
    QVariantList filterValues{meetingCode};
    if (raceNumber > 0) {
        raceFilter = u" AND RaceNumber = ?"_s;
        filterValues << int(raceNumber);
    }

    QStringList keys;
    {
        QueryResult horses = OpenQuery(u"SELECT Horse FROM Noms WHERE MeetingCode = ?"_s + raceFilter, filterValues);
        QSet<QString> seen;
        while (horses.next()) {
            const QString key = SqlQuote(nameBeforeBracket(horses.value(0).toString()));
            if (!seen.contains(key.toUpper())) {
                seen.insert(key.toUpper());
                keys << key;
            }
        }
    }
    // Nothing to ask about: an empty list would only make the server refuse the statement.
    if (keys.isEmpty()) {
        result.answered = true;
        return result;
    }

    // One query for the meeting, unless its horse list would make the address longer than a
    // server accepts (a nominations field of several hundred horses): then as few batches as fit.
    QList<QStringList> answerRows;
    for (const QStringList &batch : horseBatches(keys)) {
        const std::optional<QList<QStringList>> batchRows = DataServerRows(horseFormSql(batch));
        if (!batchRows)
            return result;
        answerRows << *batchRows;
    }
    const std::optional<QList<QStringList>> rows = answerRows;
    result.answered = true;
    result.horsesInAnswer = int(rows->size());

    Db db = OpenDb();
    Transaction transaction(db);
    // The last start's weight has a column of its own: LastWeight holds the weight calculation's figure.
    const QString update =
        u"UPDATE Noms SET LastJockey = ?, LastRode = ?, LastRaceClass = ?, LastStartWeight = ?, HorseType = ?, "
        "LastRaceValue = ?, WgtRat = ?, LastMargin = ?, AvgWin = ?, FormTrainer = ?, W800400 = ?, RSecTime = ? "
        "WHERE MeetingCode = ?"_s +
        raceFilter + u" AND "_s + kLocalMatchKey;
    for (const QStringList &row : *rows) {
        const QString horse = row.value(ColHorse);
        if (row.size() < ColumnCount) {
            result.skipped << horse + u": %1 of %2 columns"_s.arg(row.size()).arg(int(ColumnCount));
            continue;
        }
        if (holdsNul(row)) {
            result.skipped << QString(horse).replace(QChar(u'\0'), "\\0"_L1) + u": a value holds a NUL character"_s;
            continue;
        }
        const QDate raced = serverDate(row.at(ColRaceDate));
        if (!raced.isValid()) {
            result.skipped << horse + u": race date '%1' cannot be read"_s.arg(row.at(ColRaceDate));
            continue;
        }
        QString raceClass = row.at(ColClass);
        raceClass.remove(u'.');

        const QStringList numberTexts{row.at(ColWeight),    row.at(ColValue),  row.at(ColWeightRating),
                                      row.at(ColAvgMargin), row.at(ColAvgWin), row.at(ColSectional).right(5)};
        QVariantList numbers;
        for (const QString &text : numberTexts) {
            const std::optional<double> number = fittingNumber(text);
            if (!number) {
                result.skipped << horse + u": the number '%1' is too large"_s.arg(text);
                break;
            }
            numbers << *number;
        }
        if (numbers.size() < numberTexts.size())
            continue;

        QVariantList values{
            properCase(row.at(ColJockey)),
            raced.toString(u"yyyy-MM-dd"_s),
            raceClass.left(6),
            numbers.at(0),
            horseType(row.at(ColSex), row.at(ColAge)),
            numbers.at(1),
            numbers.at(2),
            numbers.at(3),
            numbers.at(4),
            row.at(ColTrainer),
            row.at(Col800400),
            numbers.at(5),
        };
        values << filterValues << nameBeforeBracket(horse);
        result.nomsUpdated += db.exec(update, values).numRowsAffected();
    }
    transaction.commit();
    return result;
}

QString BestHorsePositionColumn(const QString &alias, const QString &jockeyInList)
{
    if (jockeyInList.isEmpty())
        return u"0 as BestHPosn"_s;
    return u"(SELECT Min(FinishPos) from Racestats where Racestats.Horse ="_s + alias +
           u".HorseName COLLATE NOCASE and Racestats.Jockey COLLATE NOCASE in "_s + jockeyInList + u") as BestHPosn"_s;
}

QString BestTrainerPositionColumn(const QString &alias, const QString &jockeyInList)
{
    if (jockeyInList.isEmpty())
        return u"0 as BestPosn"_s;
    return u"(SELECT Min(FinishPos) from Racestats where "_s + u" Racestats.Trainername ="_s + alias +
           u".FormTrainer COLLATE NOCASE and Racestats.Jockey COLLATE NOCASE in "_s + jockeyInList + u") as BestPosn"_s;
}

QString BestHorsePositionColumn(const QString &alias)
{
    return BestHorsePositionColumn(alias, ManagedJockeys::IconJockeyList());
}

QString BestTrainerPositionColumn(const QString &alias)
{
    return BestTrainerPositionColumn(alias, ManagedJockeys::IconJockeyList());
}

QString skippedFormLine(const QString &skipped)
{
    return u"skipped "_s + skipped;
}

void reportSkippedForm(const HorseFormResult &result)
{
    if (result.skipped.isEmpty())
        return;
    QStringList lines;
    for (const QString &skipped : result.skipped)
        lines << skippedFormLine(skipped);
    UserDialogs::instance().message(QLatin1String(kSkippedFormTitle), lines.join(u'\n'),
                                    UserDialogs::Icon::Exclamation);
}
