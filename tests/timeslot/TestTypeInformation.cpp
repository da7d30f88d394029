#include <QTest>
class TestTypeInformation : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestTypeInformation)
#include "TestTypeInformation.moc"
