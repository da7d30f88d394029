#include "Dialog.h"
#include "PressButton.h"
#include "ProvisioningFixture.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

class TestBackupFileList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrongPasswordShowsTwoBoxesAndStaysOnTheServerPage();
    void defaultBackupFillsTheRestorePageWithoutAsking();
    void missingDefaultAndCancelledChooserSaysNothing();
    void chooserOutcomesThatLeaveNoFileNameTheMissingPath_data();
    void chooserOutcomesThatLeaveNoFileNameTheMissingPath();
    void fileThatIsNoBackupGives1047();
    void backupWithOneFileRowGivesTheGeneralFailureBox();
    void proposedNameDropsTheLastFiveCharacters_data();
    void proposedNameDropsTheLastFiveCharacters();
    void backupPathWithApostropheIsInspected();
    void chooserIsAskedAgainAtEveryInspection();
};

void TestBackupFileList::wrongPasswordShowsTwoBoxesAndStaysOnTheServerPage()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    f.fillServerPage(QStringLiteral("wrong"));
    f.pressNext();

    QCOMPARE(f.prompts().messages().size(), 2);
    const MessageRequest first = f.prompts().messages().at(0);
    QCOMPARE(first.text, QStringLiteral("Error\r\nError when connecting database"));
    QCOMPARE(first.title, QStringLiteral("Datebase settings"));
    QCOMPARE(first.icon, MessageIcon::Information);
    const MessageRequest second = f.prompts().messages().at(1);
    QCOMPARE(second.text,
        QStringLiteral("Sql Server connect failed, please check server, username and password!"));
    QCOMPARE(second.title, QStringLiteral("Information"));
    QVERIFY(!f.onRestorePage());
    QCOMPARE(f.run().connection(), nullptr);

    // The next Next builds a fresh connection and logs on.
    f.prompts().clear();
    f.field("txtPws")->setText(QString::fromLatin1(ProvisioningFixture::kPassword));
    f.pressNext();
    QVERIFY(f.run().connection());
    QVERIFY(f.onRestorePage());
    QVERIFY(f.prompts().messages().isEmpty());
}

void TestBackupFileList::defaultBackupFillsTheRestorePageWithoutAsking()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    f.field("txtNewPath")->setText(QStringLiteral("/left/over"));
    QVERIFY(f.reachRestorePage());

    QVERIFY(f.prompts().messages().isEmpty());
    QVERIFY(f.prompts().fileDialogs().isEmpty());
    QCOMPARE(f.server().statements(),
        QStringList { QStringLiteral("RESTORE FILELISTONLY from DISK ='") + f.programFolder()
            + QStringLiteral("/../DB/rivazadUZ.Bak'") });
    QCOMPARE(f.field("txtDBName")->text(), QStringLiteral("rivazadUZ"));
    QCOMPARE(f.field("txtNewPath")->text(), QString());
    QCOMPARE(f.field("txtLogName_Data")->text(), QStringLiteral("rivazadUZ_Data"));
    QCOMPARE(f.field("txtLogName_Log")->text(), QStringLiteral("rivazadUZ_Log"));
    // The name was set before the data file name, so the file names are the backup's own.
    QCOMPARE(f.field("txtFileName_Data")->text(),
        QStringLiteral("C:\\Program Files\\SQL\\Data\\rivazadUZ_Data.MDF"));
    QCOMPARE(f.field("txtFileName_Log")->text(),
        QStringLiteral("C:\\Program Files\\SQL\\Data\\rivazadUZ_Log.LDF"));
}

void TestBackupFileList::missingDefaultAndCancelledChooserSaysNothing()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(QFile::remove(f.defaultBackup()));
    f.fillServerPage();
    bool chooserShown = false;
    f.pressNext([&](QWidget *chooser) {
        chooserShown = qobject_cast<Dialog *>(chooser) != nullptr;
        chooser->findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
    });
    QVERIFY(chooserShown);
    QVERIFY(f.prompts().messages().isEmpty());
    QVERIFY(!f.onRestorePage());
    QVERIFY(f.run().connection()); // the log-on stays open
    QVERIFY(f.server().statements().isEmpty());
}

void TestBackupFileList::chooserOutcomesThatLeaveNoFileNameTheMissingPath_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("reportsDefault");
    QTest::newRow("a path that does not exist") << "choose-missing" << false;
    QTest::newRow("closed by its close box") << "close" << true;
    QTest::newRow("OK with no path") << "ok-empty" << true;
}

void TestBackupFileList::chooserOutcomesThatLeaveNoFileNameTheMissingPath()
{
    QFETCH(QString, action);
    QFETCH(bool, reportsDefault);
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(QFile::remove(f.defaultBackup()));
    const QString missing = f.root() + QStringLiteral("/nowhere/other.bak");
    f.fillServerPage();
    f.pressNext([&](QWidget *chooser) {
        auto dialog = qobject_cast<Dialog *>(chooser);
        if (action == QStringLiteral("choose-missing")) {
            f.prompts().queueFileName(missing);
            pressButton(*dialog, "cmdPath");
            pressButton(*dialog, "OKButton");
        } else if (action == QStringLiteral("ok-empty")) {
            pressButton(*dialog, "OKButton");
        } else {
            dialog->close();
        }
    });
    const QString expectedPath = reportsDefault ? f.defaultBackup() : missing;
    QCOMPARE(f.prompts().messageTexts(),
        QStringList {
            QStringLiteral("Cannot find original file, please check whether following file is exist?\r\n")
            + expectedPath });
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("Information"));
    QVERIFY(!f.onRestorePage());
}

