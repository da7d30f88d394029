#pragma once

#include "TimeSlider.h"

#include <QApplication>
#include <QMouseEvent>

// Drives a TimeSlider as an operator's mouse would, by slider positions.
class SliderDriver
{
public:
    explicit SliderDriver(quilvet::TimeSlider *slider)
        : m_slider(slider)
    { }

    void press(qint32 position) { send(QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton); }
    void moveTo(qint32 position) { send(QEvent::MouseMove, position, Qt::NoButton, Qt::LeftButton); }
    void release(qint32 position)
    {
        send(QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
    }

    void drag(qint32 from, std::initializer_list<qint32> through)
    {
        press(from);
        qint32 last = from;
        for (qint32 position : through) {
            moveTo(position);
            last = position;
        }
        release(last);
    }

    void click(qint32 position)
    {
        press(position);
        release(position);
    }

private:
    void send(QEvent::Type type, qint32 position, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPointF local = m_slider->thumbCentre(position);
        QMouseEvent event(type, local, m_slider->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(m_slider, &event);
    }

    quilvet::TimeSlider *m_slider;
};
