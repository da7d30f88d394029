#include "Connection.h"
#include "ProgramState.h"
#include "ProvisioningFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace brevane;
using namespace brevane::test;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QByteArray kSettings = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=old\r\nServer=old\r\n"
                             "[Printer]\r\nName=Counter\r\n";

} // namespace

class TestCreateDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeRunCreatesTheDatabaseRecordsTheSettingsAndEnds();
    void existingNameIsReportedAfterTheExistenceQueryAlone();
    void reservedDeviceNameIsRefusedBeforeAnyDeviceStatement();
    void missingBackupFolderAndNameAreCaughtBeforeTheServer();
    void serverErrorsInsideTheRestoreAreReported_data();
    void serverErrorsInsideTheRestoreAreReported();
    void connectionLostMidRestoreIsAFailureAndKeepsTheSettings();
    void missingSettingsFileIsNotCreated();
    void oddNamesAreBracketedInTheRestore();
};

void TestCreateDatabase::wholeRunCreatesTheDatabaseRecordsTheSettingsAndEnds()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    writeAll(f.settingsFile(), kSettings);
    f.window().show();
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    QCOMPARE(f.field("txtNewPath")->text(), f.dataFolder());

    bool busyWhileRunning = false;
    f.prompts().setOnMessage([&](const MessageRequest &) { busyWhileRunning = !f.field("txtDBName")->isEnabled(); });
    f.window().cmdReStore_Click();

    QCOMPARE(f.prompts().messageTexts(), QStringList{QStringLiteral("数据库创建成功，您可以直接登录并使用软件了。")});
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("Information"));
    QVERIFY(!busyWhileRunning);
    QVERIFY(!f.window().isVisible());
    QCOMPARE(f.window().connection(), nullptr);
    QVERIFY(!f.onRestorePage());

    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf")));
    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ_Log.ldf")));

    const QString backup = f.defaultBackup();
    const QStringList expected{
        QStringLiteral("RESTORE FILELISTONLY from DISK ='") + backup + QStringLiteral("'"),
        QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'rivazadUZ')"),
        QStringLiteral("if Exists (select name,phyname from  master.dbo.sysdevices  where name='rivazadUZ' or "
                       "phyname='")
            + backup + QStringLiteral("')   exec sp_dropdevice 'rivazadUZ'"),
        QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','") + backup + QStringLiteral("'"),
        QStringLiteral(" RESTORE DATABASE  rivazadUZ From rivazadUZ With Move 'rivazadUZ_Data' TO '")
            + f.dataFolder() + QStringLiteral("/rivazadUZ.mdf', Move 'rivazadUZ_Log' TO '") + f.dataFolder()
            + QStringLiteral("/rivazadUZ_Log.ldf' "),
    };
    QCOMPARE(f.server().statements(), expected);

    const QByteArray expectedSettings = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=sa\r\nServer=127.0.0.1,"
                                        + QByteArray::number(f.server().port())
                                        + "\r\nProvider=SQLOLEDB.1\r\nPassWord=Secret#1\r\nInitial Catalog=rivazadUZ\r\n"
                                          "[Printer]\r\nName=Counter\r\n[DataSource]\r\nDataBase=SQL Server\r\n";
    QCOMPARE(readAll(f.settingsFile()), expectedSettings);

    // The device stays registered for the next run to replace.
    const QByteArray catalogue = readAll(f.server().dataDir() + QStringLiteral("/catalogue.json"));
    QVERIFY2(catalogue.contains("rivazadUZ.Bak"), catalogue.constData());
}

void TestCreateDatabase::existingNameIsReportedAfterTheExistenceQueryAlone()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messages().size(), 1);

    // Log on again, then the same name in another letter case.
    f.prompts().clear();
    f.pressNext();
    QVERIFY(f.onRestorePage());
    f.chooseFolder(f.dataFolder());
    const int before = f.server().statements().size();
    f.field("txtDBName")->setText(QStringLiteral("RIVAZADUZ"));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts(), QStringList{QStringLiteral("Database name exist!\r\nRIVAZADUZ")});
    QCOMPARE(f.server().statements().size(), before + 1);
    QVERIFY(f.server().statements().last().contains(QStringLiteral("sysdatabases")));
    QVERIFY(f.field("txtDBName")->isEnabled());
    QVERIFY(f.onRestorePage());
}

