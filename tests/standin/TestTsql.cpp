#include "FileContents.h"
#include "StandinProcess.h"
#include "TsqlRunner.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

using namespace hall::test;

// The stand-in driven by a second, independent client: FreeTDS's tsql.
class TestTsql : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldLogOnAndAnswerTheExistenceQuery();
    void shouldRefuseAWrongPasswordAsSqlServerDoes();
    void shouldAcceptNonAsciiLogins();
    void shouldListTheFilesOfAStandinBackup();
    void shouldRunTheProvisioningSequenceTwice();
    void shouldReportRestoreFailuresWithSqlServersMessages_data();
    void shouldReportRestoreFailuresWithSqlServersMessages();
    void shouldReportSyntaxErrors();
    void shouldRefuseARestoreThatDoesNotFitOnTheVolume();
    void shouldFailEveryCatalogueChangeOnAFullVolumeAndKeepTheCatalogue_data();
    void shouldFailEveryCatalogueChangeOnAFullVolumeAndKeepTheCatalogue();
    void shouldRefuseDeepNestingAndKeepServing();
    void shouldConvertLiteralsWithoutNThroughTheCodePage_data();
    void shouldConvertLiteralsWithoutNThroughTheCodePage();
    void shouldRestoreToAPathOutsideTheCodePageOnlyFromAnNLiteral();
    void shouldAnswerTheServerVersionAndTheBackupHeader();
    void shouldReportRestoreProgressForStats_data();
    void shouldReportRestoreProgressForStats();

private:
    QString file(const QString &name) const { return m_files->filePath(name); }
    QString makeBackup(const QStringList &extra = {});
    QStringList provisioningSequence(const QString &database, const QString &backup) const;

    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<StandinProcess> m_server;
};

void TestTsql::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("tsql")).isEmpty())
        QFAIL("tsql is missing: install the Debian package freetds-bin");
}

void TestTsql::init()
{
    m_files = std::make_unique<QTemporaryDir>();
    QVERIFY(m_files->isValid());
    QVERIFY(QDir(m_files->path()).mkpath(QStringLiteral("dbs")));
    QFile notes(file(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("TAPE\n");
    notes.close();
    StandinProcess::Options options;
    options.logins = QStringList { QStringLiteral("sa:Secret#1"), QStringLiteral("zoë:pä€:日本") };
    m_server = std::make_unique<StandinProcess>(options);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestTsql::cleanup()
{
    m_server.reset();
    m_files.reset();
}

QString TestTsql::makeBackup(const QStringList &extra)
{
    const QString backup = file(QStringLiteral("rivazadUZ.Bak"));
    QString error;
    const QStringList args = QStringList { QStringLiteral("--data"),
        QStringLiteral("rivazadUZ_Data=C:\\Program Files\\Microsoft SQL "
                       "Server\\MSSQL\\Data\\rivazadUZ_Data.MDF"),
        QStringLiteral("--log"),
        QStringLiteral("rivazadUZ_Log=C:\\Program Files\\Microsoft SQL "
                       "Server\\MSSQL\\Data\\rivazadUZ_Log.LDF") }
        + extra;
    if (!StandinProcess::makeBackup(backup, args, &error))
        qWarning("make-backup: %s", qPrintable(error));
    return backup;
}

QStringList TestTsql::provisioningSequence(const QString &database, const QString &backup) const
{
    return { QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'%1')").arg(database),
        QStringLiteral(
            "if Exists (select name,phyname from  master.dbo.sysdevices  where name='rivazadUZ' or "
            "phyname='%1')   exec sp_dropdevice 'rivazadUZ'")
            .arg(backup),
        QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','%1'").arg(backup),
        QStringLiteral(" RESTORE DATABASE  %1 From rivazadUZ With Move 'rivazadUZ_Data' TO '%2', Move "
                       "'rivazadUZ_Log' TO '%3' ")
            .arg(database, file(QStringLiteral("dbs/%1.Mdf").arg(database)),
                file(QStringLiteral("dbs/%1_Log.Ldf").arg(database))) };
}

void TestTsql::shouldLogOnAndAnswerTheExistenceQuery()
{
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'MSDB')") });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(QStringLiteral("name\nmsdb\n(1 row affected)")), qPrintable(run.output));
    QVERIFY(messageHeaders(run.output).isEmpty());
}

void TestTsql::shouldRefuseAWrongPasswordAsSqlServerDoes()
{
    const TsqlRun run = runTsql(
        m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#2"), { QStringLiteral("SELECT 1") });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(messageHeaders(run.output), QStringList { QStringLiteral("18456/14/1") });
    QVERIFY(run.output.contains(QStringLiteral("\"Login failed for user 'sa'.\"")));
    QVERIFY(m_server->statements().isEmpty());
}

void TestTsql::shouldAcceptNonAsciiLogins()
{
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("ZOË"), QStringLiteral("pä€:日本"),
        { QStringLiteral("SELECT name FROM sysdatabases WHERE name = N'model'") });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(QStringLiteral("model\n(1 row affected)")), qPrintable(run.output));
}

