#pragma once

#include <quilvet/Component.h>

#include <atomic>
#include <type_traits>

namespace quilvet::com {

// How the references of an object end.
namespace lifetime {
struct Own // the object deletes itself on its last Release; it starts with one reference, its creator's
{
};
struct Shared // references count on the object Derived::lifetimeOwner() names (a connection point's
              // container)
{
};
struct Elsewhere // the object lives as long as its owner (the library, a window); the count is a formality
{
};
} // namespace lifetime

// Interface query and reference counting, written once for every object of the
// component layer. Derived implements First and Others and answers
// interfaceFor(riid) with the interface it hands out for an IID other than
// IUnknown's, or nullptr; Lifetime says how its references end.
template<typename Derived, typename Lifetime, typename First, typename... Others>
class ComObject : public First, public Others...
{
public:
    HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) override
    {
        if (!object) {
            return E_POINTER;
        }
        *object = IsEqualGUID(riid, IID_IUnknown) ? static_cast<First *>(this)
                                                  : static_cast<Derived *>(this)->interfaceFor(riid);
        if (!*object) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG QUILVET_COMCALL AddRef() override
    {
        if constexpr (std::is_same_v<Lifetime, lifetime::Own>) {
            return ++m_references;
        } else if constexpr (std::is_same_v<Lifetime, lifetime::Shared>) {
            return static_cast<Derived *>(this)->lifetimeOwner()->AddRef();
        } else {
            return 1;
        }
    }
    ULONG QUILVET_COMCALL Release() override
    {
        if constexpr (std::is_same_v<Lifetime, lifetime::Own>) {
            const ULONG left = --m_references;
            if (left == 0) {
                delete this;
            }
            return left;
        } else if constexpr (std::is_same_v<Lifetime, lifetime::Shared>) {
            return static_cast<Derived *>(this)->lifetimeOwner()->Release();
        } else {
            return 1;
        }
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

private:
    std::atomic<ULONG> m_references { 1 };
};

} // namespace quilvet::com
