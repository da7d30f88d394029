#include "ComSupport.h"
#include "ComTestSinks.h"
#include "DispatchCalls.h"
#include "FilePropertyBag.h"
#include "LibraryLocation.h"
#include "QuilvetExports.h"
#include "Registry.h"
#include "TimeSlider.h"
#include "TypeLibrary.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <quilvet/Component.h>
#include <quilvet/clsQuilvet.h>

#include <cfenv>
#include <cstring>
#include <limits>

using namespace quilvet::com;
using namespace quilvet;

namespace {

// A put's argument of any type, by value and by reference to that value.
struct PutArgument
{
    VARIANT value;
    DECIMAL decimal;
    VARIANT byReference;

    PutArgument(VARTYPE vt, const QVariant &payload)
    {
        VariantInit(&value);
        switch (vt) {
        case VT_I1:
            value.cVal = static_cast<char>(payload.toInt());
            break;
        case VT_UI1:
            value.bVal = static_cast<BYTE>(payload.toUInt());
            break;
        case VT_I2:
            value.iVal = static_cast<SHORT>(payload.toInt());
            break;
        case VT_UI2:
            value.uiVal = static_cast<USHORT>(payload.toUInt());
            break;
        case VT_I4:
        case VT_INT:
            value.lVal = payload.toInt();
            break;
        case VT_UI4:
        case VT_UINT:
            value.ulVal = payload.toUInt();
            break;
        case VT_I8:
        case VT_CY:
            value.llVal = payload.toLongLong();
            break;
        case VT_UI8:
            value.ullVal = payload.toULongLong();
            break;
        case VT_R4:
            value.fltVal = payload.toFloat();
            break;
        case VT_R8:
        case VT_DATE:
            value.dblVal = payload.toDouble();
            break;
        case VT_BOOL:
            value.boolVal = payload.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_BSTR:
            value.bstrVal = toBstr(payload.toString());
            break;
        case VT_DECIMAL: { // mantissa, scale, negative
            const QVariantList parts = payload.toList();
            decimal = { 0, static_cast<BYTE>(parts.at(1).toInt()),
                static_cast<BYTE>(parts.at(2).toBool() ? DECIMAL_NEG : 0), 0, parts.at(0).toULongLong() };
            std::memcpy(&value, &decimal, sizeof decimal);
            break;
        }
        }
        value.vt = vt;
        VariantInit(&byReference);
        byReference.vt = static_cast<VARTYPE>(vt | VT_BYREF);
        byReference.byref
            = vt == VT_DECIMAL ? static_cast<void *>(&decimal) : static_cast<void *>(&value.llVal);
    }
    ~PutArgument() { VariantClear(&value); }
    PutArgument(const PutArgument &) = delete;
    PutArgument &operator=(const PutArgument &) = delete;
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

} // namespace

class TestQuilvetComponent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void identifiersAreFixed();
    void helpStringsAreStoredInCodePage936();
    void bindingByIdAndByNameReachTheSameMembers_data();
    void bindingByIdAndByNameReachTheSameMembers();
    void invokeAnswersWithThePlatformsStatusCodes();
    void shouldConvertPutArgumentsAsThePlatformDoes_data();
    void shouldConvertPutArgumentsAsThePlatformDoes();
    void fractionalPutsRoundHalfToEvenInEveryRoundingMode_data();
    void fractionalPutsRoundHalfToEvenInEveryRoundingMode();
    void refusedSlotCountComesBackAsAnException();
    void eventsArriveByIdWithoutArguments();
    void changeNoticeReachesTheHostsSite();
    void propertiesSaveAndLoadThroughAPropertyBag();
    void valueAtTheEndSurvivesABagRoundTrip();
    void wrongTypeInTheBagStopsTheLoad();
    void factoryServesOnlyItsOwnClass();
    void registrationRoundTripLeavesTheRegistryAsItWas();
    void shouldRegisterTheLibraryByItsSoname_data();
    void shouldRegisterTheLibraryByItsSoname();

private:
    IDispatch *createControl();

