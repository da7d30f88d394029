#include "TypeComp.h"

#include "ComSupport.h"
#include "TypeInfo.h"

namespace quilvet {

TypeComp::TypeComp(TypeInfo *type)
    : m_type(type)
{ }

void *TypeComp::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_ITypeComp) ? static_cast<ITypeComp *>(this) : nullptr;
}

HRESULT TypeComp::Bind(LPOLESTR name, ULONG, WORD flags, ITypeInfo **typeInfo, DESCKIND *kind, BINDPTR *bound)
{
    if (!name || !typeInfo || !kind || !bound) {
        return E_POINTER;
    }
    *typeInfo = nullptr;
    *kind = DESCKIND_NONE;
    bound->lpfuncdesc = nullptr;
    const QString wanted = fromOleText(name);
    TYPEATTR *attributes = nullptr;
    m_type->GetTypeAttr(&attributes);
    const WORD count = attributes->cFuncs;
    m_type->ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < count; ++index) {
        FUNCDESC *function = nullptr;
        m_type->GetFuncDesc(index, &function);
        BSTR found = nullptr;
        m_type->GetDocumentation(function->memid, &found, nullptr, nullptr, nullptr);
        const bool matches = fromBstr(found).compare(wanted, Qt::CaseInsensitive) == 0
            && (flags == 0 || (function->invkind & flags) != 0);
        SysFreeString(found);
        if (matches) {
            *typeInfo = m_type;
            *kind = DESCKIND_FUNCDESC;
            bound->lpfuncdesc = function;
            return S_OK;
        }
        m_type->ReleaseFuncDesc(function);
    }
    return S_OK;
}

HRESULT TypeComp::BindType(LPOLESTR, ULONG, ITypeInfo **typeInfo, ITypeComp **typeComp)
{
    // A type holds no nested types.
    if (typeInfo) {
        *typeInfo = nullptr;
    }
    if (typeComp) {
        *typeComp = nullptr;
    }
    return S_OK;
}

} // namespace quilvet
