#include "Blanks.h"
#include "Failure.h"
#include "NameRules.h"
#include "NumericText.h"
#include "Statements.h"

#include <QTest>

using namespace brevane;

class TestStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceNameComesFromTheBackupFileName_data();
    void deviceNameComesFromTheBackupFileName();
    void systemFileNamesAreReservedInAnyCase();
    void plainValuesGiveTheStatementsAsAlwaysSent();
    void apostrophesAreDoubledInsideLiterals();
    void textBeyondAsciiIsAUnicodeLiteral_data();
    void textBeyondAsciiIsAUnicodeLiteral();
    void namesThatAreNoRegularIdentifiersAreBracketed_data();
    void namesThatAreNoRegularIdentifiersAreBracketed();
    void trimmingTakesBlanksOnly();
    void tagNumbersRoundAndOverflowLikeTheLongConversion_data();
    void tagNumbersRoundAndOverflowLikeTheLongConversion();
};

void TestStatements::deviceNameComesFromTheBackupFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("device");
    QTest::newRow("template") << "C:\\Hall\\Brevane\\..\\DB\\rivazadUZ.Bak"
                              << "rivazadUZ";
    QTest::newRow("slash path") << "/opt/hall/Brevane/../DB/rivazadUZ.Bak"
                                << "rivazadUZ";
    QTest::newRow("two dots keep what precedes the first") << "D:\\b\\hall.2024.bak"
                                                           << "hall";
    QTest::newRow("digits get D") << "D:\\b\\2024.bak"
                                  << "D2024";
    QTest::newRow("underscore gets D") << "/b/_hall.bak"
                                       << "D_hall";
    QTest::newRow("blanks trimmed") << "/b/  hall  .bak"
                                    << "hall";
    QTest::newRow("non-Latin letter gets D") << "/b/台球.bak"
                                             << "D台球";
    QTest::newRow("lower-case start kept") << "/b/hall"
                                           << "hall";
    QTest::newRow("empty base name") << "/b/.bak"
                                     << "D";
    QTest::newRow("no folder") << "hall.bak"
                               << "hall";
}

void TestStatements::deviceNameComesFromTheBackupFileName()
{
    QFETCH(QString, path);
    QFETCH(QString, device);
    QCOMPARE(dumpDeviceName(path), device);
}

void TestStatements::systemFileNamesAreReservedInAnyCase()
{
    for (const char *name : { "master", "MastLog", "MODELDEV", "modellog", "TempDev", "templog" })
        QVERIFY2(isReservedDeviceName(QString::fromLatin1(name)), name);
    for (const char *name : { "masters", "tempdb", "model", "rivazadUZ" })
        QVERIFY2(!isReservedDeviceName(QString::fromLatin1(name)), name);
}

void TestStatements::plainValuesGiveTheStatementsAsAlwaysSent()
{
    QCOMPARE(Statements::fileList(QStringLiteral("C:\\a\\..\\DB\\rivazadUZ.Bak")),
        QStringLiteral("RESTORE FILELISTONLY from DISK ='C:\\a\\..\\DB\\rivazadUZ.Bak'"));
    QCOMPARE(Statements::databaseExists(QStringLiteral(" Hall ")),
        QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N' Hall ')"));
    QCOMPARE(Statements::dropDevice(QStringLiteral("rivazadUZ"), QStringLiteral("C:\\x.Bak")),
        QStringLiteral(
            "if Exists (select name,phyname from  master.dbo.sysdevices  where name='rivazadUZ' or "
            "phyname='C:\\x.Bak')   exec sp_dropdevice 'rivazadUZ'"));
    QCOMPARE(Statements::addDevice(QStringLiteral("rivazadUZ"), QStringLiteral("C:\\x.Bak")),
        QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','C:\\x.Bak'"));
    QCOMPARE(Statements::restoreDatabase(QStringLiteral(" Hall "), QStringLiteral("rivazadUZ"),
                 QStringLiteral(" rivazadUZ_Data "), QStringLiteral(" D:\\d\\Hall.mdf "),
                 QStringLiteral("rivazadUZ_Log"), QStringLiteral("D:\\d\\Hall_Log.ldf")),
        QStringLiteral(
            " RESTORE DATABASE  Hall From rivazadUZ With Move 'rivazadUZ_Data' TO 'D:\\d\\Hall.mdf',"
            " Move 'rivazadUZ_Log' TO 'D:\\d\\Hall_Log.ldf' "));
}

void TestStatements::apostrophesAreDoubledInsideLiterals()
{
    QCOMPARE(Statements::fileList(QStringLiteral("/srv/Joe's/x.bak")),
        QStringLiteral("RESTORE FILELISTONLY from DISK ='/srv/Joe''s/x.bak'"));
    QCOMPARE(Statements::databaseExists(QStringLiteral("a'b")),
        QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'a''b')"));
    QVERIFY(Statements::addDevice(QStringLiteral("O'Neil"), QStringLiteral("/x/O'Neil.bak"))
                .endsWith(QStringLiteral("'O''Neil','/x/O''Neil.bak'")));
    QVERIFY(Statements::restoreDatabase(QStringLiteral("h"), QStringLiteral("d"), QStringLiteral("l'd"),
        QStringLiteral("/p'/h.mdf"), QStringLiteral("l"), QStringLiteral("/p/h.ldf"))
                .contains(QStringLiteral("Move 'l''d' TO '/p''/h.mdf'")));
}

void TestStatements::textBeyondAsciiIsAUnicodeLiteral_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inStatement");
    QTest::newRow("ascii stays plain") << "C:\\x.Bak"
                                       << "'C:\\x.Bak'";
    QTest::newRow("latin-1 letter") << "/srv/Ä.bak"
                                    << "N'/srv/Ä.bak'";
    QTest::newRow("chinese with apostrophe") << "/srv/数'据.bak"
                                             << "N'/srv/数''据.bak'";
}