    QTemporaryDir m_folder;
    ComPtr<IDispatch> m_control;
};

void TestQuilvetComponent::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qputenv("HALL_COMPONENT_REGISTRY", m_folder.filePath(QStringLiteral("registry")).toLocal8Bit());
}

IDispatch *TestQuilvetComponent::createControl()
{
    ComPtr<IClassFactory> factory;
    if (FAILED(DllGetClassObject(CLSID_clsQuilvet, IID_IClassFactory, factory.putVoid()))) {
        return nullptr;
    }
    IDispatch *object = nullptr;
    factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&object));
    return object;
}

void TestQuilvetComponent::init()
{
    *m_control.put() = createControl();
    QVERIFY(m_control);
}

void TestQuilvetComponent::cleanup()
{
    m_control.reset();
    QCOMPARE(DllCanUnloadNow(), S_OK);
}

void TestQuilvetComponent::identifiersAreFixed()
{
    QCOMPARE(guidText(LIBID_Quilvet), QStringLiteral("{20639D1E-C034-413E-AD14-2FA29A8E1837}"));
    QCOMPARE(guidText(CLSID_clsQuilvet), QStringLiteral("{CB6A31EE-02C2-409A-9851-DED8ACE8277F}"));
    QCOMPARE(guidText(IID__clsQuilvet), QStringLiteral("{AAF20BC1-2F22-4C7C-8C34-68D97D89F1AC}"));
    QCOMPARE(guidText(DIID___clsQuilvet), QStringLiteral("{AA5E60CA-7D8E-4CDD-B1F9-BC7A49794CBF}"));
}

void TestQuilvetComponent::helpStringsAreStoredInCodePage936()
{
    const auto *max = TypeLibrary::findProperty(QStringLiteral("Max"));
    QCOMPARE(TypeLibrary::codePage936(max->helpString).toHex(),
        QByteArray("b7b5bbd82fc9e8d6c3bfd8bcfeb5c4d7eeb4f3d6b5a1a3"));
    const QByteArray scroll = TypeLibrary::codePage936(Events[1].helpString);
    QVERIFY(scroll.startsWith("Slider scroll "));
    QCOMPARE(scroll.size(), 18);
    for (const auto &property : Properties) {
        QVERIFY2(!TypeLibrary::codePage936(property.helpString).isEmpty(), property.name);
    }
}

void TestQuilvetComponent::bindingByIdAndByNameReachTheSameMembers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("PriceWeek8") << "PriceWeek8" << 0x68030000 << QVariant(QStringLiteral("55"));
    QTest::newRow("Enabled") << "Enabled" << 0x68030013 << QVariant(false);
    QTest::newRow("Max in any case") << "max" << 0x68030009 << QVariant(96);
    QTest::newRow("SelLength") << "SelLength" << 0x68030008 << QVariant(7);
    QTest::newRow("TimeIndex") << "TimeIndex" << 0x6803000D << QVariant(QStringLiteral("4"));
}

void TestQuilvetComponent::bindingByIdAndByNameReachTheSameMembers()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QCOMPARE(idOf(m_control.get(), name), id);
    QCOMPARE(put(m_control.get(), id, value), S_OK);

    ComPtr<IQtControl> qt;
    QCOMPARE(m_control->QueryInterface(IID_IQtControl, qt.putVoid()), S_OK);
    QWidget *widget = nullptr;
    QCOMPARE(qt->GetWidget(&widget), S_OK);
    const auto *property = TypeLibrary::findProperty(name);
    QCOMPARE(widget->property(property->name), value);
    HRESULT hr = S_OK;
    QCOMPARE(get(m_control.get(), id, &hr), value);
    QCOMPARE(hr, S_OK);
}

