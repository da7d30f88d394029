#include "SlotClock.h"

#include "HalfEven.h"
#include "QuilvetError.h"

#include <cmath>
#include <limits>

namespace quilvet::SlotClock {

std::optional<qint16> step(qint32 slotCount)
{
    if (slotCount == 0) {
        return std::nullopt;
    }
    const double quotient = 60.0 / (static_cast<double>(slotCount) / 24.0);
    const double rounded = roundHalfEven(quotient);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint16>::min()
        || rounded > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(rounded);
}

bool isAcceptedSlotCount(qint32 slotCount)
{
    if (slotCount == 0 || slotCount % 24 != 0) {
        return false;
    }
    return 60 % (slotCount / 24) == 0;
}

void checkSlotCount(qint32 slotCount)
{
    if (!isAcceptedSlotCount(slotCount)) {
        throw Error::invalidSlotCount();
    }
}

QString slotTimeText(qint32 position, qint16 step)
{
    constexpr qint64 minutesPerDay = 24 * 60;
    const qint64 minutes = static_cast<qint64>(step) * position;
    const qint64 ofDay = ((minutes % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return QStringLiteral("%1:%2")
        .arg(ofDay / 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString endTimeText(qint32 value, qint32 slotCount, qint16 step)
{
    if (value < slotCount) {
        return slotTimeText(value, step);
    }
    return QString::fromUtf16(EndOfDayText);
}

} // namespace quilvet::SlotClock
