// The runtime functions that the component header declares
// for platforms without a component runtime of their own.

#include <quilvet/Component.h>

#if !defined(_WIN32)

#include <cstdlib>
#include <cstring>

namespace quilvet::com {

// A text is preceded by its length in bytes, as the platform lays it out, and
// ends with a zero character that the length does not count.
BSTR SysAllocStringLen(const OLECHAR *text, UINT length)
{
    auto *block
        = static_cast<std::uint32_t *>(std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR)));
    if (!block) {
        return nullptr;
    }
    block[0] = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
    auto *characters = reinterpret_cast<OLECHAR *>(block + 1);
    if (text) {
        std::memcpy(characters, text, length * sizeof(OLECHAR));
    } else {
        std::memset(characters, 0, length * sizeof(OLECHAR));
    }
    characters[length] = 0;
    return characters;
}

BSTR SysAllocString(const OLECHAR *text)
{
    if (!text) {
        return nullptr;
    }
    UINT length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (text) {
        std::free(reinterpret_cast<std::uint32_t *>(text) - 1);
    }
}

UINT SysStringLen(BSTR text)
{
    return text ? reinterpret_cast<std::uint32_t *>(text)[-1] / sizeof(OLECHAR) : 0;
}

void VariantInit(VARIANT *value)
{
    std::memset(value, 0, sizeof(VARIANT));
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT *value)
{
    if (!value) {
        return E_INVALIDARG;
    }
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (value->punkVal) {
            value->punkVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT *destination, const VARIANT *source)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    VariantClear(destination);
    *destination = *source;
    switch (source->vt) {
    case VT_BSTR:
        destination->bstrVal
            = source->bstrVal ? SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal)) : nullptr;
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (destination->punkVal) {
            destination->punkVal->AddRef();
        }
        break;
    default:
        break;
    }
    return S_OK;
}

} // namespace quilvet::com

#endif
