#include "HostSink.h"

using namespace quilvet::com;

HostSink::HostSink(std::function<void(DISPID)> onEvent, std::function<void(DISPID)> onChanged)
    : m_onEvent(std::move(onEvent))
    , m_onChanged(std::move(onChanged))
{ }

void *HostSink::interfaceFor(REFIID riid)
{
    if (IsEqualGUID(riid, IID_IDispatch) || IsEqualGUID(riid, m_eventInterface)) {
        return static_cast<IDispatch *>(this);
    }
    return IsEqualGUID(riid, IID_IPropertyNotifySink) ? static_cast<IPropertyNotifySink *>(this) : nullptr;
}

HRESULT HostSink::GetTypeInfoCount(UINT *count)
{
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT HostSink::GetTypeInfo(UINT, LCID, ITypeInfo **typeInfo)
{
    if (typeInfo) {
        *typeInfo = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT HostSink::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT HostSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *)
{
    m_onEvent(id);
    return S_OK;
}

HRESULT HostSink::OnChanged(DISPID id)
{
    m_onChanged(id);
    return S_OK;
}

HRESULT HostSink::OnRequestEdit(DISPID)
{
    return S_OK;
}