void TestTsql::shouldListTheFilesOfAStandinBackup()
{
    const QString backup
        = makeBackup({ QStringLiteral("--file"), QStringLiteral("rivazadUZ_FT=C:\\FT\\cat:F:65536") });
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(backup) });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(QStringLiteral(
                 "LogicalName\tPhysicalName\tType\tFileGroupName\tSize\tMaxSize\tFileId\tCreateLSN\tDropLSN\t"
                 "UniqueId\t"
                 "ReadOnlyLSN\tReadWriteLSN\tBackupSizeInBytes\tSourceBlockSize\tFileGroupId\tLogGroupGUID\t"
                 "DifferentialBaseLSN\tDifferentialBaseGUID\tIsReadOnly\tIsPresent\tTDEThumbprint\tSnapshotUr"
                 "l\n")),
        qPrintable(run.output));
    QVERIFY(run.output.contains(
        QStringLiteral("rivazadUZ_Data\tC:\\Program Files\\Microsoft SQL "
                       "Server\\MSSQL\\Data\\rivazadUZ_Data.MDF\tD\tPRIMARY\t3407872\t")));
    QVERIFY(run.output.contains(
        QStringLiteral("rivazadUZ_Log\tC:\\Program Files\\Microsoft SQL Server\\MSSQL\\Data\\"
                       "rivazadUZ_Log.LDF\tL\tNULL\t1048576\t")));
    QVERIFY(run.output.contains(QStringLiteral("rivazadUZ_FT\tC:\\FT\\cat\tF\tPRIMARY\t65536\t")));
    QVERIFY(run.output.contains(QStringLiteral("(3 rows affected)")));
}

void TestTsql::shouldRunTheProvisioningSequenceTwice()
{
    const QString backup = makeBackup();
    const TsqlRun first = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        provisioningSequence(QStringLiteral("Hall"), backup));
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(messageHeaders(first.output), QStringList({ "4035/0/1", "4035/0/1", "3014/0/1" }));
    QVERIFY(first.output.contains(
        QStringLiteral("\"Processed 416 pages for database 'Hall', file 'rivazadUZ_Data' on file 1.\"")));
    QVERIFY(first.output.contains(
        QStringLiteral("\"Processed 128 pages for database 'Hall', file 'rivazadUZ_Log' on file 1.\"")));
    QVERIFY(first.output.contains(QStringLiteral("\"RESTORE DATABASE successfully processed 544 pages in ")));
    QVERIFY(QFile::exists(file(QStringLiteral("dbs/Hall.Mdf"))));
    QVERIFY(QFile::exists(file(QStringLiteral("dbs/Hall_Log.Ldf"))));
    QCOMPARE(m_server->statements(),
        provisioningSequence(QStringLiteral("Hall"), backup)
            .replaceInStrings(QRegularExpression(QStringLiteral("$")), QStringLiteral("\n")));

    // A second database from the same backup: the device is found by its file and replaced.
    const TsqlRun second = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        provisioningSequence(QStringLiteral("Hall2"), backup));
    QCOMPARE(
        messageHeaders(second.output), QStringList({ "15463/10/1", "4035/0/1", "4035/0/1", "3014/0/1" }));
    QVERIFY(second.output.contains(QStringLiteral("\"Device dropped.\"")));

    // The same name again: the existence query finds it, whatever the letter case.
    const TsqlRun again = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'hall2')") });
    QVERIFY2(
        again.output.contains(QStringLiteral("name\nHall2\n(1 row affected)")), qPrintable(again.output));
}

