#include "StandinProcess.h"
#include "TsqlRunner.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace hall::test;

namespace {

const QString Password = QStringLiteral("Secret#1");

// Writes a small file, making its folder.
bool writeFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

// What a provisioning run asks the server about itself and its files, answered to FreeTDS's tsql by
// a stand-in playing a Linux or a Windows server.
class TestServerChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldAnswerTheServerSideChecksAsAServerDoes_data();
    void shouldAnswerTheServerSideChecksAsAServerDoes();
    void shouldRestoreAThreeFileBackupThenGuardTakeOfflineAndDropIt();

private:
    QString file(const QString &name) const { return m_files->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_files;
};

void TestServerChecks::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("tsql")).isEmpty())
        QFAIL("tsql is missing: install the Debian package freetds-bin");
}

void TestServerChecks::init()
{
    m_files = std::make_unique<QTemporaryDir>();
    QVERIFY(m_files->isValid());
    QVERIFY(writeFile(file(QStringLiteral("notes.txt"))));
    QVERIFY(writeFile(file(QStringLiteral("data/drives/C/Hall/notes.txt"))));
}

void TestServerChecks::cleanup()
{
    m_files.reset();
}

void TestServerChecks::shouldAnswerTheServerSideChecksAsAServerDoes_data()
{
    // %F is the test's folder and %D the server's data folder; `expected` are regular expressions
    // that must match in this order.
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("batches");
    QTest::addColumn<QStringList>("expected");
    const QString identity = QStringLiteral(
        "SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), CONVERT(nvarchar(128), "
        "SERVERPROPERTY('InstanceDefaultDataPath')), CONVERT(nvarchar(128), "
        "SERVERPROPERTY('InstanceDefaultLogPath'))");
    const QString volumes = QStringLiteral("SELECT f.physical_name, v.volume_mount_point, v.available_bytes "
                                           "FROM sys.master_files AS f CROSS APPLY "
                                           "sys.dm_os_volume_stats(f.database_id, f.file_id) AS v");
    const QString services
        = QStringLiteral("SELECT servicename, service_account FROM sys.dm_server_services");
    auto exists
        = [](const QString &path) { return QStringLiteral("EXEC master.dbo.xp_fileexist N'%1'").arg(path); };
    const QStringList fileRows { QStringLiteral("\n0\t1\t1\n"), QStringLiteral("\n1\t0\t1\n"),
        QStringLiteral("\n0\t0\t1\n"), QStringLiteral("\n0\t0\t0\n") };

    QTest::newRow("Linux: names and default folders")
        << QStringList { QStringLiteral("--machine-name"), QStringLiteral("FARHOST") }
        << QStringList { identity } << QStringList { QStringLiteral("\nFARHOST\t%D/\t%D/\n") };
    QTest::newRow("Windows: default folders in drive-letter form")
        << QStringList { QStringLiteral("--platform"), QStringLiteral("windows") } << QStringList { identity }
        << QStringList {
               QStringLiteral("\t%1\t%1\n").arg(QRegularExpression::escape(QStringLiteral("C:\\SQLData\\")))
           };
    QTest::newRow("no default folders")
        << QStringList { QStringLiteral("--no-default-paths") } << QStringList { identity }
        << QStringList { QStringLiteral("\tNULL\tNULL\n") };
    QTest::newRow("Linux: version")
        << QStringList {} << QStringList { QStringLiteral("SELECT @@VERSION") }
        << QStringList { QStringLiteral(
               "\nMicrosoft SQL Server 2019 \\(RTM\\) - 15\\.0\\.2000\\.5 \\(X64\\) \n\t[A-Z][a-z]{2} [ "
               "\\d]\\d "
               "\\d{4} [\\d:]{8} \n\tCopyright \\(C\\) 2019 Microsoft Corporation\n\tDeveloper "
               "Edition \\(64-bit\\) on Linux \\(Debian GNU/Linux 12\\) <X64>\n") };
    QTest::newRow("Windows: version")
        << QStringList { QStringLiteral("--platform"), QStringLiteral("windows") }
        << QStringList { QStringLiteral("SELECT @@VERSION") }
        << QStringList { QStringLiteral(
               "\tDeveloper Edition \\(64-bit\\) on Windows Server 2019 Standard 10\\.0 <X64>") };
    QTest::newRow("Linux: folder, file, missing, missing parent, one result each")
        << QStringList {}
        << QStringList { QStringList { exists(QStringLiteral("%F")), exists(QStringLiteral("%F/notes.txt")),
               exists(QStringLiteral("%F/none")), exists(QStringLiteral("%F/none/none")),
               exists(QStringLiteral("%F/data/master.mdf")) }
                             .join(QLatin1Char('\n')) }
        << fileRows + QStringList { QStringLiteral("\n1\t0\t1\n") };
    QTest::newRow("Windows: the same on drive folders")
        << QStringList { QStringLiteral("--platform"), QStringLiteral("windows") }
        << QStringList { QStringList { exists(QStringLiteral("C:\\SQLData\\")),
               exists(QStringLiteral("c:\\Hall\\notes.txt")), exists(QStringLiteral("C:\\Hall\\none")),
               exists(QStringLiteral("C:\\none\\none")),
               exists(QStringLiteral("C:\\..\\..\\..\\..\\..\\..\\..\\..\\etc\\passwd")) }
                             .join(QLatin1Char('\n')) }
        << fileRows + QStringList { QStringLiteral("\n0\t0\t0\n") }; // ".." stops at the drive's root
    QTest::newRow("Windows: fixed drives")
        << QStringList { QStringLiteral("--platform"), QStringLiteral("windows") }
        << QStringList { QStringLiteral("EXEC master.dbo.xp_fixeddrives") }
        << QStringList { QStringLiteral("drive\tMB free\nC\t\\d+\n\\(1 row affected\\)") };
    QTest::newRow("Linux: no drive letters")
        << QStringList {} << QStringList { QStringLiteral("EXEC master.dbo.xp_fixeddrives") }
        << QStringList { QStringLiteral("drive\tMB free\n\\(return status = 0\\)") };
    QTest::newRow("Linux: the volume of the server's own files")
        << QStringList {} << QStringList { volumes }
        << QStringList { QStringLiteral("\n%D/master\\.mdf\t/[^\t]*\t[1-9]\\d*\n%D/mastlog\\.ldf\t") };
    QTest::newRow("Windows: volumes by drive")
        << QStringList { QStringLiteral("--platform"), QStringLiteral("windows") } << QStringList { volumes }
        << QStringList { QStringLiteral("\nC:\\\\SQLData\\\\master\\.mdf\tC:\\\\\t[1-9]\\d*\n") };
    QTest::newRow("service account") << QStringList { QStringLiteral("--service-account"),
        QStringLiteral("svc-hall") } << QStringList { services }
                                     << QStringList { QStringLiteral(
                                            "\nSQL Server \\(MSSQLSERVER\\)\tsvc-hall\n") };
    QTest::newRow("service account withheld")
        << QStringList { QStringLiteral("--service-account"), QString() } << QStringList { services }
        << QStringList { QStringLiteral("Msg 297 \\(severity 16, state 1\\)"),
               QStringLiteral("The user does not have permission to perform this action\\.") };
    QTest::newRow("devices") << QStringList {}
                             << QStringList { QStringLiteral(
                                                  "exec sp_addumpdevice 'disk', 'hall','%F/a.bak'"),
                                    QStringLiteral("SELECT name, physical_name FROM sys.backup_devices") }
                             << QStringList { QStringLiteral("name\tphysical_name\nhall\t%F/a\\.bak\n") };
}

