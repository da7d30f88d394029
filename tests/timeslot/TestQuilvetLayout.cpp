#include "QuilvetLayout.h"
#include "clsQuilvet.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// The fixed layout: positions in pixels (twips / 15), captions, font and emphasis.
class TestQuilvetLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clientAreaIs698By100();
    void childrenStandWhereTheLayoutPutsThem_data();
    void childrenStandWhereTheLayoutPutsThem();
    void everyChildOfTheTableIsBuilt();
    void captionsAreTheFixedChineseTexts();
    void periodLabelsAreBoldAndBlue();
    void captionFaceCanShowChinese();
};

void TestQuilvetLayout::clientAreaIs698By100()
{
    clsQuilvet control;
    QCOMPARE(control.size(), QSize(698, 100));
    QCOMPARE(control.sizeHint(), QSize(698, 100));
}

void TestQuilvetLayout::childrenStandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("parent");
    QTest::newRow("slider") << "Slider_Time" << QRect(60, 4, 579, 22) << "";
    QTest::newRow("left scale") << "lblNote(12)" << QRect(12, 6, 40, 14) << "";
    QTest::newRow("right scale") << "lblNote(13)" << QRect(646, 8, 40, 14) << "";
    QTest::newRow("panel") << "pic1" << QRect(9, 33, 679, 61) << "";
    QTest::newRow("Saturday heading") << "lblNote(4)" << QRect(381, 6, 36, 12) << "pic1";
    QTest::newRow("Monday price") << "txtPrice_Week(0)" << QRect(156, 27, 37, 22) << "pic1";
    QTest::newRow("holiday price") << "txtPrice_Week(7)" << QRect(471, 27, 37, 22) << "pic1";
    QTest::newRow("minute limit") << "txtMaxMinute" << QRect(573, 6, 37, 22) << "pic1";
    QTest::newRow("fee") << "txtRoomFee_All" << QRect(573, 30, 37, 22) << "pic1";
    QTest::newRow("period number") << "lblNo" << QRect(27, 9, 7, 12) << "pic1";
    QTest::newRow("begin") << "lblTimeBegin" << QRect(58, 34, 35, 12) << "pic1";
    QTest::newRow("end") << "lblTimeEnd" << QRect(112, 34, 35, 12) << "pic1";
}

void TestQuilvetLayout::childrenStandWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(QString, parent);
    clsQuilvet control;
    auto *child = control.findChild<QWidget *>(name);
    QVERIFY(child);
    QCOMPARE(child->geometry(), rect);
    QCOMPARE(child->parentWidget()->objectName(), parent);
}

void TestQuilvetLayout::everyChildOfTheTableIsBuilt()
{
    clsQuilvet control;
    for (const quilvet::Layout::Child &child : quilvet::Layout::children()) {
        QVERIFY2(control.findChild<QWidget *>(QString::fromLatin1(child.name)), child.name);
    }
    QCOMPARE(quilvet::Layout::children().size(), std::size_t(33));
    QCOMPARE(control.findChildren<QLineEdit *>().size(), 10);
}

void TestQuilvetLayout::captionsAreTheFixedChineseTexts()
{
    clsQuilvet control;
    const auto caption
        = [&](const char *name) { return control.findChild<QLabel *>(QString::fromLatin1(name))->text(); };
    QCOMPARE(caption("lblNote(0)") + caption("lblNo") + caption("lblNote(1)"),
        QStringLiteral("第1时段价格(元/小时)"));
    const QStringList days { caption("lblNote(2)"), caption("lblNote(3)"), caption("lblNote(5)"),
        caption("lblNote(6)"), caption("lblNote(7)"), caption("lblNote(4)"), caption("lblNote(8)"),
        caption("lblNote(9)") };
    QCOMPARE(
        days, QStringList({ "星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期天", "节日" }));
    QCOMPARE(caption("lblNote(10)") + control.maxMinute() + caption("lblNote(11)"),
        QStringLiteral("计时超过-1分钟算包场"));
    QCOMPARE(caption("lblNote(15)") + control.roomFeeAll() + caption("lblNote(14)"),
        QStringLiteral("包场费为0元"));
    QCOMPARE(
        caption("lblNote(16)") + caption("lblTimeBegin") + caption("lblNote(17)") + caption("lblTimeEnd"),
        QStringLiteral("时间段：00:00－23:59"));
    QCOMPARE(caption("lblNote(12)"), QStringLiteral("00:00"));
    QCOMPARE(caption("lblNote(13)"), QStringLiteral("23:59"));
}

void TestQuilvetLayout::periodLabelsAreBoldAndBlue()
{
    clsQuilvet control;
    for (const char *name : { "lblNo", "lblTimeBegin", "lblTimeEnd" }) {
        auto *label = control.findChild<QLabel *>(QString::fromLatin1(name));
        QVERIFY(label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }
    auto *plain = control.findChild<QLabel *>(QStringLiteral("lblNote(1)"));
    QVERIFY(!plain->font().bold());
    QCOMPARE(plain->font().pointSize(), 9);
}

void TestQuilvetLayout::captionFaceCanShowChinese()
{
    const QFont font = quilvet::Layout::captionFont();
    QCOMPARE(font.pointSize(), 9);
    const QFontMetrics metrics(font);
    QVERIFY(metrics.inFontUcs4(U'星'));
    QVERIFY(metrics.inFontUcs4(U'－'));
}

QTEST_MAIN(TestQuilvetLayout)
#include "TestQuilvetLayout.moc"
