#pragma once

#include "TypeInfo.h"

#include <array>

namespace quilvet {

// The type library of Quilvet (13.0, locale 0x0409, a control library): the
// class clsQuilvet (index 0), its default interface _clsQuilvet (1) and its
// event interface __clsQuilvet (2). One object for the life of the library.
class QuilvetTypeLib final : public ComObject<QuilvetTypeLib, lifetime::Elsewhere, ITypeLib>
{
public:
    static QuilvetTypeLib *instance();

    TypeInfo *typeInfo(TypeInfo::Kind kind);
    UINT indexOf(const TypeInfo *typeInfo) const;

    void *interfaceFor(REFIID riid);

    UINT QUILVET_COMCALL GetTypeInfoCount() override;
    HRESULT QUILVET_COMCALL GetTypeInfo(UINT index, ITypeInfo **typeInfo) override;
    HRESULT QUILVET_COMCALL GetTypeInfoType(UINT index, TYPEKIND *kind) override;
    HRESULT QUILVET_COMCALL GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **typeInfo) override;
    HRESULT QUILVET_COMCALL GetLibAttr(TLIBATTR **attributes) override;
    HRESULT QUILVET_COMCALL GetTypeComp(ITypeComp **typeComp) override;
    HRESULT QUILVET_COMCALL GetDocumentation(
        int index, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile) override;
    HRESULT QUILVET_COMCALL IsName(LPOLESTR name, ULONG hash, BOOL *found) override;
    HRESULT QUILVET_COMCALL FindName(
        LPOLESTR name, ULONG hash, ITypeInfo **typeInfos, MEMBERID *ids, USHORT *found) override;
    void QUILVET_COMCALL ReleaseTLibAttr(TLIBATTR *attributes) override;

private:
    QuilvetTypeLib();

    std::array<TypeInfo, 3> m_types;
    // Reached through references only: the default interface's table of
    // functions, and the interfaces' base IDispatch.
    TypeInfo m_functionTable { TypeInfo::Kind::FunctionTable };
    TypeInfo m_dispatchBase { TypeInfo::Kind::DispatchBase };
};

} // namespace quilvet
