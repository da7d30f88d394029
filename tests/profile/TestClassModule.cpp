#include "AccessFailures.h"
#include "ClassModule.h"
#include "Failure.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using brevane::ClassModule;
using brevane::Failure;
using brevane::profile::AnsiCodePage;

namespace {

// A list control of any size without the cost of real items: item i reads "i".
struct NumberedItems
{
    int count;
};
int listCount(const NumberedItems &control)
{
    return control.count;
}
QString listText(const NumberedItems &, int index)
{
    return QString::number(index);
}

static_assert(brevane::ListControl<QComboBox>);
static_assert(brevane::ListControl<QListWidget>);
static_assert(brevane::ListControl<NumberedItems>);

template<typename Call> qint32 failureNumber(Call &&call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return 0;
}

} // namespace

class TestClassModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldCountOccurrences_data();
    void shouldCountOccurrences();
    void shouldOverflowPast32767Occurrences();
    void shouldCombinePatterns_data();
    void shouldCombinePatterns();
    void shouldFailToCombine_data();
    void shouldFailToCombine();

    void shouldWriteTheSettingsLayoutIntoAnEmptyFile();
    void shouldKeepOtherEntriesAndTheOrderOfExistingKeys();
    void shouldReadValuesTrimmedOfBlanksOnly_data();
    void shouldReadValuesTrimmedOfBlanksOnly();
    void shouldReadAtMost999Bytes();
    void shouldReadAndWriteChineseInItsCodePage();
    void shouldDeleteKeysAndSections();
    void shouldFailSilentlyWhenTheFileCannotBeWritten();

    void shouldPassExecutionFailuresToTheCaller();

    void shouldFindTheFirstItemBeginningWithTheText_data();
    void shouldFindTheFirstItemBeginningWithTheText();
    void shouldFindTheItemEqualToTheText_data();
    void shouldFindTheItemEqualToTheText();
    void shouldOverflowWhenTheLastIndexDoesNotFitSixteenBits();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("Connect.sys")); }
    QByteArray readFile() const;
    void writeFile(const QByteArray &bytes) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    ClassModule m_module { AnsiCodePage(AnsiCodePage::WesternEuropean) };
};

