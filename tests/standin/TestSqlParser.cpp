#include "SqlLexer.h"
#include "SqlParser.h"

#include <QTest>

using namespace standin;

Q_DECLARE_METATYPE(standin::ServerMessage)

class TestSqlParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldParseTheStatementsTheProvisioningProgramSends_data();
    void shouldParseTheStatementsTheProvisioningProgramSends();
    void shouldReadRestoreWithMoveTargets();
    void shouldUndoubleApostrophesAndReadNationalLiterals();
    void shouldUnbracketIdentifiers_data();
    void shouldUnbracketIdentifiers();
    void shouldReadConditionalDropDevice();
    void shouldReportSyntaxErrorsAsSqlServerDoes_data();
    void shouldReportSyntaxErrorsAsSqlServerDoes();
    void shouldQuoteTheRestOfTheBatchForAnUnclosedString();
    void shouldTakeUnsupportedStatementsWhole();
    void shouldSkipComments();
    void shouldReadHeaderOnlyStatsAndServerValues();
};

void TestSqlParser::shouldParseTheStatementsTheProvisioningProgramSends_data()
{
    QTest::addColumn<QString>("batch");
    QTest::addColumn<int>("statements");
    QTest::newRow("existence query") << QStringLiteral(
        " SELECT name From master.dbo.sysdatabases WHERE (name = N'Hall')")
                                     << 1;
    QTest::newRow("existence query, other case")
        << QStringLiteral("select NAME from MASTER.DBO.SYSDATABASES where name=N'x'") << 1;
    QTest::newRow("file list") << QStringLiteral(
        "RESTORE FILELISTONLY from DISK ='/opt/hall/bin\\..\\DB\\rivazadUZ.Bak'")
                               << 1;
    QTest::newRow("add device") << QStringLiteral(
        "exec sp_addumpdevice 'disk', 'rivazadUZ','C:\\x\\rivazadUZ.Bak'")
                                << 1;
    QTest::newRow("restore") << QStringLiteral(" RESTORE DATABASE  Hall From rivazadUZ With Move 'a_Data' TO "
                                               "'/srv/Hall.Mdf', Move 'a_Log' TO '/srv/Hall_Log.Ldf' ")
                             << 1;
    QTest::newRow("two statements") << QStringLiteral("SELECT 1; SELECT name FROM sysdatabases") << 2;
    QTest::newRow("volumes") << QStringLiteral("SELECT f.physical_name, v.volume_mount_point, "
                                               "v.available_bytes FROM sys.master_files AS f CROSS APPLY "
                                               "sys.dm_os_volume_stats(f.database_id, f.file_id) AS v")
                             << 1;
    QTest::newRow("files of one database") << QStringLiteral(
        "SELECT name, physical_name, type_desc, size FROM sys.master_files WHERE database_id = "
        "DB_ID(N'Hall')") << 1;
    QTest::newRow("file checks") << QStringLiteral(
        "EXEC master.dbo.xp_fileexist N'C:\\a'\nEXEC master.dbo.xp_fileexist N'C:\\b'")
                                 << 2;
    QTest::newRow("guard") << QStringLiteral(
        "IF DB_ID(N'it''s') IS NOT NULL RAISERROR(N'Database ''it''''s'' "
        "already exists. Choose a different database name.', 16, 1)")
                           << 1;
    QTest::newRow("drop") << QStringLiteral("DROP DATABASE [Hall]") << 1;
    QTest::newRow("verify") << QStringLiteral("RESTORE VERIFYONLY FROM DISK = N'/srv/a.bak' WITH CHECKSUM")
                            << 1;
    QTest::newRow("empty batch") << QStringLiteral("  \n ") << 0;
}

void TestSqlParser::shouldParseTheStatementsTheProvisioningProgramSends()
{
    QFETCH(QString, batch);
    QFETCH(int, statements);
    const ParsedBatch parsed = parseSqlBatch(batch);
    QVERIFY2(parsed.errors.isEmpty(), qPrintable(parsed.errors.value(0).text));
    QCOMPARE(parsed.statements.size(), statements);
}