void TestCreateDatabase::reservedDeviceNameIsRefusedBeforeAnyDeviceStatement()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    strBackupFile = f.root() + QStringLiteral("/TempDev.v2.bak");
    QVERIFY(QFile::copy(f.defaultBackup(), strBackupFile));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts(), QStringList{QStringLiteral(
                                             "Cannot use system file as backup device, please select another backup "
                                             "file name!")});
    QCOMPARE(f.server().statements().size(), 2); // the file list, then the existence query
}

void TestCreateDatabase::missingBackupFolderAndNameAreCaughtBeforeTheServer()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    const int sent = f.server().statements().size();

    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts().last(),
             QStringLiteral("Please select database storage folder and then make restore!"));

    f.field("txtNewPath")->setText(f.root() + QStringLiteral("/gone"));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts().last(),
             QStringLiteral("Folder not exist, please select database storage folder and then make restore!\r\n")
                 + f.root() + QStringLiteral("/gone"));

    f.chooseFolder(f.dataFolder());
    f.field("txtDBName")->setText(QStringLiteral("9lives"));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts().last(), QStringLiteral("数据库名首字符必须是字母"));

    f.field("txtDBName")->setText(QStringLiteral("Hall"));
    QVERIFY(QFile::remove(f.defaultBackup()));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messageTexts().last(),
             QStringLiteral("Cannot find original file, please check whether following file is exist?\r\n")
                 + f.defaultBackup());
    QCOMPARE(f.server().statements().size(), sent);
    QVERIFY(f.field("txtDBName")->isEnabled());
}

void TestCreateDatabase::serverErrorsInsideTheRestoreAreReported_data()
{
    QTest::addColumn<QString>("problem");
    QTest::newRow("logical name not in the backup") << "logical";
    QTest::newRow("target folder missing on the server") << "folder";
    QTest::newRow("another device holds the backup path") << "device";
}

void TestCreateDatabase::serverErrorsInsideTheRestoreAreReported()
{
    QFETCH(QString, problem);
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    writeAll(f.settingsFile(), kSettings);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    if (problem == QStringLiteral("logical")) {
        f.field("txtLogName_Data")->setText(QStringLiteral("NotInTheBackup"));
    } else if (problem == QStringLiteral("folder")) {
        f.field("txtFileName_Data")->setText(f.root() + QStringLiteral("/nowhere/x.mdf"));
    } else {
        // A device under another name already points at the backup file.
        QVERIFY(f.window().connection());
        f.window().connection()->Execute(QStringLiteral("exec sp_addumpdevice 'disk', 'OtherName','")
                                         + f.defaultBackup() + QStringLiteral("'"));
    }
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messages().size(), 1);
    const MessageRequest box = f.prompts().messages().first();
    QVERIFY2(box.text.endsWith(QStringLiteral(" : -2147217900")), qPrintable(box.text));
    QVERIFY(!box.text.contains(QStringLiteral("[FreeTDS]")));
    QCOMPARE(box.title, programTitle());
    QVERIFY(f.onRestorePage());
    QVERIFY(f.field("txtDBName")->isEnabled());
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestCreateDatabase::connectionLostMidRestoreIsAFailureAndKeepsTheSettings()
{
    ProvisioningFixture f({QStringLiteral("--fault-drop-mid-restore")});
    REQUIRE_FIXTURE(f);
    writeAll(f.settingsFile(), kSettings);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messages().size(), 1);
    QVERIFY2(f.prompts().messages().first().text.endsWith(QStringLiteral(" : -2147467259")),
             qPrintable(f.prompts().messages().first().text));
    QVERIFY(f.onRestorePage());
    QVERIFY(f.field("txtDBName")->isEnabled());
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestCreateDatabase::missingSettingsFileIsNotCreated()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messages().size(), 1);
    QVERIFY(!QFile::exists(f.settingsFile()));
}

void TestCreateDatabase::oddNamesAreBracketedInTheRestore()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    // A reserved keyword as the name, and a backup whose file name makes a device with a blank.
    f.field("txtDBName")->setText(QStringLiteral("Table"));
    strBackupFile = f.root() + QStringLiteral("/hall copy.bak");
    QVERIFY(QFile::copy(f.defaultBackup(), strBackupFile));
    f.window().cmdReStore_Click();
    QCOMPARE(f.prompts().messages().size(), 1);
    QCOMPARE(f.prompts().messages().first().text, QStringLiteral("数据库创建成功，您可以直接登录并使用软件了。"));
    QVERIFY(f.server().statements().last().startsWith(QStringLiteral(" RESTORE DATABASE  [Table] From [hall copy] With")));
}

QTEST_MAIN(TestCreateDatabase)
#include "TestCreateDatabase.moc"
