#include "MessageTable.h"
#include "ProvisioningFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

// Paths holding characters that the server's code page lacks reach the server
// unchanged, so the database lands in the folder the user chose.
class TestUnicodePaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void databaseIsCreatedInAFolderBeyondTheServerCodePage();
};

void TestUnicodePaths::databaseIsCreatedInAFolderBeyondTheServerCodePage()
{
    // The stand-in converts plain literals through code page 1252, as a server
    // with that code page does: "数据" would arrive as "??".
    ProvisioningFixture f({ QStringLiteral("--code-page"), QStringLiteral("1252") });
    REQUIRE_FIXTURE(f);
    const QString folder = f.root() + QStringLiteral("/数据 Ä");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(folder);
    f.pressRestore();

    QCOMPARE(f.prompts().messageTexts(), QStringList { GetMessageText(10042) });
    QVERIFY(QFile::exists(folder + QStringLiteral("/rivazadUZ.mdf")));
    QVERIFY(QFile::exists(folder + QStringLiteral("/rivazadUZ_Log.ldf")));
    QVERIFY(f.server().statements().last().contains(
        QStringLiteral("TO N'") + folder + QStringLiteral("/rivazadUZ.mdf'")));
}

QTEST_MAIN(TestUnicodePaths)
#include "TestUnicodePaths.moc"