void TestClassModule::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QByteArray TestClassModule::readFile() const
{
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void TestClassModule::writeFile(const QByteArray &bytes) const
{
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestClassModule::shouldCountOccurrences_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("find");
    QTest::addColumn<int>("count");
    QTest::newRow("commas") << "a,b,c"
                            << "," << 2;
    QTest::newRow("empty text") << ""
                                << "," << -1;
    QTest::newRow("empty text and find") << ""
                                         << "" << -1;
    QTest::newRow("empty find") << "a,b,c"
                                << "" << 0;
    QTest::newRow("none") << "abc"
                          << "," << 0;
    QTest::newRow("case matters") << "Abc"
                                  << "a" << 0;
    QTest::newRow("no overlaps") << "aaaaa"
                                 << "aa" << 2;
    QTest::newRow("whole text") << "abc"
                                << "abc" << 1;
    QTest::newRow("longer than the text") << "ab"
                                          << "abc" << 0;
}

void TestClassModule::shouldCountOccurrences()
{
    QFETCH(QString, start);
    QFETCH(QString, find);
    QFETCH(int, count);
    QCOMPARE(m_module.GetTimerInStr(start, find), count);
}

void TestClassModule::shouldOverflowPast32767Occurrences()
{
    QCOMPARE(m_module.GetTimerInStr(QString(32767, u','), QStringLiteral(",")), 32767);
    QCOMPARE(failureNumber([&] { m_module.GetTimerInStr(QString(32768, u','), QStringLiteral(",")); }), 6);
}

void TestClassModule::shouldCombinePatterns_data()
{
    QTest::addColumn<QString>("spo1");
    QTest::addColumn<QString>("spo2");
    QTest::addColumn<QString>("result");
    QTest::newRow("all four rules") << "1x0z"
                                    << "1101"
                                    << "1101";
    QTest::newRow("different lengths") << "1x"
                                       << "1"
                                       << "";
    QTest::newRow("different lengths with letters") << "abc"
                                                    << "x"
                                                    << "";
    QTest::newRow("both empty") << ""
                                << ""
                                << "";
    QTest::newRow("x in the first takes the second") << "xx"
                                                     << "za"
                                                     << "za";
    QTest::newRow("z in the first wins") << "zz"
                                         << "xq"
                                         << "11";
    QTest::newRow("x and z in the second") << "ab"
                                           << "xz"
                                           << "a1";
    QTest::newRow("products") << "2399"
                              << "3099"
                              << "608181";
    QTest::newRow("longest text") << QString(32767, u'1') << QString(32767, u'x') << QString(32767, u'1');
}

void TestClassModule::shouldCombinePatterns()
{
    QFETCH(QString, spo1);
    QFETCH(QString, spo2);
    QFETCH(QString, result);
    QCOMPARE(m_module.SeparateOr(spo1, spo2), result);
}

void TestClassModule::shouldFailToCombine_data()
{
    QTest::addColumn<QString>("spo1");
    QTest::addColumn<QString>("spo2");
    QTest::addColumn<int>("number");
    QTest::newRow("capital X is no placeholder") << "X"
                                                 << "1" << 13;
    QTest::newRow("capital Z is no placeholder") << "1"
                                                 << "Z" << 13;
    QTest::newRow("letter") << "12"
                            << "1a" << 13;
    QTest::newRow("blank") << " "
                           << "1" << 13;
    QTest::newRow("full-width digit") << "\uFF13"
                                      << "1" << 13;
    QTest::newRow("too long") << QString(32768, u'1') << QString(32768, u'1') << 6;
}

void TestClassModule::shouldFailToCombine()
{
    QFETCH(QString, spo1);
    QFETCH(QString, spo2);
    QFETCH(int, number);
    try {
        m_module.SeparateOr(spo1, spo2);
        QFAIL("no failure");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), number);
        QCOMPARE(failure.description(),
            number == 13 ? QStringLiteral("Type mismatch") : QStringLiteral("Overflow"));
    }
}

void TestClassModule::shouldWriteTheSettingsLayoutIntoAnEmptyFile()
{
    writeFile({});
    m_module.WriteIniFile("DataSource", "DataBase", "SQL Server", filePath());
    m_module.WriteIniFile("SQL Server", "Provider", "SQLOLEDB.1", filePath());
    m_module.WriteIniFile("SQL Server", "Server", "HALL-PC\\SQLEXPRESS", filePath());
    m_module.WriteIniFile("SQL Server", "User", "sa", filePath());
    m_module.WriteIniFile("SQL Server", "PassWord", "", filePath());
    m_module.WriteIniFile("SQL Server", "Initial Catalog", "Snooker", filePath());
    QCOMPARE(readFile(),
        QByteArray("[DataSource]\r\nDataBase=SQL Server\r\n"
                   "[SQL Server]\r\nProvider=SQLOLEDB.1\r\nServer=HALL-PC\\SQLEXPRESS\r\nUser=sa\r\n"
                   "PassWord=\r\nInitial Catalog=Snooker\r\n"));
}

void TestClassModule::shouldKeepOtherEntriesAndTheOrderOfExistingKeys()
{
    writeFile("[Other]\r\nA=1\r\n[SQL Server]\r\nUser=old\r\nInitial Catalog=old\r\nPassWord=old\r\n"
              "Server=old\r\nProvider=old\r\nExtra=keep\r\n[DataSource]\r\nDataBase=old\r\n");
    m_module.WriteIniFile("DataSource", "DataBase", "SQL Server", filePath());
    m_module.WriteIniFile("SQL Server", "Provider", "SQLOLEDB.1", filePath());
    m_module.WriteIniFile("SQL Server", "Server", "srv", filePath());
    m_module.WriteIniFile("SQL Server", "User", "sa", filePath());
    m_module.WriteIniFile("SQL Server", "PassWord", "p;w=\"#", filePath());
    m_module.WriteIniFile("SQL Server", "Initial Catalog", "Hall", filePath());
    QCOMPARE(readFile(),
        QByteArray("[Other]\r\nA=1\r\n[SQL Server]\r\nUser=sa\r\nInitial Catalog=Hall\r\n"
                   "PassWord=p;w=\"#\r\nServer=srv\r\nProvider=SQLOLEDB.1\r\nExtra=keep\r\n"
                   "[DataSource]\r\nDataBase=SQL Server\r\n"));
    QCOMPARE(m_module.GetIniString("SQL Server", "PassWord", filePath()), QStringLiteral("p;w=\"#"));
}

