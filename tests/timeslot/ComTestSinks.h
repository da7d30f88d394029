#pragma once

#include "ComPlatform.h"

#include <QList>

// Host-side sinks that record what a control object tells them.
class RecordingSink final : public IDispatch, public IPropertyNotifySink
{
public:
    struct Call
    {
        DISPID id;
        UINT arguments;
    };

    explicit RecordingSink(const IID &eventInterface)
        : m_eventInterface(eventInterface)
    { }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch)
            || IsEqualGUID(riid, m_eventInterface)) {
            *object = static_cast<IDispatch *>(this);
        } else if (IsEqualGUID(riid, IID_IPropertyNotifySink)) {
            *object = static_cast<IPropertyNotifySink *>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; } // lives on the test's stack

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(
        DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        events.append({ id, params ? params->cArgs : 0 });
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override
    {
        changes.append(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    QList<Call> events;
    QList<DISPID> changes;
    ULONG references = 1;

private:
    IID m_eventInterface;
};
