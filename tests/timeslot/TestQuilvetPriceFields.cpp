#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <quilvet/clsQuilvet.h>

// Price, minute-limit and fee boxes: what the operator types and what the host writes.
class TestQuilvetPriceFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void priceTypedOnMondayFlowsToEveryDayKind();
    void priceTypedOnSaturdayFlowsOnlyToLaterDayKinds();
    void leavingABoxHoldingAWordResetsItAndTheLaterBoxes();
    void leavingABoxTrimsTheNumberAndCopiesIt();
    void leavingAnEmptiedHolidayBoxResetsOnlyIt();
    void hostWritesFlowOnInEitherOrder_data();
    void hostWritesFlowOnInEitherOrder();
    void hostWriteOfAWordIsNotChecked();
    void hostPriceWriteCascadesBeforePropertyChanged();
    void emptiedFeeBoxShowsZeroAtOnce();
    void feeWrittenByTheHostIsTrimmedAndChecked_data();
    void feeWrittenByTheHostIsTrimmedAndChecked();
    void minuteLimitLeftEmptyBecomesMinusOne();
    void minuteLimitWrittenByTheHostStaysAsWritten();
    void textsOfAnyLengthAreKeptWhole();
    void negativeNumbersPassEveryCheck();
    void priceIndexOutsideTheWeekIsRefused();

private:
    QLineEdit *box(const QString &name) const { return m_control->findChild<QLineEdit *>(name); }
    QLineEdit *price(int index) const { return box(QStringLiteral("txtPrice_Week(%1)").arg(index)); }
    QStringList prices() const;
    void typeInto(QLineEdit *target, const QString &text);
    void leave(QLineEdit *target);

    std::unique_ptr<clsQuilvet> m_control;
};

QStringList TestQuilvetPriceFields::prices() const
{
    QStringList texts;
    for (int i = 0; i < clsQuilvet::PriceCount; ++i) {
        texts << m_control->priceWeek(i);
    }
    return texts;
}

void TestQuilvetPriceFields::typeInto(QLineEdit *target, const QString &text)
{
    target->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(target->hasFocus());
    target->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(target, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(target, text);
    }
}

void TestQuilvetPriceFields::leave(QLineEdit *target)
{
    QVERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key_Tab);
    QTRY_VERIFY(!target->hasFocus());
}

void TestQuilvetPriceFields::init()
{
    m_control = std::make_unique<clsQuilvet>();
    m_control->show();
    m_control->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_control.get()));
}

void TestQuilvetPriceFields::cleanup()
{
    m_control.reset();
}

void TestQuilvetPriceFields::priceTypedOnMondayFlowsToEveryDayKind()
{
    QCOMPARE(prices(), QStringList(8, QStringLiteral("0")));
    typeInto(price(0), QStringLiteral("30"));
    QCOMPARE(prices(), QStringList(8, QStringLiteral("30")));
}

void TestQuilvetPriceFields::priceTypedOnSaturdayFlowsOnlyToLaterDayKinds()
{
    typeInto(price(0), QStringLiteral("30"));
    typeInto(price(5), QStringLiteral("40"));
    QCOMPARE(prices(), QStringList({ "30", "30", "30", "30", "30", "40", "40", "40" }));
}

void TestQuilvetPriceFields::leavingABoxHoldingAWordResetsItAndTheLaterBoxes()
{
    typeInto(price(0), QStringLiteral("30"));
    typeInto(price(2), QStringLiteral("abc"));
    QCOMPARE(prices(), QStringList({ "30", "30", "abc", "abc", "abc", "abc", "abc", "abc" }));
    leave(price(2));
    QCOMPARE(prices(), QStringList({ "30", "30", "0", "0", "0", "0", "0", "0" }));
}

void TestQuilvetPriceFields::leavingABoxTrimsTheNumberAndCopiesIt()
{
    typeInto(price(3), QStringLiteral(" 25 "));
    leave(price(3));
    QCOMPARE(prices(), QStringList({ "0", "0", "0", "25", "25", "25", "25", "25" }));
}

void TestQuilvetPriceFields::leavingAnEmptiedHolidayBoxResetsOnlyIt()
{
    typeInto(price(0), QStringLiteral("30"));
    typeInto(price(7), QString());
    QCOMPARE(m_control->priceWeek(7), QString());
    // Tab from the last price box goes on to the minute limit.
    leave(price(7));
    QCOMPARE(prices(), QStringList({ "30", "30", "30", "30", "30", "30", "30", "0" }));
}

void TestQuilvetPriceFields::hostWritesFlowOnInEitherOrder_data()
{
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("holidayFirst");
    QTest::newRow("holiday then Monday") << QStringList(8, QStringLiteral("30")) << true;
    QTest::newRow("Monday then holiday")
        << QStringList({ "30", "30", "30", "30", "30", "30", "30", "50" }) << false;
}

void TestQuilvetPriceFields::hostWritesFlowOnInEitherOrder()
{
    QFETCH(QStringList, expected);
    QFETCH(bool, holidayFirst);
    if (holidayFirst) {
        m_control->setPriceWeek(7, QStringLiteral("50"));
        m_control->setPriceWeek(0, QStringLiteral("30"));
    } else {
        m_control->setPriceWeek(0, QStringLiteral("30"));
        m_control->setPriceWeek(7, QStringLiteral("50"));
    }
    QCOMPARE(prices(), expected);
}

