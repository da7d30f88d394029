#include "TimeSlider.h"

#include "QuilvetAccessibility.h"
#include "QuilvetError.h"
#include "SlotClock.h"
#include "ThumbTimeTip.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quilvet {

class TimeSlider::Private
{
public:
    explicit Private(TimeSlider *q)
        : q(q)
    { }

    // Counts the notifications being delivered, so that a write of the value
    // made from inside one can be recognised as part of the operator's action.
    class Delivery
    {
    public:
        explicit Delivery(Private *d)
            : d(d)
        {
            ++d->deliveries;
        }
        ~Delivery() { --d->deliveries; }
        Delivery(const Delivery &) = delete;
        Delivery &operator=(const Delivery &) = delete;

    private:
        Private *d;
    };

    qint32 trackMaximum() const { return std::max(maximum, 0); }
    qint32 onTrack(qint32 position) const { return std::clamp(position, 0, trackMaximum()); }

    // Slots in one hour, at least one: the page step of the keyboard.
    qint32 slotsPerHour() const { return std::max(1, static_cast<qint32>(std::lround(maximum / 24.0))); }

    QStyleOptionSlider styleOption() const
    {
        QStyleOptionSlider option;
        option.initFrom(q);
        option.orientation = Qt::Horizontal;
        option.minimum = 0;
        option.maximum = trackMaximum();
        option.sliderPosition = onTrack(value);
        option.sliderValue = option.sliderPosition;
        option.singleStep = 1;
        option.pageStep = slotsPerHour();
        option.tickPosition = QSlider::NoTicks;
        option.upsideDown = false;
        option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle | QStyle::SC_SliderTickmarks;
        if (dragging) {
            option.activeSubControls = QStyle::SC_SliderHandle;
            option.state |= QStyle::State_Sunken;
        }
        return option;
    }

    QRect grooveRect(const QStyleOptionSlider &option) const
    {
        return q->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, q);
    }

    QRect handleRect(const QStyleOptionSlider &option) const
    {
        return q->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, q);
    }

    // Left edge of the thumb for a position, as the style lays the thumb out.
    int thumbLeft(const QStyleOptionSlider &option, qint32 position) const
    {
        const QRect groove = grooveRect(option);
        const int length = handleRect(option).width();
        const int span = groove.width() - length;
        return groove.x() + QStyle::sliderPositionFromValue(0, trackMaximum(), onTrack(position), span);
    }

    qint32 positionAtThumbLeft(const QStyleOptionSlider &option, int x) const
    {
        const QRect groove = grooveRect(option);
        const int length = handleRect(option).width();
        const int span = groove.width() - length;
        return QStyle::sliderValueFromPosition(0, trackMaximum(), x - groove.x(), span);
    }

    void notifyScrolled()
    {
        Delivery delivery(this);
        Q_EMIT q->scrolled();
    }

    void notifyChanged()
    {
        Delivery delivery(this);
        Q_EMIT q->changed();
    }

    // Moves the thumb for the operator; true when the position changed.
    bool moveTo(qint32 position)
    {
        const qint32 target = onTrack(position);
        if (target == value) {
            return false;
        }
        value = target;
        q->update();
        announceValue();
        return true;
    }

    void announceValue()
    {
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent event(q, value);
            QAccessible::updateAccessibility(&event);
        }
        announceTime();
    }

    // The thumb's clock time is the slider's accessible description: Qt's AT-SPI
    // bridge passes on no value text, and refreshes a description only when told.
    void announceTime()
    {
        if (QAccessible::isActive()) {
            QAccessibleEvent event(q, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&event);
        }
    }

    void showThumbTime()
    {
        const auto step = SlotClock::step(maximum);
        if (!step) {
            return;
        }
        if (!tip) {
            tip = new ThumbTimeTip(q);
        }
        tip->showAt(q->mapToGlobal(q->thumbCentre(value)), SlotClock::endTimeText(value, maximum, *step));
    }

    void hideThumbTime()
    {
        if (tip) {
            tip->hide();
        }
    }

    TimeSlider *q;
    qint32 maximum = 48;
    qint32 value = 48;
    qint32 selStart = 0;
    qint32 selLength = 48;
    bool selectRange = true;

    bool dragging = false;
    qint32 dragStartValue = 0;
    int dragGrabOffset = 0;
    int wheelRemainder = 0;
    int deliveries = 0;
    ThumbTimeTip *tip = nullptr; // made at the first drag; a child of the slider
};

