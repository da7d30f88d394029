#include "MemoryPropertyStore.h"
#include "PropertyValue.h"
#include "QuilvetError.h"
#include "TimeSlider.h"
#include "clsQuilvet.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

using namespace quilvet;

namespace {

QStringList prices(const clsQuilvet &control)
{
    QStringList texts;
    for (int i = 0; i < clsQuilvet::PriceCount; ++i) {
        texts << control.priceWeek(i);
    }
    return texts;
}

const QStringList PriceKeys { "PriceWeek1", "PriceWeek2", "PriceWeek3", "PriceWeek4", "PriceWeek5",
    "PriceWeek6", "PriceWeek7", "PriceWeek8" };

QStringList stepOrder()
{
    return QStringList { "Enabled", "Value", "ToolTipText", "SelStart" } + PriceKeys
        + QStringList { "MaxMinute", "RoomFee_All", "TimeIndex", "BeginTime", "EndTime", "SelectRange",
              "Max" }
    + PriceKeys + QStringList { "SelLength", "SelLength" } + PriceKeys;
}

QVariantMap propertiesOf(const clsQuilvet &control)
{
    QVariantMap values;
    const QMetaObject *meta = control.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        values.insert(QString::fromLatin1(meta->property(i).name()), meta->property(i).read(&control));
    }
    return values;
}

} // namespace

class TestQuilvetPersistence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreGivesEveryDefault();
    void loadReadsTheKeysInOrderWithTheDefaultsOfTheMoment();
    void storeWithOnlyTheMondayPriceLeavesTheOthersAtZero();
    void valueAtTheSavedMaximumComesBackAtTheEnd_data();
    void valueAtTheSavedMaximumComesBackAtTheEnd();
    void storedValueWinsOverTheRestoredMaximum();
    void storedSlotCountIsAppliedUnchecked();
    void saveThenLoadRoundTripsAllTwentyProperties();
    void saveWritesTheSameKeysInTheSameOrder();
    void valueOfTheWrongTypeStopsTheLoadAtThatKey();
    void storeFailureStopsTheSaveAtThatKey();
    void readingAndInitialisingSendNoChangeNotice();
    void storedValuesConvertToTheHoldersKind_data();
    void storedValuesConvertToTheHoldersKind();
    void defaultsCompareAcrossIntegerWidths();
};

void TestQuilvetPersistence::emptyStoreGivesEveryDefault()
{
    clsQuilvet control;
    control.setToolTipText(QStringLiteral("old"));
    MemoryPropertyStore store;
    control.ReadProperties(store);
    QVERIFY(control.enabledState());
    QCOMPARE(control.toolTipText(), QString());
    QCOMPARE(control.selStart(), 0);
    QCOMPARE(prices(control), QStringList(8, QStringLiteral("0")));
    QCOMPARE(control.maxMinute(), QStringLiteral("-1"));
    QCOMPARE(control.roomFeeAll(), QStringLiteral("0"));
    QCOMPARE(control.timeIndex(), QStringLiteral("1"));
    QCOMPARE(control.beginTime(), QStringLiteral("00:00"));
    QCOMPARE(control.endTime(), QStringLiteral("23:59"));
    QVERIFY(control.selectRange());
    QCOMPARE(control.maximum(), 48);
    QCOMPARE(control.value(), 48);
    QCOMPARE(control.selLength(), 48);
}

void TestQuilvetPersistence::loadReadsTheKeysInOrderWithTheDefaultsOfTheMoment()
{
    clsQuilvet control;
    MemoryPropertyStore store;
    store.set(QStringLiteral("Max"), 96);
    control.ReadProperties(store);

    QCOMPARE(store.callNames(), stepOrder());
    const auto &calls = store.calls();
    // "Value" is read with no value as its default, which no stored value can
    // be; the selection length with the maximum just restored.
    QVERIFY(!calls.at(1).defaultValue.isValid());
    QCOMPARE(calls.at(27).name, QStringLiteral("SelLength"));
    QCOMPARE(calls.at(27).defaultValue.toInt(), 96);
    QCOMPARE(calls.at(27).defaultValue.metaType().id(), QMetaType::Int);
    QCOMPARE(calls.at(3).defaultValue.metaType().id(), QMetaType::Short);
    QCOMPARE(calls.at(18).defaultValue.metaType().id(), QMetaType::Short);
    QCOMPARE(calls.at(18).defaultValue.toInt(), 48);
    QCOMPARE(control.value(), 96);
    QCOMPARE(control.selLength(), 96);
}

