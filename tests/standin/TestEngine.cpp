#include "BackupFile.h"
#include "Catalogue.h"
#include "Engine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace standin;

namespace {

// Records what the engine answers, one entry per call.
class RecordingSink : public ResponseSink
{
public:
    QList<ServerMessage> messages;
    QList<ResultColumn> columnList;
    QList<ResultRow> rows;
    QList<quint16> doneStatuses;
    QList<DoneKind> doneKinds;
    QList<qint32> returnStatuses;
    int progressCalls = 0;
    Progress progressAnswer = Progress::Continue;

    void message(const ServerMessage &message) override { messages << message; }
    void columns(const QList<ResultColumn> &columns) override { columnList = columns; }
    void row(const ResultRow &row) override { rows << row; }
    void returnStatus(qint32 status) override { returnStatuses << status; }
    void done(DoneKind kind, quint16 status, quint16, quint64) override
    {
        doneKinds << kind;
        doneStatuses << status;
    }
    Progress restoreProgress() override
    {
        ++progressCalls;
        return progressAnswer;
    }

    QList<int> numbers() const
    {
        QList<int> result;
        for (const ServerMessage &message : messages)
            result << message.number;
        return result;
    }
    QString text(int number) const
    {
        for (const ServerMessage &message : messages) {
            if (message.number == number)
                return message.text;
        }
        return QString();
    }
    int state(int number) const
    {
        for (const ServerMessage &message : messages) {
            if (message.number == number)
                return message.state;
        }
        return -1;
    }
};

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void shouldFindDatabasesAsTheDefaultCollationCompares_data();
    void shouldFindDatabasesAsTheDefaultCollationCompares();
    void shouldAddAndDropDumpDevices();
    void shouldRefuseDumpDevicesThatClash_data();
    void shouldRefuseDumpDevicesThatClash();
    void shouldListTheFilesOfABackup();
    void shouldRefuseFileListsOfMissingOrForeignFiles();
    void shouldRestoreIntoNewFilesAndRememberTheDatabase();
    void shouldRefuseRestoresAsSqlServerDoes_data();
    void shouldRefuseRestoresAsSqlServerDoes();
    void shouldUndoARestoreThatIsCutOffOrLeaveItRestoring_data();
    void shouldUndoARestoreThatIsCutOffOrLeaveItRestoring();
    void shouldFindAChangedByteOnlyInABackupWithChecksums_data();
    void shouldFindAChangedByteOnlyInABackupWithChecksums();
    void shouldMarkEveryStatementButTheLastWithMore();
    void shouldSendRefusalsWithTheServersLevelAndState_data();
    void shouldSendRefusalsWithTheServersLevelAndState();
    void shouldRefuseWhatItDoesNotRun_data();
    void shouldRefuseWhatItDoesNotRun();

private:
    RecordingSink run(const QString &batch);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void makeBackup(const QString &file);
    void addDevice(const QString &name, const QString &physical);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<Engine> m_engine;
};

void TestEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_catalogue = std::make_unique<Catalogue>(path(QStringLiteral("data")));
    QString error;
    QVERIFY2(m_catalogue->load(&error), qPrintable(error));
    m_engine = std::make_unique<Engine>(*m_catalogue);
    QDir().mkpath(path(QStringLiteral("target")));
    makeBackup(path(QStringLiteral("rivazadUZ.Bak")));
}

void TestEngine::cleanup()
{
    m_engine.reset();
    m_catalogue.reset();
    m_dir.reset();
}

RecordingSink TestEngine::run(const QString &batch)
{
    RecordingSink sink;
    m_engine->executeBatch(batch, sink);
    return sink;
}