void TestQuilvetComponent::invokeAnswersWithThePlatformsStatusCodes()
{
    HRESULT hr = S_OK;
    get(m_control.get(), 0x68030014, &hr);
    QCOMPARE(hr, DISP_E_MEMBERNOTFOUND);
    QCOMPARE(idOf(m_control.get(), QStringLiteral("Change")), DISPID_UNKNOWN);

    UINT argumentError = 99;
    QCOMPARE(put(m_control.get(), 0x68030012, QStringLiteral("abc"), nullptr, &argumentError),
        DISP_E_TYPEMISMATCH);
    QCOMPARE(argumentError, 0u);
    QCOMPARE(get(m_control.get(), 0x68030012).toInt(), 48);

    // Values convert to the property's type as the platform converts them.
    QCOMPARE(put(m_control.get(), 0x68030012, QStringLiteral(" 30 ")), S_OK);
    QCOMPARE(get(m_control.get(), 0x68030012).toInt(), 30);
    QCOMPARE(put(m_control.get(), 0x68030007, 25), S_OK);
    QCOMPARE(get(m_control.get(), 0x68030000), QVariant(QStringLiteral("25")));
}

void TestQuilvetComponent::shouldConvertPutArgumentsAsThePlatformDoes_data()
{
    QTest::addColumn<int>("vt");
    QTest::addColumn<QVariant>("payload");
    QTest::addColumn<bool>("byReference");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<HRESULT>("status");

    constexpr int Value = 0x68030012, ToolTipText = 0x68030011, SelectRange = 0x6803000A;
    const auto decimal = [](qulonglong mantissa, int scale, bool negative) {
        return QVariant(QVariantList { mantissa, scale, negative });
    };
    const auto rows = [](const char *name, int vt, const QVariant &payload, int id, const QVariant &expected,
                          HRESULT status = S_OK) {
        for (const bool reference : { false, true }) {
            QTest::addRow("%s%s", reference ? "by reference, " : "", name)
                << vt << payload << reference << id << expected << status;
        }
    };
    rows("I1 to Value", VT_I1, 100, Value, 100);
    rows("UI1 to Value", VT_UI1, 200, Value, 200);
    rows("I2 to Value", VT_I2, 300, Value, 300);
    rows("UI2 to Value", VT_UI2, 400, Value, 400);
    rows("I4 to Value", VT_I4, 500, Value, 500);
    rows("UI4 to Value", VT_UI4, 600, Value, 600);
    rows("I8 to Value", VT_I8, 700, Value, 700);
    rows("UI8 to Value", VT_UI8, 800, Value, 800);
    rows("INT to Value", VT_INT, 900, Value, 900);
    rows("UINT to Value", VT_UINT, 1000, Value, 1000);
    rows("R4 2.5 to Value, half to even", VT_R4, 2.5, Value, 2);
    rows("R8 3.5 to Value, half to even", VT_R8, 3.5, Value, 4);
    rows("DATE 10.5 to Value", VT_DATE, 10.5, Value, 10);
    rows("CY 2.5 to Value, half to even", VT_CY, 25000, Value, 2);
    rows("CY 3.5001 to Value", VT_CY, 35001, Value, 4);
    rows("DECIMAL 12.5 to Value, half to even", VT_DECIMAL, decimal(125, 1, false), Value, 12);
    rows("DECIMAL 13.5 to Value", VT_DECIMAL, decimal(135, 1, false), Value, 14);
    rows("BSTR to Value", VT_BSTR, QStringLiteral("42"), Value, 42);
    rows("BOOL True to text", VT_BOOL, true, ToolTipText, QStringLiteral("True"));
    rows("BOOL False to text", VT_BOOL, false, ToolTipText, QStringLiteral("False"));
    rows("I1 to text", VT_I1, -5, ToolTipText, QStringLiteral("-5"));
    rows("I8 to text", VT_I8, Q_INT64_C(-9000000000), ToolTipText, QStringLiteral("-9000000000"));
    rows("UI8 to text", VT_UI8, std::numeric_limits<qulonglong>::max(), ToolTipText,
        QStringLiteral("18446744073709551615"));
    rows("R4 to text", VT_R4, 2.5, ToolTipText, QStringLiteral("2.5"));
    rows("CY to text", VT_CY, 123400, ToolTipText, QStringLiteral("12.34"));
    rows("DECIMAL to text", VT_DECIMAL, decimal(125, 3, true), ToolTipText, QStringLiteral("-0.125"));
    rows("DATE to text", VT_DATE, 45000.5, ToolTipText, QStringLiteral("3/15/2023 12:00:00 PM"));
    rows("DATE of day 0 to text", VT_DATE, 0.25, ToolTipText, QStringLiteral("6:00:00 AM"));
    rows("DATE at midnight to text", VT_DATE, 2.0, ToolTipText, QStringLiteral("1/1/1900"));
    rows("I8 0 to SelectRange", VT_I8, 0, SelectRange, false);
    rows("UI1 0 to SelectRange", VT_UI1, 0, SelectRange, false);
    rows("R4 0 to SelectRange", VT_R4, 0.0, SelectRange, false);
    rows("CY 0 to SelectRange", VT_CY, 0, SelectRange, false);
    rows("DECIMAL 0 to SelectRange", VT_DECIMAL, decimal(0, 2, false), SelectRange, false);
    rows("BSTR False to SelectRange", VT_BSTR, QStringLiteral("False"), SelectRange, false);
    rows("I8 2^31 to Value", VT_I8, Q_INT64_C(2147483648), Value, {}, DISP_E_OVERFLOW);
    rows("UI4 2^31 to Value", VT_UI4, 2147483648u, Value, {}, DISP_E_OVERFLOW);
    rows("UI8 beyond 2^63 to Value", VT_UI8, std::numeric_limits<qulonglong>::max(), Value, {},
        DISP_E_OVERFLOW);
    rows("R8 3e9 to Value", VT_R8, 3e9, Value, {}, DISP_E_OVERFLOW);
    rows("CY 2^31 to Value", VT_CY, Q_INT64_C(21474836480000), Value, {}, DISP_E_OVERFLOW);
    rows("DECIMAL -2^40 to Value", VT_DECIMAL, decimal(Q_UINT64_C(1099511627776), 0, true), Value, {},
        DISP_E_OVERFLOW);
    rows("BSTR beyond a double to Value", VT_BSTR, QStringLiteral("1e999"), Value, {}, DISP_E_OVERFLOW);
    rows("BSTR no number to Value", VT_BSTR, QStringLiteral("ten"), Value, {}, DISP_E_TYPEMISMATCH);
    rows("BSTR no Boolean to SelectRange", VT_BSTR, QStringLiteral("yes"), SelectRange, {},
        DISP_E_TYPEMISMATCH);
}

