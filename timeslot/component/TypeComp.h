#pragma once

#include "ComponentTypes.h"

namespace quilvet {

class TypeInfo;

// Binds names to the functions of one type: Bind finds the function of that
// name (without regard to case) whose kind the flags allow (0: any) and hands
// out its description, which the caller releases through the type it gets.
// It lives as long as its type; reference counting is a formality.
class TypeComp final : public ITypeComp
{
public:
    explicit TypeComp(TypeInfo *type);
    TypeComp(const TypeComp &) = delete;
    TypeComp &operator=(const TypeComp &) = delete;

    HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) override;
    ULONG QUILVET_COMCALL AddRef() override { return 1; }
    ULONG QUILVET_COMCALL Release() override { return 1; }
    HRESULT QUILVET_COMCALL Bind(
        LPOLESTR name, ULONG hash, WORD flags, ITypeInfo **typeInfo, DESCKIND *kind, BINDPTR *bound) override;
    HRESULT QUILVET_COMCALL BindType(
        LPOLESTR name, ULONG hash, ITypeInfo **typeInfo, ITypeComp **typeComp) override;

private:
    TypeInfo *m_type;
};

} // namespace quilvet