void TestEngine::makeBackup(const QString &file)
{
    BackupContents contents;
    contents.databaseName = QStringLiteral("rivazadUZ");
    contents.files << BackupFileEntry { QStringLiteral("rivazadUZ_Data"),
        QStringLiteral("C:\\Program Files\\Microsoft SQL Server\\MSSQL\\Data\\rivazadUZ_Data.MDF"),
        QLatin1Char('D'), 3407872 }
                   << BackupFileEntry { QStringLiteral("rivazadUZ_Log"),
                          QStringLiteral(
                              "C:\\Program Files\\Microsoft SQL Server\\MSSQL\\Data\\rivazadUZ_Log.LDF"),
                          QLatin1Char('L'), 1048576 };
    QString error;
    QVERIFY2(BackupFile::write(file, contents, &error), qPrintable(error));
}

void TestEngine::addDevice(const QString &name, const QString &physical)
{
    const RecordingSink sink
        = run(QStringLiteral("exec sp_addumpdevice 'disk', '%1','%2'").arg(name, physical));
    QVERIFY(sink.messages.isEmpty());
}

void TestEngine::shouldFindDatabasesAsTheDefaultCollationCompares_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rows");
    QTest::newRow("same case") << QStringLiteral("master") << 1;
    QTest::newRow("other case") << QStringLiteral("MASTER") << 1;
    QTest::newRow("trailing blank") << QStringLiteral("master ") << 1;
    QTest::newRow("leading blank") << QStringLiteral(" master") << 0;
    QTest::newRow("absent") << QStringLiteral("Hall") << 0;
    QTest::newRow("apostrophe") << QStringLiteral("it''s") << 0;
}

void TestEngine::shouldFindDatabasesAsTheDefaultCollationCompares()
{
    QFETCH(QString, name);
    QFETCH(int, rows);
    const RecordingSink sink
        = run(QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'%1')").arg(name));
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(sink.columnList.size(), 1);
    QCOMPARE(sink.columnList.first().name, QStringLiteral("name"));
    QCOMPARE(sink.rows.size(), rows);
    QCOMPARE(sink.doneStatuses, QList<quint16> { DoneStatus::Count });
}

void TestEngine::shouldAddAndDropDumpDevices()
{
    const QString backup = path(QStringLiteral("rivazadUZ.Bak"));
    const QString dropIfThere = QStringLiteral(
        "if Exists (select name,phyname from  master.dbo.sysdevices  where name='rivazadUZ' or "
        "phyname='%1')   exec sp_dropdevice 'rivazadUZ'")
                                    .arg(backup);

    RecordingSink nothingToDrop = run(dropIfThere);
    QVERIFY(nothingToDrop.messages.isEmpty());
    QCOMPARE(nothingToDrop.doneStatuses, QList<quint16> { DoneStatus::Final });

    RecordingSink added = run(QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','%1'").arg(backup));
    QVERIFY(added.messages.isEmpty());
    QCOMPARE(added.returnStatuses, QList<qint32> { 0 });
    QCOMPARE(added.doneKinds, QList<DoneKind> { DoneKind::DoneProc });

    // The device survives a restart of the server.
    Catalogue reloaded(m_catalogue->dataDir());
    QVERIFY(reloaded.load(nullptr));
    QVERIFY(reloaded.findDevice(QStringLiteral("RIVAZADUZ")));

    RecordingSink dropped = run(dropIfThere);
    QCOMPARE(dropped.numbers(), QList<int> { Msg::DeviceDropped });
    QCOMPARE(dropped.messages.first().text, QStringLiteral("Device dropped."));
    QVERIFY(!dropped.messages.first().isError());
    QCOMPARE(dropped.messages.first().procedure, QStringLiteral("sp_dropdevice"));
    QCOMPARE(dropped.returnStatuses, QList<qint32> { 0 });
    QVERIFY(!m_catalogue->findDevice(QStringLiteral("rivazadUZ")));
    QVERIFY(QFile::exists(backup)); // dropping a device leaves its file alone

    // Another device names the same file: the drop still names D, which does not exist.
    addDevice(QStringLiteral("Other"), backup);
    RecordingSink refused = run(dropIfThere);
    QCOMPARE(refused.numbers(), QList<int> { Msg::DeviceNotFound });
    QCOMPARE(refused.messages.first().text,
        QStringLiteral(
            "The device 'rivazadUZ' does not exist. Use sys.backup_devices to show available devices."));
    QCOMPARE(refused.messages.first().level, 16);
    QCOMPARE(refused.returnStatuses, QList<qint32> { 1 });
    QVERIFY(refused.doneStatuses.last() & DoneStatus::Error);
}

void TestEngine::shouldRefuseDumpDevicesThatClash_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("same name, other case")
        << QStringLiteral("exec sp_addumpdevice 'disk', 'FIRST', '/b/other.Bak'") << 15026
        << QStringLiteral("Logical device 'FIRST' already exists.");
    QTest::newRow("same file") << QStringLiteral("exec sp_addumpdevice 'disk', 'second', '/b/first.Bak'")
                               << 15061
                               << QStringLiteral(
                                      "The add device request was denied. A physical device named "
                                      "\"/b/first.Bak\" already exists. Only one backup device may refer "
                                      "to any physical device name.");
    QTest::newRow("unknown type") << QStringLiteral("exec sp_addumpdevice 'floppy', 'second', '/b/x.Bak'")
                                  << 15044
                                  << QStringLiteral(
                                         "The type \"floppy\" is an unknown backup device type. Use the type "
                                         "\"disk\" or \"tape\".");
    QTest::newRow("missing argument")
        << QStringLiteral("exec sp_addumpdevice 'disk', 'second'") << 201
        << QStringLiteral("Procedure or function 'sp_addumpdevice' expects parameter "
                          "'@physicalname', which was not supplied.");
    QTest::newRow("unknown procedure")
        << QStringLiteral("exec sp_addumpdevices 'disk', 'second', '/b/x'") << 2812
        << QStringLiteral("Could not find stored procedure 'sp_addumpdevices'.");
}

