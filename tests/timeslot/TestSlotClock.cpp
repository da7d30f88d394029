#include "NumericText.h"
#include "PropertyValue.h"
#include "QuilvetError.h"
#include "SlotClock.h"

#include <QTest>

#include <cfenv>

using namespace quilvet;

class TestSlotClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepIsTheRoundedSlotLength_data();
    void stepIsTheRoundedSlotLength();
    void stepIsUndefinedWithoutSlots();
    void halvesGoToTheEvenNeighbourInEveryRoundingMode_data();
    void halvesGoToTheEvenNeighbourInEveryRoundingMode();
    void slotTimeTextWrapsAroundTheDay_data();
    void slotTimeTextWrapsAroundTheDay();
    void endOfTheLastSlotReads2359_data();
    void endOfTheLastSlotReads2359();
    void onlyWholeMinuteSlotCountsAreAccepted_data();
    void onlyWholeMinuteSlotCountsAreAccepted();
    void refusalCarriesNumberSourceAndDescription();
    void numericTestAcceptsSignedDecimals_data();
    void numericTestAcceptsSignedDecimals();
    void trimmingRemovesOnlyOuterSpaces_data();
    void trimmingRemovesOnlyOuterSpaces();
};

void TestSlotClock::stepIsTheRoundedSlotLength_data()
{
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<int>("step");
    const QList<std::pair<qint32, int>> table { { 24, 60 }, { 48, 30 }, { 72, 20 }, { 96, 15 }, { 120, 12 },
        { 144, 10 }, { 240, 6 }, { 288, 5 }, { 360, 4 }, { 480, 3 }, { 720, 2 }, { 1440, 1 } };
    for (const auto &[slots, step] : table) {
        QTest::addRow("%d slots", slots) << slots << step;
    }
    // Counts the Max property refuses still get the rounded quotient.
    QTest::newRow("100 slots: 14.4 rounds down") << 100 << 14;
    QTest::newRow("1 slot: a whole day") << 1 << 1440;
    QTest::newRow("32 slots: 45") << 32 << 45;
    QTest::newRow("2880 slots: half a minute to even 0") << 2880 << 0;
    QTest::newRow("960 slots: 1.5 to even 2") << 960 << 2;
    QTest::newRow("-24 slots") << -24 << -60;
}

void TestSlotClock::stepIsTheRoundedSlotLength()
{
    QFETCH(qint32, slots);
    QFETCH(int, step);
    const auto computed = SlotClock::step(slots);
    QVERIFY(computed.has_value());
    QCOMPARE(*computed, step);
}

void TestSlotClock::stepIsUndefinedWithoutSlots()
{
    QVERIFY(!SlotClock::step(0).has_value());
}

void TestSlotClock::halvesGoToTheEvenNeighbourInEveryRoundingMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("to nearest") << FE_TONEAREST;
    QTest::newRow("upward") << FE_UPWARD;
    QTest::newRow("downward") << FE_DOWNWARD;
    QTest::newRow("toward zero") << FE_TOWARDZERO;
}

void TestSlotClock::halvesGoToTheEvenNeighbourInEveryRoundingMode()
{
    // A host may leave its floating-point environment in another rounding mode.
    QFETCH(int, mode);
    const int previous = std::fegetround();
    QCOMPARE(std::fesetround(mode), 0);
    const auto step100 = SlotClock::step(100);
    const auto step960 = SlotClock::step(960);
    const auto step576 = SlotClock::step(576);
    const auto step2880 = SlotClock::step(2880);
    const auto stepMinus960 = SlotClock::step(-960);
    const qint32 twoAndAHalf = PropertyValue::toInt32(2.5);
    const qint32 threeAndAHalf = PropertyValue::toInt32(QStringLiteral("3.5"));
    const qint32 minusTwoAndAHalf = PropertyValue::toInt32(-2.5);
    const qint32 aBitAboveTwo = PropertyValue::toInt32(2.4);
    std::fesetround(previous);

    QCOMPARE(*step100, 14); // 14.4
    QCOMPARE(*step960, 2); // 1.5
    QCOMPARE(*step576, 2); // 2.5
    QCOMPARE(*step2880, 0); // 0.5
    QCOMPARE(*stepMinus960, -2); // -1.5
    QCOMPARE(twoAndAHalf, 2);
    QCOMPARE(threeAndAHalf, 4);
    QCOMPARE(minusTwoAndAHalf, -2);
    QCOMPARE(aBitAboveTwo, 2);
}

