#pragma once

#include <QString>

namespace brevane {

// The numeric-text test the captions use for a control's Tag: blanks around
// the text are ignored; an optional sign, digits with an optional decimal
// point (at least one digit in all) and an optional exponent ("1e3") pass.
// The empty text, words and group separators fail.
bool isNumericText(const QString &text);

// Converts numeric text to a 32-bit integer the way the platform's long
// conversion does: rounded to the nearest whole number, halves to the even
// neighbour. Throws Failure 13 (type mismatch) for text that is not numeric
// and Failure 6 (overflow) for a value outside the 32-bit range.
qint32 toInt32(const QString &text);

} // namespace brevane