void TestEngine::shouldRefuseDumpDevicesThatClash()
{
    QFETCH(QString, statement);
    QFETCH(int, number);
    QFETCH(QString, text);
    addDevice(QStringLiteral("first"), QStringLiteral("/b/first.Bak"));
    const RecordingSink sink = run(statement);
    QCOMPARE(sink.numbers(), QList<int> { number });
    QCOMPARE(sink.messages.first().text, text);
    QCOMPARE(sink.messages.first().level, 16);
    QVERIFY(sink.doneStatuses.last() & DoneStatus::Error);
    QCOMPARE(m_catalogue->devices().size(), 1);
}

void TestEngine::shouldListTheFilesOfABackup()
{
    const RecordingSink sink = run(
        QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(path(QStringLiteral("rivazadUZ.Bak"))));
    QVERIFY(sink.messages.isEmpty());
    QStringList names;
    for (const ResultColumn &column : sink.columnList)
        names << column.name;
    QCOMPARE(names,
        QStringList({ "LogicalName", "PhysicalName", "Type", "FileGroupName", "Size", "MaxSize", "FileId",
            "CreateLSN", "DropLSN", "UniqueId", "ReadOnlyLSN", "ReadWriteLSN", "BackupSizeInBytes",
            "SourceBlockSize", "FileGroupId", "LogGroupGUID", "DifferentialBaseLSN", "DifferentialBaseGUID",
            "IsReadOnly", "IsPresent", "TDEThumbprint", "SnapshotUrl" }));
    QCOMPARE(sink.rows.size(), 2);
    QCOMPARE(sink.rows.at(0).at(0).toString(), QStringLiteral("rivazadUZ_Data"));
    QCOMPARE(sink.rows.at(0).at(1).toString(),
        QStringLiteral("C:\\Program Files\\Microsoft SQL Server\\MSSQL\\Data\\rivazadUZ_Data.MDF"));
    QCOMPARE(sink.rows.at(0).at(2).toString(), QStringLiteral("D"));
    QCOMPARE(sink.rows.at(1).at(0).toString(), QStringLiteral("rivazadUZ_Log"));
    QCOMPARE(sink.rows.at(1).at(2).toString(), QStringLiteral("L"));
    QVERIFY(sink.rows.at(1).at(3).isNull()); // the log belongs to no file group
}

