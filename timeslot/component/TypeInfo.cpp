#include "TypeInfo.h"

#include "ComSupport.h"
#include "ControlObject.h"
#include "QuilvetTypeLib.h"
#include "TypeLibrary.h"

namespace quilvet {

namespace {

// References of the class's two interfaces, as GetRefTypeOfImplType gives them.
constexpr HREFTYPE DefaultInterfaceReference = 1;
constexpr HREFTYPE EventInterfaceReference = 2;
constexpr HREFTYPE DispatchBaseReference = 3;
constexpr HREFTYPE FunctionTableReference = 4;
// The implemented type through which a dual interface leads from one view to the other.
constexpr UINT OtherView = static_cast<UINT>(-1);
constexpr WORD IDispatchFunctionCount = 7;

struct FunctionDescription
{
    FUNCDESC description; // first, so that the FUNCDESC handed out is the whole
    ELEMDESC parameter;
    TYPEDESC pointee; // of a parameter passed by pointer
};

void setText(BSTR *out, const QString &text)
{
    if (out) {
        *out = toBstr(text);
    }
}

void setText(BSTR *out, const char16_t *text)
{
    if (out) {
        *out = text ? toBstr(QString::fromUtf16(text)) : nullptr;
    }
}

ELEMDESC element(VARTYPE type, USHORT flags)
{
    ELEMDESC element {};
    element.tdesc.vt = type;
    element.paramdesc.wParamFlags = flags;
    return element;
}

} // namespace

TypeInfo::TypeInfo(Kind kind)
    : m_kind(kind)
{ }

const GUID &TypeInfo::guid() const
{
    switch (m_kind) {
    case Kind::Class:
        return CLSID_clsQuilvet;
    case Kind::DefaultInterface:
    case Kind::FunctionTable:
        return IID__clsQuilvet;
    case Kind::DispatchBase:
        return IID_IDispatch;
    case Kind::EventInterface:
        break;
    }
    return DIID___clsQuilvet;
}

TYPEKIND TypeInfo::typeKind() const
{
    switch (m_kind) {
    case Kind::Class:
        return TKIND_COCLASS;
    case Kind::FunctionTable:
    case Kind::DispatchBase:
        return TKIND_INTERFACE;
    default:
        return TKIND_DISPATCH;
    }
}

const char16_t *TypeInfo::name() const
{
    switch (m_kind) {
    case Kind::Class:
        return TypeLibrary::ClassName;
    case Kind::DefaultInterface:
    case Kind::FunctionTable:
        return TypeLibrary::DefaultInterfaceName;
    case Kind::DispatchBase:
        return u"IDispatch";
    case Kind::EventInterface:
        break;
    }
    return TypeLibrary::EventInterfaceName;
}

const char16_t *TypeInfo::helpString() const
{
    return nullptr;
}

UINT TypeInfo::functionCount() const
{
    switch (m_kind) {
    case Kind::Class:
    case Kind::DispatchBase:
        return 0;
    case Kind::DefaultInterface:
    case Kind::FunctionTable:
        return static_cast<UINT>(2 * Properties.size());
    case Kind::EventInterface:
        break;
    }
    return static_cast<UINT>(Events.size());
}

bool TypeInfo::member(MEMBERID id, const char **name, const char16_t **help) const
{
    if (describesProperties()) {
        if (const PropertyInfo *property = TypeLibrary::findProperty(id)) {
            *name = property->name;
            *help = property->helpString;
            return true;
        }
    } else if (m_kind == Kind::EventInterface) {
        if (const EventInfo *event = TypeLibrary::findEvent(id)) {
            *name = event->name;
            *help = event->helpString;
            return true;
        }
    }
    return false;
}

void *TypeInfo::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_ITypeInfo) ? static_cast<ITypeInfo *>(this) : nullptr;
}

