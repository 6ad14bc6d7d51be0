#pragma once

#include "core/Currency.h"

#include <QDate>
#include <QList>
#include <QString>

// One month of a jockey's rides as the stored ride statistics have them.
struct MonthFigures {
    QDate month; // its first day
    int rides = 0;
    int wins = 0;
    int seconds = 0;
    int thirds = 0;
    Currency prizeMoney;

    double strikeRate() const { return rides > 0 ? 100.0 * wins / rides : 0.0; }
    QString strikeRateText() const; // "12.5"
    QString prizeMoneyText() const; // "1234.50"
};

namespace season {

struct Range {
    QDate from;
    QDate to;
};
// The twelve months that end with the current one.
Range lastTwelveMonths(const QDate &today);

// Every month from `from`'s to `to`'s, in order, months without rides included; only the rides
// between the two dates count.
QList<MonthFigures> monthFigures(const QString &jockey, const Range &range);

// month (YYYY-MM), rides, wins, seconds, thirds, prize money, strike rate %: tab-separated.
QString monthLine(const MonthFigures &figures);

} // namespace season
