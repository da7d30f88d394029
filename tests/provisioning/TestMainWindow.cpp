#include "Dialog.h"
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
using namespace brevane::run;
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
    void everyControlStandsAtItsDesignedBoxInSimplifiedChinese_data();
    void everyControlStandsAtItsDesignedBoxInSimplifiedChinese();
};

void TestMainWindow::cleanup()
{
    setUserInterfaceLanguageOverride(std::nullopt);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty()
            || std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
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
    const auto run = std::make_shared<ProvisioningRun>();
    frmDBConnect window(nullptr, run);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto server = window.findChild<QGroupBox *>(QStringLiteral("FraSet"));
    auto restore = window.findChild<QGroupBox *>(QStringLiteral("FraRestore"));
    QVERIFY(server->isVisible());
    QVERIFY(!restore->isVisible());
    QCOMPARE(server->geometry().topLeft(), restore->geometry().topLeft());
    QCOMPARE(run->connection(), nullptr);
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
    const QStringList shown { "txtDBName", "lblDB1", "txtNewPath", "lblDBPath", "cmdPath", "cmdReStore" };
    const QStringList neverShown { "Label1", "txtDataBaseCount", "Label5", "CmbSQLBase", "lblDB2", "lblDB3",
        "txtLogName_Data", "txtLogName_Log", "txtFileName_Data", "txtFileName_Log" };
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
    QCOMPARE(order, (QStringList { "txtPws", "txtUserID", "CmbSQLServer", "cmdCreateDB", "cmdExit" }));
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
    field("txtPws")->setText(QStringLiteral("Pw1"));
    QCOMPARE(field("txtPws")->displayText(), QStringLiteral("***"));
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
    const QString longPath
        = QStringLiteral("/srv/") + QString(300, QLatin1Char('p')) + QStringLiteral("/Hall_Log.Ldf");
    for (const char *name : { "txtNewPath", "txtFileName_Data", "txtFileName_Log", "txtLogName_Data" }) {
        field(name)->setText(longPath);
        QVERIFY2(field(name)->text() == longPath,
            qPrintable(
                QString::fromLatin1(name) + QLatin1Char(' ') + QString::number(field(name)->text().size())));
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

namespace {

// Every control at its designed place, in twips (15 to a pixel) within its frame or window.
struct DesignedBox
{
    const char *name;
    int left, top, width, height;
};

const DesignedBox kMainWindowBoxes[] = {
    { "FraSet", 180, 180, 5145, 3585 },
    { "FraRestore", 180, 180, 5145, 3615 },
    { "Label2", 660, 1110, 720, 180 },
    { "CmbSQLServer", 1440, 1110, 2055, 300 },
    { "Label3", 660, 1560, 720, 180 },
    { "txtUserID", 1440, 1560, 2055, 300 },
    { "Label4", 660, 1920, 720, 180 },
    { "txtPws", 1440, 1920, 2055, 300 },
    { "cmdCreateDB", 1380, 3030, 1125, 345 },
    { "cmdExit", 2580, 3030, 1125, 345 },
    { "Label5", 660, 2430, 720, 180 },
    { "CmbSQLBase", 1440, 2430, 2055, 300 },
    { "Label1", 990, 420, 1620, 180 },
    { "txtDataBaseCount", 2730, 420, 615, 255 },
    { "lblDB1", 240, 300, 1080, 180 },
    { "txtDBName", 210, 570, 1575, 300 },
    { "lblDBPath", 210, 900, 1620, 180 },
    { "txtNewPath", 210, 1170, 4485, 300 },
    { "cmdPath", 4680, 1170, 405, 315 },
    { "cmdReStore", 2190, 2340, 1245, 315 },
    { "lblDB2", 90, 1770, 1620, 180 },
    { "txtLogName_Data", 120, 2010, 1425, 300 },
    { "txtLogName_Log", 1590, 2010, 1395, 300 },
    { "lblDB3", 90, 2430, 1800, 180 },
    { "txtFileName_Data", 210, 2700, 4845, 300 },
    { "txtFileName_Log", 210, 3060, 4845, 300 },
};

const DesignedBox kDialogBoxes[] = {
    { "Label1", 390, 540, 900, 180 },
    { "txtNewPath", 240, 1020, 4965, 300 },
    { "cmdPath", 5220, 1020, 405, 315 },
    { "OKButton", 2610, 2250, 1215, 375 },
    { "CancelButton", 3900, 2250, 1215, 375 },
};

QRect pixels(const DesignedBox &box)
{
    return QRect(box.left / 15, box.top / 15, box.width / 15, box.height / 15);
}

} // namespace

void TestMainWindow::everyControlStandsAtItsDesignedBoxInSimplifiedChinese_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("frmDBConnect") << "frmDBConnect" << QString() << QRect(0, 0, 369, 270);
    for (const DesignedBox &box : kMainWindowBoxes)
        QTest::addRow("frmDBConnect.%s", box.name)
            << "frmDBConnect" << QString::fromLatin1(box.name) << pixels(box);
    QTest::newRow("Dialog") << "Dialog" << QString() << QRect(0, 0, 402, 213);
    for (const DesignedBox &box : kDialogBoxes)
        QTest::addRow("Dialog.%s", box.name) << "Dialog" << QString::fromLatin1(box.name) << pixels(box);
}

void TestMainWindow::everyControlStandsAtItsDesignedBoxInSimplifiedChinese()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, expected);
    setUserInterfaceLanguageOverride(LanguageId::ChineseSimplified);
    ScopedPrompts prompts;
    ScopedPlatform platform;
    std::unique_ptr<QWidget> shown;
    if (window == QStringLiteral("Dialog"))
        shown = std::make_unique<Dialog>();
    else
        shown = std::make_unique<frmDBConnect>();
    if (control.isEmpty()) {
        QCOMPARE(QRect(QPoint(0, 0), shown->size()), expected);
    } else {
        QWidget *widget = shown->findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), expected);
    }
    QVERIFY(prompts->messages().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