HRESULT TypeInfo::GetTypeAttr(TYPEATTR **attributes)
{
    if (!attributes) {
        return E_POINTER;
    }
    auto *result = new TYPEATTR {};
    result->guid = guid();
    result->lcid = TypeLibrary::TheLibrary.locale;
    result->memidConstructor = MEMBERID_NIL;
    result->memidDestructor = MEMBERID_NIL;
    result->typekind = typeKind();
    result->cFuncs = static_cast<WORD>(functionCount());
    result->cbAlignment = sizeof(void *);
    result->wMajorVerNum = TypeLibrary::TheLibrary.majorVersion;
    result->wMinorVerNum = TypeLibrary::TheLibrary.minorVersion;
    switch (m_kind) {
    case Kind::Class:
        result->cImplTypes = 2;
        result->wTypeFlags = TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL;
        break;
    case Kind::DefaultInterface:
        result->cbSizeVft = IDispatchFunctionCount * sizeof(void *);
        result->wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE
            | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
        break;
    case Kind::EventInterface:
        result->cbSizeVft = IDispatchFunctionCount * sizeof(void *);
        result->wTypeFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
        break;
    case Kind::FunctionTable:
        result->cbSizeVft = static_cast<WORD>((IDispatchFunctionCount + functionCount()) * sizeof(void *));
        result->wTypeFlags
            = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
        break;
    case Kind::DispatchBase:
        result->cbSizeVft = IDispatchFunctionCount * sizeof(void *);
        result->wTypeFlags = TYPEFLAG_FOLEAUTOMATION;
        break;
    }
    result->cImplTypes = m_kind == Kind::Class ? 2 : m_kind == Kind::DispatchBase ? 0 : 1;
    *attributes = result;
    return S_OK;
}

HRESULT TypeInfo::GetTypeComp(ITypeComp **typeComp)
{
    if (!typeComp) {
        return E_POINTER;
    }
    *typeComp = &m_comp;
    return S_OK;
}

HRESULT TypeInfo::GetFuncDesc(UINT index, FUNCDESC **function)
{
    if (!function) {
        return E_POINTER;
    }
    *function = nullptr;
    if (index >= functionCount()) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    auto *result = new FunctionDescription {};
    FUNCDESC &description = result->description;
    description.funckind = FUNC_DISPATCH;
    description.callconv = CC_STDCALL;
    description.oVft = static_cast<SHORT>((IDispatchFunctionCount + index) * sizeof(void *));
    description.elemdescFunc = element(VT_VOID, PARAMFLAG_NONE);
    if (m_kind == Kind::EventInterface) {
        description.memid = Events[index].dispatchId;
        description.invkind = INVOKE_FUNC;
    } else if (m_kind == Kind::FunctionTable) {
        describeFunctionTableEntry(index, description, result->parameter, result->pointee);
    } else {
        // Get before put, property by property in slot order.
        const PropertyInfo &property = Properties[index / 2];
        const VARTYPE type = TypeLibrary::varType(property.type);
        description.memid = property.dispatchId;
        if (index % 2 == 0) {
            description.invkind = INVOKE_PROPERTYGET;
            description.elemdescFunc = element(type, PARAMFLAG_NONE);
        } else {
            description.invkind = INVOKE_PROPERTYPUT;
            description.cParams = 1;
            result->parameter = element(type, PARAMFLAG_FIN);
            description.lprgelemdescParam = &result->parameter;
        }
    }
    *function = &description;
    return S_OK;
}

