#include "RaceResult.h"

#include "FormText.h"
#include "RemoteQuery.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace raceresult {

QString headerSql(const QString &date, const QString &track, const QString &raceNo)
{
    return u"SELECT MClub, MMetType, MState, RDistance, RRaceName, RClass, RSecTime, RTrCond, "_s +
           u"RLimWgt, RValue FROM MEETMAST M, RACEMAST R "_s + u"WHERE M.MDate = R.RDate AND M.MTrack = R.RTrack "_s +
           u"AND RDate = '"_s + SqlQuote(date) + u"' "_s + u"AND RTrack = '"_s + SqlQuote(track) + u"' "_s +
           u"AND RRaceNo = '"_s + SqlQuote(raceNo) + u"' "_s;
}

QString runnersSql(const QString &date, const QString &track, const QString &raceNo)
{
    return u"SELECT WFinPosn, WHorse, WBeatMar, WJockey, WBarPosn, WWgtChar, WApClaim, W800400, WTrainer, "_s +
           u"WBookPrice, WMoneyWon, HWinAge, HWinSex, HSireWin, HDamWin "_s +
           u"FROM WORKRACE W LEFT JOIN HORSMAST H ON W.WHorse = H.HHorse "_s + u"WHERE WRaceDate = '"_s +
           SqlQuote(date) + u"' "_s + u"AND WTrack = '"_s + SqlQuote(track) + u"' "_s + u"AND WRaceNo = '"_s +
           SqlQuote(raceNo) + u"' "_s;
}

namespace {

// The text a one-letter code stands for; empty for a letter not in the table.
QString codeText(const QString &letter, std::initializer_list<std::pair<QLatin1String, QLatin1String>> table)
{
    for (const auto &[code, text] : table) {
        if (letter == code)
            return text;
    }
    return {};
}

} // namespace

QString meetTypeText(const QString &letter)
{
    if (letter.isEmpty())
        return u"Unknown"_s;
    return codeText(letter, {{"M"_L1, " Metro"_L1}, {"P"_L1, " Provincial"_L1}, {"C"_L1, " Country"_L1}});
}

QString conditionText(const QString &letter)
{
    return codeText(
        letter,
        {{"G"_L1, "Good"_L1}, {"D"_L1, "Dead"_L1}, {"F"_L1, "Fast"_L1}, {"S"_L1, "Slow"_L1}, {"H"_L1, "Heavy"_L1}});
}

QString valueText(const QString &value)
{
    return u"$ "_s + QLocale(QLocale::English, QLocale::Australia).toString(leadingNumber(value).value_or(0), 'f', 2);
}

QStringList Header::fields() const
{
    return {txtMeetDesc, txtMeetType, txtMeetState, txtRaceDesc, txtRaceClass, txtSec, txtCond, txtLimWeight, txtValue};
}

std::optional<Header> parseHeader(const QString &answer, const QString &date, const QString &track,
                                  const QString &raceNo)
{
    // An answer that sorts at or below a blank holds no row.
    if (answer.isEmpty() || answer <= u" "_s || answer.startsWith(u"<br>"_s))
        return std::nullopt;
    const QStringList f = splitAnswerFields(splitAnswerRows(answer).first());
    Header h;
    const QDate day = QDate::fromString(date, u"yyyy/MM/dd"_s);
    h.txtMeetDesc =
        u' ' + track + u' ' + (day.isValid() ? day.toString(u"dd/MM/yyyy"_s) : date) + u" - "_s + f.value(0);
    h.txtMeetType = meetTypeText(f.value(1));
    h.txtMeetState = f.value(2);
    h.txtRaceDesc = raceNo.leftJustified(5, u' ') + f.value(3).leftJustified(8, u' ') + f.value(4);
    h.txtRaceClass = QString(f.value(5)).remove(u'.');
    h.txtSec = f.value(6);
    h.txtCond = conditionText(f.value(7));
    h.txtLimWeight = f.value(8);
    h.txtValue = valueText(f.value(9));
    return h;
}

namespace {

// A placing's rank; unplaced and scratched runners (no positive position) after every placing.
int finishRank(const QString &position)
{
    const std::optional<int> place = wholeNumber(position);
    return place && *place > 0 ? *place : std::numeric_limits<int>::max();
}

} // namespace

QVariant sortKey(int column, const QString &text)
{
    if (column == 1)
        return finishRank(text);
    if (columns().at(column - 1).rightJustified)
        return leadingNumber(text).value_or(0);
    return text.toUpper();
}

QList<Runner> parseRunners(const QString &answer, const QString &horse)
{
    QList<Runner> runners;
    for (const QString &row : splitAnswerRows(answer)) {
        const QStringList f = splitAnswerFields(row);
        if (f.size() < 15)
            continue;
        Runner runner;
        for (int i = 0; i <= 10; ++i) {
            runner.cells[i] = properCase(f.at(i)).trimmed();
            if (runner.boldFrom == 0 && !horse.isEmpty() &&
                f.at(i).trimmed().compare(horse.trimmed(), Qt::CaseInsensitive) == 0)
                runner.boldFrom = i + 1;
        }
        runner.cells[11] = QString(f.at(11) + u' ' + f.at(12)).trimmed();
        runner.cells[12] = QString(properCase(f.at(13)).trimmed() + u'/' + properCase(f.at(14)).trimmed()).trimmed();
        runners.append(runner);
    }
    std::stable_sort(runners.begin(), runners.end(), [](const Runner &a, const Runner &b) {
        return finishRank(a.cells.at(0)) < finishRank(b.cells.at(0));
    });
    return runners;
}

const QList<ColumnSpec> &columns()
{
    static const QList<ColumnSpec> specs{
        {u"Position"_s, u"Posn"_s, 45, true},         {u"Horse"_s, u"Horse"_s, 120, false},
        {u"Margin"_s, u"Margin"_s, 70, true},         {u"Jockey"_s, u"Jockey"_s, 100, false},
        {u"Barrier"_s, u"Bar"_s, 35, true},           {u"Weight carried"_s, u"Wgt"_s, 35, true},
        {u"Allowance claimed"_s, u"Clm"_s, 35, true}, {u"800 400"_s, u"800/400"_s, 60, false},
        {u"Trainer"_s, u"Trainer"_s, 115, false},     {u"Book"_s, u"Book"_s, 55, false},
        {u"Prizemoney"_s, u"Money"_s, 50, true},      {u"Type"_s, u"Type"_s, 65, false},
        {u"Sire Dame"_s, u"Sire/Dame"_s, 80, false},
    };
    return specs;
}

std::optional<Result> OpenResult(const QString &date, const QString &track, const QString &raceNo, const QString &horse)
{
    auto failed = [](const QString &answer) {
        if (answer.startsWith("Error:"_L1)) {
            UserDialogs::instance().critical(QLatin1String(kConnectionErrorTitle), answer);
            return true;
        }
        return false;
    };
    bool errorPage = false;
    const QString headerAnswer = DataServerRequest(headerSql(date, track, raceNo), &errorPage);
    if (errorPage || failed(headerAnswer))
        return std::nullopt;
    std::optional<Header> header = parseHeader(headerAnswer, date, track, raceNo);
    if (!header) {
        UserDialogs::instance().critical(QLatin1String(kConnectionErrorTitle), QLatin1String(kNoDataText));
        return std::nullopt;
    }
    const QString runnersAnswer = DataServerRequest(runnersSql(date, track, raceNo), &errorPage);
    if (errorPage || failed(runnersAnswer))
        return std::nullopt;
    return Result{*header, parseRunners(runnersAnswer, horse)};
}

} // namespace raceresult