void TestTsql::shouldReportRestoreFailuresWithSqlServersMessages_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing backup file")
        << "RESTORE FILELISTONLY from DISK ='@/none.Bak'" << QStringList { "3201/16/2", "3013/16/1" }
        << "\"Cannot open backup device '@/none.Bak'. Operating system error 2(The system cannot find the "
           "file "
           "specified.).\"";
    QTest::newRow("a folder") << "RESTORE FILELISTONLY from DISK ='@/dbs'"
                              << QStringList { "3201/16/2", "3013/16/1" }
                              << "Operating system error 5(Access is denied.).";
    QTest::newRow("not a backup")
        << "RESTORE FILELISTONLY from DISK ='@/notes.txt'" << QStringList { "3241/16/0", "3013/16/1" }
        << "\"The media family on device '@/notes.txt' is incorrectly formed. SQL Server "
           "cannot process this media family.\"";
    QTest::newRow("database exists")
        << " RESTORE DATABASE  model From rivazadUZ With Move 'rivazadUZ_Data' TO '@/dbs/m.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/m_Log.Ldf' "
        << QStringList { "3154/16/4", "3013/16/1" } << "\"RESTORE DATABASE is terminating abnormally.\"";
    QTest::newRow("folder missing")
        << " RESTORE DATABASE  Hall From rivazadUZ With Move 'rivazadUZ_Data' TO '@/gone/Hall.Mdf', Move "
           "'rivazadUZ_Log' TO '@/gone/Hall_Log.Ldf' "
        << QStringList { "5133/16/1", "3156/16/3", "5133/16/1", "3156/16/3", "3119/16/1", "3013/16/1" }
        << "\"File 'rivazadUZ_Log' cannot be restored to '@/gone/Hall_Log.Ldf'. Use WITH MOVE to identify a "
           "valid "
           "location for the file.\"";
    QTest::newRow("device missing")
        << " RESTORE DATABASE  Hall From Nowhere With Move 'rivazadUZ_Data' TO '@/dbs/Hall.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/Hall_Log.Ldf' "
        << QStringList { "3206/16/1", "3013/16/1" } << "\"Backup device 'Nowhere' does not exist.";
    QTest::newRow("logical name not in backup")
        << " RESTORE DATABASE  Hall From rivazadUZ With Move 'Hall_Data' TO '@/dbs/Hall.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/Hall_Log.Ldf' "
        << QStringList { "3234/16/2", "3013/16/1" }
        << "\"Logical file 'Hall_Data' is not part of database 'rivazadUZ'. Use RESTORE FILELISTONLY to list "
           "the "
           "logical file names.\"";
    QTest::newRow("target file exists")
        << " RESTORE DATABASE  Hall From rivazadUZ With Move 'rivazadUZ_Data' TO '@/dbs/taken.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/Hall_Log.Ldf' "
        << QStringList { "3142/16/1", "3119/16/1", "3013/16/1" }
        << "\"File \"rivazadUZ_Data\" cannot be restored over the existing \"@/dbs/taken.Mdf\". Reissue the "
           "RESTORE statement using WITH REPLACE to overwrite pre-existing files, or WITH MOVE to identify "
           "an "
           "alternate location.\"";
    QTest::newRow("backup of another database over an existing one")
        << " RESTORE DATABASE  Taken From rivazadUZ With Move 'rivazadUZ_Data' TO '@/dbs/t.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/t_Log.Ldf' "
        << QStringList { "3154/16/4", "3013/16/1" }
        << "\"The backup set holds a backup of a database other than the existing 'Taken' database.\"";
    QTest::newRow("empty bracketed name")
        << " RESTORE DATABASE  [] From rivazadUZ With Move 'rivazadUZ_Data' TO '@/dbs/.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/_Log.Ldf' "
        << QStringList { "1038/15/4" }
        << "\"An object or column name is missing or empty. For SELECT INTO statements, verify each column "
           "has a name. For other statements, look for empty alias names. Aliases defined as \"\" or [] are "
           "not allowed. Change the alias to a valid name.\"";
    QTest::newRow("empty quoted name in a query")
        << "SELECT name AS \"\" FROM master.dbo.sysdatabases" << QStringList { "1038/15/4" }
        << "An object or column name is missing or empty.";
    QTest::newRow("name of 129 characters")
        << QStringLiteral(" RESTORE DATABASE  [%1] From rivazadUZ").arg(QString(129, QLatin1Char('h')))
        << QStringList { "103/15/4" }
        << QStringLiteral("\"The identifier that starts with '%1' is too long. Maximum length is 128.\"")
               .arg(QString(128, QLatin1Char('h')));
    QTest::newRow("unclosed bracket")
        << " RESTORE DATABASE  [Hall From rivazadUZ" << QStringList { "105/15/1", "102/15/1" }
        << "\"Unclosed quotation mark after the character string 'Hall From rivazadUZ";
    QTest::newRow("unclosed literal")
        << " RESTORE DATABASE  Hall From rivazadUZ With Move 'rivazadUZ_Data TO '@/dbs/Hall.Mdf'"
        << QStringList { "105/15/1", "102/15/1" } << "\"Unclosed quotation mark after the character string '";
    QTest::newRow("unquoted name with a hyphen")
        << " RESTORE DATABASE  my-db From rivazadUZ With Move 'rivazadUZ_Data' TO '@/dbs/x.Mdf', Move "
           "'rivazadUZ_Log' TO '@/dbs/x_Log.Ldf' "
        << QStringList { "102/15/1" } << "\"Incorrect syntax near '-'.\"";
}

