// Measures, as ratios to a bare QSlider with two QLabels doing the same updates:
//  - one scroll step of a drag (mouse move, notification, selection and clock
//    texts, the host's event), driven by real mouse events;
//  - the same step without the mouse: the scroll notification, its updates and
//    the host's event;
//  - building one control.
// The drag step of clsQuilvet includes the tooltip that shows the thumb's time.
// Usage: QT_QPA_PLATFORM=offscreen quilvet-bench [iterations]

#include "SlotClock.h"
#include "TimeSlider.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <quilvet/clsQuilvet.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double nanosecondsPerRun(int runs, const std::function<void()> &work)
{
    for (int i = 0; i < runs / 10 + 1; ++i) {
        work();
    }
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) {
        work();
    }
    const auto elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    return elapsed / runs;
}

void sendMouse(
    QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The bare counterpart: a slider, a begin and an end label, and the same updates.
class BareSlot : public QWidget
{
public:
    BareSlot()
    {
        slider = new QSlider(Qt::Horizontal, this);
        slider->setGeometry(60, 4, 579, 22);
        slider->setRange(0, 48);
        slider->setValue(48);
        begin = new QLabel(QStringLiteral("00:00"), this);
        end = new QLabel(QStringLiteral("23:59"), this);
        begin->setGeometry(58, 67, 35, 12);
        end->setGeometry(112, 67, 35, 12);
        resize(698, 100);
        connect(slider, &QSlider::sliderMoved, this, [this](int) { update(); });
    }

    void update()
    {
        const auto step = quilvet::SlotClock::step(slider->maximum());
        if (slider->value() <= selStart) {
            slider->setValue(selStart);
        }
        selLength = slider->value() - selStart;
        begin->setText(quilvet::SlotClock::slotTimeText(selStart, *step));
        end->setText(quilvet::SlotClock::endTimeText(slider->value(), slider->maximum(), *step));
        ++events;
    }

    QPoint handleCentre(int value) const
    {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = Qt::Horizontal;
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = value;
        option.sliderValue = value;
        return slider->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
            .center();
    }

    QSlider *slider;
    QLabel *begin;
    QLabel *end;
    int selStart = 0;
    int selLength = 48;
    long events = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;

    // Scroll steps: the thumb moves back and forth between 20 and 21.
    clsQuilvet control;
    control.show();
    long hostEvents = 0;
    QObject::connect(&control, &clsQuilvet::Scroll, [&] { ++hostEvents; });
    auto *slider = control.findChild<quilvet::TimeSlider *>(QStringLiteral("Slider_Time"));
    control.setValue(20);
    const QPoint at20 = slider->thumbCentre(20);
    const QPoint at21 = slider->thumbCentre(21);
    sendMouse(slider, QEvent::MouseButtonPress, at20, Qt::LeftButton, Qt::LeftButton);
    bool toggle = false;
    const double quilvetScroll = nanosecondsPerRun(runs, [&] {
        toggle = !toggle;
        sendMouse(slider, QEvent::MouseMove, toggle ? at21 : at20, Qt::NoButton, Qt::LeftButton);
    });
    sendMouse(slider, QEvent::MouseButtonRelease, at20, Qt::LeftButton, Qt::NoButton);

    BareSlot bare;
    bare.show();
    bare.slider->setValue(20);
    const QPoint bare20 = bare.handleCentre(20);
    const QPoint bare21 = bare.handleCentre(21);
    sendMouse(bare.slider, QEvent::MouseButtonPress, bare20, Qt::LeftButton, Qt::LeftButton);
    toggle = false;
    const double bareScroll = nanosecondsPerRun(runs, [&] {
        toggle = !toggle;
        sendMouse(bare.slider, QEvent::MouseMove, toggle ? bare21 : bare20, Qt::NoButton, Qt::LeftButton);
    });
    sendMouse(bare.slider, QEvent::MouseButtonRelease, bare20, Qt::LeftButton, Qt::NoButton);

    // The notification alone: the thumb is written silently, then the slider's
    // scroll notification is delivered as a drag step would deliver it.
    toggle = false;
    const double quilvetNotification = nanosecondsPerRun(runs, [&] {
        toggle = !toggle;
        slider->setValue(toggle ? 21 : 20);
        Q_EMIT slider->scrolled();
    });
    toggle = false;
    const double bareNotification = nanosecondsPerRun(runs, [&] {
        toggle = !toggle;
        bare.slider->setValue(toggle ? 21 : 20);
        Q_EMIT bare.slider->sliderMoved(bare.slider->value());
    });

    const int builds = std::max(50, runs / 50);
    const double quilvetBuild = nanosecondsPerRun(builds, [] { clsQuilvet built; });
    const double bareBuild = nanosecondsPerRun(builds, [] { BareSlot built; });

    std::printf("scroll step: clsQuilvet %.0f ns, bare QSlider+2 QLabel %.0f ns, ratio %.2f\n", quilvetScroll,
        bareScroll, quilvetScroll / bareScroll);
    std::printf("notification: clsQuilvet %.0f ns, bare QSlider+2 QLabel %.0f ns, ratio %.2f\n",
        quilvetNotification, bareNotification, quilvetNotification / bareNotification);
    std::printf("build:       clsQuilvet %.0f ns, bare QSlider+2 QLabel %.0f ns, ratio %.2f\n", quilvetBuild,
        bareBuild, quilvetBuild / bareBuild);
    // Every measured step must have reached the host as an event.
    return hostEvents > 0 && bare.events > 0 ? 0 : 1;
}
