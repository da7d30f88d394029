#pragma once

#include "QuilvetInternal.h"

#include <QString>
#include <QVariant>

// Conversions of stored property values to the kinds the control holds. A value
// that does not convert throws Error 13 (type mismatch); a number that does not
// fit 32 bits throws Error 6 (overflow).
namespace quilvet::PropertyValue {

// bool as is; numbers: non-zero is true; text: "True"/"False" in any case, or a
// number (NumericText::isNumeric). An empty variant is false.
QUILVET_INTERNAL bool toBoolean(const QVariant &value);

// Integers as they are; true is -1 and false 0; fractions and numeric text are
// rounded to the nearest whole number, halves to the even one. An empty variant is 0.
QUILVET_INTERNAL qint32 toInt32(const QVariant &value);

// Text as is; true and false as "True" and "False"; numbers in decimal. An
// empty variant is the empty text.
QUILVET_INTERNAL QString toText(const QVariant &value);

// Whether a value equals the default written with it: numbers (of any width)
// by value, Booleans and texts (case-sensitively) among themselves; values of
// different kinds are never equal.
QUILVET_INTERNAL bool equals(const QVariant &value, const QVariant &defaultValue);

} // namespace quilvet::PropertyValue
