#include "AccessFailures.h"
#include "Recordset.h"

#include <QTest>

using namespace brevane;
using namespace brevane::db;

class TestRecordset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldWalkTheRowsInOrder();
    void shouldFailToReadPastTheLastRow();
    void shouldFailToMoveInAnEmptyRecordset();
    void shouldTellNullFromEmpty();
    void shouldRejectBadFieldIndexes();
};

namespace {
Recordset fileList()
{
    return Recordset({ QStringLiteral("LogicalName"), QStringLiteral("PhysicalName") },
        { { QStringLiteral("rivazad_Data"), QStringLiteral("C:\\data\\rivazad.mdf") },
            { QStringLiteral("rivazad_Log"), QStringLiteral("C:\\data\\rivazad_log.ldf") } });
}

template<typename Call> qint32 failureOf(Call call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return 0;
}
} // namespace

void TestRecordset::shouldWalkTheRowsInOrder()
{
    Recordset rs = fileList();
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.FieldCount(), 2);
    QCOMPARE(rs.columnName(1), QStringLiteral("PhysicalName"));
    QVERIFY(!rs.atBeginning());
    QVERIFY(!rs.atEnd());
    QCOMPARE(rs.Fields(0), QStringLiteral("rivazad_Data"));
    rs.MoveNext();
    QCOMPARE(rs.Fields(1), QStringLiteral("C:\\data\\rivazad_log.ldf"));
    rs.MoveFirst();
    QCOMPARE(rs.Fields(0), QStringLiteral("rivazad_Data"));
}

void TestRecordset::shouldFailToReadPastTheLastRow()
{
    // A one-row file list: moving to the second row leaves no current row.
    Recordset rs({ QStringLiteral("LogicalName") }, { { QStringLiteral("only") } });
    rs.MoveFirst();
    rs.MoveNext();
    QVERIFY(rs.atEnd());
    QVERIFY(!rs.atBeginning());
    QCOMPARE(failureOf([&] { rs.Fields(0); }), FailureNumber::NoCurrentRecord);
    QCOMPARE(failureOf([&] { rs.MoveNext(); }), FailureNumber::NoCurrentRecord);
    try {
        rs.Fields(0);
    } catch (const Failure &failure) {
        QCOMPARE(failure.description(), AccessFailure::text(FailureNumber::NoCurrentRecord));
    }
}

void TestRecordset::shouldFailToMoveInAnEmptyRecordset()
{
    Recordset empty({ QStringLiteral("name") }, {});
    QCOMPARE(empty.RecordCount(), 0);
    QVERIFY(empty.atBeginning());
    QVERIFY(empty.atEnd());
    QCOMPARE(failureOf([&] { empty.MoveFirst(); }), FailureNumber::NoCurrentRecord);
    QCOMPARE(failureOf([&] { empty.MoveNext(); }), FailureNumber::NoCurrentRecord);
    QCOMPARE(failureOf([&] { empty.Fields(0); }), FailureNumber::NoCurrentRecord);

    Recordset nothing;
    QCOMPARE(nothing.RecordCount(), 0);
    QCOMPARE(nothing.FieldCount(), 0);
    QVERIFY(nothing.atBeginning() && nothing.atEnd());
}

void TestRecordset::shouldTellNullFromEmpty()
{
    Recordset rs({ QStringLiteral("a"), QStringLiteral("b") }, { { QString(), QStringLiteral("") } });
    QVERIFY(rs.isNull(0));
    QVERIFY(!rs.isNull(1));
    QVERIFY(rs.Fields(1).isEmpty());
}

void TestRecordset::shouldRejectBadFieldIndexes()
{
    const Recordset rs = fileList();
    QCOMPARE(failureOf([&] { rs.Fields(2); }), AccessFailure::ItemNotFound);
    QCOMPARE(failureOf([&] { rs.Fields(-1); }), AccessFailure::ItemNotFound);
    QCOMPARE(failureOf([&] { rs.columnName(5); }), AccessFailure::ItemNotFound);
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "TestRecordset.moc"