void TestQuilvetComponent::shouldConvertPutArgumentsAsThePlatformDoes()
{
    QFETCH(int, vt);
    QFETCH(QVariant, payload);
    QFETCH(bool, byReference);
    QFETCH(int, id);
    QFETCH(QVariant, expected);
    QFETCH(HRESULT, status);
    QCOMPARE(put(m_control.get(), 0x68030009, 1440), S_OK);
    const QVariant before = get(m_control.get(), id);

    PutArgument argument(static_cast<VARTYPE>(vt), payload);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params { byReference ? &argument.byReference : &argument.value, &named, 1, 1 };
    UINT argumentError = 99;
    QCOMPARE(m_control->Invoke(
                 id, IID_NULL, 0x0409, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, &argumentError),
        status);
    if (SUCCEEDED(status)) {
        QCOMPARE(get(m_control.get(), id), expected);
    } else {
        QCOMPARE(argumentError, 0u);
        QCOMPARE(get(m_control.get(), id), before);
    }
}

void TestQuilvetComponent::fractionalPutsRoundHalfToEvenInEveryRoundingMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<int>("expected");
    const std::pair<const char *, int> modes[] = { { "upward", FE_UPWARD }, { "downward", FE_DOWNWARD } };
    for (const auto &[modeName, mode] : modes) {
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", modeName, name) << mode;
        };
        row("Value 2.4") << 0x68030012 << QVariant(2.4) << 2;
        row("Value 2.6") << 0x68030012 << QVariant(2.6) << 3;
        row("Value 2.5") << 0x68030012 << QVariant(2.5) << 2;
        row("Value 3.5") << 0x68030012 << QVariant(3.5) << 4;
        row("SelStart -2.5") << 0x68030010 << QVariant(-2.5) << -2;
        row("SelLength as text 20.5") << 0x68030008 << QVariant(QStringLiteral("20.5")) << 20;
        row("Max 96.4") << 0x68030009 << QVariant(96.4) << 96;
        row("Max 71.6") << 0x68030009 << QVariant(71.6) << 72;
    }
}

