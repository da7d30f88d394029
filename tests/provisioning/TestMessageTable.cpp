#include "Failure.h"
#include "MessageTable.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace brevane;

// The shown messages, as the users of each language must read them.
struct ExpectedRow
{
    int id;
    const char *english;
    const char *simplified;
    const char *traditional;
};

static const ExpectedRow kShownMessages[] = {
    { 100, "Information", "提示信息", "提示信息" },
    { 101, "Error", "错误提示：", "錯誤提示：" },
    { 1012, "Error when connecting database", "数据库连接出错！", "資料庫連接出錯！" },
    { 1013, "Datebase settings", "数据库设置", "資料庫設置" },
    { 1045, "Sql Server connect failed, please check server, username and password!",
        "Sql Server服务器测试失败，请检查服务器、用户名、密码是否设置正确！",
        "Sql Server服務器測試失敗，請檢查服務器、用戶名、密碼是否設置正確！" },
    { 1046, "Cannot find original file, please check whether following file is exist?",
        "源文件找不到，请检查以下文件是否存在？", "源文件找不到，請檢查以下文件是否存在？" },
    { 1047, "This file is an invalid Sql Server backup file or this file has been destroyed!",
        "以下文件不是一个有效的Sql Server备份文件或者文件被破坏！",
        "以下文件不是一個有效的Sql Server備份文件或者文件被破壞！" },
    { 1048, "Select database save path", "选择数据库存放路径", "選擇數據庫存放路徑" },
    { 1049, "You selected folder was on system drive, its not suggest.",
        "您选择的文件夹在系统盘上，这样将存在一定安全风险。",
        "您選擇的文件夾在系統盤上，這樣將存在一定安全風險。" },
    { 1050, "Its not suggest to save database on system drive, do you want to modify?",
        "尽量不要将数据文件存放在Windows所在盘，是否要重新选择？",
        "儘量不要將數據文件存放在Windows所在盤，是否要重新選擇？" },
    { 1051, "Please select database storage folder and then make restore!",
        "请先选择数据库存放的文件夹后，再还原！", "請先選擇數據庫存放的文件夾後，再還原！" },
    { 1052, "Folder not exist, please select database storage folder and then make restore!",
        "文件夹不存在，请先选择数据库存放的文件夹后，再还原！",
        "文件夾不存在，請先選擇數據庫存放的文件夾後，再還原！" },
    { 1054, "Database name exist!", "数据库名称已存在!", "數據庫名稱已存在!" },
    { 2008, "Cannot use system file as backup device, please select another backup file name!",
        "不能取系统文件作为存储设备，重新选择备份文件名！",
        "不能取系統文件作為存儲設備，重新選擇備份文件名！" },
};

// Rows whose English versions are empty; English users read the row's English stand-in.
static const ExpectedRow kChineseOnlyMessages[] = {
    { 10042, "The database has been created. You can now log on and use the software.",
        "数据库创建成功，您可以直接登录并使用软件了。", "數據庫創建成功，您可以直接使用軟件了。" },
    { 10046, "Illegal character in database name", "数据库名中有非法字符 ", "數據庫名中有非法字符" },
    { 10047, "Database name must start with a letter", "数据库名首字符必须是字母",
        "數據庫名首字符必須是字母" },
    { 10036, "Select the database backup file to restore", "选择待还原的数据库备份文件",
        "選擇待還原的數據庫備份文件" },
    { 10037, "File path:", "文件路径：", "文件路徑：" },
    { 10038, "OK", "确定", "確定" },
    { 10039, "Cancel", "取消", "取消" },
};

class TestMessageTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shownMessagesReadAsWrittenInEveryLanguage();
    void britishEnglishEqualsUsEnglishInEveryRow();
    void chineseOnlyRowsAreEmptyInEnglishAndEnglishUsersReadTheirStandIn();
    void rowWithoutEnglishVersionIsMissingNotEmpty();
    void traditionalChineseRowWithoutTrailingBlankKeepsItsOwnText();
    void unknownIdFailsWith326NamingTheId();
    void rowHoldingOnlyEmptyVersionsYieldsEmptyText();
    void localeChoosesLanguage_data();
    void localeChoosesLanguage();
    void systemLocaleIsReadFromTheEnvironment_data();
    void systemLocaleIsReadFromTheEnvironment();
    void badTableFileIsRefused();
};