void TestTsql::shouldReportRestoreFailuresWithSqlServersMessages()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, headers);
    QFETCH(QString, text);
    const QString backup = makeBackup();
    const QString root = m_files->path();
    QFile taken(file(QStringLiteral("dbs/taken.Mdf")));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    // A database restored from another backup under the name "Taken".
    const QString other = file(QStringLiteral("other.Bak"));
    QVERIFY(StandinProcess::makeBackup(other,
        { QStringLiteral("--data"), QStringLiteral("Other_Data=C:\\o.mdf"), QStringLiteral("--log"),
            QStringLiteral("Other_Log=C:\\o.ldf") }));
    const TsqlRun setUp = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','%1'").arg(backup),
            QStringLiteral("RESTORE DATABASE Taken FROM DISK = '%1' WITH MOVE 'Other_Data' TO '%2', MOVE "
                           "'Other_Log' TO '%3'")
                .arg(other, file(QStringLiteral("dbs/o.mdf")), file(QStringLiteral("dbs/o.ldf"))) });
    QCOMPARE(messageHeaders(setUp.output).last(), QStringLiteral("3014/0/1"));
    const int databaseFiles = QDir(file(QStringLiteral("dbs"))).entryList(QDir::Files).size();

    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { statement.replace(QLatin1Char('@'), root) });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(messageHeaders(run.output), headers);
    QVERIFY2(run.output.contains(text.replace(QLatin1Char('@'), root)), qPrintable(run.output));
    // A refused restore leaves no file behind.
    QCOMPARE(QDir(file(QStringLiteral("dbs"))).entryList(QDir::Files).size(), databaseFiles);
}

void TestTsql::shouldReportSyntaxErrors()
{
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("RESTORE FILELISTONLY from DISK ='/srv/it's.Bak'"),
            QStringLiteral("INSERT INTO t VALUES (1)") });
    QCOMPARE(messageHeaders(run.output), QStringList({ "105/15/1", "102/15/1", "50000/16/1" }));
    QVERIFY(run.output.contains(QStringLiteral("\"Incorrect syntax near 's'.\"")));
    QVERIFY(
        run.output.contains(QStringLiteral("\"The SQL Server stand-in does not run INSERT statements.\"")));
}

namespace {

// A small tmpfs mounted for one test, so a full volume is real even for root; unmounted on leaving.
class SmallVolume
{
public:
    explicit SmallVolume(const QString &path)
        : m_path(path)
    {
        QDir().mkpath(path);
        m_mounted = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=1m") == 0;
    }
    ~SmallVolume()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    SmallVolume(const SmallVolume &) = delete;
    SmallVolume &operator=(const SmallVolume &) = delete;

    bool mounted() const { return m_mounted; }
    // Takes every free page but pagesLeft, so writes beyond those fail.
    bool fill(int pagesLeft = 0) const
    {
        QFile filler(m_path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size() && filler.flush()) { }
        filler.close();
        if (QStorageInfo(m_path).bytesAvailable() >= page.size())
            return false;
        return pagesLeft == 0 || QFile::resize(filler.fileName(), filler.size() - pagesLeft * page.size());
    }

private:
    QString m_path;
    bool m_mounted = false;
};

} // namespace