void TestQuilvetPersistence::storeWithOnlyTheMondayPriceLeavesTheOthersAtZero()
{
    clsQuilvet control;
    control.setPriceWeek(0, QStringLiteral("9"));
    MemoryPropertyStore store;
    store.set(QStringLiteral("PriceWeek1"), QStringLiteral("30"));
    control.ReadProperties(store);
    QCOMPARE(prices(control), QStringList({ "30", "0", "0", "0", "0", "0", "0", "0" }));
}

void TestQuilvetPersistence::valueAtTheSavedMaximumComesBackAtTheEnd_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<QString>("beginTime");
    QTest::addColumn<bool>("storeTells"); // whether the store answers holds()
    QTest::newRow("24 slots: the maximum is below the laid-out one") << 24 << 18 << "18:00" << true;
    QTest::newRow("48 slots") << 48 << 0 << "00:00" << true;
    QTest::newRow("96 slots: evening from 02:30") << 96 << 10 << "02:30" << true;
    QTest::newRow("1440 slots") << 1440 << 1200 << "20:00" << true;
    QTest::newRow("96 slots from 16:00, a store without holds()") << 96 << 64 << "16:00" << false;
    QTest::newRow("24 slots from 22:00, a store without holds()") << 24 << 22 << "22:00" << false;
}

void TestQuilvetPersistence::valueAtTheSavedMaximumComesBackAtTheEnd()
{
    QFETCH(int, slots);
    QFETCH(int, selStart);
    QFETCH(QString, beginTime);
    QFETCH(bool, storeTells);
    clsQuilvet saved;
    saved.setMaximum(slots);
    saved.setSelStart(selStart);
    // The operator puts the thumb at the end of the day.
    QTest::keyClick(saved.findChild<TimeSlider *>(QStringLiteral("Slider_Time")), Qt::Key_End);
    QCOMPARE(saved.value(), slots);
    QCOMPARE(saved.beginTime(), beginTime);
    MemoryPropertyStore store;
    saved.WriteProperties(store);
    QVERIFY(!store.contains(QStringLiteral("Value")));

    // A host's own store, which need not answer holds().
    class StoreWithoutHolds : public PropertyStore
    {
    public:
        explicit StoreWithoutHolds(PropertyStore &kept)
            : m_kept(kept)
        { }
        QVariant readProperty(const QString &name, const QVariant &defaultValue) override
        {
            return m_kept.readProperty(name, defaultValue);
        }
        void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override
        {
            m_kept.writeProperty(name, value, defaultValue);
        }

    private:
        PropertyStore &m_kept;
    } plainStore(store);

    clsQuilvet loaded;
    QSignalSpy change(&loaded, &clsQuilvet::Change);
    if (storeTells) {
        loaded.ReadProperties(store);
    } else {
        loaded.ReadProperties(plainStore);
    }
    QCOMPARE(loaded.maximum(), slots);
    QCOMPARE(loaded.value(), slots);
    QCOMPARE(loaded.selStart(), selStart);
    QCOMPARE(loaded.selLength(), slots - selStart);
    QCOMPARE(loaded.beginTime(), beginTime);
    QCOMPARE(loaded.endTime(), QStringLiteral("23:59"));
    QCOMPARE(change.count(), 0);
    // The store saw the steps in their order, "Value" read with no value as default.
    QCOMPARE(store.callNames(), stepOrder() + stepOrder());
    QVERIFY(!store.calls().at(stepOrder().size() + 1).defaultValue.isValid());
}

