#pragma once

#include <QList>
#include <quilvet/Component.h>

namespace hall::test {

using namespace quilvet::com;

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

    HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) override
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
    ULONG QUILVET_COMCALL AddRef() override { return ++references; }
    ULONG QUILVET_COMCALL Release() override { return --references; } // lives on the test's stack

    HRESULT QUILVET_COMCALL GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT QUILVET_COMCALL GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT QUILVET_COMCALL GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT QUILVET_COMCALL Invoke(
        DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        events.append({ id, params ? params->cArgs : 0 });
        return S_OK;
    }

    HRESULT QUILVET_COMCALL OnChanged(DISPID id) override
    {
        changes.append(id);
        return S_OK;
    }
    HRESULT QUILVET_COMCALL OnRequestEdit(DISPID) override { return S_OK; }

    QList<Call> events;
    QList<DISPID> changes;
    ULONG references = 1;

private:
    IID m_eventInterface;
};

} // namespace hall::test

using hall::test::RecordingSink;