void TestStatements::textBeyondAsciiIsAUnicodeLiteral()
{
    QFETCH(QString, text);
    QFETCH(QString, inStatement);
    QCOMPARE(Statements::fileList(text), QStringLiteral("RESTORE FILELISTONLY from DISK =") + inStatement);
    QCOMPARE(Statements::addDevice(text, text),
        QStringLiteral("exec sp_addumpdevice 'disk', ") + inStatement + QLatin1Char(',') + inStatement);
    QVERIFY(
        Statements::dropDevice(text, text).endsWith(QStringLiteral(" exec sp_dropdevice ") + inStatement));
    QVERIFY(Statements::restoreDatabase(
        QStringLiteral("h"), QStringLiteral("d"), text, text, QStringLiteral("l"), QStringLiteral("/p/h.ldf"))
                .contains(QStringLiteral("Move ") + inStatement + QStringLiteral(" TO ") + inStatement
                    + QLatin1Char(',')));
}

void TestStatements::namesThatAreNoRegularIdentifiersAreBracketed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("inStatement");
    QTest::newRow("plain") << "Hall_2024"
                           << "Hall_2024";
    QTest::newRow("reserved keyword") << "Database"
                                      << "[Database]";
    QTest::newRow("blank inside") << "hall copy"
                                  << "[hall copy]";
    QTest::newRow("closing bracket doubled") << "a]b"
                                             << "[a]]b]";
    QTest::newRow("digit first") << "D2024"
                                 << "D2024";
    QTest::newRow("starts with digit") << "2024"
                                       << "[2024]";
    QTest::newRow("hyphen") << "hall-a"
                            << "[hall-a]";
}

void TestStatements::namesThatAreNoRegularIdentifiersAreBracketed()
{
    QFETCH(QString, name);
    QFETCH(QString, inStatement);
    QCOMPARE(Statements::identifier(name), inStatement);
}

void TestStatements::trimmingTakesBlanksOnly()
{
    QCOMPARE(trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    QCOMPARE(trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    QCOMPARE(trimBlanks(QStringLiteral("   ")), QString());
}

void TestStatements::tagNumbersRoundAndOverflowLikeTheLongConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("failure"); // 0: converts
    QTest::addColumn<int>("value");
    QTest::newRow("blanks around") << " 1042 " << 0 << 1042;
    QTest::newRow("half rounds to even below") << "2.5" << 0 << 2;
    QTest::newRow("half rounds to even above") << "3.5" << 0 << 4;
    QTest::newRow("negative") << "-7" << 0 << -7;
    QTest::newRow("exponent") << "1e3" << 0 << 1000;
    QTest::newRow("too small to represent is zero") << "1e-400" << 0 << 0;
    QTest::newRow("negative too small is zero") << "-4.5e-999" << 0 << 0;
    QTest::newRow("past 32 bits") << "2147483648" << 6 << 0;
    QTest::newRow("too large to represent") << "1e400" << 6 << 0;
    QTest::newRow("empty") << "" << 13 << 0;
    QTest::newRow("trailing word") << "12abc" << 13 << 0;
    QTest::newRow("final line feed") << "4\n" << 13 << 0;
    QTest::newRow("line feed before blanks") << "4\n " << 13 << 0;
}

void TestStatements::tagNumbersRoundAndOverflowLikeTheLongConversion()
{
    QFETCH(QString, text);
    QFETCH(int, failure);
    QFETCH(int, value);
    QCOMPARE(isNumericText(text), failure != 13);
    try {
        QCOMPARE(toInt32(text), value);
        QCOMPARE(failure, 0);
    } catch (const Failure &thrown) {
        QCOMPARE(thrown.number(), failure);
    }
}

QTEST_GUILESS_MAIN(TestStatements)
#include "TestStatements.moc"