void TestQuilvetComponent::fractionalPutsRoundHalfToEvenInEveryRoundingMode()
{
    // A host may leave its floating-point environment in another rounding mode.
    QFETCH(int, mode);
    QFETCH(int, id);
    QFETCH(QVariant, argument);
    QFETCH(int, expected);
    const int previous = std::fegetround();
    QCOMPARE(std::fesetround(mode), 0);
    const HRESULT hr = put(m_control.get(), id, argument);
    std::fesetround(previous);
    QCOMPARE(hr, S_OK);
    QCOMPARE(get(m_control.get(), id).toInt(), expected);
}

void TestQuilvetComponent::refusedSlotCountComesBackAsAnException()
{
    EXCEPINFO exception;
    QCOMPARE(put(m_control.get(), 0x68030009, 100, &exception), DISP_E_EXCEPTION);
    QCOMPARE(quint32(exception.scode), 0x800A0385u);
    QCOMPARE(fromBstr(exception.bstrSource), QStringLiteral("Quilvet"));
    QVERIFY(fromBstr(exception.bstrDescription).startsWith(QStringLiteral("Max\u3000必需是24的整数倍")));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    QCOMPARE(get(m_control.get(), 0x68030009).toInt(), 48);
}

void TestQuilvetComponent::eventsArriveByIdWithoutArguments()
{
    ComPtr<IConnectionPointContainer> container;
    QCOMPARE(m_control->QueryInterface(IID_IConnectionPointContainer, container.putVoid()), S_OK);
    ComPtr<IConnectionPoint> point;
    QCOMPARE(container->FindConnectionPoint(DIID___clsQuilvet, point.put()), S_OK);
    RecordingSink sink(DIID___clsQuilvet);
    DWORD cookie = 0;
    QCOMPARE(point->Advise(static_cast<IDispatch *>(&sink), &cookie), S_OK);

    ComPtr<IQtControl> qt;
    m_control->QueryInterface(IID_IQtControl, qt.putVoid());
    QWidget *widget = nullptr;
    qt->GetWidget(&widget);
    auto *slider = widget->findChild<TimeSlider *>(QStringLiteral("Slider_Time"));
    QTest::keyClick(slider, Qt::Key_Left);
    Q_EMIT slider->scrolled();

    QCOMPARE(sink.events.size(), 2);
    QCOMPARE(sink.events.at(0).id, 1);
    QCOMPARE(sink.events.at(0).arguments, 0u);
    QCOMPARE(sink.events.at(1).id, 2);
    QCOMPARE(get(m_control.get(), 0x6803000B), QVariant(QStringLiteral("23:30")));

    QCOMPARE(point->Unadvise(cookie), S_OK);
    QCOMPARE(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    QTest::keyClick(slider, Qt::Key_Left);
    QCOMPARE(sink.events.size(), 2);
    QCOMPARE(sink.references, 1u);
}

void TestQuilvetComponent::changeNoticeReachesTheHostsSite()
{
    ComPtr<IConnectionPointContainer> container;
    m_control->QueryInterface(IID_IConnectionPointContainer, container.putVoid());
    ComPtr<IConnectionPoint> point;
    QCOMPARE(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()), S_OK);
    RecordingSink sink(DIID___clsQuilvet);
    DWORD cookie = 0;
    QCOMPARE(point->Advise(static_cast<IPropertyNotifySink *>(&sink), &cookie), S_OK);

    put(m_control.get(), 0x68030007, QStringLiteral("30"));
    put(m_control.get(), 0x68030009, 100); // refused: no notice
    put(m_control.get(), 0x68030009, 96);
    QCOMPARE(sink.changes, QList<DISPID>({ 0x68030007, 0x68030009 }));
    point->Unadvise(cookie);
}

