#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"

#include <QList>

namespace quilvet {

// How an enumerated item is held: a reference to its interface for as long
// as the enumerator keeps it, and one more for each copy handed out.
struct HeldConnectionPoint
{
    static void addRef(IConnectionPoint *point) { point->AddRef(); }
    static void release(IConnectionPoint *point) { point->Release(); }
};
struct HeldConnection
{
    static void addRef(const CONNECTDATA &connection) { connection.pUnk->AddRef(); }
    static void release(const CONNECTDATA &connection) { connection.pUnk->Release(); }
};

// A snapshot enumerator of the kind the connection-point interfaces hand out:
// Next copies items out (each with a reference the caller releases), Skip and
// Reset move the position, Clone copies the snapshot and the position.
template<typename Interface, typename Item, typename Held>
class SnapshotEnumerator final
    : public ComObject<SnapshotEnumerator<Interface, Item, Held>, lifetime::Own, Interface>
{
public:
    explicit SnapshotEnumerator(QList<Item> items, qsizetype position = 0)
        : m_items(std::move(items))
        , m_position(position)
    {
        for (const Item &item : m_items) {
            Held::addRef(item);
        }
    }

    void *interfaceFor(REFIID riid)
    {
        return IsEqualGUID(riid, interfaceId()) ? static_cast<Interface *>(this) : nullptr;
    }

    HRESULT QUILVET_COMCALL Next(ULONG count, Item *items, ULONG *fetched) override
    {
        if (!items || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG done = 0;
        while (done < count && m_position < m_items.size()) {
            items[done] = m_items.at(m_position++);
            Held::addRef(items[done]);
            ++done;
        }
        if (fetched) {
            *fetched = done;
        }
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT QUILVET_COMCALL Skip(ULONG count) override
    {
        const qsizetype left = m_items.size() - m_position;
        m_position += std::min<qsizetype>(count, left);
        return static_cast<qsizetype>(count) <= left ? S_OK : S_FALSE;
    }
    HRESULT QUILVET_COMCALL Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT QUILVET_COMCALL Clone(Interface **copy) override
    {
        if (!copy) {
            return E_POINTER;
        }
        *copy = new SnapshotEnumerator(m_items, m_position);
        return S_OK;
    }

private:
    ~SnapshotEnumerator() override
    {
        for (const Item &item : m_items) {
            Held::release(item);
        }
    }
    static const IID &interfaceId();

    QList<Item> m_items;
    qsizetype m_position;
};

using ConnectionPointEnumerator
    = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint *, HeldConnectionPoint>;
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, HeldConnection>;

template<> inline const IID &ConnectionPointEnumerator::interfaceId()
{
    return IID_IEnumConnectionPoints;
}
template<> inline const IID &ConnectionEnumerator::interfaceId()
{
    return IID_IEnumConnections;
}

} // namespace quilvet
