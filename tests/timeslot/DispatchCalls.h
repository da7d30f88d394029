#pragma once

#include "ComSupport.h"

#include <QString>
#include <QVariant>

// Property calls through IDispatch, as a late-binding host makes them.
namespace hall::test {

using namespace quilvet::com;

inline QVariant get(IDispatch *object, DISPID id, HRESULT *status = nullptr)
{
    DISPPARAMS none { nullptr, nullptr, 0, 0 };
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr
        = object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    if (status) {
        *status = hr;
    }
    const QVariant value = toQVariant(result);
    VariantClear(&result);
    return value;
}

inline HRESULT put(IDispatch *object, DISPID id, const QVariant &value, EXCEPINFO *exception = nullptr,
    UINT *argumentError = nullptr)
{
    VARIANT argument;
    fromQVariant(value, &argument);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params { &argument, &named, 1, 1 };
    const HRESULT hr
        = object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, exception, argumentError);
    VariantClear(&argument);
    return hr;
}

inline DISPID idOf(IDispatch *object, const QString &name)
{
    auto *text = const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(name.utf16()));
    DISPID id = 0;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, &text, 1, 0x0409, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
}

} // namespace hall::test

using hall::test::get;
using hall::test::idOf;
using hall::test::put;