void TestQuilvetPersistence::storedValueWinsOverTheRestoredMaximum()
{
    clsQuilvet loaded;
    MemoryPropertyStore store;
    store.set(QStringLiteral("Max"), 96);
    store.set(QStringLiteral("Value"), 48); // the laid-out maximum
    loaded.ReadProperties(store);
    QCOMPARE(loaded.maximum(), 96);
    QCOMPARE(loaded.value(), 48);
    QCOMPARE(loaded.selLength(), 96);
}

void TestQuilvetPersistence::storedSlotCountIsAppliedUnchecked()
{
    clsQuilvet control;
    QSignalSpy refused(&control, &clsQuilvet::writeRefused);
    MemoryPropertyStore store;
    store.set(QStringLiteral("Max"), 100);
    control.ReadProperties(store);
    QCOMPARE(control.maximum(), 100);
    QCOMPARE(refused.count(), 0);
}

void TestQuilvetPersistence::saveThenLoadRoundTripsAllTwentyProperties()
{
    clsQuilvet saved;
    saved.setEnabledState(false);
    saved.setMaximum(96);
    saved.setSelStart(30);
    saved.setValue(80);
    saved.setSelLength(50);
    saved.setToolTipText(QStringLiteral("evening"));
    saved.setMaxMinute(QStringLiteral("abc"));
    saved.setRoomFeeAll(QStringLiteral("300"));
    saved.setTimeIndex(QStringLiteral("3"));
    saved.setBeginTime(QStringLiteral("07:30"));
    saved.setEndTime(QStringLiteral("20:00"));
    saved.setSelectRange(false);
    for (int i = 0; i < clsQuilvet::PriceCount; ++i) {
        saved.setPriceWeek(i, QString::number(20 + 5 * i));
    }
    const QVariantMap before = propertiesOf(saved);
    QCOMPARE(before.size(), 20);

    MemoryPropertyStore store;
    saved.WriteProperties(store);
    clsQuilvet loaded;
    loaded.ReadProperties(store);

    QCOMPARE(propertiesOf(loaded), before);
}

void TestQuilvetPersistence::saveWritesTheSameKeysInTheSameOrder()
{
    clsQuilvet control;
    control.setMaximum(144);
    MemoryPropertyStore store;
    control.WriteProperties(store);
    QCOMPARE(store.callNames(), stepOrder());
    const auto &calls = store.calls();
    QCOMPARE(calls.at(1).value.metaType().id(), QMetaType::Int);
    QCOMPARE(calls.at(1).defaultValue.toInt(), 144);
    QCOMPARE(calls.at(18).value.metaType().id(), QMetaType::Int);
    QCOMPARE(calls.at(18).defaultValue.metaType().id(), QMetaType::Short);
    // Only what differs from its default is kept.
    QStringList kept = store.names();
    kept.sort();
    QCOMPARE(kept, QStringList({ "Max", "SelLength", "Value" }));
}

void TestQuilvetPersistence::valueOfTheWrongTypeStopsTheLoadAtThatKey()
{
    clsQuilvet control;
    MemoryPropertyStore store;
    store.set(QStringLiteral("Enabled"), false);
    store.set(QStringLiteral("ToolTipText"), QStringLiteral("tip"));
    store.set(QStringLiteral("SelStart"), QStringLiteral("abc"));
    store.set(QStringLiteral("PriceWeek1"), QStringLiteral("30"));
    try {
        control.ReadProperties(store);
        QFAIL("the load went through");
    } catch (const Error &error) {
        QCOMPARE(error.number(), ErrorNumber::TypeMismatch);
    }
    QVERIFY(!control.enabledState());
    QCOMPARE(control.toolTipText(), QStringLiteral("tip"));
    QCOMPARE(control.selStart(), 0);
    QCOMPARE(control.priceWeek(0), QStringLiteral("0"));
    QCOMPARE(store.callNames().last(), QStringLiteral("SelStart"));
}