void TestMessageTable::shownMessagesReadAsWrittenInEveryLanguage()
{
    const MessageTable &table = MessageTable::builtIn();
    for (const ExpectedRow &row : kShownMessages) {
        QCOMPARE(table.text(row.id, LanguageId::EnglishUnitedStates), QString::fromUtf8(row.english));
        QCOMPARE(table.text(row.id, LanguageId::EnglishUnitedKingdom), QString::fromUtf8(row.english));
        QCOMPARE(table.text(row.id, LanguageId::ChineseSimplified), QString::fromUtf8(row.simplified));
        QCOMPARE(table.text(row.id, LanguageId::ChineseTraditional), QString::fromUtf8(row.traditional));
    }
}

void TestMessageTable::britishEnglishEqualsUsEnglishInEveryRow()
{
    const MessageTable &table = MessageTable::builtIn();
    for (quint16 id : table.ids())
        QCOMPARE(table.version(id, LanguageId::EnglishUnitedKingdom),
            table.version(id, LanguageId::EnglishUnitedStates));
}

void TestMessageTable::chineseOnlyRowsAreEmptyInEnglishAndEnglishUsersReadTheirStandIn()
{
    const MessageTable &table = MessageTable::builtIn();
    for (const ExpectedRow &row : kChineseOnlyMessages) {
        QCOMPARE(table.version(row.id, LanguageId::EnglishUnitedStates), std::optional<QString>(QString()));
        QCOMPARE(table.version(row.id, LanguageId::EnglishUnitedKingdom), std::optional<QString>(QString()));
        QCOMPARE(table.text(row.id, LanguageId::EnglishUnitedStates), QString::fromUtf8(row.english));
        QCOMPARE(table.text(row.id, LanguageId::EnglishUnitedKingdom), QString::fromUtf8(row.english));
        QCOMPARE(table.text(row.id, LanguageId::ChineseSimplified), QString::fromUtf8(row.simplified));
        QCOMPARE(table.text(row.id, LanguageId::ChineseTraditional), QString::fromUtf8(row.traditional));
    }
}

void TestMessageTable::rowWithoutEnglishVersionIsMissingNotEmpty()
{
    const MessageTable &table = MessageTable::builtIn();
    QVERIFY(!table.version(1061, LanguageId::EnglishUnitedStates).has_value());
    QVERIFY(!table.version(1061, LanguageId::EnglishUnitedKingdom).has_value());
    QCOMPARE(
        table.text(1061, LanguageId::EnglishUnitedKingdom), QStringLiteral("Number of databases to create:"));
    QCOMPARE(
        table.text(1061, LanguageId::EnglishUnitedStates), QStringLiteral("Number of databases to create:"));
    QCOMPARE(table.text(1061, LanguageId::ChineseSimplified), QStringLiteral("待创建数据库个数："));
    QCOMPARE(table.text(1061, LanguageId::ChineseTraditional), QStringLiteral("待創建數據庫個數："));
}

void TestMessageTable::traditionalChineseRowWithoutTrailingBlankKeepsItsOwnText()
{
    const MessageTable &table = MessageTable::builtIn();
    QVERIFY(table.text(10046, LanguageId::ChineseSimplified).endsWith(QLatin1Char(' ')));
    QVERIFY(!table.text(10046, LanguageId::ChineseTraditional).endsWith(QLatin1Char(' ')));
}

void TestMessageTable::unknownIdFailsWith326NamingTheId()
{
    for (qint32 id : { 1, 1044, 65535, 65536, -1 }) {
        try {
            MessageTable::builtIn().text(id, LanguageId::EnglishUnitedStates);
            QFAIL("a missing row must fail");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), 326);
            QVERIFY2(failure.description().contains(QString::number(id)), qPrintable(failure.description()));
        }
    }
}