void TestEngine::shouldRefuseFileListsOfMissingOrForeignFiles()
{
    const QString missing = path(QStringLiteral("nope.Bak"));
    RecordingSink absent = run(QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(missing));
    QCOMPARE(absent.numbers(), QList<int>({ 3201, 3013 }));
    QCOMPARE(absent.text(3201),
        QStringLiteral("Cannot open backup device '%1'. Operating system error 2(The system "
                       "cannot find the file specified.).")
            .arg(missing));
    QCOMPARE(absent.state(3201), 2);
    QCOMPARE(absent.text(3013), QStringLiteral("RESTORE FILELIST is terminating abnormally."));
    QCOMPARE(absent.doneStatuses, QList<quint16> { DoneStatus::Error });

    const QString foreign = path(QStringLiteral("notes.txt"));
    QFile file(foreign);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a backup\n");
    file.close();
    RecordingSink wrong = run(QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(foreign));
    QCOMPARE(wrong.numbers(), QList<int>({ 3241, 3013 }));
    QCOMPARE(wrong.text(3241),
        QStringLiteral("The media family on device '%1' is incorrectly formed. SQL Server "
                       "cannot process this media family.")
            .arg(foreign));
    QCOMPARE(wrong.state(3241), 0);
}

void TestEngine::shouldRestoreIntoNewFilesAndRememberTheDatabase()
{
    addDevice(QStringLiteral("rivazadUZ"), path(QStringLiteral("rivazadUZ.Bak")));
    const QString data = path(QStringLiteral("target/Hall.Mdf"));
    const QString log = path(QStringLiteral("target/Hall_Log.Ldf"));
    const RecordingSink sink
        = run(QStringLiteral(" RESTORE DATABASE  Hall From rivazadUZ With Move 'rivazadUZ_Data' "
                             "TO '%1', Move 'rivazadUZ_Log' TO '%2' ")
                  .arg(data, log));
    QCOMPARE(sink.numbers(), QList<int>({ 4035, 4035, 3014 }));
    QCOMPARE(sink.messages.at(0).text,
        QStringLiteral("Processed 416 pages for database 'Hall', file 'rivazadUZ_Data' on file 1."));
    QCOMPARE(sink.messages.at(1).text,
        QStringLiteral("Processed 128 pages for database 'Hall', file 'rivazadUZ_Log' on file 1."));
    QVERIFY(sink.messages.at(2).text.startsWith(
        QStringLiteral("RESTORE DATABASE successfully processed 544 pages in ")));
    for (const ServerMessage &message : sink.messages)
        QCOMPARE(message.level, 0);
    QCOMPARE(sink.doneStatuses, QList<quint16>({ DoneStatus::More, DoneStatus::More, DoneStatus::Final }));
    QCOMPARE(sink.progressCalls, 2);
    QVERIFY(QFile::exists(data));
    QVERIFY(QFile::exists(log));

    Catalogue reloaded(m_catalogue->dataDir());
    QVERIFY(reloaded.load(nullptr));
    const auto database = reloaded.findDatabase(QStringLiteral("hall"));
    QVERIFY(database);
    QCOMPARE(database->files.size(), 2);
    QCOMPARE(database->files.at(0).physicalName, data);
    QCOMPARE(reloaded.databaseUsingFile(log)->name, QStringLiteral("Hall"));
}

