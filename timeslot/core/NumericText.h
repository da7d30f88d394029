#pragma once

#include "QuilvetInternal.h"

#include <QString>

// Tidying of the texts the operator types into the price and limit boxes.
namespace quilvet::NumericText {

// Removes the space characters (U+0020 only) at both ends; spaces inside stay.
QUILVET_INTERNAL QString trimSpaces(const QString &text);

// Whether text reads as a number. Accepted: an optional leading sign (+ or -),
// decimal digits with at most one decimal point ('.') and at least one digit,
// optionally followed by an exponent (e or E, optional sign, digits), as in
// "-5", "+3.25", "7.", ".5", "1e3". Not accepted: the empty text, blanks of
// any kind (the callers trim first), group separators, currency signs,
// hexadecimal forms, full-width digits and words. The form is tested, never
// the range: any number of digits passes.
QUILVET_INTERNAL bool isNumeric(const QString &text);

} // namespace quilvet::NumericText