void TestTsql::shouldRefuseARestoreThatDoesNotFitOnTheVolume()
{
    const QString backup = makeBackup();
    SmallVolume volume(file(QStringLiteral("small")));
    if (!volume.mounted())
        QSKIP("cannot mount a tmpfs here (needs root or CAP_SYS_ADMIN)");
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("RESTORE DATABASE Hall FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2', MOVE "
                         "'rivazadUZ_Log' TO '%3'")
                .arg(backup, file(QStringLiteral("small/Hall.Mdf")),
                    file(QStringLiteral("small/Hall_Log.Ldf"))),
            QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = N'Hall'") });
    QCOMPARE(messageHeaders(run.output), QStringList({ "3257/16/1", "3119/16/4", "3013/16/1" }));
    QVERIFY2(run.output.contains(QStringLiteral("\"There is insufficient free space on disk volume '%1/' to "
                                                "create the database. The database requires 4456448 "
                                                "additional free bytes, while only ")
                                     .arg(file(QStringLiteral("small")))),
        qPrintable(run.output));
    QVERIFY2(run.output.contains(QStringLiteral("name\n1> ")), qPrintable(run.output)); // no row
    QVERIFY(QDir(file(QStringLiteral("small"))).entryList(QDir::Files).isEmpty());
}

void TestTsql::shouldFailEveryCatalogueChangeOnAFullVolumeAndKeepTheCatalogue_data()
{
    // %1 the backup, %2 a folder with room, %3 the full volume (which holds the catalogue).
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pagesLeft");
    const QString fullMaster = QStringLiteral(
        "\"Could not allocate space for object 'sys.sysobjvalues' in database 'master' because the 'PRIMARY' "
        "filegroup is full.");
    QTest::newRow("add a device") << QStringLiteral("exec sp_addumpdevice 'disk', 'second', '%2/second.Bak'")
                                  << QStringList { QStringLiteral("1105/17/2") } << fullMaster << 0;
    QTest::newRow("drop a device") << QStringLiteral("exec sp_dropdevice 'first'")
                                   << QStringList { QStringLiteral("1105/17/2") } << fullMaster << 0;
    QTest::newRow("restore that runs out of room")
        << QStringLiteral(
               "RESTORE DATABASE Late FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2/Late.Mdf', "
               "MOVE 'rivazadUZ_Log' TO '%2/Late_Log.Ldf'")
        << QStringList { QStringLiteral("4035/0/1"), QStringLiteral("4035/0/1"), QStringLiteral("3634/16/1"),
               QStringLiteral("3013/16/1") }
        << QStringLiteral("\"The operating system returned the error '112(There is not enough space on the "
                          "disk.)' while attempting 'WriteFile' on '%3/catalogue.json'.\"")
        << 0;
    QTest::newRow("restore that cannot fit")
        << QStringLiteral(
               "RESTORE DATABASE Late FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%3/Late.Mdf', "
               "MOVE 'rivazadUZ_Log' TO '%3/Late_Log.Ldf'")
        << QStringList { QStringLiteral("3257/16/1"), QStringLiteral("3119/16/4"),
               QStringLiteral("3013/16/1") }
        << QStringLiteral("\"There is insufficient free space on disk volume '%3/'") << 0;
    QTest::newRow("restore that fills its volume")
        << QStringLiteral(
               "RESTORE DATABASE Late FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%3/Late.Mdf', "
               "MOVE 'rivazadUZ_Log' TO '%3/Late_Log.Ldf'")
        << QStringList { QStringLiteral("3634/16/1"), QStringLiteral("3013/16/1") }
        << QStringLiteral("\"The operating system returned the error '112(There is not enough space on the "
                          "disk.)' while attempting 'WriteFile' on '%3/Late_Log.Ldf'.\"")
        << 1;
}