void TestEngine::shouldRefuseRestoresAsSqlServerDoes_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("logicalData");
    QTest::addColumn<QString>("dataTarget");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<int>("firstState");

    QTest::newRow("database exists")
        << "MASTER"
        << "rivazadUZ"
        << "rivazadUZ_Data"
        << "target/x.Mdf" << QList<int> { 3154, 3013 }
        << "The backup set holds a backup of a database other than the existing 'MASTER' "
           "database."
        << 4;
    QTest::newRow("logical name not in backup") << "Hall"
                                                << "rivazadUZ"
                                                << "Other_Data"
                                                << "target/x.Mdf" << QList<int> { 3234, 3013 }
                                                << "Logical file 'Other_Data' is not part of database "
                                                   "'rivazadUZ'. Use RESTORE FILELISTONLY to list the "
                                                   "logical file names."
                                                << 2;
    QTest::newRow("device missing")
        << "Hall"
        << "NoSuchDevice"
        << "rivazadUZ_Data"
        << "target/x.Mdf" << QList<int> { 3206, 3013 }
        << "Backup device 'NoSuchDevice' does not exist. To view existing backup devices, "
           "use the sys.backup_devices catalog view. To create a new backup device use "
           "either sp_addumpdevice or SQL Server Management Studio."
        << 1;
    QTest::newRow("folder missing")
        << "Hall"
        << "rivazadUZ"
        << "rivazadUZ_Data"
        << "nowhere/x.Mdf" << QList<int> { 5133, 3156, 3119, 3013 }
        << "Directory lookup for the file \"@/nowhere/x.Mdf\" failed with the operating "
           "system error 2(The system cannot find the file specified.)."
        << 1;
    QTest::newRow("file of another database")
        << "Hall"
        << "rivazadUZ"
        << "rivazadUZ_Data"
        << "data/master.mdf" << QList<int> { 1834, 3156, 3119, 3013 }
        << "The file '@/data/master.mdf' cannot be overwritten.  It is being "
           "used by database 'master'."
        << 1;
    QTest::newRow("file exists")
        << "Hall"
        << "rivazadUZ"
        << "rivazadUZ_Data"
        << "rivazadUZ.Bak" << QList<int> { 3142, 3119, 3013 }
        << "File \"rivazadUZ_Data\" cannot be restored over the existing "
           "\"@/rivazadUZ.Bak\". Reissue the RESTORE statement using WITH REPLACE to "
           "overwrite pre-existing files, or WITH MOVE to identify an alternate location."
        << 1;
}

void TestEngine::shouldRefuseRestoresAsSqlServerDoes()
{
    QFETCH(QString, database);
    QFETCH(QString, device);
    QFETCH(QString, logicalData);
    QFETCH(QString, dataTarget);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, firstText);
    QFETCH(int, firstState);
    addDevice(QStringLiteral("rivazadUZ"), path(QStringLiteral("rivazadUZ.Bak")));
    const QString target = path(dataTarget);
    const RecordingSink sink
        = run(QStringLiteral("RESTORE DATABASE %1 From %2 With Move '%3' TO '%4', Move "
                             "'rivazadUZ_Log' TO '%5'")
                  .arg(database, device, logicalData, target, path(QStringLiteral("target/x_Log.Ldf"))));
    QCOMPARE(sink.numbers(), numbers);
    QCOMPARE(sink.messages.first().text, QString(firstText).replace(QLatin1Char('@'), m_dir->path()));
    QCOMPARE(sink.messages.first().state, firstState);
    QCOMPARE(sink.text(3013), QStringLiteral("RESTORE DATABASE is terminating abnormally."));
    QCOMPARE(sink.doneStatuses, QList<quint16> { DoneStatus::Error });
    QVERIFY(!m_catalogue->findDatabase(QStringLiteral("Hall")));
    QVERIFY(!QFile::exists(path(QStringLiteral("target/x_Log.Ldf"))));
}

void TestEngine::shouldUndoARestoreThatIsCutOffOrLeaveItRestoring_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<bool>("leaveRestoring");
    QTest::newRow("attention") << int(ResponseSink::Progress::Cancelled) << int(Engine::Outcome::Cancelled)
                               << QString() << QList<int> { 4035 } << false;
    QTest::newRow("connection lost") << int(ResponseSink::Progress::Dropped) << int(Engine::Outcome::Dropped)
                                     << QString() << QList<int> { 4035 } << false;
    // With STATS the first pause comes before any message.
    QTest::newRow("attention during STATS")
        << int(ResponseSink::Progress::Cancelled) << int(Engine::Outcome::Cancelled) << ", STATS = 50"
        << QList<int> {} << false;
    QTest::newRow("attention, left restoring")
        << int(ResponseSink::Progress::Cancelled) << int(Engine::Outcome::Cancelled) << QString()
        << QList<int> { 4035 } << true;
    QTest::newRow("connection lost during STATS, left restoring")
        << int(ResponseSink::Progress::Dropped) << int(Engine::Outcome::Dropped) << ", STATS = 50"
        << QList<int> {} << true;
}

