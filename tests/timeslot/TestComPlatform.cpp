#include "ComSupport.h"
#include "FilePropertyBag.h"
#include "Registry.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace quilvet::com;

// The component runtime of platforms without one: registry file, variants, property bag.
class TestComPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void registryWritesRegedit4AndReadsItBack();
    void registryRefusesOtherFiles_data();
    void registryRefusesOtherFiles();
    void registrySkipsBadLinesAndKeepsTheRest_data();
    void registrySkipsBadLinesAndKeepsTheRest();
    void registryRefusesLineBreaksItCannotWrite_data();
    void registryRefusesLineBreaksItCannotWrite();
    void removingAKeyRemovesEverythingBelowIt();
    void variantsConvertAsThePlatformConverts_data();
    void variantsConvertAsThePlatformConverts();
    void textsSurviveTheirRoundTrip();
    void propertyBagKeepsTypedValuesInItsFile();
    void propertyBagAnswersMissingNamesWithInvalidArgument();
};

void TestComPlatform::registryWritesRegedit4AndReadsItBack()
{
    Registry registry(QStringLiteral("unused"));
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\A.B");
    registry.setValue(key, {}, RegistryValue::string(QStringLiteral("C:\\path \"quoted\"")));
    registry.setValue(key, QStringLiteral("Flags"), RegistryValue::dword(0x20191));
    QByteArray bytes;
    for (int i = 0; i < 60; ++i) {
        bytes.append(char(i * 7));
    }
    registry.setValue(key + QStringLiteral("\\Sub"), QStringLiteral("Image"), RegistryValue::binary(bytes));
    registry.createKey(key + QStringLiteral("\\Empty"));

    const QString text = registry.text();
    QVERIFY(text.startsWith(QStringLiteral("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Classes\\A.B]\n")));
    QVERIFY(text.contains(QStringLiteral("@=\"C:\\\\path \\\"quoted\\\"\"\n")));
    QVERIFY(text.contains(QStringLiteral("\"Flags\"=dword:00020191\n")));
    QVERIFY(text.contains(QStringLiteral("\\\n  ")));

    Registry reread(QStringLiteral("unused"));
    QVERIFY(reread.parse(text));
    QCOMPARE(reread.text(), text);
    QCOMPARE(reread.stringValue(key.toLower()), QStringLiteral("C:\\path \"quoted\""));
    QCOMPARE(reread.value(key, QStringLiteral("flags"))->number, 0x20191u);
    QCOMPARE(reread.value(key + QStringLiteral("\\Sub"), QStringLiteral("Image"))->bytes, bytes);
    QVERIFY(reread.hasKey(key + QStringLiteral("\\Empty")));
}

void TestComPlatform::registryRefusesOtherFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("other header") << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n";
    QTest::newRow("empty") << "";
}