TimeSlider::TimeSlider(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<Private>(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Accessibility::installFactory();
}

TimeSlider::~TimeSlider() = default;

qint32 TimeSlider::maximum() const
{
    return d->maximum;
}

void TimeSlider::setMaximum(qint32 maximum)
{
    if (maximum < 0) {
        throw Error::invalidPropertyValue();
    }
    if (maximum == d->maximum) {
        return;
    }
    d->maximum = maximum;
    update();
    d->announceTime();
}

qint32 TimeSlider::value() const
{
    return d->value;
}

void TimeSlider::setValue(qint32 value)
{
    if (value == d->value) {
        return;
    }
    d->value = value;
    update();
    d->announceValue();
    if (d->deliveries > 0) {
        d->notifyChanged();
    }
}

qint32 TimeSlider::selStart() const
{
    return d->selStart;
}

void TimeSlider::setSelStart(qint32 selStart)
{
    if (selStart == d->selStart) {
        return;
    }
    d->selStart = selStart;
    update();
}

qint32 TimeSlider::selLength() const
{
    return d->selLength;
}

void TimeSlider::setSelLength(qint32 selLength)
{
    if (selLength == d->selLength) {
        return;
    }
    d->selLength = selLength;
    update();
}

bool TimeSlider::selectRange() const
{
    return d->selectRange;
}

void TimeSlider::setSelectRange(bool selectRange)
{
    if (selectRange == d->selectRange) {
        return;
    }
    d->selectRange = selectRange;
    update();
}

void TimeSlider::moveThumb(qint32 position)
{
    if (d->moveTo(position)) {
        d->notifyChanged();
    }
}

QPoint TimeSlider::thumbCentre(qint32 position) const
{
    const QStyleOptionSlider option = d->styleOption();
    const QRect handle = d->handleRect(option);
    return QPoint(d->thumbLeft(option, position) + handle.width() / 2, handle.center().y());
}

QSize TimeSlider::sizeHint() const
{
    return QSize(579, 22);
}

QSize TimeSlider::minimumSizeHint() const
{
    return QSize(60, 22);
}

void TimeSlider::paintEvent(QPaintEvent *)
{
    // The channel, the selection and the hour ticks are drawn here, the thumb by
    // the style: styles that fill the channel up to the thumb would hide the selection.
    QPainter painter(this);
    const QStyleOptionSlider option = d->styleOption();
    const QRect handle = d->handleRect(option);
    const int half = handle.width() / 2;
    const int left = d->thumbLeft(option, 0) + half;
    const int right = d->thumbLeft(option, d->trackMaximum()) + half;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;

    const QRect channel(left, handle.center().y() - 2, std::max(1, right - left), 4);
    painter.fillRect(channel, palette().color(group, QPalette::Base));
    painter.setPen(palette().color(group, QPalette::Mid));
    painter.drawRect(channel.adjusted(0, 0, -1, -1));

    if (d->selectRange && d->trackMaximum() > 0) {
        const qint64 end = static_cast<qint64>(d->selStart) + d->selLength;
        const qint32 from = d->onTrack(d->selStart);
        const qint32 to = static_cast<qint32>(std::clamp<qint64>(end, 0, d->trackMaximum()));
        const int x1 = d->thumbLeft(option, std::min(from, to)) + half;
        const int x2 = d->thumbLeft(option, std::max(from, to)) + half;
        painter.fillRect(QRect(x1, channel.top() + 1, std::max(1, x2 - x1), channel.height() - 2),
            palette().color(group, QPalette::Highlight));
        // Marks above the channel at both ends of the selection, as trackbars draw them.
        painter.setPen(palette().color(group, QPalette::WindowText));
        for (int x : { x1, x2 }) {
            painter.drawLine(x, channel.top() - 4, x, channel.top() - 2);
        }
    }

    // One tick for each hour, below the channel.
    painter.setPen(palette().color(group, QPalette::Mid));
    const qint32 perHour = d->slotsPerHour();
    for (qint64 position = 0; position <= d->trackMaximum(); position += perHour) {
        const int x = d->thumbLeft(option, static_cast<qint32>(position)) + half;
        painter.drawLine(x, height() - 4, x, height() - 2);
    }

    QStyleOptionSlider thumb = option;
    thumb.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &thumb, &painter, this);
}

void TimeSlider::hideEvent(QHideEvent *event)
{
    d->hideThumbTime();
    QWidget::hideEvent(event);
}

void TimeSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    const QStyleOptionSlider option = d->styleOption();
    const QRect handle = d->handleRect(option);
    const int x = event->position().toPoint().x();
    if (handle.contains(event->position().toPoint())) {
        d->dragGrabOffset = x - handle.x();
    } else {
        // A click on the track puts the thumb under the pointer; holding the
        // button then drags it from there.
        d->dragGrabOffset = handle.width() / 2;
        if (d->moveTo(d->positionAtThumbLeft(option, x - d->dragGrabOffset))) {
            d->notifyChanged();
        }
    }
    d->dragging = true;
    d->dragStartValue = d->value;
    d->showThumbTime();
    update();
}

void TimeSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!d->dragging) {
        event->ignore();
        return;
    }
    event->accept();
    const QStyleOptionSlider option = d->styleOption();
    const int x = event->position().toPoint().x();
    if (d->moveTo(d->positionAtThumbLeft(option, x - d->dragGrabOffset))) {
        d->notifyScrolled();
        // A handler may have ended the drag (by hiding or disabling the slider).
        if (d->dragging) {
            d->showThumbTime();
        } else {
            d->hideThumbTime();
        }
    }
}

void TimeSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!d->dragging || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    d->dragging = false;
    d->hideThumbTime();
    update();
    if (d->value != d->dragStartValue) {
        d->notifyChanged();
    }
}

void TimeSlider::keyPressEvent(QKeyEvent *event)
{
    const qint64 current = d->onTrack(d->value);
    qint64 target = current;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        target = current - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        target = current + 1;
        break;
    case Qt::Key_PageDown:
        target = current - d->slotsPerHour();
        break;
    case Qt::Key_PageUp:
        target = current + d->slotsPerHour();
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = d->trackMaximum();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A value written by code may lie off the track; any key brings it back onto it.
    const qint32 clamped = static_cast<qint32>(std::clamp<qint64>(target, 0, d->trackMaximum()));
    if (d->moveTo(clamped)) {
        d->notifyChanged();
    }
}

void TimeSlider::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    d->wheelRemainder += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = d->wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    d->wheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    if (notches == 0) {
        return;
    }
    const qint64 target = static_cast<qint64>(d->onTrack(d->value)) + notches;
    if (d->moveTo(static_cast<qint32>(std::clamp<qint64>(target, 0, d->trackMaximum())))) {
        d->notifyChanged();
    }
}

} // namespace quilvet
