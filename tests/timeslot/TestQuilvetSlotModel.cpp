#include "QuilvetError.h"
#include "SliderDriver.h"
#include "TimeSlider.h"
#include "clsQuilvet.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace quilvet;

class TestQuilvetSlotModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void freshControlShowsTheWholeDay();
    void movingTheThumbSetsThePeriodAndRaisesOneChange();
    void thumbAtTheEndShows2359_data();
    void thumbAtTheEndShows2359();
    void thumbDraggedBeforeTheStartIsPutBack();
    void thumbClickedBeforeTheStartRaisesTheNestedChange();
    void startAtTheEndWrittenByTheHost();
    void unlistedButWholeSlotCountsAreAccepted();
    void refusedSlotCountRaises901AndKeepsTheCount_data();
    void refusedSlotCountRaises901AndKeepsTheCount();
    void refusalThroughThePropertySystemIsSignalled_data();
    void refusalThroughThePropertySystemIsSignalled();
    void hostWritesLeaveTheCaptionsAlone();
    void writingBeginTimeMovesNothingUntilTheNextDrag();
    void captionsShowWhatIsWrittenNeverMarkup();
    void everyWriteSendsPropertyChangedWithItsName_data();
    void everyWriteSendsPropertyChangedWithItsName();
    void enabledGovernsTheChildrenAndReadsTheControlsOwnState();
    void slotCountOfZeroKeepsTheCaptions();

private:
    TimeSlider *slider() const { return m_control->findChild<TimeSlider *>(QStringLiteral("Slider_Time")); }

    std::unique_ptr<clsQuilvet> m_control;
};

void TestQuilvetSlotModel::init()
{
    m_control = std::make_unique<clsQuilvet>();
    m_control->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_control.get()));
    QVERIFY(slider());
}

void TestQuilvetSlotModel::cleanup()
{
    m_control.reset();
}