void TestComPlatform::registryRefusesOtherFiles()
{
    QFETCH(QString, text);
    Registry registry(QStringLiteral("unused"));
    QString error;
    QVERIFY(!registry.parse(text, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(registry.keys().isEmpty());
}

// Each text holds one bad line (or a comment that must stay one) between two good keys.
void TestComPlatform::registrySkipsBadLinesAndKeepsTheRest_data()
{
    QTest::addColumn<QString>("middle");
    QTest::addColumn<int>("skipped");
    QTest::newRow("value outside a key") << "[K\n\"A\"=\"b\"\n" << 2;
    QTest::newRow("bad dword") << "\"A\"=dword:xyz\n" << 1;
    QTest::newRow("unterminated text") << "\"A\"=\"b\n" << 1;
    QTest::newRow("text broken by a raw line break") << "@=\"/opt/a\nb/libQuilvet.so\"\n" << 2;
    QTest::newRow("unknown value type") << "\"A\"=hex(2):41,00\n" << 1;
    QTest::newRow("hex list broken before a key") << "\"A\"=hex:01,02,\\\n" << 1;
    QTest::newRow("comment ending in a backslash") << "; C:\\Program Files\\\n" << 0;
}

void TestComPlatform::registrySkipsBadLinesAndKeepsTheRest()
{
    QFETCH(QString, middle);
    QFETCH(int, skipped);
    const QString text = QStringLiteral("REGEDIT4\n\n[First]\n\"Kept\"=dword:00000001\n") + middle
        + QStringLiteral("[Second]\n@=\"after\"\n");
    Registry registry(QStringLiteral("unused"));
    QVERIFY(registry.parse(text));
    QCOMPARE(registry.skippedLines().size(), skipped);
    QCOMPARE(registry.value(QStringLiteral("First"), QStringLiteral("Kept"))->number, 1u);
    QCOMPARE(registry.stringValue(QStringLiteral("Second")), QStringLiteral("after"));
}

void TestComPlatform::registryRefusesLineBreaksItCannotWrite_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("library path") << "K\\InprocServer32"
                                  << ""
                                  << "/opt/hall\n/libQuilvet.so";
    QTest::newRow("carriage return in a text") << "K"
                                               << "A"
                                               << "a\rb";
    QTest::newRow("value name") << "K"
                                << "A\nB"
                                << "b";
    QTest::newRow("key") << "K\nL"
                         << "A"
                         << "b";
    QTest::newRow("empty key") << ""
                               << "A"
                               << "b";
}

void TestComPlatform::registryRefusesLineBreaksItCannotWrite()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, text);
    Registry registry(QStringLiteral("unused"));
    QVERIFY(registry.setValue(QStringLiteral("Other"), {}, RegistryValue::string(QStringLiteral("x"))));
    QVERIFY(!registry.setValue(key, name, RegistryValue::string(text)));
    QCOMPARE(registry.keys(), QStringList({ "Other" }));

    // What was written reads back whole.
    Registry reread(QStringLiteral("unused"));
    QVERIFY(reread.parse(registry.text()));
    QVERIFY(reread.skippedLines().isEmpty());
    QCOMPARE(reread.text(), registry.text());
}

void TestComPlatform::removingAKeyRemovesEverythingBelowIt()
{
    Registry registry(QStringLiteral("unused"));
    registry.createKey(QStringLiteral("R\\A"));
    registry.createKey(QStringLiteral("R\\A\\B\\C"));
    registry.createKey(QStringLiteral("R\\AB"));
    registry.removeKey(QStringLiteral("r\\a"));
    QCOMPARE(registry.keys(), QStringList({ "R\\AB" }));
}

void TestComPlatform::variantsConvertAsThePlatformConverts_data()
{
    QTest::addColumn<QVariant>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("text to long") << QVariant(QStringLiteral(" 96 ")) << int(VT_I4) << int(S_OK)
                                  << QVariant(96);
    QTest::newRow("half to even") << QVariant(2.5) << int(VT_I4) << int(S_OK) << QVariant(2);
    QTest::newRow("word to long") << QVariant(QStringLiteral("abc")) << int(VT_I4) << int(DISP_E_TYPEMISMATCH)
                                  << QVariant();
    QTest::newRow("too big for short") << QVariant(40000) << int(VT_I2) << int(DISP_E_OVERFLOW) << QVariant();
    QTest::newRow("text too small to represent")
        << QVariant(QStringLiteral("1e-400")) << int(VT_I4) << int(S_OK) << QVariant(0);
    QTest::newRow("text too large to represent")
        << QVariant(QStringLiteral("-1e400")) << int(VT_I4) << int(DISP_E_OVERFLOW) << QVariant();
    QTest::newRow("word with an exponent")
        << QVariant(QStringLiteral("1e400x")) << int(VT_I4) << int(DISP_E_TYPEMISMATCH) << QVariant();
    QTest::newRow("not a number to long") << QVariant(std::numeric_limits<double>::quiet_NaN()) << int(VT_I4)
                                          << int(DISP_E_OVERFLOW) << QVariant();
    QTest::newRow("not a number to short") << QVariant(std::numeric_limits<double>::quiet_NaN()) << int(VT_I2)
                                           << int(DISP_E_OVERFLOW) << QVariant();
    QTest::newRow("infinity to long") << QVariant(std::numeric_limits<double>::infinity()) << int(VT_I4)
                                      << int(DISP_E_OVERFLOW) << QVariant();
    QTest::newRow("True to Boolean") << QVariant(QStringLiteral("True")) << int(VT_BOOL) << int(S_OK)
                                     << QVariant(true);
    QTest::newRow("Boolean to text") << QVariant(true) << int(VT_BSTR) << int(S_OK)
                                     << QVariant(QStringLiteral("True"));
    QTest::newRow("long to text") << QVariant(-5) << int(VT_BSTR) << int(S_OK)
                                  << QVariant(QStringLiteral("-5"));
}

