#pragma once

#include "core/TextRules.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// Text conversions of the form data as the data server's answers need them.

// First letter of each blank-separated word upper-case, the rest lower-case: "K O'BRIEN" gives "K O'brien".
QString properCase(const QString &text);

// Checks of the values an answer brings, made before any of them is stored: a value that would be
// stored wrong makes its row refused, never cut short or replaced.

// The date the text begins with, "yyyy-MM-dd" or "yyyy/MM/dd" (a time may follow); invalid when it
// is no date ("2024-13-45", "").
QDate serverDate(const QString &text);
// True when a field holds a NUL character: text columns would keep it and cut it off when shown.
bool holdsNul(const QStringList &fields);
// The largest figure stored from an answer, far above any prize, weight or rating, and small enough
// that the invoices' sums of prize money stay within the currency type.
inline constexpr double kLargestServerNumber = 1e10;
// leadingNumber (0 when the text has none), or nullopt when the text's number does not fit (beyond
// kLargestServerNumber).
std::optional<double> fittingNumber(const QString &text);
// The whole number of the text (a null value when it is empty or not a number), or nullopt when it
// is a whole number beyond 32 bits.
std::optional<QVariant> fittingWholeNumber(const QString &text);
