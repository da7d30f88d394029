#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"

namespace quilvet {

class TypeInfo;

// Binds names to the functions of one type: Bind finds the function of that
// name (without regard to case) whose kind the flags allow (0: any) and hands
// out its description, which the caller releases through the type it gets.
// It lives as long as its type.
class TypeComp final : public ComObject<TypeComp, lifetime::Elsewhere, ITypeComp>
{
public:
    explicit TypeComp(TypeInfo *type);

    void *interfaceFor(REFIID riid);
    HRESULT QUILVET_COMCALL Bind(
        LPOLESTR name, ULONG hash, WORD flags, ITypeInfo **typeInfo, DESCKIND *kind, BINDPTR *bound) override;
    HRESULT QUILVET_COMCALL BindType(
        LPOLESTR name, ULONG hash, ITypeInfo **typeInfo, ITypeComp **typeComp) override;

private:
    TypeInfo *m_type;
};

} // namespace quilvet
