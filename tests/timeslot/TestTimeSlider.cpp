#include "QuilvetError.h"
#include "SliderDriver.h"
#include "TimeSlider.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace quilvet;

class TestTimeSlider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dragReportsEveryStepThenOneChange();
    void dragEndingWhereItBeganReportsNoChange();
    void clickOnTheTrackMovesTheThumbThere();
    void keysMoveOneSlotOrOneHour_data();
    void keysMoveOneSlotOrOneHour();
    void keyAtTheEndOfTheTrackReportsNothing();
    void wheelNotchMovesOneSlot();
    void writesByCodeAreSilentAndKeptAsWritten();
    void writeOfTheValueInsideANotificationIsReportedNested();
    void thumbShowsItsClockTimeWhileDragged();
    void trackWithoutSlotsCannotBeMovedAndDoesNotCrash();
    void negativeMaximumIsRefused();

private:
    std::unique_ptr<TimeSlider> m_slider;
};

void TestTimeSlider::init()
{
    m_slider = std::make_unique<TimeSlider>();
    m_slider->resize(579, 22);
    m_slider->setMaximum(48);
    m_slider->setValue(20);
    m_slider->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_slider.get()));
}

void TestTimeSlider::cleanup()
{
    m_slider.reset();
}

void TestTimeSlider::dragReportsEveryStepThenOneChange()
{
    QSignalSpy scrolled(m_slider.get(), &TimeSlider::scrolled);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    SliderDriver driver(m_slider.get());

    driver.press(20);
    driver.moveTo(21);
    driver.moveTo(22);
    driver.moveTo(22);
    driver.moveTo(25);
    QCOMPARE(scrolled.count(), 3);
    QCOMPARE(changed.count(), 0);

    driver.release(25);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_slider->value(), 25);
}

void TestTimeSlider::dragEndingWhereItBeganReportsNoChange()
{
    QSignalSpy scrolled(m_slider.get(), &TimeSlider::scrolled);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    SliderDriver(m_slider.get()).drag(20, { 24, 20 });
    QCOMPARE(scrolled.count(), 2);
    QCOMPARE(changed.count(), 0);
}

void TestTimeSlider::clickOnTheTrackMovesTheThumbThere()
{
    QSignalSpy scrolled(m_slider.get(), &TimeSlider::scrolled);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    SliderDriver(m_slider.get()).click(36);
    QCOMPARE(m_slider->value(), 36);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(scrolled.count(), 0);
}

void TestTimeSlider::keysMoveOneSlotOrOneHour_data()
{
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<int>("key");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("right") << 48 << int(Qt::Key_Right) << 21;
    QTest::newRow("left") << 48 << int(Qt::Key_Left) << 19;
    QTest::newRow("page up: an hour of half hours") << 48 << int(Qt::Key_PageUp) << 22;
    QTest::newRow("page down: an hour of quarters") << 96 << int(Qt::Key_PageDown) << 16;
    QTest::newRow("home") << 48 << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << 96 << int(Qt::Key_End) << 96;
    QTest::newRow("page up stops at the end") << 24 << int(Qt::Key_PageUp) << 21;
}

void TestTimeSlider::keysMoveOneSlotOrOneHour()
{
    QFETCH(qint32, slots);
    QFETCH(int, key);
    QFETCH(qint32, expected);
    m_slider->setMaximum(slots);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    QTest::keyClick(m_slider.get(), Qt::Key(key));
    QCOMPARE(m_slider->value(), expected);
    QCOMPARE(changed.count(), 1);
}

void TestTimeSlider::keyAtTheEndOfTheTrackReportsNothing()
{
    m_slider->setValue(48);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    QTest::keyClick(m_slider.get(), Qt::Key_Right);
    QTest::keyClick(m_slider.get(), Qt::Key_End);
    QCOMPARE(changed.count(), 0);
}

void TestTimeSlider::wheelNotchMovesOneSlot()
{
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    const QPointF at = m_slider->thumbCentre(20);
    QWheelEvent half(
        at, m_slider->mapToGlobal(at), {}, { 0, 60 }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_slider.get(), &half);
    QCOMPARE(changed.count(), 0);
    QApplication::sendEvent(m_slider.get(), &half);
    QCOMPARE(m_slider->value(), 21);
    QCOMPARE(changed.count(), 1);
}

void TestTimeSlider::writesByCodeAreSilentAndKeptAsWritten()
{
    QSignalSpy scrolled(m_slider.get(), &TimeSlider::scrolled);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    m_slider->setValue(30);
    m_slider->setValue(30);
    m_slider->setSelStart(5);
    m_slider->setSelLength(25);
    m_slider->setSelectRange(false);
    m_slider->setMaximum(24);
    QCOMPARE(m_slider->value(), 30);
    m_slider->setValue(500);
    QCOMPARE(m_slider->value(), 500);
    QCOMPARE(m_slider->maximum(), 24);
    QCOMPARE(scrolled.count(), 0);
    QCOMPARE(changed.count(), 0);

    // The operator's next action brings the thumb back onto the track.
    QTest::keyClick(m_slider.get(), Qt::Key_Left);
    QCOMPARE(m_slider->value(), 23);
    QCOMPARE(changed.count(), 1);
}

void TestTimeSlider::writeOfTheValueInsideANotificationIsReportedNested()
{
    QStringList log;
    connect(m_slider.get(), &TimeSlider::changed, this, [&] {
        log << QStringLiteral("changed %1").arg(m_slider->value());
        if (m_slider->value() < 10) {
            m_slider->setValue(10);
        }
        log << QStringLiteral("end");
    });
    SliderDriver(m_slider.get()).click(4);
    QCOMPARE(log, QStringList({ "changed 4", "changed 10", "end", "end" }));
}

void TestTimeSlider::thumbShowsItsClockTimeWhileDragged()
{
    SliderDriver driver(m_slider.get());
    driver.press(20);
    driver.moveTo(21);
    const auto *tip = m_slider->findChild<QLabel *>(QStringLiteral("thumbTime"));
    QVERIFY(tip);
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->text(), QStringLiteral("10:30"));
    driver.moveTo(48);
    QCOMPARE(tip->text(), QStringLiteral("23:59"));
    driver.release(48);
    QVERIFY(!tip->isVisible());
}

void TestTimeSlider::trackWithoutSlotsCannotBeMovedAndDoesNotCrash()
{
    m_slider->setMaximum(0);
    m_slider->setValue(0);
    QSignalSpy scrolled(m_slider.get(), &TimeSlider::scrolled);
    QSignalSpy changed(m_slider.get(), &TimeSlider::changed);
    SliderDriver driver(m_slider.get());
    driver.drag(0, { 3, 10 });
    driver.click(5);
    QTest::keyClick(m_slider.get(), Qt::Key_PageUp);
    QTest::keyClick(m_slider.get(), Qt::Key_End);
    m_slider->repaint();
    QCOMPARE(m_slider->value(), 0);
    QCOMPARE(scrolled.count(), 0);
    QCOMPARE(changed.count(), 0);
}

void TestTimeSlider::negativeMaximumIsRefused()
{
    try {
        m_slider->setMaximum(-24);
        QFAIL("a negative maximum was accepted");
    } catch (const Error &error) {
        QCOMPARE(error.number(), ErrorNumber::InvalidPropertyValue);
    }
    QCOMPARE(m_slider->maximum(), 48);
}

QTEST_MAIN(TestTimeSlider)
#include "TestTimeSlider.moc"
