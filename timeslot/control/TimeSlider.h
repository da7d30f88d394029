#pragma once

#include "QuilvetInternal.h"

#include <QWidget>

#include <memory>

namespace quilvet {

// Horizontal slider over one day: a thumb (value) on a track from 0 to maximum,
// with a selection range (selStart, selLength) that is drawn when selectRange is on.
//
// The slider reports operator actions only:
//  - scrolled(): once for each step of a drag of the thumb;
//  - changed(): when the operator has changed the position (a drag ended away
//    from where it began, a key, the wheel, a click on the track).
// Writes by code are silent, with one exception: a write of the value made while
// the slider is delivering one of its own notifications belongs to the operator's
// action in progress, so it is reported as a further, nested changed().
// A write that leaves a value as it was never produces a notification.
// Every change of the value, by code or by the operator, is announced to
// accessibility clients.
//
// Positions written by code are kept exactly as written, also outside 0..maximum,
// so that a read returns what was written and positions written before the maximum
// (as when properties are restored) survive; the thumb and the selection are drawn
// clamped to the track. Operator actions always produce positions in 0..maximum.
// A negative maximum is refused with error 380; a maximum of 0 is accepted and
// leaves the thumb immovable.
class QUILVET_INTERNAL TimeSlider : public QWidget
{
    Q_OBJECT

public:
    explicit TimeSlider(QWidget *parent = nullptr);
    ~TimeSlider() override;

    qint32 maximum() const;
    // Throws quilvet::Error 380 for a negative maximum. Positions are not adjusted.
    void setMaximum(qint32 maximum);

    qint32 value() const;
    void setValue(qint32 value);

    qint32 selStart() const;
    void setSelStart(qint32 selStart);

    qint32 selLength() const;
    void setSelLength(qint32 selLength);

    bool selectRange() const;
    void setSelectRange(bool selectRange);

    // Moves the thumb as the operator's keyboard would: onto the track, then
    // changed() when the position moved. Used by accessibility clients.
    void moveThumb(qint32 position);

    // Centre of the thumb, in widget coordinates, when it stands at position.
    QPoint thumbCentre(qint32 position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void scrolled();
    void changed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    class Private;
    const std::unique_ptr<Private> d;
};

} // namespace quilvet
