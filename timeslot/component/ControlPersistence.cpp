#include "ControlPersistence.h"

#include "BagPropertyStore.h"
#include "ComSupport.h"
#include "ExceptionInfo.h"
#include "StreamPropertyStore.h"
#include "clsQuilvet.h"

#include <functional>

namespace quilvet::ControlPersistence {

namespace {

HRESULT guarded(const std::function<HRESULT()> &call)
{
    try {
        return call();
    } catch (const Error &error) {
        return controlResult(error.number());
    } catch (...) {
        return E_FAIL;
    }
}

StreamPropertyStore saved(clsQuilvet &control)
{
    StreamPropertyStore store;
    control.WriteProperties(store);
    return store;
}

} // namespace

HRESULT loadBag(clsQuilvet &control, IPropertyBag *bag, IErrorLog *errorLog)
{
    try {
        BagPropertyStore store(bag);
        control.ReadProperties(store);
        return S_OK;
    } catch (const Error &error) {
        if (errorLog) {
            EXCEPINFO info;
            raiseException(error, &info);
            errorLog->AddError(reinterpret_cast<LPCOLESTR>(u"ReadProperties"), &info);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
        }
        return controlResult(error.number());
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT saveBag(clsQuilvet &control, IPropertyBag *bag)
{
    return guarded([&] {
        BagPropertyStore store(bag);
        control.WriteProperties(store);
        return S_OK;
    });
}

HRESULT loadStream(clsQuilvet &control, IStream *stream)
{
    return guarded([&] {
        StreamPropertyStore store;
        const HRESULT hr = store.load(stream);
        if (SUCCEEDED(hr)) {
            control.ReadProperties(store);
        }
        return hr;
    });
}

HRESULT saveStream(clsQuilvet &control, IStream *stream)
{
    return guarded([&] { return saved(control).save(stream); });
}

HRESULT sizeMax(clsQuilvet &control, ULARGE_INTEGER *size)
{
    return guarded([&] {
        size->QuadPart = static_cast<ULONGLONG>(saved(control).encode().size());
        return S_OK;
    });
}

} // namespace quilvet::ControlPersistence