void TestServerChecks::shouldAnswerTheServerSideChecksAsAServerDoes()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, batches);
    QFETCH(QStringList, expected);
    StandinProcess::Options serverOptions;
    serverOptions.extraArgs = options;
    serverOptions.dataDir = file(QStringLiteral("data"));
    StandinProcess server(serverOptions);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    for (QString &batch : batches)
        batch.replace(QStringLiteral("%F"), m_files->path());
    const TsqlRun run = runTsql(server.port(), QStringLiteral("sa"), Password, batches);
    QCOMPARE(run.exitCode, 0);
    qsizetype from = 0;
    for (QString pattern : expected) {
        pattern.replace(QStringLiteral("%F"), QRegularExpression::escape(m_files->path()))
            .replace(QStringLiteral("%D"), QRegularExpression::escape(QDir(server.dataDir()).absolutePath()));
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(run.output, from);
        QVERIFY2(match.hasMatch(),
            qPrintable(QStringLiteral("%1\nnot in\n%2").arg(pattern, run.output.mid(from))));
        from = match.capturedEnd();
    }
}

void TestServerChecks::shouldRestoreAThreeFileBackupThenGuardTakeOfflineAndDropIt()
{
    StandinProcess server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    const QString backup = file(QStringLiteral("Three.Bak"));
    QString error;
    QVERIFY2(StandinProcess::makeBackup(backup,
                 { QStringLiteral("--data"), QStringLiteral("Three_Data=C:\\Data\\Three.mdf"),
                     QStringLiteral("--file"), QStringLiteral("Three_Extra=C:\\Data\\Three_2.ndf:D:16384"),
                     QStringLiteral("--log"), QStringLiteral("Three_Log=C:\\Data\\Three_Log.ldf") },
                 &error),
        qPrintable(error));
    const QString guard
        = QStringLiteral("IF DB_ID(N'Hall') IS NOT NULL RAISERROR(N'Database ''Hall'' already exists. "
                         "Choose a different database name.', 16, 1)");
    const QStringList targets { file(QStringLiteral("Hall.mdf")), file(QStringLiteral("Hall_2.ndf")),
        file(QStringLiteral("Hall_Log.ldf")) };
    const TsqlRun restored = runTsql(server.port(), QStringLiteral("sa"), Password,
        { guard, QStringLiteral("RESTORE FILELISTONLY FROM DISK = N'%1'").arg(backup),
            QStringLiteral("RESTORE DATABASE [Hall] FROM DISK = N'%1' WITH MOVE N'Three_Data' TO N'%2', MOVE "
                           "N'Three_Extra' TO N'%3', MOVE N'Three_Log' TO N'%4'")
                .arg(backup, targets.at(0), targets.at(1), targets.at(2)),
            QStringLiteral(
                "SELECT name, physical_name, type_desc, size FROM sys.master_files WHERE database_id = "
                "DB_ID(N'Hall')"),
            guard });
    QVERIFY2(restored.output.contains(QStringLiteral("\nThree_Data\tC:\\Data\\Three.mdf\tD\t")),
        qPrintable(restored.output));
    QVERIFY(restored.output.indexOf(QStringLiteral("\nThree_Extra\t"))
        < restored.output.indexOf(QStringLiteral("\nThree_Log\t")));
    QVERIFY2(restored.output.contains(
                 QStringLiteral("name\tphysical_name\ttype_desc\tsize\nThree_Data\t%1\tROWS\t416\n"
                                "Three_Extra\t%2\tROWS\t2\nThree_Log\t%3\tLOG\t128\n")
                     .arg(targets.at(0), targets.at(1), targets.at(2))),
        qPrintable(restored.output));
    // Only the guard after the restore speaks: 50000, class 16, state 1, the text as given.
    QCOMPARE(messageHeaders(restored.output).filter(QRegularExpression(QStringLiteral("^(50000|3013)/"))),
        QStringList { QStringLiteral("50000/16/1") });
    QVERIFY(restored.output.contains(
        QStringLiteral("\"Database 'Hall' already exists. Choose a different database name.\"")));
    for (const QString &target : targets)
        QVERIFY(QFile::exists(target));

    const QString state = QStringLiteral("SELECT name, state_desc FROM sys.databases WHERE name = N'Hall'");
    const TsqlRun dropped = runTsql(server.port(), QStringLiteral("sa"), Password,
        { QStringLiteral("ALTER DATABASE [Hall] SET OFFLINE WITH ROLLBACK IMMEDIATE"), state,
            QStringLiteral("ALTER DATABASE master SET OFFLINE"), QStringLiteral("DROP DATABASE [Hall]"),
            guard, QStringLiteral("DROP DATABASE [Hall]"), state });
    QVERIFY2(dropped.output.contains(QStringLiteral("name\tstate_desc\nHall\tOFFLINE\n")),
        qPrintable(dropped.output));
    QCOMPARE(messageHeaders(dropped.output),
        QStringList(
            { QStringLiteral("5058/16/1"), QStringLiteral("5069/16/1"), QStringLiteral("3701/11/1") }));
    QVERIFY(dropped.output.contains(QStringLiteral(
        "\"Cannot drop the database 'Hall', because it does not exist or you do not have permission.\"")));
    QCOMPARE(dropped.output.count(QStringLiteral("\nHall\t")), 1); // the database is gone at the end
    for (const QString &target : targets)
        QVERIFY(!QFile::exists(target));
}

QTEST_GUILESS_MAIN(TestServerChecks)
#include "TestServerChecks.moc"
