#include "PropertyTable.h"

#include <QMetaProperty>
#include <QTest>
#include <quilvet/clsQuilvet.h>

using namespace quilvet;

// The one table of clsQuilvet's properties: what it pins, and that the control
// really has each of its rows.
class TestPropertyTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableListsTheInterfaceInSlotOrder();
    void eachRowIsAQtPropertyOfTheControlWithTheSameType();
    void persistenceVisitsEveryKeyWithThePricesThriceAndSelLengthTwice();
};

void TestPropertyTable::tableListsTheInterfaceInSlotOrder()
{
    const QStringList names { "Enabled", "Value", "ToolTipText", "SelStart", "MaxMinute", "RoomFee_All",
        "TimeIndex", "BeginTime", "EndTime", "SelectRange", "Max", "SelLength", "PriceWeek1", "PriceWeek2",
        "PriceWeek3", "PriceWeek4", "PriceWeek5", "PriceWeek6", "PriceWeek7", "PriceWeek8" };
    QCOMPARE(Properties.size(), std::size_t(names.size()));
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        QCOMPARE(QString::fromLatin1(Properties[i].name), names.at(qsizetype(i)));
        QCOMPARE(Properties[i].dispatchId, qint32(0x68030013 - i));
        // Only Max refuses values.
        QCOMPARE(Properties[i].checkedPut, names.at(qsizetype(i)) == QLatin1String("Max"));
    }
    QCOMPARE(QString::fromLatin1(Events[ChangeEvent].name), QStringLiteral("Change"));
    QCOMPARE(Events[ChangeEvent].dispatchId, 1);
    QCOMPARE(QString::fromLatin1(Events[ScrollEvent].name), QStringLiteral("Scroll"));
    QCOMPARE(Events[ScrollEvent].dispatchId, 2);
}

void TestPropertyTable::eachRowIsAQtPropertyOfTheControlWithTheSameType()
{
    const QMetaObject &meta = clsQuilvet::staticMetaObject;
    // The control declares exactly the table's properties, each with the
    // setter Qt expects, so that forms call it.
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), int(Properties.size()));
    for (const PropertyInfo &row : Properties) {
        const int index = meta.indexOfProperty(row.name);
        QVERIFY2(index >= meta.propertyOffset(), row.name);
        const QMetaProperty property = meta.property(index);
        QVERIFY2(property.isReadable() && property.isWritable() && property.hasStdCppSet(), row.name);
        const int expected = row.type == PropertyType::Boolean ? QMetaType::Bool
            : row.type == PropertyType::Int32                  ? QMetaType::Int
                                                               : QMetaType::QString;
        QCOMPARE(property.metaType().id(), expected);
    }
    // Forms set properties in declaration order: Max before the positions
    // measured against it, the prices from Monday on.
    QStringList order;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        order << QString::fromLatin1(meta.property(i).name());
    }
    for (const char *position : { "Value", "SelStart", "SelLength" }) {
        QVERIFY2(order.indexOf(QStringLiteral("Max")) < order.indexOf(QLatin1String(position)), position);
    }
    for (int day = 1; day < PriceRowCount; ++day) {
        QVERIFY(order.indexOf(QStringLiteral("PriceWeek%1").arg(day))
            < order.indexOf(QStringLiteral("PriceWeek%1").arg(day + 1)));
    }
}

void TestPropertyTable::persistenceVisitsEveryKeyWithThePricesThriceAndSelLengthTwice()
{
    QList<int> visits(int(Properties.size()), 0);
    for (const std::uint8_t row : PersistenceSteps) {
        ++visits[row];
    }
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        const QString name = QString::fromLatin1(Properties[i].name);
        const int expected = name.startsWith(QLatin1String("PriceWeek")) ? 3
            : name == QLatin1String("SelLength")                         ? 2
                                                                         : 1;
        QCOMPARE(visits.at(int(i)), expected);
    }
    // Max comes after the first prices and before SelLength, whose default depends on it.
    const auto position = [](const char *name) {
        return std::find(PersistenceSteps.begin(), PersistenceSteps.end(), propertyIndex(name))
            - PersistenceSteps.begin();
    };
    QVERIFY(position("Max") > position("PriceWeek1"));
    QVERIFY(position("Max") < position("SelLength"));
    QCOMPARE(position("Value"), 1);
}

QTEST_MAIN(TestPropertyTable)
#include "TestPropertyTable.moc"