void TestTsql::shouldFailEveryCatalogueChangeOnAFullVolumeAndKeepTheCatalogue()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, headers);
    QFETCH(QString, text);
    QFETCH(int, pagesLeft);
    // Files of a byte each: a single free page passes the restore's check for room.
    const QString backup = file(QStringLiteral("tiny.Bak"));
    QVERIFY(StandinProcess::makeBackup(backup,
        { QStringLiteral("--file"), QStringLiteral("rivazadUZ_Data=C:\\Data\\rivazadUZ_Data.MDF:D:1"),
            QStringLiteral("--file"), QStringLiteral("rivazadUZ_Log=C:\\Data\\rivazadUZ_Log.LDF:L:1") }));
    const QString small = file(QStringLiteral("small"));
    const auto place = [&](QString pattern) {
        return pattern.replace(QStringLiteral("%1"), backup)
            .replace(QStringLiteral("%2"), file(QStringLiteral("dbs")))
            .replace(QStringLiteral("%3"), small);
    };
    SmallVolume volume(small);
    if (!volume.mounted())
        QSKIP("cannot mount a tmpfs here (needs root or CAP_SYS_ADMIN)");
    StandinProcess::Options options;
    options.dataDir = small;
    auto server = std::make_unique<StandinProcess>(options);
    QVERIFY2(server->start(), qPrintable(server->errorString()));
    const QString sa = QStringLiteral("sa");
    const QString password = QStringLiteral("Secret#1");
    TsqlRun run = runTsql(server->port(), sa, password,
        { QStringLiteral("exec sp_addumpdevice 'disk', 'first', '%1'").arg(backup),
            QStringLiteral("RESTORE DATABASE Early FROM first WITH MOVE 'rivazadUZ_Data' TO '%1', MOVE "
                           "'rivazadUZ_Log' TO '%2'")
                .arg(file(QStringLiteral("dbs/Early.Mdf")), file(QStringLiteral("dbs/Early_Log.Ldf"))) });
    QCOMPARE(messageHeaders(run.output), QStringList({ "4035/0/1", "4035/0/1", "3014/0/1" }));
    const QString catalogue = small + QStringLiteral("/catalogue.json");
    const QByteArray before = readAll(catalogue);
    QVERIFY(before.contains("Early"));
    QVERIFY(volume.fill(pagesLeft));

    // The statement fails as on a server whose disk is full, and the catalogue, in memory and on
    // disk, is what it was; a restore leaves none of its files behind.
    const QStringList checks { QStringLiteral("SELECT name FROM master.dbo.sysdevices"),
        QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = N'Early' OR name = N'Late'") };
    run = runTsql(server->port(), sa, password, QStringList { place(statement) } + checks);
    QCOMPARE(messageHeaders(run.output), headers);
    QVERIFY2(run.output.contains(place(text)), qPrintable(run.output));
    const QString kept = QStringLiteral("name\nfirst\n(1 row affected)");
    const QString early = QStringLiteral("name\nEarly\n(1 row affected)");
    QVERIFY2(run.output.contains(kept) && run.output.contains(early), qPrintable(run.output));
    QCOMPARE(readAll(catalogue), before);
    // Besides the catalogue and the filler, only the system databases' placeholders are there.
    QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden),
        QStringList({ "catalogue.json", "filler", "master.mdf", "mastlog.ldf", "model.mdf", "modellog.ldf",
            "MSDBData.mdf", "MSDBLog.ldf", "tempdb.mdf", "templog.ldf" }));
    QCOMPARE(QDir(file(QStringLiteral("dbs"))).entryList(QDir::Files),
        QStringList({ "Early.Mdf", "Early_Log.Ldf" }));

    // A restarted server reads the catalogue and serves the earlier databases and devices.
    server.reset();
    server = std::make_unique<StandinProcess>(options);
    QVERIFY2(server->start(), qPrintable(server->errorString()));
    run = runTsql(server->port(), sa, password, checks);
    QVERIFY2(run.output.contains(kept) && run.output.contains(early), qPrintable(run.output));
}

void TestTsql::shouldRefuseDeepNestingAndKeepServing()
{
    const int depth = 100000;
    const QString nested
        = QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE %1name = N'model'%2")
              .arg(QString(depth, QLatin1Char('(')), QString(depth, QLatin1Char(')')));
    // A long chain of OR is not nesting: it is answered.
    QStringList terms;
    for (int i = 0; i < 5000; ++i)
        terms << QStringLiteral("name = N'db%1'").arg(i);
    const QString chain
        = QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE %1 OR name = N'msdb'")
              .arg(terms.join(u" OR "));
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { nested, QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE (name = N'tempdb')"),
            chain });
    QCOMPARE(messageHeaders(run.output), QStringList { QStringLiteral("191/15/1") });
    QVERIFY(
        run.output.contains(QStringLiteral("\"Some part of your SQL statement is nested too deeply. Rewrite "
                                           "the query or break it up into smaller queries.\"")));
    QVERIFY2(run.output.contains(QStringLiteral("name\ntempdb\n(1 row affected)")),
        qPrintable(run.output.right(500)));
    QVERIFY(run.output.contains(QStringLiteral("name\nmsdb\n(1 row affected)")));

    // The server still serves new connections.
    QVERIFY(m_server->isRunning());
    const TsqlRun after = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE NOT (NOT (name = N'model'))") });
    QVERIFY2(
        after.output.contains(QStringLiteral("name\nmodel\n(1 row affected)")), qPrintable(after.output));
}