void TestSqlParser::shouldReadRestoreWithMoveTargets()
{
    const ParsedBatch parsed = parseSqlBatch(QStringLiteral(
        " RESTORE DATABASE  [my db]]x] From rivazadUZ With Move 'rivazadUZ_Data' TO 'C:\\Data\\it''s.Mdf',"
        " Move N'rivazadUZ_Log' TO N'/srv/日本_Log.Ldf' "));
    QVERIFY(parsed.errors.isEmpty());
    const auto &restore = std::get<RestoreStatement>(parsed.statements.first().body);
    QCOMPARE(restore.kind, RestoreStatement::Kind::Database);
    QCOMPARE(restore.database, QStringLiteral("my db]x"));
    QCOMPARE(restore.sources.size(), 1);
    QCOMPARE(restore.sources.first().kind, BackupSource::Kind::Device);
    QCOMPARE(restore.sources.first().value, QStringLiteral("rivazadUZ"));
    QCOMPARE(restore.moves.size(), 2);
    QCOMPARE(restore.moves.at(0).logicalName, QStringLiteral("rivazadUZ_Data"));
    QCOMPARE(restore.moves.at(0).physicalName, QStringLiteral("C:\\Data\\it's.Mdf"));
    QCOMPARE(restore.moves.at(1).physicalName, QStringLiteral("/srv/日本_Log.Ldf"));
    QVERIFY(restore.unsupportedOptions.isEmpty());
}

void TestSqlParser::shouldUndoubleApostrophesAndReadNationalLiterals()
{
    const SqlLexResult lexed = tokenizeSql(QStringLiteral("N'it''s' 'a''''b' n''"));
    QVERIFY(lexed.errors.isEmpty());
    QCOMPARE(lexed.tokens.size(), 4); // three strings and the end
    QCOMPARE(lexed.tokens.at(0).value, QStringLiteral("it's"));
    QVERIFY(lexed.tokens.at(0).national);
    QCOMPARE(lexed.tokens.at(1).value, QStringLiteral("a''b"));
    QVERIFY(!lexed.tokens.at(1).national);
    QCOMPARE(lexed.tokens.at(2).value, QString());
}

void TestSqlParser::shouldUnbracketIdentifiers_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("Hall_01") << QStringLiteral("Hall_01");
    QTest::newRow("bracketed blank") << QStringLiteral("[na me]") << QStringLiteral("na me");
    QTest::newRow("doubled bracket") << QStringLiteral("[a]]b]") << QStringLiteral("a]b");
    QTest::newRow("bracketed hyphen") << QStringLiteral("[my-db]") << QStringLiteral("my-db");
    QTest::newRow("double quotes") << QStringLiteral("\"x\"\"y\"") << QStringLiteral("x\"y");
    QTest::newRow("non-latin") << QStringLiteral("数据库") << QStringLiteral("数据库");
}

void TestSqlParser::shouldUnbracketIdentifiers()
{
    QFETCH(QString, written);
    QFETCH(QString, name);
    const ParsedBatch parsed
        = parseSqlBatch(QStringLiteral("RESTORE DATABASE %1 FROM dev WITH MOVE 'a' TO 'b'").arg(written));
    QVERIFY2(parsed.errors.isEmpty(), qPrintable(parsed.errors.value(0).text));
    QCOMPARE(std::get<RestoreStatement>(parsed.statements.first().body).database, name);
}

void TestSqlParser::shouldReadConditionalDropDevice()
{
    const ParsedBatch parsed = parseSqlBatch(
        QStringLiteral("if Exists (select name,phyname from  master.dbo.sysdevices  where name='D' or "
                       "phyname='C:\\b.Bak')   exec sp_dropdevice 'D'"));
    QVERIFY(parsed.errors.isEmpty());
    const auto &ifStatement = std::get<IfStatement>(parsed.statements.first().body);
    QVERIFY(!ifStatement.notExists);
    QCOMPARE(ifStatement.query.from.written, QStringLiteral("master.dbo.sysdevices"));
    QCOMPARE(ifStatement.query.items.size(), 2);
    QVERIFY(ifStatement.query.where);
    QCOMPARE(ifStatement.query.where->kind, Condition::Kind::Or);
    const auto &exec = std::get<ExecStatement>(ifStatement.thenBranch->body);
    QCOMPARE(exec.procedure.name(), QStringLiteral("sp_dropdevice"));
    QCOMPARE(exec.arguments.size(), 1);
    QCOMPARE(exec.arguments.first().value.text, QStringLiteral("D"));
    QVERIFY(!ifStatement.elseBranch);
}

