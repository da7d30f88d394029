#include "ProvisioningFixture.h"

#include <QDir>
#include <QTest>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

// What the user is told when the server refuses a statement of the run.
class TestServerRefusals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptiedNameIsRefusedByTheServerInTheFailureBox();
};

void TestServerRefusals::emptiedNameIsRefusedByTheServerInTheFailureBox()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.field("txtDBName")->clear();
    f.pressRestore();

    // The server's own refusal reaches the user in the failure box, not a success message.
    QCOMPARE(f.prompts().messages().size(), 1);
    const MessageRequest box = f.prompts().messages().first();
    QCOMPARE(box.title, programTitle());
    QVERIFY2(box.text.startsWith(QStringLiteral(
                 "An object or column name is missing or empty. For SELECT INTO statements, verify each "
                 "column has a name. For other statements, look for empty alias names. Aliases defined as "
                 "\"\" or [] are not allowed. Change the alias to a valid name.")),
        qPrintable(box.text));
    QVERIFY(!box.text.contains(QStringLiteral("[FreeTDS]")));
    QVERIFY(f.server().statements().last().startsWith(QStringLiteral(" RESTORE DATABASE  [] From ")));
    QVERIFY(QDir(f.dataFolder()).entryList(QDir::Files).isEmpty());
    QVERIFY(f.onRestorePage());
}

QTEST_MAIN(TestServerRefusals)
#include "TestServerRefusals.moc"
