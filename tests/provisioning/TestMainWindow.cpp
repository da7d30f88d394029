#include "FakePlatform.h"
#include "MessageTable.h"
#include "RecordingPrompts.h"
#include "frmDBConnect.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace brevane;
using namespace brevane::test;

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setUserInterfaceLanguageOverride(LanguageId::EnglishUnitedStates); }
    void cleanup();
    void serverListOffersTheMachineAddressThenTheLocalServer();
    void serverListHoldsOnlyTheLocalServerWithoutAnAddress();
    void startsOnTheServerPageWithNoConnection();
    void onlyTheNameFolderAndCreateControlsShowOnTheRestorePage();
    void focusStartsInThePasswordAndTabsThroughTheServerPage();
    void fieldsKeepTheirLimitsAndEcho();
    void exitClosesTheWindowAtOnce();
    void layoutKeepsItsSizes();
};

void TestMainWindow::cleanup()
{
    setUserInterfaceLanguageOverride(std::nullopt);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty() || std::none_of(QApplication::topLevelWidgets().cbegin(),
                                                                      QApplication::topLevelWidgets().cend(),
                                                                      [](QWidget *w) { return w->isVisible(); }),
             "a window was left open");
}

void TestMainWindow::serverListOffersTheMachineAddressThenTheLocalServer()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    platform->ipv4Address = QStringLiteral("192.0.2.17");
    frmDBConnect window;
    auto servers = window.findChild<QComboBox *>(QStringLiteral("CmbSQLServer"));
    QCOMPARE(servers->count(), 2);
    QCOMPARE(servers->itemText(0), QStringLiteral("192.0.2.17"));
    QCOMPARE(servers->itemText(1), QStringLiteral("."));
    QCOMPARE(servers->currentIndex(), 0);
    QVERIFY(!servers->isEditable());
    QVERIFY(prompts->messages().isEmpty());
}

void TestMainWindow::serverListHoldsOnlyTheLocalServerWithoutAnAddress()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    platform->ipv4Address.reset();
    frmDBConnect window;
    auto servers = window.findChild<QComboBox *>(QStringLiteral("CmbSQLServer"));
    QCOMPARE(servers->count(), 1);
    QCOMPARE(servers->currentText(), QStringLiteral("."));
    QVERIFY(prompts->messages().isEmpty());
}

void TestMainWindow::startsOnTheServerPageWithNoConnection()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto server = window.findChild<QGroupBox *>(QStringLiteral("FraSet"));
    auto restore = window.findChild<QGroupBox *>(QStringLiteral("FraRestore"));
    QVERIFY(server->isVisible());
    QVERIFY(!restore->isVisible());
    QCOMPARE(server->geometry().topLeft(), restore->geometry().topLeft());
    QCOMPARE(window.connection(), nullptr);
    QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("txtUserID"))->text(), QStringLiteral("sa"));
    // Shown, the restore page covers the server page.
    restore->show();
    QCOMPARE(window.childAt(restore->geometry().center()) == restore
                 || restore->isAncestorOf(window.childAt(restore->geometry().center())),
             true);
    window.close();
}

void TestMainWindow::onlyTheNameFolderAndCreateControlsShowOnTheRestorePage()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    window.show();
    window.findChild<QGroupBox *>(QStringLiteral("FraRestore"))->show();
    const QStringList shown{"txtDBName", "lblDB1", "txtNewPath", "lblDBPath", "cmdPath", "cmdReStore"};
    const QStringList neverShown{"Label1", "txtDataBaseCount", "Label5", "CmbSQLBase", "lblDB2", "lblDB3",
                                 "txtLogName_Data", "txtLogName_Log", "txtFileName_Data", "txtFileName_Log"};
    for (const QString &name : shown)
        QVERIFY2(window.findChild<QWidget *>(name)->isVisible(), qPrintable(name));
    for (const QString &name : neverShown)
        QVERIFY2(!window.findChild<QWidget *>(name)->isVisible(), qPrintable(name));
    window.close();
}

void TestMainWindow::focusStartsInThePasswordAndTabsThroughTheServerPage()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtPws"));
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"txtPws", "txtUserID", "CmbSQLServer", "cmdCreateDB", "cmdExit"}));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtPws"));
    window.close();
}

void TestMainWindow::fieldsKeepTheirLimitsAndEcho()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    auto field = [&](const char *name) { return window.findChild<QLineEdit *>(QString::fromLatin1(name)); };
    QCOMPARE(field("txtPws")->echoMode(), QLineEdit::Password);
    // The name field takes 50 typed characters; a longer name the program proposes stays whole.
    QLineEdit *name = field("txtDBName");
    QTest::keyClicks(name, QString(60, QLatin1Char('a')));
    QCOMPARE(name->text().size(), 50);
    const QString proposed = QString(58, QLatin1Char('b'));
    name->setText(proposed);
    QCOMPARE(name->text(), proposed);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text().size(), 57);
    QVERIFY(field("txtNewPath")->isReadOnly());
    QCOMPARE(field("txtFileName_Data")->text(), QStringLiteral("Path Mdf"));
    QCOMPARE(field("txtFileName_Log")->text(), QStringLiteral("Path Ldf"));
    QCOMPARE(field("txtLogName_Data")->text(), QStringLiteral("*.mdf"));
    QCOMPARE(field("txtLogName_Log")->text(), QStringLiteral("*.Ldf"));
    QCOMPARE(field("txtDataBaseCount")->maxLength(), 1);
    QVERIFY(!(field("txtDataBaseCount")->focusPolicy() & Qt::TabFocus));
    // Fields only the program writes take any length: a limit would cut a long path short.
    const QString longPath = QStringLiteral("/srv/") + QString(300, QLatin1Char('p')) + QStringLiteral("/Hall_Log.Ldf");
    for (const char *name : {"txtNewPath", "txtFileName_Data", "txtFileName_Log", "txtLogName_Data"}) {
        field(name)->setText(longPath);
        QVERIFY2(field(name)->text() == longPath, qPrintable(QString::fromLatin1(name) + QLatin1Char(' ') + QString::number(field(name)->text().size())));
    }
}

void TestMainWindow::exitClosesTheWindowAtOnce()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdExit")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(prompts->messages().isEmpty());
}

void TestMainWindow::layoutKeepsItsSizes()
{
    ScopedPrompts prompts;
    ScopedPlatform platform;
    frmDBConnect window;
    QCOMPARE(window.size(), QSize(369, 270));
    QCOMPARE(window.findChild<QWidget *>(QStringLiteral("FraSet"))->geometry(), QRect(12, 12, 343, 239));
    QCOMPARE(window.findChild<QWidget *>(QStringLiteral("FraRestore"))->geometry(), QRect(12, 12, 343, 241));
    QCOMPARE(window.findChild<QWidget *>(QStringLiteral("cmdCreateDB"))->geometry(), QRect(92, 202, 75, 23));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