void TestEngine::shouldUndoARestoreThatIsCutOffOrLeaveItRestoring()
{
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(QString, options);
    QFETCH(QList<int>, messages);
    QFETCH(bool, leaveRestoring);
    ServerIdentity server;
    server.host.leaveRestoring = leaveRestoring;
    m_engine = std::make_unique<Engine>(*m_catalogue, server);
    addDevice(QStringLiteral("rivazadUZ"), path(QStringLiteral("rivazadUZ.Bak")));
    RecordingSink sink;
    sink.progressAnswer = ResponseSink::Progress(answer);
    const Engine::Outcome result = m_engine->executeBatch(
        QStringLiteral("RESTORE DATABASE Hall FROM rivazadUZ WITH MOVE 'rivazadUZ_Data' TO '%1', MOVE "
                       "'rivazadUZ_Log' TO '%2'%3")
            .arg(path(QStringLiteral("target/Hall.Mdf")), path(QStringLiteral("target/Hall_Log.Ldf")),
                options),
        sink);
    QCOMPARE(int(result), outcome);
    QCOMPARE(sink.numbers(), messages);
    const RecordingSink state
        = run(QStringLiteral("SELECT name, state_desc FROM sys.databases WHERE name = N'Hall'"));
    QCOMPARE(state.rows.size(), leaveRestoring ? 1 : 0);
    if (leaveRestoring)
        QCOMPARE(state.rows.first().at(1).toString(), QStringLiteral("RESTORING"));
    QCOMPARE(QFile::exists(path(QStringLiteral("target/Hall.Mdf"))), leaveRestoring);
    QCOMPARE(QFile::exists(path(QStringLiteral("target/Hall_Log.Ldf"))), leaveRestoring);
    // What is left restoring is cleared as on a server: by dropping the database.
    QVERIFY(run(QStringLiteral("DROP DATABASE [Hall]")).messages.isEmpty() == leaveRestoring);
    QVERIFY(!m_catalogue->findDatabase(QStringLiteral("Hall")));
    QVERIFY(!QFile::exists(path(QStringLiteral("target/Hall.Mdf"))));
}

void TestEngine::shouldFindAChangedByteOnlyInABackupWithChecksums_data()
{
    QTest::addColumn<bool>("checksums");
    QTest::addColumn<QString>("damage"); // intact, last byte, data page, cut short, missing, garbage
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QList<int>>("messages");
    const QString verify = QStringLiteral("RESTORE VERIFYONLY FROM DISK = N'%1'");
    const QString verifyChecksum = verify + QStringLiteral(" WITH CHECKSUM");
    const QString restore
        = QStringLiteral("RESTORE DATABASE Hall FROM DISK = N'%1' WITH MOVE 'rivazadUZ_Data' TO "
                         "'%2', MOVE 'rivazadUZ_Log' TO '%3'");
    const QList<int> restored { 4035, 4035, 3014 };
    QTest::newRow("intact") << true << "intact" << verifyChecksum << QList<int> { 3262 };
    QTest::newRow("last byte, checksums asked")
        << true << "last byte" << verifyChecksum << QList<int> { 3189, 3013 };
    QTest::newRow("last byte, checked anyway") << true << "last byte" << verify << QList<int> { 3189, 3013 };
    QTest::newRow("data page, restore") << true << "data page" << restore << QList<int> { 3183, 3013 };
    QTest::newRow("last byte, restore NO_CHECKSUM")
        << true << "last byte" << restore + QStringLiteral(", NO_CHECKSUM") << restored;
    QTest::newRow("no checksums, last byte") << false << "last byte" << verify << QList<int> { 3262 };
    QTest::newRow("no checksums, last byte, restore") << false << "last byte" << restore << restored;
    QTest::newRow("no checksums, checksums asked")
        << false << "intact" << verifyChecksum << QList<int> { 3187, 3013 };
    QTest::newRow("no checksums, restore WITH CHECKSUM")
        << false << "intact" << restore + QStringLiteral(", CHECKSUM") << QList<int> { 3187, 3013 };
    QTest::newRow("cut short") << false << "cut short" << verify << QList<int> { 3203, 3013 };
    QTest::newRow("missing") << true << "missing" << verify << QList<int> { 3201, 3013 };
    QTest::newRow("not a backup") << true << "garbage" << verifyChecksum << QList<int> { 3241, 3013 };
}

