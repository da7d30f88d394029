#include "Catalogue.h"
#include "CommandLine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace standin;

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSplitLoginsAtTheFirstColon();
    void shouldReadFaultOptions();
    void shouldReadLoginsFromAFile();
    void shouldReadWhatTheServerSaysAboutItself();
    void shouldRefuseIncompleteServeCommands_data();
    void shouldRefuseIncompleteServeCommands();
    void shouldReadBackupFileSpecsFromTheRight_data();
    void shouldReadBackupFileSpecsFromTheRight();
    void shouldNameTheBackedUpDatabaseAfterItsDataFile();
    void shouldRefuseACorruptCatalogue();
};

void TestCommandLine::shouldSplitLoginsAtTheFirstColon()
{
    const Command command = parseCommandLine(
        { "serve", "--port", "0", "--data-dir", "/tmp/d", "--login", "sa:a:b;c", "--login", "zoë:pä€" });
    const auto *serve = std::get_if<ServeOptions>(&command);
    QVERIFY(serve);
    QCOMPARE(serve->settings.logins.size(), 2);
    QCOMPARE(serve->settings.logins.at(0).name, QStringLiteral("sa"));
    QCOMPARE(serve->settings.logins.at(0).password, QStringLiteral("a:b;c"));
    QCOMPARE(serve->settings.logins.at(1).password, QStringLiteral("pä€"));
}

void TestCommandLine::shouldReadFaultOptions()
{
    const Command command = parseCommandLine(
        { "serve", "--port", "1433", "--data-dir", "d", "--login", "sa:x", "--fault-drop-after", "2",
            "--fault-delay", "250", "--fault-delay-match", "^ *restore", "--fault-drop-mid-restore" });
    const auto *serve = std::get_if<ServeOptions>(&command);
    QVERIFY(serve);
    QCOMPARE(serve->port, quint16(1433));
    const FaultOptions &faults = serve->settings.faults;
    QVERIFY(!faults.shouldDropAt(2));
    QVERIFY(faults.shouldDropAt(3));
    QVERIFY(faults.dropMidRestore);
    QVERIFY(faults.shouldDelay(QStringLiteral(" RESTORE DATABASE x")));
    QVERIFY(!faults.shouldDelay(QStringLiteral("SELECT 1")));
    QVERIFY(!faults.silent);
}

void TestCommandLine::shouldReadLoginsFromAFile()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("logins")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("sa:a:b; c \r\n\nzo\xc3\xab:p\xc3\xa4\n");
    file.close();
    const Command command = parseCommandLine(
        { "serve", "--port", "0", "--data-dir", "d", "--login-file", file.fileName(), "--login", "other:x" });
    const auto *serve = std::get_if<ServeOptions>(&command);
    QVERIFY(serve);
    QCOMPARE(serve->settings.logins.size(), 3);
    QCOMPARE(serve->settings.logins.at(0).password, QStringLiteral("a:b; c "));
    QCOMPARE(serve->settings.logins.at(1).name, QStringLiteral("zoë"));
    QCOMPARE(serve->settings.logins.at(1).password, QStringLiteral("pä"));

    // A line that is not NAME:PASSWORD is refused without being quoted: it may be a password.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("sa:x\nSecretWithoutName\n");
    file.close();
    const Command bad
        = parseCommandLine({ "serve", "--port", "0", "--data-dir", "d", "--login-file", file.fileName() });
    const auto *error = std::get_if<CommandLineError>(&bad);
    QVERIFY(error);
    QVERIFY(error->message.contains(QStringLiteral("line 2")));
    QVERIFY(!error->message.contains(QStringLiteral("SecretWithoutName")));
    QVERIFY(std::holds_alternative<CommandLineError>(parseCommandLine({ "serve", "--port", "0", "--data-dir",
        "d", "--login-file", dir.filePath(QStringLiteral("none")) })));
}

void TestCommandLine::shouldReadWhatTheServerSaysAboutItself()
{
    const Command command = parseCommandLine({ "serve", "--port", "0", "--data-dir", "d", "--login", "sa:x",
        "--server-version", "16.0.1000", "--code-page", "936", "--server-name", "SQL1", "--platform",
        "windows", "--service-account", "", "--no-default-paths", "--fault-leave-restoring" });
    const auto *serve = std::get_if<ServeOptions>(&command);
    QVERIFY(serve);
    const HostProfile &host = serve->settings.host;
    QVERIFY(host.isWindows());
    QCOMPARE(host.serviceAccount, std::optional<QString>(QString()));
    QVERIFY(!host.defaultPaths);
    QVERIFY(host.leaveRestoring);
    // The machine keeps the host's name when the server's is changed.
    QVERIFY(!host.machineName.isEmpty());
    QVERIFY(host.machineName != u"SQL1");
    QCOMPARE(serve->settings.version.productVersion(), QStringLiteral("16.0.1000.0"));
    QCOMPARE(serve->settings.version.databaseVersion(), 957);
    QCOMPARE(serve->settings.codePage, 936);

    const Command backup = parseCommandLine({ "make-backup", "f.bak", "--data", "a=b", "--file", "x=C:\\x:D",
        "--log", "l=c", "--server-version", "14.0.3456.2", "--no-checksum" });
    const auto *options = std::get_if<MakeBackupOptions>(&backup);
    QVERIFY(options);
    QVERIFY(!options->contents.hasChecksums);
    // The files keep the order they are given in, an extra data file before the log.
    QCOMPARE(options->contents.files.size(), 3);
    QCOMPARE(options->contents.files.at(1).logicalName, QStringLiteral("x"));
    QCOMPARE(options->contents.files.at(2).type, QLatin1Char('L'));
    QCOMPARE(options->contents.softwareVersion.messageForm(), QStringLiteral("14.00.3456"));
    QCOMPARE(options->contents.databaseVersion, 869);
}