void TestSqlParser::shouldReportSyntaxErrorsAsSqlServerDoes_data()
{
    QTest::addColumn<QString>("batch");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::newRow("hyphen in a plain name")
        << QStringLiteral(" RESTORE DATABASE  my-db From d With Move 'a' TO 'b'") << 102
        << QStringLiteral("Incorrect syntax near '-'.") << 1;
    QTest::newRow("keyword as a name") << QStringLiteral("RESTORE DATABASE FROM d") << 156
                                       << QStringLiteral("Incorrect syntax near the keyword 'FROM'.") << 1;
    QTest::newRow("unfinished statement") << QStringLiteral("SELECT name FROM\n") << 156
                                          << QStringLiteral("Incorrect syntax near the keyword 'FROM'.") << 1;
    QTest::newRow("blank in a device name")
        << QStringLiteral("RESTORE DATABASE x From my dev With Move 'a' TO 'b'") << 102
        << QStringLiteral("Incorrect syntax near 'dev'.") << 1;
    QTest::newRow("unknown word on line 2") << QStringLiteral("SELECT 1;\nfrobnicate 2") << 102
                                            << QStringLiteral("Incorrect syntax near 'frobnicate'.") << 2;
    QTest::newRow("unknown RESTORE option")
        << QStringLiteral("RESTORE DATABASE x FROM d WITH FASTER") << 155
        << QStringLiteral("'FASTER' is not a recognized RESTORE option.") << 1;
    QTest::newRow("variable") << QStringLiteral("RESTORE FILELISTONLY FROM DISK = @path") << 137
                              << QStringLiteral("Must declare the scalar variable \"@path\".") << 1;
    QTest::newRow("unclosed comment")
        << QStringLiteral("SELECT 1 /* x") << 113 << QStringLiteral("Missing end comment mark '*/'.") << 1;
    QTest::newRow("empty name on line 2")
        << QStringLiteral("SELECT 1\nRESTORE DATABASE [] FROM d") << 1038
        << QStringLiteral("An object or column name is missing or empty. For "
                          "SELECT INTO statements, verify each column has a "
                          "name. For other statements, look for empty alias "
                          "names. Aliases defined as \"\" or [] are not "
                          "allowed. Change the alias to a valid name.")
        << 2;
    QTest::newRow("plain name of 129 characters")
        << QStringLiteral("RESTORE DATABASE %1 FROM d").arg(QString(129, QLatin1Char('x'))) << 103
        << QStringLiteral("The identifier that starts with '%1' is too long. Maximum length is 128.")
               .arg(QString(128, QLatin1Char('x')))
        << 1;
    QTest::newRow("NOT nested 300 deep")
        << QStringLiteral("SELECT name FROM sysdatabases WHERE %1 name = 'x'")
               .arg(QStringLiteral("NOT ").repeated(300))
        << 191
        << QStringLiteral(
               "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
               "into smaller queries.")
        << 1;
    QTest::newRow("IF nested 300 deep")
        << QStringLiteral("IF EXISTS (SELECT 1) ").repeated(300) + QStringLiteral("SELECT 1") << 191
        << QStringLiteral(
               "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
               "into smaller queries.")
        << 1;
}

void TestSqlParser::shouldReportSyntaxErrorsAsSqlServerDoes()
{
    QFETCH(QString, batch);
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(int, line);
    const ParsedBatch parsed = parseSqlBatch(batch);
    QVERIFY(parsed.statements.isEmpty());
    QCOMPARE(parsed.errors.size(), 1);
    QCOMPARE(parsed.errors.first().number, number);
    QCOMPARE(parsed.errors.first().level, 15);
    QCOMPARE(parsed.errors.first().text, text);
    QCOMPARE(parsed.errors.first().line, line);
}