void TestTsql::shouldConvertLiteralsWithoutNThroughTheCodePage_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default 1252") << QStringList {} << QStringLiteral("Zoë 数据 שלום")
                                  << QStringLiteral("Zoë ?? ????");
    QTest::newRow("936") << QStringList { QStringLiteral("--code-page"), QStringLiteral("936") }
                         << QStringLiteral("é数据ש") << QStringLiteral("é数据?");
    QTest::newRow("a character outside the basic plane") << QStringList { QStringLiteral("--code-page"),
        QStringLiteral("936") } << QStringLiteral("a😀b") << QStringLiteral("a?b");
}

void TestTsql::shouldConvertLiteralsWithoutNThroughTheCodePage()
{
    QFETCH(QStringList, options);
    QFETCH(QString, plain);
    QFETCH(QString, expected);
    StandinProcess::Options serverOptions;
    serverOptions.extraArgs = options;
    StandinProcess server(serverOptions);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    const TsqlRun run = runTsql(server.port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("SELECT '%1' AS plain, N'%1' AS national").arg(plain) });
    QVERIFY2(run.output.contains(QStringLiteral("plain\tnational\n%1\t%2\n").arg(expected, plain)),
        qPrintable(run.output));
}

void TestTsql::shouldRestoreToAPathOutsideTheCodePageOnlyFromAnNLiteral()
{
    const QString backup = makeBackup();
    QVERIFY(QDir(m_files->path()).mkpath(QStringLiteral("数据")));
    const QString restore
        = QStringLiteral("RESTORE DATABASE %1 FROM DISK = N'%2' WITH MOVE %3'rivazadUZ_Data' TO "
                         "%3'%4', MOVE %3'rivazadUZ_Log' TO %3'%5'");
    const QString data = file(QStringLiteral("数据/Hall.Mdf"));
    const QString log = file(QStringLiteral("数据/Hall_Log.Ldf"));
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { restore.arg(QStringLiteral("Plain"), backup, QString(), data, log),
            restore.arg(QStringLiteral("National"), backup, QStringLiteral("N"), data, log) });
    // Without N the path names the folder "??", which does not exist.
    QCOMPARE(messageHeaders(run.output),
        QStringList({ "5133/16/1", "3156/16/3", "5133/16/1", "3156/16/3", "3119/16/1", "3013/16/1",
            "4035/0/1", "4035/0/1", "3014/0/1" }));
    QVERIFY2(run.output.contains(file(QStringLiteral("??") + QStringLiteral("/Hall.Mdf"))),
        qPrintable(run.output));
    QVERIFY(QFile::exists(data));
    QVERIFY(QFile::exists(log));
}

// Splits tsql's tab-separated result (header line, then one row) into column -> value.
QMap<QString, QString> resultRow(const QString &output, const QString &firstColumn)
{
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        // tsql's prompts ("1> 2> ") may stand before the header on its line.
        const qsizetype start = lines.at(i).indexOf(firstColumn + QLatin1Char('\t'));
        if (start < 0)
            continue;
        const QStringList names = lines.at(i).mid(start).split(QLatin1Char('\t'));
        const QStringList values = lines.at(i + 1).split(QLatin1Char('\t'));
        QMap<QString, QString> row;
        for (qsizetype c = 0; c < names.size() && c < values.size(); ++c)
            row.insert(names.at(c), values.at(c));
        row.insert(QStringLiteral("#columns"), QString::number(names.size()));
        return row;
    }
    return {};
}