void TestSlotClock::slotTimeTextWrapsAroundTheDay_data()
{
    QTest::addColumn<qint32>("position");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("text");
    QTest::newRow("midnight") << 0 << 30 << "00:00";
    QTest::newRow("eight o'clock") << 16 << 30 << "08:00";
    QTest::newRow("quarter to midnight") << 95 << 15 << "23:45";
    QTest::newRow("a whole day falls away") << 48 << 30 << "00:00";
    QTest::newRow("negative gives the day before") << -1 << 30 << "23:30";
    QTest::newRow("minute slots") << 1439 << 1 << "23:59";
    QTest::newRow("far beyond 32 bits of minutes") << 2147483647 << 1440 << "00:00";
    QTest::newRow("far negative") << -2147483647 - 1 << 30 << "08:00";
}

void TestSlotClock::slotTimeTextWrapsAroundTheDay()
{
    QFETCH(qint32, position);
    QFETCH(int, step);
    QFETCH(QString, text);
    QCOMPARE(SlotClock::slotTimeText(position, static_cast<qint16>(step)), text);
}

void TestSlotClock::endOfTheLastSlotReads2359_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<QString>("text");
    QTest::newRow("before the last boundary") << 95 << 96 << "23:45";
    QTest::newRow("at the last boundary") << 96 << 96 << "23:59";
    QTest::newRow("beyond it") << 200 << 96 << "23:59";
    QTest::newRow("minute slots by the clock") << 1439 << 1440 << "23:59";
    QTest::newRow("minute slots by the end rule") << 1440 << 1440 << "23:59";
}

void TestSlotClock::endOfTheLastSlotReads2359()
{
    QFETCH(qint32, value);
    QFETCH(qint32, slots);
    QFETCH(QString, text);
    QCOMPARE(SlotClock::endTimeText(value, slots, *SlotClock::step(slots)), text);
}

void TestSlotClock::onlyWholeMinuteSlotCountsAreAccepted_data()
{
    QTest::addColumn<qint32>("slots");
    QTest::addColumn<bool>("accepted");
    for (qint32 slots : { 24, 48, 72, 96, 120, 144, 240, 288, 360, 480, 720, 1440 }) {
        QTest::addRow("%d", slots) << slots << true;
    }
    for (qint32 slots : { 0, 1, 12, 23, 100, 168, 192, 336, 2880 }) {
        QTest::addRow("%d", slots) << slots << false;
    }
}

void TestSlotClock::onlyWholeMinuteSlotCountsAreAccepted()
{
    QFETCH(qint32, slots);
    QFETCH(bool, accepted);
    QCOMPARE(SlotClock::isAcceptedSlotCount(slots), accepted);
}

void TestSlotClock::refusalCarriesNumberSourceAndDescription()
{
    try {
        SlotClock::checkSlotCount(100);
        QFAIL("100 slots were accepted");
    } catch (const Error &error) {
        QCOMPARE(error.number(), 901);
        QCOMPARE(error.source(), QStringLiteral("Quilvet"));
        QCOMPARE(error.description(),
            QString::fromUtf8(
                "Max\xE3\x80\x80必需是24的整数倍,如：24(Step=60分钟),48,72,96,144,288(Step=5分钟)"));
        QCOMPARE(error.description().at(3), QChar(0x3000));
    }
}

void TestSlotClock::numericTestAcceptsSignedDecimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("whole") << "30" << true;
    QTest::newRow("negative") << "-5" << true;
    QTest::newRow("plus") << "+5" << true;
    QTest::newRow("decimal") << "12.50" << true;
    QTest::newRow("trailing point") << "7." << true;
    QTest::newRow("leading point") << ".5" << true;
    QTest::newRow("exponent") << "1e3" << true;
    QTest::newRow("signed exponent") << "2.5E-2" << true;
    QTest::newRow("long") << "123456789012345678901234567890" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "   " << false;
    QTest::newRow("word") << "abc" << false;
    QTest::newRow("sign only") << "-" << false;
    QTest::newRow("point only") << "." << false;
    QTest::newRow("two points") << "1.2.3" << false;
    QTest::newRow("exponent without digits") << "1e" << false;
    QTest::newRow("inner space") << "1 000" << false;
    QTest::newRow("group separator") << "1,000" << false;
    QTest::newRow("trailing word") << "12abc" << false;
    QTest::newRow("untrimmed") << " 5 " << false;
    QTest::newRow("final line feed") << "4\n" << false;
}

void TestSlotClock::numericTestAcceptsSignedDecimals()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(NumericText::isNumeric(text), numeric);
}

void TestSlotClock::trimmingRemovesOnlyOuterSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("both ends") << "  25 "
                               << "25";
    QTest::newRow("inner spaces stay") << " 1 000 "
                                       << "1 000";
    QTest::newRow("tabs stay") << "\t5"
                               << "\t5";
    QTest::newRow("only spaces") << "   "
                                 << "";
    QTest::newRow("nothing to do") << "abc"
                                   << "abc";
}

void TestSlotClock::trimmingRemovesOnlyOuterSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(NumericText::trimSpaces(text), trimmed);
}

QTEST_GUILESS_MAIN(TestSlotClock)
#include "TestSlotClock.moc"
