#pragma once

#include "ComPlatform.h"

#include <functional>

// The host's side of the control's connections: the event interface (called by
// dispatch id) and the property-change sink. Both forward to callbacks.
class HostSink final : public IDispatch, public IPropertyNotifySink
{
public:
    HostSink(const IID &eventInterface, std::function<void(DISPID)> onEvent,
        std::function<void(DISPID)> onChanged);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override;

private:
    IID m_eventInterface;
    std::function<void(DISPID)> m_onEvent;
    std::function<void(DISPID)> m_onChanged;
    ULONG m_references = 1; // owned by the window; the count only guards the protocol
};