void TestMessageTable::rowHoldingOnlyEmptyVersionsYieldsEmptyText()
{
    QString error;
    const MessageTable table = MessageTable::fromJson(
        R"({"rows":[{"id":7,"0409":"","0804":""},{"id":8,"0404":"only traditional"}]})", &error);
    QVERIFY2(!table.isEmpty(), qPrintable(error));
    QCOMPARE(table.text(7, LanguageId::EnglishUnitedStates), QString());
    // Neither English nor Simplified Chinese: the row exists, so the text is empty rather than a failure.
    QCOMPARE(table.text(8, LanguageId::EnglishUnitedStates), QString());
    QCOMPARE(table.text(8, LanguageId::ChineseSimplified), QStringLiteral("only traditional"));
}

void TestMessageTable::localeChoosesLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<LanguageId>("language");
    QTest::newRow("en_GB") << "en_GB" << LanguageId::EnglishUnitedKingdom;
    QTest::newRow("en_US") << "en_US" << LanguageId::EnglishUnitedStates;
    QTest::newRow("en_AU") << "en_AU" << LanguageId::EnglishUnitedStates;
    QTest::newRow("zh_CN") << "zh_CN" << LanguageId::ChineseSimplified;
    QTest::newRow("zh_SG") << "zh_SG" << LanguageId::ChineseSimplified;
    QTest::newRow("zh_Hans") << "zh_Hans" << LanguageId::ChineseSimplified;
    QTest::newRow("zh_TW") << "zh_TW" << LanguageId::ChineseTraditional;
    QTest::newRow("zh_HK") << "zh_HK" << LanguageId::ChineseTraditional;
    QTest::newRow("zh_MO") << "zh_MO" << LanguageId::ChineseTraditional;
    QTest::newRow("zh_Hant") << "zh_Hant" << LanguageId::ChineseTraditional;
    QTest::newRow("de_DE") << "de_DE" << LanguageId::EnglishUnitedStates;
    QTest::newRow("C") << "C" << LanguageId::EnglishUnitedStates;
}

void TestMessageTable::localeChoosesLanguage()
{
    QFETCH(QString, locale);
    QFETCH(LanguageId, language);
    QCOMPARE(languageForLocale(QLocale(locale)), language);
}

void TestMessageTable::systemLocaleIsReadFromTheEnvironment_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LANG") << QStringList { "LANG=zh_TW.UTF-8" } << "0404";
    QTest::newRow("LC_MESSAGES over LANG")
        << QStringList { "LANG=en_US.UTF-8", "LC_MESSAGES=zh_CN.UTF-8" } << "0804";
    QTest::newRow("LC_ALL over all") << QStringList { "LANG=zh_CN.UTF-8", "LC_ALL=en_GB.UTF-8" } << "0809";
}

void TestMessageTable::systemLocaleIsReadFromTheEnvironment()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, expected);
    if (qEnvironmentVariableIsSet("MESSAGE_TABLE_PRINT_LANGUAGE")) {
        // Child mode: report the language this process reads from its environment.
        printf("%04x\n", unsigned(userInterfaceLanguage()));
        return;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE" })
        env.remove(QString::fromLatin1(name));
    for (const QString &assignment : environment)
        env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    env.insert("MESSAGE_TABLE_PRINT_LANGUAGE", "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
        { "systemLocaleIsReadFromTheEnvironment:" + QString::fromLatin1(QTest::currentDataTag()) });
    QVERIFY(child.waitForFinished(30000));
    const QString output = QString::fromLatin1(child.readAllStandardOutput());
    QVERIFY2(output.contains(expected), qPrintable(output));
}

void TestMessageTable::badTableFileIsRefused()
{
    QString error;
    QVERIFY(MessageTable::fromJson("{not json", &error).isEmpty());
    QVERIFY(!error.isEmpty());
    QVERIFY(
        MessageTable::fromJson(R"({"rows":[{"id":1,"0409":"a"},{"id":1,"0409":"b"}]})", &error).isEmpty());
    QVERIFY(MessageTable::fromJson(R"({"rows":[{"id":70000}]})", &error).isEmpty());
}

QTEST_GUILESS_MAIN(TestMessageTable)
#include "TestMessageTable.moc"
