#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// Small readings of names and numbers that fields, web pages, form data and the editors share.

// The name before a bracketed suffix: "SUPER STAR (NZ)" gives "SUPER STAR " (the text is only cut,
// so blanks stay as they were), "Kate Rowe (a2)" gives "Kate Rowe ". The first "(" cuts, however
// many follow and whether or not it is closed; a name with nothing but blanks before its first "("
// is kept whole, so that no name is cut to nothing.
QString nameBeforeBracket(const QString &name);

// The number the text begins with, after blanks: sign, digits, one decimal point, exponent
// ("70+" gives 70, "58.5kg" 58.5, "-2" -2); nullopt when it begins with none ("WON", "", ".").
// A number too large for a double gives an infinity.
std::optional<double> leadingNumber(const QString &text);
// The whole number of the digits the text begins with, after blanks ("6th" gives 6, "72.5" 72);
// nullopt when it begins with no digit or the number is beyond 32 bits.
std::optional<int> leadingWholeNumber(const QString &text);
// The whole number the text is, blanks around it allowed (" 12 " gives 12, "-3" -3); nullopt for
// any other text ("12a", "1.5", "") and beyond 32 bits.
std::optional<int> wholeNumber(const QString &text);
// A weight in kilograms as the tenths the database keeps ("58.5kg" gives 585); nullopt when the
// text begins with no number or with one far beyond any weight.
std::optional<int> weightTenths(const QString &text);

// A text column's value: NULL for a text that is empty or only blanks, else the text as given.
QVariant textOrNull(const QString &text);
