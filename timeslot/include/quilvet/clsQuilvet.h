#pragma once

#include <QString>
#include <QWidget>
#include <quilvet/QuilvetError.h>
#include <quilvet/quilvet_export.h>

#include <memory>

namespace quilvet {
class PropertyStore;
} // namespace quilvet

class clsQuilvetPrivate;

// The time-slot pricing control: a slider that divides the day into Max equal
// slots, on which the operator marks one period (SelStart to Value), with the
// period's begin and end shown as clock texts, and the prices of that period for
// eight day kinds, a minute limit and a whole-room fee.
//
// Every property write ends with PropertyChanged(name), also when the value did
// not change. Change and Scroll are raised synchronously from the slider's
// notifications, after the selection and the clock texts have been brought up
// to date; property writes never raise them.
//
// Refusals. setMaximum() throws quilvet::Error 901 for a slot count that does not
// divide the day into whole minutes; nothing changes then. Writes through Qt's
// property system (QObject::setProperty, Designer) and through setMax(), which
// the code uic generates for a form calls, cannot throw to their caller: such a
// write of "Max" changes nothing either and reports the error through
// writeRefused() instead.
class QUILVET_EXPORT clsQuilvet : public QWidget
{
    Q_OBJECT
    // Declared with Max ahead of the positions that are measured against it, and
    // the prices in day order: Designer writes a form's properties, and uic sets
    // them, in this order. Each WRITE is the setter Qt expects for the name.
    Q_PROPERTY(bool Enabled READ enabledState WRITE setEnabled)
    Q_PROPERTY(int Max READ maximum WRITE setMax)
    Q_PROPERTY(int Value READ value WRITE setValue)
    Q_PROPERTY(QString ToolTipText READ toolTipText WRITE setToolTipText)
    Q_PROPERTY(int SelStart READ selStart WRITE setSelStart)
    Q_PROPERTY(QString MaxMinute READ maxMinute WRITE setMaxMinute)
    Q_PROPERTY(QString RoomFee_All READ roomFeeAll WRITE setRoomFee_All)
    Q_PROPERTY(QString TimeIndex READ timeIndex WRITE setTimeIndex)
    Q_PROPERTY(QString BeginTime READ beginTime WRITE setBeginTime)
    Q_PROPERTY(QString EndTime READ endTime WRITE setEndTime)
    Q_PROPERTY(bool SelectRange READ selectRange WRITE setSelectRange)
    Q_PROPERTY(int SelLength READ selLength WRITE setSelLength)
    Q_PROPERTY(QString PriceWeek1 READ priceWeek1 WRITE setPriceWeek1)
    Q_PROPERTY(QString PriceWeek2 READ priceWeek2 WRITE setPriceWeek2)
    Q_PROPERTY(QString PriceWeek3 READ priceWeek3 WRITE setPriceWeek3)
    Q_PROPERTY(QString PriceWeek4 READ priceWeek4 WRITE setPriceWeek4)
    Q_PROPERTY(QString PriceWeek5 READ priceWeek5 WRITE setPriceWeek5)
    Q_PROPERTY(QString PriceWeek6 READ priceWeek6 WRITE setPriceWeek6)
    Q_PROPERTY(QString PriceWeek7 READ priceWeek7 WRITE setPriceWeek7)
    Q_PROPERTY(QString PriceWeek8 READ priceWeek8 WRITE setPriceWeek8)

public:
    static constexpr int PriceCount = 8;

    explicit clsQuilvet(QWidget *parent = nullptr);
    ~clsQuilvet() override;

    // Enabled: the control's own enabled state, which governs all its children.
    bool enabledState() const;
    // Enables or disables the control as QWidget::setEnabled does, and sends
    // PropertyChanged("Enabled"); setEnabledState() is the same write.
    void setEnabled(bool enabled);
    void setEnabledState(bool enabled);

    // Value: the thumb, the slot boundary where the period ends.
    qint32 value() const;
    void setValue(qint32 value);

    // ToolTipText: a text kept for the host; no child displays it.
    QString toolTipText() const;
    void setToolTipText(const QString &text);

    // SelStart: the slot boundary where the period begins.
    qint32 selStart() const;
    void setSelStart(qint32 selStart);

    // MaxMinute: minutes of timed play after which it counts as a whole-room booking.
    QString maxMinute() const;
    void setMaxMinute(const QString &text);

