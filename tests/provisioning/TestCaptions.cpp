#include "ControlKind.h"
#include "Dialog.h"
#include "MessageTable.h"
#include "ModCard.h"
#include "RecordingPrompts.h"
#include "frmDBConnect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace brevane;
using namespace brevane::run;
using brevane::test::ScopedPrompts;

namespace {

struct ExpectedCaption
{
    const char *control; // empty: the window itself
    const char *english;
    const char *simplified;
    const char *traditional;
};

// Captions as each language's user must see them. Rows without an English
// text show their English stand-in to English users.
const ExpectedCaption kMainWindow[] = {
    { "FraRestore", "Option for create database", "创建新数据库选项", "創建新數據庫選項" },
    { "cmdPath", "...", "...", "..." },
    { "cmdReStore", "Restore new database", "创建数据库", "創建數據庫" },
    { "lblDBPath", "New database save path:", "新数据库存放路径：", "新數據庫存放路徑：" },
    { "lblDB3", "Restore to (Real file name):", "还原成(物理文件名)：", "還原成(物理文件名)：" },
    { "lblDB1", "database name:", "数据库名称：", "數據庫名稱：" },
    { "lblDB2", "Original file name (Logical name):", "原文件名(逻辑名)：", "原文件名(邏輯名)：" },
    { "FraSet", "Option for create database", "Sql Server 服务器选项", "Sql Server 服務器選項" },
    { "cmdExit", "Exit", "退出", "退出" },
    { "cmdCreateDB", "Next ...", "下一步", "下一步" },
    { "Label1", "Number of databases to create:", "待创建数据库个数：", "待創建數據庫個數：" },
    { "Label2", "Server:", "服务器：", "服務器：" },
    { "Label3", "User name:", "用户名：", "用戶名：" },
    { "Label4", "Password:", "密  码：", "密  碼：" },
    { "Label5", "Database:", "数据库：", "數據庫：" },
};

const ExpectedCaption kDialog[] = {
    { "", "Select the database backup file to restore", "选择待还原的数据库备份文件",
        "選擇待還原的數據庫備份文件" },
    { "cmdPath", "...", "...", "..." },
    { "CancelButton", "Cancel", "取消", "取消" },
    { "OKButton", "OK", "确定", "確定" },
    { "Label1", "File path:", "文件路径：", "文件路徑：" },
};

QString expectedFor(const ExpectedCaption &row, LanguageId language)
{
    switch (language) {
    case LanguageId::ChineseSimplified:
        return QString::fromUtf8(row.simplified);
    case LanguageId::ChineseTraditional:
        return QString::fromUtf8(row.traditional);
    default:
        return QString::fromUtf8(row.english);
    }
}

QWidget *controlNamed(QWidget *window, const char *name)
{
    if (!*name)
        return window;
    return window->findChild<QWidget *>(QString::fromLatin1(name));
}

// Widget classes of their own whose names mark them as xp-style controls.
class XPCmdButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};
class XPCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;
};
class XPRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;
};

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setUserInterfaceLanguageOverride(std::nullopt); }
    void windowsShowTheirUsersLanguage_data();
    void windowsShowTheirUsersLanguage();
    void mainWindowTitleIsNeverLocalised();
    void tagWithoutRowStopsCaptioningWithOneBox();
    void controlsWithoutNumericTagKeepTheirCaptions();
    void textBoxesAndListsAreNeverTouched();
    void xpStyleControlsGetTheirFaceWhateverTheTag();
    void typeNamesFollowTheControlKind();
};

void TestCaptions::windowsShowTheirUsersLanguage_data()
{
    QTest::addColumn<LanguageId>("language");
    QTest::newRow("US English") << LanguageId::EnglishUnitedStates;
    QTest::newRow("British English") << LanguageId::EnglishUnitedKingdom;
    QTest::newRow("Simplified Chinese") << LanguageId::ChineseSimplified;
    QTest::newRow("Traditional Chinese") << LanguageId::ChineseTraditional;
}

void TestCaptions::windowsShowTheirUsersLanguage()
{
    QFETCH(LanguageId, language);
    ScopedPrompts prompts;
    setUserInterfaceLanguageOverride(language);

    frmDBConnect main;
    for (const ExpectedCaption &row : kMainWindow) {
        QWidget *control = controlNamed(&main, row.control);
        QVERIFY2(control, row.control);
        QCOMPARE(captionOf(control), expectedFor(row, language));
    }
    Dialog dialog;
    for (const ExpectedCaption &row : kDialog) {
        QWidget *control = controlNamed(&dialog, row.control);
        QVERIFY2(control, row.control);
        QCOMPARE(captionOf(control), expectedFor(row, language));
    }
    QVERIFY(prompts->messages().isEmpty());
}

void TestCaptions::mainWindowTitleIsNeverLocalised()
{
    ScopedPrompts prompts;
    for (LanguageId language : { LanguageId::EnglishUnitedStates, LanguageId::ChineseTraditional }) {
        setUserInterfaceLanguageOverride(language);
        frmDBConnect main;
        QCOMPARE(main.windowTitle(), QStringLiteral("创建 Sql Server 数据库"));
    }
}