void TypeInfo::describeFunctionTableEntry(
    UINT index, FUNCDESC &description, ELEMDESC &parameter, TYPEDESC &pointee) const
{
    const PropertyInfo &property = Properties[index / 2];
    const VARTYPE type = TypeLibrary::varType(property.type);
    description.memid = property.dispatchId;
    description.funckind = FUNC_PUREVIRTUAL;
    description.elemdescFunc = element(VT_HRESULT, PARAMFLAG_NONE);
    description.cParams = 1;
    description.lprgelemdescParam = &parameter;
    if (index % 2 == 0) {
        description.invkind = INVOKE_PROPERTYGET;
        pointee.vt = type;
        parameter = element(VT_PTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
        parameter.tdesc.lptdesc = &pointee;
    } else {
        description.invkind = INVOKE_PROPERTYPUT;
        parameter = element(type, PARAMFLAG_FIN);
    }
}

HRESULT TypeInfo::GetVarDesc(UINT, VARDESC **variable)
{
    if (variable) {
        *variable = nullptr;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfo::GetNames(MEMBERID id, BSTR *names, UINT maxNames, UINT *count)
{
    if (!names || !count) {
        return E_POINTER;
    }
    *count = 0;
    const char *name = nullptr;
    const char16_t *help = nullptr;
    if (!member(id, &name, &help)) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    if (maxNames > 0) {
        names[0] = toBstr(QString::fromLatin1(name));
        *count = 1;
    }
    return S_OK;
}

HRESULT TypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE *reference)
{
    if (!reference) {
        return E_POINTER;
    }
    if (m_kind == Kind::Class && index <= 1) {
        *reference = index == 0 ? DefaultInterfaceReference : EventInterfaceReference;
    } else if (m_kind != Kind::Class && m_kind != Kind::DispatchBase && index == 0) {
        *reference = DispatchBaseReference;
    } else if (describesProperties() && index == OtherView) {
        *reference = m_kind == Kind::DefaultInterface ? FunctionTableReference : DefaultInterfaceReference;
    } else {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    return S_OK;
}

HRESULT TypeInfo::GetImplTypeFlags(UINT index, int *flags)
{
    if (!flags) {
        return E_POINTER;
    }
    if (m_kind == Kind::Class && index <= 1) {
        *flags = index == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    } else if (m_kind != Kind::Class && m_kind != Kind::DispatchBase && index == 0) {
        *flags = 0;
    } else {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    return S_OK;
}

HRESULT TypeInfo::GetIDsOfNames(LPOLESTR *names, UINT count, MEMBERID *ids)
{
    if (!names || !ids || count == 0) {
        return E_INVALIDARG;
    }
    const QString name = fromOleText(names[0]);
    HRESULT hr = S_OK;
    ids[0] = MEMBERID_NIL;
    if (describesProperties()) {
        if (const PropertyInfo *property = TypeLibrary::findProperty(name)) {
            ids[0] = property->dispatchId;
        }
    } else if (m_kind == Kind::EventInterface) {
        if (const EventInfo *event = TypeLibrary::findEvent(name)) {
            ids[0] = event->dispatchId;
        }
    }
    if (ids[0] == MEMBERID_NIL) {
        hr = DISP_E_UNKNOWNNAME;
    }
    // Neither properties nor events take named arguments.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = MEMBERID_NIL;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT TypeInfo::Invoke(void *instance, MEMBERID id, WORD flags, DISPPARAMS *params, VARIANT *result,
    EXCEPINFO *exception, UINT *argumentError)
{
    if (!instance) {
        return E_INVALIDARG;
    }
    if (!describesProperties()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    // Both views of _clsQuilvet begin with IDispatch.
    return static_cast<IDispatch *>(instance)->Invoke(
        id, IID_NULL, TypeLibrary::TheLibrary.locale, flags, params, result, exception, argumentError);
}

HRESULT TypeInfo::GetDocumentation(
    MEMBERID id, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile)
{
    if (helpContext) {
        *helpContext = 0;
    }
    if (helpFile) {
        *helpFile = nullptr;
    }
    if (id == MEMBERID_NIL) {
        setText(name, this->name());
        setText(docString, helpString());
        return S_OK;
    }
    const char *memberName = nullptr;
    const char16_t *help = nullptr;
    if (!member(id, &memberName, &help)) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    setText(name, QString::fromLatin1(memberName));
    setText(docString, help);
    return S_OK;
}

HRESULT TypeInfo::GetDllEntry(MEMBERID, INVOKEKIND, BSTR *, BSTR *, WORD *)
{
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfo::GetRefTypeInfo(HREFTYPE reference, ITypeInfo **typeInfo)
{
    if (!typeInfo) {
        return E_POINTER;
    }
    *typeInfo = nullptr;
    const std::pair<HREFTYPE, Kind> references[] = {
        { DefaultInterfaceReference, Kind::DefaultInterface },
        { EventInterfaceReference, Kind::EventInterface },
        { DispatchBaseReference, Kind::DispatchBase },
        { FunctionTableReference, Kind::FunctionTable },
    };
    for (const auto &[known, kind] : references) {
        if (reference == known) {
            *typeInfo = QuilvetTypeLib::instance()->typeInfo(kind);
            return S_OK;
        }
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfo::AddressOfMember(MEMBERID, INVOKEKIND, void **address)
{
    if (address) {
        *address = nullptr;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfo::CreateInstance(IUnknown *outer, REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (m_kind != Kind::Class) {
        return E_NOTIMPL;
    }
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    return ControlObject::create(riid, object);
}

HRESULT TypeInfo::GetMops(MEMBERID, BSTR *mops)
{
    if (mops) {
        *mops = nullptr;
    }
    return S_OK;
}

HRESULT TypeInfo::GetContainingTypeLib(ITypeLib **typeLib, UINT *index)
{
    if (m_kind == Kind::DispatchBase) {
        return TYPE_E_ELEMENTNOTFOUND; // the platform's, not this library's
    }
    if (typeLib) {
        *typeLib = QuilvetTypeLib::instance();
    }
    if (index) {
        *index = QuilvetTypeLib::instance()->indexOf(this);
    }
    return S_OK;
}

void TypeInfo::ReleaseTypeAttr(TYPEATTR *attributes)
{
    delete attributes;
}

void TypeInfo::ReleaseFuncDesc(FUNCDESC *function)
{
    delete reinterpret_cast<FunctionDescription *>(function);
}

void TypeInfo::ReleaseVarDesc(VARDESC *)
{ }

} // namespace quilvet
