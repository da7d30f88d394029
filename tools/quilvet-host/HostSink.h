#pragma once

#include "ComObject.h"

#include <quilvet/Component.h>

#include <functional>

// The host's side of the control's connections: the event interface (called by
// dispatch id) and the property-change sink. Both forward to callbacks. The
// window owns it; the control's references to it are a formality.
class HostSink final : public quilvet::com::ComObject<HostSink, quilvet::com::lifetime::Elsewhere,
                           quilvet::com::IDispatch, quilvet::com::IPropertyNotifySink>
{
public:
    using HRESULT = quilvet::com::HRESULT;
    using ULONG = quilvet::com::ULONG;
    using UINT = quilvet::com::UINT;
    using LCID = quilvet::com::LCID;
    using DISPID = quilvet::com::DISPID;
    using IID = quilvet::com::IID;
    using REFIID = quilvet::com::REFIID;
    using WORD = quilvet::com::WORD;
    using LPOLESTR = quilvet::com::LPOLESTR;
    using ITypeInfo = quilvet::com::ITypeInfo;
    using DISPPARAMS = quilvet::com::DISPPARAMS;
    using VARIANT = quilvet::com::VARIANT;
    using EXCEPINFO = quilvet::com::EXCEPINFO;

    HostSink(std::function<void(DISPID)> onEvent, std::function<void(DISPID)> onChanged);

    // The control's event interface, learnt from its type information.
    void setEventInterface(const IID &eventInterface) { m_eventInterface = eventInterface; }

    void *interfaceFor(REFIID riid);

    HRESULT QUILVET_COMCALL GetTypeInfoCount(UINT *count) override;
    HRESULT QUILVET_COMCALL GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) override;
    HRESULT QUILVET_COMCALL GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    HRESULT QUILVET_COMCALL Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    HRESULT QUILVET_COMCALL OnChanged(DISPID id) override;
    HRESULT QUILVET_COMCALL OnRequestEdit(DISPID id) override;

private:
    IID m_eventInterface {};
    std::function<void(DISPID)> m_onEvent;
    std::function<void(DISPID)> m_onChanged;
};
