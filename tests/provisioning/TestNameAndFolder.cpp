#include "Dialog.h"
#include "FakePlatform.h"
#include "PressButton.h"
#include "QtTranslations.h"
#include "QtUserPrompts.h"
#include "RecordingPrompts.h"
#include "frmDBConnect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;

Q_DECLARE_METATYPE(brevane::LanguageId)

namespace {

// The restore page of a main window, shown without a server.
struct RestorePage
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;

    RestorePage() { window.findChild<QGroupBox *>(QStringLiteral("FraRestore"))->show(); }
    QLineEdit *field(const char *name) { return window.findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QString name() { return field("txtDBName")->text(); }
    // Moves the focus from the name field to the next control, as Tab does.
    void leaveNameField()
    {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field("txtDBName"), &leave);
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestNameAndFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNamesFollowTheNameInTheirFolder();
    void fileNamesWithoutFolderStayAsTheyAre();
    void leavingTheFieldTrimsSilently();
    void brokenNamesAreRefusedWithTheFirstRule_data();
    void brokenNamesAreRefusedWithTheFirstRule();
    void refusalSelectsTheWholeNameAndDoesNotLoop();
    void folderOffTheSystemDriveIsTakenWithoutQuestion_data();
    void folderOffTheSystemDriveIsTakenWithoutQuestion();
    void folderOnTheSystemDriveAsksAndYesOpensTheDialogAgain();
    void folderOnTheSystemDriveKeptOnNo();
    void cancellingTheFolderDialogChangesNothing();
    void folderInTheDriveRootHasNoSeparatorOfItsOwn();
    void backupChooserTakesAPathThatDoesNotExist();
    void fileInTheRootFolderGivesTheRootFolder();
    void backupChooserListsFilesWithoutAnExtension();
    void saveDialogAsksForAMissingFolderAndAnExistingFile_data();
    void saveDialogAsksForAMissingFolderAndAnExistingFile();
    void shouldShowQtTextsInTheLanguageOfTheMessages_data();
    void shouldShowQtTextsInTheLanguageOfTheMessages();
};

namespace {

QStringList buttonTexts(const QList<QAbstractButton *> &buttons)
{
    QStringList texts;
    for (const QAbstractButton *button : buttons)
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

void TestNameAndFolder::fileNamesFollowTheNameInTheirFolder()
{
    RestorePage page;
    page.field("txtFileName_Data")->setText(QStringLiteral("D:\\Hall\\old.mdf"));
    page.field("txtFileName_Log")->setText(QStringLiteral("D:\\Hall\\old_Log.ldf"));
    QTest::keyClicks(page.field("txtDBName"), QStringLiteral("Hal"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("D:\\Hall\\Hal.Mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), QStringLiteral("D:\\Hall\\Hal_Log.Ldf"));
    // A folder chosen here carries "/".
    page.field("txtFileName_Data")->setText(QStringLiteral("/srv/hall/x.mdf"));
    page.field("txtFileName_Log")->setText(QStringLiteral("/srv/hall/x_Log.ldf"));
    page.field("txtDBName")->setText(QStringLiteral(" spaced "));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("/srv/hall/ spaced .Mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), QStringLiteral("/srv/hall/ spaced _Log.Ldf"));
}

void TestNameAndFolder::fileNamesWithoutFolderStayAsTheyAre()
{
    RestorePage page;
    QTest::keyClicks(page.field("txtDBName"), QStringLiteral("Hall"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("Path Mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), QStringLiteral("Path Ldf"));
}

void TestNameAndFolder::leavingTheFieldTrimsSilently()
{
    RestorePage page;
    page.field("txtFileName_Data")->setText(QStringLiteral("D:\\Hall\\x.mdf"));
    page.field("txtFileName_Log")->setText(QStringLiteral("D:\\Hall\\x_Log.ldf"));
    page.field("txtDBName")->setText(QStringLiteral("  Snooker_1  "));
    page.leaveNameField();
    QCOMPARE(page.name(), QStringLiteral("Snooker_1"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("D:\\Hall\\Snooker_1.Mdf"));
    QVERIFY(page.prompts->messages().isEmpty());
    for (const QString &passing : { QString(), QStringLiteral("   ") }) {
        page.field("txtDBName")->setText(passing);
        page.leaveNameField();
        QCOMPARE(page.name(), QString());
    }
    QVERIFY(page.prompts->messages().isEmpty());
}

void TestNameAndFolder::brokenNamesAreRefusedWithTheFirstRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString notLetter = QStringLiteral("Database name must start with a letter");
    const QString illegal = QStringLiteral("Illegal character in database name");
    QTest::newRow("digit first") << "1hall" << notLetter;
    QTest::newRow("underscore first") << "_hall" << notLetter;
    QTest::newRow("digit first, hyphen later") << "9-a" << notLetter;
    QTest::newRow("hyphen") << "hall-2" << illegal + QStringLiteral("  '-'");
    QTest::newRow("accented letter upper-cased") << "caf\u00e9" << illegal + QStringLiteral("  '\u00c9'");
    QTest::newRow("inner blank") << "a b" << illegal + QStringLiteral("  ' '");
    QTest::newRow("sharp s has no capital of its own")
        << "stra\u00dfe" << illegal + QStringLiteral("  '\u00df'");
    QTest::newRow("ligature stays one character") << "\ufb01le" << notLetter;
    QTest::newRow("ligature after a letter") << "a\ufb01" << illegal + QStringLiteral("  '\ufb01'");
}

void TestNameAndFolder::brokenNamesAreRefusedWithTheFirstRule()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    RestorePage page;
    page.field("txtDBName")->setText(name);
    page.leaveNameField();
    QCOMPARE(page.prompts->messageTexts(), QStringList { message });
    QCOMPARE(page.prompts->messages().first().title, QStringLiteral("Information"));
    QCOMPARE(page.name(), name);
}

void TestNameAndFolder::refusalSelectsTheWholeNameAndDoesNotLoop()
{
    RestorePage page;
    page.window.show();
    QApplication::setActiveWindow(&page.window);
    QVERIFY(QTest::qWaitForWindowActive(&page.window));
    QLineEdit *name = page.field("txtDBName");
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("bad-name"));
    // A box that takes the keyboard away must not start the check again.
    page.prompts->setOnMessage([&](const MessageRequest &) {
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(name, &away);
    });
    QTest::keyClick(name, Qt::Key_Tab); // on to the next control
    QTRY_COMPARE(page.prompts->messages().size(), 1);
    QTest::qWait(50);
    QCOMPARE(page.prompts->messages().size(), 1);
    QCOMPARE(QApplication::focusWidget(), name);
    QCOMPARE(name->selectedText(), QStringLiteral("bad-name"));
    page.window.close();
}

void TestNameAndFolder::folderOffTheSystemDriveIsTakenWithoutQuestion_data()
{
    QTest::addColumn<QString>("windowsDirectory");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("separator");
    QTest::newRow("other drive") << "C:\\Windows"
                                 << "D:\\Data\\x.mdf"
                                 << "D:\\Data"
                                 << "\\";
    QTest::newRow("lower-case drive letter") << "C:\\Windows"
                                             << "c:\\Data\\x.mdf"
                                             << "c:\\Data"
                                             << "\\";
    QTest::newRow("network share") << "C:\\Windows"
                                   << "\\\\hall\\share\\x.mdf"
                                   << "\\\\hall\\share"
                                   << "\\";
    QTest::newRow("folder here") << "/usr"
                                 << "/srv/hall/x.mdf"
                                 << "/srv/hall"
                                 << "/";
}

void TestNameAndFolder::folderOffTheSystemDriveIsTakenWithoutQuestion()
{
    QFETCH(QString, windowsDirectory);
    QFETCH(QString, chosen);
    QFETCH(QString, folder);
    QFETCH(QString, separator);
    RestorePage page;
    page.platform->windowsDir = windowsDirectory;
    page.field("txtDBName")->setText(QStringLiteral("  Hall "));
    page.prompts->queueFileName(chosen);
    pressButton(page.window, "cmdPath");

    QVERIFY(page.prompts->messages().isEmpty());
    QCOMPARE(page.prompts->fileDialogs().size(), 1);
    const FileDialogRequest request = page.prompts->fileDialogs().first().request;
    QVERIFY(page.prompts->fileDialogs().first().save);
    QCOMPARE(request.fileName, QStringLiteral("Hall"));
    QCOMPARE(request.title, QStringLiteral("Select database save path"));
    QCOMPARE(request.filter, QStringLiteral("Sql Server Database (*.mdf)"));
    QVERIFY(request.confirmOverwrite && request.pathMustExist);
    QCOMPARE(page.name(), QStringLiteral("Hall"));
    QCOMPARE(page.field("txtNewPath")->text(), folder);
    QCOMPARE(page.field("txtFileName_Data")->text(), folder + separator + QStringLiteral("Hall.mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), folder + separator + QStringLiteral("Hall_Log.ldf"));
}

void TestNameAndFolder::folderOnTheSystemDriveAsksAndYesOpensTheDialogAgain()
{
    RestorePage page;
    page.platform->windowsDir = QStringLiteral("C:\\Windows");
    page.field("txtDBName")->setText(QStringLiteral("Hall"));
    page.prompts->queueFileName(QStringLiteral("C:\\Data\\Hall.mdf"));
    page.prompts->queueAnswer(MessageAnswer::Yes);
    page.prompts->queueFileName(QStringLiteral("E:\\Hall\\Hall.mdf"));
    pressButton(page.window, "cmdPath");

    QCOMPARE(page.prompts->messages().size(), 1);
    const MessageRequest question = page.prompts->messages().first();
    QCOMPARE(question.text,
        QStringLiteral("You selected folder was on system drive, its not suggest.\r\nIts not suggest "
                       "to save database on system drive, do you want to modify?\r\nC:\\Data\\Hall.mdf"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.title, QStringLiteral("Information"));
    QCOMPARE(page.prompts->fileDialogs().size(), 2);
    QCOMPARE(page.prompts->fileDialogs().at(1).request.fileName, QStringLiteral("C:\\Data\\Hall.mdf"));
    QCOMPARE(page.field("txtNewPath")->text(), QStringLiteral("E:\\Hall"));
}

void TestNameAndFolder::folderOnTheSystemDriveKeptOnNo()
{
    RestorePage page;
    page.field("txtDBName")->setText(QStringLiteral("Hall"));
    page.prompts->queueFileName(QStringLiteral("/usr/local/hall/x.mdf")); // the system folder here is /usr
    page.prompts->queueAnswer(MessageAnswer::No);
    pressButton(page.window, "cmdPath");
    QCOMPARE(page.prompts->messages().size(), 1);
    QCOMPARE(page.prompts->fileDialogs().size(), 1);
    QCOMPARE(page.field("txtNewPath")->text(), QStringLiteral("/usr/local/hall"));
}

void TestNameAndFolder::cancellingTheFolderDialogChangesNothing()
{
    RestorePage page;
    page.field("txtDBName")->setText(QStringLiteral("Hall"));
    page.field("txtNewPath")->setText(QStringLiteral("/srv/hall"));
    page.field("txtFileName_Data")->setText(QStringLiteral("/srv/hall/Hall.mdf"));
    page.field("txtFileName_Log")->setText(QStringLiteral("/srv/hall/Hall_Log.ldf"));
    page.prompts->queueFileName(std::nullopt);
    pressButton(page.window, "cmdPath");
    QCOMPARE(page.field("txtNewPath")->text(), QStringLiteral("/srv/hall"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("/srv/hall/Hall.mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), QStringLiteral("/srv/hall/Hall_Log.ldf"));
}

void TestNameAndFolder::folderInTheDriveRootHasNoSeparatorOfItsOwn()
{
    RestorePage page;
    page.platform->windowsDir = QStringLiteral("C:\\Windows");
    page.field("txtDBName")->setText(QStringLiteral("Hall"));
    page.prompts->queueFileName(QStringLiteral("D:\\Hall.mdf"));
    pressButton(page.window, "cmdPath");
    QCOMPARE(page.field("txtNewPath")->text(), QStringLiteral("D:"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("D:\\Hall.mdf"));
}

void TestNameAndFolder::backupChooserTakesAPathThatDoesNotExist()
{
    // The real file dialog, answered the way a user would: a name typed in
    // for a file that is not there. The chooser takes it; the caller checks it.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    UserPrompts::setCurrent(nullptr);
    ScopedPlatform platform;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    platform->programDir = folder.path();
    const QString missing = folder.filePath(QStringLiteral("elsewhere.Bak"));

    QStringList warnings;
    int fileDialogsSeen = 0;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            warnings.append(box->text());
            box->reject();
        } else if (auto files = qobject_cast<QFileDialog *>(modal)) {
            if (fileDialogsSeen++ == 0) {
                // Typed into the dialog's name field, as the user would.
                auto nameField = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(nameField);
                nameField->setText(missing);
                // Queued, so that a box the dialog may open is met by the next tick.
                QMetaObject::invokeMethod(
                    files, [files] { static_cast<QDialog *>(files)->accept(); }, Qt::QueuedConnection);
            } else {
                files->reject();
            }
        }
    });
    user.start();
    Dialog chooser;
    pressButton(chooser, "cmdPath");
    user.stop();

    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    QCOMPARE(chooser.findChild<QLineEdit *>(QStringLiteral("txtNewPath"))->text(), missing);
}

void TestNameAndFolder::fileInTheRootFolderGivesTheRootFolder()
{
    RestorePage page;
    page.field("txtDBName")->setText(QStringLiteral("Hall"));
    page.prompts->queueFileName(QStringLiteral("/Hall.mdf"));
    pressButton(page.window, "cmdPath");
    QCOMPARE(page.field("txtNewPath")->text(), QStringLiteral("/"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("/Hall.mdf"));
    QCOMPARE(page.field("txtFileName_Log")->text(), QStringLiteral("/Hall_Log.ldf"));
    // A new name keeps the files in the root folder.
    page.field("txtDBName")->setText(QStringLiteral("Club"));
    QCOMPARE(page.field("txtFileName_Data")->text(), QStringLiteral("/Club.Mdf"));
}

void TestNameAndFolder::backupChooserListsFilesWithoutAnExtension()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    UserPrompts::setCurrent(nullptr);
    ScopedPlatform platform;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    platform->programDir = folder.path();
    for (const char *name : { "Makefile", "hall.bak" }) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QStringList listed;
    QString caption;
    int ticks = 0;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        auto files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!files)
            return;
        caption = files->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText();
        auto view = files->findChild<QListView *>(QStringLiteral("listView"));
        listed.clear();
        for (int row = 0; view && row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        // The listing fills in the background; give it a few moments.
        if (listed.size() >= 2 || ++ticks > 100)
            files->reject();
    });
    user.start();
    Dialog chooser;
    pressButton(chooser, "cmdPath");
    user.stop();

    listed.sort();
    QCOMPARE(listed, (QStringList { QStringLiteral("Makefile"), QStringLiteral("hall.bak") }));
    // The list shows the caption as written, while it lists every file.
    QCOMPARE(caption, QStringLiteral("Sql Server Database Bakup file (*.*)"));
    QCOMPARE(toQtFilter(QStringLiteral("Sql Server Database Bakup file (*.*)")),
        QStringLiteral("Sql Server Database Bakup file (*)"));
    QCOMPARE(toQtFilter(QStringLiteral("Sql Server Database (*.mdf)")),
        QStringLiteral("Sql Server Database (*.mdf)"));
}

void TestNameAndFolder::saveDialogAsksForAMissingFolderAndAnExistingFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("folder that does not exist") << "missing/Hall.mdf";
    QTest::newRow("file that exists") << "Hall.mdf";
}

void TestNameAndFolder::saveDialogAsksForAMissingFolderAndAnExistingFile()
{
    QFETCH(QString, typed);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
        QFile existing(folder.filePath(QStringLiteral("Hall.mdf")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
    }

    QStringList boxes;
    int fileDialogsSeen = 0;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            boxes.append(box->text());
            // "No" to replacing the file; the warning only has OK.
            box->done(box->standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
        } else if (auto files = qobject_cast<QFileDialog *>(modal)) {
            if (fileDialogsSeen++ == 0) {
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                    ->setText(folder.filePath(typed));
                QMetaObject::invokeMethod(
                    files, [files] { static_cast<QDialog *>(files)->accept(); }, Qt::QueuedConnection);
            } else if (!boxes.isEmpty()) {
                files->reject();
            }
        }
    });
    user.start();
    FileDialogRequest request;
    request.title = QStringLiteral("Select database save path");
    request.filter = QStringLiteral("Sql Server Database (*.mdf)");
    request.initialDir = folder.path();
    const std::optional<QString> chosen = QtUserPrompts().saveFileName(nullptr, request);
    user.stop();

    QCOMPARE(boxes.size(), 1);
    QVERIFY2(
        boxes.first().contains(typed.contains(QLatin1Char('/')) ? folder.filePath(QStringLiteral("missing"))
                                                                : QStringLiteral("Hall.mdf")),
        qPrintable(boxes.first()));
    QCOMPARE(chosen, std::nullopt);
}

void TestNameAndFolder::shouldShowQtTextsInTheLanguageOfTheMessages_data()
{
    QTest::addColumn<LanguageId>("language");
    QTest::addColumn<QStringList>("folderDialogButtons");
    QTest::addColumn<QStringList>("messageButtons");
    QTest::newRow("zh_CN") << LanguageId::ChineseSimplified
                           << QStringList { QStringLiteral("保存(&S)"), QStringLiteral("取消") }
                           << QStringList { QStringLiteral("确定") };
    QTest::newRow("zh_TW") << LanguageId::ChineseTraditional
                           << QStringList { QStringLiteral("儲存(&S)"), QStringLiteral("取消") }
                           << QStringList { QStringLiteral("確定") };
    QTest::newRow("en_US") << LanguageId::EnglishUnitedStates << QStringList { "&Save", "Cancel" }
                           << QStringList { "OK" };
}

void TestNameAndFolder::shouldShowQtTextsInTheLanguageOfTheMessages()
{
    QFETCH(LanguageId, language);
    QFETCH(QStringList, folderDialogButtons);
    QFETCH(QStringList, messageButtons);
    // The language the program chose for its message table at start-up.
    setUserInterfaceLanguageOverride(language);
    installQtTranslations(language);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    UserPrompts::setCurrent(nullptr);
    ScopedPlatform platform;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    // The folder dialog, then the message it shows for a folder that does not exist.
    QStringList dialogButtons;
    QStringList boxButtons;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            boxButtons = buttonTexts(box->buttons());
            box->accept();
        } else if (auto files = qobject_cast<QFileDialog *>(modal)) {
            if (!dialogButtons.isEmpty()) {
                files->reject();
                return;
            }
            dialogButtons = buttonTexts(files->findChild<QDialogButtonBox *>()->buttons());
            files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(folder.filePath(QStringLiteral("missing/Hall.mdf")));
            QMetaObject::invokeMethod(
                files, [files] { static_cast<QDialog *>(files)->accept(); }, Qt::QueuedConnection);
        }
    });
    user.start();
    frmDBConnect window;
    pressButton(window, "cmdPath");
    user.stop();
    installQtTranslations(LanguageId::EnglishUnitedStates);
    setUserInterfaceLanguageOverride(std::nullopt);

    QCOMPARE(dialogButtons, folderDialogButtons);
    QCOMPARE(boxButtons, messageButtons);
}

QTEST_MAIN(TestNameAndFolder)
#include "TestNameAndFolder.moc"
