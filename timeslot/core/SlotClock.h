#pragma once

#include "QuilvetInternal.h"

#include <QString>

#include <optional>

// Slot arithmetic of the day slider: the day is divided into a number of equal
// slots, and a slider position p stands for the clock time p * step minutes
// after 00:00. Nothing here needs a widget.
namespace quilvet::SlotClock {

// Clock text of the end of the last slot; the end of the day is never shown as "00:00".
inline constexpr char16_t EndOfDayText[] = u"23:59";

// Slot length in minutes: 60 / (slotCount / 24) in double precision, rounded to the
// nearest whole number (halves to the even neighbour) into a 16-bit integer. Empty
// when the quotient is undefined (no slots) or does not fit 16 bits.
QUILVET_INTERNAL std::optional<qint16> step(qint32 slotCount);

// True for the slot counts the Max property accepts: a non-zero multiple of 24
// whose number of slots per hour divides 60.
QUILVET_INTERNAL bool isAcceptedSlotCount(qint32 slotCount);

// Throws Error 901 unless isAcceptedSlotCount(slotCount).
QUILVET_INTERNAL void checkSlotCount(qint32 slotCount);

// "hh:mm" of position * step minutes after 00:00. Whole days fall away and a
// negative count gives a time of the day before. The product is formed in 64
// bits, so no position can overflow it.
QUILVET_INTERNAL QString slotTimeText(qint32 position, qint16 step);

// Text of the period's end: slotTimeText(value) before the last boundary,
// "23:59" at or beyond slotCount.
QUILVET_INTERNAL QString endTimeText(qint32 value, qint32 slotCount, qint16 step);

} // namespace quilvet::SlotClock
