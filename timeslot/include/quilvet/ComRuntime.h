#pragma once

// The runtime functions for texts and variants, the Qt host's interface to a
// control's widget, and the creation of registered classes.

#include <QString>
#include <quilvet/ComInterfaces.h>
#include <quilvet/ComTypeInfo.h>

class QWidget;

#if !defined(_WIN32)

namespace quilvet::com {

// The platform's text and variant functions.
QUILVET_EXPORT BSTR SysAllocString(const OLECHAR *text);
QUILVET_EXPORT BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
QUILVET_EXPORT void SysFreeString(BSTR text);
QUILVET_EXPORT UINT SysStringLen(BSTR text);

QUILVET_EXPORT void VariantInit(VARIANT *value);
QUILVET_EXPORT HRESULT VariantClear(VARIANT *value);
QUILVET_EXPORT HRESULT VariantCopy(VARIANT *destination, const VARIANT *source);
// Converts to VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL or VT_BSTR from those and
// from VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT, VT_R4,
// VT_CY, VT_DATE and VT_DECIMAL, each also by reference (VT_BYREF), as the
// platform converts for the locale 0x0409: whole numbers round half to even,
// a Boolean's text is "True" or "False", a date's "M/d/yyyy h:mm:ss AM".
// Failures: DISP_E_TYPEMISMATCH for text that is no number or Boolean,
// DISP_E_OVERFLOW for a number out of range, DISP_E_BADVARTYPE for other types.
QUILVET_EXPORT HRESULT VariantChangeType(
    VARIANT *destination, const VARIANT *source, USHORT flags, VARTYPE type);

} // namespace quilvet::com

#endif

namespace quilvet::com {

// The platform's stand-in for in-place activation: a Qt host asks the control
// object for its widget and puts it in its own window. The widget stays owned
// by the object, which deletes it on its final Release unless it is gone already.
struct IQtControl : IUnknown
{
    virtual HRESULT QUILVET_COMCALL GetWidget(QWidget **widget) = 0;

protected:
    ~IQtControl() = default;
};
inline constexpr IID IID_IQtControl
    = { 0x703F5D5A, 0x148F, 0x40A9, { 0x8A, 0x9C, 0x45, 0x0E, 0xCF, 0xD3, 0x1C, 0x23 } };

// Creation of registered components on platforms without a component runtime:
// the class is looked up in the per-user registry, its library is loaded from
// the path under InprocServer32, and the library's exported DllGetClassObject
// hands out the class factory. Libraries stay loaded for the life of the
// process: a library that registered Qt widget classes cannot be unmapped
// safely, so DllCanUnloadNow is answered but never acted on.
QUILVET_EXPORT HRESULT classIdFromProgId(const QString &progId, CLSID *clsid);
// The library registered for a class, or an empty text.
QUILVET_EXPORT QString inprocServerPath(REFCLSID clsid);
QUILVET_EXPORT HRESULT getClassObject(REFCLSID clsid, REFIID riid, void **object);
QUILVET_EXPORT HRESULT createInstance(REFCLSID clsid, IUnknown *outer, REFIID riid, void **object);
// The type library registered under libid and version major.minor: the library
// file named under its "0\linux" key is loaded and its exported DllGetTypeLib
// hands out the type library (this platform's libraries carry no resources).
// TYPE_E_LIBNOTREGISTERED when the registry names none.
QUILVET_EXPORT HRESULT loadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID locale, ITypeLib **typeLib);
// Loads a component library and calls its DllRegisterServer (or
// DllUnregisterServer), as the platform's registration tool does.
QUILVET_EXPORT HRESULT registerServer(
    const QString &libraryPath, bool unregister = false, QString *error = nullptr);

} // namespace quilvet::com
