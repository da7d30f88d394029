#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"
#include "TypeComp.h"

namespace quilvet {

// The type information of one of the library's three types, built from the
// property and event tables:
//  - Class: clsQuilvet, a creatable control implementing the two interfaces
//    (reference 1: _clsQuilvet, the default; reference 2: __clsQuilvet, the
//    default event source);
//  - DefaultInterface: _clsQuilvet, dual, as its dispatch view: for each
//    property in slot order a get (no parameter, the property's type) and
//    then a put (one parameter of that type);
//  - FunctionTable: _clsQuilvet as its table of functions, which a dual
//    interface's dispatch view leads to as implemented type -1 (and back): the
//    same functions, each returning HRESULT at its place after IDispatch's
//    seven, a get's value as an [out, retval] pointer;
//  - EventInterface: __clsQuilvet, dispatch only: Change and Scroll, neither
//    with a parameter nor a value;
//  - DispatchBase: IDispatch, the base of the three interfaces (implemented
//    type 0), named and sized only.
// GetTypeComp binds the names of a type's functions. The objects live as long
// as the library; reference counting is a formality.
class TypeInfo final : public ComObject<TypeInfo, lifetime::Elsewhere, ITypeInfo>
{
public:
    enum class Kind { Class, DefaultInterface, EventInterface, FunctionTable, DispatchBase };

    explicit TypeInfo(Kind kind);
    TypeInfo(const TypeInfo &) = delete;
    TypeInfo &operator=(const TypeInfo &) = delete;

    Kind kind() const { return m_kind; }
    const GUID &guid() const;
    TYPEKIND typeKind() const;
    const char16_t *name() const;
    const char16_t *helpString() const;

    void *interfaceFor(REFIID riid);

    HRESULT QUILVET_COMCALL GetTypeAttr(TYPEATTR **attributes) override;
    HRESULT QUILVET_COMCALL GetTypeComp(ITypeComp **typeComp) override;
    HRESULT QUILVET_COMCALL GetFuncDesc(UINT index, FUNCDESC **function) override;
    HRESULT QUILVET_COMCALL GetVarDesc(UINT index, VARDESC **variable) override;
    HRESULT QUILVET_COMCALL GetNames(MEMBERID id, BSTR *names, UINT maxNames, UINT *count) override;
    HRESULT QUILVET_COMCALL GetRefTypeOfImplType(UINT index, HREFTYPE *reference) override;
    HRESULT QUILVET_COMCALL GetImplTypeFlags(UINT index, int *flags) override;
    HRESULT QUILVET_COMCALL GetIDsOfNames(LPOLESTR *names, UINT count, MEMBERID *ids) override;
    HRESULT QUILVET_COMCALL Invoke(void *instance, MEMBERID id, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;
    HRESULT QUILVET_COMCALL GetDocumentation(
        MEMBERID id, BSTR *name, BSTR *docString, DWORD *helpContext, BSTR *helpFile) override;
    HRESULT QUILVET_COMCALL GetDllEntry(
        MEMBERID id, INVOKEKIND kind, BSTR *dllName, BSTR *name, WORD *ordinal) override;
    HRESULT QUILVET_COMCALL GetRefTypeInfo(HREFTYPE reference, ITypeInfo **typeInfo) override;
    HRESULT QUILVET_COMCALL AddressOfMember(MEMBERID id, INVOKEKIND kind, void **address) override;
    HRESULT QUILVET_COMCALL CreateInstance(IUnknown *outer, REFIID riid, void **object) override;
    HRESULT QUILVET_COMCALL GetMops(MEMBERID id, BSTR *mops) override;
    HRESULT QUILVET_COMCALL GetContainingTypeLib(ITypeLib **typeLib, UINT *index) override;
    void QUILVET_COMCALL ReleaseTypeAttr(TYPEATTR *attributes) override;
    void QUILVET_COMCALL ReleaseFuncDesc(FUNCDESC *function) override;
    void QUILVET_COMCALL ReleaseVarDesc(VARDESC *variable) override;

private:
    UINT functionCount() const;
    bool describesProperties() const
    {
        return m_kind == Kind::DefaultInterface || m_kind == Kind::FunctionTable;
    }
    void describeFunctionTableEntry(
        UINT index, FUNCDESC &description, ELEMDESC &parameter, TYPEDESC &pointee) const;
    // The member's name and help string; false when the type has no such member.
    bool member(MEMBERID id, const char **name, const char16_t **help) const;

    Kind m_kind;
    TypeComp m_comp { this };
};

} // namespace quilvet