void TestEngine::shouldFindAChangedByteOnlyInABackupWithChecksums()
{
    QFETCH(bool, checksums);
    QFETCH(QString, damage);
    QFETCH(QString, statement);
    QFETCH(QList<int>, messages);
    const QString backup = path(QStringLiteral("checked.Bak"));
    BackupContents contents = BackupFile::read(path(QStringLiteral("rivazadUZ.Bak"))).contents;
    contents.hasChecksums = checksums;
    QString error;
    QVERIFY2(BackupFile::write(backup, contents, &error), qPrintable(error));
    QFile file(backup);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    if (damage == u"last byte" || damage == u"data page") {
        const qint64 at = damage == u"last byte" ? size - 1 : size - 100 - 8192 * 7; // a byte of page 1
        QVERIFY(file.seek(at));
        const char byte = file.read(1).at(0);
        QVERIFY(file.seek(at));
        file.write(QByteArray(1, char(byte ^ 0x20)));
    } else if (damage == u"cut short") {
        QVERIFY(file.resize(size - 4096));
    } else if (damage == u"garbage") {
        QVERIFY(file.seek(40));
        file.write("{{{{");
    }
    file.close();
    if (damage == u"missing")
        QVERIFY(QFile::remove(backup));

    const RecordingSink sink = run(statement.arg(
        backup, path(QStringLiteral("target/Hall.Mdf")), path(QStringLiteral("target/Hall_Log.Ldf"))));
    QCOMPARE(sink.numbers(), messages);
    const bool restoring = statement.startsWith(u"RESTORE DATABASE");
    if (messages.contains(3013)) {
        QCOMPARE(sink.text(3013),
            restoring ? QStringLiteral("RESTORE DATABASE is terminating abnormally.")
                      : QStringLiteral("VERIFY DATABASE is terminating abnormally."));
        QVERIFY(sink.doneStatuses.last() & DoneStatus::Error);
    }
    if (messages.contains(3183))
        QCOMPARE(sink.text(3183),
            QStringLiteral(
                "RESTORE detected an error on page (1:1) in database \"Hall\" as read from the backup set."));
    if (messages.contains(3262))
        QCOMPARE(sink.text(3262), QStringLiteral("The backup set on file 1 is valid."));
    const bool created = messages.contains(3014);
    QCOMPARE(m_catalogue->findDatabase(QStringLiteral("Hall")).has_value(), created);
    QCOMPARE(QFile::exists(path(QStringLiteral("target/Hall.Mdf"))), created);
    if (damage != u"missing" && damage != u"garbage") {
        const RecordingSink header = run(QStringLiteral("RESTORE HEADERONLY FROM DISK = N'%1'").arg(backup));
        QVERIFY(header.messages.isEmpty());
        const qsizetype column = std::find_if(header.columnList.cbegin(), header.columnList.cend(),
                                     [](const ResultColumn &c) { return c.name == u"HasBackupChecksums"; })
            - header.columnList.cbegin();
        QCOMPARE(header.rows.first().at(column).toBool(), checksums);
    }
}

