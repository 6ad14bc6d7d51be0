#include "SeasonFigures.h"

#include "db/Database.h"

using namespace Qt::StringLiterals;

QString MonthFigures::strikeRateText() const
{
    return QString::number(strikeRate(), 'f', 1);
}

QString MonthFigures::prizeMoneyText() const
{
    const qint64 cents = prizeMoney.wholeCents();
    const QString sign = cents < 0 ? u"-"_s : QString();
    return sign + u"%1.%2"_s.arg(qAbs(cents) / 100).arg(qAbs(cents) % 100, 2, 10, QChar(u'0'));
}

namespace season {

Range lastTwelveMonths(const QDate &today)
{
    return {QDate(today.year(), today.month(), 1).addMonths(-11), today};
}

QList<MonthFigures> monthFigures(const QString &jockey, const Range &range)
{
    QList<MonthFigures> months;
    if (!range.from.isValid() || !range.to.isValid() || range.to < range.from)
        return months;
    const QDate first(range.from.year(), range.from.month(), 1);
    for (QDate month = first; month <= range.to; month = month.addMonths(1))
        months << MonthFigures{month};

    Db db = OpenDb();
    QSqlQuery query = db.exec(u"SELECT substr(RaceDate, 1, 10), FinishPos, PrizeMoney FROM RaceStats "
                              "WHERE Jockey = ? AND substr(RaceDate, 1, 10) BETWEEN ? AND ?"_s,
                              {jockey.trimmed(), range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate)});
    while (query.next()) {
        const QDate date = QDate::fromString(query.value(0).toString(), Qt::ISODate);
        if (!date.isValid())
            continue;
        const qsizetype at = (date.year() - first.year()) * 12 + date.month() - first.month();
        if (at < 0 || at >= months.size())
            continue;
        MonthFigures &month = months[at];
        ++month.rides;
        switch (query.value(1).toInt()) {
        case 1:
            ++month.wins;
            break;
        case 2:
            ++month.seconds;
            break;
        case 3:
            ++month.thirds;
            break;
        default:
            break;
        }
        month.prizeMoney += Currency::fromVariant(query.value(2));
    }
    return months;
}

QString monthLine(const MonthFigures &figures)
{
    return QStringList{figures.month.toString(u"yyyy-MM"_s),
                       QString::number(figures.rides),
                       QString::number(figures.wins),
                       QString::number(figures.seconds),
                       QString::number(figures.thirds),
                       figures.prizeMoneyText(),
                       figures.strikeRateText()}
        .join(u'\t');
}

} // namespace season
