#pragma once

#include <quilvet/Component.h>

#include <atomic>

namespace quilvet::com {

// Reference counting and interface query, written once for the objects that
// count their own references. Derived implements First and Others and answers
// interfaceFor(riid) with the interface it hands out for an IID other than
// IUnknown's, or nullptr. An object starts with one reference, its creator's,
// and deletes itself on its last Release.
template<typename Derived, typename First, typename... Others>
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
    ULONG QUILVET_COMCALL AddRef() override { return ++m_references; }
    ULONG QUILVET_COMCALL Release() override
    {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
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
