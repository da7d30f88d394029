#include "TimeSliderAccessible.h"

#include "HalfEven.h"
#include "SlotClock.h"
#include "TimeSlider.h"

#include <algorithm>
#include <cmath>

namespace quilvet {

TimeSliderAccessible::TimeSliderAccessible(TimeSlider *slider)
    : QAccessibleWidget(slider, QAccessible::Slider)
{ }

TimeSlider *TimeSliderAccessible::slider() const
{
    return static_cast<TimeSlider *>(widget());
}

void *TimeSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface *>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString TimeSliderAccessible::text(QAccessible::Text kind) const
{
    const bool isTime = kind == QAccessible::Value
        || (kind == QAccessible::Description && widget()->accessibleDescription().isEmpty());
    if (!isTime) {
        return QAccessibleWidget::text(kind);
    }
    const std::optional<qint16> step = SlotClock::step(slider()->maximum());
    if (!step) {
        return QString::number(slider()->value());
    }
    return SlotClock::endTimeText(slider()->value(), slider()->maximum(), *step);
}

QVariant TimeSliderAccessible::currentValue() const
{
    return slider()->value();
}

void TimeSliderAccessible::setCurrentValue(const QVariant &value)
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber || !std::isfinite(number)) {
        return;
    }
    const double onTrack = std::clamp(number, 0.0, static_cast<double>(std::max(slider()->maximum(), 0)));
    slider()->moveThumb(static_cast<qint32>(roundHalfEven(onTrack)));
}

QVariant TimeSliderAccessible::maximumValue() const
{
    return std::max(slider()->maximum(), 0);
}

QVariant TimeSliderAccessible::minimumValue() const
{
    return 0;
}

QVariant TimeSliderAccessible::minimumStepSize() const
{
    return 1;
}

} // namespace quilvet
