// Compiles only while the public headers leave a host's global namespace and
// macro names alone: a host may have its own HRESULT, VARIANT or IUnknown.
#include <quilvet/Component.h>
#include <quilvet/PropertyStore.h>
#include <quilvet/QuilvetError.h>
#include <quilvet/clsQuilvet.h>

#if defined(STDMETHODCALLTYPE) || defined(STDAPI) || defined(V_VT) || defined(SUCCEEDED)
#error "a public header defines a macro of the platform's"
#endif

struct HRESULT
{
};
struct VARIANT
{
};
struct IUnknown
{
};
struct IDispatch
{
};
struct GUID
{
};
using BOOL = double;
using BSTR = double;
using ULONG = double;