void TestQuilvetComponent::propertiesSaveAndLoadThroughAPropertyBag()
{
    put(m_control.get(), 0x68030009, 96);
    put(m_control.get(), 0x68030010, 20);
    put(m_control.get(), 0x68030012, 70);
    put(m_control.get(), 0x68030007, QStringLiteral("30"));
    put(m_control.get(), 0x68030002, QStringLiteral("45"));
    put(m_control.get(), 0x6803000A, false);

    ComPtr<IPersistPropertyBag> persist;
    QCOMPARE(m_control->QueryInterface(IID_IPersistPropertyBag, persist.putVoid()), S_OK);
    CLSID clsid {};
    QCOMPARE(persist->GetClassID(&clsid), S_OK);
    QVERIFY(IsEqualGUID(clsid, CLSID_clsQuilvet));
    FilePropertyBag *bag = FilePropertyBag::create();
    QCOMPARE(persist->Save(bag, 1, 0), S_OK);
    const QString path = m_folder.filePath(QStringLiteral("control.json"));
    QVERIFY(bag->save(path));
    bag->Release();

    ComPtr<IDispatch> restored;
    *restored.put() = createControl();
    ComPtr<IPersistPropertyBag> restoredPersist;
    restored->QueryInterface(IID_IPersistPropertyBag, restoredPersist.putVoid());
    FilePropertyBag *loaded = FilePropertyBag::create();
    QVERIFY(loaded->load(path));
    QCOMPARE(restoredPersist->Load(loaded, nullptr), S_OK);
    loaded->Release();

    for (const auto &property : Properties) {
        QVERIFY2(get(restored.get(), property.dispatchId) == get(m_control.get(), property.dispatchId),
            property.name);
    }
    QCOMPARE(get(restored.get(), 0x68030012).toInt(), 70);
    QCOMPARE(get(restored.get(), 0x68030002), QVariant(QStringLiteral("45")));
}

void TestQuilvetComponent::valueAtTheEndSurvivesABagRoundTrip()
{
    put(m_control.get(), 0x68030009, 96);
    put(m_control.get(), 0x68030012, 96);
    ComPtr<IPersistPropertyBag> persist;
    m_control->QueryInterface(IID_IPersistPropertyBag, persist.putVoid());
    FilePropertyBag *bag = FilePropertyBag::create();
    QCOMPARE(persist->Save(bag, 1, 0), S_OK);
    QVERIFY(!bag->contains(QStringLiteral("Value")));

    ComPtr<IDispatch> restored;
    *restored.put() = createControl();
    ComPtr<IPersistPropertyBag> restoredPersist;
    restored->QueryInterface(IID_IPersistPropertyBag, restoredPersist.putVoid());
    QCOMPARE(restoredPersist->Load(bag, nullptr), S_OK);
    bag->Release();
    QCOMPARE(get(restored.get(), 0x68030009).toInt(), 96);
    QCOMPARE(get(restored.get(), 0x68030012).toInt(), 96);
}

void TestQuilvetComponent::wrongTypeInTheBagStopsTheLoad()
{
    FilePropertyBag *bag = FilePropertyBag::create();
    bag->setValue(QStringLiteral("TimeIndex"), QStringLiteral("7"));
    bag->setValue(QStringLiteral("Max"), QStringLiteral("abc"));
    bag->setValue(QStringLiteral("SelLength"), 3);
    ComPtr<IPersistPropertyBag> persist;
    m_control->QueryInterface(IID_IPersistPropertyBag, persist.putVoid());
    QCOMPARE(quint32(persist->Load(bag, nullptr)), 0x800A000Du);
    bag->Release();
    QCOMPARE(get(m_control.get(), 0x6803000D), QVariant(QStringLiteral("7")));
    QCOMPARE(get(m_control.get(), 0x68030009).toInt(), 48);
    QCOMPARE(get(m_control.get(), 0x68030008).toInt(), 48);
}

