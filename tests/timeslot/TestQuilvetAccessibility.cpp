#include "TimeSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QSignalSpy>
#include <QTest>
#include <quilvet/clsQuilvet.h>

using namespace quilvet;

class TestQuilvetAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void sliderShowsItsRangeValueAndName_data();
    void sliderShowsItsRangeValueAndName();
    void valueSetThroughTheInterfaceActsLikeTheOperator();
    void valueOffTheTrackIsBroughtOntoIt();
    void boxesAreNamedAfterTheirHeadings_data();
    void boxesAreNamedAfterTheirHeadings();
    void periodLabelsReadAsThePeriod();

private:
    QAccessibleInterface *sliderInterface() const;
    std::unique_ptr<clsQuilvet> m_control;
};

void TestQuilvetAccessibility::init()
{
    m_control = std::make_unique<clsQuilvet>();
    m_control->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_control.get()));
}

void TestQuilvetAccessibility::cleanup()
{
    m_control.reset();
}

QAccessibleInterface *TestQuilvetAccessibility::sliderInterface() const
{
    return QAccessible::queryAccessibleInterface(
        m_control->findChild<TimeSlider *>(QStringLiteral("Slider_Time")));
}

void TestQuilvetAccessibility::sliderShowsItsRangeValueAndName_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("time");
    QTest::newRow("48 slots, thumb at 18:00") << 48 << 36 << "18:00";
    QTest::newRow("96 slots, thumb at the end") << 96 << 96 << "23:59";
    QTest::newRow("1440 slots, last minute") << 1440 << 1439 << "23:59";
}

void TestQuilvetAccessibility::sliderShowsItsRangeValueAndName()
{
    QFETCH(int, slots);
    QFETCH(int, value);
    QFETCH(QString, time);
    m_control->setMaximum(slots);
    m_control->setValue(value);
    QAccessibleInterface *slider = sliderInterface();
    QVERIFY(slider);
    QCOMPARE(slider->role(), QAccessible::Slider);
    QCOMPARE(slider->text(QAccessible::Name), QStringLiteral("时间段"));
    QCOMPARE(slider->text(QAccessible::Value), time);
    QCOMPARE(slider->text(QAccessible::Description), time);
    QAccessibleValueInterface *range = slider->valueInterface();
    QVERIFY(range);
    QCOMPARE(range->minimumValue().toInt(), 0);
    QCOMPARE(range->maximumValue().toInt(), slots);
    QCOMPARE(range->minimumStepSize().toInt(), 1);
    QCOMPARE(range->currentValue().toInt(), value);
    // The slider is one of the control's accessible children.
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(m_control.get());
    QVERIFY(control->indexOfChild(slider) >= 0);
}

void TestQuilvetAccessibility::valueSetThroughTheInterfaceActsLikeTheOperator()
{
    m_control->setSelStart(16);
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    sliderInterface()->valueInterface()->setCurrentValue(36);
    QCOMPARE(change.count(), 1);
    QCOMPARE(propertyChanged.count(), 0);
    QCOMPARE(m_control->value(), 36);
    QCOMPARE(m_control->selLength(), 20);
    QCOMPARE(m_control->beginTime(), QStringLiteral("08:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("18:00"));
    // Setting the value the thumb already has is no change.
    sliderInterface()->valueInterface()->setCurrentValue(36);
    QCOMPARE(change.count(), 1);
}

void TestQuilvetAccessibility::valueOffTheTrackIsBroughtOntoIt()
{
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QAccessibleValueInterface *range = sliderInterface()->valueInterface();
    range->setCurrentValue(500);
    QCOMPARE(m_control->value(), 48);
    range->setCurrentValue(20.5); // halves go to the even neighbour
    QCOMPARE(m_control->value(), 20);
    range->setCurrentValue(QStringLiteral("abc"));
    QCOMPARE(m_control->value(), 20);
    QCOMPARE(change.count(), 1);
}

void TestQuilvetAccessibility::boxesAreNamedAfterTheirHeadings_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("name");
    const char16_t *days[]
        = { u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六", u"星期天", u"节日" };
    for (int i = 0; i < clsQuilvet::PriceCount; ++i) {
        const QString box = QStringLiteral("txtPrice_Week(%1)").arg(i);
        QTest::newRow(qPrintable(box))
            << box << QString::fromUtf16(days[i]) + QStringLiteral(" 时段价格(元/小时)");
    }
    QTest::newRow("txtMaxMinute") << "txtMaxMinute" << QStringLiteral("计时超过 … 分钟算包场");
    QTest::newRow("txtRoomFee_All") << "txtRoomFee_All" << QStringLiteral("包场费为 … 元");
}

void TestQuilvetAccessibility::boxesAreNamedAfterTheirHeadings()
{
    QFETCH(QString, box);
    QFETCH(QString, name);
    QAccessibleInterface *field = QAccessible::queryAccessibleInterface(m_control->findChild<QWidget *>(box));
    QVERIFY(field);
    QCOMPARE(field->role(), QAccessible::EditableText);
    QCOMPARE(field->text(QAccessible::Name), name);
}

void TestQuilvetAccessibility::periodLabelsReadAsThePeriod()
{
    m_control->setSelStart(16);
    sliderInterface()->valueInterface()->setCurrentValue(36);
    const auto label = [this](const char *name) {
        return QAccessible::queryAccessibleInterface(m_control->findChild<QWidget *>(QLatin1String(name)));
    };
    QAccessibleInterface *begin = label("lblTimeBegin");
    QVERIFY(begin);
    QCOMPARE(begin->role(), QAccessible::StaticText);
    QCOMPARE(begin->text(QAccessible::Name), QStringLiteral("时间段： 08:00 － 18:00"));
    QVERIFY(!begin->state().invisible);
    // The row is read once: its other labels keep their captions, out of sight.
    for (const char *part : { "lblNote(16)", "lblNote(17)", "lblTimeEnd" }) {
        QVERIFY2(label(part)->state().invisible, part);
        QVERIFY2(!label(part)->text(QAccessible::Name).contains(QLatin1String("08:00")), part);
    }
    QCOMPARE(label("lblTimeEnd")->text(QAccessible::Name), QStringLiteral("18:00"));
    // A host's caption is read as written; the visible caption stays the time alone.
    m_control->setEndTime(QStringLiteral("19:00"));
    QCOMPARE(begin->text(QAccessible::Name), QStringLiteral("时间段： 08:00 － 19:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("19:00"));
}

QTEST_MAIN(TestQuilvetAccessibility)
#include "TestQuilvetAccessibility.moc"
