#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"

#include <QList>

#include <functional>

namespace quilvet {

// One connection point of a control object: the sinks a host has advised for
// one outgoing interface. Its reference count is that of its container.
class ConnectionPoint final : public ComObject<ConnectionPoint, lifetime::Shared, IConnectionPoint>
{
public:
    // fallback is an interface a sink may answer instead of iid (IID_IDispatch
    // for an event dispinterface); IID_NULL when there is none.
    ConnectionPoint(IConnectionPointContainer *container, const IID &iid, const IID &fallback);
    ~ConnectionPoint() override;
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;

    void *interfaceFor(REFIID riid);
    IUnknown *lifetimeOwner() const { return m_container; }
    HRESULT QUILVET_COMCALL GetConnectionInterface(IID *iid) override;
    HRESULT QUILVET_COMCALL GetConnectionPointContainer(IConnectionPointContainer **container) override;
    HRESULT QUILVET_COMCALL Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT QUILVET_COMCALL Unadvise(DWORD cookie) override;
    HRESULT QUILVET_COMCALL EnumConnections(IEnumConnections **connections) override;

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