void TestComPlatform::variantsConvertAsThePlatformConverts()
{
    QFETCH(QVariant, source);
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QVariant, expected);
    VARIANT from;
    fromQVariant(source, &from);
    VARIANT to;
    VariantInit(&to);
    QCOMPARE(VariantChangeType(&to, &from, 0, VARTYPE(type)), HRESULT(status));
    if (status == S_OK) {
        QCOMPARE(int(to.vt), type);
        QCOMPARE(toQVariant(to), expected);
    } else {
        QCOMPARE(int(to.vt), int(VT_EMPTY));
    }
    VariantClear(&from);
    VariantClear(&to);
}

void TestComPlatform::textsSurviveTheirRoundTrip()
{
    const QString text = QStringLiteral("时间段：00:00－23:59");
    BSTR bstr = toBstr(text);
    QCOMPARE(SysStringLen(bstr), UINT(text.size()));
    QCOMPARE(fromBstr(bstr), text);
    SysFreeString(bstr);
    QCOMPARE(fromBstr(nullptr), QString());
    const auto guid = guidFromText(QStringLiteral("{cb6a31ee-02c2-409a-9851-ded8ace8277f}"));
    QVERIFY(guid);
    QCOMPARE(guidText(*guid), QStringLiteral("{CB6A31EE-02C2-409A-9851-DED8ACE8277F}"));
    QVERIFY(!guidFromText(QStringLiteral("not a guid")));
}

void TestComPlatform::propertyBagKeepsTypedValuesInItsFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bag.json"));
    FilePropertyBag *bag = FilePropertyBag::create();
    bag->setValue(QStringLiteral("Enabled"), false);
    bag->setValue(QStringLiteral("Max"), 96);
    bag->setValue(QStringLiteral("PriceWeek1"), QStringLiteral("30"));
    QVERIFY(bag->save(path));
    bag->Release();

    FilePropertyBag *loaded = FilePropertyBag::create();
    QVERIFY(loaded->load(path));
    QCOMPARE(loaded->value(QStringLiteral("enabled")), QVariant(false));
    QCOMPARE(loaded->value(QStringLiteral("Max")), QVariant(96));
    QCOMPARE(loaded->value(QStringLiteral("PriceWeek1")), QVariant(QStringLiteral("30")));
    loaded->Release();

    QFile broken(folder.filePath(QStringLiteral("broken.json")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("[1, 2");
    broken.close();
    FilePropertyBag *refused = FilePropertyBag::create();
    QString error;
    QVERIFY(!refused->load(broken.fileName(), &error));
    QVERIFY(!error.isEmpty());
    refused->Release();
}

void TestComPlatform::propertyBagAnswersMissingNamesWithInvalidArgument()
{
    FilePropertyBag *bag = FilePropertyBag::create();
    bag->setValue(QStringLiteral("Max"), 96);
    VARIANT value;
    VariantInit(&value);
    QCOMPARE(bag->Read(reinterpret_cast<LPCOLESTR>(u"Value"), &value, nullptr), E_INVALIDARG);
    value.vt = VT_BSTR; // the caller asks for text
    QCOMPARE(bag->Read(reinterpret_cast<LPCOLESTR>(u"MAX"), &value, nullptr), S_OK);
    QCOMPARE(toQVariant(value), QVariant(QStringLiteral("96")));
    VariantClear(&value);
    bag->Release();
}

QTEST_GUILESS_MAIN(TestComPlatform)
#include "TestComPlatform.moc"
