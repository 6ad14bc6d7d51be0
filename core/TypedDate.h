#pragma once

#include <QDate>
#include <QString>

// A date as the agent types it: dd/mm/yyyy (the day and month may have one digit), or the eight
// digits ddmmyyyy. Invalid for anything else, an impossible day (31/02/2026) included: a date is
// stored as typed or not at all, never guessed.
QDate parseTypedDate(const QString &text);
// The form the date boxes show: "dd/MM/yyyy".
QString typedDateText(const QDate &date);
// What to say about a text that is not a date, for the box captioned `what`.
QString typedDateMessage(const QString &what, const QString &text);