void TestQuilvetPriceFields::hostWriteOfAWordIsNotChecked()
{
    m_control->setProperty("PriceWeek1", QStringLiteral("abc"));
    QCOMPARE(prices(), QStringList(8, QStringLiteral("abc")));
    // The operator leaving a later box checks that box and the ones after it.
    typeInto(price(4), QStringLiteral("abc"));
    leave(price(4));
    QCOMPARE(prices(), QStringList({ "abc", "abc", "abc", "abc", "0", "0", "0", "0" }));
}

void TestQuilvetPriceFields::hostPriceWriteCascadesBeforePropertyChanged()
{
    QStringList seen;
    connect(m_control.get(), &clsQuilvet::PropertyChanged, this,
        [&](const QString &name) { seen << name + QLatin1Char('=') + m_control->priceWeek(7); });
    m_control->setPriceWeek(1, QStringLiteral("18"));
    m_control->setPriceWeek(1, QStringLiteral("18"));
    QCOMPARE(seen, QStringList({ "PriceWeek2=18", "PriceWeek2=18" }));
    QCOMPARE(m_control->priceWeek(0), QStringLiteral("0"));
}

void TestQuilvetPriceFields::emptiedFeeBoxShowsZeroAtOnce()
{
    QLineEdit *fee = box(QStringLiteral("txtRoomFee_All"));
    typeInto(fee, QStringLiteral("12"));
    QCOMPARE(m_control->roomFeeAll(), QStringLiteral("12"));
    fee->selectAll();
    QTest::keyClick(fee, Qt::Key_Backspace);
    QCOMPARE(m_control->roomFeeAll(), QStringLiteral("0"));
    // Typing a blank after the number is taken back at once as well.
    QTest::keyClick(fee, Qt::Key_Space);
    QCOMPARE(m_control->roomFeeAll(), QStringLiteral("0"));
}

void TestQuilvetPriceFields::feeWrittenByTheHostIsTrimmedAndChecked_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("spaces around a number") << "  35 "
                                            << "35";
    QTest::newRow("word") << "abc"
                          << "0";
    QTest::newRow("blank") << "   "
                           << "0";
    QTest::newRow("negative") << "-5"
                              << "-5";
}

void TestQuilvetPriceFields::feeWrittenByTheHostIsTrimmedAndChecked()
{
    QFETCH(QString, written);
    QFETCH(QString, read);
    QSignalSpy propertyChanged(m_control.get(), &clsQuilvet::PropertyChanged);
    m_control->setRoomFeeAll(written);
    QCOMPARE(m_control->roomFeeAll(), read);
    QCOMPARE(propertyChanged.count(), 1);
    QCOMPARE(propertyChanged.at(0).at(0).toString(), QStringLiteral("RoomFee_All"));
}

void TestQuilvetPriceFields::minuteLimitLeftEmptyBecomesMinusOne()
{
    QLineEdit *limit = box(QStringLiteral("txtMaxMinute"));
    typeInto(limit, QStringLiteral("120"));
    typeInto(limit, QString());
    QCOMPARE(m_control->maxMinute(), QString());
    leave(limit);
    QCOMPARE(m_control->maxMinute(), QStringLiteral("-1"));
}

void TestQuilvetPriceFields::minuteLimitWrittenByTheHostStaysAsWritten()
{
    m_control->setMaxMinute(QStringLiteral("abc"));
    QCOMPARE(m_control->maxMinute(), QStringLiteral("abc"));
    m_control->setMaxMinute(QStringLiteral(" 90 "));
    QCOMPARE(m_control->maxMinute(), QStringLiteral(" 90 "));
}

void TestQuilvetPriceFields::textsOfAnyLengthAreKeptWhole()
{
    // Longer than a line editor holds by default.
    const QString longPrice = QStringLiteral("7").repeated(40000);
    const QString longWord = QStringLiteral("x").repeated(40000);

    m_control->setPriceWeek(0, longPrice);
    QCOMPARE(prices(), QStringList(8, longPrice));
    m_control->setMaxMinute(longWord);
    QCOMPARE(m_control->maxMinute(), longWord);
    m_control->setRoomFeeAll(longPrice);
    QCOMPARE(m_control->roomFeeAll(), longPrice);

    // Line breaks are part of the text as well.
    m_control->setMaxMinute(QStringLiteral("12\r\n34"));
    QCOMPARE(m_control->maxMinute(), QStringLiteral("12\r\n34"));
}

void TestQuilvetPriceFields::negativeNumbersPassEveryCheck()
{
    typeInto(price(6), QStringLiteral("-5"));
    leave(price(6));
    QCOMPARE(prices(), QStringList({ "0", "0", "0", "0", "0", "0", "-5", "-5" }));

    QLineEdit *limit = box(QStringLiteral("txtMaxMinute"));
    typeInto(limit, QStringLiteral("-5"));
    leave(limit);
    QCOMPARE(m_control->maxMinute(), QStringLiteral("-5"));

    m_control->setRoomFeeAll(QStringLiteral("-5"));
    QCOMPARE(m_control->roomFeeAll(), QStringLiteral("-5"));
}

void TestQuilvetPriceFields::priceIndexOutsideTheWeekIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(std::exception, m_control->setPriceWeek(8, QStringLiteral("1")));
    QVERIFY_THROWS_EXCEPTION(std::exception, m_control->priceWeek(-1));
}

QTEST_MAIN(TestQuilvetPriceFields)
#include "TestQuilvetPriceFields.moc"
