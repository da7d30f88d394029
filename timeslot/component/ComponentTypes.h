#pragma once

#include <quilvet/Component.h>

// Inside the library the component types are used without their namespace.
namespace quilvet {
using namespace com;
} // namespace quilvet

// The declarations of IDispatch's own members, for a class that implements them.
#define QUILVET_DISPATCH_METHODS                                                                             \
    HRESULT QUILVET_COMCALL GetTypeInfoCount(UINT *count) override;                                          \
    HRESULT QUILVET_COMCALL GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) override;             \
    HRESULT QUILVET_COMCALL GetIDsOfNames(                                                                   \
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;                        \
    HRESULT QUILVET_COMCALL Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,      \
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;
