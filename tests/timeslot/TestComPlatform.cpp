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
    QTest::newRow("value outside a key") << "REGEDIT4\n\"A\"=\"b\"\n";
    QTest::newRow("bad dword") << "REGEDIT4\n[K]\n\"A\"=dword:xyz\n";
    QTest::newRow("unterminated text") << "REGEDIT4\n[K]\n\"A\"=\"b\n";
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
