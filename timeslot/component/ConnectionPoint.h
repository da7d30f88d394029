#pragma once

#include "ComPlatform.h"

#include <QList>

#include <functional>

namespace quilvet {

// One connection point of a control object: the sinks a host has advised for
// one outgoing interface. Its reference count is that of its container.
class ConnectionPoint final : public IConnectionPoint
{
public:
    // fallback is an interface a sink may answer instead of iid (IID_IDispatch
    // for an event dispinterface); IID_NULL when there is none.
    ConnectionPoint(IConnectionPointContainer *container, const IID &iid, const IID &fallback);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **connections) override;

    const IID &iid() const { return m_iid; }

    // Calls each advised sink (as the interface it was advised for), holding a
    // reference to it for the call; sinks advised or unadvised meanwhile are
    // taken into account from the next call on.
    void forEachSink(const std::function<void(IUnknown *)> &call) const;
    void releaseAll();

private:
    struct Connection
    {
        DWORD cookie;
        IUnknown *sink;
    };

    IConnectionPointContainer *m_container;
    IID m_iid;
    IID m_fallback;
    QList<Connection> m_connections;
    DWORD m_nextCookie = 1;
};

} // namespace quilvet
