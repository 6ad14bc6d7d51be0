#include "ManagedJockeys.h"

#include "db/Database.h"

using namespace Qt::Literals::StringLiterals;

QString BuildJockeyInList(const QStringList &jockeys)
{
    QString list;
    for (const QString &name : jockeys) {
        if (list.isEmpty())
            list = "( '"_L1 + SqlQuote(name) + u'\'';
        else
            list += ", '"_L1 + SqlQuote(name) + u'\'';
    }
    if (!list.isEmpty())
        list += u')';
    return list;
}

QString &ManagedJockeys::list()
{
    static QString value;
    return value;
}

QString &ManagedJockeys::iconJockey()
{
    static QString value;
    return value;
}

QString ManagedJockeys::IconJockeyList()
{
    return list();
}

QString ManagedJockeys::IconJockey()
{
    return iconJockey();
}

void ManagedJockeys::rebuild(const QStringList &jockeys)
{
    iconJockey().clear();
    list() = BuildJockeyInList(jockeys);
}

void ManagedJockeys::selectIconJockey(const QString &jockey)
{
    iconJockey() = jockey;
    list() = singleJockeyList(jockey);
}

QString ManagedJockeys::singleJockeyList(const QString &jockey)
{
    return "( '"_L1 + SqlQuote(jockey) + "')"_L1;
}