void TestClassModule::shouldReadValuesTrimmedOfBlanksOnly_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("value");
    QTest::newRow("blanks around a word") << QByteArray("K=  word  ") << "word";
    QTest::newRow("blanks kept by quotes are trimmed after all") << QByteArray("K=\"  word  \"") << "word";
    QTest::newRow("tabs inside quotes stay") << QByteArray("K=\"\tword\t\"") << "\tword\t";
    QTest::newRow("NULs removed") << QByteArray("K=wo\0rd", 7) << "word";
    QTest::newRow("empty value") << QByteArray("K=") << "";
    QTest::newRow("no such key") << QByteArray("L=1") << "";
}

void TestClassModule::shouldReadValuesTrimmedOfBlanksOnly()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, value);
    writeFile("[S]\r\n" + line + "\r\n");
    QCOMPARE(m_module.GetIniString("S", "K", filePath()), value);
    QCOMPARE(m_module.GetIniString("S", "K", m_dir->filePath("missing.sys")), QString());
}

void TestClassModule::shouldReadAtMost999Bytes()
{
    writeFile("[S]\r\nK=" + QByteArray(1200, 'v') + "\r\n");
    QCOMPARE(m_module.GetIniString("S", "K", filePath()), QString(999, u'v'));
}

void TestClassModule::shouldReadAndWriteChineseInItsCodePage()
{
    const ClassModule simplified(AnsiCodePage(AnsiCodePage::SimplifiedChinese));
    writeFile({});
    simplified.WriteIniFile("SQL Server", "Initial Catalog", QStringLiteral("台球厅"), filePath());
    QCOMPARE(readFile(), QByteArray("[SQL Server]\r\nInitial Catalog=\xCC\xA8\xC7\xF2\xCC\xFC\r\n"));
    QCOMPARE(simplified.GetIniString("SQL Server", "Initial Catalog", filePath()), QStringLiteral("台球厅"));
    QCOMPARE(m_module.GetIniString("SQL Server", "Initial Catalog", filePath()),
        AnsiCodePage().decode("\xCC\xA8\xC7\xF2\xCC\xFC"));

    m_module.WriteIniFile("SQL Server", "Initial Catalog", QStringLiteral("台球厅"), filePath());
    QCOMPARE(readFile(), QByteArray("[SQL Server]\r\nInitial Catalog=???\r\n"));
}

void TestClassModule::shouldDeleteKeysAndSections()
{
    writeFile("[A]\r\nk=1\r\nl=2\r\n[SQL Server]\r\nUser=sa\r\nServer=s\r\n[B]\r\nm=3\r\n");
    m_module.DeleteIniString("A", "k", filePath());
    QCOMPARE(readFile(), QByteArray("[A]\r\nl=2\r\n[SQL Server]\r\nUser=sa\r\nServer=s\r\n[B]\r\nm=3\r\n"));
    m_module.DeleteIniKeyLeft("SQL Server", filePath());
    QCOMPARE(readFile(), QByteArray("[A]\r\nl=2\r\n[SQL Server]\r\n[B]\r\nm=3\r\n"));
    m_module.DeleteIniKeyAll("SQL Server", filePath());
    QCOMPARE(readFile(), QByteArray("[A]\r\nl=2\r\n[B]\r\nm=3\r\n"));
}

