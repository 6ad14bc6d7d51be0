#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

// The contents of the jockey, race-type and booking-state pick lists; the windows fill their
// boxes from these.

struct JockeyPickItem {
    QString jockey;
    QColor color;      // invalid: the list's default colour
    QString colorText; // `JockeyColor` as stored, for the jockey list's "Color" column
};

// Every `Jockey` row in name order: the rows of the jockey list. The jockey box lists their
// names followed by "Delete Jockey" (jockeyComboItems).
QList<JockeyPickItem> LoadJockeyPickList();
// The names of `jockeys` and then kDeleteJockey, as the jockey box shows them.
QStringList jockeyComboItems(const QList<JockeyPickItem> &jockeys);

// The race types of a metropolitan meeting (meet type "M") or of any other, in their order.
QStringList LoadRaceTypes(const QString &meetType);

// "Planned", the booking templates by sequence, "Confirmed", "Remove Booking".
QStringList LoadBookingStates();
