#pragma once

// The identity of clsQuilvet: the library's, class's and interfaces' GUIDs, its
// ProgID, and its dual interface as a table of functions.

#include <quilvet/ComInterfaces.h>

namespace quilvet {

// The identifiers of the Quilvet library, fixed for good: registered hosts find
// the control by them.
inline constexpr com::GUID LIBID_Quilvet
    = { 0x20639D1E, 0xC034, 0x413E, { 0xAD, 0x14, 0x2F, 0xA2, 0x9A, 0x8E, 0x18, 0x37 } };
inline constexpr com::GUID CLSID_clsQuilvet
    = { 0xCB6A31EE, 0x02C2, 0x409A, { 0x98, 0x51, 0xDE, 0xD8, 0xAC, 0xE8, 0x27, 0x7F } };
// The control's default interface, dual: dispatch and the table of functions below.
inline constexpr com::GUID IID__clsQuilvet
    = { 0xAAF20BC1, 0x2F22, 0x4C7C, { 0x8C, 0x34, 0x68, 0xD9, 0x7D, 0x89, 0xF1, 0xAC } };
// The control's event interface (Change, Scroll), dispatch only.
inline constexpr com::GUID DIID___clsQuilvet
    = { 0xAA5E60CA, 0x7D8E, 0x4CDD, { 0xB1, 0xF9, 0xBC, 0x7A, 0x49, 0x79, 0x4C, 0xBF } };
inline constexpr char16_t ProgId_clsQuilvet[] = u"Quilvet.clsQuilvet";

// _clsQuilvet as a table of functions, for hosts that bind early: the twenty
// properties in slot order, each get before its put. Every function returns the
// status code Invoke would return for the same call; a refused value returns the
// control's failure (for a refused Max, 901 as a FACILITY_CONTROL code). Texts
// returned by a get belong to the caller (SysFreeString).
struct _clsQuilvet : com::IDispatch
{
    using HRESULT = com::HRESULT;
    using LONG = com::LONG;
    using BSTR = com::BSTR;
    using VARIANT_BOOL = com::VARIANT_BOOL;

    virtual HRESULT QUILVET_COMCALL get_Enabled(VARIANT_BOOL *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Enabled(VARIANT_BOOL value) = 0;
    virtual HRESULT QUILVET_COMCALL get_Value(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Value(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_ToolTipText(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_ToolTipText(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelStart(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelStart(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_MaxMinute(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_MaxMinute(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_RoomFee_All(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_RoomFee_All(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_TimeIndex(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_TimeIndex(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_BeginTime(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_BeginTime(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_EndTime(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_EndTime(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelectRange(VARIANT_BOOL *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelectRange(VARIANT_BOOL value) = 0;
    virtual HRESULT QUILVET_COMCALL get_Max(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_Max(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_SelLength(LONG *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_SelLength(LONG value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek1(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek1(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek2(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek2(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek3(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek3(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek4(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek4(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek5(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek5(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek6(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek6(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek7(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek7(BSTR value) = 0;
    virtual HRESULT QUILVET_COMCALL get_PriceWeek8(BSTR *value) = 0;
    virtual HRESULT QUILVET_COMCALL put_PriceWeek8(BSTR value) = 0;

protected:
    ~_clsQuilvet() = default;
};

} // namespace quilvet