    // RoomFee_All: the whole-room fee; always trimmed and numeric ("0" otherwise).
    QString roomFeeAll() const;
    void setRoomFee_All(const QString &text);
    void setRoomFeeAll(const QString &text); // the same write as setRoomFee_All()

    // TimeIndex, BeginTime, EndTime: captions only; writing them moves nothing.
    QString timeIndex() const;
    void setTimeIndex(const QString &text);
    QString beginTime() const;
    void setBeginTime(const QString &text);
    QString endTime() const;
    void setEndTime(const QString &text);

    bool selectRange() const;
    void setSelectRange(bool selectRange);

    // Max: the number of slots in the day.
    qint32 maximum() const;
    // Throws quilvet::Error 901 unless slotCount is a non-zero multiple of 24 whose
    // slots per hour divide 60: of the positive counts 24, 48, 72, 96, 120, 144, 240,
    // 288, 360, 480, 720 and 1440. A negative count that passes that test is refused
    // by the slider with Error 380. After a refusal nothing has changed and
    // PropertyChanged is not sent. Positions and captions are not adjusted.
    void setMaximum(qint32 slotCount);
    // The same write for forms and Qt's property system, which cannot take an
    // exception: a refused count changes nothing and is reported through
    // writeRefused("Max", ...).
    void setMax(qint32 slotCount);

    qint32 selLength() const;
    void setSelLength(qint32 selLength);

    // PriceWeek1..PriceWeek8 by index 0..7 (Monday to Sunday, then holidays). A
    // write that changes price k is copied on to every later day kind. Throws
    // quilvet::Error 9 for an index outside 0..7.
    QString priceWeek(int index) const;
    void setPriceWeek(int index, const QString &text);
    QString priceWeek1() const { return priceWeek(0); }
    QString priceWeek2() const { return priceWeek(1); }
    QString priceWeek3() const { return priceWeek(2); }
    QString priceWeek4() const { return priceWeek(3); }
    QString priceWeek5() const { return priceWeek(4); }
    QString priceWeek6() const { return priceWeek(5); }
    QString priceWeek7() const { return priceWeek(6); }
    QString priceWeek8() const { return priceWeek(7); }
    void setPriceWeek1(const QString &text) { setPriceWeek(0, text); }
    void setPriceWeek2(const QString &text) { setPriceWeek(1, text); }
    void setPriceWeek3(const QString &text) { setPriceWeek(2, text); }
    void setPriceWeek4(const QString &text) { setPriceWeek(3, text); }
    void setPriceWeek5(const QString &text) { setPriceWeek(4, text); }
    void setPriceWeek6(const QString &text) { setPriceWeek(5, text); }
    void setPriceWeek7(const QString &text) { setPriceWeek(6, text); }
    void setPriceWeek8(const QString &text) { setPriceWeek(7, text); }

    // Persistence through the host's property store (see PropertyStore.h).
    // InitProperties gives a new instance its defaults (an empty ToolTipText; all
    // else stays as laid out). ReadProperties restores and WriteProperties saves
    // the twenty properties, key by key in a fixed order. Values go to the children
    // directly: "Max" is not checked, and no PropertyChanged is sent. A failure of
    // the store or a stored value that does not convert stops the operation at
    // that key and is thrown as quilvet::Error; the keys before it stay applied.
    // "Value" is read with an empty QVariant as its default, which no stored value
    // can be, instead of the slider's maximum: when the store gives it back (the
    // saved value equalled the saved maximum, so it was not kept), the value is
    // set to the slider's maximum at that step and to the restored maximum right
    // after "Max", before "SelLength" is read, so a period that ends at the end of
    // the day comes back whole, whatever the store.
    void InitProperties();
    void ReadProperties(quilvet::PropertyStore &store);
    void WriteProperties(quilvet::PropertyStore &store) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The slider reports that the operator changed the position.
    void Change();
    // The slider reports one step of a drag of the thumb.
    void Scroll();
    // A property write happened; the persisted state of the control has changed.
    void PropertyChanged(const QString &propertyName);
    // A write through Qt's property system or setMax() was refused; nothing changed.
    void writeRefused(
        const QString &propertyName, int number, const QString &source, const QString &description);

private:
    friend class clsQuilvetPrivate;
    const std::unique_ptr<clsQuilvetPrivate> d;
};
