#include "QuilvetTypeLib.h"

#include "ComSupport.h"
#include "TypeLibrary.h"

namespace quilvet {

QuilvetTypeLib::QuilvetTypeLib()
    : m_types { TypeInfo(TypeInfo::Kind::Class), TypeInfo(TypeInfo::Kind::DefaultInterface),
        TypeInfo(TypeInfo::Kind::EventInterface) }
{ }

QuilvetTypeLib *QuilvetTypeLib::instance()
{
    static QuilvetTypeLib library;
    return &library;
}

TypeInfo *QuilvetTypeLib::typeInfo(TypeInfo::Kind kind)
{
    if (kind == TypeInfo::Kind::FunctionTable) {
        return &m_functionTable;
    }
    if (kind == TypeInfo::Kind::DispatchBase) {
        return &m_dispatchBase;
    }
    for (TypeInfo &type : m_types) {
        if (type.kind() == kind) {
            return &type;
        }
    }
    return nullptr;
}

UINT QuilvetTypeLib::indexOf(const TypeInfo *typeInfo) const
{
    if (typeInfo == &m_functionTable) {
        typeInfo = &m_types[1]; // the other view of the default interface
    }
    return static_cast<UINT>(typeInfo - m_types.data());
}

void *QuilvetTypeLib::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_ITypeLib) ? static_cast<ITypeLib *>(this) : nullptr;
}

UINT QuilvetTypeLib::GetTypeInfoCount()
{
    return static_cast<UINT>(m_types.size());
}

HRESULT QuilvetTypeLib::GetTypeInfo(UINT index, ITypeInfo **typeInfo)
{
    if (!typeInfo) {
        return E_POINTER;
    }
    *typeInfo = nullptr;
    if (index >= m_types.size()) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    *typeInfo = &m_types[index];
    return S_OK;
}

HRESULT QuilvetTypeLib::GetTypeInfoType(UINT index, TYPEKIND *kind)
{
    if (!kind) {
        return E_POINTER;
    }
    if (index >= m_types.size()) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    *kind = m_types[index].typeKind();
    return S_OK;
}

HRESULT QuilvetTypeLib::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **typeInfo)
{
    if (!typeInfo) {
        return E_POINTER;
    }
    *typeInfo = nullptr;
    for (TypeInfo &type : m_types) {
        if (IsEqualGUID(type.guid(), guid)) {
            *typeInfo = &type;
            return S_OK;
        }
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT QuilvetTypeLib::GetLibAttr(TLIBATTR **attributes)
{
    if (!attributes) {
        return E_POINTER;
    }
    const auto &library = TypeLibrary::TheLibrary;
    *attributes = new TLIBATTR { LIBID_Quilvet, library.locale, sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32,
        library.majorVersion, library.minorVersion, library.flags };
    return S_OK;
}

HRESULT QuilvetTypeLib::GetTypeComp(ITypeComp **typeComp)
{
    if (typeComp) {
        *typeComp = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT QuilvetTypeLib::GetDocumentation(
    int index, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile)
{
    if (index == -1) {
        if (name) {
            *name = toBstr(QString::fromUtf16(TypeLibrary::TheLibrary.name));
        }
        if (docString) {
            *docString = toBstr(QString::fromUtf16(TypeLibrary::TheLibrary.helpString));
        }
        if (helpContext) {
            *helpContext = 0;
        }
        if (helpFile) {
            *helpFile = nullptr;
        }
        return S_OK;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_types.size()) {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    return m_types[static_cast<std::size_t>(index)].GetDocumentation(
        MEMBERID_NIL, name, docString, helpContext, helpFile);
}

HRESULT QuilvetTypeLib::IsName(LPOLESTR name, ULONG, BOOL *found)
{
    if (!name || !found) {
        return E_POINTER;
    }
    MEMBERID id = MEMBERID_NIL;
    *found = 0;
    for (TypeInfo &type : m_types) {
        if (fromOleText(name).compare(QString::fromUtf16(type.name()), Qt::CaseInsensitive) == 0
            || SUCCEEDED(type.GetIDsOfNames(&name, 1, &id))) {
            *found = 1;
        }
    }
    return S_OK;
}

HRESULT QuilvetTypeLib::FindName(LPOLESTR name, ULONG, ITypeInfo **typeInfos, MEMBERID *ids, USHORT *found)
{
    if (!name || !typeInfos || !ids || !found) {
        return E_POINTER;
    }
    const USHORT room = *found;
    USHORT count = 0;
    for (TypeInfo &type : m_types) {
        MEMBERID id = MEMBERID_NIL;
        if (count < room && SUCCEEDED(type.GetIDsOfNames(&name, 1, &id))) {
            typeInfos[count] = &type;
            ids[count] = id;
            ++count;
        }
    }
    *found = count;
    return S_OK;
}

void QuilvetTypeLib::ReleaseTLibAttr(TLIBATTR *attributes)
{
    delete attributes;
}

} // namespace quilvet