void TestQuilvetComponent::factoryServesOnlyItsOwnClass()
{
    m_control.reset();
    void *object = reinterpret_cast<void *>(1);
    QCOMPARE(DllGetClassObject(IID__clsQuilvet, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    QCOMPARE(object, nullptr);

    QCOMPARE(DllCanUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory;
    QCOMPARE(DllGetClassObject(CLSID_clsQuilvet, IID_IClassFactory, factory.putVoid()), S_OK);
    QCOMPARE(DllCanUnloadNow(), S_FALSE);
    ComPtr<IUnknown> outer;
    *outer.put() = createControl();
    IUnknown *aggregated = nullptr;
    QCOMPARE(factory->CreateInstance(outer.get(), IID_IUnknown, reinterpret_cast<void **>(&aggregated)),
        CLASS_E_NOAGGREGATION);
    outer.reset();

    QCOMPARE(factory->LockServer(1), S_OK);
    factory.reset();
    QCOMPARE(DllCanUnloadNow(), S_FALSE);
    ComPtr<IClassFactory> again;
    DllGetClassObject(CLSID_clsQuilvet, IID_IClassFactory, again.putVoid());
    QCOMPARE(again->LockServer(0), S_OK);
    again.reset();
    QCOMPARE(DllCanUnloadNow(), S_OK);
    *m_control.put() = createControl();
}

void TestQuilvetComponent::registrationRoundTripLeavesTheRegistryAsItWas()
{
    m_control.reset();
    const QString path = Registry::filePath();
    {
        Registry foreign;
        foreign.setValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\Other.Thing\\CLSID"), {},
            RegistryValue::string(QStringLiteral("{00000000-0000-0000-0000-000000000001}")));
        QVERIFY(foreign.save());
    }
    const QByteArray before = fileBytes(path);

    QCOMPARE(DllRegisterServer(), S_OK);
    const QByteArray registered = fileBytes(path);
    QVERIFY(registered.startsWith("REGEDIT4\n"));
    QCOMPARE(DllRegisterServer(), S_OK);
    QCOMPARE(fileBytes(path), registered);

    Registry registry;
    QVERIFY(registry.load());
    const QString root = QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\");
    const QString cls = root + QStringLiteral("CLSID\\{CB6A31EE-02C2-409A-9851-DED8ACE8277F}");
    QCOMPARE(registry.stringValue(cls + QStringLiteral("\\MiscStatus\\1")), QStringLiteral("131473"));
    QVERIFY(registry.hasKey(cls + QStringLiteral("\\Control")));
    QCOMPARE(registry.stringValue(cls + QStringLiteral("\\VERSION")), QStringLiteral("13.0"));
    const QString library = registry.stringValue(cls + QStringLiteral("\\InprocServer32"));
    QVERIFY2(QFile::exists(library), qPrintable(library));
    QCOMPARE(
        registry.stringValue(cls + QStringLiteral("\\ToolboxBitmap32")), library + QStringLiteral(", 30000"));
    const QByteArray bitmap
        = registry.value(cls + QStringLiteral("\\ToolboxBitmap32"), QStringLiteral("30000"))->bytes;
    const QImage image = QImage::fromData(bitmap, "BMP");
    QCOMPARE(image.size(), QSize(16, 15));
    QCOMPARE(int(quint8(bitmap.at(28))), 4); // bits per pixel
    const QString block = cls + QStringLiteral("\\VersionInfo\\080404B0");
    QCOMPARE(registry.stringValue(block, QStringLiteral("ProductName")), QStringLiteral("Quilvet"));
    QCOMPARE(registry.stringValue(block, QStringLiteral("InternalName")), QStringLiteral("Quilvet"));
    QCOMPARE(registry.stringValue(block, QStringLiteral("OriginalFilename")), QStringLiteral("Quilvet.ocx"));
    QCOMPARE(registry.stringValue(block, QStringLiteral("FileVersion")), QStringLiteral("1.00"));
    QCOMPARE(registry.stringValue(block, QStringLiteral("ProductVersion")), QStringLiteral("1.00"));
    QCOMPARE(registry.stringValue(cls + QStringLiteral("\\VersionInfo"), QStringLiteral("FileVersion")),
        QStringLiteral("1.0.0.0"));
    const QString typeLib = root + QStringLiteral("TypeLib\\{20639D1E-C034-413E-AD14-2FA29A8E1837}\\13.0");
    QCOMPARE(registry.stringValue(typeLib), QStringLiteral("Quilvet"));
    QCOMPARE(registry.stringValue(typeLib + QStringLiteral("\\0\\linux")), library);
    QCOMPARE(registry.stringValue(typeLib + QStringLiteral("\\FLAGS")), QStringLiteral("2"));

    // Created by class id, through the registry and the library's entry points.
    CLSID clsid {};
    QCOMPARE(classIdFromProgId(QStringLiteral("Quilvet.clsQuilvet"), &clsid), S_OK);
    QVERIFY(IsEqualGUID(clsid, CLSID_clsQuilvet));
    ComPtr<IDispatch> created;
    QCOMPARE(createInstance(clsid, nullptr, IID_IDispatch, created.putVoid()), S_OK);
    QCOMPARE(get(created.get(), 0x68030009).toInt(), 48);
    QCOMPARE(DllCanUnloadNow(), S_FALSE);
    created.reset();
    QCOMPARE(DllCanUnloadNow(), S_OK);

    QCOMPARE(DllUnregisterServer(), S_OK);
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(createInstance(clsid, nullptr, IID_IDispatch, created.putVoid()), REGDB_E_CLASSNOTREG);

    QVERIFY(QFile::remove(path));
    QCOMPARE(DllRegisterServer(), S_OK);
    QCOMPARE(DllUnregisterServer(), S_OK);
    QVERIFY(!QFile::exists(path));
    *m_control.put() = createControl();
}

void TestQuilvetComponent::shouldRegisterTheLibraryByItsSoname_data()
{
    QTest::addColumn<QString>("loaded"); // below the folder lib/
    QTest::addColumn<bool>("searched"); // lib/ is one of the loader's folders
    QTest::addColumn<QString>("expected"); // "lib/" stands for the folder's path

    QTest::newRow("versioned file in a loader's folder")
        << "libQuilvet.so.1.0.0" << true << "libQuilvet.so.1";
    QTest::newRow("SONAME link in a loader's folder") << "libQuilvet.so.1" << true << "libQuilvet.so.1";
    QTest::newRow("versioned file elsewhere") << "libQuilvet.so.1.0.0" << false << "lib/libQuilvet.so.1";
    QTest::newRow("development link elsewhere") << "libQuilvet.so" << false << "lib/libQuilvet.so.1";
    QTest::newRow("a copy no SONAME link leads to")
        << "copy/libQuilvet.so.1.0.0" << true << "lib/copy/libQuilvet.so.1.0.0";
}

void TestQuilvetComponent::shouldRegisterTheLibraryByItsSoname()
{
    QFETCH(QString, loaded);
    QFETCH(bool, searched);
    QFETCH(QString, expected);
    const QString lib = m_folder.filePath(QStringLiteral("lib/"));
    QDir().mkpath(lib + QStringLiteral("copy"));
    for (const QString &file :
        { QStringLiteral("libQuilvet.so.1.0.0"), QStringLiteral("copy/libQuilvet.so.1.0.0") }) {
        QFile created(lib + file);
        QVERIFY(created.open(QIODevice::WriteOnly));
    }
    QFile::link(QStringLiteral("libQuilvet.so.1.0.0"), lib + QStringLiteral("libQuilvet.so.1"));
    QFile::link(QStringLiteral("libQuilvet.so.1"), lib + QStringLiteral("libQuilvet.so"));
    const QStringList folders { QStringLiteral("/usr/lib"), searched ? lib : QStringLiteral("/lib") };
    QCOMPARE(LibraryLocation::serverPath(lib + loaded, QStringLiteral("libQuilvet.so.1"), folders),
        expected.replace(QStringLiteral("lib/"), lib));
}

QTEST_MAIN(TestQuilvetComponent)
#include "TestQuilvetComponent.moc"
