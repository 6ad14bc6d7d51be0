#pragma once

#include <QString>

// Text conversions of the form data as the data server's answers need them.

// The number the text begins with (after blanks; sign, digits, one decimal point, exponent),
// 0 when it begins with none: "58.5kg" gives 58.5, "WON" gives 0.
double leadingNumber(const QString &text);

// First letter of each blank-separated word upper-case, the rest lower-case: "K O'BRIEN" gives "K O'brien".
QString properCase(const QString &text);
