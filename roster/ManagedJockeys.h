#pragma once

#include <QString>
#include <QStringList>

// The managed-jockeys list "( 'A', 'B')" that restricts ride statistics to the agent's own
// jockeys (it goes behind "Racestats.Jockey in "); empty when there are no jockeys.
QString BuildJockeyInList(const QStringList &jockeys);

// The program-wide `IconJockeyList` and `IconJockey`: the windows that show best-placing icons
// and the form queries read them; "Select Jockey for Icons" narrows them to one jockey.
class ManagedJockeys
{
public:
    static QString IconJockeyList();
    static QString IconJockey();

    // Every managed jockey counts again: no icon jockey, the list built from `jockeys`.
    static void rebuild(const QStringList &jockeys);
    // Only `jockey` counts: "( 'name')".
    static void selectIconJockey(const QString &jockey);
    // "( 'name')" with quotes doubled.
    static QString singleJockeyList(const QString &jockey);

private:
    static QString &list();
    static QString &iconJockey();
};