void TestTsql::shouldAnswerTheServerVersionAndTheBackupHeader()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--server-version"), QStringLiteral("14.0.3456.2") };
    StandinProcess server(options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    const QString backup = makeBackup({ QStringLiteral("--server-version"), QStringLiteral("16.0.1000.6") });

    const TsqlRun run = runTsql(server.port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("SELECT SERVERPROPERTY('ProductVersion') AS v, CONVERT(nvarchar(20), "
                         "SERVERPROPERTY(N'ProductMajorVersion')) AS m, CAST(SERVERPROPERTY('Nothing') AS "
                         "nvarchar(10)) AS n"),
            QStringLiteral("RESTORE HEADERONLY FROM DISK = N'%1'").arg(backup) });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(QStringLiteral("v\tm\tn\n14.0.3456.2\t14\tNULL\n")), qPrintable(run.output));
    const QMap<QString, QString> header = resultRow(run.output, QStringLiteral("BackupName"));
    QCOMPARE(header.value(QStringLiteral("#columns")), QStringLiteral("56")); // a release-14 server's set
    QCOMPARE(header.value(QStringLiteral("DatabaseName")), QStringLiteral("rivazadUZ"));
    QCOMPARE(header.value(QStringLiteral("BackupType")), QStringLiteral("1"));
    QCOMPARE(header.value(QStringLiteral("DatabaseVersion")), QStringLiteral("957"));
    QCOMPARE(header.value(QStringLiteral("SoftwareVersionMajor")), QStringLiteral("16"));
    QCOMPARE(header.value(QStringLiteral("SoftwareVersionMinor")), QStringLiteral("0"));
    QCOMPARE(header.value(QStringLiteral("SoftwareVersionBuild")), QStringLiteral("1000"));
    QVERIFY(messageHeaders(run.output).isEmpty());

    // Such a backup is refused by the server it is newer than, and the statement log shows both.
    const TsqlRun restore = runTsql(server.port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("RESTORE DATABASE Newer FROM DISK = N'%1' WITH MOVE 'rivazadUZ_Data' TO '%2', MOVE "
                         "'rivazadUZ_Log' TO '%3'")
                .arg(backup, file(QStringLiteral("dbs/n.Mdf")), file(QStringLiteral("dbs/n_Log.Ldf"))) });
    QCOMPARE(messageHeaders(restore.output), QStringList({ "3169/16/1", "3013/16/1" }));
    QVERIFY2(
        restore.output.contains(QStringLiteral("\"The database was backed up on a server running version "
                                               "16.00.1000. That version is incompatible with this "
                                               "server, which is running version 14.00.3456.")),
        qPrintable(restore.output));
    QVERIFY(!QFile::exists(file(QStringLiteral("dbs/n.Mdf"))));
    QCOMPARE(server.statements().size(), 3);
}

void TestTsql::shouldReportRestoreProgressForStats_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("percents");
    QTest::newRow("every 25 percent") << ", STATS = 25" << QStringList { "25", "50", "75", "100" };
    QTest::newRow("a step that does not divide 100") << ", STATS=40" << QStringList { "40", "80", "100" };
    QTest::newRow("the default step")
        << ", stats" << QStringList { "10", "20", "30", "40", "50", "60", "70", "80", "90", "100" };
    QTest::newRow("no STATS") << "" << QStringList {};
}

void TestTsql::shouldReportRestoreProgressForStats()
{
    QFETCH(QString, option);
    QFETCH(QStringList, percents);
    const QString backup = makeBackup();
    const TsqlRun run = runTsql(m_server->port(), QStringLiteral("sa"), QStringLiteral("Secret#1"),
        { QStringLiteral("RESTORE DATABASE Hall FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2', MOVE "
                         "'rivazadUZ_Log' TO '%3'%4")
                .arg(backup, file(QStringLiteral("dbs/Hall.Mdf")), file(QStringLiteral("dbs/Hall_Log.Ldf")),
                    option) });
    QStringList expected;
    for (const QString &percent : std::as_const(percents)) {
        expected << QStringLiteral("3211/0/1");
        QVERIFY2(run.output.contains(QStringLiteral("\"%1 percent processed.\"").arg(percent)),
            qPrintable(run.output));
    }
    expected << QStringLiteral("4035/0/1") << QStringLiteral("4035/0/1") << QStringLiteral("3014/0/1");
    QCOMPARE(messageHeaders(run.output), expected);
    QVERIFY(run.output.indexOf(QStringLiteral("\"Processed 416 pages"))
        > run.output.lastIndexOf(QStringLiteral("percent processed")));
    QVERIFY(QFile::exists(file(QStringLiteral("dbs/Hall.Mdf"))));
}

QTEST_GUILESS_MAIN(TestTsql)
#include "TestTsql.moc"
