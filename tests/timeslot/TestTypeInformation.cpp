#include "ComTestSinks.h"
#include "DispatchCalls.h"
#include "PropertyTable.h"
#include "QuilvetExports.h"

#include <QTemporaryDir>
#include <QTest>
#include <quilvet/Component.h>

using namespace quilvet;
using namespace quilvet::com;

// What a host learns of clsQuilvet without any table of its own: the type
// information, the class information and connection points it enumerates, and
// the dual interface's table of functions.
class TestTypeInformation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void interfaceTypeListsEachPropertyAsAGetThenAPut();
    void membersAreFoundByNameAndDocumentedWithTheirHelpStrings();
    void typeInformationInvokesOnTheObject();
    void typeLibraryDescribesTheLibraryAndItsThreeTypes();
    void registrationLeadsToTheLibrarysTypeLibrary();
    void classInformationNamesTheDefaultInterfaceAndEventSource();
    void connectionPointsAndConnectionsCanBeEnumerated();
    void functionTableAgreesWithInvokeForEveryProperty();
    void functionTableReturnsTheRefusalOfMax();
    void shouldDescribeTheFunctionTableAndTheIDispatchBase();
    void shouldBindNamesThroughTheTypeComp_data();
    void shouldBindNamesThroughTheTypeComp();

private:
    ComPtr<ITypeInfo> interfaceType();

    ComPtr<IDispatch> m_control;
};

namespace {

VARTYPE varTypeOf(PropertyType type)
{
    return type == PropertyType::Boolean ? VT_BOOL : type == PropertyType::Int32 ? VT_I4 : VT_BSTR;
}

QString takeText(BSTR text)
{
    const QString result = fromBstr(text);
    SysFreeString(text);
    return result;
}

// The function of the dual interface's table at slot (0-based, after IDispatch's seven).
template<typename Function> Function functionAt(_clsQuilvet *dual, std::size_t slot)
{
    void *const *table = *reinterpret_cast<void *const *const *>(dual);
    return reinterpret_cast<Function>(table[7 + slot]);
}

} // namespace

void TestTypeInformation::init()
{
    ComPtr<IClassFactory> factory;
    QCOMPARE(DllGetClassObject(CLSID_clsQuilvet, IID_IClassFactory, factory.putVoid()), S_OK);
    QCOMPARE(factory->CreateInstance(nullptr, IID_IDispatch, m_control.putVoid()), S_OK);
}

void TestTypeInformation::cleanup()
{
    m_control.reset();
    QCOMPARE(DllCanUnloadNow(), S_OK);
}

ComPtr<ITypeInfo> TestTypeInformation::interfaceType()
{
    ComPtr<ITypeInfo> type;
    m_control->GetTypeInfo(0, 0x0409, type.put());
    return type;
}

void TestTypeInformation::interfaceTypeListsEachPropertyAsAGetThenAPut()
{
    UINT count = 0;
    QCOMPARE(m_control->GetTypeInfoCount(&count), S_OK);
    QCOMPARE(count, 1u);
    ComPtr<ITypeInfo> type = interfaceType();
    QVERIFY(type);

    TYPEATTR *attributes = nullptr;
    QCOMPARE(type->GetTypeAttr(&attributes), S_OK);
    QVERIFY(IsEqualGUID(attributes->guid, IID__clsQuilvet));
    QCOMPARE(attributes->typekind, TKIND_DISPATCH);
    QCOMPARE(attributes->cFuncs, WORD(40));
    const WORD required = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
    QCOMPARE(attributes->wTypeFlags & required, required);
    QCOMPARE(attributes->wMajorVerNum, WORD(13));
    type->ReleaseTypeAttr(attributes);

    for (UINT i = 0; i < 40; ++i) {
        const PropertyInfo &property = Properties[i / 2];
        FUNCDESC *function = nullptr;
        QCOMPARE(type->GetFuncDesc(i, &function), S_OK);
        QCOMPARE(function->memid, property.dispatchId);
        if (i % 2 == 0) {
            QCOMPARE(function->invkind, INVOKE_PROPERTYGET);
            QCOMPARE(function->cParams, SHORT(0));
            QCOMPARE(function->elemdescFunc.tdesc.vt, varTypeOf(property.type));
        } else {
            QCOMPARE(function->invkind, INVOKE_PROPERTYPUT);
            QCOMPARE(function->cParams, SHORT(1));
            QCOMPARE(function->lprgelemdescParam[0].tdesc.vt, varTypeOf(property.type));
            QCOMPARE(function->elemdescFunc.tdesc.vt, VARTYPE(VT_VOID));
        }
        type->ReleaseFuncDesc(function);
    }
    FUNCDESC *beyond = nullptr;
    QCOMPARE(type->GetFuncDesc(40, &beyond), TYPE_E_ELEMENTNOTFOUND);
}

