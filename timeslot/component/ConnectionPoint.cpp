#include "ConnectionPoint.h"

#include "Enumerators.h"

namespace quilvet {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer *container, const IID &iid, const IID &fallback)
    : m_container(container)
    , m_iid(iid)
    , m_fallback(fallback)
{ }

ConnectionPoint::~ConnectionPoint()
{
    releaseAll();
}

void *ConnectionPoint::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_IConnectionPoint) ? static_cast<IConnectionPoint *>(this) : nullptr;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid) {
        return E_POINTER;
    }
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container) {
        return E_POINTER;
    }
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!sink || !cookie) {
        return E_POINTER;
    }
    *cookie = 0;
    void *interface = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, &interface))
        && (IsEqualGUID(m_fallback, IID_NULL) || FAILED(sink->QueryInterface(m_fallback, &interface)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    m_connections.append({ *cookie, static_cast<IUnknown *>(interface) });
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    for (qsizetype i = 0; i < m_connections.size(); ++i) {
        if (m_connections.at(i).cookie == cookie) {
            IUnknown *sink = m_connections.at(i).sink;
            m_connections.removeAt(i);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections **connections)
{
    if (!connections) {
        return E_POINTER;
    }
    QList<CONNECTDATA> snapshot;
    for (const Connection &connection : m_connections) {
        snapshot.append({ connection.sink, connection.cookie });
    }
    *connections = new ConnectionEnumerator(snapshot);
    return S_OK;
}

void ConnectionPoint::forEachSink(const std::function<void(IUnknown *)> &call) const
{
    QList<IUnknown *> sinks;
    for (const Connection &connection : m_connections) {
        connection.sink->AddRef();
        sinks.append(connection.sink);
    }
    for (IUnknown *sink : sinks) {
        call(sink);
        sink->Release();
    }
}

void ConnectionPoint::releaseAll()
{
    const QList<Connection> connections = std::exchange(m_connections, {});
    for (const Connection &connection : connections) {
        connection.sink->Release();
    }
}

} // namespace quilvet
