#include "ui_QuilvetForm.h"

#include <QTest>
#include <quilvet/clsQuilvet.h>

// A form that sets every property of the control, compiled by uic: the code it
// generates calls the control's setters, and the control shows what the form says.
class TestQuilvetForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldShowEveryValueTheFormSets_data();
    void shouldShowEveryValueTheFormSets();
};

void TestQuilvetForm::shouldShowEveryValueTheFormSets_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    const QList<std::pair<const char *, QVariant>> values { { "Enabled", false }, { "Max", 96 },
        { "Value", 96 }, { "ToolTipText", QStringLiteral("evening") }, { "SelStart", 64 },
        { "MaxMinute", QStringLiteral("120") }, { "RoomFee_All", QStringLiteral("300") },
        { "TimeIndex", QStringLiteral("3") }, { "BeginTime", QStringLiteral("16:00") },
        { "EndTime", QStringLiteral("23:59") }, { "SelectRange", false }, { "SelLength", 32 } };
    for (const auto &[name, value] : values) {
        QTest::newRow(name) << QString::fromLatin1(name) << value;
    }
    // Each price is set after the earlier ones have flowed on to it.
    for (int day = 1; day <= clsQuilvet::PriceCount; ++day) {
        const QString name = QStringLiteral("PriceWeek%1").arg(day);
        QTest::newRow(qPrintable(name)) << name << QVariant(QString::number(15 + 5 * day));
    }
}

void TestQuilvetForm::shouldShowEveryValueTheFormSets()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QWidget form;
    Ui::QuilvetForm ui;
    ui.setupUi(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(ui.quilvet->property(qPrintable(property)), value);
}

QTEST_MAIN(TestQuilvetForm)
#include "TestQuilvetForm.moc"
