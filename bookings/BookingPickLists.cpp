#include "BookingPickLists.h"

#include "BookingOperations.h"
#include "db/Database.h"
#include "roster/StoredColor.h"

using namespace Qt::Literals::StringLiterals;

QList<JockeyPickItem> LoadJockeyPickList()
{
    QList<JockeyPickItem> items;
    QueryResult rows = OpenQuery(u"SELECT Jockey, JockeyColor FROM Jockey ORDER BY Jockey"_s);
    while (rows.next()) {
        const QString colorText = rows.value(1).toString();
        items.append({rows.value(0).toString(), fromStoredColor(colorText), colorText});
    }
    return items;
}

QStringList jockeyComboItems(const QList<JockeyPickItem> &jockeys)
{
    QStringList names;
    names.reserve(jockeys.size() + 1);
    for (const JockeyPickItem &item : jockeys)
        names << item.jockey;
    names << kDeleteJockey;
    return names;
}

QStringList LoadRaceTypes(const QString &meetType)
{
    const QString sql = meetType == "M"_L1 ? u"SELECT RaceType FROM RaceType WHERE MetroOrder > 0 ORDER BY MetroOrder"_s
                                           : u"SELECT RaceType FROM RaceType WHERE ProvOrder > 0 ORDER BY ProvOrder"_s;
    QStringList types;
    QueryResult rows = OpenQuery(sql);
    while (rows.next())
        types << rows.value(0).toString();
    return types;
}

QStringList LoadBookingStates()
{
    QStringList states{kPlanned};
    QueryResult rows = OpenQuery(u"SELECT Template FROM BookingTemplate ORDER BY Sequence"_s);
    while (rows.next())
        states << rows.value(0).toString();
    states << kConfirmed << kRemoveBooking;
    return states;
}
