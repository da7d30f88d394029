#include "DualInterface.h"

#include "ComSupport.h"
#include "ControlObject.h"
#include "PropertyTable.h"

#include <array>
#include <cstddef>
#include <typeinfo>
#include <utility>

namespace quilvet {

namespace {

// The type each property crosses the table of functions as.
template<PropertyType Type> struct Abi;
template<> struct Abi<PropertyType::Boolean>
{
    using type = VARIANT_BOOL;
    static constexpr VARTYPE vt = VT_BOOL;
};
template<> struct Abi<PropertyType::Int32>
{
    using type = LONG;
    static constexpr VARTYPE vt = VT_I4;
};
template<> struct Abi<PropertyType::Text>
{
    using type = BSTR;
    static constexpr VARTYPE vt = VT_BSTR;
};
template<std::size_t Row> using RowAbi = Abi<Properties[Row].type>;

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

ControlObject *ownerOf(void *self)
{
    return static_cast<DualInterface *>(self)->owner;
}

template<std::size_t Row> HRESULT QUILVET_COMCALL getProperty(void *self, typename RowAbi<Row>::type *out)
{
    if (!out) {
        return E_POINTER;
    }
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = ownerOf(self)->getProperty(Properties[Row], &result, nullptr);
    if (SUCCEEDED(hr)) {
        take(result, out);
    }
    VariantClear(&result);
    return hr;
}

template<std::size_t Row> HRESULT QUILVET_COMCALL putProperty(void *self, typename RowAbi<Row>::type value)
{
    VARIANT argument = toVariant(value);
    return ownerOf(self)->putProperty(Properties[Row], &argument, nullptr);
}

HRESULT QUILVET_COMCALL queryInterface(void *self, REFIID riid, void **object)
{
    return static_cast<IDispatch *>(ownerOf(self))->QueryInterface(riid, object);
}

ULONG QUILVET_COMCALL addRef(void *self)
{
    return static_cast<IDispatch *>(ownerOf(self))->AddRef();
}

ULONG QUILVET_COMCALL release(void *self)
{
    return static_cast<IDispatch *>(ownerOf(self))->Release();
}

HRESULT QUILVET_COMCALL getTypeInfoCount(void *self, UINT *count)
{
    return ownerOf(self)->GetTypeInfoCount(count);
}

HRESULT QUILVET_COMCALL getTypeInfo(void *self, UINT index, LCID locale, ITypeInfo **typeInfo)
{
    return ownerOf(self)->GetTypeInfo(index, locale, typeInfo);
}

HRESULT QUILVET_COMCALL getIDsOfNames(
    void *self, REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids)
{
    return ownerOf(self)->GetIDsOfNames(riid, names, count, locale, ids);
}

HRESULT QUILVET_COMCALL invoke(void *self, DISPID id, REFIID riid, LCID locale, WORD flags,
    DISPPARAMS *params, VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
{
    return ownerOf(self)->Invoke(id, riid, locale, flags, params, result, exception, argumentError);
}

using Function = void (*)();

template<typename F> Function entry(F function)
{
    return reinterpret_cast<Function>(function);
}

constexpr std::size_t FunctionCount = 7 + 2 * Properties.size();

// The table with the two words a C++ compiler expects before the functions
// of a polymorphic type (offset to the complete object, type information), so
// that a host's run-time type checks see a _clsQuilvet.
struct Table
{
    std::ptrdiff_t offsetToTop;
    const std::type_info *type;
    std::array<Function, FunctionCount> functions;
};
static_assert(offsetof(Table, functions) == 2 * sizeof(void *));

template<std::size_t... Rows> Table buildTable(std::index_sequence<Rows...>)
{
    // IUnknown, IDispatch, then get and put of each row.
    Table table { 0, &typeid(_clsQuilvet), {} };
    table.functions = {
        entry(&queryInterface),
        entry(&addRef),
        entry(&release),
        entry(&getTypeInfoCount),
        entry(&getTypeInfo),
        entry(&getIDsOfNames),
        entry(&invoke),
    };
    std::size_t next = 7;
    ((table.functions[next++] = entry(&getProperty<Rows>),
         table.functions[next++] = entry(&putProperty<Rows>)),
        ...);
    return table;
}

const Table FunctionTable = buildTable(std::make_index_sequence<Properties.size()>());

} // namespace

DualInterface::DualInterface(ControlObject *owner)
    : functionTable(FunctionTable.functions.data())
    , owner(owner)
{ }

} // namespace quilvet