void TestCommandLine::shouldRefuseIncompleteServeCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no port") << QStringList { "serve", "--data-dir", "d", "--login", "sa:x" };
    QTest::newRow("no data folder") << QStringList { "serve", "--port", "0", "--login", "sa:x" };
    QTest::newRow("no login") << QStringList { "serve", "--port", "0", "--data-dir", "d" };
    QTest::newRow("login without password")
        << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login", "sa" };
    QTest::newRow("port out of range")
        << QStringList { "serve", "--port", "70000", "--data-dir", "d", "--login", "sa:x" };
    QTest::newRow("bad pattern") << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login",
        "sa:x", "--fault-delay-match", "(" };
    QTest::newRow("unknown option") << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login",
        "sa:x", "--tls" };
    QTest::newRow("certificate without its key") << QStringList { "serve", "--port", "0", "--data-dir", "d",
        "--login", "sa:x", "--certificate", "c.pem" };
    QTest::newRow("version of two parts") << QStringList { "serve", "--port", "0", "--data-dir", "d",
        "--login", "sa:x", "--server-version", "15.0" };
    QTest::newRow("unknown platform") << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login",
        "sa:x", "--platform", "macos" };
    QTest::newRow("service account without a value")
        << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login", "sa:x", "--service-account" };
    QTest::newRow("unknown code page")
        << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login", "sa:x", "--code-page", "4" };
    QTest::newRow("no connections allowed") << QStringList { "serve", "--port", "0", "--data-dir", "d",
        "--login", "sa:x", "--max-connections", "0" };
    QTest::newRow("time-out in words") << QStringList { "serve", "--port", "0", "--data-dir", "d", "--login",
        "sa:x", "--logon-timeout", "30s" };
}

void TestCommandLine::shouldRefuseIncompleteServeCommands()
{
    QFETCH(QStringList, arguments);
    QVERIFY(std::holds_alternative<CommandLineError>(parseCommandLine(arguments)));
}

void TestCommandLine::shouldReadBackupFileSpecsFromTheRight_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("type");
    QTest::addColumn<qint64>("size");
    QTest::newRow("Windows path with type") << "ft=C:\\FT\\cat:F"
                                            << "C:\\FT\\cat"
                                            << "F" << qint64(1048576);
    QTest::newRow("Windows path with type and size") << "d2=C:\\D\\x.ndf:D:8192"
                                                     << "C:\\D\\x.ndf"
                                                     << "D" << qint64(8192);
    QTest::newRow("Linux path") << "log2=/srv/x.ldf:l"
                                << "/srv/x.ldf"
                                << "L" << qint64(1048576);
}

void TestCommandLine::shouldReadBackupFileSpecsFromTheRight()
{
    QFETCH(QString, argument);
    QFETCH(QString, physical);
    QFETCH(QString, type);
    QFETCH(qint64, size);
    const Command command = parseCommandLine({ "make-backup", "b.Bak", "--file", argument });
    const auto *backup = std::get_if<MakeBackupOptions>(&command);
    QVERIFY(backup);
    QCOMPARE(backup->contents.files.size(), 1);
    QCOMPARE(backup->contents.files.first().physicalName, physical);
    QCOMPARE(QString(backup->contents.files.first().type), type);
    QCOMPARE(backup->contents.files.first().size, size);
}

void TestCommandLine::shouldNameTheBackedUpDatabaseAfterItsDataFile()
{
    const Command command = parseCommandLine(
        { "make-backup", "b.Bak", "--log", "rivazadUZ_Log=C:\\l.LDF", "--data", "rivazadUZ_Data=C:\\d.MDF" });
    const auto *backup = std::get_if<MakeBackupOptions>(&command);
    QVERIFY(backup);
    QCOMPARE(backup->contents.databaseName, QStringLiteral("rivazadUZ"));
    QCOMPARE(backup->contents.files.first().type, QLatin1Char('L')); // the order given is kept
    QVERIFY(std::holds_alternative<CommandLineError>(parseCommandLine({ "make-backup", "b.Bak" })));
    QVERIFY(std::holds_alternative<CommandLineError>(parseCommandLine({ "make-backup", "--data", "a=b" })));
}

void TestCommandLine::shouldRefuseACorruptCatalogue()
{
    QTemporaryDir dir;
    Catalogue catalogue(dir.path());
    QFile file(catalogue.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{ \"databases\": [");
    file.close();
    QString error;
    QVERIFY(!catalogue.load(&error));
    QVERIFY(error.contains(QStringLiteral("catalogue.json")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