void TestSqlParser::shouldQuoteTheRestOfTheBatchForAnUnclosedString()
{
    // The path's apostrophe ends the string early; the last apostrophe opens one that never closes.
    const ParsedBatch apostrophe
        = parseSqlBatch(QStringLiteral("SELECT 1\nRESTORE FILELISTONLY from DISK ='C:\\it's.Bak'"));
    QCOMPARE(apostrophe.errors.size(), 2);
    QCOMPARE(apostrophe.errors.at(0).number, 105);
    QCOMPARE(apostrophe.errors.at(0).text,
        QStringLiteral("Unclosed quotation mark after the character string ''."));
    QCOMPARE(apostrophe.errors.at(0).line, 2);
    QCOMPARE(apostrophe.errors.at(1).number, 102);
    QCOMPARE(apostrophe.errors.at(1).text, QStringLiteral("Incorrect syntax near 's'."));
    QVERIFY(apostrophe.statements.isEmpty());

    const ParsedBatch unclosed
        = parseSqlBatch(QStringLiteral("SELECT name FROM sysdatabases WHERE name = N'ab\ncd"));
    QCOMPARE(unclosed.errors.size(), 2);
    QCOMPARE(unclosed.errors.at(0).text,
        QStringLiteral("Unclosed quotation mark after the character string 'ab\ncd'."));
    QCOMPARE(unclosed.errors.at(1).text, QStringLiteral("Incorrect syntax near 'ab\ncd'."));
}

void TestSqlParser::shouldTakeUnsupportedStatementsWhole()
{
    const ParsedBatch parsed = parseSqlBatch(QStringLiteral("SELECT 1; DROP TABLE x; SELECT 2"));
    QVERIFY(parsed.errors.isEmpty());
    QCOMPARE(parsed.statements.size(), 2);
    QCOMPARE(
        std::get<UnsupportedStatement>(parsed.statements.at(1).body).description, QStringLiteral("DROP"));
}

void TestSqlParser::shouldSkipComments()
{
    const ParsedBatch parsed = parseSqlBatch(
        QStringLiteral("-- list\n/* outer /* nested */ */ SELECT name FROM sysdatabases -- end"));
    QVERIFY(parsed.errors.isEmpty());
    QCOMPARE(parsed.statements.size(), 1);
    QCOMPARE(parsed.statements.first().line, 2);
}

void TestSqlParser::shouldReadHeaderOnlyStatsAndServerValues()
{
    const ParsedBatch parsed = parseSqlBatch(
        QStringLiteral("RESTORE HEADERONLY FROM DISK = N'/b.bak';"
                       "RESTORE DATABASE x FROM d WITH MOVE 'a' TO 'b', STATS = 5, RECOVERY;"
                       "RESTORE DATABASE y FROM d WITH STATS;"
                       "SELECT CONVERT(varchar(20), SERVERPROPERTY(N'ProductVersion'), 0) AS v, @@version"));
    QVERIFY(parsed.errors.isEmpty());
    QCOMPARE(parsed.statements.size(), 4);
    QCOMPARE(
        std::get<RestoreStatement>(parsed.statements.at(0).body).kind, RestoreStatement::Kind::HeaderOnly);
    const auto &withStats = std::get<RestoreStatement>(parsed.statements.at(1).body);
    QCOMPARE(withStats.stats, std::optional<int>(5));
    QVERIFY(withStats.unsupportedOptions.isEmpty());
    QCOMPARE(std::get<RestoreStatement>(parsed.statements.at(2).body).stats, std::optional<int>(10));
    const auto &select = std::get<SelectStatement>(parsed.statements.at(3).body);
    QCOMPARE(select.items.size(), 2);
    QCOMPARE(select.items.at(0).kind, SelectItem::Kind::ServerProperty);
    QCOMPARE(select.items.at(0).literal.text, QStringLiteral("ProductVersion"));
    QCOMPARE(select.items.at(0).cast->type, QStringLiteral("varchar"));
    QCOMPARE(select.items.at(0).cast->length, 20);
    QCOMPARE(select.items.at(0).alias, QStringLiteral("v"));
    QCOMPARE(select.items.at(1).kind, SelectItem::Kind::SystemVariable);
    QCOMPARE(select.items.at(1).column, QStringLiteral("@@VERSION"));
}

QTEST_GUILESS_MAIN(TestSqlParser)
#include "TestSqlParser.moc"