void TestQuilvetSlotModel::freshControlShowsTheWholeDay()
{
    QCOMPARE(m_control->maximum(), 48);
    QCOMPARE(m_control->selStart(), 0);
    QCOMPARE(m_control->value(), 48);
    QCOMPARE(m_control->selLength(), 48);
    QVERIFY(m_control->selectRange());
    QCOMPARE(m_control->beginTime(), QStringLiteral("00:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("23:59"));
    QCOMPARE(m_control->timeIndex(), QStringLiteral("1"));
    QVERIFY(m_control->enabledState());
    QCOMPARE(m_control->toolTipText(), QString());
}

void TestQuilvetSlotModel::movingTheThumbSetsThePeriodAndRaisesOneChange()
{
    m_control->setSelStart(16);
    m_control->setValue(20);
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QSignalSpy scroll(m_control.get(), &clsQuilvet::Scroll);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);

    SliderDriver(slider()).click(36);

    QCOMPARE(m_control->value(), 36);
    QCOMPARE(m_control->selLength(), 20);
    QCOMPARE(m_control->beginTime(), QStringLiteral("08:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("18:00"));
    QCOMPARE(change.count(), 1);
    QCOMPARE(scroll.count(), 0);
    QCOMPARE(propertyChanged.count(), 0);
}

void TestQuilvetSlotModel::thumbAtTheEndShows2359_data()
{
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<int>("stepsBack");
    QTest::addColumn<QString>("endTime");
    QTest::newRow("48 at the end") << 48 << 0 << "23:59";
    QTest::newRow("96 at 95") << 96 << 1 << "23:45";
    QTest::newRow("96 at 96") << 96 << 0 << "23:59";
    QTest::newRow("1440 at 1439 by the clock") << 1440 << 1 << "23:59";
    QTest::newRow("1440 at 1440 by the end rule") << 1440 << 0 << "23:59";
    QTest::newRow("120 at 119") << 120 << 1 << "23:48";
}

void TestQuilvetSlotModel::thumbAtTheEndShows2359()
{
    QFETCH(qint32, slots);
    QFETCH(int, stepsBack);
    QFETCH(QString, endTime);
    m_control->setMaximum(slots);
    m_control->setValue(10);
    m_control->setEndTime(QStringLiteral("--:--"));
    QTest::keyClick(slider(), Qt::Key_End);
    for (int i = 0; i < stepsBack; ++i) {
        QTest::keyClick(slider(), Qt::Key_Left);
    }
    QCOMPARE(m_control->value(), slots - stepsBack);
    QCOMPARE(m_control->endTime(), endTime);
}

void TestQuilvetSlotModel::thumbDraggedBeforeTheStartIsPutBack()
{
    m_control->setSelStart(10);
    m_control->setValue(20);
    QStringList events;
    connect(m_control.get(), &clsQuilvet::Change, this, [&] { events << QStringLiteral("Change"); });
    connect(m_control.get(), &clsQuilvet::Scroll, this, [&] { events << QStringLiteral("Scroll"); });

    SliderDriver(slider()).drag(20, { 4 });

    QCOMPARE(m_control->value(), 10);
    QCOMPARE(m_control->selLength(), 0);
    QCOMPARE(m_control->beginTime(), QStringLiteral("05:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("05:00"));
    // The thumb put back inside the scroll step is a nested change of the
    // operator's drag; the drag then ends away from where it began.
    QCOMPARE(events, QStringList({ "Change", "Scroll", "Change" }));
}

void TestQuilvetSlotModel::thumbClickedBeforeTheStartRaisesTheNestedChange()
{
    m_control->setSelStart(10);
    m_control->setValue(20);
    QStringList seen;
    connect(m_control.get(), &clsQuilvet::Change, this, [&] {
        seen << QStringLiteral("%1 %2-%3")
                    .arg(m_control->value())
                    .arg(m_control->beginTime(), m_control->endTime());
    });

    SliderDriver(slider()).click(4);

    // The nested run already finds the thumb at the start; the outer Change
    // follows with the same state.
    QCOMPARE(seen, QStringList({ "10 05:00-05:00", "10 05:00-05:00" }));
}

void TestQuilvetSlotModel::startAtTheEndWrittenByTheHost()
{
    m_control->setValue(47);
    m_control->setSelStart(48);
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QTest::keyClick(slider(), Qt::Key_End);
    QCOMPARE(m_control->value(), 48);
    QCOMPARE(m_control->selLength(), 0);
    QCOMPARE(m_control->beginTime(), QStringLiteral("00:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("23:59"));
    QCOMPARE(change.count(), 1);
}

void TestQuilvetSlotModel::unlistedButWholeSlotCountsAreAccepted()
{
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    m_control->setMaximum(120);
    QCOMPARE(m_control->maximum(), 120);
    QCOMPARE(propertyChanged.count(), 1);
    QCOMPARE(propertyChanged.at(0).at(0).toString(), QStringLiteral("Max"));

    m_control->setValue(0);
    SliderDriver(slider()).click(5);
    QCOMPARE(m_control->value(), 5);
    QCOMPARE(m_control->endTime(), QStringLiteral("01:00"));
}

void TestQuilvetSlotModel::refusedSlotCountRaises901AndKeepsTheCount_data()
{
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<qint32>("number");
    QTest::newRow("100") << 100 << ErrorNumber::InvalidSlotCount;
    QTest::newRow("12") << 12 << ErrorNumber::InvalidSlotCount;
    QTest::newRow("0") << 0 << ErrorNumber::InvalidSlotCount;
    QTest::newRow("168") << 168 << ErrorNumber::InvalidSlotCount;
    // Passes the count check, but the slider has no negative track.
    QTest::newRow("-24") << -24 << ErrorNumber::InvalidPropertyValue;
}

void TestQuilvetSlotModel::refusedSlotCountRaises901AndKeepsTheCount()
{
    QFETCH(qint32, slots);
    QFETCH(qint32, number);
    m_control->setMaximum(96);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    try {
        m_control->setMaximum(slots);
        QFAIL("the slot count was accepted");
    } catch (const Error &error) {
        QCOMPARE(error.number(), number);
        QCOMPARE(error.source(), QStringLiteral("Quilvet"));
        if (number == ErrorNumber::InvalidSlotCount) {
            QVERIFY(error.description().startsWith(QStringLiteral("Max\u3000")));
        }
    }
    QCOMPARE(m_control->maximum(), 96);
    QCOMPARE(propertyChanged.count(), 0);
}

void TestQuilvetSlotModel::refusalThroughThePropertySystemIsSignalled_data()
{
    QTest::addColumn<bool>("throughSetMax");
    QTest::newRow("QObject::setProperty") << false;
    QTest::newRow("setMax, as forms call it") << true;
}

void TestQuilvetSlotModel::refusalThroughThePropertySystemIsSignalled()
{
    QFETCH(bool, throughSetMax);
    const auto writeMax = [&](int slots) {
        if (throughSetMax) {
            m_control->setMax(slots);
        } else {
            m_control->setProperty("Max", slots);
        }
    };
    QSignalSpy refused(m_control.get(), &clsQuilvet::writeRefused);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    writeMax(100);
    QCOMPARE(m_control->maximum(), 48);
    QCOMPARE(propertyChanged.count(), 0);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("Max"));
    QCOMPARE(refused.at(0).at(1).toInt(), 901);

    writeMax(96);
    QCOMPARE(m_control->maximum(), 96);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(propertyChanged.count(), 1);
}

void TestQuilvetSlotModel::hostWritesLeaveTheCaptionsAlone()
{
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QSignalSpy scroll(m_control.get(), &clsQuilvet::Scroll);
    m_control->setValue(30);
    m_control->setSelStart(4);
    m_control->setMaximum(96);
    m_control->setSelLength(3);
    QCOMPARE(m_control->value(), 30);
    QCOMPARE(m_control->selLength(), 3);
    QCOMPARE(m_control->beginTime(), QStringLiteral("00:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("23:59"));
    QCOMPARE(change.count(), 0);
    QCOMPARE(scroll.count(), 0);

    QTest::keyClick(slider(), Qt::Key_Right);
    QCOMPARE(m_control->selLength(), 27);
    QCOMPARE(m_control->beginTime(), QStringLiteral("01:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("07:45"));
}

void TestQuilvetSlotModel::writingBeginTimeMovesNothingUntilTheNextDrag()
{
    m_control->setValue(20);
    m_control->setBeginTime(QStringLiteral("09:00"));
    QCOMPARE(m_control->beginTime(), QStringLiteral("09:00"));
    QCOMPARE(m_control->selStart(), 0);
    QCOMPARE(m_control->value(), 20);

    SliderDriver(slider()).drag(20, { 22 });
    QCOMPARE(m_control->beginTime(), QStringLiteral("00:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("11:00"));
}

void TestQuilvetSlotModel::captionsShowWhatIsWrittenNeverMarkup()
{
    const QString markup = QStringLiteral("<b>9</b><img src=\"x.png\">");
    m_control->setTimeIndex(markup);
    m_control->setBeginTime(markup);
    m_control->setEndTime(markup);
    QCOMPARE(m_control->timeIndex(), markup);
    QCOMPARE(m_control->beginTime(), markup);
    QCOMPARE(m_control->endTime(), markup);
    for (const char *name : { "lblNo", "lblTimeBegin", "lblTimeEnd" }) {
        const auto *label = m_control->findChild<QLabel *>(QString::fromLatin1(name));
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
}

void TestQuilvetSlotModel::everyWriteSendsPropertyChangedWithItsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("Enabled") << "Enabled" << QVariant(true);
    QTest::newRow("Value") << "Value" << QVariant(48);
    QTest::newRow("ToolTipText") << "ToolTipText" << QVariant(QStringLiteral("tip"));
    QTest::newRow("SelStart") << "SelStart" << QVariant(0);
    QTest::newRow("MaxMinute") << "MaxMinute" << QVariant(QStringLiteral("-1"));
    QTest::newRow("RoomFee_All") << "RoomFee_All" << QVariant(QStringLiteral(" 7 "));
    QTest::newRow("TimeIndex") << "TimeIndex" << QVariant(QStringLiteral("2"));
    QTest::newRow("BeginTime") << "BeginTime" << QVariant(QStringLiteral("00:00"));
    QTest::newRow("EndTime") << "EndTime" << QVariant(QStringLiteral("12:00"));
    QTest::newRow("SelectRange") << "SelectRange" << QVariant(false);
    QTest::newRow("Max") << "Max" << QVariant(48);
    QTest::newRow("SelLength") << "SelLength" << QVariant(5);
    for (int i = 1; i <= 8; ++i) {
        const QString name = QStringLiteral("PriceWeek%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << QVariant(QStringLiteral("12.5"));
    }
}

void TestQuilvetSlotModel::everyWriteSendsPropertyChangedWithItsName()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);
    QVERIFY(m_control->setProperty(qPrintable(name), value));
    QCOMPARE(propertyChanged.count(), 1);
    QCOMPARE(propertyChanged.at(0).at(0).toString(), name);
    QCOMPARE(change.count(), 0);
    // A second write of the same value is still a write.
    QVERIFY(m_control->setProperty(qPrintable(name), value));
    QCOMPARE(propertyChanged.count(), 2);
}

void TestQuilvetSlotModel::enabledGovernsTheChildrenAndReadsTheControlsOwnState()
{
    QWidget host;
    m_control->setParent(&host);
    m_control->setEnabledState(false);
    QVERIFY(!m_control->enabledState());
    QVERIFY(!slider()->isEnabled());
    m_control->setEnabledState(true);
    host.setEnabled(false);
    QVERIFY(m_control->enabledState());
    QVERIFY(!slider()->isEnabled());
    m_control->setParent(nullptr);
}

void TestQuilvetSlotModel::slotCountOfZeroKeepsTheCaptions()
{
    // A stored slot count reaches the slider unchecked; with no slots the
    // step is undefined and the captions must stay as they are.
    m_control->setValue(7);
    m_control->setBeginTime(QStringLiteral("06:00"));
    m_control->setEndTime(QStringLiteral("09:00"));
    slider()->setMaximum(0);
    QSignalSpy change(m_control.get(), &clsQuilvet::Change);

    QTest::keyClick(slider(), Qt::Key_Left);
    SliderDriver(slider()).drag(0, { 5 });

    QCOMPARE(change.count(), 1);
    QCOMPARE(m_control->value(), 0);
    QCOMPARE(m_control->selLength(), 0);
    QCOMPARE(m_control->beginTime(), QStringLiteral("06:00"));
    QCOMPARE(m_control->endTime(), QStringLiteral("09:00"));
}

QTEST_MAIN(TestQuilvetSlotModel)
#include "TestQuilvetSlotModel.moc"
