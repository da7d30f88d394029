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

void *ClassFactory::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_IClassFactory) ? static_cast<IClassFactory *>(this) : nullptr;
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