void TestEngine::shouldSendRefusalsWithTheServersLevelAndState_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("state");
    QTest::newRow("identifier too long") << 103 << 15 << 4;
    QTest::newRow("nested too deeply") << 191 << 15 << 1;
    QTest::newRow("empty name") << 1038 << 15 << 4;
    QTest::newRow("backup from a newer server") << 3169 << 16 << 1;
    QTest::newRow("percent processed") << 3211 << 0 << 1;
    QTest::newRow("no room on the volume") << 3257 << 16 << 1;
}

void TestEngine::shouldSendRefusalsWithTheServersLevelAndState()
{
    QFETCH(int, number);
    QFETCH(int, level);
    QFETCH(int, state);
    const ServerMessage message = serverMessage(number);
    QVERIFY(!message.text.isEmpty()); // a number the table does not know has no text
    QCOMPARE(message.level, level);
    QCOMPARE(message.state, state);
}

void TestEngine::shouldMarkEveryStatementButTheLastWithMore()
{
    const RecordingSink sink
        = run(QStringLiteral("SELECT name FROM sysdatabases WHERE dbid = 1; "
                             "SELECT name FROM sysdatabases WHERE dbid > 2 AND NOT name = 'msdb'"));
    QCOMPARE(sink.doneStatuses, QList<quint16>({ DoneStatus::Count | DoneStatus::More, DoneStatus::Count }));
    QCOMPARE(sink.rows.size(), 2);
    QCOMPARE(sink.rows.at(0).at(0).toString(), QStringLiteral("master"));
    QCOMPARE(sink.rows.at(1).at(0).toString(), QStringLiteral("model"));
}

void TestEngine::shouldRefuseWhatItDoesNotRun_data()
{
    QTest::addColumn<QString>("batch");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown table") << QStringLiteral("SELECT name FROM master.dbo.sysfiles") << 208
                                   << QStringLiteral("Invalid object name 'master.dbo.sysfiles'.");
    QTest::newRow("unknown column") << QStringLiteral("SELECT size FROM master.dbo.sysdatabases") << 207
                                    << QStringLiteral("Invalid column name 'size'.");
    QTest::newRow("text compared with a number")
        << QStringLiteral("SELECT name FROM sysdatabases WHERE dbid = 'x'") << 245
        << QStringLiteral("Conversion failed when converting the nvarchar "
                          "value 'x' to data type smallint.");
    QTest::newRow("other statement") << QStringLiteral("DROP TABLE Hall") << 50000
                                     << QStringLiteral(
                                            "The SQL Server stand-in does not run DROP statements.");
    QTest::newRow("valid SQL the stand-in does not run")
        << QStringLiteral("SELECT 1/0") << 50000
        << QStringLiteral("The SQL Server stand-in does not run SELECT statements with '/'.");
    QTest::newRow("unknown session option") << QStringLiteral("SET NOCOUNT ON\nSET FASTER ON") << 195
                                            << QStringLiteral("'FASTER' is not a recognized SET option.");
    QTest::newRow("session option that changes every answer")
        << QStringLiteral("SET ANSI_NULLS, NOEXEC ON") << 50000
        << QStringLiteral("The SQL Server stand-in does not run SET NOEXEC ON.");
    QTest::newRow("REPLACE") << QStringLiteral("RESTORE DATABASE Hall FROM DISK = 'x.Bak' WITH REPLACE")
                             << 50000
                             << QStringLiteral(
                                    "The SQL Server stand-in does not support the RESTORE option REPLACE.");
}

void TestEngine::shouldRefuseWhatItDoesNotRun()
{
    QFETCH(QString, batch);
    QFETCH(int, number);
    QFETCH(QString, text);
    const RecordingSink sink = run(batch);
    QVERIFY(!sink.messages.isEmpty());
    QCOMPARE(sink.messages.first().number, number);
    QCOMPARE(sink.messages.first().text, text);
    QVERIFY(sink.messages.first().isError());
    QVERIFY(sink.doneStatuses.last() & DoneStatus::Error);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "TestEngine.moc"
