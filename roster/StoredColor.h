#pragma once

#include <QColor>
#include <QString>

using namespace Qt::Literals::StringLiterals;

// Colours as the database and the settings keep them: a 24-bit value with red in the low byte
// and blue in the high byte, as decimal text ("255" is red). Values that are not a plain
// colour ("&H80000005", the window background, -1, 0) stand for the control's default colour,
// which is an invalid QColor here.

// What a jockey without a chosen colour holds.
inline const QString kDefaultStoredColor = u"&H80000005"_s;

// Reads decimal text or "&H" hexadecimal text (32-bit, so "&H80000005" is negative).
QColor fromStoredColor(const QString &text);
QColor fromStoredColor(qint64 value);
// The decimal text of the colour; the default colour gives kDefaultStoredColor.
QString toStoredColor(const QColor &color);
// The 24-bit value (red low); -1 for the default colour.
qint64 toStoredColorValue(const QColor &color);