void TestClassModule::shouldFailSilentlyWhenTheFileCannotBeWritten()
{
    const QString inMissingFolder = m_dir->filePath(QStringLiteral("missing/Connect.sys"));
    m_module.WriteIniFile("S", "K", "V", inMissingFolder);
    m_module.DeleteIniString("S", "K", inMissingFolder);
    m_module.DeleteIniKeyLeft("S", inMissingFolder);
    m_module.DeleteIniKeyAll("S", inMissingFolder);
    m_module.WriteIniFile("S", "K", "V", QStringLiteral("/proc/brevane-classmodule-test.sys"));
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestClassModule::shouldPassExecutionFailuresToTheCaller()
{
    brevane::db::Connection never;
    QCOMPARE(failureNumber([&] { m_module.GetDynamicRecordset(never, QStringLiteral("SELECT 1")); }),
        brevane::db::AccessFailure::ConnectionUnusable);
}

void TestClassModule::shouldFindTheFirstItemBeginningWithTheText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("only item, other case") << QStringList { "abc" } << "AB" << 0;
    QTest::newRow("search starts after item 0") << QStringList { "abc", "abd", "xyz" } << "ab" << 1;
    QTest::newRow("item 0 comes last") << QStringList { "abc", "xyz", "uvw" } << "AB" << 0;
    QTest::newRow("first after item 0 wins") << QStringList { "x", "y", "Abc", "aBd" } << "ab" << 2;
    QTest::newRow("whole text") << QStringList { "x", "abc" } << "ABC" << 1;
    QTest::newRow("longer than the item") << QStringList { "ab" } << "abc" << -1;
    QTest::newRow("no match") << QStringList { "abc", "def" } << "b" << -1;
    QTest::newRow("empty list") << QStringList {} << "a" << -1;
    QTest::newRow("empty text matches after item 0") << QStringList { "a", "b" } << "" << 1;
    QTest::newRow("compared as the code page holds them") << QStringList { "a", "数据库" } << "\u00E9?" << -1;
    QTest::newRow("characters the code page lacks read as ?") << QStringList { "a", "数据库" } << "库" << 1;
}

void TestClassModule::shouldFindTheFirstItemBeginningWithTheText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(int, index);
    QListWidget list;
    list.addItems(items);
    QCOMPARE(m_module.ListInclude_Text(list, text), index);
}

void TestClassModule::shouldFindTheItemEqualToTheText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("empty list") << QStringList {} << "abc" << -1;
    QTest::newRow("first item") << QStringList { "abc", "abc" } << "abc" << 0;
    QTest::newRow("case matters") << QStringList { "abc", "ABC" } << "ABC" << 1;
    QTest::newRow("no prefix match") << QStringList { "abc" } << "ab" << -1;
    QTest::newRow("no blanks ignored") << QStringList { "abc " } << "abc" << -1;
    QTest::newRow("empty text") << QStringList { "a", "" } << "" << 1;
    QTest::newRow("chinese") << QStringList { "台球", "台球厅" } << "台球厅" << 1;
}

void TestClassModule::shouldFindTheItemEqualToTheText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(int, index);
    QComboBox combo;
    combo.addItems(items);
    QCOMPARE(m_module.ComboInclude_Text(combo, text), index);
    QListWidget list;
    list.addItems(items);
    QCOMPARE(m_module.ComboInclude_Text(list, text), index);
}

void TestClassModule::shouldOverflowWhenTheLastIndexDoesNotFitSixteenBits()
{
    QCOMPARE(m_module.ComboInclude_Text(NumberedItems { 32768 }, QStringLiteral("32767")), 32767);
    QCOMPARE(m_module.ComboInclude_Text(NumberedItems { 32768 }, QStringLiteral("none")), -1);
    QCOMPARE(
        failureNumber([&] { m_module.ComboInclude_Text(NumberedItems { 32769 }, QStringLiteral("0")); }), 6);
}

QTEST_MAIN(TestClassModule)
#include "TestClassModule.moc"
