#include "DualInterface.h"

#include "ControlObject.h"

namespace quilvet {

namespace {

// The type each kind of property crosses the table of functions as.
template<PropertyType Type> struct Abi;
template<> struct Abi<PropertyType::Boolean>
{
    using type = VARIANT_BOOL;
};
template<> struct Abi<PropertyType::Int32>
{
    using type = LONG;
};
template<> struct Abi<PropertyType::Text>
{
    using type = BSTR;
};

VARIANT toVariant(VARIANT_BOOL value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BOOL;
    variant.boolVal = value;
    return variant;
}

VARIANT toVariant(LONG value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}

// Borrows the caller's text: the variant must not be cleared.
VARIANT toVariant(BSTR value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = value;
    return variant;
}

void take(VARIANT &variant, VARIANT_BOOL *out)
{
    *out = variant.boolVal;
}

void take(VARIANT &variant, LONG *out)
{
    *out = variant.lVal;
}

// The text passes to the caller.
void take(VARIANT &variant, BSTR *out)
{
    *out = variant.bstrVal;
    variant.vt = VT_EMPTY;
}

} // namespace

DualInterface::DualInterface(ControlObject *owner)
    : m_owner(owner)
{ }

template<std::size_t Row, typename T> HRESULT DualInterface::get(T *out)
{
    static_assert(std::is_same_v<T, typename Abi<Properties[Row].type>::type>, "the row's type");
    if (!out) {
        return E_POINTER;
    }
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = m_owner->getProperty(Properties[Row], &result, nullptr);
    if (SUCCEEDED(hr)) {
        take(result, out);
    }
    VariantClear(&result);
    return hr;
}

template<std::size_t Row, typename T> HRESULT DualInterface::put(T value)
{
    static_assert(std::is_same_v<T, typename Abi<Properties[Row].type>::type>, "the row's type");
    VARIANT argument = toVariant(value);
    return m_owner->putProperty(Properties[Row], &argument, nullptr);
}

HRESULT DualInterface::QueryInterface(REFIID riid, void **object)
{
    return static_cast<IDispatch *>(m_owner)->QueryInterface(riid, object);
}

ULONG DualInterface::AddRef()
{
    return static_cast<IDispatch *>(m_owner)->AddRef();
}

ULONG DualInterface::Release()
{
    return static_cast<IDispatch *>(m_owner)->Release();
}

HRESULT DualInterface::GetTypeInfoCount(UINT *count)
{
    return m_owner->GetTypeInfoCount(count);
}

HRESULT DualInterface::GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo)
{
    return m_owner->GetTypeInfo(index, locale, typeInfo);
}

HRESULT DualInterface::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids)
{
    return m_owner->GetIDsOfNames(riid, names, count, locale, ids);
}

HRESULT DualInterface::Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,
    VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
{
    return m_owner->Invoke(id, riid, locale, flags, params, result, exception, argumentError);
}

} // namespace quilvet