void TestQuilvetPersistence::storeFailureStopsTheSaveAtThatKey()
{
    clsQuilvet control;
    control.setPriceWeek(0, QStringLiteral("12"));
    MemoryPropertyStore store;
    store.failAt(QStringLiteral("PriceWeek3"),
        Error(70, QStringLiteral("Permission denied"), QStringLiteral("Store")));
    try {
        control.WriteProperties(store);
        QFAIL("the save went through");
    } catch (const Error &error) {
        QCOMPARE(error.number(), 70);
        QCOMPARE(error.source(), QStringLiteral("Store"));
    }
    QStringList kept = store.names();
    kept.sort();
    QCOMPARE(kept, QStringList({ "PriceWeek1", "PriceWeek2" }));
}

void TestQuilvetPersistence::readingAndInitialisingSendNoChangeNotice()
{
    clsQuilvet control;
    control.setToolTipText(QStringLiteral("tip"));
    QSignalSpy propertyChanged(&control, &clsQuilvet::PropertyChanged);
    QSignalSpy change(&control, &clsQuilvet::Change);
    control.InitProperties();
    QCOMPARE(control.toolTipText(), QString());
    QCOMPARE(control.maximum(), 48);
    MemoryPropertyStore store;
    store.set(QStringLiteral("Value"), 20);
    store.set(QStringLiteral("RoomFee_All"), QStringLiteral(" 8 "));
    control.ReadProperties(store);
    QCOMPARE(control.roomFeeAll(), QStringLiteral("8"));
    QCOMPARE(propertyChanged.count(), 0);
    QCOMPARE(change.count(), 0);
}

void TestQuilvetPersistence::storedValuesConvertToTheHoldersKind_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("16-bit to 32-bit") << QVariant::fromValue<qint16>(48) << "int" << QVariant(48);
    QTest::newRow("text to 32-bit") << QVariant(QStringLiteral(" 96 ")) << "int" << QVariant(96);
    QTest::newRow("half to even") << QVariant(QStringLiteral("2.5")) << "int" << QVariant(2);
    QTest::newRow("true to -1") << QVariant(true) << "int" << QVariant(-1);
    QTest::newRow("word to 32-bit") << QVariant(QStringLiteral("abc")) << "int" << QVariant(13);
    QTest::newRow("too big") << QVariant(QStringLiteral("3000000000")) << "int" << QVariant(6);
    QTest::newRow("text true") << QVariant(QStringLiteral("true")) << "bool" << QVariant(true);
    QTest::newRow("zero is false") << QVariant(0) << "bool" << QVariant(false);
    QTest::newRow("word to Boolean") << QVariant(QStringLiteral("yes")) << "bool" << QVariant(13);
    QTest::newRow("Boolean to text") << QVariant(false) << "text" << QVariant(QStringLiteral("False"));
    QTest::newRow("number to text") << QVariant(-5) << "text" << QVariant(QStringLiteral("-5"));
}

void TestQuilvetPersistence::storedValuesConvertToTheHoldersKind()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, kind);
    QFETCH(QVariant, expected);
    try {
        QVariant converted;
        if (kind == QLatin1String("int")) {
            converted = PropertyValue::toInt32(stored);
        } else if (kind == QLatin1String("bool")) {
            converted = PropertyValue::toBoolean(stored);
        } else {
            converted = PropertyValue::toText(stored);
        }
        QCOMPARE(converted, expected);
    } catch (const Error &error) {
        QCOMPARE(error.number(), expected.toInt());
    }
}

void TestQuilvetPersistence::defaultsCompareAcrossIntegerWidths()
{
    QVERIFY(PropertyValue::equals(QVariant::fromValue<qint32>(48), QVariant::fromValue<qint16>(48)));
    QVERIFY(!PropertyValue::equals(QVariant(QStringLiteral("48")), QVariant(48)));
    QVERIFY(!PropertyValue::equals(QVariant(true), QVariant(-1)));
    QVERIFY(PropertyValue::equals(QVariant(QString()), QVariant(QStringLiteral(""))));
}

QTEST_MAIN(TestQuilvetPersistence)
#include "TestQuilvetPersistence.moc"