void TestTypeInformation::membersAreFoundByNameAndDocumentedWithTheirHelpStrings()
{
    ComPtr<ITypeInfo> type = interfaceType();
    for (const PropertyInfo &property : Properties) {
        // Names compare without regard to case.
        const QString lower = QString::fromLatin1(property.name).toLower();
        auto *text = const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(lower.utf16()));
        MEMBERID id = 0;
        QCOMPARE(type->GetIDsOfNames(&text, 1, &id), S_OK);
        QCOMPARE(id, property.dispatchId);
        QCOMPARE(idOf(m_control.get(), lower), property.dispatchId);

        BSTR name = nullptr;
        BSTR help = nullptr;
        QCOMPARE(type->GetDocumentation(property.dispatchId, &name, &help, nullptr, nullptr), S_OK);
        QCOMPARE(takeText(name), QString::fromLatin1(property.name));
        QCOMPARE(takeText(help), QString::fromUtf16(property.helpString));
    }
    OLECHAR unknown[] = u"Change";
    LPOLESTR names[] = { unknown };
    MEMBERID id = 0;
    QCOMPARE(type->GetIDsOfNames(names, 1, &id), DISP_E_UNKNOWNNAME);
    QCOMPARE(id, MEMBERID_NIL);
}

void TestTypeInformation::typeInformationInvokesOnTheObject()
{
    ComPtr<ITypeInfo> type = interfaceType();
    DISPPARAMS none { nullptr, nullptr, 0, 0 };
    VARIANT result;
    VariantInit(&result);
    const MEMBERID max = Properties[propertyIndex("Max")].dispatchId;
    QCOMPARE(
        type->Invoke(m_control.get(), max, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    QCOMPARE(result.vt, VARTYPE(VT_I4));
    QCOMPARE(result.lVal, 48);
}

void TestTypeInformation::typeLibraryDescribesTheLibraryAndItsThreeTypes()
{
    ComPtr<ITypeLib> library;
    UINT index = 99;
    QCOMPARE(interfaceType()->GetContainingTypeLib(library.put(), &index), S_OK);
    QCOMPARE(index, 1u);
    TLIBATTR *attributes = nullptr;
    QCOMPARE(library->GetLibAttr(&attributes), S_OK);
    QVERIFY(IsEqualGUID(attributes->guid, LIBID_Quilvet));
    QCOMPARE(attributes->lcid, LCID(0x0409));
    QCOMPARE(attributes->wMajorVerNum, WORD(13));
    QCOMPARE(attributes->wMinorVerNum, WORD(0));
    QCOMPARE(attributes->wLibFlags, LIBFLAG_FCONTROL);
    library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr;
    BSTR help = nullptr;
    QCOMPARE(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    QCOMPARE(takeText(name), QStringLiteral("Quilvet"));
    QCOMPARE(takeText(help), QStringLiteral("Quilvet"));

    QCOMPARE(library->GetTypeInfoCount(), 3u);
    const std::pair<const GUID *, const char16_t *> types[] = {
        { &CLSID_clsQuilvet, u"clsQuilvet" },
        { &IID__clsQuilvet, u"_clsQuilvet" },
        { &DIID___clsQuilvet, u"__clsQuilvet" },
    };
    for (UINT i = 0; i < 3; ++i) {
        ComPtr<ITypeInfo> type;
        QCOMPARE(library->GetTypeInfoOfGuid(*types[i].first, type.put()), S_OK);
        QCOMPARE(library->GetDocumentation(int(i), &name, nullptr, nullptr, nullptr), S_OK);
        QCOMPARE(takeText(name), QString::fromUtf16(types[i].second));
    }
    ComPtr<ITypeInfo> none;
    QCOMPARE(library->GetTypeInfoOfGuid(IID_IDispatch, none.put()), TYPE_E_ELEMENTNOTFOUND);
}

void TestTypeInformation::registrationLeadsToTheLibrarysTypeLibrary()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    qputenv("HALL_COMPONENT_REGISTRY", folder.path().toLocal8Bit());
    ComPtr<ITypeLib> registered;
    QCOMPARE(loadRegTypeLib(LIBID_Quilvet, 13, 0, 0x0409, registered.put()), TYPE_E_LIBNOTREGISTERED);

    QCOMPARE(DllRegisterServer(), S_OK);
    QCOMPARE(loadRegTypeLib(LIBID_Quilvet, 13, 0, 0x0409, registered.put()), S_OK);
    ComPtr<ITypeLib> containing;
    QCOMPARE(interfaceType()->GetContainingTypeLib(containing.put(), nullptr), S_OK);
    QCOMPARE(registered.get(), containing.get());
    // Another version is another library, which is not registered.
    ComPtr<ITypeLib> other;
    QCOMPARE(loadRegTypeLib(LIBID_Quilvet, 12, 0, 0x0409, other.put()), TYPE_E_LIBNOTREGISTERED);
    QCOMPARE(DllUnregisterServer(), S_OK);
    qunsetenv("HALL_COMPONENT_REGISTRY");
}

void TestTypeInformation::classInformationNamesTheDefaultInterfaceAndEventSource()
{
    ComPtr<IProvideClassInfo2> provider;
    QCOMPARE(m_control->QueryInterface(IID_IProvideClassInfo2, provider.putVoid()), S_OK);
    GUID source {};
    QCOMPARE(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    QVERIFY(IsEqualGUID(source, DIID___clsQuilvet));
    QCOMPARE(provider->GetGUID(7, &source), E_INVALIDARG);

    ComPtr<ITypeInfo> classType;
    QCOMPARE(provider->GetClassInfo(classType.put()), S_OK);
    TYPEATTR *attributes = nullptr;
    QCOMPARE(classType->GetTypeAttr(&attributes), S_OK);
    QCOMPARE(attributes->typekind, TKIND_COCLASS);
    QCOMPARE(attributes->cImplTypes, WORD(2));
    QVERIFY(attributes->wTypeFlags & TYPEFLAG_FCONTROL);
    classType->ReleaseTypeAttr(attributes);

    const std::pair<const GUID *, int> implemented[] = {
        { &IID__clsQuilvet, IMPLTYPEFLAG_FDEFAULT },
        { &DIID___clsQuilvet, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE },
    };
    for (UINT i = 0; i < 2; ++i) {
        int flags = 0;
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> type;
        QCOMPARE(classType->GetImplTypeFlags(i, &flags), S_OK);
        QCOMPARE(flags, implemented[i].second);
        QCOMPARE(classType->GetRefTypeOfImplType(i, &reference), S_OK);
        QCOMPARE(classType->GetRefTypeInfo(reference, type.put()), S_OK);
        QCOMPARE(type->GetTypeAttr(&attributes), S_OK);
        QVERIFY(IsEqualGUID(attributes->guid, *implemented[i].first));
        const WORD functions = attributes->cFuncs;
        type->ReleaseTypeAttr(attributes);
        if (i == 1) {
            // The events: no parameters, no value.
            QCOMPARE(functions, WORD(Events.size()));
            for (UINT e = 0; e < functions; ++e) {
                FUNCDESC *function = nullptr;
                QCOMPARE(type->GetFuncDesc(e, &function), S_OK);
                QCOMPARE(function->memid, Events[e].dispatchId);
                QCOMPARE(function->invkind, INVOKE_FUNC);
                QCOMPARE(function->cParams, SHORT(0));
                type->ReleaseFuncDesc(function);
                BSTR help = nullptr;
                QCOMPARE(
                    type->GetDocumentation(Events[e].dispatchId, nullptr, &help, nullptr, nullptr), S_OK);
                QCOMPARE(takeText(help), QString::fromUtf16(Events[e].helpString));
            }
        }
    }
}

void TestTypeInformation::connectionPointsAndConnectionsCanBeEnumerated()
{
    ComPtr<IConnectionPointContainer> container;
    QCOMPARE(m_control->QueryInterface(IID_IConnectionPointContainer, container.putVoid()), S_OK);
    ComPtr<IEnumConnectionPoints> points;
    QCOMPARE(container->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint *found[3] = {};
    ULONG fetched = 0;
    QCOMPARE(points->Next(3, found, &fetched), S_FALSE);
    QCOMPARE(fetched, 2ul);
    IID iids[2] {};
    for (ULONG i = 0; i < fetched; ++i) {
        found[i]->GetConnectionInterface(&iids[i]);
        found[i]->Release();
    }
    QVERIFY(IsEqualGUID(iids[0], DIID___clsQuilvet));
    QVERIFY(IsEqualGUID(iids[1], IID_IPropertyNotifySink));
    ComPtr<IEnumConnectionPoints> copy;
    QCOMPARE(points->Clone(copy.put()), S_OK);
    // The copy stands where the original stood: at the end.
    QCOMPARE(copy->Skip(1), S_FALSE);
    QCOMPARE(copy->Reset(), S_OK);
    QCOMPARE(copy->Skip(1), S_OK);
    QCOMPARE(copy->Skip(2), S_FALSE);

    ComPtr<IConnectionPoint> point;
    QCOMPARE(container->FindConnectionPoint(DIID___clsQuilvet, point.put()), S_OK);
    RecordingSink sink(DIID___clsQuilvet);
    DWORD cookie = 0;
    QCOMPARE(point->Advise(static_cast<IDispatch *>(&sink), &cookie), S_OK);
    {
        ComPtr<IEnumConnections> connections;
        QCOMPARE(point->EnumConnections(connections.put()), S_OK);
        CONNECTDATA data[2] {};
        QCOMPARE(connections->Next(2, data, &fetched), S_FALSE);
        QCOMPARE(fetched, 1ul);
        QCOMPARE(data[0].dwCookie, cookie);
        QCOMPARE(data[0].pUnk, static_cast<IUnknown *>(static_cast<IDispatch *>(&sink)));
        data[0].pUnk->Release();
    }
    QCOMPARE(point->Unadvise(cookie), S_OK);
    // Every reference the enumeration handed out has come back.
    QCOMPARE(sink.references, 1ul);
}

void TestTypeInformation::functionTableAgreesWithInvokeForEveryProperty()
{
    ComPtr<_clsQuilvet> dual;
    QCOMPARE(m_control->QueryInterface(IID__clsQuilvet, dual.putVoid()), S_OK);
    // Early binding by name: first, a middle and the last slot of the table.
    VARIANT_BOOL enabled = 0;
    QCOMPARE(dual->get_Enabled(&enabled), S_OK);
    QCOMPARE(enabled, VARIANT_TRUE);
    LONG max = 0;
    QCOMPARE(dual->get_Max(&max), S_OK);
    QCOMPARE(max, 48);
    BSTR price = SysAllocString(u"9");
    QCOMPARE(dual->put_PriceWeek8(price), S_OK);
    SysFreeString(price);
    QCOMPARE(get(m_control.get(), 0x68030000), QVariant(QStringLiteral("9")));

    // Every row through its place in the table: a put there is seen by Invoke,
    // and a put by Invoke is seen there.
    for (std::size_t row = 0; row < Properties.size(); ++row) {
        const PropertyInfo &property = Properties[row];
        const DISPID id = property.dispatchId;
        switch (property.type) {
        case PropertyType::Boolean: {
            QCOMPARE(functionAt<HRESULT (*)(void *, VARIANT_BOOL)>(dual.get(), 2 * row + 1)(
                         dual.get(), VARIANT_FALSE),
                S_OK);
            QCOMPARE(get(m_control.get(), id), QVariant(false));
            QCOMPARE(put(m_control.get(), id, true), S_OK);
            VARIANT_BOOL value = 0;
            QCOMPARE(functionAt<HRESULT (*)(void *, VARIANT_BOOL *)>(dual.get(), 2 * row)(dual.get(), &value),
                S_OK);
            QCOMPARE(value, VARIANT_TRUE);
            break;
        }
        case PropertyType::Int32: {
            const LONG written = property.checkedPut ? 96 : 7;
            QCOMPARE(
                functionAt<HRESULT (*)(void *, LONG)>(dual.get(), 2 * row + 1)(dual.get(), written), S_OK);
            QCOMPARE(get(m_control.get(), id).toInt(), written);
            QCOMPARE(put(m_control.get(), id, property.checkedPut ? 144 : 3), S_OK);
            LONG value = 0;
            QCOMPARE(functionAt<HRESULT (*)(void *, LONG *)>(dual.get(), 2 * row)(dual.get(), &value), S_OK);
            QCOMPARE(value, property.checkedPut ? 144 : 3);
            break;
        }
        case PropertyType::Text: {
            BSTR written = SysAllocString(u"12");
            QCOMPARE(
                functionAt<HRESULT (*)(void *, BSTR)>(dual.get(), 2 * row + 1)(dual.get(), written), S_OK);
            SysFreeString(written);
            QCOMPARE(get(m_control.get(), id), QVariant(QStringLiteral("12")));
            QCOMPARE(put(m_control.get(), id, QStringLiteral("34")), S_OK);
            BSTR value = nullptr;
            QCOMPARE(functionAt<HRESULT (*)(void *, BSTR *)>(dual.get(), 2 * row)(dual.get(), &value), S_OK);
            QCOMPARE(takeText(value), QStringLiteral("34"));
            break;
        }
        }
    }
}

void TestTypeInformation::functionTableReturnsTheRefusalOfMax()
{
    ComPtr<_clsQuilvet> dual;
    QCOMPARE(m_control->QueryInterface(IID__clsQuilvet, dual.putVoid()), S_OK);
    EXCEPINFO exception;
    QCOMPARE(put(m_control.get(), 0x68030009, 100, &exception), DISP_E_EXCEPTION);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    QCOMPARE(dual->put_Max(100), exception.scode);
    QCOMPARE(quint32(exception.scode), 0x800A0385u);
    // A negative count is refused by the slider with its own error.
    QCOMPARE(put(m_control.get(), 0x68030009, -24, &exception), DISP_E_EXCEPTION);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    QCOMPARE(dual->put_Max(-24), exception.scode);
    LONG max = 0;
    QCOMPARE(dual->get_Max(&max), S_OK);
    QCOMPARE(max, 48);
    QCOMPARE(dual->get_Max(nullptr), E_POINTER);
}

void TestTypeInformation::shouldDescribeTheFunctionTableAndTheIDispatchBase()
{
    const ComPtr<ITypeInfo> dispatchView = interfaceType();
    const auto referenced = [](ITypeInfo *from, UINT index) {
        ComPtr<ITypeInfo> type;
        HREFTYPE reference = 0;
        if (SUCCEEDED(from->GetRefTypeOfImplType(index, &reference))) {
            from->GetRefTypeInfo(reference, type.put());
        }
        return type;
    };
    const auto attributesOf = [](ITypeInfo *type) {
        TYPEATTR *attributes = nullptr;
        type->GetTypeAttr(&attributes);
        const TYPEATTR copy = *attributes;
        type->ReleaseTypeAttr(attributes);
        return copy;
    };
    QCOMPARE(attributesOf(dispatchView.get()).cImplTypes, WORD(1));

    // Both views and the event interface derive from IDispatch.
    const ComPtr<ITypeInfo> table = referenced(dispatchView.get(), static_cast<UINT>(-1));
    QVERIFY(table);
    for (ITypeInfo *derived : { dispatchView.get(), table.get() }) {
        const ComPtr<ITypeInfo> base = referenced(derived, 0);
        QVERIFY(base);
        const TYPEATTR attributes = attributesOf(base.get());
        QVERIFY(IsEqualGUID(attributes.guid, IID_IDispatch));
        QCOMPARE(attributes.cbSizeVft, WORD(7 * sizeof(void *)));
        BSTR name = nullptr;
        QCOMPARE(base->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
        QCOMPARE(takeText(name), QStringLiteral("IDispatch"));
    }

    // The table of functions: each property's get and put at their places.
    const TYPEATTR attributes = attributesOf(table.get());
    QCOMPARE(attributes.typekind, TKIND_INTERFACE);
    QVERIFY(IsEqualGUID(attributes.guid, IID__clsQuilvet));
    QCOMPARE(attributes.cFuncs, WORD(2 * Properties.size()));
    QCOMPARE(attributes.cbSizeVft, WORD((7 + 2 * Properties.size()) * sizeof(void *)));
    for (UINT index = 0; index < attributes.cFuncs; ++index) {
        FUNCDESC *function = nullptr;
        QCOMPARE(table->GetFuncDesc(index, &function), S_OK);
        const PropertyInfo &property = Properties[index / 2];
        const bool isGet = index % 2 == 0;
        QCOMPARE(function->memid, property.dispatchId);
        QCOMPARE(function->oVft, SHORT((7 + index) * sizeof(void *)));
        QCOMPARE(function->invkind, isGet ? INVOKE_PROPERTYGET : INVOKE_PROPERTYPUT);
        QCOMPARE(function->elemdescFunc.tdesc.vt, VARTYPE(VT_HRESULT));
        QCOMPARE(function->cParams, SHORT(1));
        const ELEMDESC &parameter = function->lprgelemdescParam[0];
        if (isGet) {
            QCOMPARE(parameter.tdesc.vt, VARTYPE(VT_PTR));
            QCOMPARE(parameter.tdesc.lptdesc->vt, varTypeOf(property.type));
            QCOMPARE(parameter.paramdesc.wParamFlags, USHORT(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL));
        } else {
            QCOMPARE(parameter.tdesc.vt, varTypeOf(property.type));
        }
        table->ReleaseFuncDesc(function);
    }
    const ComPtr<ITypeInfo> back = referenced(table.get(), static_cast<UINT>(-1));
    QCOMPARE(attributesOf(back.get()).typekind, TKIND_DISPATCH);
}

void TestTypeInformation::shouldBindNamesThroughTheTypeComp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("invokeKind");

    QTest::newRow("a get") << "Max" << int(INVOKE_PROPERTYGET) << int(DESCKIND_FUNCDESC) << 0x68030009
                           << int(INVOKE_PROPERTYGET);
    QTest::newRow("a put, in another case")
        << "priceweek8" << int(INVOKE_PROPERTYPUT) << int(DESCKIND_FUNCDESC) << 0x68030000
        << int(INVOKE_PROPERTYPUT);
    QTest::newRow("any kind") << "Value" << 0 << int(DESCKIND_FUNCDESC) << 0x68030012
                              << int(INVOKE_PROPERTYGET);
    QTest::newRow("a property called as a method")
        << "Value" << int(INVOKE_FUNC) << int(DESCKIND_NONE) << 0 << 0;
    QTest::newRow("no such member") << "Min" << 0 << int(DESCKIND_NONE) << 0 << 0;
}

void TestTypeInformation::shouldBindNamesThroughTheTypeComp()
{
    QFETCH(QString, name);
    QFETCH(int, flags);
    QFETCH(int, kind);
    QFETCH(int, id);
    QFETCH(int, invokeKind);
    const ComPtr<ITypeInfo> type = interfaceType();
    ComPtr<ITypeComp> comp;
    QCOMPARE(type->GetTypeComp(comp.put()), S_OK);
    ComPtr<ITypeInfo> bound;
    DESCKIND found = DESCKIND_MAX;
    BINDPTR binding {};
    auto *text = const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(name.utf16()));
    QCOMPARE(comp->Bind(text, 0, static_cast<WORD>(flags), bound.put(), &found, &binding), S_OK);
    QCOMPARE(int(found), kind);
    if (found == DESCKIND_FUNCDESC) {
        QCOMPARE(binding.lpfuncdesc->memid, id);
        QCOMPARE(int(binding.lpfuncdesc->invkind), invokeKind);
        bound->ReleaseFuncDesc(binding.lpfuncdesc);
    } else {
        QVERIFY(!bound);
    }
}

QTEST_MAIN(TestTypeInformation)
#include "TestTypeInformation.moc"