void TestBackupFileList::fileThatIsNoBackupGives1047()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QFile broken(f.defaultBackup());
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("this is not a backup\n");
    broken.close();
    f.fillServerPage();
    f.pressNext();
    QCOMPARE(f.prompts().messages().size(), 1);
    QCOMPARE(f.prompts().messages().first().text,
        QStringLiteral(
            "This file is an invalid Sql Server backup file or this file has been destroyed!\r\n\r\n")
            + f.defaultBackup());
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("Error"));
    QVERIFY(!f.onRestorePage());
    QVERIFY(f.run().connection());
}

void TestBackupFileList::backupWithOneFileRowGivesTheGeneralFailureBox()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.makeBackup(
        f.defaultBackup(), { QStringLiteral("--data"), QStringLiteral("onlydata=C:\\d\\onlydata.mdf") }));
    f.fillServerPage();
    f.pressNext();
    QCOMPARE(f.prompts().messages().size(), 1);
    const MessageRequest box = f.prompts().messages().first();
    QCOMPARE(box.text,
        QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                       "operation requires a current record. : 3021"));
    QCOMPARE(box.title, programTitle());
    // Row 1 was read before the failure.
    QCOMPARE(f.field("txtLogName_Data")->text(), QStringLiteral("onlydata"));
    QCOMPARE(f.field("txtFileName_Data")->text(), QStringLiteral("C:\\d\\onlydata.mdf"));
    QVERIFY(!f.onRestorePage());
}

void TestBackupFileList::proposedNameDropsTheLastFiveCharacters_data()
{
    QTest::addColumn<QString>("logicalName");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("five characters") << "abcde"
                                     << "";
    QTest::newRow("six characters") << "abcdef"
                                    << "a";
    QTest::newRow("any last five") << "Hall2024_X.y"
                                   << "Hall202";
}

void TestBackupFileList::proposedNameDropsTheLastFiveCharacters()
{
    QFETCH(QString, logicalName);
    QFETCH(QString, proposed);
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.makeBackup(f.defaultBackup(),
        { QStringLiteral("--data"), logicalName + QStringLiteral("=C:\\d\\a.mdf"), QStringLiteral("--log"),
            QStringLiteral("l=C:\\d\\a.ldf") }));
    QVERIFY(f.reachRestorePage());
    QCOMPARE(f.field("txtDBName")->text(), proposed);
}

void TestBackupFileList::backupPathWithApostropheIsInspected()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(QFile::remove(f.defaultBackup()));
    const QString odd = f.root() + QStringLiteral("/Joe's backups/hall.bak");
    QVERIFY(QDir().mkpath(f.root() + QStringLiteral("/Joe's backups")));
    QVERIFY(f.makeBackup(odd,
        { QStringLiteral("--data"), QStringLiteral("hall_Data=C:\\d\\hall.mdf"), QStringLiteral("--log"),
            QStringLiteral("hall_Log=C:\\d\\hall.ldf") }));
    f.fillServerPage();
    f.pressNext([&](QWidget *chooser) {
        auto dialog = qobject_cast<Dialog *>(chooser);
        f.prompts().queueFileName(odd);
        pressButton(*dialog, "cmdPath");
        pressButton(*dialog, "OKButton");
    });
    QVERIFY2(f.prompts().messages().isEmpty(), qPrintable(f.prompts().messageTexts().join(QLatin1Char('|'))));
    QVERIFY(f.onRestorePage());
    QCOMPARE(f.field("txtDBName")->text(), QStringLiteral("hall"));
    QCOMPARE(f.server().statements().last(),
        QStringLiteral("RESTORE FILELISTONLY from DISK ='") + f.root()
            + QStringLiteral("/Joe''s backups/hall.bak'"));
}

void TestBackupFileList::chooserIsAskedAgainAtEveryInspection()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    const QString other = f.root() + QStringLiteral("/other.bak");
    QVERIFY(QFile::rename(f.defaultBackup(), other));
    f.fillServerPage();
    int chooserCount = 0;
    auto choose = [&](QWidget *chooser) {
        ++chooserCount;
        auto dialog = qobject_cast<Dialog *>(chooser);
        QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("txtNewPath"))->text().isEmpty());
        f.prompts().queueFileName(other);
        pressButton(*dialog, "cmdPath");
        pressButton(*dialog, "OKButton");
    };
    f.pressNext(choose);
    QVERIFY(f.onRestorePage());
    f.pressNext(choose);
    QCOMPARE(chooserCount, 2);
    const auto request = f.prompts().fileDialogs().first().request;
    QCOMPARE(request.title, QStringLiteral("Select database save path"));
    QCOMPARE(request.filter, QStringLiteral("Sql Server Database Bakup file (*.*)"));
    QCOMPARE(request.initialDir, f.programFolder());
    QVERIFY(!f.prompts().fileDialogs().first().save);
}

QTEST_MAIN(TestBackupFileList)
#include "TestBackupFileList.moc"
