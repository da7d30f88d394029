#pragma once

#include <QAccessibleWidget>

namespace quilvet {

class TimeSlider;

// What an accessibility client sees of a TimeSlider: a slider whose value is
// the thumb, from 0 to the slot count in steps of one slot, and whose value text
// and description are the thumb's clock time ("18:00"; screen readers on AT-SPI
// get no value text from Qt, so they read the description). A value set through it moves the thumb as the
// operator's keyboard would, so the slider reports changed().
class TimeSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TimeSliderAccessible(TimeSlider *slider);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    TimeSlider *slider() const;
};

} // namespace quilvet