void TestCaptions::tagWithoutRowStopsCaptioningWithOneBox()
{
    ScopedPrompts prompts;
    setUserInterfaceLanguageOverride(LanguageId::EnglishUnitedStates);
    QWidget window;
    auto first = new QLabel(QStringLiteral("first"), &window);
    first->setProperty("Tag", QStringLiteral("1023"));
    auto broken = new QPushButton(QStringLiteral("broken"), &window);
    broken->setProperty("Tag", QStringLiteral("4242"));
    auto after = new QLabel(QStringLiteral("after"), &window);
    after->setProperty("Tag", QStringLiteral("1024"));

    SetFormCaptions(&window);

    QCOMPARE(first->text(), QStringLiteral("Server:"));
    QCOMPARE(broken->text(), QStringLiteral("broken"));
    QCOMPARE(after->text(), QStringLiteral("after"));
    QCOMPARE(prompts->messages().size(), 1);
    const MessageRequest box = prompts->messages().first();
    QCOMPARE(box.text, QStringLiteral("326:Resource with identifier '4242' not found"));
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::None);
}

void TestCaptions::controlsWithoutNumericTagKeepTheirCaptions()
{
    ScopedPrompts prompts;
    setUserInterfaceLanguageOverride(LanguageId::EnglishUnitedStates);
    QWidget window;
    window.setWindowTitle(QStringLiteral("designed title"));
    auto untagged = new QLabel(QStringLiteral("untagged"), &window);
    auto wordy = new QLabel(QStringLiteral("wordy"), &window);
    wordy->setProperty("Tag", QStringLiteral("abc"));
    auto frame = new QGroupBox(QStringLiteral("frame"), &window);
    auto inner = new QLabel(QStringLiteral("inner"), frame);
    inner->setProperty("Tag", QStringLiteral(" 1031 "));
    auto rounded = new QCheckBox(QStringLiteral("rounded"), &window);
    rounded->setProperty("Tag", QStringLiteral("1030.6"));

    SetFormCaptions(&window);

    QCOMPARE(window.windowTitle(), QStringLiteral("designed title"));
    QCOMPARE(untagged->text(), QStringLiteral("untagged"));
    QCOMPARE(wordy->text(), QStringLiteral("wordy"));
    QCOMPARE(frame->title(), QStringLiteral("frame"));
    QCOMPARE(inner->text(), QStringLiteral("Exit"));
    QCOMPARE(rounded->text(), QStringLiteral("Exit"));
    QVERIFY(prompts->messages().isEmpty());
}

void TestCaptions::textBoxesAndListsAreNeverTouched()
{
    ScopedPrompts prompts;
    QWidget window;
    auto edit = new QLineEdit(QStringLiteral("text"), &window);
    edit->setProperty("Tag", QStringLiteral("1031"));
    auto combo = new QComboBox(&window);
    combo->setProperty("Tag", QStringLiteral("99999"));

    SetFormCaptions(&window);

    QCOMPARE(edit->text(), QStringLiteral("text"));
    QVERIFY(!edit->property("Caption").isValid());
    QVERIFY(!combo->property("Caption").isValid());
    QVERIFY(prompts->messages().isEmpty());
}

void TestCaptions::xpStyleControlsGetTheirFaceWhateverTheTag()
{
    ScopedPrompts prompts;
    setUserInterfaceLanguageOverride(LanguageId::EnglishUnitedStates);
    QWidget window;
    auto button = new XPCmdButton(QStringLiteral("button"), &window);
    button->setProperty("Tag", QStringLiteral("1031"));
    auto check = new XPCheckBox(QStringLiteral("check"), &window);
    auto radio = new XPRadioButton(QStringLiteral("radio"), &window);
    auto plain = new QPushButton(QStringLiteral("plain"), &window);

    SetFormCaptions(&window);

    QCOMPARE(button->text(), QStringLiteral("Exit"));
    QCOMPARE(check->text(), QStringLiteral("check"));
    for (QWidget *xp : std::initializer_list<QWidget *> { button, check, radio })
        QCOMPARE(xp->font().family(), QStringLiteral("MS Sans Serif"));
    QVERIFY(plain->font().family() != QStringLiteral("MS Sans Serif"));
}

void TestCaptions::typeNamesFollowTheControlKind()
{
    QWidget window;
    QCOMPARE(controlTypeName(&window), QStringLiteral("form"));
    QCOMPARE(controlTypeName(new QGroupBox(&window)), QStringLiteral("frame"));
    QCOMPARE(controlTypeName(new QLabel(&window)), QStringLiteral("label"));
    QCOMPARE(controlTypeName(new QPushButton(&window)), QStringLiteral("commandbutton"));
    QCOMPARE(controlTypeName(new QRadioButton(&window)), QStringLiteral("optionbutton"));
    QCOMPARE(controlTypeName(new QCheckBox(&window)), QStringLiteral("checkbox"));
    QCOMPARE(controlTypeName(new XPCmdButton(&window)), QStringLiteral("xpcmdbutton"));
    QCOMPARE(controlTypeName(new XPRadioButton(&window)), QStringLiteral("xpradiobutton"));
    QCOMPARE(controlTypeName(new XPCheckBox(&window)), QStringLiteral("xpcheckbox"));
    QCOMPARE(controlTypeName(new QLineEdit(&window)), QStringLiteral("lineedit"));
}

QTEST_MAIN(TestCaptions)
#include "TestCaptions.moc"
