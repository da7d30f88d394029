#include "ClassFactory.h"

#include "ControlObject.h"

namespace quilvet {

ClassFactory::ClassFactory()
{
    objectCreated();
}

ClassFactory::~ClassFactory()
{
    objectDestroyed();
}

HRESULT ClassFactory::create(REFIID riid, void **object)
{
    auto *factory = new ClassFactory();
    const HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef()
{
    return ++m_references;
}

ULONG ClassFactory::Release()
{
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown *outer, REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    return ControlObject::create(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    serverLocked(lock != 0);
    return S_OK;
}

} // namespace quilvet
